// Internal to the engine (and its tests): grid checks shared by validation
// and the solver, and the bit-set solver that solvePuzzle runs on.
#ifndef VELUNDA_ENGINE_SOLVER_INTERNAL_H
#define VELUNDA_ENGINE_SOLVER_INTERNAL_H

#include "sudoku.h"

// Open cell: anything but a given digit (a damaged value counts as empty).
inline bool openCell(int v) {
    return v < 1 || v > 9;
}

// The candidate tests on the object's tables; d is 0..8.
struct candidateView {
    const short (*puzzle)[9];
    const short (*rowPossible)[9];
    const short (*colPossible)[9];
    const short (*boxPossible)[9];
    const short (*cellNotPossible)[9];

    bool base(int r, int c, int d) const {
        return openCell(puzzle[r][c]) && rowPossible[r][d] == 1 && colPossible[c][d] == 1 &&
               boxPossible[(r / 3) * 3 + c / 3][d] == 1;
    }
    bool candidate(int r, int c, int d) const {
        return base(r, c, d) && (cellNotPossible[r][c] & (1 << d)) == 0;
    }
};

// invalidPuzzle and isSolvedPuzzle on any grid.
int gridConflicts(const short (*grid)[9], short* conflicts);
int gridSolvedState(const short (*grid)[9], short* conflicts);

// Appends an exclusion to a log (a full one keeps what it has).
inline void noteExclusion(solverLog* log, const solverExclusion& e) {
    if (log->exclusionCount >= 0 && log->exclusionCount < 729) log->exclusions[log->exclusionCount++] = e;
}

// The digits of `bits` (0..8) that `entry` does not hold yet.
inline unsigned freshDigits(short entry, short bits) {
    return static_cast<unsigned short>(bits) & ~static_cast<unsigned short>(entry) & 0x1FFu;
}

// The digits a solve placed, in order; a solve fills each open cell at most
// once, so 81 entries always suffice.
struct solveTrace {
    unsigned char cell[81];   // row * 9 + column
    unsigned char digit[81];  // 1..9
    signed char level[81];    // the technique's level
    unsigned char byBox[81];  // 1 for solve_box, 0 for the cell scans
    unsigned char basis[81];  // placements the candidates had seen
    int count;
};

// The tables a solve works on and leaves behind.
struct solverTables {
    short (*puzzle)[9];
    short (*rowPossible)[9];
    short (*colPossible)[9];
    short (*boxPossible)[9];
    short (*cellNotPossible)[9];
};

// solvePuzzle(rate) on bit sets: the same placements in the same order as
// the step-by-step techniques, the same result, and the four tables left as
// the step-by-step solve leaves them. trace may be null.
int fastSolve(const solverTables& tables, int rate, solveTrace* trace);

#endif
