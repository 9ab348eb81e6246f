#include "explain.h"

#include <cstring>
#include <vector>

#include "engine/authoring.h"
#include "engine/ladder/ladder.h"
#include "ladder_output.h"
#include "output.h"
#include "puzzle_jobs.h"
#include "steps.h"

namespace {

const char* const kExplainUsage =
    "explain [--scale ladder|game] [--mode rate|full] [--format text|json] [-j N] [FILE...]";

std::string openCells(const short* grid, int* count) {
    std::string out;
    *count = 0;
    for (int i = 0; i < 81; i++)
        if (!isGiven(grid[i])) {
            out += (out.empty() ? "" : " ") + cellName(i);
            ++*count;
        }
    return out;
}

std::string jsonList(const std::string& spaced) {
    std::string out = "[", item;
    for (size_t i = 0; i <= spaced.size(); i++) {
        if (i == spaced.size() || spaced[i] == ' ') {
            if (!item.empty()) out += (out.size() > 1 ? "," : "") + jsonString(item);
            item.clear();
        } else {
            item += spaced[i];
        }
    }
    return out + "]";
}

}  // namespace

std::string explainPuzzle(const std::string& where, const sudoku& puzzle, bool rateMode, bool json, bool* good) {
    sudoku givens = puzzle;
    const int entries = setAsideEntries(&givens);
    short cells[81];
    givens.returnPuzzle(cells);
    for (short& v : cells)
        if (!isGiven(v)) v = 0;
    const std::string mode = rateMode ? "rate" : "full";
    const std::string note = givensNote(entries);
    if (givens.invalidPuzzle(nullptr)) {
        *good = false;
        if (json)
            return "{\"where\":" + jsonString(where) + ",\"mode\":" + jsonString(mode) +
                   ",\"entriesSetAside\":" + std::to_string(entries) + ",\"error\":\"invalid (a digit repeats)\"}\n";
        return where + ": invalid (a digit repeats)" + note + "\n";
    }
    int result = 0, emptyAtStart = 0;
    short final[81];
    openCells(cells, &emptyAtStart);
    const std::vector<explainedStep> steps = explainedSolve(cells, rateMode, &result, final, 81);
    int left = 0;
    const std::string open = openCells(final, &left);
    bool solved;
    std::string reason;
    if (rateMode) {
        solved = result >= 0;
        int stall[3] = {emptyAtStart, emptyAtStart, emptyAtStart};  // empty cells once each stage stops
        for (const explainedStep& s : steps)
            for (int k = s.level; k < 3; k++) stall[k]--;
        if (result == 0)
            reason = std::string(ratingName(result)) + ": stage 0, the only candidate left in a cell, finishes it";
        else if (result == 1)
            reason = std::string(ratingName(result)) + ": stage 0 stalls at " + std::to_string(stall[0]) +
                     " empty cells; stage 1, adding the only cell in its box for a digit, finishes it";
        else if (result == 2)
            reason = std::string(ratingName(result)) + ": stage 1 stalls at " + std::to_string(stall[1]) +
                     " empty cells; the refinement in stage 2 finishes it";
        else
            reason = std::string(ratingName(result)) + ": stage 2 stalls at " + std::to_string(stall[2]) + " empty cells";
    } else {
        sudoku done = fromGrid(final);
        solved = result == -2 && done.isSolvedPuzzle(nullptr) == 1;
        reason = solved ? "solved: the full-strength solver finishes it"
                        : "not completed: the full-strength solver stalls at " + std::to_string(left) + " empty cells";
    }
    *good = solved;

    std::string out;
    if (json) {
        out = "{\"where\":" + jsonString(where) + ",\"mode\":" + jsonString(mode) + ",\"entriesSetAside\":" +
              std::to_string(entries) + ",\"empty\":" + std::to_string(emptyAtStart) + ",\"steps\":[";
        for (size_t i = 0; i < steps.size(); i++) out += (i ? "," : "") + stepJson(steps[i], static_cast<int>(i) + 1, rateMode);
        out += "]";
        if (rateMode) out += ",\"rating\":" + jsonString(ratingName(result));
        out += ",\"solved\":" + std::string(solved ? "true" : "false") + ",\"reason\":" + jsonString(reason) +
               ",\"open\":" + jsonList(open) + "}\n";
        return out;
    }
    out = where + ": " + (rateMode ? "rating mode" : "full mode") + ", " + std::to_string(emptyAtStart) + " empty cells" +
          note + "\n";
    for (size_t i = 0; i < steps.size(); i++) out += stepLines(steps[i], static_cast<int>(i) + 1, rateMode, "  ");
    out += "  " + reason + "\n";
    if (left > 0) out += "  open: " + open + "\n";
    return out;
}

std::string ladderExplainPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool* good) {
    sudoku givens = puzzle;
    const int entries = setAsideEntries(&givens);
    const std::string note = givensNote(entries);
    short cells[81];
    givens.returnPuzzle(cells);
    std::string line;
    for (short& v : cells) {
        if (!isGiven(v)) v = 0;
        line += v ? static_cast<char>('0' + v) : '.';
    }
    int emptyAtStart = 0;
    openCells(cells, &emptyAtStart);
    const std::string head = "{\"where\":" + jsonString(where) + ",\"scale\":\"ladder\",\"entriesSetAside\":" +
                             std::to_string(entries) + ",\"givens\":\"" + line + "\"";
    *good = false;
    if (givens.invalidPuzzle(nullptr)) {
        if (json) return head + ",\"solutions\":\"0\",\"error\":\"invalid (a digit repeats)\"}\n";
        return where + ": invalid (a digit repeats)" + note + "\n";
    }
    std::vector<ladderStep> steps;
    const ladderRating r = ladderRate(cells, &steps);
    if (r.status == ladderNoSolution || r.status == ladderSeveral) {
        const std::string what = r.status == ladderNoSolution ? "no solution" : "not unique (2 or more solutions)";
        if (json)
            return head + ",\"solutions\":\"" + (r.status == ladderNoSolution ? "0" : "2 or more") + "\",\"error\":" +
                   jsonString(what) + "}\n";
        return where + ": " + what + note + "\n";
    }
    ladderGrid g;
    g.start(cells);
    for (const ladderStep& step : steps) g.apply(step);
    short final[81];
    for (int c = 0; c < 81; c++) final[c] = g.value[c];
    int left = 0;
    const std::string open = openCells(final, &left);
    const bool solved = r.status == ladderSolved;
    *good = solved;
    std::string reason = ladderLevelName(r.level);
    if (solved && !steps.empty())
        reason += std::string(": the hardest step is ") + ladderInfo(r.hardestTechnique).name + " (" +
                  difficultyText(r.hardest) + "), " + difficultyText(r.beforePlacement) + " up to the first placement, " +
                  difficultyText(r.first) + " the first step";
    if (!solved)
        reason += ": the ladder stops at " + std::to_string(left) + " empty cells; the search needs " +
                  std::to_string(r.guesses) + (r.guesses == 1 ? " guess" : " guesses") + " from there";
    if (json) {
        std::string out = head + ",\"solutions\":\"1\",\"empty\":" + std::to_string(emptyAtStart) + ",\"steps\":[";
        for (size_t i = 0; i < steps.size(); i++) out += (i ? "," : "") + ladderStepJson(steps[i], static_cast<int>(i) + 1);
        out += "],\"level\":" + jsonString(ladderLevelName(r.level)) + ",\"numbers\":{\"hardest\":" +
               difficultyText(r.hardest) + ",\"beforeFirstPlacement\":" + difficultyText(r.beforePlacement) +
               ",\"first\":" + difficultyText(r.first) + "},\"hardestTechnique\":" +
               (r.hardestTechnique >= 0 ? jsonString(ladderInfo(r.hardestTechnique).name) : std::string("null"));
        if (!solved) out += ",\"guesses\":" + std::to_string(r.guesses);
        return out + ",\"solved\":" + (solved ? "true" : "false") + ",\"reason\":" + jsonString(reason) +
               ",\"open\":" + jsonList(open) + "}\n";
    }
    std::string out = where + ": ladder, " + std::to_string(emptyAtStart) + " empty cells" + note + "\n";
    for (size_t i = 0; i < steps.size(); i++) out += ladderStepLines(steps[i], static_cast<int>(i) + 1, "  ");
    out += "  " + reason + "\n";
    if (left > 0) out += "  open: " + open + "\n";
    return out;
}

int explainCommand(int argc, char** argv) {
    bool rateMode = true, json = false, ladder = true, modeGiven = false;
    int workers = defaultWorkers();
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--mode") {
            if (value == nullptr || (std::strcmp(value, "rate") != 0 && std::strcmp(value, "full") != 0))
                return commandUsage("--mode is rate or full", kExplainUsage);
            rateMode = std::strcmp(value, "rate") == 0;
            modeGiven = true;
            i++;
        } else if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "text") != 0 && std::strcmp(value, "json") != 0))
                return commandUsage("--format is text or json", kExplainUsage);
            json = std::strcmp(value, "json") == 0;
            i++;
        } else if (bool bad = false; workersOption(argc, argv, &i, &workers, &bad)) {
            if (bad) return commandUsage(kWorkersError, kExplainUsage);
        } else if (bool bad = false; scaleOption(argc, argv, &i, &ladder, &bad)) {
            if (bad) return commandUsage(kScaleError, kExplainUsage);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return commandUsage("unknown option for explain: " + arg, kExplainUsage);
        } else {
            paths.push_back(arg);
        }
    }
    if (ladder && modeGiven) return commandUsage("--mode goes with --scale game", kExplainUsage);
    if (paths.empty()) paths.push_back("-");
    return overPuzzles(paths, workers, judgedAfterReading, [=](const std::string& where, sudoku& puzzle) {
        verdict v;
        v.text = ladder ? ladderExplainPuzzle(where, puzzle, json, &v.good) : explainPuzzle(where, puzzle, rateMode, json, &v.good);
        return v;
    });
}
