// The technique ladder: a logical solver beside the game's own, for puzzles
// of every difficulty. It keeps candidates for every open cell and takes one
// step at a time, always the easiest that applies, from singles up to
// forcing nets; it never guesses. Each step carries the pattern that proves
// it, so that another program can check it.
//
// The game's solver, its ratings and its files do not use any of this: the
// ladder reads a grid of givens and asks the game's solver only for its
// rating, so that Very Easy, Easy and Medium mean here what they mean in the
// game.
#ifndef VELUNDA_ENGINE_LADDER_LADDER_H
#define VELUNDA_ENGINE_LADDER_LADDER_H

#include <vector>

#include "engine/ladder/cellset.h"

// The levels, easiest first. A puzzle the game's own solver finishes keeps
// the game's rating; one it does not is at least Hard.
enum ladderLevel {
    levelVeryEasy,
    levelEasy,
    levelMedium,
    levelHard,
    levelExpert,
    levelExtreme,
    levelBeyondLogic
};
const int kLadderLevels = 7;
const char* ladderLevelName(int level);

// Every technique, in the order the ladder tries them (easiest first).
enum ladderTechnique {
    // The game's own: the only candidate of a cell, the only cell of a box,
    // and the box refinements.
    techNakedSingle,
    techHiddenSingleBox,
    techPointing,
    techBoxHiddenPair,
    techBoxHiddenTriple,
    techDoublePair,
    // Hard
    techHiddenSingleLine,
    techClaiming,
    techNakedPair,
    techXWing,
    techHiddenPair,
    techNakedTriple,
    techSwordfish,
    techHiddenTriple,
    techSkyscraper,
    techTwoStringKite,
    techXYWing,
    techSimpleColouring,
    techXYZWing,
    techWWing,
    techNakedQuad,
    techJellyfish,
    techHiddenQuad,
    // Expert
    techFinnedXWing,
    techSashimiXWing,
    techRemotePair,
    techUniqueRectangle1,
    techUniqueRectangle2,
    techUniqueRectangle4,
    techUniqueRectangle3,
    techBug,
    techFinnedSwordfish,
    techSashimiSwordfish,
    techXChain,
    techWXYZWing,
    techXCycle,
    techXYChain,
    techFinnedJellyfish,
    techSashimiJellyfish,
    techAlsXZ,
    techMedusa,
    // Extreme
    techAic,
    techGroupedAic,
    techAlsAic,
    techContradictionChain,
    techCellForcingChain,
    techUnitForcingChain,
    techContradictionNet,
    techCellForcingNet,
    techUnitForcingNet,
    kLadderTechniques
};

struct ladderTechniqueInfo {
    const char* key;   // for JSON: "x-wing"
    const char* name;  // for people: "X-Wing"
    int level;         // ladderLevel of its tier
    int difficulty;    // tenths: 32 is 3.2; a chain adds to it for its length
    const char* sees;  // one line on what it sees
};
// Every step looks its technique up: inline.
extern const ladderTechniqueInfo kLadderTechniqueTable[kLadderTechniques];
inline const ladderTechniqueInfo& ladderInfo(int technique) {
    return kLadderTechniqueTable[technique >= 0 && technique < kLadderTechniques ? technique : 0];
}

// What a pattern is made of; see each kind's fields below.
enum ladderPatternKind {
    patternSingle,
    patternFish,
    patternSubset,
    patternChain,
    patternColouring,
    patternForcing,
    patternRectangle,
    patternBug
};

// A node of a chain: true when `digit` is in one of `cells`. An almost
// locked set node also names all the set's cells (`als`); `cells` are those
// of them that hold the digit.
struct ladderNode {
    unsigned char digit;  // 1..9
    cellSet cells;
    cellSet als;
};

// A literal of a forcing branch: the cell holds the digit (value true) or
// not, because of earlier literals of the branch (`because`, indices into
// the branch's literals; the assumption is literal 0).
enum ladderRule { rulePeer, ruleCell, ruleUnit, ruleAssumed };
struct ladderLiteral {
    unsigned char cell, digit;
    bool value;
    unsigned char rule;  // ladderRule
    signed char unit;    // for ruleUnit
    int becauseFirst, becauseCount;  // into the branch's `because`
};
enum ladderContradiction { contradictionNone, contradictionLiteral, contradictionCell, contradictionUnit, contradictionPeers };
struct ladderBranch {
    std::vector<ladderLiteral> literals;
    std::vector<int> because;
    unsigned char contradiction = contradictionNone;  // how it ended, if it failed
    signed char contradictionUnit = -1;
    unsigned char contradictionCell = 0, contradictionDigit = 0;
    std::vector<int> contradictionBecause;
};

enum ladderLoop { loopNone, loopContinuous, loopDiscontinuous };
enum ladderForcingOver { overCell, overUnit, overContradiction };

struct ladderPattern {
    int kind = patternSingle;
    int digit = 0;    // single, fish, forcing over a unit
    int unit = -1;    // single (-1: naked), subset, forcing over a unit
    int cell = -1;    // single, forcing over a cell, bug
    // fish: base and cover units, and fins
    int base[4], cover[4];
    int size = 0;
    cellSet fins;
    // subset: naked or hidden, in `unit`
    bool naked = false;
    cellSet cells;
    unsigned short digits = 0;  // bit d-1
    // chain: nodes[i] and nodes[i + 1] joined by links (strong 1, weak 0)
    std::vector<ladderNode> nodes;
    std::vector<unsigned char> strong;
    int loop = loopNone;
    // colouring: nodes (single cells) with their colours, the strong links
    // joining them, and the colour proved false (-1 none) with its witnesses
    std::vector<unsigned char> colour;
    std::vector<std::pair<short, short>> links;
    int falseColour = -1;
    int witness[2] = {-1, -1};
    // forcing
    int over = overCell;
    std::vector<ladderBranch> branches;
    // rectangle: its four cells, digits, roof; type 2 extra digit; type 3
    // subset (unit, cells, digits); type 4 strong digit and unit
    int type = 0;
    cellSet roof;
    int extra = 0;
    int subsetUnit = -1;
    cellSet subsetCells;
    unsigned short subsetDigits = 0;
};

struct ladderStep {
    int technique = techNakedSingle;
    int difficulty = 0;  // tenths
    int placeCell = -1;  // a placement, or -1
    int placeDigit = 0;
    std::vector<unsigned short> removals;  // cell * 9 + digit - 1
    ladderPattern pattern;

    void clear();
};

// The candidates and digits of a grid in play.
struct ladderGrid {
    unsigned short cand[81];  // bit d-1; 0 for a filled cell
    unsigned char value[81];  // 1..9, 0 open
    cellSet pos[9];           // the cells that hold digit d+1 as a candidate
    cellSet open;

    // Givens (1..9) of cells[81] placed, every other value open with its
    // base candidates.
    void start(const short* cells);
    void place(int cell, int digit);
    void remove(int cell, int digit);
    void apply(const ladderStep& step);
    bool solved() const { return open.empty(); }
    // A cell without candidates or a digit without a place in a unit: the
    // grid has no solution.
    bool broken() const;
};

struct ladderOptions {
    // The givens have exactly one solution, so the uniqueness techniques
    // (unique rectangles, BUG+1) may be used.
    bool unique = false;
    // The highest tier to try; past it the ladder stops as if stuck (the
    // generator's early reject). levelExtreme tries everything.
    int maxLevel = levelExtreme;
};

// What the ladder keeps between the steps of one solve: the digits where a
// technique that looks at one digit at a time found nothing (bit d), kept
// while digit d's cells stay those last seen, so that it looks again only
// where they changed.
struct ladderMemo {
    cellSet digitSeen[9];
    unsigned digitsValid[kLadderTechniques] = {};
    // For a technique that searches the whole grid in a fixed order: the
    // candidates of its last search, and where that search stopped.
    unsigned short gridSeen[kLadderTechniques][81];
    int frontier[kLadderTechniques];
    unsigned long long gridsValid = 0;  // bit t
};

// The easiest step that applies, into *step; false when none does. A memo
// (optional, one per solve) spares looking again where nothing changed; the
// step is the same with it or without.
bool ladderNextStep(const ladderGrid& grid, const ladderOptions& options, ladderStep* step, ladderMemo* memo = nullptr);

// One technique alone, whether or not an easier one applies (for tests and
// tools): true when it gives a step with an effect.
bool ladderTry(int technique, const ladderGrid& grid, ladderStep* step);

enum ladderStatus { ladderSolved, ladderStuck, ladderNoSolution, ladderSeveral };

struct ladderRating {
    int status = ladderStuck;
    int level = levelBeyondLogic;
    int gameRating = -1;        // the game's own: 0..2, or -1 not completed
    int hardest = 0;            // tenths, the hardest step
    int beforePlacement = 0;    // the hardest step up to the first placement
    int first = 0;              // the first step's
    int hardestTechnique = -1;
    int steps = 0;
    int guesses = 0;            // beyond logic: guesses the search needs from where the ladder stopped
};

// Rates the givens (1..9) of cells[81]; every other value is an open cell.
// With `steps`, each step is kept. A grid with no solution or several gets
// that status and no steps. The ladder tries nothing above `maxLevel` (a
// puzzle that needs more is left stuck, Beyond logic); a puzzle the game
// rates below `minLevel` gets the game's rating alone, without the ladder's
// steps and numbers.
ladderRating ladderRate(const short* cells, std::vector<ladderStep>* steps = nullptr, int maxLevel = levelExtreme,
                        int minLevel = levelVeryEasy);

// How deep a stuck grid needs trial: the guesses on the way to the solution
// when every logical step is taken between guesses and each guess is at a
// cell with the fewest candidates.
int ladderGuesses(const ladderGrid& grid);

// Unit names for people: "row 3", "column 5", "box 7".
const char* ladderUnitKind(int unit);
inline int ladderUnitNumber(int unit) {
    return unit % 9 + 1;
}

#endif
