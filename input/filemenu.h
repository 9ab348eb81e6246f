#ifndef VELUNDA_INPUT_FILEMENU_H
#define VELUNDA_INPUT_FILEMENU_H

// Carries out the File-menu row at virtual height y (x, button and state are
// not looked at); the menu need not be open. Does nothing while a dialog of
// the platform runs.
void onFileMenu(int button, int state, int x, int y);

// The File-menu rows, top to bottom.
enum fileMenuRows {
    menuRandomGame,
    menuOpenGame,
    menuSaveGame,
    menuMode,
    menuMarkUps,
    menuDeleteAll,
    menuCheck,
    menuSolve,
    menuReset,
    menuSkin,
    menuQuit,
    menuNothing,
};
// The row at virtual height y: up to 51 the first, then 22 units each; from
// 272 on, menuNothing.
int fileMenuRow(int y);

// Writes the game puzzle, and the pencil marks after it when withMarkUps, to
// path through a temporary file renamed over it. 0 written; -2 the puzzle has
// no author (nothing written); -1 the file could not be written (whatever
// stood at path is left as it was).
int saveGameFile(const char* path, bool withMarkUps);

// What "Quit Game" writes, each through a temporary file: the game with its
// marks to "./games/quit.sta" (an empty author line when the puzzle has
// none) and the skin to "Velunda.inf". 0 written, -1 not (old file intact).
// A file that is there but cannot be read is left alone: the start-up could
// not show it, so replacing it would lose it unseen.
int saveQuitState();
int saveSettings();

// "Quit Game": both files above, then the process ends with status 0 whether
// or not they could be written. Also for the window manager's close, which
// may come while a dialog runs.
void quitGame();

#endif
