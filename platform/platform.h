// The only door to the desktop: window operations on the game window, the
// millisecond clock and sleeping. Nothing outside platform/ includes X11,
// GLX, GTK or process headers; tests link a recording fake in its place.
#ifndef VELUNDA_PLATFORM_PLATFORM_H
#define VELUNDA_PLATFORM_PLATFORM_H

// Native handle of the game window (an X window id); 0 = none.
typedef unsigned long WindowHandle;

// The window of the current OpenGL context: call right after the GLUT
// window has been created.
WindowHandle platformCurrentWindow();

// Removes the window manager's caption and border.
void platformSetBorderless(WindowHandle window);
// Places the window's top-left corner at (x, y) on the desktop with the given size.
void platformMoveWindow(WindowHandle window, int x, int y, int width, int height);
bool platformIsMinimised(WindowHandle window);
void platformMinimise(WindowHandle window);
// Keeps the window above all others (true) or stops doing so (false).
void platformSetKeepOnTop(WindowHandle window, bool onTop);

// Milliseconds since the program started, from a monotonic clock.
int platformClock();
void platformSleep(int milliseconds);

// True when standard error goes to a terminal (worth a progress line).
bool platformStderrIsTerminal();

#endif
