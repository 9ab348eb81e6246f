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

private:
    // Lets unit tests look at the solver's working tables.
    friend struct sudokuTestAccess;

    char author[45];
    char savedAuthor[45];
    short puzzle[9][9];
    short savedPuzzle[9][9];
    short rowPossible[9][9];
    short colPossible[9][9];
    short boxPossible[9][9];
    short cellNotPossible[9][9];
};

#endif
