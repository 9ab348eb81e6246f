// Contradiction chains and nets against a plain search: every candidate
// followed to the end, the shortest failure taken, the first of its size.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

// The literals a start leads to, in the order they are drawn, and whether
// two of them clash: true for a candidate, false for the others of its cell
// and its digit's other places around; false for a candidate, true for what
// is left alone in its cell or in one of its units (in a chain, only where
// that was a pair on the grid).
struct plainBranch {
    bool failed = false;
    int size = 0;
};

plainBranch plainFollow(const ladderGrid& g, bool nets, int cell, int digit) {
    enum { unknown, isTrue, isFalse };
    unsigned char state[81][9];
    std::memset(state, unknown, sizeof state);
    unsigned alive[81];
    int left[9][27], pairs[9][27];
    for (int c = 0; c < 81; c++) alive[c] = g.cand[c];
    for (int d = 0; d < 9; d++)
        for (int u = 0; u < 27; u++) left[d][u] = pairs[d][u] = (g.pos[d] & kGeometry.unit[u]).count();
    struct literal {
        int cell, d;
        bool value;
    };
    std::vector<literal> queue;
    bool failed = false;
    const auto setTrue = [&](int c, int d) {
        if (failed || state[c][d] == isTrue) return;
        state[c][d] = isTrue;
        queue.push_back({c, d, true});
    };
    const auto setFalse = [&](int c, int d) {
        if (failed || state[c][d] == isFalse) return;
        if (state[c][d] == isTrue) {
            failed = true;
            return;
        }
        state[c][d] = isFalse;
        queue.push_back({c, d, false});
        alive[c] &= ~(1u << d);
        for (int k = 0; k < 3; k++) left[d][kGeometry.cellUnit[c][k]]--;
    };
    setTrue(cell, digit);
    for (size_t next = 0; next < queue.size() && !failed; next++) {
        const literal l = queue[next];
        if (l.value) {
            for (int e = 0; e < 9; e++)
                if (e != l.d && (alive[l.cell] & (1u << e))) setFalse(l.cell, e);
            for (int p = 0; p < 81; p++)
                if (kGeometry.peers[l.cell].has(p) && (alive[p] & (1u << l.d))) setFalse(p, l.d);
            continue;
        }
        const unsigned digits = alive[l.cell];
        if (digits == 0) {
            failed = true;
            break;
        }
        const int only = __builtin_ctz(digits);
        if ((digits & (digits - 1)) == 0 && state[l.cell][only] != isTrue && (nets || bitCount(g.cand[l.cell]) == 2))
            setTrue(l.cell, only);
        for (int k = 0; k < 3 && !failed; k++) {
            const int u = kGeometry.cellUnit[l.cell][k];
            if (left[l.d][u] > 1) continue;
            if (left[l.d][u] == 0) {
                failed = true;
                break;
            }
            int p = 0;
            while (!kGeometry.unit[u].has(p) || !(alive[p] & (1u << l.d))) p++;
            if (state[p][l.d] != isTrue && (nets || pairs[l.d][u] == 2)) setTrue(p, l.d);
        }
    }
    return {failed, static_cast<int>(queue.size())};
}

// The candidate (cell * 9 + digit) whose branch fails shortest, the first
// of that size; -1 for none.
int plainContradiction(const ladderGrid& g, bool nets) {
    int best = -1, bestSize = 0;
    for (int c = 0; c < 81; c++)
        for (int d = 0; d < 9; d++) {
            if (!(g.cand[c] & (1u << d))) continue;
            const plainBranch b = plainFollow(g, nets, c, d);
            if (b.failed && (best < 0 || b.size < bestSize)) {
                best = c * 9 + d;
                bestSize = b.size;
            }
        }
    return best;
}

}  // namespace

// On the grids where the expert puzzles' solves need the expert tier or
// more, and on the same with candidates taken away, both finders remove
// what the plain search finds: the branches they pass over (for sharing
// what an earlier branch showed, or for being longer than the best) hide
// no shorter failure.
TEST(LadderForcing, ContradictionsAreThoseOfThePlainSearch) {
    int grids = 0, found = 0;
    std::mt19937 rng(7);
    eachHardPlace(puzzleLines(VELUNDA_EXPERT_FILE), 7, [&](const ladderGrid& at, const std::string& line) {
        if (::testing::Test::HasFailure()) return;
        ladderGrid fewer = at;
        for (int c = 0; c < 81; c++)
            for (int d = 0; d < 9; d++)
                if ((fewer.cand[c] & (1u << d)) && bitCount(fewer.cand[c]) > 2 && rng() % 5 == 0) fewer.remove(c, d + 1);
        const ladderGrid* both[2] = {&at, &fewer};
        for (const ladderGrid* g : both)
            for (bool nets : {false, true}) {
                const int expected = plainContradiction(*g, nets);
                ladderStep step;
                const bool any = ladderTry(nets ? techContradictionNet : techContradictionChain, *g, &step);
                ASSERT_EQ(any, expected >= 0) << line << (nets ? " net" : " chain") << "\n" << stateText(*g);
                if (any) {
                    ASSERT_EQ(step.removals.size(), 1u);
                    EXPECT_EQ(step.removals[0], expected) << line << (nets ? " net" : " chain") << "\n" << stateText(*g);
                    found++;
                }
                grids++;
            }
    });
    EXPECT_GT(grids, 400);
    EXPECT_GT(found, grids / 4);
}
