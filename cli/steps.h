// The solver's steps explained, as explain and hint show them: each
// placement with its technique and the exclusions of the refinement it
// needed, in text and in JSON.
#ifndef VELUNDA_CLI_STEPS_H
#define VELUNDA_CLI_STEPS_H

#include <string>
#include <utility>
#include <vector>

#include "engine/sudoku.h"

// One pattern of the refinement with what it took away that mattered.
struct exclusionGroup {
    solverExclusion pattern;
    std::vector<std::pair<int, int>> removed;  // cell, digit
};

struct explainedStep {
    int cell, digit, level, byBox;
    int seen;  // the earlier placements its candidates had seen
    std::vector<exclusionGroup> because;
};

// The solve of the givens in start[81] with its log, its first `limit`
// placements explained. *result is what solvePuzzle returned (rateMode: in
// rating mode); final receives the grid it left.
std::vector<explainedStep> explainedSolve(const short* start, bool rateMode, int* result, short* final, int limit);

// A solver object holding `grid`'s digits as givens. Copied from one made
// once: the constructor reseeds the random generator, which a run of many
// puzzles (perhaps side by side) has no business doing.
sudoku fromGrid(const short* grid);

// "1. r1c4 8, the only candidate left in the cell (stage 0)"; number 0:
// unnumbered (a hint's one step); rateMode adds the stage.
std::string stepText(const explainedStep& s, int number, bool rateMode);
// The step's line after `lead` ("  ", "  next: "), then a line for each
// pattern of the refinement it needed.
std::string stepLines(const explainedStep& s, int number, bool rateMode, const std::string& lead);
// The step as a JSON object.
std::string stepJson(const explainedStep& s, int number, bool rateMode);

// The digits of bit set `digits` (bit d-1), `separator` between them and
// `last` before the last: "1, 2 and 3" in words, "1 2 3" or "1,2,3" as lists.
std::string digitList(unsigned short digits, const char* separator, const char* last);
int bitCount(unsigned m);
bool isGiven(int v);
std::string jsonString(const std::string& text);

// The message and the command's usage line on stderr; returns 2.
int commandUsage(const std::string& message, const char* usage);

#endif
