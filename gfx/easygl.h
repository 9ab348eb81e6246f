// The window, the fixed OpenGL state, the 400 x 500 virtual screen and the
// frame begin/end.
#ifndef VELUNDA_GFX_EASYGL_H
#define VELUNDA_GFX_EASYGL_H

// Creates the window, sets the fixed state, registers the callbacks and
// enters the GLUT main loop; never returns.
void initEasyGL(int width, int height, int fullScreen);
// All of initEasyGL but the main loop, for callers that drive the window
// themselves (tests).
void createEasyGLWindow(int width, int height, int fullScreen);

void onResize(int width, int height);
void setOrtho();
void unsetOrtho();
void clearGraph();
void update();
void initTrans();
void disTrans();

#endif
