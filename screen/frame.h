#ifndef VELUNDA_SCREEN_FRAME_H
#define VELUNDA_SCREEN_FRAME_H

#include <cstddef>

// Draws the whole game screen; GLUT's idle callback. Frames are at least 21
// clock ticks apart; nothing is drawn while minimised. A frame that would
// show the picture already on screen is neither drawn nor swapped: the call
// then waits up to 500 ms for an event or a quit signal instead
// (VELUNDA_EVERY_FRAME=1 in the environment draws every frame all the same).
void EasyRender();
// GLUT's display callback (an expose, a map, a dialog's repaint): the
// window's contents are lost or stale, so the frame is drawn whatever the
// state.
void EasyDisplay();
// The next frame is drawn even if the state is the same (the window was
// cleared behind the renderers' back).
void redrawNextFrame();

// Everything the renderers read, as bytes: two frames drawn from equal
// records show the same picture. The record is filled field by field, so
// padding never counts.
class frameState {
public:
    bool operator==(const frameState& other) const;
    bool operator!=(const frameState& other) const { return !(*this == other); }
    void add(const void* data, size_t size);
    template <class T>
    void add(const T& value) {
        add(&value, sizeof value);
    }

private:
    static const size_t capacity = 2048;
    unsigned char bytes[capacity];
    size_t size = 0;
    bool overflowed = false;  // never equal, so always drawn
};
// The record of the state as it is now.
frameState currentFrameState();

// The whole screen from the global state into the back buffer, in drawing
// order, without pacing or the swap.
void drawScreen();
// The eight palette colours of the current skin (skinMode).
void setSkinPalette();
// The skin's palette and background picture; on the first frame also loads
// both skins and makes the window borderless at (200, 200).
void drawBackground();

#endif
