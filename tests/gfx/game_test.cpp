// The running game as a person sees it, in each skin: the window moved to
// (200, 200) without a frame, and the skin picture under the game's own
// drawing. The screenshots are kept in the build's artefacts folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness.h"
#include "skinart.h"

namespace {

// A game with givens, entries and pencil marks, as the quit state keeps it.
const char* const quitState =
    "Ada Lovelace\n"
    "5 3 0 0 7 0 0 0 0 \n6 0 0 1 9 5 0 0 0 \n0 9 8 0 0 0 0 6 0 \n"
    "8 0 0 0 6 0 0 0 3 \n4 0 0 8 0 3 0 0 1 \n7 0 0 0 2 0 0 0 6 \n"
    "0 6 0 0 0 0 2 8 0 \n0 0 0 4 1 9 0 0 5 \n0 0 0 0 8 0 -1 7 9 \n"
    "\n"
    "0 0 3 34 0 70 256 511 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n";

// The mean difference per channel between the screenshot and a skin
// picture over a rectangle. The picture reaches the screen through a
// texture of power-of-two sides, which moves some edges by a pixel, so only
// its own skin comes close, never exactly.
double meanDifference(const win::Image& shot, const std::vector<unsigned char>& art, int x1, int y1, int x2,
                      int y2) {
    long sum = 0, n = 0;
    for (int y = y1; y <= y2; y++)
        for (int x = x1; x <= x2; x++, n += 3) {
            win::Pixel p = shot.at(x, y);
            size_t i = (static_cast<size_t>(y) * 400 + x) * 3;
            sum += std::abs(p.r - art[i]) + std::abs(p.g - art[i + 1]) + std::abs(p.b - art[i + 2]);
        }
    return static_cast<double>(sum) / n;
}

TEST(GameScreen, EachSkinShowsItsBoardPictureAt200By200) {
    for (int skin : {0, 1}) {
        win::Scratch folder;
        folder.write("games/quit.sta", quitState);
        if (skin == 1) folder.write("Velunda.inf", "Skin Mode: 1");
        win::Game game(folder);
        ASSERT_NE(game.waitWindow(), 0u) << game.report();
        win::Geometry g =
            win::waitGeometry(game.window, [](const win::Geometry& w) { return w.x == 200 && w.y == 200; });
        EXPECT_EQ(g.x, 200) << "skin " << skin;
        EXPECT_EQ(g.y, 200) << "skin " << skin;
        EXPECT_EQ(g.width, 400);
        EXPECT_EQ(g.height, 500);
        // Borderless: no decorations asked for, and no frame around the window.
        const std::string id = std::to_string(game.window);
        EXPECT_NE(win::sh("xprop -id " + id + " _MOTIF_WM_HINTS").find("= 0x2, 0x0,"), std::string::npos);
        // The window manager drops the frame soon after the request: wait for it.
        std::string info;
        win::waitFor([&] {
            info = win::sh("xwininfo -id " + id);
            return info.find("Relative upper-left X:  0\n") != std::string::npos &&
                   info.find("Relative upper-left Y:  0\n") != std::string::npos;
        });
        EXPECT_NE(info.find("Relative upper-left X:  0\n"), std::string::npos) << info;
        EXPECT_NE(info.find("Relative upper-left Y:  0\n"), std::string::npos) << info;

        // The name plate, which nothing of the game covers, and an empty
        // cell of the last row with the lines around it, show this skin's
        // picture and not the other one. A loaded machine may take a while
        // to show the first frames.
        const std::vector<unsigned char> own = skins::drawSkin(skin), other = skins::drawSkin(1 - skin);
        win::Image shot;
        win::waitFor([&] {
            shot = win::screenshot(game.window);
            return shot.width == 400 && meanDifference(shot, own, 30, 40, 369, 99) < 6.0;
        });
        ASSERT_EQ(shot.width, 400) << game.report();
        ASSERT_EQ(shot.height, 500);
        shot.save(std::string(VELUNDA_ARTEFACTS) + "/game-skin" + std::to_string(skin) + ".png");
        EXPECT_LT(meanDifference(shot, own, 30, 40, 369, 99), 6.0) << "skin " << skin;
        EXPECT_GT(meanDifference(shot, other, 30, 40, 369, 99), 40.0) << "skin " << skin;
        const int x = skins::tileLeft(0), y = skins::tileTop(8);
        EXPECT_LT(meanDifference(shot, own, x - 5, y - 5, x + 44, y + 44), 6.0) << "skin " << skin;
        EXPECT_GT(meanDifference(shot, other, x - 5, y - 5, x + 44, y + 44), 40.0) << "skin " << skin;
    }
}

TEST(GameScreen, MiniModeShowsTheWholePictureAtHalfSize) {
    win::Scratch folder;
    folder.write("games/quit.sta", quitState);
    win::Game game(folder, "-m");
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    win::Geometry g = win::waitGeometry(game.window, [](const win::Geometry& w) { return w.x == 200 && w.y == 200; });
    EXPECT_EQ(g.x, 200);
    EXPECT_EQ(g.y, 200);
    EXPECT_EQ(g.width, 200);
    EXPECT_EQ(g.height, 250);
    // Every other pixel of the picture, give or take the texture's blur.
    const std::vector<unsigned char> art = skins::drawSkin(0);
    auto difference = [&art](const win::Image& shot) {
        long sum = 0, n = 0;
        for (int y = 22; y < 50; y++)
            for (int x = 15; x < 185; x++, n += 3) {
                win::Pixel p = shot.at(x, y);
                size_t i = (static_cast<size_t>(2 * y) * 400 + 2 * x) * 3;
                sum += std::abs(p.r - art[i]) + std::abs(p.g - art[i + 1]) + std::abs(p.b - art[i + 2]);
            }
        return static_cast<double>(sum) / n;
    };
    win::Image shot;
    win::waitFor([&] {
        shot = win::screenshot(game.window);
        return shot.width == 200 && difference(shot) < 12.0;
    });
    ASSERT_EQ(shot.width, 200) << game.report();
    shot.save(std::string(VELUNDA_ARTEFACTS) + "/game-skin0-mini.png");
    EXPECT_LT(difference(shot), 12.0);
}

}  // namespace
