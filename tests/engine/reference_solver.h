// A plain, step-by-step solver on its own arrays, written to be read against
// the description of the techniques rather than to be fast. Tests compare
// the engine's bit-set solver with it: same digits in the same order, same
// result, same tables left behind.
#ifndef VELUNDA_TESTS_ENGINE_REFERENCE_SOLVER_H
#define VELUNDA_TESTS_ENGINE_REFERENCE_SOLVER_H

#include <string>
#include <vector>

struct referenceSolver {
    short puzzle[9][9] = {};
    short rowPossible[9][9] = {};
    short colPossible[9][9] = {};
    short boxPossible[9][9] = {};
    short cellNotPossible[9][9] = {};
    // Every placement: row * 9 + column, digit.
    std::vector<std::pair<int, int>> placements;

    void setCells(const short* cells81);
    std::string grid() const;  // as gridString in engine_test_util.h

    int isSolved() const;
    int solve(int rate);
    void markUps(short* marks, int level);

    void fillRC(int withEntries);
    void fillBox(int withEntries);
    void fillCellNotPossible(int level);
    void fillContingents();
    void fillSpotContingents(int box, short spots[3][3][9], short counts[9]);
    int fillDoublePairs();
    int singleNum(int level);
    int crossRef(int level);
    int box(int level);
    void place(int row, int col, int digit);

    bool open(int r, int c) const;
    bool base(int r, int c, int d) const;       // d 1..9
    bool candidate(int r, int c, int d) const;  // d 1..9
};

#endif
