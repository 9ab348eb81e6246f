// The ladder's own solution counter against the game's: the same answer
// (none, one, two or more) and the same solution, on the corpora, on them
// with givens taken away or a wrong one added, on random sparse grids and
// on grids where a careless search wanders for long.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "engine/ladder/counter.h"
#include "engine/solutions.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

std::string textOf(const short* cells) {
    std::string out;
    for (int i = 0; i < 81; i++) out += cells[i] >= 1 && cells[i] <= 9 ? static_cast<char>('0' + cells[i]) : '.';
    return out;
}

// ladderSolutions and countSolutions(cells, 2) on one grid: the same count,
// the same solution when there is one, and no solution written otherwise.
// Adds the count to tally[].
::testing::AssertionResult agree(const short* cells, int* tally) {
    short mine[81], theirs[81];
    std::fill(mine, mine + 81, -1);
    const int expected = countSolutions(cells, 2, theirs);
    const int got = ladderSolutions(cells, mine);
    tally[expected]++;
    if (got != expected)
        return ::testing::AssertionFailure() << textOf(cells) << ": " << got << " instead of " << expected;
    if (expected == 1 && !std::equal(mine, mine + 81, theirs))
        return ::testing::AssertionFailure() << textOf(cells) << ": another solution";
    if (expected != 1 && std::any_of(mine, mine + 81, [](short v) { return v != -1; }))
        return ::testing::AssertionFailure() << textOf(cells) << ": a solution written";
    if (ladderSolutions(cells) != expected)
        return ::testing::AssertionFailure() << textOf(cells) << ": another count without a solution wanted";
    // From the grid of the givens with its open cells still holding the
    // digits decided around them, from the ladder's own grid of them, and
    // from where the ladder's steps up to the Hard tier (which keep every
    // solution) lead: the same count.
    ladderGrid g;
    g.start(cells);
    unsigned short wide[81];
    for (int c = 0; c < 81; c++) {
        wide[c] = g.cand[c];
        for (int p = 0; p < 81; p++)
            if (g.value[c] == 0 && g.value[p] != 0 && sees(c, p)) wide[c] |= static_cast<unsigned short>(1u << (g.value[p] - 1));
    }
    if (ladderSolutionsOf(wide, g.value) != expected)
        return ::testing::AssertionFailure() << textOf(cells) << ": another count with decided digits left around";
    if (ladderSolutionsOf(g) != expected)
        return ::testing::AssertionFailure() << textOf(cells) << ": another count from the ladder's grid of the givens";
    ladderOptions options;
    options.maxLevel = levelHard;
    ladderStep step;
    for (int n = 0; n < 30 && ladderNextStep(g, options, &step); n++) g.apply(step);
    if (ladderSolutionsOf(g.cand, g.value) != expected || ladderSolutionsOf(g) != expected)
        return ::testing::AssertionFailure() << textOf(cells) << ": another count from the grid after steps";
    return ::testing::AssertionSuccess();
}

// Grids where guessing on the first cell with fewest candidates, without
// box-line eliminations, searches for long: the counter gives that up and
// starts again more carefully. The last one has one solution, found before
// the first try gives up.
const char* const kWandering[] = {
    "...4.9....7................7.8.......9............2...86.3.....34.685.........4..",
    ".5........6..29.18....7............4.........4.9....8.6.........3.6..9..5.....8..",
    "..7...9..9......2...6........3..9...7...2..14..1.........7.....31.....6.6......31",
    "....7.3.8....8.47..3...........6....3...1........3.5...2...6.....6.....4.....1...",
    "2..............8.............759.......6...1.8.....5.....3..6.55......7....86..3.",
    "7.6....9........42..1...5.3........7.....9...........585.2...........2....2...3..",
    ".............3.5766..5.........2....27.8.......4.6..............3......2.2.34....",
    "..3..4....8..7..4.........83..5...6..12...9...69..7..32..14..361......5......68..",
};

}  // namespace

TEST(LadderCounter, AgreesWithTheGamesCounter) {
    std::mt19937 rng(7);
    int tally[3] = {};
    short cells[81], solution[81];
    for (const char* path : {VELUNDA_EXPERT_FILE, VELUNDA_CORPUS_FILE})
        for (const std::string& line : puzzleLines(path)) {
            cellsOf(line, cells);
            ASSERT_TRUE(agree(cells, tally));
            if (countSolutions(cells, 2, solution) != 1) continue;
            // Givens taken away: mostly several solutions.
            short fewer[81];
            std::copy(cells, cells + 81, fewer);
            for (int k = 1 + static_cast<int>(rng() % 8); k > 0; k--) fewer[rng() % 81] = 0;
            ASSERT_TRUE(agree(fewer, tally));
            // A given that is not the solution's: none.
            std::vector<int> open;
            for (int i = 0; i < 81; i++)
                if (cells[i] == 0) open.push_back(i);
            if (open.empty()) continue;
            short wrong[81];
            std::copy(cells, cells + 81, wrong);
            const int i = open[rng() % open.size()];
            wrong[i] = static_cast<short>(1 + (solution[i] + rng() % 8) % 9);
            ASSERT_TRUE(agree(wrong, tally));
        }
    for (int n = 0; n < 6000; n++) {
        std::fill(cells, cells + 81, 0);
        if (n % 2 == 0) {
            // Givens anywhere, often repeating a digit in a unit.
            for (int k = static_cast<int>(rng() % 30); k > 0; k--) cells[rng() % 81] = static_cast<short>(1 + rng() % 9);
        } else {
            // A few givens of a complete grid, now and then one more anywhere.
            std::srand(static_cast<unsigned>(rng()));
            randomSolution(solution);
            for (int k = 12 + static_cast<int>(rng() % 20); k > 0; k--) {
                const int i = static_cast<int>(rng() % 81);
                cells[i] = solution[i];
            }
            if (n % 3 == 0) cells[rng() % 81] = static_cast<short>(1 + rng() % 9);
        }
        ASSERT_TRUE(agree(cells, tally));
    }
    for (const char* text : kWandering) {
        cellsOf(text, cells);
        ASSERT_TRUE(agree(cells, tally));
    }
    // Every answer is well represented.
    EXPECT_GT(tally[0], 3000);
    EXPECT_GT(tally[1], 2000);
    EXPECT_GT(tally[2], 3000);
}

// The ladder counts the givens of whatever it is asked to rate; on these
// grids, where a plain search wanders, it must give the quick try up and
// find the answer in few guesses.
TEST(LadderCounter, FewGuessesWhereSearchesWander) {
    short cells[81];
    for (const char* text : kWandering) {
        cellsOf(text, cells);
        long guesses = -1;
        ladderSolutions(cells, nullptr, &guesses);
        // A few thousand at most; a search that never gives up the quick
        // try, or guesses carelessly after it, takes over ten thousand.
        EXPECT_LT(guesses, 8000) << text;
    }
}

TEST(LadderCounter, OddGivens) {
    const std::string solved = "534678912672195348198342567859761423426853791713924856961537284287419635345286179";
    short cells[81], out[81];
    struct example {
        const char* what;
        std::string grid;
        int solutions;
    } examples[] = {
        {"empty", std::string(81, '.'), 2},
        {"solved", solved, 1},
        {"solved but two cells swapped", "354" + solved.substr(3), 0},
        {"one cell open", "." + solved.substr(1), 1},
        {"a digit twice in a row", "5....5" + std::string(75, '.'), 0},
        {"a digit twice in a column", "7" + std::string(26, '.') + "7" + std::string(53, '.'), 0},
        {"a digit twice in a box", "3" + std::string(9, '.') + "3" + std::string(70, '.'), 0},
    };
    for (const auto& e : examples) {
        cellsOf(e.grid, cells);
        std::fill(out, out + 81, -1);
        EXPECT_EQ(ladderSolutions(cells, out), e.solutions) << e.what;
        if (e.solutions != 1) continue;
        for (int i = 0; i < 81; i++) EXPECT_EQ(out[i], solved[i] - '0') << e.what << ", cell " << i;
    }
    // Values outside 1..9 are open cells, whatever they are.
    cellsOf(solved, cells);
    cells[0] = 0;
    cells[40] = 10;
    cells[80] = -3;
    EXPECT_EQ(ladderSolutions(cells, out), 1);
    EXPECT_EQ(out[0], 5);
    EXPECT_EQ(out[40], 5);
    EXPECT_EQ(out[80], 9);
    std::fill(cells, cells + 81, static_cast<short>(-7));
    EXPECT_EQ(ladderSolutions(cells), 2);
}
