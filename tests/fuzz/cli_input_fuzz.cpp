// velunda-cli's puzzle input: puzzle lines, game and state files, several
// in one file. Its messages are caught and judged too: they must never let a
// control byte through, and never report the tool's own inconsistency.
#include <cstdio>
#include <cstring>
#include <string>

#include "engine/sudoku.h"
#include "fuzz_util.h"
#include "tools/cli/puzzle_input.h"
#include "tools/cli/puzzle_line.h"

namespace {

bool onlyShownBytes(const std::string& text) {
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c != '\n' && (c < 0x20 || c >= 0x7f)) return false;
    }
    return true;
}

int delivered = 0;

bool takePuzzle(const std::string& where, sudoku& puzzle) {
    delivered++;
    fuzz::check(where.compare(0, 4, "fuzz") == 0, "a puzzle is named after its file");
    short cells[81];
    puzzle.returnPuzzle(cells);
    short givens[81];
    for (int i = 0; i < 81; i++) {
        fuzz::check(cells[i] >= -9 && cells[i] <= 9, "a delivered cell is -9 to 9");
        givens[i] = cells[i] > 0 ? cells[i] : 0;
    }
    // The line form of what was read reads back to the same givens.
    short back[81];
    std::string error;
    const std::string line = formatPuzzleLine(cells, "comment");
    fuzz::check(parsePuzzleLine(line, back, &error), "a formatted puzzle line parses");
    fuzz::check(std::memcmp(back, givens, sizeof back) == 0, "a formatted puzzle line keeps the givens");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    puzzleFile file;
    file.name = "fuzz";
    file.text.assign(reinterpret_cast<const char*>(data), size);

    const int expected = countPuzzles(file);
    fuzz::check(expected >= 0, "a count is not negative");

    // The reader's complaints go to stderr; they are collected instead
    // (glibc lets the stream be replaced) and restored before any check.
    char* buffer = nullptr;
    size_t length = 0;
    FILE* messages = open_memstream(&buffer, &length);
    fuzz::check(messages != nullptr, "open_memstream");
    FILE* const realStderr = stderr;
    stderr = messages;
    delivered = 0;
    const inputStatus status = readPuzzles(file, takePuzzle);
    stderr = realStderr;
    const std::string said = fuzz::contents(messages, buffer, length);

    fuzz::check(status == inputGood || status == inputBadPuzzle, "text in memory is always readable");
    fuzz::check(delivered == expected, "countPuzzles counts what readPuzzles hands over");
    fuzz::check((status == inputGood) == said.empty(), "a problem is reported exactly when the status says so");
    fuzz::check(onlyShownBytes(said), "messages show no control bytes");
    fuzz::check(said.find("a fault of velunda-cli") == std::string::npos,
                "velunda-cli reads a game file as the game does");

    // Single lines through the line parser directly, and the quoting of any bytes.
    short cells[81];
    std::string error;
    if (!parsePuzzleLine(file.text, cells, &error)) fuzz::check(!error.empty(), "a refused line says why");
    const std::string quoted = quotedBytes(file.text);
    fuzz::check(onlyShownBytes(quoted) && quoted.find('\n') == std::string::npos, "quoted bytes are printable");
    const std::string shown = shownName(file.text);
    for (char ch : shown) fuzz::check(static_cast<unsigned char>(ch) >= 0x20 && ch != 0x7f, "a shown name has no control bytes");
    return 0;
}
