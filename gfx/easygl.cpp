#include "easygl.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

#include <cstdio>
#include <cstdlib>

#include "app/globals.h"
#include "input/filemenu.h"
#include "input/keyboard.h"
#include "input/mouse.h"
#include "screen/frame.h"

static const char* const windowTitle = "Sudoku - by Brannoch";

// The window manager's close (Alt+F4, a taskbar's close) ends the game the
// way "Quit Game" does, so the game in play is kept; by default freeglut
// would just exit. Not through the menu row: that is refused while a dialog
// runs, and the window is gone once this returns.
// freeglut also destroys the window, calling this, from its exit handler: by
// then the process is ending anyway (after Quit Game, or a test's end) and
// quitting again would overwrite the files and the exit status.
static bool processEnding = false;

static void markProcessEnding() {
    processEnding = true;
}

static void onWindowClose() {
    if (!processEnding) quitGame();
}

// High-density screens: each frame is drawn at the normal size into the
// bottom-left corner of the window (OpenGL's origin), as in a window of
// that size, then copied into a texture and shown over the whole window
// win_Scale times larger with nearest filtering. Every pixel of the normal
// picture becomes an exact block, and the skins, the fonts and every hit
// test stay as they are. Only OpenGL 1.1 is needed.
namespace {

struct scaledFrameRecord {
    GLuint texture = 0;  // 0: drawn straight into the window
    int width = 0, height = 0;
    int textureWidth = 0, textureHeight = 0;  // powers of two, for any OpenGL
};
scaledFrameRecord scaledFrame;

int powerOfTwo(int n) {
    int power = 1;
    while (power < n) power *= 2;
    return power;
}

bool makeScaledFrame(int width, int height) {
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    const int textureWidth = powerOfTwo(width), textureHeight = powerOfTwo(height);
    if (textureWidth > largest || textureHeight > largest) return false;
    glGenTextures(1, &scaledFrame.texture);
    glBindTexture(GL_TEXTURE_2D, scaledFrame.texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, textureWidth, textureHeight, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glBindTexture(GL_TEXTURE_2D, 0);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &scaledFrame.texture);
        scaledFrame.texture = 0;
        return false;
    }
    scaledFrame.width = width;
    scaledFrame.height = height;
    scaledFrame.textureWidth = textureWidth;
    scaledFrame.textureHeight = textureHeight;
    return true;
}

// The frame drawn in the corner, over the whole window (as large as it is:
// a window manager may have had its say).
void showScaledFrame() {
    glPushAttrib(GL_ENABLE_BIT | GL_TEXTURE_BIT | GL_VIEWPORT_BIT | GL_CURRENT_BIT);
    glBindTexture(GL_TEXTURE_2D, scaledFrame.texture);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, scaledFrame.width, scaledFrame.height);
    glViewport(0, 0, glutGet(GLUT_WINDOW_WIDTH), glutGet(GLUT_WINDOW_HEIGHT));
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const float s = static_cast<float>(scaledFrame.width) / static_cast<float>(scaledFrame.textureWidth);
    const float t = static_cast<float>(scaledFrame.height) / static_cast<float>(scaledFrame.textureHeight);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2f(-1, -1);
    glTexCoord2f(s, 0);
    glVertex2f(1, -1);
    glTexCoord2f(s, t);
    glVertex2f(1, 1);
    glTexCoord2f(0, t);
    glVertex2f(-1, 1);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
}

}  // namespace

void createEasyGLWindow(int width, int height, int fullScreen) {
    win_Scale = platformDisplayScale();
    win_Width = width * win_Scale;
    win_Height = height * win_Scale;

    // GLUT sees a command line of its own, never the player's arguments.
    int argc = 1;
    char arg0[] = "x";
    char* argv[] = {arg0, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutInitWindowSize(win_Width, win_Height);
    glutCreateWindow(windowTitle);
    if (win_Scale > 1 && !makeScaledFrame(width, height)) {
        std::fprintf(stderr, "Velunda: this OpenGL has no texture of the window's size: "
                             "the window keeps its normal size\n");
        win_Scale = 1;
        win_Width = width;
        win_Height = height;
        glutReshapeWindow(width, height);
    }
    if (fullScreen != 0) {
        glutSetWindowTitle("Sudoku - Running");
        glutFullScreen();
    }
    // The handle is the window of the current context, not a search by
    // title, so it stays right after the title changes and when two copies run.
    hWnd = platformCurrentWindow();
    hInstance = nullptr;

    glShadeModel(GL_SMOOTH);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_COLOR_MATERIAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    initTrans();

    glutDisplayFunc(EasyDisplay);
    glutReshapeFunc(onResize);
    glutIdleFunc(EasyRender);
    glutKeyboardFunc(defKeyboard);
    glutSpecialFunc(defSpecialKey);
    glutMouseFunc(onMouseClick);
    glutPassiveMotionFunc(onMouseMove);
    glutMotionFunc(onMouseMoveClick);
    glutCloseFunc(onWindowClose);
    // Exit handlers run last registered first: this one before freeglut's.
    std::atexit(markProcessEnding);
}

void initEasyGL(int width, int height, int fullScreen) {
    createEasyGLWindow(width, height, fullScreen);
    glutMainLoop();
}

void onResize(int width, int height) {
    if (height == 0) height = 1;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 0.1, 100.0);
    gluLookAt(posCamera[0], posCamera[1], posCamera[2], posCamera[0] + los[0], posCamera[1] + los[1],
              posCamera[2] + los[2], 0.0, 1.0, 0.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glutSwapBuffers();
    // The window shows the clear colour now, whatever the state.
    redrawNextFrame();
}

void setOrtho() {
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    gluOrtho2D(0, 400, 0, 500);
    // y = 0 at the top edge, growing downward.
    glScalef(1.0f, -1.0f, 1.0f);
    glTranslatef(0.0f, -500.0f, 0.0f);
    glMatrixMode(GL_MODELVIEW);
}

void unsetOrtho() {
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}

void clearGraph() {
    if (scaledFrame.texture != 0)
        glViewport(0, 0, scaledFrame.width, scaledFrame.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void update() {
    if (scaledFrame.texture != 0) showScaledFrame();
    glutSwapBuffers();
}

void initTrans() {
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
}

void disTrans() {
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
}
