// The BMP decoder on fuzzed bytes: the whole of Bitmap::loadBMP, which reads
// from a path. The bytes go to an in-memory file, named through /proc, so
// every run reads a real file without touching the disk.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "gfx/bitmap.h"

namespace {

int memoryFile = -1;
char memoryPath[64];

// The loader reports each header field on standard output; a few million
// runs of that would only cost time.
ssize_t discard(void*, const char*, size_t size) {
    return static_cast<ssize_t>(size);
}

struct outcome {
    bool loaded;
    std::string status;
    int width, height;
    std::vector<unsigned char> pixels;
};

outcome decode(Bitmap& bitmap) {
    outcome o;
    o.loaded = bitmap.loadBMP(memoryPath);
    o.status = bitmap.status;
    o.width = bitmap.width;
    o.height = bitmap.height;
    fuzz::check(o.loaded == bitmap.loaded, "loadBMP's result is the loaded flag");
    fuzz::check(!o.status.empty(), "every load tells its status");
    if (!o.loaded) {
        fuzz::check(bitmap.pixels == nullptr, "a failed load keeps no pixels");
        return o;
    }
    fuzz::check(o.status == "Bitmap loaded", "a decoded file says so");
    fuzz::check(bitmap.bitCount == 8 || bitmap.bitCount == 24, "only 8 and 24 bits decode");
    fuzz::check(o.width >= 1 && o.width <= BITMAP_MAX_SIDE && o.height >= 1 && o.height <= BITMAP_MAX_SIDE &&
                    static_cast<long>(o.width) * o.height <= BITMAP_MAX_PIXELS,
                "the decoded size is within the limits");
    fuzz::check(bitmap.pixels != nullptr, "a decoded file has pixels");
    // Every pixel byte is read: the sanitizer sees a buffer shorter than the size.
    const size_t bytes = static_cast<size_t>(o.width) * o.height * RGB_BYTE_SIZE;
    o.pixels.assign(bitmap.pixels, bitmap.pixels + bytes);
    return o;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    memoryFile = memfd_create("bitmap-fuzz", 0);
    fuzz::check(memoryFile >= 0, "memfd_create");
    std::snprintf(memoryPath, sizeof memoryPath, "/proc/self/fd/%d", memoryFile);
    cookie_io_functions_t sink = {nullptr, discard, nullptr, nullptr};
    FILE* quiet = fopencookie(nullptr, "w", sink);
    if (quiet != nullptr) stdout = quiet;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::check(ftruncate(memoryFile, 0) == 0, "ftruncate");
    fuzz::check(pwrite(memoryFile, data, size, 0) == static_cast<ssize_t>(size), "pwrite");

    Bitmap bitmap;
    const outcome first = decode(bitmap);
    // The same object again: nothing of the first load may leak into the second.
    const outcome second = decode(bitmap);
    fuzz::check(first.loaded == second.loaded && first.status == second.status, "a second load ends the same");
    if (first.loaded)
        fuzz::check(first.width == second.width && first.height == second.height && first.pixels == second.pixels,
                    "a second load decodes the same pixels");
    return 0;
}
