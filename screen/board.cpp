#include "screen/board.h"

void drawPuzzleBoxHighlights() {}

void drawPuzzle() {}
