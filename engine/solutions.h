// Exhaustive search over a grid's givens: how many solutions it has (with
// singles and box-line deductions between guesses, so any grid is answered
// in microseconds to a few milliseconds), and random complete grids.
// Independent of the logical solver, so it can judge it.
#ifndef VELUNDA_ENGINE_SOLUTIONS_H
#define VELUNDA_ENGINE_SOLUTIONS_H

// Counts the completions of the givens (values 1..9) of cells[81], row * 9 +
// column; every other value is an open cell. Stops counting at `limit`, so
// countSolutions(cells, 2) tells none, one or "2 or more". Givens that
// repeat a digit in a row, column or box have no solution. If `first` is
// not null it receives the first solution found (left alone when there is none).
int countSolutions(const short* cells, int limit, short* first = nullptr);

// Fills cells[81] with a complete valid grid, choosing among candidates with
// rand(), so a seeded generator gives the same grid again.
void randomSolution(short* cells);

#endif
