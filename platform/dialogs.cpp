// Dialogs and message boxes. Until the toolkit is wired up every dialog is
// cancelled and a message goes to standard error.
#include "platform.h"

#include <cstdio>

int platformFileDialog(bool, const char*, const fileFilter*, int, const char*, const char*, char*, int, int*) {
    return 0;
}

void platformMessageBox(const char* text, const char* title, bool) {
    std::fprintf(stderr, "%s %s\n", title, text);
}

bool platformDialogRunning() {
    return false;
}
