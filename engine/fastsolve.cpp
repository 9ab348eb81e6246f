// solvePuzzle on bit sets. The step-by-step techniques (singles.cpp,
// contingents.cpp, doublepairs.cpp) recompute the refinement over 81 cells of
// 16-bit tables after every placement; here the same refinement is computed
// on 9-bit masks, one per digit and box, and only when the grid has changed
// since the last one. Scan orders, what counts as a candidate and when the
// exclusions are recomputed are exactly those of the step-by-step code, so
// the same digits are placed in the same order.
#include <cstdint>
#include <cstring>

#include "solver_internal.h"

namespace {

typedef std::uint16_t mask;  // cells of a box (bit i*3+j) or digits (bit d-1)

constexpr mask kBoxRow[3] = {0x007, 0x038, 0x1C0};
constexpr mask kBoxCol[3] = {0x049, 0x092, 0x124};

// Facts about every 9-bit set of cells in a box.
struct maskFacts {
    unsigned char pop[512];
    unsigned char rows[512];  // box rows in use, bit i
    unsigned char cols[512];  // box columns in use, bit j
    unsigned char low[512];   // lowest cell
    mask rowCells[8];         // the cells of a set of box rows
    mask colCells[8];
};

constexpr maskFacts makeFacts() {
    maskFacts f{};
    for (int m = 0; m < 512; m++) {
        int pop = 0, rows = 0, cols = 0, low = 0;
        for (int k = 8; k >= 0; k--)
            if (m & (1 << k)) {
                pop++;
                rows |= 1 << (k / 3);
                cols |= 1 << (k % 3);
                low = k;
            }
        f.pop[m] = static_cast<unsigned char>(pop);
        f.rows[m] = static_cast<unsigned char>(rows);
        f.cols[m] = static_cast<unsigned char>(cols);
        f.low[m] = static_cast<unsigned char>(low);
    }
    for (int s = 0; s < 8; s++) {
        mask rc = 0, cc = 0;
        for (int i = 0; i < 3; i++)
            if (s & (1 << i)) {
                rc = static_cast<mask>(rc | kBoxRow[i]);
                cc = static_cast<mask>(cc | kBoxCol[i]);
            }
        f.rowCells[s] = rc;
        f.colCells[s] = cc;
    }
    return f;
}

constexpr maskFacts kFacts = makeFacts();

// Exactly two of three lines.
inline bool twoLines(unsigned lines) {
    return lines == 3 || lines == 5 || lines == 6;
}

struct fastState {
    short (*grid)[9];
    solveTrace* trace;
    mask rowFree[9], colFree[9], boxFree[9];  // digits absent from the unit
    mask base[9][9];                          // [digit][box]: base candidates
    mask cand[9][9];                          // [digit][box]: candidates after the refinement
    mask excl[9][9];                          // [digit][box]: every exclusion written, filled cells too
    mask pairCells[9];                        // cells given a hidden pair's or triple's exclusion
    bool refined;                             // cand, excl and pairCells match the grid

    void load(short (*puzzle)[9]);
    void place(int r, int c, int d);
    void refine();
    void ensure(int level) {
        if (refinesAt(level) && !refined) refine();
    }
    const mask (*candidates(int level) const)[9] { return refinesAt(level) ? cand : base; }
    int cellScan(int level);
    int boxScan(int level);
    // solve_singleNum, solve_crossRef, solve_box; the number of digits placed.
    int pass(int level) {
        int placed = cellScan(level);
        placed += cellScan(level);
        return placed + boxScan(level);
    }
    void store(const solverTables& tables, int lastLevel);
};

void fastState::load(short (*puzzle)[9]) {
    grid = puzzle;
    for (int i = 0; i < 9; i++) rowFree[i] = colFree[i] = boxFree[i] = 0x1FF;
    // The presence tables with the player's entries ignored; a damaged value
    // is no digit.
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            int v = grid[r][c];
            if (openCell(v)) continue;
            mask bit = static_cast<mask>(~(1u << (v - 1)));
            rowFree[r] &= bit;
            colFree[c] &= bit;
            boxFree[(r / 3) * 3 + c / 3] &= bit;
        }
    std::memset(base, 0, sizeof base);
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            if (!openCell(grid[r][c])) continue;
            const int b = (r / 3) * 3 + c / 3;
            const mask cell = static_cast<mask>(1u << ((r % 3) * 3 + c % 3));
            unsigned digits = rowFree[r] & colFree[c] & boxFree[b];
            for (int d = 0; digits != 0; d++, digits >>= 1)
                if (digits & 1) base[d][b] |= cell;
        }
    refined = false;
}

void fastState::place(int r, int c, int d) {
    grid[r][c] = static_cast<short>(d + 1);
    if (trace != nullptr && trace->count < 81) {
        trace->cell[trace->count] = static_cast<unsigned char>(r * 9 + c);
        trace->digit[trace->count] = static_cast<unsigned char>(d + 1);
        trace->count++;
    }
    const int b = (r / 3) * 3 + c / 3;
    const mask bit = static_cast<mask>(~(1u << d));
    rowFree[r] &= bit;
    colFree[c] &= bit;
    boxFree[b] &= bit;
    const mask cell = static_cast<mask>(~(1u << ((r % 3) * 3 + c % 3)));
    for (int e = 0; e < 9; e++) base[e][b] &= cell;
    const int band = (b / 3) * 3, stack = b % 3;
    for (int k = 0; k < 3; k++) {
        base[d][band + k] &= static_cast<mask>(~kBoxRow[r % 3]);
        base[d][stack + 3 * k] &= static_cast<mask>(~kBoxCol[c % 3]);
    }
    base[d][b] = 0;
    refined = false;
}

// The box contingents on base candidates, then the double pairs repeated
// until they change nothing. Each digit's double pairs read and write only
// that digit's exclusions, so repeating them digit by digit reaches the same
// end as repeating the whole pass.
void fastState::refine() {
    std::memset(excl, 0, sizeof excl);
    std::memset(pairCells, 0, sizeof pairCells);
    for (int b = 0; b < 9; b++) {
        const int band = (b / 3) * 3, stack = b % 3;
        for (int d = 0; d < 9; d++) {
            const mask m = base[d][b];
            if (kFacts.pop[m] < 2) continue;
            const unsigned rows = kFacts.rows[m], cols = kFacts.cols[m];
            if ((rows & (rows - 1)) == 0)
                for (int k = 0; k < 3; k++)
                    if (band + k != b) excl[d][band + k] |= kFacts.rowCells[rows];
            if ((cols & (cols - 1)) == 0)
                for (int k = 0; k < 3; k++)
                    if (stack + 3 * k != b) excl[d][stack + 3 * k] |= kFacts.colCells[cols];
        }
        // Hidden pairs and triples: a digit with two or three cells, and
        // the later digits with exactly those cells.
        for (int d1 = 0; d1 < 8; d1++) {
            const mask m1 = base[d1][b];
            const int n1 = kFacts.pop[m1];
            if (n1 != 2 && n1 != 3) continue;
            unsigned digits = 1u << d1;
            int k = 1;
            for (int d2 = d1 + 1; d2 < 9; d2++)
                if (base[d2][b] == m1) {
                    k++;
                    digits |= 1u << d2;
                }
            if (k != n1) continue;
            pairCells[b] |= m1;
            for (int e = 0; e < 9; e++)
                if (!(digits & (1u << e))) excl[e][b] |= m1;
        }
    }
    for (int d = 0; d < 9; d++) {
        mask* ex = excl[d];
        mask* cd = cand[d];
        const mask* bs = base[d];
        for (int b = 0; b < 9; b++) cd[b] = static_cast<mask>(bs[b] & ~ex[b]);
        for (;;) {
            unsigned char rows[9], cols[9];
            for (int b = 0; b < 9; b++) {
                rows[b] = kFacts.rows[cd[b]];
                cols[b] = kFacts.cols[cd[b]];
            }
            for (int s = 0; s < 3; s++) {
                const int x = s, y = s + 3, z = s + 6;
                if (twoLines(cols[x]) && cols[x] == cols[y]) ex[z] |= kFacts.colCells[cols[x]];
                if (twoLines(cols[x]) && cols[x] == cols[z]) ex[y] |= kFacts.colCells[cols[x]];
                if (twoLines(cols[y]) && cols[y] == cols[z]) ex[x] |= kFacts.colCells[cols[y]];
            }
            for (int t = 0; t < 9; t += 3) {
                const int x = t, y = t + 1, z = t + 2;
                if (twoLines(rows[x]) && rows[x] == rows[y]) ex[z] |= kFacts.rowCells[rows[x]];
                if (twoLines(rows[x]) && rows[x] == rows[z]) ex[y] |= kFacts.rowCells[rows[x]];
                if (twoLines(rows[y]) && rows[y] == rows[z]) ex[x] |= kFacts.rowCells[rows[y]];
            }
            bool changed = false;
            for (int b = 0; b < 9; b++) {
                const mask next = static_cast<mask>(bs[b] & ~ex[b]);
                if (next != cd[b]) {
                    cd[b] = next;
                    changed = true;
                }
            }
            if (!changed) break;
        }
    }
    refined = true;
}

// solve_singleNum and solve_crossRef: both place in every cell, in reading
// order, that has exactly one candidate when the scan reaches it.
int fastState::cellScan(int level) {
    ensure(level);
    int placed = 0;
    int from = 0;  // first cell (row * 9 + column) still to be tested
    while (from < 81) {
        const mask(*cands)[9] = candidates(level);
        mask single[9];
        for (int b = 0; b < 9; b++) {
            mask one = 0, two = 0;
            for (int d = 0; d < 9; d++) {
                two |= one & cands[d][b];
                one |= cands[d][b];
            }
            single[b] = static_cast<mask>(one & ~two);
        }
        int found = -1;
        for (int r = from / 9; r < 9 && found < 0; r++) {
            const int band = (r / 3) * 3, shift = (r % 3) * 3;
            unsigned line = ((single[band] >> shift) & 7) | (((single[band + 1] >> shift) & 7) << 3) |
                            (((single[band + 2] >> shift) & 7) << 6);
            if (r == from / 9) line &= ~((1u << (from % 9)) - 1);
            if (line != 0) found = r * 9 + __builtin_ctz(line);
        }
        if (found < 0) break;
        const int r = found / 9, c = found % 9;
        const int b = (r / 3) * 3 + c / 3;
        const mask cell = static_cast<mask>(1u << ((r % 3) * 3 + c % 3));
        int d = 0;
        while (!(cands[d][b] & cell)) d++;
        place(r, c, d);
        placed++;
        ensure(level);
        from = found + 1;
    }
    return placed;
}

// solve_box: for each digit, every box where it has exactly one candidate
// cell gets it, all decided before any of them is placed.
int fastState::boxScan(int level) {
    ensure(level);
    int total = 0;
    for (int d = 0; d < 9; d++) {
        mask only[9];
        std::memcpy(only, candidates(level)[d], sizeof only);
        int placed = 0;
        for (int b = 0; b < 9; b++) {
            if (kFacts.pop[only[b]] != 1) continue;
            const int k = kFacts.low[only[b]];
            place((b / 3) * 3 + k / 3, (b % 3) * 3 + k % 3, d);
            placed++;
        }
        if (placed > 0) {
            total += placed;
            ensure(level);
        }
    }
    return total;
}

// Leaves the tables as the step-by-step solve does: the presence tables
// current, cellNotPossible as the last technique computed it.
void fastState::store(const solverTables& tables, int lastLevel) {
    for (int i = 0; i < 9; i++)
        for (int d = 0; d < 9; d++) {
            tables.rowPossible[i][d] = static_cast<short>((rowFree[i] >> d) & 1);
            tables.colPossible[i][d] = static_cast<short>((colFree[i] >> d) & 1);
            tables.boxPossible[i][d] = static_cast<short>((boxFree[i] >> d) & 1);
        }
    if (!refinesAt(lastLevel)) {
        std::memset(tables.cellNotPossible, 0, sizeof(short) * 81);
        return;
    }
    ensure(lastLevel);
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int b = (r / 3) * 3 + c / 3;
            const mask cell = static_cast<mask>(1u << ((r % 3) * 3 + c % 3));
            unsigned bits = (pairCells[b] & cell) ? 0xFE00u : 0u;
            for (int d = 0; d < 9; d++)
                if (excl[d][b] & cell) bits |= 1u << d;
            tables.cellNotPossible[r][c] = static_cast<short>(bits);
        }
}

}  // namespace

int fastSolve(const solverTables& tables, int rate, solveTrace* trace) {
    fastState s;
    s.trace = trace;
    if (trace != nullptr) trace->count = 0;
    s.load(tables.puzzle);
    int result, lastLevel;
    if (rate != 1) {
        while (s.pass(-1) > 0) {
        }
        lastLevel = -1;
        result = gridSolvedState(tables.puzzle, nullptr) == 1 ? -2 : -1;
    } else {
        result = -1;
        lastLevel = 0;
        for (int stage = 0; stage <= 2; stage++) {
            lastLevel = stage;
            if (stage == 0)
                while (s.cellScan(0) > 0) {
                }
            else
                while (s.pass(stage) > 0) {
                }
            if (gridSolvedState(tables.puzzle, nullptr) == 1) {
                result = stage;
                break;
            }
        }
    }
    s.store(tables, lastLevel);
    return result;
}
