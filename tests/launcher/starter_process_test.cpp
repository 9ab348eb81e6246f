// The installed commands as installed: cmake --install into a scratch
// prefix, the game replaced by a stand-in that reports how it was started.
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <map>
#include <sstream>

#include <unistd.h>

#include "harness.h"

namespace {

std::string root;  // the scratch folder: usr/ (the prefix), home/, work/

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        char pattern[] = "/tmp/velunda-installed-XXXXXX";
        char real[PATH_MAX];
        const char* made = mkdtemp(pattern);
        root = made != nullptr && realpath(made, real) != nullptr ? real : "";
        int status = -1;
        installLog = win::sh(win::quote(VELUNDA_CMAKE) + " --install " + win::quote(VELUNDA_BUILD_DIR) +
                                 " --prefix " + win::quote(root + "/usr") + " 2>&1",
                             &status);
        installed = status == 0;
        win::sh("cp " + win::quote(VELUNDA_STANDIN) + " " + win::quote(root + "/usr/lib/games/velunda/Velunda") +
                " && mkdir -p " + win::quote(root + "/work"));
    }
    static void TearDownTestSuite() {
        if (!root.empty()) win::sh("rm -rf " + win::quote(root));
    }
    void SetUp() override {
        ASSERT_TRUE(installed) << installLog;
        win::sh("rm -rf " + win::quote(root + "/home") + " " + win::quote(root + "/report") + " && mkdir " +
                win::quote(root + "/home") + " && touch " + win::quote(root + "/report.release"));
    }

    // Runs an installed command from work/ with HOME set to `home`;
    // returns its exit status, with what it printed in output and the
    // stand-in's report, if it ran, in report.
    int run(const std::string& command, const std::string& home, const std::string& arguments = "") {
        int status = -1;
        output = win::sh("cd " + win::quote(root + "/work") + " && env -u XDG_DATA_HOME HOME=" + win::quote(home) +
                             " VELUNDA_STANDIN_REPORT=" + win::quote(root + "/report") + " " +
                             win::quote(root + "/usr/games/" + command) + " " + arguments + " 2>&1",
                         &status);
        report.clear();
        std::istringstream lines(win::sh("cat " + win::quote(root + "/report") + " 2>/dev/null"));
        std::string line;
        while (std::getline(lines, line)) {
            size_t eq = line.find('=');
            if (eq != std::string::npos) report[line.substr(0, eq)] = line.substr(eq + 1);
        }
        return status;
    }

    static bool installed;
    static std::string installLog;
    std::string output;
    std::map<std::string, std::string> report;
};

bool Installed::installed = false;
std::string Installed::installLog;

TEST_F(Installed, VelundaRunsTheGameInThePlayersFolderWithThePuzzleFileNamedFromWhereItWasStarted) {
    const std::string folder = root + "/home/.local/share/velunda";
    ASSERT_EQ(run("velunda", root + "/home", "puzzle.sdk"), 0) << output;
    // The game itself, not a child: the menu's process is the game.
    EXPECT_EQ(report["exe"], root + "/usr/lib/games/velunda/Velunda");
    EXPECT_EQ(report["cwd"], folder);
    EXPECT_EQ(report["args"], "Velunda " + root + "/work/puzzle.sdk");
    EXPECT_EQ(output, "");
    // The installed samples and skins, reached from the player's folder.
    EXPECT_EQ(win::sh("cmp " + win::quote(folder + "/games/sample-01.sdk") + " " +
                      win::quote(root + "/usr/share/games/velunda/games/sample-01.sdk") + " && cmp " +
                      win::quote(folder + "/Graphics/WBoard.bmp") + " " +
                      win::quote(root + "/usr/share/games/velunda/Graphics/WBoard.bmp") + " && echo same"),
              "same\n");
}

TEST_F(Installed, VelundaMiniRunsTheSmallWindowInTheSameFolder) {
    ASSERT_EQ(run("velunda-mini", root + "/home", "ignored.sdk"), 0) << output;
    EXPECT_EQ(report["cwd"], root + "/home/.local/share/velunda");
    EXPECT_EQ(report["args"], "Velunda -m");
}

TEST_F(Installed, AFolderThatCannotBeMadeEndsWithAMessageAndStatusOne) {
    // HOME is a file: no folder can be made below it.
    win::sh("touch " + win::quote(root + "/home/file"));
    for (const char* command : {"velunda", "velunda-mini"}) {
        EXPECT_EQ(run(command, root + "/home/file"), 1) << command;
        EXPECT_EQ(output, std::string(command) + ": cannot make the folder " + root +
                              "/home/file/.local/share/velunda: Not a directory\n");
        EXPECT_TRUE(report.empty()) << "the game was started";
    }
}

TEST_F(Installed, TheMenuEntriesStartTheInstalledCommands) {
    for (const char* command : {"velunda", "velunda-mini"}) {
        const std::string entry =
            win::sh("cat " + win::quote(root + "/usr/share/applications/" + command + ".desktop"));
        EXPECT_NE(entry.find("\nExec=" + root + "/usr/games/" + command + "\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("\nIcon=velunda\n"), std::string::npos) << entry;
    }
}

}  // namespace
