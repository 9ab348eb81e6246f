// Drives the real game on the test's X display as a person would: starts
// it in a scratch folder, finds its window, moves the pointer, clicks,
// types and takes screenshots (xdotool, xwininfo, ImageMagick).
#ifndef VELUNDA_TESTS_WINDOW_HARNESS_H
#define VELUNDA_TESTS_WINDOW_HARNESS_H

#include <string>
#include <vector>

namespace win {

// Runs a shell command; returns its standard output. *status gets the exit status.
std::string sh(const std::string& command, int* status = nullptr);
std::string quote(const std::string& text);

// A fresh working folder laid out like the runtime folder (Graphics/ and a
// copy of games/), removed again by the destructor.
struct Scratch {
    Scratch();
    ~Scratch();
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void write(const std::string& name, const std::string& text) const;
    std::string read(const std::string& name) const;
    std::string dir;
};

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
    bool found = false;
};

struct Pixel {
    int r = 0, g = 0, b = 0;
    bool operator==(const Pixel& o) const { return r == o.r && g == o.g && b == o.b; }
};

// Top-down RGB pixels of a window or frame.
struct Image {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Pixel at(int x, int y) const;  // (0, 0) is the top-left pixel; black outside
    // How many pixels of the rectangle [x1, x2] x [y1, y2] satisfy `test`.
    template <class Test>
    int count(int x1, int y1, int x2, int y2, Test test) const {
        int n = 0;
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++)
                if (test(at(x, y))) n++;
        return n;
    }
    bool save(const std::string& file) const;  // as PNG, for a person to look at
};

// One running game; killed by the destructor if it still runs.
class Game {
public:
    // Starts `program` (a file of the runtime folder) with `arguments` in `folder`.
    Game(const Scratch& folder, const std::string& arguments = "", const std::string& program = "Velunda");
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    bool running() const;
    // Waits up to timeoutMs for the process to end; returns its exit status,
    // or -1 if it is still running.
    int waitExit(int timeoutMs);
    // The game window, found by its title; 0 if it did not show in time.
    // A loaded machine has taken over 30 s for a first window.
    unsigned long waitWindow(int timeoutMs = 120000, const std::string& title = "Sudoku - by Brannoch");
    std::string log() const;  // what the game printed
    // For a failure message: what the game printed, whether it still runs,
    // the display's window tree and the path of a screenshot of the screen.
    std::string report() const;

    int pid = 0;
    unsigned long window = 0;
    std::string logFile;
};

// The display's window tree and a screenshot of the whole screen, saved
// under the artefacts folder, for a failure message.
std::string displayReport();

// Writes top-down RGB pixels as a PNG file (through ImageMagick).
bool savePng(const std::string& file, int width, int height, const std::vector<unsigned char>& rgb);

Geometry geometry(unsigned long window);
// Waits until the window's geometry satisfies `ready`, up to timeoutMs.
template <class Ready>
Geometry waitGeometry(unsigned long window, Ready ready, int timeoutMs = 30000);
Image screenshot(unsigned long window);
// Pointer and keyboard, in window pixels.
void click(unsigned long window, int x, int y, int button = 1);
void move(unsigned long window, int x, int y);
void key(unsigned long window, const std::string& keys);
void type(unsigned long window, const std::string& text);
void sleepMs(int ms);
int nowMs();

// Polls `ready` every 50 ms until it holds or timeoutMs has passed; returns
// whether it held. The limits are generous: a loaded machine is slow.
template <class Ready>
bool waitFor(Ready ready, int timeoutMs = 60000) {
    int start = nowMs();
    while (!ready()) {
        if (nowMs() - start >= timeoutMs) return false;
        sleepMs(50);
    }
    return true;
}

template <class Ready>
Geometry waitGeometry(unsigned long window, Ready ready, int timeoutMs) {
    int start = nowMs();
    Geometry g = geometry(window);
    while (!ready(g) && nowMs() - start < timeoutMs) {
        sleepMs(50);
        g = geometry(window);
    }
    return g;
}

}  // namespace win

namespace win {

// The process showing a viewable window titled `title` whose working folder
// is `folder`: a game started through a launcher is no child of the test,
// so it is found by its window. 0 if none shows within timeoutMs.
int windowOwnerIn(const std::string& folder, int timeoutMs = 120000,
                  const std::string& title = "Sudoku - by Brannoch");

}  // namespace win

#endif
