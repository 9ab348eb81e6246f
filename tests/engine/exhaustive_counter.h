// The plain depth-first counter the engine used before it propagated: no
// deductions, only the open cell with the fewest candidates first. Slow on
// some grids, so it gives up after `budget` guesses (-1) rather than hang a test.
#ifndef VELUNDA_TESTS_ENGINE_EXHAUSTIVE_COUNTER_H
#define VELUNDA_TESTS_ENGINE_EXHAUSTIVE_COUNTER_H

#include <string>

struct exhaustiveCounter {
    unsigned short rows[9] = {}, cols[9] = {}, boxes[9] = {};
    short grid[81] = {};
    int count = 0;
    int limit = 0;
    long budget = 0;
    std::string firstSolution;

    static int box(int i) { return (i / 27) * 3 + (i % 9) / 3; }

    unsigned short candidates(int i) const {
        return static_cast<unsigned short>(~(rows[i / 9] | cols[i % 9] | boxes[box(i)]) & 0x1FF);
    }

    void set(int i, int d, bool on) {
        const unsigned short bit = static_cast<unsigned short>(1 << (d - 1));
        grid[i] = static_cast<short>(on ? d : 0);
        rows[i / 9] = static_cast<unsigned short>(on ? rows[i / 9] | bit : rows[i / 9] & ~bit);
        cols[i % 9] = static_cast<unsigned short>(on ? cols[i % 9] | bit : cols[i % 9] & ~bit);
        boxes[box(i)] = static_cast<unsigned short>(on ? boxes[box(i)] | bit : boxes[box(i)] & ~bit);
    }

    void run() {
        if (budget < 0) return;
        int best = -1, bestCount = 10;
        for (int i = 0; i < 81 && bestCount > 1; i++) {
            if (grid[i] != 0) continue;
            const int n = __builtin_popcount(candidates(i));
            if (n < bestCount) {
                best = i;
                bestCount = n;
            }
        }
        if (best < 0) {
            if (count == 0)
                for (short v : grid) firstSolution += static_cast<char>('0' + v);
            count++;
            return;
        }
        for (int d = 1; d <= 9 && count < limit && budget >= 0; d++)
            if (candidates(best) & (1 << (d - 1))) {
                budget--;
                set(best, d, true);
                run();
                set(best, d, false);
            }
    }
};

// Solutions of the givens (1..9) of cells[81], up to `limit`; -1 when the
// search needs more than `budget` guesses.
inline int exhaustiveCount(const short* cells, int limit, std::string* first = nullptr, long budget = 2000000) {
    exhaustiveCounter s;
    s.limit = limit;
    s.budget = budget;
    for (int i = 0; i < 81; i++) {
        const int v = cells[i];
        if (v < 1 || v > 9) continue;
        if (!(s.candidates(i) & (1 << (v - 1)))) return 0;
        s.set(i, v, true);
    }
    if (limit > 0) s.run();
    if (s.budget < 0) return -1;
    if (first != nullptr) *first = s.firstSolution;
    return s.count;
}

#endif
