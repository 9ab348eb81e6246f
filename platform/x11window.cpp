// Window operations on the GLUT window through Xlib and the window
// manager's EWMH conventions.
#include "platform.h"

#include <GL/glx.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

// freeglut's own connection: requests on it stay ordered with its drawing.
static Display* display = nullptr;

WindowHandle platformCurrentWindow() {
    display = glXGetCurrentDisplay();
    if (display == nullptr) return 0;
    return static_cast<WindowHandle>(glXGetCurrentDrawable());
}

static Atom atom(const char* name) {
    return XInternAtom(display, name, False);
}

void platformSetBorderless(WindowHandle window) {
    if (display == nullptr || window == 0) return;
    // _MOTIF_WM_HINTS: flags = MWM_HINTS_DECORATIONS, decorations = none.
    long hints[5] = {2, 0, 0, 0, 0};
    Atom motif = atom("_MOTIF_WM_HINTS");
    XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(hints), 5);
    XFlush(display);
}

void platformMoveWindow(WindowHandle window, int x, int y, int width, int height) {
    if (display == nullptr || window == 0) return;
    XMoveResizeWindow(display, window, x, y, static_cast<unsigned>(width), static_cast<unsigned>(height));
    XFlush(display);
}

// True when the 32-bit property `property` of the window holds `value`
// (among its first `count` items).
static bool propertyHolds(WindowHandle window, Atom property, Atom type, unsigned long value) {
    Atom actualType;
    int format;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool found = false;
    if (XGetWindowProperty(display, window, property, 0, 64, False, type, &actualType, &format, &items,
                           &after, &data) == Success &&
        data != nullptr) {
        if (format == 32) {
            const unsigned long* values = reinterpret_cast<const unsigned long*>(data);
            for (unsigned long i = 0; i < items && !found; i++) found = values[i] == value;
        }
        XFree(data);
    }
    return found;
}

bool platformIsMinimised(WindowHandle window) {
    if (display == nullptr || window == 0) return false;
    Atom wmState = atom("WM_STATE");
    Atom actualType;
    int format;
    unsigned long items = 0, after = 0;
    unsigned char* data = nullptr;
    bool iconic = false;
    if (XGetWindowProperty(display, window, wmState, 0, 2, False, wmState, &actualType, &format, &items,
                           &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && items >= 1) iconic = reinterpret_cast<const unsigned long*>(data)[0] == IconicState;
        XFree(data);
    }
    return iconic || propertyHolds(window, atom("_NET_WM_STATE"), XA_ATOM, atom("_NET_WM_STATE_HIDDEN"));
}

void platformMinimise(WindowHandle window) {
    if (display == nullptr || window == 0) return;
    XIconifyWindow(display, window, DefaultScreen(display));
    XFlush(display);
}

void platformSetKeepOnTop(WindowHandle window, bool onTop) {
    if (display == nullptr || window == 0) return;
    XEvent event;
    std::memset(&event, 0, sizeof event);
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atom("_NET_WM_STATE");
    event.xclient.format = 32;
    event.xclient.data.l[0] = onTop ? 1 : 0;  // _NET_WM_STATE_ADD / _REMOVE
    event.xclient.data.l[1] = static_cast<long>(atom("_NET_WM_STATE_ABOVE"));
    event.xclient.data.l[2] = 0;
    event.xclient.data.l[3] = 1;  // source indication: an application
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XFlush(display);
}

bool platformPointerOnScreen(int* x, int* y) {
    if (display == nullptr) return false;
    Window root, child;
    int winX, winY;
    unsigned int buttons;
    return XQueryPointer(display, DefaultRootWindow(display), &root, &child, x, y, &winX, &winY, &buttons) == True;
}

// A pipe that platformEndWait writes to and the wait watches beside the
// display: a signal handler running on any thread wakes the main one at
// once. Made before main, so before any handler is installed.
static int endWaitPipe[2] = {-1, -1};
static const bool endWaitPipeMade = pipe2(endWaitPipe, O_NONBLOCK | O_CLOEXEC) == 0;

void platformEndWait() {
    if (!endWaitPipeMade) return;
    // The interrupted code may be about to read errno.
    const int saved = errno;
    const char byte = 0;
    // Full means a wake-up is pending already.
    ssize_t written = write(endWaitPipe[1], &byte, 1);
    (void)written;
    errno = saved;
}

void platformWaitForEvents(int milliseconds) {
    if (display == nullptr) {
        platformSleep(milliseconds);
        return;
    }
    // XPending also sends what is still buffered, so that the server's
    // answers to it can come at all; events already read are not on the
    // socket any more.
    if (XPending(display) > 0) return;
    pollfd watched[2] = {{ConnectionNumber(display), POLLIN, 0}, {endWaitPipe[0], POLLIN, 0}};
    // A signal on this thread ends the wait early too (EINTR).
    poll(watched, endWaitPipeMade ? 2 : 1, milliseconds);
    if (endWaitPipeMade && (watched[1].revents & POLLIN) != 0) {
        char drained[64];
        while (read(endWaitPipe[0], drained, sizeof drained) > 0) {
        }
    }
}
