// The decoder's file also draws textures, through the window's projection
// helpers; the fuzz target never draws, so these stand in for the window.
#include "gfx/easygl.h"

void setOrtho() {}
void unsetOrtho() {}
