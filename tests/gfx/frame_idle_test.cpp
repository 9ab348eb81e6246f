// Frames only when the picture would change: after each drawn frame the
// frame keeps a record of everything the renderers read, and a frame whose
// record is the same is neither drawn nor swapped. A process of its own:
// the first frame's set-up happens once per process.
#include <gtest/gtest.h>

#include <link.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/globals.h"
#include "fake_platform.h"
#include "gfx/easygl.h"
#include "glcapture.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "screen/frame.h"
#include "screen/screen_test_util.h"

namespace {

// The game as a player finds it: a sample puzzle, nothing open, skin 0.
void startGame() {
    screentest::resetScreenGlobals();
    FILE* file = std::fopen("games/sample-01.sdk", "r");
    ASSERT_NE(file, nullptr);
    myPuzzle.clearPuzzle();
    ASSERT_EQ(myPuzzle.loadPuzzle(file), 0);
    std::fclose(file);
    VelundaDirty = true;
    PuzzleSelected_x = 17;
    PuzzleSelected_y = 115;
    fake.dialogRunning = false;
}

// One call of the idle callback, 25 ticks after the last; true when it drew.
bool idleFrame() {
    fake.clock += 25;
    fake.calls.clear();
    const int stamp = last;
    EasyRender();
    return last != stamp;
}

// Frames until one is skipped; false if that never happens.
bool settle() {
    for (int i = 0; i < 4; i++)
        if (!idleFrame()) return true;
    return false;
}

void click(int button, int x, int y) {
    onMouseClick(button, 0, x, y);
    onMouseClick(button, 1, x, y);
}

struct step {
    const char* what;
    std::function<void()> act;
};

// A game played through every kind of change the screen shows, one at a
// time (window pixels are virtual units in the 400 x 500 window).
const std::vector<step>& playSteps() {
    static const std::vector<step> steps = {
        {"an arrow key", [] { defSpecialKey(keyRight, 0, 0); }},
        {"a digit", [] { defKeyboard('4', 0, 0); }},
        {"a letter key moving the selection", [] { defKeyboard('l', 0, 0); }},
        {"a pencil mark", [] { defKeyboard('@', 0, 0); }},
        {"the File menu opened", [] { click(0, 20, 15); }},
        {"the pointer onto a menu row", [] { onMouseMove(60, 70); }},
        {"the menu's hover band moved", [] { onMouseMove(60, 112); }},
        {"a menu row's text (create mode)", [] { defKeyboard('M', 0, 0); }},
        {"the menu closed", [] { defKeyboard(27, 0, 0); }},
        {"the pad opened", [] { onMouseClick(2, 0, 200, 300); }},
        {"the pad's hover band", [] { onMouseMove(230, 360); }},
        {"the pad closed", [] { defKeyboard(27, 0, 0); }},
        {"back to play mode", [] { defKeyboard('M', 0, 0); }},
        {"a message (check)", [] { defKeyboard('C', 0, 0); }},
        {"the message closed by a key", [] { defKeyboard(' ', 0, 0); }},
        {"the skin", [] { defKeyboard('~', 0, 0); }},
        {"the marks of one digit", [] { defKeyboard('T', 0, 0); }},
        {"the About box", [] { defSpecialKey(keyF1, 0, 0); }},
        {"the About box closed by a release", [] { onMouseClick(0, 1, 200, 300); }},
        {"a hint", [] { defKeyboard('H', 0, 0); }},
        {"the hint's text rewritten in place",
         [] { std::snprintf(msgHint, sizeof msgHint, "%s", "Another step, the same buffer"); }},
        {"the hint closed", [] { defKeyboard(' ', 0, 0); }},
        {"the marks hidden", [] { defKeyboard('U', 0, 0); }},
        {"keep on top", [] { click(0, 350, 15); }},
        {"create mode and a clear board", [] {
             defKeyboard('M', 0, 0);
             defKeyboard('R', 0, 0);
         }},
        {"the author field clicked", [] { click(0, 200, 15); }},
        {"an author's letter typed", [] { defKeyboard('A', 0, 0); }},
        {"a dialog's close", [] {
             fake.dialogRunning = true;
             EasyDisplay();  // its repaints
             fake.dialogRunning = false;
         }},
        {"a reshape", [] { onResize(400, 500); }},
    };
    return steps;
}

class IdleFrames : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The skins are read relative to the working directory.
        ASSERT_EQ(chdir(VELUNDA_RUNTIME_DIR), 0);
        resetFakePlatform();
        gl::openWindow(400, 500);
        testing::internal::CaptureStdout();  // the skin loader's report
        startGame();
        idleFrame();
        testing::internal::GetCapturedStdout();
    }
    void SetUp() override {
        startGame();
        ASSERT_TRUE(settle()) << "the game never comes to rest";
    }
};

TEST_F(IdleFrames, EachChangeIsDrawnByTheNextFrameThenTheFrameWaits) {
    for (const step& s : playSteps()) {
        s.act();
        EXPECT_TRUE(idleFrame()) << s.what << ": not drawn by the next frame";
        EXPECT_FALSE(idleFrame()) << s.what << ": drawn twice";
        EXPECT_EQ(fake.calls, std::vector<std::string>{"wait 500"}) << s.what << ": left alone, no sleep for events";
    }
}

TEST_F(IdleFrames, AnExposeDrawsTheSameStateAgainAndOnlyOnce) {
    for (int i = 0; i < 5; i++) EXPECT_FALSE(idleFrame());
    fake.clock += 25;
    int stamp = last;
    EasyDisplay();
    EXPECT_NE(last, stamp) << "the display callback drew nothing";
    // Still paced: right after a frame it sleeps until 21 ticks have passed.
    fake.calls.clear();
    stamp = last;
    EasyDisplay();
    EXPECT_EQ(fake.calls, (std::vector<std::string>{"sleep 10", "sleep 10", "sleep 10"}));
    EXPECT_EQ(last, stamp + 30);
    EXPECT_FALSE(idleFrame());
}

// A dialog's toolkit calls the frame from its own loop: an unchanged frame
// then returns at once, or the dialog would answer keys ten times a second.
TEST_F(IdleFrames, FramesDuringADialogNeverWait) {
    fake.dialogRunning = true;
    EXPECT_TRUE(idleFrame()) << "a dialog opening is a change";
    for (int i = 0; i < 3; i++) {
        EXPECT_FALSE(idleFrame());
        EXPECT_EQ(fakeCallCount("wait"), 0);
    }
    fake.dialogRunning = false;
}

// The writable data of the game's own code (its library and the engine's):
// every global and every static, in a file or in a function, found by name
// in this program's symbol table. Nothing is listed by hand, so what a
// renderer comes to read later is looked at too.
struct datum {
    std::string name;
    volatile unsigned char* address;
    size_t size;
};
typedef std::vector<std::vector<unsigned char>> dataImage;

bool writableData(char type) {
    return type == 'b' || type == 'B' || type == 'd' || type == 'D';
}

std::vector<datum> gameData() {
    std::set<std::string> names;
    for (const char* library : {VELUNDA_GAME_LIBRARY, VELUNDA_ENGINE_LIBRARY}) {
        std::istringstream lines(win::sh("nm --defined-only " + win::quote(library)));
        std::string line;
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string address, type, name;
            // Not the compiler's own: guard variables, the sanitizers' records.
            if (fields >> address >> type >> name && writableData(type[0]) && name.rfind("_ZGV", 0) != 0 &&
                name.rfind("__", 0) != 0)
                names.insert(name);
        }
    }
    char self[4096];
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    if (n <= 0) return {};
    self[n] = '\0';
    uintptr_t bias = 0;  // where the program was loaded: its entry comes first
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void* out) {
            *static_cast<uintptr_t*>(out) = info->dlpi_addr;
            return 1;
        },
        &bias);
    std::vector<datum> data;
    std::istringstream lines(win::sh("nm --defined-only -S " + win::quote(self)));
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string address, size, type, name;
        if (!(fields >> address >> size >> type >> name) || !writableData(type[0]) || names.count(name) == 0) continue;
        data.push_back({name, reinterpret_cast<volatile unsigned char*>(bias + std::stoull(address, nullptr, 16)),
                        static_cast<size_t>(std::stoull(size, nullptr, 16))});
    }
    return data;
}

// Byte by byte: under AddressSanitizer a symbol's size takes in the red
// zone after it, which only these uninstrumented accesses may touch.
__attribute__((no_sanitize("address"))) dataImage capture(const std::vector<datum>& data) {
    dataImage image(data.size());
    for (size_t i = 0; i < data.size(); i++)
        for (size_t b = 0; b < data[i].size; b++) image[i].push_back(static_cast<unsigned char>(data[i].address[b]));
    return image;
}

// Only bytes that differ are written: constant data (relocated, then made
// read-only) is listed as data too, and never differs.
__attribute__((no_sanitize("address"))) void put(const datum& d, const std::vector<unsigned char>& bytes) {
    for (size_t b = 0; b < d.size; b++)
        if (d.address[b] != bytes[b]) d.address[b] = bytes[b];
}

void restore(const std::vector<datum>& data, const dataImage& image) {
    for (size_t i = 0; i < data.size(); i++) put(data[i], image[i]);
}

gl::Frame screenNow() {
    drawScreen();
    return gl::readBack();
}

bool same(const gl::Frame& a, const gl::Frame& b) {
    return a.width == b.width && a.height == b.height && a.rgb == b.rgb;
}

// The heart of skipping frames: with the state as after a drawn frame, each
// datum in which `other` differs is put in alone and the screen drawn
// again. A different picture with the same record would be a change the
// game never shows.
void expectEveryPictureChangeInTheRecord(const std::vector<datum>& data, const dataImage& other,
                                         const std::string& otherState, const std::string& state) {
    const dataImage live = capture(data);
    const frameState record = currentFrameState();
    const gl::Frame picture = screenNow();
    restore(data, live);
    for (size_t i = 0; i < data.size(); i++) {
        if (other[i] == live[i]) continue;
        put(data[i], other[i]);
        const bool recorded = currentFrameState() != record;
        const bool drawnAlike = same(screenNow(), picture);
        restore(data, live);
        EXPECT_TRUE(recorded || drawnAlike) << data[i].name << " as after \"" << otherState << "\" changes the picture of \""
                                            << state << "\", but not the frame's record of what the renderers read";
    }
}

// Flags and counters that no step of the game below changes (a new one
// its steps do not reach) with their lowest bit flipped, as `other` for the
// check above; anything else as it is.
dataImage flipped(const std::vector<datum>& data, const dataImage& live, const std::vector<bool>& varied) {
    dataImage image = live;
    for (size_t i = 0; i < data.size(); i++)
        if (!varied[i] && (data[i].size == 1 || data[i].size == 4)) image[i][0] ^= 1;
    return image;
}

TEST_F(IdleFrames, EveryPictureChangeIsAChangeOfTheRecord) {
    const std::vector<datum> data = gameData();
    // A few that the renderers surely read: the table was read at all.
    std::set<std::string> found;
    for (const datum& d : data) found.insert(d.name);
    for (const char* name : {"skinMode", "myMouse", "retMarkUps", "msgHint", "_ZZ14drawBackgroundvE5setUp"})
        ASSERT_EQ(found.count(name), 1u) << name << " is not among the " << data.size() << " data found";

    std::vector<std::pair<std::string, dataImage>> before = {{"the start", capture(data)}};
    for (const step& s : playSteps()) {
        s.act();
        idleFrame();
        // Against the state just before, two before, and the start.
        for (size_t back : {size_t(1), size_t(2), before.size()})
            if (back <= before.size()) {
                const auto& earlier = before[before.size() - back];
                expectEveryPictureChangeInTheRecord(data, earlier.second, earlier.first, s.what);
            }
        before.push_back({s.what, capture(data)});
    }

    std::vector<bool> varied(data.size(), false);
    for (const auto& state : before)
        for (size_t i = 0; i < data.size(); i++) varied[i] = varied[i] || state.second[i] != before[0].second[i];
    startGame();
    for (const step& s : playSteps()) {
        s.act();
        idleFrame();
        expectEveryPictureChangeInTheRecord(data, flipped(data, capture(data), varied), "its lowest bit flipped",
                                            s.what);
    }
}

}  // namespace
