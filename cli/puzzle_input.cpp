#include "puzzle_input.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "output.h"
#include "puzzle_line.h"

namespace {

const size_t kMaxInput = 256u << 20;  // nobody's puzzle list is larger

// A message on stderr, or into *sink when one is given.
void complain(const std::string& where, const std::string& what, std::string* sink = nullptr) {
    const std::string line = "velunda-cli: " + where + ": " + what + "\n";
    if (sink != nullptr) *sink += line;
    else std::fputs(line.c_str(), stderr);
}

}  // namespace

bool readPuzzleFile(const std::string& path, puzzleFile* file, std::string* message) {
    file->name = path == "-" ? "stdin" : shownName(path);
    file->text.clear();
    FILE* stream = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        complain(file->name, std::string("cannot open: ") + std::strerror(errno), message);
        return false;
    }
    // A regular file is read in one piece: growing the text as it comes
    // copies a large list several times over before any work can start.
    struct stat status;
    if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        static_cast<unsigned long long>(status.st_size) < kMaxInput)
        file->text.reserve(static_cast<size_t>(status.st_size) + 1);
    char buffer[65536];
    size_t n;
    errno = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0 && file->text.size() < kMaxInput)
        file->text.append(buffer, n);
    const bool failed = std::ferror(stream) != 0;
    const int error = errno;
    if (stream != stdin) std::fclose(stream);
    if (failed) {
        complain(file->name, std::string("cannot read: ") + std::strerror(error), message);
        return false;
    }
    if (file->text.size() >= kMaxInput) {
        complain(file->name, "too large to be a puzzle file", message);
        return false;
    }
    return true;
}

int countPuzzles(const puzzleFile& file) {
    int puzzles = 0;
    readPuzzleText(file.text, parsePuzzleLine, [&](const textPuzzle&) { return ++puzzles > 0; }, nullptr);
    return puzzles;
}

inputStatus readPuzzles(const puzzleFile& file, const puzzleHandler& handle, const messageHandler& onMessage) {
    // Whether the file is one game file and nothing else: two puzzles settle it.
    int puzzles = 0;
    bool gameFile = false;
    readPuzzleText(file.text, parsePuzzleLine,
                   [&](const textPuzzle& puzzle) {
                       gameFile = puzzle.gameFile;
                       return ++puzzles < 2;
                   },
                   nullptr);
    const bool single = puzzles == 1 && gameFile;
    const auto take = [&](const textPuzzle& puzzle) {
        return handle(single ? file.name : file.name + ":" + std::to_string(puzzle.line), puzzle);
    };
    const auto problem = [&](int line, const std::string& what) {
        std::string message;
        complain(line == 0 ? file.name : file.name + ":" + std::to_string(line), what, &message);
        if (onMessage) onMessage(message);
        else std::fputs(message.c_str(), stderr);
    };
    return readPuzzleText(file.text, parsePuzzleLine, take, problem) ? inputGood : inputBadPuzzle;
}

inputStatus readPuzzleFiles(const std::vector<std::string>& paths, const puzzleHandler& handle) {
    inputStatus status = inputGood;
    for (const std::string& path : paths) {
        puzzleFile file;
        if (!readPuzzleFile(path, &file)) {
            status = inputUnreadable;
            continue;
        }
        const inputStatus read = readPuzzles(file, handle);
        if (read > status) status = read;
    }
    return status;
}
