#include "puzzle_line.h"

#include "engine/gamefiles.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isCell(char c) {
    return c == '.' || (c >= '0' && c <= '9');
}

}  // namespace

std::string formatPuzzleLine(const short* cells, const std::string& comment) {
    std::string line;
    line.reserve(kPuzzleLineCells + 1 + comment.size());
    for (int i = 0; i < kPuzzleLineCells; i++)
        line += cells[i] >= 1 && cells[i] <= 9 ? static_cast<char>('0' + cells[i]) : '.';
    if (!comment.empty()) line += " " + comment;
    return line;
}

bool parsePuzzleLine(const std::string& line, short* cells, std::string* error) {
    int n = 0;
    while (n < kPuzzleLineCells && n < static_cast<int>(line.size()) && isCell(line[n])) n++;
    std::string problem;
    if (n < kPuzzleLineCells) {
        if (n == static_cast<int>(line.size()) || isBlank(line[n]))
            problem = "expected 81 cells, found " + std::to_string(n);
        else
            problem = "column " + std::to_string(n + 1) + ": " + quotedBytes(line.substr(n, 1)) +
                      " is not a digit, '0' or '.'";
    } else if (line.size() > static_cast<size_t>(n) && !isBlank(line[n])) {
        problem = "column 82: " + quotedBytes(line.substr(n, 1)) + " follows the 81 cells without a blank";
    }
    if (!problem.empty()) {
        if (error != nullptr) *error = problem;
        return false;
    }
    if (cells != nullptr)
        for (int i = 0; i < kPuzzleLineCells; i++) cells[i] = line[i] == '.' ? 0 : static_cast<short>(line[i] - '0');
    return true;
}
