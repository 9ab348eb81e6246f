// Validation: repeated digits in rows, columns and boxes, and the solved test.
#include "sudoku.h"

#include <cstring>

#include "solver_internal.h"

int gridConflicts(const short (*grid)[9], short* conflicts) {
    unsigned char rowCount[9][9], colCount[9][9], boxCount[9][9];
    std::memset(rowCount, 0, sizeof rowCount);
    std::memset(colCount, 0, sizeof colCount);
    std::memset(boxCount, 0, sizeof boxCount);
    int result = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            if (conflicts != nullptr) conflicts[r * 9 + c] = 0;
            int v = grid[r][c];
            // A damaged value is no digit: it neither conflicts nor indexes.
            if (!isCellDigit(v)) continue;
            int d = (v < 0 ? -v : v) - 1;
            int b = (r / 3) * 3 + c / 3;
            bool repeated = ++rowCount[r][d] > 1;
            repeated = ++colCount[c][d] > 1 || repeated;
            repeated = ++boxCount[b][d] > 1 || repeated;
            if (repeated) {
                if (conflicts == nullptr) return 1;
                result = 1;
                conflicts[r * 9 + c] = 1;
            }
        }
    return result;
}

int gridSolvedState(const short (*grid)[9], short* conflicts) {
    if (gridConflicts(grid, conflicts)) return -1;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            if (!isCellDigit(grid[r][c])) return 0;  // empty, or damaged: not filled
    return 1;
}

int sudoku::invalidPuzzle(short* conflicts) {
    return gridConflicts(puzzle, conflicts);
}

int sudoku::isSolvedPuzzle(short* conflicts) {
    return gridSolvedState(puzzle, conflicts);
}
