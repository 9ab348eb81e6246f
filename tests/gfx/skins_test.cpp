// The skin pictures: cells exactly under the board view's tiles, lines of
// the right widths, digits and marks that read on the cells, and files the
// loader takes back unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <sstream>

#include "bmp_files.h"
#include "bmpwriter.h"
#include "gfx/bitmap.h"
#include "skinart.h"

namespace {

struct Rgb {
    double r, g, b;  // 0..255
};

Rgb at(const std::vector<unsigned char>& p, int x, int y) {
    size_t i = (static_cast<size_t>(y) * skins::width + x) * 3;
    return Rgb{double(p[i]), double(p[i + 1]), double(p[i + 2])};
}

Rgb over(Rgb top, double alpha, Rgb under) {
    return Rgb{top.r * alpha + under.r * (1 - alpha), top.g * alpha + under.g * (1 - alpha),
               top.b * alpha + under.b * (1 - alpha)};
}

double linear(double v) {
    v /= 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double luminance(Rgb c) {
    return 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
}

// The usual contrast ratio of two colours, 1 to 21.
double contrast(Rgb a, Rgb b) {
    double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Colour difference in CIE L*a*b* (1976): hue counts, not only lightness.
double deltaE(Rgb a, Rgb b) {
    auto lab = [](Rgb c, double out[3]) {
        double r = linear(c.r), g = linear(c.g), bl = linear(c.b);
        double xyz[3] = {(0.4124 * r + 0.3576 * g + 0.1805 * bl) / 0.9505, 0.2126 * r + 0.7152 * g + 0.0722 * bl,
                         (0.0193 * r + 0.1192 * g + 0.9505 * bl) / 1.089};
        for (double& v : xyz) v = v > 0.008856 ? std::cbrt(v) : 7.787 * v + 16.0 / 116;
        out[0] = 116 * xyz[1] - 16;
        out[1] = 500 * (xyz[0] - xyz[1]);
        out[2] = 200 * (xyz[1] - xyz[2]);
    };
    double p[3], q[3];
    lab(a, p);
    lab(b, q);
    return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2]));
}

double apart(Rgb a, Rgb b) {
    return std::fabs(a.r - b.r) + std::fabs(a.g - b.g) + std::fabs(a.b - b.b);
}

TEST(Skins, AreReproducibleAndDistinct) {
    for (int skin : {0, 1}) {
        std::vector<unsigned char> p = skins::drawSkin(skin);
        EXPECT_EQ(p.size(), 400u * 500u * 3u);
        EXPECT_EQ(p, skins::drawSkin(skin));
    }
    EXPECT_NE(skins::drawSkin(0), skins::drawSkin(1));
}

TEST(Skins, CellsLieExactlyUnderTheTilesWithThinAndThickLinesBetween) {
    using skins::tileLeft;
    using skins::tileTop;
    const int w = skins::tileWidth, h = skins::tileHeight;
    for (int skin : {0, 1}) {
        std::vector<unsigned char> p = skins::drawSkin(skin);
        for (int row = 0; row < 9; row++)
            for (int col = 0; col < 9; col++) {
                const int x = tileLeft(col), y = tileTop(row);
                // Every cell is the same picture as the first one.
                for (int dy = 0; dy < h; dy++)
                    for (int dx = 0; dx < w; dx++)
                        ASSERT_EQ(apart(at(p, x + dx, y + dy), at(p, tileLeft(0) + dx, tileTop(0) + dy)), 0)
                            << "skin " << skin << " cell " << row << "," << col;
                // And it ends exactly at the tile's edges.
                const Rgb middle = at(p, x + w / 2, y + h / 2);
                EXPECT_GT(apart(at(p, x - 1, y + h / 2), middle), 40) << skin << " left of " << row << "," << col;
                EXPECT_GT(apart(at(p, x + w, y + h / 2), middle), 40) << skin << " right of " << row << "," << col;
                EXPECT_GT(apart(at(p, x + w / 2, y - 1), middle), 40) << skin << " above " << row << "," << col;
                EXPECT_GT(apart(at(p, x + w / 2, y + h), middle), 40) << skin << " below " << row << "," << col;
            }
        // Across each gap: how many pixels differ from the gap's own ground.
        for (int i = 0; i < 8; i++) {
            const int width = i % 3 == 2 ? 3 : 1;
            int columns = 0, rows = 0;
            const int y = tileTop(4) + h / 2, x = tileLeft(4) + w / 2;
            const Rgb groundX = at(p, tileLeft(i) + w, y), groundY = at(p, x, tileTop(i) + h);
            for (int gx = tileLeft(i) + w; gx < tileLeft(i + 1); gx++) columns += apart(at(p, gx, y), groundX) > 40;
            for (int gy = tileTop(i) + h; gy < tileTop(i + 1); gy++) rows += apart(at(p, x, gy), groundY) > 40;
            EXPECT_EQ(columns, width) << "skin " << skin << " after column " << i;
            EXPECT_EQ(rows, width) << "skin " << skin << " after row " << i;
        }
    }
}

TEST(Skins, DigitsAndMarksReadOnTheCells) {
    const Rgb white{255, 255, 255}, black{0, 0, 0};
    std::vector<unsigned char> p = skins::drawSkin(0);
    // Skin 0: givens are white (drawn at 0.75) straight on the cell, entries
    // black; marks black, green and blue at 0.75.
    for (int dy = 2; dy <= 34; dy += 4)
        for (int dx = 2; dx <= 33; dx += 4) {
            const Rgb cell = at(p, skins::tileLeft(0) + dx, skins::tileTop(0) + dy);
            EXPECT_GE(contrast(over(white, 0.75, cell), cell), 3.0);
            EXPECT_GE(contrast(black, cell), 3.0);
            for (Rgb mark : {black, Rgb{0.1 * 255, 0.8 * 255, 0.3 * 255}, Rgb{0.3 * 255, 0.5 * 255, 255}})
                EXPECT_GE(deltaE(over(mark, 0.75, cell), cell), 40.0);
        }
    // Skin 1: givens white on the opaque navy tile, entries and dark marks
    // on the light cells.
    p = skins::drawSkin(1);
    const Rgb navy{41, 64, 127};
    EXPECT_GE(contrast(over(white, 0.75, navy), navy), 4.5);
    for (int dy = 2; dy <= 34; dy += 4)
        for (int dx = 2; dx <= 33; dx += 4) {
            const Rgb cell = at(p, skins::tileLeft(0) + dx, skins::tileTop(0) + dy);
            EXPECT_GE(contrast(black, cell), 12.0);
            for (Rgb mark : {Rgb{0.01 * 255, 0.55 * 255, 0.05 * 255}, Rgb{0.05 * 255, 0.1 * 255, 0.55 * 255}})
                EXPECT_GE(contrast(over(mark, 0.75, cell), cell), 2.7);  // at most 2.97 on white
        }
    // The title texts (white at 0.75) on the strip, in both skins.
    for (int skin : {0, 1}) {
        p = skins::drawSkin(skin);
        for (int x : {20, 150, 300, 357, 367, 382}) {
            const Rgb strip = at(p, x, 15);
            EXPECT_GE(contrast(over(white, 0.75, strip), strip), 4.5) << skin << " at " << x;
        }
    }
}

TEST(Skins, WrittenFilesLoadBackUnchanged) {
    bmp::Folder folder;
    const std::string path = folder.dir + "/Board.bmp";
    folder.write("Board.bmp", "an older, shorter file");
    const std::vector<unsigned char> art = skins::drawSkin(0);
    ASSERT_TRUE(writeBMP24(path, 400, 500, art));
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    EXPECT_EQ(static_cast<long>(in.tellg()), 54 + 600000);
    EXPECT_NE(std::system(("test -e '" + path + ".part'").c_str()), 0);

    Bitmap b;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(b.loadBMP(path.c_str())) << b.status;
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(b.bitCount, 24);
    const int32_t storedHeight = b.infoHeader.biHeight;  // a packed field: copied, not bound
    EXPECT_EQ(storedHeight, 500);                         // stored bottom-up
    // The decoded rows are bottom-up; the art is top row first.
    for (int y = 0; y < 500; y++)
        ASSERT_EQ(0, std::memcmp(b.pixels + static_cast<size_t>(499 - y) * 1200, art.data() + y * 1200, 1200)) << y;

    // Odd widths get padded rows, which the loader drops again.
    std::vector<unsigned char> small(5 * 3 * 3);
    for (size_t i = 0; i < small.size(); i++) small[i] = static_cast<unsigned char>(i * 11);
    ASSERT_TRUE(writeBMP24(folder.dir + "/small.bmp", 5, 3, small));
    Bitmap s;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(s.loadBMP((folder.dir + "/small.bmp").c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(s.paddedRowBytes, 16);
    EXPECT_EQ(0, std::memcmp(s.pixels, small.data() + 2 * 15, 15));

    EXPECT_FALSE(writeBMP24(folder.dir + "/no/such/folder.bmp", 400, 500, art));
    EXPECT_FALSE(writeBMP24(path, 401, 500, art));  // the wrong number of pixels
}

TEST(Skins, TheBuildLaysThemIntoTheRuntimeFolder) {
    const char* const names[2] = {"/Graphics/Board.bmp", "/Graphics/WBoard.bmp"};
    for (int skin : {0, 1}) {
        Bitmap b;
        testing::internal::CaptureStdout();
        ASSERT_TRUE(b.loadBMP((std::string(VELUNDA_RUNTIME_DIR) + names[skin]).c_str())) << names[skin];
        testing::internal::GetCapturedStdout();
        const std::vector<unsigned char> art = skins::drawSkin(skin);
        EXPECT_EQ(0, std::memcmp(b.pixels + 499 * 1200, art.data(), 1200)) << names[skin];
    }
}

}  // namespace
