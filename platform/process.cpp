#include "platform.h"

#include <csignal>
#include <cstring>

#include <spawn.h>
#include <sys/types.h>
#include <unistd.h>

extern char** environ;

bool platformProgramFolder(char* folder, int size) {
    if (size <= 1) return false;
    ssize_t n = readlink("/proc/self/exe", folder, static_cast<size_t>(size));
    // readlink does not end the name and cuts it silently when it is too long.
    if (n <= 0 || n >= size) return false;
    folder[n] = '\0';
    // A replaced executable reads "/folder/name (deleted)": the folder still holds.
    char* slash = std::strrchr(folder, '/');
    if (slash == nullptr) return false;
    slash[1] = '\0';
    return true;
}

bool platformStartProcess(const char* path, const char* const* argv) {
    posix_spawnattr_t attributes;
    if (posix_spawnattr_init(&attributes) != 0) return false;
    // A fresh process: its own session, no blocked signals, and none of the
    // signals this one may have ignored (a shell's background job ignores
    // SIGINT) or caught.
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    bool ok = posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK |
                                                        POSIX_SPAWN_SETSIGDEF) == 0 &&
              posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
              posix_spawnattr_setsigdefault(&attributes, &all) == 0;
    pid_t pid = 0;
    // posix_spawn's argv is not const for historical reasons; it is not changed.
    if (ok) ok = posix_spawn(&pid, path, nullptr, &attributes, const_cast<char* const*>(argv), environ) == 0;
    posix_spawnattr_destroy(&attributes);
    return ok;
}

bool platformRunProgramIn(const char* folder, const char* path, const char* const* argv) {
    if (chdir(folder) != 0) return false;
    execv(path, const_cast<char* const*>(argv));
    return false;
}
