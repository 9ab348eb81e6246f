#include "judge.h"

#include <string>
#include <vector>

#include "engine/authoring.h"
#include "engine/ladder/ladder.h"
#include "engine/solutions.h"
#include "ladder_output.h"
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

// The givens of the puzzle (entries set aside) into cells[81], and the note
// that says so; false when a digit repeats among them.
bool ladderGivens(sudoku& puzzle, short* cells, std::string* note) {
    sudoku givens = puzzle;
    *note = givensNote(setAsideEntries(&givens));
    givens.returnPuzzle(cells);
    for (int c = 0; c < 81; c++)
        if (cells[c] < 1 || cells[c] > 9) cells[c] = 0;
    return !givens.invalidPuzzle(nullptr);
}

// What the ladder says of a puzzle it does not rate.
std::string unrated(const ladderRating& r) {
    return r.status == ladderNoSolution ? "no solution" : "not unique (2 or more solutions)";
}

}  // namespace

verdict ladderRateVerdict(sudoku& puzzle, bool numbers) {
    short cells[81];
    std::string note;
    if (!ladderGivens(puzzle, cells, &note)) return {"invalid (a digit repeats)" + note, false};
    // The game's own ratings need no ladder, unless its numbers are asked for.
    const ladderRating r = ladderRate(cells, nullptr, levelExtreme, numbers ? levelVeryEasy : levelHard);
    if (r.status == ladderNoSolution || r.status == ladderSeveral) return {unrated(r) + note, false};
    return {ladderLevelText(r) + (numbers ? " " + ladderNumbersText(r) : "") + note, r.status == ladderSolved};
}

verdict ladderSolveVerdict(sudoku& puzzle) {
    short cells[81];
    std::string note;
    if (!ladderGivens(puzzle, cells, &note)) return {"invalid (a digit repeats)" + note, false};
    std::vector<ladderStep> steps;
    const ladderRating r = ladderRate(cells, &steps);
    if (r.status == ladderNoSolution || r.status == ladderSeveral) return {unrated(r) + note, false};
    ladderGrid g;
    g.start(cells);
    for (const ladderStep& step : steps) g.apply(step);
    for (int c = 0; c < 81; c++) cells[c] = g.value[c];
    const bool solved = r.status == ladderSolved;
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

// The command's options (-j, --scale, and for rate --numbers) and files;
// the verdict over every puzzle.
enum judgeKind { judgeRate, judgeSolve, judgeCheck };

int judgeCommand(int argc, char** argv, judgeKind kind) {
    std::vector<std::string> paths;
    int workers = defaultWorkers();
    bool ladder = true, numbers = false;
    for (int i = 0; i < argc; i++) {
        bool bad = false;
        if (workersOption(argc, argv, &i, &workers, &bad)) {
            if (bad) return usageError(kWorkersError);
            continue;
        }
        if (kind != judgeCheck && scaleOption(argc, argv, &i, &ladder, &bad)) {
            if (bad) return usageError(kScaleError);
            continue;
        }
        if (kind == judgeRate && std::string(argv[i]) == "--numbers") {
            numbers = true;
            continue;
        }
        if (argv[i][0] == '-' && argv[i][1] != '\0') return usageError(std::string("unknown option: ") + argv[i]);
        paths.push_back(argv[i]);
    }
    if (numbers && !ladder) return usageError("--numbers goes with the ladder's scale");
    if (paths.empty()) paths.push_back("-");
    return overPuzzles(paths, workers, judgedWhileRead, [=](const std::string& where, sudoku& puzzle) {
        verdict v = kind == judgeCheck ? check(puzzle)
                    : kind == judgeSolve ? (ladder ? ladderSolveVerdict(puzzle) : solve(puzzle))
                                         : (ladder ? ladderRateVerdict(puzzle, numbers) : rate(puzzle));
        v.text = where + ": " + v.text + "\n";
        return v;
    });
}

}  // namespace

int rateCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, judgeRate);
}

int solveCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, judgeSolve);
}

int checkCommand(int argc, char** argv) {
    return judgeCommand(argc, argv, judgeCheck);
}
