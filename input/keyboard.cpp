#include "input/keyboard.h"

// The key commands arrive with the board and File-menu handlers.
void defKeyboard(unsigned char, int, int) {}

void defSpecialKey(int, int, int) {}

void onPuzzle(int, int, int, int) {}
