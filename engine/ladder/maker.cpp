// Puzzles made to a level: a random complete grid, emptied in pairs of cells
// symmetric about the centre (as the game's are) for as long as the givens
// keep exactly one solution, then rated; one of another level is made again.
#include "engine/ladder/maker.h"

#include "engine/ladder/cellset.h"
#include "engine/ladder/counter.h"

namespace {

// splitmix64: a seed gives the same puzzles everywhere, whatever the C
// library's rand() does.
struct random64 {
    uint64_t state;
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return static_cast<int>(next() % static_cast<uint64_t>(n)); }
};

// Fills the grid from cell `at` on, trying digits in a random order.
bool fill(short* cells, unsigned* rows, unsigned* columns, unsigned* boxes, int at, random64* random) {
    if (at == 81) return true;
    const int r = at / 9, c = at % 9, b = (r / 3) * 3 + c / 3;
    int digits[9];
    for (int i = 0; i < 9; i++) digits[i] = i;
    for (int i = 8; i > 0; i--) {
        const int j = random->below(i + 1);
        const int t = digits[i];
        digits[i] = digits[j];
        digits[j] = t;
    }
    for (int d : digits) {
        const unsigned bit = 1u << d;
        if ((rows[r] | columns[c] | boxes[b]) & bit) continue;
        rows[r] |= bit;
        columns[c] |= bit;
        boxes[b] |= bit;
        cells[at] = static_cast<short>(d + 1);
        if (fill(cells, rows, columns, boxes, at + 1, random)) return true;
        rows[r] &= ~bit;
        columns[c] &= ~bit;
        boxes[b] &= ~bit;
    }
    cells[at] = 0;
    return false;
}

// The digits given in each unit of a puzzle being emptied, bit d-1.
struct givenDigits {
    unsigned held[27] = {0};

    void toggle(int cell, int digit) {
        const unsigned bit = 1u << (digit - 1);
        held[kRowUnit + rowOf(cell)] ^= bit;
        held[kColumnUnit + columnOf(cell)] ^= bit;
        held[kBoxUnit + boxOf(cell)] ^= bit;
    }
    // Gives the cell `digit`, or empties it for 0, and keeps count.
    void put(short* cells, int cell, short digit) {
        if (cells[cell]) toggle(cell, cells[cell]);
        cells[cell] = digit;
        if (digit) toggle(cell, digit);
    }
    unsigned seen(int cell) const {
        return held[kRowUnit + rowOf(cell)] | held[kColumnUnit + columnOf(cell)] | held[kBoxUnit + boxOf(cell)];
    }
    // Whether the givens alone force `digit` into the open cell: no other
    // digit is left to it, or no other open cell of one of its units can
    // hold it.
    bool forces(const short* cells, int cell, int digit) const {
        const unsigned bit = 1u << (digit - 1);
        if ((seen(cell) | bit) == 0x1FF) return true;
        for (int k = 0; k < 3; k++) {
            bool alone = true;
            for (int other : kGeometry.unitCell[kGeometry.cellUnit[cell][k]])
                if (other != cell && cells[other] == 0 && !(seen(other) & bit)) {
                    alone = false;
                    break;
                }
            if (alone) return true;
        }
        return false;
    }
};

// Whether cells i and j, just emptied where they held a and b, are forced
// back by singles on the givens: one, then the other with the first in
// place. Then every solution holds a and b there, and solves the fuller
// puzzle: its one solution is still the only one.
bool forcedBack(short* cells, givenDigits* given, int i, short a, int j, short b) {
    for (int turn = 0; turn < (i == j ? 1 : 2); turn++) {
        const int first = turn == 0 ? i : j, second = turn == 0 ? j : i;
        const short firstDigit = turn == 0 ? a : b, secondDigit = turn == 0 ? b : a;
        if (!given->forces(cells, first, firstDigit)) continue;
        if (first == second) return true;
        given->put(cells, first, firstDigit);
        const bool both = given->forces(cells, second, secondDigit);
        given->put(cells, first, 0);
        if (both) return true;
    }
    return false;
}

// One symmetric puzzle with exactly one solution from the random stream.
void makeOne(random64* random, short* cells) {
    unsigned rows[9] = {0}, columns[9] = {0}, boxes[9] = {0};
    fill(cells, rows, columns, boxes, 0, random);
    givenDigits given;
    for (int c = 0; c < 81; c++) given.toggle(c, cells[c]);
    int order[41];
    for (int i = 0; i < 41; i++) order[i] = i;
    for (int i = 40; i > 0; i--) {
        const int j = random->below(i + 1);
        const int t = order[i];
        order[i] = order[j];
        order[j] = t;
    }
    for (int i : order) {
        const short a = cells[i], b = cells[80 - i];
        given.put(cells, i, 0);
        given.put(cells, 80 - i, 0);
        // The fuller puzzle had one solution, so this one has one or more.
        if (!forcedBack(cells, &given, i, a, 80 - i, b) && ladderSolutions(cells) == 2) {
            given.put(cells, i, a);
            given.put(cells, 80 - i, b);
        }
    }
}

}  // namespace

void ladderRandomPuzzle(uint64_t seed, short* cells) {
    random64 random{seed};
    makeOne(&random, cells);
}

uint64_t ladderPuzzleSeed(uint64_t base, long index) {
    random64 r{(base << 32) ^ static_cast<uint64_t>(index)};
    return r.next();
}

bool ladderMakePuzzle(int level, uint64_t seed, long attempts, short* cells, ladderRating* rating, long* made) {
    random64 random{seed};
    for (long attempt = 1; attempt <= attempts; attempt++) {
        makeOne(&random, cells);
        // The ladder stops past the level asked: such a puzzle is not kept,
        // and need not be solved to the end.
        const ladderRating r = ladderRate(cells, nullptr, level >= levelBeyondLogic ? levelExtreme : level, level);
        if (made) *made = attempt;
        if (r.level == level && (r.status == ladderSolved || level == levelBeyondLogic)) {
            if (rating) *rating = r;
            return true;
        }
    }
    return false;
}
