#include "bmpwriter.h"

#include <cstdio>
#include <cstring>

#include "gfx/bitmap.h"

bool writeBMP24(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb) {
    if (width <= 0 || height <= 0 || width > BITMAP_MAX_SIDE || height > BITMAP_MAX_SIDE) return false;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t paddedRowBytes = (rowBytes + 3) / 4 * 4;
    if (rgb.size() != rowBytes * height) return false;

    BitmapFileHeader fileHeader;
    BitmapInfoHeader infoHeader;
    std::memset(&fileHeader, 0, sizeof fileHeader);
    std::memset(&infoHeader, 0, sizeof infoHeader);
    const uint32_t dataBytes = static_cast<uint32_t>(paddedRowBytes * height);
    fileHeader.bfType = BITMAP_MAGIC_NUMBER;
    fileHeader.bfOffBits = sizeof fileHeader + sizeof infoHeader;
    fileHeader.bfSize = fileHeader.bfOffBits + dataBytes;
    infoHeader.biSize = sizeof infoHeader;
    infoHeader.biWidth = width;
    infoHeader.biHeight = height;
    infoHeader.biPlanes = 1;
    infoHeader.biBitCount = 24;
    infoHeader.biSizeImage = dataBytes;
    infoHeader.biXPelsPerMeter = 2835;  // 72 dots per inch
    infoHeader.biYPelsPerMeter = 2835;

    const std::string part = path + ".part";
    std::FILE* file = std::fopen(part.c_str(), "wb");
    if (file == nullptr) return false;
    bool ok = std::fwrite(&fileHeader, sizeof fileHeader, 1, file) == 1 &&
              std::fwrite(&infoHeader, sizeof infoHeader, 1, file) == 1;
    std::vector<unsigned char> row(paddedRowBytes, 0);
    for (int y = height - 1; ok && y >= 0; y--) {
        const unsigned char* source = rgb.data() + rowBytes * y;
        for (int x = 0; x < width; x++) {
            row[3 * x] = source[3 * x + 2];  // blue, green, red in the file
            row[3 * x + 1] = source[3 * x + 1];
            row[3 * x + 2] = source[3 * x];
        }
        ok = std::fwrite(row.data(), 1, paddedRowBytes, file) == paddedRowBytes;
    }
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = std::rename(part.c_str(), path.c_str()) == 0;
    if (!ok) std::remove(part.c_str());
    return ok;
}
