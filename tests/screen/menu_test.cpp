// The title bar and the File menu drawn in a real window and read back.
#include <gtest/gtest.h>

#include <string>

#include "screen/menu.h"
#include "screen_test_util.h"

namespace {

using namespace screentest;

const char prompt[] = "Click here to enter Author's name";

class Menu : public ::testing::Test {
protected:
    void SetUp() override {
        useMode(false);
        resetScreenGlobals();
    }
    // Only the author field changes between this frame and one with the
    // player about to type (nothing typed yet, nothing shown).
    static Box authorField() {
        gl::Frame shown = frameOf(drawMenu);
        const bool wants = wantsToSetAuthor;
        char typed[sizeof tmpAuthor];
        std::memcpy(typed, tmpAuthor, sizeof typed);
        char author[sizeof Author];
        std::memcpy(author, Author, sizeof author);
        wantsToSetAuthor = true;
        tmpAuthor[0] = '\0';
        Author[0] = '\0';
        gl::Frame none = frameOf(drawMenu);
        wantsToSetAuthor = wants;
        std::memcpy(tmpAuthor, typed, sizeof typed);
        std::memcpy(Author, author, sizeof author);
        return diff(shown, none);
    }
};

// A text drawn from `x` (window pixels) is `width` pixels wide, give or
// take the glyphs' own bearings.
void expectSpan(const Box& b, int x, int width, int baseline) {
    EXPECT_GT(b.n, 0);
    EXPECT_NEAR(b.x1, x, 2) << describe(b);
    EXPECT_NEAR(b.x2, x + width - 1, 3) << describe(b);
    EXPECT_LE(b.y2, baseline + 3) << describe(b);  // descenders
    EXPECT_GE(b.y1, baseline - 14) << describe(b);
}

TEST_F(Menu, AuthorPromptAndItsMiniModeCut) {
    expectSpan(authorField(), 125, textWidth(prompt, 12, 0), 21);

    useMode(true);
    // 21 characters and two full stops, in the mini font, at (162, 21).
    Box cut = authorField();
    expectSpan(cut, 81, textWidth("Click here to enter A..", 10, 1), 10);
    EXPECT_LT(cut.x2, 81 + textWidth(prompt, 10, 1) - 10);
}

TEST_F(Menu, TypedNameShowsInPlaceOfThePrompt) {
    wantsToSetAuthor = true;
    std::strcpy(tmpAuthor, "Ann Example");
    expectSpan(authorField(), 125, textWidth("Ann Example", 12, 0), 21);
    // Mini mode writes names in the plain face, not the mini font's.
    useMode(true);
    expectSpan(authorField(), 81, textWidth("Ann Example", 10, 0), 10);
}

TEST_F(Menu, LongAuthorIsCutOnlyInMiniModeAndOnlyForDrawing) {
    const char name[] = "Abcdefghijklmnopqrstuvwxyz ABCD";
    std::strcpy(Author, name);
    expectSpan(authorField(), 125, textWidth(name, 12, 0), 21);
    useMode(true);
    expectSpan(authorField(), 81, textWidth(std::string(name, 16).c_str(), 10, 0), 10);
    EXPECT_STREQ(Author, name);
    // A typed name is cut the same way.
    Author[0] = '\0';
    wantsToSetAuthor = true;
    std::strcpy(tmpAuthor, name);
    expectSpan(authorField(), 81, textWidth(std::string(name, 16).c_str(), 10, 0), 10);
    EXPECT_STREQ(tmpAuthor, name);
}

TEST_F(Menu, NamesWithoutTerminatorAreNotReadPastTheirBuffer) {
    // The sanitizer build catches any read past the arrays.
    std::memset(Author, 'i', sizeof Author);
    EXPECT_NEAR(authorField().x1, 125, 2);
    Author[0] = '\0';
    std::memset(tmpAuthor, 'i', sizeof tmpAuthor);
    EXPECT_NEAR(authorField().x1, 125, 2);
    useMode(true);
    expectSpan(authorField(), 81, textWidth("iiiiiiiiiiiiiiii", 10, 0), 10);
}

TEST_F(Menu, KeepOnTopButtonReadsDashOrCaret) {
    auto button = [](const char* text) {
        return frameOf([&] {
            print(357, 22, text, 0, 0, 0, 0.4f, 12, 0);
            print(355, 20, text, 1, 1, 1, 0.75f, 12, 0);
        });
    };
    win_OnTop = true;
    gl::Frame on = frameOf(drawMenu);
    win_OnTop = false;
    gl::Frame off = frameOf(drawMenu);
    Box changed = diff(on, off);
    EXPECT_GE(changed.x1, 352) << describe(changed);
    EXPECT_LE(changed.x2, 363) << describe(changed);
    // The strip left of "_" holds exactly the dash or the caret.
    EXPECT_EQ(diff(on, button("-"), 345, 0, 363, 30).n, 0);
    EXPECT_EQ(diff(off, button("^"), 345, 0, 363, 30).n, 0);
    EXPECT_GT(diff(on, off, 345, 0, 363, 30).n, 0);
}

TEST_F(Menu, FileMenuDrawsNothingWhileClosed) {
    EXPECT_EQ(diff(frameOf(drawFileMenu), blankFrame()).n, 0);
}

TEST_F(Menu, HoverBandFollowsThePointerInsideTheRows) {
    showFileMenu = true;
    myMouse.x = 300;
    myMouse.y = 400;
    gl::Frame plain = frameOf(drawFileMenu);
    auto bandAt = [&](int x, int y) {
        myMouse.x = x;
        myMouse.y = y;
        return diff(frameOf(drawFileMenu), plain);
    };
    Box band = bandAt(100, 150);
    EXPECT_EQ(band.y1, 142);
    EXPECT_EQ(band.y2, 158);
    EXPECT_NEAR(band.x1, 18, 1);
    EXPECT_NEAR(band.x2, 157, 1);
    EXPECT_EQ(bandAt(100, 36).n, 0);
    EXPECT_EQ(bandAt(15, 150).n, 0);
    EXPECT_EQ(bandAt(160, 150).n, 0);
    EXPECT_EQ(bandAt(100, 268).n, 0);
    EXPECT_EQ(bandAt(16, 37).y1, 29);
    EXPECT_EQ(bandAt(159, 267).y2, 275);
}

TEST_F(Menu, PanelRectanglesAndSeparators) {
    showFileMenu = true;
    gl::Frame f = frameOf(drawFileMenu);
    const gl::Rgb bd = backdrop();
    EXPECT_TRUE(near(f.at(25, 10), blend(blueGrey, 0.5f, bd)));  // the "File" highlight
    const gl::Rgb frameOnly = blend(blueGrey, 0.5f, bd);
    EXPECT_TRUE(near(f.at(16, 100), frameOnly));
    EXPECT_TRUE(near(f.at(12, 100), bd));
    const gl::Rgb body = blend(navy, 0.9f, frameOnly);
    EXPECT_TRUE(near(f.at(20, 100), body, 3));
    // The shadow shows right of and below the frame.
    const gl::Rgb shadow = blend(black, 0.4f, bd);
    EXPECT_TRUE(near(f.at(163, 100), shadow));
    EXPECT_TRUE(near(f.at(100, 282), shadow));
    EXPECT_TRUE(near(f.at(100, 286), bd));
    // Separators: one row, x 24 to 150, at y 118 and 228.
    for (int y : {118, 228}) {
        const gl::Rgb sep = blend(black, 0.5f, f.at(100, y + 2));
        EXPECT_TRUE(near(f.at(25, y), sep, 3)) << y;
        EXPECT_TRUE(near(f.at(148, y), sep, 3)) << y;
        EXPECT_TRUE(f.at(21, y) == f.at(21, y + 2)) << y;
        EXPECT_TRUE(f.at(152, y) == f.at(152, y + 2)) << y;
        EXPECT_TRUE(f.at(100, y - 1) == f.at(100, y + 2)) << y;
        EXPECT_TRUE(f.at(100, y + 1) == f.at(100, y + 2)) << y;
    }
}

const struct {
    int y;
    const char* label;
} rows[] = {{45, "Random Game"},    {67, "Open Game"},     {89, "Save Game"},     {111, "in Play Mode"},
            {133, "Hide Mark Ups"}, {155, "   -Delete All"}, {177, "Check Puzzle"}, {199, "Solve Puzzle"},
            {221, "Reset Puzzle"},  {243, "use Skin 2"},   {265, "Quit Game"}};

TEST_F(Menu, KeyLabelsOnlyInNormalMode) {
    showFileMenu = true;
    gl::Frame f = frameOf(drawFileMenu);
    for (const auto& row : rows) {
        Box label = pixelsWhere(f, bright, 19, row.y - 12, 121, row.y + 3);
        EXPECT_NEAR(label.x2, 22 + textWidth(row.label, 12, 0) - 1, 3) << row.label;
        Box keys = pixelsWhere(f, bright, 122, row.y - 12, 157, row.y + 3);
        EXPECT_GT(keys.n, 3) << row.label;
        EXPECT_NEAR(keys.x1, 125, 2) << row.label;
    }
    useMode(true);
    f = frameOf(drawFileMenu);
    // Right of each label nothing is written (the panel ends at pixel 78).
    int checked = 0;
    for (const auto& row : rows) {
        const int from = 11 + textWidth(row.label, 10, 1) + 2;
        EXPECT_GT(pixelsWhere(f, bright, 9, row.y / 2 - 8, from - 2, row.y / 2 + 2).n, 3) << row.label;
        if (from > 72) continue;
        EXPECT_EQ(pixelsWhere(f, bright, from, row.y / 2 - 8, 78, row.y / 2 + 2).n, 0) << row.label;
        checked++;
    }
    EXPECT_GE(checked, 5);
}

TEST_F(Menu, RowsNamingASettingChangeWithIt) {
    showFileMenu = true;
    struct Case {
        bool* flag;
        int y;
    } cases[] = {{&createGameMode, 111}, {&showMarkUps, 133}};
    for (const Case& c : cases) {
        gl::Frame before = frameOf(drawFileMenu);
        *c.flag = !*c.flag;
        Box changed = diff(frameOf(drawFileMenu), before);
        *c.flag = !*c.flag;
        EXPECT_GT(changed.n, 0) << c.y;
        EXPECT_GE(changed.y1, c.y - 12) << c.y;
        EXPECT_LE(changed.y2, c.y + 3) << c.y;
        EXPECT_GE(changed.x1, 21) << c.y;
        EXPECT_LT(changed.x2, 124) << c.y;
    }
    gl::Frame skin2 = frameOf(drawFileMenu);
    skinMode = 5;  // any other value than 0 is the second skin
    Box changed = diff(frameOf(drawFileMenu), skin2);
    EXPECT_GE(changed.y1, 243 - 12);
    EXPECT_LE(changed.y2, 243 + 3);
    // "use Skin 1" and "use Skin 2" differ in their last character only.
    EXPECT_GT(changed.x1, 22 + textWidth("use Skin ", 12, 0) - 3);
}

}  // namespace
