#include "gfx/primitives.h"

#include <GL/freeglut.h>

#include <cmath>

#include "app/globals.h"
#include "gfx/easygl.h"

// The sentinel: a red of exactly -1.0 takes the whole current colour.
static void applySentinel(float& r, float& g, float& b, float& a) {
    if (r == -1.0f) {
        r = dR;
        g = dG;
        b = dB;
        a = dA;
    }
}

void color(float r, float g, float b, float a) {
    glColor4f(r, g, b, a);
    dR = r;
    dG = g;
    dB = b;
    dA = a;
}

static void quad(float xa, float ya, float xb, float yb, float xc, float yc, float xd, float yd, float r, float g,
                 float b, float a) {
    applySentinel(r, g, b, a);
    setOrtho();
    glColor4f(r, g, b, a);
    glBegin(GL_QUADS);
    glVertex3f(xa, ya, 0.0f);
    glVertex3f(xb, yb, 0.0f);
    glVertex3f(xc, yc, 0.0f);
    glVertex3f(xd, yd, 0.0f);
    glEnd();
    unsetOrtho();
}

void square(const int& x1, const int& y1, const int& x2, const int& y2, float r, float g, float b, float a) {
    quad(x1 - 0.5f, y1 - 0.5f, x2 + 0.5f, y1 - 0.5f, x2 + 0.5f, y2 + 0.5f, x1 - 0.5f, y2 + 0.5f, r, g, b, a);
}

void pset(const int& x, const int& y, float r, float g, float b, float a) {
    quad(x - 0.5f, y - 0.5f, x + 0.5f, y - 0.5f, x + 0.5f, y + 0.5f, x - 0.5f, y + 0.5f, r, g, b, a);
}

void line(const int& x1, const int& y1, const int& x2, const int& y2, float r, float g, float b, float a) {
    quad(x1 - 0.5f, y1 - 0.5f, x1 + 0.5f, y1 - 0.5f, x2 + 0.5f, y2 + 0.5f, x2 - 0.5f, y2 + 0.5f, r, g, b, a);
}

// A filled polygon of n vertices around (x, y); n is at most 100.
static void polygon(int x, int y, int n, int radius, float r, float g, float b, float a) {
    const double pi = 3.14159265;
    float vx[100], vy[100];
    if (n > 100) n = 100;  // the vertex buffer's size
    for (int i = 0; i < n; i++) {
        vx[i] = static_cast<float>(x + radius * std::cos(2 * pi * i / n) * 180 / pi / 26);
        vy[i] = static_cast<float>(y + radius * std::sin(2 * pi * i / n) * 180 / pi / 26);
    }
    applySentinel(r, g, b, a);
    setOrtho();
    glColor4f(r, g, b, a);
    glBegin(GL_POLYGON);
    for (int i = 0; i < n; i++) glVertex3f(vx[i], vy[i], 0.0f);
    glEnd();
    unsetOrtho();
}

void circle(const int& x, const int& y, const int& radius, float r, float g, float b, float a) {
    polygon(x, y, 100, radius, r, g, b, a);
}

void ngon(const int& x, const int& y, const int& sides, const int& radius, float r, float g, float b, float a) {
    if (sides > 0) polygon(x, y, sides, radius, r, g, b, a);
}

void* fontFor(int size, int face) {
    switch (face) {
    case 0:
        return size == 10 ? GLUT_BITMAP_HELVETICA_10 : size == 12 ? GLUT_BITMAP_HELVETICA_12 : GLUT_BITMAP_HELVETICA_18;
    case 1:
        return size == 10 ? GLUT_BITMAP_TIMES_ROMAN_10 : GLUT_BITMAP_TIMES_ROMAN_24;
    case 2:
        return size == 8 ? GLUT_BITMAP_8_BY_13 : GLUT_BITMAP_9_BY_15;
    default:
        return nullptr;
    }
}

void print(float x, float y, const char* text, float r, float g, float b, float a, int size, int face) {
    applySentinel(r, g, b, a);
    setOrtho();
    // The colour first: the raster colour is fixed when the position is set.
    glColor4f(r, g, b, a);
    glRasterPos2f(x, y);
    void* font = fontFor(size, face);
    if (font != nullptr && text != nullptr)
        for (const char* p = text; *p != '\0'; p++) glutBitmapCharacter(font, static_cast<unsigned char>(*p));
    unsetOrtho();
}
