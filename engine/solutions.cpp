#include "engine/solutions.h"

#include <cstdlib>

namespace {

struct search {
    unsigned short rows[9], cols[9], boxes[9];  // digits present, bit d-1
    short grid[81];
    int count = 0;
    int limit = 0;
    bool randomOrder = false;
    short* first = nullptr;

    static int box(int i) { return (i / 27) * 3 + (i % 9) / 3; }

    unsigned short candidates(int i) const {
        return static_cast<unsigned short>(~(rows[i / 9] | cols[i % 9] | boxes[box(i)]) & 0x1FF);
    }

    void set(int i, int d) {
        unsigned short bit = static_cast<unsigned short>(1 << (d - 1));
        grid[i] = static_cast<short>(d);
        rows[i / 9] |= bit;
        cols[i % 9] |= bit;
        boxes[box(i)] |= bit;
    }

    void unset(int i, int d) {
        unsigned short bit = static_cast<unsigned short>(~(1 << (d - 1)));
        grid[i] = 0;
        rows[i / 9] &= bit;
        cols[i % 9] &= bit;
        boxes[box(i)] &= bit;
    }

    // Depth-first, always on the open cell with the fewest candidates.
    void run() {
        int best = -1, bestCount = 10;
        for (int i = 0; i < 81 && bestCount > 1; i++) {
            if (grid[i] != 0) continue;
            int n = __builtin_popcount(candidates(i));
            if (n < bestCount) {
                best = i;
                bestCount = n;
            }
        }
        if (best < 0) {
            if (count == 0 && first != nullptr)
                for (int i = 0; i < 81; i++) first[i] = grid[i];
            count++;
            return;
        }
        if (bestCount == 0) return;
        int digits[9], n = 0;
        for (int d = 1; d <= 9; d++)
            if (candidates(best) & (1 << (d - 1))) digits[n++] = d;
        if (randomOrder)
            for (int k = n - 1; k > 0; k--) {
                int j = std::rand() % (k + 1);
                int t = digits[k];
                digits[k] = digits[j];
                digits[j] = t;
            }
        for (int k = 0; k < n && count < limit; k++) {
            set(best, digits[k]);
            run();
            unset(best, digits[k]);
        }
    }
};

}  // namespace

int countSolutions(const short* cells, int limit, short* first) {
    search s{};
    s.limit = limit;
    s.first = first;
    for (int i = 0; i < 81; i++) {
        int v = cells[i];
        if (v < 1 || v > 9) continue;
        if (!(s.candidates(i) & (1 << (v - 1)))) return 0;  // a repeated given
        s.set(i, v);
    }
    if (limit > 0) s.run();
    return s.count;
}

void randomSolution(short* cells) {
    search s{};
    s.limit = 1;
    s.randomOrder = true;
    s.first = cells;
    s.run();
}
