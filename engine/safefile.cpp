#include "engine/safefile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

// The mode a plain fopen would give a new file.
static mode_t newFileMode() {
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// The name at the end of path's chain of symbolic links (path itself when
// it is no link), so that the rename replaces the file the links point to
// and not the first link. A relative link counts from the link's folder.
// False for a loop, a chain too long, or a link that points to something
// other than a regular file or nothing (renaming over a device reached
// through a link would replace the device).
static bool finalTarget(const std::string& path, std::string* target) {
    std::string current = path;
    for (int links = 0; links <= 40; links++) {
        struct stat info;
        // Nothing there: a new file, or the folder is missing and the
        // temporary file cannot be made.
        if (lstat(current.c_str(), &info) != 0) {
            *target = current;
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            if (links > 0 && !S_ISREG(info.st_mode)) return false;
            *target = current;
            return true;
        }
        char next[PATH_MAX];
        ssize_t length = readlink(current.c_str(), next, sizeof next);
        if (length <= 0 || length >= static_cast<ssize_t>(sizeof next)) return false;
        std::string link(next, static_cast<size_t>(length));
        size_t slash = current.rfind('/');
        current = link[0] == '/' || slash == std::string::npos ? link : current.substr(0, slash + 1) + link;
    }
    return false;
}

bool writeFileSafely(const char* path, bool (*write)(FILE* file, void* context), void* context) {
    if (path == nullptr || path[0] == '\0' || write == nullptr) return false;
    std::string target;
    if (!finalTarget(path, &target)) return false;
    // Same folder as the target: a rename across file systems fails.
    std::string temporary = target + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return false;

    struct stat old;
    mode_t mode = newFileMode();
    if (stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;

    FILE* file = fdopen(fd, "w");
    if (file == nullptr) {
        close(fd);
        unlink(temporary.c_str());
        return false;
    }
    bool ok = write(file, context);
    ok = std::fflush(file) == 0 && ok;
    ok = !std::ferror(file) && ok;
    ok = fchmod(fd, mode) == 0 && ok;
    ok = fsync(fd) == 0 && ok;
    ok = std::fclose(file) == 0 && ok;
    if (ok) ok = std::rename(temporary.c_str(), target.c_str()) == 0;
    if (!ok) unlink(temporary.c_str());
    return ok;
}

FILE* openRegularFile(const char* path) {
    if (path == nullptr || path[0] == '\0') return nullptr;
    int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return nullptr;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = fdopen(fd, "r");
    if (file == nullptr) close(fd);
    return file;
}
