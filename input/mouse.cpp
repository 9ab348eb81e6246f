#include "input/mouse.h"

#include "app/globals.h"
#include "input/filemenu.h"
#include "input/keyboard.h"
#include "platform/platform.h"

namespace {

const int leftButton = 0;
const int pressed = 0;
const int released = 1;

// Window pixels to virtual-screen units: the mini window shows the
// 400 x 500 screen at half size, and on a high-density screen the window
// is win_Scale times larger (a pixel's block of win_Scale x win_Scale
// pixels all stand for it).
int toVirtual(int pixels) {
    return (pixels + (miniMode ? pixels : 0)) / win_Scale;
}

// A drag by the top strip. The pointer positions of motion events are
// relative to a window the server may not have moved yet, so the window is
// placed from screen positions instead: where it stood and where the
// pointer was at the press, plus how far the pointer has gone since.
struct dragRecord {
    bool active = false;  // a left press in the strip, not yet released
    bool moved = false;   // the window has moved since that press
    int windowX = 0, windowY = 0;
    int pointerX = 0, pointerY = 0;
};
dragRecord drag;

// (x, y): the press in window pixels. The window stands still until the
// drag begins, so the pointer was at its corner plus (x, y) on the screen
// when the press happened. Asking the server where the pointer is now
// would be too late: by the time the press is handled, a fast hand may
// have moved on, and that part of the drag would be lost.
void startDrag(int x, int y) {
    drag.active = true;
    drag.moved = false;
    drag.windowX = win_x;
    drag.windowY = win_y;
    drag.pointerX = win_x + x;
    drag.pointerY = win_y + y;
}

void followPointer(int x, int y) {
    int newX, newY, screenX, screenY;
    if (platformPointerOnScreen(&screenX, &screenY)) {
        newX = drag.windowX + screenX - drag.pointerX;
        newY = drag.windowY + screenY - drag.pointerY;
    } else {
        // No screen position: the window-relative displacement from the
        // anchor, in window pixels.
        int dx = (x - myMouse.downX) * win_Scale, dy = (y - myMouse.downY) * win_Scale;
        if (miniMode) {
            dx /= 2;
            dy /= 2;
        }
        newX = win_x + dx;
        newY = win_y + dy;
    }
    if (newX == win_x && newY == win_y) return;
    platformMoveWindow(hWnd, newX, newY, win_Width, win_Height);
    win_x = newX;
    win_y = newY;
    drag.moved = true;
}

bool inside(int x, int y, int left, int right, int bottom) {
    return left < x && x <= right && y <= bottom;
}

}  // namespace

void onMouseClick(int button, int state, int x, int y) {
    if (platformDialogRunning()) return;
    const int pixelX = x, pixelY = y;
    x = toVirtual(x);
    y = toVirtual(y);
    myMouse.x = myMouse.downX = x;
    myMouse.y = myMouse.downY = y;
    myMouse.state = state;
    myMouse.button = button;

    // A drag that moved the window ends with a release over whatever part
    // of the title bar was grabbed; that release is no click on it.
    const bool endsDrag = drag.active && drag.moved;
    drag.active = false;
    if (button == leftButton && state == pressed && y <= 29) startDrag(pixelX, pixelY);

    // Any click ends the typing of an author name; the typed text stays.
    wantsToSetAuthor = false;

    // The pad closes on the next left event, which it then reads as a
    // click on itself.
    if (button == leftButton && showPopup) {
        showPopup = false;
        popupClick = true;
    }

    // A release only dismisses a message; a press goes on.
    if (state == released && myMessageBox.text != nullptr) {
        myMessageBox.text = nullptr;
        return;
    }
    if (state == released && endsDrag) return;

    if (!showFileMenu) {
        if (17 < x && x <= 382 && 115 < y && y <= 484)
            onPuzzle(button, state, x, y);
        else if (y <= 22)
            onTitleBar(button, state, x, y);
        return;
    }
    // The menu is open: only a left release counts, inside its panel as a
    // row, anywhere else as closing it.
    if (button != leftButton || state != released) return;
    if (15 < x && x <= 159 && 25 < y && y <= 278)
        onFileMenu(button, state, x, y);
    else
        showFileMenu = false;
}

void onTitleBar(int button, int state, int x, int y) {
    if (button != leftButton || state != released) return;
    if (inside(x, y, 15, 44, 22)) {
        showFileMenu = !showFileMenu;
    } else if (inside(x, y, 125, 319, 21)) {
        if (Author[0] == '\0') wantsToSetAuthor = !wantsToSetAuthor;
    } else if (inside(x, y, 378, 389, 21)) {
        // The close button is the File menu's "Quit Game" row.
        onFileMenu(0, 1, 20, 264);
    } else if (inside(x, y, 360, 377, 22)) {
        platformMinimise(hWnd);
    } else if (inside(x, y, 342, 359, 21)) {
        win_OnTop = !win_OnTop;
        platformSetKeepOnTop(hWnd, win_OnTop);
    }
}

void onMouseMove(int x, int y) {
    if (platformDialogRunning()) return;
    // While a message is shown the pointer position is not updated.
    if (myMessageBox.text != nullptr) return;
    myMouse.x = toVirtual(x);
    myMouse.y = toVirtual(y);
}

void onMouseMoveClick(int x, int y) {
    if (platformDialogRunning()) return;
    myMouse.x = toVirtual(x);
    myMouse.y = toVirtual(y);
    // The frame loop redraws on its own; the window needs only moving.
    if (drag.active && myMouse.button == leftButton && myMouse.downY <= 29) followPointer(myMouse.x, myMouse.y);
}
