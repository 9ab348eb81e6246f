// What the game, velunda-cli and the samples tool share beyond the engine's
// own class: the names of the ratings, a rated random puzzle, and the givens
// of a state file.
#ifndef VELUNDA_ENGINE_AUTHORING_H
#define VELUNDA_ENGINE_AUTHORING_H

#include "sudoku.h"

// The author of every generated puzzle.
extern const char kGeneratedAuthor[];

// The name of a rating solvePuzzle(1) returned: "Very Easy", "Easy",
// "Medium", or "not completed" for any other value.
const char* ratingName(int rating);

// A new random puzzle as the File menu's "Random Game" makes it, rated in
// rating mode; the puzzle stays unsolved and the undo copy holds the solver's
// grid, so undo shows the solution. Returns solvePuzzle(1)'s result.
int makeRatedPuzzle(sudoku* puzzle);

// The player's entries among cells[81] (stored negated, -1..-9).
int countEntries(const short* cells);

// Sets the player's entries aside, leaving the givens of a game in
// progress; returns how many there were.
int setAsideEntries(sudoku* puzzle);

#endif
