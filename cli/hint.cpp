#include "hint.h"

#include <cstring>
#include <vector>

#include "engine/authoring.h"
#include "engine/ladder/ladder.h"
#include "engine/solutions.h"
#include "ladder_output.h"
#include "output.h"
#include "puzzle_jobs.h"
#include "steps.h"

namespace {

const char* const kHintUsage = "hint [--scale ladder|game] [--format text|json] [FILE]";

}  // namespace

std::string hintPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool ladder, bool* good) {
    sudoku copy = puzzle;
    short cells[81];
    copy.returnPuzzle(cells);
    short givens[81], all[81];
    for (int i = 0; i < 81; i++) {
        givens[i] = isGiven(cells[i]) ? cells[i] : 0;
        all[i] = isCellDigit(cells[i]) ? static_cast<short>(cells[i] < 0 ? -cells[i] : cells[i]) : 0;
    }
    *good = true;
    // Givens that repeat a digit leave nothing to hint at.
    {
        sudoku g = fromGrid(givens);
        if (g.invalidPuzzle(nullptr)) {
            *good = false;
            return json ? "{\"where\":" + jsonString(where) + ",\"error\":\"invalid (a digit repeats)\"}\n"
                        : where + ": invalid (a digit repeats in the givens)\n";
        }
    }
    short solution[81];
    const int solutions = countSolutions(givens, 2, solution);
    // Entries that repeat a digit of their row, column or box, or differ
    // from the one solution.
    std::vector<std::string> wrongText, wrongJson;
    for (int i = 0; i < 81; i++) {
        if (!(cells[i] <= -1 && cells[i] >= -9)) continue;
        const int d = all[i];
        std::string clash;
        for (int j = 0; j < 81 && clash.empty(); j++) {
            if (j == i || all[j] != d) continue;
            const bool sameBox = (i / 27 == j / 27) && ((i % 9) / 3 == (j % 9) / 3);
            if (i / 9 == j / 9 || i % 9 == j % 9 || sameBox) clash = cellName(j);
        }
        const bool differs = solutions == 1 && solution[i] != d;
        if (clash.empty() && !differs) continue;
        std::string text = cellName(i) + " " + std::to_string(d) + " is wrong: " +
                           (clash.empty() ? "the solution has " + std::to_string(solution[i])
                                          : "it repeats the " + std::to_string(d) + " at " + clash +
                                                (solutions == 1 ? "; the solution has " + std::to_string(solution[i]) : ""));
        wrongText.push_back(text);
        std::string item = "{\"cell\":" + jsonString(cellName(i)) + ",\"digit\":" + std::to_string(d);
        if (!clash.empty()) item += ",\"conflictsWith\":" + jsonString(clash);
        if (solutions == 1) item += ",\"right\":" + std::to_string(solution[i]);
        wrongJson.push_back(item + ",\"text\":" + jsonString(text) + "}");
    }
    const int entries = countEntries(cells);
    // Said only when there are entries the check would have judged.
    const std::string solutionNote = solutions == 1 || entries == 0 ? ""
                                     : solutions == 0
                                         ? "the givens have no solution, so the entries are checked only for repeats"
                                         : "the givens have more than one solution, so the entries are checked only for repeats";
    const std::string head = "{\"where\":" + jsonString(where) + ",\"solutions\":" +
                             jsonString(solutions == 0 ? "0" : solutions == 1 ? "1" : "2 or more") +
                             (solutionNote.empty() ? "" : ",\"note\":" + jsonString(solutionNote));
    std::string out = where + ":\n";
    if (!solutionNote.empty()) out += "  " + solutionNote + "\n";
    if (!wrongText.empty()) {
        if (json) {
            out = head + ",\"hint\":\"wrong entries\",\"wrong\":[";
            for (size_t i = 0; i < wrongJson.size(); i++) out += (i ? "," : "") + wrongJson[i];
            return out + "]}\n";
        }
        for (const std::string& t : wrongText) out += "  " + t + "\n";
        return out;
    }
    short marks[81];
    if (ladder) {
        // The easiest step of the ladder, the entries counted as placed; the
        // uniqueness techniques only when the givens have one solution.
        ladderGrid g;
        g.start(all);
        ladderOptions options;
        options.unique = solutions == 1;
        ladderStep step;
        if (ladderNextStep(g, options, &step)) {
            if (json) return head + ",\"hint\":\"step\",\"step\":" + ladderStepJson(step, 1) + "}\n";
            return out + ladderStepLines(step, 0, "  next: ");
        }
        for (int i = 0; i < 81; i++) marks[i] = static_cast<short>(g.cand[i]);
    } else {
        int result = 0;
        short final[81];
        const std::vector<explainedStep> steps = explainedSolve(all, false, &result, final, 1);
        if (!steps.empty()) {
            if (json) return head + ",\"hint\":\"step\",\"step\":" + stepJson(steps[0], 1, false) + "}\n";
            return out + stepLines(steps[0], 0, false, "  next: ");
        }
        fromGrid(all).returnMarkUps(marks, 2);
    }
    // No step: the open cell with the fewest candidates.
    int best = -1;
    for (int i = 0; i < 81; i++)
        if (all[i] == 0 && (best < 0 || bitCount(static_cast<unsigned short>(marks[i])) <
                                            bitCount(static_cast<unsigned short>(marks[best]))))
            best = i;
    if (best < 0) {
        if (json) return head + ",\"hint\":\"full\"}\n";
        return out + "  the grid is full\n";
    }
    const unsigned short m = static_cast<unsigned short>(marks[best]);
    const int n = bitCount(m);
    const std::string text = "no logical step found; the most constrained cell, " + cellName(best) + ", has " +
                             std::to_string(n) + (n == 1 ? " candidate" : " candidates") +
                             (n ? " (" + digitList(m, " ", " ") + ")" : "");
    if (json)
        return head + ",\"hint\":\"none\",\"cell\":" + jsonString(cellName(best)) + ",\"candidates\":[" +
               digitList(m, ",", ",") + "],\"text\":" + jsonString(text) + "}\n";
    return out + "  " + text + "\n";
}

int hintCommand(int argc, char** argv) {
    bool json = false, ladder = true;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "text") != 0 && std::strcmp(value, "json") != 0))
                return commandUsage("--format is text or json", kHintUsage);
            json = std::strcmp(value, "json") == 0;
            i++;
        } else if (bool bad = false; scaleOption(argc, argv, &i, &ladder, &bad)) {
            if (bad) return commandUsage(kScaleError, kHintUsage);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return commandUsage("unknown option for hint: " + arg, kHintUsage);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() > 1) return commandUsage("hint reads one file", kHintUsage);
    if (paths.empty()) paths.push_back("-");
    return overPuzzles(paths, 1, judgedAfterReading, [json, ladder](const std::string& where, sudoku& puzzle) {
        verdict v;
        v.text = hintPuzzle(where, puzzle, json, ladder, &v.good);
        return v;
    });
}
