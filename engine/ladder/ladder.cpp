// The ladder's driver: the techniques tried in order, easiest first, and
// the rating of a whole solve.
#include "engine/ladder/ladder.h"

#include "engine/ladder/counter.h"
#include "engine/ladder/finders.h"
#include "engine/sudoku.h"

#include <cstdint>
#include <cstring>

namespace {

const unsigned kBoxUnits = ((1u << 9) - 1) << kBoxUnit, kLineUnits = (1u << kBoxUnit) - 1;

// How a technique's finder may be narrowed: to digits, or not at all (the
// finders that look at one unit at a time keep what they saw themselves).
enum scopeKind { scopeNone, scopeDigits };

constexpr uint64_t bit(int technique) {
    return uint64_t(1) << technique;
}
// The techniques narrowed to digits, as bits.
constexpr uint64_t kNarrowed = bit(techPointing) | bit(techClaiming) | bit(techDoublePair) | bit(techXWing) |
                               bit(techSwordfish) | bit(techJellyfish) | bit(techSkyscraper) | bit(techTwoStringKite) |
                               bit(techSimpleColouring) | bit(techFinnedXWing) | bit(techFinnedSwordfish) |
                               bit(techFinnedJellyfish) | bit(techXChain) | bit(techXCycle);
static_assert(kLadderTechniques <= 64, "a technique is a bit of a word");

int scopeOf(int technique) {
    return (kNarrowed >> technique) & 1 ? scopeDigits : scopeNone;
}

// Each technique's finder over `scope` (digits, as scopeOf says), as a
// call of one shape; the finders that serve two (a fish and its sashimi,
// say) are asked under the first. The driver calls through the table: one
// indirect call rather than a call and a switch.
typedef bool (*finderCall)(const ladderGrid& g, unsigned scope, ladderStep* step, searchDelta* delta);

bool noFinder(const ladderGrid&, unsigned, ladderStep*, searchDelta*) {
    return false;  // found under another technique
}

finderCall finderOf(int technique) {
    // (Short names, so that each finder takes a line.)
    using G = const ladderGrid&;
    using S = ladderStep*;
    using D = searchDelta*;
    switch (technique) {
    case techNakedSingle: return [](G g, unsigned, S s, D) { return findNakedSingle(g, s); };
    case techHiddenSingleBox: return [](G g, unsigned, S s, D) { return findHiddenSingle(g, true, s); };
    case techPointing: return [](G g, unsigned scope, S s, D) { return findPointing(g, scope, s); };
    case techBoxHiddenPair: return [](G g, unsigned, S s, D) { return findHiddenSubset(g, 2, kBoxUnits, techBoxHiddenPair, s); };
    case techBoxHiddenTriple: return [](G g, unsigned, S s, D) { return findHiddenSubset(g, 3, kBoxUnits, techBoxHiddenTriple, s); };
    case techDoublePair: return [](G g, unsigned scope, S s, D) { return findDoublePair(g, scope, s); };
    case techHiddenSingleLine: return [](G g, unsigned, S s, D) { return findHiddenSingle(g, false, s); };
    case techClaiming: return [](G g, unsigned scope, S s, D) { return findClaiming(g, scope, s); };
    case techNakedPair: return [](G g, unsigned, S s, D) { return findNakedSubset(g, 2, kAllUnits, s); };
    case techXWing: return [](G g, unsigned scope, S s, D) { return findFish(g, 2, scope, s); };
    case techHiddenPair: return [](G g, unsigned, S s, D) { return findHiddenSubset(g, 2, kLineUnits, techHiddenPair, s); };
    case techNakedTriple: return [](G g, unsigned, S s, D) { return findNakedSubset(g, 3, kAllUnits, s); };
    case techSwordfish: return [](G g, unsigned scope, S s, D) { return findFish(g, 3, scope, s); };
    case techHiddenTriple: return [](G g, unsigned, S s, D) { return findHiddenSubset(g, 3, kLineUnits, techHiddenTriple, s); };
    case techSkyscraper: return [](G g, unsigned scope, S s, D) { return findSkyscraper(g, false, scope, s); };
    case techTwoStringKite: return [](G g, unsigned scope, S s, D) { return findSkyscraper(g, true, scope, s); };
    case techXYWing: return [](G g, unsigned, S s, D) { return findXYWing(g, s); };
    case techSimpleColouring: return [](G g, unsigned scope, S s, D) { return findSimpleColouring(g, scope, s); };
    case techXYZWing: return [](G g, unsigned, S s, D) { return findXYZWing(g, s); };
    case techWWing: return [](G g, unsigned, S s, D) { return findWWing(g, s); };
    case techNakedQuad: return [](G g, unsigned, S s, D) { return findNakedSubset(g, 4, kAllUnits, s); };
    case techJellyfish: return [](G g, unsigned scope, S s, D) { return findFish(g, 4, scope, s); };
    case techHiddenQuad: return [](G g, unsigned, S s, D) { return findHiddenSubset(g, 4, kAllUnits, techHiddenQuad, s); };
    case techFinnedXWing: return [](G g, unsigned scope, S s, D) { return findFinnedFish(g, 2, scope, s); };
    case techRemotePair: return [](G g, unsigned, S s, D) { return findRemotePair(g, s); };
    case techUniqueRectangle1: return [](G g, unsigned, S s, D) { return findUniqueRectangle(g, 1, s); };
    case techUniqueRectangle2: return [](G g, unsigned, S s, D) { return findUniqueRectangle(g, 2, s); };
    case techUniqueRectangle4: return [](G g, unsigned, S s, D) { return findUniqueRectangle(g, 4, s); };
    case techUniqueRectangle3: return [](G g, unsigned, S s, D) { return findUniqueRectangle(g, 3, s); };
    case techBug: return [](G g, unsigned, S s, D) { return findBug(g, s); };
    case techFinnedSwordfish: return [](G g, unsigned scope, S s, D) { return findFinnedFish(g, 3, scope, s); };
    case techXChain: return [](G g, unsigned scope, S s, D) { return findXChain(g, scope, s); };
    case techWXYZWing: return [](G g, unsigned, S s, D delta) { return findWxyzWing(g, s, delta); };
    case techXCycle: return [](G g, unsigned scope, S s, D) { return findXCycle(g, scope, s); };
    case techXYChain: return [](G g, unsigned, S s, D) { return findXYChain(g, s); };
    case techFinnedJellyfish: return [](G g, unsigned scope, S s, D) { return findFinnedFish(g, 4, scope, s); };
    case techAlsXZ: return [](G g, unsigned, S s, D delta) { return findAlsXZ(g, false, s, delta); };
    case techMedusa: return [](G g, unsigned, S s, D) { return findMedusa(g, s); };
    case techAic: return [](G g, unsigned, S s, D) { return findAic(g, 0, s); };
    case techGroupedAic: return [](G g, unsigned, S s, D) { return findAic(g, 1, s); };
    case techAlsAic: return [](G g, unsigned, S s, D) { return findAic(g, 2, s); };
    case techContradictionChain: return [](G g, unsigned, S s, D) { return findContradiction(g, false, s); };
    case techCellForcingChain: return [](G g, unsigned, S s, D) { return findCellForcing(g, false, s); };
    case techUnitForcingChain: return [](G g, unsigned, S s, D) { return findUnitForcing(g, false, s); };
    case techContradictionNet: return [](G g, unsigned, S s, D) { return findContradiction(g, true, s); };
    case techCellForcingNet: return [](G g, unsigned, S s, D) { return findCellForcing(g, true, s); };
    case techUnitForcingNet: return [](G g, unsigned, S s, D) { return findUnitForcing(g, true, s); };
    default: return noFinder;
    }
}

const struct finderTable {
    finderCall of[kLadderTechniques];
    finderTable() {
        for (int t = 0; t < kLadderTechniques; t++) of[t] = finderOf(t);
    }
} kFinders;

inline bool tryTechnique(int technique, const ladderGrid& g, unsigned scope, ladderStep* step, searchDelta* delta) {
    return kFinders.of[technique](g, scope, step, delta);
}

// A narrowed finder's failures are kept as digits (bit d of digitsValid)
// seen to give nothing on the digits' cells of digitSeen. Those are brought
// up to date once a call, before the first narrowed finder, and the failures
// of every digit whose cells changed are forgotten at once: comparing each
// digit once spares comparing it for every finder.
void forgetChangedDigits(const ladderGrid& g, ladderMemo* memo) {
    unsigned changed = 0;
    cellSet* reference = memo->digitSeen;
    for (int d = 0; d < 9; d++)
        if (reference[d] != g.pos[d]) {
            reference[d] = g.pos[d];
            changed |= 1u << d;
        }
    if (changed)
        for (unsigned& valid : memo->digitsValid) valid &= ~changed;
}

// What a narrowed finder is still to look at: the digits whose candidates
// changed since it last found nothing there.
unsigned freshScope(int technique, const ladderMemo* memo) {
    return memo ? kAllDigits & ~memo->digitsValid[technique] : kAllDigits;
}

void rememberFailure(int technique, unsigned scope, ladderMemo* memo) {
    memo->digitsValid[technique] |= scope;
}

// The finders that take a searchDelta.
constexpr uint64_t kInOrder = bit(techWXYZWing) | bit(techAlsXZ);
bool searchesOnlyChanges(int technique) {
    return (kInOrder >> technique) & 1;
}

// What changed for such a finder since its last search, if the grid is that
// one's with candidates taken away (a placed cell has none left).
searchDelta deltaSince(const ladderGrid& g, const ladderMemo* memo, int technique) {
    searchDelta delta;
    if (!memo || !((memo->gridsValid >> technique) & 1)) return delta;
    const unsigned short* seen = memo->gridSeen[technique];
    // Four cells at a time: mostly a few changed since.
    for (int at = 0; at < 81; at += 4) {
        if (at < 80) {
            uint64_t now, then;
            std::memcpy(&now, g.cand + at, sizeof now);
            std::memcpy(&then, seen + at, sizeof then);
            if (now == then) continue;
        }
        for (int c = at; c < at + 4 && c < 81; c++)
            if (g.cand[c] != seen[c]) {
                if (g.cand[c] & ~seen[c]) return searchDelta();
                delta.changed.add(c);
            }
    }
    delta.valid = true;
    delta.frontier = memo->frontier[technique];
    return delta;
}

void rememberSearch(const ladderGrid& g, int technique, const searchDelta& delta, bool found, ladderMemo* memo) {
    std::memcpy(memo->gridSeen[technique], g.cand, sizeof g.cand);
    memo->frontier[technique] = found ? delta.frontier : kSearchedAll;
    memo->gridsValid |= 1ull << technique;
}

constexpr uint64_t kUniqueness = bit(techUniqueRectangle1) | bit(techUniqueRectangle2) | bit(techUniqueRectangle4) |
                                 bit(techUniqueRectangle3) | bit(techBug);
bool needsUniqueness(int technique) {
    return (kUniqueness >> technique) & 1;
}

// The techniques the driver does more for than call their finder.
constexpr uint64_t kSpecial = kNarrowed | kUniqueness | kInOrder;

// A step that would change nothing is a fault of its finder; taking it
// would loop forever.
bool effective(const ladderGrid& g, const ladderStep& step) {
    if (step.placeCell >= 0)
        return step.placeCell < 81 && g.value[step.placeCell] == 0 && step.placeDigit >= 1 && step.placeDigit <= 9 &&
               (g.cand[step.placeCell] & (1u << (step.placeDigit - 1)));
    if (step.removals.empty()) return false;
    for (unsigned short r : step.removals)
        if (r >= 729 || !(g.cand[r / 9] & (1u << (r % 9)))) return false;
    return true;
}

// The game's own rating of the givens: 0..2, or -1 when it does not finish.
int gameRating(const short* givens) {
    static const sudoku blank;  // copied: constructing one reseeds rand()
    sudoku s = blank;
    s.clearPuzzle();
    for (int c = 0; c < 81; c++)
        if (givens[c] >= 1 && givens[c] <= 9) s.solve_place(c / 9, c % 9, givens[c]);
    return s.solvePuzzle(1);
}

// The techniques of the tiers up to each level: those before the first of
// a higher tier (the tiers come in order).
const struct techniqueEnds {
    int of[kLadderLevels];
    techniqueEnds() {
        for (int level = 0; level < kLadderLevels; level++) {
            int t = 0;
            while (t < kLadderTechniques && ladderInfo(t).level <= level) t++;
            of[level] = t;
        }
    }
} kEnds;

int techniquesUpTo(int maxLevel) {
    if (static_cast<unsigned>(maxLevel) < static_cast<unsigned>(kLadderLevels)) return kEnds.of[maxLevel];  // mostly
    return maxLevel < 0 ? 0 : kLadderTechniques;
}

// The step blank for the next finder. Most finders find nothing and leave
// it blank, which this sees without a call.
inline void clearUsed(ladderStep* step) {
    if ((step->difficulty | (step->placeCell + 1) | (step->pattern.kind - patternSingle)) != 0 || !step->removals.empty())
        step->clear();
}

// The ladder from technique `from` on. With `pausedAt`, the solutions are
// not counted yet: it stops before the first uniqueness technique and says
// which, so that the caller can count them and go on from there.
bool stepFrom(const ladderGrid& grid, const ladderOptions& options, int from, ladderStep* step, ladderMemo* memo,
              int* pausedAt) {
    if (grid.solved()) return false;
    const int end = techniquesUpTo(options.maxLevel);
    bool referenceFresh = false;
    searchDelta delta;  // made anew for each technique that takes one
    for (int t = from; t < end; t++) {
        // Most techniques are neither narrowed, searched in order nor in
        // need of one solution: one test sends them straight to their finder.
        unsigned scope = 0;
        bool inOrder = false;
        if ((kSpecial >> t) & 1) {
            if (needsUniqueness(t)) {
                if (pausedAt) {
                    *pausedAt = t;
                    step->clear();
                    return false;
                }
                if (!options.unique) continue;
            }
            if (scopeOf(t) != scopeNone) {
                if (memo && !referenceFresh) {
                    forgetChangedDigits(grid, memo);
                    referenceFresh = true;
                }
                scope = freshScope(t, memo);
                if (scope == 0) continue;
            }
            inOrder = searchesOnlyChanges(t);
            if (inOrder) delta = deltaSince(grid, memo, t);
        }
        clearUsed(step);
        if (tryTechnique(t, grid, scope, step, inOrder ? &delta : nullptr)) {
            if (!effective(grid, *step)) break;  // a finder's fault: stop rather than loop
            if (memo && inOrder) rememberSearch(grid, t, delta, true, memo);
            return true;
        }
        if (memo && scope) rememberFailure(t, scope, memo);
        if (memo && inOrder) rememberSearch(grid, t, delta, false, memo);
    }
    step->clear();
    return false;
}

// Every row, column and box of a full grid holds each digit once.
bool validFull(const ladderGrid& g) {
    for (int i = 0; i < 9; i++) {
        unsigned row = 0, column = 0, box = 0;
        for (int k = 0; k < 9; k++) {
            row |= 1u << g.value[i * 9 + k];
            column |= 1u << g.value[k * 9 + i];
            box |= 1u << g.value[(i / 3 * 3 + k / 3) * 9 + i % 3 * 3 + k % 3];
        }
        if (row != 0x3FE || column != 0x3FE || box != 0x3FE) return false;
    }
    return true;
}

}  // namespace

bool ladderNextStep(const ladderGrid& grid, const ladderOptions& options, ladderStep* step, ladderMemo* memo) {
    return stepFrom(grid, options, 0, step, memo, nullptr);
}

bool ladderTry(int technique, const ladderGrid& grid, ladderStep* step) {
    step->clear();
    // A sashimi fish is found by its finned fish's finder.
    const int finder = technique == techSashimiXWing || technique == techSashimiSwordfish || technique == techSashimiJellyfish
                           ? technique - 1
                           : technique;
    const int kind = scopeOf(finder);
    const unsigned scope = kind == scopeDigits ? kAllDigits : 0;
    return tryTechnique(finder, grid, scope, step, nullptr) && step->technique == technique && effective(grid, *step);
}

int ladderGuesses(const ladderGrid& start) {
    short cells[81], solution[81];
    for (int c = 0; c < 81; c++) cells[c] = start.value[c];
    if (ladderSolutions(cells, solution) != 1) return 0;
    ladderGrid g = start;
    ladderOptions options;
    options.unique = true;
    ladderMemo memo;
    ladderStep step;
    int guesses = 0;
    // Every logical step between guesses; a guess is the solution's digit in
    // a cell with the fewest candidates, as the counting search would try it.
    for (int n = 0; n < 729 && !g.solved(); n++) {
        if (ladderNextStep(g, options, &step, &memo)) {
            g.apply(step);
            continue;
        }
        int best = -1;
        for (int c = 0; c < 81; c++)
            if (g.value[c] == 0 && (best < 0 || bitCount(g.cand[c]) < bitCount(g.cand[best]))) best = c;
        if (best < 0) break;
        guesses++;
        g.place(best, solution[best]);
    }
    return guesses;
}

ladderRating ladderRate(const short* cells, std::vector<ladderStep>* steps, int maxLevel, int minLevel) {
    ladderRating rating;
    short givens[81];
    for (int c = 0; c < 81; c++) givens[c] = cells[c] >= 1 && cells[c] <= 9 ? cells[c] : 0;
    if (steps) steps->clear();
    ladderGrid g;
    g.start(givens);
    ladderOptions options;
    options.maxLevel = maxLevel;
    ladderStep step;
    ladderMemo memo;
    int hardestLevel = levelVeryEasy;
    bool placed = false;
    // The game's solver runs after the ladder, and only when the ladder took
    // no step above Medium. Its techniques are the ladder's first tiers (the
    // ladder's double pair is even wider), and each of its deductions still
    // follows by those tiers from a grid that knows more: where the game
    // finishes, the ladder finishes below Hard, so after a Hard step the game
    // is known not to finish.
    // The solutions are counted only when needed: before the first
    // uniqueness technique, or at the end. Every other step keeps every
    // solution of the givens, so they are counted from the grid the solve
    // has reached, and a solve that fills a valid grid has shown that no
    // other solution exists.
    int solutions = -1;
    // Every step takes at least one candidate away: 729 bound the steps.
    for (int n = 0; n < 729 && !g.solved(); n++) {
        int pausedAt = -1;
        bool found = stepFrom(g, options, 0, &step, &memo, solutions < 0 ? &pausedAt : nullptr);
        if (!found && pausedAt >= 0) {
            solutions = ladderSolutionsOf(g);
            if (solutions != 1) break;
            options.unique = true;
            found = stepFrom(g, options, pausedAt, &step, &memo, nullptr);
        }
        if (!found) break;
        if (rating.steps == 0) rating.first = step.difficulty;
        if (step.difficulty > rating.hardest) {
            rating.hardest = step.difficulty;
            rating.hardestTechnique = step.technique;
        }
        if (!placed) rating.beforePlacement = rating.hardest;
        if (step.placeCell >= 0) placed = true;
        const int level = ladderInfo(step.technique).level;
        if (level > hardestLevel) hardestLevel = level;
        rating.steps++;
        g.apply(step);
        if (steps) steps->push_back(step);
    }
    if (solutions < 0) solutions = g.solved() && validFull(g) ? 1 : ladderSolutionsOf(g);
    if (solutions != 1) {
        ladderRating unrated;
        unrated.status = solutions == 0 ? ladderNoSolution : ladderSeveral;
        if (steps) steps->clear();
        return unrated;
    }
    if (hardestLevel < levelHard) {
        rating.gameRating = gameRating(givens);
        if (rating.gameRating >= 0 && rating.gameRating < minLevel) {
            // The game's verdict alone, as if the ladder had not run.
            ladderRating early;
            early.status = ladderSolved;
            early.level = early.gameRating = rating.gameRating;
            if (steps) steps->clear();
            return early;
        }
    }
    if (g.solved()) {
        rating.status = ladderSolved;
        rating.level = rating.gameRating >= 0 ? rating.gameRating : hardestLevel < levelHard ? levelHard : hardestLevel;
    } else {
        rating.status = ladderStuck;
        rating.level = levelBeyondLogic;
        if (maxLevel >= levelExtreme) rating.guesses = ladderGuesses(g);
    }
    return rating;
}
