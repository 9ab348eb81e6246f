#include "app/signals.h"
#include "app/startup.h"
#include "gfx/easygl.h"

int main(int argc, char** argv) {
    // Before anything is read: a signal from now on ends in the quit.
    installQuitSignals();
    int width, height;
    startUp(argc, argv, &width, &height);
    initEasyGL(width, height, 0);
    return 0;
}
