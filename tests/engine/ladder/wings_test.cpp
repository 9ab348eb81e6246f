// The wings, the skyscraper and kite and the unique rectangles search from
// indexes they keep between calls (the cells of two candidates by pair, each
// digit's conjugate pairs, the rectangles with a floor). Each must give the
// step of a plain search over every cell and line, in the same order: on the
// grids of the corpus's solves, and on those grids with candidates taken away
// at random (many more patterns, and grids that do not follow one another).
#include <gtest/gtest.h>

#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

bool pair(const ladderGrid& g, int c) {
    return bitCount(g.cand[c]) == 2;
}
int high(unsigned mask) {
    return 31 - __builtin_clz(mask);
}

// A chain of single cells, links strong, weak, strong, ...: (cell, digit 0..8).
bool chain(ladderStep* s, int technique, std::initializer_list<std::pair<int, int>> nodes, cellSet gone, int d) {
    setTechnique(s, technique);
    s->pattern.kind = patternChain;
    for (const std::pair<int, int>& n : nodes) {
        if (!s->pattern.nodes.empty()) s->pattern.strong.push_back(s->pattern.nodes.size() % 2);
        s->pattern.nodes.push_back({static_cast<unsigned char>(n.second + 1), cellSet::of(n.first), cellSet()});
    }
    addRemovals(s, gone, d);
    return true;
}

bool plainXYWing(const ladderGrid& g, ladderStep* s) {
    for (int p = 0; p < 81; p++) {
        if (!pair(g, p)) continue;
        const int x = lowBit(g.cand[p]), y = high(g.cand[p]);
        for (int a = 0; a < 81; a++) {
            if (!sees(p, a) || !pair(g, a) || !(g.cand[a] >> x & 1) || (g.cand[a] >> y & 1)) continue;
            const int z = lowBit(g.cand[a] & ~(1u << x));
            for (int b = 0; b < 81; b++) {
                const cellSet gone = g.pos[z] & kGeometry.peers[a] & kGeometry.peers[b];
                if (sees(p, b) && g.cand[b] == ((1u << y) | (1u << z)) && gone.any())
                    return chain(s, techXYWing, {{a, z}, {a, x}, {p, x}, {p, y}, {b, y}, {b, z}}, gone, z);
            }
        }
    }
    return false;
}

bool plainXYZWing(const ladderGrid& g, ladderStep* s) {
    for (int p = 0; p < 81; p++) {
        if (bitCount(g.cand[p]) != 3) continue;
        const auto wing = [&](int c) { return sees(p, c) && pair(g, c) && !(g.cand[c] & ~g.cand[p]); };
        for (int a = 0; a < 81; a++)
            for (int b = a + 1; b < 81 && wing(a); b++) {
                if (!wing(b) || g.cand[b] == g.cand[a]) continue;
                const int z = lowBit(g.cand[a] & g.cand[b]), x = lowBit(g.cand[a] & ~(1u << z));
                const cellSet gone = g.pos[z] & kGeometry.peers[a] & kGeometry.peers[b] & kGeometry.peers[p];
                if (gone.empty()) continue;
                setTechnique(s, techXYZWing);
                const cellSet als = cellSet::of(p) | cellSet::of(b);
                s->pattern.kind = patternChain;
                s->pattern.nodes = {{static_cast<unsigned char>(z + 1), cellSet::of(a), cellSet()},
                                    {static_cast<unsigned char>(x + 1), cellSet::of(a), cellSet()},
                                    {static_cast<unsigned char>(x + 1), cellSet::of(p), als},
                                    {static_cast<unsigned char>(z + 1), als, als}};
                s->pattern.strong = {1, 0, 1};
                addRemovals(s, gone, z);
                return true;
            }
    }
    return false;
}

bool plainWWing(const ladderGrid& g, ladderStep* s) {
    for (int a = 0; a < 81; a++)
        for (int b = a + 1; b < 81 && pair(g, a); b++) {
            if (g.cand[b] != g.cand[a] || sees(a, b)) continue;
            for (int y : {lowBit(g.cand[a]), high(g.cand[a])}) {
                const int x = lowBit(g.cand[a] & ~(1u << y));
                const cellSet gone = g.pos[x] & kGeometry.peers[a] & kGeometry.peers[b];
                for (int u = 0; u < 27 && gone.any(); u++) {
                    cellSet m = g.pos[y] & kGeometry.unit[u];
                    if (m.count() != 2 || m.has(a) || m.has(b)) continue;
                    int p = m.pop(), q = m.pop();
                    if (!(sees(p, a) && sees(q, b))) std::swap(p, q);
                    if (sees(p, a) && sees(q, b)) return chain(s, techWWing, {{a, x}, {a, y}, {p, y}, {q, y}, {b, y}, {b, x}}, gone, x);
                }
            }
        }
    return false;
}

// Line pairs in order (rows before columns), each pair's ends lower cell first.
bool plainSkyscraper(const ladderGrid& g, bool kite, ladderStep* s) {
    for (int d = 0; d < 9; d++)
        for (int u = 0; u < kBoxUnit; u++)
            for (int v = u + 1; v < kBoxUnit; v++) {
                const cellSet m1 = g.pos[d] & kGeometry.unit[u], m2 = g.pos[d] & kGeometry.unit[v];
                if ((u < kColumnUnit) == (v < kColumnUnit) ? kite : !kite) continue;
                if (m1.count() != 2 || m2.count() != 2 || m1.meets(m2)) continue;
                for (int e = 0; e < 4; e++) {
                    cellSet s1 = m1, s2 = m2;
                    int a1 = s1.pop(), b1 = s1.pop(), a2 = s2.pop(), b2 = s2.pop();
                    if (e & 2) std::swap(a1, b1);
                    if (e & 1) std::swap(a2, b2);
                    const bool rows = u < kColumnUnit;
                    const auto across = [rows](int c) { return rows ? columnOf(c) : rowOf(c); };
                    if (kite ? boxOf(a1) != boxOf(a2) : across(a1) != across(a2) || across(b1) == across(b2)) continue;
                    const cellSet gone = g.pos[d] & kGeometry.peers[b1] & kGeometry.peers[b2];
                    if (!sees(b1, b2) && gone.any())
                        return chain(s, kite ? techTwoStringKite : techSkyscraper, {{b1, d}, {a1, d}, {a2, d}, {b2, d}}, gone, d);
                }
            }
    return false;
}

// Every rectangle of two boxes, each pair of its common digits.
bool plainRectangle(const ladderGrid& g, int type, ladderStep* s) {
    for (int r1 = 0; r1 < 9; r1++)
        for (int r2 = r1 + 1; r2 < 9; r2++)
            for (int c1 = 0; c1 < 9; c1++)
                for (int c2 = c1 + 1; c2 < 9; c2++) {
                    if ((r1 / 3 == r2 / 3) == (c1 / 3 == c2 / 3)) continue;
                    const int cells[4] = {r1 * 9 + c1, r1 * 9 + c2, r2 * 9 + c1, r2 * 9 + c2};
                    const unsigned common = g.cand[cells[0]] & g.cand[cells[1]] & g.cand[cells[2]] & g.cand[cells[3]];
                    for (unsigned m1 = common; m1; m1 &= m1 - 1)
                        for (unsigned m2 = m1 & (m1 - 1); m2; m2 &= m2 - 1) {
                            const int x = lowBit(m1), y = lowBit(m2);
                            const unsigned xy = (1u << x) | (1u << y);
                            std::vector<int> roof;
                            for (int c : cells)
                                if (g.cand[c] != xy) roof.push_back(c);
                            const auto found = [&](int technique, int t, int extra, int unit) {
                                setTechnique(s, technique);
                                s->pattern.kind = patternRectangle;
                                s->pattern.type = t;
                                for (int c : cells) s->pattern.cells.add(c);
                                for (int c : roof) s->pattern.roof.add(c);
                                s->pattern.digits = static_cast<unsigned short>(xy);
                                s->pattern.extra = extra;
                                s->pattern.unit = unit;
                                return true;
                            };
                            if (type == 1 && roof.size() == 1) {
                                addRemovals(s, cellSet::of(roof[0]), x);
                                addRemovals(s, cellSet::of(roof[0]), y);
                                return found(techUniqueRectangle1, 1, 0, -1);
                            }
                            if (roof.size() != 2 || (rowOf(roof[0]) != rowOf(roof[1]) && columnOf(roof[0]) != columnOf(roof[1])))
                                continue;
                            const cellSet both = cellSet::of(roof[0]) | cellSet::of(roof[1]);
                            const unsigned extra = g.cand[roof[0]] & ~xy;
                            if (type == 2 && bitCount(extra) == 1 && extra == (g.cand[roof[1]] & ~xy)) {
                                const cellSet gone = g.pos[lowBit(extra)] & seeingAll(both);
                                addRemovals(s, gone, lowBit(extra));
                                if (gone.any()) return found(techUniqueRectangle2, 2, lowBit(extra) + 1, -1);
                            }
                            for (int k = 0; k < 3 && type == 3; k++) {
                                // The roof's other digits and cells of a unit holding it: a naked subset.
                                const int u = kGeometry.cellUnit[roof[0]][k];
                                std::vector<int> others;
                                for (int c : kGeometry.unitCell[u])
                                    if (!both.has(c) && g.cand[c]) others.push_back(c);
                                for (unsigned mask = 1; mask < (1u << others.size()) && u == kGeometry.cellUnit[roof[1]][k]; mask++) {
                                    unsigned digits = (g.cand[roof[0]] | g.cand[roof[1]]) & ~xy;
                                    cellSet chosen;
                                    for (size_t i = 0; i < others.size(); i++)
                                        if (mask >> i & 1) {
                                            digits |= g.cand[others[i]];
                                            chosen.add(others[i]);
                                        }
                                    if (bitCount(mask) > 3 || bitCount(digits) != bitCount(mask) + 1) continue;
                                    for (unsigned dm = digits; dm; dm &= dm - 1)
                                        addRemovals(s, g.pos[lowBit(dm)] & kGeometry.unit[u].minus(chosen | both), lowBit(dm));
                                    if (s->removals.empty()) continue;
                                    s->pattern.subsetUnit = u;
                                    s->pattern.subsetCells = chosen;
                                    s->pattern.subsetDigits = static_cast<unsigned short>(digits);
                                    return found(techUniqueRectangle3, 3, 0, -1);
                                }
                            }
                            for (int k = 0; k < 3 && type == 4; k++) {
                                const int u = kGeometry.cellUnit[roof[0]][k];
                                if (u != kGeometry.cellUnit[roof[1]][k]) continue;
                                for (int strong : {x, y})
                                    if ((g.pos[strong] & kGeometry.unit[u]) == both) {
                                        addRemovals(s, both, strong == x ? y : x);
                                        return found(techUniqueRectangle4, 4, strong + 1, u);
                                    }
                            }
                        }
                }
    return false;
}

std::string says(bool found, const ladderStep& s) {
    return found ? ladderStepText(s) + " " + effectText(s) : "none";
}

}  // namespace

TEST(LadderWings, IndexedSearchesFindWhatPlainSearchesFind) {
    const std::vector<std::string> puzzles = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(puzzles.size(), 1000u);
    std::mt19937 random(7);
    const int techniques[] = {techXYWing,           techXYZWing,          techWWing,
                              techSkyscraper,       techTwoStringKite,    techUniqueRectangle1,
                              techUniqueRectangle2, techUniqueRectangle3, techUniqueRectangle4};
    const int count = sizeof techniques / sizeof techniques[0];
    int found[count] = {}, grids = 0;
    const auto compare = [&](const ladderGrid& g) {
        grids++;
        for (int i = 0; i < count; i++) {
            const int t = techniques[i];
            ladderStep plain, indexed;
            bool p = false, x = false;
            switch (t) {
            case techXYWing: p = plainXYWing(g, &plain), x = findXYWing(g, &indexed); break;
            case techXYZWing: p = plainXYZWing(g, &plain), x = findXYZWing(g, &indexed); break;
            case techWWing: p = plainWWing(g, &plain), x = findWWing(g, &indexed); break;
            case techSkyscraper:
            case techTwoStringKite:
                p = plainSkyscraper(g, t == techTwoStringKite, &plain);
                x = findSkyscraper(g, t == techTwoStringKite, kAllDigits, &indexed);
                break;
            default: {
                const int type = t == techUniqueRectangle1 ? 1 : t == techUniqueRectangle2 ? 2 : t == techUniqueRectangle3 ? 3 : 4;
                p = plainRectangle(g, type, &plain);
                x = findUniqueRectangle(g, type, &indexed);
            }
            }
            found[i] += p;
            ASSERT_EQ(says(x, indexed), says(p, plain)) << ladderInfo(t).name << " on " << stateText(g);
        }
    };
    eachPlace(puzzles, 5, [&](const ladderGrid& g, const ladderStep&, const std::string&) {
        if (::testing::Test::HasFatalFailure()) return;
        compare(g);
        // The same grid thinned: a few candidates out of cells that keep one.
        ladderGrid thin = g;
        for (int n = static_cast<int>(random() % 24); n > 0; n--) {
            const int c = static_cast<int>(random() % 81), d = static_cast<int>(random() % 9);
            if ((thin.cand[c] >> d & 1) && bitCount(thin.cand[c]) > 1) thin.remove(c, d + 1);
        }
        compare(thin);
    });
    EXPECT_GT(grids, 10000);
    for (int i = 0; i < count; i++) EXPECT_GT(found[i], 100) << ladderInfo(techniques[i]).name;
}
