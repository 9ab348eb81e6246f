// For tests that draw inside their own process: opens the game window once
// (with whatever platform the test links), and reads back what a frame drew.
#ifndef VELUNDA_TESTS_WINDOW_GLCAPTURE_H
#define VELUNDA_TESTS_WINDOW_GLCAPTURE_H

#include <string>
#include <vector>

namespace gl {

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

// What the back buffer holds, top row first, in window pixels.
struct Frame {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const;  // (0, 0) is the top-left pixel
    // How many pixels of the rectangle [x1, x2] x [y1, y2] satisfy `test`.
    template <class Test>
    int count(int x1, int y1, int x2, int y2, Test test) const {
        int n = 0;
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++)
                if (test(at(x, y))) n++;
        return n;
    }
    bool save(const std::string& pngFile) const;  // for a person to look at
};

// Opens the window at this size (the first call creates it; later calls
// resize it) and sets the base view. Needs a display.
void openWindow(int width, int height);
// Clears the back buffer to black.
void clear();
// Reads the back buffer (the front one reads black under llvmpipe).
Frame readBack();

}  // namespace gl

#endif
