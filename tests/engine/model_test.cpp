// The puzzle model: entries versus givens, whole-grid operations, the
// author rules and the one-level undo.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_util.h"

namespace {

// Row 0: a given 5, an entry 3, seven empty cells; row 1 starts with a given 4.
const std::string kMixed = "5c" + std::string(7, '.') + "4" + std::string(71, '.');

TEST(PuzzleModel, StartsEmptyWithoutAuthor) {
    sudoku s;
    EXPECT_EQ(gridString(s), std::string(81, '.'));
    char author[45] = "junk";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "");
}

TEST(PuzzleModel, DigitMasksAreBitsAndComplements) {
    for (int d = 0; d < 9; d++) {
        EXPECT_EQ(numberMask[d], 1 << d);
        EXPECT_EQ(static_cast<unsigned short>(notNumberMask[d]), static_cast<unsigned short>(~(1 << d)));
    }
}

TEST(PuzzleModel, GuessStoresNegatedDigitAndProtectsGivens) {
    sudoku s;
    setGrid(s, kMixed);
    EXPECT_EQ(s.guess(0, 0, 7), -2);  // a given
    EXPECT_EQ(s.guess(0, 1, 7), 0);   // replaces the entry -3
    EXPECT_EQ(s.guess(0, 2, 9), 0);   // empty cell
    EXPECT_EQ(gridString(s).substr(0, 3), "5gi");
}

TEST(PuzzleModel, GuessAndUnGuessRejectBadArguments) {
    sudoku s;
    EXPECT_EQ(s.guess(0, 0, 0), -1);
    EXPECT_EQ(s.guess(0, 0, 10), -1);
    EXPECT_EQ(s.guess(-1, 0, 5), -1);
    EXPECT_EQ(s.guess(0, 9, 5), -1);
    EXPECT_EQ(s.unGuess(9, 0), -1);
    EXPECT_EQ(s.unGuess(0, -1), -1);
    EXPECT_EQ(gridString(s), std::string(81, '.'));
}

TEST(PuzzleModel, UnGuessClearsEntriesButNotGivens) {
    sudoku s;
    setGrid(s, kMixed);
    EXPECT_EQ(s.unGuess(0, 0), -2);
    EXPECT_EQ(s.unGuess(0, 1), 0);
    EXPECT_EQ(s.unGuess(0, 2), 0);  // already empty: still fine
    EXPECT_EQ(gridString(s).substr(0, 3), "5..");
}

TEST(PuzzleModel, DamagedValuesCountAsEmptyForEntries) {
    sudoku s;
    sudokuTestAccess::grid(s)[4][4] = 12;
    sudokuTestAccess::grid(s)[4][5] = -40;
    EXPECT_EQ(s.guess(4, 4, 3), 0);
    EXPECT_EQ(s.unGuess(4, 5), 0);
    EXPECT_EQ(sudokuTestAccess::grid(s)[4][4], -3);
    EXPECT_EQ(sudokuTestAccess::grid(s)[4][5], 0);
}

TEST(PuzzleModel, ResetKeepsGivensAndAuthorClearEmptiesEverything) {
    sudoku s;
    setGrid(s, "5c5c" + std::string(77, '.'));
    s.setAuthor("Ann");
    s.resetPuzzle();
    EXPECT_EQ(gridString(s).substr(0, 5), "5.5..");
    char author[45] = "";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "Ann");

    s.clearPuzzle();
    EXPECT_EQ(gridString(s), std::string(81, '.'));
    s.returnAuthor(author);
    EXPECT_STREQ(author, "");
}

TEST(PuzzleModel, ReturnPuzzleIsRowMajor) {
    sudoku s;
    sudokuTestAccess::grid(s)[2][7] = 4;
    short cells[81];
    s.returnPuzzle(cells);
    EXPECT_EQ(cells[2 * 9 + 7], 4);
}

TEST(Author, IsSetOnlyOnce) {
    sudoku s;
    EXPECT_EQ(s.setAuthor(nullptr), -1);
    EXPECT_EQ(s.setAuthor(""), -1);
    EXPECT_EQ(s.setAuthor("Ann"), 0);
    EXPECT_EQ(s.setAuthor("Bob"), -2);
    char author[45] = "";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "Ann");
}

TEST(Author, StopsAtLineBreaksAndAt44Characters) {
    sudoku a, b, c;
    a.setAuthor("Ann\nSmith");
    b.setAuthor("Bob\r\n");
    c.setAuthor(std::string(60, 'x').c_str());
    char out[45] = "";
    a.returnAuthor(out);
    EXPECT_STREQ(out, "Ann");
    b.returnAuthor(out);
    EXPECT_STREQ(out, "Bob");
    std::memset(out, 0, sizeof out);
    c.returnAuthor(out);
    EXPECT_EQ(std::string(out), std::string(44, 'x'));
}

TEST(Undo, RestoresGridAndAuthorAndTogglesBack) {
    sudoku s;
    setGrid(s, kMixed);
    s.setAuthor("Ann");
    s.savePuzzleForUndo();
    s.guess(8, 8, 1);
    s.clearPuzzle();
    s.setAuthor("Bob");
    const std::string changed = gridString(s);

    s.undoPuzzle();
    char author[45] = "";
    EXPECT_EQ(gridString(s), kMixed);
    s.returnAuthor(author);
    EXPECT_STREQ(author, "Ann");

    s.undoPuzzle();
    EXPECT_EQ(gridString(s), changed);
    s.returnAuthor(author);
    EXPECT_STREQ(author, "Bob");
}

TEST(Undo, CopyStartsAsAnEmptyGridWithoutAuthor) {
    sudoku s;
    setGrid(s, kMixed);
    s.setAuthor("Ann");
    s.undoPuzzle();
    EXPECT_EQ(gridString(s), std::string(81, '.'));
    char author[45] = "x";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "");
}

}  // namespace
