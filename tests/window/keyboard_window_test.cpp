// The game played from the keyboard as a person would, under xdotool; what
// happened is read from the screen's pixels.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness.h"

namespace {

// Givens of the puzzle the game opens with: row 0 is "0 0 0 0 4 2 0 0 0".
const char* const puzzle =
    "Keys\n"
    "0 0 0 0 4 2 0 0 0\n0 0 0 0 0 1 0 3 0\n1 0 7 3 0 0 5 2 0\n"
    "6 9 0 0 0 0 0 4 3\n0 0 0 0 0 0 0 0 0\n2 1 0 0 0 0 0 5 6\n"
    "0 4 5 0 0 3 9 0 1\n0 8 0 1 0 0 0 0 0\n0 0 0 6 9 0 0 0 0\n";

int cellX(int col) { return 17 + 41 * col + 2 * (col / 3); }
int cellY(int row) { return 115 + 41 * row + 2 * (row / 3); }

// Pixels of a cell's tile (or of its top-left corner only) that differ
// plainly from the same place in another picture.
int changed(const win::Image& a, const win::Image& b, int row, int col, int width = 35, int height = 36) {
    int n = 0;
    for (int y = cellY(row); y <= cellY(row) + height; y++)
        for (int x = cellX(col); x <= cellX(col) + width; x++) {
            win::Pixel p = a.at(x, y), q = b.at(x, y);
            n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 40;
        }
    return n;
}

struct KeyboardWindowTest : ::testing::Test {
    win::Scratch folder;
    win::Game* game = nullptr;
    win::Image shot;

    void SetUp() override {
        folder.write("keys.sdk", puzzle);
        game = new win::Game(folder, "keys.sdk");
    }
    void TearDown() override { delete game; }

    // Screenshots until ready(picture) holds, for up to 20 s; the last one stays in shot.
    template <class Ready>
    bool waitFor(Ready ready) {
        int start = win::nowMs();
        do {
            shot = win::screenshot(game->window);
            if (shot.width == 400 && ready(shot)) return true;
            win::sleepMs(100);
        } while (win::nowMs() - start < 20000);
        return false;
    }

    // What a person debugging a failure needs: the game's output, the
    // window tree and the last picture.
    std::string report(const std::string& step) {
        std::string file = ::testing::TempDir() + "keyboard-window-" + step + ".png";
        shot.save(file);
        return step + "\n--- game output:\n" + game->log() + "\n--- windows:\n" +
               win::sh("timeout 10 xwininfo -tree -root 2>&1") + "\n--- screenshot: " + file + "\n";
    }
};

TEST_F(KeyboardWindowTest, DigitsMarksArrowsAndEscChangeTheBoard) {
    ASSERT_NE(game->waitWindow(), 0u) << report("window");
    // The first frames are in once two pictures in a row agree.
    win::Image start;
    ASSERT_TRUE(waitFor([&](const win::Image& now) {
        bool same = start.width == 400 && changed(now, start, 0, 4) == 0 && changed(now, start, 4, 4) == 0 &&
                    now.rgb == start.rgb;
        start = now;
        return same;
    })) << report("first-frames");

    // From the point before any click, Right selects row 0, column 1.
    win::key(game->window, "Right");
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return changed(now, start, 0, 1) > 300; }))
        << report("select");
    const win::Image selected = shot;
    EXPECT_EQ(changed(selected, start, 0, 0), 0) << report("select-only-one");

    win::key(game->window, "7");
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return changed(now, selected, 0, 1) > 20; }))
        << report("digit");

    // Left twice wraps from column 0 to column 8; its top-left corner then
    // takes the pencil mark 1, and a second ! takes it away again.
    win::key(game->window, "Left Left");
    ASSERT_TRUE(waitFor([&](const win::Image& now) {
        return changed(now, start, 0, 8) > 300 && changed(now, start, 0, 0) == 0;
    })) << report("wrap");
    const win::Image atEnd = shot;
    win::key(game->window, "exclam");
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return changed(now, atEnd, 0, 8, 12, 14) > 5; }))
        << report("mark");
    win::key(game->window, "exclam");
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return changed(now, atEnd, 0, 8) == 0; }))
        << report("mark-twice");

    // A digit on a given does nothing; Esc (handled after it) clears the
    // selection, and Down goes on from where the cursor was.
    win::key(game->window, "Left Left Left 9 Escape");
    ASSERT_TRUE(waitFor([&](const win::Image& now) {
        for (int col = 5; col <= 8; col++)
            if (changed(now, start, 0, col) != 0) return false;
        return true;
    })) << report("given-and-esc");
    win::key(game->window, "Down");
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return changed(now, start, 1, 5) > 300; }))
        << report("after-esc");
    // The 7 stayed, without the highlight.
    int digit = changed(shot, start, 0, 1);
    EXPECT_TRUE(digit > 20 && digit < 300) << digit << report("entry-kept");
    EXPECT_TRUE(game->running()) << report("running");
}

// H on a game in progress: no cell has one candidate left, and 7 has one
// cell left in box 6 (r5c8). The hint selects that cell and says so in the
// message box; a screenshot shows both.
TEST(HintWindowTest, HSelectsTheCellAndShowsTheStep) {
    win::Scratch folder;
    folder.write("hint.sdk",
                 "Hint\n"
                 "0 7 0 0 0 0 0 8 0 \n0 0 0 1 -7 0 0 9 0 \n5 0 0 8 9 3 0 0 0 \n"
                 "0 3 0 -2 0 7 8 0 0 \n0 0 0 -9 -3 0 6 0 2 \n7 0 2 0 8 5 0 3 9 \n"
                 "0 2 7 0 0 0 0 0 0 \n0 0 0 0 0 0 0 6 1 \n0 0 0 0 2 9 0 0 0 \n");
    win::Game game(folder, "hint.sdk");
    win::Image shot, start;
    const auto report = [&](const std::string& step) {
        std::string file = ::testing::TempDir() + "hint-window-" + step + ".png";
        shot.save(file);
        return step + "\n--- game output:\n" + game.log() + "\n--- windows:\n" +
               win::sh("timeout 10 xwininfo -tree -root 2>&1") + "\n--- screenshot: " + file + "\n";
    };
    const auto waitFor = [&](auto ready) {
        const int begin = win::nowMs();
        do {
            shot = win::screenshot(game.window);
            if (shot.width == 400 && ready(shot)) return true;
            win::sleepMs(100);
        } while (win::nowMs() - begin < 20000);
        return false;
    };
    ASSERT_NE(game.waitWindow(), 0u) << report("window");
    ASSERT_TRUE(waitFor([&](const win::Image& now) {
        const bool same = start.width == 400 && now.rgb == start.rgb;
        start = now;
        return same;
    })) << report("first-frames");
    win::key(game.window, "H");
    // The message box (80, 200)-(320, 250) over the board, and r5c8 selected.
    const auto messageShown = [&](const win::Image& now) {
        int n = 0;
        for (int y = 205; y < 245; y++)
            for (int x = 85; x < 315; x++) {
                win::Pixel p = now.at(x, y), q = start.at(x, y);
                n += std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 40;
            }
        return n > 2000;
    };
    ASSERT_TRUE(waitFor([&](const win::Image& now) { return messageShown(now) && changed(now, start, 4, 7) > 300; }))
        << report("hint");
    shot.save(std::string(VELUNDA_ARTEFACTS) + "/hint-window.png");
    // Nothing else on the board changed: not a digit was entered.
    EXPECT_EQ(changed(shot, start, 0, 0), 0) << report("board");
    EXPECT_EQ(changed(shot, start, 8, 8), 0) << report("board");
    EXPECT_TRUE(game.running()) << report("running");
}

}  // namespace
