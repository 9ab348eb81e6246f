#include "launcher/playerfolder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/safefile.h"

namespace {

bool fail(std::string* error, const std::string& what) {
    *error = what + ": " + std::strerror(errno);
    return false;
}

bool exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// The folder and every missing parent. Parents get 0700, the folder itself
// what a plain mkdir gives.
bool makeFolder(const std::string& folder, std::string* error) {
    for (size_t slash = folder.find('/', 1); ; slash = folder.find('/', slash + 1)) {
        const bool last = slash == std::string::npos;
        const std::string part = last ? folder : folder.substr(0, slash);
        if (!part.empty() && part.back() != '/' && mkdir(part.c_str(), last ? 0777 : 0700) != 0 &&
            errno != EEXIST)
            return fail(error, "cannot make the folder " + folder);
        if (last) break;
    }
    struct stat info;
    if (stat(folder.c_str(), &info) != 0) return fail(error, "cannot make the folder " + folder);
    if (!S_ISDIR(info.st_mode)) {
        errno = ENOTDIR;
        return fail(error, "cannot make the folder " + folder);
    }
    // The game would play on and lose the game at quit: say so now.
    if (access(folder.c_str(), W_OK | X_OK) != 0) return fail(error, "cannot write to the folder " + folder);
    return true;
}

bool copyFile(const std::string& from, const std::string& to) {
    FILE* in = openRegularFile(from.c_str());
    if (in == nullptr) return true;  // not a file: nothing to copy
    FILE* out = std::fopen(to.c_str(), "wb");
    bool ok = out != nullptr;
    char buffer[8192];
    size_t n;
    while (ok && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = std::fwrite(buffer, 1, n, out) == n;
    ok = ok && !std::ferror(in);
    if (out != nullptr) ok = std::fclose(out) == 0 && ok;
    std::fclose(in);
    return ok;
}

void removeFolder(const std::string& folder) {
    if (DIR* dir = opendir(folder.c_str())) {
        while (dirent* entry = readdir(dir))
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                unlink((folder + "/" + entry->d_name).c_str());
        closedir(dir);
    }
    rmdir(folder.c_str());
}

// games/ with the sample games, filled under a temporary name first.
bool makeGames(const std::string& folder, const std::string& samples, std::string* error) {
    const std::string games = folder + "/games";
    std::string temporary = folder + "/.games-XXXXXX";
    if (mkdtemp(&temporary[0]) == nullptr) return fail(error, "cannot make the folder " + games);
    // mkdtemp makes it 0700; games/ gets what a plain mkdir would give.
    mode_t mask = umask(0);
    umask(mask);
    chmod(temporary.c_str(), 0777 & ~mask);
    bool ok = true;
    // No samples installed: an empty games/, and the game makes its random
    // puzzles from its built-in grid.
    if (DIR* dir = opendir(samples.c_str())) {
        while (dirent* entry = readdir(dir))
            if (ok && entry->d_name[0] != '.')
                ok = copyFile(samples + "/" + entry->d_name, temporary + "/" + entry->d_name);
        closedir(dir);
    }
    if (!ok) {
        fail(error, "cannot copy the sample games into " + games);
        removeFolder(temporary);
        return false;
    }
    if (std::rename(temporary.c_str(), games.c_str()) == 0) return true;
    const int why = errno;
    removeFolder(temporary);
    // Another start made it meanwhile: that one stays.
    if (exists(games)) return true;
    errno = why;
    return fail(error, "cannot make the folder " + games);
}

}  // namespace

std::string playerFolder(const char* xdgDataHome, const char* home, std::string* error) {
    const bool fromXdg = xdgDataHome != nullptr && xdgDataHome[0] == '/';
    if (!fromXdg && (home == nullptr || home[0] != '/')) {
        *error = "no folder for your games: neither XDG_DATA_HOME nor HOME names an absolute folder";
        return "";
    }
    std::string base = fromXdg ? xdgDataHome : home;
    while (!base.empty() && base.back() == '/') base.pop_back();
    if (!fromXdg) base += "/.local/share";
    return base + "/velunda";
}

bool preparePlayerFolder(const std::string& folder, const std::string& shareFolder, std::string* error) {
    if (!makeFolder(folder, error)) return false;
    // Whatever stands there, even a file or a broken link, is the player's.
    if (!exists(folder + "/games") && !makeGames(folder, shareFolder + "/games", error)) return false;
    const std::string graphics = folder + "/Graphics";
    if (!exists(graphics) && symlink((shareFolder + "/Graphics").c_str(), graphics.c_str()) != 0 && errno != EEXIST)
        return fail(error, "cannot make the link " + graphics + " to the skins");
    return true;
}
