#ifndef VELUNDA_SCREEN_FRAME_H
#define VELUNDA_SCREEN_FRAME_H

// Draws the whole game screen; GLUT's display and idle callback. Frames are
// at least 21 clock ticks apart; nothing is drawn while minimised.
void EasyRender();
// The whole screen from the global state into the back buffer, in drawing
// order, without pacing or the swap.
void drawScreen();
// The eight palette colours of the current skin (skinMode).
void setSkinPalette();
// The skin's palette and background picture; on the first frame also loads
// both skins and makes the window borderless at (200, 200).
void drawBackground();

#endif
