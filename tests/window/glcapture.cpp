#include "glcapture.h"

#include <GL/freeglut.h>

#include <cstdio>
#include <cstdlib>

#include "gfx/easygl.h"

namespace gl {

static bool opened = false;
// The size and visibility the server last told the window, through GLUT.
static int shownWidth = 0, shownHeight = 0;
static bool visible = false;

static void noFrame() {}

static void onShape(int width, int height) {
    shownWidth = width;
    shownHeight = height;
}

static void onStatus(int state) {
    visible = state != GLUT_HIDDEN && state != GLUT_FULLY_COVERED;
}

void openWindow(int width, int height) {
    if (!opened) {
        createEasyGLWindow(width, height, 0);
        // The test draws its own frames: while events are pumped below, the
        // game's callbacks would draw whole frames and change the very
        // globals a test sets up.
        glutDisplayFunc(noFrame);
        glutIdleFunc(nullptr);
        glutMouseFunc(nullptr);
        glutMotionFunc(nullptr);
        glutPassiveMotionFunc(nullptr);
        glutKeyboardFunc(nullptr);
        glutSpecialFunc(nullptr);
        glutReshapeFunc(onShape);
        glutWindowStatusFunc(onStatus);
        opened = true;
    } else {
        glutReshapeWindow(width, height);
    }
    // Draw only once the server has mapped the window at this size: on a
    // loaded machine that can take many seconds, and a frame drawn before
    // lands in a buffer of the old size.
    const int limitMs = 120000;
    const int start = win::nowMs();
    while (!(visible && shownWidth == width && shownHeight == height)) {
        if (win::nowMs() - start >= limitMs) {
            std::fprintf(stderr,
                         "openWindow: the window was not shown at %d x %d within %d s (last shown %d x %d, %s)\n"
                         "The display holds:\n",
                         width, height, limitMs / 1000, shownWidth, shownHeight, visible ? "visible" : "not visible");
            std::fflush(stderr);
            std::system("xwininfo -tree -root >&2");
            std::abort();
        }
        glutMainLoopEvent();
        win::sleepMs(5);
    }
    onResize(width, height);
    clear();
}

void clear() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Frame readBack() {
    Frame frame;
    frame.width = glutGet(GLUT_WINDOW_WIDTH);
    frame.height = glutGet(GLUT_WINDOW_HEIGHT);
    std::vector<unsigned char> bottomUp(static_cast<size_t>(frame.width) * frame.height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, bottomUp.data());
    frame.rgb.resize(bottomUp.size());
    size_t row = static_cast<size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; y++)
        std::copy(bottomUp.begin() + (frame.height - 1 - y) * row, bottomUp.begin() + (frame.height - y) * row,
                  frame.rgb.begin() + y * row);
    return frame;
}

}  // namespace gl
