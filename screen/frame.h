#ifndef VELUNDA_SCREEN_FRAME_H
#define VELUNDA_SCREEN_FRAME_H

// Draws the whole game screen; GLUT's display and idle callback.
void EasyRender();

#endif
