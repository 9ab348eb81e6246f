// The placing techniques, step by step on the object's tables: naked singles
// (two cell scans) and a digit's only cell in a box. solvePuzzle runs the
// same logic on bit sets (fastsolve.cpp); these are the public entry points
// and keep the documented effects on the tables.
#include "sudoku.h"

#include "solver_internal.h"

// The cell scan of both naked-single techniques: a cell whose candidate
// count (testing stops at `enough`) is exactly one gets its digit at once.
int sudoku::solve_cellScan(int level, int enough) {
    solve_fillCellNotPossible(level);
    const candidateView view = {puzzle, rowPossible, colPossible, boxPossible, cellNotPossible};
    int placed = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            if (!openCell(puzzle[r][c])) continue;
            int count = 0, first = 0;
            for (int d = 0; d < 9 && count < enough; d++)
                if (view.candidate(r, c, d)) {
                    if (count == 0) first = d + 1;
                    count++;
                }
            if (count == 1) {
                solve_place(r, c, first);
                placed++;
                solve_fillCellNotPossible(level);
            }
        }
    return placed;
}

// Stops testing a cell at its second candidate.
int sudoku::solve_singleNum(int level) {
    return solve_cellScan(level, 2);
}

// Counts all nine digits of each cell before deciding.
int sudoku::solve_crossRef(int level) {
    return solve_cellScan(level, 9);
}

int sudoku::solve_box(int level) {
    solve_fillCellNotPossible(level);
    const candidateView view = {puzzle, rowPossible, colPossible, boxPossible, cellNotPossible};
    int total = 0;
    int counter[9] = {0}, firstRow[9] = {0}, firstCol[9] = {0};
    for (int d = 0; d < 9; d++) {
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++) {
                if (!view.candidate(r, c, d)) continue;
                int b = (r / 3) * 3 + c / 3;
                if (++counter[b] == 1) {
                    firstRow[b] = r;
                    firstCol[b] = c;
                }
            }
        int placed = 0;
        for (int b = 0; b < 9; b++) {
            if (counter[b] == 1) {
                solve_place(firstRow[b], firstCol[b], d + 1);
                placed++;
            }
            counter[b] = 0;
        }
        if (placed > 0) {
            total += placed;
            solve_fillCellNotPossible(level);
        }
    }
    return total;
}
