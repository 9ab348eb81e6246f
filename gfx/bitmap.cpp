#include "gfx/bitmap.h"

#include <GL/freeglut.h>
#include <GL/glu.h>
#include <malloc.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

#include "gfx/easygl.h"

static const long headersBytes = sizeof(BitmapFileHeader) + sizeof(BitmapInfoHeader);
static const long paletteEntries = 256;

// Status texts beyond "File not found" and its kin: the header cannot be
// right, the file ends before its pixels do, or the pixels are packed.
static const char* const statusBadSize = "Bitmap size is not valid";
static const char* const statusTruncated = "File is truncated";
static const char* const statusCompressed = "File is compressed";

Bitmap::Bitmap() {
    reset();
    width = height = 0;
    bitCount = 0;
    std::memset(&fileHeader, 0, sizeof fileHeader);
    std::memset(&infoHeader, 0, sizeof infoHeader);
    rowBytes = paddedRowBytes = 0;
    imageBytes = 0;
}

Bitmap::Bitmap(const char* path) : Bitmap() {
    loadBMP(path);
}

Bitmap::~Bitmap() {
    release();
}

void Bitmap::reset() {
    loaded = false;
    palette = nullptr;
    pixels = nullptr;
    status = "";
}

void Bitmap::release() {
    delete[] palette;
    delete[] pixels;
    palette = nullptr;
    pixels = nullptr;
}

static void say(const char* label, long value) {
    std::printf("%s%ld\n", label, value);
    std::fflush(stdout);
}

static bool fail(std::FILE* file, std::string& status, const char* text) {
    std::fclose(file);
    status = text;
    return false;
}

bool Bitmap::loadBMP(const char* path) {
    loaded = false;
    release();
    imageBytes = 0;
    rowBytes = paddedRowBytes = 0;

    std::FILE* file = path != nullptr ? std::fopen(path, "rb") : nullptr;
    if (file == nullptr) {
        status = "File not found";
        return false;
    }

    // Headers that the file does not fill stay zero rather than stale.
    std::memset(&fileHeader, 0, sizeof fileHeader);
    std::memset(&infoHeader, 0, sizeof infoHeader);
    size_t got = std::fread(&fileHeader, 1, sizeof fileHeader, file);
    say("sizeof(BitmapFileHeader)=", static_cast<long>(sizeof fileHeader));
    if (got < sizeof fileHeader.bfType || fileHeader.bfType != BITMAP_MAGIC_NUMBER)
        return fail(file, status, "File is not in DIB format");
    if (got < sizeof fileHeader) return fail(file, status, statusTruncated);

    got = std::fread(&infoHeader, 1, sizeof infoHeader, file);
    say("sizeof(BitmapInfoHeader)=", static_cast<long>(sizeof infoHeader));
    bool headerShort = got < sizeof infoHeader;

    width = infoHeader.biWidth;
    height = infoHeader.biHeight;
    bitCount = infoHeader.biBitCount;

    say("biBitCount      =", infoHeader.biBitCount);
    say("biClrImportant  =", static_cast<long>(infoHeader.biClrImportant));
    say("biClrUsed       =", static_cast<long>(infoHeader.biClrUsed));
    say("biCompression   =", static_cast<long>(infoHeader.biCompression));
    say("biHeight        =", infoHeader.biHeight);
    say("biPlanes        =", infoHeader.biPlanes);
    say("biSize          =", static_cast<long>(infoHeader.biSize));
    say("biSizeImage     =", static_cast<long>(infoHeader.biSizeImage));
    say("biWidth         =", infoHeader.biWidth);
    say("biXPelsPerMeter =", infoHeader.biXPelsPerMeter);
    say("biYPelsPerMeter =", infoHeader.biYPelsPerMeter);

    if (headerShort) return fail(file, status, statusTruncated);
    if (bitCount != 8 && bitCount != 24) return fail(file, status, "File is not 8 or 24 bits per pixel");
    // Packed pixels read as raw ones would only give noise.
    if (infoHeader.biCompression != 0) return fail(file, status, statusCompressed);

    // Every size is checked before anything is allocated, in 64 bits so
    // that no product can wrap.
    const bool topDown = infoHeader.biHeight < 0;
    const long long rows = topDown ? -static_cast<long long>(infoHeader.biHeight) : infoHeader.biHeight;
    const long long columns = infoHeader.biWidth;
    if (columns <= 0 || rows <= 0 || columns > BITMAP_MAX_SIDE || rows > BITMAP_MAX_SIDE ||
        columns * rows > BITMAP_MAX_PIXELS)
        return fail(file, status, statusBadSize);
    height = static_cast<int>(rows);  // the decoded image is always bottom-up

    rowBytes = static_cast<int>(columns * bitCount / 8);
    paddedRowBytes = (rowBytes + 3) / 4 * 4;
    imageBytes = static_cast<unsigned int>(columns * rows * (bitCount / 8));
    const long long dataBytes = static_cast<long long>(paddedRowBytes) * rows;

    // The pixels follow the headers (and palette), unless bfOffBits names a
    // later start that the file can hold: a longer header or a gap.
    const long long afterHeaders = headersBytes + (bitCount == 8 ? paletteEntries * 4 : 0);
    if (std::fseek(file, 0, SEEK_END) != 0) return fail(file, status, statusTruncated);
    const long long fileBytes = std::ftell(file);
    long long pixelStart = afterHeaders;
    if (fileHeader.bfOffBits > afterHeaders && fileHeader.bfOffBits + dataBytes <= fileBytes)
        pixelStart = fileHeader.bfOffBits;
    if (fileBytes < 0 || pixelStart + dataBytes > fileBytes) return fail(file, status, statusTruncated);

    if (bitCount == 8) {
        palette = new (std::nothrow) BitmapPaletteEntry[paletteEntries];
        if (palette == nullptr) return fail(file, status, "Not enough memory to allocate a palette");
        if (std::fseek(file, headersBytes, SEEK_SET) != 0 ||
            std::fread(palette, sizeof(BitmapPaletteEntry), paletteEntries, file) !=
                static_cast<size_t>(paletteEntries)) {
            release();
            return fail(file, status, statusTruncated);
        }
    }

    unsigned char* temporary = new (std::nothrow) unsigned char[imageBytes];
    if (temporary == nullptr) {
        release();
        return fail(file, status, "Not enough memory to allocate a temporary buffer");
    }

    // Row by row, dropping each row's padding; a top-down file is turned
    // bottom-up on the way.
    bool complete = std::fseek(file, static_cast<long>(pixelStart), SEEK_SET) == 0;
    unsigned char padding[4];
    for (long long r = 0; complete && r < rows; r++) {
        long long target = topDown ? rows - 1 - r : r;
        complete = std::fread(temporary + target * rowBytes, 1, rowBytes, file) == static_cast<size_t>(rowBytes) &&
                   std::fread(padding, 1, paddedRowBytes - rowBytes, file) ==
                       static_cast<size_t>(paddedRowBytes - rowBytes);
    }
    std::fclose(file);
    if (!complete) {
        delete[] temporary;
        release();
        status = statusTruncated;
        return false;
    }

    loaded = bitCount == 8 ? convert8(temporary) : convert24(temporary);
    delete[] temporary;
    // A failed conversion keeps its own message.
    if (loaded) status = "Bitmap loaded";
    return loaded;
}

bool Bitmap::convert24(const unsigned char* source) {
    delete[] pixels;
    pixels = new (std::nothrow) unsigned char[static_cast<size_t>(width) * height * RGB_BYTE_SIZE];
    if (pixels == nullptr) {
        status = "Not enough memory to allocate an image buffer";
        return false;
    }
    for (size_t i = 0; i + 2 < imageBytes; i += 3) {
        pixels[i] = source[i + 2];
        pixels[i + 1] = source[i + 1];
        pixels[i + 2] = source[i];
    }
    return true;
}

bool Bitmap::convert8(const unsigned char* source) {
    delete[] pixels;
    pixels = new (std::nothrow) unsigned char[static_cast<size_t>(width) * height * RGB_BYTE_SIZE];
    if (pixels == nullptr) {
        status = "Not enough memory to allocate an image buffer";
        return false;
    }
    for (size_t p = 0; p < imageBytes; p++) {
        const BitmapPaletteEntry& entry = palette[source[p]];
        pixels[3 * p] = entry.red;
        pixels[3 * p + 1] = entry.green;
        pixels[3 * p + 2] = entry.blue;
    }
    return true;
}

static unsigned int texturesMadeSoFar = 0;

unsigned int texturesMade() {
    return texturesMadeSoFar;
}

// GLU fits the picture to power-of-two sides and builds its whole mipmap
// chain; with GL_NEAREST minification only the base level is ever sampled.
// The chain is built in a scratch texture and only its base level, read
// back as it is, becomes the texture: the same pixels, without the chain
// (and the copies of it the driver keeps) held for the whole game.
static bool uploadBaseLevel(const Bitmap& bitmap, GLuint* name) {
    GLuint scratch = 0;
    glGenTextures(1, &scratch);
    glBindTexture(GL_TEXTURE_2D, scratch);
    GLint built = gluBuild2DMipmaps(GL_TEXTURE_2D, 3, bitmap.width, bitmap.height, GL_RGB, GL_UNSIGNED_BYTE,
                                    bitmap.pixels);
    GLint width = 0, height = 0;
    unsigned char* base = nullptr;
    if (built == 0) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        if (width > 0 && height > 0)
            base = new (std::nothrow) unsigned char[static_cast<size_t>(width) * height * RGB_BYTE_SIZE];
        if (base != nullptr) glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, base);
    }
    glDeleteTextures(1, &scratch);
    if (base == nullptr) return false;

    glGenTextures(1, name);
    glBindTexture(GL_TEXTURE_2D, *name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, base);
    delete[] base;
    return true;
}

bool LoadBitmapA(const char* path, unsigned int* texture) {
    if (texture == nullptr) return false;
    Bitmap bitmap;
    if (!bitmap.loadBMP(path)) return false;

    // Decoded rows are tightly packed: with the default alignment of 4 a
    // width that is not a multiple of 4 would be read past its rows.
    GLint unpack = 4, pack = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pack);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    GLuint name = 0;
    const bool made = uploadBaseLevel(bitmap, &name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpack);
    glPixelStorei(GL_PACK_ALIGNMENT, pack);
    // The decoder's buffers, GLU's and the scratch chain are free now, but
    // freed blocks this large raise the allocator's threshold for mapping
    // memory of its own, so they stay in the heap: given back here.
    malloc_trim(0);
    if (!made) return false;
    *texture = name;
    texturesMadeSoFar++;
    return true;
}

void drawBitmap(float x1, float y1, float x2, float y2, unsigned int texture) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    setOrtho();
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(x1, y2, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(x2, y2, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(x2, y1, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(x1, y1, 0.0f);
    glEnd();
    unsetOrtho();
    glDisable(GL_TEXTURE_2D);
}
