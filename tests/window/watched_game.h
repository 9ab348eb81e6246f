// The real game started so that its exit status is kept (which the
// harness's Game cannot tell), optionally as another user or with a
// command before it; killed by the destructor if it still runs.
#ifndef VELUNDA_TESTS_WATCHED_GAME_H
#define VELUNDA_TESTS_WATCHED_GAME_H

#include <cstdlib>
#include <string>

#include "harness.h"

namespace win {

class WatchedGame {
public:
    // `prefix` goes before the program (e.g. a command that changes the user).
    WatchedGame(const Scratch& in, const std::string& arguments, const std::string& prefix = "") : folder(in) {
        const std::string exe = std::string(VELUNDA_RUNTIME_DIR) + "/Velunda";
        // Status and process id go to /tmp: the game's own folder may be read-only.
        statusFile = sh("mktemp /tmp/velunda-status-XXXXXX");
        while (!statusFile.empty() && statusFile.back() == '\n') statusFile.pop_back();
        logFile = statusFile + ".log";
        const std::string pidFile = statusFile + ".pid";
        sh("cd " + quote(folder.dir) + " && { ( " + prefix + " " + quote(exe) + " " + arguments + " >" +
           quote(logFile) + " 2>&1 & echo $! >" + quote(pidFile) + "; wait $!; echo $? >" + quote(statusFile) +
           " ) >/dev/null 2>&1 & }");
        waitFor([&] { return !read(pidFile).empty(); }, 20000);
        pid = std::atoi(read(pidFile).c_str());
        sh("rm -f " + quote(pidFile));
    }
    ~WatchedGame() {
        if (status(0) == -1 && pid > 0) {
            sh("kill -9 " + std::to_string(pid) + " 2>/dev/null");
            status(5000);
        }
        sh("rm -f " + quote(statusFile) + " " + quote(logFile));
    }
    WatchedGame(const WatchedGame&) = delete;
    WatchedGame& operator=(const WatchedGame&) = delete;

    // The game window, mapped; 0 if it did not show in time.
    unsigned long waitWindow(int timeoutMs = 120000) {
        window = 0;
        waitFor([&] {
            std::string out = sh("timeout 10 xdotool search --all --pid " + std::to_string(pid) +
                                 " --name '^Sudoku - by Brannoch$' 2>/dev/null");
            window = std::strtoul(out.c_str(), nullptr, 10);
            if (window != 0 && sh("timeout 10 xwininfo -id " + std::to_string(window) + " 2>/dev/null")
                                       .find("IsViewable") != std::string::npos)
                return true;
            return status(0) != -1;  // it ended: no use waiting
        }, timeoutMs);
        if (status(0) != -1) window = 0;
        return window;
    }
    // The exit status once the game has ended, waiting up to timeoutMs; -1 while it runs.
    int status(int timeoutMs) {
        waitFor([&] { return !read(statusFile).empty(); }, timeoutMs);
        std::string text = read(statusFile);
        return text.empty() ? -1 : std::atoi(text.c_str());
    }
    // A left click at (x, y) of the window. Unlike the harness's click it
    // does not wait for the pointer to move, which never ends (until its
    // time limit) when the pointer already stands there, as it does after
    // the previous game's window was closed at the same spot.
    void click(int x, int y) {
        sh("timeout 20 xdotool mousemove --window " + std::to_string(window) + " " + std::to_string(x) + " " +
           std::to_string(y) + " mousedown 1 mouseup 1");
    }
    std::string log() const { return read(logFile); }
    void signal(const char* name) { sh("kill -" + std::string(name) + " " + std::to_string(pid)); }
    // For a failure message: the game's output and state, the window tree
    // and a screenshot.
    std::string report() {
        int s = status(0);
        return "\ngame " + (s == -1 ? std::string("still running") : "ended with status " + std::to_string(s)) +
               ", its output:\n" + read(logFile) + "\nfolder:\n" + sh("ls -la " + quote(folder.dir) + " " +
               quote(folder.path("games")) + " 2>&1") + displayReport();
    }

    const Scratch& folder;
    int pid = 0;
    unsigned long window = 0;
    std::string statusFile, logFile;

private:
    static std::string read(const std::string& file) { return sh("cat " + quote(file) + " 2>/dev/null"); }
};

}  // namespace win

#endif
