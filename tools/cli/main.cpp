// velunda-cli: the game's engine for puzzle authors and batch work.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "platform/platform.h"
#include "puzzle_input.h"

namespace {

const char* const kUsage =
    "usage: velunda-cli generate [-n N] [--seed S] [--format line|sdk]\n"
    "       velunda-cli rate  [FILE...]\n"
    "       velunda-cli solve [FILE...]\n"
    "       velunda-cli check [FILE...]\n"
    "\n"
    "generate  makes N new puzzles as the game does (from the puzzles in ./games,\n"
    "          else its built-in grid), each with its rating\n"
    "rate      the rating: Very Easy, Easy, Medium, or not completed\n"
    "solve     the result of the full-strength logical solver\n"
    "check     conflicting cells, empty cells and the number of solutions of the\n"
    "          givens (0, 1 or \"2 or more\"), counted by exhaustive search\n"
    "\n"
    "FILE is a game (.sdk) or state (.sta) file, or a list of puzzles, one per\n"
    "81-character line ('.' or '0' for an empty cell). Without FILE, or with -,\n"
    "the lines are read from standard input.\n"
    "Exit status: 0 all good, 1 some puzzle invalid or not completed, 2 usage or I/O error.\n";

const char* const kRatings[] = {"Very Easy", "Easy", "Medium"};

int usageError(const std::string& message) {
    std::fprintf(stderr, "velunda-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

std::string ratingText(int rating) {
    return rating >= 0 && rating <= 2 ? kRatings[rating] : "not completed";
}

// The grid as one line: digits, '.' for an open cell (entries included).
std::string gridLine(sudoku& puzzle) {
    short cells[81];
    puzzle.returnPuzzle(cells);
    std::string line;
    for (short v : cells) line += v >= 1 && v <= 9 ? static_cast<char>('0' + v) : '.';
    return line;
}

std::string cellName(int index) {
    return "r" + std::to_string(index / 9 + 1) + "c" + std::to_string(index % 9 + 1);
}

// Reports progress on a terminal once a run has taken a while.
class progress {
public:
    explicit progress(int total) : total(total), start(platformClock()), shown(false) {}
    void step(int done) {
        if (!platformStderrIsTerminal()) return;
        int now = platformClock();
        if (now - start < 1000 || (shown && now - lastShown < 200)) return;
        std::fprintf(stderr, "\rvelunda-cli: %d of %d", done, total);
        std::fflush(stderr);
        shown = true;
        lastShown = now;
    }
    ~progress() {
        if (shown) std::fprintf(stderr, "\r%40s\r", "");
    }

private:
    int total, start, lastShown = 0;
    bool shown;
};

bool parseCount(const char* text, long low, long high, long* out) {
    if (text == nullptr || *text == '\0') return false;
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || value < low || value > high) return false;
    *out = value;
    return true;
}

int generate(int argc, char** argv) {
    long count = 1, seed = -1;
    std::string format = "line";
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "-n") {
            if (!parseCount(value, 0, 10000000, &count)) return usageError("-n needs a count from 0 to 10000000");
            i++;
        } else if (arg == "--seed") {
            if (!parseCount(value, 0, 4294967295L, &seed)) return usageError("--seed needs a number from 0 to 4294967295");
            i++;
        } else if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "line") != 0 && std::strcmp(value, "sdk") != 0))
                return usageError("--format is line or sdk");
            format = value;
            i++;
        } else {
            return usageError("unknown option for generate: " + arg);
        }
    }

    sudoku puzzle;  // seeds the random generator with the time...
    if (seed >= 0) std::srand(static_cast<unsigned>(seed));  // ...unless a seed is asked for
    progress shown(static_cast<int>(count));
    int status = 0;
    for (long n = 0; n < count; n++) {
        // As the game's "Random Game" makes and rates a puzzle.
        puzzle.newPuzzle(1);
        puzzle.savePuzzleForUndo();
        int rating = puzzle.solvePuzzle(1);
        puzzle.undoPuzzle();
        if (rating < 0) status = 1;
        if (format == "line") {
            std::printf("%s %s\n", gridLine(puzzle).c_str(), ratingText(rating).c_str());
        } else {
            if (n > 0) std::printf("\n");
            puzzle.savePuzzle(stdout);
            std::printf("Rating: %s\n", ratingText(rating).c_str());
        }
        shown.step(static_cast<int>(n + 1));
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "velunda-cli: cannot write the puzzles: %s\n", std::strerror(errno));
        return 2;
    }
    return status;
}

// Runs `handle` over every puzzle of the files (or standard input) and
// combines the statuses of reading and of the puzzles.
int overPuzzles(int argc, char** argv, const std::function<bool(const std::string&, sudoku&)>& handle) {
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        if (argv[i][0] == '-' && argv[i][1] != '\0') return usageError(std::string("unknown option: ") + argv[i]);
        paths.push_back(argv[i]);
    }
    if (paths.empty()) paths.push_back("-");
    int status = 0;
    int done = 0;
    progress shown(0);
    for (const std::string& path : paths) {
        int read = readPuzzles(path, [&](const std::string& where, sudoku& puzzle) {
            if (!handle(where, puzzle) && status < 1) status = 1;
            shown.step(++done);
        });
        if (read > status) status = read;
    }
    std::fflush(stdout);
    return status;
}

bool rate(const std::string& where, sudoku& puzzle) {
    if (puzzle.invalidPuzzle(nullptr)) {
        std::printf("%s: invalid (a digit repeats)\n", where.c_str());
        return false;
    }
    int rating = puzzle.solvePuzzle(1);
    std::printf("%s: %s\n", where.c_str(), ratingText(rating).c_str());
    return rating >= 0;
}

bool solve(const std::string& where, sudoku& puzzle) {
    bool solved = puzzle.solvePuzzle(0) == -2;
    std::printf("%s: %s %s\n", where.c_str(), solved ? "solved" : "not completed", gridLine(puzzle).c_str());
    return solved;
}

bool check(const std::string& where, sudoku& puzzle) {
    short conflicts[81], cells[81];
    puzzle.invalidPuzzle(conflicts);
    puzzle.returnPuzzle(cells);
    std::string conflictText;
    int empty = 0;
    for (int i = 0; i < 81; i++) {
        if (conflicts[i]) conflictText += " " + cellName(i);
        if (!isCellDigit(cells[i])) empty++;
    }
    int solutions = countSolutions(cells, 2);
    std::printf("%s: %s, %d empty cells, solutions: %s\n", where.c_str(),
                conflictText.empty() ? "no conflicts" : ("conflicts at" + conflictText).c_str(), empty,
                solutions == 0 ? "0" : solutions == 1 ? "1" : "2 or more");
    return conflictText.empty() && solutions == 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return usageError("a command is needed");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "generate") return generate(argc - 2, argv + 2);
    if (command == "rate") return overPuzzles(argc - 2, argv + 2, rate);
    if (command == "solve") return overPuzzles(argc - 2, argv + 2, solve);
    if (command == "check") return overPuzzles(argc - 2, argv + 2, check);
    return usageError("unknown command: " + command);
}
