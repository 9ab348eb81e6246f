// Forcing chains and nets: assume a candidate true and follow what it
// forces. A chain follows single links only (a cell or a unit with two
// candidates, as the grid stands); a net takes every single the assumption
// leads to. An assumption that leads to a contradiction is false; a
// conclusion that every candidate of a cell, or every place of a digit in a
// unit, leads to holds.
//
// Each assumption is followed once per grid and kept, since the three kinds
// of conclusion read the same branches.
#include <cstring>
#include <cstddef>
#include <vector>

#include "engine/ladder/finders.h"

namespace {

// Literals a branch may hold at most: every candidate true or false once.
const int kMaxLiterals = 2 * 729;

struct branchRun {
    bool nets = false;
    unsigned short alive[81];  // candidates not (yet) false
    cellSet alivePos[9];
    short trueAt[729], falseAt[729];
    std::vector<ladderLiteral> literals;
    std::vector<int> because;
    int contradiction = contradictionNone;
    int contradictionUnit = -1, contradictionCell = 0, contradictionDigit = 0;
    std::vector<int> contradictionBecause;
};

class propagator {
public:
    propagator(const ladderGrid& g, bool nets) : g(g), nets(nets) {}

    // Follows the assumption (cell, digit) true into *run.
    void follow(int cell, int digit, branchRun* run);

private:
    void setFalse(int cell, int d, int rule, const int* premises, int count);
    void setTrue(int cell, int d, int rule, int unit, const int* premises, int count);
    int add(int cell, int d, bool value, int rule, int unit, const int* premises, int count);
    void conclude(int kind, int unit, int cell, int d, const std::vector<int>& premises);

    const ladderGrid& g;
    const bool nets;
    branchRun* r = nullptr;
};

int propagator::add(int cell, int d, bool value, int rule, int unit, const int* premises, int count) {
    ladderLiteral lit;
    lit.cell = static_cast<unsigned char>(cell);
    lit.digit = static_cast<unsigned char>(d + 1);
    lit.value = value;
    lit.rule = static_cast<unsigned char>(rule);
    lit.unit = static_cast<signed char>(unit);
    lit.becauseFirst = static_cast<int>(r->because.size());
    lit.becauseCount = count;
    r->because.insert(r->because.end(), premises, premises + count);
    r->literals.push_back(lit);
    const int index = static_cast<int>(r->literals.size()) - 1;
    (value ? r->trueAt : r->falseAt)[cell * 9 + d] = static_cast<short>(index);
    return index;
}

void propagator::conclude(int kind, int unit, int cell, int d, const std::vector<int>& premises) {
    if (r->contradiction != contradictionNone) return;
    r->contradiction = kind;
    r->contradictionUnit = unit;
    r->contradictionCell = cell;
    r->contradictionDigit = d + 1;
    r->contradictionBecause = premises;
}

void propagator::setFalse(int cell, int d, int rule, const int* premises, int count) {
    if (r->contradiction != contradictionNone || r->falseAt[cell * 9 + d] >= 0) return;
    if (r->trueAt[cell * 9 + d] >= 0) {
        // Two true literals that cannot both hold.
        conclude(contradictionPeers, -1, cell, d, {premises[0], r->trueAt[cell * 9 + d]});
        return;
    }
    add(cell, d, false, rule, -1, premises, count);
    r->alive[cell] &= static_cast<unsigned short>(~(1u << d));
    r->alivePos[d].del(cell);
}

void propagator::setTrue(int cell, int d, int rule, int unit, const int* premises, int count) {
    if (r->contradiction != contradictionNone || r->trueAt[cell * 9 + d] >= 0) return;
    add(cell, d, true, rule, unit, premises, count);
}

void propagator::follow(int cell, int digit, branchRun* run) {
    r = run;
    r->nets = nets;
    std::memcpy(r->alive, g.cand, sizeof r->alive);
    for (int d = 0; d < 9; d++) r->alivePos[d] = g.pos[d];
    std::memset(r->trueAt, -1, sizeof r->trueAt);
    std::memset(r->falseAt, -1, sizeof r->falseAt);
    r->literals.clear();
    r->because.clear();
    r->contradiction = contradictionNone;
    r->contradictionBecause.clear();
    add(cell, digit - 1, true, ruleAssumed, -1, nullptr, 0);
    int premises[9];
    for (size_t next = 0; next < r->literals.size() && r->contradiction == contradictionNone; next++) {
        if (r->literals.size() >= static_cast<size_t>(kMaxLiterals)) break;
        const ladderLiteral lit = r->literals[next];
        const int c = lit.cell, d = lit.digit - 1, self = static_cast<int>(next);
        if (lit.value) {
            for (unsigned m = r->alive[c] & ~(1u << d); m; m &= m - 1) setFalse(c, lowBit(m), rulePeer, &self, 1);
            cellSet seen = r->alivePos[d] & kGeometry.peers[c];
            for (int p = seen.pop(); p >= 0; p = seen.pop()) setFalse(p, d, rulePeer, &self, 1);
            continue;
        }
        // The cell: its last candidate, or none.
        const unsigned left = r->alive[c];
        if (left == 0 || (bitCount(left) == 1 && r->trueAt[c * 9 + lowBit(left)] < 0)) {
            std::vector<int> why;
            for (unsigned m = g.cand[c] & ~left; m; m &= m - 1) why.push_back(r->falseAt[c * 9 + lowBit(m)]);
            if (left == 0) {
                conclude(contradictionCell, -1, c, 0, why);
                break;
            }
            if (nets || bitCount(g.cand[c]) == 2) {
                for (size_t i = 0; i < why.size(); i++) premises[i] = why[i];
                setTrue(c, lowBit(left), ruleCell, -1, premises, static_cast<int>(why.size()));
            }
        }
        // Its units: the digit's last place in each, or none.
        for (int k = 0; k < 3 && r->contradiction == contradictionNone; k++) {
            const int u = kGeometry.cellUnit[c][k];
            const cellSet places = r->alivePos[d] & kGeometry.unit[u];
            const int count = places.count();
            if (count > 1) continue;
            const int p = places.first();
            if (count == 1 && r->trueAt[p * 9 + d] >= 0) continue;
            std::vector<int> why;
            cellSet gone = (g.pos[d] & kGeometry.unit[u]).minus(places);
            for (int q = gone.pop(); q >= 0; q = gone.pop()) why.push_back(r->falseAt[q * 9 + d]);
            if (count == 0) {
                // The digit may be placed in the unit already (the assumption's own cell is never false).
                conclude(contradictionUnit, u, 0, d, why);
                break;
            }
            if (nets || (g.pos[d] & kGeometry.unit[u]).count() == 2) {
                for (size_t i = 0; i < why.size() && i < 9; i++) premises[i] = why[i];
                setTrue(p, d, ruleUnit, u, premises, static_cast<int>(why.size()));
            }
        }
    }
}

// The same propagation as propagator::follow, literal for literal, without
// the reasons: what a branch holds and whether it fails, for choosing the
// branches worth recording. Its literals are sets of cells by digit.
struct leanBranch {
    cellSet trueOf[9], falseOf[9];
    int size = 0;
    bool failed = false;
    bool cut = false;  // stopped at its limit of literals, not followed to the end
};

// Each digit's places in each unit as the grid stands: a branch keeps its
// own count of those still alive rather than counting them again.
struct unitCounts {
    unsigned char of[9][27];
    explicit unitCounts(const ladderGrid& g) {
        for (int d = 0; d < 9; d++)
            for (int u = 0; u < 27; u++) of[d][u] = static_cast<unsigned char>((g.pos[d] & kGeometry.unit[u]).count());
    }
};

// Inlined into its two loops, which call it for every candidate.
inline __attribute__((always_inline)) void followLean(const ladderGrid& g, const unitCounts& counts, bool nets, int cell,
                                                       int digit, int limit, leanBranch* b) {
    // A literal as cell * 32 + digit * 2 + value, written and read in one go.
    static thread_local unsigned short queue[kMaxLiterals];
    const auto literal = [](int c, int d, bool value) { return static_cast<unsigned short>(c << 5 | d << 1 | value); };
    unsigned short alive[81];
    std::memcpy(alive, g.cand, sizeof alive);
    unitCounts left = counts;
    cellSet alivePos[9];
    for (int d = 0; d < 9; d++) {
        alivePos[d] = g.pos[d];
        b->trueOf[d] = b->falseOf[d] = cellSet();
    }
    // The digits true in each cell, as trueOf holds them by digit.
    unsigned short trueHere[81];
    std::memset(trueHere, 0, sizeof trueHere);
    int n = 0;
    bool failed = false;
    const auto setTrue = [&](int c, int d) {
        if (failed || (trueHere[c] >> d & 1)) return;
        queue[n++] = literal(c, d, true);
        b->trueOf[d].add(c);
        trueHere[c] = static_cast<unsigned short>(trueHere[c] | 1u << d);
    };
    // Called only for candidates still alive, so never for one already false.
    const auto setFalse = [&](int c, int d) {
        if (failed) return;
        if (trueHere[c] >> d & 1) {
            failed = true;
            return;
        }
        queue[n++] = literal(c, d, false);
        b->falseOf[d].add(c);
        alive[c] &= static_cast<unsigned short>(~(1u << d));
        alivePos[d].del(c);
        for (int k = 0; k < 3; k++) left.of[d][kGeometry.cellUnit[c][k]]--;
    };
    setTrue(cell, digit - 1);
    int next = 0;
    for (; next < n && !failed; next++) {
        if (n >= limit) break;
        const unsigned lit = queue[next];
        const int c = static_cast<int>(lit >> 5), d = static_cast<int>(lit >> 1 & 15);
        if (lit & 1) {
            const unsigned others = alive[c] & ~(1u << d);
            if (trueHere[c] & others) {
                for (unsigned m = others; m; m &= m - 1) setFalse(c, lowBit(m));
            } else {
                // None of them is true: each is set false in turn, as setFalse would.
                alive[c] = static_cast<unsigned short>(alive[c] & ~others);
                for (unsigned m = others; m; m &= m - 1) {
                    const int e = lowBit(m);
                    queue[n++] = literal(c, e, false);
                    b->falseOf[e].add(c);
                    alivePos[e].del(c);
                    for (int k = 0; k < 3; k++) left.of[e][kGeometry.cellUnit[c][k]]--;
                }
            }
            cellSet seen = alivePos[d] & kGeometry.peers[c];
            if (failed || seen.meets(b->trueOf[d])) {
                for (int p = seen.pop(); p >= 0; p = seen.pop()) setFalse(p, d);
                continue;
            }
            // None of them is true: each is set false in turn, as setFalse would.
            b->falseOf[d] |= seen;
            alivePos[d] = alivePos[d].minus(seen);
            for (int p = seen.pop(); p >= 0; p = seen.pop()) {
                queue[n++] = literal(p, d, false);
                alive[p] &= static_cast<unsigned short>(~(1u << d));
                for (int k = 0; k < 3; k++) left.of[d][kGeometry.cellUnit[p][k]]--;
            }
            continue;
        }
        const unsigned digits = alive[c];
        if (digits == 0 || (bitCount(digits) == 1 && !(trueHere[c] & digits))) {
            if (digits == 0) {
                failed = true;
                break;
            }
            if (nets || bitCount(g.cand[c]) == 2) setTrue(c, lowBit(digits));
        }
        // Mostly each of its units keeps two places of d or more: nothing to do.
        const unsigned char* const units = kGeometry.cellUnit[c];
        if ((left.of[d][units[0]] > 1) & (left.of[d][units[1]] > 1) & (left.of[d][units[2]] > 1)) continue;
        for (int k = 0; k < 3 && !failed; k++) {
            const int u = units[k];
            const int count = left.of[d][u];
            if (count > 1) continue;
            if (count == 0) {
                failed = true;
                break;
            }
            const int p = (alivePos[d] & kGeometry.unit[u]).first();
            if (trueHere[p] >> d & 1) continue;
            if (nets || counts.of[d][u] == 2) setTrue(p, d);
        }
    }
    b->size = n;
    b->failed = failed;
    b->cut = !failed && next < n;
}

// What one assumption led to, kept for the grid.
struct branchSummary {
    bool contradiction = false;
    int size = 0;  // literals up to the contradiction, or in all
    cellSet trueOf[9], falseOf[9];
};

struct forcingCache {
    bool valid = false;
    bool nets = false;
    unsigned short cand[81];
    std::vector<int> candidates;  // cell * 9 + digit, in order
    std::vector<branchSummary> summary;
    int indexOf[729];
};

const forcingCache& followAll(const ladderGrid& g, bool nets) {
    static thread_local forcingCache cache[2];
    forcingCache& c = cache[nets ? 1 : 0];
    if (c.valid && std::memcmp(c.cand, g.cand, sizeof c.cand) == 0) return c;
    c.valid = true;
    c.nets = nets;
    std::memcpy(c.cand, g.cand, sizeof c.cand);
    c.candidates.clear();
    std::memset(c.indexOf, -1, sizeof c.indexOf);
    for (int cell = 0; cell < 81; cell++)
        for (unsigned m = g.cand[cell]; m; m &= m - 1) {
            c.indexOf[cell * 9 + lowBit(m)] = static_cast<int>(c.candidates.size());
            c.candidates.push_back(cell * 9 + lowBit(m));
        }
    c.summary.assign(c.candidates.size(), branchSummary());
    leanBranch b;
    const unitCounts counts(g);
    for (size_t i = 0; i < c.candidates.size(); i++) {
        followLean(g, counts, nets, c.candidates[i] / 9, c.candidates[i] % 9 + 1, kMaxLiterals, &b);
        branchSummary& s = c.summary[i];
        s.contradiction = b.failed;
        s.size = b.size;
        for (int d = 0; d < 9; d++) {
            s.trueOf[d] = b.trueOf[d];
            s.falseOf[d] = b.falseOf[d];
        }
    }
    return c;
}

// The branch again, cut down to what its conclusion needs: literals (true
// for `place`, false for each removal) or the contradiction.
void keepBranch(const ladderGrid& g, bool nets, int cell, int digit, const ladderStep& step, ladderBranch* out) {
    branchRun run;
    propagator(g, nets).follow(cell, digit, &run);
    std::vector<char> needed(run.literals.size(), 0);
    std::vector<int> stack;
    const bool failed = run.contradiction != contradictionNone;
    if (failed) {
        stack = run.contradictionBecause;
    } else {
        if (step.placeCell >= 0) stack.push_back(run.trueAt[step.placeCell * 9 + step.placeDigit - 1]);
        for (unsigned short rm : step.removals) stack.push_back(run.falseAt[rm]);
    }
    while (!stack.empty()) {
        const int i = stack.back();
        stack.pop_back();
        if (i < 0 || needed[static_cast<size_t>(i)]) continue;
        needed[static_cast<size_t>(i)] = 1;
        const ladderLiteral& lit = run.literals[static_cast<size_t>(i)];
        for (int k = 0; k < lit.becauseCount; k++) stack.push_back(run.because[static_cast<size_t>(lit.becauseFirst + k)]);
    }
    needed[0] = 1;
    std::vector<int> renumber(run.literals.size(), -1);
    out->literals.clear();
    out->because.clear();
    for (size_t i = 0; i < run.literals.size(); i++) {
        if (!needed[i]) continue;
        renumber[i] = static_cast<int>(out->literals.size());
        ladderLiteral lit = run.literals[i];
        const int first = lit.becauseFirst;
        lit.becauseFirst = static_cast<int>(out->because.size());
        for (int k = 0; k < lit.becauseCount; k++) out->because.push_back(renumber[static_cast<size_t>(run.because[static_cast<size_t>(first + k)])]);
        out->literals.push_back(lit);
    }
    out->contradiction = static_cast<unsigned char>(run.contradiction);
    out->contradictionUnit = static_cast<signed char>(run.contradictionUnit);
    out->contradictionCell = static_cast<unsigned char>(run.contradictionCell);
    out->contradictionDigit = static_cast<unsigned char>(run.contradictionDigit);
    out->contradictionBecause.clear();
    for (int i : run.contradictionBecause) out->contradictionBecause.push_back(renumber[static_cast<size_t>(i)]);
}

int proofSize(const ladderStep& step) {
    int size = 0;
    for (const ladderBranch& b : step.pattern.branches) size += static_cast<int>(b.literals.size());
    return size;
}

void forcingDifficulty(ladderStep* step, int technique) {
    const int size = proofSize(*step);
    static const int bounds[] = {4, 8, 12, 20, 32, 48, 72, 108};
    int bonus = 0;
    for (int b : bounds)
        if (size > b) bonus++;
    setTechnique(step, technique, bonus);
    if (step->difficulty > 99) step->difficulty = 99;
}

// The conclusion every branch that does not fail holds: a placement if
// there is one, else removals. False when there is none.
bool commonConclusion(const forcingCache& c, const std::vector<int>& branches, ladderStep* step) {
    cellSet t[9], f[9];
    for (int d = 0; d < 9; d++) t[d] = f[d] = cellSet::all();
    int alive = 0;
    for (int b : branches) {
        const branchSummary& s = c.summary[static_cast<size_t>(b)];
        if (s.contradiction) continue;
        alive++;
        for (int d = 0; d < 9; d++) {
            t[d] &= s.trueOf[d];
            f[d] &= s.falseOf[d];
        }
    }
    if (alive == 0) return false;
    for (int d = 0; d < 9; d++) {
        const int cell = t[d].first();
        if (cell >= 0) {
            step->placeCell = cell;
            step->placeDigit = d + 1;
            return true;
        }
    }
    for (int d = 0; d < 9; d++) addRemovals(step, f[d], d);
    return !step->removals.empty();
}

}  // namespace

bool findContradiction(const ladderGrid& g, bool nets, ladderStep* step) {
    // The shortest branch that fails, the first of that size in the order of
    // the candidates. A branch only grows, so one is followed only while it
    // could still be shorter than the best so far.
    // A branch's rules each need only literals it holds, so every literal
    // a branch makes true leads to no more than the branch does: where a
    // branch was followed to its end without failing, none of its true
    // literals can fail as a start either.
    leanBranch b;
    const unitCounts counts(g);
    cellSet holds[9];  // true in such a branch
    int cell = -1, digit = 0, bestSize = kMaxLiterals;
    for (int c = 0; c < 81; c++)
        for (unsigned m = g.cand[c]; m; m &= m - 1) {
            if (holds[lowBit(m)].has(c)) continue;
            followLean(g, counts, nets, c, lowBit(m) + 1, cell < 0 ? kMaxLiterals : bestSize, &b);
            if (!b.failed && !b.cut)
                for (int d = 0; d < 9; d++) holds[d] |= b.trueOf[d];
            if (!b.failed || (cell >= 0 && b.size >= bestSize)) continue;
            cell = c;
            digit = lowBit(m) + 1;
            bestSize = b.size;
        }
    if (cell < 0) return false;
    step->removals.push_back(static_cast<unsigned short>(cell * 9 + digit - 1));
    ladderPattern& p = step->pattern;
    p.kind = patternForcing;
    p.over = overContradiction;
    p.branches.resize(1);
    keepBranch(g, nets, cell, digit, *step, &p.branches[0]);
    forcingDifficulty(step, nets ? techContradictionNet : techContradictionChain);
    return true;
}

// Over a set of assumptions (a cell's candidates, or a digit's places in a
// unit): the smallest that gives a conclusion.
static bool forcingOver(const ladderGrid& g, bool nets, bool cells, ladderStep* step) {
    const forcingCache& c = followAll(g, nets);
    ladderStep trial, best;
    int bestSize = -1;
    std::vector<int> branches;
    const int groups = cells ? 81 : 27 * 9;
    for (int k = 0; k < groups; k++) {
        branches.clear();
        if (cells) {
            if (bitCount(g.cand[k]) < 2) continue;
            for (unsigned m = g.cand[k]; m; m &= m - 1) branches.push_back(c.indexOf[k * 9 + lowBit(m)]);
        } else {
            const int u = k / 9, d = k % 9;
            cellSet places = g.pos[d] & kGeometry.unit[u];
            if (places.count() < 2) continue;
            for (int p = places.pop(); p >= 0; p = places.pop()) branches.push_back(c.indexOf[p * 9 + d]);
        }
        trial.clear();
        if (!commonConclusion(c, branches, &trial)) continue;
        int size = 0;
        for (int b : branches) size += c.summary[static_cast<size_t>(b)].size;
        if (bestSize >= 0 && size >= bestSize) continue;
        bestSize = size;
        best = trial;
        best.pattern.kind = patternForcing;
        best.pattern.over = cells ? overCell : overUnit;
        best.pattern.cell = cells ? k : -1;
        best.pattern.unit = cells ? -1 : k / 9;
        best.pattern.digit = cells ? 0 : k % 9 + 1;
    }
    if (bestSize < 0) return false;
    *step = best;
    ladderPattern& p = step->pattern;
    std::vector<int> assumptions;
    if (cells) {
        for (unsigned m = g.cand[p.cell]; m; m &= m - 1) assumptions.push_back(p.cell * 9 + lowBit(m));
    } else {
        cellSet places = g.pos[p.digit - 1] & kGeometry.unit[p.unit];
        for (int q = places.pop(); q >= 0; q = places.pop()) assumptions.push_back(q * 9 + p.digit - 1);
    }
    p.branches.resize(assumptions.size());
    for (size_t i = 0; i < assumptions.size(); i++)
        keepBranch(g, nets, assumptions[i] / 9, assumptions[i] % 9 + 1, *step, &p.branches[i]);
    forcingDifficulty(step, cells ? (nets ? techCellForcingNet : techCellForcingChain)
                                  : (nets ? techUnitForcingNet : techUnitForcingChain));
    return true;
}

bool findCellForcing(const ladderGrid& g, bool nets, ladderStep* step) {
    return forcingOver(g, nets, true, step);
}

bool findUnitForcing(const ladderGrid& g, bool nets, ladderStep* step) {
    return forcingOver(g, nets, false, step);
}
