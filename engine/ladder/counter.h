// The ladder's own solution counter. The ladder asks only whether givens
// have none, one, or two or more solutions, and for the solution when there
// is one, when a rating needs it; this answers that in well under half the
// game's counter's time. The game keeps its own counter as it is.
#ifndef VELUNDA_ENGINE_LADDER_COUNTER_H
#define VELUNDA_ENGINE_LADDER_COUNTER_H

// The solutions of the givens of cells[81] (values 1..9, row * 9 + column;
// any other value is an open cell): 0, 1, or 2 for two or more, the same
// answer as countSolutions(cells, 2). Givens that repeat a digit in a row,
// column or box have none. `solution`, if not null, receives the solution
// when there is exactly one and is left alone otherwise. `guesses`, if not
// null, receives how many guesses the search made: its work, which tests
// bound where a careless search would wander.
int ladderSolutions(const short* cells, short* solution = nullptr, long* guesses = nullptr);

// The same count from a grid in play: each cell's candidates (bit d-1) and
// its decided digit (1..9, or 0 open; a decided cell's candidates are not
// read). Candidates a sound deduction took away keep every solution, so a
// grid partly solved that way counts as its givens do, with less search.
int ladderSolutionsOf(const unsigned short* candidates, const unsigned char* values);

// The same from the ladder's grid, whose open cells never hold a digit
// decided among their peers: its digits' cells are taken as they are.
struct ladderGrid;
int ladderSolutionsOf(const ladderGrid& grid);

#endif
