// Start-up before the window opens: quit state, settings, command line and
// message box, each run in a scratch working directory.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>

#include "app/globals.h"
#include "app/startup.h"
#include "app_test_util.h"

namespace {

const char* const kQuitState =
    "Quitter\n"
    "1 2 3 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 -4 \n"
    "\n7 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 "
    "\n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 "
    "\n0 0 0 0 0 0 0 0 9 ";

void writeFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
}

class StartUp : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velunda-startup-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        fresh();
    }
    void TearDown() override {
        ASSERT_EQ(chdir(oldDir), 0);
        std::system(("rm -rf '" + dir + "'").c_str());
    }

    // An empty working directory (but for games/) and the globals as at start.
    void fresh() {
        std::system("rm -rf ./* ./.??* 2>/dev/null");
        mkdir("games", 0755);
        miniMode = false;
        fontSize = 12;
        fontFace = 0;
        skinMode = 0;
        myMessageBox = msgBox();
        myPuzzle.clearPuzzle();
        std::memset(retMarkUps, 0x11, sizeof retMarkUps);
    }

    // Runs start-up with the given arguments after the program name.
    void run(std::initializer_list<const char*> args) {
        std::string program = "Velunda";
        char* argv[8] = {&program[0]};
        int argc = 1;
        for (const char* a : args) argv[argc++] = const_cast<char*>(a);
        startUp(argc, argv, &width, &height);
    }

    std::string grid() {
        short cells[81];
        myPuzzle.returnPuzzle(cells);
        std::string out;
        for (short v : cells) out += std::to_string(v) + " ";
        return out;
    }
    std::string author() {
        char a[45] = "";
        myPuzzle.returnAuthor(a);
        return a;
    }
    bool noMarks() {
        for (short m : retMarkUps)
            if (m != 0) return false;
        return true;
    }
    void expectNormalMode() {
        EXPECT_FALSE(miniMode);
        EXPECT_EQ(width, 400);
        EXPECT_EQ(height, 500);
        EXPECT_EQ(fontSize, 12);
        EXPECT_EQ(fontFace, 0);
        EXPECT_EQ(myMessageBox.x1, 80);
        EXPECT_EQ(myMessageBox.y1, 200);
        EXPECT_EQ(myMessageBox.x2, 320);
        EXPECT_EQ(myMessageBox.y2, 250);
    }
    void expectMiniMode() {
        EXPECT_TRUE(miniMode);
        EXPECT_EQ(width, 200);
        EXPECT_EQ(height, 250);
        EXPECT_EQ(fontSize, 10);
        EXPECT_EQ(fontFace, 1);
        EXPECT_EQ(myMessageBox.x1, 25);
        EXPECT_EQ(myMessageBox.y1, 200);
        EXPECT_EQ(myMessageBox.x2, 367);
        EXPECT_EQ(myMessageBox.y2, 250);
    }

    std::string dir;
    char oldDir[4096];
    int width = 0, height = 0;
};

TEST(CheckOption, ComparesOnlyTheFirstCharacterAfterOnePrefix) {
    EXPECT_TRUE(checkoption("m", "m"));
    EXPECT_TRUE(checkoption("-m", "m"));
    EXPECT_TRUE(checkoption("/m", "m"));
    EXPECT_TRUE(checkoption("mini", "m"));
    EXPECT_TRUE(checkoption("-mystery", "m"));
    EXPECT_FALSE(checkoption("--m", "m"));
    EXPECT_FALSE(checkoption("-/m", "m"));
    EXPECT_FALSE(checkoption("M", "m"));
    EXPECT_FALSE(checkoption("", "m"));
    EXPECT_FALSE(checkoption("-", "m"));
    EXPECT_FALSE(checkoption("x", "m"));
}

TEST_F(StartUp, NothingPresentGivesTheDefaults) {
    run({});
    expectNormalMode();
    EXPECT_EQ(skinMode, 0);
    EXPECT_TRUE(noMarks());
    EXPECT_EQ(author(), "");
}

TEST_F(StartUp, MiniModeArguments) {
    for (const char* arg : {"m", "M", "-m", "/M", "-M", "mini", "-mini", "my_puzzle.sdk"}) {
        fresh();
        run({arg});
        expectMiniMode();
    }
}

TEST_F(StartUp, TwoDashesNameAFile) {
    writeFile("--m", kQuitState);
    run({"--m"});
    expectNormalMode();
    EXPECT_EQ(author(), "Quitter");
}

TEST_F(StartUp, RestoresQuitStateWithItsMarks) {
    writeFile("games/quit.sta", kQuitState);
    run({});
    EXPECT_EQ(author(), "Quitter");
    EXPECT_EQ(grid().substr(0, 6), "1 2 3 ");
    EXPECT_EQ(retMarkUps[0], 7);
    EXPECT_EQ(retMarkUps[80], 9);
}

TEST_F(StartUp, FileArgumentReplacesThePuzzleButTheMarksStay) {
    writeFile("games/quit.sta", kQuitState);
    writeFile("other.sdk", "Other\n9 9 9 9 9 9 9 9 9 \n");
    run({"other.sdk"});
    expectNormalMode();
    EXPECT_EQ(author(), "Other");
    EXPECT_EQ(grid().substr(0, 18), "9 9 9 9 9 9 9 9 9 ");
    EXPECT_EQ(retMarkUps[0], 7);
    EXPECT_EQ(retMarkUps[80], 9);
}

TEST_F(StartUp, OnlyTheFirstArgumentCounts) {
    writeFile("other.sdk", "Other\n");
    run({"nothere.sdk", "m", "other.sdk"});
    expectNormalMode();
    EXPECT_EQ(author(), "");
}

TEST_F(StartUp, SkinSetting) {
    writeFile("Velunda.inf", "Skin Mode: 1");
    run({});
    EXPECT_EQ(skinMode, 1);

    fresh();
    writeFile("Velunda.inf", "Skin: 1");
    run({});
    EXPECT_EQ(skinMode, 0);
}

TEST_F(StartUp, HostileFilesStartLikeMissingOnes) {
    // Empty, junk and directories in place of every file the start-up reads.
    std::string junk;
    for (int i = 0; i < 3000; i++) junk += static_cast<char>((i * 97 + 13) % 256);
    const std::string longName(5000, 'x');
    struct Case {
        const char* quit;  // nullptr: a directory
        const char* settings;
        std::string argument;
    };
    for (const Case& c : {Case{"", "", "empty.sdk"}, Case{junk.c_str(), junk.c_str(), "junk.sdk"},
                          Case{nullptr, nullptr, "folder"}, Case{"", "", longName}}) {
        fresh();
        if (c.quit != nullptr) {
            writeFile("games/quit.sta", c.quit);
            writeFile("Velunda.inf", c.settings);
        } else {
            mkdir("games/quit.sta", 0755);
            mkdir("Velunda.inf", 0755);
        }
        writeFile("empty.sdk", "");
        writeFile("junk.sdk", junk);
        mkdir("folder", 0755);
        run({c.argument.c_str()});
        expectNormalMode();
        EXPECT_LE(author().size(), 44u);
    }
}

// ---- Hostile runtime folders: each starts as if the file were missing,
// silently (no message), and leaves what it found where it was.

TEST_F(StartUp, FifosInPlaceOfEveryFileNeverHoldTheStart) {
    ASSERT_EQ(mkfifo("games/quit.sta", 0644), 0);
    ASSERT_EQ(mkfifo("Velunda.inf", 0644), 0);
    ASSERT_EQ(mkfifo("pipe.sdk", 0644), 0);
    alarm(20);  // a FIFO opened for reading waits for a writer forever
    run({"pipe.sdk"});
    alarm(0);
    expectNormalMode();
    EXPECT_EQ(skinMode, 0);
    EXPECT_EQ(author(), "");
    EXPECT_TRUE(noMarks());
    EXPECT_EQ(myMessageBox.text, nullptr);
    for (const char* name : {"games/quit.sta", "Velunda.inf", "pipe.sdk"}) EXPECT_TRUE(apptest::isFifo(name)) << name;
}

TEST_F(StartUp, UnreadableFilesStartLikeMissingOnesAndStayAsTheyWere) {
    writeFile("games/quit.sta", kQuitState);
    writeFile("Velunda.inf", "Skin Mode: 1");
    writeFile("other.sdk", "Other\n9 9 9 9 9 9 9 9 9 \n");
    // As an ordinary user: 0 when nothing was read, 1 when all three were.
    auto start = [this] {
        return apptest::inChild([this] {
            if (!apptest::becomeOrdinaryUser()) return 10;
            run({"other.sdk"});
            if (width != 400 || myMessageBox.text != nullptr) return 11;
            if (author() == "" && skinMode == 0 && noMarks()) return 0;
            if (author() == "Other" && skinMode == 1 && retMarkUps[0] == 7) return 1;
            return 12;
        });
    };
    ASSERT_EQ(start(), 1) << "readable, the same files load for that user";
    for (const char* name : {"games/quit.sta", "Velunda.inf", "other.sdk"}) ASSERT_EQ(chmod(name, 0), 0);
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(apptest::readFile("games/quit.sta"), kQuitState);
    EXPECT_EQ(apptest::readFile("Velunda.inf"), "Skin Mode: 1");
}

TEST_F(StartUp, EmptyFilesGiveTheEmptyPuzzleAndTheFirstSkin) {
    writeFile("games/quit.sta", "");
    writeFile("Velunda.inf", "");
    writeFile("empty.sdk", "");
    run({"empty.sdk"});
    expectNormalMode();
    EXPECT_EQ(skinMode, 0);
    EXPECT_EQ(author(), "");
    std::string zeros;
    for (int i = 0; i < 81; i++) zeros += "0 ";
    EXPECT_EQ(grid(), zeros);
    EXPECT_TRUE(noMarks());
    EXPECT_EQ(myMessageBox.text, nullptr);
}

TEST_F(StartUp, GamesFolderMissingOrAPlainFileStartsEmpty) {
    writeFile("Velunda.inf", "Skin Mode: 1");
    ASSERT_EQ(rmdir("games"), 0);
    run({});
    expectNormalMode();
    EXPECT_EQ(author(), "");
    EXPECT_EQ(skinMode, 1) << "the settings beside it are still read";

    fresh();
    ASSERT_EQ(rmdir("games"), 0);
    writeFile("games", kQuitState);
    run({});
    expectNormalMode();
    EXPECT_EQ(author(), "");
    EXPECT_TRUE(noMarks());
    EXPECT_EQ(apptest::readFile("games"), kQuitState);
}

}  // namespace
