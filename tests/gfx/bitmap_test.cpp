// The BMP decoder on files written by the tests, sound and hostile.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>

#include "bmp_files.h"
#include "gfx/bitmap.h"

namespace {

std::string file24(bmp::Header s) {
    return bmp::headers(s) + bmp::rows(s, [](int x, int row, int c) { return (x * 7 + row * 13 + c * 101) & 0xff; });
}

TEST(BitmapLoad, Decodes24BitBottomUpWithRedAndBlueSwapped) {
    bmp::Folder folder;
    bmp::Header s;
    s.width = 400;
    s.height = 500;
    std::string path = folder.write("big.bmp", file24(s));

    Bitmap b;
    testing::internal::CaptureStdout();
    ASSERT_TRUE(b.loadBMP(path.c_str()));
    std::string console = testing::internal::GetCapturedStdout();
    EXPECT_EQ(b.status, "Bitmap loaded");
    EXPECT_TRUE(b.loaded);
    EXPECT_EQ(b.width, 400);
    EXPECT_EQ(b.height, 500);
    EXPECT_EQ(b.imageBytes, 600000u);
    EXPECT_EQ(b.rowBytes, 1200);
    EXPECT_EQ(b.paddedRowBytes, 1200);
    for (int row : {0, 1, 250, 499})
        for (int x : {0, 3, 399}) {
            size_t i = (static_cast<size_t>(row) * 400 + x) * 3;
            EXPECT_EQ(b.pixels[i], (x * 7 + row * 13 + 202) & 0xff);  // red: the file's third byte
            EXPECT_EQ(b.pixels[i + 1], (x * 7 + row * 13 + 101) & 0xff);
            EXPECT_EQ(b.pixels[i + 2], (x * 7 + row * 13) & 0xff);
        }
    EXPECT_EQ(console,
              "sizeof(BitmapFileHeader)=14\nsizeof(BitmapInfoHeader)=40\nbiBitCount      =24\n"
              "biClrImportant  =0\nbiClrUsed       =0\nbiCompression   =0\nbiHeight        =500\n"
              "biPlanes        =1\nbiSize          =40\nbiSizeImage     =0\nbiWidth         =400\n"
              "biXPelsPerMeter =2835\nbiYPelsPerMeter =2835\n");
}

TEST(BitmapLoad, EightBitUsesTheWholePaletteWhateverClrUsedSays) {
    bmp::Folder folder;
    bmp::Header s;
    s.bits = 8;
    s.width = 16;
    s.height = 16;
    s.clrUsed = 2;
    std::string path = folder.write("p.bmp", bmp::headers(s) + bmp::rows(s, [](int x, int row, int) {
                                                  return row * 16 + x;
                                              }));
    Bitmap b(path.c_str());
    ASSERT_TRUE(b.loaded) << b.status;
    ASSERT_NE(b.palette, nullptr);
    const unsigned char* p = b.pixels + 200 * 3;  // the byte 200
    EXPECT_EQ(p[0], 200);
    EXPECT_EQ(p[1], 55);
    EXPECT_EQ(p[2], 100);
}

TEST(BitmapLoad, PaddedRowsAreReadRowByRow) {
    bmp::Folder folder;
    bmp::Header s;
    s.width = 3;  // 9 bytes a row, 12 stored
    s.height = 3;
    Bitmap b(folder.write("pad24.bmp", file24(s)).c_str());
    ASSERT_TRUE(b.loaded) << b.status;
    EXPECT_EQ(b.rowBytes, 9);
    EXPECT_EQ(b.paddedRowBytes, 12);
    for (int row = 0; row < 3; row++)
        for (int x = 0; x < 3; x++) EXPECT_EQ(b.pixels[(row * 3 + x) * 3 + 2], (x * 7 + row * 13) & 0xff);

    s.bits = 8;
    s.width = 5;  // 5 bytes a row, 8 stored
    Bitmap e(folder.write("pad8.bmp", bmp::headers(s) + bmp::rows(s, [](int x, int row, int) {
                                          return 10 * row + x;
                                      })).c_str());
    ASSERT_TRUE(e.loaded) << e.status;
    EXPECT_EQ(e.pixels[(2 * 5 + 4) * 3], 24);  // red of entry 24
}

TEST(BitmapLoad, TopDownFilesAreTurnedBottomUp) {
    bmp::Folder folder;
    bmp::Header s;
    s.width = 2;
    s.height = -3;
    Bitmap b(folder.write("td.bmp", file24(s)).c_str());
    ASSERT_TRUE(b.loaded) << b.status;
    EXPECT_EQ(b.height, 3);
    // The file's first row is the top one: it becomes the last row.
    EXPECT_EQ(b.pixels[(2 * 2) * 3 + 2], 0);
    EXPECT_EQ(b.pixels[2], (2 * 13) & 0xff);
}

TEST(BitmapLoad, PixelOffset) {
    bmp::Folder folder;
    bmp::Header s;
    // An offset the file cannot honour: the pixels are taken to follow the headers.
    for (int64_t off : {0, 20, 1000}) {
        s.offBits = off;
        Bitmap b(folder.write("off.bmp", file24(s)).c_str());
        ASSERT_TRUE(b.loaded) << off;
        EXPECT_EQ(b.pixels[2], 0) << off;
        EXPECT_EQ(b.pixels[3 * 3 + 2], (7 + 13) & 0xff) << off;
    }
    // A later start that the file holds (a longer header, a gap) is honoured.
    s.offBits = 54 + 84;
    Bitmap g(folder.write("gap.bmp", bmp::headers(s) + std::string(84, '\xee') +
                                        bmp::rows(s, [](int, int, int) { return 9; }))
                 .c_str());
    ASSERT_TRUE(g.loaded) << g.status;
    EXPECT_EQ(g.pixels[0], 9);
}

TEST(BitmapLoad, RejectsWhatItCannotDecode) {
    bmp::Folder folder;
    struct Case {
        const char* name;
        std::string bytes;
        const char* status;
    };
    bmp::Header s;
    std::vector<Case> cases;
    cases.push_back({"missing.bmp", "", "File not found"});
    s.magic = "MB";
    cases.push_back({"magic.bmp", file24(s), "File is not in DIB format"});
    cases.push_back({"empty.bmp", "", "File is not in DIB format"});
    s.magic = "BM";
    for (uint16_t bits : {1, 4, 16, 32}) {
        s.bits = bits;
        cases.push_back({"bits.bmp", bmp::headers(s) + std::string(64, '\0'), "File is not 8 or 24 bits per pixel"});
    }
    s.bits = 24;
    s.compression = 1;
    cases.push_back({"rle.bmp", file24(s), "File is compressed"});
    for (const Case& c : cases) {
        Bitmap b;
        std::string path = c.bytes.empty() && std::string(c.name) == "missing.bmp" ? folder.dir + "/missing.bmp"
                                                                                     : folder.write(c.name, c.bytes);
        testing::internal::CaptureStdout();
        EXPECT_FALSE(b.loadBMP(path.c_str())) << c.name;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(b.status, c.status) << c.name;
        EXPECT_EQ(b.pixels, nullptr) << c.name;
    }
    Bitmap d;
    EXPECT_FALSE(d.loadBMP(folder.dir.c_str()));  // a folder opens, but reads nothing
    EXPECT_EQ(d.status, "File is not in DIB format");
}

TEST(BitmapLoad, HostileSizesAreRejectedBeforeAnythingIsAllocated) {
    bmp::Folder folder;
    struct Size {
        int32_t w, h;
        uint16_t bits;
    };
    // Zero, negative, products that wrap in 32 bits (65536 x 65536 x 3 is
    // 0 mod 2^32), and absurdly large.
    const Size sizes[] = {{0, 5, 24},           {5, 0, 24},          {-4, 4, 24},        {4, INT_MIN, 24},
                          {65536, 65536, 24},   {INT_MAX, INT_MAX, 8}, {1 << 20, 1, 24}, {1, 1 << 20, 8},
                          {8192, 8192, 24},     {-1, -1, 8}};
    for (const Size& z : sizes) {
        bmp::Header s;
        s.width = z.w;
        s.height = z.h;
        s.bits = z.bits;
        Bitmap b;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(b.loadBMP(folder.write("size.bmp", bmp::headers(s) + std::string(4096, '\1')).c_str()));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(b.status, "Bitmap size is not valid") << z.w << " x " << z.h;
        EXPECT_EQ(b.pixels, nullptr);
        EXPECT_EQ(b.palette, nullptr);
    }
}

// The limits themselves are sizes the loader takes: a header at exactly
// 2^25 pixels or 16,384 a side gets as far as finding its pixels missing,
// one more is refused. No pixels are written, so nothing large is needed.
TEST(BitmapLoad, SizeLimitsAreInclusive) {
    bmp::Folder folder;
    struct Size {
        int32_t w, h;
        const char* status;
    };
    const Size sizes[] = {{8192, 4096, "File is truncated"},      {16384, 2048, "File is truncated"},
                          {2048, -16384, "File is truncated"},    {16384, 1, "File is truncated"},
                          {8192, 4097, "Bitmap size is not valid"}, {16385, 1, "Bitmap size is not valid"},
                          {1, 16385, "Bitmap size is not valid"}, {2048, -16385, "Bitmap size is not valid"}};
    for (const Size& z : sizes) {
        bmp::Header s;
        s.width = z.w;
        s.height = z.h;
        Bitmap b;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(b.loadBMP(folder.write("limit.bmp", bmp::headers(s)).c_str()));
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(b.status, z.status) << z.w << " x " << z.h;
        EXPECT_EQ(b.pixels, nullptr);
    }
}

TEST(BitmapLoad, ShortFilesFailAndDrawNothing) {
    bmp::Folder folder;
    bmp::Header s;
    s.width = 40;
    s.height = 40;
    const std::string whole = file24(s);
    s.bits = 8;
    const std::string whole8 = bmp::headers(s) + bmp::rows(s, [](int, int, int) { return 1; });
    struct Cut {
        std::string bytes;
        const char* what;
    };
    const Cut cuts[] = {{whole.substr(0, 10), "inside the file header"},
                        {whole.substr(0, 30), "inside the info header"},
                        {whole.substr(0, whole.size() - 1), "one pixel byte short"},
                        {whole.substr(0, 54 + 2400), "half the pixels"},
                        {whole8.substr(0, 54 + 500), "inside the palette"},
                        {whole8.substr(0, whole8.size() - 40), "last 8-bit row missing"}};
    for (const Cut& c : cuts) {
        Bitmap b;
        testing::internal::CaptureStdout();
        EXPECT_FALSE(b.loadBMP(folder.write("cut.bmp", c.bytes).c_str())) << c.what;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(b.status, "File is truncated") << c.what;
        EXPECT_FALSE(b.loaded);
        EXPECT_EQ(b.pixels, nullptr) << c.what;
        EXPECT_EQ(b.palette, nullptr) << c.what;
    }
}

TEST(BitmapLoad, ReloadingReleasesThePreviousImage) {
    bmp::Folder folder;
    bmp::Header s;
    s.bits = 8;
    std::string eight = folder.write("8.bmp", bmp::headers(s) + bmp::rows(s, [](int, int, int) { return 3; }));
    s.bits = 24;
    std::string twentyFour = folder.write("24.bmp", file24(s));
    Bitmap b;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(b.loadBMP(eight.c_str()));
    EXPECT_TRUE(b.loadBMP(twentyFour.c_str()));
    EXPECT_EQ(b.palette, nullptr);  // the 8-bit file's palette went with it
    EXPECT_FALSE(b.loadBMP((folder.dir + "/none.bmp").c_str()));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(b.pixels, nullptr);
    EXPECT_FALSE(b.loaded);
}

// Every byte of the headers and the first pixels of a valid file, changed
// in turn to values that tend to break size arithmetic: the loader either
// decodes a picture of the size it reports or fails, and never reads or
// writes outside its buffers (the sanitizer build checks that).
TEST(BitmapLoad, SurvivesMutatedHeaders) {
    bmp::Folder folder;
    bmp::Header s;
    s.bits = 8;
    s.width = 6;
    s.height = 5;
    const std::string eight = bmp::headers(s) + bmp::rows(s, [](int x, int, int) { return x * 40; });
    s.bits = 24;
    const std::string twentyFour = file24(s);
    const unsigned char values[] = {0x00, 0x01, 0x07, 0x08, 0x18, 0x20, 0x7f, 0x80, 0xfe, 0xff};
    testing::internal::CaptureStdout();
    for (const std::string* base : {&eight, &twentyFour})
        for (size_t at = 0; at < 60; at++)
            for (unsigned char v : values) {
                std::string bytes = *base;
                bytes[at] = static_cast<char>(v);
                Bitmap b;
                if (b.loadBMP(folder.write("m.bmp", bytes).c_str())) {
                    ASSERT_GT(b.width, 0);
                    ASSERT_GT(b.height, 0);
                    ASSERT_EQ(b.imageBytes, static_cast<unsigned>(b.width * b.height * (b.bitCount / 8)));
                    ASSERT_NE(b.pixels, nullptr);
                    volatile unsigned char last = b.pixels[static_cast<size_t>(b.width) * b.height * 3 - 1];
                    (void)last;
                } else {
                    ASSERT_EQ(b.pixels, nullptr);
                }
            }
    testing::internal::GetCapturedStdout();
}

}  // namespace
