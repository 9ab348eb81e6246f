#include "input/mouse.h"

#include "app/globals.h"

// Window pixels to virtual-screen units: the mini window shows the
// 400 x 500 screen at half size.
static int toVirtual(int pixels) {
    return pixels + (miniMode ? pixels : 0);
}

// Click dispatch and window dragging arrive with the title bar and board handlers.
void onMouseClick(int, int, int, int) {}

void onTitleBar(int, int, int, int) {}

void onMouseMove(int x, int y) {
    // While a message is shown the pointer position is not updated.
    if (myMessageBox.text != nullptr) return;
    myMouse.x = toVirtual(x);
    myMouse.y = toVirtual(y);
}

void onMouseMoveClick(int x, int y) {
    myMouse.x = toVirtual(x);
    myMouse.y = toVirtual(y);
}
