#include "fake_platform.h"

fakePlatform fake;

void resetFakePlatform() {
    fake = fakePlatform();
}

int fakeCallCount(const std::string& prefix) {
    int n = 0;
    for (const std::string& call : fake.calls)
        if (call.compare(0, prefix.size(), prefix) == 0) n++;
    return n;
}

WindowHandle platformCurrentWindow() {
    fake.calls.push_back("currentWindow");
    return fake.window;
}

void platformSetBorderless(WindowHandle window) {
    fake.calls.push_back("borderless " + std::to_string(window));
}

void platformMoveWindow(WindowHandle window, int x, int y, int width, int height) {
    fake.calls.push_back("move " + std::to_string(window) + " " + std::to_string(x) + " " + std::to_string(y) +
                         " " + std::to_string(width) + " " + std::to_string(height));
}

bool platformIsMinimised(WindowHandle) {
    return fake.minimised;
}

void platformMinimise(WindowHandle window) {
    fake.calls.push_back("minimise " + std::to_string(window));
    fake.minimised = true;
}

void platformSetKeepOnTop(WindowHandle window, bool onTop) {
    fake.calls.push_back(std::string(onTop ? "onTop " : "notOnTop ") + std::to_string(window));
    fake.onTop = onTop;
}

int platformClock() {
    return fake.clock;
}

void platformSleep(int milliseconds) {
    fake.calls.push_back("sleep " + std::to_string(milliseconds));
    fake.clock += milliseconds;
}

bool platformStderrIsTerminal() {
    return false;
}
