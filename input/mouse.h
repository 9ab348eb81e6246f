#ifndef VELUNDA_INPUT_MOUSE_H
#define VELUNDA_INPUT_MOUSE_H

// GLUT mouse callbacks; positions arrive in window pixels.
void onMouseClick(int button, int state, int x, int y);
void onMouseMove(int x, int y);
void onMouseMoveClick(int x, int y);

// A click on the title bar, in virtual units.
void onTitleBar(int button, int state, int x, int y);

#endif
