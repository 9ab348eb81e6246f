// The placing techniques and the two refinements, on boards built to show
// one effect each. Most boards let a single digit be a candidate: every
// other digit counts as present in every box, and the cells that must not
// hold the digit are filled.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_util.h"

namespace {

using access = sudokuTestAccess;

// Every cell filled (with a 9 the tables do not know about) except those
// marked 'x'; only the digits in `digits` are absent anywhere; nothing
// excluded yet.
void board(sudoku& s, const std::string& open, const std::string& digits) {
    for (int i = 0; i < 81; i++) access::grid(s)[i / 9][i % 9] = static_cast<short>(open[i] == 'x' ? 0 : 9);
    for (int u = 0; u < 9; u++)
        for (int d = 0; d < 9; d++) {
            const bool free = digits.find(static_cast<char>('1' + d)) != std::string::npos;
            access::rowPossible(s)[u][d] = 1;
            access::colPossible(s)[u][d] = 1;
            access::boxPossible(s)[u][d] = free ? 1 : 0;
        }
    s.solve_clearCellNotPossible();
}

// 81 characters from cells (row, column) written as "r,c r,c ...".
std::string cells(const std::string& list) {
    std::string out(81, '.');
    for (size_t i = 0; i + 2 < list.size() + 1; i += 4) out[(list[i] - '0') * 9 + (list[i + 2] - '0')] = 'x';
    return out;
}

// The cells whose exclusions carry the digit's bit, as cells() writes them.
std::string excluded(sudoku& s, int digit) {
    std::string out(81, '.');
    for (int i = 0; i < 81; i++)
        if (access::cellNotPossible(s)[i / 9][i % 9] & numberMask[digit - 1]) out[i] = 'x';
    return out;
}

std::string rowCells(int row, int fromCol, int toCol) {
    std::string list;
    for (int c = fromCol; c <= toCol; c++) list += std::to_string(row) + "," + std::to_string(c) + " ";
    return cells(list);
}

std::string unite(std::string a, const std::string& b) {
    for (int i = 0; i < 81; i++)
        if (b[i] == 'x') a[i] = 'x';
    return a;
}

const std::string kSolution =
    "534678912672195348198342567859761423426853791713924856961537284287419635345286179";

// --- Placing techniques -------------------------------------------------

TEST(Singles, FilledGridPlacesNothing) {
    sudoku s;
    setGrid(s, kSolution);
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    for (int level : {0, 2}) {
        EXPECT_EQ(s.solve_singleNum(level), 0);
        EXPECT_EQ(s.solve_crossRef(level), 0);
        EXPECT_EQ(s.solve_box(level), 0);
    }
    EXPECT_EQ(gridString(s), kSolution);
}

TEST(Singles, PlacementsTakeEffectForLaterCellsOfTheScan) {
    // Row 0 lacks 4 and 7; a 7 in column 0 leaves (0, 0) only 4, and then
    // (0, 1) only 7.
    sudoku s;
    setGrid(s, "..1235689" + std::string(36, '.') + "7" + std::string(35, '.'));
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    EXPECT_EQ(s.solve_singleNum(0), 2);
    EXPECT_EQ(gridString(s).substr(0, 9), "471235689");
    EXPECT_EQ(access::rowPossible(s)[0][3], 0);
    EXPECT_EQ(access::colPossible(s)[1][6], 0);
    EXPECT_EQ(access::boxPossible(s)[0][6], 0);
}

TEST(Singles, TwoCandidatesAreNoSingle) {
    sudoku s;
    setGrid(s, "12.4567.9");  // (0, 2) and (0, 7): 3 or 8
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    EXPECT_EQ(s.solve_singleNum(0), 0);
    EXPECT_EQ(s.solve_crossRef(0), 0);
    EXPECT_EQ(gridString(s).substr(0, 9), "12.4567.9");
}

TEST(Singles, EntriesAreOpenCellsAndGetOverwritten) {
    sudoku s;
    setGrid(s, "12345678c");  // an entry 3 where only 9 fits
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    EXPECT_EQ(s.solve_crossRef(0), 1);
    EXPECT_EQ(gridString(s).substr(0, 9), "123456789");
}

TEST(Singles, RefinementMakesANakedSingle) {
    // (4, 4) has base candidates 2 and 5. In box 3 the 5 can only go in row
    // 4, so the box contingents exclude it from (4, 4): a single 2.
    sudoku s;
    const std::string open = cells("3,0 4,0 4,1 4,4");
    board(s, open, "235");
    for (int r = 0; r < 9; r++)
        if (r != 3) access::rowPossible(s)[r][2] = 0;  // 3 only in row 3
    access::rowPossible(s)[3][4] = 0;                  // no 5 in row 3
    EXPECT_EQ(s.solve_singleNum(1), 0);
    EXPECT_EQ(s.solve_crossRef(1), 0);
    EXPECT_EQ(s.solve_singleNum(2), 1);
    EXPECT_EQ(access::grid(s)[4][4], 2);
}

TEST(BoxPlacement, OneScanPlacesEveryBoxOfADigitBeforeRecomputing) {
    // Digit 4: one cell in boxes 0, 1 and 4, two in box 8. Boxes 0 and 1
    // offer it in the same row: both are placed, and the repeat shows in
    // the validation.
    sudoku s;
    board(s, cells("0,0 0,3 4,4 6,6 8,8"), "4");
    EXPECT_EQ(s.solve_box(0), 3);
    EXPECT_EQ(access::grid(s)[0][0], 4);
    EXPECT_EQ(access::grid(s)[0][3], 4);
    EXPECT_EQ(access::grid(s)[4][4], 4);
    EXPECT_EQ(access::grid(s)[6][6], 0);
    EXPECT_EQ(s.invalidPuzzle(nullptr), 1);
}

TEST(BoxPlacement, AloneInARowIsNotEnough) {
    // (0, 0) is the digit's only cell in row 0 but not in box 0.
    sudoku s;
    board(s, cells("0,0 1,1"), "4");
    EXPECT_EQ(s.solve_box(0), 0);
}

// --- Box contingents ------------------------------------------------------

void contingentsFor(sudoku& s) {
    s.solve_clearCellNotPossible();
    s.solve_fillContingents(0);
}

TEST(Contingents, PointingRowsAndColumns) {
    // Two or three cells on one row of a box: the rest of that grid row,
    // filled cells included. The 5s of box 4 are on three rows and columns.
    const std::string box4 = cells("3,3 4,4 5,5");
    for (const std::string& inBox0 : {cells("0,0 0,2"), cells("0,0 0,1 0,2")}) {
        sudoku s;
        board(s, unite(inBox0, box4), "5");
        contingentsFor(s);
        EXPECT_EQ(excluded(s, 5), rowCells(0, 3, 8));
    }
    sudoku s;
    board(s, unite(cells("0,0 2,0"), box4), "5");
    contingentsFor(s);
    EXPECT_EQ(excluded(s, 5), cells("3,0 4,0 5,0 6,0 7,0 8,0"));
}

TEST(Contingents, NoLineNoExclusion) {
    for (const std::string& inBox0 : {cells("0,0 0,1 1,0"), cells("1,1")}) {
        sudoku s;
        board(s, inBox0, "5");
        contingentsFor(s);
        EXPECT_EQ(excluded(s, 5), std::string(81, '.'));
    }
}

TEST(Contingents, OnlyBaseCandidatesCount) {
    // An exclusion already written does not make a line for the next box.
    sudoku s;
    board(s, cells("0,0 0,1 1,0"), "5");
    access::cellNotPossible(s)[1][0] = numberMask[4];
    s.solve_fillContingents(0);
    EXPECT_EQ(excluded(s, 5), cells("1,0"));
}

// The spots of box 4 with every digit in `digits` at the listed box cells
// (row * 3 + column inside the box), and digit 1 everywhere.
struct boxSpots {
    short spots[3][3][9] = {};
    short counts[9] = {};
    void add(int digit, std::initializer_list<int> boxCells) {
        for (int k : boxCells) {
            spots[k / 3][k % 3][digit - 1] = 1;
            counts[digit - 1]++;
        }
    }
};

std::string cellNotPossibleOf(sudoku& s) {
    std::string out;
    for (int i = 0; i < 81; i++)
        if (access::cellNotPossible(s)[i / 9][i % 9] != 0)
            out += std::to_string(i) + ":" +
                   std::to_string(static_cast<unsigned short>(access::cellNotPossible(s)[i / 9][i % 9])) + " ";
    return out;
}

TEST(HiddenPairs, PairAndTripleExcludeEveryOtherDigit) {
    sudoku s;
    boxSpots pair;
    pair.add(1, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    pair.add(2, {0, 7});  // grid cells (3, 3) and (5, 4)
    pair.add(7, {0, 7});
    s.solve_clearCellNotPossible();
    s.solve_fillSpotContingents(4, pair.spots, pair.counts);
    // Bits 9 to 15 come with the complement.
    EXPECT_EQ(cellNotPossibleOf(s), "30:65469 49:65469 ");

    boxSpots triple;
    triple.add(2, {0, 4, 8});
    triple.add(7, {0, 4, 8});
    triple.add(9, {0, 4, 8});
    s.solve_clearCellNotPossible();
    s.solve_fillSpotContingents(4, triple.spots, triple.counts);
    EXPECT_EQ(cellNotPossibleOf(s), "30:65213 40:65213 50:65213 ");
}

TEST(HiddenPairs, OtherGroupingsExcludeNothing) {
    sudoku s;
    boxSpots spread;  // 9 has one cell more than 2 and 7
    spread.add(2, {0, 4, 8});
    spread.add(7, {0, 4, 8});
    spread.add(9, {0, 1, 4, 8});
    boxSpots twoInThree;  // two digits sharing three cells
    twoInThree.add(3, {0, 4, 8});
    twoInThree.add(6, {0, 4, 8});
    boxSpots threeInTwo;  // more digits than cells
    threeInTwo.add(3, {2, 5});
    threeInTwo.add(4, {2, 5});
    threeInTwo.add(6, {2, 5});
    boxSpots single;
    single.add(3, {2});
    single.add(4, {2});
    for (boxSpots* spots : {&spread, &twoInThree, &single}) {
        s.solve_clearCellNotPossible();
        s.solve_fillSpotContingents(4, spots->spots, spots->counts);
        EXPECT_EQ(cellNotPossibleOf(s), "");
    }
    // Three digits in two cells: the first finds three, but the second
    // finds itself and the third, a pair {4, 6}.
    s.solve_clearCellNotPossible();
    s.solve_fillSpotContingents(4, threeInTwo.spots, threeInTwo.counts);
    EXPECT_EQ(cellNotPossibleOf(s), "32:65495 41:65495 ");
}

TEST(HiddenPairs, FoundThroughTheBoxScan) {
    // Box 4 on a real grid: 2 and 7 are kept out of every cell but (3, 3)
    // and (5, 4) by lines from outside and two givens.
    sudoku s;
    std::string grid(81, '.');
    grid[4 * 9 + 0] = '2';
    grid[0 * 9 + 5] = '2';
    grid[4 * 9 + 8] = '7';
    grid[8 * 9 + 5] = '7';
    grid[3 * 9 + 4] = '1';
    grid[5 * 9 + 3] = '3';
    setGrid(s, grid);
    s.solve_fillRCPossible(0);
    s.solve_fillBoxPossible(0);
    contingentsFor(s);
    EXPECT_EQ(static_cast<unsigned short>(access::cellNotPossible(s)[3][3]), 0xFFBD);
    EXPECT_EQ(static_cast<unsigned short>(access::cellNotPossible(s)[5][4]), 0xFFBD);
}

// --- Double pairs ---------------------------------------------------------

TEST(DoublePairs, StackOfTwoBoxesInTheSameTwoColumns) {
    sudoku s;
    // Digit 4: box 0 in columns 0 and 1, box 3 in columns 1 and 0.
    board(s, cells("0,0 1,1 3,1 5,0 6,0 7,2 8,1"), "4");
    EXPECT_GE(s.solve_fillDoublePairs(0), 1);
    EXPECT_EQ(excluded(s, 4), cells("6,0 6,1 7,0 7,1 8,0 8,1"));
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);

    // Columns 0 and 1 against 0 and 2: nothing.
    board(s, cells("0,0 1,1 3,0 5,2 6,0 7,2 8,1"), "4");
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);
    EXPECT_EQ(excluded(s, 4), std::string(81, '.'));
}

TEST(DoublePairs, BandOfTwoBoxesInTheSameTwoRows) {
    sudoku s;
    // Box 0 in rows 0 and 2, box 2 in rows 2 and 0: box 1 loses both rows.
    board(s, cells("0,0 2,1 2,6 0,8 1,4"), "4");
    EXPECT_GE(s.solve_fillDoublePairs(0), 1);
    EXPECT_EQ(excluded(s, 4), cells("0,3 0,4 0,5 2,3 2,4 2,5"));
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);
}

TEST(DoublePairs, OneColumnOrThreeColumnsTakeNoPartInTheStack) {
    sudoku s;
    // Box 0 in one column: no pattern with box 3.
    board(s, cells("0,0 1,0 3,0 4,1 6,2"), "4");
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);
    // Box 0 over three columns but two rows: the band rule with box 1 still
    // applies, the stack rule with box 3 does not.
    board(s, cells("0,0 0,1 1,2 0,3 1,5 3,0 4,1 6,2"), "4");
    EXPECT_GE(s.solve_fillDoublePairs(0), 1);
    EXPECT_EQ(excluded(s, 4), unite(rowCells(0, 6, 8), rowCells(1, 6, 8)));
}

TEST(DoublePairs, RepeatedUntilNothingChanges) {
    // The stack pattern of boxes 0 and 3 leaves box 6 in rows 6 and 7, which
    // with box 7 makes a band pattern that empties rows 6 and 7 of box 8.
    sudoku s;
    const std::string open = cells("0,0 1,1 2,0 3,1 4,0 6,0 8,1 6,2 7,2 6,3 7,4 6,6 8,8");
    board(s, open, "4");
    EXPECT_GE(s.solve_fillDoublePairs(0), 1);
    EXPECT_EQ(excluded(s, 4), cells("6,0 6,1 7,0 7,1 8,0 8,1"));
    EXPECT_GE(s.solve_fillDoublePairs(0), 1);
    EXPECT_EQ(excluded(s, 4), unite(cells("6,0 6,1 7,0 7,1 8,0 8,1"), unite(rowCells(6, 6, 8), rowCells(7, 6, 8))));
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);

    // The refinement repeats them by itself.
    board(s, open, "4");
    s.solve_fillCellNotPossible(2);
    EXPECT_EQ(excluded(s, 4), unite(cells("6,0 6,1 7,0 7,1 8,0 8,1"), unite(rowCells(6, 6, 8), rowCells(7, 6, 8))));
}

TEST(DoublePairs, ContingentExclusionsCompleteAPattern) {
    // Box 1 offers 6 in rows 0, 1 and 2, but the pointing column of box 4
    // takes (2, 5): then boxes 0 and 1 share rows 0 and 1, and box 2 loses
    // them.
    sudoku s;
    const std::string open = cells("0,0 1,1 0,3 1,4 2,5 2,6 3,5 4,5");
    board(s, open, "6");
    EXPECT_EQ(s.solve_fillDoublePairs(0), 0);
    s.solve_fillCellNotPossible(2);
    const std::string pointing = cells("0,5 1,5 2,5 6,5 7,5 8,5");
    EXPECT_EQ(excluded(s, 6), unite(pointing, unite(rowCells(0, 6, 8), rowCells(1, 6, 8))));
    // Level 1 refines nothing.
    s.solve_fillCellNotPossible(1);
    EXPECT_EQ(excluded(s, 6), std::string(81, '.'));
}

}  // namespace
