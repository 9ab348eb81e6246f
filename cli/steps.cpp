// The solver's steps explained, for explain and hint. The solver runs as
// rate and solve run it, with a log set: its placements come back in order,
// with the technique, the level and the candidates each was found on. A
// placement that needed the refinement is explained by running the
// refinement once more on that grid, with the log taking down the
// exclusions, and keeping those that took the other candidates away, with
// the ones they rest on.
#include "steps.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <tuple>

#include "output.h"

namespace {

int boxCell(int b, int k) {
    return ((b / 3) * 3 + k / 3) * 9 + (b % 3) * 3 + k % 3;
}

}  // namespace

bool isGiven(int v) {
    return v >= 1 && v <= 9;
}

namespace {

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

}  // namespace

int bitCount(unsigned m) {
    int n = 0;
    for (; m != 0; m &= m - 1) n++;
    return n;
}

sudoku fromGrid(const short* grid) {
    static const sudoku blank;
    sudoku s = blank;
    s.clearPuzzle();
    for (int i = 0; i < 81; i++)
        if (isGiven(grid[i])) s.solve_place(i / 9, i % 9, grid[i]);
    return s;
}

namespace {

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

}  // namespace

std::string digitList(unsigned short digits, const char* separator, const char* last) {
    std::vector<int> list;
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d)) list.push_back(d + 1);
    std::string out;
    for (size_t i = 0; i < list.size(); i++) {
        if (i > 0) out += i + 1 == list.size() ? last : separator;
        out += std::to_string(list[i]);
    }
    return out;
}

namespace {

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

}  // namespace

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
        return digitList(e.digits, ", ", " and ") + " have only " + cellList(e.box, e.cells) + " in box " + box + ", a hidden " +
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

namespace {

const char* techniqueText(int byBox) {
    return byBox ? "the only cell in its box for the digit" : "the only candidate left in the cell";
}

}  // namespace

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

namespace {

std::string jsonCells(int box, unsigned short cells) {
    std::string out = "[";
    for (int k = 0; k < 9; k++)
        if (cells & (1u << k)) out += (out.size() > 1 ? "," : "") + jsonString(cellName(boxCell(box, k)));
    return out + "]";
}

}  // namespace

std::string stepText(const explainedStep& s, int number, bool rateMode) {
    std::string out = (number > 0 ? std::to_string(number) + ". " : "") + cellName(s.cell) + " " + std::to_string(s.digit) + ", " +
                      techniqueText(s.byBox);
    if (rateMode) out += " (stage " + std::to_string(s.level) + ")";
    return out;
}

std::string stepLines(const explainedStep& s, int number, bool rateMode, const std::string& lead) {
    std::string out = lead + stepText(s, number, rateMode) + (s.because.empty() ? "" : ", after:") + "\n";
    for (const exclusionGroup& g : s.because) out += "      " + patternText(g.pattern) + ": " + removedText(g.removed) + "\n";
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
               digitList(e.digits, ",", ",") + "],\"box\":" + std::to_string(e.box + 1) + ",\"cells\":" +
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
        if (refinesAt(p.level)) step.because = explainPlacement(basisGrid, p);
        steps.push_back(step);
    }
    return steps;
}

int commandUsage(const std::string& message, const char* usage) {
    std::fprintf(stderr, "velunda-cli: %s\nusage: velunda-cli %s\n", message.c_str(), usage);
    return 2;
}
