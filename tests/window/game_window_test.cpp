// A whole game played through the real window as a person plays it, with
// the mouse and the keys only: in the normal window started on a puzzle
// file, and in the small window that VelundaMini opens in another folder.
// Digits go in through the pad and by typing, a wrong one is erased, a
// pencil mark comes and goes, the check congratulates, the close button
// keeps the solved game for the next start, and N deals a sound new puzzle.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "app/globals.h"
#include "app/startup.h"
#include "engine/solutions.h"
#include "glcapture.h"
#include "harness.h"
#include "screen/popup.h"

namespace {

// A sample of games/ and its only solution, row by row.
const char* const sampleFile = "games/sample-18.sdk";
const char* const sampleAuthor = "Velunda samples";
const std::string sampleGivens =
    "403000009000498103070003085000079000005206700000350000760500010902164000500000306";
const std::string sampleSolution =
    "483715269256498173179623485624879531315246798897351642768532914932164857541987326";

int cellX(int col) { return 17 + 41 * col + 2 * (col / 3); }
int cellY(int row) { return 115 + 41 * row + 2 * (row / 3); }

// A rectangle in virtual units (the 400 x 500 screen), corners included.
struct Area {
    int x1, y1, x2, y2;
    bool overlaps(const Area& o) const { return x1 <= o.x2 && o.x1 <= x2 && y1 <= o.y2 && o.y1 <= y2; }
    bool holds(int x, int y) const { return x1 <= x && x <= x2 && y1 <= y && y <= y2; }
};

Area tile(int cell) {
    const int x = cellX(cell % 9), y = cellY(cell / 9);
    return {x, y, x + 35, y + 36};
}

const Area board = {17, 115, 384, 484};

bool plainlyDifferent(win::Pixel p, win::Pixel q) {
    return std::abs(p.r - q.r) + std::abs(p.g - q.g) + std::abs(p.b - q.b) > 40;
}

// The congratulation as the message box renderer draws it: which window
// pixels of the box's body are text, with the message box and the fonts set
// up as the game's start sets them up in that mode.
struct MessageLook {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // the body, window pixels
    std::vector<bool> text;              // row by row over the body
    int textPixels = 0;
    bool isText(int x, int y) const { return text[(y - y1) * (x2 - x1 + 1) + (x - x1)]; }
};

struct MessageLooks {
    MessageLook complete[2], valid[2];  // [mini]
    bool windowGone = false;            // the window they were drawn in
};

MessageLook lookOf(const gl::Frame& blank, const gl::Frame& shown, int half) {
    MessageLook look;
    // One pixel in from the body's edges, clear of the frame's blending.
    look.x1 = (myMessageBox.x1 + 3) / half + 1;
    look.y1 = (myMessageBox.y1 + 3) / half + 1;
    look.x2 = (myMessageBox.x2 - 3) / half - 1;
    look.y2 = (myMessageBox.y2 - 3) / half - 1;
    for (int y = look.y1; y <= look.y2; y++)
        for (int x = look.x1; x <= look.x2; x++) {
            const bool text = plainlyDifferent(blank.at(x, y), shown.at(x, y));
            look.text.push_back(text);
            look.textPixels += text;
        }
    return look;
}

// Drawn in this process, once, before any game runs: the capture window
// would otherwise stand among the game's on the screen.
const MessageLooks& messageLooks() {
    static MessageLooks looks;
    static bool drawn = false;
    if (drawn) return looks;
    drawn = true;
    const msgBox startBox = myMessageBox;
    const int startSize = fontSize, startFace = fontFace;
    for (bool mini : {false, true}) {
        myMessageBox = startBox;
        miniMode = false;
        fontSize = startSize;
        fontFace = startFace;
        char program[] = "Velunda", option[] = "-m";
        char* argv[] = {program, mini ? option : nullptr, nullptr};
        int width = 0, height = 0;
        startUp(mini ? 2 : 1, argv, &width, &height);
        gl::openWindow(width, height);
        auto frame = [](const char* text) {
            gl::clear();
            myMessageBox.text = text;
            drawMessageBox();
            return gl::readBack();
        };
        const gl::Frame blank = frame("");
        looks.complete[mini] = lookOf(blank, frame(msgPuzzleComplete), mini ? 2 : 1);
        looks.valid[mini] = lookOf(blank, frame(msgPuzzleValid), mini ? 2 : 1);
    }
    myMessageBox.text = nullptr;
    // Closing this window is no "Quit Game" of the test process.
    glutCloseFunc(nullptr);
    glutDestroyWindow(glutGetWindow());
    // GLUT closes the window and sends the request in its event pumping.
    const std::string mine = "timeout 10 xdotool search --all --pid " + std::to_string(getpid()) + " 2>/dev/null";
    looks.windowGone = win::waitFor([&] {
        glutMainLoopEvent();
        return win::sh(mine).empty();
    }, 30000);
    return looks;
}

// Pixels of the message box's body that disagree with `look`: text where
// the look has none or the other way round. The text is white on navy.
int disagreement(const win::Image& shot, const MessageLook& look) {
    int n = 0;
    for (int y = look.y1; y <= look.y2; y++)
        for (int x = look.x1; x <= look.x2; x++) {
            const win::Pixel p = shot.at(x, y);
            const bool bright = p.r > 160 && p.g > 160 && p.b > 160;
            n += bright != look.isText(x, y);
        }
    return n;
}

// Pixels that are text in one look and not in the other.
int textDifference(const MessageLook& a, const MessageLook& b) {
    int n = 0;
    for (size_t i = 0; i < a.text.size() && i < b.text.size(); i++) n += a.text[i] != b.text[i];
    return n;
}

// A state file as the game writes it: author line, 81 cells, 81 mark sets.
struct StateFile {
    bool complete = false;
    std::string author;
    short cells[81] = {};
    short marks[81] = {};
};

StateFile readState(const std::string& text) {
    StateFile state;
    std::istringstream in(text);
    std::getline(in, state.author);
    if (!state.author.empty() && state.author.back() == '\r') state.author.pop_back();
    for (short& cell : state.cells)
        if (!(in >> cell)) return state;
    for (short& mark : state.marks)
        if (!(in >> mark)) return state;
    state.complete = true;
    return state;
}

std::string gridText(const short* cells) {
    std::string text;
    for (int i = 0; i < 81; i++) text += std::to_string(cells[i]) + (i % 9 == 8 ? "\n" : " ");
    return text;
}

// One mode's game: its folder, the running game, the last picture of the
// window, and the mouse and keys in virtual units of that mode.
struct Session {
    explicit Session(bool small) : mini(small), half(small ? 2 : 1) {}

    const bool mini;
    const int half;  // window pixels are virtual units / half
    win::Scratch folder;
    std::unique_ptr<win::Game> game;
    win::Image shot;

    int pixel(int virtualUnits) const { return virtualUnits / half; }
    unsigned long window() const { return game->window; }

    // Starts the game the way this mode's player does; true once its first
    // frames are in.
    bool start(const std::string& arguments) {
        game.reset();
        if (!mini) {
            game.reset(new win::Game(folder, arguments));
        } else {
            // The launcher ends at once; the game it left behind is found by
            // its window. Its output goes where the launcher's went.
            game.reset(new win::Game(folder, "", "VelundaMini"));
            game->pid = win::windowOwnerIn(folder.dir);
            if (game->pid == 0) return false;
        }
        if (game->waitWindow() == 0) return false;
        const int width = 400 / half, height = 500 / half;
        win::Geometry g = win::waitGeometry(window(), [&](const win::Geometry& now) {
            return now.x == 200 && now.y == 200 && now.width == width && now.height == height;
        }, 60000);
        if (!(g.x == 200 && g.y == 200 && g.width == width && g.height == height)) return false;
        // In once two pictures in a row agree.
        win::Image last;
        return waitShot([&](const win::Image& now) {
            const bool same = now.rgb == last.rgb;
            last = now;
            return same;
        });
    }

    // Screenshots until ready(picture) holds, with a generous limit; the
    // last picture stays in `shot`.
    template <class Ready>
    bool waitShot(Ready ready, int timeoutMs = 60000) {
        return win::waitFor([&] {
            shot = win::screenshot(window());
            return shot.width == 400 / half && shot.height == 500 / half && ready(shot);
        }, timeoutMs);
    }

    // Pixels inside `inside` (and, if given, outside `except`) that differ
    // plainly between two pictures of this window.
    int changed(const win::Image& a, const win::Image& b, const Area& inside, const Area* except = nullptr) const {
        int n = 0;
        for (int y = pixel(inside.y1); y <= pixel(inside.y2); y++)
            for (int x = pixel(inside.x1); x <= pixel(inside.x2); x++) {
                if (except != nullptr && except->holds(x * half, y * half)) continue;
                n += plainlyDifferent(a.at(x, y), b.at(x, y));
            }
        return n;
    }
    int changedOutside(const win::Image& a, const win::Image& b, const Area& except) const {
        return changed(a, b, {0, 0, 399, 499}, &except);
    }

    void clickAt(int x, int y, int button = 1) { win::click(window(), pixel(x), pixel(y), button); }
    void clickCell(int cell, int button = 1) {
        clickAt(cellX(cell % 9) + 18, cellY(cell / 9) + 18, button);
    }
    void key(const std::string& keys) { win::key(window(), keys); }

    // Where the pad opens for a right click on `cell`: at the click, pushed
    // back so that it stays inside x 390 and y 490.
    Area pad(int cell) const {
        int x = pixel(cellX(cell % 9) + 18) * half, y = pixel(cellY(cell / 9) + 18) * half;
        if (x + 75 > 390) x = 315;
        if (y + 230 > 490) y = 260;
        return {x, y, x + 80, y + 235};  // with its shadow
    }
    // A left click on the pad's band of `digit` (10: the last band, DEL or
    // T), in the left column (entries) or the right one (pencil marks).
    void clickPad(int cell, int digit, bool marks) {
        const Area at = pad(cell);
        clickAt(at.x1 + (marks ? 56 : 18), at.y1 - 3 * mini + 35 + 20 * (digit - 1));
    }
    // Opens the pad on `cell`; true once it shows, the picture before in `before`.
    bool openPad(int cell, win::Image before) {
        clickCell(cell, 3);
        const Area at = pad(cell);
        const Area body = {at.x1 + 3, at.y1 + 30, at.x1 + 72, at.y1 + 215};
        const int area = (pixel(body.x2) - pixel(body.x1) + 1) * (pixel(body.y2) - pixel(body.y1) + 1);
        return waitShot([&](const win::Image& now) { return changed(now, before, body) > area / 2; });
    }

    // Quits with the title bar's close control; true once the game has ended.
    bool closeByTitleBar() {
        clickAt(383, 10);
        return game->waitExit(30000) == 0;
    }

    std::string report(const std::string& step) {
        const std::string file = std::string(VELUNDA_ARTEFACTS) + "/game-window-" + (mini ? "mini-" : "") + step +
                                 ".png";
        return std::string(mini ? "mini mode" : "normal mode") + ", step " + step + "\n--- last picture of the window: " +
               (shot.save(file) ? file : "(none)") + "\n--- " + (game ? game->report() : "no game started\n");
    }
};

void playWholeGame(bool mini) {
    // Before any game: the capture window must be gone when the game's shows.
    const MessageLooks& looks = messageLooks();
    const MessageLook& congratulation = looks.complete[mini];
    ASSERT_TRUE(looks.windowGone) << win::displayReport();
    ASSERT_GT(congratulation.textPixels, 100);
    // The comparison tells the messages apart: another message in the same
    // box would not pass for the congratulation.
    ASSERT_GT(textDifference(congratulation, looks.valid[mini]), congratulation.textPixels / 4);

    Session s(mini);
    if (mini) {
        // The launcher passes nothing but -m: the sample waits as the state
        // kept at the last quit, which the game restores.
        s.folder.write("games/quit.sta", s.folder.read(sampleFile));
        ASSERT_FALSE(s.folder.read("games/quit.sta").empty());
    }
    ASSERT_TRUE(s.start(sampleFile)) << s.report("start");
    const win::Image start = s.shot;

    std::vector<int> empty;
    for (int i = 0; i < 81; i++)
        if (sampleGivens[i] == '0') empty.push_back(i);
    auto digitKey = [](int cell) { return std::string(1, sampleSolution[cell]); };
    auto wrongDigit = [](int cell) { return std::to_string((sampleSolution[cell] - '0') % 9 + 1); };

    // A pencil mark: set through the pad's right column, cleared by its key.
    const int marked = empty[0];
    s.clickCell(marked);
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) { return s.changed(now, start, tile(marked)) > 0; }))
        << s.report("select-for-mark");
    const win::Image selected = s.shot;
    ASSERT_TRUE(s.openPad(marked, selected)) << s.report("pad-for-mark");
    s.clickPad(marked, 4, true);
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) {
        return s.changedOutside(now, selected, tile(marked)) == 0 && s.changed(now, selected, tile(marked)) > 2;
    })) << s.report("mark-set");
    s.key("dollar");
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) { return s.changed(now, selected, {0, 0, 399, 499}) == 0; }))
        << s.report("mark-cleared");
    s.key(digitKey(marked));

    // A wrong digit typed, erased through the pad's DEL band, then the right one.
    const int mistaken = empty[1];
    const win::Image beforeMistake = s.shot;
    s.clickCell(mistaken);
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) {
        return s.changed(now, beforeMistake, tile(mistaken)) > 0 && s.changed(now, beforeMistake, tile(marked)) > 0;
    })) << s.report("select-for-mistake");
    const win::Image emptySelected = s.shot;
    s.key(wrongDigit(mistaken));
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) { return s.changed(now, emptySelected, tile(mistaken)) > 0; }))
        << s.report("wrong-digit");
    ASSERT_TRUE(s.openPad(mistaken, s.shot)) << s.report("pad-for-erase");
    s.clickPad(mistaken, 10, false);
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) { return s.changed(now, emptySelected, {0, 0, 399, 499}) == 0; }))
        << s.report("erased");
    s.key(digitKey(mistaken));

    // Three digits through the pad. Each pad opens clear of the one before,
    // which may still be drawn when the next right click comes.
    std::vector<int> padded;
    Area lastPad = s.pad(mistaken);
    for (size_t i = 2; i < empty.size() && padded.size() < 3; i++)
        if (!s.pad(empty[i]).overlaps(lastPad)) {
            padded.push_back(empty[i]);
            lastPad = s.pad(empty[i]);
        }
    ASSERT_EQ(padded.size(), 3u);
    for (int cell : padded) {
        ASSERT_TRUE(s.openPad(cell, s.shot)) << s.report("pad-" + std::to_string(cell));
        s.clickPad(cell, sampleSolution[cell] - '0', false);
    }

    // The rest typed, each after a click on its cell, in one go.
    std::string typing = "timeout 60 xdotool windowactivate --sync " + std::to_string(s.window());
    for (size_t i = 2; i < empty.size(); i++) {
        const int cell = empty[i];
        bool viaPad = false;
        for (int p : padded) viaPad = viaPad || p == cell;
        if (viaPad) continue;
        typing += " mousemove --window " + std::to_string(s.window()) + " " +
                  std::to_string(s.pixel(cellX(cell % 9) + 18)) + " " + std::to_string(s.pixel(cellY(cell / 9) + 18)) +
                  " click 1 key " + digitKey(cell);
    }
    win::sh(typing);
    s.key("Escape");
    // Solved once every open cell shows its digit, no cell is highlighted
    // any longer and the picture stands still.
    win::Image previous;
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) {
        bool filled = true;
        for (int cell : empty) filled = filled && s.changed(now, start, tile(cell)) > 0;
        const bool still = now.rgb == previous.rgb;
        previous = now;
        return filled && still && s.changedOutside(now, start, board) == 0;
    })) << s.report("all-entered");
    const win::Image solved = s.shot;

    s.key("C");
    int missed = -1;
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) {
        missed = disagreement(now, congratulation);
        return missed <= congratulation.textPixels / 50;
    })) << "pixels unlike the congratulation: " << missed << " of " << congratulation.textPixels << " text pixels\n"
        << s.report("congratulation");
    // Any key takes the message away and does nothing else.
    s.key("Escape");
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) { return s.changed(now, solved, {0, 0, 399, 499}) == 0; }))
        << s.report("message-gone");

    ASSERT_TRUE(s.closeByTitleBar()) << s.report("close");
    StateFile kept = readState(s.folder.read("games/quit.sta"));
    ASSERT_TRUE(kept.complete) << s.folder.read("games/quit.sta") << s.report("quit-state");
    EXPECT_EQ(kept.author, sampleAuthor);
    short expected[81];
    for (int i = 0; i < 81; i++)
        expected[i] = static_cast<short>(sampleGivens[i] != '0' ? sampleSolution[i] - '0' : '0' - sampleSolution[i]);
    EXPECT_EQ(gridText(kept.cells), gridText(expected)) << "givens positive, the player's entries negative";
    for (int i = 0; i < 81; i++) EXPECT_EQ(kept.marks[i], 0) << "pencil marks of cell " << i;

    // The next start shows the solved grid again.
    ASSERT_TRUE(s.start("")) << s.report("restart");
    EXPECT_EQ(s.changed(s.shot, solved, board), 0) << s.report("restored");

    // N deals a new puzzle (its rating shows; a key takes it away), kept at quit.
    s.key("N");
    ASSERT_TRUE(s.waitShot([&](const win::Image& now) {
        int cells = 0;
        for (int cell = 0; cell < 81; cell++) cells += s.changed(now, solved, tile(cell)) > 0;
        return cells > 20;
    })) << s.report("new-puzzle");
    s.key("Escape");
    ASSERT_TRUE(s.closeByTitleBar()) << s.report("close-new");
    StateFile dealt = readState(s.folder.read("games/quit.sta"));
    ASSERT_TRUE(dealt.complete) << s.folder.read("games/quit.sta") << s.report("new-quit-state");
    EXPECT_EQ(dealt.author, "Brannoch");
    int givens = 0;
    bool onlyGivens = true, symmetric = true;
    for (int i = 0; i < 81; i++) {
        givens += dealt.cells[i] != 0;
        onlyGivens = onlyGivens && dealt.cells[i] >= 0 && dealt.cells[i] <= 9;
        symmetric = symmetric && (dealt.cells[i] != 0) == (dealt.cells[80 - i] != 0);
        EXPECT_EQ(dealt.marks[i], 0) << "pencil marks of cell " << i;
    }
    EXPECT_TRUE(onlyGivens) << gridText(dealt.cells);
    EXPECT_TRUE(symmetric) << gridText(dealt.cells);
    EXPECT_GE(givens, 17) << gridText(dealt.cells);
    EXPECT_LT(givens, 81) << gridText(dealt.cells);
    EXPECT_EQ(countSolutions(dealt.cells, 2), 1) << gridText(dealt.cells);
}

TEST(GameWindow, WholeGameInTheNormalWindow) {
    playWholeGame(false);
}

TEST(GameWindow, WholeGameInTheSmallWindowFromVelundaMini) {
    playWholeGame(true);
}

}  // namespace
