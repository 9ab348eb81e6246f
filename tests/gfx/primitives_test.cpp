// The primitives and the texture drawing, read back from the frame.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <array>
#include <functional>

#include "app/globals.h"
#include "bmp_files.h"
#include "fake_platform.h"
#include "gfx/bitmap.h"
#include "gfx/primitives.h"
#include "glcapture.h"
#include "skinart.h"

namespace {

bool lit(gl::Rgb p) {
    return p.r != 0 || p.g != 0 || p.b != 0;
}

class Primitives : public ::testing::Test {
protected:
    void SetUp() override { gl::openWindow(400, 500); }
    int litPixels(const gl::Frame& f) { return f.count(0, 0, f.width - 1, f.height - 1, lit); }
};

// Everything a primitive might leave behind in the matrix state.
struct MatrixState {
    std::array<float, 16> projection{}, modelView{};
    int projectionDepth = 0, modelViewDepth = 0, mode = 0;
    static MatrixState now() {
        MatrixState s;
        glGetFloatv(GL_PROJECTION_MATRIX, s.projection.data());
        glGetFloatv(GL_MODELVIEW_MATRIX, s.modelView.data());
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &s.projectionDepth);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &s.modelViewDepth);
        glGetIntegerv(GL_MATRIX_MODE, &s.mode);
        return s;
    }
    bool operator==(const MatrixState& o) const {
        return projection == o.projection && modelView == o.modelView && projectionDepth == o.projectionDepth &&
               modelViewDepth == o.modelViewDepth && mode == o.mode;
    }
};

TEST_F(Primitives, SquareOfOneCellFillsOnePixel) {
    square(10, 20, 10, 20, 1.0f, 1.0f, 1.0f, 1.0f);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(litPixels(f), 1);
    // The cell (9.5 to 10.5 by 19.5 to 20.5) has pixel centres only on its
    // edges; the rasteriser fills the one on its left and lower edges.
    EXPECT_TRUE(lit(f.at(9, 20)));
}

TEST_F(Primitives, SquareWithCornersReversedStillFills) {
    square(20, 25, 30, 30, 1.0f, 0.0f, 0.0f, 1.0f);
    int forward = litPixels(gl::readBack());
    gl::clear();
    square(30, 30, 20, 25, 1.0f, 0.0f, 0.0f, 1.0f);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(forward, 11 * 6);
    // Reversed, the half-unit widening turns inward: the quad covers the
    // cells 21..29 by 26..29, and it is filled, not culled.
    EXPECT_EQ(litPixels(f), 9 * 4);
    EXPECT_TRUE(lit(f.at(25, 27)));
}

TEST_F(Primitives, SentinelTakesTheLastColourWithItsAlpha) {
    color(0.2f, 0.4f, 0.6f, 1.0f);
    square(0, 0, 9, 9, -1.0f, 0.0f, 0.0f, 0.0f);
    color(1.0f, 0.0f, 0.0f, 0.5f);
    square(20, 0, 29, 9, -1.0f, 0.0f, 1.0f, 1.0f);
    // Any other negative red is just a colour (clamped to 0).
    square(40, 0, 49, 9, -0.5f, 1.0f, 0.0f, 1.0f);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(f.at(5, 5), (gl::Rgb{51, 102, 153}));
    EXPECT_NEAR(f.at(25, 5).r, 128, 1);
    EXPECT_EQ(f.at(25, 5).g, 0);
    EXPECT_EQ(f.at(45, 5), (gl::Rgb{0, 255, 0}));
    EXPECT_FLOAT_EQ(dA, 0.5f);
}

TEST_F(Primitives, EmptyTextDrawsNothing) {
    MatrixState before = MatrixState::now();
    print(100, 100, "", 1.0f, 1.0f, 1.0f, 1.0f, 12, 0);
    EXPECT_EQ(litPixels(gl::readBack()), 0);
    EXPECT_TRUE(MatrixState::now() == before);
}

// Which font a face and size select shows in how far the raster position
// moves: each glyph advances it by that font's width of the glyph.
TEST_F(Primitives, FontTable) {
    struct Row {
        int size, face;
        void* font;
    };
    const Row rows[] = {{10, 0, GLUT_BITMAP_HELVETICA_10}, {12, 0, GLUT_BITMAP_HELVETICA_12},
                        {8, 0, GLUT_BITMAP_HELVETICA_18},  {18, 0, GLUT_BITMAP_HELVETICA_18},
                        {10, 1, GLUT_BITMAP_TIMES_ROMAN_10}, {12, 1, GLUT_BITMAP_TIMES_ROMAN_24},
                        {8, 2, GLUT_BITMAP_8_BY_13},       {12, 2, GLUT_BITMAP_9_BY_15}};
    const char* text = "Puzzle by: 0123456789";
    for (const Row& r : rows) {
        print(20, 200, text, 1.0f, 1.0f, 1.0f, 1.0f, r.size, r.face);
        float raster[4];
        glGetFloatv(GL_CURRENT_RASTER_POSITION, raster);
        EXPECT_FLOAT_EQ(raster[0] - 20.0f,
                        static_cast<float>(glutBitmapLength(r.font, reinterpret_cast<const unsigned char*>(text))))
            << "face " << r.face << " size " << r.size;
    }
    // Times Roman 24 stands taller than Helvetica 18.
    gl::clear();
    print(20, 200, "H", 1.0f, 1.0f, 1.0f, 1.0f, 12, 1);
    gl::Frame times = gl::readBack();
    gl::clear();
    print(20, 200, "H", 1.0f, 1.0f, 1.0f, 1.0f, 8, 0);
    gl::Frame helvetica = gl::readBack();
    auto rowsLit = [](const gl::Frame& f) {
        int n = 0;
        for (int y = 150; y <= 210; y++)
            if (f.count(15, y, 60, y, lit) > 0) n++;
        return n;
    };
    EXPECT_GT(rowsLit(times), rowsLit(helvetica));
    // A face without fonts draws nothing.
    gl::clear();
    print(20, 200, "H", 1.0f, 1.0f, 1.0f, 1.0f, 12, 3);
    EXPECT_EQ(litPixels(gl::readBack()), 0);
}

TEST_F(Primitives, EveryPrimitiveLeavesBothMatrixStacksAsItFoundThem) {
    const MatrixState base = MatrixState::now();
    const std::pair<const char*, std::function<void()>> calls[] = {
        {"color", [] { color(0.5f, 0.5f, 0.5f, 1.0f); }},
        {"square", [] { square(1, 2, 30, 40, 1.0f, 1.0f, 1.0f, 1.0f); }},
        {"pset", [] { pset(3, 4, -1.0f, 0.0f, 0.0f, 0.0f); }},
        {"line", [] { line(1, 1, 100, 300, 1.0f, 0.0f, 0.0f, 1.0f); }},
        {"circle", [] { circle(200, 250, 20, 0.0f, 1.0f, 0.0f, 1.0f); }},
        {"ngon", [] { ngon(200, 250, 5, 10, 0.0f, 0.0f, 1.0f, 1.0f); }},
        {"print", [] { print(10, 20, "File", 1.0f, 1.0f, 1.0f, 0.75f, 12, 0); }},
        {"print outside", [] { print(-50, 900, "X", 1.0f, 1.0f, 1.0f, 1.0f, 12, 0); }},
        {"drawBitmap", [] { drawBitmap(0, 0, 400, 500, 0); }}};
    for (const auto& call : calls) {
        call.second();
        EXPECT_TRUE(MatrixState::now() == base) << call.first;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// A unit cell has pixel centres only on its edges, so the points are drawn
// as 2 x 2 squares reaching to them.
TEST_F(Primitives, TopLeftIsTheOriginAndBottomRightIs400By500) {
    square(0, 0, 1, 1, 1.0f, 1.0f, 1.0f, 1.0f);
    square(399, 499, 400, 500, 0.0f, 1.0f, 0.0f, 1.0f);
    gl::Frame f = gl::readBack();
    auto white = [](gl::Rgb p) { return p == gl::Rgb{255, 255, 255}; };
    auto green = [](gl::Rgb p) { return p == gl::Rgb{0, 255, 0}; };
    EXPECT_TRUE(white(f.at(0, 0)));
    EXPECT_EQ(f.count(0, 0, 1, 1, white), litPixels(f) - f.count(398, 498, 399, 499, green));
    EXPECT_TRUE(green(f.at(399, 499)));
    EXPECT_GE(f.count(398, 498, 399, 499, green), 1);

    // Half size: the same drawing in a 200 x 250 window.
    gl::openWindow(200, 250);
    square(0, 0, 1, 1, 1.0f, 1.0f, 1.0f, 1.0f);
    square(398, 498, 400, 500, 0.0f, 1.0f, 0.0f, 1.0f);
    square(100, 100, 199, 199, 1.0f, 0.0f, 0.0f, 1.0f);
    f = gl::readBack();
    EXPECT_TRUE(white(f.at(0, 0)));
    EXPECT_EQ(f.count(0, 0, 199, 249, white), 1);
    EXPECT_TRUE(green(f.at(199, 249)));
    EXPECT_EQ(f.count(0, 0, 199, 249, green), 1);
    // 100 units are 50 pixels.
    EXPECT_EQ(f.count(0, 0, 199, 249, [](gl::Rgb p) { return p == gl::Rgb{255, 0, 0}; }), 50 * 50);
    EXPECT_TRUE(lit(f.at(50, 50)));
    EXPECT_FALSE(lit(f.at(100, 100)));
}

TEST_F(Primitives, TriangleStartsRightOfItsCentre) {
    ngon(200, 250, 3, 10, 1.0f, 1.0f, 1.0f, 1.0f);  // reaches about 22 units out
    gl::Frame f = gl::readBack();
    EXPECT_TRUE(lit(f.at(218, 250)));
    EXPECT_FALSE(lit(f.at(182, 250 - 10)));
    EXPECT_TRUE(lit(f.at(190, 250 + 15)));  // the second vertex lies below: y grows downward
}

// Past its vertex buffer a polygon is drawn with as many vertices as a
// circle has: 1,000 sides give the circle's pixels exactly.
TEST_F(Primitives, ManySidedPolygonIsTheCircle) {
    circle(200, 250, 10, 1.0f, 1.0f, 1.0f, 1.0f);
    gl::Frame round = gl::readBack();
    gl::clear();
    ngon(200, 250, 1000, 10, 1.0f, 1.0f, 1.0f, 1.0f);
    gl::Frame many = gl::readBack();
    EXPECT_GT(litPixels(round), 1000);
    EXPECT_EQ(many.rgb, round.rgb);
}

class Textures : public Primitives {
protected:
    bmp::Folder folder;
    std::string write24(int w, int h, std::function<gl::Rgb(int x, int rowFromTop)> colour) {
        bmp::Header s;
        s.width = w;
        s.height = h;
        return folder.write("t.bmp", bmp::headers(s) + bmp::rows(s, [&](int x, int row, int c) {
                                         gl::Rgb p = colour(x, h - 1 - row);
                                         return c == 0 ? p.b : c == 1 ? p.g : p.r;
                                     }));
    }
};

TEST_F(Textures, PictureIsUprightOverItsRectangle) {
    const gl::Rgb tl{255, 0, 0}, tr{0, 255, 0}, bl{0, 0, 255}, br{255, 255, 255};
    std::string path = write24(2, 2, [&](int x, int y) { return y == 0 ? (x == 0 ? tl : tr) : (x == 0 ? bl : br); });
    unsigned int texture = 0;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(LoadBitmapA(path.c_str(), &texture));
    testing::internal::GetCapturedStdout();
    ASSERT_NE(texture, 0u);
    square(0, 0, 399, 499, 1.0f, 1.0f, 0.0f, 1.0f);  // erased by drawBitmap
    color(1, 1, 1, 1);
    drawBitmap(100, 100, 300, 400, texture);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(f.at(150, 150), tl);
    EXPECT_EQ(f.at(250, 150), tr);
    EXPECT_EQ(f.at(150, 350), bl);
    EXPECT_EQ(f.at(250, 350), br);
    EXPECT_EQ(f.at(50, 50), (gl::Rgb{0, 0, 0}));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
}

TEST_F(Textures, RowsOfAnyWidthAreUploadedWhole) {
    // 3 pixels a row: 9 bytes, not a multiple of the default row alignment.
    std::string path =
        write24(3, 3, [](int, int y) { return y == 0 ? gl::Rgb{255, 0, 0} : gl::Rgb{0, 0, 255}; });
    unsigned int texture = 0;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(LoadBitmapA(path.c_str(), &texture));
    testing::internal::GetCapturedStdout();
    color(1, 1, 1, 1);
    drawBitmap(0, 0, 400, 500, texture);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(f.at(200, 20), (gl::Rgb{255, 0, 0}));
    EXPECT_EQ(f.at(200, 480), (gl::Rgb{0, 0, 255}));
    EXPECT_EQ(f.at(10, 480), (gl::Rgb{0, 0, 255}));
}

TEST_F(Textures, FailedLoadLeavesTheNameAndDrawsWithout) {
    unsigned int texture = 777;
    EXPECT_FALSE(LoadBitmapA((folder.dir + "/none.bmp").c_str(), &texture));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(LoadBitmapA(folder.write("cut.bmp", "BM\1\2\3").c_str(), &texture));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(texture, 777u);
    // Texture 0: the rectangle in the plain current colour.
    color(0.0f, 1.0f, 0.0f, 1.0f);
    drawBitmap(0, 0, 400, 500, 0);
    gl::Frame f = gl::readBack();
    EXPECT_EQ(f.count(0, 0, 399, 499, [](gl::Rgb p) { return p == gl::Rgb{0, 255, 0}; }), 400 * 500);
}

// The board view draws a cell's tile as square(X, Y, X + 35, Y + 36): the
// pixels it fills are where the skin pictures put their cells.
TEST_F(Primitives, BoardTilesFillThePixelsOfTheSkinsCells) {
    for (int row = 0; row < 9; row++)
        for (int col = 0; col < 9; col++) {
            const int x = 17 + 41 * col + 2 * (col / 3), y = 115 + 41 * row + 2 * (row / 3);
            square(x, y, x + 35, y + 36, 1.0f, 1.0f, 1.0f, 1.0f);
        }
    const gl::Frame f = gl::readBack();
    for (int row = 0; row < 9; row++)
        for (int col = 0; col < 9; col++) {
            const int x = skins::tileLeft(col), y = skins::tileTop(row);
            EXPECT_EQ(f.count(x, y, x + skins::tileWidth - 1, y + skins::tileHeight - 1, lit),
                      skins::tileWidth * skins::tileHeight)
                << row << "," << col;
            EXPECT_EQ(f.count(x - 1, y - 1, x + skins::tileWidth, y + skins::tileHeight, lit),
                      skins::tileWidth * skins::tileHeight)
                << row << "," << col;
        }
}

}  // namespace
