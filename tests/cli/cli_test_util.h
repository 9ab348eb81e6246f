// What the velunda-cli tests share: shell quoting, reading what the tool
// wrote, and the game's built-in grid.
#ifndef VELUNDA_TESTS_CLI_UTIL_H
#define VELUNDA_TESTS_CLI_UTIL_H

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace clitest {

inline std::string quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The game's built-in grid: unique, and easy.
const std::string kEasy = std::string(".........") + "..783...." + "..5..264." + "..26...7." + ".4.....8." +
                          ".6...32.." + ".284..5.." + "....961.." + ".........";

// velunda-cli (`cli`) with `args` (already quoted), `input` on standard
// input: its standard output and exit status.
struct cliRun {
    std::string out;
    int status = -1;
};

inline cliRun runCli(const std::string& cli, const std::string& args, const std::string& input = "") {
    char inName[] = "/tmp/velunda-cli-input-XXXXXX";
    cliRun r;
    const int fd = mkstemp(inName);
    if (fd < 0) return r;
    FILE* in = fdopen(fd, "w");
    std::fwrite(input.data(), 1, input.size(), in);
    std::fclose(in);
    if (FILE* pipe = popen((quote(cli) + " " + args + " <" + inName).c_str(), "r")) {
        char buffer[65536];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
        const int status = pclose(pipe);
        r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::remove(inName);
    return r;
}

}  // namespace clitest

#endif
