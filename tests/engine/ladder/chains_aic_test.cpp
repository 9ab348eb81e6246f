// The alternating chains' and XY-Chains' searches remember, on their kept
// graphs, the starts they passed over as quiet; held to searches from every
// start.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

namespace {

// Reach 3: XY-Chains.
std::string chainSays(const ladderGrid& g, int reach) {
    ladderStep s;
    const bool any = reach < 3 ? findAic(g, reach, &s) : findXYChain(g, &s);
    std::string out = any ? ladderStepText(s) : "none";
    for (unsigned short r : s.removals) out += " -" + std::to_string(r);
    return out;
}

// Each reach, and XY-Chains, searched as the ladder does (its kept graph brought up to date
// from the grid before) and from every start.
void expectEveryStartsChain(const ladderGrid& g, const std::string& line) {
    for (int reach = 0; reach <= 3; reach++) {
        const std::string kept = chainSays(g, reach);
        ladderSkipQuietChainStarts(false);
        const std::string everyStart = chainSays(g, reach);
        ladderSkipQuietChainStarts(true);
        EXPECT_EQ(kept, everyStart) << line << " reach " << reach << "\n" << laddertest::stateText(g);
    }
}

}  // namespace

// Along solves, and with a candidate or two taken away at a time (a kept
// graph brought up to date for a few changes, its remembered starts
// checked again), the chains are those of a search from every start.
TEST(LadderChainAic, RememberedQuietStartsNeverChangeAChain) {
    const std::vector<std::string> expert = laddertest::puzzleLines(VELUNDA_EXPERT_FILE);
    std::vector<std::string> lines;
    for (size_t k = 0; k < expert.size(); k += 10) lines.push_back(expert[k]);
    std::mt19937 rng(7);
    int places = 0;
    laddertest::eachHardPlace(lines, 1, [&](const ladderGrid& g, const std::string& line) {
        if (::testing::Test::HasFailure()) return;
        places++;
        expectEveryStartsChain(g, line);
        ladderGrid fewer = g;
        for (int round = 0; round < 4; round++) {
            for (int taken = 0, tries = 0; taken < 1 + round % 2 && tries < 200; tries++) {
                const int c = static_cast<int>(rng() % 81), d = static_cast<int>(rng() % 9);
                if (!(fewer.cand[c] & (1u << d)) || bitCount(fewer.cand[c]) < 2) continue;
                fewer.remove(c, d + 1);
                taken++;
            }
            expectEveryStartsChain(fewer, line);
        }
    });
    EXPECT_GT(places, 100);
}

// The ladder's own solves, whose chain searches keep what they remember
// from one of their kind to the next, take the steps of solves that search
// from every start. A start remembered as having stopped once it had seen
// every end with an effect must be searched again where a change gave it
// an end beyond: the first puzzle has such a place.
TEST(LadderChainAic, SolvesTakeTheStepsOfSearchesFromEveryStart) {
    const std::vector<std::string> lines = {
        "....1...5.38..5.9.1..6...3.5..9......4..7..8......8..7.1...2..3.2.3..64.3...8....",
        "....1..8.4...586..98...6..7.9....3.6..1...9..6.3....7.8..6...91..289...5.7..4....",
        "...9..7.........29.8...64..2..8.....8152.7643.....3..1..84...9.14.........6..8...",
        "..2..7..19..........594......93..658..8.9.2..376..51......619..........65..4..3.."};
    for (const std::string& line : lines) {
        short cells[81];
        laddertest::cellsOf(line, cells);
        std::vector<ladderStep> kept, everyStart;
        const ladderRating a = ladderRate(cells, &kept, levelExtreme);
        ladderSkipQuietChainStarts(false);
        const ladderRating b = ladderRate(cells, &everyStart, levelExtreme);
        ladderSkipQuietChainStarts(true);
        EXPECT_EQ(a.steps, b.steps) << line;
        EXPECT_EQ(a.hardest, b.hardest) << line;
        for (size_t i = 0; i < kept.size() && i < everyStart.size(); i++)
            if (!laddertest::sameStep(kept[i], everyStart[i]) || ladderStepText(kept[i]) != ladderStepText(everyStart[i])) {
                ADD_FAILURE() << line << " step " << i + 1 << ": " << ladderStepText(kept[i]) << " / " << ladderStepText(everyStart[i]);
                break;
            }
    }
}
