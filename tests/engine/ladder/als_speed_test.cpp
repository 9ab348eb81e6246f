// ALS-XZ and the almost locked sets against searches written the plain way:
// every set of a unit tried cell by cell, every pair of sets tried in the
// search's order. The finders index and keep what they can; these hold them
// to the same first step on every grid of many solves.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/ladder/als.h"
#include "engine/ladder/finders.h"
#include "ladder_test_util.h"

using namespace laddertest;

namespace {

// A step as text: technique, its pattern's nodes and what it removes.
std::string stepSays(bool found, const ladderStep& s) {
    if (!found) return "none";
    std::string out = std::to_string(s.technique);
    for (const ladderNode& n : s.pattern.nodes)
        out += " " + std::to_string(n.digit) + ":" + std::to_string(n.cells.lo) + "/" + std::to_string(n.cells.hi) +
               ":" + std::to_string(n.als.lo) + "/" + std::to_string(n.als.hi);
    for (unsigned short r : s.removals) out += " -" + std::to_string(r);
    return out;
}

// The first ALS-XZ step in the search's order, trying every pair: the sets
// in list order; for each, its digits x; then every later set whose x cells
// all see its own, by the first of those cells, then by list order; then
// the digits z. With `wings`, the WXYZ-Wings alone (a cell of two digits and
// a set of three cells, four digits in all), else all pairs but those.
std::string plainAlsXZ(const ladderGrid& g, bool wings = false) {
    const std::vector<const almostLockedSet*>& sets = almostLockedSets(g, 4);
    for (size_t i = 0; i < sets.size(); i++) {
        const almostLockedSet& a = *sets[i];
        for (int x = 0; x < 9; x++) {
            if (!(a.digits >> x & 1)) continue;
            std::vector<std::pair<int, size_t>> later;  // (first x cell, index)
            for (size_t j = i + 1; j < sets.size(); j++)
                if (sets[j]->digits >> x & 1) later.push_back({sets[j]->of[x].first(), j});
            std::sort(later.begin(), later.end());
            for (const auto& l : later) {
                const almostLockedSet& b = *sets[l.second];
                const unsigned common = a.digits & b.digits;
                if (bitCount(common) < 2 || a.cells.meets(b.cells)) continue;
                const bool wing = ((a.size == 1 && b.size == 3) || (a.size == 3 && b.size == 1)) &&
                                  bitCount(a.digits | b.digits) == 4;
                if (wing != wings) continue;
                // Restricted: every x cell of one sees every x cell of the other.
                bool restricted = true;
                for (cellSet p = a.of[x]; p.any() && restricted;) {
                    const int c = p.pop();
                    for (cellSet q = b.of[x]; q.any() && restricted;) restricted = sees(c, q.pop());
                }
                if (!restricted) continue;
                for (int z = 0; z < 9; z++) {
                    if (z == x || !(common >> z & 1)) continue;
                    cellSet gone;
                    for (cellSet t = g.pos[z].minus(a.cells | b.cells); t.any();) {
                        const int c = t.pop();
                        bool all = true;
                        for (cellSet p = a.of[z] | b.of[z]; p.any() && all;) all = sees(c, p.pop());
                        if (all) gone.add(c);
                    }
                    if (gone.empty()) continue;
                    ladderStep step;
                    setTechnique(&step, wings ? techWXYZWing : techAlsXZ);
                    const ladderNode nodes[4] = {{static_cast<unsigned char>(z + 1), a.of[z], a.cells},
                                                 {static_cast<unsigned char>(x + 1), a.of[x], a.cells},
                                                 {static_cast<unsigned char>(x + 1), b.of[x], b.cells},
                                                 {static_cast<unsigned char>(z + 1), b.of[z], b.cells}};
                    for (ladderNode n : nodes) {
                        if (n.als.single()) n.als = cellSet();
                        step.pattern.nodes.push_back(n);
                    }
                    addRemovals(&step, gone, z);
                    return stepSays(true, step);
                }
            }
        }
    }
    return "none";
}

// A set as text: its cells, digits, place and, per digit, its cells and
// those that see them all.
std::string setSays(const almostLockedSet& a) {
    std::string out = std::to_string(a.place) + ":" + std::to_string(a.digits) + ":" + std::to_string(a.size);
    for (int d = 0; d < 9; d++)
        if (a.digits >> d & 1)
            out += " " + std::to_string(a.of[d].lo) + "/" + std::to_string(a.of[d].hi) + "/" +
                   std::to_string(a.seenBy[d].lo) + "/" + std::to_string(a.seenBy[d].hi) + "/" +
                   std::to_string(a.key[d]);
    return out;
}

// Every set of 1 to 4 cells of every unit, cell by cell (a single cell with
// its row alone, a box's set within a line with the line's), in list order.
std::vector<std::string> plainSets(const ladderGrid& g) {
    std::vector<std::string> out;
    for (int u = 0; u < 27; u++)
        for (unsigned mask = 1; mask < 512; mask++) {
            cellSet cells;
            unsigned digits = 0;
            bool open = true;
            for (int k = 0; k < 9; k++)
                if (mask >> k & 1) {
                    const int c = kGeometry.unitCell[u][k];
                    open = open && g.cand[c];
                    cells.add(c);
                    digits |= g.cand[c];
                }
            const int size = bitCount(mask);
            if (!open || size > 4 || bitCount(digits) != size + 1) continue;
            if (size == 1 && u >= kColumnUnit) continue;
            const int first = cells.first();
            if (size > 1 && u >= kBoxUnit &&
                (cells.within(kGeometry.unit[kRowUnit + rowOf(first)]) ||
                 cells.within(kGeometry.unit[kColumnUnit + columnOf(first)])))
                continue;
            almostLockedSet a;
            a.cells = cells;
            a.digits = digits;
            a.size = size;
            a.place = u * 512 + static_cast<int>(mask);
            for (int d = 0; d < 9; d++)
                if (digits >> d & 1) {
                    a.of[d] = g.pos[d] & cells;
                    a.seenBy[d] = seeingAll(a.of[d]);
                    a.key[d] = static_cast<unsigned short>(d * 81 + a.of[d].first());
                }
            out.push_back(setSays(a));
        }
    return out;
}

}  // namespace

// Along many solves, and on grids near them with candidates taken away and
// given back, ALS-XZ and the WXYZ-Wing (which keeps its sets of three cells
// and its cells of two candidates from call to call) find the steps the
// plain search finds first. Along the solves, ALS-XZ is also asked as the
// driver asks it: skipping what did not change since its last search, when
// the grid only lost candidates.
TEST(LadderAls, AlsXZAndWxyzWingAreTheFirstStepsOfThePlainSearch) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    std::mt19937 rng(11);
    int found = 0, wings = 0, skipping = 0;
    // What the driver keeps between searches of one solve: the last grid
    // searched and where that search stopped.
    std::string solving;
    ladderGrid last;
    int frontier = kSearchedAll;
    const int grids = eachPlaceAndNear(lines, 16, rng, 8, false, [&](const ladderGrid& g, const std::string& where, bool atPlace) {
        const std::string plain = plainAlsXZ(g);
        ladderStep afresh, wing;
        const bool a = findAlsXZ(g, false, &afresh);
        ASSERT_EQ(stepSays(a, afresh), plain) << where << " " << stateText(g);
        const bool w = findWxyzWing(g, &wing);
        ASSERT_EQ(stepSays(w, wing), plainAlsXZ(g, true)) << where << " " << stateText(g);
        found += a;
        wings += w;
        if (!atPlace) return;
        const bool kept = where.compare(0, 81, solving) == 0;
        solving = where.substr(0, 81);
        searchDelta delta;
        if (kept) {
            delta.valid = true;
            for (int c = 0; c < 81 && delta.valid; c++) {
                if (g.cand[c] & ~last.cand[c]) delta.valid = false;
                if (g.cand[c] != last.cand[c]) delta.changed.add(c);
            }
            delta.frontier = frontier;
            if (!delta.valid) delta = searchDelta();
        }
        skipping += delta.valid;
        ladderStep skipped;
        const bool s = findAlsXZ(g, false, &skipped, &delta);
        ASSERT_EQ(stepSays(s, skipped), plain) << where << " " << stateText(g);
        last = g;
        frontier = s ? delta.frontier : kSearchedAll;
    });
    EXPECT_GT(grids, 2000);
    EXPECT_GT(found, 500);
    EXPECT_GT(wings, 1000);
    EXPECT_GT(skipping, 2000);
}

// The kept sets of each unit are those made cell by cell from the grid,
// along solves where units change a few cells at a time.
TEST(LadderAls, KeptSetsAreTheSetsOfTheGrid) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    int grids = 0;
    eachPlace(lines, 25, [&](const ladderGrid& g, const ladderStep&, const std::string& line) {
        if (::testing::Test::HasFatalFailure()) return;
        std::vector<std::string> kept;
        for (const almostLockedSet* a : almostLockedSets(g, 4)) kept.push_back(setSays(*a));
        ASSERT_EQ(kept, plainSets(g)) << line << " " << stateText(g);
        grids++;
    });
    EXPECT_GT(grids, 1000);
}
