// The logical solver's driver and bookkeeping: the presence tables, placing
// and erasing digits, the refinement of the candidates, and the automatic
// mark-ups.
#include "sudoku.h"

#include <cstring>

#include "solver_internal.h"

static bool validCell(int row, int col) {
    return row >= 0 && row <= 8 && col >= 0 && col <= 8;
}

int sudoku::solvePuzzle(int rate) {
    // Rebuilds the tables from the grid itself, entries ignored, then runs
    // the techniques on bit sets; see fastsolve.cpp.
    solverTables tables = {puzzle, rowPossible, colPossible, boxPossible, cellNotPossible};
    if (solveLog == nullptr) return fastSolve(tables, rate, nullptr);
    solveTrace trace;
    const int result = fastSolve(tables, rate, &trace);
    solveLog->placementCount = trace.count;
    for (int i = 0; i < trace.count; i++)
        solveLog->placements[i] = {trace.cell[i], trace.digit[i], trace.level[i], trace.byBox[i], trace.basis[i]};
    return result;
}

int sudoku::solve_place(int row, int col, int digit) {
    if (!validCell(row, col) || digit < 1 || digit > 9) return -1;
    puzzle[row][col] = static_cast<short>(digit);
    rowPossible[row][digit - 1] = 0;
    colPossible[col][digit - 1] = 0;
    boxPossible[(row / 3) * 3 + col / 3][digit - 1] = 0;
    return 0;
}

int sudoku::solve_unPlace(int row, int col) {
    if (!validCell(row, col)) return -1;
    int v = puzzle[row][col];
    puzzle[row][col] = 0;
    // Only a given digit has table entries to give back; an empty cell, an
    // entry or a damaged value is just cleared.
    if (v < 1 || v > 9) return 0;
    rowPossible[row][v - 1] = 1;
    colPossible[col][v - 1] = 1;
    boxPossible[(row / 3) * 3 + col / 3][v - 1] = 1;
    return v;
}

void sudoku::solve_fillRCPossible(int withEntries) {
    for (int i = 0; i < 9; i++)
        for (int d = 1; d <= 9; d++) {
            bool inRow = false, inCol = false;
            for (int k = 0; k < 9; k++) {
                int rv = puzzle[i][k], cv = puzzle[k][i];
                if (rv == d || (withEntries && rv == -d)) inRow = true;
                if (cv == d || (withEntries && cv == -d)) inCol = true;
            }
            rowPossible[i][d - 1] = inRow ? 0 : 1;
            colPossible[i][d - 1] = inCol ? 0 : 1;
        }
}

void sudoku::solve_fillBoxPossible(int withEntries) {
    for (int b = 0; b < 9; b++)
        for (int d = 0; d < 9; d++) boxPossible[b][d] = 1;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            int v = puzzle[r][c];
            int b = (r / 3) * 3 + c / 3;
            if (v >= 1 && v <= 9) boxPossible[b][v - 1] = 0;
            else if (withEntries && v <= -1 && v >= -9) boxPossible[b][-v - 1] = 0;
        }
}

void sudoku::solve_clearCellNotPossible() {
    std::memset(cellNotPossible, 0, sizeof cellNotPossible);
}

void sudoku::solve_fillCellNotPossible(int level) {
    solve_clearCellNotPossible();
    if (!refinesAt(level)) return;
    solve_fillContingents(0);
    while (solve_fillDoublePairs(0) != 0) {
    }
}

void sudoku::returnMarkUps(short* marks, int level) {
    solve_fillRCPossible(1);
    solve_fillBoxPossible(1);
    solve_fillCellNotPossible(level);
    for (int i = 0; i < 81; i++) marks[i] = 0;
    for (int d = 0; d < 9; d++)
        for (int r = 0; r < 9; r++) {
            if (rowPossible[r][d] == 0) continue;
            for (int c = 0; c < 9; c++) {
                int v = puzzle[r][c];
                if (v >= 1 && v <= 9) continue;
                int b = (r / 3) * 3 + c / 3;
                if (colPossible[c][d] == 1 && boxPossible[b][d] == 1 &&
                    (cellNotPossible[r][c] & numberMask[d]) == 0)
                    marks[r * 9 + c] = static_cast<short>(marks[r * 9 + c] ^ numberMask[d]);
            }
        }
    solve_fillRCPossible(0);
    solve_fillBoxPossible(0);
}
