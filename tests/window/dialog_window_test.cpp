// The real file dialogs and message boxes over the game window, driven with
// xdotool as a person would. dialog_driver opens the game window and runs
// the dialogs named on its command line, printing a line as each returns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>

#include "harness.h"

namespace {

const char* const kGameTitle = "Sudoku - by Brannoch";

// One run of the driver in a scratch folder; killed by the destructor.
struct Driver {
    Driver(const win::Scratch& folder, const std::string& steps) : folder(folder) {
        logFile = folder.path("driver.log");
        std::string out = win::sh("cd " + win::quote(folder.dir) + " && { " + win::quote(VELUNDA_DIALOG_DRIVER) + " " +
                                  steps + " >" + win::quote(logFile) + " 2>&1 & echo $!; }");
        pid = std::atoi(out.c_str());
    }
    ~Driver() {
        if (pid > 0) win::sh("kill " + std::to_string(pid) + " 2>/dev/null");
    }

    std::string log() const { return win::sh("cat " + win::quote(logFile) + " 2>/dev/null"); }

    // The visible window of this process with exactly this title; 0 if none.
    unsigned long visibleWindow(const std::string& title) const {
        std::string out = win::sh("timeout 10 xdotool search --all --onlyvisible --pid " + std::to_string(pid) +
                                  " --name " + win::quote("^" + title + "$") + " 2>/dev/null");
        return std::strtoul(out.c_str(), nullptr, 10);
    }
    unsigned long waitWindow(const std::string& title, unsigned long other = 0, int timeoutMs = 30000) const {
        int start = win::nowMs();
        while (win::nowMs() - start < timeoutMs) {
            unsigned long w = visibleWindow(title);
            if (w != 0 && w != other) return w;
            win::sleepMs(50);
        }
        return 0;
    }
    // True once the window is no longer on screen.
    bool waitGone(const std::string& title, int timeoutMs = 10000) const {
        int start = win::nowMs();
        while (win::nowMs() - start < timeoutMs) {
            if (visibleWindow(title) == 0) return true;
            win::sleepMs(50);
        }
        return false;
    }

    // The line the step printed when its dialog returned (the n-th line
    // beginning with "<step> "); empty when it did not come in time.
    std::string waitLine(const std::string& step, int n = 1, int timeoutMs = 2000) const {
        int start = win::nowMs();
        do {
            std::istringstream lines(log());
            std::string line;
            int seen = 0;
            while (std::getline(lines, line))
                if (line.compare(0, step.size() + 1, step + " ") == 0 && ++seen == n) return line;
            win::sleepMs(50);
        } while (win::nowMs() - start < timeoutMs);
        return "";
    }

    // Sends keys to a dialog until its step reports, retrying when the
    // toolkit was still busy and the keystroke was lost.
    std::string keysUntilLine(unsigned long dialog, const std::string& keys, const std::string& step, int n = 1) const {
        for (int attempt = 0; attempt < 5; attempt++) {
            std::string line = waitLine(step, n, 0);
            if (!line.empty()) return line;
            win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(dialog) + " key " + keys +
                    " 2>/dev/null");
            line = waitLine(step, n, 4000);
            if (!line.empty()) return line;
        }
        return "";
    }

    // What a person needs to see why a test failed.
    std::string report() const {
        std::string shot = win::sh("mktemp /tmp/velunda-dialog-XXXXXX.png");
        while (!shot.empty() && shot.back() == '\n') shot.pop_back();
        win::sh("timeout 20 import -silent -window root " + win::quote(shot) + " 2>/dev/null");
        // Without a window manager the game window carries no process id and
        // nothing can be activated: say so first.
        return "\n--- driver " + std::to_string(pid) + " output ---\n" + log() + "--- window manager: " +
               win::sh("xprop -root _NET_SUPPORTING_WM_CHECK 2>&1") + "--- xwininfo -tree -root ---\n" +
               win::sh("timeout 10 xwininfo -tree -root 2>&1") + "--- screenshot: " + shot + "\n";
    }

    const win::Scratch& folder;
    std::string logFile;
    int pid = 0;
};

std::string field(const std::string& line, const std::string& name) {
    size_t at = line.find(" " + name + "=");
    if (at == std::string::npos) return "";
    at += name.size() + 2;
    return line.substr(at, line.find(' ', at) - at);
}

std::string transientFor(unsigned long window) {
    std::string out = win::sh("xprop -id " + std::to_string(window) + " WM_TRANSIENT_FOR 2>/dev/null");
    size_t at = out.find("# ");
    return at == std::string::npos ? "" : std::to_string(std::strtoul(out.c_str() + at + 2, nullptr, 16));
}

// Dark (text) pixels in the upper half of a window, above its buttons.
int textPixels(unsigned long window) {
    win::Image shot = win::screenshot(window);
    return shot.count(0, 0, shot.width - 1, shot.height / 2,
                      [](const win::Pixel& p) { return p.r + p.g + p.b < 300; });
}

TEST(Dialogs, OpenReturnsTheTypedPathAndItsExtensionAndKeepsTheGameDrawing) {
    win::Scratch folder;
    folder.write("games/mine.sta", "Ann\n");
    Driver driver(folder, "open");
    unsigned long game = driver.waitWindow(kGameTitle);
    ASSERT_NE(game, 0u) << driver.report();
    unsigned long dialog = driver.waitWindow("Open a File");
    ASSERT_NE(dialog, 0u) << driver.report();
    EXPECT_EQ(transientFor(dialog), std::to_string(game)) << "the dialog must stay above the game";

    const std::string path = folder.path("games/mine.sta");
    win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(dialog) + " key ctrl+l type " +
            win::quote(path));
    std::string line = driver.keysUntilLine(dialog, "Return", "open");
    ASSERT_FALSE(line.empty()) << driver.report();
    EXPECT_EQ(field(line, "result"), "1") << line;
    EXPECT_EQ(field(line, "path"), path) << line;
    EXPECT_EQ(field(line, "ext"), std::to_string(path.size() - 3)) << line;
    EXPECT_EQ(field(line, "extension"), "sta") << line;
    EXPECT_GT(std::atoi(field(line, "frames").c_str()), 0) << "the game stopped drawing behind the dialog";
    EXPECT_EQ(field(line, "running"), "0") << line;
    EXPECT_TRUE(driver.waitGone("Open a File")) << driver.report();
}

TEST(Dialogs, EscapeCancelsAndNothingStaysOnScreen) {
    win::Scratch folder;
    Driver driver(folder, "open");
    ASSERT_NE(driver.waitWindow(kGameTitle), 0u) << driver.report();
    unsigned long dialog = driver.waitWindow("Open a File");
    ASSERT_NE(dialog, 0u) << driver.report();
    std::string line = driver.keysUntilLine(dialog, "Escape", "open");
    ASSERT_FALSE(line.empty()) << driver.report();
    EXPECT_EQ(field(line, "result"), "0") << line;
    EXPECT_EQ(field(line, "path"), "") << line;
    EXPECT_TRUE(driver.waitGone("Open a File")) << driver.report();
    EXPECT_NE(driver.visibleWindow(kGameTitle), 0u) << driver.report();
}

TEST(Dialogs, SaveAddsTheDefaultExtensionAndAsksBeforeReplacing) {
    win::Scratch folder;
    folder.write("games/taken.sta", "old game");
    Driver driver(folder, "save save");
    ASSERT_NE(driver.waitWindow(kGameTitle), 0u) << driver.report();

    unsigned long first = driver.waitWindow("Save game");
    ASSERT_NE(first, 0u) << driver.report();
    win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(first) + " key ctrl+a type mygame");
    std::string line = driver.keysUntilLine(first, "Return", "save");
    ASSERT_FALSE(line.empty()) << driver.report();
    EXPECT_EQ(field(line, "result"), "1") << line;
    EXPECT_EQ(field(line, "path"), folder.path("games/mygame.sta")) << line;
    EXPECT_EQ(field(line, "extension"), "sta") << line;

    // The name typed without extension names an existing file once the
    // extension is added: that file is asked about, and Escape keeps it.
    unsigned long second = driver.waitWindow("Save game", first);
    ASSERT_NE(second, 0u) << driver.report();
    win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(second) + " key ctrl+a type taken");
    unsigned long question = 0;
    for (int attempt = 0; attempt < 5 && question == 0; attempt++) {
        win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(second) + " key Return 2>/dev/null");
        question = driver.waitWindow("File exists", 0, 4000);
    }
    ASSERT_NE(question, 0u) << driver.report();
    win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(question) + " key Escape");
    ASSERT_TRUE(driver.waitGone("File exists")) << driver.report();
    EXPECT_TRUE(driver.waitLine("save", 2, 500).empty()) << "declining must return to the dialog";
    EXPECT_NE(driver.visibleWindow("Save game"), 0u) << driver.report();
    line = driver.keysUntilLine(second, "Escape", "save", 2);
    ASSERT_FALSE(line.empty()) << driver.report();
    EXPECT_EQ(field(line, "result"), "0") << line;
    EXPECT_EQ(folder.read("games/taken.sta"), "old game");
    EXPECT_TRUE(driver.waitGone("Save game")) << driver.report();
}

// With no name yet, the dialog proposes nothing that Return would take for
// the quit state: the play-mode filter shows quit.sta alone in ./games, and
// the next quit writes over whatever is saved there.
TEST(Dialogs, SaveWithoutANameNeverProposesTheQuitState) {
    win::Scratch folder;
    folder.write("games/quit.sta", "quit state");
    Driver driver(folder, "save");
    ASSERT_NE(driver.waitWindow(kGameTitle), 0u) << driver.report();
    unsigned long dialog = driver.waitWindow("Save game");
    ASSERT_NE(dialog, 0u) << driver.report();
    // Return a few times, slowly: the folder's list fills in after the dialog shows.
    for (int attempt = 0; attempt < 3; attempt++) {
        win::sleepMs(700);
        win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(dialog) + " key Return 2>/dev/null");
        const unsigned long question = driver.waitWindow("File exists", 0, 1500);
        if (question != 0) {
            win::sh("timeout 10 xdotool windowactivate --sync " + std::to_string(question) + " key Escape");
            FAIL() << "Return offered to replace the quit state" << driver.report();
        }
        const std::string line = driver.waitLine("save", 1, 0);
        if (!line.empty()) {
            EXPECT_EQ(field(line, "path"), folder.path("games/untitled.sta")) << line;
            break;
        }
    }
    EXPECT_FALSE(driver.waitLine("save", 1, 0).empty()) << "the fresh name is taken on Return" << driver.report();
    EXPECT_EQ(folder.read("games/quit.sta"), "quit state");
}

TEST(Dialogs, MessageBoxShowsItsTextAndClosesOnReturn) {
    win::Scratch folder;
    Driver driver(folder, "message empty-message");
    unsigned long game = driver.waitWindow(kGameTitle);
    ASSERT_NE(game, 0u) << driver.report();

    unsigned long box = driver.waitWindow("Error!");
    ASSERT_NE(box, 0u) << driver.report();
    EXPECT_EQ(transientFor(box), std::to_string(game));
    win::sleepMs(300);  // let it draw; the count below is compared, not timed
    int withText = textPixels(box);
    std::string line = driver.keysUntilLine(box, "Return", "message");
    ASSERT_FALSE(line.empty()) << driver.report();
    EXPECT_GT(std::atoi(field(line, "frames").c_str()), 0);

    // The same box without text, for comparison.
    unsigned long empty = driver.waitWindow("Error!", box);
    ASSERT_NE(empty, 0u) << driver.report();
    win::sleepMs(300);
    int withoutText = textPixels(empty);
    EXPECT_GT(withText, withoutText + 40) << "the message text is not shown" << driver.report();
    ASSERT_FALSE(driver.keysUntilLine(empty, "Return", "empty-message").empty()) << driver.report();
    EXPECT_TRUE(driver.waitGone("Error!")) << driver.report();
    EXPECT_NE(driver.visibleWindow(kGameTitle), 0u);
}

}  // namespace
