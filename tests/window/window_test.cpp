// The game's window as the desktop sees it.
#include <gtest/gtest.h>

#include "harness.h"

namespace {

TEST(Window, OpensAt400By500WithItsTitle) {
    win::Scratch folder;
    win::Game game(folder);
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    win::Geometry g = win::geometry(game.window);
    ASSERT_TRUE(g.found);
    EXPECT_EQ(g.width, 400);
    EXPECT_EQ(g.height, 500);
}

TEST(Window, MiniModeOpensAt200By250) {
    for (const char* argument : {"-m", "m", "/M"}) {
        win::Scratch folder;
        win::Game game(folder, argument);
        ASSERT_NE(game.waitWindow(), 0u) << argument << "\n" << game.report();
        win::Geometry g = win::geometry(game.window);
        EXPECT_EQ(g.width, 200) << argument;
        EXPECT_EQ(g.height, 250) << argument;
    }
}

TEST(Window, SurvivesBeingSqueezedToNoHeight) {
    win::Scratch folder;
    win::Game game(folder);
    ASSERT_NE(game.waitWindow(), 0u) << game.report();
    // X refuses a height of 0; the smallest the server allows is what a
    // person dragging the border down reaches.
    for (const char* size : {"400 0", "400 1", "1 1", "400 500"}) {
        win::sh("xdotool windowsize " + std::to_string(game.window) + " " + size + " 2>/dev/null");
        win::sleepMs(150);
        ASSERT_TRUE(game.running()) << size << "\n" << game.log();
    }
}

TEST(Window, StartsWithHostileFilesAround) {
    win::Scratch folder;
    std::string junk;
    for (int i = 0; i < 5000; i++) junk += static_cast<char>((i * 193 + 11) % 256);
    folder.write("games/quit.sta", junk);
    folder.write("Velunda.inf", junk);
    folder.write("junk.sdk", junk);
    win::Game game(folder, "junk.sdk");
    EXPECT_NE(game.waitWindow(), 0u) << game.report();
    EXPECT_TRUE(game.running());
}

TEST(Window, StartsWithFoldersInPlaceOfFiles) {
    win::Scratch folder;
    win::sh("mkdir -p " + win::quote(folder.path("games/quit.sta")) + " " + win::quote(folder.path("Velunda.inf")) +
            " " + win::quote(folder.path("some.sdk")));
    win::Game game(folder, "some.sdk");
    EXPECT_NE(game.waitWindow(), 0u) << game.report();
}

}  // namespace
