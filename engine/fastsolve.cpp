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
    mask pointRow[512];       // two or three cells on one row: that row's cells, else 0
    mask pointCol[512];       // the same for a column
    mask rowPair[512];        // cells on exactly two rows: those rows' cells, else 0
    mask colPair[512];        // the same for columns
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
    for (int m = 0; m < 512; m++) {
        mask rowCells = 0, colCells = 0;
        for (int i = 0; i < 3; i++) {
            if (f.rows[m] & (1 << i)) rowCells = static_cast<mask>(rowCells | kBoxRow[i]);
            if (f.cols[m] & (1 << i)) colCells = static_cast<mask>(colCells | kBoxCol[i]);
        }
        const int rowCount = (f.rows[m] & 1) + ((f.rows[m] >> 1) & 1) + ((f.rows[m] >> 2) & 1);
        const int colCount = (f.cols[m] & 1) + ((f.cols[m] >> 1) & 1) + ((f.cols[m] >> 2) & 1);
        f.pointRow[m] = f.pop[m] >= 2 && rowCount == 1 ? rowCells : 0;
        f.pointCol[m] = f.pop[m] >= 2 && colCount == 1 ? colCells : 0;
        f.rowPair[m] = rowCount == 2 ? rowCells : 0;
        f.colPair[m] = colCount == 2 ? colCells : 0;
    }
    return f;
}

constexpr maskFacts kFacts = makeFacts();

struct fastState {
    short (*grid)[9];
    solveTrace* trace;
    mask rowFree[9], colFree[9], boxFree[9];  // digits absent from the unit
    mask base[9][9];                          // [digit][box]: base candidates
    mask cand[9][9];                          // [digit][box]: candidates after the refinement
    bool refined;                             // cand and the exclusions match the grid

    // The box contingents, kept per box: a box's share depends only on its
    // own base candidates, so only boxes whose candidates changed since the
    // last refinement are examined again.
    unsigned staleBoxes;    // bit b: box b's base candidates changed
    mask pointRow[9][9];    // [digit][box]: the box's cells on the row the digit is confined to
    mask pointCol[9][9];    // the same for a column
    mask hidden[9][9];      // [digit][box]: exclusions of the box's hidden pairs and triples
    mask pairCells[9];      // cells given a hidden pair's or triple's exclusion
    mask boxExcl[9][9];     // [digit][box]: all contingent exclusions, filled cells too

    // The double pairs, kept per digit: they read and write only their own
    // digit's exclusions, so a digit whose base candidates and contingent
    // exclusions are unchanged keeps its marks.
    mask pairInBase[9][9];  // what the marks were computed from
    mask pairInExcl[9][9];
    mask pairMarks[9][9];   // [digit][box]: every double-pair mark, filled cells too

    void load(short (*puzzle)[9]);
    // Places digit d + 1; with a trace, notes the technique's level, which
    // technique, and how many placements the candidates had seen.
    void place(int r, int c, int d, int level, int byBox, int basis);
    void refreshContingents(int b);
    void doublePairs(int d);
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
    bool solved() const;
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
    staleBoxes = 0x1FF;
    // No 9-bit set equals this: every digit's double pairs are computed.
    std::memset(pairInBase, 0xFF, sizeof pairInBase);
}

void fastState::place(int r, int c, int d, int level, int byBox, int basis) {
    grid[r][c] = static_cast<short>(d + 1);
    if (trace != nullptr && trace->count < 81) {
        const int n = trace->count;
        trace->cell[n] = static_cast<unsigned char>(r * 9 + c);
        trace->digit[n] = static_cast<unsigned char>(d + 1);
        trace->level[n] = static_cast<signed char>(level);
        trace->byBox[n] = static_cast<unsigned char>(byBox);
        trace->basis[n] = static_cast<unsigned char>(basis);
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
    staleBoxes |= (7u << band) | (0x49u << stack);
}

// One box's share of the box contingents, from its base candidates:
// pointing lines, and hidden pairs and triples.
void fastState::refreshContingents(int b) {
    pairCells[b] = 0;
    int candidates[9], listed = 0;  // digits with two or three cells
    for (int d = 0; d < 9; d++) {
        const mask m = base[d][b];
        pointRow[d][b] = kFacts.pointRow[m];
        pointCol[d][b] = kFacts.pointCol[m];
        hidden[d][b] = 0;
        if (kFacts.pop[m] == 2 || kFacts.pop[m] == 3) candidates[listed++] = d;
    }
    // A digit with two or three cells, and the later digits with exactly
    // those cells (which have as many cells, so they are listed too).
    for (int i = 0; i < listed; i++) {
        const int d1 = candidates[i];
        const mask m1 = base[d1][b];
        unsigned digits = 1u << d1;
        int k = 1;
        for (int j = i + 1; j < listed; j++)
            if (base[candidates[j]][b] == m1) {
                k++;
                digits |= 1u << candidates[j];
            }
        if (k != kFacts.pop[m1]) continue;
        pairCells[b] |= m1;
        for (int e = 0; e < 9; e++)
            if (!(digits & (1u << e))) hidden[e][b] |= m1;
    }
}

// Repeats one digit's double pairs until its candidates stop changing; the
// repetition of the whole pass ends in the same place, since a pass that
// changes no candidate of the digit finds the same patterns again.
void fastState::doublePairs(int d) {
    mask* marks = pairMarks[d];
    mask* cd = cand[d];
    const mask* bs = base[d];
    const mask* ex = boxExcl[d];
    for (int b = 0; b < 9; b++) {
        marks[b] = 0;
        cd[b] = static_cast<mask>(bs[b] & ~ex[b]);
    }
    for (;;) {
        mask rows[9], cols[9];
        for (int b = 0; b < 9; b++) {
            rows[b] = kFacts.rowPair[cd[b]];
            cols[b] = kFacts.colPair[cd[b]];
        }
        for (int s = 0; s < 3; s++) {
            const int x = s, y = s + 3, z = s + 6;
            if (cols[x] != 0 && cols[x] == cols[y]) marks[z] |= cols[x];
            if (cols[x] != 0 && cols[x] == cols[z]) marks[y] |= cols[x];
            if (cols[y] != 0 && cols[y] == cols[z]) marks[x] |= cols[y];
        }
        for (int t = 0; t < 9; t += 3) {
            const int x = t, y = t + 1, z = t + 2;
            if (rows[x] != 0 && rows[x] == rows[y]) marks[z] |= rows[x];
            if (rows[x] != 0 && rows[x] == rows[z]) marks[y] |= rows[x];
            if (rows[y] != 0 && rows[y] == rows[z]) marks[x] |= rows[y];
        }
        bool changed = false;
        for (int b = 0; b < 9; b++) {
            const mask next = static_cast<mask>(bs[b] & ~(ex[b] | marks[b]));
            if (next != cd[b]) {
                cd[b] = next;
                changed = true;
            }
        }
        if (!changed) break;
    }
}

// The box contingents on base candidates, then the double pairs repeated
// until they change nothing: the same exclusions the step-by-step code
// writes, recomputed only where their inputs changed.
void fastState::refine() {
    for (int b = 0; b < 9; b++)
        if (staleBoxes & (1u << b)) refreshContingents(b);
    staleBoxes = 0;
    for (int d = 0; d < 9; d++) {
        const mask* pr = pointRow[d];
        const mask* pc = pointCol[d];
        mask* ex = boxExcl[d];
        // Lines pointed at from the other two boxes of the band and of the
        // stack.
        for (int t = 0; t < 9; t += 3) {
            ex[t] = static_cast<mask>(pr[t + 1] | pr[t + 2]);
            ex[t + 1] = static_cast<mask>(pr[t] | pr[t + 2]);
            ex[t + 2] = static_cast<mask>(pr[t] | pr[t + 1]);
        }
        for (int s = 0; s < 3; s++) {
            ex[s] |= pc[s + 3] | pc[s + 6];
            ex[s + 3] |= pc[s] | pc[s + 6];
            ex[s + 6] |= pc[s] | pc[s + 3];
        }
        unsigned differ = 0;
        for (int b = 0; b < 9; b++) {
            ex[b] |= hidden[d][b];
            differ |= (pairInBase[d][b] ^ base[d][b]) | (pairInExcl[d][b] ^ ex[b]);
        }
        if (differ != 0) {
            std::memcpy(pairInBase[d], base[d], sizeof base[d]);
            std::memcpy(pairInExcl[d], ex, sizeof boxExcl[d]);
            doublePairs(d);
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
        // The candidates are refreshed after every placement here.
        place(r, c, d, level, 0, trace != nullptr ? trace->count : 0);
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
        // A digit's batch is decided on the candidates from before it.
        const int basis = trace != nullptr ? trace->count : 0;
        for (int b = 0; b < 9; b++) {
            if (kFacts.pop[only[b]] != 1) continue;
            const int k = kFacts.low[only[b]];
            place((b / 3) * 3 + k / 3, (b % 3) * 3 + k % 3, d, level, 1, basis);
            placed++;
        }
        if (placed > 0) {
            total += placed;
            ensure(level);
        }
    }
    return total;
}

// isSolvedPuzzle(null) == 1, quickly where the presence tables tell: a grid
// of givens only is solved exactly when every row, column and box has all
// nine digits; an empty or damaged cell rules it out.
bool fastState::solved() const {
    bool entries = false;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            const int v = grid[r][c];
            if (v < -9 || v == 0 || v > 9) return false;
            entries = entries || v < 0;
        }
    if (entries) return gridSolvedState(grid, nullptr) == 1;
    for (int i = 0; i < 9; i++)
        if (rowFree[i] | colFree[i] | boxFree[i]) return false;
    return true;
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
    std::memset(tables.cellNotPossible, 0, sizeof(short) * 81);
    for (int b = 0; b < 9; b++) {
        const int top = (b / 3) * 3, left = (b % 3) * 3;
        for (int d = 0; d <= 9; d++) {
            // Digit 10 stands for the bits 9 to 15 of a hidden pair's or
            // triple's complement, which mean nothing but are written.
            unsigned cells = d < 9 ? boxExcl[d][b] | pairMarks[d][b] : pairCells[b];
            const unsigned bits = d < 9 ? 1u << d : 0xFE00u;
            for (; cells != 0; cells &= cells - 1) {
                const int k = __builtin_ctz(cells);
                short& entry = tables.cellNotPossible[top + k / 3][left + k % 3];
                entry = static_cast<short>(static_cast<unsigned short>(entry) | bits);
            }
        }
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
        result = s.solved() ? -2 : -1;
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
            if (s.solved()) {
                result = stage;
                break;
            }
        }
    }
    s.store(tables, lastLevel);
    return result;
}
