// Internal to the ladder: almost locked sets (N cells of one unit with N+1
// candidates between them), which ALS-XZ, the WXYZ-Wing and the chains
// through sets share.
#ifndef VELUNDA_ENGINE_LADDER_ALS_H
#define VELUNDA_ENGINE_LADDER_ALS_H

#include <vector>

#include "engine/ladder/ladder.h"

struct almostLockedSet {
    cellSet cells;
    unsigned digits;
    int size;           // its number of cells
    int place;          // its place in the list: unit * 512 + its cells as a mask of the unit's
    // Per digit d (only its own digits' entries are set): d * 81 plus the
    // first of its cells holding it, ALS-XZ's key for it, kept in the first
    // line with the fields above, as listing the sets reads them alone;
    unsigned short key[9];
    cellSet of[9];      // its cells holding it;
    cellSet seenBy[9];  // and the cells that see all of those.
};

// Every almost locked set of 1 to `most` cells (N cells of one unit with N+1
// candidates), each once: a single cell from its row, a set within a box and
// a line from the line. Kept for the grid, as several techniques ask.
const std::vector<const almostLockedSet*>& almostLockedSets(const ladderGrid& g, int most);

#endif
