// A platform that records what the game asks of the desktop, with a clock
// the test sets by hand. Linked in place of the real platform library.
#ifndef VELUNDA_TESTS_FAKE_PLATFORM_H
#define VELUNDA_TESTS_FAKE_PLATFORM_H

#include <string>
#include <vector>

#include "platform/platform.h"

struct fakePlatform {
    std::vector<std::string> calls;  // e.g. "move 200 200 400 500", "sleep 10"
    int clock = 0;                   // what platformClock returns; sleeping advances it
    bool minimised = false;
    bool onTop = false;
    WindowHandle window = 42;        // what platformCurrentWindow returns

    // The answers of the next file dialogs, in order; with none left a dialog is cancelled.
    struct dialogAnswer {
        int result;        // 1 confirmed, 0 cancelled, -1 name too long
        std::string path;  // the name chosen when confirmed
    };
    std::vector<dialogAnswer> dialogAnswers;
    // Each dialog: "openDialog|saveDialog <title>|<filters joined by ;>|<default ext>|<folder>|<proposed name>".
    std::vector<std::string> dialogs;
    // Each message box: "<title>|<error or plain>|<text>".
    std::vector<std::string> messageBoxes;
    bool dialogRunning = false;
    int pointerX = 0, pointerY = 0;  // what platformPointerOnScreen returns
    int displayScale = 1;            // what platformDisplayScale returns
};

extern fakePlatform fake;

// Forgets the calls and puts the clock and window state back to their start.
void resetFakePlatform();

// How many recorded calls begin with the given text.
int fakeCallCount(const std::string& prefix);

// Starting programs: what platformProgramFolder reports, which paths start,
// and each attempt as "<path>|<argv joined by spaces>".
struct fakeProcesses {
    std::string programFolder = "/opt/velunda/";  // empty: the folder is unknown
    std::vector<std::string> startable;           // paths that start; any other fails
    std::vector<std::string> starts;
};
extern fakeProcesses fakeProcess;

#endif
