// Helpers for the renderer tests: a known state of the globals, a plain
// backdrop to draw on, and ways to compare frames and find what changed.
#ifndef VELUNDA_TESTS_SCREEN_UTIL_H
#define VELUNDA_TESTS_SCREEN_UTIL_H

#include <GL/freeglut.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "app/globals.h"
#include "screen/frame.h"
#include "gfx/primitives.h"
#include "glcapture.h"

namespace screentest {

// The backdrop every test draws on: light grey, so both dark and light
// drawing shows against it.
constexpr float backdropShade = 0.6f;

inline void setPalette(int skin) {
    skinMode = skin;
    setSkinPalette();
}

// Every global the renderers read, back to the state of a fresh start in
// the current mode (see useMode) with an empty board, skin 0 and nothing open.
inline void resetScreenGlobals() {
    win_OnTop = false;
    skinMode = 0;
    setPalette(0);
    myMouse = mouse();
    myMessageBox = msgBox();
    myMessageBox.x1 = miniMode ? 25 : 80;
    myMessageBox.x2 = miniMode ? 367 : 320;
    showFileMenu = false;
    showPopup = false;
    popupClick_x = popupClick_y = 0;
    PuzzleSelected_x = PuzzleSelected_y = 0;
    createGameMode = false;
    showMarkUps = true;
    cycleMarkUps = 0;
    puzzleMasked = false;
    std::memset(puzzleMask, 0, sizeof puzzleMask);
    std::memset(retPuzzle, 0, sizeof retPuzzle);
    std::memset(retMarkUps, 0, sizeof retMarkUps);
    std::memset(Author, 0, sizeof Author);
    std::memset(tmpAuthor, 0, sizeof tmpAuthor);
    wantsToSetAuthor = false;
    VelundaDirty = false;
}

// Opens (or resizes) the window for normal or mini mode and sets the mode's
// globals as start-up does; call resetScreenGlobals after the first call.
inline void useMode(bool mini) {
    gl::openWindow(mini ? 200 : 400, mini ? 250 : 500);
    miniMode = mini;
    fontSize = mini ? 10 : 12;
    fontFace = mini ? 1 : 0;
    myMessageBox.x1 = mini ? 25 : 80;
    myMessageBox.x2 = mini ? 367 : 320;
}

// One frame: the backdrop, then whatever `draw` does, read back.
inline gl::Frame frameOf(const std::function<void()>& draw) {
    gl::clear();
    square(-1, -1, 400, 500, backdropShade, backdropShade, backdropShade, 1.0f);
    draw();
    return gl::readBack();
}

inline gl::Frame blankFrame() {
    return frameOf([] {});
}

// Bounding box of the pixels that pass a test; empty when n == 0.
struct Box {
    int x1 = 1 << 20, y1 = 1 << 20, x2 = -1, y2 = -1, n = 0;
    int width() const { return n == 0 ? 0 : x2 - x1 + 1; }
    int height() const { return n == 0 ? 0 : y2 - y1 + 1; }
    void add(int x, int y) {
        x1 = std::min(x1, x);
        y1 = std::min(y1, y);
        x2 = std::max(x2, x);
        y2 = std::max(y2, y);
        n++;
    }
};

inline Box boxWhere(const gl::Frame& f, const std::function<bool(int, int)>& test, int rx1 = 0, int ry1 = 0,
                    int rx2 = 1 << 20, int ry2 = 1 << 20) {
    Box b;
    for (int y = std::max(0, ry1); y <= std::min(f.height - 1, ry2); y++)
        for (int x = std::max(0, rx1); x <= std::min(f.width - 1, rx2); x++)
            if (test(x, y)) b.add(x, y);
    return b;
}

// Where two frames of the same size differ, within an optional rectangle.
inline Box diff(const gl::Frame& a, const gl::Frame& b, int rx1 = 0, int ry1 = 0, int rx2 = 1 << 20,
                int ry2 = 1 << 20) {
    return boxWhere(a, [&](int x, int y) { return !(a.at(x, y) == b.at(x, y)); }, rx1, ry1, rx2, ry2);
}

inline Box pixelsWhere(const gl::Frame& f, const std::function<bool(gl::Rgb)>& test, int rx1 = 0, int ry1 = 0,
                       int rx2 = 1 << 20, int ry2 = 1 << 20) {
    return boxWhere(f, [&](int x, int y) { return test(f.at(x, y)); }, rx1, ry1, rx2, ry2);
}

// The colour `over` at alpha `a` blended onto `under`, all in 0..255.
inline gl::Rgb blend(const float over[3], float a, gl::Rgb under) {
    gl::Rgb p;
    p.r = static_cast<int>(std::lround(over[0] * 255 * a + under.r * (1 - a)));
    p.g = static_cast<int>(std::lround(over[1] * 255 * a + under.g * (1 - a)));
    p.b = static_cast<int>(std::lround(over[2] * 255 * a + under.b * (1 - a)));
    return p;
}

inline gl::Rgb backdrop() {
    int v = static_cast<int>(std::lround(backdropShade * 255));
    return gl::Rgb{v, v, v};
}

inline bool near(gl::Rgb a, gl::Rgb b, int tolerance = 2) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

// Width in pixels of a text in a face and size, as print draws it.
inline int textWidth(const char* text, int size, int face) {
    return glutBitmapLength(fontFor(size, face), reinterpret_cast<const unsigned char*>(text));
}

inline std::string describe(const Box& b) {
    if (b.n == 0) return "nothing";
    return std::to_string(b.n) + " pixels in (" + std::to_string(b.x1) + ", " + std::to_string(b.y1) + ")-(" +
           std::to_string(b.x2) + ", " + std::to_string(b.y2) + ")";
}

// White text on the dark panels; the backdrop and the panel frames are darker.
inline bool bright(gl::Rgb p) { return p.r > 175 && p.g > 175 && p.b > 175; }

const float blueGrey[3] = {129 / 255.0f, 160 / 255.0f, 199 / 255.0f};
const float navy[3] = {31 / 255.0f, 55 / 255.0f, 123 / 255.0f};
const float white[3] = {1, 1, 1};
const float black[3] = {0, 0, 0};

}  // namespace screentest

#endif
