// New puzzles: a solved grid from a random file of "./games" (or the
// built-in puzzle), disguised by validity-preserving exchanges, then emptied
// cell by cell (in centre-symmetric pairs) while the solver still finishes it.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "authoring.h"
#include "sudoku.h"

namespace {

const short kBuiltInGrid[9][9] = {
    {0, 0, 0, 0, 0, 0, 0, 0, 0}, {0, 0, 7, 8, 3, 0, 0, 0, 0}, {0, 0, 5, 0, 0, 2, 6, 4, 0},
    {0, 0, 2, 6, 0, 0, 0, 7, 0}, {0, 4, 0, 0, 0, 0, 0, 8, 0}, {0, 6, 0, 0, 0, 3, 2, 0, 0},
    {0, 2, 8, 4, 0, 0, 5, 0, 0}, {0, 0, 0, 0, 9, 6, 1, 0, 0}, {0, 0, 0, 0, 0, 0, 0, 0, 0},
};

const char kGamesFolder[] = "./games";

// Picks from the games folder before falling back to the built-in grid: a
// folder whose files all fail must not keep the player waiting.
const int kMaxPicks = 50;

// Room for "./games/" and any file name the system allows.
const int kPathSize = sizeof kGamesFolder + 256;

bool selfOrParent(const char* name) {
    return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0;
}

// The names in the folder, self and parent left out, in byte order: the file
// system's own order differs between file systems, and a seed must give the
// same puzzles on any of them.
std::vector<std::string> sortedNames(DIR* dir) {
    std::vector<std::string> names;
    while (dirent* entry = readdir(dir))
        if (!selfOrParent(entry->d_name)) names.emplace_back(entry->d_name);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

int sudoku::makeSolution() {
    if (DIR* dir = opendir(kGamesFolder)) {
        const std::vector<std::string> names = sortedNames(dir);
        closedir(dir);
        const int n = static_cast<int>(names.size());
        // Nothing to pick in an empty folder; any entry that cannot be read
        // as a file (or has gone since the listing) leads to the built-in grid.
        for (int pick = 0; n > 0 && pick < kMaxPicks; pick++) {
            const std::string& name = names[std::rand() % n];
            char path[kPathSize];
            int length = std::snprintf(path, sizeof path, "%s/%s", kGamesFolder, name.c_str());
            if (length < 0 || length >= kPathSize) break;
            // Only a regular file: a subfolder holds no puzzle, and opening
            // a pipe could wait forever.
            struct stat info;
            if (stat(path, &info) != 0 || !S_ISREG(info.st_mode)) break;
            FILE* file = std::fopen(path, "r");
            if (file == nullptr) break;
            // Each pick starts from an empty grid, so a file with no numbers
            // is not judged on what the last one left. The player's entries
            // (a saved game, "quit.sta") and damaged values count as empty:
            // the generated puzzle must be made of givens alone.
            std::memset(puzzle, 0, sizeof puzzle);
            loadPuzzle(file);
            std::fclose(file);
            for (auto& row : puzzle)
                for (short& cell : row)
                    if (cell < 1 || cell > 9) cell = 0;
            solvePuzzle(0);
            if (isSolvedPuzzle(nullptr) == 1) return 1;
        }
    }
    std::memcpy(puzzle, kBuiltInGrid, sizeof puzzle);
    return solvePuzzle(0);
}

void sudoku::newSolution() {
    solvePuzzle(0);
    auto swapRows = [this](int a, int b) {
        for (int c = 0; c < 9; c++) {
            short t = puzzle[a][c];
            puzzle[a][c] = puzzle[b][c];
            puzzle[b][c] = t;
        }
    };
    auto swapCols = [this](int a, int b) {
        for (int r = 0; r < 9; r++) {
            short t = puzzle[r][a];
            puzzle[r][a] = puzzle[r][b];
            puzzle[r][b] = t;
        }
    };
    for (int b = 0; b < 9; b += 3)
        for (int n = 0; n < 3; n++) swapRows(b, b + 1 + std::rand() % 2);
    for (int s = 0; s < 9; s += 3)
        for (int n = 0; n < 3; n++) swapCols(s, s + 1 + std::rand() % 2);
    for (int n = 0; n < 3; n++) {
        int k = std::rand() % 2;
        for (int i = 0; i < 3; i++) swapCols(i, 3 * (1 + k) + i);
    }
    for (int n = 0; n < 3; n++) {
        int k = std::rand() % 2;
        for (int i = 0; i < 3; i++) swapRows(i, 3 * (1 + k) + i);
    }
    for (int n = 0; n < 4; n++) {
        int a = std::rand() % 9;
        int b = std::rand() % 9;
        while (b == a) b = std::rand() % 9;
        for (auto& row : puzzle)
            for (short& cell : row) {
                if (cell == a + 1) cell = static_cast<short>(b + 1);
                else if (cell == b + 1) cell = static_cast<short>(a + 1);
            }
    }
}

void sudoku::newPuzzle(int symmetric) {
    makeSolution();
    newSolution();
    int failures = 0;
    while (failures < 100) {
        // The pick below needs a filled cell; the solver never finishes a
        // grid without givens, so this only guards against a broken one.
        bool anyFilled = false;
        for (auto& row : puzzle)
            for (short cell : row) anyFilled = anyFilled || cell != 0;
        if (!anyFilled) break;
        int r, c;
        do {
            r = std::rand() % 9;
            c = std::rand() % 9;
        } while (puzzle[r][c] == 0);
        savePuzzleForUndo();
        puzzle[r][c] = 0;
        if (symmetric) puzzle[8 - r][8 - c] = 0;
        solvePuzzle(0);
        // Only a completed, conflict-free grid keeps the removal: a grid
        // with a repeated digit is no proof that the puzzle can be finished.
        if (isSolvedPuzzle(nullptr) != 1) {
            failures++;
            undoPuzzle();
        } else {
            failures = 0;
            undoPuzzle();
            puzzle[r][c] = 0;
            if (symmetric) puzzle[8 - r][8 - c] = 0;
        }
    }
    std::strcpy(author, kGeneratedAuthor);
}
