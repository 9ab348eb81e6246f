// The number pop-up and the message box drawn in a real window and read back.
#include <gtest/gtest.h>

#include "screen/popup.h"
#include "screen_test_util.h"

namespace {

using namespace screentest;

class Popup : public ::testing::Test {
protected:
    void SetUp() override {
        useMode(false);
        resetScreenGlobals();
        showPopup = true;
    }
    // Opens the pad by a click at (x, y), pointer off the pad.
    static gl::Frame padAt(int x, int y) {
        myMouse.downX = x;
        myMouse.downY = y;
        myMouse.x = 1;
        myMouse.y = 1;
        return frameOf(drawPopup);
    }
};

TEST_F(Popup, PadStaysInsideTheScreen) {
    struct Case {
        int clickX, clickY, px, py;
    } cases[] = {{350, 200, 315, 200}, {100, 150, 100, 150}, {100, 400, 100, 260}, {350, 480, 315, 260}};
    const gl::Rgb bd = backdrop();
    const gl::Rgb frame = blend(blueGrey, 0.5f, bd);
    const gl::Rgb body = blend(navy, 0.8f, frame);
    const gl::Rgb shadow = blend(black, 0.4f, bd);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.clickX) + ", " + std::to_string(c.clickY));
        gl::Frame f = padAt(c.clickX, c.clickY);
        EXPECT_EQ(popupClick_x, c.px);
        EXPECT_EQ(popupClick_y, c.py);
        const int px = c.px, py = c.py;
        // Left and top edges: three units of frame, then the body.
        EXPECT_TRUE(near(f.at(px - 2, py + 100), bd));
        EXPECT_TRUE(near(f.at(px + 1, py + 100), frame));
        EXPECT_TRUE(near(f.at(px + 4, py + 100), body, 3));
        EXPECT_TRUE(near(f.at(px + 30, py - 1), bd));
        EXPECT_TRUE(near(f.at(px + 30, py), frame));
        EXPECT_TRUE(near(f.at(px + 30, py + 2), frame));
        EXPECT_TRUE(near(f.at(px + 30, py + 3), body, 3));
        // Right and bottom: the frame ends at px + 75, py + 230; the shadow
        // reaches 5 units further.
        EXPECT_TRUE(near(f.at(px + 78, py + 100), shadow));
        EXPECT_TRUE(near(f.at(px + 81, py + 100), bd));
        EXPECT_TRUE(near(f.at(px + 40, py + 230), blend(blueGrey, 0.5f, shadow)));
        EXPECT_TRUE(near(f.at(px + 40, py + 233), shadow));
        EXPECT_TRUE(near(f.at(px + 40, py + 236), bd));
        // Nothing is drawn beyond the shadow.
        Box all = diff(f, blankFrame());
        EXPECT_NEAR(all.x1, px, 1);
        EXPECT_EQ(all.y1, py);
        EXPECT_NEAR(all.x2, px + 80, 1);
        EXPECT_EQ(all.y2, py + 235);
        EXPECT_LE(all.x2, 399);
        EXPECT_LE(all.y2, 499);
    }
}

TEST_F(Popup, NothingWhileClosed) {
    showPopup = false;
    popupClick_x = 7;
    myMouse.downX = 100;
    EXPECT_EQ(diff(frameOf(drawPopup), blankFrame()).n, 0);
    EXPECT_EQ(popupClick_x, 7);
}

TEST_F(Popup, HoverBandWithinThePad) {
    const int px = 100, py = 150;
    gl::Frame plain = padAt(px, py);
    auto bandAt = [&](int x, int y) {
        myMouse.x = x;
        myMouse.y = y;
        return diff(frameOf(drawPopup), plain);
    };
    Box band = bandAt(px + 30, py + 100);
    EXPECT_EQ(band.y1, py + 92);
    EXPECT_EQ(band.y2, py + 108);
    EXPECT_NEAR(band.x1, px + 3, 1);
    EXPECT_NEAR(band.x2, px + 72, 1);
    EXPECT_EQ(bandAt(px + 30, py + 28).n, 0);
    EXPECT_GT(bandAt(px + 30, py + 29).n, 0);
    EXPECT_EQ(bandAt(px + 30, py + 219).n, 0);
    EXPECT_GT(bandAt(px + 30, py + 218).n, 0);
    EXPECT_EQ(bandAt(px, py + 100).n, 0);
    EXPECT_EQ(bandAt(px + 75, py + 100).n, 0);
    EXPECT_GT(bandAt(px + 74, py + 100).n, 0);

    // Mini mode: the band starts 5 units higher.
    useMode(true);
    plain = padAt(px, py);
    EXPECT_EQ(bandAt(px + 30, py + 23).n, 0);
    EXPECT_GT(bandAt(px + 30, py + 24).n, 0);
}

TEST_F(Popup, RightColumnKeepsTheFirstSkinsColours) {
    setPalette(1);
    const int px = 100, py = 150;
    gl::Frame f = padAt(px, py);
    const gl::Rgb body = blend(navy, 0.8f, blend(blueGrey, 0.5f, backdrop()));
    const float colours[3][3] = {{0, 0, 0}, {0.1f, 0.8f, 0.3f}, {0.3f, 0.5f, 1.0f}};
    for (int d = 1; d <= 9; d++) {
        const int y = py + 18 + 20 * d;
        const gl::Rgb glyph = blend(colours[(d - 1) / 3], 0.75f, body);
        Box b = pixelsWhere(f, [&](gl::Rgb p) { return near(p, glyph, 3); }, px + 50, y - 14, px + 72, y);
        EXPECT_GT(b.n, 3) << d;
        EXPECT_NEAR(b.x1, px + 55, 2) << d;
        // The left column in white on the same baseline.
        Box left = pixelsWhere(f, [&](gl::Rgb p) { return near(p, blend(white, 0.75f, body), 3); }, px + 3,
                               y - 14, px + 30, y);
        EXPECT_GT(left.n, 3) << d;
        EXPECT_NEAR(left.x1, px + 7, 2) << d;
        EXPECT_LE(left.y2, y) << d;
    }
}

TEST_F(Popup, LastRowIsShortInMiniMode) {
    const int px = 100, py = 150;
    gl::Frame f = padAt(px, py);
    const int y = py + 218;
    Box row = pixelsWhere(f, bright, px + 3, y - 13, px + 72, y);
    EXPECT_NEAR(row.x1, px + 7, 2);
    EXPECT_NEAR(row.x2, px + 47 + textWidth("[ T ]", 12, 0) - 1, 3);
    EXPECT_GT(pixelsWhere(f, bright, px + 7 + textWidth("D", 12, 0) + 2, y - 13, px + 7 + textWidth("DEL", 12, 0),
                          y)
                  .n,
              3);

    useMode(true);
    f = padAt(px, py);
    // Window pixels are half the units; the pad's texts keep their size 12.
    const int wx = px / 2, wy = y / 2;
    row = pixelsWhere(f, bright, wx + 1, wy - 10, wx + 37, wy);
    EXPECT_NEAR(row.x1, wx + 3, 2);
    EXPECT_NEAR(row.x2, (px + 55) / 2 + textWidth("T", 12, 0) - 1, 2);
    // "D" alone: nothing between it and the "T".
    EXPECT_EQ(pixelsWhere(f, bright, wx + 3 + textWidth("D", 12, 0) + 1, wy - 10, (px + 55) / 2 - 2, wy).n, 0);
}

class MessageBox : public ::testing::Test {
protected:
    void SetUp() override {
        useMode(false);
        resetScreenGlobals();
    }
};

TEST_F(MessageBox, NothingWithoutText) {
    EXPECT_EQ(diff(frameOf(drawMessageBox), blankFrame()).n, 0);
}

TEST_F(MessageBox, MessageTextSitsInTheLowerHalf) {
    myMessageBox.text = msgPuzzleValid;
    gl::Frame f = frameOf(drawMessageBox);
    Box all = diff(f, blankFrame());
    EXPECT_NEAR(all.x1, 80, 1);
    EXPECT_EQ(all.y1, 200);
    EXPECT_NEAR(all.x2, 325, 1);
    EXPECT_EQ(all.y2, 255);
    // At (95, 227.78): the baseline row is the one above 227.78 (the "T"
    // shows it; "p" descends below).
    Box text = pixelsWhere(f, bright);
    EXPECT_NEAR(text.x1, 95, 2) << describe(text);
    EXPECT_NEAR(text.x2, 95 + textWidth(msgPuzzleValid, 12, 0) - 1, 3) << describe(text);
    // Exact: an integer y (227) would put the baseline one row higher.
    EXPECT_EQ(pixelsWhere(f, bright, 95, 200, 95 + textWidth("T", 12, 0) - 2, 250).y2, 227);
    EXPECT_LE(text.y2, 227 + 3) << describe(text);
    EXPECT_GE(text.y1, 227 - 13) << describe(text);
}

TEST_F(MessageBox, EmptyTextDrawsAnEmptyBox) {
    char empty[1] = "";
    myMessageBox.text = empty;
    gl::Frame f = frameOf(drawMessageBox);
    EXPECT_GT(diff(f, blankFrame()).n, 200 * 40);
    EXPECT_EQ(pixelsWhere(f, bright).n, 0);
}

TEST_F(MessageBox, AboutBoxGrowsForGood) {
    myMessageBox.text = About;
    gl::Frame about = frameOf(drawMessageBox);
    EXPECT_EQ(myMessageBox.x1, 80);
    EXPECT_EQ(myMessageBox.y1, 200);
    EXPECT_EQ(myMessageBox.x2, 320);
    EXPECT_EQ(myMessageBox.y2, 300);
    Box all = diff(about, blankFrame());
    EXPECT_NEAR(all.x1, 80, 1);
    EXPECT_EQ(all.y1, 200);
    EXPECT_NEAR(all.x2, 325, 1);
    EXPECT_EQ(all.y2, 305);
    const gl::Rgb frame = blend(blueGrey, 0.5f, backdrop());
    EXPECT_TRUE(near(about.at(81, 298), frame));
    EXPECT_TRUE(near(about.at(81, 301), backdrop()));
    EXPECT_TRUE(near(about.at(81, 280), frame));
    // "Velunda V1.0" at (160, 220), then the three credit lines.
    const struct {
        const char* text;
        int x, y;
    } lines[] = {{Prog_ID, 160, 220}, {Author_ID, 105, 240}, {Email_ID, 105, 270}, {Web_ID, 105, 290}};
    for (const auto& l : lines) {
        Box b = pixelsWhere(about, bright, 83, l.y - 14, 317, l.y + 3);
        EXPECT_NEAR(b.x1, l.x, 2) << l.text << ": " << describe(b);
        EXPECT_NEAR(b.x2, l.x + textWidth(l.text, 12, 0) - 1, 3) << l.text << ": " << describe(b);
    }
    EXPECT_EQ(pixelsWhere(about, bright, 83, 245, 317, 255).n, 0) << "a gap between credit and e-mail lines";

    // A later message is drawn in the taller box, at (95, 255.56).
    myMessageBox.text = msgPuzzleNotValid;
    gl::Frame later = frameOf(drawMessageBox);
    EXPECT_EQ(myMessageBox.y2, 300);
    EXPECT_EQ(diff(later, blankFrame()).y2, 305);
    Box text = pixelsWhere(later, bright);
    EXPECT_LE(text.y2, 255 + 3) << describe(text);
    EXPECT_GE(text.y1, 255 - 13) << describe(text);
    // The message starts with three spaces, then "W" on the baseline.
    const int w = 95 + textWidth("   ", 12, 0);
    EXPECT_NEAR(text.x1, w, 2) << describe(text);
    EXPECT_EQ(pixelsWhere(later, bright, w, 200, w + textWidth("W", 12, 0) - 2, 299).y2, 255);
    EXPECT_EQ(pixelsWhere(later, bright, 83, 203, 317, 240).n, 0);
}

TEST_F(MessageBox, MiniModeAboutKeepsTheWideBox) {
    useMode(true);
    myMessageBox.text = About;
    gl::Frame f = frameOf(drawMessageBox);
    EXPECT_EQ(myMessageBox.x1, 25);
    EXPECT_EQ(myMessageBox.y1, 200);
    EXPECT_EQ(myMessageBox.x2, 367);
    EXPECT_EQ(myMessageBox.y2, 300);
    Box all = diff(f, blankFrame());
    EXPECT_NEAR(all.x1, 12, 1);
    EXPECT_EQ(all.y1, 100);
    EXPECT_NEAR(all.x2, 186, 1);
    EXPECT_NEAR(all.y2, 152, 1);
    // "Velunda V1.0" at (25 + 100, 220): pixel (62, 110), in the mini font.
    Box prog = pixelsWhere(f, bright, 14, 100, 185, 110);
    EXPECT_NEAR(prog.x1, 62, 2) << describe(prog);
    EXPECT_NEAR(prog.x2, 62 + textWidth(Prog_ID, 10, 1) - 1, 3) << describe(prog);
}

}  // namespace
