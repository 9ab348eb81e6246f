// 2-D drawing in the virtual screen (400 x 500, origin top-left, y down).
// Every shape brackets itself with setOrtho/unsetOrtho and leaves both
// matrix stacks as it found them. A red of exactly -1.0 means: draw in the
// colour of the last color() call instead of the four given components.
#ifndef VELUNDA_GFX_PRIMITIVES_H
#define VELUNDA_GFX_PRIMITIVES_H

void color(float r, float g, float b, float a);
// Filled rectangle covering the unit cells x1..x2 by y1..y2.
void square(const int& x1, const int& y1, const int& x2, const int& y2, float r, float g, float b, float a);
void pset(const int& x, const int& y, float r, float g, float b, float a);
void line(const int& x1, const int& y1, const int& x2, const int& y2, float r, float g, float b, float a);
void circle(const int& x, const int& y, const int& radius, float r, float g, float b, float a);
// At most 100 sides.
void ngon(const int& x, const int& y, const int& sides, const int& radius, float r, float g, float b, float a);
// Bitmap text with its baseline starting at (x, y). face 0 Helvetica, 1 Times
// Roman, 2 fixed; size picks the font within the face.
void print(float x, float y, const char* text, float r, float g, float b, float a, int size, int face);

// The GLUT bitmap font for a face and size; null when the face has none.
void* fontFor(int size, int face);

#endif
