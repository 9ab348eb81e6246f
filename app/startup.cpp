#include "app/startup.h"

#include <cstdio>
#include <cstring>

#include "app/globals.h"
#include "engine/safefile.h"

bool checkoption(const char* arg, const char* option) {
    if (arg == nullptr || option == nullptr) return false;
    if (*arg == '-' || *arg == '/') arg++;
    return *arg != '\0' && *arg == *option;
}

void startUp(int argc, char** argv, int* width, int* height) {
    *width = 400;
    *height = 500;

    std::memset(retMarkUps, 0, sizeof retMarkUps);

    // Only regular files are read: a FIFO in place of any of them would hold
    // the game before its window ever opened, and a folder reads as nothing.
    if (FILE* state = openRegularFile("./games/quit.sta")) {
        myPuzzle.loadPuzzle(state);
        readMarkUps(state);
        std::fclose(state);
    }

    if (FILE* settings = openRegularFile("Velunda.inf")) {
        readSkinMode(settings, &skinMode);
        std::fclose(settings);
    }

    if (argc > 1 && argv[1] != nullptr) {
        if (checkoption(argv[1], "m") || checkoption(argv[1], "M")) {
            miniMode = true;
            fontSize = 10;
            fontFace = 1;
            *width = 200;
            *height = 250;
        } else if (FILE* file = openRegularFile(argv[1])) {
            myPuzzle.loadPuzzle(file);
            std::fclose(file);
        }
    }

    if (!miniMode) {
        myMessageBox.x1 = 80;
        myMessageBox.y1 = 200;
        myMessageBox.x2 = 320;
        myMessageBox.y2 = 250;
    }
}
