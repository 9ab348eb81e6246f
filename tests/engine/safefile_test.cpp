#include "engine/safefile.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

struct SafeFileTest : ::testing::Test {
    std::string dir;
    void SetUp() override {
        char name[] = "/tmp/velunda-safefile-XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = name;
    }
    void TearDown() override { std::system(("chmod -R u+w " + dir + "; rm -rf " + dir).c_str()); }
    std::string path(const char* name) const { return dir + "/" + name; }
    std::string read(const std::string& file) const {
        std::ifstream in(file, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void put(const std::string& file, const std::string& text) const { std::ofstream(file, std::ios::binary) << text; }
    int entries() const {
        int n = 0;
        DIR* d = opendir(dir.c_str());
        while (dirent* e = readdir(d)) n += e->d_name[0] != '.';
        closedir(d);
        return n;
    }
};

bool writeText(FILE* file, void* text) {
    return std::fputs(static_cast<const char*>(text), file) >= 0;
}

bool writeNothingAndFail(FILE*, void*) {
    return false;
}

// A megabyte of text: more than the file size limit set below.
bool writeLarge(FILE* file, void*) {
    std::string line(1023, 'x');
    line += '\n';
    for (int i = 0; i < 1024; i++)
        if (std::fputs(line.c_str(), file) < 0) return false;
    return true;
}

mode_t modeOf(const std::string& file) {
    struct stat s;
    return stat(file.c_str(), &s) == 0 ? (s.st_mode & 07777) : 0;
}

}  // namespace

TEST_F(SafeFileTest, ReplacesTheOldFileAndLeavesNoTemporaryBehind) {
    put(path("game.sta"), "old");
    char text[] = "new text\n";
    EXPECT_TRUE(writeFileSafely(path("game.sta").c_str(), writeText, text));
    EXPECT_EQ(read(path("game.sta")), "new text\n");
    EXPECT_EQ(entries(), 1);
}

TEST_F(SafeFileTest, NewFileGetsPlainFopenModeAndReplacedFileKeepsItsMode) {
    mode_t old = umask(022);
    char text[] = "x";
    EXPECT_TRUE(writeFileSafely(path("new.sdk").c_str(), writeText, text));
    EXPECT_EQ(modeOf(path("new.sdk")), 0644u);
    put(path("kept.sdk"), "old");
    chmod(path("kept.sdk").c_str(), 0600);
    EXPECT_TRUE(writeFileSafely(path("kept.sdk").c_str(), writeText, text));
    EXPECT_EQ(modeOf(path("kept.sdk")), 0600u);
    umask(old);
}

TEST_F(SafeFileTest, AFailedWriteKeepsTheOldFileByteForByte) {
    put(path("game.sdk"), "old contents\n");
    EXPECT_FALSE(writeFileSafely(path("game.sdk").c_str(), writeNothingAndFail, nullptr));
    EXPECT_EQ(read(path("game.sdk")), "old contents\n");
    EXPECT_EQ(entries(), 1);
    // A folder that is not there cannot take the file.
    EXPECT_FALSE(writeFileSafely(path("missing/game.sdk").c_str(), writeNothingAndFail, nullptr));
}

TEST_F(SafeFileTest, AFileSizeLimitIsAFailureNotASuccess) {
    put(path("game.sta"), "old contents\n");
    // In a child: the limit and the ignored signal must not reach other tests.
    pid_t child = fork();
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
        _exit(writeFileSafely(path("game.sta").c_str(), writeLarge, nullptr) ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(read(path("game.sta")), "old contents\n");
    EXPECT_EQ(entries(), 1);
}

TEST_F(SafeFileTest, AReadOnlyFolderIsAFailure) {
    put(path("game.sta"), "old");
    chmod(dir.c_str(), 0555);
    // Root writes into any folder: the child drops to an ordinary user first.
    pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && setuid(65534) != 0) _exit(4);
        char text[] = "x";
        _exit(writeFileSafely(path("game.sta").c_str(), writeText, text) ? 0 : 3);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 3);
    EXPECT_EQ(read(path("game.sta")), "old");
}
