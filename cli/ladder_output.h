// The technique ladder's steps as velunda-cli prints them: a line of text
// each, or JSON that another program can check step by step (each step's
// technique, its pattern's cells, digits and links, and what it places or
// removes).
#ifndef VELUNDA_CLI_LADDER_OUTPUT_H
#define VELUNDA_CLI_LADDER_OUTPUT_H

#include <string>
#include <vector>

#include "engine/ladder/ladder.h"

// "3.2"
std::string difficultyText(int tenths);

// The three numbers and the hardest technique: "3.2/1.2/1.0 X-Wing".
std::string ladderNumbersText(const ladderRating& rating);

// The level as rate gives it: "Expert", "Beyond logic (2 guesses)".
std::string ladderLevelText(const ladderRating& rating);

// One step: its number ("12. "), the technique, the pattern and its effect,
// then (for forcing steps) a line for each branch, each line after `lead`.
std::string ladderStepLines(const ladderStep& step, int number, const std::string& lead);

// The step as a JSON object.
std::string ladderStepJson(const ladderStep& step, int number);

// "[\"r1c1\",\"r2c3\"]"
std::string jsonCellList(cellSet cells);

#endif
