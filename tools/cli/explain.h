// velunda-cli explain and hint: the solver's reasoning, step by step, from
// the log the engine keeps only when asked (sudoku::setSolverLog).
#ifndef VELUNDA_CLI_EXPLAIN_H
#define VELUNDA_CLI_EXPLAIN_H

#include <string>

#include "engine/sudoku.h"

// A puzzle's whole explanation, ready to print: text, or one JSON object on
// one line. The player's entries are set aside, as rate and solve do. *good
// is false when the puzzle is invalid or the solver does not complete it.
// Touches no global state, so puzzles may be explained side by side.
std::string explainPuzzle(const std::string& where, const sudoku& puzzle, bool rateMode, bool json, bool* good);

// The hint for a game in progress: wrong entries first, else the next
// placement with its explanation, else the most constrained cell. *good is
// false for an invalid grid (givens that repeat a digit).
std::string hintPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool* good);

// The commands, argv after the command's name; the exit status.
int explainCommand(int argc, char** argv);
int hintCommand(int argc, char** argv);

#endif
