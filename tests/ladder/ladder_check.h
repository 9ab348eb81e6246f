// velunda-ladder-check: replays the logical solver's explanations (one JSON
// object a puzzle, a line each) on a candidate grid of its own and checks
// every step against rules of its own and a solution it counts itself. It
// shares no code with the solver, so a fault of the solver is not repeated
// here.
#ifndef VELUNDA_TESTS_LADDER_LADDER_CHECK_H
#define VELUNDA_TESTS_LADDER_LADDER_CHECK_H

#include <bitset>
#include <cstdio>
#include <string>
#include <vector>

#include "ladder_json.h"

namespace ladder {

using cellSet = std::bitset<81>;

// Cells 0-80 row by row; units 0-8 the rows, 9-17 the columns, 18-26 the boxes.
int rowOf(int cell);
int columnOf(int cell);
int boxOf(int cell);
const cellSet& unitCells(int unit);
const cellSet& peersOf(int cell);
bool sees(int a, int b);  // two different cells sharing a unit
std::string cellName(int cell);
std::string unitName(int unit);
bool parseCell(const std::string& text, int* cell);  // "r4c5"
bool parseUnit(const std::string& text, int* unit);  // "row 3", "column 5", "box 7"

// The grid as the replay leaves it: open cells (value 0) hold candidates,
// bit d for digit d; a filled cell holds none.
struct board {
    int value[81] = {};
    unsigned cand[81] = {};

    bool open(int cell) const { return value[cell] == 0; }
    bool has(int cell, int digit) const { return value[cell] == 0 && (cand[cell] >> digit & 1u) != 0; }
    // The open cells of the unit holding the digit as a candidate.
    cellSet places(int unit, int digit) const;
    bool placedIn(int unit, int digit) const;
    void remove(int cell, int digit);
    // Fills the cell and takes the digit from its row, column and box.
    void place(int cell, int digit);
};

// 81 characters, '1'-'9' a given and '.' an open cell; open cells get their
// base candidates. False for anything else.
bool parseGivens(const std::string& text, board* out);

// Solutions of the givens up to `limit`, the first in solution[] (values
// 1-9); -1 when the search ran past its budget.
int countSolutions(const board& givens, int limit, int solution[81]);

struct checkTotals {
    long puzzles = 0, steps = 0, failed = 0;
    bool badInput = false;  // unreadable input or bad JSON
};

// Checks one puzzle's object; each failure adds one line to *lines and one
// to totals->failed. `fallbackWhere` names the object when it has no "where".
void checkPuzzle(const json& object, const std::string& fallbackWhere, checkTotals* totals,
                 std::vector<std::string>* lines);

// One line of input: blank, or one puzzle's object. Bad JSON adds a line
// to *complaints and sets totals->badInput.
void checkLine(const std::string& line, const std::string& where, checkTotals* totals,
               std::vector<std::string>* lines, std::vector<std::string>* complaints);

// The program: the named files one after another (none, or "-": standard
// input), failures and the summary to `out`, complaints to `err`; returns
// the exit status (0 all passed, 1 a failure, 2 unreadable input or bad JSON).
int runChecker(const std::vector<std::string>& files, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace ladder

#endif
