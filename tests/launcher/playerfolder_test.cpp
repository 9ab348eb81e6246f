// The player's own folder of the installed game, on the real file system,
// and the arguments the installed commands give the game.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "harness.h"
#include "launcher/playerfolder.h"
#include "launcher/starter.h"

namespace {

// An installed data folder (share/) with two sample games and the skins,
// and a home for the player; removed at the end.
struct Install {
    Install() {
        char pattern[] = "/tmp/velunda-folder-XXXXXX";
        char real[PATH_MAX];
        const char* made = mkdtemp(pattern);
        root = made != nullptr && realpath(made, real) != nullptr ? real : "";
        share = root + "/share";
        home = root + "/home";
        folder = home + "/.local/share/velunda";
        win::sh("mkdir -p " + win::quote(share + "/games") + " " + win::quote(share + "/Graphics") + " " +
                win::quote(home));
        write(share + "/games/sample-01.sdk", "Brannoch\nfirst\n");
        write(share + "/games/sample-02.sdk", "Brannoch\nsecond\n");
        write(share + "/Graphics/Board.bmp", "BM skin");
    }
    ~Install() {
        if (!root.empty()) win::sh("rm -rf " + win::quote(root));
    }
    static void write(const std::string& path, const std::string& text) {
        win::sh("printf %s " + win::quote(text) + " > " + win::quote(path));
    }
    static std::string read(const std::string& path) {
        return win::sh("cat " + win::quote(path) + " 2>/dev/null");
    }
    bool prepare() {
        error.clear();
        return preparePlayerFolder(folder, share, &error);
    }
    // The folder's entries, hidden ones included, one a line.
    std::string listing(const std::string& sub = "") const {
        return win::sh("ls -A " + win::quote(folder + sub) + " 2>&1");
    }

    std::string root, share, home, folder, error;
};

TEST(PlayerFolder, IsUnderXdgDataHomeWhenAbsoluteElseUnderTheHomeFolder) {
    struct Case {
        const char *xdg, *home, *folder;
    } cases[] = {
        {"/data", "/home/ann", "/data/velunda"},
        {"/data/", "/home/ann", "/data/velunda"},
        {nullptr, "/home/ann", "/home/ann/.local/share/velunda"},
        {"", "/home/ann/", "/home/ann/.local/share/velunda"},
        // Relative names are to be ignored, not read from wherever the menu started us.
        {"data", "/home/ann", "/home/ann/.local/share/velunda"},
        {"/", "/home/ann", "/velunda"},
        {nullptr, nullptr, ""},
        {"data", "", ""},
        {nullptr, "home/ann", ""},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(playerFolder(c.xdg, c.home, &error), c.folder)
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
        EXPECT_EQ(error.empty(), c.folder[0] != '\0') << error;
    }
}

TEST(PlayerFolder, TheFirstStartLaysItOutAndLaterStartsKeepWhatThePlayerHas) {
    Install install;
    ASSERT_TRUE(install.prepare()) << install.error;
    // games/ with the samples, Graphics reaching the installed skins, and no
    // temporary folder left behind.
    EXPECT_EQ(install.listing(), "Graphics\ngames\n");
    EXPECT_EQ(install.listing("/games"), "sample-01.sdk\nsample-02.sdk\n");
    EXPECT_EQ(Install::read(install.folder + "/games/sample-02.sdk"), "Brannoch\nsecond\n");
    EXPECT_EQ(Install::read(install.folder + "/Graphics/Board.bmp"), "BM skin");
    // Parents made here are the player's alone, as the base directory rules ask.
    struct stat info;
    ASSERT_EQ(stat((install.home + "/.local").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    // The player plays: a quit state, settings, a changed sample, a removed one.
    Install::write(install.folder + "/games/quit.sta", "player's game");
    Install::write(install.folder + "/Velunda.inf", "Skin Mode: 1\n");
    Install::write(install.folder + "/games/sample-01.sdk", "changed");
    win::sh("rm " + win::quote(install.folder + "/games/sample-02.sdk"));
    ASSERT_TRUE(install.prepare()) << install.error;
    EXPECT_EQ(Install::read(install.folder + "/games/quit.sta"), "player's game");
    EXPECT_EQ(Install::read(install.folder + "/Velunda.inf"), "Skin Mode: 1\n");
    EXPECT_EQ(Install::read(install.folder + "/games/sample-01.sdk"), "changed");
    EXPECT_EQ(install.listing("/games"), "quit.sta\nsample-01.sdk\n");

    // Skins of the player's own, and a games folder gone: the one is kept,
    // the other comes back with the samples.
    win::sh("rm " + win::quote(install.folder + "/Graphics") + " && mkdir " +
            win::quote(install.folder + "/Graphics") + " && rm -r " + win::quote(install.folder + "/games"));
    ASSERT_TRUE(install.prepare()) << install.error;
    EXPECT_EQ(install.listing("/Graphics"), "");
    EXPECT_EQ(install.listing("/games"), "sample-01.sdk\nsample-02.sdk\n");
    EXPECT_EQ(install.listing(), "Graphics\nVelunda.inf\ngames\n");
}

TEST(PlayerFolder, AFolderThatCannotBeMadeIsReportedWithItsNameAndReason) {
    Install install;
    // A file where a folder should be, at the folder or above it (root may
    // write anywhere, so no permissions are relied on).
    for (const std::string& blocked : {install.home + "/.local", install.folder}) {
        win::sh("rm -rf " + win::quote(install.home + "/.local") + " && mkdir -p \"$(dirname " +
                win::quote(blocked) + ")\"");
        Install::write(blocked, "a file");
        EXPECT_FALSE(install.prepare()) << blocked;
        EXPECT_EQ(install.error, "cannot make the folder " + install.folder + ": Not a directory") << blocked;
    }
    // A file named games or a broken Graphics link is the player's, not ours to replace.
    win::sh("rm -f " + win::quote(install.folder) + " && mkdir " + win::quote(install.folder) + " && ln -s /nowhere " +
            win::quote(install.folder + "/Graphics"));
    Install::write(install.folder + "/games", "mine");
    EXPECT_TRUE(install.prepare()) << install.error;
    EXPECT_EQ(Install::read(install.folder + "/games"), "mine");
    EXPECT_EQ(win::sh("readlink " + win::quote(install.folder + "/Graphics")), "/nowhere\n");
}

TEST(Starter, GivesTheGameItsArgumentsWithAPuzzleFileThatStillNamesTheSameFile) {
    struct Case {
        bool mini;
        std::vector<const char*> argv;
        std::vector<std::string> game;
    } cases[] = {
        {false, {"velunda"}, {"Velunda"}},
        {false, {"velunda", "puzzle.sdk"}, {"Velunda", "/work/puzzle.sdk"}},
        {false, {"velunda", "../x/p.sta", "more"}, {"Velunda", "/work/../x/p.sta", "more"}},
        {false, {"velunda", "/tmp/p.sdk"}, {"Velunda", "/tmp/p.sdk"}},
        // What the game reads as the small window stays so.
        {false, {"velunda", "-m"}, {"Velunda", "-m"}},
        {false, {"velunda", "Mini"}, {"Velunda", "Mini"}},
        {false, {"velunda", "-x.sdk"}, {"Velunda", "/work/-x.sdk"}},
        {true, {"velunda-mini"}, {"Velunda", "-m"}},
        {true, {"velunda-mini", "puzzle.sdk"}, {"Velunda", "-m"}},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = c.argv;
        argv.push_back(nullptr);
        EXPECT_EQ(gameArguments(c.mini, static_cast<int>(c.argv.size()), argv.data(), "/work"), c.game)
            << (c.argv.size() > 1 ? c.argv[1] : "(none)");
    }
}

}  // namespace
