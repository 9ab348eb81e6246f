// For tests that draw inside their own process: opens the game window once
// (with whatever platform the test links), and reads back what a frame drew.
#ifndef VELUNDA_TESTS_WINDOW_GLCAPTURE_H
#define VELUNDA_TESTS_WINDOW_GLCAPTURE_H

#include "harness.h"

namespace gl {

// What the back buffer holds, top row first, in window pixels.
typedef win::Pixel Rgb;
typedef win::Image Frame;

// Opens the window at this size (the first call creates it; later calls
// resize it) and sets the base view. The game's GLUT callbacks are turned
// off: the test draws and reads its frames itself. Needs a display.
void openWindow(int width, int height);
// Clears the back buffer to black.
void clear();
// Reads the back buffer (the front one reads black under llvmpipe).
Frame readBack();

}  // namespace gl

#endif
