// VelundaMini on a display: started from a folder of its own, the game opens
// its small window there and outlives the launcher.
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <string>

#include "harness.h"

namespace {

const std::string runtime = VELUNDA_RUNTIME_DIR;

std::string realPath(const std::string& path) {
    char real[PATH_MAX];
    return realpath(path.c_str(), real) != nullptr ? std::string(real) : path;
}

std::string procLink(int pid, const char* what) {
    return realPath("/proc/" + std::to_string(pid) + "/" + what);
}

// Running, and not just ended and waiting to be reaped.
bool alive(int pid) {
    std::string stat = pid > 0 ? win::sh("cat /proc/" + std::to_string(pid) + "/stat 2>/dev/null") : "";
    size_t close = stat.rfind(") ");
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// The game the launcher started: not a child of this test, so it is found
// by its window's title and its working directory, and ended by its id.
struct StartedGame {
    ~StartedGame() {
        if (!alive(pid)) return;
        kill(pid, SIGTERM);
        for (int i = 0; i < 100 && alive(pid); i++) win::sleepMs(20);
        if (alive(pid)) kill(pid, SIGKILL);
    }
    // Waits up to timeoutMs for a viewable game window whose process works in `folder`.
    bool find(const std::string& folder, int timeoutMs) {
        for (int start = win::nowMs(); win::nowMs() - start < timeoutMs; win::sleepMs(100)) {
            std::string ids = win::sh("timeout 10 xdotool search --all --name '^Sudoku - by Brannoch$' 2>/dev/null");
            for (size_t at = 0; at < ids.size();) {
                size_t end = ids.find('\n', at);
                const std::string id = ids.substr(at, end - at);
                at = end == std::string::npos ? ids.size() : end + 1;
                const int owner = std::atoi(win::sh("timeout 10 xdotool getwindowpid " + id + " 2>/dev/null").c_str());
                if (owner <= 0 || procLink(owner, "cwd") != folder) continue;
                pid = owner;
                if (win::sh("timeout 10 xwininfo -id " + id + " 2>/dev/null").find("IsViewable") == std::string::npos)
                    continue;
                window = std::strtoul(id.c_str(), nullptr, 10);
                return true;
            }
        }
        return false;
    }
    int pid = 0;
    unsigned long window = 0;
};

// What a person needs to see why a step failed.
std::string failureReport(const std::string& logFile, const std::string& name) {
    const std::string shot = std::string(VELUNDA_ARTEFACT_DIR) + "/" + name + ".png";
    win::sh("mkdir -p " + win::quote(VELUNDA_ARTEFACT_DIR) + " && timeout 20 import -silent -window root " +
            win::quote(shot) + " 2>/dev/null");
    return "\n--- the game's output:\n" + win::sh("cat " + win::quote(logFile) + " 2>/dev/null") +
           "\n--- xwininfo -tree -root:\n" + win::sh("timeout 10 xwininfo -tree -root 2>&1") +
           "\n--- screenshot: " + shot + "\n";
}

TEST(LauncherWindow, FromAnotherFolderOpensTheSmallWindowThereAndLeavesAtOnce) {
    win::Scratch folder;
    const std::string here = realPath(folder.dir);
    const std::string log = folder.path("VelundaMini.log");
    // Output into a file, not a pipe: the game keeps the launcher's output
    // open, and a pipe would not end before the game does.
    const int start = win::nowMs();
    int status = -1;
    win::sh("cd " + win::quote(folder.dir) + " && exec " + win::quote(runtime + "/VelundaMini") + " >" +
                win::quote(log) + " 2>&1",
            &status);
    const int took = win::nowMs() - start;
    EXPECT_EQ(status, 1) << win::sh("cat " + win::quote(log));
    // At once: the launcher does not wait for the game (generous for a loaded machine).
    EXPECT_LT(took, 10000);

    StartedGame game;
    ASSERT_TRUE(game.find(here, 60000)) << failureReport(log, "launcher-no-window");
    // How it was started (beside, arguments, session) the process test checks
    // with a stand-in; here the real game shows its small window.
    win::Geometry g = win::waitGeometry(
        game.window, [](const win::Geometry& now) { return now.width == 200 && now.height == 250; }, 10000);
    EXPECT_EQ(g.width, 200) << failureReport(log, "launcher-window-size");
    EXPECT_EQ(g.height, 250);
    // The launcher ended long ago; the game is still there.
    EXPECT_TRUE(alive(game.pid)) << failureReport(log, "launcher-game-ended");
}

}  // namespace
