// A process that opened the game window ends with its own exit status and
// writes nothing: freeglut's exit handler destroys the window, which must not
// count as the player closing it.
#include <gtest/gtest.h>

#include <GL/freeglut.h>
#include <sys/wait.h>
#include <unistd.h>

#include "gfx/easygl.h"
#include "harness.h"

namespace {

TEST(ProcessEnd, KeepsItsStatusAndWritesNoQuitState) {
    win::Scratch folder;
    // The window lives in a child, so this process keeps no X connection.
    pid_t child = fork();
    if (child == 0) {
        if (chdir(folder.dir.c_str()) != 0) _exit(10);
        createEasyGLWindow(400, 500, 0);
        for (int i = 0; i < 20; i++) glutMainLoopEvent();
        std::exit(3);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(access(folder.path("games/quit.sta").c_str(), F_OK), -1);
    EXPECT_EQ(access(folder.path("Velunda.inf").c_str(), F_OK), -1);
}

}  // namespace
