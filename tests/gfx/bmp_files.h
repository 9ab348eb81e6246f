// BMP files assembled byte by byte for the loader's tests, independent of
// the project's own writer.
#ifndef VELUNDA_TESTS_GFX_BMP_FILES_H
#define VELUNDA_TESTS_GFX_BMP_FILES_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace bmp {

// What a test file's headers say.
struct Header {
    int32_t width = 2, height = 2;
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    int64_t offBits = -1;  // -1: right after the headers (and palette)
    std::string magic = "BM";
};

inline void put(std::string& out, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; i++) out += static_cast<char>((value >> (8 * i)) & 0xff);
}

// The headers, and for 8 bits a palette whose entry k is (red k, green
// 255 - k, blue k / 2).
inline std::string headers(const Header& s) {
    std::string out = s.magic;
    const uint32_t palette = s.bits == 8 ? 1024 : 0;
    put(out, 0, 4);  // bfSize: never looked at
    put(out, 0, 4);
    put(out, s.offBits < 0 ? 54 + palette : static_cast<uint64_t>(s.offBits), 4);
    put(out, 40, 4);
    put(out, static_cast<uint32_t>(s.width), 4);
    put(out, static_cast<uint32_t>(s.height), 4);
    put(out, 1, 2);
    put(out, s.bits, 2);
    put(out, s.compression, 4);
    put(out, 0, 4);
    put(out, 2835, 4);
    put(out, 2835, 4);
    put(out, s.clrUsed, 4);
    put(out, 0, 4);
    for (uint32_t k = 0; k < palette / 4; k++) {
        out += static_cast<char>(k / 2);  // blue
        out += static_cast<char>(255 - k);
        out += static_cast<char>(k);
        out += '\0';
    }
    return out;
}

// Pixel rows as stored (each padded to 4 bytes), row 0 first in the file;
// `value(x, row, channel)` gives each byte (channel 0 blue, 1 green, 2 red).
template <class Value>
std::string rows(const Header& s, Value value) {
    std::string out;
    const int per = s.bits / 8;
    const int n = s.height < 0 ? -s.height : s.height;
    for (int row = 0; row < n; row++) {
        int bytes = 0;
        for (int x = 0; x < s.width; x++)
            for (int c = 0; c < per; c++, bytes++) out += static_cast<char>(value(x, row, c));
        for (; bytes % 4 != 0; bytes++) out += '\x77';  // padding the loader must skip
    }
    return out;
}

// A private folder for one test's files.
struct Folder {
    Folder() {
        char pattern[] = "/tmp/velunda-bmp-XXXXXX";
        dir = mkdtemp(pattern);
    }
    ~Folder() { std::system(("rm -rf '" + dir + "'").c_str()); }
    std::string write(const std::string& name, const std::string& bytes) const {
        std::string path = dir + "/" + name;
        if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }
    std::string dir;
};

}  // namespace bmp

#endif
