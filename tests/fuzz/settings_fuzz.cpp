// The settings file "Velunda.inf" as the game reads it at start-up.
#include <string>

#include "engine/sudoku.h"
#include "fuzz_util.h"

namespace {

int readBack(int skin, int* read) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&buffer, &size);
    fuzz::check(file != nullptr, "open_memstream");
    saveSkinMode(file, skin);
    const std::string saved = fuzz::contents(file, buffer, size);
    std::string keep;
    file = fuzz::streamOf(reinterpret_cast<const uint8_t*>(saved.data()), saved.size(), keep);
    const int result = readSkinMode(file, read);
    std::fclose(file);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string keep;
    FILE* file = fuzz::streamOf(data, size, keep);
    const int untouched = 7;  // no skin has this number
    int skin = untouched;
    const int result = readSkinMode(file, &skin);
    std::fclose(file);
    fuzz::check(result == 0 || result == -1, "readSkinMode returns 0 or -1");
    if (result == -1) {
        fuzz::check(skin == untouched, "an unreadable file leaves the skin alone");
        return 0;
    }
    fuzz::check(skin == 0 || skin == 1, "the skin read is 0 or 1");
    int again = untouched;
    fuzz::check(readBack(skin, &again) == 0 && again == skin, "the skin saved reads back the same");
    return 0;
}
