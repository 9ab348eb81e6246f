// "Quit Game" in a hostile working folder: it never hangs, always ends with
// status 0 and never destroys a file it could not read or replace.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "app/globals.h"
#include "app_test_util.h"
#include "fake_platform.h"
#include "input/filemenu.h"

namespace {

using apptest::readFile;
using apptest::writeFile;

class Quit : public apptest::ScratchFolder {
protected:
    void SetUp() override {
        apptest::ScratchFolder::SetUp();
        resetFakePlatform();
        myPuzzle.clearPuzzle();
        myPuzzle.setAuthor("Ann");
        myPuzzle.guess(0, 0, 5);
        std::memset(retMarkUps, 0, sizeof retMarkUps);
        retMarkUps[4] = 3;
        skinMode = 1;
    }
    // quitGame in a child; its exit status (255: it hung).
    int quit() {
        return apptest::inChild([] {
            quitGame();
            return 99;  // quitting must not return
        });
    }
    int quitAsOrdinaryUser() {
        return apptest::inChild([] {
            if (!apptest::becomeOrdinaryUser()) return 10;
            quitGame();
            return 99;
        });
    }
    // What Quit writes for the game set up above.
    static std::string expectedState() {
        char* text = nullptr;
        size_t size = 0;
        FILE* file = open_memstream(&text, &size);
        myPuzzle.savePuzzle(file);
        saveMarkUps(file);
        std::fclose(file);
        std::string out(text, size);
        std::free(text);
        return out;
    }
    std::string entries(const char* folder) { return shell(std::string("LC_ALL=C ls -A ") + folder); }
};

TEST_F(Quit, AFolderNamedLikeTheStateIsKeptAndTheSettingsAreStillWritten) {
    ASSERT_EQ(mkdir("games/quit.sta", 0755), 0);
    writeFile("games/quit.sta/inside", "kept");
    EXPECT_EQ(quit(), 0);
    EXPECT_EQ(readFile("games/quit.sta/inside"), "kept");
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 1");
    EXPECT_EQ(entries("games"), "quit.sta\n") << "no temporary file left" << listing();
}

TEST_F(Quit, FifosAreReplacedByTheFilesWithoutWaitingForAReader) {
    ASSERT_EQ(mkfifo("games/quit.sta", 0644), 0);
    ASSERT_EQ(mkfifo("Velunda.inf", 0644), 0);
    EXPECT_EQ(quit(), 0);
    EXPECT_TRUE(apptest::isRegular("games/quit.sta")) << listing();
    EXPECT_EQ(readFile("games/quit.sta"), expectedState());
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 1");
}

TEST_F(Quit, FilesItCouldNotReadAreKept) {
    writeFile("games/quit.sta", "Old\n1 2 3 \n");
    writeFile("Velunda.inf", "Skin Mode: 0");
    ASSERT_EQ(chmod("games/quit.sta", 0), 0);
    ASSERT_EQ(chmod("Velunda.inf", 0), 0);
    EXPECT_EQ(quitAsOrdinaryUser(), 0);
    EXPECT_EQ(readFile("games/quit.sta"), "Old\n1 2 3 \n");
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 0");
    struct stat info;
    ASSERT_EQ(stat("games/quit.sta", &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0u);
    EXPECT_EQ(entries("games"), "quit.sta\n") << listing();

    // The same files readable are replaced for that user.
    ASSERT_EQ(chmod("games/quit.sta", 0644), 0);
    ASSERT_EQ(chmod("Velunda.inf", 0644), 0);
    EXPECT_EQ(quitAsOrdinaryUser(), 0);
    EXPECT_EQ(readFile("games/quit.sta"), expectedState());
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 1");
}

TEST_F(Quit, GamesAsAPlainFileIsKeptAndTheSettingsAreWritten) {
    ASSERT_EQ(rmdir("games"), 0);
    writeFile("games", "not a folder");
    EXPECT_EQ(quit(), 0);
    EXPECT_EQ(readFile("games"), "not a folder");
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 1");
    EXPECT_EQ(entries("."), "Velunda.inf\ngames\n") << listing();
}

TEST_F(Quit, AReadOnlyFolderEndsWithZeroAndKeepsEveryFile) {
    writeFile("games/quit.sta", "Old\n");
    writeFile("Velunda.inf", "Skin Mode: 0");
    ASSERT_EQ(chmod("games", 0555), 0);
    ASSERT_EQ(chmod(".", 0555), 0);
    EXPECT_EQ(quitAsOrdinaryUser(), 0);
    EXPECT_EQ(readFile("games/quit.sta"), "Old\n");
    EXPECT_EQ(readFile("Velunda.inf"), "Skin Mode: 0");
    EXPECT_EQ(entries("games"), "quit.sta\n") << listing();
    EXPECT_EQ(entries("."), "Velunda.inf\ngames\n") << listing();
}

}  // namespace
