// Puzzle (.sdk) and state (.sta) files, the mark-up block and the settings
// file. Files are text; LF and CR LF are both accepted.
#include "sudoku.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "numbers_internal.h"

short retMarkUps[81];

// The game reads its numbers from the stream as "%d" would.
static bool readNumber(FILE* file, long* out) {
    streamSource in{file};
    return readInt(in, out);
}

static short toShort(long value) {
    if (value > SHRT_MAX) return SHRT_MAX;
    if (value < SHRT_MIN) return SHRT_MIN;
    return static_cast<short>(value);
}

int sudoku::loadPuzzle(FILE* file) {
    if (file == nullptr) return -1;
    if (std::fgets(author, sizeof author, file) != nullptr) {
        size_t len = std::strlen(author);
        bool lineEnded = false;
        for (size_t i = 0; i < len; i++)
            if (author[i] == '\r' || author[i] == '\n') {
                author[i] = '\0';
                lineEnded = true;
                break;
            }
        if (!lineEnded && len == sizeof author - 1) {
            // The line did not fit. Its rest stands where the first number is
            // expected, so no cell is read -- even when that rest happens to
            // begin with digits, which would otherwise shift the whole grid.
            int next = std::getc(file);
            if (next != EOF) std::ungetc(next, file);
            if (next != EOF && next != '\n' && next != '\r') return 0;
        }
    }
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            long value;
            if (!readNumber(file, &value)) return 0;
            puzzle[r][c] = toShort(value);
        }
    return 0;
}

int sudoku::savePuzzle(FILE* file) {
    if (file == nullptr) return -1;
    if (author[0] == '\0') return -2;
    std::fprintf(file, "%s\n", author);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) std::fprintf(file, "%d ", puzzle[r][c]);
        std::fprintf(file, "\n");
    }
    return 0;
}

void saveMarkUps(FILE* file) {
    if (file == nullptr) return;
    for (int r = 0; r < 9; r++) {
        std::fprintf(file, "\n");
        for (int c = 0; c < 9; c++) std::fprintf(file, "%d ", retMarkUps[r * 9 + c]);
    }
}

void readMarkUps(FILE* file) {
    for (int i = 0; i < 81; i++) {
        long value;
        if (file == nullptr || !readNumber(file, &value)) {
            std::memset(retMarkUps, 0, sizeof retMarkUps);
            return;
        }
        retMarkUps[i] = toShort(value);
    }
}

// Matches the literal part of "Skin Mode: %d": a space in the pattern takes
// any run of white space, including none, as scanf does.
static bool matchLiteral(FILE* file, const char* literal) {
    for (const char* p = literal; *p != '\0'; p++) {
        int ch = std::getc(file);
        if (*p == ' ') {
            while (ch != EOF && std::isspace(ch)) ch = std::getc(file);
            if (ch != EOF) std::ungetc(ch, file);
            continue;
        }
        if (ch != static_cast<unsigned char>(*p)) return false;
    }
    return true;
}

int readSkinMode(FILE* file, int* skin) {
    long value;
    if (file == nullptr || !matchLiteral(file, "Skin Mode: ") || !readNumber(file, &value)) return -1;
    // Any number but 0 names the second skin; keeping it as 1 spares the skin
    // switch from stepping a huge or negative value.
    *skin = value != 0 ? 1 : 0;
    return 0;
}

void saveSkinMode(FILE* file, int skin) {
    if (file != nullptr) std::fprintf(file, "Skin Mode: %d", skin);
}
