#include "puzzle_input.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

const size_t kMaxInput = 256u << 20;  // nobody's puzzle list is larger

void complain(const std::string& where, const std::string& what) {
    std::fprintf(stderr, "velunda-cli: %s: %s\n", where.c_str(), what.c_str());
}

// The whole content of a file, or of standard input for "-".
bool slurp(const std::string& path, std::string* text) {
    FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        complain(path, std::string("cannot open: ") + std::strerror(errno));
        return false;
    }
    char buffer[65536];
    size_t n;
    errno = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text->size() < kMaxInput)
        text->append(buffer, n);
    bool failed = std::ferror(file) != 0;
    int error = errno;
    if (file != stdin) std::fclose(file);
    if (failed) {
        complain(path == "-" ? "stdin" : path, std::string("cannot read: ") + std::strerror(error));
        return false;
    }
    if (text->size() >= kMaxInput) {
        complain(path == "-" ? "stdin" : path, "too large to be a puzzle file");
        return false;
    }
    return true;
}

std::string trimmed(const std::string& line) {
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == ' ' || line[end - 1] == '\t')) end--;
    return line.substr(0, end);
}

// A game file starts with an author of at most 44 characters; a longer
// first line without blanks is meant as a puzzle line, even a broken one.
bool looksLikePuzzleLine(const std::string& line) {
    return line.size() > 44 && line.find_first_of(" \t") == std::string::npos;
}

std::string printable(char c) {
    if (std::isprint(static_cast<unsigned char>(c))) return std::string("'") + c + "'";
    char code[8];
    std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned char>(c));
    return code;
}

inputStatus readLines(const std::string& name, const std::string& text, const puzzleHandler& handle) {
    inputStatus status = inputGood;
    size_t start = 0;
    for (int number = 1; start < text.size(); number++) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (line.empty() || line[0] == '#') continue;
        const std::string where = name + ":" + std::to_string(number);
        if (line.size() != 81) {
            complain(where, "expected 81 cells, found " + std::to_string(line.size()) + " characters");
            status = inputBadPuzzle;
            continue;
        }
        size_t bad = line.find_first_not_of(".0123456789");
        if (bad != std::string::npos) {
            complain(where, "column " + std::to_string(bad + 1) + ": " + printable(line[bad]) +
                                " is not a digit, '0' or '.'");
            status = inputBadPuzzle;
            continue;
        }
        sudoku puzzle;
        for (int i = 0; i < 81; i++)
            if (line[i] >= '1' && line[i] <= '9') puzzle.solve_place(i / 9, i % 9, line[i] - '0');
        handle(where, puzzle);
    }
    return status;
}

// Checks a game or state file strictly, so that what the game's lenient
// reader would quietly keep is reported with its line instead.
bool validGameText(const std::string& name, const std::string& text) {
    size_t pos = text.find('\n');
    if (pos == std::string::npos) {
        complain(name, "holds no grid (only an author line, or nothing)");
        return false;
    }
    if (trimmed(text.substr(0, pos)).size() > 44) {
        complain(name + ":1", "the author's name is longer than 44 characters");
        return false;
    }
    int line = 2, lastLine = 2, cells = 0;
    pos++;
    while (cells < 81) {
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) {
            if (text[pos] == '\n') line++;
            pos++;
        }
        const std::string where = name + ":" + std::to_string(line);
        if (pos >= text.size()) {
            complain(name + ":" + std::to_string(lastLine),
                     "the grid ends after " + std::to_string(cells) + " of 81 cells");
            return false;
        }
        lastLine = line;
        size_t end = pos;
        while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) end++;
        const std::string token = text.substr(pos, end - pos);
        char* stop = nullptr;
        long value = std::strtol(token.c_str(), &stop, 10);
        if (*stop != '\0' || token.size() > 3 || value < -9 || value > 9) {
            complain(where, "'" + token.substr(0, 20) + "' is not a cell value (-9 to 9)");
            return false;
        }
        cells++;
        pos = end;
    }
    return true;
}

}  // namespace

inputStatus readPuzzles(const std::string& path, const puzzleHandler& handle) {
    std::string text;
    if (!slurp(path, &text)) return inputUnreadable;
    const std::string name = path == "-" ? "stdin" : path;

    size_t firstEnd;
    size_t skip = 0;
    // Blank and comment lines may precede a list of puzzle lines.
    while (skip < text.size()) {
        firstEnd = text.find('\n', skip);
        if (firstEnd == std::string::npos) firstEnd = text.size();
        const std::string first = trimmed(text.substr(skip, firstEnd - skip));
        if (!first.empty() && first[0] != '#') {
            if (looksLikePuzzleLine(first) || path == "-") return readLines(name, text, handle);
            break;
        }
        skip = firstEnd + 1;
    }
    if (skip >= text.size()) {
        complain(name, "holds no puzzle");
        return inputBadPuzzle;
    }

    if (!validGameText(name, text)) return inputBadPuzzle;
    FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr) {
        complain(name, std::string("cannot read: ") + std::strerror(errno));
        return inputUnreadable;
    }
    sudoku puzzle;
    puzzle.loadPuzzle(stream);
    std::fclose(stream);
    handle(name, puzzle);
    return inputGood;
}
