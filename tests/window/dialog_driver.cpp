// Opens the game window and runs the platform's dialogs over it, one after
// the other, from inside the GLUT loop as the File menu does. Each step
// prints one line when its dialog returns; then the program keeps running
// until it is killed, so a test can see that no dialog stays behind.
//
// Steps: open | save | message | empty-message
// Lines:  <step> result=<r> ext=<e> path=<path> extension=<text at ext> frames=<n> running=<0|1>
#include <GL/freeglut.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/globals.h"
#include "gfx/easygl.h"
#include "platform/platform.h"
#include "screen/frame.h"

static char** steps = nullptr;
static int stepCount = 0;
static int nextStep = 0;
static int framesWhileDialog = 0;

// Counts the frames drawn while a dialog is open: the game must keep
// repainting behind it.
static void countingRender() {
    if (platformDialogRunning()) framesWhileDialog++;
    EasyRender();
}

static void runStep(int) {
    if (nextStep >= stepCount) {
        std::printf("done\n");
        std::fflush(stdout);
        return;
    }
    std::string step = steps[nextStep++];
    framesWhileDialog = 0;
    const fileFilter filters[] = {{"Sudoku Game (*.sdk)", "*.sdk"}, {"Sudoku State (*.sta)", "*.sta"}};
    char path[256] = "";
    int extension = -1;
    int result = 0;
    if (step == "open") {
        result = platformFileDialog(false, "Open a File", filters, 2, ".sdk", "./games", path, sizeof path, &extension);
    } else if (step == "save") {
        result = platformFileDialog(true, "Save game", &filters[1], 1, ".sta", "./games", path, sizeof path, &extension);
    } else if (step == "message") {
        platformMessageBox("ERROR: Failed to save file!", "Error!", true);
    } else if (step == "empty-message") {
        platformMessageBox("", "Error!", false);
    }
    bool extensionFits = extension >= 0 && extension <= static_cast<int>(std::strlen(path));
    std::printf("%s result=%d ext=%d path=%s extension=%s frames=%d running=%d\n", step.c_str(), result, extension,
                path, extensionFits ? path + extension : "", framesWhileDialog, platformDialogRunning() ? 1 : 0);
    std::fflush(stdout);
    glutTimerFunc(200, runStep, 0);
}

int main(int argc, char** argv) {
    steps = argv + 1;
    stepCount = argc - 1;
    createEasyGLWindow(400, 500, 0);
    glutDisplayFunc(countingRender);
    glutTimerFunc(500, runStep, 0);
    glutMainLoop();
    return 0;
}
