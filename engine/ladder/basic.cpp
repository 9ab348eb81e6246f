// Singles, the box-line interactions, the double pair, naked and hidden
// subsets and fish, with and without fins.
#include <cstdint>
#include <cstring>

#include "engine/ladder/finders.h"

namespace {

// Both words of a cellSet side by side, so that a loop over the digits'
// sets works on each set at once.
typedef uint64_t bothWords __attribute__((vector_size(16)));

inline bothWords wordsOf(const cellSet& s) {
    bothWords w;
    std::memcpy(&w, &s, sizeof w);
    return w;
}

// A way of giving items (a unit's cells, or a digit's rows) values (digits,
// or columns) of their own: each value's owner and each item's value.
struct pairing {
    signed char owner[9];
    unsigned char mate[9];
};

// Gives item i a value among held(i), handing values on along a path
// (breadth first) from item to item (j may take any of held(j)) to one of
// `spare`, which loses it; false when no path reaches one. With `links`,
// links[v] becomes what v's new owner holds for each value handed on.
template <typename Held>
bool pairItem(int i, const Held& held, unsigned* spare, pairing* p, unsigned* links = nullptr) {
    // The values first reached at each step; the path is found again from
    // them at the end, as it is only one of the many reached.
    unsigned level[10];
    unsigned seen = held(i), frontier = seen;
    level[0] = frontier;
    int depth = 0, end = frontier & *spare ? lowBit(frontier & *spare) : -1;
    while (frontier && end < 0) {
        unsigned next = 0;
        for (unsigned m = frontier; m; m &= m - 1) {
            const int j = p->owner[lowBit(m)];
            if (j < 0) continue;
            const unsigned fresh = held(j) & ~seen & ~next;
            next |= fresh;
            if (fresh & *spare) {
                end = lowBit(fresh & *spare);
                break;
            }
        }
        seen |= next;
        frontier = next;
        level[++depth] = next;
    }
    if (end < 0) return false;
    *spare &= ~(1u << end);
    // A value first reached at step k came from the first item, by its
    // value among those of step k - 1, that holds it.
    for (int v = end, k = depth;; k--) {
        int j = i;
        if (k > 0)
            for (unsigned m = level[k - 1];; m &= m - 1) {
                j = p->owner[lowBit(m)];
                if (j >= 0 && (held(j) >> v) & 1) break;
            }
        const int was = j == i ? -1 : p->mate[j];
        p->owner[v] = static_cast<signed char>(j);
        p->mate[j] = static_cast<unsigned char>(v);
        if (links) links[v] = held(j);
        if (was < 0) return true;
        v = was;
    }
}

// Whether no subset of any kind or size has an effect among nine items
// holding values a[i] (an item holding nothing is no item); p gets a
// pairing of them all. A naked subset is k items holding k values between
// them; a hidden one, and a fish, k values held by k items alone. What
// either removes is a pairing (item, value) that no way of pairing them all
// uses, as the subset's items take its values in every such way. So when
// such ways exist, every value used (else false: not known), it is enough
// that every pairing is in one. With one way found, a pairing is in another
// when it closes a cycle of swaps: linking item i to the item given a value
// i holds, every link must lie on a cycle, i.e. each part the links connect
// is strongly connected.
template <typename Item>
bool everyPairingUsable(const Item* a, pairing* p) {
    // One way: greedily, then by handing values on where that ran out. By
    // value: what its owner holds (the links, as values).
    unsigned spare = kAllDigits, values = 0, next[9];
    int items = 0;
#pragma GCC unroll 9
    for (int i = 0; i < 9; i++) {
        const unsigned held = a[i];
        if (!held) continue;
        items++;
        values |= held;
        const unsigned f = held & spare;
        if (f) {  // mostly
            const int v = lowBit(f);
            p->owner[v] = static_cast<signed char>(i);
            p->mate[i] = static_cast<unsigned char>(v);
            next[v] = held;
            spare ^= f & -f;
        } else {
            if (!pairItem(i, [a](int j) { return a[j]; }, &spare, p, next)) return false;
        }
    }
    if (kNineBitCounts.of[values] != items) return false;
    // Part by part: the values reached forwards from one must all reach it
    // back, and nothing else may link into them.
    for (unsigned rest = values; rest;) {
        const unsigned start = rest & -rest;
        unsigned forward = start;
        // Nothing in `rest` links into the parts before (they would have
        // failed), so the search ends once it has all of `rest`.
        for (unsigned fresh = start; fresh && forward != rest;) {
            unsigned more = 0;
            for (unsigned m = fresh; m; m &= m - 1) more |= next[lowBit(m)];
            fresh = more & ~forward;
            forward |= more;
        }
        // Each value joins as soon as it is seen to reach the others, so
        // that later ones in the same pass may reach it: mostly one pass.
        unsigned backward = start;
        for (bool grew = true; grew;) {
            grew = false;
            for (unsigned m = forward & ~backward; m; m &= m - 1)
                if (next[lowBit(m)] & backward) {
                    backward |= m & -m;
                    grew = true;
                }
        }
        if (forward != backward) return false;
        for (unsigned m = rest & ~forward; m; m &= m - 1)
            if (next[lowBit(m)] & forward) return false;
        rest &= ~forward;
    }
    return true;
}

// For a box's cells of a digit (a mask in box order): those with another
// of them off their row and column.
struct finCells {
    unsigned short of[512];
    constexpr finCells() : of() {
        for (unsigned m = 0; m < 512; m++)
            for (int k = 0; k < 9; k++)
                for (int j = 0; j < 9; j++)
                    if ((m >> k) & (m >> j) & 1 && j / 3 != k / 3 && j % 3 != k % 3)
                        of[m] = static_cast<unsigned short>(of[m] | (1u << k));
    }
};
inline constexpr finCells kFinCells{};

// Whether a digit with no fish (everyPairingUsable of its rows a, paired
// by p; boxes its cells box by box) has no finned or sashimi fish either,
// of any size, either way. One with an effect removes a candidate e of the
// fins' box: were e the digit, its row, its column and the rest of its box
// (the fins) would go, and the fish's base lines would be left with one
// cover line fewer than lines. So it is enough that for every e, the rows
// other than e's can still each be paired with a column of its own that is
// not e's and off e's box. Where the box holds nothing off e's row and
// column, that is e being in some way of pairing them all, as every pairing
// is. Else, for the box and e's column c: in H, the grid less the box's
// candidates off c, e is in some way of pairing all when (H paired by p
// mended) the row paired with c can hand values on to e's row's value.
bool noFinnedFish(const unsigned* a, const unsigned* boxes, const pairing& all) {
    unsigned b[9];
    for (int i = 0; i < 9; i++) b[i] = a[i];
    const auto held = [&b](int j) { return b[j]; };
    for (int box = 0; box < 9; box++) {
        const unsigned cells = kFinCells.of[boxes[box]];
        if (!cells) continue;
        const int band = box / 3 * 3, stack = box % 3 * 3;
        for (int j = 0; j < 3; j++) {
            const unsigned inColumn = (cells >> j) & 0x49;  // in box order
            if (!inColumn) continue;
            const int c = stack + j;
            const unsigned rows = ((inColumn & 1) | ((inColumn >> 2) & 2) | ((inColumn >> 4) & 4)) << band;
            const unsigned gone = (7u << stack) & ~(1u << c);
            pairing p = all;
            unsigned lost = 0, spare = 0;
            for (int r = band; r < band + 3; r++) {
                b[r] = a[r] & ~gone;
                if (a[r] && (gone >> p.mate[r]) & 1) {
                    lost |= 1u << r;
                    spare |= 1u << p.mate[r];
                    p.owner[p.mate[r]] = -1;
                }
            }
            for (unsigned lm = lost; lm; lm &= lm - 1)
                if (!pairItem(lowBit(lm), held, &spare, &p)) return false;
            const int start = p.owner[c];
            unsigned targets = 0;
            for (unsigned rm = rows & ~(1u << start); rm; rm &= rm - 1) targets |= 1u << p.mate[lowBit(rm)];
            unsigned reached = b[start];
            for (unsigned fresh = reached; (targets & ~reached) && fresh;) {
                unsigned more = 0;
                for (unsigned m = fresh; m; m &= m - 1) more |= b[p.owner[lowBit(m)]];
                fresh = more & ~reached;
                reached |= more;
            }
            if (targets & ~reached) return false;
        }
        for (int r = band; r < band + 3; r++) b[r] = a[r];
    }
    return true;
}

// A digit's candidates unit by unit, each as a 9-bit mask in the unit's
// order: for a row the columns that hold it, for a column the rows, for a
// box its cells. Most finders of a step ask for the same digits on the same
// grid, and a step changes few digits, so each digit's masks are kept with
// the candidates they came from. All zero is right for no candidates, so
// the table needs no first filling.
struct digitLines {
    uint64_t lo, hi;
    unsigned unit[27];
    // For its rows and columns, what everyPairingUsable says, then
    // noFinnedFish: 0 not known yet, 1 no, 2 yes; with the pairing.
    unsigned char quiet, finless;
    pairing paired;
    // The units where it has two cells, once asked for.
    bool pairsKnown;
    unsigned pairUnits;

    const unsigned* row() const { return unit + kRowUnit; }
    const unsigned* column() const { return unit + kColumnUnit; }
};

void refreshLines(digitLines* k, const cellSet& p) {
    k->lo = p.lo;
    k->hi = p.hi;
    k->quiet = k->finless = 0;
    k->pairsKnown = false;
    unsigned* u = k->unit;
    lineMasks(p, u + kRowUnit, u + kColumnUnit);
    for (int b = 0; b < 9; b++) {
        const unsigned* r = u + b / 3 * 3;
        const int shift = b % 3 * 3;
        u[kBoxUnit + b] = ((r[0] >> shift) & 7) | (((r[1] >> shift) & 7) << 3) | (((r[2] >> shift) & 7) << 6);
    }
}

// Each cell's row, column, box, place in its box, and units (bit u).
struct cellPlace {
    unsigned char row, column, box, inBox;
    unsigned units;
};
struct cellPlaces {
    cellPlace of[81];
    constexpr cellPlaces() : of() {
        for (int c = 0; c < 81; c++) {
            const int r = c / 9, k = c % 9, b = r / 3 * 3 + k / 3;
            of[c] = {static_cast<unsigned char>(r), static_cast<unsigned char>(k), static_cast<unsigned char>(b),
                     static_cast<unsigned char>(r % 3 * 3 + k % 3),
                     1u << (kRowUnit + r) | 1u << (kColumnUnit + k) | 1u << (kBoxUnit + b)};
        }
    }
};
inline constexpr cellPlaces kCellPlaces{};

// A digit that only lost candidates since its masks were made (mostly a few
// cells) has them taken out of its masks one by one.
void thinLines(digitLines* k, const cellSet& p) {
    cellSet gone(k->lo & ~p.lo, k->hi & ~p.hi);
    k->lo = p.lo;
    k->hi = p.hi;
    k->quiet = k->finless = 0;
    unsigned touched = 0;
    for (int c = gone.pop(); c >= 0; c = gone.pop()) {
        const cellPlace& at = kCellPlaces.of[c];
        k->unit[kRowUnit + at.row] &= ~(1u << at.column);
        k->unit[kColumnUnit + at.column] &= ~(1u << at.row);
        k->unit[kBoxUnit + at.box] &= ~(1u << at.inBox);
        touched |= at.units;
    }
    if (k->pairsKnown)
        for (; touched; touched &= touched - 1) {
            const int u = lowBit(touched);
            k->pairUnits = (k->pairUnits & ~(1u << u)) | unsigned(kNineBitCounts.of[k->unit[u]] == 2) << u;
        }
}

inline digitLines& linesOf(const ladderGrid& g, int d) {
    static thread_local digitLines kept[9];
    digitLines& k = kept[d];
    const cellSet& p = g.pos[d];
    if (k.lo != p.lo || k.hi != p.hi) {
        if ((p.lo & ~k.lo) | (p.hi & ~k.hi)) refreshLines(&k, p);
        else thinLines(&k, p);
    }
    return k;
}

// Whether the digit has no fish of any size either way: its rows are the
// items, the columns they hold their values.
bool quietDigit(digitLines& l) {
    if (!l.quiet) l.quiet = everyPairingUsable(l.row(), &l.paired) ? 2 : 1;
    return l.quiet == 2;
}

bool finlessDigit(digitLines& l) {
    if (!l.finless) l.finless = quietDigit(l) && noFinnedFish(l.row(), l.unit + kBoxUnit, l.paired) ? 2 : 1;
    return l.finless == 2;
}

// The sets of `left` more items below `limit` added to `chosen` (a mask),
// the largest first, in increasing order of the mask; with `need` (a mask)
// not 0, only those with one of its items.
template <int left, bool needs, typename State, typename Grow, typename F>
__attribute__((always_inline)) inline bool grownLevel(int limit, unsigned chosen, unsigned need, const State& s,
                                                    const Grow& grow, const F& f) {
    int i = left - 1;
    if (needs && need && lowBit(need) > i) i = lowBit(need);  // below it, none of `need` would be left to take
    for (; i < limit; i++) {
        const bool needed = needs && ((need >> i) & 1);
        if constexpr (left == 1) {
            if (needs && need && !needed) continue;
        }
        State t;
        if (!grow(s, i, &t)) continue;
        if constexpr (left == 1) {
            if (f(chosen | (1u << i), t)) return true;
        } else {
            if (grownLevel<left - 1, needs>(i, chosen | (1u << i), needed ? 0 : need, t, grow, f)) return true;
        }
    }
    return false;
}

// Every k-element subset (k at most 4) of n items as a mask, in increasing
// order of the mask, carrying a state grown item by item: grow(s, i, &t)
// makes t of s and item i, and says whether a set with t may still give
// something; one that may not is not grown further, nor handed to f. The
// largest item is chosen first, so the sets come in order without sorting.
// With `need` not 0, only the sets with one of its items. Calls f(mask,
// state) until it returns true.
template <typename State, typename Grow, typename F>
bool eachGrownCombination(int n, int k, unsigned need, const State& empty, const Grow& grow, const F& f) {
    if (k > n) return false;
    if (need) {
        switch (k) {
        case 1: return grownLevel<1, true>(n, 0, need, empty, grow, f);
        case 2: return grownLevel<2, true>(n, 0, need, empty, grow, f);
        case 3: return grownLevel<3, true>(n, 0, need, empty, grow, f);
        case 4: return grownLevel<4, true>(n, 0, need, empty, grow, f);
        default: return false;
        }
    }
    switch (k) {
    case 1: return grownLevel<1, false>(n, 0, 0, empty, grow, f);
    case 2: return grownLevel<2, false>(n, 0, 0, empty, grow, f);
    case 3: return grownLevel<3, false>(n, 0, 0, empty, grow, f);
    case 4: return grownLevel<4, false>(n, 0, 0, empty, grow, f);
    default: return false;
    }
}

// Those k-element subsets whose items' bits number k or fewer together: the
// only ones a subset or a fish can be made of. f(mask, bits together).
template <typename F>
bool eachTightCombination(int n, int k, const unsigned* bits, const F& f) {
    return eachGrownCombination(
        n, k, 0, 0u,
        [&](unsigned held, int i, unsigned* next) {
            *next = held | bits[i];
            return kNineBitCounts.of[*next] <= k;
        },
        f);
}

}  // namespace

void singleStep(ladderStep* step, int technique, int cell, int digit, int unit) {
    setTechnique(step, technique);
    step->placeCell = cell;
    step->placeDigit = digit;
    step->pattern.kind = patternSingle;
    step->pattern.cell = cell;
    step->pattern.digit = digit;
    step->pattern.unit = unit;
}

void fishPattern(ladderStep* step, int digit, const int* base, const int* cover, int size, cellSet fins) {
    ladderPattern& p = step->pattern;
    p.kind = patternFish;
    p.digit = digit;
    p.size = size;
    for (int i = 0; i < size; i++) {
        p.base[i] = base[i];
        p.cover[i] = cover[i];
    }
    p.fins = fins;
}

void subsetPattern(ladderStep* step, int technique, bool naked, int unit, cellSet cells, unsigned digits) {
    setTechnique(step, technique);
    ladderPattern& p = step->pattern;
    p.kind = patternSubset;
    p.naked = naked;
    p.unit = unit;
    p.cells = cells;
    p.digits = static_cast<unsigned short>(digits);
}

void fishLines(int baseKind, int coverKind, unsigned baseUnits, unsigned covers, int* base, int* cover, cellSet* baseCells,
               cellSet* coverCells) {
    int nb = 0, nc = 0;
    for (int i = 0; i < 9; i++) {
        if (covers & (1u << i)) {
            cover[nc++] = coverKind + i;
            *coverCells |= kGeometry.unit[coverKind + i];
        }
        if (baseUnits & (1u << i)) {
            base[nb++] = baseKind + i;
            *baseCells |= kGeometry.unit[baseKind + i];
        }
    }
}

void finnedFishStep(const ladderGrid& g, int d, int size, bool rows, unsigned baseUnits, unsigned covers, const unsigned* along,
                    ladderStep* step) {
    const int finned = size == 2 ? techFinnedXWing : size == 3 ? techFinnedSwordfish : techFinnedJellyfish;
    const int baseKind = rows ? kRowUnit : kColumnUnit, coverKind = rows ? kColumnUnit : kRowUnit;
    int base[4], cover[4];
    cellSet baseCells, coverCells;
    fishLines(baseKind, coverKind, baseUnits, covers, base, cover, &baseCells, &coverCells);
    const cellSet finCells = (g.pos[d] & baseCells).minus(coverCells);
    const int box = kBoxUnit + boxOf(finCells.first());
    // Sashimi: a base line left with one covered candidate or none.
    bool sashimi = false;
    for (unsigned b = baseUnits; b; b &= b - 1)
        if (bitCount(along[lowBit(b)] & covers) <= 1) sashimi = true;
    setTechnique(step, finned + (sashimi ? 1 : 0));
    fishPattern(step, d + 1, base, cover, size, finCells);
    addRemovals(step, (g.pos[d] & coverCells & kGeometry.unit[box]).minus(baseCells), d);
}

void lineMasks(cellSet cells, unsigned* byRow, unsigned* byColumn) {
    for (int r = 0; r < 7; r++) byRow[r] = static_cast<unsigned>(cells.lo >> (r * 9)) & 0x1FF;
    byRow[7] = static_cast<unsigned>((cells.lo >> 63) | (cells.hi << 1)) & 0x1FF;
    byRow[8] = static_cast<unsigned>(cells.hi >> 8) & 0x1FF;
    // A column's cells of rows 0 to 6 lie 9 bits apart in the first word:
    // one product gathers them into its top byte, each term landing on a
    // bit of its own (the others fall off the top or stay below, apart).
    const uint64_t rows06 = 0x0040201008040201ull;  // bit 9r, r = 0..6
    const uint64_t gather = 0x0101010101010100ull;  // 2^(56 - 8r), r = 0..6
    for (int c = 0; c < 9; c++)
        byColumn[c] = static_cast<unsigned>((((cells.lo >> c) & rows06) * gather) >> 56) |
                      (((byRow[7] >> c) & 1) << 7) | (((byRow[8] >> c) & 1) << 8);
}

unsigned lineMask(const ladderGrid& g, int unit, int d) {
    unsigned mask = 0;
    for (int k = 0; k < 9; k++)
        if (g.pos[d].has(kGeometry.unitCell[unit][k])) mask |= 1u << k;
    return mask;
}

void addRemovals(ladderStep* step, cellSet cells, int d) {
    for (int c = cells.pop(); c >= 0; c = cells.pop()) step->removals.push_back(static_cast<unsigned short>(c * 9 + d));
}

void setTechnique(ladderStep* step, int technique, int extra) {
    step->technique = technique;
    step->difficulty = ladderInfo(technique).difficulty + extra;
}

bool findNakedSingle(const ladderGrid& g, ladderStep* step) {
    // The cells met once and not twice counting every digit's candidates.
    bothWords once = {0, 0}, twice = {0, 0};
    for (int d = 0; d < 9; d++) {
        const bothWords p = wordsOf(g.pos[d]);
        twice |= once & p;
        once |= p;
    }
    const bothWords single = once & ~twice;
    const int c = (cellSet(single[0], single[1]) & g.open).first();
    if (c < 0) return false;
    singleStep(step, techNakedSingle, c, lowBit(g.cand[c]) + 1, -1);
    return true;
}

// The digits met once and not twice among nine cells' candidates, the
// cells `at` apart from p from one to the next in threes, `skip` apart
// between the threes.
template <int at, int skip>
inline unsigned onceOnly(const unsigned short* p) {
    unsigned once = 0, twice = 0;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) {
            const unsigned held = p[i * skip + j * at];
            twice |= once & held;
            once |= held;
        }
    return once & ~twice;
}

// The digits met once and not twice among box b's cells: its three rows
// side by side, each read as one word of four cells (the three and the one
// after, or for the last stack the one before) with the three kept.
// Where each box's words start, and the shift that drops the cell before.
struct boxWords {
    unsigned char first[9], shift[9];
    constexpr boxWords() : first(), shift() {
        for (int b = 0; b < 9; b++) {
            const int stack = b % 3;
            first[b] = static_cast<unsigned char>(b / 3 * 27 + stack * 3 - (stack == 2));
            shift[b] = static_cast<unsigned char>(stack == 2 ? 16 : 0);
        }
    }
};
inline constexpr boxWords kBoxWords{};

inline unsigned boxOnceOnly(const unsigned short* cand, int b) {
    const int first = kBoxWords.first[b], shift = kBoxWords.shift[b];
    const uint64_t three = (uint64_t(1) << 48) - 1;
    uint64_t row[3];
    for (int k = 0; k < 3; k++) {
        std::memcpy(&row[k], cand + first + k * 9, sizeof row[k]);
        row[k] = (row[k] >> shift) & three;
    }
    const uint64_t once = row[0] | row[1] | row[2], twice = (row[0] & row[1]) | (row[2] & (row[0] | row[1]));
    const unsigned a = once & 0xFFFF, m = (once >> 16) & 0xFFFF, c = static_cast<unsigned>(once >> 32);
    const unsigned more = static_cast<unsigned>((twice | twice >> 16 | twice >> 32) & 0xFFFF) | (a & m) | (c & (a | m));
    return (a | m | c) & ~more;
}

static void hiddenSingleStep(const ladderGrid& g, int u, unsigned single, ladderStep* step) {
    const int d = lowBit(single);
    // The digit's one cell in the unit.
    const int cell = (g.pos[d] & kGeometry.unit[u]).first();
    singleStep(step, u >= kBoxUnit ? techHiddenSingleBox : techHiddenSingleLine, cell, d + 1, u);
}

// What the finders over units know of the grid they last saw: for each
// finder, the units seen to give nothing; and the units known to be quiet
// (everyPairingUsable of their cells: no subset of any kind or size there).
// What a unit gives depends on its own cells alone, so when the grid
// changes, each unit with a changed cell is forgotten, once for all the
// finders. All zero (no candidates, nothing known) needs no first filling.
enum unitFinder {
    finderHiddenLines,
    finderHiddenBoxes,
    finderNaked,                     // + size - 2
    finderHidden = finderNaked + 3,  // + size - 2
    kUnitFinders = finderHidden + 3
};

struct unitFacts {
    // Each digit's cells, laid out as the grid's (word by word, a set after
    // another) so that both are compared and copied whole; plain words, so
    // that the record needs no first filling.
    uint64_t pos[9][2];
    unsigned nothing[kUnitFinders];
    unsigned quietKnown, quiet;
};

// For a box's cells of a digit (a mask in box order): the box's rows (bit
// k, its k-th) and columns that hold them.
struct boxSpans {
    unsigned char rows[512], columns[512];
    constexpr boxSpans() : rows(), columns() {
        for (unsigned m = 0; m < 512; m++) {
            rows[m] = static_cast<unsigned char>((m & 7 ? 1 : 0) | (m & 0x38 ? 2 : 0) | (m & 0x1C0 ? 4 : 0));
            columns[m] = static_cast<unsigned char>((m | (m >> 3) | (m >> 6)) & 7);
        }
    }
};
inline constexpr boxSpans kBoxSpans{};

// The units (bit u) with a cell whose candidates changed since f's grid.
static unsigned changedUnits(const unitFacts& f, const ladderGrid& g) {
    uint64_t lo = 0, hi = 0;
    for (int d = 0; d < 9; d++) {
        lo |= f.pos[d][0] ^ g.pos[d].lo;
        hi |= f.pos[d][1] ^ g.pos[d].hi;
    }
    if (!(lo | hi)) return 0;
    // Rows 0 to 6 are the first word's 9-bit fields: a field is not zero
    // when its top bit is set or adding 255 to its low eight carries into
    // it; those top bits, 9 apart, gathered into a byte as lineMasks does.
    const uint64_t low8 = 0x3FDFEFF7FBFDFEFFull;  // bits 0..7 of each field
    const uint64_t top = 0x4020100804020100ull;   // bit 8 of each
    const uint64_t nonzero = (((lo & low8) + low8) | lo) & top;
    const uint64_t row7 = ((lo >> 63) | (hi << 1)) & 0x1FF, row8 = (hi >> 8) & 0x1FF;
    unsigned out = static_cast<unsigned>((((nonzero >> 8) * 0x0101010101010100ull) >> 56) & 0x7F) |
                   unsigned(row7 != 0) << 7 | unsigned(row8 != 0) << 8;
    // Each band's columns, three rows folded into one.
    const uint64_t bands01 = lo | lo >> 9 | lo >> 18;
    const unsigned bandColumns[3] = {static_cast<unsigned>(bands01) & 0x1FF, static_cast<unsigned>(bands01 >> 27) & 0x1FF,
                                     static_cast<unsigned>((lo >> 54) | row7 | row8) & 0x1FF};
    out |= (bandColumns[0] | bandColumns[1] | bandColumns[2]) << kColumnUnit;
    // A band's boxes are its columns' stacks, as a box's rows are its blocks of three.
    out |= unsigned(kBoxSpans.rows[bandColumns[0]] | kBoxSpans.rows[bandColumns[1]] << 3 | kBoxSpans.rows[bandColumns[2]] << 6)
           << kBoxUnit;
    return out;
}

static unitFacts& factsOf(const ladderGrid& g) {
    static thread_local unitFacts f;
    const unsigned changed = changedUnits(f, g);
    if (changed) {
        for (unsigned& known : f.nothing) known &= ~changed;
        f.quietKnown &= ~changed;
        std::memcpy(f.pos, g.pos, sizeof f.pos);
    }
    return f;
}

// Those of `units` that are quiet.
static unsigned quietUnits(const ladderGrid& g, unitFacts& f, unsigned units) {
    for (unsigned us = units & ~f.quietKnown; us; us &= us - 1) {
        const int u = lowBit(us);
        pairing p{};  // only values handed out are read; cleared, as the compiler cannot see that
        // Every unit's cells gathered, a row's in one copy, so that the
        // check is called from one place alone.
        unsigned short held[9];
        if (u < kColumnUnit) std::memcpy(held, g.cand + (u - kRowUnit) * 9, sizeof held);
        else if (u < kBoxUnit)
            for (int k = 0; k < 9; k++) held[k] = g.cand[k * 9 + u - kColumnUnit];
        else
            for (int k = 0; k < 9; k++) held[k] = g.cand[kGeometry.unitCell[u][k]];
        const bool quiet = everyPairingUsable(held, &p);
        if (quiet) f.quiet |= 1u << u;
        else f.quiet &= ~(1u << u);
    }
    f.quietKnown |= units;
    return units & f.quiet;
}

bool findHiddenSingle(const ladderGrid& g, bool boxes, ladderStep* step) {
    unsigned& nothing = factsOf(g).nothing[boxes ? finderHiddenBoxes : finderHiddenLines];
    const unsigned kind = boxes ? kAllUnits & ~((1u << kBoxUnit) - 1) : (1u << kBoxUnit) - 1;
    const unsigned todo = kind & ~nothing;
    if (!todo) return false;
    const auto remember = [&] { nothing |= kind; };
    if (boxes) {
        for (unsigned bs = todo >> kBoxUnit; bs; bs &= bs - 1) {
            const int b = lowBit(bs);
            const unsigned single = boxOnceOnly(g.cand, b);
            if (single) {
                nothing |= todo & ((1u << (kBoxUnit + b)) - 1);  // the boxes before it gave nothing
                hiddenSingleStep(g, kBoxUnit + b, single, step);
                return true;
            }
        }
        remember();
        return false;
    }
    for (int r = 0; r < 9; r++) {
        if (!(todo & (1u << (kRowUnit + r)))) continue;
        const unsigned single = onceOnly<1, 3>(g.cand + r * 9);
        if (single) {
            hiddenSingleStep(g, kRowUnit + r, single, step);
            return true;
        }
    }
    // The columns side by side, row by row: a row's first eight cells copied
    // into two words, and its last one.
    uint64_t once[3] = {0, 0, 0}, twice[3] = {0, 0, 0};
    for (int r = 0; r < 9; r++) {
        const unsigned short* p = g.cand + r * 9;
        uint64_t held[3];
        std::memcpy(held, p, 8 * sizeof *p);
        held[2] = p[8];
        for (int w = 0; w < 3; w++) {
            twice[w] |= once[w] & held[w];
            once[w] |= held[w];
        }
    }
    uint64_t single[2] = {once[0] & ~twice[0], once[1] & ~twice[1]};
    unsigned short column[9];  // copied back as they came, whatever the byte order
    std::memcpy(column, single, 8 * sizeof *column);
    column[8] = static_cast<unsigned short>(once[2] & ~twice[2]);
    for (int c = 0; c < 9; c++)
        if (column[c]) {
            hiddenSingleStep(g, kColumnUnit + c, column[c], step);
            return true;
        }
    remember();
    return false;
}

// A digit's candidates of unit u all in unit `other`: the rest of `other`
// loses it.
static void lockedStep(const ladderGrid& g, int technique, int d, int u, int other, ladderStep* step) {
    setTechnique(step, technique);
    fishPattern(step, d + 1, &u, &other, 1, cellSet());
    addRemovals(step, (g.pos[d] & kGeometry.unit[other]).minus(kGeometry.unit[u]), d);
}

// For a box's cells of a digit (a mask in box order): 1 + k when two or more
// of them lie all on the box's row k, 4 + k when on its column k, else 0.
// Read as a line's, 1 + k is two or more all in its k-th block of three.
struct boxLines {
    unsigned char of[512];
    constexpr boxLines() : of() {
        for (unsigned m = 0; m < 512; m++) {
            const unsigned t[3] = {m & 7, (m >> 3) & 7, m >> 6};
            const unsigned columns = t[0] | t[1] | t[2];
            int rows = 0, row = 0, count = 0;
            for (int k = 0; k < 3; k++) {
                if (t[k]) {
                    rows++;
                    row = k;
                }
                for (unsigned x = t[k]; x; x &= x - 1) count++;
            }
            if (count < 2) continue;
            if (rows == 1) of[m] = static_cast<unsigned char>(1 + row);
            else if (columns == 1 || columns == 2 || columns == 4)
                of[m] = static_cast<unsigned char>(4 + (columns == 1 ? 0 : columns == 2 ? 1 : 2));
        }
    }
};
inline constexpr boxLines kBoxLines{};

// For a line's cells of a digit: 1 + k when two or more of them lie all in
// its k-th block of three, else 0.
struct lineBlocks {
    unsigned char of[512];
    constexpr lineBlocks() : of() {
        for (unsigned m = 0; m < 512; m++) of[m] = kBoxLines.of[m] <= 3 ? kBoxLines.of[m] : 0;
    }
};
inline constexpr lineBlocks kLineBlocks{};

// Boxes into lines: a box's candidates of a digit on one row (column) of it,
// at least two of them, with more of the digit on the rest of that line.
bool findPointing(const ladderGrid& g, unsigned digits, ladderStep* step) {
    for (unsigned ds = digits & kAllDigits; ds; ds &= ds - 1) {
        const int d = lowBit(ds);
        const digitLines& l = linesOf(g, d);
        for (int b = 0; b < 9; b++) {
            const int line = kBoxLines.of[l.unit[kBoxUnit + b]];
            if (!line) continue;
            const int band = b / 3 * 3, stack = b % 3 * 3;
            if (line <= 3) {
                const int r = band + line - 1;
                if (!(l.row()[r] & ~(7u << stack))) continue;
                lockedStep(g, techPointing, d, kBoxUnit + b, kRowUnit + r, step);
                return true;
            }
            const int c = stack + line - 4;
            if (!(l.column()[c] & ~(7u << band))) continue;
            lockedStep(g, techPointing, d, kBoxUnit + b, kColumnUnit + c, step);
            return true;
        }
    }
    return false;
}

// Lines into boxes: a line's candidates of a digit in one box, at least two
// of them, with more of the digit on the box's other lines. Rows, then
// columns.
bool findClaiming(const ladderGrid& g, unsigned digits, ladderStep* step) {
    for (unsigned ds = digits & kAllDigits; ds; ds &= ds - 1) {
        const int d = lowBit(ds);
        const digitLines& l = linesOf(g, d);
        for (int columns = 0; columns < 2; columns++) {
            const unsigned* along = columns ? l.column() : l.row();
            for (int i = 0; i < 9; i++) {
                // Two or more in one block of three, read as a box's rows.
                const int in = kLineBlocks.of[along[i]];
                if (!in) continue;
                const int block = (in - 1) * 3;  // the first of the three lines it crosses in the box
                const int group = i / 3 * 3;
                unsigned others = 0;
                for (int k = group; k < group + 3; k++)
                    if (k != i) others |= along[k];
                if (!(others & (7u << block))) continue;
                const int box = columns ? block + i / 3 : group + block / 3;
                lockedStep(g, techClaiming, d, (columns ? kColumnUnit : kRowUnit) + i, kBoxUnit + box, step);
                return true;
            }
        }
    }
    return false;
}

// For the lines of a band (stack) that three boxes' candidates lie on (box
// i's in bits 3i..3i+2): the first two boxes, in the order (0, 1), (0, 2),
// (1, 2), on the same two lines with the third box on one of them, as
// 1 + that pair's place in the order; 0 for none.
struct doublePairs {
    unsigned char of[512];
    constexpr doublePairs() : of() {
        const int pairs[3][2] = {{0, 1}, {0, 2}, {1, 2}};
        for (unsigned m = 0; m < 512; m++)
            for (int k = 2; k >= 0; k--) {
                const unsigned a = (m >> (3 * pairs[k][0])) & 7, b = (m >> (3 * pairs[k][1])) & 7;
                const unsigned c = (m >> (3 * (3 - pairs[k][0] - pairs[k][1]))) & 7, both = a | b;
                if (a && b && (both == 3 || both == 5 || both == 6) && (c & both))
                    of[m] = static_cast<unsigned char>(1 + k);
            }
    }
};
inline constexpr doublePairs kDoublePairs{};

bool findDoublePair(const ladderGrid& g, unsigned digits, ladderStep* step) {
    for (unsigned ds = digits & kAllDigits; ds; ds &= ds - 1) {
        const int d = lowBit(ds);
        const digitLines& l = linesOf(g, d);
        for (int bands = 0; bands < 2; bands++)  // stacks (columns), then bands (rows)
            for (int group = 0; group < 3; group++) {
                int boxes[3];
                unsigned lines = 0;  // the group's lines that hold the digit, box by box
                for (int i = 0; i < 3; i++) {
                    boxes[i] = bands ? group * 3 + i : i * 3 + group;
                    const unsigned m = l.unit[kBoxUnit + boxes[i]];
                    lines |= unsigned(bands ? kBoxSpans.rows[m] : kBoxSpans.columns[m]) << (3 * i);
                }
                const int found = kDoublePairs.of[lines];
                if (!found) continue;
                const int a = found == 3 ? 1 : 0, b = found == 1 ? 1 : 2, c = 3 - a - b;
                const unsigned both = ((lines >> (3 * a)) | (lines >> (3 * b))) & 7;
                int base[2] = {kBoxUnit + boxes[a], kBoxUnit + boxes[b]}, cover[2];
                int n = 0;
                for (int k = 0; k < 3; k++)
                    if (both & (1u << k)) cover[n++] = (bands ? kRowUnit : kColumnUnit) + group * 3 + k;
                setTechnique(step, techDoublePair);
                fishPattern(step, d + 1, base, cover, 2, cellSet());
                addRemovals(step,
                            g.pos[d] & kGeometry.unit[kBoxUnit + boxes[c]] &
                                (kGeometry.unit[cover[0]] | kGeometry.unit[cover[1]]),
                            d);
                return true;
            }
    }
    return false;
}

// The open cells with 2 to `most` candidates (most at most 4), counting
// every digit's candidates at once in bit planes.
static cellSet fewCandidates(const ladderGrid& g, int most) {
    bothWords p[4] = {};  // bit planes of the count; plane 3 sticks at 8
    for (int d = 0; d < 9; d++) {
        bothWords x = wordsOf(g.pos[d]);
        for (int b = 0; b < 3; b++) {
            const bothWords carry = p[b] & x;
            p[b] ^= x;
            x = carry;
        }
        p[3] |= x;
    }
    const bothWords two = ~p[0] & p[1] & ~p[2], three = p[0] & p[1] & ~p[2], four = ~p[0] & ~p[1] & p[2];
    const bothWords none = {0, 0};
    const bothWords few = (two | (most >= 3 ? three : none) | (most >= 4 ? four : none)) & ~p[3];
    return cellSet(few[0], few[1]);
}

bool findNakedSubset(const ladderGrid& g, int size, unsigned units, ladderStep* step) {
    const int technique = size == 2 ? techNakedPair : size == 3 ? techNakedTriple : techNakedQuad;
    units &= kAllUnits;
    if (!units || size < 2 || size > 4) return false;
    unitFacts& facts = factsOf(g);
    unsigned& nothing = facts.nothing[finderNaked + size - 2];
    unsigned todo = units & ~nothing;
    if (todo) todo &= ~quietUnits(g, facts, todo);
    if (!todo) {
        nothing |= units;
        return false;
    }
    const cellSet few = fewCandidates(g, size);
    for (unsigned us = todo; us; us &= us - 1) {
        const int u = lowBit(us);
        cellSet inUnit = few & kGeometry.unit[u];
        // A unit's cells in its order are in increasing order of the cell.
        int cells[9], n = 0;
        unsigned held[9];
        for (int c = inUnit.pop(); c >= 0; c = inUnit.pop()) {
            cells[n] = c;
            held[n++] = g.cand[c];
        }
        if (n < size) continue;
        const bool found = eachTightCombination(n, size, held, [&](unsigned mask, unsigned digits) {
            if (kNineBitCounts.of[digits] != size) return false;
            cellSet chosen;
            for (unsigned m = mask; m; m &= m - 1) chosen.add(cells[lowBit(m)]);
            // Something to remove in the unit: another of its cells holds one of the digits.
            const cellSet rest = kGeometry.unit[u].minus(chosen);
            bool any = false;
            for (unsigned m = digits; m; m &= m - 1)
                if (g.pos[lowBit(m)].meets(rest)) any = true;
            if (!any) return false;
            const cellSet around = seeingAll(chosen);
            subsetPattern(step, technique, true, u, chosen, digits);
            for (unsigned m = digits; m; m &= m - 1) addRemovals(step, g.pos[lowBit(m)] & around, lowBit(m));
            return true;
        });
        if (found) return true;
    }
    nothing |= units;
    return false;
}

bool findHiddenSubset(const ladderGrid& g, int size, unsigned units, int technique, ladderStep* step) {
    units &= kAllUnits;
    if (!units || size < 2 || size > 4) return false;
    unitFacts& facts = factsOf(g);
    unsigned& nothing = facts.nothing[finderHidden + size - 2];
    unsigned todo = units & ~nothing;
    if (todo) todo &= ~quietUnits(g, facts, todo);
    if (!todo) {
        nothing |= units;
        return false;
    }
    const digitLines* lines[9];
    for (int d = 0; d < 9; d++) lines[d] = &linesOf(g, d);
    for (unsigned us = todo; us; us &= us - 1) {
        const int u = lowBit(us);
        // Each digit's places in the unit, as a mask of the unit's cells.
        unsigned at[9];
        for (int d = 0; d < 9; d++)
            at[d] = lines[d]->unit[u];
        int digits[9], n = 0;
        unsigned listed[9];
        for (int d = 0; d < 9; d++) {
            const int count = kNineBitCounts.of[at[d]];
            if (count >= 2 && count <= size) {
                digits[n] = d;
                listed[n++] = at[d];
            }
        }
        const bool found = eachTightCombination(n, size, listed, [&](unsigned mask, unsigned places) {
            if (kNineBitCounts.of[places] != size) return false;
            unsigned chosen = 0;
            for (unsigned m = mask; m; m &= m - 1) chosen |= 1u << digits[lowBit(m)];
            // Something to remove: another digit in one of the places.
            bool any = false;
            for (int d = 0; d < 9; d++)
                if (!(chosen & (1u << d)) && (at[d] & places)) any = true;
            if (!any) return false;
            cellSet cells;
            for (unsigned m = places; m; m &= m - 1) cells.add(kGeometry.unitCell[u][lowBit(m)]);
            subsetPattern(step, technique, false, u, cells, chosen);
            for (int d = 0; d < 9; d++)
                if (!(chosen & (1u << d))) addRemovals(step, g.pos[d] & cells, d);
            return true;
        });
        if (found) return true;
    }
    nothing |= units;
    return false;
}

bool findFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step) {
    const int technique = size == 2 ? techXWing : size == 3 ? techSwordfish : techJellyfish;
    for (unsigned ds = digits & kAllDigits; ds; ds &= ds - 1) {
        const int d = lowBit(ds);
        digitLines& l = linesOf(g, d);
        if (quietDigit(l)) continue;
        for (int rows = 1; rows >= 0; rows--) {
            const int baseKind = rows ? kRowUnit : kColumnUnit, coverKind = rows ? kColumnUnit : kRowUnit;
            const unsigned* along = rows ? l.row() : l.column();
            int lines[9], n = 0;
            unsigned masks[9];
            for (int i = 0; i < 9; i++) {
                const int count = kNineBitCounts.of[along[i]];
                if (count >= 2 && count <= size) {
                    lines[n] = i;
                    masks[n++] = along[i];
                }
            }
            const bool found = eachTightCombination(n, size, masks, [&](unsigned mask, unsigned covers) {
                if (kNineBitCounts.of[covers] != size) return false;
                unsigned baseUnits = 0;
                for (unsigned m = mask; m; m &= m - 1) baseUnits |= 1u << lines[lowBit(m)];
                // Something to remove: another line with the digit on a cover line.
                bool any = false;
                for (int i = 0; i < 9; i++)
                    if (!(baseUnits & (1u << i)) && (along[i] & covers)) any = true;
                if (!any) return false;
                int base[4], cover[4];
                cellSet baseCells, coverCells;
                fishLines(baseKind, coverKind, baseUnits, covers, base, cover, &baseCells, &coverCells);
                setTechnique(step, technique);
                fishPattern(step, d + 1, base, cover, size, cellSet());
                addRemovals(step, (g.pos[d] & coverCells).minus(baseCells), d);
                return true;
            });
            if (found) return true;
        }
    }
    return false;
}

namespace {

// The base lines of a finned fish so far: the lines, and per block of three
// base lines (band or stack) the cover lines their candidates lie on.
struct finnedBase {
    unsigned taken;
    unsigned inBlock[3];
};

// A finned fish of one digit and size, base lines one way: along[i] are the
// cover lines of line i's candidates.
struct finnedSearch {
    const unsigned* along;
    int size;
    unsigned blockLines[3][8];  // per block, the cover lines of some of its lines (bit k: its k-th)

    finnedSearch(const unsigned* a, int k) : along(a), size(k) {
        for (int block = 0; block < 3; block++) {
            unsigned* u = blockLines[block];
            const unsigned* l = along + block * 3;
            u[0] = 0;
            u[1] = l[0];
            u[2] = l[1];
            u[3] = l[0] | l[1];
            u[4] = l[2];
            u[5] = l[0] | l[2];
            u[6] = l[1] | l[2];
            u[7] = l[0] | l[1] | l[2];
        }
    }
    // The cover lines of the block's lines that are not base lines: what a
    // fish with fins in the block can remove lies on them.
    unsigned others(const finnedBase& s, int block) const {
        return blockLines[block][~(s.taken >> (block * 3)) & 7];
    }

    // Whether these base lines may still make a finned fish when more are
    // added: for some block and block of cover lines (the fins' box), the
    // base lines' candidates outside the box need `size` cover lines or
    // fewer, and the block's other lines reach into the box. More base lines
    // only add to the first and take from the second.
    bool mayFin(const finnedBase& s) const {
        for (int block = 0; block < 3; block++) {
            const unsigned rest = s.inBlock[(block + 1) % 3] | s.inBlock[(block + 2) % 3];
            if (kNineBitCounts.of[rest] > size) continue;
            const unsigned reach = others(s, block);
            for (int cross = 0; cross < 3; cross++) {
                const unsigned blockCovers = 7u << (cross * 3);
                if ((reach & blockCovers) && kNineBitCounts.of[rest | (s.inBlock[block] & ~blockCovers)] <= size)
                    return true;
            }
        }
        return false;
    }

    // The cover lines of the first finned fish on these base lines, or 0.
    unsigned covers(const finnedBase& s) const {
        // The fins lie in one box: in one of the base lines' blocks of three
        // (band or stack), across one block of cover lines.
        for (int block = 0; block < 3; block++) {
            const unsigned blockBases = 7u << (block * 3);
            if (!(s.taken & blockBases)) continue;
            // The base lines outside the block need covers of their own.
            const unsigned rest = s.inBlock[(block + 1) % 3] | s.inBlock[(block + 2) % 3];
            if (kNineBitCounts.of[rest] > size) continue;
            const unsigned reach = others(s, block), inside = s.inBlock[block];
            for (int crossBlock = 0; crossBlock < 3; crossBlock++) {
                const unsigned blockCovers = 7u << (crossBlock * 3);
                // The cover lines the candidates outside the fin box need.
                const unsigned outside = rest | (inside & ~blockCovers);
                if (kNineBitCounts.of[outside] > size) continue;
                const int need = size - kNineBitCounts.of[outside];
                // Filled up with cover lines through the fin box.
                const unsigned spare = blockCovers & ~outside;
                // Whatever the filling, the fins lie on the block's cover
                // lines outside `outside`, and what is removed lies on cover
                // lines through the box that reach the block's other lines.
                const unsigned reaching = reach & blockCovers;
                if (!(inside & blockCovers & ~outside) || !reaching) continue;
                for (unsigned extra = spare;; extra = (extra - 1) & spare) {
                    if (kNineBitCounts.of[extra] == need) {
                        const unsigned covers = outside | extra;
                        if ((inside & ~covers) && (covers & reaching)) return covers;
                    }
                    if (extra == 0) break;
                }
            }
        }
        return 0;
    }
};

}  // namespace

const unsigned* digitUnitMasks(const ladderGrid& g, int d, unsigned* pairs) {
    digitLines& l = linesOf(g, d);
    if (!l.pairsKnown) {
        l.pairsKnown = true;
        // Four units at a time: a mask of two bits has one left once its
        // lowest is cleared.
        typedef unsigned fourWords __attribute__((vector_size(16)));
        const fourWords zero = {0, 0, 0, 0}, one = {1, 1, 1, 1};
        fourWords bits = zero, place = {1, 2, 4, 8};
        for (int u = 0; u < 24; u += 4, place <<= 4) {
            fourWords x;
            std::memcpy(&x, l.unit + u, sizeof x);
            const fourWords y = x & (x - one);
            const fourWords two = (fourWords)(y != zero) & (fourWords)((y & (y - one)) == zero);
            bits |= two & place;
        }
        unsigned pairs = bits[0] | bits[1] | bits[2] | bits[3];
        for (int u = 24; u < 27; u++) pairs |= unsigned(kNineBitCounts.of[l.unit[u]] == 2) << u;
        l.pairUnits = pairs;
    }
    *pairs = l.pairUnits;
    return l.unit;
}

bool findFinnedFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step) {
    if (size < 2 || size > 4) return false;
    // Each digit's candidates when its search last found nothing. Where it
    // has only lost candidates since, base lines none of which lost any
    // still give nothing: their own candidates are the same, and those of
    // the other lines, which are what a fish removes and what reaches into
    // a fin's box, are only fewer. All zero (no candidates) needs no first
    // filling.
    static thread_local uint64_t failed[3][9][2];
    for (unsigned ds = digits & kAllDigits; ds; ds &= ds - 1) {
        const int d = lowBit(ds);
        uint64_t* was = failed[size - 2][d];
        const cellSet& now = g.pos[d];
        unsigned lost[2] = {kAllDigits, kAllDigits};  // columns, rows that lost some (all: look at everything)
        if (!(now.lo & ~was[0]) && !(now.hi & ~was[1])) {
            cellSet gone(was[0] & ~now.lo, was[1] & ~now.hi);
            if (gone.empty()) continue;
            lost[0] = lost[1] = 0;
            for (int c = gone.pop(); c >= 0; c = gone.pop()) {
                lost[1] |= 1u << rowOf(c);
                lost[0] |= 1u << columnOf(c);
            }
        }
        digitLines& l = linesOf(g, d);
        for (int rows = 1; rows >= 0 && !finlessDigit(l); rows--) {
            const unsigned* along = rows ? l.row() : l.column();  // base line i: its cover lines
            int lines[9], n = 0;
            for (int i = 0; i < 9; i++)
                if (kNineBitCounts.of[along[i]] >= 2) lines[n++] = i;
            unsigned need = 0;  // the base lines that lost candidates, as items
            for (int k = 0; k < n; k++)
                if (lost[rows] & (1u << lines[k])) need |= 1u << k;
            if (!need) continue;
            const finnedSearch search(along, size);
            unsigned covers = 0, baseUnits = 0;
            const bool found = eachGrownCombination(
                n, size, need == (1u << n) - 1 ? 0 : need, finnedBase{0, {0, 0, 0}},
                [&](const finnedBase& s, int i, finnedBase* next) {
                    *next = s;
                    next->taken |= 1u << lines[i];
                    next->inBlock[lines[i] / 3] |= along[lines[i]];
                    return search.mayFin(*next);
                },
                [&](unsigned, const finnedBase& s) {
                    baseUnits = s.taken;
                    covers = search.covers(s);
                    return covers != 0;
                });
            if (!found) continue;
            finnedFishStep(g, d, size, rows, baseUnits, covers, along, step);
            return true;
        }
        was[0] = now.lo;
        was[1] = now.hi;
    }
    return false;
}
