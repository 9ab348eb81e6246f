// Short patterns of a few cells: the wings, the skyscraper and the kite
// (each written as the short chain it is), and the uniqueness patterns.
#include "engine/ladder/finders.h"

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

bool bivalue(const ladderGrid& g, int c) {
    return bitCount(g.cand[c]) == 2;
}

}  // namespace

bool findXYWing(const ladderGrid& g, ladderStep* step) {
    for (int pivot = 0; pivot < 81; pivot++) {
        if (!bivalue(g, pivot)) continue;
        const int x = lowBit(g.cand[pivot]), y = lowBit(g.cand[pivot] & (g.cand[pivot] - 1));
        cellSet peers = kGeometry.peers[pivot] & g.open;
        for (int a = peers.pop(); a >= 0; a = peers.pop()) {
            if (!bivalue(g, a) || !(g.cand[a] & (1u << x)) || (g.cand[a] & (1u << y))) continue;
            const int z = lowBit(g.cand[a] & ~(1u << x));
            const unsigned want = (1u << y) | (1u << z);
            cellSet others = kGeometry.peers[pivot] & g.open;
            for (int b = others.pop(); b >= 0; b = others.pop()) {
                if (b == a || g.cand[b] != want) continue;
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
    return false;
}

bool findXYZWing(const ladderGrid& g, ladderStep* step) {
    for (int pivot = 0; pivot < 81; pivot++) {
        if (bitCount(g.cand[pivot]) != 3) continue;
        cellSet peers = kGeometry.peers[pivot] & g.open;
        for (int a = peers.pop(); a >= 0; a = peers.pop()) {
            if (!bivalue(g, a) || (g.cand[a] & ~g.cand[pivot])) continue;
            cellSet others = kGeometry.peers[pivot] & g.open;
            for (int b = others.pop(); b >= 0; b = others.pop()) {
                if (b <= a || !bivalue(g, b) || (g.cand[b] & ~g.cand[pivot]) || g.cand[b] == g.cand[a]) continue;
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
    return false;
}

bool findWWing(const ladderGrid& g, ladderStep* step) {
    for (int a = 0; a < 81; a++) {
        if (!bivalue(g, a)) continue;
        for (int b = a + 1; b < 81; b++) {
            if (g.cand[b] != g.cand[a] || sees(a, b)) continue;
            for (int which = 0; which < 2; which++) {
                const unsigned both = g.cand[a];
                const int y = which ? lowBit(both & (both - 1)) : lowBit(both);
                const int x = lowBit(both & ~(1u << y));
                const cellSet gone = g.pos[x] & kGeometry.peers[a] & kGeometry.peers[b];
                if (gone.empty()) continue;
                for (int u = 0; u < 27; u++) {
                    const cellSet m = g.pos[y] & kGeometry.unit[u];
                    if (m.count() != 2 || m.has(a) || m.has(b)) continue;
                    cellSet rest = m;
                    int p = rest.pop(), q = rest.pop();
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
    return false;
}

// Two conjugate pairs of a digit joined by a weak link between one end of
// each: in parallel lines whose joined ends share a line (skyscraper), or a
// row and a column whose joined ends share a box (kite).
bool findSkyscraper(const ladderGrid& g, bool kite, unsigned digits, ladderStep* step) {
    for (int d = 0; d < 9; d++) {
        if (!(digits & (1u << d))) continue;
        // The rows and columns where the digit is a conjugate pair.
        cellSet places[kBoxUnit];
        unsigned pairs = 0;
        for (int u = 0; u < kBoxUnit; u++) {
            places[u] = g.pos[d] & kGeometry.unit[u];
            if (places[u].count() == 2) pairs |= 1u << u;
        }
        for (int u = 0; u < kBoxUnit; u++) {
            if (!(pairs & (1u << u))) continue;
            const cellSet m1 = places[u];
            for (int v = u + 1; v < kBoxUnit; v++) {
                const bool parallel = (u < kColumnUnit) == (v < kColumnUnit);
                if (parallel == kite) continue;
                const cellSet m2 = places[v];
                if (!(pairs & (1u << v)) || m1.meets(m2)) continue;
                for (int e1 = 0; e1 < 2; e1++)
                    for (int e2 = 0; e2 < 2; e2++) {
                        cellSet s1 = m1, s2 = m2;
                        int a1 = s1.pop(), b1 = s1.pop(), a2 = s2.pop(), b2 = s2.pop();
                        if (e1) {
                            const int t = a1;
                            a1 = b1;
                            b1 = t;
                        }
                        if (e2) {
                            const int t = a2;
                            a2 = b2;
                            b2 = t;
                        }
                        // The joined ends: a1 and a2.
                        if (kite) {
                            if (boxOf(a1) != boxOf(a2)) continue;
                        } else {
                            const bool rows = u < kColumnUnit;
                            if (rows ? columnOf(a1) != columnOf(a2) : rowOf(a1) != rowOf(a2)) continue;
                            if (rows ? columnOf(b1) == columnOf(b2) : rowOf(b1) == rowOf(b2)) continue;  // an X-Wing
                        }
                        if (sees(b1, b2)) continue;
                        const cellSet gone = g.pos[d] & kGeometry.peers[b1] & kGeometry.peers[b2];
                        if (gone.empty()) continue;
                        setTechnique(step, kite ? techTwoStringKite : techSkyscraper);
                        const int nodes[4][2] = {{b1, d + 1}, {a1, d + 1}, {a2, d + 1}, {b2, d + 1}};
                        simpleChain(step, nodes, 4);
                        addRemovals(step, gone, d);
                        return true;
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
        int others[9], m = 0;
        for (int i = 0; i < 9; i++) {
            const int c = kGeometry.unitCell[u][i];
            if (c != r1 && c != r2 && g.cand[c]) others[m++] = c;
        }
        for (unsigned mask = 1; mask < (1u << m); mask++) {
            const int size = bitCount(mask);
            if (size > 3) continue;
            unsigned digits = extra;
            cellSet chosen;
            for (int i = 0; i < m; i++)
                if (mask & (1u << i)) {
                    digits |= g.cand[others[i]];
                    chosen.add(others[i]);
                }
            if (bitCount(digits) != size + 1) continue;
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

}  // namespace

bool findUniqueRectangle(const ladderGrid& g, int type, ladderStep* step) {
    for (int r1 = 0; r1 < 9; r1++)
        for (int r2 = r1 + 1; r2 < 9; r2++) {
            // The columns where both rows' cells share two digits or more.
            unsigned both[9];
            int columns[9], n = 0;
            for (int c = 0; c < 9; c++) {
                both[c] = g.cand[r1 * 9 + c] & g.cand[r2 * 9 + c];
                if (bitCount(both[c]) >= 2) columns[n++] = c;
            }
            for (int i = 0; i < n; i++)
                for (int k = i + 1; k < n; k++) {
                    const int c1 = columns[i], c2 = columns[k];
                    if ((r1 / 3 == r2 / 3) == (c1 / 3 == c2 / 3)) continue;  // two boxes exactly
                    const unsigned common = both[c1] & both[c2];
                    if (bitCount(common) < 2) continue;
                    const int cells[4] = {r1 * 9 + c1, r1 * 9 + c2, r2 * 9 + c1, r2 * 9 + c2};
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
                }
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
