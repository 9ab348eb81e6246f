#include "authoring.h"

const char kGeneratedAuthor[] = "Brannoch";

namespace {

const char* const kRatingNames[] = {"Very Easy", "Easy", "Medium"};

}  // namespace

const char* ratingName(int rating) {
    return rating >= 0 && rating <= 2 ? kRatingNames[rating] : "not completed";
}

int makeRatedPuzzle(sudoku* puzzle) {
    puzzle->newPuzzle(1);
    puzzle->savePuzzleForUndo();
    const int rating = puzzle->solvePuzzle(1);
    puzzle->undoPuzzle();
    return rating;
}

int countEntries(const short* cells) {
    int entries = 0;
    for (int i = 0; i < 81; i++)
        if (cells[i] <= -1 && cells[i] >= -9) entries++;
    return entries;
}

int setAsideEntries(sudoku* puzzle) {
    short cells[81];
    puzzle->returnPuzzle(cells);
    puzzle->resetPuzzle();
    return countEntries(cells);
}
