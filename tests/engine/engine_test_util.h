// Helpers for engine tests: grids written as 81-character strings
// ('1'-'9' givens, 'a'-'i' entries -1..-9, '.' or '0' empty), and access to
// the puzzle's private tables.
#ifndef VELUNDA_TESTS_ENGINE_TEST_UTIL_H
#define VELUNDA_TESTS_ENGINE_TEST_UTIL_H

#include <cstdio>
#include <string>

#include "engine/sudoku.h"

struct sudokuTestAccess {
    static short (&grid(sudoku& s))[9][9] { return s.puzzle; }
    static short (&rowPossible(sudoku& s))[9][9] { return s.rowPossible; }
    static short (&colPossible(sudoku& s))[9][9] { return s.colPossible; }
    static short (&boxPossible(sudoku& s))[9][9] { return s.boxPossible; }
    static short (&cellNotPossible(sudoku& s))[9][9] { return s.cellNotPossible; }
    static char* author(sudoku& s) { return s.author; }
};

// The game's built-in puzzle: unique, and easy for the solver.
const std::string kBuiltIn =
    "........." "..783...." "..5..264." "..26...7." ".4.....8." ".6...32.." ".284..5.." "....961.." ".........";

inline void setGrid(sudoku& s, const std::string& cells) {
    for (int i = 0; i < 81; i++) {
        char ch = i < static_cast<int>(cells.size()) ? cells[i] : '.';
        short v = 0;
        if (ch >= '1' && ch <= '9') v = static_cast<short>(ch - '0');
        if (ch >= 'a' && ch <= 'i') v = static_cast<short>(-(ch - 'a' + 1));
        sudokuTestAccess::grid(s)[i / 9][i % 9] = v;
    }
}

inline std::string gridString(sudoku& s) {
    short cells[81];
    s.returnPuzzle(cells);
    std::string out;
    for (short v : cells) {
        if (v > 0 && v <= 9) out += static_cast<char>('0' + v);
        else if (v < 0 && v >= -9) out += static_cast<char>('a' - v - 1);
        else if (v == 0) out += '.';
        else out += '#';
    }
    return out;
}

// A stream holding `text`, positioned at its start; the caller closes it.
inline FILE* streamWith(const std::string& text) {
    FILE* f = std::tmpfile();
    std::fwrite(text.data(), 1, text.size(), f);
    std::rewind(f);
    return f;
}

// Everything written to the stream so far; closes it.
inline std::string drain(FILE* f) {
    std::string out;
    std::rewind(f);
    char buffer[512];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
    std::fclose(f);
    return out;
}

#endif
