// What the basic finders and the wings keep between calls (each digit's
// masks and conjugate pairs, what each unit is known to give, whether a
// unit or a digit can hold a subset or a fish at all, where a wing last
// found nothing) must never change a step: on runs of grids each the one
// before with a few candidates taken away, every finder gives the step it
// gives on a thread that has kept nothing. And a cleared step is a blank
// one whatever filled it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <thread>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

const int kKeepingTechniques[] = {
    techNakedSingle,      techHiddenSingleBox,  techPointing,         techBoxHiddenPair,    techBoxHiddenTriple,
    techDoublePair,       techHiddenSingleLine, techClaiming,         techNakedPair,        techXWing,
    techHiddenPair,       techNakedTriple,      techSwordfish,        techHiddenTriple,     techSkyscraper,
    techTwoStringKite,    techXYWing,           techXYZWing,          techWWing,            techNakedQuad,
    techJellyfish,        techHiddenQuad,       techFinnedXWing,      techSashimiXWing,     techUniqueRectangle1,
    techUniqueRectangle2, techUniqueRectangle4, techUniqueRectangle3, techFinnedSwordfish,  techSashimiSwordfish,
    techFinnedJellyfish,  techSashimiJellyfish};

std::string says(int technique, const ladderGrid& g) {
    ladderStep s;
    return ladderTry(technique, g, &s) ? ladderStepText(s) + " " + effectText(s) : "none";
}

std::vector<std::string> allSay(const ladderGrid& g) {
    std::vector<std::string> out;
    for (int t : kKeepingTechniques) out.push_back(says(t, g));
    return out;
}

}  // namespace

// Along solves, each grid is followed by a run of grids each losing a few
// random candidates (never a cell's last), so that the finders see grids
// that only lost candidates since they last found nothing, several in a
// row, as well as grids that gained some (the next step's).
TEST(LadderKeptState, EveryFinderGivesWhatAFreshThreadGives) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 random(3);
    int grids = 0, found = 0;
    size_t n = 0;
    eachPlace(lines, 40, [&](const ladderGrid& g, const ladderStep&, const std::string& line) {
        if (::testing::Test::HasFailure()) return;
        ladderGrid thin = g;
        for (int run = 0; run < (n++ % 3 == 0 ? 4 : 1); run++) {
            const std::vector<std::string> kept = allSay(thin);
            std::vector<std::string> fresh;
            std::thread([&] { fresh = allSay(thin); }).join();
            ASSERT_EQ(kept, fresh) << line << " at " << stateText(thin);
            for (const std::string& s : kept) found += s != "none";
            grids++;
            for (int cut = 1 + static_cast<int>(random() % 6); cut > 0; cut--) {
                const int c = static_cast<int>(random() % 81), d = static_cast<int>(random() % 9);
                if ((thin.cand[c] >> d & 1) && bitCount(thin.cand[c]) > 1) thin.remove(c, d + 1);
            }
        }
    });
    EXPECT_GT(grids, 2000);
    EXPECT_GT(found, 2000);
}

// The masks the finders share, kept and thinned from grid to grid, are
// the grid's own: each unit's, and the units where a digit has two cells.
TEST(LadderKeptState, DigitMasksAreTheGridsOwn) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 random(9);
    eachPlace(lines, 50, [&](const ladderGrid& g, const ladderStep&, const std::string&) {
        if (::testing::Test::HasFailure()) return;
        ladderGrid thin = g;
        for (int cut = static_cast<int>(random() % 12); cut > 0; cut--) {
            const int c = static_cast<int>(random() % 81), d = static_cast<int>(random() % 9);
            if (thin.cand[c] >> d & 1) thin.remove(c, d + 1);
        }
        const ladderGrid* both[] = {&g, &thin};
        for (const ladderGrid* at : both) {
            for (int d = 0; d < 9; d++) {
                unsigned pairs = 0, wanted = 0;
                const unsigned* masks = digitUnitMasks(*at, d, &pairs);
                for (int u = 0; u < 27; u++) {
                    const unsigned mask = lineMask(*at, u, d);
                    ASSERT_EQ(masks[u], mask) << "digit " << d + 1 << " unit " << u << " at " << stateText(*at);
                    if (bitCount(mask) == 2) wanted |= 1u << u;
                }
                ASSERT_EQ(pairs, wanted) << "digit " << d + 1 << " at " << stateText(*at);
            }
        }
    });
}

// Each part a finder may fill, alone, is cleared; and every step of a
// solve, cleared, is a blank step.
TEST(LadderStepClear, LeavesABlankStepWhateverFilledIt) {
    const auto blank = [](const ladderStep& s) {
        const ladderPattern& p = s.pattern;
        return s.technique == techNakedSingle && s.difficulty == 0 && s.placeCell == -1 && s.placeDigit == 0 &&
               s.removals.empty() && p.kind == patternSingle && p.digit == 0 && p.unit == -1 && p.cell == -1 &&
               p.size == 0 && p.fins.empty() && !p.naked && p.cells.empty() && p.digits == 0 && p.nodes.empty() &&
               p.strong.empty() && p.loop == loopNone && p.colour.empty() && p.links.empty() && p.falseColour == -1 &&
               p.witness[0] == -1 && p.witness[1] == -1 && p.over == overCell && p.branches.empty() && p.type == 0 &&
               p.roof.empty() && p.extra == 0 && p.subsetUnit == -1 && p.subsetCells.empty() && p.subsetDigits == 0;
    };
    std::vector<ladderStep> filled(4);
    filled[0].difficulty = 26;
    filled[1].placeCell = 40;
    filled[2].removals.push_back(7);
    filled[3].pattern.kind = patternChain;
    short cells[81];
    const std::string puzzle = puzzleLines(VELUNDA_EXPERT_FILE).at(0);
    for (int c = 0; c < 81; c++) cells[c] = puzzle[c] >= '1' && puzzle[c] <= '9' ? puzzle[c] - '0' : 0;
    std::vector<ladderStep> steps;
    ladderRate(cells, &steps);
    ASSERT_FALSE(steps.empty());
    filled.insert(filled.end(), steps.begin(), steps.end());
    for (size_t i = 0; i < filled.size(); i++) {
        ladderStep s = filled[i];
        s.clear();
        EXPECT_TRUE(blank(s)) << "step " << i;
    }
}

// The grid takes its givens all at once: it must be the grid that placing
// them one by one on a blank grid leaves, givens that repeat a digit in a
// unit (a grid with no solution, which broken() must still see) included.
TEST(LadderGridStart, SameAsPlacingEachGiven) {
    std::vector<std::string> puzzles = puzzleLines(VELUNDA_EXPERT_FILE);
    puzzles.resize(50);
    puzzles.push_back(std::string(81, '.'));
    // The first row's first given again in the row's first open cell.
    std::string clash = puzzles[0];
    const auto given = [&clash](int c) { return clash[c] >= '1' && clash[c] <= '9'; };
    int at = 0, open = 0;
    while (at < 9 && !given(at)) at++;
    while (open < 9 && given(open)) open++;
    ASSERT_TRUE(at < 9 && open < 9);
    clash[open] = clash[at];
    puzzles.push_back(clash);
    for (const std::string& line : puzzles) {
        short cells[81];
        cellsOf(line, cells);
        ladderGrid fast, slow;
        fast.start(cells);
        short none[81] = {};
        slow.start(none);
        for (int c = 0; c < 81; c++)
            if (cells[c] >= 1 && cells[c] <= 9) slow.place(c, cells[c]);
        EXPECT_EQ(stateText(fast), stateText(slow)) << line;
        EXPECT_TRUE(fast.open == slow.open) << line;
        for (int d = 0; d < 9; d++) EXPECT_TRUE(fast.pos[d] == slow.pos[d]) << line << " digit " << d + 1;
        EXPECT_EQ(fast.broken(), slow.broken()) << line;
        EXPECT_TRUE(line != clash || fast.broken()) << "a repeated given must leave the grid broken";
    }
}

// A box's hidden single is read from its three rows as words, the last
// stack's from the word that starts a cell early: held to a plain count of
// each box's candidates, on the grids of solves and on the same grids with
// candidates taken away.
TEST(LadderKeptState, BoxHiddenSinglesAreThoseOfAPlainCount) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 random(13);
    int found = 0;
    eachPlace(lines, 40, [&](const ladderGrid& g, const ladderStep&, const std::string&) {
        if (::testing::Test::HasFailure()) return;
        ladderGrid thin = g;
        for (int cut = static_cast<int>(random() % 20); cut > 0; cut--) {
            const int c = static_cast<int>(random() % 81), d = static_cast<int>(random() % 9);
            if (thin.cand[c] >> d & 1) thin.remove(c, d + 1);
        }
        const ladderGrid* both[] = {&g, &thin};
        for (const ladderGrid* at : both) {
            // The first box with a digit in one of its cells alone, its lowest such digit.
            int cell = -1, digit = 0;
            for (int b = 0; b < 9 && cell < 0; b++)
                for (int d = 0; d < 9 && cell < 0; d++) {
                    const cellSet places = at->pos[d] & kGeometry.unit[kBoxUnit + b];
                    if (places.single()) {
                        cell = places.first();
                        digit = d + 1;
                    }
                }
            ladderStep step;
            const bool any = findHiddenSingle(*at, true, &step);
            ASSERT_EQ(any, cell >= 0) << stateText(*at);
            if (!any) continue;
            found++;
            ASSERT_EQ(step.placeCell, cell) << stateText(*at);
            ASSERT_EQ(step.placeDigit, digit) << stateText(*at);
        }
    });
    EXPECT_GT(found, 100);
}
