// The File-menu commands over the recording platform, grouped by row. Each
// test runs in a scratch working directory with a games/ folder.
#include "input/filemenu.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "app/globals.h"
#include "fake_platform.h"
#include "tests/engine/engine_test_util.h"

namespace {

// A puzzle the solver finishes, and its solution.
const std::string kPuzzle =
    "53..7...." "6..195..." ".98....6." "8...6...3" "4..8.3..1" "7...2...6" ".6....28." "...419..5" "....8..79";
const std::string kSolution =
    "534678912" "672195348" "198342567" "859761423" "426853791" "713924856" "961537284" "287419635" "345286179";

// Row y of each row's keyboard shortcut, as the keyboard calls them.
const int kRandom = 44, kOpen = 66, kSave = 88, kMode = 110, kMarks = 132, kDeleteAll = 154, kCheck = 176,
          kSolve = 198, kReset = 220, kSkin = 240, kQuit = 264;

std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

// The text savePuzzle writes for a grid string, under an author line.
std::string gameText(const std::string& author, const std::string& cells) {
    sudoku s;
    setGrid(s, cells);
    short v[81];
    s.returnPuzzle(v);
    std::string out = author + "\n";
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) out += std::to_string(v[r * 9 + c]) + " ";
        out += "\n";
    }
    return out;
}

std::string markUpText(const short* marks) {
    std::string out;
    for (int r = 0; r < 9; r++) {
        out += "\n";
        for (int c = 0; c < 9; c++) out += std::to_string(marks[r * 9 + c]) + " ";
    }
    return out;
}

// Runs body in a child process and returns its exit status (128 + signal
// when killed), so limits, identities and exit() stay out of this process.
int inChild(const std::function<int()>& body) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class FileMenu : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velunda-filemenu-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        ASSERT_EQ(mkdir("games", 0755), 0);
        resetFakePlatform();
        myPuzzle.clearPuzzle();
        myPuzzle.savePuzzleForUndo();
        myMessageBox = msgBox();
        std::memset(retMarkUps, 0, sizeof retMarkUps);
        std::memset(puzzleMask, 0, sizeof puzzleMask);
        createGameMode = false;
        showMarkUps = true;
        showFileMenu = true;
        puzzleMasked = false;
        VelundaDirty = false;
        skinMode = 0;
        filename[0] = '\0';
        tmpAuthor[0] = '\0';
        ext = 0;
    }
    void TearDown() override {
        ASSERT_EQ(chdir(oldDir), 0);
        std::system(("chmod -R u+w '" + dir + "'; rm -rf '" + dir + "'").c_str());
    }

    // The game puzzle as a state: a grid and an author.
    void setGame(const std::string& cells, const char* author = "Ann") {
        myPuzzle.clearPuzzle();
        setGrid(myPuzzle, cells);
        if (author != nullptr) myPuzzle.setAuthor(author);
    }
    std::string author() {
        char name[45];
        myPuzzle.returnAuthor(name);
        return name;
    }
    void answer(int result, const std::string& path = "") { fake.dialogAnswers.push_back({result, path}); }
    std::string path(const std::string& name) const { return dir + "/" + name; }

    std::string dir;
    char oldDir[4096];
};

// ---- Rows by height -------------------------------------------------------

TEST_F(FileMenu, RowsAreChosenByHeightWithExactBounds) {
    const struct {
        int y, row;
    } cases[] = {
        {-10, menuRandomGame}, {0, menuRandomGame},   {51, menuRandomGame}, {52, menuOpenGame},  {73, menuOpenGame},
        {74, menuSaveGame},    {95, menuSaveGame},    {96, menuMode},       {117, menuMode},     {118, menuMarkUps},
        {139, menuMarkUps},    {140, menuDeleteAll},  {161, menuDeleteAll}, {162, menuCheck},    {183, menuCheck},
        {184, menuSolve},      {205, menuSolve},      {206, menuReset},     {227, menuReset},    {228, menuSkin},
        {249, menuSkin},       {250, menuQuit},       {271, menuQuit},      {272, menuNothing},  {500, menuNothing},
    };
    for (const auto& c : cases) EXPECT_EQ(fileMenuRow(c.y), c.row) << "y = " << c.y;

    // The row is found by y alone, wherever x lies; below the rows nothing happens.
    onFileMenu(2, 0, 390, 272);
    EXPECT_TRUE(showFileMenu);
    EXPECT_FALSE(VelundaDirty);
    onFileMenu(2, 0, 390, 117);
    EXPECT_TRUE(createGameMode);
}

TEST_F(FileMenu, NothingHappensWhileADialogRuns) {
    fake.dialogRunning = true;
    onFileMenu(0, 1, 20, kOpen);
    onFileMenu(0, 1, 20, kMode);
    EXPECT_TRUE(fake.dialogs.empty());
    EXPECT_FALSE(createGameMode);
    EXPECT_TRUE(showFileMenu);
}

// ---- Random Game ----------------------------------------------------------

TEST_F(FileMenu, RandomGameShowsTheRatingAndLeavesTheSolutionInTheUndoCopy) {
    createGameMode = true;
    puzzleMasked = true;
    retMarkUps[5] = 7;
    onFileMenu(0, 1, 20, kRandom);

    bool rated = false;
    for (int r = 0; r <= 5; r++) rated = rated || myMessageBox.text == msgPuzzleRating[r];
    EXPECT_TRUE(rated) << (myMessageBox.text ? myMessageBox.text : "no message");
    EXPECT_NE(myPuzzle.isSolvedPuzzle(nullptr), 1) << "the grid shown must be the unsolved puzzle";
    std::string puzzle = gridString(myPuzzle);
    EXPECT_EQ(retMarkUps[5], 0);
    EXPECT_FALSE(createGameMode);
    EXPECT_FALSE(showFileMenu);
    EXPECT_FALSE(puzzleMasked);
    EXPECT_TRUE(VelundaDirty);

    // Undo shows the solved grid, which agrees with every given.
    myPuzzle.undoPuzzle();
    EXPECT_EQ(myPuzzle.isSolvedPuzzle(nullptr), 1);
    std::string solved = gridString(myPuzzle);
    for (int i = 0; i < 81; i++)
        if (puzzle[i] != '.') {
            EXPECT_EQ(puzzle[i], solved[i]) << "cell " << i;
        }
}

// ---- Open Game ------------------------------------------------------------

TEST_F(FileMenu, OpenShowsTheDialogAndAGameFileAfterAStateFileLeavesNoMarks) {
    short marks[81] = {0};
    marks[0] = 3;
    marks[80] = 511;
    writeFile("games/saved.sta", gameText("Bob", kPuzzle) + markUpText(marks));
    writeFile("games/plain.sdk", gameText("Cy", kSolution));

    createGameMode = true;
    puzzleMasked = true;
    answer(1, path("games/saved.sta"));
    onFileMenu(0, 1, 20, kOpen);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0],
              "openDialog Open a File|Sudoku Game (*.sdk)=*.sdk;Sudoku State (*.sta)=*.sta|.sdk|./games|");
    EXPECT_EQ(gridString(myPuzzle), kPuzzle);
    EXPECT_EQ(author(), "Bob");
    EXPECT_EQ(retMarkUps[0], 3);
    EXPECT_EQ(retMarkUps[80], 511);
    EXPECT_EQ(ext, static_cast<int>(path("games/saved.").size()));
    EXPECT_STREQ(filename, "") << "a quick save after opening must ask for a name";
    EXPECT_FALSE(createGameMode);
    EXPECT_FALSE(puzzleMasked);
    EXPECT_FALSE(showFileMenu);
    EXPECT_TRUE(VelundaDirty);

    myPuzzle.clearPuzzle();
    answer(1, path("games/plain.sdk"));
    onFileMenu(0, 1, 20, kOpen);
    EXPECT_EQ(gridString(myPuzzle), kSolution);
    EXPECT_EQ(author(), "Cy");
    for (int i = 0; i < 81; i++) ASSERT_EQ(retMarkUps[i], 0) << "cell " << i;
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(FileMenu, CancelledDialogsReadAndWriteNothingAndApplyOnlyTheFlags) {
    setGame(kPuzzle);
    retMarkUps[3] = 9;
    std::strcpy(filename, "games/last.sta");
    createGameMode = true;
    puzzleMasked = true;
    onFileMenu(0, 1, 20, kSave);  // no answer scripted: cancelled
    EXPECT_NE(access("games/last.sta", F_OK), 0);
    EXPECT_TRUE(createGameMode);
    EXPECT_TRUE(VelundaDirty);
    EXPECT_FALSE(showFileMenu);

    onFileMenu(0, 1, 20, kOpen);
    EXPECT_EQ(fake.dialogs.size(), 2u);
    EXPECT_EQ(gridString(myPuzzle), kPuzzle);
    EXPECT_EQ(retMarkUps[3], 9);
    EXPECT_STREQ(filename, "games/last.sta");
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_FALSE(createGameMode);
    EXPECT_FALSE(puzzleMasked);
}

TEST_F(FileMenu, OpenFailuresAreReportedAndLeaveThePuzzle) {
    setGame(kPuzzle);
    ASSERT_EQ(mkfifo("games/pipe.sdk", 0644), 0);
    ASSERT_EQ(mkdir("games/folder.sdk", 0755), 0);
    answer(1, path("games/missing.sdk"));
    answer(1, path("games/pipe.sdk"));  // would wait for a writer forever
    answer(1, path("games/folder.sdk"));
    answer(-1);  // the chosen name did not fit
    alarm(20);
    for (int i = 0; i < 4; i++) {
        std::strcpy(filename, "games/last.sta");
        onFileMenu(0, 1, 20, kOpen);
        EXPECT_STREQ(filename, "") << "answer " << i;
    }
    alarm(0);
    ASSERT_EQ(fake.messageBoxes.size(), 4u);
    for (const std::string& box : fake.messageBoxes) EXPECT_EQ(box, "Error!|plain|ERROR: Failed to open file!");
    EXPECT_EQ(gridString(myPuzzle), kPuzzle);
    EXPECT_EQ(author(), "Ann");
}

// ---- Save Game ------------------------------------------------------------

TEST_F(FileMenu, SaveInPlayModeToStateFileWritesTheMarks) {
    setGame(kPuzzle);
    myPuzzle.guess(0, 2, 4);
    retMarkUps[1] = 5;
    std::strcpy(filename, "games/old.sta");
    answer(1, "games/mine.sta");
    onFileMenu(0, 1, 20, kSave);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0], "saveDialog Save game|Sudoku State (*.sta)=*.sta|.sta|./games|games/old.sta");
    EXPECT_EQ(readFile("games/mine.sta"), gameText("Ann", gridString(myPuzzle)) + markUpText(retMarkUps));
    EXPECT_STREQ(filename, "games/mine.sta") << "kept for quick save";
    EXPECT_EQ(ext, 11);
    EXPECT_TRUE(fake.messageBoxes.empty());
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_FALSE(showFileMenu);
    EXPECT_TRUE(VelundaDirty);
}

TEST_F(FileMenu, SaveInCreateModeToGameFileStampsTheTypedAuthorAndWritesNoMarks) {
    createGameMode = true;
    setGame(kPuzzle, nullptr);
    std::strcpy(tmpAuthor, "Dee");
    retMarkUps[1] = 5;
    answer(1, "games/new.sdk");
    onFileMenu(0, 1, 20, kSave);
    ASSERT_EQ(fake.dialogs.size(), 1u);
    EXPECT_EQ(fake.dialogs[0], "saveDialog Save game|Sudoku Game (*.sdk)=*.sdk|.sdk|./games|");
    EXPECT_EQ(readFile("games/new.sdk"), gameText("Dee", kPuzzle));
    EXPECT_EQ(author(), "Dee");
}

TEST_F(FileMenu, SaveWithoutAuthorShowsTheMessageAndLeavesTheFileAlone) {
    createGameMode = true;
    setGame(kPuzzle, nullptr);
    writeFile("games/keep.sdk", "old content");
    answer(1, "games/keep.sdk");
    onFileMenu(0, 1, 20, kSave);
    EXPECT_EQ(myMessageBox.text, msgSaveNoAuthor);
    EXPECT_STREQ(myMessageBox.text, " Error: Can't save; Author is unset! ");
    EXPECT_EQ(readFile("games/keep.sdk"), "old content");
    EXPECT_TRUE(fake.messageBoxes.empty());
}

TEST_F(FileMenu, SaveOfANameThatDoesNotFitIsAFailureNotAShorterName) {
    setGame(kPuzzle);
    std::strcpy(filename, "games/last.sta");
    answer(1, "games/" + std::string(300, 'x') + ".sta");
    onFileMenu(0, 1, 20, kSave);
    ASSERT_EQ(fake.messageBoxes.size(), 1u);
    EXPECT_EQ(fake.messageBoxes[0], "Error!|error|ERROR: Failed to save file!");
    EXPECT_STREQ(filename, "games/last.sta");
    EXPECT_NE(system("ls games | grep -q xxxx"), 0) << "nothing written under a cut name";
}

// The body of a failing-save check in a child: 0 when the failure was
// reported and the old file kept, else the number of the broken promise.
int saveFailsCleanly() {
    fake.dialogAnswers.push_back({1, "games/kept.sta"});
    onFileMenu(0, 1, 20, kSave);
    if (fake.messageBoxes.size() != 1) return 1;
    if (fake.messageBoxes[0] != "Error!|error|ERROR: Failed to save file!") return 2;
    if (readFile("games/kept.sta") != "the old game") return 3;
    if (system("test $(ls games | wc -l) -eq 1") != 0) return 4;  // no temporary left behind
    return 0;
}

TEST_F(FileMenu, SaveUnderAFileSizeLimitIsReportedAndKeepsTheOldFile) {
    setGame(kPuzzle);
    writeFile("games/kept.sta", "the old game");
    int status = inChild([] {
        // SIGXFSZ keeps its default action: the game must not die of it.
        signal(SIGXFSZ, SIG_DFL);
        struct rlimit limit = {60, 60};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return 10;
        return saveFailsCleanly();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile("games/kept.sta"), "the old game");
}

TEST_F(FileMenu, SaveIntoAReadOnlyFolderIsReportedAndKeepsTheOldFile) {
    setGame(kPuzzle);
    writeFile("games/kept.sta", "the old game");
    ASSERT_EQ(chmod("games", 0555), 0);
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    int status = inChild([] {
        // Permissions do not stop root: drop to an ordinary user.
        if (geteuid() == 0 && setuid(65534) != 0) return 11;
        return saveFailsCleanly();
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(readFile("games/kept.sta"), "the old game");
}

// ---- Mode, mark-ups, skin: the menu stays open -----------------------------

TEST_F(FileMenu, ModeMarkUpsAndSkinRowsToggleAndKeepTheMenuOpen) {
    onFileMenu(0, 1, 20, kMode);
    EXPECT_TRUE(createGameMode);
    EXPECT_TRUE(VelundaDirty);
    onFileMenu(0, 1, 20, kMode);
    EXPECT_FALSE(createGameMode);
    onFileMenu(0, 1, 20, kMarks);
    EXPECT_FALSE(showMarkUps);
    onFileMenu(0, 1, 20, kMarks);
    EXPECT_TRUE(showMarkUps);
    onFileMenu(0, 1, 20, kSkin);
    EXPECT_EQ(skinMode, 1);
    onFileMenu(0, 1, 20, kSkin);
    EXPECT_EQ(skinMode, 0);
    EXPECT_TRUE(showFileMenu);
}

TEST_F(FileMenu, DeleteAllClearsEveryMarkShowsMarksAndClosesTheMenu) {
    setGame(kPuzzle);
    std::string before = gridString(myPuzzle);
    for (short& m : retMarkUps) m = 17;
    showMarkUps = false;
    onFileMenu(0, 1, 20, kDeleteAll);
    for (int i = 0; i < 81; i++) ASSERT_EQ(retMarkUps[i], 0) << "cell " << i;
    EXPECT_TRUE(showMarkUps);
    EXPECT_FALSE(showFileMenu);
    EXPECT_EQ(gridString(myPuzzle), before);
}

// ---- Check Puzzle ---------------------------------------------------------

TEST_F(FileMenu, CheckReportsValidConflictingAndComplete) {
    onFileMenu(0, 1, 20, kCheck);
    EXPECT_STREQ(myMessageBox.text, "The puzzle is valid, but not complete!");
    EXPECT_FALSE(puzzleMasked);
    EXPECT_FALSE(showFileMenu);

    // Two fives in the first row: only the later one is highlighted.
    setGame(".5....5..");
    showFileMenu = true;
    onFileMenu(0, 1, 20, kCheck);
    EXPECT_STREQ(myMessageBox.text, "   Warning: This puzzle is not valid!");
    EXPECT_TRUE(puzzleMasked);
    for (int i = 0; i < 81; i++) EXPECT_EQ(puzzleMask[i], i == 6 ? 1 : 0) << "cell " << i;
    EXPECT_FALSE(showFileMenu);

    setGame(kSolution);
    onFileMenu(0, 1, 20, kCheck);
    EXPECT_STREQ(myMessageBox.text, "[ Congratulations! Puzzle Complete! ]");
    EXPECT_FALSE(puzzleMasked);
}

// ---- Solve Puzzle ---------------------------------------------------------

TEST_F(FileMenu, SolveOnASolvedBoardOnlyShowsTheHighlight) {
    setGame(kSolution);
    myPuzzle.savePuzzleForUndo();
    puzzleMask[4] = 1;
    onFileMenu(0, 1, 20, kSolve);
    EXPECT_TRUE(puzzleMasked);
    EXPECT_EQ(puzzleMask[4], 1) << "the mask keeps its contents";
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_FALSE(showFileMenu);
    EXPECT_FALSE(VelundaDirty);
    EXPECT_EQ(gridString(myPuzzle), kSolution);
}

TEST_F(FileMenu, SolveHighlightsWhatItSuppliedAndUndoGoesBackAndForth) {
    // An entry the solver confirms (4 in cell 2) and the givens stay plain.
    std::string start = kPuzzle;
    start[2] = 'd';
    setGame(start);
    VelundaDirty = true;
    onFileMenu(0, 1, 20, kSolve);
    bool rated = false;
    for (int r = 0; r <= 5; r++) rated = rated || myMessageBox.text == msgPuzzleRating[r];
    EXPECT_TRUE(rated) << (myMessageBox.text ? myMessageBox.text : "no message");
    EXPECT_EQ(gridString(myPuzzle), kSolution);
    short shown[81];
    myPuzzle.returnPuzzle(shown);
    for (int i = 0; i < 81; i++) {
        EXPECT_EQ(retPuzzle[i], shown[i]) << "display copy, cell " << i;
        EXPECT_EQ(puzzleMask[i], start[i] == '.' ? 1 : 0) << "cell " << i;
    }
    EXPECT_TRUE(puzzleMasked);
    EXPECT_FALSE(showFileMenu);
    EXPECT_FALSE(VelundaDirty);

    myPuzzle.undoPuzzle();
    EXPECT_EQ(gridString(myPuzzle), start);
    myPuzzle.undoPuzzle();
    EXPECT_EQ(gridString(myPuzzle), kSolution);
}

TEST_F(FileMenu, SolveHighlightsAWrongEntryAndSaysSoWhenItCannotFinish) {
    // The solve replaces a wrong entry (1 where 4 belongs): highlighted.
    std::string start = kPuzzle;
    start[2] = 'a';
    setGame(start);
    onFileMenu(0, 1, 20, kSolve);
    short after[81];
    myPuzzle.returnPuzzle(after);
    ASSERT_NE(after[2], 1);
    EXPECT_EQ(puzzleMask[2], 1);
    EXPECT_EQ(puzzleMask[0], 0) << "a given is never highlighted";

    // A lone given leaves the solver nothing to place.
    setGame("5");
    onFileMenu(0, 1, 20, kSolve);
    EXPECT_STREQ(myMessageBox.text, "< I could not complete the puzzle!! >");
    myPuzzle.returnPuzzle(after);
    for (int i = 0; i < 81; i++)
        if (after[i] == 0) {
            EXPECT_EQ(puzzleMask[i], 0) << "a cell that stayed empty, " << i;
        }
}

// ---- Reset Puzzle ---------------------------------------------------------

TEST_F(FileMenu, ResetInPlayModeRemovesEntriesAndCanBeUndone) {
    std::string start = kPuzzle;
    start[2] = 'd';
    setGame(start);
    retMarkUps[10] = 3;
    puzzleMasked = true;
    onFileMenu(0, 1, 20, kReset);
    EXPECT_EQ(gridString(myPuzzle), kPuzzle);
    EXPECT_EQ(author(), "Ann");
    EXPECT_EQ(retMarkUps[10], 0);
    EXPECT_FALSE(puzzleMasked);
    EXPECT_FALSE(showFileMenu);
    EXPECT_TRUE(VelundaDirty);
    myPuzzle.undoPuzzle();
    EXPECT_EQ(gridString(myPuzzle), start);
}

TEST_F(FileMenu, ResetInCreateModeClearsGivensAndAuthorSoSaveNeedsAName) {
    createGameMode = true;
    setGame(kPuzzle);
    onFileMenu(0, 1, 20, kReset);
    EXPECT_EQ(gridString(myPuzzle), std::string(81, '.'));
    EXPECT_EQ(author(), "");
    answer(1, "games/new.sdk");
    onFileMenu(0, 1, 20, kSave);
    EXPECT_EQ(myMessageBox.text, msgSaveNoAuthor);
    EXPECT_NE(access("games/new.sdk", F_OK), 0);
}

// ---- Quit Game --------------------------------------------------------------

TEST_F(FileMenu, QuitWritesTheStateAndTheSkinAndExitsWithZero) {
    std::string start = kPuzzle;
    start[2] = 'd';
    setGame(start);
    retMarkUps[0] = 6;
    retMarkUps[80] = 256;
    skinMode = 1;
    writeFile("games/quit.sta", "old state");
    EXPECT_EQ(inChild([] {
                  onFileMenu(0, 1, 20, kQuit);
                  return 99;  // quitting must not return
              }),
              0);
    EXPECT_EQ(readFile("games/quit.sta"), gameText("Ann", start) + markUpText(retMarkUps));
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 1");
}

TEST_F(FileMenu, QuitWithoutAuthorKeepsTheGridForTheNextStart) {
    createGameMode = true;
    setGame(kPuzzle, nullptr);
    retMarkUps[7] = 12;
    EXPECT_EQ(inChild([] {
                  onFileMenu(0, 1, 20, 250);
                  return 99;
              }),
              0);
    std::string text = readFile("games/quit.sta");
    EXPECT_EQ(text, gameText("", kPuzzle) + markUpText(retMarkUps));

    // Read back as the start-up does: same grid and marks, still no author.
    myPuzzle.clearPuzzle();
    std::memset(retMarkUps, 0, sizeof retMarkUps);
    FILE* file = std::fopen("games/quit.sta", "r");
    ASSERT_NE(file, nullptr);
    myPuzzle.loadPuzzle(file);
    readMarkUps(file);
    std::fclose(file);
    EXPECT_EQ(gridString(myPuzzle), kPuzzle);
    EXPECT_EQ(author(), "");
    EXPECT_EQ(retMarkUps[7], 12);
}

TEST_F(FileMenu, QuitEndsWithZeroWhenNothingCanBeWritten) {
    setGame(kPuzzle);
    // No games folder, and a folder where the settings file would go.
    ASSERT_EQ(rmdir("games"), 0);
    ASSERT_EQ(mkdir("Velunda.inf", 0755), 0);
    writeFile("Velunda.inf/keep", "x");
    EXPECT_EQ(inChild([] {
                  onFileMenu(0, 1, 20, 271);
                  return 99;
              }),
              0);
    EXPECT_EQ(readFile("Velunda.inf/keep"), "x");
    EXPECT_EQ(system("test $(ls -A | wc -l) -eq 1"), 0) << "no temporary file left behind";
}

}  // namespace
