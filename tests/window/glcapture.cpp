#include "glcapture.h"

#include <GL/freeglut.h>


#include "gfx/easygl.h"

namespace gl {

static bool opened = false;

static void noFrame() {}

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
        opened = true;
    } else {
        glutReshapeWindow(width, height);
    }
    // Let the server map (or resize) the window before anything is drawn.
    for (int i = 0; i < 200; i++) {
        glutMainLoopEvent();
        if (glutGet(GLUT_WINDOW_WIDTH) == width && glutGet(GLUT_WINDOW_HEIGHT) == height && i > 5) break;
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
