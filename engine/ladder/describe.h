// Ladder steps in words, for people: cells as "r4c5", units as "row 3".
#ifndef VELUNDA_ENGINE_LADDER_DESCRIBE_H
#define VELUNDA_ENGINE_LADDER_DESCRIBE_H

#include <string>
#include <vector>

#include "engine/ladder/ladder.h"

std::string ladderCell(int cell);
std::string ladderCells(cellSet cells);  // in order, separated by blanks
std::string ladderUnitName(int unit);

// "removes 5 from r1c4 r1c5, 7 from r2c2"
std::string ladderRemovalsText(const ladderStep& step);
// A chain in the usual notation: "(5)r1c1 = (3)r1c1 - (3)r2c2 = ...", a
// group as "(5){r1c1 r1c2}", an almost locked set as "(5)ALS{...}".
std::string ladderChainText(const ladderPattern& pattern);
// The pattern alone, without the technique's name or what it removes.
std::string ladderPatternText(const ladderStep& step);
// The whole step on one line: "X-Wing: 3 in rows 2 and 7 lies only in
// columns 1 and 5: removes 3 from r4c1 r6c5".
std::string ladderStepText(const ladderStep& step);
// A forcing step's branches, one line each: the assumption and what it led to.
std::vector<std::string> ladderProofLines(const ladderStep& step);
// Short enough for the game's message box: "Hidden single: 5 in box 6",
// "X-Wing on 3: rows 2 and 7".
std::string ladderShortText(const ladderStep& step);

#endif
