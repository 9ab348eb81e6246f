#include "generate.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "engine/authoring.h"
#include "engine/ladder/maker.h"
#include "engine/safefile.h"
#include "engine/sudoku.h"
#include "output.h"
#include "puzzle_line.h"
#include "scheduler.h"

namespace {

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
    long count = 1, seed = -1;
    int workers = 0;  // 0: the game's own stream, without -j
    std::string format = "line";
    int rating = -1;  // the rating to keep (a ladder level), or -1 for any
    long attempts = 1000;  // puzzles made at most for each one kept
    std::string out;  // the folder for game files, or empty
    bool force = false;
};

// Reads the options into *options; 0, or the exit status of a usage error.
int parseOptions(int argc, char** argv, generateOptions* options) {
    for (int i = 0; i < argc; i++) {
        std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool bad = false;
        if (workersOption(argc, argv, &i, &options->workers, &bad)) {
            if (bad) return usageError(kWorkersError);
        } else if (arg == "-n") {
            if (!parseCount(value, 0, 10000000, &options->count))
                return usageError("-n needs a count from 0 to 10000000");
            i++;
        } else if (arg == "--seed") {
            if (!parseCount(value, 0, 4294967295L, &options->seed))
                return usageError("--seed needs a number from 0 to 4294967295");
            i++;
        } else if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "line") != 0 && std::strcmp(value, "sdk") != 0))
                return usageError("--format is line or sdk");
            options->format = value;
            i++;
        } else if (arg == "--rating") {
            const std::string name = value != nullptr ? value : "";
            options->rating = name == "very-easy" ? levelVeryEasy : name == "easy" ? levelEasy : name == "medium" ? levelMedium
                              : name == "hard" ? levelHard : name == "expert" ? levelExpert : name == "extreme" ? levelExtreme
                                                                                                                : -2;
            if (options->rating == -2) return usageError("--rating is very-easy, easy, medium, hard, expert or extreme");
            i++;
        } else if (arg == "--attempts") {
            if (!parseCount(value, 1, 100000000, &options->attempts))
                return usageError("--attempts needs a count from 1 to 100000000");
            i++;
        } else if (arg == "--out") {
            if (value == nullptr || *value == '\0') return usageError("--out needs a folder");
            options->out = value;
            i++;
        } else if (arg == "--force") {
            options->force = true;
        } else {
            return usageError("unknown option for generate: " + arg);
        }
    }
    return 0;
}

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

std::string noPuzzleText(long index, const std::string& rating, long attempts) {
    return "velunda-cli: puzzle " + std::to_string(index + 1) + ": no " + rating + " puzzle in " +
           std::to_string(attempts) + (attempts == 1 ? " attempt" : " attempts") + " (--attempts sets the bound)\n";
}

jobResult puzzleResult(sudoku& puzzle, long index, const std::string& rating, const generateOptions& options,
                       jobResult result);

// Makes puzzle `index` from `puzzle`'s generator as the game's "Random Game"
// does, until one of the asked rating comes or the attempts run out.
jobResult makePuzzle(sudoku& puzzle, long index, const generateOptions& options) {
    jobResult result;
    int rating = -1;
    long attempt = 0;
    for (; attempt < options.attempts; attempt++) {
        rating = makeRatedPuzzle(&puzzle);
        if (options.rating < 0 || rating == options.rating) break;
    }
    if (attempt == options.attempts) {
        result.err = noPuzzleText(index, ratingName(options.rating), options.attempts);
        result.status = 1;
        return result;
    }
    if (rating < 0) result.status = 1;
    return puzzleResult(puzzle, index, ratingName(rating), options, result);
}

// Makes puzzle `index` of a level above the game's from the random stream
// of its own seed, until one of that level comes or the attempts run out.
jobResult makeLadderPuzzle(unsigned long base, long index, const generateOptions& options) {
    jobResult result;
    short cells[81];
    if (!ladderMakePuzzle(options.rating, ladderPuzzleSeed(base, index), options.attempts, cells)) {
        result.err = noPuzzleText(index, ladderLevelName(options.rating), options.attempts);
        result.status = 1;
        return result;
    }
    static const sudoku blank;  // copied: constructing one reseeds rand()
    sudoku puzzle = blank;
    puzzle.clearPuzzle();
    for (int c = 0; c < 81; c++)
        if (cells[c]) puzzle.solve_place(c / 9, c % 9, cells[c]);
    puzzle.setAuthor(kGeneratedAuthor);
    return puzzleResult(puzzle, index, ladderLevelName(options.rating), options, result);
}

// The made puzzle as the options ask: a game file in the --out folder, a
// puzzle line, or a game file on standard output, with its rating.
jobResult puzzleResult(sudoku& puzzle, long index, const std::string& rating, const generateOptions& options,
                       jobResult result) {
    if (!options.out.empty()) {
        const std::string path = gameFileName(options.out, index);
        std::string text = gameFileText(puzzle);
        if (!writeFileSafely(path.c_str(), writeText, &text)) {
            result.err = "velunda-cli: " + shownName(path) + ": cannot write: " + std::strerror(errno) + "\n";
            result.status = 2;
            return result;
        }
        result.out = shownName(path) + ": " + rating + "\n";
    } else if (options.format == "line") {
        short cells[81];
        puzzle.returnPuzzle(cells);
        result.out = formatPuzzleLine(cells, rating) + "\n";
    } else {
        result.out = (index > 0 ? "\n" : "") + gameFileText(puzzle) + "Rating: " + rating + "\n";
    }
    return result;
}

// Makes the --out folder if it is not there, and makes sure no file of the
// run is there already unless --force is given.
bool prepareFolder(const generateOptions& options) {
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
    for (long i = 0; i < options.count; i++) {
        const std::string path = gameFileName(options.out, i);
        if (lstat(path.c_str(), &info) == 0) {
            std::fprintf(stderr, "velunda-cli: %s exists; nothing was written (--force replaces such files)\n",
                         shownName(path).c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

int generateCommand(int argc, char** argv) {
    generateOptions options;
    if (const int usage = parseOptions(argc, argv, &options)) return usage;
    if (!options.out.empty() && !prepareFolder(options)) return 2;

    sudoku puzzle;  // seeds the random generator with the time...
    if (options.seed >= 0) std::srand(static_cast<unsigned>(options.seed));  // ...unless a seed is asked for
    const unsigned long base = options.seed >= 0 ? static_cast<unsigned long>(options.seed)
                                                 : static_cast<unsigned long>(std::time(nullptr));
    progress shown(options.count);
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
    // Above the game's levels every puzzle comes from a seed of its own, so
    // the work is spread over every processor unless -j says otherwise.
    const bool ladder = options.rating >= levelHard;
    if (ladder && options.workers == 0) options.workers = defaultWorkers();
    if (options.workers == 0) {
        for (long n = 0; n < options.count; n++)
            if (!deliver(n, makePuzzle(puzzle, n, options))) break;
    } else {
        // Job i makes puzzle i from a seed of its own.
        const inputJob job = [&](const std::string& input) {
            const long index = std::stol(input);
            if (ladder) return makeLadderPuzzle(base, index, options);
            sudoku own;
            std::srand(puzzleSeed(base, index));
            return makePuzzle(own, index, options);
        };
        jobStream stream(options.workers, job, deliver, options.count);
        for (long n = 0; n < options.count && stream.queueJob(std::to_string(n)); n++) {
        }
        if (stream.finish() < 0) status = 2;
    }
    shown.clear();
    return finishOutput("the puzzles", status);
}
