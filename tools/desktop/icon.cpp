#include "icon.h"

#include <algorithm>
#include <cmath>

namespace icon {

namespace {

struct Col {
    double r, g, b;
};

// Straight (not premultiplied) colour and coverage per pixel.
struct Canvas {
    std::vector<double> px = std::vector<double>(static_cast<size_t>(size) * size * 4, 0.0);

    // Paints colour c over pixel (x, y) with coverage a (0 to 1).
    void over(int x, int y, Col c, double a) {
        if (x < 0 || y < 0 || x >= size || y >= size || a <= 0) return;
        double* p = &px[(static_cast<size_t>(y) * size + x) * 4];
        const double out = a + p[3] * (1 - a);
        const double keep = p[3] * (1 - a);
        p[0] = (c.r * a + p[0] * keep) / out;
        p[1] = (c.g * a + p[1] * keep) / out;
        p[2] = (c.b * a + p[2] * keep) / out;
        p[3] = out;
    }
    // A shape given by inside(x, y) on continuous coordinates, sampled 4 x 4
    // per pixel so that its edges are smooth.
    template <class Inside, class Paint>
    void shape(Inside inside, Paint paint) {
        for (int y = 0; y < size; y++)
            for (int x = 0; x < size; x++) {
                int hits = 0;
                for (int sy = 0; sy < 4; sy++)
                    for (int sx = 0; sx < 4; sx++)
                        if (inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4)) hits++;
                if (hits > 0) over(x, y, paint(x, y), hits / 16.0);
            }
    }
    void rect(double x1, double y1, double x2, double y2, Col c) {
        shape([&](double x, double y) { return x >= x1 && x < x2 && y >= y1 && y < y2; },
              [&](int, int) { return c; });
    }
};

bool inRoundedSquare(double x, double y, double left, double top, double side, double radius) {
    const double cx = std::clamp(x, left + radius, left + side - radius);
    const double cy = std::clamp(y, top + radius, top + side - radius);
    return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius && x >= left && y >= top &&
           x <= left + side && y <= top + side;
}

// Digits 1 to 9 in a 3 x 5 grid, one row of three bits per line.
const unsigned char glyphs[9][5] = {
    {2, 6, 2, 2, 7}, {6, 1, 2, 4, 7}, {6, 1, 2, 1, 6}, {5, 5, 7, 1, 1}, {7, 4, 6, 1, 6},
    {3, 4, 6, 5, 2}, {7, 1, 2, 2, 2}, {2, 5, 2, 5, 2}, {2, 5, 3, 1, 6},
};

// Givens of a centre-symmetric puzzle ('.' empty), and the one cell the
// player has just filled.
const char* const puzzle =
    "53..7...."
    "6..195..."
    ".98....6."
    "8...6...3"
    "4..8.3..1"
    "7...2...6"
    ".6....28."
    "...419..5"
    "....8..79";
const int playedRow = 4, playedCol = 4, playedDigit = 5;

}  // namespace

std::vector<unsigned char> drawIcon() {
    Canvas canvas;
    const Col plateTop{0.20, 0.38, 0.56}, plateBottom{0.09, 0.17, 0.30};
    canvas.shape([](double x, double y) { return inRoundedSquare(x, y, 1, 1, 126, 16); },
                 [&](int, int y) {
                     const double t = y / 127.0;
                     return Col{plateTop.r + (plateBottom.r - plateTop.r) * t,
                                plateTop.g + (plateBottom.g - plateTop.g) * t,
                                plateTop.b + (plateBottom.b - plateTop.b) * t};
                 });

    // The board: 9 cells of 11 pixels, lines of 1 pixel inside a box and
    // of 2 between boxes and around the board.
    const Col paper{0.97, 0.95, 0.89}, fine{0.72, 0.70, 0.66}, bold{0.10, 0.13, 0.20};
    const Col given{0.12, 0.16, 0.28}, played{0.80, 0.25, 0.10}, highlight{1.00, 0.84, 0.45};
    auto edge = [](int i) { return 9 + 12 * i + i / 3; };  // left or top of cell i
    const double left = edge(0) - 2, right = edge(8) + 11 + 2;
    canvas.rect(left, left, right, right, bold);
    for (int row = 0; row < 9; row++)
        for (int col = 0; col < 9; col++) {
            const bool isPlayed = row == playedRow && col == playedCol;
            canvas.rect(edge(col), edge(row), edge(col) + 11, edge(row) + 11, isPlayed ? highlight : paper);
            const char c = puzzle[row * 9 + col];
            const int digit = isPlayed ? playedDigit : c == '.' ? 0 : c - '0';
            if (digit == 0) continue;
            // Each glyph bit is a 2 x 2 block, centred in the cell.
            for (int gy = 0; gy < 5; gy++)
                for (int gx = 0; gx < 3; gx++)
                    if (glyphs[digit - 1][gy] >> (2 - gx) & 1) {
                        const double x = edge(col) + 3 + 2 * gx, y = edge(row) + 1 + 2 * gy;
                        canvas.rect(x, y, x + 2, y + 2, isPlayed ? played : given);
                    }
        }
    // Thin lines between the cells of a box, then the bold ones between
    // boxes over them where they cross.
    for (int i = 0; i < 8; i++) {
        const double at = edge(i) + 11;
        canvas.rect(at, left + 2, at + 1, right - 2, fine);
        canvas.rect(left + 2, at, right - 2, at + 1, fine);
    }
    for (int i = 2; i < 8; i += 3) {
        const double at = edge(i) + 11;
        canvas.rect(at, left, at + 2, right, bold);
        canvas.rect(left, at, right, at + 2, bold);
    }

    std::vector<unsigned char> rgba(static_cast<size_t>(size) * size * 4);
    for (size_t i = 0; i < rgba.size(); i++)
        rgba[i] = static_cast<unsigned char>(std::lround(std::clamp(canvas.px[i], 0.0, 1.0) * 255));
    return rgba;
}

}  // namespace icon
