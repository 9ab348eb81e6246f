#include "fake_platform.h"

#include <cstring>

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

int platformDisplayScale() {
    return fake.displayScale;
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

void platformWaitForEvents(int milliseconds) {
    fake.calls.push_back("wait " + std::to_string(milliseconds));
    fake.clock += milliseconds;
}

// Called from signal handlers; the fake's waits end at once anyway.
void platformEndWait() {
}

bool platformStderrIsTerminal() {
    return false;
}

bool platformStdoutIsTerminal() {
    return false;
}

int platformFileDialog(bool save, const char* title, const fileFilter* filters, int filterCount,
                       const char* defaultExt, const char* initialFolder, char* path, int size, int* ext) {
    std::string record = std::string(save ? "saveDialog " : "openDialog ") + title + "|";
    for (int i = 0; i < filterCount; i++)
        record += std::string(i ? ";" : "") + filters[i].label + "=" + filters[i].pattern;
    record += std::string("|") + defaultExt + "|" + initialFolder + "|" + path;
    fake.dialogs.push_back(record);
    if (fake.dialogAnswers.empty()) return 0;
    fakePlatform::dialogAnswer answer = fake.dialogAnswers.front();
    fake.dialogAnswers.erase(fake.dialogAnswers.begin());
    if (answer.result != 1) return answer.result;
    if (answer.path.size() + 1 > static_cast<size_t>(size)) return -1;
    std::strcpy(path, answer.path.c_str());
    size_t slash = answer.path.rfind('/');
    size_t dot = answer.path.rfind('.');
    *ext = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? static_cast<int>(dot + 1)
                                                                                    : static_cast<int>(answer.path.size());
    return 1;
}

void platformMessageBox(const char* text, const char* title, bool errorIcon) {
    fake.messageBoxes.push_back(std::string(title) + "|" + (errorIcon ? "error" : "plain") + "|" + text);
}

bool platformDialogRunning() {
    return fake.dialogRunning;
}

bool platformPointerOnScreen(int* x, int* y) {
    *x = fake.pointerX;
    *y = fake.pointerY;
    return true;
}

fakeProcesses fakeProcess;

bool platformProgramFolder(char* folder, int size) {
    const std::string& known = fakeProcess.programFolder;
    if (known.empty() || known.size() + 1 > static_cast<size_t>(size)) return false;
    std::strcpy(folder, known.c_str());
    return true;
}

bool platformStartProcess(const char* path, const char* const* argv) {
    std::string record = std::string(path) + "|";
    for (int i = 0; argv[i] != nullptr; i++) record += std::string(i ? " " : "") + argv[i];
    fakeProcess.starts.push_back(record);
    for (const std::string& startable : fakeProcess.startable)
        if (startable == path) return true;
    return false;
}
