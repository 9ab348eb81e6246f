#ifndef VELUNDA_INPUT_KEYBOARD_H
#define VELUNDA_INPUT_KEYBOARD_H

// GLUT character-key and special-key callbacks.
void defKeyboard(unsigned char key, int x, int y);
void defSpecialKey(int key, int x, int y);

#endif
