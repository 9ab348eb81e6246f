// The puzzle engine: one 9x9 puzzle with its author, a one-level undo copy,
// the player's pencil-mark grid and the puzzle/state file formats.
// Depends on nothing but the C++ standard library.
#ifndef VELUNDA_ENGINE_SUDOKU_H
#define VELUNDA_ENGINE_SUDOKU_H

#include <cstdio>

// Bit of digit d at index d-1, and its 16-bit complement.
extern const short numberMask[9];
extern const short notNumberMask[9];

// The player's pencil marks, row * 9 + column, bit d-1 for digit d. Owned by
// the user interface but stored and read by the file functions below.
extern short retMarkUps[81];

// Mark-up block of a state file: writes "\n" before each row and "%d " per value.
void saveMarkUps(FILE* file);
// Reads 81 values into retMarkUps; the first value that cannot be read
// clears all 81 (a damaged block loses every mark, not only the missing ones).
void readMarkUps(FILE* file);

// Settings file "Velunda.inf": the single text "Skin Mode: %d".
// readSkinMode returns 0 and sets *skin (0, or 1 for any other number) when
// the text matches, else -1 and leaves *skin alone.
int readSkinMode(FILE* file, int* skin);
void saveSkinMode(FILE* file, int skin);

// True for the cell values the engine can interpret: 1..9 (given) and
// -1..-9 (entry). Values from a damaged file outside -9..9 count as empty
// wherever a cell is judged, and never index a table.
inline bool isCellDigit(int value) {
    return (value >= 1 && value <= 9) || (value <= -1 && value >= -9);
}

// What the solver did, kept for explaining it (velunda-cli explain and hint).
// Recorded only into a log set with setSolverLog; without one (the game,
// rate, solve) nothing is recorded and nothing else changes.
enum solverExclusionKind {
    excludedPointingRow,     // the digit's cells in `box` lie on one row (`line1`)
    excludedPointingColumn,  // ... on one column (`line1`)
    excludedHiddenPair,      // `digits` share exactly the two `cells` of `box`
    excludedHiddenTriple,    // ... the three `cells`
    excludedDoublePairBand,  // the digit's candidates in `box` and `box2` lie in rows `line1`, `line2`
    excludedDoublePairStack  // ... in columns `line1`, `line2`
};

// One digit taken from one cell by the refinement: the first reason only
// (a bit already set is not recorded again).
struct solverExclusion {
    unsigned char cell;   // row * 9 + column
    unsigned char digit;  // 1..9
    unsigned char kind;   // solverExclusionKind
    unsigned char box, box2;
    unsigned char line1, line2;  // rows or columns 0..8
    unsigned short cells;        // the pattern's cells in `box`, bit i * 3 + j
    unsigned short cells2;       // the same in `box2` (double pairs)
    unsigned short digits;       // bit d-1: the hidden set, or the digit itself
};

// One placement of solvePuzzle, in order.
struct solverPlacement {
    unsigned char cell;   // row * 9 + column
    unsigned char digit;  // 1..9
    signed char level;    // the technique's level: 0, 1, 2, or -1 in full mode
    unsigned char byBox;  // 0: the cell's only candidate; 1: the digit's only cell in its box
    unsigned char basis;  // how many earlier placements the candidates it was found on had seen
};

// True when the solver's level (as in solverPlacement) asks for the
// refinement (box contingents, double pairs).
inline bool refinesAt(int level) {
    return level == -1 || level > 1;
}

struct solverLog {
    solverPlacement placements[81];
    int placementCount;
    solverExclusion exclusions[729];  // every cell and digit at most once
    int exclusionCount;
};

class sudoku {
public:
    sudoku();
    ~sudoku();

    // Author (at most 44 characters; empty = none set).
    int setAuthor(const char* name);
    void returnAuthor(char* out);

    // The player's entries, stored negated.
    int guess(int row, int column, int digit);
    int unGuess(int row, int column);

    void resetPuzzle();
    void clearPuzzle();
    void returnPuzzle(short* out);

    // One level of undo; undo exchanges, so a second undo redoes.
    void savePuzzleForUndo();
    void undoPuzzle();

    // Puzzle files; the caller opens and closes the stream.
    int loadPuzzle(FILE* file);
    int savePuzzle(FILE* file);

    // Validation: 1 if a digit repeats in a row, column or box (only the
    // later occurrences are flagged in conflicts, which may be null).
    int invalidPuzzle(short* conflicts);
    // -1 conflicting, 0 incomplete, 1 full and free of conflicts.
    int isSolvedPuzzle(short* conflicts);

    // New puzzles from a solved grid of "./games" or the built-in one.
    int makeSolution();
    void newSolution();
    void newPuzzle(int symmetric);

    // The logical solver. rate == 1: rating mode, returns the stage 0..2 that
    // finished the puzzle or -1; otherwise full mode, -2 solved, -1 not.
    int solvePuzzle(int rate);
    // Candidate sets of every cell, the player's entries counted as placed.
    void returnMarkUps(short* marks, int level);
    int solve_place(int row, int col, int digit);
    int solve_unPlace(int row, int col);
    void solve_fillRCPossible(int withEntries);
    void solve_fillBoxPossible(int withEntries);
    void solve_clearCellNotPossible();
    void solve_fillCellNotPossible(int level);

    // Placing techniques; each returns the number of digits placed.
    int solve_singleNum(int level);
    int solve_crossRef(int level);
    int solve_box(int level);

    // Refinements: they only add exclusions to cellNotPossible.
    void solve_fillContingents(int);
    void solve_fillSpotContingents(int box, short (*spots)[3][9], short* counts);
    int solve_fillDoublePairs(int);

    // solvePuzzle fills log's placements (from the start), the refinement
    // appends its exclusions; null (the default) records nothing. The log
    // belongs to the caller.
    void setSolverLog(solverLog* log) { solveLog = log; }

private:
    // Lets unit tests look at the solver's working tables.
    friend struct sudokuTestAccess;

    int solve_cellScan(int level, int enough);
    void noteLines(int box, short (*spots)[3][9], const short* rowSets, const short* colSets);

    char author[45];
    char savedAuthor[45];
    short puzzle[9][9];
    short savedPuzzle[9][9];
    short rowPossible[9][9];
    short colPossible[9][9];
    short boxPossible[9][9];
    short cellNotPossible[9][9];
    solverLog* solveLog = nullptr;
};

#endif
