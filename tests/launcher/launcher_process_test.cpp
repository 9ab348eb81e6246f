// The real launcher, with a stand-in for the game that reports how it was
// started: no display needed.
#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdlib>
#include <map>
#include <sstream>

#include <unistd.h>

#include "harness.h"

namespace {

// Running, and not just ended and waiting to be reaped.
bool alive(int pid) {
    std::string stat = pid > 0 ? win::sh("cat /proc/" + std::to_string(pid) + "/stat 2>/dev/null") : "";
    size_t close = stat.rfind(") ");
    return close != std::string::npos && close + 2 < stat.size() && stat[close + 2] != 'Z';
}

// A launcher in bin/ and a working folder work/, each with or without a
// stand-in named Velunda; the stand-in is released and the folder removed
// at the end.
struct Layout {
    explicit Layout(bool gameBeside, bool gameInWorkingFolder) {
        char pattern[] = "/tmp/velunda-launcher-XXXXXX";
        char* made = mkdtemp(pattern);
        char real[PATH_MAX];
        root = made != nullptr && realpath(made, real) != nullptr ? real : "";
        win::sh("mkdir -p " + win::quote(root + "/bin") + " " + win::quote(root + "/work") + " && cp " +
                win::quote(VELUNDA_MINI) + " " + win::quote(root + "/bin/VelundaMini"));
        if (gameBeside) win::sh("cp " + win::quote(VELUNDA_STANDIN) + " " + win::quote(root + "/bin/Velunda"));
        if (gameInWorkingFolder) win::sh("cp " + win::quote(VELUNDA_STANDIN) + " " + win::quote(root + "/work/Velunda"));
    }
    ~Layout() {
        win::sh("touch " + win::quote(root + "/report.release"));
        auto found = report.find("pid");
        if (found != report.end()) {
            const int pid = std::atoi(found->second.c_str());
            for (int i = 0; i < 250 && alive(pid); i++) win::sleepMs(20);
            if (alive(pid)) kill(pid, SIGKILL);
        }
        if (!root.empty()) win::sh("rm -rf " + win::quote(root));
    }

    // Runs the launcher from work/ with arguments of its own, SIGINT ignored
    // as in a shell's background job and SIGTERM blocked; returns its exit status.
    int launch() {
        sigset_t term, old;
        sigemptyset(&term);
        sigaddset(&term, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &term, &old);
        int status = -1;
        // Into a file: the game keeps the launcher's output open, so a pipe
        // would not end before the game does.
        const std::string out = root + "/launcher.out";
        win::sh("cd " + win::quote(root + "/work") + " && trap '' INT && VELUNDA_STANDIN_REPORT=" +
                    win::quote(root + "/report") + " exec ../bin/VelundaMini -x FILE.sdk >" + win::quote(out) +
                    " 2>&1",
                &status);
        pthread_sigmask(SIG_SETMASK, &old, nullptr);
        output = win::sh("cat " + win::quote(out));
        return status;
    }

    // The stand-in's report, once it has written one (up to 20 seconds).
    bool waitReport() {
        for (int start = win::nowMs(); win::nowMs() - start < 20000; win::sleepMs(20)) {
            if (access((root + "/report").c_str(), F_OK) != 0) continue;
            std::istringstream lines(win::sh("cat " + win::quote(root + "/report")));
            std::string line;
            while (std::getline(lines, line)) {
                size_t eq = line.find('=');
                if (eq != std::string::npos) report[line.substr(0, eq)] = line.substr(eq + 1);
            }
            return true;
        }
        return false;
    }

    std::string root, output;
    std::map<std::string, std::string> report;
};

TEST(LauncherProcess, FromAnotherFolderStartsTheGameBesideItInThatFolderAndLeaves) {
    Layout layout(true, true);
    EXPECT_EQ(layout.launch(), 1);
    EXPECT_EQ(layout.output, "");
    ASSERT_TRUE(layout.waitReport()) << "the game was not started (or not with this environment)";
    EXPECT_EQ(layout.report["exe"], layout.root + "/bin/Velunda");
    EXPECT_EQ(layout.report["cwd"], layout.root + "/work");
    // The launcher's own arguments are not passed on.
    EXPECT_EQ(layout.report["args"], "Velunda -m");
    EXPECT_EQ(layout.report["session"], "own");
    EXPECT_EQ(layout.report["sigint"], "default");
    EXPECT_EQ(layout.report["sigterm"], "open");
    // The launcher has ended; the game goes on until it is done.
    EXPECT_TRUE(alive(std::atoi(layout.report["pid"].c_str())));
}

TEST(LauncherProcess, WithoutAGameBesideItStartsTheOneOfTheWorkingFolder) {
    Layout layout(false, true);
    EXPECT_EQ(layout.launch(), 1);
    ASSERT_TRUE(layout.waitReport());
    EXPECT_EQ(layout.report["exe"], layout.root + "/work/Velunda");
    EXPECT_EQ(layout.report["cwd"], layout.root + "/work");
    EXPECT_EQ(layout.report["args"], "Velunda -m");
}

TEST(LauncherProcess, WithNoGameAnywhereEndsWithOneSilently) {
    Layout layout(false, false);
    EXPECT_EQ(layout.launch(), 1);
    EXPECT_EQ(layout.output, "");
}

}  // namespace
