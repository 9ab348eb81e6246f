// Game and state files as the game opens them (the puzzle, then the pencil
// marks), followed by everything that reads the grid afterwards, and a save
// that must load back to the same bytes.
#include <cstdlib>
#include <cstring>
#include <string>

#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "fuzz_util.h"

namespace {

// The bytes the game writes for this puzzle and the pencil marks: a game
// file when it has an author, else the quit state's empty author line.
std::string savedState(sudoku& game) {
    char* buffer = nullptr;
    size_t size = 0;
    FILE* file = open_memstream(&buffer, &size);
    fuzz::check(file != nullptr, "open_memstream");
    if (game.savePuzzle(file) == -2) {
        short cells[81];
        game.returnPuzzle(cells);
        std::fprintf(file, "\n");
        for (int r = 0; r < 9; r++) {
            for (int c = 0; c < 9; c++) std::fprintf(file, "%d ", cells[r * 9 + c]);
            std::fprintf(file, "\n");
        }
    }
    saveMarkUps(file);
    return fuzz::contents(file, buffer, size);
}

void load(sudoku& game, const uint8_t* data, size_t size) {
    std::string keep;
    FILE* file = fuzz::streamOf(data, size, keep);
    std::memset(retMarkUps, 0, sizeof retMarkUps);  // as the game starts
    fuzz::check(game.loadPuzzle(file) == 0, "loadPuzzle on an open stream returns 0");
    readMarkUps(file);
    std::fclose(file);
}

struct grid {
    short cells[81];
};

grid cellsOf(sudoku& game) {
    grid g;
    game.returnPuzzle(g.cells);
    return g;
}

bool sameGrid(const grid& a, const grid& b) {
    return std::memcmp(a.cells, b.cells, sizeof a.cells) == 0;
}

// Every given of `before` is still in `after`.
bool keepsGivens(const grid& before, const grid& after) {
    for (int i = 0; i < 81; i++)
        if (before.cells[i] >= 1 && before.cells[i] <= 9 && after.cells[i] != before.cells[i]) return false;
    return true;
}

bool givensOnly(const grid& g) {
    for (short v : g.cells)
        if (v < 1 || v > 9) return false;
    return true;
}

// A complete grid with no digit repeated in a row, column or box.
bool validSolution(const short* cells) {
    for (int unit = 0; unit < 9; unit++) {
        int rowSeen = 0, colSeen = 0, boxSeen = 0;
        for (int k = 0; k < 9; k++) {
            const short r = cells[unit * 9 + k];
            const short c = cells[k * 9 + unit];
            const short b = cells[(unit / 3 * 3 + k / 3) * 9 + unit % 3 * 3 + k % 3];
            if (r < 1 || r > 9 || c < 1 || c > 9 || b < 1 || b > 9) return false;
            rowSeen |= 1 << r;
            colSeen |= 1 << c;
            boxSeen |= 1 << b;
        }
        if (rowSeen != 0x3fe || colSeen != 0x3fe || boxSeen != 0x3fe) return false;
    }
    return true;
}

void checkSaveLoadsBack(sudoku& game) {
    short marks[81];
    std::memcpy(marks, retMarkUps, sizeof marks);
    const std::string first = savedState(game);
    sudoku again;
    load(again, reinterpret_cast<const uint8_t*>(first.data()), first.size());
    fuzz::check(sameGrid(cellsOf(again), cellsOf(game)), "a saved grid loads back the same");
    fuzz::check(std::memcmp(marks, retMarkUps, sizeof marks) == 0, "saved pencil marks load back the same");
    fuzz::check(savedState(again) == first, "a loaded save saves the same bytes");
}

void checkValidation(sudoku& game) {
    const grid before = cellsOf(game);
    short conflicts[81];
    const int invalid = game.invalidPuzzle(conflicts);
    fuzz::check(invalid == 0 || invalid == 1, "invalidPuzzle is 0 or 1");
    fuzz::check(game.invalidPuzzle(nullptr) == invalid, "invalidPuzzle with and without the conflict list agree");
    bool anyConflict = false;
    for (short c : conflicts) {
        fuzz::check(c == 0 || c == 1, "a conflict flag is 0 or 1");
        anyConflict = anyConflict || c == 1;
    }
    fuzz::check(anyConflict == (invalid == 1), "conflicts flagged exactly when the grid is invalid");
    const int solved = game.isSolvedPuzzle(conflicts);
    fuzz::check(solved >= -1 && solved <= 1, "isSolvedPuzzle is -1, 0 or 1");
    fuzz::check((solved == -1) == (invalid == 1), "isSolvedPuzzle is -1 exactly when the grid is invalid");
    fuzz::check(game.isSolvedPuzzle(nullptr) == solved, "isSolvedPuzzle with and without the conflict list agree");
    fuzz::check(sameGrid(cellsOf(game), before), "validation leaves the grid alone");
}

void checkMarkUps(sudoku& game) {
    const grid before = cellsOf(game);
    // The game asks for level 2; level 0 is the same without the refinement.
    for (int level : {2, 0}) {
        short marks[81];
        game.returnMarkUps(marks, level);
        for (int i = 0; i < 81; i++) {
            fuzz::check(marks[i] >= 0 && marks[i] <= 511, "automatic marks are digits 1 to 9");
            fuzz::check(marks[i] == 0 || before.cells[i] < 1 || before.cells[i] > 9, "no marks on a given");
        }
        fuzz::check(sameGrid(cellsOf(game), before), "automatic marks leave the grid alone");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    sudoku game;
    load(game, data, size);
    checkSaveLoadsBack(game);
    std::srand(1);  // the constructors seeded with the time: every run alike

    const grid loaded = cellsOf(game);
    checkValidation(game);
    checkMarkUps(game);

    sudoku rated = game;
    const int rating = rated.solvePuzzle(1);
    fuzz::check(rating >= -1 && rating <= 2, "the rating is -1 to 2");
    fuzz::check(rating == -1 || rated.isSolvedPuzzle(nullptr) == 1, "a rated puzzle ends solved");
    fuzz::check(keepsGivens(loaded, cellsOf(rated)), "rating keeps the givens");

    sudoku full = game;
    const int result = full.solvePuzzle(0);
    fuzz::check(result == -2 || result == -1, "the full solve returns -2 or -1");
    fuzz::check((result == -2) == (full.isSolvedPuzzle(nullptr) == 1), "-2 exactly when the grid ends solved");
    const grid solvedGrid = cellsOf(full);
    fuzz::check(keepsGivens(loaded, solvedGrid), "the full solve keeps the givens");

    // The exhaustive counter judges the logical solver: a grid the solver
    // completed from givens alone is a solution of them.
    short first[81];
    const int count = countSolutions(loaded.cells, 2, first);
    fuzz::check(count >= 0 && count <= 2, "the counter stops at its limit");
    if (count > 0) {
        fuzz::check(validSolution(first), "the counter's first solution is a solution");
        grid firstGrid;
        std::memcpy(firstGrid.cells, first, sizeof first);
        fuzz::check(keepsGivens(loaded, firstGrid), "the counter's first solution keeps the givens");
    }
    if (result == -2 && givensOnly(solvedGrid)) {
        fuzz::check(count > 0, "a grid the solver completes has a solution");
        if (count == 1)
            fuzz::check(std::memcmp(first, solvedGrid.cells, sizeof first) == 0,
                        "the solver completes the only solution");
    }

    // A new grid derived from this one: a solved grid stays solved.
    sudoku derived = game;
    derived.newSolution();
    if (result == -2 && givensOnly(solvedGrid))
        fuzz::check(derived.isSolvedPuzzle(nullptr) == 1, "newSolution of a solvable grid is solved");
    checkValidation(derived);
    return 0;
}
