// The real game in hostile runtime folders and under signals: it starts,
// shows its window, and quits with status 0 keeping or writing exactly the
// files "Quit Game" would.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "harness.h"
#include "watched_game.h"

namespace {

std::string rows(const std::string& first, const char* end) {
    std::string out = first + end;
    for (int r = 1; r < 9; r++) out += std::string("0 0 0 0 0 0 0 0 0") + end;
    return out;
}

// A game file in loose spacing, and the pencil marks of a quit state.
const std::string kGame = "Sig\n" + rows("5 0 0 0 0 0 0 0 -3", "\n");
std::string marks(int first, int last) {
    std::string out;
    for (int i = 0; i < 81; i++) {
        if (i % 9 == 0) out += "\n";
        out += std::to_string(i == 0 ? first : i == 80 ? last : 0) + " ";
    }
    return out;
}
// What quitting writes for kGame with the marks of the quit state below.
const std::string kQuitWritten = "Sig\n" + rows("5 0 0 0 0 0 0 0 -3", " \n") + marks(7, 9);

void prepare(const win::Scratch& folder) {
    folder.write("sig.sdk", kGame);
    folder.write("games/quit.sta", "Old\n" + rows("1 2 3 0 0 0 0 0 0", " \n") + marks(7, 9));
    // Written back in the game's own spacing, which shows it was written.
    folder.write("Velunda.inf", "Skin Mode:1");
}

// Once the first frame has made the window borderless and placed it.
void closeByItsControl(win::WatchedGame& game) {
    win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 200 && g.y == 200; });
    game.click(383, 10);
}

// One test per signal: the game runs its frames, the signal comes, and the
// game ends as "Quit Game" does.
void quitsOnSignal(const char* name) {
    win::Scratch folder;
    prepare(folder);
    win::WatchedGame game(folder, "sig.sdk");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    game.signal(name);
    ASSERT_EQ(game.status(30000), 0) << name << game.report();
    EXPECT_EQ(folder.read("games/quit.sta"), kQuitWritten) << game.report();
    EXPECT_EQ(folder.read("Velunda.inf"), "Skin Mode: 1") << game.report();
}

// From SIGTERM, and from a click on the close control, to the end of the
// process: the files are written and nothing else is waited for. The
// fastest of three tries counts, so that one preemption on a busy machine
// does not fail it; a quit that waits for something is slow every time.
TEST(HostileWindow, QuittingTakesWellUnderHalfASecond) {
    for (const char* how : {"TERM", "close"}) {
        int fastest = 1 << 30;
        for (int attempt = 0; attempt < 3; attempt++) {
            win::Scratch folder;
            prepare(folder);
            win::WatchedGame game(folder, "sig.sdk");
            ASSERT_NE(game.waitWindow(), 0u) << game.report();
            if (std::string(how) == "close")
                win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 200 && g.y == 200; });
            win::sleepMs(500);  // past the start, into the frames
            const int start = win::nowMs();
            if (std::string(how) == "close")
                game.click(383, 10);
            else
                game.signal(how);
            ASSERT_EQ(game.status(30000), 0) << how << game.report();
            fastest = std::min(fastest, win::nowMs() - start);
            EXPECT_EQ(folder.read("games/quit.sta"), kQuitWritten) << game.report();
        }
        EXPECT_LT(fastest, 500) << how << ": the fastest of three quits took " << fastest << " ms";
    }
}

TEST(HostileWindow, TerminateQuitsAsQuitGameDoes) {
    quitsOnSignal("TERM");
}

TEST(HostileWindow, HangUpQuitsAsQuitGameDoes) {
    quitsOnSignal("HUP");
}

// The harness starts the game in the background of a script, which makes
// it ignore SIGINT: the game takes it all the same.
TEST(HostileWindow, InterruptQuitsAsQuitGameDoes) {
    quitsOnSignal("INT");
}

TEST(HostileWindow, ASignalWhileADialogRunsQuitsAsQuitGameDoes) {
    win::Scratch folder;
    prepare(folder);
    win::WatchedGame game(folder, "sig.sdk");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    // The Open Game dialog; the key is sent again when a busy game lost it.
    auto dialogShown = [&] {
        return !win::sh("timeout 10 xdotool search --all --onlyvisible --pid " + std::to_string(game.pid) +
                        " --name '^Open a File$' 2>/dev/null")
                    .empty();
    };
    bool shown = false;
    for (int attempt = 0; attempt < 5 && !shown; attempt++) {
        win::key(game.window, "O");
        shown = win::waitFor(dialogShown, 15000);
    }
    ASSERT_TRUE(shown) << game.report();
    game.signal("TERM");
    ASSERT_EQ(game.status(30000), 0) << game.report();
    EXPECT_EQ(folder.read("games/quit.sta"), kQuitWritten) << game.report();
    EXPECT_EQ(folder.read("Velunda.inf"), "Skin Mode: 1") << game.report();
}

TEST(HostileWindow, FifosInPlaceOfEveryFileNeitherHoldTheStartNorTheQuit) {
    win::Scratch folder;
    win::sh("cd " + win::quote(folder.dir) + " && rm -f games/quit.sta && mkfifo games/quit.sta Velunda.inf pipe.sdk");
    win::WatchedGame game(folder, "pipe.sdk");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    closeByItsControl(game);
    ASSERT_EQ(game.status(30000), 0) << game.report();
    // The empty puzzle of a start with nothing to read: an empty author line.
    EXPECT_EQ(folder.read("games/quit.sta"), "\n" + rows("0 0 0 0 0 0 0 0 0", " \n") + marks(0, 0))
        << game.report();
    EXPECT_EQ(folder.read("Velunda.inf"), "Skin Mode: 0") << game.report();
    EXPECT_EQ(win::sh("test -p " + win::quote(folder.path("pipe.sdk")) + " && echo fifo"), "fifo\n");
}

// As an ordinary user (root writes anywhere): the old files stay as they
// were, and the game still ends with status 0.
TEST(HostileWindow, AReadOnlyFolderQuitsWithZeroAndKeepsTheOldFiles) {
    win::Scratch folder;
    prepare(folder);
    win::sh("cd " + win::quote(folder.dir) + " && chown -R 65534:65534 . && chmod 0555 . games");
    const std::string before = win::sh("cd " + win::quote(folder.dir) + " && ls -lAR --time-style=+ . | md5sum");
    win::WatchedGame game(folder, "", "setpriv --reuid=65534 --regid=65534 --clear-groups");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    closeByItsControl(game);
    ASSERT_EQ(game.status(30000), 0) << game.report();
    EXPECT_EQ(folder.read("Velunda.inf"), "Skin Mode:1");
    EXPECT_EQ(folder.read("games/quit.sta"), "Old\n" + rows("1 2 3 0 0 0 0 0 0", " \n") + marks(7, 9));
    EXPECT_EQ(win::sh("cd " + win::quote(folder.dir) + " && ls -lAR --time-style=+ . | md5sum"), before)
        << "nothing added, removed or changed" << game.report();
}

// Without the skin pictures the board is drawn on white, and quitting works.
TEST(HostileWindow, NoGraphicsFolderStillPlaysAndQuits) {
    win::Scratch folder;
    prepare(folder);
    win::sh("rm -rf " + win::quote(folder.path("Graphics")));
    win::WatchedGame game(folder, "sig.sdk");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    win::Image shot;
    auto whiteBoard = [&] {
        shot = win::screenshot(game.window);
        return shot.width == 400 && shot.count(0, 0, 399, 499, [](const win::Pixel& p) {
                                        return p.r > 240 && p.g > 240 && p.b > 240;
                                    }) > 400 * 500 / 2;
    };
    EXPECT_TRUE(win::waitFor(whiteBoard, 30000)) << game.report();
    // A digit entered in the first empty cell is kept.
    game.click(70, 130);
    win::key(game.window, "4");
    win::sleepMs(300);
    closeByItsControl(game);
    ASSERT_EQ(game.status(30000), 0) << game.report();
    EXPECT_EQ(folder.read("games/quit.sta").substr(0, 9), "Sig\n5 -4 ") << game.report();
    EXPECT_EQ(folder.read("Velunda.inf"), "Skin Mode: 1") << game.report();
}

}  // namespace
