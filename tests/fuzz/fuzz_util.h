// Shared by the fuzz targets: the fuzzed bytes as a stream, and a check
// that stops the run with a message when a property does not hold.
#ifndef VELUNDA_TESTS_FUZZ_FUZZ_UTIL_H
#define VELUNDA_TESTS_FUZZ_FUZZ_UTIL_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fuzz {

// A read stream over a copy of the bytes (the readers get exactly what a
// file of these bytes would give them). `keep` must outlive the stream.
inline FILE* streamOf(const uint8_t* data, size_t size, std::string& keep) {
    keep.assign(reinterpret_cast<const char*>(data), size);
    FILE* file = fmemopen(&keep[0], keep.size(), "r");
    if (file == nullptr) {
        // Older C libraries refuse an empty buffer: an empty file then.
        file = std::tmpfile();
        if (file != nullptr && !keep.empty()) {
            std::fwrite(keep.data(), 1, keep.size(), file);
            std::rewind(file);
        }
    }
    if (file == nullptr) {
        std::fprintf(stderr, "fuzz: no stream for the input\n");
        std::abort();
    }
    return file;
}

// A failed property is a finding like a crash: libFuzzer saves the input.
inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz: property failed: %s\n", what);
    std::abort();
}

// What a write stream collected, the stream closed.
inline std::string contents(FILE* file, char*& buffer, size_t& size) {
    std::fclose(file);
    std::string out(buffer, size);
    std::free(buffer);
    buffer = nullptr;
    return out;
}

}  // namespace fuzz

#endif
