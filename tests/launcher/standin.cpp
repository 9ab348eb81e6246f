// Stands in for the game beside a launcher under test: reports how it was
// started into the file named by VELUNDA_STANDIN_REPORT (which it can only
// see if the environment came through), then stays until the file named
// there with ".release" appended exists, at most a minute.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

namespace {

std::string link(const char* path) {
    char buffer[4096];
    ssize_t n = readlink(path, buffer, sizeof buffer - 1);
    return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string("?");
}

}  // namespace

int main(int argc, char** argv) {
    const char* report = std::getenv("VELUNDA_STANDIN_REPORT");
    if (report == nullptr) return 2;
    struct sigaction interrupt;
    sigaction(SIGINT, nullptr, &interrupt);
    sigset_t blocked;
    sigprocmask(SIG_BLOCK, nullptr, &blocked);
    std::string text = "pid=" + std::to_string(getpid()) + "\nexe=" + link("/proc/self/exe") +
                       "\ncwd=" + link("/proc/self/cwd") + "\nargs=";
    for (int i = 0; i < argc; i++) text += std::string(i ? " " : "") + argv[i];
    text += std::string("\nsession=") + (getsid(0) == getpid() ? "own" : "inherited");
    text += std::string("\nsigint=") + (interrupt.sa_handler == SIG_IGN ? "ignored" : "default");
    text += std::string("\nsigterm=") + (sigismember(&blocked, SIGTERM) ? "blocked" : "open") + "\n";

    // Whole or not at all: the test reads the report as soon as it exists.
    const std::string part = std::string(report) + ".part";
    std::FILE* file = std::fopen(part.c_str(), "w");
    if (file == nullptr) return 2;
    bool ok = std::fputs(text.c_str(), file) >= 0;
    ok = std::fclose(file) == 0 && ok;
    if (!ok || std::rename(part.c_str(), report) != 0) return 2;

    const std::string release = std::string(report) + ".release";
    for (int i = 0; i < 3000 && access(release.c_str(), F_OK) != 0; i++)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return 0;
}
