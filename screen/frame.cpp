#include "screen/frame.h"

#include "app/globals.h"
#include "gfx/bitmap.h"
#include "gfx/easygl.h"
#include "gfx/primitives.h"
#include "platform/platform.h"
#include "screen/board.h"
#include "screen/menu.h"
#include "screen/popup.h"

void EasyRender() {
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

void setSkinPalette() {
    if (skinMode == 0) {
        rgbMarkUp1.setRGB(0, 0, 0);
        rgbMarkUp4.setRGB(0.1, 0.8, 0.3);
        rgbMarkUp7.setRGB(0.3, 0.5, 1.0);
        rgbGuessFace.setRGB(0, 0, 0);
        rgbGameFace.setRGB(1, 1, 1);
        rgbGameBack.setRGBA(41 / 255.0, 64 / 255.0, 127 / 255.0, 0.0);
        rgbGameWrong.setRGBA(1.0, 0.45, 0.6, 0.75);
        rgbCursor.setRGB(1, 1, 1);
    } else {
        rgbMarkUp1.setRGB(0, 0, 0);
        rgbMarkUp4.setRGB(0.01, 0.55, 0.05);
        rgbMarkUp7.setRGB(0.05, 0.1, 0.55);
        rgbGuessFace.setRGB(0, 0, 0);
        rgbGameFace.setRGB(1, 1, 1);
        rgbGameBack.setRGBA(41 / 255.0, 64 / 255.0, 127 / 255.0, 1.0);
        rgbGameWrong.setRGBA(1.0, 0.35, 0.55, 0.85);
        rgbCursor.setRGB(15 / 255.0, 28 / 255.0, 155 / 255.0);
    }
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
