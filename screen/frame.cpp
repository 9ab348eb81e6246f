#include "screen/frame.h"

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

void EasyRender() {
    // Also while minimised, and while a dialog runs (it repaints through here).
    if (quitSignalled()) quitGame();
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
