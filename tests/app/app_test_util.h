// Helpers for start-up, quit and signal tests: a scratch working folder,
// running code in a child process (exit(), identities, signals stay out of
// the test), and an ordinary user for permission cases (root reads and
// writes everything).
#ifndef VELUNDA_TESTS_APP_TEST_UTIL_H
#define VELUNDA_TESTS_APP_TEST_UTIL_H

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace apptest {

inline std::string readFile(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void writeFile(const std::string& name, const std::string& text) {
    std::ofstream(name, std::ios::binary) << text;
}

inline bool isRegular(const std::string& name) {
    struct stat info;
    return lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

inline bool isFifo(const std::string& name) {
    struct stat info;
    return lstat(name.c_str(), &info) == 0 && S_ISFIFO(info.st_mode);
}

// Bytes that are no text: NULs, control characters and high bytes.
inline std::string junk(int size) {
    std::string out;
    for (int i = 0; i < size; i++) out += static_cast<char>((i * 97 + 13) % 256);
    return out;
}

// Runs body in a child process and returns its exit status (128 + signal
// when killed, 255 when it ran longer than timeoutSeconds: a hang).
inline int inChild(const std::function<int()>& body, unsigned timeoutSeconds = 30) {
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        alarm(timeoutSeconds);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) return 255;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// In a child: hands the working folder to an ordinary user and becomes
// that user, so that permissions hold. False if that failed.
inline bool becomeOrdinaryUser() {
    if (geteuid() != 0) return true;
    if (std::system("chown -R 65534:65534 .") != 0) return false;
    return setgid(65534) == 0 && setuid(65534) == 0;
}

// A fresh working folder with games/ in it, entered for the test and removed after.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velunda-app-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
        ASSERT_NE(getcwd(oldDir, sizeof oldDir), nullptr);
        ASSERT_EQ(chdir(dir.c_str()), 0);
        ASSERT_EQ(mkdir("games", 0755), 0);
    }
    void TearDown() override {
        ASSERT_EQ(chdir(oldDir), 0);
        std::system(("chmod -R u+rwx '" + dir + "'; rm -rf '" + dir + "'").c_str());
    }
    // What the folder holds, for a failure message.
    std::string listing() { return "\n" + shell("ls -laR"); }
    static std::string shell(const std::string& command) {
        std::string out;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return out;
        char buffer[1024];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
        pclose(pipe);
        return out;
    }

    std::string dir;
    char oldDir[4096];
};

}  // namespace apptest

#endif
