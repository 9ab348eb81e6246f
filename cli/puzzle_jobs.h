// A command's work over every puzzle of its files, spread over the worker
// processes of -j: the wire format of a puzzle between processes, and the
// run that reads, hands the puzzles out and prints the verdicts in order.
#ifndef VELUNDA_CLI_PUZZLE_JOBS_H
#define VELUNDA_CLI_PUZZLE_JOBS_H

#include <functional>
#include <string>
#include <vector>

#include "engine/gamefiles.h"
#include "engine/sudoku.h"

// A puzzle as a worker's input: its place, a zero byte, its 81 cells (one
// byte each, the entries negative) and its author.
std::string encodePuzzle(const std::string& where, const textPuzzle& puzzle);

// The puzzle again: an empty one with the givens placed, the entries
// guessed and the author set. *where is set to its place.
sudoku decodePuzzle(const std::string& input, std::string* where);

// What a command says of one puzzle.
struct verdict {
    std::string text;
    bool good;  // false: the exit status is at least 1
};
// Runs in a worker: it sees what this process held when the worker started.
typedef std::function<verdict(const std::string& where, sudoku& puzzle)> puzzleWork;

enum runKind {
    // Puzzles are judged while the files are read; messages met while reading
    // keep their places among the results, and a run that takes a while
    // shows its progress on a terminal.
    judgedWhileRead,
    // Every file is read first (messages go out at once), then judged.
    judgedAfterReading
};

// `work` over every puzzle of the paths ("-" standard input) in order, over
// `workers` processes; the texts go to standard output in input order. The
// exit status: the worst of reading and of the verdicts.
int overPuzzles(const std::vector<std::string>& paths, int workers, runKind kind, const puzzleWork& work);

#endif
