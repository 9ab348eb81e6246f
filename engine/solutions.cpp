#include "engine/solutions.h"

#include <cstdlib>

namespace {

// Which cells see which: the 27 units (rows, columns, boxes), each cell's
// 20 peers and its three units, and the number of digits in each bit set.
struct geometry {
    unsigned char units[27][9] = {};
    unsigned char peers[81][20] = {};
    unsigned char unitOf[81][3] = {};
    unsigned unitsOf[81] = {};  // bit u for unit u
    unsigned char digitCount[512] = {};
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
        const int box = (i / 27) * 3 + (i % 9) / 3;
        g.unitOf[i][0] = static_cast<unsigned char>(i / 9);
        g.unitOf[i][1] = static_cast<unsigned char>(9 + i % 9);
        g.unitOf[i][2] = static_cast<unsigned char>(18 + box);
        g.unitsOf[i] = (1u << (i / 9)) | (1u << (9 + i % 9)) | (1u << (18 + box));
    }
    for (int m = 1; m < 512; m++) g.digitCount[m] = static_cast<unsigned char>(g.digitCount[m / 2] + m % 2);
    return g;
}

constexpr geometry kGeometry = makeGeometry();

const unsigned kAllDigits = 0x1FF;
const unsigned kAllUnits = (1u << 27) - 1;

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
    unsigned short solved[27];  // the decided digits of each unit
    unsigned changed;           // units whose candidates changed since their last scan

    // Decides cell i as digit d and takes d from its peers; false when that
    // leaves a peer without candidates.
    bool decide(int i, int d) {
        const unsigned bit = 1u << (d - 1);
        if (value[i] != 0) return value[i] == d;
        if (!(candidates[i] & bit)) return false;
        candidates[i] = static_cast<unsigned short>(bit);
        value[i] = static_cast<unsigned char>(d);
        open--;
        for (unsigned char u : kGeometry.unitOf[i]) solved[u] = static_cast<unsigned short>(solved[u] | bit);
        changed |= kGeometry.unitsOf[i];
        for (unsigned char p : kGeometry.peers[i]) {
            unsigned m = candidates[p];
            if (!(m & bit)) continue;
            m &= ~bit;
            if (m == 0) return false;
            candidates[p] = static_cast<unsigned short>(m);
            changed |= kGeometry.unitsOf[p];
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
            if (changed != 0) {
                // One unit at a time, the naked singles it leads to first.
                const int u = __builtin_ctz(changed);
                changed &= changed - 1;
                const auto& unit = kGeometry.units[u];
                unsigned once = 0, twice = 0;
                for (unsigned char c : unit) {
                    const unsigned m = candidates[c];
                    twice |= once & m;
                    once |= m;
                }
                if (once != kAllDigits) return false;
                unsigned singles = once & ~twice & ~solved[u];
                while (singles != 0) {
                    const unsigned bit = singles & (0u - singles);
                    singles &= singles - 1;
                    for (unsigned char c : unit)
                        if (candidates[c] & bit) {
                            if (!decide(c, lowestDigit(bit))) return false;
                            break;
                        }
                }
                continue;
            }
            bool narrowed = false;
            if (!lockedCandidates(narrowed)) return false;
            if (!narrowed) return true;
        }
    }

    // Takes `digits` from cell i; false when none is left.
    bool remove(int i, unsigned digits, bool& narrowed) {
        const unsigned m = candidates[i];
        if (!(m & digits)) return true;
        const unsigned left = m & ~digits;
        if (left == 0) return false;
        candidates[i] = static_cast<unsigned short>(left);
        changed |= kGeometry.unitsOf[i];
        if ((left & (left - 1)) == 0) pending[pendingCount++] = static_cast<unsigned char>(i);
        narrowed = true;
        return true;
    }

    // A box meets a row in three cells, a segment. A digit whose places in a
    // box lie in one segment leaves the rest of that row, and one whose
    // places in a row lie in one segment leaves the rest of that box; the
    // same for columns. Guesses on grids with few givens shrink most from this.
    bool lockedCandidates(bool& narrowed) {
        // rowSegment[r][s]: row r in the box of stack s; colSegment[c][b]:
        // column c in the box of band b.
        unsigned rowSegment[9][3], colSegment[9][3];
        for (int r = 0; r < 9; r++)
            for (int s = 0; s < 3; s++) {
                const int i = r * 9 + s * 3;
                rowSegment[r][s] = candidates[i] | candidates[i + 1] | candidates[i + 2];
            }
        for (int c = 0; c < 9; c++)
            for (int b = 0; b < 3; b++) {
                const int i = b * 27 + c;
                colSegment[c][b] = candidates[i] | candidates[i + 9] | candidates[i + 18];
            }
        for (int band = 0; band < 3; band++)
            for (int stack = 0; stack < 3; stack++)
                for (int k = 0; k < 3; k++) {
                    const int k1 = (k + 1) % 3, k2 = (k + 2) % 3;
                    // Along the rows of the box.
                    const int r = band * 3 + k;
                    const unsigned row = rowSegment[r][stack];
                    const unsigned inBox = row & ~(rowSegment[band * 3 + k1][stack] | rowSegment[band * 3 + k2][stack]);
                    const unsigned inRow = row & ~(rowSegment[r][(stack + 1) % 3] | rowSegment[r][(stack + 2) % 3]);
                    for (int j = 0; j < 3; j++) {
                        if (!remove(r * 9 + ((stack + 1) % 3) * 3 + j, inBox, narrowed) ||
                            !remove(r * 9 + ((stack + 2) % 3) * 3 + j, inBox, narrowed) ||
                            !remove((band * 3 + k1) * 9 + stack * 3 + j, inRow, narrowed) ||
                            !remove((band * 3 + k2) * 9 + stack * 3 + j, inRow, narrowed))
                            return false;
                    }
                    // Along the columns of the box.
                    const int c = stack * 3 + k;
                    const unsigned col = colSegment[c][band];
                    const unsigned inBoxC = col & ~(colSegment[stack * 3 + k1][band] | colSegment[stack * 3 + k2][band]);
                    const unsigned inCol = col & ~(colSegment[c][(band + 1) % 3] | colSegment[c][(band + 2) % 3]);
                    for (int j = 0; j < 3; j++) {
                        if (!remove((((band + 1) % 3) * 3 + j) * 9 + c, inBoxC, narrowed) ||
                            !remove((((band + 2) % 3) * 3 + j) * 9 + c, inBoxC, narrowed) ||
                            !remove((band * 3 + j) * 9 + stack * 3 + k1, inCol, narrowed) ||
                            !remove((band * 3 + j) * 9 + stack * 3 + k2, inCol, narrowed))
                            return false;
                    }
                }
        return true;
    }
};

struct counter {
    int limit;
    int count = 0;
    short* first;

    // `b` is propagated. Guesses on the open cell with the fewest candidates,
    // or on the places of a digit that has two left in a unit.
    void run(const board& b) {
        if (b.open == 0) {
            if (count == 0 && first != nullptr)
                for (int i = 0; i < 81; i++) first[i] = b.value[i];
            count++;
            return;
        }
        // Among the cells with fewest candidates, the one whose units hold
        // the fewest decided digits: on grids of few givens that keeps the
        // guesses from piling up in one corner, where a wrong one takes
        // long to refute.
        int best = -1, fewest = 10, bestScore = 1 << 20;
        for (int i = 0; i < 81; i++) {
            if (b.value[i] != 0) continue;
            const int n = kGeometry.digitCount[b.candidates[i]];
            int score = n * 64;
            for (unsigned char u : kGeometry.unitOf[i]) score += kGeometry.digitCount[b.solved[u]];
            if (score < bestScore) {
                best = i;
                fewest = n;
                bestScore = score;
            }
        }
        if (fewest > 2) {
            // A digit with two places in a unit splits the search in two as
            // well as a cell with two candidates does.
            for (const auto& unit : kGeometry.units) {
                unsigned once = 0, twice = 0, thrice = 0;
                for (unsigned char c : unit) {
                    const unsigned m = b.value[c] != 0 ? 0u : b.candidates[c];
                    thrice |= twice & m;
                    twice |= once & m;
                    once |= m;
                }
                const unsigned two = twice & ~thrice;
                if (two == 0) continue;
                const unsigned bit = two & (0u - two);
                for (unsigned char c : unit) {
                    if (b.value[c] != 0 || !(b.candidates[c] & bit) || count >= limit) continue;
                    board next = b;
                    if (next.decide(c, lowestDigit(bit)) && next.propagate()) run(next);
                }
                return;
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

// The givens of cells[81] as a propagated board; false when they have no
// solution.
bool startBoard(const short* cells, board& b) {
    unsigned short rows[9] = {}, cols[9] = {}, boxes[9] = {};
    for (int i = 0; i < 81; i++) {
        const int v = cells[i];
        b.value[i] = 0;
        if (v < 1 || v > 9) continue;
        const unsigned short bit = static_cast<unsigned short>(1 << (v - 1));
        const int box = (i / 27) * 3 + (i % 9) / 3;
        if ((rows[i / 9] | cols[i % 9] | boxes[box]) & bit) return false;  // a repeated given
        rows[i / 9] |= bit;
        cols[i % 9] |= bit;
        boxes[box] |= bit;
    }
    // The givens as decided cells, the open cells with what their units allow.
    b.open = 0;
    b.pendingCount = 0;
    for (int u = 0; u < 27; u++) b.solved[u] = u < 9 ? rows[u] : u < 18 ? cols[u - 9] : boxes[u - 18];
    b.changed = kAllUnits;
    for (int i = 0; i < 81; i++) {
        const int v = cells[i];
        if (v >= 1 && v <= 9) {
            b.candidates[i] = static_cast<unsigned short>(1 << (v - 1));
            b.value[i] = static_cast<unsigned char>(v);
            continue;
        }
        const unsigned m = ~(rows[i / 9] | cols[i % 9] | boxes[(i / 27) * 3 + (i % 9) / 3]) & kAllDigits;
        if (m == 0) return false;
        b.candidates[i] = static_cast<unsigned short>(m);
        b.open++;
        if ((m & (m - 1)) == 0) b.pending[b.pendingCount++] = static_cast<unsigned char>(i);
    }
    return b.propagate();
}

}  // namespace

int countSolutions(const short* cells, int limit, short* first) {
    if (limit <= 0) return 0;
    board b;
    if (!startBoard(cells, b)) return 0;
    counter c{limit, 0, first};
    c.run(b);
    return c.count;
}

void randomSolution(short* cells) {
    randomSearch s{};
    s.out = cells;
    s.run();
}
