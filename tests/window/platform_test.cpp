// The real platform layer on a real X server with a window manager: what
// the desktop sees after each window operation.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <string>

#include "app/globals.h"
#include "gfx/easygl.h"
#include "harness.h"
#include "platform/platform.h"

namespace {

// Lets the server and the window manager catch up with our requests.
void settle(int ms = 200) {
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
        settle(300);
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
    settle();
    EXPECT_NE(property("_MOTIF_WM_HINTS").find("0x2, 0x0"), std::string::npos) << property("_MOTIF_WM_HINTS");
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
    platformSetKeepOnTop(hWnd, true);
    settle();
    EXPECT_NE(property("_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
    platformSetKeepOnTop(hWnd, false);
    settle();
    EXPECT_EQ(property("_NET_WM_STATE").find("_NET_WM_STATE_ABOVE"), std::string::npos);
}

TEST_F(RealPlatform, MinimiseIsSeenAndRestoreClearsIt) {
    EXPECT_FALSE(platformIsMinimised(hWnd));
    platformMinimise(hWnd);
    bool minimised = false;
    for (int i = 0; i < 50 && !minimised; i++) {
        settle(20);
        minimised = platformIsMinimised(hWnd);
    }
    EXPECT_TRUE(minimised);
    win::sh("xdotool windowmap " + std::to_string(hWnd) + " windowactivate " + std::to_string(hWnd) +
            " 2>/dev/null");
    for (int i = 0; i < 50 && minimised; i++) {
        settle(20);
        minimised = platformIsMinimised(hWnd);
    }
    EXPECT_FALSE(minimised);
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
