#ifndef VELUNDA_INPUT_KEYBOARD_H
#define VELUNDA_INPUT_KEYBOARD_H

// Board clicks in virtual units, from the mouse dispatch.
void onPuzzle(int button, int state, int x, int y);

// GLUT character-key and special-key callbacks.
void defKeyboard(unsigned char key, int x, int y);
void defSpecialKey(int key, int x, int y);

#endif
