// High-density screens: the game asked for scale 2 is a window twice the
// size that shows the picture of scale 1 with every pixel doubled, and its
// clicks, hover and drags act where the doubled picture shows them. Runs on
// a screen large enough for the 800 x 1000 window at (200, 200).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "harness.h"
#include "platform/platform.h"

namespace {

// The scale variables of the games started from now on (null: unset).
void scaleVariables(const char* velunda, const char* gdk) {
    for (auto [name, value] : {std::pair{"VELUNDA_SCALE", velunda}, std::pair{"GDK_SCALE", gdk}}) {
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
}

std::string report(const win::Game& game, const std::string& name) {
    return "\n" + name + ": " + game.report();
}

bool sameImage(const win::Image& a, const win::Image& b) {
    return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

// How many pixels of `scaled` differ from `normal` enlarged `scale` times
// with each pixel an exact block; the first of them in *where.
int differences(const win::Image& normal, const win::Image& scaled, int scale, std::string* where) {
    if (scaled.width != normal.width * scale || scaled.height != normal.height * scale) {
        *where = "sizes " + std::to_string(normal.width) + "x" + std::to_string(normal.height) + " and " +
                 std::to_string(scaled.width) + "x" + std::to_string(scaled.height);
        return -1;
    }
    int count = 0;
    for (int y = 0; y < scaled.height; y++)
        for (int x = 0; x < scaled.width; x++)
            if (!(scaled.at(x, y) == normal.at(x / scale, y / scale)) && count++ == 0)
                *where = "first at " + std::to_string(x) + "," + std::to_string(y);
    return count;
}

// The window's picture once the game has drawn what it was just asked to.
// Without a reference: different from `before` and the same in three
// screenshots in a row. With one (the 1x picture of the same moment): the
// first picture that is the reference doubled, or after a minute the last.
win::Image settled(unsigned long window, const win::Image& before, const win::Image* reference) {
    win::Image older, last, now;
    win::waitFor(
        [&] {
            older = last;
            last = now;
            now = win::screenshot(window);
            if (now.width == 0) return false;
            std::string where;
            if (reference != nullptr) return differences(*reference, now, 2, &where) == 0;
            return !sameImage(now, before) && sameImage(now, last) && sameImage(now, older);
        },
        60000);
    return now;
}

// A game of the scratch folder's quit state at `scale`, through a short
// play: a right click on a cell opens the pad there, then Esc, a digit and
// a click on "File" with the pointer resting on a menu row, then the close
// button. All positions are virtual units, sent as the window pixels that
// show them. Keeps the window's picture after the pad opened and with the
// menu open; at scale 2 waits for the pictures of `normal` doubled.
struct Played {
    win::Image pad, menu;
    win::Geometry geometry;
    std::string failure;  // empty when the play went through
};

Played play(const win::Scratch& folder, bool mini, int scale, const Played* normal = nullptr) {
    Played played;
    win::Game game(folder, mini ? "-m" : "");
    auto failed = [&](const std::string& what) {
        played.failure = report(game, what);
        return played;
    };
    if (game.waitWindow() == 0) return failed("no window");
    // The first frame places the window, loads the skins and draws them.
    played.geometry = win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 200 && g.y == 200; });
    auto pixels = [&](int units) { return units * scale / (mini ? 2 : 1); };
    const win::Image start = settled(game.window, win::Image(), nullptr);
    // Even units: the mini window's pixels stand for pairs of them.
    win::click(game.window, pixels(102), pixels(202), 3);
    played.pad = settled(game.window, start, normal ? &normal->pad : nullptr);
    win::key(game.window, "Escape");
    win::type(game.window, "5");
    win::click(game.window, pixels(30), pixels(12));
    // Over a row of the menu: the hover band follows the pointer.
    win::move(game.window, pixels(62), pixels(68));
    played.menu = settled(game.window, played.pad, normal ? &normal->menu : nullptr);
    if (played.pad.width == 0 || played.menu.width == 0) return failed("no picture");
    win::key(game.window, "Escape");
    win::click(game.window, pixels(383), pixels(10));
    if (game.waitExit(60000) != 0) return failed("no quit");
    return played;
}

void expectDoubled(const win::Image& normal, const win::Image& scaled, const std::string& name) {
    std::string where;
    const int count = differences(normal, scaled, 2, &where);
    if (count != 0) {
        const std::string base = std::string(VELUNDA_ARTEFACTS) + "/scale-" + name;
        normal.save(base + "-1x.png");
        scaled.save(base + "-2x.png");
        ADD_FAILURE() << name << ": " << count << " pixels differ from the 1x picture doubled (" << where
                      << "); see " << base << "-1x.png and -2x.png";
    }
}

TEST(ScaleWindow, AtScaleTwoTheWindowShowsTheNormalPictureDoubledAndPlaysTheSame) {
    // Mesa's software renderer takes a fast path of its own for some
    // scenes, chosen by what else the scene holds, whose blending of
    // translucent layers rounds one level apart from its usual path; off,
    // for both games, the pictures compare exactly. The 1x picture is the
    // same either way.
    setenv("LP_PERF", "no_rast_linear,no_linear", 1);
    for (bool mini : {false, true}) {
        const std::string mode = mini ? "mini" : "normal";
        SCOPED_TRACE(mode);
        // Givens, entries and pencil marks: digits of three kinds to compare.
        win::Scratch folder;
        std::string state = folder.read("games/sample-01.sdk");
        state += "\n1 2 3 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n7 0 0 0 0 0 0 0 0 \n"
                 "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
                 "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 511 \n";
        ASSERT_FALSE(state.empty());
        folder.write("games/quit.sta", state);
        win::Scratch twice;
        twice.write("games/quit.sta", state);

        scaleVariables(nullptr, nullptr);
        const Played normal = play(folder, mini, 1);
        ASSERT_EQ(normal.failure, "");
        scaleVariables(nullptr, "2");
        const Played scaled = play(twice, mini, 2, &normal);
        ASSERT_EQ(scaled.failure, "");
        EXPECT_EQ(scaled.geometry.width, mini ? 400 : 800);
        EXPECT_EQ(scaled.geometry.height, mini ? 500 : 1000);
        expectDoubled(normal.pad, scaled.pad, mode + "-pad");
        expectDoubled(normal.menu, scaled.menu, mode + "-menu");
        // Both quit with the game as played: the digit went into the same cell.
        EXPECT_EQ(folder.read("games/quit.sta"), twice.read("games/quit.sta"));
    }
    scaleVariables(nullptr, nullptr);
    unsetenv("LP_PERF");
}

TEST(ScaleWindow, TheTopStripDragsTheScaledWindowByThePointersPixels) {
    scaleVariables("2", nullptr);
    win::Scratch folder;
    win::Game game(folder);
    ASSERT_NE(game.waitWindow(), 0u) << report(game, "drag-start");
    win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 200 && g.y == 200; });
    // At window y 56, virtual 28: the bottom of the strip.
    win::move(game.window, 200, 56);
    win::sh("timeout 20 xdotool mousedown 1 mousemove_relative -- 30 20 mousemove_relative -- 30 20 mouseup 1");
    const win::Geometry g =
        win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 260 && g.y == 240; }, 20000);
    EXPECT_TRUE(g.x == 260 && g.y == 240 && g.width == 800) << g.x << "," << g.y << report(game, "drag");
    scaleVariables(nullptr, nullptr);
}

// Xft.dpi of 192 asks for twice the size when GDK_SCALE is unset;
// VELUNDA_SCALE and GDK_SCALE win over it.
TEST(ScaleWindow, TheDisplaysDpiAsksForTheScaleUnlessAVariableSaysOtherwise) {
    win::sh("xprop -root -f RESOURCE_MANAGER 8s -set RESOURCE_MANAGER 'Xft.dpi:\t192\n'");
    struct Case {
        const char *velunda, *gdk;
        int width;
    } cases[] = {{nullptr, nullptr, 800}, {"1", nullptr, 400}, {nullptr, "1", 400}};
    for (const Case& c : cases) {
        scaleVariables(c.velunda, c.gdk);
        EXPECT_EQ(platformDisplayScale(), c.width / 400);
        win::Scratch folder;
        win::Game game(folder);
        ASSERT_NE(game.waitWindow(), 0u) << report(game, "dpi");
        const win::Geometry g = win::waitGeometry(game.window, [](const win::Geometry& g) { return g.x == 200; });
        EXPECT_EQ(g.width, c.width) << (c.velunda ? c.velunda : "-") << " " << (c.gdk ? c.gdk : "-");
    }
    win::sh("xprop -root -remove RESOURCE_MANAGER");
    scaleVariables(nullptr, nullptr);
    EXPECT_EQ(platformDisplayScale(), 1);
}

TEST(ScaleWindow, TheScaleComesFromTheFirstSourceThatSaysAWholeNumber) {
    struct Case {
        const char *velunda, *gdk, *dpi;
        int scale;
    } cases[] = {
        {nullptr, nullptr, nullptr, 1}, {nullptr, "2", nullptr, 2},   {nullptr, "3", "96", 3},
        {"1", "2", "192", 1},           {"2", nullptr, nullptr, 2},   {nullptr, nullptr, "192", 2},
        {nullptr, nullptr, "191.9", 1}, {nullptr, nullptr, "288", 3}, {nullptr, nullptr, "600", 3},
        {nullptr, "1", "192", 1},       {nullptr, "7", nullptr, 3},
        // Not whole numbers of 1 or more: passed over.
        {"0", "2", nullptr, 2},         {"2.5", nullptr, "192", 2},   {nullptr, "x", "192", 2},
        {"-2", "", "", 1},              {nullptr, nullptr, "high", 1}, {"99999999999999999999", nullptr, nullptr, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(chooseDisplayScale(c.velunda, c.gdk, c.dpi), c.scale)
            << (c.velunda ? c.velunda : "-") << " " << (c.gdk ? c.gdk : "-") << " " << (c.dpi ? c.dpi : "-");
}

}  // namespace
