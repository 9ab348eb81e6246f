// The mouse on the real game: dragging the borderless window by its top
// strip, the title-bar buttons, the window manager's close and the pad.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "harness.h"
#include "watched_game.h"

namespace {

// What a person needs to see why a test failed: the game's output, the
// windows on the screen and a picture of it.
std::string report(const std::string& log, const std::string& name) {
    return "\n" + name + ": game output:\n" + log + "\n" + win::displayReport();
}

std::string report(const win::Game& game, const std::string& name) {
    return report(game.log(), name);
}

std::string property(unsigned long window, const char* name) {
    return win::sh("timeout 10 xprop -id " + std::to_string(window) + " " + name + " 2>/dev/null");
}

// Polls `done` every 50 ms for up to timeoutMs.
template <class Done>
bool waitFor(Done done, int timeoutMs = 10000) {
    int start = win::nowMs();
    while (!done()) {
        if (win::nowMs() - start > timeoutMs) return false;
        win::sleepMs(50);
    }
    return true;
}

win::Geometry waitAt(unsigned long window, int x, int y) {
    return win::waitGeometry(window, [&](const win::Geometry& g) { return g.x == x && g.y == y; }, 10000);
}

// A left press at (x, y) of the window, then the pointer moved by (dx, dy)
// in `steps` equal steps sent as fast as xdotool can, then the release.
void drag(unsigned long window, int x, int y, int dx, int dy, int steps) {
    win::move(window, x, y);
    std::string command = "timeout 20 xdotool mousedown 1";
    for (int i = 0; i < steps; i++)
        command += " mousemove_relative -- " + std::to_string(dx / steps) + " " + std::to_string(dy / steps);
    win::sh(command + " mouseup 1");
}

TEST(MouseWindow, TopStripDragMovesTheWindowExactly) {
    for (bool mini : {false, true}) {
        SCOPED_TRACE(mini ? "mini mode" : "normal mode");
        win::Scratch folder;
        win::Game game(folder, mini ? "-m" : "");
        ASSERT_NE(game.waitWindow(), 0u) << report(game, "drag-start");
        // The first frame places the window at (200, 200).
        win::Geometry g = waitAt(game.window, 200, 200);
        ASSERT_TRUE(g.x == 200 && g.y == 200) << g.x << "," << g.y << report(game, "drag-place");

        // Grabbed beside "File", in the strip below the title bar's buttons
        // the second time (y 28 of 500 units).
        const int half = mini ? 2 : 1;
        drag(game.window, 100 / half, 10 / half, 60, 40, 1);
        g = waitAt(game.window, 260, 240);
        EXPECT_TRUE(g.x == 260 && g.y == 240) << g.x << "," << g.y << report(game, "drag-one-step");

        drag(game.window, 100 / half, 28 / half, 60, 40, 20);
        g = waitAt(game.window, 320, 280);
        EXPECT_TRUE(g.x == 320 && g.y == 280) << g.x << "," << g.y << report(game, "drag-fast-steps");

        // Below the strip nothing moves.
        drag(game.window, 100 / half, 40 / half, 60, 40, 4);
        win::sleepMs(500);
        g = win::geometry(game.window);
        EXPECT_TRUE(g.x == 320 && g.y == 280) << g.x << "," << g.y << report(game, "drag-below-strip");
    }
}

TEST(MouseWindow, KeepOnTopAndMinimiseReachTheWindowManager) {
    win::Scratch folder;
    win::Game game(folder);
    ASSERT_NE(game.waitWindow(), 0u) << report(game, "buttons-start");
    waitAt(game.window, 200, 200);
    auto above = [&] { return property(game.window, "_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos; };

    win::click(game.window, 350, 10);
    EXPECT_TRUE(waitFor(above)) << property(game.window, "_NET_WM_STATE") << report(game, "on-top");
    win::click(game.window, 350, 10);
    EXPECT_TRUE(waitFor([&] { return !above(); })) << property(game.window, "_NET_WM_STATE")
                                                    << report(game, "not-on-top");

    win::click(game.window, 368, 10);
    EXPECT_TRUE(waitFor([&] {
        return property(game.window, "WM_STATE").find("Iconic") != std::string::npos ||
               property(game.window, "_NET_WM_STATE").find("_NET_WM_STATE_HIDDEN") != std::string::npos;
    })) << property(game.window, "WM_STATE") << report(game, "minimise");
    EXPECT_TRUE(game.running()) << report(game, "minimise-running");
}

// The close button and the window manager's close both end the game as
// "Quit Game" does: status 0 and the state kept in games/quit.sta.
TEST(MouseWindow, CloseButtonAndWindowManagerCloseQuit) {
    for (const char* how : {"button", "button-mini", "alt+F4"}) {
        SCOPED_TRACE(how);
        win::Scratch folder;
        const bool mini = std::string(how) == "button-mini";
        win::WatchedGame game(folder, mini ? "-m" : "");
        ASSERT_NE(game.waitWindow(), 0u) << report(game.log(), "close-start");
        waitAt(game.window, 200, 200);
        int status = -1;
        if (std::string(how) == "alt+F4") {
            // Now and then (1 run in 30 or 40 here) openbox lets the first
            // Alt+F4 after a window maps go by, while the game sits idle
            // with the focus; a person would press it again, and so does
            // the test, saying so.
            win::key(game.window, "alt+F4");
            status = game.status(15000);
            if (status == -1) {
                std::fprintf(stderr, "the game was still running 15 s after Alt+F4: pressed again\n");
                win::key(game.window, "alt+F4");
            }
        } else {
            win::click(game.window, mini ? 191 : 383, mini ? 5 : 10);
        }
        if (status == -1) status = game.status(20000);
        EXPECT_EQ(status, 0) << report(game.log(), "close");
        EXPECT_FALSE(folder.read("games/quit.sta").empty()) << report(game.log(), "close-quit-sta");
    }
}

// A right click on a cell opens the pad there; a left click on its "5"
// enters the digit, which the quit state then holds.
TEST(MouseWindow, PadEntersADigit) {
    win::Scratch folder;
    win::WatchedGame game(folder, "");
    ASSERT_NE(game.waitWindow(), 0u) << report(game.log(), "pad-start");
    waitAt(game.window, 200, 200);
    // A point of the pad away from the cell clicked, whose highlight may change too.
    const win::Pixel before = win::screenshot(game.window).at(150, 400);
    win::click(game.window, 100, 200, 3);
    EXPECT_TRUE(waitFor([&] { return !(win::screenshot(game.window).at(150, 400) == before); }))
        << report(game.log(), "pad-open");
    win::click(game.window, 110, 315);
    win::click(game.window, 383, 10);
    ASSERT_EQ(game.status(20000), 0) << report(game.log(), "pad-quit");
    EXPECT_NE(folder.read("games/quit.sta").find("-5"), std::string::npos)
        << folder.read("games/quit.sta") << report(game.log(), "pad-digit");
}

}  // namespace
