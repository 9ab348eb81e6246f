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

// High-density screens: how many times larger than its own size the game
// window is made, 1 to 3. VELUNDA_SCALE, else GDK_SCALE (the convention X11
// programs follow), else the X resource Xft.dpi (192 or more gives 2, 288 or
// more 3). Call before the window opens; it asks the display named by
// DISPLAY for its resources.
int platformDisplayScale();
// The choice from those three texts (null when unset): a whole number of 1
// or more counts, as at most 3; anything else is passed over.
int chooseDisplayScale(const char* velundaScale, const char* gdkScale, const char* xftDpi);

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
// Sleeps until the game window's display has an event for the program,
// platformEndWait is called or `milliseconds` have passed, whichever is
// first; returns at once when events are already waiting. Without a window,
// plainly sleeps.
void platformWaitForEvents(int milliseconds);
// Ends a wait under way, or the next one if none is (safe in a signal
// handler, from any thread: a process signal may land on a renderer's).
void platformEndWait();

// True when standard error goes to a terminal (worth a progress line).
bool platformStderrIsTerminal();
// True when standard output goes to a terminal (results share it with progress).
bool platformStdoutIsTerminal();

// Modal dialogs, owned by the game window. While one runs, the game keeps
// repainting and its own input callbacks must ignore what arrives.
struct fileFilter {
    const char* label;    // "Sudoku Game (*.sdk)"
    const char* pattern;  // "*.sdk"
};
// A file dialog for opening (save false) or saving. path (size bytes) holds
// the name to propose and receives the chosen one; the default extension
// (".sdk") is added when the typed name has none; saving asks before it
// overwrites. Returns 1 when the user confirmed a name, with *ext the offset
// just after the last '.' of the name's last component; 0 when cancelled
// (Escape, the dialog closed, the toolkit not available); -1 when the name
// chosen does not fit in path (path is then left as it was).
int platformFileDialog(bool save, const char* title, const fileFilter* filters, int filterCount,
                       const char* defaultExt, const char* initialFolder, char* path, int size, int* ext);
// A message with an OK button and the given title; errorIcon shows the error sign.
void platformMessageBox(const char* text, const char* title, bool errorIcon);
// True while a dialog or message box of the platform runs.
bool platformDialogRunning();

// Where the pointer is on the screen, in pixels; false if unknown.
bool platformPointerOnScreen(int* x, int* y);

// Starting another program (the mini-mode launcher starts the game).
// The folder of this program's own executable, ending in '/', into folder
// (size bytes). False when it is unknown or does not fit.
bool platformProgramFolder(char* folder, int size);
// Starts the program at path (a relative path counts from the working
// directory) as a process of its own: a new session, so it outlives this
// one and its terminal; this process's environment, working directory and
// standard streams; signals back to their defaults. argv ends with a null
// pointer. Does not wait for it. True when the program was started.
bool platformStartProcess(const char* path, const char* const* argv);
// Runs the program at path in place of this process, in the working
// directory folder: the installed commands start the game in the player's
// folder this way, so the game is the process the desktop or the shell
// started. Returns only when it failed, false with errno set (the working
// directory may then have changed).
bool platformRunProgramIn(const char* folder, const char* path, const char* const* argv);

#endif
