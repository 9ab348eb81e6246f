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
};

extern fakePlatform fake;

// Forgets the calls and puts the clock and window state back to their start.
void resetFakePlatform();

// How many recorded calls begin with the given text.
int fakeCallCount(const std::string& prefix);

#endif
