#include "launcher/starter.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "launcher/playerfolder.h"
#include "platform/platform.h"

namespace {

// What the game reads as the small window: after one '-' or '/', an 'm'
// or 'M' (so also an absolute path such as "/media/x.sdk", as it always has).
bool gameTakesForMini(const char* arg) {
    if (*arg == '-' || *arg == '/') arg++;
    return *arg == 'm' || *arg == 'M';
}

std::string homeFolder() {
    if (const char* home = std::getenv("HOME")) return home;
    // A desktop always sets HOME; a stripped environment may not.
    const passwd* user = getpwuid(getuid());
    return user != nullptr && user->pw_dir != nullptr ? user->pw_dir : "";
}

// Where the program and the data are: beside this program, as installed.
std::string besideThisProgram(const char* relative) {
    char folder[PATH_MAX];
    if (!platformProgramFolder(folder, sizeof folder)) return "";
    return (std::filesystem::path(folder) / relative).lexically_normal().string();
}

}  // namespace

std::vector<std::string> gameArguments(bool mini, int argc, const char* const* argv,
                                       const std::string& workingFolder) {
    std::vector<std::string> arguments = {"Velunda"};
    if (mini) {
        arguments.push_back("-m");
        return arguments;
    }
    for (int i = 1; i < argc && argv[i] != nullptr; i++) arguments.push_back(argv[i]);
    // Only the first argument means anything to the game.
    if (arguments.size() > 1 && !arguments[1].empty() && arguments[1][0] != '/' && !gameTakesForMini(argv[1]) &&
        !workingFolder.empty())
        arguments[1] = workingFolder + "/" + arguments[1];
    return arguments;
}

int startInPlayerFolder(const char* name, bool mini, int argc, const char* const* argv, const char* gameFromHere,
                        const char* shareFromHere) {
    std::string error;
    const std::string home = homeFolder();
    const std::string folder = playerFolder(std::getenv("XDG_DATA_HOME"), home.c_str(), &error);
    const std::string game = besideThisProgram(gameFromHere), share = besideThisProgram(shareFromHere);
    if (game.empty()) {
        std::fprintf(stderr, "%s: cannot tell where the game is installed\n", name);
        return 1;
    }
    if (folder.empty() || !preparePlayerFolder(folder, share, &error)) {
        std::fprintf(stderr, "%s: %s\n", name, error.c_str());
        return 1;
    }

    char here[PATH_MAX];
    const std::vector<std::string> arguments =
        gameArguments(mini, argc, argv, getcwd(here, sizeof here) != nullptr ? here : "");
    std::vector<const char*> vector;
    for (const std::string& argument : arguments) vector.push_back(argument.c_str());
    vector.push_back(nullptr);
    platformRunProgramIn(folder.c_str(), game.c_str(), vector.data());
    std::fprintf(stderr, "%s: cannot start the game %s in %s: %s\n", name, game.c_str(), folder.c_str(),
                 std::strerror(errno));
    return 1;
}
