// Board clicks, the number pad and the keys, over the recording platform.
#include "input/keyboard.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "app/globals.h"
#include "fake_platform.h"
#include "input/filemenu.h"
#include "input/mouse.h"

namespace {

struct KeyboardTest : ::testing::Test {
    void SetUp() override {
        resetFakePlatform();
        myPuzzle.clearPuzzle();
        myPuzzle.savePuzzleForUndo();
        std::memset(retMarkUps, 0, sizeof retMarkUps);
        PuzzleSelected_x = PuzzleSelected_y = myCursor_x = myCursor_y = 0;
        createGameMode = miniMode = popupClick = showPopup = showFileMenu = wantsToSetAuthor = false;
        puzzleMasked = false;
        tmpAuthor[0] = filename[0] = '\0';
        myMessageBox.text = nullptr;
        cycleMarkUps = skinMode = 0;
    }
    static void keys(const char* text) {
        for (; *text; text++) defKeyboard(static_cast<unsigned char>(*text), 0, 0);
    }
    static short cell(int row, int col) {
        short grid[81];
        myPuzzle.returnPuzzle(grid);
        return grid[row * 9 + col];
    }
    // Selects by a point in the middle of the cell, as a click does.
    static void select(int row, int col) {
        onPuzzle(0, 1, 37 + 41 * col + 2 * (col / 3), 135 + 41 * row + 2 * (row / 3));
    }
    static std::string selection() {
        if (PuzzleSelected_x == 0) return "none";
        return std::to_string((PuzzleSelected_y - 115) / 41) + "," + std::to_string((PuzzleSelected_x - 17) / 41);
    }
};

TEST_F(KeyboardTest, SelectionByPointHonoursBoxGapsAndTheBorderLine) {
    onPuzzle(0, 1, 18, 116);
    EXPECT_EQ(PuzzleSelected_x, 17);
    EXPECT_EQ(PuzzleSelected_y, 115);
    // x 140 lies in the gap before the fourth column: it belongs to column 3,
    // whose corner sits 2 units further on.
    onPuzzle(0, 1, 140, 483);
    EXPECT_EQ(PuzzleSelected_x, 142);
    EXPECT_EQ(PuzzleSelected_y, 447);
    onPuzzle(0, 1, 382, 484);  // the lower border line: the selection stays
    EXPECT_EQ(selection(), "8,3");
    EXPECT_EQ(myCursor_y, 484);
    onPuzzle(0, 0, 58, 156);  // a press only moves the cursor point
    EXPECT_EQ(selection(), "8,3");
    onPuzzle(2, 0, 58, 156);  // right button: select and ask for the pad
    EXPECT_EQ(selection(), "1,1");
    EXPECT_TRUE(showPopup);
}

TEST_F(KeyboardTest, PlayModeProtectsGivensAndErasesBeforeClearingMarks) {
    myPuzzle.solve_place(0, 0, 5);
    select(0, 0);
    keys("7D0");
    EXPECT_EQ(cell(0, 0), 5);
    select(0, 1);
    retMarkUps[1] = 0x1f;
    puzzleMasked = true;
    // No frame between the keys: the entry must be erased all the same.
    keys("5");
    EXPECT_EQ(cell(0, 1), -5);
    EXPECT_FALSE(puzzleMasked);
    EXPECT_TRUE(VelundaDirty);
    keys("0");
    EXPECT_EQ(cell(0, 1), 0);
    EXPECT_EQ(retMarkUps[1], 0x1f);  // erasing an entry keeps the marks
    for (int erase : {int('0'), int('D'), 8, 127}) {
        retMarkUps[1] = 0x1f;
        defKeyboard(static_cast<unsigned char>(erase), 0, 0);
        EXPECT_EQ(retMarkUps[1], 0) << erase;
    }
    EXPECT_EQ(selection(), "0,1");  // play mode does not advance
    PuzzleSelected_x = 0;
    keys("9");
    EXPECT_EQ(cell(0, 1), 0);
}

TEST_F(KeyboardTest, CreateModeFillsInReadingOrderAndWraps) {
    createGameMode = true;
    select(0, 0);
    for (int i = 0; i < 81; i++) defKeyboard(static_cast<unsigned char>('1' + i % 9), 0, 0);
    for (int i = 0; i < 81; i++) ASSERT_EQ(cell(i / 9, i % 9), 1 + i % 9) << i;
    EXPECT_EQ(selection(), "0,0");
    keys("0");  // erases the given and moves on
    EXPECT_EQ(cell(0, 0), 0);
    EXPECT_EQ(selection(), "0,1");
    defSpecialKey(keyRight, 0, 0);  // the cursor point followed the selection
    EXPECT_EQ(selection(), "0,2");
}

TEST_F(KeyboardTest, MarksToggleAndQuestionMarkFillsCandidates) {
    select(4, 4);
    retMarkUps[40] = 0x42;
    keys("!!");
    EXPECT_EQ(retMarkUps[40], 0x42);
    keys("(");
    EXPECT_EQ(retMarkUps[40], 0x42 | 256);
    myPuzzle.solve_place(0, 0, 3);
    myPuzzle.guess(4, 5, 7);
    short expected[81];
    myPuzzle.returnMarkUps(expected, 2);
    keys("?");
    EXPECT_EQ(0, std::memcmp(expected, retMarkUps, sizeof expected));
    EXPECT_EQ(retMarkUps[4 * 9 + 4] & 64, 0);  // the entry 7 counts as placed
}

TEST_F(KeyboardTest, ArrowsWrapAndStartFromAPointOffTheBoard) {
    defSpecialKey(keyRight, 0, 0);  // (0, 0) is brought onto the first cell first
    EXPECT_EQ(selection(), "0,1");
    myCursor_x = 1000;
    myCursor_y = -1000;
    defSpecialKey(keyDown, 0, 0);
    EXPECT_EQ(selection(), "1,8");
    struct {
        int key, row, col;
        const char* after;
    } moves[] = {{keyLeft, 3, 0, "3,8"}, {keyRight, 3, 8, "3,0"}, {keyUp, 0, 5, "8,5"},
                 {keyDown, 8, 5, "0,5"}, {keyLeft, 3, 4, "3,3"}};
    for (auto m : moves) {
        select(m.row, m.col);
        defSpecialKey(m.key, 0, 0);
        EXPECT_EQ(selection(), m.after) << m.key << " from " << m.row << "," << m.col;
    }
    select(2, 2);
    keys("ljki");  // right, left, down, up
    EXPECT_EQ(selection(), "2,2");
    defSpecialKey(112, 0, 0);  // Shift: nothing
    EXPECT_EQ(selection(), "2,2");
}

TEST_F(KeyboardTest, EscClearsTheSelectionButKeepsTheCursorPoint) {
    select(4, 4);
    showFileMenu = showPopup = puzzleMasked = wantsToSetAuthor = true;
    keys("\x1b");
    EXPECT_EQ(selection(), "none");
    EXPECT_FALSE(showFileMenu || showPopup || puzzleMasked || wantsToSetAuthor);
    defSpecialKey(keyRight, 0, 0);
    EXPECT_EQ(selection(), "4,5");
}

TEST_F(KeyboardTest, AuthorEntryTakesLettersUpToFortyFourCharacters) {
    select(0, 0);
    std::strcpy(filename, "/nonexistent/x.sdk");
    wantsToSetAuthor = true;
    keys("Ann1WZ~\x08");
    EXPECT_STREQ(tmpAuthor, "Ann1WZ");
    EXPECT_EQ(cell(0, 0), 0);  // no command ran
    EXPECT_EQ(skinMode, 0);
    EXPECT_TRUE(fake.messageBoxes.empty());
    keys("\r");
    EXPECT_FALSE(wantsToSetAuthor);

    wantsToSetAuthor = true;
    std::string full(44, 'x');
    std::strcpy(tmpAuthor, full.c_str());
    keys("y\x08\x7f");
    EXPECT_EQ(std::string(tmpAuthor), full);
    keys("\n");
    EXPECT_FALSE(wantsToSetAuthor);

    wantsToSetAuthor = true;
    keys("\x1b");  // Esc ends the entry and does its own work
    EXPECT_FALSE(wantsToSetAuthor);
    EXPECT_EQ(selection(), "none");
}

TEST_F(KeyboardTest, AShownMessageEatsTheNextKey) {
    select(0, 0);
    myMessageBox.text = msgPuzzleValid;
    keys("5");
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_EQ(cell(0, 0), 0);
    myMessageBox.text = msgPuzzleValid;
    defSpecialKey(keyF1, 0, 0);
    EXPECT_EQ(myMessageBox.text, nullptr);
    for (int key : {keyF1, keyF2, keyHome}) {
        defSpecialKey(key, 0, 0);
        EXPECT_EQ(myMessageBox.text, About) << key;
        defSpecialKey(keyDown, 0, 0);
    }
    EXPECT_EQ(selection(), "0,0");
}

TEST_F(KeyboardTest, InputWaitsWhileADialogRuns) {
    fake.dialogRunning = true;
    onPuzzle(0, 1, 60, 160);
    keys("\x1b");
    defSpecialKey(keyRight, 0, 0);
    EXPECT_EQ(myCursor_x, 0);
    EXPECT_EQ(selection(), "none");
}

TEST_F(KeyboardTest, PadBandsAtTheirEdges) {
    struct {
        bool mini;
        int x, y;
        unsigned char key;
    } points[] = {
        {false, 101, 179, '1'}, {false, 101, 178, 0},   {false, 136, 194, '1'}, {false, 136, 195, '2'},
        {false, 137, 195, '@'}, {false, 174, 374, 'T'}, {false, 101, 374, '0'}, {false, 101, 375, 0},
        {false, 175, 200, 0},   {false, 100, 200, 0},   {true, 101, 174, '1'},  {true, 101, 173, 0},
        {true, 101, 191, '1'},  {true, 101, 192, '2'},  {true, 137, 371, 'T'},  {true, 137, 372, 0},
    };
    for (auto p : points)
        EXPECT_EQ(padKeyAt(100, 150, p.mini, p.x, p.y), p.key) << p.mini << " " << p.x << "," << p.y;

    // A release in the pad sends the key and disarms it, band or not.
    select(0, 0);
    popupClick = true;
    popupClick_x = 100;
    popupClick_y = 150;
    onPuzzle(0, 1, 101, 200);
    EXPECT_EQ(cell(0, 0), -2);
    EXPECT_FALSE(popupClick);
    popupClick = true;
    onPuzzle(0, 1, 101, 377);
    EXPECT_FALSE(popupClick);
    EXPECT_EQ(selection(), "0,0");
    // Outside the pad a release selects and the pad stays armed.
    popupClick = true;
    onPuzzle(0, 1, 300, 200);
    EXPECT_TRUE(popupClick);
    EXPECT_EQ(selection(), "2,6");
}

TEST_F(KeyboardTest, MenuKeysStandForTheirRows) {
    const char* keys = "NOSMUrCVR";
    for (int i = 0; keys[i]; i++) EXPECT_EQ(menuRowOfKey(static_cast<unsigned char>(keys[i])), 44 + 22 * i);
    for (int other : {int('n'), int('s'), int('W'), int('Q'), int('~'), 0})
        EXPECT_EQ(menuRowOfKey(static_cast<unsigned char>(other)), 0);
}

// U shows or hides the marks through the menu row, q minimises through the
// title bar; both are checked once those handlers do their work.
TEST_F(KeyboardTest, ShortcutsReachTheMenuAndTheTitleBar) {
    const bool marksShown = showMarkUps;
    onFileMenu(0, 1, 20, 132);
    onTitleBar(0, 1, 365, 20);
    if (showMarkUps == marksShown || fakeCallCount("minimise") == 0)
        GTEST_SKIP() << "the File menu or the title bar does nothing yet";
    resetFakePlatform();
    keys("Uq");
    EXPECT_EQ(showMarkUps, marksShown);
    EXPECT_EQ(fakeCallCount("minimise"), 1);
}

struct QuickSaveTest : KeyboardTest {
    std::string dir;
    void SetUp() override {
        KeyboardTest::SetUp();
        char name[] = "/tmp/velunda-quicksave-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::system(("rm -rf " + dir).c_str()); }
    void use(const std::string& name) {
        std::strcpy(filename, (dir + "/" + name).c_str());
        ext = static_cast<int>(std::strlen(filename) - 3);
    }
    std::string read() const {
        std::ifstream in(filename);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

TEST_F(QuickSaveTest, WritesTheFileNamedBefore) {
    myPuzzle.setAuthor("Ann");
    myPuzzle.guess(0, 0, 4);
    retMarkUps[80] = 7;
    use("game.sta");
    keys("W");
    EXPECT_EQ(read().substr(0, 13), "Ann\n-4 0 0 0 ");
    EXPECT_NE(read().find("\n0 0 0 0 0 0 0 0 7 "), std::string::npos);
    use("game.sdk");
    keys("W");
    EXPECT_EQ(read().find("\n0 0 0 0 0 0 0 0 7 "), std::string::npos);  // no marks in a game file
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(QuickSaveTest, WithoutAnAuthorNothingIsWrittenAndThePlayerIsTold) {
    use("game.sdk");
    keys("W");
    EXPECT_EQ(access(filename, F_OK), -1);
    EXPECT_EQ(myMessageBox.text, msgSaveNoAuthor);
    // In create mode the typed name becomes the author.
    createGameMode = true;
    std::strcpy(tmpAuthor, "Bo");
    keys("\x1bW");
    EXPECT_EQ(read().substr(0, 3), "Bo\n");
}

TEST_F(QuickSaveTest, AFailedWriteSaysSoAndKeepsTheOldFile) {
    myPuzzle.setAuthor("Ann");
    use("game.sta");
    std::ofstream(filename) << "old";
    // The size limit and the ignored signal stay in a child.
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        keys("W");
        _exit(fake.messageBoxes.size() == 1 && fake.messageBoxes[0] == "Error!|error|ERROR: Quick Save failed!" ? 0
                                                                                                                : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(read(), "old");
    use("missing/game.sta");
    keys("W");
    EXPECT_EQ(fake.messageBoxes, std::vector<std::string>{"Error!|error|ERROR: Quick Save failed!"});
}

TEST_F(QuickSaveTest, WithNoFileNameItAsksForOneAsSaveGameDoes) {
    keys("W");
    if (fake.dialogs.empty()) {
        onFileMenu(0, 1, 20, menuRowOfKey('S'));
        if (fake.dialogs.empty()) GTEST_SKIP() << "the File menu's Save Game shows no dialog yet";
    }
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0].rfind("saveDialog Save game|", 0), 0u) << fake.dialogs[0];
}

}  // namespace
