#include "launcher/minimode.h"

#include <string>

#include "platform/platform.h"

int miniMode() {
    const char* const argv[] = {"Velunda", "-m", nullptr};
    bool started = false;
    char folder[4096];
    if (platformProgramFolder(folder, sizeof folder))
        started = platformStartProcess((std::string(folder) + "Velunda").c_str(), argv);
    if (!started) platformStartProcess("./Velunda", argv);
    return 1;
}
