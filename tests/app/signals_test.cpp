// SIGTERM, SIGHUP and SIGINT end the game at its next frame exactly as
// "Quit Game" does; the handler itself only takes note.
#include "app/signals.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <cstring>

#include "app/globals.h"
#include "app_test_util.h"
#include "fake_platform.h"
#include "input/filemenu.h"
#include "screen/frame.h"

namespace {

using apptest::readFile;

class Signals : public apptest::ScratchFolder {
protected:
    void SetUp() override {
        apptest::ScratchFolder::SetUp();
        resetFakePlatform();
        myPuzzle.clearPuzzle();
        myPuzzle.setAuthor("Sig");
        myPuzzle.guess(8, 8, 4);
        std::memset(retMarkUps, 0, sizeof retMarkUps);
        retMarkUps[80] = 511;
        skinMode = 1;
    }
    // The files "Quit Game" writes for this game, from a child of its own.
    void quitByMenu() {
        ASSERT_EQ(apptest::inChild([] {
                      onFileMenu(0, 1, 20, 264);
                      return 99;
                  }),
                  0);
        quitState = readFile("games/quit.sta");
        settings = readFile("Velunda.inf");
        ASSERT_FALSE(quitState.empty());
        ASSERT_EQ(std::remove("games/quit.sta"), 0);
        ASSERT_EQ(std::remove("Velunda.inf"), 0);
    }
    // The signal arrives, the game goes on until its next frame, which
    // quits. 2: the signal went unnoticed; 3: the game ended at the signal.
    static int signalThenFrame(int number) {
        installQuitSignals();
        raise(number);
        if (!quitSignalled()) return 2;
        EasyRender();
        return 99;
    }
    void expectQuitFiles() {
        EXPECT_EQ(readFile("games/quit.sta"), quitState);
        EXPECT_EQ(readFile("Velunda.inf"), settings);
    }

    std::string quitState, settings;
};

TEST_F(Signals, TerminateQuitsAtTheNextFrameEvenWhileADialogRuns) {
    quitByMenu();
    fake.dialogRunning = true;  // the dialog repaints through the frame callback
    EXPECT_EQ(apptest::inChild([] { return signalThenFrame(SIGTERM); }), 0);
    expectQuitFiles();
}

TEST_F(Signals, HangUpQuitsEvenWhileMinimised) {
    quitByMenu();
    fake.minimised = true;
    EXPECT_EQ(apptest::inChild([] { return signalThenFrame(SIGHUP); }), 0);
    expectQuitFiles();
}

TEST_F(Signals, InterruptQuitsAlsoWhenStartedWithItIgnored) {
    quitByMenu();
    // A game started in the background by a script ignores SIGINT.
    EXPECT_EQ(apptest::inChild([] {
                  signal(SIGINT, SIG_IGN);
                  return signalThenFrame(SIGINT);
              }),
              0);
    expectQuitFiles();
}

TEST_F(Signals, AHangUpIgnoredFromTheStartStaysIgnored) {
    // nohup asks that the game outlive its terminal.
    EXPECT_EQ(apptest::inChild([] {
                  signal(SIGHUP, SIG_IGN);
                  installQuitSignals();
                  raise(SIGHUP);
                  return quitSignalled() ? 1 : 0;
              }),
              0);
}

TEST_F(Signals, NoSignalNoQuit) {
    EXPECT_EQ(apptest::inChild([] {
                  installQuitSignals();
                  return quitSignalled() ? 1 : 0;
              }),
              0);
}

}  // namespace
