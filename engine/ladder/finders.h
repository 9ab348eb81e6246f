// Internal to the ladder: one finder per technique (or family). A finder
// looks at the grid and, when its technique applies with an effect (a
// placement, or at least one removal), fills *step and returns true; the
// first it finds is the one it gives, searched in a fixed order, so a grid
// always gives the same step.
#ifndef VELUNDA_ENGINE_LADDER_FINDERS_H
#define VELUNDA_ENGINE_LADDER_FINDERS_H

#include "engine/ladder/ladder.h"

// The columns (for a row unit) or rows (for a column unit) where digit d
// (0..8) is a candidate, as a 9-bit mask; for a box, its cells in box order.
unsigned lineMask(const ladderGrid& g, int unit, int d);
// The same for every row and every column of a set of cells at once.
void lineMasks(cellSet cells, unsigned* byRow, unsigned* byColumn);

// Digit d's (0..8) cells in each unit u as a mask in the unit's order (as
// lineMask gives it), kept with the candidates they came from; *pairs gets
// the units (bit u) where it has two cells.
const unsigned* digitUnitMasks(const ladderGrid& g, int d, unsigned* pairs);

// What the basic finders' steps hold: a single's placement, a fish's lines
// and fins, a subset's unit, cells and digits.
void singleStep(ladderStep* step, int technique, int cell, int digit, int unit);
void fishPattern(ladderStep* step, int digit, const int* base, const int* cover, int size, cellSet fins);
void subsetPattern(ladderStep* step, int technique, bool naked, int unit, cellSet cells, unsigned digits);
// The units of a fish's base lines (bit i of `baseUnits`: line i of
// baseKind) and cover lines, in order, added to their cells.
void fishLines(int baseKind, int coverKind, unsigned baseUnits, unsigned covers, int* base, int* cover, cellSet* baseCells,
               cellSet* coverCells);
// The finned fish of digit d (0..8) on the base lines (rows, or columns)
// `baseUnits` covered by `covers`, along[i] being base line i's cover lines:
// technique (sashimi or not), pattern and removals.
void finnedFishStep(const ladderGrid& g, int d, int size, bool rows, unsigned baseUnits, unsigned covers, const unsigned* along,
                    ladderStep* step);
// Adds digit d (0..8) of every cell of `cells` to the step's removals.
void addRemovals(ladderStep* step, cellSet cells, int d);
// Sets the step's technique and its difficulty from the table (plus `extra`).
void setTechnique(ladderStep* step, int technique, int extra = 0);

// A finder that looks at one digit at a time, or one unit at a time, takes
// the digits (bit d) or units (bit u) to look at: the driver leaves out those
// it has seen fail on the same candidates.
const unsigned kAllDigits = 0x1FF, kAllUnits = (1u << 27) - 1;

// What a finder that searches in a fixed order may skip: when the grid is
// the one of its last search with candidates taken away, a pattern none of
// whose cells changed since was already looked at if it came before the
// point that search stopped at, and what it removes can only have shrunk.
// The finder gives back the point it stopped at (its last pattern's place
// in its order), or kSearchedAll when it found nothing.
const int kSearchedAll = 1 << 30;
struct searchDelta {
    bool valid = false;  // false: look at everything
    cellSet changed;     // the cells whose candidates changed
    int frontier = kSearchedAll;

    // Whether a pattern at `place` over `cells` was looked at to no effect.
    bool done(int place, const cellSet& cells) const { return valid && place < frontier && !cells.meets(changed); }
};

bool findNakedSingle(const ladderGrid& g, ladderStep* step);
bool findHiddenSingle(const ladderGrid& g, bool boxes, ladderStep* step);
bool findPointing(const ladderGrid& g, unsigned digits, ladderStep* step);
bool findClaiming(const ladderGrid& g, unsigned digits, ladderStep* step);
bool findDoublePair(const ladderGrid& g, unsigned digits, ladderStep* step);
// Subsets of `size` cells in the units of `units`. A unit's subset is
// found there only when it removes something in that unit (what it removes
// in a second unit it shares is found with that unit), so what a unit gives
// depends on its own cells alone: each finder (and the hidden singles) keeps
// which units gave nothing, and looks again only at those with a changed
// cell.
bool findNakedSubset(const ladderGrid& g, int size, unsigned units, ladderStep* step);
bool findHiddenSubset(const ladderGrid& g, int size, unsigned units, int technique, ladderStep* step);
bool findFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step);
bool findFinnedFish(const ladderGrid& g, int size, unsigned digits, ladderStep* step);

bool findXYWing(const ladderGrid& g, ladderStep* step);
bool findXYZWing(const ladderGrid& g, ladderStep* step);
bool findWWing(const ladderGrid& g, ladderStep* step);
bool findSkyscraper(const ladderGrid& g, bool kite, unsigned digits, ladderStep* step);
bool findUniqueRectangle(const ladderGrid& g, int type, ladderStep* step);
bool findBug(const ladderGrid& g, ladderStep* step);

bool findSimpleColouring(const ladderGrid& g, unsigned digits, ladderStep* step);
bool findMedusa(const ladderGrid& g, ladderStep* step);
bool findRemotePair(const ladderGrid& g, ladderStep* step);
// The remote pairs of the cells holding exactly `pair` (a mask of two
// digits), searched afresh.
bool ladderRemotePairOf(const ladderGrid& g, unsigned pair, ladderStep* step);
bool findXChain(const ladderGrid& g, unsigned digits, ladderStep* step);
bool findXCycle(const ladderGrid& g, unsigned digits, ladderStep* step);
bool findXYChain(const ladderGrid& g, ladderStep* step);
// ALS-XZ; with `wxyz`, only the four-cell, four-digit wings.
bool findAlsXZ(const ladderGrid& g, bool wxyz, ladderStep* step, searchDelta* delta = nullptr);
// The same wing as findAlsXZ(g, true, ...) gives, found from its two kinds
// of set alone.
bool findWxyzWing(const ladderGrid& g, ladderStep* step, searchDelta* delta = nullptr);
// Alternating inference chains: 0 candidates only, 1 with groups, 2 with
// almost locked sets as well.
bool findAic(const ladderGrid& g, int reach, ladderStep* step);

// Chain searches pass over the starts from which no chain can end with an
// effect, and over the ends that can have none. With false they search
// from every start and weigh every end in full, as a check that this
// changes no step; not to be changed while another thread searches.
void ladderSkipQuietChainStarts(bool skip);
// The graphs of the alternating chains over candidates (reach 0), groups
// (1) and sets (2), and the XY-Chains' (3), are kept between searches and
// brought up to date when a few candidates went. Checks that: the graph
// made for grids[0] is brought up to date for each later grid in turn
// (made anew where that is not the grid before with a few candidates taken
// away) and compared each time with one built anew. The number of times it
// was brought up to date, or -1 if it once differed.
int ladderCheckKeptChainGraphs(const std::vector<ladderGrid>& grids, int reach);
// A search for X-Chains on digit d (0..8) of g keeps the starts it passes
// over as quiet, and X-Cycles, after it found nothing, pass over them too.
// Checks that: where that search finds nothing, none of them is a start
// whose search with loops stops anywhere. The number kept, or -1.
int ladderCheckLooplessStarts(const ladderGrid& g, int d);
// The links an alternating chain search looks at, at most: 150,000 (or
// with 0). Tests lower it to see the bound hold where it is reached.
void ladderChainLinkBudget(long links);
// The search stops counting those links once the starts left cannot reach
// the bound together, each at most *bound: searched in full from every
// start (g, reach as findAic), the most links one start looked at.
void ladderChainLinksOfAStart(const ladderGrid& g, int reach, long* bound, long* most);

// Forcing: `nets` false follows single links only (a chain), true takes
// every single the assumption leads to (a net).
bool findContradiction(const ladderGrid& g, bool nets, ladderStep* step);
bool findCellForcing(const ladderGrid& g, bool nets, ladderStep* step);
bool findUnitForcing(const ladderGrid& g, bool nets, ladderStep* step);

#endif
