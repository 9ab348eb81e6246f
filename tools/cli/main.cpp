// velunda-cli: the game's engine for puzzle authors and batch work.

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "engine/safefile.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "explain.h"
#include "output.h"
#include "platform/platform.h"
#include "puzzle_input.h"
#include "print.h"
#include "puzzle_line.h"
#include "platform/workers.h"

namespace {

const char* const kUsage =
    "usage: velunda-cli generate [-n N] [--seed S] [--format line|sdk] [-j N]\n"
    "                            [--rating very-easy|easy|medium] [--attempts N]\n"
    "                            [--out DIR [--force]]\n"
    "       velunda-cli rate  [-j N] [FILE...]\n"
    "       velunda-cli solve [-j N] [FILE...]\n"
    "       velunda-cli check [-j N] [FILE...]\n"
    "       velunda-cli print [--per-page 1|2|4|6] [--solutions] [--title TEXT]\n"
    "                         [--paper a4|letter] -o OUT FILE...\n"
    "       velunda-cli explain [--mode rate|full] [--format text|json] [-j N] [FILE...]\n"
    "       velunda-cli hint [--format text|json] [FILE]\n"
    "\n"
    "generate  makes N new puzzles as the game does (from the puzzles in ./games,\n"
    "          else its built-in grid), each with its rating; --rating keeps only\n"
    "          puzzles of that rating, making at most --attempts (1000) for each;\n"
    "          --out writes each as a game file DIR/0001.sdk, ... (never over an\n"
    "          existing file without --force); -j N makes puzzle i from a seed of\n"
    "          its own, so any N gives the same puzzles\n"
    "rate      the rating: Very Easy, Easy, Medium, or not completed\n"
    "solve     the result of the full-strength logical solver\n"
    "check     conflicting cells, empty cells and the number of solutions of the\n"
    "          givens (0, 1 or \"2 or more\"), counted by exhaustive search\n"
    "explain   every step of the solve (rating mode, or full), each placement\n"
    "          with its technique and the exclusions it needed, then the verdict\n"
    "hint      for a game in progress: wrong entries, else the next step\n"
    "print     lays the puzzles out for paper: PDF (A4, or --paper letter), or SVG\n"
    "          or PNG by OUT's extension (one file a page, OUT-1.png, ..., when\n"
    "          there are several); --solutions adds answer pages at the end\n"
    "-j N      the work over N worker processes, the output the same for every\n"
    "          N (rate, solve, check and explain: one per processor unless -j is\n"
    "          given)\n"
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

// Puzzle i of a run with -j draws from a seed of its own, made from the
// run's seed and i (splitmix64), so that any number of workers gives the
// same puzzles.
unsigned puzzleSeed(unsigned long base, long index) {
    uint64_t x = (static_cast<uint64_t>(base) << 32) ^ static_cast<uint64_t>(index);
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return static_cast<unsigned>(x ^ (x >> 31));
}

struct generateOptions {
    std::string format = "line";
    int rating = -1;  // the rating to keep, or -1 for any
    long attempts = 1000;  // puzzles made at most for each one kept
    std::string out;  // the folder for game files, or empty
    bool force = false;
};

// The name of puzzle `index`'s game file in the --out folder.
std::string gameFileName(const std::string& folder, long index) {
    char name[32];
    std::snprintf(name, sizeof name, "%04ld.sdk", index + 1);
    return folder + "/" + name;
}

// The game file of the puzzle, as the game writes it.
std::string gameFileText(sudoku& puzzle) {
    char* data = nullptr;
    size_t size = 0;
    FILE* stream = open_memstream(&data, &size);
    if (stream == nullptr) return "";
    puzzle.savePuzzle(stream);
    std::fclose(stream);
    std::string text(data, size);
    std::free(data);
    return text;
}

bool writeText(FILE* file, void* context) {
    const std::string& text = *static_cast<const std::string*>(context);
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

// Makes puzzle `index` from `puzzle`'s generator as the game's "Random Game"
// does, until one of the asked rating comes or the attempts run out.
jobResult makePuzzle(sudoku& puzzle, long index, const generateOptions& options) {
    jobResult result;
    int rating = -1;
    long attempt = 0;
    for (; attempt < options.attempts; attempt++) {
        puzzle.newPuzzle(1);
        puzzle.savePuzzleForUndo();
        rating = puzzle.solvePuzzle(1);
        puzzle.undoPuzzle();
        if (options.rating < 0 || rating == options.rating) break;
    }
    if (attempt == options.attempts) {
        result.err = "velunda-cli: puzzle " + std::to_string(index + 1) + ": no " + ratingText(options.rating) +
                     " puzzle in " + std::to_string(options.attempts) +
                     (options.attempts == 1 ? " attempt" : " attempts") + " (--attempts sets the bound)\n";
        result.status = 1;
        return result;
    }
    if (rating < 0) result.status = 1;
    if (!options.out.empty()) {
        const std::string path = gameFileName(options.out, index);
        std::string text = gameFileText(puzzle);
        if (!writeFileSafely(path.c_str(), writeText, &text)) {
            result.err = "velunda-cli: " + shownName(path) + ": cannot write: " + std::strerror(errno) + "\n";
            result.status = 2;
            return result;
        }
        result.out = shownName(path) + ": " + ratingText(rating) + "\n";
    } else if (options.format == "line") {
        short cells[81];
        puzzle.returnPuzzle(cells);
        result.out = formatPuzzleLine(cells, ratingText(rating)) + "\n";
    } else {
        result.out = (index > 0 ? "\n" : "") + gameFileText(puzzle) + "Rating: " + ratingText(rating) + "\n";
    }
    return result;
}

// Makes the --out folder if it is not there, and makes sure no file of the
// run is there already unless --force is given.
bool prepareFolder(const generateOptions& options, long count) {
    struct stat info;
    if (stat(options.out.c_str(), &info) != 0) {
        if (mkdir(options.out.c_str(), 0777) != 0) {
            std::fprintf(stderr, "velunda-cli: %s: cannot make the folder: %s\n", shownName(options.out).c_str(),
                         std::strerror(errno));
            return false;
        }
        return true;
    }
    if (!S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "velunda-cli: %s: not a folder\n", shownName(options.out).c_str());
        return false;
    }
    if (options.force) return true;
    for (long i = 0; i < count; i++) {
        const std::string path = gameFileName(options.out, i);
        if (lstat(path.c_str(), &info) == 0) {
            std::fprintf(stderr, "velunda-cli: %s exists; nothing was written (--force replaces such files)\n",
                         shownName(path).c_str());
            return false;
        }
    }
    return true;
}

int generate(int argc, char** argv) {
    long count = 1, seed = -1;
    int workers = 0;  // 0: the game's own stream, without -j
    generateOptions options;
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool bad = false;
        if (workersOption(argc, argv, &i, &workers, &bad)) {
            if (bad) return usageError(kWorkersError);
        } else if (arg == "-n") {
            if (!parseCount(value, 0, 10000000, &count)) return usageError("-n needs a count from 0 to 10000000");
            i++;
        } else if (arg == "--seed") {
            if (!parseCount(value, 0, 4294967295L, &seed)) return usageError("--seed needs a number from 0 to 4294967295");
            i++;
        } else if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "line") != 0 && std::strcmp(value, "sdk") != 0))
                return usageError("--format is line or sdk");
            options.format = value;
            i++;
        } else if (arg == "--rating") {
            const std::string name = value != nullptr ? value : "";
            options.rating = name == "very-easy" ? 0 : name == "easy" ? 1 : name == "medium" ? 2 : -2;
            if (options.rating == -2) return usageError("--rating is very-easy, easy or medium");
            i++;
        } else if (arg == "--attempts") {
            if (!parseCount(value, 1, 100000000, &options.attempts))
                return usageError("--attempts needs a count from 1 to 100000000");
            i++;
        } else if (arg == "--out") {
            if (value == nullptr || *value == '\0') return usageError("--out needs a folder");
            options.out = value;
            i++;
        } else if (arg == "--force") {
            options.force = true;
        } else {
            return usageError("unknown option for generate: " + arg);
        }
    }
    if (!options.out.empty() && !prepareFolder(options, count)) return 2;

    sudoku puzzle;  // seeds the random generator with the time...
    if (seed >= 0) std::srand(static_cast<unsigned>(seed));  // ...unless a seed is asked for
    const unsigned long base = seed >= 0 ? static_cast<unsigned long>(seed) : static_cast<unsigned long>(std::time(nullptr));
    progress shown(count);
    int status = 0;
    const resultFunction deliver = [&](long index, const jobResult& result) {
        if (result.status > status) status = result.status;
        if (!result.out.empty()) {
            shown.beforeResult();
            if (!writeOut(result.out)) return false;
        }
        if (!result.err.empty()) {
            shown.clear();
            std::fflush(stdout);
            std::fputs(result.err.c_str(), stderr);
            return false;  // the bound, or a file not written, ends the run
        }
        shown.step(index + 1);
        return true;
    };
    if (workers == 0) {
        for (long n = 0; n < count; n++)
            if (!deliver(n, makePuzzle(puzzle, n, options))) break;
    } else {
        const jobFunction job = [&](long index) {
            sudoku own;
            std::srand(puzzleSeed(base, index));
            return makePuzzle(own, index, options);
        };
        if (!runJobs(count, workers, job, deliver)) status = 2;
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

// A puzzle as a worker's input: its place, a zero byte, its 81 cells (one
// byte each, the entries negative) and its author.
std::string encodePuzzle(const std::string& where, sudoku& puzzle) {
    short cells[81];
    char author[45] = {};
    puzzle.returnPuzzle(cells);
    puzzle.returnAuthor(author);
    author[44] = '\0';  // a 44-byte author comes without its end
    std::string input = where;
    input += '\0';
    for (short v : cells) input += static_cast<char>(v);
    return input + author;
}

// The puzzle again, as the reader made it: an empty one (copied, since
// constructing one reseeds rand() from the clock) with the givens placed,
// the entries guessed and the author set. *where is set to its place.
sudoku decodePuzzle(const std::string& input, std::string* where) {
    static const sudoku empty;
    sudoku puzzle = empty;
    const size_t cells = input.find('\0') + 1;
    *where = input.substr(0, cells - 1);
    for (int i = 0; i < 81; i++) {
        const int v = static_cast<signed char>(input[cells + static_cast<size_t>(i)]);
        if (v >= 1 && v <= 9) puzzle.solve_place(i / 9, i % 9, static_cast<short>(v));
        else if (v <= -1 && v >= -9) puzzle.guess(i / 9, i % 9, static_cast<short>(-v));
    }
    puzzle.setAuthor(input.substr(cells + 81).c_str());
    return puzzle;
}

// Runs `judge` over every puzzle of the files (or standard input), spread
// over the workers of -j, and combines the statuses of reading and of the
// puzzles.
int overPuzzles(int argc, char** argv, verdict (*judge)(sudoku&)) {
    std::vector<std::string> paths;
    int workers = defaultWorkers();
    for (int i = 0; i < argc; i++) {
        bool bad = false;
        if (workersOption(argc, argv, &i, &workers, &bad)) {
            if (bad) return usageError(kWorkersError);
            continue;
        }
        if (argv[i][0] == '-' && argv[i][1] != '\0') return usageError(std::string("unknown option: ") + argv[i]);
        paths.push_back(argv[i]);
    }
    if (paths.empty()) paths.push_back("-");

    // The progress line needs the total before the results: only then is
    // everything counted first.
    long total = 0;
    std::vector<puzzleFile> files(paths.size());
    std::vector<std::string> unreadable(paths.size());
    std::vector<bool> read(paths.size());
    const bool counting = platformStderrIsTerminal();
    if (counting)
        for (size_t f = 0; f < paths.size(); f++) {
            read[f] = readPuzzleFile(paths[f], &files[f], &unreadable[f]);
            if (read[f]) total += countPuzzles(files[f]);
        }
    progress shown(total);
    long done = 0;
    int status = 0;
    // Puzzles are judged by the workers while this process reads on;
    // messages met while reading keep their places among the results.
    const inputJob job = [&](const std::string& input) {
        std::string where;
        sudoku puzzle = decodePuzzle(input, &where);
        const verdict v = judge(puzzle);
        jobResult result;
        result.out = where + ": " + v.line + "\n";
        result.status = v.good ? 0 : 1;
        return result;
    };
    const resultFunction deliver = [&](long, const jobResult& result) {
        if (result.status > status) status = result.status;
        if (!result.err.empty()) {
            shown.clear();
            std::fflush(stdout);  // the message in its place among the results
            std::fputs(result.err.c_str(), stderr);
        }
        if (!result.out.empty()) {
            shown.beforeResult();
            if (!writeOut(result.out)) return false;
            shown.step(++done);
        }
        return true;
    };
    jobStream stream;
    startStream(&stream, workers, job, deliver);
    const auto message = [&](const std::string& line) {
        jobResult result;
        result.err = line;
        return queueResult(&stream, result);
    };

    for (size_t f = 0; f < paths.size() && stream.state == 1; f++) {
        if (!counting) read[f] = readPuzzleFile(paths[f], &files[f], &unreadable[f]);
        if (!read[f]) {
            status = 2;
            message(unreadable[f]);
            continue;
        }
        const int worst = readPuzzles(
            files[f], [&](const std::string& where, sudoku& puzzle) { return queueJob(&stream, encodePuzzle(where, puzzle)); },
            nullptr, [&](const std::string& line) { message(line); });
        if (worst > status) status = worst;
        files[f] = puzzleFile();  // read and handed over: its text is no longer needed
    }
    if (finishStream(&stream) < 0) status = 2;
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
    if (command == "print") return printPuzzles(argc - 2, argv + 2);
    return usageError("unknown command: " + command);
}
