// The window's fixed OpenGL state, the base view and the virtual-screen
// bracket, checked inside a process that owns the window.
#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cmath>

#include "app/globals.h"
#include "fake_platform.h"
#include "gfx/easygl.h"

namespace {

class EasyGL : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        resetFakePlatform();
        createEasyGLWindow(400, 500, 0);
        // The window must exist before its context answers reliably.
        for (int i = 0; i < 20; i++) glutMainLoopEvent();
    }
    static int depth(GLenum which) {
        GLint d = 0;
        glGetIntegerv(which, &d);
        return d;
    }
};

TEST_F(EasyGL, StoresSizeAndHandle) {
    EXPECT_EQ(win_Width, 400);
    EXPECT_EQ(win_Height, 500);
    EXPECT_EQ(hWnd, fake.window);
    EXPECT_EQ(fakeCallCount("currentWindow"), 1);
}

TEST_F(EasyGL, FixedStateLeavesBlendingOnAndDepthTestOff) {
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    GLint v = 0;
    glGetIntegerv(GL_BLEND_SRC, &v);
    EXPECT_EQ(v, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST, &v);
    EXPECT_EQ(v, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_DEPTH_FUNC, &v);
    EXPECT_EQ(v, GL_LEQUAL);
    glGetIntegerv(GL_SHADE_MODEL, &v);
    EXPECT_EQ(v, GL_SMOOTH);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(clear[3], 0.5f);

    disTrans();
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    initTrans();
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
}

TEST_F(EasyGL, ResizeToZeroHeightUsesOne) {
    onResize(400, 0);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 400);
    EXPECT_EQ(viewport[3], 1);
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (float x : m) EXPECT_TRUE(std::isfinite(x));
    onResize(400, 500);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 500);
}

TEST_F(EasyGL, OrthoBracketRestoresBothStacks) {
    onResize(400, 500);
    GLfloat before[16], after[16];
    glGetFloatv(GL_PROJECTION_MATRIX, before);
    int projection = depth(GL_PROJECTION_STACK_DEPTH), modelview = depth(GL_MODELVIEW_STACK_DEPTH);

    setOrtho();
    // Inside, virtual (0, 0) is the top-left and (400, 500) the bottom-right
    // corner of normalised device space.
    GLfloat p[16];
    glGetFloatv(GL_PROJECTION_MATRIX, p);
    EXPECT_NEAR(p[0] * 0 + p[12], -1.0f, 1e-5);
    EXPECT_NEAR(p[5] * 0 + p[13], 1.0f, 1e-5);
    EXPECT_NEAR(p[0] * 400 + p[12], 1.0f, 1e-5);
    EXPECT_NEAR(p[5] * 500 + p[13], -1.0f, 1e-5);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    unsetOrtho();

    glGetFloatv(GL_PROJECTION_MATRIX, after);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(before[i], after[i]);
    EXPECT_EQ(depth(GL_PROJECTION_STACK_DEPTH), projection);
    EXPECT_EQ(depth(GL_MODELVIEW_STACK_DEPTH), modelview);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
