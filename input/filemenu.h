#ifndef VELUNDA_INPUT_FILEMENU_H
#define VELUNDA_INPUT_FILEMENU_H

// Carries out the File-menu row at virtual height y (x, button and state are
// not looked at); the menu need not be open.
void onFileMenu(int button, int state, int x, int y);

// Writes the game puzzle, and the pencil marks after it when withMarkUps, to
// path through a temporary file renamed over it. 0 written; -2 the puzzle has
// no author (nothing written); -1 the file could not be written (whatever
// stood at path is left as it was).
int saveGameFile(const char* path, bool withMarkUps);

#endif
