// The hint key over the recording platform: what it selects and says, and
// that it changes nothing of the game.
#include "input/hint.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app/globals.h"
#include "fake_platform.h"
#include "input/keyboard.h"

namespace {

// A corpus puzzle and a player's entries in it: no cell has one candidate
// left, and 7 has one cell left in box 6, r5c8.
const char kGivens[] = ".7.....8....1...9.5..893....3...78........6.27.2.85.39.27.............61....29...";
const char kEntries[] = ".............7................2........93........................................";

struct HintTest : ::testing::Test {
    void SetUp() override {
        resetFakePlatform();
        myPuzzle.clearPuzzle();
        myPuzzle.savePuzzleForUndo();
        std::memset(retMarkUps, 0, sizeof retMarkUps);
        PuzzleSelected_x = PuzzleSelected_y = 0;
        createGameMode = wantsToSetAuthor = false;
        myMessageBox.text = nullptr;
    }
    static void load(const char* givens, const char* entries = "") {
        for (int c = 0; c < 81; c++) {
            if (givens[c] >= '1' && givens[c] <= '9') myPuzzle.solve_place(c / 9, c % 9, givens[c] - '0');
            if (c < static_cast<int>(std::strlen(entries)) && entries[c] >= '1' && entries[c] <= '9')
                myPuzzle.guess(c / 9, c % 9, entries[c] - '0');
        }
    }
    static std::string grid() {
        short cells[81];
        myPuzzle.returnPuzzle(cells);
        std::string out;
        for (short v : cells) out += std::to_string(v) + " ";
        return out;
    }
    static std::string message() { return myMessageBox.text ? myMessageBox.text : "none"; }
};

// Where selectBoardCell puts the selection for a cell.
std::string cellAt(int x, int y) {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int sx = PuzzleSelected_x, sy = PuzzleSelected_y;
            selectBoardCell(r, c);
            const bool match = PuzzleSelected_x == x && PuzzleSelected_y == y;
            PuzzleSelected_x = sx;
            PuzzleSelected_y = sy;
            if (match) return "r" + std::to_string(r + 1) + "c" + std::to_string(c + 1);
        }
    return "none";
}

std::string selection() {
    return PuzzleSelected_x == 0 ? "none" : cellAt(PuzzleSelected_x, PuzzleSelected_y);
}

TEST_F(HintTest, AHiddenSingleSelectsItsCellAndNamesIt) {
    load(kGivens, kEntries);
    const std::string before = grid();
    defKeyboard('H', 0, 0);
    EXPECT_EQ(selection(), "r5c8");
    EXPECT_EQ(message(), "Hidden single: 7 in box 6");
    EXPECT_EQ(grid(), before);  // the player acts on the hint, not the hint
}

// A wrong entry comes before any step, and the hint does not give the
// right digit away.
TEST_F(HintTest, AWrongEntryIsFoundFirst) {
    load(kGivens, kEntries);
    myPuzzle.guess(8, 0, 4);  // the solution has another digit at r9c1
    defKeyboard('H', 0, 0);
    EXPECT_EQ(selection(), "r9c1");
    EXPECT_EQ(message(), "The entry in r9c1 is wrong");
}

TEST_F(HintTest, GivensWithoutOneSolutionAreSaidToBeSo) {
    load(".7.....8....1...9.5..893....3...78........6.27.2.85.39.27.............61.........");
    defKeyboard('H', 0, 0);
    EXPECT_EQ(message(), kHintSeveral);
    EXPECT_EQ(selection(), "none");
    myMessageBox.text = nullptr;
    myPuzzle.solve_place(0, 0, 7);  // a second 7 in row 1
    defKeyboard('H', 0, 0);
    EXPECT_EQ(message(), kHintNoSolution);
}

// With a message showing, H only closes it; in create mode it does nothing.
TEST_F(HintTest, ClosesAMessageAndIsIdleInCreateMode) {
    load(kGivens, kEntries);
    myMessageBox.text = msgPuzzleValid;
    defKeyboard('H', 0, 0);
    EXPECT_EQ(message(), "none");
    EXPECT_EQ(selection(), "none");
    createGameMode = true;
    defKeyboard('H', 0, 0);
    EXPECT_EQ(message(), "none");
    EXPECT_EQ(selection(), "none");
}

}  // namespace
