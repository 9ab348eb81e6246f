// The solver's log: setting one changes nothing the solver does, and what
// it records is complete (every exclusion bit once, every placement in
// order), since explain builds its reasoning on it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "corpus.h"
#include "engine_test_util.h"

namespace {

struct tables {
    short grid[9][9], rows[9][9], cols[9][9], boxes[9][9], notPossible[9][9];
};

tables tablesOf(sudoku& s) {
    tables t;
    std::memcpy(t.grid, sudokuTestAccess::grid(s), sizeof t.grid);
    std::memcpy(t.rows, sudokuTestAccess::rowPossible(s), sizeof t.rows);
    std::memcpy(t.cols, sudokuTestAccess::colPossible(s), sizeof t.cols);
    std::memcpy(t.boxes, sudokuTestAccess::boxPossible(s), sizeof t.boxes);
    std::memcpy(t.notPossible, sudokuTestAccess::cellNotPossible(s), sizeof t.notPossible);
    return t;
}

}  // namespace

// Over the corpus, both modes: the same result and the same tables with a
// log as without, and the log's placements are the cells the solve filled,
// in a grid that replays to the same end.
TEST(SolverLog, ChangesNothingAndRecordsEveryPlacement) {
    const std::vector<corpusPuzzle> corpus = loadCorpus(VELUNDA_CORPUS_FILE);
    ASSERT_GE(corpus.size(), 1000u);
    std::unique_ptr<solverLog> log(new solverLog);
    for (const corpusPuzzle& p : corpus)
        for (int rate : {1, 0}) {
            sudoku plain, logged;
            setGrid(plain, p.puzzle);
            setGrid(logged, p.puzzle);
            log->placementCount = -1;
            log->exclusionCount = 0;
            logged.setSolverLog(log.get());
            const int expected = plain.solvePuzzle(rate);
            ASSERT_EQ(logged.solvePuzzle(rate), expected) << p.puzzle;
            const tables a = tablesOf(plain), b = tablesOf(logged);
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << p.puzzle;
            EXPECT_EQ(log->exclusionCount, 0) << "the fast solve draws no exclusions";

            short grid[81];
            corpusCells(p.puzzle, grid);
            int lastLevel = rate == 1 ? 0 : -1;
            for (int i = 0; i < log->placementCount; i++) {
                const solverPlacement& m = log->placements[i];
                ASSERT_EQ(grid[m.cell], 0) << p.puzzle;
                ASSERT_LE(m.basis, i);
                if (!m.byBox) {
                    EXPECT_EQ(m.basis, i) << "a cell scan refreshes after every placement";
                }
                EXPECT_GE(m.level, lastLevel);
                lastLevel = m.level;
                grid[m.cell] = m.digit;
            }
            for (int i = 0; i < 81; i++) ASSERT_EQ(grid[i], a.grid[i / 9][i % 9]) << p.puzzle;
        }
}

// The refinement's log names every exclusion bit it set, once, with its
// reason, and the game's mark-ups are the same with a log as without.
TEST(SolverLog, ExclusionsAccountForEveryBit) {
    const std::vector<corpusPuzzle> corpus = loadCorpus(VELUNDA_CORPUS_FILE);
    std::unique_ptr<solverLog> log(new solverLog);
    int kinds[6] = {0};
    for (size_t n = 0; n < corpus.size(); n += 5) {
        sudoku plain, logged;
        setGrid(plain, corpus[n].puzzle);
        setGrid(logged, corpus[n].puzzle);
        log->exclusionCount = 0;
        logged.setSolverLog(log.get());
        short a[81], b[81];
        plain.returnMarkUps(a, 2);
        logged.returnMarkUps(b, 2);
        ASSERT_EQ(std::memcmp(a, b, sizeof a), 0);
        short seen[81] = {0};
        for (int i = 0; i < log->exclusionCount; i++) {
            const solverExclusion& e = log->exclusions[i];
            ASSERT_TRUE(e.digit >= 1 && e.digit <= 9 && e.cell < 81 && e.kind <= excludedDoublePairStack);
            EXPECT_EQ(seen[e.cell] & (1 << (e.digit - 1)), 0) << "recorded twice";
            seen[e.cell] = static_cast<short>(seen[e.cell] | (1 << (e.digit - 1)));
            kinds[e.kind]++;
        }
        for (int i = 0; i < 81; i++)
            EXPECT_EQ(seen[i], sudokuTestAccess::cellNotPossible(logged)[i / 9][i % 9] & 0x1FF) << corpus[n].puzzle;
    }
    for (int k = 0; k < 6; k++) EXPECT_GT(kinds[k], 0) << "the corpus shows every kind; kind " << k;
}
