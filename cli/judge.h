// velunda-cli rate, solve and check: each a verdict on one puzzle, one line
// (without its place), over every puzzle of the files.
#ifndef VELUNDA_CLI_JUDGE_H
#define VELUNDA_CLI_JUDGE_H

#include "engine/sudoku.h"
#include "puzzle_jobs.h"

// The game's rating of the givens.
verdict rate(sudoku& puzzle);
// The game's full-strength solver's grid from the givens.
verdict solve(sudoku& puzzle);
// The ladder's level of the givens, with `numbers` its three numbers and
// hardest technique.
verdict ladderRateVerdict(sudoku& puzzle, bool numbers);
// The ladder's grid from the givens.
verdict ladderSolveVerdict(sudoku& puzzle);
// Both cells of every clash (entries included), the empty cells, and the
// solutions of the givens.
verdict check(sudoku& puzzle);

// The commands, argv after the command's name; the exit status.
int rateCommand(int argc, char** argv);
int solveCommand(int argc, char** argv);
int checkCommand(int argc, char** argv);

#endif
