#include "puzzle_jobs.h"

#include <cstdio>

#include "output.h"
#include "platform/platform.h"
#include "puzzle_input.h"
#include "scheduler.h"

std::string encodePuzzle(const std::string& where, const textPuzzle& puzzle) {
    std::string input = where;
    input += '\0';
    for (short v : puzzle.cells) input += static_cast<char>(v);
    return input + puzzle.author;
}

sudoku decodePuzzle(const std::string& input, std::string* where) {
    // Copied, since constructing one reseeds rand() from the clock.
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

namespace {

jobResult judged(const puzzleWork& work, const std::string& input) {
    std::string where;
    sudoku puzzle = decodePuzzle(input, &where);
    const verdict v = work(where, puzzle);
    jobResult result;
    result.out = v.text;
    result.status = v.good ? 0 : 1;
    return result;
}

int afterReading(const std::vector<std::string>& paths, int workers, const puzzleWork& work) {
    std::vector<std::string> inputs;
    int status = readPuzzleFiles(paths, [&](const std::string& where, const textPuzzle& puzzle) {
        inputs.push_back(encodePuzzle(where, puzzle));
        return true;
    });
    const resultFunction deliver = [&](long, const jobResult& result) {
        if (result.status > status) status = result.status;
        return writeOut(result.out);
    };
    jobStream stream(workers, [&](const std::string& input) { return judged(work, input); }, deliver,
                     static_cast<long>(inputs.size()));
    for (std::string& input : inputs) {
        if (!stream.queueJob(input)) break;
        input = std::string();  // handed over: no longer needed here
    }
    if (stream.finish() < 0) status = 2;
    return finishOutput("the results", status);
}

int whileRead(const std::vector<std::string>& paths, int workers, const puzzleWork& work) {
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
    jobStream stream(workers, [&](const std::string& input) { return judged(work, input); }, deliver);
    const auto message = [&](const std::string& line) {
        jobResult result;
        result.err = line;
        return stream.queueResult(result);
    };

    for (size_t f = 0; f < paths.size() && stream.running(); f++) {
        if (!counting) read[f] = readPuzzleFile(paths[f], &files[f], &unreadable[f]);
        if (!read[f]) {
            status = 2;
            message(unreadable[f]);
            continue;
        }
        const int worst = readPuzzles(
            files[f],
            [&](const std::string& where, const textPuzzle& puzzle) { return stream.queueJob(encodePuzzle(where, puzzle)); },
            [&](const std::string& line) { message(line); });
        if (worst > status) status = worst;
        files[f] = puzzleFile();  // read and handed over: its text is no longer needed
    }
    if (stream.finish() < 0) status = 2;
    shown.clear();
    return finishOutput("the results", status);
}

}  // namespace

int overPuzzles(const std::vector<std::string>& paths, int workers, runKind kind, const puzzleWork& work) {
    return kind == judgedWhileRead ? whileRead(paths, workers, work) : afterReading(paths, workers, work);
}
