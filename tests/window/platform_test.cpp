// The real platform layer on a real X server with a window manager: what
// the desktop sees after each window operation.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <signal.h>
#include <sys/time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <thread>

#include "app/globals.h"
#include "gfx/easygl.h"
#include "harness.h"
#include "platform/platform.h"

namespace {

// Lets the server and the window manager catch up with our requests.
void settle(int ms) {
    int start = win::nowMs();
    while (win::nowMs() - start < ms) {
        glutMainLoopEvent();
        win::sleepMs(10);
    }
}

std::string property(const char* name) {
    return win::sh("xprop -id " + std::to_string(hWnd) + " " + name + " 2>/dev/null");
}

class RealPlatform : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        createEasyGLWindow(400, 500, 0);
        // Every test asks the window manager about a window it manages.
        bool shown = win::waitFor([] {
            glutMainLoopEvent();
            return win::sh("xwininfo -id " + std::to_string(hWnd) + " 2>/dev/null").find("IsViewable") !=
                   std::string::npos;
        });
        if (!shown) std::fprintf(stderr, "the window was never shown\n%s", win::displayReport().c_str());
    }
};

TEST_F(RealPlatform, HandleIsTheWindowOfTheTitle) {
    ASSERT_NE(hWnd, 0ul);
    std::string found = win::sh("xdotool search --name '^Sudoku - by Brannoch$'");
    EXPECT_EQ(std::stoul(found), hWnd);
}

TEST_F(RealPlatform, BorderlessAndMovedExactly) {
    platformSetBorderless(hWnd);
    platformMoveWindow(hWnd, 200, 200, 400, 500);
    EXPECT_TRUE(win::waitFor([] { settle(20); return property("_MOTIF_WM_HINTS").find("0x2, 0x0") != std::string::npos; }))
        << property("_MOTIF_WM_HINTS");
    win::Geometry g = win::waitGeometry(hWnd, [](const win::Geometry& g) { return g.x == 200 && g.y == 200; });
    EXPECT_EQ(g.x, 200);
    EXPECT_EQ(g.y, 200);
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 500);

    platformMoveWindow(hWnd, 250, 180, 400, 500);
    g = win::waitGeometry(hWnd, [](const win::Geometry& g) { return g.x == 250; });
    EXPECT_EQ(g.x, 250);
    EXPECT_EQ(g.y, 180);
}

TEST_F(RealPlatform, KeepOnTopTogglesTheAboveState) {
    auto above = [] { return property("_NET_WM_STATE").find("_NET_WM_STATE_ABOVE") != std::string::npos; };
    platformSetKeepOnTop(hWnd, true);
    EXPECT_TRUE(win::waitFor([&] { settle(20); return above(); })) << property("_NET_WM_STATE");
    platformSetKeepOnTop(hWnd, false);
    EXPECT_TRUE(win::waitFor([&] { settle(20); return !above(); })) << property("_NET_WM_STATE");
}

TEST_F(RealPlatform, MinimiseIsSeenAndRestoreClearsIt) {
    EXPECT_FALSE(platformIsMinimised(hWnd));
    platformMinimise(hWnd);
    EXPECT_TRUE(win::waitFor([] { settle(20); return platformIsMinimised(hWnd); }));
    win::sh("xdotool windowmap " + std::to_string(hWnd) + " windowactivate " + std::to_string(hWnd) +
            " 2>/dev/null");
    EXPECT_TRUE(win::waitFor([] { settle(20); return !platformIsMinimised(hWnd); }));
}

// The idle frame's sleep: the whole time when nothing comes, over at once
// when an event or a signal does (a quit signal must not wait for a time-out).
TEST_F(RealPlatform, WaitingForEventsEndsWithAnEventOrASignal) {
    // The window manager may speak now and then: one of a few quiet waits
    // lasts its whole time.
    settle(200);
    int longest = 0;
    for (int i = 0; i < 5 && longest < 300; i++) {
        glutMainLoopEvent();
        const int start = platformClock();
        platformWaitForEvents(300);
        longest = std::max(longest, platformClock() - start);
    }
    EXPECT_GE(longest, 300);
    EXPECT_LT(longest, 5000);

    glutMainLoopEvent();
    platformMoveWindow(hWnd, 260, 190, 400, 500);  // the server answers with an event
    int start = platformClock();
    platformWaitForEvents(60000);
    EXPECT_LT(platformClock() - start, 30000) << "an event did not end the wait";

    settle(200);
    struct sigaction quiet = {};
    quiet.sa_handler = [](int) {};
    struct sigaction old;
    sigaction(SIGALRM, &quiet, &old);
    itimerval once = {};
    once.it_value.tv_usec = 50 * 1000;
    start = platformClock();
    setitimer(ITIMER_REAL, &once, nullptr);
    platformWaitForEvents(60000);
    EXPECT_LT(platformClock() - start, 30000) << "a signal did not end the wait";
    sigaction(SIGALRM, &old, nullptr);

    // A quit signal's handler may run on another thread (the renderer's):
    // it ends the wait all the same, and one that comes just before the
    // wait ends it at once.
    settle(200);
    std::thread handler([] {
        platformSleep(50);
        platformEndWait();
    });
    start = platformClock();
    platformWaitForEvents(60000);
    handler.join();
    EXPECT_LT(platformClock() - start, 30000) << "the end of a wait from another thread was missed";
    platformEndWait();
    start = platformClock();
    platformWaitForEvents(60000);
    EXPECT_LT(platformClock() - start, 30000) << "an end that came before the wait was lost";
}

TEST(PlatformClock, CountsMillisecondsAndSleeps) {
    int before = platformClock();
    platformSleep(30);
    int after = platformClock();
    EXPECT_GE(after - before, 30);
    EXPECT_LT(after - before, 1000);
    platformSleep(0);
    platformSleep(-5);
    EXPECT_GE(platformClock(), after);
}

}  // namespace
