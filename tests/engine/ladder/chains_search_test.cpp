// The chain searches' own shortcuts, each held to what it rests on.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

namespace {

// The grids at which every `stride`th expert puzzle's solve takes a step of
// the expert tier or above.
std::vector<ladderGrid> hardPlaces(size_t stride) {
    std::vector<ladderGrid> out;
    laddertest::eachHardPlace(laddertest::puzzleLines(VELUNDA_EXPERT_FILE), stride,
                              [&](const ladderGrid& g, const std::string&) { out.push_back(g); });
    return out;
}

// Colouring as plainly as it goes: starts digit by digit, cell by cell; a
// start without a strong link is a cluster of one and keeps colour 0; a
// cluster is coloured breadth first, then two nodes of one colour weakly
// linked make that colour false, or else the candidates weakly linked to
// both colours (not of this cluster, nor a cluster of one met before) go.
// A cluster without effect takes colours 2 and 3.
bool plainColouring(const ladderGrid& g, bool medusa, unsigned digits, ladderStep* step) {
    std::vector<int> colour(729, -1);
    const auto strongTo = [&](int node, int* out) {
        const int c = node / 9, d = node % 9;
        int n = 0;
        for (int k = 0; k < 3; k++) {
            const cellSet places = g.pos[d] & kGeometry.unit[kGeometry.cellUnit[c][k]];
            if (places.count() == 2) out[n++] = places.minus(cellSet::of(c)).first() * 9 + d;
        }
        if (medusa && bitCount(g.cand[c]) == 2) out[n++] = c * 9 + lowBit(g.cand[c] & ~(1u << d));
        return n;
    };
    const auto weak = [](int a, int b) { return a / 9 == b / 9 || (a % 9 == b % 9 && sees(a / 9, b / 9)); };
    for (int sd = 0; sd < 9; sd++)
        for (int x = 0; x < 81; x++) {
            int next[4];
            if (!((digits >> sd) & 1) || !g.pos[sd].has(x) || colour[x * 9 + sd] >= 0) continue;
            colour[x * 9 + sd] = 0;
            if (strongTo(x * 9 + sd, next) == 0) continue;
            std::vector<int> order = {x * 9 + sd}, parent = {-1};
            for (size_t i = 0; i < order.size(); i++)
                for (int k = 0, n = strongTo(order[i], next); k < n; k++)
                    if (colour[next[k]] < 0) {
                        colour[next[k]] = 1 - colour[order[i]];
                        order.push_back(next[k]);
                        parent.push_back(static_cast<int>(i));
                    }
            bool several = false;
            for (int node : order) several = several || node % 9 != sd;
            if (medusa && !several) continue;
            int falseColour = -1, w1 = -1, w2 = -1;
            for (size_t i = 0; i < order.size() && falseColour < 0; i++)
                for (size_t j = i + 1; j < order.size() && falseColour < 0; j++)
                    if (colour[order[i]] == colour[order[j]] && weak(order[i], order[j])) {
                        falseColour = colour[order[i]];
                        w1 = static_cast<int>(i);
                        w2 = static_cast<int>(j);
                    }
            std::vector<unsigned short> gone;
            for (int r = 0; r < 729 && falseColour < 0; r++) {
                if (!g.pos[r % 9].has(r / 9) || colour[r] == 0 || colour[r] == 1) continue;
                bool seen[2] = {false, false};
                for (int node : order) seen[colour[node]] = seen[colour[node]] || weak(node, r);
                if (seen[0] && seen[1]) gone.push_back(static_cast<unsigned short>(r));
            }
            for (int node : order)
                if (falseColour >= 0 && colour[node] == falseColour) gone.push_back(static_cast<unsigned short>(node));
            if (gone.empty()) {
                for (int node : order) colour[node] += 2;
                continue;
            }
            // The removals of a trap digit by digit, as the finder lists them.
            std::stable_sort(gone.begin(), gone.end(), [&](unsigned short a, unsigned short b) {
                return falseColour < 0 && (a % 9 < b % 9 || (a % 9 == b % 9 && a / 9 < b / 9));
            });
            setTechnique(step, medusa ? techMedusa : techSimpleColouring);
            ladderPattern& p = step->pattern;
            p.kind = patternColouring;
            p.digit = medusa ? 0 : sd + 1;
            for (size_t i = 0; i < order.size(); i++) {
                p.nodes.push_back({static_cast<unsigned char>(order[i] % 9 + 1), cellSet::of(order[i] / 9), cellSet()});
                p.colour.push_back(static_cast<unsigned char>(colour[order[i]]));
                if (parent[i] >= 0) p.links.push_back({static_cast<short>(parent[i]), static_cast<short>(i)});
            }
            p.falseColour = falseColour;
            p.witness[0] = w1;
            p.witness[1] = w2;
            step->removals = gone;
            return true;
        }
    return false;
}

// Everything a colouring step says.
std::string colouringText(bool found, const ladderStep& s) {
    if (!found) return "none";
    const ladderPattern& p = s.pattern;
    std::string out = std::to_string(s.technique) + "/" + std::to_string(s.difficulty) + " d" + std::to_string(p.digit) +
                      " f" + std::to_string(p.falseColour) + " w" + std::to_string(p.witness[0]) + "," +
                      std::to_string(p.witness[1]);
    for (size_t i = 0; i < p.nodes.size(); i++)
        out += " " + std::to_string(p.nodes[i].digit) + "@" + std::to_string(p.nodes[i].cells.first()) + ":" +
               std::to_string(p.colour[i]);
    for (const auto& link : p.links) out += " " + std::to_string(link.first) + "-" + std::to_string(link.second);
    for (unsigned short r : s.removals) out += " -" + std::to_string(r);
    return out;
}

}  // namespace

// Colouring keeps each digit's strong links between calls while its places
// stay, and never visits the clusters of one: a candidate without a strong
// link keeps out of what a cluster removes when its place comes before the
// cluster's start. Both finders must give the plain search's step, pattern
// and all: along the corpus's solves, with some digits only, with
// candidates taken away or added at random, and on the grid before again.
TEST(LadderChainSearch, ColouringIsThePlainColouring) {
    const std::vector<std::string> lines = laddertest::puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 rng(3);
    int found[2] = {0, 0};
    const auto compare = [&](const ladderGrid& g, unsigned digits, const std::string& where) {
        for (bool medusa : {false, true}) {
            ladderStep a, b;
            const bool fa = medusa ? findMedusa(g, &a) : findSimpleColouring(g, digits, &a);
            const bool fb = plainColouring(g, medusa, medusa ? kAllDigits : digits, &b);
            found[medusa] += fb;
            EXPECT_EQ(colouringText(fa, a), colouringText(fb, b)) << (medusa ? "medusa" : "simple") << " at " << where << " " << laddertest::stateText(g);
        }
    };
    const int grids = laddertest::eachPlaceAndNear(lines, 20, rng, 5, false, [&](const ladderGrid& g, const std::string& where, bool atPlace) {
        compare(g, kAllDigits, where);
        if (atPlace) compare(g, rng() & kAllDigits, where + " (some digits)");
    });
    EXPECT_GT(grids, 1000);
    EXPECT_GT(found[0], 500);
    EXPECT_GT(found[1], 500);
}

// Remote pairs take the pairs of digits in the order of their first cell,
// each lower digit with the first pair it is in only, and remember for each
// pair where its last search found nothing. They must give what searching
// those pairs afresh gives: along the corpus's solves, with candidates taken
// away or added at random, and on the grid before again.
TEST(LadderChainSearch, RemotePairsAreThoseOfEachPairSearchedAfresh) {
    const std::vector<std::string> lines = laddertest::puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    const auto plain = [](const ladderGrid& g, ladderStep* step) {
        unsigned done[9] = {0};  // by lower digit, the digits of the pairs met
        for (int c = 0; c < 81; c++) {
            const unsigned pair = g.cand[c];
            if (bitCount(pair) != 2 || (done[lowBit(pair)] & pair)) continue;
            done[lowBit(pair)] |= pair;
            int cells = 0;
            for (int k = c; k < 81; k++) cells += g.cand[k] == pair;
            if (cells >= 4 && ladderRemotePairOf(g, pair, step)) return true;
        }
        return false;
    };
    const auto text = [](bool found, const ladderStep& s) {
        std::string out = found ? ladderStepText(s) : "none";
        for (unsigned short r : s.removals) out += " -" + std::to_string(r);
        return out;
    };
    std::mt19937 rng(7);
    int found = 0;
    const auto compare = [&](const ladderGrid& g, const std::string& where) {
        ladderStep a, b;
        const bool fa = findRemotePair(g, &a), fb = plain(g, &b);
        found += fb;
        EXPECT_EQ(text(fa, a), text(fb, b)) << where << " " << laddertest::stateText(g);
    };
    const int grids = laddertest::eachPlaceAndNear(lines, 10, rng, 3, true,
                                                   [&](const ladderGrid& g, const std::string& where, bool) { compare(g, where); });
    EXPECT_GT(grids, 2000);
    EXPECT_GT(found, 20);
}

// The X-Chains' search on a digit keeps the starts it passes over as quiet,
// and the X-Cycles, where it found nothing, pass over them too: from such a
// start a search with loops must stop nowhere. On the corpus's grids, with
// candidates taken away at random, and on grids of shared candidates (loops
// everywhere) with candidates taken away.
TEST(LadderChainSearch, QuietStartsOfOneDigitCloseNoLoop) {
    std::mt19937 rng(5);
    long kept = 0;
    const auto check = [&](const ladderGrid& g, const std::string& where) {
        for (int d = 0; d < 9; d++) {
            const int quiet = ladderCheckLooplessStarts(g, d);
            ASSERT_GE(quiet, 0) << where << " digit " << d + 1 << " " << laddertest::stateText(g);
            kept += quiet;
        }
    };
    for (const ladderGrid& g : hardPlaces(10)) {
        check(g, "hard place");
        ladderGrid fewer = g;
        for (int c = 0; c < 81; c++)
            for (int d = 0; d < 9; d++)
                if ((fewer.cand[c] & (1u << d)) && bitCount(fewer.cand[c]) > 1 && rng() % 3 == 0) fewer.remove(c, d + 1);
        check(fewer, "fewer");
        if (::testing::Test::HasFailure()) return;
    }
    for (int solutions = 2; solutions <= 4; solutions++)
        for (int shift = 1; shift <= 4; shift++)
            for (int k = 0; k < 10; k++) {
                ladderGrid g = laddertest::sharedCandidates(solutions, shift);
                for (int c = 0; c < 81; c++)
                    for (int d = 0; d < 9; d++)
                        if ((g.cand[c] & (1u << d)) && bitCount(g.cand[c]) > 1 && rng() % 7 == 0) g.remove(c, d + 1);
                check(g, "shared candidates, fewer");
            }
    EXPECT_GT(kept, 10000);
}

// What the X-Chains keep for the X-Cycles holds for the places it was kept
// for: X-Cycles on a grid after X-Chains on another, and on the same grid
// again, give what a search from every start gives.
TEST(LadderChainSearch, XCyclesAfterXChainsOnAnotherGrid) {
    std::mt19937 rng(9);
    int found = 0, grids = 0;
    const auto says = [](bool any, const ladderStep& s) {
        std::string out = any ? ladderStepText(s) : "none";
        for (unsigned short r : s.removals) out += " -" + std::to_string(r);
        return out;
    };
    ladderGrid last;
    bool first = true;
    for (const ladderGrid& g : hardPlaces(5)) {
        ladderGrid fewer = g;
        for (int c = 0; c < 81; c++)
            for (int d = 0; d < 9; d++)
                if ((fewer.cand[c] & (1u << d)) && bitCount(fewer.cand[c]) > 1 && rng() % 4 == 0) fewer.remove(c, d + 1);
        const ladderGrid* both[] = {&g, &fewer};
        for (const ladderGrid* on : both) {
            ladderStep chain;
            findXChain(first ? *on : last, kAllDigits, &chain);
            first = false;
            ladderStep a, b;
            const bool fa = findXCycle(*on, kAllDigits, &a);
            ladderSkipQuietChainStarts(false);
            const bool fb = findXCycle(*on, kAllDigits, &b);
            ladderSkipQuietChainStarts(true);
            EXPECT_EQ(says(fa, a), says(fb, b)) << laddertest::stateText(*on);
            found += fb;
            grids++;
            last = *on;
        }
        if (::testing::Test::HasFailure()) return;
    }
    EXPECT_GT(grids, 500);
    EXPECT_GT(found, 100);
}

// An alternating chain search stops counting the links it looks at once the
// starts left could not reach the bound on them together, each allowed the
// links of every node with a strong link. No start may look at more; and
// where a start reaches most of the graph it comes near that, so that a
// bound set a good deal too low is caught here too.
TEST(LadderChainSearch, NoStartLooksAtMoreLinksThanItsBound) {
    int places = 0;
    for (const ladderGrid& g : hardPlaces(25))
        for (int reach = 0; reach < 3; reach++) {
            long bound = 0, most = 0;
            ladderChainLinksOfAStart(g, reach, &bound, &most);
            ASSERT_LE(most, bound) << "reach " << reach;
            places++;
        }
    EXPECT_GT(places, 60);
    for (int solutions = 2; solutions <= 3; solutions++)
        for (int reach = 0; reach < 3; reach++) {
            long bound = 0, most = 0;
            ladderChainLinksOfAStart(laddertest::sharedCandidates(solutions, 1), reach, &bound, &most);
            EXPECT_LE(most, bound) << solutions << " solutions, reach " << reach;
            // Two solutions: every cell and every unit's digit a strong link.
            if (solutions == 2) {
                EXPECT_GT(most * 2, bound) << "reach " << reach;
            }
        }
}
