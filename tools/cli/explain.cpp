// velunda-cli explain and hint. The solver runs as rate and solve run it,
// with a log set: its placements come back in order, with the technique,
// the level and the candidates each was found on. A placement that needed
// the refinement is explained by running the refinement once more on that
// grid, with the log taking down the exclusions, and keeping those that
// took the other candidates away, with the ones they rest on.
#include "explain.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

#include "engine/solutions.h"
#include "output.h"
#include "platform/workers.h"
#include "puzzle_input.h"

namespace {

const char* const kRatingNames[] = {"Very Easy", "Easy", "Medium"};

std::string cellName(int cell) {
    return "r" + std::to_string(cell / 9 + 1) + "c" + std::to_string(cell % 9 + 1);
}

// Cell k (bit i * 3 + j) of box b.
int boxCell(int b, int k) {
    return ((b / 3) * 3 + k / 3) * 9 + (b % 3) * 3 + k % 3;
}

bool isGiven(int v) {
    return v >= 1 && v <= 9;
}

// Base candidates of every cell (bit d-1), counting values 1..9 as placed.
void baseCandidates(const short* grid, unsigned short* out) {
    unsigned rows[9] = {0}, cols[9] = {0}, boxes[9] = {0};
    for (int i = 0; i < 81; i++)
        if (isGiven(grid[i])) {
            const unsigned bit = 1u << (grid[i] - 1);
            rows[i / 9] |= bit;
            cols[i % 9] |= bit;
            boxes[(i / 27) * 3 + (i % 9) / 3] |= bit;
        }
    for (int i = 0; i < 81; i++)
        out[i] = isGiven(grid[i]) ? 0
                                  : static_cast<unsigned short>(~(rows[i / 9] | cols[i % 9] | boxes[(i / 27) * 3 + (i % 9) / 3]) & 0x1FF);
}

int bitCount(unsigned m) {
    int n = 0;
    for (; m != 0; m &= m - 1) n++;
    return n;
}

// A solver object holding `grid`'s digits as givens. Copied from one made
// once: the constructor reseeds the random generator, which a run of many
// puzzles (perhaps side by side) has no business doing.
sudoku fromGrid(const short* grid) {
    static const sudoku blank;
    sudoku s = blank;
    s.clearPuzzle();
    for (int i = 0; i < 81; i++)
        if (isGiven(grid[i])) s.solve_place(i / 9, i % 9, grid[i]);
    return s;
}

// One pattern of the refinement with what it took away that mattered.
struct exclusionGroup {
    solverExclusion pattern;
    std::vector<std::pair<int, int>> removed;  // cell, digit
};

struct explainedStep {
    int cell, digit, level, byBox;
    int seen;  // the earlier placements its candidates had seen
    std::vector<exclusionGroup> because;
};

// The exclusions that made the placement possible on grid (the candidates it
// was found on), in the order the refinement drew them.
std::vector<exclusionGroup> explainPlacement(const short* grid, const solverPlacement& p) {
    std::vector<exclusionGroup> groups;
    unsigned short base[81];
    baseCandidates(grid, base);
    const int d = p.digit - 1, cell = p.cell;
    std::vector<std::pair<int, int>> needed;
    if (p.byBox) {
        const int b = (cell / 27) * 3 + (cell % 9) / 3;
        for (int k = 0; k < 9; k++) {
            const int other = boxCell(b, k);
            if (other != cell && (base[other] & (1u << d))) needed.push_back({other, p.digit});
        }
    } else {
        for (int e = 0; e < 9; e++)
            if (e != d && (base[cell] & (1u << e))) needed.push_back({cell, e + 1});
    }
    if (needed.empty()) return groups;

    sudoku s = fromGrid(grid);
    std::unique_ptr<solverLog> log(new solverLog);
    log->placementCount = 0;
    log->exclusionCount = 0;
    s.setSolverLog(log.get());
    short marks[81];
    s.returnMarkUps(marks, 2);
    s.setSolverLog(nullptr);

    int first[81][9];
    std::memset(first, -1, sizeof first);
    for (int i = 0; i < log->exclusionCount; i++) {
        const solverExclusion& e = log->exclusions[i];
        if (first[e.cell][e.digit - 1] < 0) first[e.cell][e.digit - 1] = i;
    }
    // The exclusions needed, and for a double pair the ones that confined
    // the digit in its two boxes.
    std::vector<bool> used(static_cast<size_t>(log->exclusionCount), false);
    while (!needed.empty()) {
        const std::pair<int, int> want = needed.back();
        needed.pop_back();
        const int index = first[want.first][want.second - 1];
        if (index < 0 || used[static_cast<size_t>(index)]) continue;
        used[static_cast<size_t>(index)] = true;
        const solverExclusion& e = log->exclusions[index];
        if (e.kind != excludedDoublePairBand && e.kind != excludedDoublePairStack) continue;
        const int boxes[2] = {e.box, e.box2};
        const unsigned short seen[2] = {e.cells, e.cells2};
        for (int n = 0; n < 2; n++)
            for (int k = 0; k < 9; k++) {
                const int other = boxCell(boxes[n], k);
                if ((base[other] & (1u << (e.digit - 1))) && !(seen[n] & (1u << k))) needed.push_back({other, e.digit});
            }
    }
    std::map<std::tuple<int, int, int, int, int, int, int, int>, size_t> byPattern;
    for (int i = 0; i < log->exclusionCount; i++) {
        if (!used[static_cast<size_t>(i)]) continue;
        const solverExclusion& e = log->exclusions[i];
        const auto key = std::make_tuple(int(e.kind), int(e.box), int(e.box2), int(e.line1), int(e.line2), int(e.cells),
                                         int(e.cells2), int(e.digits));
        auto found = byPattern.find(key);
        if (found == byPattern.end()) {
            found = byPattern.emplace(key, groups.size()).first;
            groups.push_back({e, {}});
        }
        groups[found->second].removed.push_back({e.cell, e.digit});
    }
    return groups;
}

std::string cellList(int box, unsigned short cells) {
    std::string out;
    for (int k = 0; k < 9; k++)
        if (cells & (1u << k)) out += (out.empty() ? "" : " ") + cellName(boxCell(box, k));
    return out;
}

std::string digitList(unsigned short digits, const char* last) {
    std::vector<int> list;
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d)) list.push_back(d + 1);
    std::string out;
    for (size_t i = 0; i < list.size(); i++) {
        if (i > 0) out += i + 1 == list.size() ? last : ", ";
        out += std::to_string(list[i]);
    }
    return out;
}

int lowDigit(unsigned short digits) {
    int d = 0;
    while (d < 9 && !(digits & (1u << d))) d++;
    return d + 1;
}

const char* kindName(int kind) {
    switch (kind) {
    case excludedPointingRow: return "pointing-row";
    case excludedPointingColumn: return "pointing-column";
    case excludedHiddenPair: return "hidden-pair";
    case excludedHiddenTriple: return "hidden-triple";
    case excludedDoublePairBand: return "double-pair-band";
    default: return "double-pair-stack";
    }
}

// The pattern in words, without what it removed.
std::string patternText(const solverExclusion& e) {
    const std::string box = std::to_string(e.box + 1);
    const std::string digit = std::to_string(lowDigit(e.digits));
    switch (e.kind) {
    case excludedPointingRow:
        return digit + " lies only in row " + std::to_string(e.line1 + 1) + " within box " + box + " (" +
               cellList(e.box, e.cells) + "), a digit confined to one row of a box";
    case excludedPointingColumn:
        return digit + " lies only in column " + std::to_string(e.line1 + 1) + " within box " + box + " (" +
               cellList(e.box, e.cells) + "), a digit confined to one column of a box";
    case excludedHiddenPair:
    case excludedHiddenTriple:
        return digitList(e.digits, " and ") + " have only " + cellList(e.box, e.cells) + " in box " + box + ", a hidden " +
               (e.kind == excludedHiddenPair ? "pair" : "triple");
    default: {
        const bool band = e.kind == excludedDoublePairBand;
        const int lo = e.line1 < e.line2 ? e.line1 : e.line2, hi = e.line1 < e.line2 ? e.line2 : e.line1;
        return digit + " lies only in " + (band ? "rows " : "columns ") + std::to_string(lo + 1) + " and " +
               std::to_string(hi + 1) + " in boxes " + box + " and " + std::to_string(e.box2 + 1) + " (" +
               cellList(e.box, e.cells) + " " + cellList(e.box2, e.cells2) + "), a double pair of " +
               (band ? "band " + std::to_string(e.box / 3 + 1) : "stack " + std::to_string(e.box % 3 + 1));
    }
    }
}

// "removes 8 from r1c4 r2c6, 9 from r1c4": by digit, in order.
std::string removedText(const std::vector<std::pair<int, int>>& removed) {
    std::string out = "removes";
    bool firstDigit = true;
    for (int d = 1; d <= 9; d++) {
        std::string cells;
        for (const auto& r : removed)
            if (r.second == d) cells += " " + cellName(r.first);
        if (cells.empty()) continue;
        out += (firstDigit ? " " : ", ") + std::to_string(d) + " from" + cells;
        firstDigit = false;
    }
    return out;
}

const char* techniqueText(int byBox) {
    return byBox ? "the only cell in its box for the digit" : "the only candidate left in the cell";
}

std::string jsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char ch : text) {
        if (ch == '"' || ch == '\\') {
            out += '\\';
            out += static_cast<char>(ch);
        } else if (ch < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", ch);
            out += buffer;
        } else {
            out += static_cast<char>(ch);
        }
    }
    return out + "\"";
}

std::string jsonCells(int box, unsigned short cells) {
    std::string out = "[";
    for (int k = 0; k < 9; k++)
        if (cells & (1u << k)) out += (out.size() > 1 ? "," : "") + jsonString(cellName(boxCell(box, k)));
    return out + "]";
}

// number 0: unnumbered (a hint's one step).
std::string stepText(const explainedStep& s, int number, bool rateMode) {
    std::string out = (number > 0 ? std::to_string(number) + ". " : "") + cellName(s.cell) + " " + std::to_string(s.digit) + ", " +
                      techniqueText(s.byBox);
    if (rateMode) out += " (stage " + std::to_string(s.level) + ")";
    return out;
}

std::string stepJson(const explainedStep& s, int number, bool rateMode) {
    std::string out = "{\"step\":" + std::to_string(number) + ",\"cell\":" + jsonString(cellName(s.cell)) +
                      ",\"digit\":" + std::to_string(s.digit) + ",\"technique\":" +
                      jsonString(s.byBox ? "box" : "cell") + ",\"text\":" + jsonString(techniqueText(s.byBox));
    if (rateMode) out += ",\"stage\":" + std::to_string(s.level);
    out += ",\"seen\":" + std::to_string(s.seen) + ",\"exclusions\":[";
    for (size_t g = 0; g < s.because.size(); g++) {
        const solverExclusion& e = s.because[g].pattern;
        out += std::string(g ? "," : "") + "{\"technique\":" + jsonString(kindName(e.kind)) + ",\"digits\":[" +
               digitList(e.digits, ",") + "],\"box\":" + std::to_string(e.box + 1) + ",\"cells\":" +
               jsonCells(e.box, e.cells);
        if (e.kind == excludedPointingRow || e.kind == excludedDoublePairBand)
            out += ",\"rows\":[" + std::to_string(e.line1 + 1) + (e.kind == excludedDoublePairBand ? "," + std::to_string(e.line2 + 1) : "") + "]";
        if (e.kind == excludedPointingColumn || e.kind == excludedDoublePairStack)
            out += ",\"columns\":[" + std::to_string(e.line1 + 1) +
                   (e.kind == excludedDoublePairStack ? "," + std::to_string(e.line2 + 1) : "") + "]";
        if (e.kind == excludedDoublePairBand || e.kind == excludedDoublePairStack)
            out += ",\"box2\":" + std::to_string(e.box2 + 1) + ",\"cells2\":" + jsonCells(e.box2, e.cells2);
        out += ",\"removes\":[";
        for (size_t r = 0; r < s.because[g].removed.size(); r++)
            out += std::string(r ? "," : "") + "{\"cell\":" + jsonString(cellName(s.because[g].removed[r].first)) +
                   ",\"digit\":" + std::to_string(s.because[g].removed[r].second) + "}";
        out += "],\"text\":" + jsonString(patternText(e) + ": " + removedText(s.because[g].removed)) + "}";
    }
    return out + "]}";
}

bool refinesAtLevel(int level) {
    return level == -1 || level > 1;
}

// The solve with its log, each placement explained. *result is what
// solvePuzzle returned; final receives the grid it left.
std::vector<explainedStep> explainedSolve(const short* start, bool rateMode, int* result, short* final, int limit) {
    sudoku s = fromGrid(start);
    std::unique_ptr<solverLog> log(new solverLog);
    log->placementCount = 0;
    log->exclusionCount = 0;
    s.setSolverLog(log.get());
    *result = s.solvePuzzle(rateMode ? 1 : 0);
    s.setSolverLog(nullptr);
    s.returnPuzzle(final);

    std::vector<explainedStep> steps;
    short basisGrid[81];
    std::memcpy(basisGrid, start, sizeof basisGrid);
    int applied = 0;
    for (int i = 0; i < log->placementCount && i < limit; i++) {
        const solverPlacement& p = log->placements[i];
        for (; applied < p.basis; applied++)
            basisGrid[log->placements[applied].cell] = log->placements[applied].digit;
        explainedStep step = {p.cell, p.digit, p.level, p.byBox, p.basis, {}};
        if (refinesAtLevel(p.level)) step.because = explainPlacement(basisGrid, p);
        steps.push_back(step);
    }
    return steps;
}

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
    short cells[81];
    givens.returnPuzzle(cells);
    int entries = 0;
    for (short v : cells)
        if (v <= -1 && v >= -9) entries++;
    givens.resetPuzzle();
    givens.returnPuzzle(cells);
    for (short& v : cells)
        if (!isGiven(v)) v = 0;
    const std::string mode = rateMode ? "rate" : "full";
    const std::string note =
        entries == 0 ? "" : " (givens only; " + std::to_string(entries) + (entries == 1 ? " entry" : " entries") + " set aside)";
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
            reason = "Very Easy: stage 0, the only candidate left in a cell, finishes it";
        else if (result == 1)
            reason = "Easy: stage 0 stalls at " + std::to_string(stall[0]) +
                     " empty cells; stage 1, adding the only cell in its box for a digit, finishes it";
        else if (result == 2)
            reason = "Medium: stage 1 stalls at " + std::to_string(stall[1]) +
                     " empty cells; the refinement in stage 2 finishes it";
        else
            reason = "not completed: stage 2 stalls at " + std::to_string(stall[2]) + " empty cells";
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
        if (rateMode) out += ",\"rating\":" + jsonString(result >= 0 ? kRatingNames[result] : "not completed");
        out += ",\"solved\":" + std::string(solved ? "true" : "false") + ",\"reason\":" + jsonString(reason) +
               ",\"open\":" + jsonList(open) + "}\n";
        return out;
    }
    out = where + ": " + (rateMode ? "rating mode" : "full mode") + ", " + std::to_string(emptyAtStart) + " empty cells" +
          note + "\n";
    for (size_t i = 0; i < steps.size(); i++) {
        out += "  " + stepText(steps[i], static_cast<int>(i) + 1, rateMode) + (steps[i].because.empty() ? "" : ", after:") + "\n";
        for (const exclusionGroup& g : steps[i].because)
            out += "      " + patternText(g.pattern) + ": " + removedText(g.removed) + "\n";
    }
    out += "  " + reason + "\n";
    if (left > 0) out += "  open: " + open + "\n";
    return out;
}

std::string hintPuzzle(const std::string& where, const sudoku& puzzle, bool json, bool* good) {
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
    int entries = 0;
    for (short v : cells)
        if (v <= -1 && v >= -9) entries++;
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
    int result = 0;
    short final[81];
    const std::vector<explainedStep> steps = explainedSolve(all, false, &result, final, 1);
    if (!steps.empty()) {
        if (json) return head + ",\"hint\":\"step\",\"step\":" + stepJson(steps[0], 1, false) + "}\n";
        out += "  next: " + stepText(steps[0], 0, false) + (steps[0].because.empty() ? "" : ", after:") + "\n";
        for (const exclusionGroup& g : steps[0].because)
            out += "      " + patternText(g.pattern) + ": " + removedText(g.removed) + "\n";
        return out;
    }
    // No step: the open cell with the fewest refined candidates.
    sudoku g = fromGrid(all);
    short marks[81];
    g.returnMarkUps(marks, 2);
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
                             (n ? " (" + digitList(m, " ") + ")" : "");
    if (json)
        return head + ",\"hint\":\"none\",\"cell\":" + jsonString(cellName(best)) + ",\"candidates\":[" +
               digitList(m, ",") + "],\"text\":" + jsonString(text) + "}\n";
    return out + "  " + text + "\n";
}

namespace {

int usage(const std::string& message, const char* what) {
    std::fprintf(stderr, "velunda-cli: %s\nusage: velunda-cli %s\n", message.c_str(), what);
    return 2;
}

// Reads every puzzle of the paths, printing `work`'s text for each, in
// input order, the work spread over `workers` processes.
int overAll(const std::vector<std::string>& paths, int workers,
            const std::function<std::string(const std::string&, sudoku&, bool*)>& work) {
    struct item {
        std::string where;
        sudoku puzzle;
    };
    std::vector<item> items;
    int status = readPuzzleFiles(paths, [&](const std::string& where, sudoku& puzzle) {
        items.push_back(item{where, puzzle});
        return true;
    });
    const jobFunction job = [&](long i) {
        jobResult result;
        bool good = true;
        result.out = work(items[i].where, items[i].puzzle, &good);
        result.status = good ? 0 : 1;
        return result;
    };
    const resultFunction deliver = [&](long, const jobResult& result) {
        if (result.status > status) status = result.status;
        return writeOut(result.out);
    };
    if (!runJobs(static_cast<long>(items.size()), workers, job, deliver)) status = 2;
    return finishOutput("the results", status);
}

const char* const kExplainUsage = "explain [--mode rate|full] [--format text|json] [-j N] [FILE...]";
const char* const kHintUsage = "hint [--format text|json] [FILE]";

}  // namespace

int explainCommand(int argc, char** argv) {
    bool rateMode = true, json = false;
    int workers = defaultWorkers();
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--mode") {
            if (value == nullptr || (std::strcmp(value, "rate") != 0 && std::strcmp(value, "full") != 0))
                return usage("--mode is rate or full", kExplainUsage);
            rateMode = std::strcmp(value, "rate") == 0;
            i++;
        } else if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "text") != 0 && std::strcmp(value, "json") != 0))
                return usage("--format is text or json", kExplainUsage);
            json = std::strcmp(value, "json") == 0;
            i++;
        } else if (bool bad = false; workersOption(argc, argv, &i, &workers, &bad)) {
            if (bad) return usage(kWorkersError, kExplainUsage);
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for explain: " + arg, kExplainUsage);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.empty()) paths.push_back("-");
    return overAll(paths, workers, [&](const std::string& where, sudoku& puzzle, bool* good) {
        return explainPuzzle(where, puzzle, rateMode, json, good);
    });
}

int hintCommand(int argc, char** argv) {
    bool json = false;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--format") {
            if (value == nullptr || (std::strcmp(value, "text") != 0 && std::strcmp(value, "json") != 0))
                return usage("--format is text or json", kHintUsage);
            json = std::strcmp(value, "json") == 0;
            i++;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for hint: " + arg, kHintUsage);
        } else {
            paths.push_back(arg);
        }
    }
    if (paths.size() > 1) return usage("hint reads one file", kHintUsage);
    if (paths.empty()) paths.push_back("-");
    return overAll(paths, 1, [&](const std::string& where, sudoku& puzzle, bool* good) {
        return hintPuzzle(where, puzzle, json, good);
    });
}
