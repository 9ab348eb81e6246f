#include "engine/ladder/counter.h"

#include "engine/ladder/cellset.h"
#include "engine/ladder/ladder.h"

#include <cstdint>
#include <cstring>

namespace {

// The grid as three bands of three rows. A band's 27 cells are the bits of
// one word, bit row * 9 + column within the band, so a row is a 9-bit field
// and a box three 3-bit fields, one per row.
const uint32_t kRow = 0x1FF;
const uint32_t kSpread = 1u | (1u << 9) | (1u << 18);  // a row's mask times this: those columns in the band
const uint32_t kBoxLanes = 0x49;                        // bits 0, 3 and 6: one per box of a row

// Where a cell is, and what it sees.
struct cellInfo {
    uint32_t peers[3];  // its row, column and box band by band, the cell left out
    uint32_t bit;       // the cell within its band
    uint8_t band, row, col, box;
};

struct tables {
    cellInfo cells[81];
    uint16_t rowSingle[512];  // a row's mask when it holds a single cell, else 0
    uint8_t rowBoxes[512];    // the boxes (bit k) a row's mask meets
    uint16_t laneSingle[512]; // of a row's mask, the bits alone in their box
    // Indexed by the boxes each row of a band meets, three bits a row: the
    // cells a digit keeps in the band after box-line eliminations.
    uint32_t lockKeep[512];
    uint32_t digitBands[512];  // a set of digits (bit d) as bits d * 3, band 0's dirty bits
};

constexpr tables makeTables() {
    tables t{};
    for (int i = 0; i < 81; i++) {
        cellInfo& c = t.cells[i];
        const int b = i / 27, p = i % 27, box = p % 9 / 3;
        c.band = static_cast<uint8_t>(b);
        c.row = static_cast<uint8_t>(i / 9);
        c.col = static_cast<uint8_t>(i % 9);
        c.box = static_cast<uint8_t>(b * 3 + box);
        c.bit = 1u << p;
        for (int k = 0; k < 3; k++) c.peers[k] = kSpread << (p % 9);
        c.peers[b] |= kRow << (p / 9 * 9);
        for (int r = 0; r < 3; r++) c.peers[b] |= 7u << (r * 9 + box * 3);
        c.peers[b] &= ~c.bit;
    }
    for (int v = 1; v < 512; v++) t.rowSingle[v] = static_cast<uint16_t>((v & (v - 1)) == 0 ? v : 0);
    for (int v = 0; v < 512; v++)
        for (int k = 0; k < 3; k++) {
            const int lane = (v >> (k * 3)) & 7;
            if (lane) t.rowBoxes[v] = static_cast<uint8_t>(t.rowBoxes[v] | (1 << k));
            if (lane && (lane & (lane - 1)) == 0) t.laneSingle[v] = static_cast<uint16_t>(t.laneSingle[v] | (lane << (k * 3)));
        }
    for (int v = 0; v < 512; v++) {
        uint32_t keep = (1u << 27) - 1;
        for (int k = 0; k < 3; k++) {
            int rows = 0, last = 0;
            for (int r = 0; r < 3; r++)
                if (v & (1 << (r * 3 + k))) rows++, last = r;
            // Box k's places all in one row: the rest of that row loses the digit.
            if (rows == 1) keep &= ~(kRow << (last * 9)) | (7u << (last * 9 + k * 3));
        }
        for (int r = 0; r < 3; r++) {
            const int boxes = (v >> (r * 3)) & 7;
            // Row r's places all in one box: the rest of that box loses the digit.
            if (boxes != 0 && (boxes & (boxes - 1)) == 0) {
                const int k = __builtin_ctz(boxes);
                keep &= ~((7u * kSpread) << (k * 3)) | (7u << (r * 9 + k * 3));
            }
        }
        t.lockKeep[v] = keep;
    }
    for (int v = 0; v < 512; v++)
        for (int d = 0; d < 9; d++)
            if (v & (1 << d)) t.digitBands[v] |= 1u << (d * 3);
    return t;
}

constexpr tables kTables = makeTables();

// Each digit's possible cells as bit sets, one word per band, and each
// cell's candidates as a 9-bit set, kept in step: a digit keeps its placed
// cells, and a decided cell is in no other digit's set. The digit sets find
// hidden singles a unit at a time; the cell sets see a naked single the
// moment it appears. Small enough to copy at each guess, which is cheaper
// than undoing.
struct board {
    uint32_t cand[9][3];
    uint32_t open[3];   // the undecided cells
    uint32_t dirty;     // bit d * 3 + b: digit d's places in band b changed since its last hidden-single scan
    uint32_t lockDirty; // the same since its last box-line pass
    uint16_t cell[81];
    int pendingCount;   // cells down to one candidate, not decided yet
    uint8_t pending[81];

    bool solved() const { return (open[0] | open[1] | open[2]) == 0; }

    // Decides cell i as digit d (0..8), taking d from the cell's peers and
    // the other digits from the cell; false when d cannot go there or a
    // peer is left without candidates.
    bool place(int d, int i) {
        const unsigned digit = 1u << d, m = cell[i];
        if (!(m & digit)) return false;
        const cellInfo& c = kTables.cells[i];
        const int b = c.band;
        if (!(open[b] & c.bit)) return true;  // decided as d already
        open[b] &= ~c.bit;
        const unsigned others = m & ~digit;
        dirty |= kTables.digitBands[others] << b;
        for (unsigned e = others; e; e &= e - 1) cand[__builtin_ctz(e)][b] &= ~c.bit;
        cell[i] = static_cast<uint16_t>(digit);
        return remove(d, 0, c.peers[0]) && remove(d, 1, c.peers[1]) && remove(d, 2, c.peers[2]);
    }

    // Takes digit d from the cells of `cells` in band b; false when that
    // leaves one of them without candidates.
    bool remove(int d, int b, uint32_t cells) {
        const uint32_t lost = cand[d][b] & cells;
        if (!lost) return true;
        cand[d][b] ^= lost;
        dirty |= 1u << (d * 3 + b);
        for (uint32_t q = lost; q; q &= q - 1) {
            const int j = b * 27 + __builtin_ctz(q);
            const unsigned left = cell[j] & ~(1u << d);
            if (!left) return false;
            cell[j] = static_cast<uint16_t>(left);
            if (!(left & (left - 1))) pending[pendingCount++] = static_cast<uint8_t>(j);
        }
        return true;
    }

    // Box-line eliminations for digit d: a box whose places for it lie in
    // one row or column takes it from the rest of that line, and a line whose
    // places lie in one box takes it from the rest of that box. False on a
    // contradiction; `narrowed` is set when a candidate went.
    bool lockedCandidates(int d, bool& narrowed) {
        uint32_t keep[3], o[3];  // o: the columns of each band with d
        for (int b = 0; b < 3; b++) {
            const uint32_t x = cand[d][b];
            keep[b] = kTables.lockKeep[kTables.rowBoxes[x & kRow] | (kTables.rowBoxes[(x >> 9) & kRow] << 3) |
                                       (kTables.rowBoxes[x >> 18] << 6)];
            o[b] = (x | (x >> 9) | (x >> 18)) & kRow;
        }
        for (int b = 0; b < 3; b++) {
            const int b1 = b == 2 ? 0 : b + 1, b2 = b == 0 ? 2 : b - 1;
            // A column with d in this band alone: the rest of its box loses d.
            const uint32_t only = o[b] & ~(o[b1] | o[b2]);
            const uint32_t lanes = ((only | (only >> 1) | (only >> 2)) & kBoxLanes) * 7;
            keep[b] &= ((~lanes & kRow) | only) * kSpread;
            // A box with d in one column: the other bands lose that column.
            const uint32_t single = kTables.laneSingle[o[b]] * kSpread;
            keep[b1] &= ~single;
            keep[b2] &= ~single;
        }
        for (int b = 0; b < 3; b++) {
            if (!(cand[d][b] & ~keep[b])) continue;
            narrowed = true;
            if (!remove(d, b, ~keep[b])) return false;
        }
        return true;
    }

    // The undecided cells where digit d is alone in a row, column or box,
    // into h[3]; false when a unit has no place for d. Rows and boxes only
    // in the bands of `bands` (bit b): elsewhere d's places are as at the
    // last scan, whose singles were all placed. Bands 0 and 1 are worked
    // on together, one in each half of a 64-bit word.
    bool hiddenSingles(int d, unsigned bands, uint32_t* h) const {
        const uint64_t rows = kRow | (uint64_t{kRow} << 32);
        const uint64_t x = cand[d][0] | (uint64_t{cand[d][1]} << 32);
        const uint32_t x2 = cand[d][2];
        // Per column of each band: d in one row of the band, in two or more.
        const uint64_t r0 = x & rows, r1 = (x >> 9) & rows, r2 = (x >> 18) & rows;
        const uint64_t o = r0 | r1 | r2, t = (r0 & r1) | (r2 & (r0 | r1));
        const uint32_t s0 = x2 & kRow, s1 = (x2 >> 9) & kRow, s2 = x2 >> 18;
        const uint32_t o2 = s0 | s1 | s2, t2 = (s0 & s1) | (s2 & (s0 | s1));
        const uint32_t o0 = static_cast<uint32_t>(o), o1 = static_cast<uint32_t>(o >> 32);
        const uint32_t all = o0 | o1 | o2;
        const uint32_t many = static_cast<uint32_t>(t) | static_cast<uint32_t>(t >> 32) | t2 | (o0 & o1) | (o2 & (o0 | o1));
        bool empty = all != kRow;
        const uint32_t columns = (all & ~many) * kSpread;
        uint64_t h01 = x & (columns | (uint64_t{columns} << 32));
        uint32_t h2 = x2 & columns;
        if (bands & 3) {
            // A row is empty when adding 511 leaves its bit 9 clear.
            const uint64_t full = (uint64_t{1} << 9) | (uint64_t{1} << 41);
            empty |= ((r0 + rows) & (r1 + rows) & (r2 + rows) & full) != full;
            // A box is three columns of the band: alone in it when one of
            // its columns has d once and the other two not at all.
            const uint64_t lanes = kBoxLanes | (uint64_t{kBoxLanes} << 32);
            const uint64_t any = (o | (o >> 1) | (o >> 2)) & lanes;
            const uint64_t more = (o & (o >> 1)) | ((o >> 2) & (o | (o >> 1))) | t | (t >> 1) | (t >> 2);
            empty |= any != lanes;
            h01 |= (x & ((any & ~more) * 7 * kSpread)) | kTables.rowSingle[r0 & kRow] |
                   (kTables.rowSingle[r1 & kRow] << 9) | (static_cast<uint32_t>(kTables.rowSingle[r2 & kRow]) << 18) |
                   (uint64_t{kTables.rowSingle[r0 >> 32]} << 32) | (uint64_t{kTables.rowSingle[r1 >> 32]} << 41) |
                   (uint64_t{kTables.rowSingle[r2 >> 32]} << 50);
        }
        if (bands & 4) {
            empty |= (((s0 + kRow) & (s1 + kRow) & (s2 + kRow)) & (1u << 9)) == 0;
            const uint32_t any = (o2 | (o2 >> 1) | (o2 >> 2)) & kBoxLanes;
            const uint32_t more = (o2 & (o2 >> 1)) | ((o2 >> 2) & (o2 | (o2 >> 1))) | t2 | (t2 >> 1) | (t2 >> 2);
            empty |= any != kBoxLanes;
            h2 |= (x2 & ((any & ~more) * 7 * kSpread)) | kTables.rowSingle[s0] | (kTables.rowSingle[s1] << 9) |
                  (static_cast<uint32_t>(kTables.rowSingle[s2]) << 18);
        }
        h[0] = static_cast<uint32_t>(h01) & open[0];
        h[1] = static_cast<uint32_t>(h01 >> 32) & open[1];
        h[2] = h2 & open[2];
        return !empty;
    }

    // Places the naked singles waiting, and those they lead to.
    bool placePending() {
        while (pendingCount > 0) {
            const int q = pending[--pendingCount];
            if (!place(__builtin_ctz(cell[q]), q)) return false;
        }
        return true;
    }

    // Naked singles as they appear, hidden singles when those run out, and
    // if `locked`, box-line eliminations when both do, until none finds
    // anything; false on a contradiction.
    bool propagate(bool locked) {
        for (;;) {
            if (!placePending()) return false;
            if (solved()) return true;
            if (dirty != 0) {
                lockDirty |= dirty;
                bool found = false;
                for (int d = 0; dirty >> (d * 3); d++) {
                    // Taken off before the scan: whatever changes d after it
                    // is for the next round.
                    const unsigned bands = (dirty >> (d * 3)) & 7;
                    if (bands == 0) continue;
                    dirty &= ~(7u << (d * 3));
                    uint32_t h[3];
                    if (!hiddenSingles(d, bands, h)) return false;
                    if ((h[0] | h[1] | h[2]) == 0) continue;
                    for (int b = 0; b < 3; b++)
                        for (uint32_t m = h[b]; m; m &= m - 1) {
                            // Fails when an earlier single took the cell or d's place.
                            if (!place(d, b * 27 + __builtin_ctz(m))) return false;
                            found = true;
                        }
                    // Their naked singles before the next digit's scan, which
                    // then sees more decided.
                    if (!placePending()) return false;
                }
                if (found || pendingCount > 0) continue;
            }
            if (!locked) return true;
            bool narrowed = false;
            for (int d = 0; d < 9; d++) {
                if (!((lockDirty >> (d * 3)) & 7)) continue;
                lockDirty &= ~(7u << (d * 3));
                if (!lockedCandidates(d, narrowed)) return false;
            }
            if (!narrowed) return true;
        }
    }
};

// Where to guess: an undecided cell with the fewest candidates, the first
// met or, if `scored`, among the first eight met the one whose digits are
// open in the most of its peers. Those guesses take the most candidates
// away, so wrong ones fail soonest: on grids with no solution that keeps
// the search near the conflict instead of wandering through the rest of
// the grid.
int chooseCell(const board& s, bool scored) {
    uint32_t fewest[3], three[3] = {};
    bool two = false;
    for (int b = 0; b < 3; b++) {
        uint32_t c1 = 0, c2 = 0, c3 = 0, c4 = 0;  // cells with at least one, two, three, four candidates
        for (const auto& digit : s.cand) {
            const uint32_t m = digit[b];
            c4 |= c3 & m;
            c3 |= c2 & m;
            c2 |= c1 & m;
            c1 |= m;
        }
        fewest[b] = c2 & ~c3 & s.open[b];
        three[b] = c3 & ~c4 & s.open[b];
        two |= fewest[b] != 0;
    }
    if (!two) {
        if ((three[0] | three[1] | three[2]) != 0) {
            for (int b = 0; b < 3; b++) fewest[b] = three[b];
        } else {
            // Few givens: count the candidates of every undecided cell.
            int least = 10;
            for (int b = 0; b < 3; b++) {
                fewest[b] = 0;
                for (uint32_t q = s.open[b]; q; q &= q - 1) {
                    const int n = bitCount(s.cell[b * 27 + __builtin_ctz(q)]);
                    if (n < least) {
                        least = n;
                        fewest[0] = fewest[1] = fewest[2] = 0;
                    }
                    if (n == least) fewest[b] |= q & (0u - q);
                }
            }
        }
    }
    if (!scored)
        for (int b = 0; b < 3; b++)
            if (fewest[b]) return b * 27 + __builtin_ctz(fewest[b]);
    int best = -1, bestScore = -1, seen = 0;
    for (int b = 0; b < 3 && seen < 8; b++)
        for (uint32_t q = fewest[b]; q && seen < 8; q &= q - 1, seen++) {
            const int i = b * 27 + __builtin_ctz(q);
            const cellInfo& c = kTables.cells[i];
            const int b1 = b == 2 ? 0 : b + 1, b2 = b == 0 ? 2 : b - 1;
            const uint32_t near = s.open[b] & c.peers[b], near1 = s.open[b1] & c.peers[b1],
                           near2 = s.open[b2] & c.peers[b2];
            int score = 0;
            for (unsigned m = s.cell[i]; m; m &= m - 1) {
                const auto& x = s.cand[__builtin_ctz(m)];
                // The other bands' peers are the cell's column: three cells each.
                const uint32_t column = ((x[b1] & near1) >> c.col) | (((x[b2] & near2) >> c.col) << 1);
                score += popCount64((x[b] & near) | (uint64_t{column} << 32));
            }
            if (score > bestScore) best = i, bestScore = score;
        }
    return best;
}

// The depth-first count, stopping at two solutions. A quick try guesses
// on the first cell with fewest candidates and gives up after a few
// dozen guesses; the careful one, begun again from the givens when that
// happens (few givens, no solution), scores its guesses and adds box-line
// eliminations, which cost more than they save on most grids.
struct search {
    bool careful = false;
    bool gaveUp = false;
    int budget = 32;  // guesses the quick try may make
    long guesses = 0;
    int count = 0;
    uint16_t first[81];  // the first solution's cells, each a single candidate

    // `s` is propagated; it may be spent. Guesses every digit of a cell in turn.
    void run(board& s) {
        if (s.solved()) {
            if (count++ == 0) std::memcpy(first, s.cell, sizeof first);
            return;
        }
        if (!careful && --budget < 0) {
            gaveUp = true;
            return;
        }
        const int i = chooseCell(s, careful);
        guesses++;
        unsigned digits = s.cell[i];
        while (digits != 0 && count < 2 && !gaveUp) {
            const int d = __builtin_ctz(digits);
            digits &= digits - 1;
            if (digits == 0) {
                // The last digit: this board is not needed any more.
                if (s.place(d, i) && s.propagate(careful)) run(s);
                return;
            }
            board next = s;
            if (next.place(d, i) && next.propagate(careful)) run(next);
        }
    }
};

// The count from each cell's candidates and decided digit (givens are
// decided cells, open ones holding every digit), and from a board whose
// cells and digit sets are set up, with the cells down to one candidate
// pending.
int countOf(const unsigned short* candidates, const unsigned char* values, short* solution, long* guesses);
int countFrom(board& s, short* solution, long* guesses);

}  // namespace

int ladderSolutions(const short* cells, short* solution, long* guesses) {
    unsigned short candidates[81];
    unsigned char values[81];
    for (int i = 0; i < 81; i++) {
        candidates[i] = 0x1FF;
        values[i] = static_cast<unsigned char>(cells[i] >= 1 && cells[i] <= 9 ? cells[i] : 0);
    }
    return countOf(candidates, values, solution, guesses);
}

int ladderSolutionsOf(const unsigned short* candidates, const unsigned char* values) {
    return countOf(candidates, values, nullptr, nullptr);
}

int ladderSolutionsOf(const ladderGrid& g) {
    board s;
    s.pendingCount = 0;
    uint32_t decided[9][3] = {};  // each digit's decided cells, band by band
    unsigned rows[9] = {}, cols[9] = {}, boxes[9] = {};  // the digits decided in each unit
    for (int i = 0; i < 81; i++) {
        const cellInfo& c = kTables.cells[i];
        const unsigned v = g.value[i];
        if (v) {
            const unsigned digit = 1u << (v - 1);
            // A digit decided twice in a unit: no solution.
            if ((rows[c.row] | cols[c.col] | boxes[c.box]) & digit) return 0;
            rows[c.row] |= digit;
            cols[c.col] |= digit;
            boxes[c.box] |= digit;
            decided[v - 1][c.band] |= c.bit;
            s.cell[i] = static_cast<uint16_t>(digit);
            continue;
        }
        const unsigned m = g.cand[i];
        if (m == 0) return 0;
        if (!(m & (m - 1))) s.pending[s.pendingCount++] = static_cast<uint8_t>(i);
        s.cell[i] = static_cast<uint16_t>(m);
    }
    const auto bands = [](const cellSet& x, uint32_t* out) {
        // A band is 27 cells of the grid's reading order.
        const uint32_t band = (1u << 27) - 1;
        out[0] = static_cast<uint32_t>(x.lo) & band;
        out[1] = static_cast<uint32_t>(x.lo >> 27) & band;
        out[2] = static_cast<uint32_t>((x.lo >> 54) | (x.hi << 10)) & band;
    };
    bands(g.open, s.open);
    for (int d = 0; d < 9; d++) {
        bands(g.pos[d], s.cand[d]);
        for (int b = 0; b < 3; b++) s.cand[d][b] |= decided[d][b];
    }
    s.dirty = (1u << 27) - 1;
    s.lockDirty = 0;
    return countFrom(s, nullptr, nullptr);
}

namespace {

int countOf(const unsigned short* candidates, const unsigned char* values, short* solution, long* guesses) {
    if (guesses) *guesses = 0;
    board s;
    std::memset(s.cand, 0, sizeof s.cand);
    s.open[0] = s.open[1] = s.open[2] = 0;
    s.pendingCount = 0;
    unsigned rows[9] = {}, cols[9] = {}, boxes[9] = {};  // the digits decided in each unit
    for (int i = 0; i < 81; i++) {
        const cellInfo& c = kTables.cells[i];
        unsigned m = candidates[i] & 0x1FFu;
        if (values[i] >= 1 && values[i] <= 9) {
            const unsigned digit = 1u << (values[i] - 1);
            // A digit decided twice in a unit: no solution.
            if ((rows[c.row] | cols[c.col] | boxes[c.box]) & digit) return 0;
            rows[c.row] |= digit;
            cols[c.col] |= digit;
            boxes[c.box] |= digit;
            m = digit;
        } else {
            if (m == 0) return 0;
            s.open[c.band] |= c.bit;
            if (!(m & (m - 1))) s.pending[s.pendingCount++] = static_cast<uint8_t>(i);
        }
        s.cell[i] = static_cast<uint16_t>(m);
        for (unsigned e = m; e; e &= e - 1) s.cand[__builtin_ctz(e)][c.band] |= c.bit;
    }
    // An open cell may still hold a digit decided among its peers.
    for (int i = 0; i < 81; i++) {
        const cellInfo& c = kTables.cells[i];
        if (!(s.open[c.band] & c.bit)) continue;
        const unsigned taken = (rows[c.row] | cols[c.col] | boxes[c.box]) & s.cell[i];
        if (!taken) continue;
        const unsigned m = s.cell[i] & ~taken;
        if (m == 0) return 0;
        for (unsigned e = taken; e; e &= e - 1) s.cand[__builtin_ctz(e)][c.band] &= ~c.bit;
        s.cell[i] = static_cast<uint16_t>(m);
        if (!(m & (m - 1))) s.pending[s.pendingCount++] = static_cast<uint8_t>(i);
    }
    s.dirty = (1u << 27) - 1;
    s.lockDirty = 0;
    return countFrom(s, solution, guesses);
}

int countFrom(board& s, short* solution, long* guesses) {
    if (!s.propagate(false)) return 0;
    board again = s;
    search counter;
    counter.run(s);
    if (guesses) *guesses = counter.guesses;
    if (counter.gaveUp) {
        counter = search();
        counter.careful = true;
        if (!again.propagate(true)) return 0;
        counter.run(again);
        if (guesses) *guesses += counter.guesses;
    }
    if (counter.count == 1 && solution)
        for (int i = 0; i < 81; i++) solution[i] = static_cast<short>(__builtin_ctz(counter.first[i]) + 1);
    return counter.count;
}

}  // namespace
