#include "screen/frame.h"

#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "app/signals.h"
#include "gfx/bitmap.h"
#include "gfx/easygl.h"
#include "gfx/primitives.h"
#include "input/filemenu.h"
#include "platform/platform.h"
#include "screen/board.h"
#include "screen/menu.h"
#include "screen/popup.h"

namespace {

frameState shown;          // what the picture on screen was drawn from
bool shownKnown = false;   // false: the next frame is drawn whatever the state

// VELUNDA_EVERY_FRAME=1 draws every paced frame, changed or not (for
// measuring what skipping saves).
bool everyFrame() {
    static const bool every = [] {
        const char* value = std::getenv("VELUNDA_EVERY_FRAME");
        return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
    }();
    return every;
}

}  // namespace

void EasyRender() {
    // Also while minimised, and while a dialog runs (it repaints through here).
    if (quitSignalled()) quitGame();
    // The picture on screen is still right: no frame, and instead of the
    // pacing ticks a sleep until the next event. A quit signal ends the
    // sleep too (its handler wakes it), so the 500 ms are only a backstop.
    // Not while a dialog runs: then this is called from the toolkit's loop,
    // which must not be held up.
    if (shownKnown && !everyFrame() && currentFrameState() == shown) {
        if (!platformDialogRunning()) platformWaitForEvents(500);
        return;
    }
    if (platformIsMinimised(hWnd)) {
        platformSleep(100);
        return;
    }
    // The difference is taken in unsigned arithmetic so that it stays right
    // when the millisecond counter wraps. 20 ticks give 0.0199999996 as a
    // float, below the double 0.02: a frame needs 21.
    do {
        now = platformClock();
        seconds = static_cast<float>((static_cast<unsigned int>(now) - static_cast<unsigned int>(last)) / 1000.0);
        platformSleep(10);
    } while (seconds < 0.02);
    last = now;

    drawScreen();
    update();
    // Taken after drawing: the renderers refresh the display copies.
    shown = currentFrameState();
    shownKnown = true;
}

void EasyDisplay() {
    redrawNextFrame();
    EasyRender();
}

void redrawNextFrame() {
    shownKnown = false;
}

bool frameState::operator==(const frameState& other) const {
    return !overflowed && !other.overflowed && size == other.size && std::memcmp(bytes, other.bytes, size) == 0;
}

void frameState::add(const void* data, size_t count) {
    if (overflowed || count > capacity - size) {
        overflowed = true;
        return;
    }
    if (count > 0) std::memcpy(bytes + size, data, count);
    size += count;
}

frameState currentFrameState() {
    frameState s;
    // The window, the textures, the fonts, and whether a dialog covers the game.
    s.add(win_Scale);
    s.add(win_Width);
    s.add(win_Height);
    s.add(miniMode);
    s.add(Skin0);
    s.add(Skin1);
    s.add(texturesMade());
    s.add(skinMode);
    s.add(fontSize);
    s.add(fontFace);
    s.add(platformDialogRunning());
    // The palette and the current colour: the frame sets them before use,
    // but a renderer may still read what the last frame left.
    for (const RGBcolor* c : {&rgbMarkUp1, &rgbMarkUp4, &rgbMarkUp7, &rgbGuessFace, &rgbGameFace, &rgbGameBack,
                              &rgbGameWrong, &rgbCursor})
        s.add(*c);
    for (float component : {dR, dG, dB, dA}) s.add(component);
    // The board: its display copies (and whether they are stale), the
    // marks, the check shading and the selection.
    s.add(VelundaDirty);
    s.add(retPuzzle);
    s.add(Author);
    s.add(retMarkUps);
    s.add(showMarkUps);
    s.add(cycleMarkUps);
    s.add(puzzleMasked);
    s.add(puzzleMask);
    s.add(PuzzleSelected_x);
    s.add(PuzzleSelected_y);
    // The title bar, the File menu and the pad, and the pointer that their
    // hover bands and the pad's place follow.
    s.add(tmpAuthor);
    s.add(wantsToSetAuthor);
    s.add(win_OnTop);
    s.add(showFileMenu);
    s.add(createGameMode);
    s.add(showPopup);
    s.add(popupClick_x);
    s.add(popupClick_y);
    s.add(myMouse);
    // The message box, the text it points to (a buffer such as the hint's
    // changes under the same pointer), and the About lines.
    s.add(myMessageBox);
    const size_t length = myMessageBox.text != nullptr ? strnlen(myMessageBox.text, 256) : 0;
    s.add(length);
    s.add(myMessageBox.text, length);
    s.add(msgHint);
    s.add(Prog_ID);
    s.add(Author_ID);
    s.add(Email_ID);
    s.add(Web_ID);
    return s;
}

void drawScreen() {
    clearGraph();
    drawBackground();
    drawPuzzleBoxHighlights();
    drawPuzzle();
    drawFileMenu();
    drawMenu();
    drawPopup();
    drawMessageBox();
}

// The two palettes, red, green, blue, alpha per colour, in the order of
// the globals they fill.
static const double skinPalettes[2][8][4] = {
    {
        {0, 0, 0, 1},                                 // rgbMarkUp1
        {0.1, 0.8, 0.3, 1},                           // rgbMarkUp4
        {0.3, 0.5, 1.0, 1},                           // rgbMarkUp7
        {0, 0, 0, 1},                                 // rgbGuessFace
        {1, 1, 1, 1},                                 // rgbGameFace
        {41 / 255.0, 64 / 255.0, 127 / 255.0, 0.0},   // rgbGameBack: no tile
        {1.0, 0.45, 0.6, 0.75},                       // rgbGameWrong
        {1, 1, 1, 1},                                 // rgbCursor
    },
    {
        {0, 0, 0, 1},
        {0.01, 0.55, 0.05, 1},
        {0.05, 0.1, 0.55, 1},
        {0, 0, 0, 1},
        {1, 1, 1, 1},
        {41 / 255.0, 64 / 255.0, 127 / 255.0, 1.0},   // an opaque tile
        {1.0, 0.35, 0.55, 0.85},
        {15 / 255.0, 28 / 255.0, 155 / 255.0, 1},
    },
};

void setSkinPalette() {
    RGBcolor* const colours[8] = {&rgbMarkUp1,  &rgbMarkUp4,  &rgbMarkUp7,   &rgbGuessFace,
                                  &rgbGameFace, &rgbGameBack, &rgbGameWrong, &rgbCursor};
    const double(&palette)[8][4] = skinPalettes[skinMode == 0 ? 0 : 1];
    for (int i = 0; i < 8; i++) colours[i]->setRGBA(palette[i][0], palette[i][1], palette[i][2], palette[i][3]);
}

void drawBackground() {
    // Once, on the first frame, whatever the loads give: retrying a missing
    // skin every frame would make a new texture of the other skin each time
    // and pull the window back to (200, 200) while the player drags it.
    static bool setUp = false;
    if (!setUp && Skin0 == 0) {
        setUp = true;
        LoadBitmapA("./Graphics/Board.bmp", &Skin0);
        LoadBitmapA("./Graphics/WBoard.bmp", &Skin1);
        platformSetBorderless(hWnd);
        platformMoveWindow(hWnd, 200, 200, win_Width, win_Height);
        win_x = win_y = 200;
    }
    setSkinPalette();
    color(1, 1, 1, 1);
    drawBitmap(0, 0, 400, 500, skinMode == 0 ? Skin0 : Skin1);
}
