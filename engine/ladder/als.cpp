// Almost locked sets, and ALS-XZ with its four-cell case, the WXYZ-Wing.
#include "engine/ladder/als.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "engine/ladder/finders.h"

namespace {

// The almost locked sets of one unit: a unit's sets depend on its own cells
// alone, so a unit whose candidates did not change since the last grid
// keeps them.
struct unitSets {
    // The first `count` are the unit's sets; the rest are storage kept for
    // reuse, so that a set is written field by field and never cleared first.
    std::vector<almostLockedSet> sets;
    int count = 0;
};

// The cells that see every cell of a set of cells of one unit, by the unit
// and the set as a mask of its cells (bit k: the unit's cell k): a set's
// cells of each of its digits are such a mask of the unit's cells of that
// digit, so that the cells seeing them are looked up rather than made.
struct seeingTable {
    cellSet of[27][512];
    seeingTable() {
        for (int u = 0; u < 27; u++) {
            of[u][0] = cellSet::all();
            for (unsigned m = 1; m < 512; m++) of[u][m] = of[u][m & (m - 1)] & kGeometry.peers[kGeometry.unitCell[u][lowBit(m)]];
        }
    }
};
const seeingTable& seeingAllOf() {
    static const seeingTable table;
    return table;
}

// Each cell alone as a set, without the test of its word cellSet::of makes.
struct cellBits {
    cellSet of[81];
    cellBits() {
        for (int c = 0; c < 81; c++) of[c] = cellSet::of(c);
    }
};
const cellBits kCellBits;

// Whether a mask of a box's cells (in reading order) lies within one of its
// rows or columns: of two cells or more, as a single cell is in both.
struct boxMaskInLine {
    bool of[512];
    constexpr boxMaskInLine() : of() {
        for (unsigned m = 0; m < 512; m++) {
            bool in = false;
            for (unsigned k = 0; k < 3; k++)
                in = in || (m & ~(7u << (3 * k))) == 0 || (m & ~(0x49u << k)) == 0;
            of[m] = in && kNineBitCounts.of[m] > 1;
        }
    }
};
constexpr boxMaskInLine kBoxMaskInLine{};

// The sets of 1 to `most` cells of unit u, in the order of their cells as a
// mask over the unit's cells that can be in one (lowest first as the lowest
// bit).
void unitAlmostLockedSets(const ladderGrid& g, int u, int most, unitSets* out) {
    out->count = 0;
    int n = 0;
    unsigned cand[9], at[9];  // at: the cell's bit in the unit
    cellSet bit[9];
    // Only open cells of at most most + 1 candidates can be in a set. Each
    // cell is written, and kept by counting it, without a branch.
    for (int k = 0; k < 9; k++) {
        const int c = kGeometry.unitCell[u][k];
        at[n] = 1u << k;
        cand[n] = g.cand[c];
        bit[n] = kCellBits.of[c];
        n += static_cast<unsigned>(kNineBitCounts.of[g.cand[c]] - 1) <= static_cast<unsigned>(most);
    }
    // Every subset of those cells as a mask, in ascending order, with
    // the digits of its cells from those of the mask without its lowest.
    // A mask of too many cells or digits passes over the masks that only add
    // cells below its lowest: they hold it, and the masks they are made from
    // are passed over too.
    unsigned found[255], digitsOf[512];  // 255 masks of 1 to 4 of 9 cells
    int count = 0;
    digitsOf[0] = 0;
    for (unsigned mask = 1; mask < (1u << n);) {
        const unsigned digits = digitsOf[mask & (mask - 1)] | cand[lowBit(mask)];
        const int size = kNineBitCounts.of[mask], many = kNineBitCounts.of[digits];
        if (size > most || many > most + 1) {
            mask += mask & (0u - mask);
            continue;
        }
        digitsOf[mask] = digits;
        // A single cell is listed with its row alone.
        if (many == size + 1 && (size > 1 || u < kColumnUnit)) found[count++] = mask;
        mask++;
    }
    const cellSet* const seeing = seeingAllOf().of[u];
    unsigned digitMask[9] = {};
    if (count)
        for (int o = 0; o < n; o++)
            for (unsigned m = cand[o]; m; m &= m - 1) digitMask[lowBit(m)] |= at[o];
    if (out->sets.size() < static_cast<size_t>(count)) out->sets.resize(static_cast<size_t>(count));
    almostLockedSet* const store = out->sets.data();
    const bool box = u >= kBoxUnit;
    for (int k = 0; k < count; k++) {
        const unsigned mask = found[k];
        cellSet cellsOf;
        unsigned inUnit = 0;
        for (unsigned m = mask; m; m &= m - 1) {
            cellsOf |= bit[lowBit(m)];
            inUnit |= at[lowBit(m)];
        }
        // A box's set within a line is the line's.
        if (box && kBoxMaskInLine.of[inUnit]) continue;
        const unsigned digits = digitsOf[mask];
        almostLockedSet& a = store[out->count++];
        const int size = kNineBitCounts.of[mask];
        a.cells = cellsOf;
        a.digits = digits;
        a.size = size;
        // Masks of those cells and of all the unit's are in the same order,
        // as one maps to the other keeping the order of the cells.
        a.place = u * 512 + static_cast<int>(inUnit);
        // Only its own digits' entries are ever read.
        for (unsigned m = a.digits; m; m &= m - 1) {
            const int d = lowBit(m);
            const unsigned here = digitMask[d] & inUnit;
            a.of[d] = g.pos[d] & cellsOf;
            a.key[d] = static_cast<unsigned short>(d * 81 + kGeometry.unitCell[u][lowBit(here)]);
            a.seenBy[d] = seeing[here];
        }
    }
}

// One set of an ALS-XZ step: its cells, and those of them holding x and z.
struct stepSide {
    cellSet cells, x, z;
};

// The step of sets a and b, restricted on x, removing z where both reach.
void alsXZStep(ladderStep* step, int technique, const stepSide& a, const stepSide& b, int x, int z, cellSet gone) {
    setTechnique(step, technique);
    ladderPattern& p = step->pattern;
    p.kind = patternChain;
    p.loop = loopNone;
    const ladderNode nodes[4] = {{static_cast<unsigned char>(z + 1), a.z, a.cells},
                                 {static_cast<unsigned char>(x + 1), a.x, a.cells},
                                 {static_cast<unsigned char>(x + 1), b.x, b.cells},
                                 {static_cast<unsigned char>(z + 1), b.z, b.cells}};
    for (const ladderNode& node : nodes) {
        ladderNode copy = node;
        // A single cell's two digits are joined by the cell itself.
        if (copy.als.single()) copy.als = cellSet();
        p.nodes.push_back(copy);
    }
    p.strong = {1, 0, 1};
    addRemovals(step, gone, z);
}

}  // namespace

const std::vector<const almostLockedSet*>& almostLockedSets(const ladderGrid& g, int most) {
    struct cache {
        bool valid = false;
        int most = 0;
        unsigned short cand[81];
        std::vector<const almostLockedSet*> sets;
        unitSets units[27];
    };
    static thread_local cache c;
    if (c.valid && c.most == most && std::memcmp(c.cand, g.cand, sizeof c.cand) == 0) return c.sets;
    // Every unit is brought up to date with each grid: those with a cell
    // changed since the last are made anew.
    cellSet changed = cellSet::all();
    if (c.valid && c.most == most) {
        changed = cellSet();
        for (int k = 0; k < 81; k++)
            if (c.cand[k] != g.cand[k]) changed.add(k);
    }
    c.valid = true;
    c.most = most;
    std::memcpy(c.cand, g.cand, sizeof c.cand);
    for (int u = 0; u < 27; u++)
        if (kGeometry.unit[u].meets(changed)) unitAlmostLockedSets(g, u, most, &c.units[u]);
    size_t total = 0;
    for (const unitSets& here : c.units) total += static_cast<size_t>(here.count);
    c.sets.resize(total);
    const almostLockedSet** to = c.sets.data();
    for (unitSets& here : c.units) {
        const almostLockedSet* from = here.sets.data();
        for (int k = 0; k < here.count; k++) *to++ = from++;
    }
    return c.sets;
}

namespace {

// A set listed under one of its digits and the first of its cells holding
// it: no more than the walk needs to stop, as lists are made anew for each
// search and are mostly longer than the walks over them. The walk reaches
// the set itself and stops by its place, in the same order as the list of
// sets.
struct alsEntry {
    const almostLockedSet* set;
    int next;  // the entry of the set listed before it under the same digit and cell
};
// What entry 0 ends every list with: a place before every set's.
almostLockedSet endOfList() {
    almostLockedSet none{};
    none.place = -1;
    return none;
}
const almostLockedSet kEndOfList = endOfList();

// The first digit z of `zs` (digits both sets hold, other than the one they
// are restricted on) that sets a and b remove from some cell, and those
// cells: false if there is none. Inlined into the walk, which asks it for
// about one pair in six: a call there costs the walk its registers.
inline __attribute__((always_inline)) bool alsEffect(const ladderGrid& g, const almostLockedSet& a, const almostLockedSet& b,
                                                     unsigned zs, int* z, cellSet* gone) {
    // No cell of either set is left: those holding d are not among the cells
    // that see them, and the others do not hold d.
    for (; zs; zs &= zs - 1) {
        const int d = lowBit(zs);
        const cellSet here = g.pos[d] & a.seenBy[d] & b.seenBy[d];
        if (here.empty()) continue;
        *z = d;
        *gone = here;
        return true;
    }
    return false;
}

}  // namespace

bool findAlsXZ(const ladderGrid& g, bool wxyz, ladderStep* step, searchDelta* delta) {
    const std::vector<const almostLockedSet*>& sets = almostLockedSets(g, 4);
    // The sets by digit and the first of their cells holding it: a set
    // restricted to another on x has all its x cells where the other's x
    // cells are all seen, so it is looked for there only. A list per digit
    // and cell, latest set first, so that a walk from a set stops at the
    // sets before it (each pair is met from its first set). The wing pairs a
    // set of one cell with one of three, so it lists only those.
    // Every list ends at entry 0, of no set: its place, below every set's,
    // stops a walk as the sets before its own do, in the same test.
    static thread_local std::vector<alsEntry> entries;
    if (entries.size() < sets.size() * 18 + 1) entries.resize(sets.size() * 18 + 1);
    alsEntry* const list = entries.data();
    list[0] = {&kEndOfList, 0};
    int count = 1;
    int head[9 * 81];
    std::memset(head, 0, sizeof head);
    // Since the last search, only the pairs with a set whose cells changed
    // are new to a set it got past: those sets have lists of their own, each
    // started where its cell first joins freshFirst.
    const bool partial = delta && delta->valid;
    int freshHead[9 * 81];
    cellSet freshFirst[9];
    // The lists of all sets are walked from the sets not passed over alone,
    // and only to later sets: none of those up to the first such set is listed.
    size_t firstWalked = 0;
    int lastFresh = -1;  // a set passed over meets only later fresh sets
    unsigned freshDigits = 0;  // and only on their digits
    while (partial && firstWalked < sets.size() && delta->done(sets[firstWalked]->place, sets[firstWalked]->cells))
        firstWalked++;
    for (size_t i = 0; i < sets.size(); i++) {
        const almostLockedSet& s = *sets[i];
        if (wxyz && s.size != 1 && s.size != 3) continue;
        const bool isFresh = partial && s.cells.meets(delta->changed);
        if (isFresh) {
            lastFresh = static_cast<int>(i);
            freshDigits |= s.digits;
        }
        for (unsigned m = s.digits; m; m &= m - 1) {
            const int d = lowBit(m), key = s.key[d];
            if (i > firstWalked) {
                list[count] = {&s, head[key]};
                head[key] = count++;
            }
            if (isFresh) {
                if (!freshFirst[d].has(key - d * 81)) {
                    freshFirst[d].add(key - d * 81);
                    freshHead[key] = 0;
                }
                list[count] = {&s, freshHead[key]};
                freshHead[key] = count++;
            }
        }
    }
    // What the last pair with an effect removes (read only once one was met).
    int foundZ = 0;
    cellSet foundGone;
    for (size_t i = 0; i < sets.size(); i++) {
        const almostLockedSet& a = *sets[i];
        // The wing: a cell of two candidates and a set of three cells, four digits in all.
        static constexpr int kPartner[5] = {-1, 3, -1, 1, -1};  // by size, without a branch
        const int partner = kPartner[a.size];
        if (wxyz && partner < 0) continue;
        const bool done = partial && delta->done(a.place, a.cells);
        const int index = static_cast<int>(i);
        if (done && index >= lastFresh) continue;
        const int* heads = done ? freshHead : head;
        const unsigned digits = a.digits;
        const uint64_t aLo = a.cells.lo, aHi = a.cells.hi;
        for (unsigned xm = done ? digits & freshDigits : digits; xm; xm &= xm - 1) {
            const int x = lowBit(xm);
            const cellSet seen = a.seenBy[x];
            cellSet where = g.pos[x] & seen;
            if (done) where &= freshFirst[x];
            for (int c = where.pop(); c >= 0; c = where.pop()) {
                // a and the set of e, restricted on x, and what that removes;
                // of the sets here, the earliest with an effect, so the last met.
                const almostLockedSet* found = nullptr;
                for (int k = heads[x * 81 + c];;) {
                    const alsEntry& e = list[k];
                    const almostLockedSet& b = *e.set;
                    if (b.place <= a.place) break;
                    k = e.next;
                    const unsigned common = digits & b.digits;
                    if (!(common & (common - 1))) continue;  // x alone
                    if (((b.cells.lo & aLo) | (b.cells.hi & aHi)) || !b.of[x].within(seen)) continue;
                    if ((b.size == partner && kNineBitCounts.of[digits | b.digits] == 4) != wxyz) continue;
                    if (alsEffect(g, a, b, common & ~(1u << x), &foundZ, &foundGone)) found = &b;
                }
                if (!found) continue;
                const almostLockedSet& b = *found;
                alsXZStep(step, wxyz ? techWXYZWing : techAlsXZ, {a.cells, a.of[x], a.of[foundZ]},
                          {b.cells, b.of[x], b.of[foundZ]}, x, foundZ, foundGone);
                if (delta) delta->frontier = a.place;
                return true;
            }
        }
    }
    return false;
}

namespace {

// A set of three cells and four digits, as the WXYZ-Wing pairs them with a
// cell of two candidates.
struct triple {
    // What the search reads of every set first, in one cache line.
    cellSet cells;
    cellSet pairs;  // its six pairs of digits d < e, as bits d * 9 + e
    int place;
    unsigned digits;
    int digit[4];
    cellSet of[4], seen[4];  // per digit: the set's cells holding it, and the cells that see them all
};
// A unit's sets depend on its cells alone: kept until they change.
struct unitTriples {
    bool valid = false;
    int count = 0;
    triple sets[84];  // 9 choose 3
};

// Makes unit u's sets anew; kept out of line, as the search around it runs
// faster so.
__attribute__((noinline)) void refreshTriples(const ladderGrid& g, int u, unitTriples* out) {
    // For a mask of digits, its pairs of digits d < e as bits d * 9 + e.
    struct digitPairs {
        cellSet of[512];
        digitPairs() {
            for (unsigned m = 0; m < 512; m++)
                for (int d = 0; d < 9; d++)
                    for (int e = d + 1; e < 9; e++)
                        if ((m >> d & 1) && (m >> e & 1)) of[m].add(d * 9 + e);
        }
    };
    static const digitPairs pairsOf;
    unitTriples& here = *out;
    here.valid = true;
    here.count = 0;
    int n = 0;
    unsigned cand[9], at[9];  // at: the cell's place in the unit
    // Only cells of one to four candidates can be in one: each cell is
    // written, and kept by counting it, without a branch.
    const unsigned char* const cellOf = kGeometry.unitCell[u];
    for (int k = 0; k < 9; k++) {
        const unsigned digits = g.cand[cellOf[k]];
        at[n] = static_cast<unsigned>(k);
        cand[n] = digits;
        n += static_cast<unsigned>(kNineBitCounts.of[digits] - 1) < 4u;
    }
    const cellSet* const seeing = seeingAllOf().of[u];
    unsigned digitMask[9];
    bool masked = false;  // made only for a unit with a set
    for (int i = 0; i < n; i++)
        for (int j = i + 1; j < n; j++) {
            const unsigned two = cand[i] | cand[j];
            if (kNineBitCounts.of[two] > 4) continue;
            for (int k = j + 1; k < n; k++) {
                const unsigned digits = two | cand[k];
                if (kNineBitCounts.of[digits] != 4) continue;
                const unsigned inUnit = 1u << at[i] | 1u << at[j] | 1u << at[k];
                // A box's set within a line is the line's.
                if (u >= kBoxUnit && kBoxMaskInLine.of[inUnit]) continue;
                const cellSet set = kCellBits.of[cellOf[at[i]]] | kCellBits.of[cellOf[at[j]]] | kCellBits.of[cellOf[at[k]]];
                if (!masked) {
                    // The unit's cells of each digit, of those that can be in a set.
                    for (int d = 0; d < 9; d++) digitMask[d] = 0;
                    for (int o = 0; o < n; o++)
                        for (unsigned m = cand[o]; m; m &= m - 1) digitMask[lowBit(m)] |= 1u << at[o];
                    masked = true;
                }
                triple& tri = here.sets[here.count++];
                tri.cells = set;
                tri.place = u * 512 + static_cast<int>(inUnit);
                int d = 0;
                for (unsigned m = digits; m; m &= m - 1, d++) {
                    tri.digit[d] = lowBit(m);
                    tri.of[d] = g.pos[lowBit(m)] & set;
                    tri.seen[d] = seeing[digitMask[lowBit(m)] & inUnit];
                }
                tri.pairs = pairsOf.of[digits];
                tri.digits = digits;
            }
        }
}

}  // namespace

namespace {

// Each cell's place as a set of one cell, listed with its row.
struct rowPlaces {
    int of[81];
    constexpr rowPlaces() : of() {
        for (int c = 0; c < 81; c++) of[c] = c / 9 * 512 + (1 << c % 9);
    }
};
constexpr rowPlaces kRowPlace{};

}  // namespace

bool findWxyzWing(const ladderGrid& g, ladderStep* step, searchDelta* delta) {
    // The wing pairs a cell of two candidates with a set of three cells and
    // four digits holding both: far fewer than all the sets, so it lists
    // these two kinds alone and keeps, of every wing with an effect, the
    // one the search over all sets meets first. That search goes set by set
    // in the list's order (by `place`), then by the restricted digit x, then
    // by the first x cell of the later set, then by that set.
    static thread_local unitTriples units[27];
    // The cells of two candidates, kept with the grid of the last call and
    // brought up to date at the cells that changed since, as those are few.
    struct bivalues {
        unsigned short cand[81] = {};
        cellSet cells;
        cellSet with[9];  // by each of their digits
        // The pairs of digits d < e such cells hold (bits d * 9 + e, as a
        // triple's `pairs`), and how many hold each: a set none of whose
        // pairs is there has no wing.
        cellSet present;
        unsigned char holding[81] = {};
        void change(int c, unsigned now) {
            const unsigned was = cand[c];
            cand[c] = static_cast<unsigned short>(now);
            if (kNineBitCounts.of[was] == 2) {
                const int d = lowBit(was), e = lowBit(was & (was - 1));
                cells.del(c);
                with[d].del(c);
                with[e].del(c);
                if (--holding[d * 9 + e] == 0) present.del(d * 9 + e);
            }
            if (kNineBitCounts.of[now] == 2) {
                const int d = lowBit(now), e = lowBit(now & (now - 1));
                cells.add(c);
                with[d].add(c);
                with[e].add(c);
                if (holding[d * 9 + e]++ == 0) present.add(d * 9 + e);
            }
        }
    };
    static thread_local bivalues kept;
    // The cells whose candidates changed since the last call: only their
    // units' sets are brought up to date. Compared four cells at a time.
    cellSet changedCells;
    for (int c = 0; c < 81; c += 4) {
        if (c + 4 <= 81) {
            uint64_t was, now;
            std::memcpy(&was, kept.cand + c, sizeof was);
            std::memcpy(&now, g.cand + c, sizeof now);
            if (was == now) continue;
        }
        for (int k = c; k < c + 4 && k < 81; k++)
            if (kept.cand[k] != g.cand[k]) {
                kept.change(k, g.cand[k]);
                changedCells.add(k);
            }
    }
    const cellSet* const pairsWith = kept.with;
    const cellSet& present = kept.present;
    // Those of them that changed since the last search, and their pairs.
    const bool partial = delta && delta->valid;
    cellSet freshPairs = kept.cells, freshPresent = kept.present;
    cellSet freshWith[9];  // by each of their digits
    if (partial) {
        freshPairs = cellSet();
        freshPresent = cellSet();
        cellSet changed = delta->changed & kept.cells;
        for (int c = changed.pop(); c >= 0; c = changed.pop()) {
            const unsigned cand = g.cand[c];
            freshPairs.add(c);
            freshPresent.add(lowBit(cand) * 9 + lowBit(cand & (cand - 1)));
            freshWith[lowBit(cand)].add(c);
            freshWith[lowBit(cand & (cand - 1))].add(c);
        }
    }
    struct wing {
        int firstPlace = kSearchedAll, x = 0, laterCell = 0, laterPlace = 0;
        bool operator<(const wing& o) const {
            if (firstPlace != o.firstPlace) return firstPlace < o.firstPlace;
            if (x != o.x) return x < o.x;
            if (laterCell != o.laterCell) return laterCell < o.laterCell;
            return laterPlace < o.laterPlace;
        }
    } best;
    stepSide bestA, bestB;
    int bestZ = 0;
    cellSet bestGone;
    for (int u = 0; u < 27; u++) {
        unitTriples& here = units[u];
        if (!here.valid || kGeometry.unit[u].meets(changedCells)) refreshTriples(g, u, &here);
        for (int t = 0; t < here.count; t++) {
            const triple& tri = here.sets[t];
            const int* digit = tri.digit;
            const cellSet *of = tri.of, *seen = tri.seen;
            // Since the last search, a wing of a set and a cell that both did
            // not change is new only if it comes after where that search stopped.
            const bool triKept = partial && !tri.cells.meets(delta->changed);  // its cells did not change
            const bool triDone = triKept && tri.place < delta->frontier;
            const cellSet& pairs = triDone ? freshPresent : present;
            const cellSet* const with = triDone ? freshWith : pairsWith;
            if (!tri.pairs.meets(pairs)) continue;
            // Per digit x of the set, its cells of x and another of its digits
            // restricted to the set on x: those that see all its x cells (met
            // in any order: the wing kept is the first by its place).
            for (int xi = 0; xi < 4; xi++) {
                cellSet cells = with[digit[xi]] & seen[xi];
                for (int c = cells.pop(); c >= 0; c = cells.pop()) {
                    if (g.cand[c] & ~tri.digits) continue;  // its other digit is not the set's
                    const int cellPlace = kRowPlace.of[c];  // listed with its row
                    if (triKept && !freshPairs.has(c) && cellPlace < delta->frontier) continue;  // nor did the cell's
                    const bool cellFirst = cellPlace < tri.place;
                    // The cell's other digit by its place among the set's.
                    const unsigned other = g.cand[c] & ~(1u << digit[xi]);
                    const int zi = kNineBitCounts.of[tri.digits & (other - 1)];
                    const cellSet gone = (g.pos[digit[zi]] & kGeometry.peers[c] & seen[zi]).minus(tri.cells);
                    if (gone.empty()) continue;
                    const cellSet cell = cellSet::of(c);
                    const wing here = {cellFirst ? cellPlace : tri.place, digit[xi], cellFirst ? of[xi].first() : c,
                                       cellFirst ? tri.place : cellPlace};
                    if (!(here < best)) continue;
                    best = here;
                    const stepSide triSide = {tri.cells, of[xi], of[zi]}, cellSide = {cell, cell, cell};
                    bestA = cellFirst ? cellSide : triSide;
                    bestB = cellFirst ? triSide : cellSide;
                    bestZ = digit[zi];
                    bestGone = gone;
                }
            }
        }
    }
    if (delta) delta->frontier = best.firstPlace;
    if (best.firstPlace == kSearchedAll) return false;
    alsXZStep(step, techWXYZWing, bestA, bestB, best.x, bestZ, bestGone);
    return true;
}
