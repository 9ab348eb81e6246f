// Puzzles made to a level of the ladder, for puzzle authors.
#ifndef VELUNDA_ENGINE_LADDER_MAKER_H
#define VELUNDA_ENGINE_LADDER_MAKER_H

#include <cstdint>

#include "engine/ladder/ladder.h"

// Makes up to `attempts` puzzles from the random stream of `seed` until one
// has `level` (levelHard .. levelExtreme): its givens into cells[81] (0 for
// an open cell), 180-degree symmetric, with exactly one solution, and its
// rating into *rating (if not null). False when none of them has the level.
// *made (if not null) receives the number of puzzles made.
bool ladderMakePuzzle(int level, uint64_t seed, long attempts, short* cells, ladderRating* rating = nullptr,
                      long* made = nullptr);

// One puzzle of any level from the random stream of `seed`: symmetric, with
// exactly one solution, as few givens as the symmetry allows.
void ladderRandomPuzzle(uint64_t seed, short* cells);

// The seed of puzzle `index` of a run seeded with `base`: every puzzle of a
// run has its own stream, so any number of workers makes the same puzzles.
uint64_t ladderPuzzleSeed(uint64_t base, long index);

#endif
