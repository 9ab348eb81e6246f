// Short patterns of a few cells: the wings, the skyscraper and the kite
// (each written as the short chain it is), and the uniqueness patterns.
#include "engine/ladder/finders.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

void addNode(ladderStep* step, int digit, cellSet cells, cellSet als = cellSet()) {
    step->pattern.nodes.push_back({static_cast<unsigned char>(digit), cells, als});
}

// A chain of single-cell nodes, given as (cell, digit) pairs, with links
// alternating strong, weak, strong, ...
void simpleChain(ladderStep* step, const int (*nodes)[2], int count) {
    ladderPattern& p = step->pattern;
    p.kind = patternChain;
    p.loop = loopNone;
    for (int i = 0; i < count; i++) {
        addNode(step, nodes[i][1], cellSet::of(nodes[i][0]));
        if (i > 0) p.strong.push_back(i % 2 == 1 ? 1 : 0);
    }
}

inline int highBit(unsigned mask) {
    return 31 - __builtin_clz(mask);
}

// The cells after c in reading order.
inline cellSet cellsAfter(int c) {
    const uint64_t high = (uint64_t(1) << 17) - 1;
    if (c < 63) return cellSet(~uint64_t(0) << (c + 1), high);
    if (c == 63) return cellSet(0, high);
    return cellSet(0, high & ~((uint64_t(2) << (c - 64)) - 1));
}

// The cells of two candidates by their two digits: every wing and every
// rectangle is built on some of them. The wings and the four rectangle
// types look at the same grid in turn, so the last grid's are kept, with
// its rectangles once asked for.
struct pairCells {
    cellSet all;
    cellSet three;     // the cells of three candidates
    cellSet of[9][9];  // [lower digit][higher digit]
    const cellSet& with(unsigned digits) const { return of[lowBit(digits)][highBit(digits)]; }
};

struct gridPairs {
    unsigned short cand[81] = {};
    pairCells pairs;
    bool rectanglesKnown = false;
    std::vector<int> rectangles;
};

// The cells of two candidates go in or out of their sets as cells change.
gridPairs& pairsOf(const ladderGrid& g) {
    static thread_local gridPairs c;
    if (std::memcmp(c.cand, g.cand, sizeof c.cand) == 0) return c;
    c.rectanglesKnown = false;
    // Made anew from the digits' cells, both words of each set at once:
    // the cells met twice and not three times (and three times, not four),
    // and for each two digits those of two that hold both.
    typedef uint64_t bothWords __attribute__((vector_size(16)));
    bothWords pos[9], once = {0, 0}, twice = {0, 0}, thrice = {0, 0}, four = {0, 0};
    for (int d = 0; d < 9; d++) {
        std::memcpy(&pos[d], &g.pos[d], sizeof pos[d]);
        four |= thrice & pos[d];
        thrice |= twice & pos[d];
        twice |= once & pos[d];
        once |= pos[d];
    }
    const bothWords two = twice & ~thrice, three = thrice & ~four;
    c.pairs.all = cellSet(two[0], two[1]);
    c.pairs.three = cellSet(three[0], three[1]);
    for (int low = 0; low < 8; low++) {
        const bothWords withLow = two & pos[low];
        for (int high = low + 1; high < 9; high++) {
            const bothWords both = withLow & pos[high];
            c.pairs.of[low][high] = cellSet(both[0], both[1]);
        }
    }
    std::memcpy(c.cand, g.cand, sizeof c.cand);
    return c;
}

// A digit's cells unit by unit (kept with basic.cpp's finders', which look
// at the same digits), and the units where it is a conjugate pair.
struct digitPlaces {
    const unsigned* unit;  // as masks in the unit's order
    unsigned strongUnits;  // bit u

    const unsigned* byRow() const { return unit + kRowUnit; }        // the columns of a row
    const unsigned* byColumn() const { return unit + kColumnUnit; }  // the rows of a column
    // The lower (k 0) or higher (k 1) cell of a conjugate pair's unit.
    int end(int u, int k) const { return kGeometry.unitCell[u][k ? highBit(unit[u]) : lowBit(unit[u])]; }
};

digitPlaces placesOf(const ladderGrid& g, int d) {
    digitPlaces p;
    p.unit = digitUnitMasks(g, d, &p.strongUnits);
    return p;
}

// The candidates a wing finder saw when it last found nothing. On a grid
// that is that one with candidates taken away, a pattern none of whose
// cells changed still removes nothing (what it would remove is only
// fewer), so the finder looks only at patterns with a changed cell: in the
// same order, it meets the same first pattern. All zero (no candidates)
// needs no first filling.
struct wingFailure {
    cellSet seen[9];
};

// The candidates of each digit taken away since the failure, and the cells
// that lost any; false when the grid is not the failure's with candidates
// taken away (look at everything).
bool lostSince(const wingFailure& f, const ladderGrid& g, cellSet* lost, cellSet* changed) {
    // Both words of each set at once.
    typedef uint64_t bothWords __attribute__((vector_size(16)));
    bothWords gained = {0, 0}, gone = {0, 0};
    for (int d = 0; d < 9; d++) {
        bothWords now, then;
        std::memcpy(&now, &g.pos[d], sizeof now);
        std::memcpy(&then, &f.seen[d], sizeof then);
        const bothWords lostHere = then & ~now;
        gained |= now & ~then;
        gone |= lostHere;
        lost[d] = cellSet(lostHere[0], lostHere[1]);
    }
    *changed = cellSet(gone[0], gone[1]);
    return (gained[0] | gained[1]) == 0;
}

void rememberFailure(wingFailure* f, const ladderGrid& g) {
    for (int d = 0; d < 9; d++) f->seen[d] = g.pos[d];
}

// The cells that see some cell of s.
cellSet seeingAny(cellSet s) {
    cellSet out;
    for (int c = s.pop(); c >= 0; c = s.pop()) out |= kGeometry.peers[c];
    return out;
}

}  // namespace

bool findXYWing(const ladderGrid& g, ladderStep* step) {
    static thread_local wingFailure failed;
    cellSet lost[9], changed;
    const pairCells& pc = pairsOf(g).pairs;
    // The pivots, and the wings of a pivot that did not change, with a changed cell.
    cellSet pivots = pc.all, fresh = cellSet::all();
    if (lostSince(failed, g, lost, &changed)) {
        fresh = changed & pc.all;
        if (fresh.empty()) return false;
        pivots &= fresh | seeingAny(fresh);
    }
    for (int pivot = pivots.pop(); pivot >= 0; pivot = pivots.pop()) {
        const int x = lowBit(g.cand[pivot]), y = highBit(g.cand[pivot]);
        const bool pivotFresh = fresh.has(pivot);
        // Its wings on x: the cells of two candidates it sees with x and without y.
        cellSet wings = (kGeometry.peers[pivot] & pc.all & g.pos[x]).minus(g.pos[y]);
        for (int a = wings.pop(); a >= 0; a = wings.pop()) {
            const int z = lowBit(g.cand[a] & ~(1u << x));
            cellSet others = kGeometry.peers[pivot] & pc.with((1u << y) | (1u << z));
            if (!pivotFresh && !fresh.has(a)) others &= fresh;
            for (int b = others.pop(); b >= 0; b = others.pop()) {
                const cellSet gone = g.pos[z] & kGeometry.peers[a] & kGeometry.peers[b];
                if (gone.empty()) continue;
                setTechnique(step, techXYWing);
                const int nodes[6][2] = {{a, z + 1}, {a, x + 1}, {pivot, x + 1}, {pivot, y + 1}, {b, y + 1}, {b, z + 1}};
                simpleChain(step, nodes, 6);
                addRemovals(step, gone, z);
                return true;
            }
        }
    }
    rememberFailure(&failed, g);
    return false;
}

bool findXYZWing(const ladderGrid& g, ladderStep* step) {
    static thread_local wingFailure failed;
    cellSet lost[9], changed;
    const pairCells& pc = pairsOf(g).pairs;
    // The pivots, and the wings of a pivot that did not change, with a changed cell.
    cellSet pivots = pc.three, fresh = cellSet::all();
    if (lostSince(failed, g, lost, &changed)) {
        if (changed.empty()) return false;
        fresh = changed;
        pivots &= changed | seeingAny(changed & pc.all);
    }
    for (int pivot = pivots.pop(); pivot >= 0; pivot = pivots.pop()) {
        const unsigned three = g.cand[pivot];
        const int d1 = lowBit(three), d3 = highBit(three), d2 = lowBit(three & ~(1u << d1));
        const bool pivotFresh = fresh.has(pivot);
        // The cells it sees whose two candidates are two of its three.
        cellSet wings = kGeometry.peers[pivot] & (pc.of[d1][d2] | pc.of[d1][d3] | pc.of[d2][d3]);
        for (int a = wings.pop(); a >= 0; a = wings.pop()) {
            // `wings` holds the cells after a now.
            cellSet others = wings.minus(pc.with(g.cand[a]));
            if (!pivotFresh && !fresh.has(a)) others &= fresh;
            for (int b = others.pop(); b >= 0; b = others.pop()) {
                const unsigned common = g.cand[a] & g.cand[b];
                const int z = lowBit(common);
                const cellSet gone = g.pos[z] & kGeometry.peers[a] & kGeometry.peers[b] & kGeometry.peers[pivot];
                if (gone.empty()) continue;
                // (z)a = (x)a - (x)pivot in the set {pivot, b} = (z){pivot, b}
                const int x = lowBit(g.cand[a] & ~common);
                cellSet als = cellSet::of(pivot);
                als.add(b);
                setTechnique(step, techXYZWing);
                ladderPattern& p = step->pattern;
                p.kind = patternChain;
                p.loop = loopNone;
                addNode(step, z + 1, cellSet::of(a));
                addNode(step, x + 1, cellSet::of(a));
                addNode(step, x + 1, cellSet::of(pivot), als);
                addNode(step, z + 1, als, als);
                p.strong = {1, 0, 1};
                addRemovals(step, gone, z);
                return true;
            }
        }
    }
    rememberFailure(&failed, g);
    return false;
}

bool findWWing(const ladderGrid& g, ladderStep* step) {
    static thread_local wingFailure failed;
    cellSet lost[9], changed;
    const pairCells& pc = pairsOf(g).pairs;
    // For a pair of cells that did not change, only the units where the
    // linking digit changed: the units (bit u) with a cell that lost it.
    cellSet fresh = cellSet::all();
    unsigned freshUnits[9];
    for (unsigned& u : freshUnits) u = kAllUnits;
    if (lostSince(failed, g, lost, &changed)) {
        if (changed.empty()) return false;
        fresh = changed;
        for (int d = 0; d < 9; d++) {
            freshUnits[d] = 0;
            for (cellSet c = lost[d]; c.any();) {
                const int cell = c.pop();
                for (int k = 0; k < 3; k++) freshUnits[d] |= 1u << kGeometry.cellUnit[cell][k];
            }
        }
    }
    cellSet firsts = pc.all;
    if (fresh != cellSet::all()) {
        // A first cell that did not change, with neither digit linking anew,
        // has only changed partners: one of its own pair's cells changed.
        cellSet some = fresh;
        for (int d = 0; d < 9; d++)
            if (freshUnits[d]) some |= g.pos[d];
        for (cellSet f = fresh & pc.all; f.any();) some |= pc.with(g.cand[f.pop()]);
        firsts &= some;
    }
    for (int a = firsts.pop(); a >= 0; a = firsts.pop()) {
        const unsigned both = g.cand[a];
        cellSet partners = (pc.with(both) & cellsAfter(a)).minus(kGeometry.peers[a]);
        const bool aFresh = fresh.has(a);
        // Neither digit linking anew: only a changed partner can give a wing.
        if (!aFresh && !(freshUnits[lowBit(both)] | freshUnits[highBit(both)])) partners &= fresh;
        for (int b = partners.pop(); b >= 0; b = partners.pop()) {
            const bool pairFresh = aFresh || fresh.has(b);
            for (int which = 0; which < 2; which++) {
                const int y = which ? highBit(both) : lowBit(both);
                const int x = lowBit(both & ~(1u << y));
                const unsigned units = pairFresh ? kAllUnits : freshUnits[y];
                if (!units) continue;
                const cellSet gone = g.pos[x] & kGeometry.peers[a] & kGeometry.peers[b];
                if (gone.empty()) continue;
                const digitPlaces places = placesOf(g, y);
                for (unsigned um = places.strongUnits & units; um; um &= um - 1) {
                    const int u = lowBit(um);
                    int p = places.end(u, 0), q = places.end(u, 1);
                    if (p == a || q == a || p == b || q == b) continue;
                    if (!(sees(p, a) && sees(q, b))) {
                        const int t = p;
                        p = q;
                        q = t;
                    }
                    if (!(sees(p, a) && sees(q, b))) continue;
                    setTechnique(step, techWWing);
                    const int nodes[6][2] = {{a, x + 1}, {a, y + 1}, {p, y + 1}, {q, y + 1}, {b, y + 1}, {b, x + 1}};
                    simpleChain(step, nodes, 6);
                    addRemovals(step, gone, x);
                    return true;
                }
            }
        }
    }
    rememberFailure(&failed, g);
    return false;
}

namespace {

// The chain b1 = a1 - a2 = b2 on digit d when its ends b1 and b2 see a
// common candidate.
inline bool twoStrings(const ladderGrid& g, bool kite, int d, int a1, int b1, int a2, int b2, ladderStep* step) {
    if (sees(b1, b2)) return false;
    const cellSet gone = g.pos[d] & kGeometry.peers[b1] & kGeometry.peers[b2];
    if (gone.empty()) return false;
    setTechnique(step, kite ? techTwoStringKite : techSkyscraper);
    const int nodes[4][2] = {{b1, d + 1}, {a1, d + 1}, {a2, d + 1}, {b2, d + 1}};
    simpleChain(step, nodes, 4);
    addRemovals(step, gone, d);
    return true;
}

}  // namespace

// Two conjugate pairs of a digit joined by a weak link between one end of
// each: in parallel lines whose joined ends share a line (skyscraper), or a
// row and a column whose joined ends share a box (kite). Searched line pair
// by line pair, rows before columns, each pair's ends lower cell first.
bool findSkyscraper(const ladderGrid& g, bool kite, unsigned digits, ladderStep* step) {
    for (unsigned dm = digits & kAllDigits; dm; dm &= dm - 1) {
        const int d = lowBit(dm);
        const digitPlaces places = placesOf(g, d);
        const unsigned* byRow = places.byRow();
        const unsigned* byColumn = places.byColumn();
        const unsigned pairRows = places.strongUnits & 0x1FF, pairColumns = (places.strongUnits >> kColumnUnit) & 0x1FF;
        if (!kite) {
            // Parallel lines whose pairs share exactly one place across (two
            // would be an X-Wing): the joined ends are there.
            for (int rows = 1; rows >= 0; rows--) {
                const unsigned* across = rows ? byRow : byColumn;
                const unsigned lines = rows ? pairRows : pairColumns;
                for (unsigned m1 = lines; m1; m1 &= m1 - 1) {
                    const int l1 = lowBit(m1);
                    for (unsigned m2 = m1 & (m1 - 1); m2; m2 &= m2 - 1) {
                        const int l2 = lowBit(m2);
                        const unsigned joined = across[l1] & across[l2];
                        if (kNineBitCounts.of[joined] != 1) continue;
                        const int j = lowBit(joined), e1 = lowBit(across[l1] ^ joined), e2 = lowBit(across[l2] ^ joined);
                        const int a1 = rows ? l1 * 9 + j : j * 9 + l1, b1 = rows ? l1 * 9 + e1 : e1 * 9 + l1;
                        const int a2 = rows ? l2 * 9 + j : j * 9 + l2, b2 = rows ? l2 * 9 + e2 : e2 * 9 + l2;
                        if (twoStrings(g, false, d, a1, b1, a2, b2, step)) return true;
                    }
                }
            }
            continue;
        }
        // A row's pair and a column's pair share a box only when an end of
        // the row's is in the column's stack and an end of the column's in
        // the row's band.
        // The pair columns with an end in each band, and the columns of
        // each set of stacks (bit s: stack s).
        static constexpr unsigned short kStackColumns[8] = {0, 07, 070, 077, 0700, 0707, 0770, 0777};
        unsigned bandColumns[3] = {0, 0, 0};
        for (unsigned cm = pairColumns; cm; cm &= cm - 1) {
            const int c = lowBit(cm);
            bandColumns[lowBit(byColumn[c]) / 3] |= 1u << c;
            bandColumns[highBit(byColumn[c]) / 3] |= 1u << c;
        }
        for (unsigned rm = pairRows; rm; rm &= rm - 1) {
            const int r = lowBit(rm);
            const unsigned rowStacks = 1u << (lowBit(byRow[r]) / 3) | 1u << (highBit(byRow[r]) / 3);
            // Not where the pairs meet.
            const unsigned columns = bandColumns[r / 3] & kStackColumns[rowStacks] & ~byRow[r];
            if (!columns) continue;
            const int rowEnds[2] = {places.end(kRowUnit + r, 0), places.end(kRowUnit + r, 1)};
            for (unsigned cm = columns; cm; cm &= cm - 1) {
                const int c = lowBit(cm);
                const int columnEnds[2] = {places.end(kColumnUnit + c, 0), places.end(kColumnUnit + c, 1)};
                for (int e1 = 0; e1 < 2; e1++)
                    for (int e2 = 0; e2 < 2; e2++) {
                        const int a1 = rowEnds[e1], b1 = rowEnds[1 - e1], a2 = columnEnds[e2], b2 = columnEnds[1 - e2];
                        if (a1 % 9 / 3 != c / 3 || a2 / 27 != r / 3) continue;  // not in one box
                        if (twoStrings(g, true, d, a1, b1, a2, b2, step)) return true;
                    }
            }
        }
    }
    return false;
}

namespace {

// The units that hold both cells.
int commonUnits(int a, int b, int* units) {
    int n = 0;
    for (int i = 0; i < 3; i++)
        if (kGeometry.cellUnit[a][i] == kGeometry.cellUnit[b][i]) units[n++] = kGeometry.cellUnit[a][i];
    return n;
}

void rectanglePattern(ladderStep* step, int technique, const int* cells, int x, int y, cellSet roof) {
    setTechnique(step, technique);
    ladderPattern& p = step->pattern;
    p.kind = patternRectangle;
    p.type = technique == techUniqueRectangle1 ? 1 : technique == techUniqueRectangle2 ? 2
             : technique == techUniqueRectangle3 ? 3 : 4;
    p.cells = cellSet();
    for (int i = 0; i < 4; i++) p.cells.add(cells[i]);
    p.digits = static_cast<unsigned short>((1u << x) | (1u << y));
    p.roof = roof;
}

// Type 3: the roof's other digits as one more cell of a naked subset with
// cells of a unit holding both roof cells.
bool rectangleSubset(const ladderGrid& g, const int* cells, int x, int y, int r1, int r2, ladderStep* step) {
    const unsigned xy = (1u << x) | (1u << y);
    const unsigned extra = (g.cand[r1] | g.cand[r2]) & ~xy;
    int units[3];
    const int n = commonUnits(r1, r2, units);
    for (int k = 0; k < n; k++) {
        const int u = units[k];
        // A cell that brings the digits past four is in no subset of three
        // cells or fewer; leaving it out keeps the others' subsets in order.
        int others[9], m = 0;
        for (int i = 0; i < 9; i++) {
            const int c = kGeometry.unitCell[u][i];
            if (c != r1 && c != r2 && g.cand[c] && bitCount(g.cand[c] | extra) <= 4) others[m++] = c;
        }
        for (unsigned mask = 1; mask < (1u << m); mask++) {
            const int size = bitCount(mask);
            if (size > 3) continue;
            unsigned digits = extra;
            for (unsigned mm = mask; mm; mm &= mm - 1) digits |= g.cand[others[lowBit(mm)]];
            if (bitCount(digits) != size + 1) continue;
            cellSet chosen;
            for (unsigned mm = mask; mm; mm &= mm - 1) chosen.add(others[lowBit(mm)]);
            cellSet rest = kGeometry.unit[u].minus(chosen);
            rest.del(r1);
            rest.del(r2);
            bool any = false;
            for (unsigned dm = digits; dm; dm &= dm - 1)
                if ((g.pos[lowBit(dm)] & rest).any()) any = true;
            if (!any) continue;
            cellSet roof = cellSet::of(r1);
            roof.add(r2);
            rectanglePattern(step, techUniqueRectangle3, cells, x, y, roof);
            step->pattern.subsetUnit = u;
            step->pattern.subsetCells = chosen;
            step->pattern.subsetDigits = static_cast<unsigned short>(digits);
            for (unsigned dm = digits; dm; dm &= dm - 1) addRemovals(step, g.pos[lowBit(dm)] & rest, lowBit(dm));
            return true;
        }
    }
    return false;
}

// A rectangle as (r1 * 9 + r2) * 81 + c1 * 9 + c2, with r1 < r2 and c1 < c2:
// in this order the search meets them.
int rectangleKey(int r1, int r2, int c1, int c2) {
    return (r1 * 9 + r2) * 81 + c1 * 9 + c2;
}

// The columns (bit c) of row r in s, and the rows of column c.
inline unsigned rowColumns(const cellSet& s, int r) {
    if (r < 7) return static_cast<unsigned>(s.lo >> (r * 9)) & 0x1FF;
    return static_cast<unsigned>(r == 7 ? (s.lo >> 63) | (s.hi << 1) : s.hi >> 8) & 0x1FF;
}
inline unsigned columnRows(const cellSet& s, int c) {
    // Rows 0 to 6 lie 9 bits apart in the first word: one product gathers
    // them into its top byte (as lineMasks does).
    const uint64_t rows06 = 0x0040201008040201ull, gather = 0x0101010101010100ull;
    return static_cast<unsigned>((((s.lo >> c) & rows06) * gather) >> 56) | ((rowColumns(s, 7) >> c) & 1) << 7 |
           ((rowColumns(s, 8) >> c) & 1) << 8;
}

// The rectangles of two boxes whose cells all hold two digits and two of
// which, in one line, hold those two alone: a rectangle without two such
// cells (its floor) has no step of any type. In the search's order.
const std::vector<int>& rectanglesOf(const ladderGrid& g) {
    gridPairs& cache = pairsOf(g);
    std::vector<int>& keys = cache.rectangles;
    if (cache.rectanglesKnown) return keys;
    cache.rectanglesKnown = true;
    keys.clear();
    const pairCells& pc = cache.pairs;
    // Each cell of two candidates with the later ones of its pair: the
    // order they are met in is of no matter, as the keys are sorted.
    cellSet firsts = pc.all;
    for (int f = firsts.pop(); f >= 0; f = firsts.pop()) {
        const unsigned xy = g.cand[f];
        const cellSet later = pc.with(xy) & cellsAfter(f);
        if (later.empty()) continue;
        const cellSet both = g.pos[lowBit(xy)] & g.pos[highBit(xy)];  // the cells holding the two digits
        const int r = rowOf(f), c = columnOf(f);
        const unsigned band = 7u << (r / 3 * 3), stack = 7u << (c / 3 * 3);
        // The floor in a row: the other row in the other band when both
        // columns are in one stack, in the same band when not.
        cellSet inRow = later & kGeometry.unit[kRowUnit + r];
        if (inRow.any()) {
            const unsigned rows = columnRows(both, c) & ~(1u << r);
            for (int q = inRow.pop(); q >= 0; q = inRow.pop()) {
                const int c2 = columnOf(q);
                for (unsigned m = rows & columnRows(both, c2) & ((stack >> c2) & 1 ? ~band : band); m; m &= m - 1) {
                    const int r2 = lowBit(m);
                    keys.push_back(rectangleKey(std::min(r, r2), std::max(r, r2), c, c2));
                }
            }
        }
        cellSet inColumn = later & kGeometry.unit[kColumnUnit + c];
        if (inColumn.any()) {
            const unsigned columns = rowColumns(both, r) & ~(1u << c);
            for (int q = inColumn.pop(); q >= 0; q = inColumn.pop()) {
                const int r2 = rowOf(q);
                for (unsigned m = columns & rowColumns(both, r2) & ((band >> r2) & 1 ? ~stack : stack); m; m &= m - 1) {
                    const int c2 = lowBit(m);
                    keys.push_back(rectangleKey(r, r2, std::min(c, c2), std::max(c, c2)));
                }
            }
        }
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

// The rectangle of rows r1 < r2 and columns c1 < c2 for a step of `type`.
bool rectangleStep(const ladderGrid& g, int type, int r1, int r2, int c1, int c2, ladderStep* step) {
    const int cells[4] = {r1 * 9 + c1, r1 * 9 + c2, r2 * 9 + c1, r2 * 9 + c2};
    const unsigned common = g.cand[cells[0]] & g.cand[cells[1]] & g.cand[cells[2]] & g.cand[cells[3]];
    if (bitCount(common) < 2) return false;
    for (unsigned m1 = common; m1; m1 &= m1 - 1)
        for (unsigned m2 = m1 & (m1 - 1); m2; m2 &= m2 - 1) {
            const int x = lowBit(m1), y = lowBit(m2);
            const unsigned xy = (1u << x) | (1u << y);
            int floorCount = 0, roofCells[4], roofCount = 0;
            for (int c : cells) {
                if (g.cand[c] == xy) floorCount++;
                else roofCells[roofCount++] = c;
            }
            if (type == 1 && floorCount == 3) {
                const int roof = roofCells[0];
                rectanglePattern(step, techUniqueRectangle1, cells, x, y, cellSet::of(roof));
                addRemovals(step, cellSet::of(roof), x);
                addRemovals(step, cellSet::of(roof), y);
                return true;
            }
            if (floorCount != 2) continue;
            const int a = roofCells[0], b = roofCells[1];
            if (rowOf(a) != rowOf(b) && columnOf(a) != columnOf(b)) continue;  // diagonal
            cellSet roof = cellSet::of(a);
            roof.add(b);
            if (type == 2) {
                const unsigned ea = g.cand[a] & ~xy, eb = g.cand[b] & ~xy;
                if (bitCount(ea) != 1 || ea != eb) continue;
                const int z = lowBit(ea);
                const cellSet gone = g.pos[z] & kGeometry.peers[a] & kGeometry.peers[b];
                if (gone.empty()) continue;
                rectanglePattern(step, techUniqueRectangle2, cells, x, y, roof);
                step->pattern.extra = z + 1;
                addRemovals(step, gone, z);
                return true;
            }
            if (type == 4) {
                int units[3];
                const int n = commonUnits(a, b, units);
                for (int k = 0; k < n; k++)
                    for (int which = 0; which < 2; which++) {
                        const int s = which ? y : x, other = which ? x : y;
                        if ((g.pos[s] & kGeometry.unit[units[k]]) != roof) continue;
                        rectanglePattern(step, techUniqueRectangle4, cells, x, y, roof);
                        step->pattern.extra = s + 1;
                        step->pattern.unit = units[k];
                        addRemovals(step, roof, other);
                        return true;
                    }
            }
            if (type == 3 && rectangleSubset(g, cells, x, y, a, b, step)) return true;
        }
    return false;
}

}  // namespace

bool findUniqueRectangle(const ladderGrid& g, int type, ladderStep* step) {
    for (int key : rectanglesOf(g)) {
        const int rows = key / 81, columns = key % 81;
        if (rectangleStep(g, type, rows / 9, rows % 9, columns / 9, columns % 9, step)) return true;
    }
    return false;
}

bool findBug(const ladderGrid& g, ladderStep* step) {
    int three = -1;
    cellSet o = g.open;
    for (int c = o.pop(); c >= 0; c = o.pop()) {
        const int n = bitCount(g.cand[c]);
        if (n == 2) continue;
        if (n != 3 || three >= 0) return false;
        three = c;
    }
    if (three < 0) return false;
    for (unsigned m = g.cand[three]; m; m &= m - 1) {
        const int d = lowBit(m);
        // With d left out of the cell, every digit twice or not at all in every unit.
        bool bug = true;
        for (int u = 0; u < 27 && bug; u++)
            for (int e = 0; e < 9 && bug; e++) {
                cellSet places = g.pos[e] & kGeometry.unit[u];
                if (e == d) places.del(three);
                const int count = places.count();
                if (count != 0 && count != 2) bug = false;
            }
        if (!bug) continue;
        setTechnique(step, techBug);
        step->placeCell = three;
        step->placeDigit = d + 1;
        step->pattern.kind = patternBug;
        step->pattern.cell = three;
        step->pattern.digit = d + 1;
        return true;
    }
    return false;
}
