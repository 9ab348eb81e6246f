// Uncompressed 8- and 24-bit BMP files: the two headers as they lie in the
// file, a decoder into RGB pixels, and textures made from them.
#ifndef VELUNDA_GFX_BITMAP_H
#define VELUNDA_GFX_BITMAP_H

#include <cstdint>
#include <string>

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the BMP headers are read as raw little-endian blocks"
#endif

const uint16_t BITMAP_MAGIC_NUMBER = 19778;  // "BM" read little-endian
const int RGB_BYTE_SIZE = 3;                   // bytes per decoded pixel

#pragma pack(push, 1)
// The first 14 bytes of the file.
struct BitmapFileHeader {
    uint16_t bfType;
    uint32_t bfSize;
    uint16_t bfReserved1;
    uint16_t bfReserved2;
    uint32_t bfOffBits;
};

// The 40 bytes after it.
struct BitmapInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;  // positive: bottom row first; negative: top row first
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};

// One colour of an 8-bit file's palette, in file order.
struct BitmapPaletteEntry {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};
#pragma pack(pop)

static_assert(sizeof(BitmapFileHeader) == 14, "file header as stored");
static_assert(sizeof(BitmapInfoHeader) == 40, "info header as stored");
static_assert(sizeof(BitmapPaletteEntry) == 4, "palette entry as stored");

// The largest picture the loader accepts; larger headers are taken as
// damaged rather than trusted with an allocation.
const int BITMAP_MAX_SIDE = 16384;
const long BITMAP_MAX_PIXELS = 1L << 25;

// A short-lived decoder: reads a file into `pixels` (red, green, blue per
// pixel, bottom row first, no row padding).
class Bitmap {
public:
    Bitmap();
    explicit Bitmap(const char* path);
    ~Bitmap();
    Bitmap(const Bitmap&) = delete;  // owns its buffers
    Bitmap& operator=(const Bitmap&) = delete;

    // Forgets the buffers without releasing them.
    void reset();
    // True when an image was decoded; `status` tells what happened.
    bool loadBMP(const char* path);
    // Decode `imageBytes` bytes of bottom-up, unpadded file pixels.
    bool convert24(const unsigned char* source);
    bool convert8(const unsigned char* source);

    BitmapPaletteEntry* palette;  // 256 entries, 8-bit files only
    unsigned char* pixels;
    bool loaded;
    int width, height;  // height is positive once a file has been decoded
    uint16_t bitCount;
    std::string status;
    BitmapFileHeader fileHeader;
    BitmapInfoHeader infoHeader;
    int rowBytes;
    int paddedRowBytes;
    unsigned int imageBytes;

private:
    void release();
};

// Loads the file into a new texture; on success stores its name in
// *texture, otherwise leaves *texture as it was.
bool LoadBitmapA(const char* path, unsigned int* texture);
// How many textures LoadBitmapA has made: the frame's record of what the
// picture shows counts them.
unsigned int texturesMade();
// Clears the frame, then draws the texture over the rectangle (x1, y1) to
// (x2, y2) of the virtual screen, upright, modulated by the current colour.
void drawBitmap(float x1, float y1, float x2, float y2, unsigned int texture);

#endif
