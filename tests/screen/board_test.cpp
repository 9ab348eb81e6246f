// The board view drawn in a real window and read back: givens against
// entries, shading, pencil marks, the highlight and the refresh.
#include <gtest/gtest.h>

#include "screen/board.h"
#include "screen_test_util.h"

namespace {

using namespace screentest;

// Cell corners and digit anchors of the board.
int X(int col) { return 17 + 41 * col + 2 * (col / 3); }
int Y(int row) { return 115 + 41 * row + 2 * (row / 3); }
int DX(int col) { return 25 + 42 * col; }
int DY(int row) { return 140 + 42 * row; }

// Pencil-mark anchors relative to the cell corner, digit d at d - 1.
const int markX[9] = {2, 14, 26, 2, 14, 26, 2, 14, 26};
const int markY[9] = {12, 12, 12, 23, 23, 23, 34, 34, 34};
const int markYMini[9] = {18, 18, 18, 29, 29, 29, 41, 41, 41};

gl::Frame boardFrame() {
    return frameOf([] {
        drawPuzzleBoxHighlights();
        drawPuzzle();
    });
}

// What the marks of one empty cell should look like, drawn by hand.
void referenceMarks(int row, int col, int digitsMask) {
    for (int d = 1; d <= 9; d++) {
        if ((digitsMask & (1 << (d - 1))) == 0) continue;
        const RGBcolor& c = d <= 3 ? rgbMarkUp1 : d <= 6 ? rgbMarkUp4 : rgbMarkUp7;
        char text[2] = {miniMode ? '*' : static_cast<char>('0' + d), '\0'};
        print(static_cast<float>(X(col) + markX[d - 1]),
              static_cast<float>(Y(row) + (miniMode ? markYMini : markY)[d - 1]), text, static_cast<float>(c.r),
              static_cast<float>(c.g), static_cast<float>(c.b), 0.75f, 10, 0);
    }
}

bool sameFrame(const gl::Frame& a, const gl::Frame& b) { return diff(a, b).n == 0; }

class Board : public ::testing::Test {
protected:
    void SetUp() override {
        useMode(false);
        resetScreenGlobals();
    }
};

TEST_F(Board, GivenHasTileAndFaceEntryHasNeither) {
    setPalette(1);  // the skin whose given tile is opaque
    const int k = 4 * 9 + 4, x = X(4), y = Y(4), dx = DX(4), dy = DY(4);
    const gl::Rgb tileColour{41, 64, 127};

    retPuzzle[k] = 5;
    gl::Frame given = boardFrame();
    // The tile covers the cell's 36 x 37 units, within a pixel sideways.
    EXPECT_TRUE(near(given.at(x + 1, y), tileColour));
    EXPECT_TRUE(near(given.at(x + 33, y + 36), tileColour));
    EXPECT_TRUE(near(given.at(x + 10, y - 1), backdrop()));
    EXPECT_TRUE(near(given.at(x + 10, y + 37), backdrop()));
    EXPECT_TRUE(near(given.at(x - 2, y + 10), backdrop()));
    EXPECT_TRUE(near(given.at(x + 36, y + 10), backdrop()));
    // The face, in the given's colour (white), sits at the digit anchor + 1.
    auto light = [](gl::Rgb p) { return p.r > 190 && p.g > 190 && p.b > 190; };
    Box face = pixelsWhere(given, light, x - 5, y - 5, x + 45, y + 45);
    ASSERT_GT(face.n, 10);
    EXPECT_GE(face.x1, dx) << describe(face);
    EXPECT_LE(face.x2, dx + 2 + textWidth("5", 18, 0)) << describe(face);
    EXPECT_LE(face.y2, dy + 1);
    EXPECT_GE(face.y1, dy + 1 - 15);
    EXPECT_EQ(pixelsWhere(given, light).n, face.n) << "light pixels outside the cell";

    retPuzzle[k] = -5;
    gl::Frame entry = boardFrame();
    // No tile; the face in the guess colour (black at full alpha) is exactly
    // the glyph "5" at the anchor + 1.
    EXPECT_EQ(pixelsWhere(entry, [&](gl::Rgb p) { return near(p, tileColour, 10); }).n, 0);
    EXPECT_TRUE(near(entry.at(x + 1, y), backdrop()));
    gl::Frame five = frameOf([&] { print(dx + 1.0f, dy + 1.0f, "5", 0, 0, 0, 1, 18, 0); });
    auto black = [](gl::Rgb p) { return p.r == 0 && p.g == 0 && p.b == 0; };
    Box entryFace = pixelsWhere(entry, black);
    Box fiveFace = pixelsWhere(five, black);
    ASSERT_GT(fiveFace.n, 10);
    EXPECT_EQ(describe(entryFace), describe(fiveFace));

    // The first skin's tile is transparent: the given stands on the picture.
    setPalette(0);
    retPuzzle[k] = 5;
    gl::Frame skin0 = boardFrame();
    EXPECT_TRUE(near(skin0.at(x + 1, y), backdrop()));
    EXPECT_TRUE(near(skin0.at(x + 33, y + 36), backdrop()));
}

TEST_F(Board, CheckShadingReplacesTheTileAndKeepsMarks) {
    setPalette(1);
    const int given = 4 * 9 + 4, marked = 4 * 9 + 5, unshaded = 4 * 9 + 6;
    retPuzzle[given] = 5;
    retMarkUps[marked] = 0x1FF;
    retMarkUps[unshaded] = 0x1FF;
    puzzleMask[given] = 1;
    puzzleMask[marked] = 3;  // any non-zero flag
    puzzleMasked = true;
    gl::Frame shaded = boardFrame();

    const float wrong[3] = {1.0f, 0.35f, 0.55f};
    const gl::Rgb wrongOnBackdrop = blend(wrong, 0.85f, backdrop());
    EXPECT_TRUE(near(shaded.at(X(4) + 1, Y(4)), wrongOnBackdrop));
    EXPECT_TRUE(near(shaded.at(X(4) + 33, Y(4) + 36), wrongOnBackdrop));
    EXPECT_EQ(pixelsWhere(shaded, [](gl::Rgb p) { return near(p, gl::Rgb{41, 64, 127}, 3); }).n, 0)
        << "the given's own tile is drawn too";
    EXPECT_TRUE(near(shaded.at(X(5) + 1, Y(4)), wrongOnBackdrop));
    EXPECT_TRUE(near(shaded.at(X(6) + 1, Y(4)), backdrop()));
    // The marks of the shaded empty cell lie over the shading: "1" in black.
    Box one = pixelsWhere(shaded, [](gl::Rgb p) { return p.r < 110; }, X(5) + 1, Y(4) + 2, X(5) + 9, Y(4) + 12);
    EXPECT_GT(one.n, 3);
    // ...and are the same marks as an unshaded cell's, on another ground.
    retMarkUps[marked] = 0;
    gl::Frame noMarks = boardFrame();
    Box marks = diff(shaded, noMarks);
    EXPECT_GE(marks.x1, X(5) - 1);
    EXPECT_LE(marks.x2, X(5) + 35);
    EXPECT_GE(marks.y1, Y(4));
    EXPECT_LE(marks.y2, Y(4) + 36);

    // The flags mean nothing while the shading is off.
    puzzleMasked = false;
    gl::Frame off = boardFrame();
    EXPECT_TRUE(near(off.at(X(4) + 1, Y(4)), gl::Rgb{41, 64, 127}));
    EXPECT_TRUE(near(off.at(X(5) + 1, Y(4)), backdrop()));
}

TEST_F(Board, CycleMarkUpsShowsOnlyThatDigit) {
    for (int k : {0, 40, 80}) retMarkUps[k] = 0x1FF;
    cycleMarkUps = 4;
    gl::Frame fours = boardFrame();
    gl::Frame expected = frameOf([] {
        for (int rc : {0, 4, 8}) referenceMarks(rc, rc, 1 << 3);
    });
    EXPECT_TRUE(sameFrame(fours, expected)) << describe(diff(fours, expected));
    // The "4" of the first cell stands at (X + 2, Y + 23).
    Box four = diff(fours, blankFrame(), 0, 0, 60, 160);
    EXPECT_GE(four.x1, 17 + 2 - 1);
    EXPECT_LE(four.x2, 17 + 2 + textWidth("4", 10, 0));
    EXPECT_LE(four.y2, 115 + 23);
    EXPECT_GE(four.y1, 115 + 23 - 9);

    cycleMarkUps = 0;
    gl::Frame all = boardFrame();
    expected = frameOf([] {
        for (int rc : {0, 4, 8}) referenceMarks(rc, rc, 0x1FF);
    });
    EXPECT_TRUE(sameFrame(all, expected)) << describe(diff(all, expected));

    // A cycle value that names no digit shows none.
    cycleMarkUps = 10;
    EXPECT_TRUE(sameFrame(boardFrame(), blankFrame()));
}

TEST_F(Board, MarksAreReadBitByBit) {
    // Bits above the ninth mean nothing, a negative value included.
    retMarkUps[10] = static_cast<short>(0xFE08);
    retMarkUps[20] = -1;
    gl::Frame odd = boardFrame();
    retMarkUps[10] = 0x008;
    retMarkUps[20] = 0x1FF;
    EXPECT_TRUE(sameFrame(odd, boardFrame()));
}

TEST_F(Board, ValuesNoCellCanHoldShowAsEmptyCells) {
    const short damaged[] = {10, -10, 32767, -32768, 100, -58};
    for (int i = 0; i < 6; i++) {
        retPuzzle[i * 10] = damaged[i];
        retMarkUps[i * 10] = 0x155;
        puzzleMask[i * 10] = 1;
    }
    puzzleMasked = true;
    gl::Frame odd = boardFrame();
    for (int i = 0; i < 6; i++) retPuzzle[i * 10] = 0;
    gl::Frame empty = boardFrame();
    EXPECT_TRUE(sameFrame(odd, empty)) << describe(diff(odd, empty));
    EXPECT_GT(diff(empty, blankFrame()).n, 0);
}

TEST_F(Board, MarksOnlyInEmptyCellsAndOnlyWhenShown) {
    retPuzzle[0] = 3;
    retPuzzle[1] = -3;
    gl::Frame digits = boardFrame();
    for (int k = 0; k < 3; k++) retMarkUps[k] = 0x1FF;
    gl::Frame withMarks = boardFrame();
    Box marks = diff(withMarks, digits);
    EXPECT_GE(marks.x1, X(2) - 1) << "marks of a filled cell drawn: " << describe(marks);
    EXPECT_GT(marks.n, 0);

    showMarkUps = false;
    EXPECT_TRUE(sameFrame(boardFrame(), digits));
}

TEST_F(Board, HighlightOnlyWhileACellIsSelected) {
    PuzzleSelected_x = 0;
    PuzzleSelected_y = 200;
    EXPECT_TRUE(sameFrame(frameOf(drawPuzzleBoxHighlights), blankFrame()));

    PuzzleSelected_x = X(4);
    PuzzleSelected_y = Y(4);
    gl::Frame lit = frameOf(drawPuzzleBoxHighlights);
    Box b = diff(lit, blankFrame());
    EXPECT_EQ(b.n, 36 * 37);
    EXPECT_EQ(b.y1, Y(4));
    EXPECT_EQ(b.y2, Y(4) + 36);
    EXPECT_NEAR(b.x1, X(4), 1);
    EXPECT_NEAR(b.x2, X(4) + 35, 1);
    EXPECT_TRUE(near(lit.at(X(4) + 10, Y(4) + 10), blend(white, 0.4f, backdrop())));

    // Second skin: its cursor colour, still at alpha 0.4.
    setPalette(1);
    const float cursor[3] = {15 / 255.0f, 28 / 255.0f, 155 / 255.0f};
    EXPECT_TRUE(near(frameOf(drawPuzzleBoxHighlights).at(X(4) + 10, Y(4) + 10), blend(cursor, 0.4f, backdrop())));
}

TEST_F(Board, DigitSizeAndMarksInMiniMode) {
    rgbGameFace.setRGB(1, 0, 0);  // a face colour nothing else uses
    auto red = [](gl::Rgb p) { return p.r > 200 && p.g < 100 && p.b < 100; };
    retPuzzle[10] = 5;
    for (bool mini : {false, true}) {
        useMode(mini);
        gl::Frame f = frameOf(drawPuzzle);
        const int size = mini ? 12 : 18;
        gl::Frame expected = frameOf([&] { print(DX(1) + 1.0f, DY(1) + 1.0f, "5", 1, 0, 0, 0.75f, size, 0); });
        EXPECT_EQ(describe(pixelsWhere(f, red)), describe(pixelsWhere(expected, red))) << "mini " << mini;
    }
    // Mini mode: the glyphs keep their pixel size, so the small font.
    gl::Frame large = frameOf([&] { print(DX(1) + 1.0f, DY(1) + 1.0f, "5", 1, 0, 0, 0.75f, 18, 0); });
    EXPECT_NE(pixelsWhere(frameOf(drawPuzzle), red).height(), pixelsWhere(large, red).height());

    // Marks become stars at the offsets of the half-size window.
    retPuzzle[10] = 0;
    retMarkUps[0] = 0x101;
    retMarkUps[80] = 0x1FF;
    gl::Frame stars = frameOf(drawPuzzle);
    gl::Frame expected = frameOf([] {
        referenceMarks(0, 0, 0x101);
        referenceMarks(8, 8, 0x1FF);
    });
    EXPECT_TRUE(sameFrame(stars, expected)) << describe(diff(stars, expected));
    // The star of digit 1 is near (19, 133), i.e. pixel (9, 66); a star sits high.
    Box first = diff(stars, blankFrame(), 0, 0, 15, 70);
    EXPECT_GT(first.n, 0);
    EXPECT_NEAR(first.x1, 9, 2);
    EXPECT_LE(first.y2, 66);
    EXPECT_GE(first.y1, 66 - 9);
}

TEST_F(Board, RefreshesItsCopiesOnlyAfterDirty) {
    myPuzzle.clearPuzzle();
    ASSERT_EQ(myPuzzle.guess(0, 0, 7), 0);
    ASSERT_EQ(myPuzzle.setAuthor("Tester"), 0);
    VelundaDirty = false;
    gl::Frame stale = frameOf(drawPuzzle);
    EXPECT_EQ(retPuzzle[0], 0);
    EXPECT_STREQ(Author, "");
    EXPECT_TRUE(sameFrame(stale, blankFrame()));

    VelundaDirty = true;
    gl::Frame fresh = frameOf(drawPuzzle);
    EXPECT_FALSE(VelundaDirty);
    EXPECT_EQ(retPuzzle[0], -7);
    EXPECT_STREQ(Author, "Tester");
    Box seven = pixelsWhere(fresh, [](gl::Rgb p) { return p.r == 0 && p.g == 0 && p.b == 0; });
    EXPECT_GT(seven.n, 5);
    EXPECT_GE(seven.x1, DX(0));
    EXPECT_LE(seven.y2, DY(0) + 1);

    // A later change waits for the flag again.
    myPuzzle.guess(0, 0, 3);
    frameOf(drawPuzzle);
    EXPECT_EQ(retPuzzle[0], -7);
    myPuzzle.clearPuzzle();
}

}  // namespace
