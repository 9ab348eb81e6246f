#include "input/filemenu.h"

#include "app/globals.h"
#include "engine/safefile.h"

// The commands arrive with the File-menu work.
void onFileMenu(int, int, int, int) {}

static bool writeGame(FILE* file, void* withMarkUps) {
    if (myPuzzle.savePuzzle(file) != 0) return false;
    if (*static_cast<bool*>(withMarkUps)) saveMarkUps(file);
    return true;
}

int saveGameFile(const char* path, bool withMarkUps) {
    char author[45];
    myPuzzle.returnAuthor(author);
    if (author[0] == '\0') return -2;
    return writeFileSafely(path, writeGame, &withMarkUps) ? 0 : -1;
}
