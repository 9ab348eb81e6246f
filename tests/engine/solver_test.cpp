// The solver's driver and bookkeeping: results and ratings, the player's
// entries, damaged values, placing and erasing digits, automatic mark-ups.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_util.h"

namespace {

using access = sudokuTestAccess;

const std::string kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

// From the external corpus: the stage that finishes each.
const std::string kVeryEasy =
    ".....23...7..8..49.8....1.6.....9.61.6.2...7.79.4........84..2.4....76...3....71.";
const std::string kEasy =
    "....9......6.4..........4.17.98..3.5.41.3.7.8.5..679.......5...3.41..5..9...8....";
const std::string kMedium =
    ".7.....8....1...9.5..893....3...78........6.27.2.85.39.27.............61....29...";
const std::string kMediumSolution =
    "971562384283174596546893127639247815458931672712685439827416953394758261165329748";
const std::string kTooHard =
    "9.476..3....9.5..8...23.6....83...9..2..7....6..4......4........57..9.....364....";

int solveCopy(const std::string& grid, int rate, std::string* result = nullptr) {
    sudoku s;
    setGrid(s, grid);
    int r = s.solvePuzzle(rate);
    if (result != nullptr) *result = gridString(s);
    return r;
}

TEST(SolvePuzzle, FullAndEmptyGrids) {
    std::string after;
    EXPECT_EQ(solveCopy(kSolution, 1, &after), 0);
    EXPECT_EQ(after, kSolution);
    EXPECT_EQ(solveCopy(kSolution, 0), -2);
    EXPECT_EQ(solveCopy("", 1, &after), -1);
    EXPECT_EQ(after, std::string(81, '.'));
    EXPECT_EQ(solveCopy("", 0), -1);
}

TEST(SolvePuzzle, BuiltInGridIsEasy) {
    ASSERT_EQ(kBuiltIn.size(), 81u);
    std::string after;
    EXPECT_EQ(solveCopy(kBuiltIn, 0, &after), -2);
    EXPECT_EQ(after.find('.'), std::string::npos);
    EXPECT_EQ(solveCopy(kBuiltIn, 1), 1);
}

TEST(SolvePuzzle, RatingIsTheStageThatFinishes) {
    EXPECT_EQ(solveCopy(kVeryEasy, 1), 0);
    EXPECT_EQ(solveCopy(kEasy, 1), 1);
    EXPECT_EQ(solveCopy(kMedium, 1), 2);
    std::string after;
    EXPECT_EQ(solveCopy(kTooHard, 1, &after), -1);
    // What could be placed stays.
    EXPECT_NE(after, kTooHard);
    EXPECT_NE(after.find('.'), std::string::npos);
}

TEST(SolvePuzzle, EveryRateButOneIsFullMode) {
    std::string after;
    for (int rate : {0, 2, -5, 100}) {
        EXPECT_EQ(solveCopy(kMedium, rate, &after), -2) << rate;
        EXPECT_EQ(after, kMediumSolution);
        EXPECT_EQ(solveCopy(kTooHard, rate), -1) << rate;
    }
}

TEST(SolvePuzzle, EntriesAreIgnoredAndOverwritten) {
    // Wrong entries everywhere the solver reaches: all replaced.
    std::string withEntries = kMedium;
    for (int i = 0; i < 81; i++)
        if (withEntries[i] == '.') withEntries[i] = static_cast<char>('a' + (kMediumSolution[i] - '0') % 9);
    std::string after;
    EXPECT_EQ(solveCopy(withEntries, 0, &after), -2);
    EXPECT_EQ(after, kMediumSolution);
}

TEST(SolvePuzzle, EntriesTheSolverCannotReachCountAsFilled) {
    const std::string solution =
        "914768532362915478785234619478351296529876143631492785146583927857129364293647851";
    std::string partial;
    ASSERT_EQ(solveCopy(kTooHard, 0, &partial), -1);
    // The cells the solver leaves open hold the right entries: solved.
    std::string withEntries = kTooHard;
    for (int i = 0; i < 81; i++)
        if (partial[i] == '.') withEntries[i] = static_cast<char>('a' + solution[i] - '1');
    sudoku s;
    setGrid(s, withEntries);
    EXPECT_EQ(s.solvePuzzle(0), -2);
    for (int i = 0; i < 81; i++) {
        if (partial[i] == '.') {
            EXPECT_LT(access::grid(s)[i / 9][i % 9], 0) << i;
        }
    }
    // A wrong one among them: a conflict, not solved.
    setGrid(s, withEntries);
    const size_t open = partial.find('.');
    access::grid(s)[open / 9][open % 9] = static_cast<short>(-(1 + solution[open] % 9));
    EXPECT_EQ(s.solvePuzzle(0), -1);
}

TEST(SolvePuzzle, DamagedValuesAreOpenCells) {
    std::string plain;
    // In open cells: replaced by the right digits.
    sudoku s;
    setGrid(s, kVeryEasy);
    access::grid(s)[0][0] = 42;
    access::grid(s)[0][1] = -300;
    EXPECT_EQ(s.solvePuzzle(0), -2);
    solveCopy(kVeryEasy, 0, &plain);
    EXPECT_EQ(gridString(s), plain);

    // In place of a given: no given, as if the cell were empty.
    std::string withoutGiven = kMedium;
    withoutGiven[1] = '.';
    const int expected = solveCopy(withoutGiven, 1, &plain);
    setGrid(s, kMedium);
    access::grid(s)[0][1] = 7000;
    EXPECT_EQ(s.solvePuzzle(1), expected);
    std::string after = gridString(s);
    if (plain[1] == '.') after[1] = '.';  // the solver could not replace it
    EXPECT_EQ(after, plain);

    // Nothing to replace it with: it stays, and the grid is not solved.
    setGrid(s, "");
    access::grid(s)[4][4] = 32767;
    EXPECT_EQ(s.solvePuzzle(1), -1);
    EXPECT_EQ(access::grid(s)[4][4], 32767);
}

TEST(SolvePuzzle, LeavesTablesOfTheFinalGrid) {
    sudoku s;
    setGrid(s, kTooHard);
    s.solvePuzzle(0);
    short rows[9][9], cols[9][9], boxes[9][9], notPossible[9][9];
    std::memcpy(rows, access::rowPossible(s), sizeof rows);
    std::memcpy(cols, access::colPossible(s), sizeof cols);
    std::memcpy(boxes, access::boxPossible(s), sizeof boxes);
    std::memcpy(notPossible, access::cellNotPossible(s), sizeof notPossible);
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    s.solve_fillCellNotPossible(-1);
    EXPECT_EQ(std::memcmp(rows, access::rowPossible(s), sizeof rows), 0);
    EXPECT_EQ(std::memcmp(cols, access::colPossible(s), sizeof cols), 0);
    EXPECT_EQ(std::memcmp(boxes, access::boxPossible(s), sizeof boxes), 0);
    EXPECT_EQ(std::memcmp(notPossible, access::cellNotPossible(s), sizeof notPossible), 0);

    // A rating that ends at stage 1 leaves no exclusions.
    setGrid(s, kEasy);
    access::cellNotPossible(s)[0][0] = 7;
    EXPECT_EQ(s.solvePuzzle(1), 1);
    for (int i = 0; i < 81; i++) EXPECT_EQ(access::cellNotPossible(s)[i / 9][i % 9], 0);
}

TEST(PlaceAndUnPlace, BadArgumentsChangeNothing) {
    sudoku s;
    setGrid(s, kVeryEasy);
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    short rows[9][9];
    std::memcpy(rows, access::rowPossible(s), sizeof rows);
    EXPECT_EQ(s.solve_place(0, 0, 10), -1);
    EXPECT_EQ(s.solve_place(0, 0, 0), -1);
    EXPECT_EQ(s.solve_place(9, 0, 5), -1);
    EXPECT_EQ(s.solve_place(0, -1, 5), -1);
    EXPECT_EQ(s.solve_unPlace(0, 9), -1);
    EXPECT_EQ(s.solve_unPlace(-1, 0), -1);
    EXPECT_EQ(gridString(s), kVeryEasy);
    EXPECT_EQ(std::memcmp(rows, access::rowPossible(s), sizeof rows), 0);
}

TEST(PlaceAndUnPlace, WriteAndEraseGivens) {
    sudoku s;
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    ASSERT_EQ(s.solve_place(4, 5, 7), 0);
    EXPECT_EQ(access::grid(s)[4][5], 7);
    EXPECT_EQ(access::rowPossible(s)[4][6], 0);
    EXPECT_EQ(access::colPossible(s)[5][6], 0);
    EXPECT_EQ(access::boxPossible(s)[4][6], 0);
    // Over an entry or another given: the cell takes the new digit.
    s.guess(0, 0, 3);
    EXPECT_EQ(s.solve_place(0, 0, 2), 0);
    EXPECT_EQ(access::grid(s)[0][0], 2);

    EXPECT_EQ(s.solve_unPlace(4, 5), 7);
    EXPECT_EQ(access::grid(s)[4][5], 0);
    EXPECT_EQ(access::rowPossible(s)[4][6], 1);
    EXPECT_EQ(access::colPossible(s)[5][6], 1);
    EXPECT_EQ(access::boxPossible(s)[4][6], 1);
}

// Every digit, 1 and 9 at the edges of the range: erasing gives the digit
// back and leaves the tables as they were before it was placed.
TEST(PlaceAndUnPlace, EraseEveryDigit) {
    sudoku s;
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    short rows[9][9], cols[9][9], boxes[9][9];
    std::memcpy(rows, access::rowPossible(s), sizeof rows);
    std::memcpy(cols, access::colPossible(s), sizeof cols);
    std::memcpy(boxes, access::boxPossible(s), sizeof boxes);
    for (int d = 1; d <= 9; d++) {
        ASSERT_EQ(s.solve_place(7, 2, d), 0);
        ASSERT_EQ(access::rowPossible(s)[7][d - 1], 0);
        EXPECT_EQ(s.solve_unPlace(7, 2), d);
        EXPECT_EQ(access::grid(s)[7][2], 0) << d;
        EXPECT_EQ(std::memcmp(rows, access::rowPossible(s), sizeof rows), 0) << d;
        EXPECT_EQ(std::memcmp(cols, access::colPossible(s), sizeof cols), 0) << d;
        EXPECT_EQ(std::memcmp(boxes, access::boxPossible(s), sizeof boxes), 0) << d;
    }
}

TEST(PlaceAndUnPlace, ErasingAnythingButAGivenOnlyClearsTheCell) {
    sudoku s;
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    std::memset(access::rowPossible(s), 0, sizeof access::rowPossible(s));
    s.guess(1, 1, 4);
    access::grid(s)[2][2] = 300;
    access::grid(s)[3][3] = -300;
    EXPECT_EQ(s.solve_unPlace(0, 0), 0);  // empty
    EXPECT_EQ(s.solve_unPlace(1, 1), 0);  // entry
    EXPECT_EQ(s.solve_unPlace(2, 2), 0);  // damaged
    EXPECT_EQ(s.solve_unPlace(3, 3), 0);
    EXPECT_EQ(gridString(s), std::string(81, '.'));
    for (int i = 0; i < 81; i++) EXPECT_EQ(access::rowPossible(s)[i / 9][i % 9], 0);
}

TEST(MarkUps, TheOnlyOpenCellGetsItsMissingDigit) {
    sudoku s;
    std::string grid = kSolution;
    const char missing = grid[0];
    grid[0] = '.';
    setGrid(s, grid);
    short marks[81];
    for (short& m : marks) m = 511;
    s.returnMarkUps(marks, 2);
    EXPECT_EQ(marks[0], 1 << (missing - '1'));
    for (int i = 1; i < 81; i++) EXPECT_EQ(marks[i], 0) << i;

    // Only digit 7 missing around (0, 0): bit 6, 64.
    setGrid(s, ".12345689" + std::string(72, '.'));
    s.returnMarkUps(marks, 2);
    EXPECT_EQ(marks[0], 64);
}

TEST(MarkUps, EntriesCountAsPlaced) {
    sudoku s;
    setGrid(s, "12345678.");
    s.guess(0, 8, 3);  // a wrong entry
    short marks[81];
    s.returnMarkUps(marks, 2);
    // The entry's cell: every digit of the row is present, its own too.
    EXPECT_EQ(marks[8], 1 << 8);
    // A cell below sees the entry's 3 as placed in its box.
    EXPECT_EQ(marks[9 + 7] & (1 << 2), 0);
    // The tables are left as a solve expects them: the entry ignored.
    EXPECT_EQ(access::rowPossible(s)[0][2], 0);
    EXPECT_EQ(access::boxPossible(s)[2][2], 1);
}

TEST(MarkUps, LevelTwoIsRefined) {
    sudoku s;
    setGrid(s, kMedium);
    short plain[81], refined[81];
    s.returnMarkUps(plain, 1);
    s.returnMarkUps(refined, 2);
    int fewer = 0;
    for (int i = 0; i < 81; i++) {
        EXPECT_EQ(refined[i] & ~plain[i], 0) << i;
        fewer += refined[i] != plain[i];
    }
    EXPECT_GT(fewer, 0);
    // Every mark of the solution's digit survives the refinement.
    for (int i = 0; i < 81; i++) {
        if (kMedium[i] == '.') {
            EXPECT_NE(refined[i] & (1 << (kMediumSolution[i] - '1')), 0) << i;
        }
    }
}

}  // namespace
