// The finders of singles, box-line interactions, subsets and fish against
// their plain forms: the ladder's finders enumerate in the same order with
// tables kept between calls and searches cut short, and must give exactly
// the step the plain search gives, on every grid of a solve and on grids
// with candidates taken away or added at random.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace plain {

namespace {

// Every k-element subset of n items as a mask, in increasing order of the
// mask (Gosper's step); calls f(mask) until it returns true.
template <typename F>
bool eachCombination(int n, int k, const F& f) {
    if (k <= 0 || k > n) return false;
    unsigned mask = (1u << k) - 1;
    const unsigned end = 1u << n;
    while (mask < end) {
        if (f(mask)) return true;
        const unsigned low = mask & -mask, ripple = mask + low;
        mask = (((ripple ^ mask) >> 2) / low) | ripple;
    }
    return false;
}

// Collects into found[] the k-element subsets (masks) of items from..n-1
// added to `mask`, whose items' bits together stay within `most` bits.
void tightSubsets(const unsigned* bits, int n, int from, int k, int most, unsigned mask, unsigned held,
                  unsigned* found, int* count) {
    if (k == 0) {
        found[(*count)++] = mask;
        return;
    }
    for (int i = from; i <= n - k; i++) {
        const unsigned next = held | bits[i];
        if (bitCount(next) <= most) tightSubsets(bits, n, i + 1, k - 1, most, mask | (1u << i), next, found, count);
    }
}

// As eachCombination, over those subsets of at most 9 items, k at most 4,
// whose items' bits number k or fewer together: the only ones a subset or a
// fish can be made of, so f is spared the rest.
template <typename F>
bool eachTightCombination(int n, int k, const unsigned* bits, const F& f) {
    if (k <= 0 || k > n) return false;
    unsigned found[126];  // 9 choose 4
    int count = 0;
    tightSubsets(bits, n, 0, k, k, 0, 0, found, &count);
    // In increasing order of the mask, as eachCombination gives them.
    std::sort(found, found + count);
    for (int i = 0; i < count; i++)
        if (f(found[i])) return true;
    return false;
}

}  // namespace





bool findNakedSingle(const ladderGrid& g, ladderStep* step) {
    cellSet o = g.open;
    for (int c = o.pop(); c >= 0; c = o.pop())
        if (bitCount(g.cand[c]) == 1) {
            singleStep(step, techNakedSingle, c, lowBit(g.cand[c]) + 1, -1);
            return true;
        }
    return false;
}

bool findHiddenSingle(const ladderGrid& g, bool boxes, ladderStep* step) {
    const int first = boxes ? kBoxUnit : kRowUnit, last = boxes ? 27 : kBoxUnit;
    for (int u = first; u < last; u++)
        for (int d = 0; d < 9; d++) {
            const cellSet m = g.pos[d] & kGeometry.unit[u];
            if (m.single()) {
                singleStep(step, boxes ? techHiddenSingleBox : techHiddenSingleLine, m.first(), d + 1, u);
                return true;
            }
        }
    return false;
}

// A digit's candidates of one unit all in another: the rest of the other
// loses it. Boxes into lines (pointing), or lines into boxes (claiming).
static bool findLocked(const ladderGrid& g, bool pointing, unsigned digits, ladderStep* step) {
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d))
        for (int u = pointing ? kBoxUnit : kRowUnit; u < (pointing ? 27 : kBoxUnit); u++) {
            const cellSet m = g.pos[d] & kGeometry.unit[u];
            if (m.empty() || m.single()) continue;
            const int c = m.first();
            for (int k = 0; k < 3; k++) {
                const int other = kGeometry.cellUnit[c][k];
                if (other == u || (pointing ? other >= kBoxUnit : other < kBoxUnit)) continue;
                if (!m.within(kGeometry.unit[other])) continue;
                const cellSet gone = (g.pos[d] & kGeometry.unit[other]).minus(kGeometry.unit[u]);
                if (gone.empty()) continue;
                setTechnique(step, pointing ? techPointing : techClaiming);
                fishPattern(step, d + 1, &u, &other, 1, cellSet());
                addRemovals(step, gone, d);
                return true;
            }
        }
    return false;
}

bool findPointing(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return findLocked(g, true, digits, step);
}

bool findClaiming(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return findLocked(g, false, digits, step);
}

bool findDoublePair(const ladderGrid& g, unsigned digits, ladderStep* step) {
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d))
        for (int bands = 0; bands < 2; bands++)  // bands (rows), then stacks (columns)
            for (int group = 0; group < 3; group++) {
                int boxes[3], lines[3];  // the band's boxes and, per box, the lines of the digit's cells
                for (int i = 0; i < 3; i++) {
                    boxes[i] = bands ? group * 3 + i : i * 3 + group;
                    const cellSet inBox = g.pos[d] & kGeometry.unit[kBoxUnit + boxes[i]];
                    lines[i] = 0;
                    for (int k = 0; k < 3; k++)
                        if (inBox.meets(kGeometry.unit[(bands ? kRowUnit : kColumnUnit) + group * 3 + k])) lines[i] |= 1 << k;
                }
                for (int a = 0; a < 3; a++)
                    for (int b = a + 1; b < 3; b++) {
                        if (!lines[a] || !lines[b] || bitCount(lines[a] | lines[b]) != 2) continue;
                        const int c = 3 - a - b;
                        const int both = lines[a] | lines[b];
                        int base[2] = {kBoxUnit + boxes[a], kBoxUnit + boxes[b]}, cover[2];
                        int n = 0;
                        for (int k = 0; k < 3; k++)
                            if (both & (1 << k)) {
                                const int line = bands ? group * 3 + k : group * 3 + k;
                                cover[n++] = (bands ? kRowUnit : kColumnUnit) + line;
                            }
                        const cellSet gone = g.pos[d] & kGeometry.unit[kBoxUnit + boxes[c]] &
                                             (kGeometry.unit[cover[0]] | kGeometry.unit[cover[1]]);
                        if (gone.empty()) continue;
                        setTechnique(step, techDoublePair);
                        fishPattern(step, d + 1, base, cover, 2, cellSet());
                        addRemovals(step, gone, d);
                        return true;
                    }
            }
    return false;
}

bool findNakedSubset(const ladderGrid& g, int size, unsigned units, ladderStep* step) {
    const int technique = size == 2 ? techNakedPair : size == 3 ? techNakedTriple : techNakedQuad;
    for (int u = 0; u < 27; u++) {
        if (!(units & (1u << u))) continue;
        int cells[9], n = 0;
        for (int k = 0; k < 9; k++) {
            const int c = kGeometry.unitCell[u][k];
            const int count = bitCount(g.cand[c]);
            if (count >= 2 && count <= size) cells[n++] = c;
        }
        unsigned held[9];
        for (int i = 0; i < n; i++) held[i] = g.cand[cells[i]];
        const bool found = eachTightCombination(n, size, held, [&](unsigned mask) {
            unsigned digits = 0;
            cellSet chosen;
            for (int i = 0; i < n; i++)
                if (mask & (1u << i)) {
                    digits |= g.cand[cells[i]];
                    chosen.add(cells[i]);
                }
            if (bitCount(digits) != size) return false;
            const cellSet around = seeingAll(chosen);
            bool any = false;
            for (unsigned m = digits; m; m &= m - 1)
                if ((g.pos[lowBit(m)] & around & kGeometry.unit[u]).any()) any = true;
            if (!any) return false;
            subsetPattern(step, technique, true, u, chosen, digits);
            for (unsigned m = digits; m; m &= m - 1) addRemovals(step, g.pos[lowBit(m)] & around, lowBit(m));
            return true;
        });
        if (found) return true;
    }
    return false;
}

bool findHiddenSubset(const ladderGrid& g, int size, unsigned units, int technique, ladderStep* step) {
    for (int u = 0; u < 27; u++) {
        if (!(units & (1u << u))) continue;
        // Each digit's places in the unit, as a mask of the unit's cells.
        unsigned at[9] = {0};
        for (int k = 0; k < 9; k++)
            for (unsigned m = g.cand[kGeometry.unitCell[u][k]]; m; m &= m - 1) at[lowBit(m)] |= 1u << k;
        int digits[9], n = 0;
        for (int d = 0; d < 9; d++) {
            const int count = bitCount(at[d]);
            if (count >= 2 && count <= size) digits[n++] = d;
        }
        unsigned listed[9];
        for (int i = 0; i < n; i++) listed[i] = at[digits[i]];
        const bool found = eachTightCombination(n, size, listed, [&](unsigned mask) {
            unsigned places = 0, chosen = 0;
            for (int i = 0; i < n; i++)
                if (mask & (1u << i)) {
                    places |= at[digits[i]];
                    chosen |= 1u << digits[i];
                }
            if (bitCount(places) != size) return false;
            bool any = false;
            cellSet cells;
            for (unsigned m = places; m; m &= m - 1) {
                const int c = kGeometry.unitCell[u][lowBit(m)];
                cells.add(c);
                if (g.cand[c] & ~chosen) any = true;
            }
            if (!any) return false;
            subsetPattern(step, technique, false, u, cells, chosen);
            for (int d = 0; d < 9; d++)
                if (!(chosen & (1u << d))) addRemovals(step, g.pos[d] & cells, d);
            return true;
        });
        if (found) return true;
    }
    return false;
}

bool findFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step) {
    const int technique = size == 2 ? techXWing : size == 3 ? techSwordfish : techJellyfish;
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d))
        for (int rows = 1; rows >= 0; rows--) {
            const int baseKind = rows ? kRowUnit : kColumnUnit, coverKind = rows ? kColumnUnit : kRowUnit;
            unsigned byRow[9], byColumn[9];
            lineMasks(g.pos[d], byRow, byColumn);
            int lines[9], n = 0;
            unsigned masks[9];
            for (int i = 0; i < 9; i++) {
                const unsigned m = rows ? byRow[i] : byColumn[i];
                if (bitCount(m) >= 2 && bitCount(m) <= size) {
                    lines[n] = i;
                    masks[n++] = m;
                }
            }
            const bool found = eachTightCombination(n, size, masks, [&](unsigned mask) {
                unsigned covers = 0, baseUnits = 0;
                for (int i = 0; i < n; i++)
                    if (mask & (1u << i)) {
                        covers |= masks[i];
                        baseUnits |= 1u << lines[i];
                    }
                if (bitCount(covers) != size) return false;
                int base[4], cover[4];
                cellSet baseCells, coverCells;
                fishLines(baseKind, coverKind, baseUnits, covers, base, cover, &baseCells, &coverCells);
                const cellSet gone = (g.pos[d] & coverCells).minus(baseCells);
                if (gone.empty()) return false;
                setTechnique(step, technique);
                fishPattern(step, d + 1, base, cover, size, cellSet());
                addRemovals(step, gone, d);
                return true;
            });
            if (found) return true;
        }
    return false;
}

bool findFinnedFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step) {
    for (int d = 0; d < 9; d++) {
        if (!(digits & (1u << d))) continue;
        unsigned byRow[9], byColumn[9];
        lineMasks(g.pos[d], byRow, byColumn);
        for (int rows = 1; rows >= 0; rows--) {
            const unsigned* along = rows ? byRow : byColumn;     // base line i: its cover lines
            const unsigned* across = rows ? byColumn : byRow;    // cover line j: its base lines
            int lines[9], n = 0;
            for (int i = 0; i < 9; i++)
                if (bitCount(along[i]) >= 2) lines[n++] = i;
            const bool found = eachCombination(n, size, [&](unsigned mask) {
                unsigned baseUnits = 0;
                for (int i = 0; i < n; i++)
                    if (mask & (1u << i)) baseUnits |= 1u << lines[i];
                // The fins lie in one box: in one of the base lines' blocks
                // of three (band or stack), across one block of cover lines.
                for (int block = 0; block < 3; block++) {
                    const unsigned blockBases = 7u << (block * 3);
                    if (!(baseUnits & blockBases)) continue;
                    // The base lines outside the block need covers of their own.
                    unsigned rest = 0;
                    for (unsigned b = baseUnits & ~blockBases; b; b &= b - 1) rest |= along[lowBit(b)];
                    if (bitCount(rest) > size) continue;
                    for (int crossBlock = 0; crossBlock < 3; crossBlock++) {
                        const unsigned blockCovers = 7u << (crossBlock * 3);
                        unsigned outside = 0;  // the cover lines the candidates outside the fin box need
                        for (unsigned b = baseUnits; b; b &= b - 1)
                            outside |= along[lowBit(b)] & ((1u << lowBit(b)) & blockBases ? ~blockCovers : 0x1FFu);
                        if (bitCount(outside) > size) continue;
                        const int need = size - bitCount(outside);
                        // Filled up with cover lines through the fin box.
                        const unsigned spare = blockCovers & ~outside;
                        // Whatever the filling, the fins lie on the block's
                        // cover lines outside `outside`, and what is removed
                        // lies on cover lines through the box that reach it.
                        unsigned finLines = 0, reaching = 0;
                        for (unsigned b = baseUnits & blockBases; b; b &= b - 1) finLines |= along[lowBit(b)] & blockCovers;
                        for (unsigned c = blockCovers; c; c &= c - 1)
                            if (across[lowBit(c)] & blockBases & ~baseUnits) reaching |= 1u << lowBit(c);
                        if (!(finLines & ~outside) || !(reaching & (outside | spare))) continue;
                        for (unsigned extra = spare;; extra = (extra - 1) & spare) {
                            if (bitCount(extra) == need) {
                                const unsigned covers = outside | extra;
                                unsigned fins = 0;  // lines of the base with fins
                                for (unsigned b = baseUnits & blockBases; b; b &= b - 1)
                                    if (along[lowBit(b)] & ~covers) fins |= 1u << lowBit(b);
                                unsigned gone = 0;  // cover lines through the fin box with something to remove there
                                for (unsigned c = covers & blockCovers; c; c &= c - 1)
                                    if (across[lowBit(c)] & blockBases & ~baseUnits) gone |= 1u << lowBit(c);
                                if (fins && gone) {
                                    finnedFishStep(g, d, size, rows, baseUnits, covers, along, step);
                                    return true;
                                }
                            }
                            if (extra == 0) break;
                        }
                    }
                }
                return false;
            });
            if (found) return true;
        }
    }
    return false;
}

}  // namespace plain

namespace {

// Everything a step says, pattern included.
std::string stepText(bool found, const ladderStep& s) {
    if (!found) return "none";
    const ladderPattern& p = s.pattern;
    std::string out = std::to_string(s.technique) + "/" + std::to_string(s.difficulty) + " @" + std::to_string(s.placeCell) +
                      "=" + std::to_string(s.placeDigit) + " k" + std::to_string(p.kind) + " d" + std::to_string(p.digit) +
                      " u" + std::to_string(p.unit) + " c" + std::to_string(p.cell) + " n" + std::to_string(p.naked) +
                      " D" + std::to_string(p.digits) + " C" + std::to_string(p.cells.lo) + "," + std::to_string(p.cells.hi) +
                      " F" + std::to_string(p.fins.lo) + "," + std::to_string(p.fins.hi) + " s" + std::to_string(p.size);
    for (int i = 0; i < p.size; i++) out += " b" + std::to_string(p.base[i]) + " v" + std::to_string(p.cover[i]);
    for (unsigned short r : s.removals) out += " -" + std::to_string(r);
    return out;
}

// Every finder of both kinds on g over `digits` and `units`; mismatches
// are reported with the finder's name.
int compareAll(const ladderGrid& g, unsigned digits, unsigned units, const std::string& where) {
    int found = 0;
    const auto same = [&](const char* name, auto fast, auto slow) {
        ladderStep a, b;
        const bool fa = fast(&a), fb = slow(&b);
        found += fb;
        EXPECT_EQ(stepText(fa, a), stepText(fb, b)) << name << " at " << where;
    };
    same("naked single", [&](ladderStep* s) { return findNakedSingle(g, s); },
         [&](ladderStep* s) { return plain::findNakedSingle(g, s); });
    for (bool boxes : {true, false})
        same("hidden single", [&](ladderStep* s) { return findHiddenSingle(g, boxes, s); },
             [&](ladderStep* s) { return plain::findHiddenSingle(g, boxes, s); });
    same("pointing", [&](ladderStep* s) { return findPointing(g, digits, s); },
         [&](ladderStep* s) { return plain::findPointing(g, digits, s); });
    same("claiming", [&](ladderStep* s) { return findClaiming(g, digits, s); },
         [&](ladderStep* s) { return plain::findClaiming(g, digits, s); });
    same("double pair", [&](ladderStep* s) { return findDoublePair(g, digits, s); },
         [&](ladderStep* s) { return plain::findDoublePair(g, digits, s); });
    for (int size = 2; size <= 4; size++) {
        same("naked subset", [&](ladderStep* s) { return findNakedSubset(g, size, units, s); },
             [&](ladderStep* s) { return plain::findNakedSubset(g, size, units, s); });
        same("hidden subset", [&](ladderStep* s) { return findHiddenSubset(g, size, units, techHiddenPair, s); },
             [&](ladderStep* s) { return plain::findHiddenSubset(g, size, units, techHiddenPair, s); });
        same("fish", [&](ladderStep* s) { return findFish(g, size, digits, s); },
             [&](ladderStep* s) { return plain::findFish(g, size, digits, s); });
        same("finned fish", [&](ladderStep* s) { return findFinnedFish(g, size, digits, s); },
             [&](ladderStep* s) { return plain::findFinnedFish(g, size, digits, s); });
    }
    return found;
}

}  // namespace

// Along the ladder's solves of expert puzzles, each grid as it is (all
// digits and units, then a random part of them), with random candidates
// taken away, and with random candidates added; the grid before is asked
// again after each, so that what the finders keep between calls is used
// across grids.
TEST(LadderBasicFinders, SameStepsAsThePlainSearch) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 rng(11);
    int found = 0;
    const int grids = eachPlaceAndNear(lines, 10, rng, 6, false, [&](const ladderGrid& g, const std::string& where, bool atPlace) {
        found += compareAll(g, kAllDigits, kAllUnits, where);
        if (atPlace) found += compareAll(g, rng() & kAllDigits, rng() & kAllUnits, where + " (part)");
    });
    EXPECT_GT(grids, 1000);
    EXPECT_GT(found, 10000);
}

// The rows and columns of a set of cells, gathered by word tricks, are
// those of its cells one by one, up to the cells on either side of the
// words' border (63 and 64) and the last row.
TEST(LadderBasicFinders, LineMasksOfEveryCell) {
    std::mt19937_64 rng(5);
    for (int n = 0; n < 2000; n++) {
        cellSet s;
        if (n < 81) {
            s.add(n);
        } else {
            const int density = static_cast<int>(rng() % 82);
            for (int c = 0; c < 81; c++)
                if (static_cast<int>(rng() % 81) < density) s.add(c);
        }
        unsigned byRow[9], byColumn[9], rows[9] = {0}, columns[9] = {0};
        lineMasks(s, byRow, byColumn);
        for (int c = 0; c < 81; c++)
            if (s.has(c)) {
                rows[rowOf(c)] |= 1u << columnOf(c);
                columns[columnOf(c)] |= 1u << rowOf(c);
            }
        for (int i = 0; i < 9; i++) {
            ASSERT_EQ(byRow[i], rows[i]) << n << " row " << i;
            ASSERT_EQ(byColumn[i], columns[i]) << n << " column " << i;
        }
    }
}
