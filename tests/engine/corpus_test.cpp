// The external corpus, and the bit-set solver against the step-by-step one.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>
#include <string>

#include "corpus.h"
#include "engine/solver_internal.h"
#include "engine_test_util.h"
#include "reference_solver.h"

namespace {

// Fewer under the sanitizers, where the step-by-step solver is slow.
#if defined(__SANITIZE_ADDRESS__)
const int kRandomGrids = 1000;
#else
const int kRandomGrids = 5000;
#endif

std::vector<corpusPuzzle>& corpus() {
    static std::vector<corpusPuzzle> puzzles = loadCorpus(VELUNDA_CORPUS_FILE);
    return puzzles;
}

void loadCells(sudoku& s, const short* cells) {
    for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
}

bool sameTable(short (&a)[9][9], short (&b)[9][9]) {
    return std::memcmp(a, b, sizeof a) == 0;
}

// Solves cells both ways and reports the first difference, if any.
::testing::AssertionResult solvesAlike(const short* cells, int rate) {
    sudoku s;
    loadCells(s, cells);
    const int result = s.solvePuzzle(rate);

    referenceSolver ref;
    ref.setCells(cells);
    const int expected = ref.solve(rate);

    short copy[9][9], rows[9][9], cols[9][9], boxes[9][9], notPossible[9][9];
    std::memcpy(copy, cells, sizeof copy);
    solverTables tables = {copy, rows, cols, boxes, notPossible};
    solveTrace trace;
    fastSolve(tables, rate, &trace);

    if (result != expected)
        return ::testing::AssertionFailure() << "result " << result << ", expected " << expected;
    if (gridString(s) != ref.grid())
        return ::testing::AssertionFailure() << "grid " << gridString(s) << "\nexpected " << ref.grid();
    if (trace.count != static_cast<int>(ref.placements.size()))
        return ::testing::AssertionFailure() << trace.count << " placements, expected " << ref.placements.size();
    for (int i = 0; i < trace.count; i++)
        if (trace.cell[i] != ref.placements[i].first || trace.digit[i] != ref.placements[i].second)
            return ::testing::AssertionFailure()
                   << "placement " << i << ": " << int(trace.digit[i]) << " at " << int(trace.cell[i]) << ", expected "
                   << ref.placements[i].second << " at " << ref.placements[i].first;
    if (!sameTable(sudokuTestAccess::rowPossible(s), ref.rowPossible) ||
        !sameTable(sudokuTestAccess::colPossible(s), ref.colPossible) ||
        !sameTable(sudokuTestAccess::boxPossible(s), ref.boxPossible))
        return ::testing::AssertionFailure() << "presence tables differ";
    if (!sameTable(sudokuTestAccess::cellNotPossible(s), ref.cellNotPossible))
        return ::testing::AssertionFailure() << "cellNotPossible differs";
    return ::testing::AssertionSuccess();
}

TEST(Corpus, FullModeNeverPlacesAWrongDigit) {
    ASSERT_GE(corpus().size(), 1000u);
    int completed = 0, wrong = 0;
    std::map<int, int> ratings;
    for (const corpusPuzzle& p : corpus()) {
        short cells[81];
        corpusCells(p.puzzle, cells);
        sudoku s;
        loadCells(s, cells);
        if (s.solvePuzzle(0) == -2) completed++;
        const std::string grid = gridString(s);
        for (int i = 0; i < 81; i++)
            if (grid[i] != '.' && grid[i] != p.solution[i]) wrong++;

        sudoku rated;
        loadCells(rated, cells);
        ratings[rated.solvePuzzle(1)]++;
    }
    std::printf("corpus: %zu puzzles, full mode completes %d, wrong digits %d\n", corpus().size(), completed,
                wrong);
    std::printf("ratings: Very Easy %d, Easy %d, Medium %d, not completed %d\n", ratings[0], ratings[1],
                ratings[2], ratings[-1]);
    EXPECT_EQ(wrong, 0);
    // Observed when the corpus was made; a change means the solver changed.
    EXPECT_EQ(completed, 615);
    EXPECT_EQ(ratings[0], 17);
    EXPECT_EQ(ratings[1], 208);
    EXPECT_EQ(ratings[2], 390);
    EXPECT_EQ(ratings[2] + ratings[1] + ratings[0], completed);
}

TEST(SolverEquivalence, CorpusPuzzles) {
    for (const corpusPuzzle& p : corpus()) {
        short cells[81];
        corpusCells(p.puzzle, cells);
        ASSERT_TRUE(solvesAlike(cells, 0)) << p.puzzle;
        ASSERT_TRUE(solvesAlike(cells, 1)) << p.puzzle;
    }
}
// Grids the corpus does not show: sparse or dense subsets of a solution,
// wrong givens, random digits with conflicts, the player's entries and
// damaged values.
std::vector<std::vector<short>> randomGrids(int count, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<std::vector<short>> grids;
    for (int n = 0; n < count; n++) {
        const corpusPuzzle& p = corpus()[random() % corpus().size()];
        std::vector<short> cells(81, 0);
        const int kind = n % 5;
        if (kind == 0 || kind == 1) {  // a subset of the solution
            const unsigned keep = 20 + random() % 40;
            for (int i = 0; i < 81; i++)
                if (random() % 81 < keep) cells[i] = static_cast<short>(p.solution[i] - '0');
        } else if (kind == 2) {  // the puzzle with a few wrong givens
            corpusCells(p.puzzle, cells.data());
            for (int k = 1 + random() % 3; k > 0; k--) cells[random() % 81] = static_cast<short>(1 + random() % 9);
        } else if (kind == 3) {  // random digits
            for (int i = 0; i < 81; i++)
                if (random() % 4 == 0) cells[i] = static_cast<short>(1 + random() % 9);
        } else {  // the puzzle with entries, right or wrong, and damaged values
            corpusCells(p.puzzle, cells.data());
            for (int i = 0; i < 81; i++) {
                if (cells[i] != 0) continue;
                const unsigned roll = random() % 10;
                if (roll == 0) cells[i] = static_cast<short>(-(p.solution[i] - '0'));
                if (roll == 1) cells[i] = static_cast<short>(-(1 + random() % 9));
                if (roll == 2) cells[i] = static_cast<short>(random() % 2 ? 10 + random() % 100 : -10 - random() % 100);
            }
        }
        grids.push_back(cells);
    }
    return grids;
}

TEST(SolverEquivalence, RandomGrids) {
    for (const std::vector<short>& cells : randomGrids(kRandomGrids, 20261207u)) {
        ASSERT_TRUE(solvesAlike(cells.data(), 0)) << ::testing::PrintToString(cells);
        ASSERT_TRUE(solvesAlike(cells.data(), 1)) << ::testing::PrintToString(cells);
    }
}

// The public step-by-step methods, on the object's tables, against the same
// steps of the reference: tables, exclusions, counts and placements.
TEST(SolverEquivalence, PublicMethodsOnRandomGrids) {
    for (const std::vector<short>& cells : randomGrids(kRandomGrids / 4, 7u)) {
        for (int level : {-1, 0, 1, 2}) {
            sudoku s;
            loadCells(s, cells.data());
            referenceSolver ref;
            ref.setCells(cells.data());

            short marks[81], refMarks[81];
            s.returnMarkUps(marks, level);
            ref.markUps(refMarks, level);
            ASSERT_EQ(std::vector<short>(marks, marks + 81), std::vector<short>(refMarks, refMarks + 81));
            ASSERT_TRUE(sameTable(sudokuTestAccess::cellNotPossible(s), ref.cellNotPossible));
            ASSERT_TRUE(sameTable(sudokuTestAccess::rowPossible(s), ref.rowPossible));
            ASSERT_TRUE(sameTable(sudokuTestAccess::boxPossible(s), ref.boxPossible));

            // returnMarkUps left the tables with entries ignored, as a solve needs.
            ASSERT_EQ(s.solve_singleNum(level), ref.singleNum(level));
            ASSERT_EQ(s.solve_crossRef(level), ref.crossRef(level));
            ASSERT_EQ(s.solve_box(level), ref.box(level));
            ASSERT_EQ(gridString(s), ref.grid());
            ASSERT_TRUE(sameTable(sudokuTestAccess::cellNotPossible(s), ref.cellNotPossible));
            ASSERT_TRUE(sameTable(sudokuTestAccess::colPossible(s), ref.colPossible));

            s.solve_clearCellNotPossible();
            std::memset(ref.cellNotPossible, 0, sizeof ref.cellNotPossible);
            s.solve_fillContingents(0);
            ref.fillContingents();
            ASSERT_TRUE(sameTable(sudokuTestAccess::cellNotPossible(s), ref.cellNotPossible));
            for (;;) {
                const int changes = s.solve_fillDoublePairs(0);
                ASSERT_EQ(changes, ref.fillDoublePairs());
                ASSERT_TRUE(sameTable(sudokuTestAccess::cellNotPossible(s), ref.cellNotPossible));
                if (changes == 0) break;
            }
        }
    }
}

}  // namespace
