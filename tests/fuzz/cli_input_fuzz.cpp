// velunda-cli's puzzle input: puzzle lines, game and state files, several
// in one file, read by the engine's strict reader. Every game file it takes
// must be what the game's own reader makes of the same bytes, and its
// messages are caught and judged too: they must never let a control byte
// through.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/output.h"
#include "cli/puzzle_input.h"
#include "cli/puzzle_line.h"
#include "engine/sudoku.h"
#include "fuzz_util.h"

namespace {

bool onlyShownBytes(const std::string& text) {
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c != '\n' && (c < 0x20 || c >= 0x7f)) return false;
    }
    return true;
}

const std::string* input = nullptr;
std::vector<size_t> lineStarts;
int delivered = 0;

// The game's loadPuzzle on the text from the puzzle's author line on.
void checkAgainstTheGame(const textPuzzle& puzzle) {
    std::string rest = input->substr(lineStarts[static_cast<size_t>(puzzle.line) - 1]);
    FILE* stream = fmemopen(&rest[0], rest.size(), "r");
    fuzz::check(stream != nullptr, "fmemopen");
    sudoku game;
    game.loadPuzzle(stream);
    std::fclose(stream);
    short cells[81];
    char author[45] = {};
    game.returnPuzzle(cells);
    game.returnAuthor(author);
    fuzz::check(std::memcmp(cells, puzzle.cells, sizeof cells) == 0, "the strict reader reads the grid as the game does");
    fuzz::check(puzzle.author == author, "the strict reader reads the author as the game does");
}

bool takePuzzle(const std::string& where, const textPuzzle& puzzle) {
    delivered++;
    fuzz::check(where.compare(0, 4, "fuzz") == 0, "a puzzle is named after its file");
    short givens[81];
    for (int i = 0; i < 81; i++) {
        fuzz::check(puzzle.cells[i] >= -9 && puzzle.cells[i] <= 9, "a delivered cell is -9 to 9");
        givens[i] = puzzle.cells[i] > 0 ? puzzle.cells[i] : 0;
    }
    if (puzzle.gameFile) checkAgainstTheGame(puzzle);
    // The line form of what was read reads back to the same givens.
    short back[81];
    std::string error;
    const std::string line = formatPuzzleLine(puzzle.cells, "comment");
    fuzz::check(parsePuzzleLine(line, back, &error), "a formatted puzzle line parses");
    fuzz::check(std::memcmp(back, givens, sizeof back) == 0, "a formatted puzzle line keeps the givens");
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    puzzleFile file;
    file.name = "fuzz";
    file.text.assign(reinterpret_cast<const char*>(data), size);
    input = &file.text;
    lineStarts.assign(1, 0);
    for (size_t at = 0; (at = file.text.find('\n', at)) != std::string::npos;) lineStarts.push_back(++at);

    const int expected = countPuzzles(file);
    fuzz::check(expected >= 0, "a count is not negative");

    std::string said;
    delivered = 0;
    const inputStatus status = readPuzzles(file, takePuzzle, [&](const std::string& line) { said += line; });

    fuzz::check(status == inputGood || status == inputBadPuzzle, "text in memory is always readable");
    fuzz::check(delivered == expected, "countPuzzles counts what readPuzzles hands over");
    fuzz::check((status == inputGood) == said.empty(), "a problem is reported exactly when the status says so");
    fuzz::check(onlyShownBytes(said), "messages show no control bytes");

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
