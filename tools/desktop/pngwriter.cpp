#include "pngwriter.h"

#include <cstdint>

namespace {

uint32_t crc32(const std::string& bytes, size_t from) {
    static uint32_t table[256];
    if (table[1] == 0)
        for (uint32_t n = 0; n < 256; n++) {
            uint32_t c = n;
            for (int k = 0; k < 8; k++) c = c & 1 ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    uint32_t c = 0xffffffffu;
    for (size_t i = from; i < bytes.size(); i++) c = table[(c ^ static_cast<unsigned char>(bytes[i])) & 0xff] ^ (c >> 8);
    return c ^ 0xffffffffu;
}

void put32(std::string& out, uint32_t v) {
    out += static_cast<char>(v >> 24);
    out += static_cast<char>(v >> 16);
    out += static_cast<char>(v >> 8);
    out += static_cast<char>(v);
}

void chunk(std::string& png, const char* type, const std::string& data) {
    put32(png, static_cast<uint32_t>(data.size()));
    const size_t typeAt = png.size();
    png += type;
    png += data;
    put32(png, crc32(png, typeAt));  // over the type and the data
}

// A zlib stream of stored blocks of at most 65535 bytes each.
std::string storedZlib(const std::string& raw) {
    std::string z = "\x78\x01";
    size_t at = 0;
    do {
        const size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z += static_cast<char>(at + n == raw.size() ? 1 : 0);  // last block?
        z += static_cast<char>(n & 0xff);
        z += static_cast<char>(n >> 8);
        z += static_cast<char>(~n & 0xff);
        z += static_cast<char>((~n >> 8) & 0xff);
        z.append(raw, at, n);
        at += n;
    } while (at < raw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(z, b << 16 | a);
    return z;
}

}  // namespace

std::string encodePNG(int width, int height, const std::vector<unsigned char>& rgba) {
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * height * 4) return std::string();
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    put32(header, static_cast<uint32_t>(width));
    put32(header, static_cast<uint32_t>(height));
    header += std::string("\x08\x06\x00\x00\x00", 5);  // 8 bits, RGBA, deflate, no filter, no interlace
    chunk(png, "IHDR", header);
    std::string raw;
    const size_t rowBytes = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; y++) {
        raw += '\0';  // no filter on this row
        raw.append(reinterpret_cast<const char*>(rgba.data()) + rowBytes * y, rowBytes);
    }
    chunk(png, "IDAT", storedZlib(raw));
    chunk(png, "IEND", std::string());
    return png;
}
