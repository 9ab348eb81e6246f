// The mouse dispatch over the recording platform. The board and File-menu
// handlers are recorded here in place of the game's own, so each test sees
// exactly where a click was routed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "fake_platform.h"
#include "input/filemenu.h"
#include "input/keyboard.h"
#include "input/mouse.h"

static std::vector<std::string> routed;

static std::string record(const char* to, int button, int state, int x, int y) {
    return std::string(to) + " " + std::to_string(button) + " " + std::to_string(state) + " " + std::to_string(x) +
           " " + std::to_string(y);
}

void onPuzzle(int button, int state, int x, int y) {
    routed.push_back(record("board", button, state, x, y));
}

void onFileMenu(int button, int state, int x, int y) {
    routed.push_back(record("menu", button, state, x, y));
}

namespace {

const int L = 0, R = 2, down = 0, up = 1;

class Mouse : public ::testing::Test {
protected:
    void SetUp() override {
        miniMode = false;
        myMessageBox.text = nullptr;
        showFileMenu = showPopup = popupClick = wantsToSetAuthor = win_OnTop = false;
        Author[0] = '\0';
        hWnd = 42;
        win_x = win_y = 200;
        win_Width = 400;
        win_Height = 500;
        win_Scale = 1;
        // A release ends whatever drag an earlier test left behind.
        onMouseClick(1, up, 0, 300);
        myMouse = mouse();
        resetFakePlatform();
        routed.clear();
    }
    void click(int button, int x, int y) {
        onMouseClick(button, down, x, y);
        onMouseClick(button, up, x, y);
    }
    std::vector<std::string> none;
};

TEST_F(Mouse, MiniModeDoublesWindowPixels) {
    miniMode = true;
    onMouseClick(R, down, 100, 100);
    EXPECT_EQ(routed, std::vector<std::string>{"board 2 0 200 200"});
    EXPECT_EQ(myMouse.downX, 200);
    EXPECT_EQ(myMouse.downY, 200);
    onMouseMove(50, 60);
    EXPECT_EQ(myMouse.x, 100);
    EXPECT_EQ(myMouse.y, 120);
}

// On a high-density screen each virtual unit (or, in mini mode, pair of
// units) is a block of win_Scale x win_Scale window pixels: every pixel of
// the block is that unit, and the drag still follows the pointer exactly.
TEST_F(Mouse, ScaledWindowPixelsAreBlocksOfTheNormalOnes) {
    struct Case {
        bool mini;
        int scale, x, y, virtualX, virtualY;
    } cases[] = {
        {false, 2, 200, 300, 100, 150}, {false, 2, 201, 301, 100, 150}, {false, 3, 302, 450, 100, 150},
        {true, 2, 100, 150, 100, 150},  {true, 3, 299, 449, 199, 299},
    };
    for (const Case& c : cases) {
        miniMode = c.mini;
        win_Scale = c.scale;
        routed.clear();
        onMouseClick(R, down, c.x, c.y);
        EXPECT_EQ(routed, std::vector<std::string>{record("board", R, down, c.virtualX, c.virtualY)})
            << c.scale << (c.mini ? " mini " : " ") << c.x << "," << c.y;
        onMouseMove(c.x, c.y);
        EXPECT_EQ(myMouse.x, c.virtualX);
        EXPECT_EQ(myMouse.y, c.virtualY);
        onMouseClick(R, up, c.x, c.y);
    }
    // The title bar's close button at window (2 x 383, 2 x 10).
    miniMode = false;
    win_Scale = 2;
    routed.clear();
    click(L, 766, 20);
    EXPECT_EQ(routed, std::vector<std::string>{"menu 0 1 20 264"});

    win_Width = 800;
    win_Height = 1000;
    fake.calls.clear();
    onMouseClick(L, down, 100, 56);  // virtual y 28: the strip
    fake.pointerX = 330;
    fake.pointerY = 296;
    onMouseMoveClick(130, 76);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"move 42 230 240 800 1000"});
    onMouseClick(L, up, 130, 76);
}

TEST_F(Mouse, MessageIsDismissedByTheReleaseOnly) {
    char text[] = "A message";
    myMessageBox.text = text;
    onMouseClick(L, down, 200, 300);
    EXPECT_EQ(routed, std::vector<std::string>{"board 0 0 200 300"});
    EXPECT_EQ(myMessageBox.text, text);
    onMouseMove(10, 10);
    EXPECT_EQ(myMouse.x, 200) << "the pointer stays put under a message";
    onMouseClick(L, up, 200, 300);
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_EQ(routed.size(), 1u) << "the release did nothing else";
}

TEST_F(Mouse, OpenMenuTakesOnlyLeftReleases) {
    showFileMenu = true;
    onMouseClick(L, down, 100, 100);
    onMouseClick(L, down, 200, 300);
    onMouseClick(R, up, 200, 100);
    onMouseClick(L, down, 30, 10);
    EXPECT_EQ(routed, none);
    EXPECT_TRUE(showFileMenu);
    onMouseClick(L, up, 100, 100);
    EXPECT_EQ(routed, std::vector<std::string>{"menu 0 1 100 100"});
    onMouseClick(L, up, 200, 100);
    EXPECT_FALSE(showFileMenu);
    EXPECT_EQ(routed.size(), 1u);
}

TEST_F(Mouse, TitleBarButtonsAtTheirBounds) {
    click(L, 343, 22);  // the keep-on-top button ends at y 21
    click(L, 380, 22);  // so does the close button
    click(L, 45, 22);   // right of "File"
    click(R, 361, 22);  // minimise, but the right button
    EXPECT_EQ(fake.calls, none);
    EXPECT_EQ(routed, none);
    EXPECT_FALSE(showFileMenu);

    click(L, 361, 22);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"minimise 42"});
    click(L, 380, 10);
    EXPECT_EQ(routed, std::vector<std::string>{"menu 0 1 20 264"}) << "close is the Quit Game row";
    click(L, 44, 22);
    EXPECT_TRUE(showFileMenu);
}

TEST_F(Mouse, AuthorPromptOnlyWithoutAnAuthor) {
    click(L, 200, 21);
    EXPECT_TRUE(wantsToSetAuthor);
    click(L, 200, 300);
    EXPECT_FALSE(wantsToSetAuthor) << "any click ends the typing";
    std::strcpy(Author, "Someone");
    click(L, 200, 21);
    EXPECT_FALSE(wantsToSetAuthor);
}

TEST_F(Mouse, KeepOnTopToggles) {
    click(L, 350, 10);
    EXPECT_TRUE(win_OnTop);
    EXPECT_TRUE(fake.onTop);
    click(L, 350, 10);
    EXPECT_FALSE(win_OnTop);
    EXPECT_FALSE(fake.onTop);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"onTop 42", "notOnTop 42"}));
}

TEST_F(Mouse, LeftEventArmsTheOpenPad) {
    showPopup = true;
    onMouseClick(R, down, 200, 300);
    EXPECT_TRUE(showPopup);
    onMouseClick(L, down, 210, 320);
    EXPECT_FALSE(showPopup);
    EXPECT_TRUE(popupClick);
    EXPECT_EQ(routed.back(), "board 0 0 210 320") << "the arming click still reaches the board";
}

TEST_F(Mouse, TopStripDragFollowsThePointerOnScreen) {
    // By the time the press is handled the pointer has moved on: the drag
    // starts from where the press happened, (200 + 100, 200 + 29).
    fake.pointerX = 330;
    fake.pointerY = 249;
    onMouseClick(L, down, 100, 29);
    // Motion reported against a window the server has not moved yet: only
    // the pointer's screen position counts.
    fake.pointerX = 330;
    fake.pointerY = 249;
    onMouseMoveClick(130, 49);
    fake.pointerX = 360;
    fake.pointerY = 269;
    onMouseMoveClick(130, 49);
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"move 42 230 220 400 500", "move 42 260 240 400 500"}));
    EXPECT_EQ(win_x, 260);
    EXPECT_EQ(win_y, 240);
    onMouseClick(L, up, 100, 29);

    fake.calls.clear();
    onMouseClick(L, down, 100, 30);
    fake.pointerX = 400;
    onMouseMoveClick(140, 30);
    EXPECT_EQ(fake.calls, none);
}

TEST_F(Mouse, MiniModeDragMovesByWindowPixels) {
    miniMode = true;
    win_Width = 200;
    win_Height = 250;
    onMouseClick(L, down, 50, 12);
    fake.pointerX = 260;
    fake.pointerY = 212;
    onMouseMoveClick(60, 12);
    EXPECT_EQ(fake.calls, std::vector<std::string>{"move 42 210 200 200 250"});
}

TEST_F(Mouse, ReleaseEndingADragIsNoClick) {
    onMouseClick(L, down, 380, 10);
    fake.pointerX = 600;
    fake.pointerY = 210;
    onMouseMoveClick(400, 10);
    onMouseClick(L, up, 380, 10);
    EXPECT_EQ(routed, none) << "dragging by the close button must not quit";
    click(L, 380, 10);
    EXPECT_EQ(routed, std::vector<std::string>{"menu 0 1 20 264"});
}

TEST_F(Mouse, NothingWhileADialogRuns) {
    fake.dialogRunning = true;
    showPopup = true;
    click(L, 380, 10);
    onMouseMove(10, 10);
    onMouseMoveClick(10, 10);
    EXPECT_EQ(routed, none);
    EXPECT_TRUE(showPopup);
    EXPECT_EQ(myMouse.x, 1);
    EXPECT_EQ(myMouse.button, -1);
}

}  // namespace
