#include "easygl.h"

#include <GL/freeglut.h>
#include <GL/glu.h>

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

void createEasyGLWindow(int width, int height, int fullScreen) {
    win_Width = width;
    win_Height = height;

    // GLUT sees a command line of its own, never the player's arguments.
    int argc = 1;
    char arg0[] = "x";
    char* argv[] = {arg0, nullptr};
    glutInit(&argc, argv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_CONTINUE_EXECUTION);
    glutInitDisplayMode(GLUT_DOUBLE | GLUT_RGB);
    glutInitWindowSize(width, height);
    glutCreateWindow(windowTitle);
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

    glutDisplayFunc(EasyRender);
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
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void update() {
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
