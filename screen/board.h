#ifndef VELUNDA_SCREEN_BOARD_H
#define VELUNDA_SCREEN_BOARD_H

// The selected cell's highlight, under the digits.
void drawPuzzleBoxHighlights();
// Givens, entries, pencil marks and the check shading; refreshes the
// display copies of grid and author after VelundaDirty.
void drawPuzzle();

#endif
