// Validation: which cells are flagged, when a grid counts as solved, and
// damaged values.
#include <gtest/gtest.h>

#include <string>

#include "engine_test_util.h"

namespace {

const std::string kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

std::string flagged(const short* conflicts) {
    std::string out;
    for (int i = 0; i < 81; i++)
        if (conflicts[i]) out += std::to_string(i) + " ";
    return out;
}

TEST(Validation, EmptyGridIsValidButNotSolved) {
    sudoku s;
    short conflicts[81];
    for (short& c : conflicts) c = 7;
    EXPECT_EQ(s.invalidPuzzle(conflicts), 0);
    EXPECT_EQ(flagged(conflicts), "");
    EXPECT_EQ(s.isSolvedPuzzle(conflicts), 0);
    EXPECT_EQ(s.isSolvedPuzzle(nullptr), 0);
}

TEST(Validation, OnlyLaterOccurrencesAreFlagged) {
    sudoku s;
    short conflicts[81];
    // Row 0: a given 5 at column 2 and an entry 5 at column 7.
    setGrid(s, "..5....e.");
    EXPECT_EQ(s.invalidPuzzle(conflicts), 1);
    EXPECT_EQ(flagged(conflicts), "7 ");
    EXPECT_EQ(s.invalidPuzzle(nullptr), 1);

    // One box, rows 1 and 2, different columns: the lower cell.
    setGrid(s, std::string(9, '.') + "3........" + ".3.......");
    EXPECT_EQ(s.invalidPuzzle(conflicts), 1);
    EXPECT_EQ(flagged(conflicts), "19 ");

    // One column: the lower cell; a third copy is flagged too.
    std::string column(81, '.');
    column[4] = column[40] = column[76] = '8';
    setGrid(s, column);
    EXPECT_EQ(s.invalidPuzzle(conflicts), 1);
    EXPECT_EQ(flagged(conflicts), "40 76 ");
}

TEST(Validation, FullGridsWithGivensOrEntries) {
    sudoku s;
    setGrid(s, kSolution);
    EXPECT_EQ(s.isSolvedPuzzle(nullptr), 1);

    // Every cell but the first row an entry: still solved.
    std::string entries = kSolution;
    for (int i = 9; i < 81; i++) entries[i] = static_cast<char>('a' + entries[i] - '1');
    setGrid(s, entries);
    EXPECT_EQ(s.isSolvedPuzzle(nullptr), 1);

    // One conflict in a full grid: -1, not 1, and the cell is flagged.
    std::string clash = kSolution;
    clash[80] = '8';
    setGrid(s, clash);
    short conflicts[81];
    EXPECT_EQ(s.isSolvedPuzzle(conflicts), -1);
    EXPECT_EQ(flagged(conflicts), "80 ");

    // A conflict wins over an empty cell.
    clash[0] = '.';
    setGrid(s, clash);
    EXPECT_EQ(s.isSolvedPuzzle(nullptr), -1);
}

TEST(Validation, DamagedValuesCountAsEmpty) {
    sudoku s;
    setGrid(s, kSolution);
    short conflicts[81];
    for (short damaged : {10, 42, -10, 32767, -32768}) {
        sudokuTestAccess::grid(s)[8][8] = damaged;
        EXPECT_EQ(s.invalidPuzzle(conflicts), 0) << damaged;
        EXPECT_EQ(flagged(conflicts), "") << damaged;
        // Otherwise conflict-free, but not complete.
        EXPECT_EQ(s.isSolvedPuzzle(nullptr), 0) << damaged;
    }
    // Two damaged values of the same kind in one row do not conflict.
    setGrid(s, "");
    sudokuTestAccess::grid(s)[0][0] = 100;
    sudokuTestAccess::grid(s)[0][1] = 100;
    EXPECT_EQ(s.invalidPuzzle(conflicts), 0);
}

}  // namespace
