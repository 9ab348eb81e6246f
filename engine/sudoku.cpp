// Puzzle model: construction, author, the player's entries, whole-grid
// operations and the one-level undo.
#include "sudoku.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

const short numberMask[9] = {1, 2, 4, 8, 16, 32, 64, 128, 256};
const short notNumberMask[9] = {-2, -3, -5, -9, -17, -33, -65, -129, -257};

static bool validCell(int row, int column) {
    return row >= 0 && row <= 8 && column >= 0 && column <= 8;
}

// A cell the player may not change: a given digit. A damaged value (outside
// -9..9) counts as empty, so the player can overwrite it.
static bool isGiven(short value) {
    return value >= 1 && value <= 9;
}

sudoku::sudoku() {
    // The game puzzle lives in static storage and starts zero-filled; other
    // instances (tools, tests) must not start with an undo copy of garbage.
    std::memset(savedAuthor, 0, sizeof savedAuthor);
    std::memset(savedPuzzle, 0, sizeof savedPuzzle);
    std::memset(rowPossible, 0, sizeof rowPossible);
    std::memset(colPossible, 0, sizeof colPossible);
    std::memset(boxPossible, 0, sizeof boxPossible);
    std::memset(cellNotPossible, 0, sizeof cellNotPossible);
    std::memset(author, 0, sizeof author);
    std::memset(puzzle, 0, sizeof puzzle);
    std::srand(static_cast<unsigned>(std::time(nullptr)));
}

sudoku::~sudoku() {}

int sudoku::setAuthor(const char* name) {
    if (author[0] != '\0') return -2;
    if (name == nullptr || name[0] == '\0') return -1;
    int n = 0;
    while (n < 44 && name[n] != '\0' && name[n] != '\n' && name[n] != '\r') {
        author[n] = name[n];
        n++;
    }
    author[n] = '\0';
    return 0;
}

void sudoku::returnAuthor(char* out) {
    for (int i = 0; i < 44; i++) {
        out[i] = author[i];
        if (author[i] == '\0') break;
    }
}

int sudoku::guess(int row, int column, int digit) {
    if (!validCell(row, column) || digit < 1 || digit > 9) return -1;
    if (isGiven(puzzle[row][column])) return -2;
    puzzle[row][column] = static_cast<short>(-digit);
    return 0;
}

int sudoku::unGuess(int row, int column) {
    if (!validCell(row, column)) return -1;
    if (isGiven(puzzle[row][column])) return -2;
    puzzle[row][column] = 0;
    return 0;
}

void sudoku::resetPuzzle() {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            if (puzzle[r][c] < 0) puzzle[r][c] = 0;
}

void sudoku::clearPuzzle() {
    std::memset(puzzle, 0, sizeof puzzle);
    author[0] = '\0';
}

void sudoku::returnPuzzle(short* out) {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) out[r * 9 + c] = puzzle[r][c];
}

void sudoku::savePuzzleForUndo() {
    std::memcpy(savedPuzzle, puzzle, sizeof puzzle);
    std::memcpy(savedAuthor, author, 44);
}

void sudoku::undoPuzzle() {
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            short t = puzzle[r][c];
            puzzle[r][c] = savedPuzzle[r][c];
            savedPuzzle[r][c] = t;
        }
    for (int i = 0; i < 44; i++) {
        char t = author[i];
        author[i] = savedAuthor[i];
        savedAuthor[i] = t;
    }
}
