#include "judge.h"

#include <string>
#include <vector>

#include "engine/authoring.h"
#include "engine/solutions.h"
#include "output.h"
#include "puzzle_line.h"

verdict rate(sudoku& puzzle) {
    sudoku givens = puzzle;
    const std::string note = givensNote(setAsideEntries(&givens));
    if (givens.invalidPuzzle(nullptr)) return {"invalid (a digit repeats)" + note, false};
    const int rating = givens.solvePuzzle(1);
    return {ratingName(rating) + note, rating >= 0};
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

namespace {

// Both cells of every clash, the player's entries included: the game flags
// only the later one, which for an entry that repeats a given is the given.
void clashingCells(const short* cells, bool* clashing) {
    int digit[81];
    for (int i = 0; i < 81; i++) {
        clashing[i] = false;
        digit[i] = isCellDigit(cells[i]) ? (cells[i] < 0 ? -cells[i] : cells[i]) : 0;
    }
    for (int i = 0; i < 81; i++)
        for (int j = i + 1; j < 81 && digit[i] != 0; j++) {
            const bool sameBox = i / 27 == j / 27 && i % 9 / 3 == j % 9 / 3;
            if (digit[j] == digit[i] && (i / 9 == j / 9 || i % 9 == j % 9 || sameBox)) clashing[i] = clashing[j] = true;
        }
}

}  // namespace

verdict check(sudoku& puzzle) {
    short cells[81];
    bool clashing[81];
    puzzle.returnPuzzle(cells);
    clashingCells(cells, clashing);
    std::string conflictText;
    int empty = 0;
    for (int i = 0; i < 81; i++) {
        if (clashing[i]) conflictText += " " + cellName(i);
        if (!isCellDigit(cells[i])) empty++;
    }
    const int entries = countEntries(cells);
    const int solutions = countSolutions(cells, 2);  // of the givens alone
    std::string line = (conflictText.empty() ? "no conflicts" : "conflicts at" + conflictText) + ", " +
                       std::to_string(empty) + " empty cells, solutions: " +
                       (solutions == 0 ? "0" : solutions == 1 ? "1" : "2 or more");
    if (entries > 0) line += " (of the givens; " + entriesText(entries) + ")";
    return {line, conflictText.empty() && solutions == 1};
}

namespace {

// The command's options (-j) and files; `judge` over every puzzle.
int judgeCommand(int argc, char** argv, verdict (*judge)(sudoku&)) {
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
    return overPuzzles(paths, workers, judgedWhileRead, [judge](const std::string& where, sudoku& puzzle) {
        verdict v = judge(puzzle);
        v.text = where + ": " + v.text + "\n";
        return v;
    });
}

}  // namespace

int rateCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, rate);
}

int solveCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, solve);
}

int checkCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, check);
}
