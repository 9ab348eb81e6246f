// The paced frame and the background, in a process of their own: the
// first-frame set-up happens once per process. Skins are small pictures of
// one colour each, written by the test.
#include <gtest/gtest.h>

#include <unistd.h>

#include <climits>

#include "app/globals.h"
#include "bmp_files.h"
#include "fake_platform.h"
#include "gfx/primitives.h"
#include "glcapture.h"
#include "screen/frame.h"

namespace {

const gl::Rgb skin0Colour{200, 40, 30}, skin1Colour{30, 60, 210};

std::string solid(gl::Rgb c) {
    bmp::Header s;
    s.width = 4;
    s.height = 4;
    return bmp::headers(s) + bmp::rows(s, [&](int, int, int ch) { return ch == 0 ? c.b : ch == 1 ? c.g : c.r; });
}

class Frame : public ::testing::Test {
protected:
    static bmp::Folder* folder;
    static void SetUpTestSuite() {
        folder = new bmp::Folder;
        std::system(("mkdir -p '" + folder->dir + "/Graphics'").c_str());
        folder->write("Graphics/Board.bmp", solid(skin0Colour));
        folder->write("Graphics/WBoard.bmp", solid(skin1Colour));
        ASSERT_EQ(chdir(folder->dir.c_str()), 0);
        resetFakePlatform();
        skinMode = 0;
        // GLUT may already paint the first frame while the window maps.
        gl::openWindow(400, 500);
    }
    static void TearDownTestSuite() { delete folder; }
    void SetUp() override {
        fake.minimised = false;
        skinMode = 0;
    }
    // Draws one frame (one with something new to show) with the clock
    // `ticks` after the last frame's stamp; returns the sleeps it asked for.
    std::vector<std::string> frameAfter(int ticks) {
        fake.clock = last + ticks;
        fake.calls.clear();
        redrawNextFrame();
        EasyRender();
        std::vector<std::string> sleeps;
        for (const std::string& c : fake.calls)
            if (c.rfind("sleep", 0) == 0) sleeps.push_back(c);
        return sleeps;
    }
};
bmp::Folder* Frame::folder = nullptr;

TEST_F(Frame, FirstFrameLoadsBothSkinsAndPlacesTheWindowOnce) {
    testing::internal::CaptureStdout();
    EasyRender();
    fake.clock += 100;
    EasyRender();
    testing::internal::GetCapturedStdout();
    EXPECT_NE(Skin0, 0u);
    EXPECT_NE(Skin1, 0u);
    EXPECT_NE(Skin0, Skin1);
    EXPECT_EQ(fakeCallCount("borderless 42"), 1);
    EXPECT_EQ(fakeCallCount("move 42 200 200 400 500"), 1);
    EXPECT_EQ(fakeCallCount("move"), 1);
    EXPECT_EQ(win_x, 200);
    EXPECT_EQ(win_y, 200);
}

TEST_F(Frame, TwentyTicksAreNotEnoughTwentyOneAre) {
    frameAfter(100);
    int stamp = last;
    // 20 ticks: one more 10 ms sleep, and the stamp is the one before it.
    EXPECT_EQ(frameAfter(20), (std::vector<std::string>{"sleep 10", "sleep 10"}));
    EXPECT_EQ(last, stamp + 30);
    stamp = last;
    EXPECT_EQ(frameAfter(21), (std::vector<std::string>{"sleep 10"}));
    EXPECT_EQ(last, stamp + 21);
    // Right after a frame: sleeps until 21 ticks have passed.
    stamp = last;
    EXPECT_EQ(frameAfter(0).size(), 4u);
    EXPECT_EQ(last, stamp + 30);
    EXPECT_FLOAT_EQ(seconds, 0.03f);
}

TEST_F(Frame, PacingSurvivesTheClockWrapping) {
    last = INT_MAX - 4;
    fake.clock = INT_MIN + 20;  // 25 ticks later
    fake.calls.clear();
    redrawNextFrame();
    EasyRender();
    EXPECT_EQ(fakeCallCount("sleep"), 1);
    EXPECT_EQ(last, INT_MIN + 20);
    last = 0;
}

TEST_F(Frame, MinimisedSleeps100AndDrawsNothing) {
    frameAfter(100);
    const int stamp = last;
    square(0, 0, 400, 500, 0.0f, 1.0f, 0.0f, 1.0f);
    fake.minimised = true;
    EXPECT_EQ(frameAfter(500), (std::vector<std::string>{"sleep 100"}));
    EXPECT_EQ(last, stamp);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(f.count(0, 0, 399, 499, [](gl::Rgb p) { return p == gl::Rgb{0, 255, 0}; }), 400 * 500);
    EXPECT_EQ(fakeCallCount("move"), 0);
}

void expectColour(const RGBcolor& c, double r, double g, double b, double a, const char* name) {
    EXPECT_DOUBLE_EQ(c.r, r) << name;
    EXPECT_DOUBLE_EQ(c.g, g) << name;
    EXPECT_DOUBLE_EQ(c.b, b) << name;
    EXPECT_DOUBLE_EQ(c.a, a) << name;
}

TEST_F(Frame, PaletteAndPictureFollowSkinModeOnTheNextFrame) {
    for (int mode : {0, 1, 0, 7}) {
        skinMode = mode;
        frameAfter(40);
        const bool first = mode == 0;
        expectColour(rgbMarkUp1, 0, 0, 0, 1, "rgbMarkUp1");
        expectColour(rgbMarkUp4, first ? 0.1 : 0.01, first ? 0.8 : 0.55, first ? 0.3 : 0.05, 1, "rgbMarkUp4");
        expectColour(rgbMarkUp7, first ? 0.3 : 0.05, first ? 0.5 : 0.1, first ? 1.0 : 0.55, 1, "rgbMarkUp7");
        expectColour(rgbGuessFace, 0, 0, 0, 1, "rgbGuessFace");
        expectColour(rgbGameFace, 1, 1, 1, 1, "rgbGameFace");
        expectColour(rgbGameBack, 41 / 255.0, 64 / 255.0, 127 / 255.0, first ? 0.0 : 1.0, "rgbGameBack");
        expectColour(rgbGameWrong, 1.0, first ? 0.45 : 0.35, first ? 0.6 : 0.55, first ? 0.75 : 0.85, "rgbGameWrong");
        if (first)
            expectColour(rgbCursor, 1, 1, 1, 1, "rgbCursor");
        else
            expectColour(rgbCursor, 15 / 255.0, 28 / 255.0, 155 / 255.0, 1, "rgbCursor");

        // The background alone, read before any swap.
        gl::clear();
        drawBackground();
        gl::Frame f = gl::readBack();
        const gl::Rgb want = first ? skin0Colour : skin1Colour;
        EXPECT_EQ(f.count(0, 0, 399, 499, [&](gl::Rgb p) { return p == want; }), 400 * 500) << "skin " << mode;
        EXPECT_FLOAT_EQ(dA, 1.0f);
    }
}

}  // namespace
