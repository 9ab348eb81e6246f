// The technique ladder: each technique on a grid where it applies and on its
// near miss, the corpora solved soundly with the game's ratings kept, the
// uniqueness techniques only when allowed, and puzzles made to a level.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/maker.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

struct example {
    int technique = -1;
    std::string state, effect;
};

std::vector<example> loadExamples() {
    std::vector<example> out;
    std::ifstream in(VELUNDA_LADDER_EXAMPLES);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string key;
        example e;
        words >> key >> e.state;
        std::getline(words, e.effect);
        e.effect.erase(0, e.effect.find_first_not_of(' '));
        for (int t = 0; t < kLadderTechniques; t++)
            if (key == ladderInfo(t).key) e.technique = t;
        out.push_back(e);
    }
    return out;
}

}  // namespace

// The ladder counts cells and digits from tables and word tricks; each
// count must be the plain one, up to the last cells (64..80, the second
// word) and every 9-bit mask.
TEST(LadderCellSet, CountsAgreeWithCountingOneByOne) {
    std::mt19937_64 rng(3);
    for (int n = 0; n < 3000; n++) {
        cellSet s;
        const int density = n % 4 == 0 ? 0 : static_cast<int>(rng() % 81);
        for (int c = 0; c < 81; c++)
            if (static_cast<int>(rng() % 81) < density || (n % 7 == 1 && c == static_cast<int>(n % 81))) s.add(c);
        int plain = 0;
        for (int c = 0; c < 81; c++) plain += s.has(c);
        ASSERT_EQ(s.count(), plain) << n;
        ASSERT_EQ(s.single(), plain == 1) << n;
    }
    for (int c = 0; c < 81; c++) {
        EXPECT_EQ(cellSet::of(c).count(), 1) << c;
        EXPECT_TRUE(cellSet::of(c).single()) << c;
    }
    for (unsigned mask = 0; mask < 4096; mask++) {
        int plain = 0;
        for (unsigned m = mask; m; m >>= 1) plain += m & 1;
        ASSERT_EQ(bitCount(mask), plain) << mask;
    }
}

// The ladder stops at the first technique above the highest tier asked
// for, so a tier's techniques must all come before the next tier's.
TEST(LadderTechniques, TiersComeInOrder) {
    for (int t = 1; t < kLadderTechniques; t++) EXPECT_LE(ladderInfo(t - 1).level, ladderInfo(t).level) << ladderInfo(t).name;
}

// Every technique of the ladder has an example, finds exactly its step
// there, describes it, and no longer finds it once one candidate breaks
// its pattern (forcing steps have no such candidate).
TEST(LadderTechniques, EachFindsItsStepAndNotItsNearMiss) {
    const std::vector<example> examples = loadExamples();
    std::set<int> seen;
    for (const example& e : examples) {
        ASSERT_GE(e.technique, 0) << e.state;
        SCOPED_TRACE(ladderInfo(e.technique).key);
        seen.insert(e.technique);
        ladderGrid g;
        ASSERT_TRUE(parseState(e.state, &g));
        ladderStep step;
        ASSERT_TRUE(ladderTry(e.technique, g, &step));
        EXPECT_EQ(effectText(step), e.effect);
        EXPECT_FALSE(ladderStepText(step).empty());
        EXPECT_FALSE(ladderShortText(step).empty());
        ladderGrid miss = g;
        if (nearMiss(step, &miss)) {
            ladderStep again;
            EXPECT_FALSE(ladderTry(e.technique, miss, &again) && sameStep(again, step))
                << "still found with one candidate more: " << effectText(again);
        } else {
            EXPECT_EQ(step.pattern.kind, patternForcing);
        }
    }
    EXPECT_EQ(seen.size(), static_cast<size_t>(kLadderTechniques));
}

// The game's own rating of the givens, from its own solver.
int gamesRating(const short* cells) {
    sudoku s;
    s.clearPuzzle();
    for (int c = 0; c < 81; c++)
        if (cells[c] >= 1 && cells[c] <= 9) s.solve_place(c / 9, c % 9, cells[c]);
    return s.solvePuzzle(1);
}

// Both corpora: every puzzle with one solution gets a level; the game's
// Very Easy, Easy and Medium stay as the game rates them and nothing else
// gets them, also where the game's solver is not run; asked for Hard at
// least, the game's verdict comes alone; no step places a wrong digit or
// removes the solution's; the numbers agree with one another.
TEST(LadderCorpus, SolvesSoundlyAndKeepsTheGamesRatings) {
    int rated = 0, beyond = 0;
    for (const char* path : {VELUNDA_CORPUS_FILE, VELUNDA_EXPERT_FILE}) {
        for (const std::string& line : puzzleLines(path)) {
            short cells[81], solution[81];
            cellsOf(line, cells);
            if (countSolutions(cells, 2, solution) != 1) continue;
            SCOPED_TRACE(line);
            std::vector<ladderStep> steps;
            const ladderRating r = ladderRate(cells, &steps);
            rated++;
            ASSERT_EQ(r.gameRating, gamesRating(cells));
            std::vector<ladderStep> hardOnly;
            const ladderRating h = ladderRate(cells, &hardOnly, levelExtreme, levelHard);
            if (r.gameRating >= 0) {
                EXPECT_TRUE(h.status == ladderSolved && h.level == r.gameRating && h.steps == 0 && hardOnly.empty());
            } else {
                EXPECT_TRUE(h.level == r.level && h.hardest == r.hardest && hardOnly.size() == steps.size());
            }
            if (r.gameRating >= 0) {
                EXPECT_EQ(r.level, r.gameRating);
            } else {
                EXPECT_GE(r.level, levelHard);
            }
            if (r.status == ladderStuck) {
                beyond++;
                EXPECT_EQ(r.level, levelBeyondLogic);
                EXPECT_GT(r.guesses, 0);
            } else {
                EXPECT_EQ(r.status, ladderSolved);
            }
            int hardestLevel = levelVeryEasy;
            for (const ladderStep& s : steps) {
                if (s.placeCell >= 0) {
                    EXPECT_EQ(s.placeDigit, solution[s.placeCell]) << ladderStepText(s);
                }
                for (unsigned short rm : s.removals) EXPECT_NE(rm % 9 + 1, solution[rm / 9]) << ladderStepText(s);
                hardestLevel = std::max(hardestLevel, ladderInfo(s.technique).level);
            }
            // The ladder never needs more than the game's level on the game's puzzles.
            if (r.gameRating >= 0) {
                EXPECT_LE(hardestLevel, r.gameRating);
            }
            EXPECT_LE(r.beforePlacement, r.hardest);
            EXPECT_LE(r.first, r.hardest);
            if (::testing::Test::HasFailure()) return;
        }
    }
    EXPECT_GT(rated, 1900);
    EXPECT_LE(beyond, rated / 100);
}

// What the ladder keeps from one step to the next and from one puzzle to the
// next (the memo of fruitless searches, the almost locked sets of unchanged
// units) must never change a step: the steps of a solve that keeps them all
// from earlier puzzles are those of a solve in a new thread, without a memo.
TEST(LadderCorpus, KeptSearchesNeverChangeAStep) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    const auto says = [](const ladderStep& s) {
        std::string out = ladderStepText(s) + " @" + std::to_string(s.placeCell) + "=" + std::to_string(s.placeDigit);
        for (unsigned short r : s.removals) out += " -" + std::to_string(r);
        return out;
    };
    int compared = 0;
    for (size_t k = 0; k < lines.size(); k++) {
        short cells[81];
        cellsOf(lines[k], cells);
        std::vector<ladderStep> steps;
        ladderRate(cells, &steps);
        std::vector<std::string> kept, fresh;
        for (const ladderStep& s : steps) kept.push_back(says(s));
        std::thread([&] {
            ladderGrid g;
            g.start(cells);
            ladderOptions options;
            options.unique = true;
            ladderStep step;
            for (size_t n = 0; n < steps.size() && ladderNextStep(g, options, &step); n++) {
                fresh.push_back(says(step));
                g.apply(step);
            }
        }).join();
        ASSERT_EQ(fresh, kept) << lines[k];
        compared += static_cast<int>(kept.size());
    }
    EXPECT_GT(compared, 4000);
}

// Passing over the chain starts that can end nowhere with an effect must
// never change a chain: at every hard place of the corpus each chain kind
// gives the same step as a search from every start.
TEST(LadderCorpus, SkippedChainStartsNeverChangeAChain) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    const int chains[] = {techRemotePair, techXChain, techXCycle, techXYChain, techAic, techGroupedAic, techAlsAic};
    const auto says = [](int technique, const ladderGrid& g, std::string* out) {
        ladderStep s;
        *out = ladderTry(technique, g, &s) ? ladderStepText(s) : "none";
        for (unsigned short r : s.removals) *out += " -" + std::to_string(r);
    };
    int found = 0, places = 0;
    eachHardPlace(lines, 8, [&](const ladderGrid& g, const std::string& line) {
        if (::testing::Test::HasFatalFailure()) return;
        places++;
        for (int t : chains) {
            std::string skipping, everyStart;
            says(t, g, &skipping);
            ladderSkipQuietChainStarts(false);
            says(t, g, &everyStart);
            ladderSkipQuietChainStarts(true);
            ASSERT_EQ(skipping, everyStart) << line << " " << ladderInfo(t).key;
            found += skipping != "none";
        }
    });
    EXPECT_GT(places, 100);
    EXPECT_GT(found, 100);
}

// The WXYZ-Wing is found from its own two kinds of set; the search over all
// almost locked sets, kept to wings, must give the same step everywhere.
TEST(LadderCorpus, WxyzWingIsTheOneTheSearchOverAllSetsFinds) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    const auto says = [](bool found, const ladderStep& s) {
        std::string out = found ? ladderStepText(s) : "none";
        for (unsigned short r : s.removals) out += " -" + std::to_string(r);
        return out;
    };
    int found = 0;
    eachPlace(lines, 4, [&](const ladderGrid& g, const ladderStep&, const std::string& line) {
        if (::testing::Test::HasFatalFailure()) return;
        ladderStep direct, general;
        const bool d = findWxyzWing(g, &direct), a = findAlsXZ(g, true, &general);
        ASSERT_EQ(says(d, direct), says(a, general)) << line << " " << stateText(g);
        found += d;
    });
    EXPECT_GT(found, 1000);
}

// Unique rectangles and BUG+1 are sound only for a puzzle with one solution.
TEST(LadderTechniques, UniquenessOnlyWhenTheGivensHaveOneSolution) {
    for (const example& e : loadExamples()) {
        if (e.technique < techUniqueRectangle1 || e.technique > techBug) continue;
        ladderGrid g;
        ASSERT_TRUE(parseState(e.state, &g));
        ladderOptions options;
        options.unique = false;
        ladderStep step;
        for (int n = 0; n < 100 && ladderNextStep(g, options, &step); n++) {
            EXPECT_FALSE(step.technique >= techUniqueRectangle1 && step.technique <= techBug) << ladderInfo(e.technique).key;
            g.apply(step);
        }
    }
}

// The solutions are counted late, after steps were taken or not at all: a
// grid with none or several still gets no rating and no steps, and a full
// grid is solved only when it is valid.
TEST(LadderRate, NoSolutionOrSeveralAreNotRated) {
    short empty[81] = {0}, twoFives[81] = {0};
    twoFives[0] = twoFives[1] = 5;
    short solution[81], clash[81], deadly[81];
    {
        short givens[81];
        cellsOf(puzzleLines(VELUNDA_EXPERT_FILE)[0], givens);
        ASSERT_EQ(countSolutions(givens, 2, solution), 1);
    }
    std::copy(solution, solution + 81, clash);
    clash[0] = clash[1];
    // A rectangle of two digits over two boxes left open has two solutions;
    // open a box more, which singles fill before the ladder stalls.
    std::copy(solution, solution + 81, deadly);
    bool opened = false;
    for (int r1 = 0; r1 < 9 && !opened; r1++) {
        for (int r2 = r1 + 1; r2 < 9 && r2 / 3 == r1 / 3 && !opened; r2++) {
            for (int c1 = 0; c1 < 9 && !opened; c1++) {
                for (int c2 = (c1 / 3 + 1) * 3; c2 < 9 && !opened; c2++) {
                    if (solution[r1 * 9 + c1] == solution[r2 * 9 + c2] && solution[r1 * 9 + c2] == solution[r2 * 9 + c1]) {
                        for (int c : {r1 * 9 + c1, r1 * 9 + c2, r2 * 9 + c1, r2 * 9 + c2}) deadly[c] = 0;
                        const int other = (r1 / 3 + 1) % 3 * 27;  // a box of another band
                        for (int k = 0; k < 9; k++) deadly[other + k / 3 * 9 + k % 3] = 0;
                        opened = true;
                    }
                }
            }
        }
    }
    ASSERT_TRUE(opened);
    ASSERT_EQ(countSolutions(deadly, 3, nullptr), 2);
    const struct {
        const short* cells;
        int status;
    } cases[] = {{empty, ladderSeveral}, {twoFives, ladderNoSolution}, {clash, ladderNoSolution},
                 {deadly, ladderSeveral}, {solution, ladderSolved}};
    for (const auto& c : cases) {
        std::vector<ladderStep> steps(1);
        const ladderRating r = ladderRate(c.cells, &steps);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(steps.empty());
        if (c.status != ladderSolved) {
            EXPECT_EQ(r.level, levelBeyondLogic);
        }
    }
}

// Puzzles made to a level have it, are symmetric, have one solution, and
// come again from the same seed.
TEST(LadderMaker, LevelsSymmetryAndSeeds) {
    for (int level : {levelHard, levelExpert, levelExtreme}) {
        SCOPED_TRACE(ladderLevelName(level));
        short a[81], b[81];
        ASSERT_TRUE(ladderMakePuzzle(level, ladderPuzzleSeed(42, level), 2000, a));
        ASSERT_TRUE(ladderMakePuzzle(level, ladderPuzzleSeed(42, level), 2000, b));
        EXPECT_EQ(std::vector<short>(a, a + 81), std::vector<short>(b, b + 81));
        for (int c = 0; c < 81; c++) EXPECT_EQ(a[c] != 0, a[80 - c] != 0);
        EXPECT_EQ(countSolutions(a, 2), 1);
        EXPECT_EQ(ladderRate(a).level, level);
        ASSERT_TRUE(ladderMakePuzzle(level, ladderPuzzleSeed(43, level), 2000, b));
        EXPECT_NE(std::vector<short>(a, a + 81), std::vector<short>(b, b + 81));
    }
}

// Each puzzle made has one solution and no symmetric pair of givens to
// spare, as the plain count tells: the maker's shortcuts (pairs forced back
// by singles, the search only where another solution could differ) decide
// as the count would.
TEST(LadderMaker, PuzzlesAreUniqueAndMinimal) {
    int pairs = 0;
    for (long n = 0; n < 40; n++) {
        short cells[81];
        ladderRandomPuzzle(ladderPuzzleSeed(5, n), cells);
        ASSERT_EQ(countSolutions(cells, 2), 1) << n;
        for (int c = 0; c <= 40; c++) {
            if (!cells[c]) continue;
            short fewer[81];
            std::copy(cells, cells + 81, fewer);
            fewer[c] = fewer[80 - c] = 0;
            EXPECT_EQ(countSolutions(fewer, 2), 2) << n << ": cells " << c << " and " << 80 - c;
            pairs++;
        }
    }
    EXPECT_GT(pairs, 400);
}
