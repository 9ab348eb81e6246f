// velunda-cli hint: for a game in progress, its wrong entries, else the
// next step of the solve.
#ifndef VELUNDA_CLI_HINT_H
#define VELUNDA_CLI_HINT_H

#include <string>

#include "engine/sudoku.h"

// The hint for a game in progress: wrong entries first, else the next step
// (the ladder's easiest, or with `ladder` false the game's solver's next
// placement) with its explanation, else the most constrained cell. *good is
// false for an invalid grid (givens that repeat a digit).
std::string hintPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool ladder, bool* good);

// The command, argv after the command's name; the exit status.
int hintCommand(int argc, char** argv);

#endif
