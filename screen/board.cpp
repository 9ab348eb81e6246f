#include "screen/board.h"

#include "app/globals.h"
#include "gfx/primitives.h"

namespace {

// Cell corners: 41 apart with 2 more between the 3 x 3 boxes.
int cellX(int col) { return 17 + 41 * col + 2 * (col / 3); }
int cellY(int row) { return 115 + 41 * row + 2 * (row / 3); }

// Digit anchors lie on a lattice of their own (pitch 42, no box gap); the
// skin pictures are drawn to match both.
float digitX(int col) { return static_cast<float>(25 + 42 * col); }
float digitY(int row) { return static_cast<float>(140 + 42 * row); }

// The tile of a cell, for the check shading, the given's backing and the highlight.
void tile(int x, int y, float r, float g, float b, float a) { square(x, y, x + 35, y + 36, r, g, b, a); }

void tile(int x, int y, const RGBcolor& c, float a) {
    tile(x, y, static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b), a);
}

// Pencil-mark anchors relative to the cell corner, digit d at index d - 1.
// Mini mode draws "*" with more room above, since glyphs keep their pixel size.
const int markDx[9] = {2, 14, 26, 2, 14, 26, 2, 14, 26};
const int markDy[9] = {12, 12, 12, 23, 23, 23, 34, 34, 34};
const int markDyMini[9] = {18, 18, 18, 29, 29, 29, 41, 41, 41};

const RGBcolor& markColour(int digit) {
    if (digit <= 3) return rgbMarkUp1;
    if (digit <= 6) return rgbMarkUp4;
    return rgbMarkUp7;
}

void drawMarkUps(int row, int col, short marks) {
    const int x = cellX(col);
    const int y = cellY(row);
    for (int d = 1; d <= 9; d++) {
        // A bit test per digit: bits above the ninth mean nothing.
        if ((marks & (1 << (d - 1))) == 0) continue;
        if (cycleMarkUps != 0 && cycleMarkUps != d) continue;
        char text[2] = {miniMode ? '*' : static_cast<char>('0' + d), '\0'};
        const RGBcolor& c = markColour(d);
        print(static_cast<float>(x + markDx[d - 1]), static_cast<float>(y + (miniMode ? markDyMini : markDy)[d - 1]),
              text, static_cast<float>(c.r), static_cast<float>(c.g), static_cast<float>(c.b), 0.75f, 10, 0);
    }
}

}  // namespace

void drawPuzzleBoxHighlights() {
    if (PuzzleSelected_x != 0) tile(PuzzleSelected_x, PuzzleSelected_y, rgbCursor, 0.4f);
}

void drawPuzzle() {
    if (VelundaDirty) {
        myPuzzle.returnPuzzle(retPuzzle);
        myPuzzle.returnAuthor(Author);
        VelundaDirty = false;
    }
    const int size = 18 - 6 * miniMode;
    for (int row = 0; row < 9; row++) {
        for (int col = 0; col < 9; col++) {
            const int k = row * 9 + col;
            // A value no cell can hold (a damaged file) is shown as an empty cell.
            const int v = isCellDigit(retPuzzle[k]) ? retPuzzle[k] : 0;
            const int x = cellX(col);
            const int y = cellY(row);
            const bool shaded = puzzleMasked && puzzleMask[k] != 0;
            if (shaded) tile(x, y, rgbGameWrong, static_cast<float>(rgbGameWrong.a));

            const char text[2] = {static_cast<char>(v > 0 ? '0' + v : v < 0 ? '0' - v : ' '), '\0'};
            const float dx = digitX(col);
            const float dy = digitY(row);
            if (v > 0) {
                if (!shaded) tile(x, y, rgbGameBack, static_cast<float>(rgbGameBack.a));
                print(dx + 2, dy + 3, text, 0.0f, 0.0f, 0.0f, 0.3f, size, 0);
                print(dx, dy, text, 1.0f, 1.0f, 1.0f, 0.3f, size, 0);
                print(dx + 1, dy + 1, text, static_cast<float>(rgbGameFace.r), static_cast<float>(rgbGameFace.g),
                      static_cast<float>(rgbGameFace.b), 0.75f, size, 0);
            } else if (v < 0) {
                print(dx + 2, dy + 3, text, 0.0f, 0.0f, 0.0f, 0.2f, size, 0);
                print(dx, dy, text, 1.0f, 1.0f, 1.0f, 0.3f, size, 0);
                print(dx + 1, dy + 1, text, static_cast<float>(rgbGuessFace.r), static_cast<float>(rgbGuessFace.g),
                      static_cast<float>(rgbGuessFace.b), 1.0f, size, 0);
            } else if (showMarkUps) {
                drawMarkUps(row, col, retMarkUps[k]);
            }
        }
    }
}
