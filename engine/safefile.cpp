#include "engine/safefile.h"

#include <fcntl.h>
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

bool writeFileSafely(const char* path, bool (*write)(FILE* file, void* context), void* context) {
    if (path == nullptr || path[0] == '\0' || write == nullptr) return false;
    // Same folder as the target: a rename across file systems fails.
    std::string temporary = std::string(path) + ".XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return false;

    struct stat old;
    mode_t mode = newFileMode();
    if (stat(path, &old) == 0 && S_ISREG(old.st_mode)) mode = old.st_mode & 07777;

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
    if (ok) ok = std::rename(temporary.c_str(), path) == 0;
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
