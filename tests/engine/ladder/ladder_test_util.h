// What the ladder's tests and their example harvester share: a grid state
// written out as text, the near miss of a step, puzzle lists, and walks
// along the ladder's solves.
#ifndef VELUNDA_TESTS_ENGINE_LADDER_UTIL_H
#define VELUNDA_TESTS_ENGINE_LADDER_UTIL_H

#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "engine/ladder/ladder.h"

namespace laddertest {

// 81 cells row by row: a placed digit as itself, an open cell as its
// candidates in brackets ("5[137]8[29]...").
inline std::string stateText(const ladderGrid& g) {
    std::string out;
    for (int c = 0; c < 81; c++) {
        if (g.value[c]) {
            out += static_cast<char>('0' + g.value[c]);
            continue;
        }
        out += '[';
        for (int d = 0; d < 9; d++)
            if (g.cand[c] & (1u << d)) out += static_cast<char>('1' + d);
        out += ']';
    }
    return out;
}

// The grid of a state text; false when the text is not one.
inline bool parseState(const std::string& text, ladderGrid* g) {
    for (int d = 0; d < 9; d++) g->pos[d] = cellSet();
    g->open = cellSet();
    size_t at = 0;
    for (int c = 0; c < 81; c++) {
        if (at >= text.size()) return false;
        g->value[c] = 0;
        g->cand[c] = 0;
        if (text[at] >= '1' && text[at] <= '9') {
            g->value[c] = static_cast<unsigned char>(text[at++] - '0');
            continue;
        }
        if (text[at++] != '[') return false;
        g->open.add(c);
        while (at < text.size() && text[at] != ']') {
            const int d = text[at++] - '1';
            if (d < 0 || d > 8) return false;
            g->cand[c] |= static_cast<unsigned short>(1u << d);
            g->pos[d].add(c);
        }
        if (at++ >= text.size()) return false;
    }
    return at == text.size();
}

inline void addCandidate(ladderGrid* g, int cell, int d) {
    g->cand[cell] |= static_cast<unsigned short>(1u << d);
    g->pos[d].add(cell);
}

// Adds digit d (0..8) to an open cell of `cells` that lacks it, outside
// `avoid`; false when there is none.
inline bool addToSome(ladderGrid* g, cellSet cells, int d, cellSet avoid = cellSet()) {
    cells = (cells & g->open).minus(g->pos[d]).minus(avoid);
    const int c = cells.first();
    if (c < 0) return false;
    addCandidate(g, c, d);
    return true;
}

// A digit (0..8) the cell lacks, or -1.
inline int missingDigit(const ladderGrid& g, int cell, unsigned avoid = 0) {
    for (int d = 0; d < 9; d++)
        if (!(g.cand[cell] & (1u << d)) && !(avoid & (1u << d))) return d;
    return -1;
}

// The grid with one candidate more, one that the step's pattern rules out:
// the pattern no longer holds. False for a pattern without such a candidate
// (forcing chains and nets).
inline bool nearMiss(const ladderStep& step, ladderGrid* g) {
    const ladderPattern& p = step.pattern;
    switch (p.kind) {
    case patternSingle:
        if (p.unit < 0) {
            const int d = missingDigit(*g, p.cell);
            if (d < 0) return false;
            addCandidate(g, p.cell, d);
            return true;
        }
        return addToSome(g, kGeometry.unit[p.unit], p.digit - 1);
    case patternFish: {
        cellSet base, cover;
        for (int i = 0; i < p.size; i++) {
            base |= kGeometry.unit[p.base[i]];
            cover |= kGeometry.unit[p.cover[i]];
        }
        // Outside the covers and away from the fins' box: a fin it cannot use.
        cellSet finBox;
        if (p.fins.any()) finBox = kGeometry.unit[kBoxUnit + boxOf(p.fins.first())];
        return addToSome(g, base.minus(cover), p.digit - 1, finBox);
    }
    case patternSubset: {
        if (p.naked) {
            cellSet cells = p.cells;
            const int c = cells.first();
            const int d = missingDigit(*g, c, p.digits);
            if (d < 0) return false;
            addCandidate(g, c, d);
            return true;
        }
        return addToSome(g, kGeometry.unit[p.unit].minus(p.cells), lowBit(p.digits));
    }
    case patternChain:
    case patternColouring: {
        // Break the first strong link: a third candidate in its cell, or a
        // third place of its digit in its unit, or a digit more in its set.
        const ladderNode *a = nullptr, *b = nullptr;
        if (p.kind == patternChain) {
            for (size_t i = 0; i + 1 < p.nodes.size() + (p.loop != loopNone ? 1 : 0); i++)
                if (p.strong[i]) {
                    a = &p.nodes[i];
                    b = &p.nodes[(i + 1) % p.nodes.size()];
                    break;
                }
        } else if (!p.links.empty()) {
            a = &p.nodes[static_cast<size_t>(p.links[0].first)];
            b = &p.nodes[static_cast<size_t>(p.links[0].second)];
        }
        if (a == nullptr) return false;
        if (a->als.any() && a->als == b->als) {
            cellSet cells = a->als;
            const int c = cells.first();
            unsigned all = 0;
            for (cellSet s = a->als; s.any();) all |= g->cand[s.pop()];
            const int d = missingDigit(*g, c, all);
            if (d < 0) return false;
            addCandidate(g, c, d);
            return true;
        }
        if (a->digit != b->digit) {
            const int c = a->cells.first();
            const int d = missingDigit(*g, c);
            if (d < 0) return false;
            addCandidate(g, c, d);
            return true;
        }
        const cellSet both = a->cells | b->cells;
        for (int u = 0; u < 27; u++)
            if ((g->pos[a->digit - 1] & kGeometry.unit[u]).within(both) && both.within(kGeometry.unit[u]) &&
                addToSome(g, kGeometry.unit[u], a->digit - 1))
                return true;
        for (int u = 0; u < 27; u++)
            if ((g->pos[a->digit - 1] & kGeometry.unit[u]).within(both) && addToSome(g, kGeometry.unit[u].minus(both), a->digit - 1))
                return true;
        return false;
    }
    case patternRectangle: {
        cellSet floor = p.cells.minus(p.roof);
        const int c = floor.first();
        const int d = missingDigit(*g, c, p.digits);
        if (d < 0) return false;
        addCandidate(g, c, d);
        return true;
    }
    case patternBug:
        for (int c = 0; c < 81; c++)
            if (c != p.cell && g->cand[c] && missingDigit(*g, c) >= 0) {
                addCandidate(g, c, missingDigit(*g, c));
                return true;
            }
        return false;
    default: return false;
    }
}

// Two steps with the same technique and effect.
inline bool sameStep(const ladderStep& a, const ladderStep& b) {
    if (a.technique != b.technique || a.placeCell != b.placeCell || a.placeDigit != b.placeDigit) return false;
    if (a.removals.size() != b.removals.size()) return false;
    for (size_t i = 0; i < a.removals.size(); i++)
        if (a.removals[i] != b.removals[i]) return false;
    return true;
}

// The step's effect as text: "r4c4=2" or "-r1c2:5 -r1c3:5".
inline std::string effectText(const ladderStep& s) {
    std::string out;
    if (s.placeCell >= 0)
        out = "r" + std::to_string(s.placeCell / 9 + 1) + "c" + std::to_string(s.placeCell % 9 + 1) + "=" + std::to_string(s.placeDigit);
    for (unsigned short r : s.removals)
        out += (out.empty() ? "-r" : " -r") + std::to_string(r / 81 + 1) + "c" + std::to_string(r / 9 % 9 + 1) + ":" +
               std::to_string(r % 9 + 1);
    return out;
}

// The first 81 characters of each line of a puzzle list that has them.
inline std::vector<std::string> puzzleLines(const char* path) {
    std::vector<std::string> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.size() >= 81) out.push_back(line.substr(0, 81));
    return out;
}

// The givens of a puzzle line: digits 1..9, anything else an open cell.
inline void cellsOf(const std::string& line, short* cells) {
    for (int c = 0; c < 81; c++) cells[c] = line[c] >= '1' && line[c] <= '9' ? static_cast<short>(line[c] - '0') : 0;
}

// Calls f(grid, step, line) along the ladder's solve of every `stride`th
// puzzle of `lines`, with the grid the step was found on.
template <typename F>
void eachPlace(const std::vector<std::string>& lines, size_t stride, const F& f) {
    for (size_t k = 0; k < lines.size(); k += stride) {
        short cells[81];
        cellsOf(lines[k], cells);
        std::vector<ladderStep> steps;
        ladderRate(cells, &steps);
        ladderGrid g;
        g.start(cells);
        for (const ladderStep& step : steps) {
            f(g, step, lines[k]);
            g.apply(step);
        }
    }
}

// Calls f(grid, line) where the solve of every `stride`th puzzle of
// `lines` takes a step of the expert tier or above, on the grid it is taken on.
template <typename F>
void eachHardPlace(const std::vector<std::string>& lines, size_t stride, const F& f) {
    eachPlace(lines, stride, [&](const ladderGrid& g, const ladderStep& step, const std::string& line) {
        if (ladderInfo(step.technique).level >= levelExpert) f(g, line);
    });
}

// The candidates of `solutions` solutions that differ in every cell (a
// solution and the same with its digits shifted): strong links everywhere,
// so that a search from one start reaches most of the graph.
inline ladderGrid sharedCandidates(int solutions, int shift) {
    short none[81] = {};
    ladderGrid g;
    g.start(none);
    for (int c = 0; c < 81; c++) {
        const int r = c / 9, first = (r * 3 + r / 3 + c % 9) % 9;
        unsigned keep = 0;
        for (int k = 0; k < solutions; k++) keep |= 1u << ((first + k * shift) % 9);
        for (int d = 0; d < 9; d++)
            if (!((keep >> d) & 1)) g.remove(c, d + 1);
    }
    return g;
}

// Grids near those a solve passes through, for finders that keep what they
// saw between calls: along the solve of every `stride`th puzzle, f(g, where,
// atPlace) on each grid the solve reaches, then on the same with candidates
// taken away at random (one in `fewer`; with `keepPairs`, never from a cell
// of two or fewer) and added at random (one in 40), and on the grid before
// again. Stops at the first failure; returns the grids reached.
template <typename F>
int eachPlaceAndNear(const std::vector<std::string>& lines, size_t stride, std::mt19937& rng, unsigned fewer, bool keepPairs,
                     const F& f) {
    int grids = 0;
    const std::string* solving = nullptr;
    ladderGrid before;
    eachPlace(lines, stride, [&](const ladderGrid& g, const ladderStep&, const std::string& line) {
        if (::testing::Test::HasFailure()) return;
        if (solving != &line) before = g;  // a solve's first grid is its own "before"
        solving = &line;
        const std::string where = line + " step " + std::to_string(grids);
        f(g, where, true);
        ladderGrid less = g, more = g;
        for (int c = 0; c < 81; c++)
            for (int d = 0; d < 9; d++) {
                if ((less.cand[c] & (1u << d)) && (!keepPairs || bitCount(less.cand[c]) > 2) && rng() % fewer == 0)
                    less.remove(c, d + 1);
                if (more.value[c] == 0 && !(more.cand[c] & (1u << d)) && rng() % 40 == 0) {
                    more.cand[c] |= static_cast<unsigned short>(1u << d);
                    more.pos[d].add(c);
                }
            }
        f(less, where + " (fewer)", false);
        f(more, where + " (more)", false);
        f(before, where + " (the one before)", false);
        if (::testing::Test::HasFailure()) return;
        before = g;
        grids++;
    });
    return grids;
}

}  // namespace laddertest

#endif
