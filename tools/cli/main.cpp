// velunda-cli: the game's engine for puzzle authors and batch work.

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "explain.h"
#include "platform/platform.h"
#include "puzzle_input.h"
#include "puzzle_line.h"

namespace {

const char* const kUsage =
    "usage: velunda-cli generate [-n N] [--seed S] [--format line|sdk]\n"
    "       velunda-cli rate  [FILE...]\n"
    "       velunda-cli solve [FILE...]\n"
    "       velunda-cli check [FILE...]\n"
    "       velunda-cli explain [--mode rate|full] [--format text|json] [FILE...]\n"
    "       velunda-cli hint [--format text|json] [FILE]\n"
    "\n"
    "generate  makes N new puzzles as the game does (from the puzzles in ./games,\n"
    "          else its built-in grid), each with its rating\n"
    "rate      the rating: Very Easy, Easy, Medium, or not completed\n"
    "solve     the result of the full-strength logical solver\n"
    "check     conflicting cells, empty cells and the number of solutions of the\n"
    "          givens (0, 1 or \"2 or more\"), counted by exhaustive search\n"
    "explain   every step of the solve (rating mode, or full), each placement\n"
    "          with its technique and the exclusions it needed, then the verdict\n"
    "hint      for a game in progress: wrong entries, else the next step\n"
    "\n"
    "FILE is a game (.sdk) or state (.sta) file, several game files one after\n"
    "another, or a list of puzzle lines: 81 cells ('1'-'9', '.' or '0' for an\n"
    "empty cell), then optionally blanks and a comment, as generate writes them.\n"
    "Without FILE, or with -, standard input is read the same way. The player's\n"
    "entries in a game or state file are set aside: rate, solve and check's count\n"
    "of solutions judge the givens, and say so; check reports conflicts of all.\n"
    "Exit status: 0 all good, 1 some puzzle invalid or not completed, 2 usage or I/O error.\n";

const char* const kRatings[] = {"Very Easy", "Easy", "Medium"};

// The progress line waits this long after the start, and between updates.
const int kProgressDelay = 1000;
const int kProgressInterval = 200;

int usageError(const std::string& message) {
    std::fprintf(stderr, "velunda-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

std::string ratingText(int rating) {
    return rating >= 0 && rating <= 2 ? kRatings[rating] : "not completed";
}

std::string cellName(int index) {
    return "r" + std::to_string(index / 9 + 1) + "c" + std::to_string(index % 9 + 1);
}

// Standard output, whose every write is checked: once one fails the run stops.
bool outputFailed = false;
int outputError = 0;

bool writeOut(const std::string& text) {
    if (outputFailed) return false;
    errno = 0;
    if (std::fputs(text.c_str(), stdout) == EOF || std::ferror(stdout)) {
        outputFailed = true;
        outputError = errno;
    }
    return !outputFailed;
}

// Flushes standard output; `status`, or 2 with a message if `what` could not
// all be written.
int finishOutput(const char* what, int status) {
    errno = 0;
    if (!outputFailed && (std::fflush(stdout) != 0 || std::ferror(stdout))) {
        outputFailed = true;
        outputError = errno;
    }
    if (!outputFailed) return status;
    std::fprintf(stderr, "velunda-cli: cannot write %s: %s\n", what,
                 outputError != 0 ? std::strerror(outputError) : "write error");
    return 2;
}

// "velunda-cli: 120 of 5000" on a terminal once a run has taken a while. It
// is erased before any message, and before any result when the results go to
// a terminal too, so that results and progress never share a line.
class progress {
public:
    explicit progress(long total)
        : total(total), terminal(platformStderrIsTerminal()), resultsOnTerminal(platformStdoutIsTerminal()) {}
    ~progress() { clear(); }

    void step(long done) {
        if (!terminal) return;
        const int now = platformClock();  // milliseconds since the program started
        if (now < kProgressDelay || (lastShown >= 0 && now - lastShown < kProgressInterval)) return;
        std::fflush(stdout);  // the results so far go first
        char line[64];
        std::snprintf(line, sizeof line, "velunda-cli: %ld of %ld", done, total);
        clear();
        std::fprintf(stderr, "\r%s", line);
        std::fflush(stderr);
        width = static_cast<int>(std::strlen(line));
        lastShown = now;
    }
    void clear() {
        if (width == 0) return;
        std::fprintf(stderr, "\r%*s\r", width, "");
        std::fflush(stderr);
        width = 0;
    }
    void beforeResult() {
        if (resultsOnTerminal) clear();
    }

private:
    long total;
    bool terminal, resultsOnTerminal;
    int lastShown = -1, width = 0;
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
    progress shown(count);
    int status = 0;
    for (long n = 0; n < count && !outputFailed; n++) {
        // As the game's "Random Game" makes and rates a puzzle.
        puzzle.newPuzzle(1);
        puzzle.savePuzzleForUndo();
        int rating = puzzle.solvePuzzle(1);
        puzzle.undoPuzzle();
        if (rating < 0) status = 1;
        shown.beforeResult();
        if (format == "line") {
            short cells[81];
            puzzle.returnPuzzle(cells);
            writeOut(formatPuzzleLine(cells, ratingText(rating)) + "\n");
        } else {
            if (n > 0) writeOut("\n");
            puzzle.savePuzzle(stdout);
            writeOut("Rating: " + ratingText(rating) + "\n");
        }
        shown.step(n + 1);
    }
    shown.clear();
    return finishOutput("the puzzles", status);
}

// The player's entries set aside: the grid of the givens, and how many
// entries there were.
int setAsideEntries(sudoku* puzzle) {
    short cells[81];
    puzzle->returnPuzzle(cells);
    int entries = 0;
    for (short v : cells)
        if (v <= -1 && v >= -9) entries++;
    puzzle->resetPuzzle();
    return entries;
}

std::string entriesText(int entries) {
    return std::to_string(entries) + (entries == 1 ? " entry" : " entries") + " set aside";
}

std::string givensNote(int entries) {
    return entries == 0 ? "" : " (givens only; " + entriesText(entries) + ")";
}

// What a command says of one puzzle.
struct verdict {
    std::string line;  // without the place and the line end
    bool good;
};

verdict rate(sudoku& puzzle) {
    sudoku givens = puzzle;
    const std::string note = givensNote(setAsideEntries(&givens));
    if (givens.invalidPuzzle(nullptr)) return {"invalid (a digit repeats)" + note, false};
    const int rating = givens.solvePuzzle(1);
    return {ratingText(rating) + note, rating >= 0};
}

verdict solve(sudoku& puzzle) {
    sudoku givens = puzzle;
    const std::string note = givensNote(setAsideEntries(&givens));
    // "solved" only over a full grid without conflicts.
    const bool solved = givens.solvePuzzle(0) == -2 && givens.isSolvedPuzzle(nullptr) == 1;
    short cells[81];
    givens.returnPuzzle(cells);
    return {std::string(solved ? "solved " : "not completed ") + formatPuzzleLine(cells) + note, solved};
}

verdict check(sudoku& puzzle) {
    short conflicts[81], cells[81];
    puzzle.invalidPuzzle(conflicts);  // the player's entries included
    puzzle.returnPuzzle(cells);
    std::string conflictText;
    int empty = 0, entries = 0;
    for (int i = 0; i < 81; i++) {
        if (conflicts[i]) conflictText += " " + cellName(i);
        if (!isCellDigit(cells[i])) empty++;
        if (cells[i] <= -1 && cells[i] >= -9) entries++;
    }
    const int solutions = countSolutions(cells, 2);  // of the givens alone
    std::string line = (conflictText.empty() ? "no conflicts" : "conflicts at" + conflictText) + ", " +
                       std::to_string(empty) + " empty cells, solutions: " +
                       (solutions == 0 ? "0" : solutions == 1 ? "1" : "2 or more");
    if (entries > 0) line += " (of the givens; " + entriesText(entries) + ")";
    return {line, conflictText.empty() && solutions == 1};
}

// Runs `judge` over every puzzle of the files (or standard input) and
// combines the statuses of reading and of the puzzles.
int overPuzzles(int argc, char** argv, verdict (*judge)(sudoku&)) {
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        if (argv[i][0] == '-' && argv[i][1] != '\0') return usageError(std::string("unknown option: ") + argv[i]);
        paths.push_back(argv[i]);
    }
    if (paths.empty()) paths.push_back("-");

    // Everything is read first, so that the progress line knows the total.
    int status = 0;
    std::vector<puzzleFile> files;
    long total = 0;
    for (const std::string& path : paths) {
        puzzleFile file;
        if (!readPuzzleFile(path, &file)) {
            status = 2;
            continue;
        }
        total += countPuzzles(file);
        files.push_back(std::move(file));
    }

    progress shown(total);
    long done = 0;
    for (const puzzleFile& file : files) {
        const int read = readPuzzles(
            file,
            [&](const std::string& where, sudoku& puzzle) {
                const verdict result = judge(puzzle);
                if (!result.good && status < 1) status = 1;
                shown.beforeResult();
                if (!writeOut(where + ": " + result.line + "\n")) return false;
                shown.step(++done);
                return true;
            },
            [&] { shown.clear(); });
        if (read > status) status = read;
        if (outputFailed) break;
    }
    shown.clear();
    return finishOutput("the results", status);
}

}  // namespace

int main(int argc, char** argv) {
    platformClock();  // the clock starts with the program
    if (argc < 2) return usageError("a command is needed");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        writeOut(kUsage);
        return finishOutput("the help", 0);
    }
    if (command == "generate") return generate(argc - 2, argv + 2);
    if (command == "rate") return overPuzzles(argc - 2, argv + 2, rate);
    if (command == "solve") return overPuzzles(argc - 2, argv + 2, solve);
    if (command == "check") return overPuzzles(argc - 2, argv + 2, check);
    if (command == "explain") return explainCommand(argc - 2, argv + 2);
    if (command == "hint") return hintCommand(argc - 2, argv + 2);
    return usageError("unknown command: " + command);
}
