// Whole screens in both modes and both skins, saved as PNG files for a
// person to look at: a puzzle with entries, marks, shading and the
// selection, then the File menu, the pop-up, a message and the About box.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <string>

#include "gfx/easygl.h"
#include "screen/board.h"
#include "screen/frame.h"
#include "screen/menu.h"
#include "screen/popup.h"
#include "screen_test_util.h"

namespace {

using namespace screentest;

const char puzzleText[] =
    "Made for the screenshots\n"
    "5 3 0 0 7 0 0 0 0 \n"
    "6 0 0 1 9 5 0 0 0 \n"
    "0 9 8 0 0 0 0 6 0 \n"
    "8 0 0 0 6 0 0 0 3 \n"
    "4 0 0 8 0 3 0 0 1 \n"
    "7 0 0 0 2 0 0 0 6 \n"
    "0 6 0 0 0 0 2 8 0 \n"
    "0 0 0 4 1 9 0 0 5 \n"
    "0 0 0 0 8 0 0 7 9 \n";

// The screen as the game composes it, without the final swap (the back
// buffer is read before it).
gl::Frame screen() {
    drawScreen();
    return gl::readBack();
}

void setUpGame() {
    FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs(puzzleText, file);
    std::rewind(file);
    myPuzzle.clearPuzzle();
    ASSERT_EQ(myPuzzle.loadPuzzle(file), 0);
    std::fclose(file);
    myPuzzle.guess(0, 2, 4);
    myPuzzle.guess(0, 3, 6);
    myPuzzle.guess(1, 1, 7);
    myPuzzle.guess(2, 0, 5);  // wrong: a second 5 in the first box
    VelundaDirty = true;
    const struct {
        int row, col;
        short marks;
    } marks[] = {{0, 5, 0x0AA}, {0, 7, 0x00B}, {0, 8, 0x08A}, {1, 2, 0x003}, {4, 4, 0x010}, {6, 0, 0x1FF},
                 {8, 0, 0x104}, {7, 7, 0x0C0}, {2, 3, 0x024}};
    for (const auto& m : marks) retMarkUps[m.row * 9 + m.col] = m.marks;
    puzzleMasked = true;
    puzzleMask[2 * 9 + 0] = 1;
    PuzzleSelected_x = 183;  // the centre cell
    PuzzleSelected_y = 281;
}

class Screenshots : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        // The skin pictures are read relative to the working directory.
        ASSERT_EQ(chdir(VELUNDA_RUNTIME_DIR), 0);
        useMode(GetParam());
        resetScreenGlobals();
        setUpGame();
    }
    void keep(const gl::Frame& f, const std::string& scene) {
        const std::string name =
            std::string(VELUNDA_ARTEFACT_DIR) + "/screen-" + (GetParam() ? "mini" : "normal") + "-" + scene + ".png";
        EXPECT_TRUE(f.save(name)) << name;
    }
};

TEST_P(Screenshots, EveryPanelInBothSkins) {
    gl::Frame board = screen();
    ASSERT_NE(Skin0, 0u) << "Graphics/Board.bmp did not load";
    keep(board, "board-skin1");

    skinMode = 1;
    ASSERT_NE(Skin1, 0u) << "Graphics/WBoard.bmp did not load";
    keep(screen(), "board-skin2");
    skinMode = 0;

    showFileMenu = true;
    myMouse.x = 80;
    myMouse.y = 133;
    keep(screen(), "menu");
    showFileMenu = false;

    showPopup = true;
    myMouse.downX = 230;
    myMouse.downY = 300;
    myMouse.x = 260;
    myMouse.y = 398;
    keep(screen(), "popup");
    showPopup = false;

    std::strcpy(Author, "");
    VelundaDirty = false;
    keep(screen(), "prompt");
    VelundaDirty = true;

    myMessageBox.text = msgPuzzleRating[2];
    keep(screen(), "message");
    myMessageBox.text = About;
    keep(screen(), "about");
    myMessageBox.text = msgPuzzleNotValid;
    keep(screen(), "message-after-about");
}

INSTANTIATE_TEST_SUITE_P(Modes, Screenshots, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "Mini" : "Normal"; });

}  // namespace
