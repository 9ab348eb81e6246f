#ifndef VELUNDA_INPUT_KEYBOARD_H
#define VELUNDA_INPUT_KEYBOARD_H

// Board clicks in virtual units, from the mouse dispatch.
void onPuzzle(int button, int state, int x, int y);

// GLUT character-key and special-key callbacks.
void defKeyboard(unsigned char key, int x, int y);
void defSpecialKey(int key, int x, int y);

// The special-key codes the game answers (GLUT's numbering).
constexpr int keyF1 = 1;
constexpr int keyF2 = 2;
constexpr int keyLeft = 100;
constexpr int keyUp = 101;
constexpr int keyRight = 102;
constexpr int keyDown = 103;
constexpr int keyHome = 106;

// Selects the board cell, as a click on it does.
void selectBoardCell(int row, int col);

// The File-menu row's height that a shortcut key stands for (N O S M U r C V
// R); 0 for any other key.
int menuRowOfKey(unsigned char key);

// The key that a release at (x, y) sends from the armed number pad whose
// origin is (padX, padY); 0 outside the pad or between its bands.
unsigned char padKeyAt(int padX, int padY, bool mini, int x, int y);

#endif
