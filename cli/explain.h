// velunda-cli explain: every step of the solve (rating mode, or full), each
// placement with its technique and the exclusions it needed, then the
// verdict.
#ifndef VELUNDA_CLI_EXPLAIN_H
#define VELUNDA_CLI_EXPLAIN_H

#include <string>

#include "engine/sudoku.h"

// A puzzle's whole explanation, ready to print: text, or one JSON object on
// one line. The player's entries are set aside, as rate and solve do. *good
// is false when the puzzle is invalid or the solver does not complete it.
// Touches no global state, so puzzles may be explained side by side.
std::string explainPuzzle(const std::string& where, const sudoku& puzzle, bool rateMode, bool json, bool* good);

// The ladder's explanation: every step with its technique, its pattern and
// its difficulty, then the level and the three numbers; in JSON each step's
// pattern as another program can check it.
std::string ladderExplainPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool* good);

// The command, argv after the command's name; the exit status.
int explainCommand(int argc, char** argv);

#endif
