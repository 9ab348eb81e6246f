// The global state as the program finds it before main: run alone, first.
#include <gtest/gtest.h>

#include <cstring>

#include "app/globals.h"

namespace {

TEST(Globals, InitialValues) {
    EXPECT_EQ(myMouse.x, 1);
    EXPECT_EQ(myMouse.y, 1);
    EXPECT_EQ(myMouse.button, -1);
    EXPECT_EQ(myMouse.state, 0);
    EXPECT_EQ(myMouse.downX, 150);
    EXPECT_EQ(myMouse.downY, 150);
    EXPECT_EQ(myMessageBox.x1, 25);
    EXPECT_EQ(myMessageBox.y1, 200);
    EXPECT_EQ(myMessageBox.x2, 367);
    EXPECT_EQ(myMessageBox.y2, 250);
    EXPECT_EQ(myMessageBox.text, nullptr);
    EXPECT_EQ(rgbGameBack.r, 0.0);
    EXPECT_EQ(rgbCursor.a, 0.0);

    EXPECT_FALSE(miniMode);
    EXPECT_EQ(fontSize, 12);
    EXPECT_EQ(fontFace, 0);
    EXPECT_FALSE(win_OnTop);
    EXPECT_EQ(last, 0);
    EXPECT_EQ(los[2], -5.0f);
    EXPECT_EQ(Skin0, 0u);
    EXPECT_EQ(skinMode, 0);
    EXPECT_TRUE(showMarkUps);
    EXPECT_TRUE(VelundaDirty);
    EXPECT_FALSE(createGameMode);
    EXPECT_EQ(cycleMarkUps, 0);
    EXPECT_STREQ(Author, "");
    EXPECT_STREQ(filename, "");
}

TEST(Globals, MessageTexts) {
    EXPECT_STREQ(msgPuzzleComplete, "[ Congratulations! Puzzle Complete! ]");
    EXPECT_STREQ(msgPuzzleNotValid, "   Warning: This puzzle is not valid!");
    EXPECT_STREQ(msgPuzzleValid, "The puzzle is valid, but not complete!");
    EXPECT_STREQ(msgSaveNoAuthor, " Error: Can't save; Author is unset! ");
    EXPECT_STREQ(msgPuzzleRating[0], "  Puzzle Rating: Very Easy");
    EXPECT_STREQ(msgPuzzleRating[2], "  Puzzle Rating: Medium");
    EXPECT_STREQ(msgPuzzleRating[5], "  Puzzle Rating: Master!");
    EXPECT_STREQ(msgPuzzleRating[6], "< I could not complete the puzzle!! >");
    EXPECT_STREQ(About, "?");
    EXPECT_STREQ(Prog_ID, "Velunda V1.0");
    EXPECT_EQ(std::strncmp(Email_ID, "Email: ", 7), 0);
    EXPECT_EQ(std::strncmp(Web_ID, "Web: ", 5), 0);
}

}  // namespace
