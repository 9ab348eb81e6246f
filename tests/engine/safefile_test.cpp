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
#include <utility>
#include <vector>

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
    std::string shellOutput(const std::string& command) const {
        std::string out;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[256];
            while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) out.append(buffer, n);
            pclose(pipe);
        }
        return out;
    }
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

namespace {

bool isLink(const std::string& file) {
    struct stat s;
    return lstat(file.c_str(), &s) == 0 && S_ISLNK(s.st_mode);
}

}  // namespace

// A file kept as a symbolic link (a shared settings file, a game kept
// elsewhere) is written where the link points; the link stays a link.
TEST_F(SafeFileTest, WritesThroughSymbolicLinksAndKeepsThem) {
    ASSERT_EQ(mkdir(path("elsewhere").c_str(), 0755), 0);
    ASSERT_EQ(mkdir(path("games").c_str(), 0755), 0);
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link, what it holds
        std::string written;                                     // the link written through
        std::string target;                                      // the file that gets the text
        bool targetExisted;
    } cases[] = {
        {"beside", {{"Velunda.inf", "inf-target"}}, "Velunda.inf", "inf-target", true},
        {"another folder, relative", {{"games/quit.sta", "../elsewhere/q.sta"}}, "games/quit.sta", "elsewhere/q.sta",
         true},
        {"absolute", {{"abs.sdk", dir + "/elsewhere/abs.sdk"}}, "abs.sdk", "elsewhere/abs.sdk", true},
        {"link to a link", {{"one.sta", "two.sta"}, {"two.sta", "elsewhere/three.sta"}}, "one.sta",
         "elsewhere/three.sta", true},
        {"dangling", {{"new.sta", "elsewhere/made.sta"}}, "new.sta", "elsewhere/made.sta", false},
    };
    const mode_t oldMask = umask(022);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& link : c.links) ASSERT_EQ(symlink(link.second.c_str(), path(link.first.c_str()).c_str()), 0);
        if (c.targetExisted) {
            put(path(c.target.c_str()), "old");
            chmod(path(c.target.c_str()).c_str(), 0600);
        }
        char text[] = "new text\n";
        EXPECT_TRUE(writeFileSafely(path(c.written.c_str()).c_str(), writeText, text));
        EXPECT_EQ(read(path(c.target.c_str())), "new text\n");
        for (const auto& link : c.links) EXPECT_TRUE(isLink(path(link.first.c_str()))) << link.first;
        // A replaced file keeps its mode; a new one gets what fopen gives.
        EXPECT_EQ(modeOf(path(c.target.c_str())), c.targetExisted ? 0600u : 0644u);
    }
    umask(oldMask);
    // The five targets and no temporary file anywhere.
    EXPECT_EQ(shellOutput("find " + dir + " -type f | wc -l"), "5\n") << shellOutput("find " + dir);
}

// Where following the links cannot end at a file that can be replaced,
// nothing is written and every link stays as it was.
TEST_F(SafeFileTest, ALinkLoopOrALinkToNoFileIsAFailure) {
    ASSERT_EQ(symlink("loop-b", path("loop-a").c_str()), 0);
    ASSERT_EQ(symlink("loop-a", path("loop-b").c_str()), 0);
    ASSERT_EQ(symlink("missing/game.sta", path("nowhere.sta").c_str()), 0);
    ASSERT_EQ(mkfifo(path("fifo").c_str(), 0644), 0);
    ASSERT_EQ(symlink("fifo", path("to-fifo.sta").c_str()), 0);
    ASSERT_EQ(mkdir(path("folder").c_str(), 0755), 0);
    ASSERT_EQ(symlink("folder", path("to-folder.sta").c_str()), 0);
    char text[] = "x";
    for (const char* name : {"loop-a", "nowhere.sta", "to-fifo.sta", "to-folder.sta"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(writeFileSafely(path(name).c_str(), writeText, text));
        EXPECT_TRUE(isLink(path(name)));
    }
    EXPECT_EQ(entries(), 7) << "no temporary file left";
    struct stat s;
    EXPECT_TRUE(stat(path("fifo").c_str(), &s) == 0 && S_ISFIFO(s.st_mode));
}
