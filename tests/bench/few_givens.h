// Puzzles of few givens with no solution or several: where a search without
// deductions is slowest. The same list on every machine (std::mt19937 from a
// fixed seed, no library distributions, whose results vary).
#ifndef VELUNDA_TESTS_BENCH_FEW_GIVENS_H
#define VELUNDA_TESTS_BENCH_FEW_GIVENS_H

#include <random>
#include <string>
#include <vector>

#include "engine/solutions.h"

namespace fewGivens {

// Adds up to `n` givens, each on a random open cell with a random digit its
// row, column and box do not hold yet.
inline void addGivens(std::string& grid, int n, std::mt19937& rng) {
    for (int tries = 0; n > 0 && tries < 1000; tries++) {
        const int i = static_cast<int>(rng() % 81);
        if (grid[i] != '.') continue;
        const char d = static_cast<char>('1' + rng() % 9);
        bool clash = false;
        for (int k = 0; k < 9 && !clash; k++) {
            const int r = i / 9, c = i % 9;
            const int b = ((r / 3) * 3 + k / 3) * 9 + (c / 3) * 3 + k % 3;
            clash = grid[r * 9 + k] == d || grid[k * 9 + c] == d || grid[b] == d;
        }
        if (clash) continue;
        grid[i] = d;
        n--;
    }
}

// A digit with no place in a box, hidden behind four copies of it in the
// box's band and stack and one other digit on the last cell left.
inline std::string blockedBox(std::mt19937& rng) {
    std::string grid(81, '.');
    const int box = static_cast<int>(rng() % 9);
    const int band = box / 3, stack = box % 3;
    const char d = static_cast<char>('1' + rng() % 9);
    const int freeRow = static_cast<int>(rng() % 3), freeCol = static_cast<int>(rng() % 3);
    // The other two rows of the band take d in the two other boxes of the
    // band, one each; the same for the columns in the stack. Copies in
    // different boxes share no row, column or box: they never clash.
    int otherBoxes[2], n = 0;
    for (int k = 0; k < 3; k++)
        if (k != stack) otherBoxes[n++] = k;
    const int swapRows = static_cast<int>(rng() % 2), swapCols = static_cast<int>(rng() % 2);
    int j = 0;
    for (int r = 0; r < 3; r++) {
        if (r == freeRow) continue;
        const int col = otherBoxes[(j++ + swapRows) % 2] * 3 + static_cast<int>(rng() % 3);
        grid[(band * 3 + r) * 9 + col] = d;
    }
    n = 0;
    for (int k = 0; k < 3; k++)
        if (k != band) otherBoxes[n++] = k;
    j = 0;
    for (int c = 0; c < 3; c++) {
        if (c == freeCol) continue;
        const int row = otherBoxes[(j++ + swapCols) % 2] * 3 + static_cast<int>(rng() % 3);
        grid[row * 9 + stack * 3 + c] = d;
    }
    grid[(band * 3 + freeRow) * 9 + stack * 3 + freeCol] = static_cast<char>('1' + (d - '1' + 1 + rng() % 8) % 9);
    return grid;
}

inline void cellsOf(const std::string& grid, short* cells) {
    for (int i = 0; i < 81; i++) cells[i] = static_cast<short>(grid[i] == '.' ? 0 : grid[i] - '0');
}

inline int givens(const std::string& grid) {
    int n = 0;
    for (char ch : grid) n += ch != '.';
    return n;
}

// `count` puzzles as 81-character lines ('.' empty), in turn: several
// solutions (8 to 20 givens), no solution from random givens (17 to 26),
// and no solution behind a blocked box (9 to 14 givens).
inline std::vector<std::string> make(int count, unsigned seed = 16) {
    std::mt19937 rng(seed);
    std::vector<std::string> out;
    short cells[81];
    while (static_cast<int>(out.size()) < count) {
        const int kind = static_cast<int>(out.size() % 3);
        std::string grid;
        if (kind == 0) {
            grid.assign(81, '.');
            addGivens(grid, 8 + static_cast<int>(rng() % 13), rng);
        } else if (kind == 1) {
            grid.assign(81, '.');
            addGivens(grid, 17 + static_cast<int>(rng() % 10), rng);
        } else {
            grid = blockedBox(rng);
            addGivens(grid, 9 + static_cast<int>(rng() % 6) - givens(grid), rng);
        }
        cellsOf(grid, cells);
        const int n = countSolutions(cells, 2);
        if ((kind == 0 && n == 2) || (kind != 0 && n == 0)) out.push_back(grid);
    }
    return out;
}

}  // namespace fewGivens

#endif
