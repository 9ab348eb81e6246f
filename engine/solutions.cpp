#include "engine/solutions.h"

#include <cstdlib>

namespace {

// Which cells see which: the 27 units and each cell's 20 peers.
struct geometry {
    unsigned char units[27][9] = {};
    unsigned char peers[81][20] = {};
};

constexpr geometry makeGeometry() {
    geometry g;
    for (int u = 0; u < 9; u++)
        for (int k = 0; k < 9; k++) {
            g.units[u][k] = static_cast<unsigned char>(u * 9 + k);
            g.units[9 + u][k] = static_cast<unsigned char>(k * 9 + u);
            g.units[18 + u][k] = static_cast<unsigned char>(((u / 3) * 3 + k / 3) * 9 + (u % 3) * 3 + k % 3);
        }
    for (int i = 0; i < 81; i++) {
        int n = 0;
        for (int j = 0; j < 81; j++) {
            bool sameBox = (i / 27 == j / 27) && ((i % 9) / 3 == (j % 9) / 3);
            if (j != i && (i / 9 == j / 9 || i % 9 == j % 9 || sameBox))
                g.peers[i][n++] = static_cast<unsigned char>(j);
        }
    }
    return g;
}

constexpr geometry kGeometry = makeGeometry();

const unsigned kAllDigits = 0x1FF;

int lowestDigit(unsigned bits) {
    return __builtin_ctz(bits) + 1;
}

// A partly decided grid: the candidates of every cell as bit sets (bit d-1),
// a single bit once the cell is decided. Small enough to copy at each guess,
// which is cheaper than undoing the propagation.
struct board {
    unsigned short candidates[81];
    unsigned char value[81];  // the decided digit, 0 while open
    int open;
    // Cells down to one candidate, not yet decided.
    unsigned char pending[81];
    int pendingCount;

    // Decides cell i as digit d and takes d from its peers; false when that
    // leaves a peer without candidates.
    bool decide(int i, int d) {
        const unsigned bit = 1u << (d - 1);
        if (value[i] != 0) return value[i] == d;
        if (!(candidates[i] & bit)) return false;
        candidates[i] = static_cast<unsigned short>(bit);
        value[i] = static_cast<unsigned char>(d);
        open--;
        for (unsigned char p : kGeometry.peers[i]) {
            unsigned m = candidates[p];
            if (!(m & bit)) continue;
            m &= ~bit;
            if (m == 0) return false;
            candidates[p] = static_cast<unsigned short>(m);
            if ((m & (m - 1)) == 0) pending[pendingCount++] = p;
        }
        return true;
    }

    // Naked singles (a cell with one candidate left) and hidden singles (a
    // digit with one place left in a unit) until neither finds anything;
    // false on a contradiction, a cell or a unit's digit without a place.
    bool propagate() {
        for (;;) {
            while (pendingCount > 0) {
                const int p = pending[--pendingCount];
                if (value[p] != 0) continue;
                if (!decide(p, lowestDigit(candidates[p]))) return false;
            }
            if (open == 0) return true;
            bool found = false;
            for (const auto& unit : kGeometry.units) {
                unsigned once = 0, twice = 0, decided = 0;
                for (unsigned char c : unit) {
                    const unsigned m = candidates[c];
                    twice |= once & m;
                    once |= m;
                    if (value[c] != 0) decided |= m;
                }
                if (once != kAllDigits) return false;
                unsigned singles = once & ~twice & ~decided;
                while (singles != 0) {
                    const unsigned bit = singles & (0u - singles);
                    singles &= singles - 1;
                    for (unsigned char c : unit)
                        if (candidates[c] & bit) {
                            if (!decide(c, lowestDigit(bit))) return false;
                            break;
                        }
                    found = true;
                }
            }
            if (!found && pendingCount == 0) return true;
        }
    }
};

struct counter {
    int limit;
    int count = 0;
    short* first;

    // `b` is propagated. Guesses on the open cell with the fewest candidates.
    void run(const board& b) {
        if (b.open == 0) {
            if (count == 0 && first != nullptr)
                for (int i = 0; i < 81; i++) first[i] = b.value[i];
            count++;
            return;
        }
        int best = -1, fewest = 10;
        for (int i = 0; i < 81 && fewest > 2; i++) {
            if (b.value[i] != 0) continue;
            const int n = __builtin_popcount(b.candidates[i]);
            if (n < fewest) {
                best = i;
                fewest = n;
            }
        }
        unsigned digits = b.candidates[best];
        while (digits != 0 && count < limit) {
            const int d = lowestDigit(digits);
            digits &= digits - 1;
            board next = b;
            if (next.decide(best, d) && next.propagate()) run(next);
        }
    }
};

// The search behind randomSolution. It draws from rand() in its own order, so
// it stays apart from the counter: seeded games depend on every draw.
struct randomSearch {
    unsigned short rows[9], cols[9], boxes[9];  // digits present, bit d-1
    short grid[81];
    bool done = false;
    short* out = nullptr;

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

    // Depth-first, always on the open cell with the fewest candidates, the
    // candidates shuffled.
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
            for (int i = 0; i < 81; i++) out[i] = grid[i];
            done = true;
            return;
        }
        if (bestCount == 0) return;
        int digits[9], n = 0;
        for (int d = 1; d <= 9; d++)
            if (candidates(best) & (1 << (d - 1))) digits[n++] = d;
        for (int k = n - 1; k > 0; k--) {
            int j = std::rand() % (k + 1);
            int t = digits[k];
            digits[k] = digits[j];
            digits[j] = t;
        }
        for (int k = 0; k < n && !done; k++) {
            set(best, digits[k]);
            run();
            unset(best, digits[k]);
        }
    }
};

}  // namespace

int countSolutions(const short* cells, int limit, short* first) {
    if (limit <= 0) return 0;
    board b;
    unsigned short rows[9] = {}, cols[9] = {}, boxes[9] = {};
    for (int i = 0; i < 81; i++) {
        const int v = cells[i];
        b.value[i] = 0;
        if (v < 1 || v > 9) continue;
        const unsigned short bit = static_cast<unsigned short>(1 << (v - 1));
        const int box = (i / 27) * 3 + (i % 9) / 3;
        if ((rows[i / 9] | cols[i % 9] | boxes[box]) & bit) return 0;  // a repeated given
        rows[i / 9] |= bit;
        cols[i % 9] |= bit;
        boxes[box] |= bit;
    }
    // The givens as decided cells, the open cells with what their units allow.
    b.open = 0;
    b.pendingCount = 0;
    for (int i = 0; i < 81; i++) {
        const int v = cells[i];
        if (v >= 1 && v <= 9) {
            b.candidates[i] = static_cast<unsigned short>(1 << (v - 1));
            b.value[i] = static_cast<unsigned char>(v);
            continue;
        }
        const unsigned m = ~(rows[i / 9] | cols[i % 9] | boxes[(i / 27) * 3 + (i % 9) / 3]) & kAllDigits;
        if (m == 0) return 0;
        b.candidates[i] = static_cast<unsigned short>(m);
        b.open++;
        if ((m & (m - 1)) == 0) b.pending[b.pendingCount++] = static_cast<unsigned char>(i);
    }
    if (!b.propagate()) return 0;
    counter c{limit, 0, first};
    c.run(b);
    return c.count;
}

void randomSolution(short* cells) {
    randomSearch s{};
    s.out = cells;
    s.run();
}
