// A ladder step in words: a line for an explanation, and a short one that
// fits the game's message box.
#include "engine/ladder/describe.h"

namespace {

std::string digitList(unsigned digits, const char* separator) {
    std::string out;
    for (unsigned m = digits; m; m &= m - 1) {
        if (!out.empty()) out += separator;
        out += std::to_string(lowBit(m) + 1);
    }
    return out;
}

std::string unitList(const int* units, int count) {
    // "rows 2 and 7", "columns 1, 4 and 8", "box 3"
    std::string out = ladderUnitKind(units[0]);
    if (count > 1) out += out == "box" ? "es" : "s";
    for (int i = 0; i < count; i++) {
        out += i == 0 ? " " : i + 1 == count ? " and " : ", ";
        out += std::to_string(ladderUnitNumber(units[i]));
    }
    return out;
}

std::string nodeText(const ladderNode& n) {
    std::string out = "(" + std::to_string(n.digit) + ")";
    if (n.als.any()) return out + "ALS{" + ladderCells(n.als) + "}";
    if (n.cells.count() == 1) return out + ladderCell(n.cells.first());
    return out + "{" + ladderCells(n.cells) + "}";
}

std::string literalText(const ladderLiteral& l) {
    return ladderCell(l.cell) + (l.value ? "=" : "<>") + std::to_string(l.digit);
}

}  // namespace

std::string ladderCell(int cell) {
    return "r" + std::to_string(cell / 9 + 1) + "c" + std::to_string(cell % 9 + 1);
}

std::string ladderCells(cellSet cells) {
    std::string out;
    for (int c = cells.pop(); c >= 0; c = cells.pop()) out += (out.empty() ? "" : " ") + ladderCell(c);
    return out;
}

std::string ladderUnitName(int unit) {
    return std::string(ladderUnitKind(unit)) + " " + std::to_string(ladderUnitNumber(unit));
}

std::string ladderRemovalsText(const ladderStep& step) {
    // "removes 5 from r1c4 r1c5, 7 from r2c2": by digit, cells in order
    std::string out;
    for (int d = 0; d < 9; d++) {
        cellSet cells;
        for (unsigned short r : step.removals)
            if (r % 9 == d) cells.add(r / 9);
        if (cells.empty()) continue;
        out += (out.empty() ? "removes " : ", ") + std::to_string(d + 1) + " from " + ladderCells(cells);
    }
    return out;
}

std::string ladderChainText(const ladderPattern& p) {
    std::string out;
    for (size_t i = 0; i < p.nodes.size(); i++) {
        if (i > 0) out += p.strong[i - 1] ? " = " : " - ";
        out += nodeText(p.nodes[i]);
    }
    if (p.loop != loopNone && !p.nodes.empty())
        out += (p.strong.back() ? " = " : " - ") + nodeText(p.nodes[0]);
    return out;
}

std::string ladderPatternText(const ladderStep& step) {
    const ladderPattern& p = step.pattern;
    switch (p.kind) {
    case patternSingle:
        if (p.unit < 0) return ladderCell(p.cell) + " has only " + std::to_string(p.digit);
        return std::to_string(p.digit) + " has only " + ladderCell(p.cell) + " in " + ladderUnitName(p.unit);
    case patternFish: {
        std::string out = std::to_string(p.digit) + " in " + unitList(p.base, p.size) + " lies only in " +
                          unitList(p.cover, p.size);
        if (p.fins.any()) out += " but for " + ladderCells(p.fins);
        return out;
    }
    case patternSubset:
        return ladderCells(p.cells) + (p.naked ? " hold only " : " are the only places of ") +
               digitList(p.digits, ", ") + " in " + ladderUnitName(p.unit);
    case patternChain: return ladderChainText(p);
    case patternColouring: {
        std::string colours[2];
        for (size_t i = 0; i < p.nodes.size(); i++) colours[p.colour[i]] += (colours[p.colour[i]].empty() ? "" : " ") + nodeText(p.nodes[i]);
        std::string out = "colours " + colours[0] + " / " + colours[1];
        if (p.falseColour >= 0)
            out += "; " + nodeText(p.nodes[static_cast<size_t>(p.witness[0])]) + " and " +
                   nodeText(p.nodes[static_cast<size_t>(p.witness[1])]) + " clash, so colour " +
                   (p.falseColour == 0 ? "one" : "two") + " is false";
        return out;
    }
    case patternForcing: {
        if (p.over == overContradiction) {
            const ladderBranch& b = p.branches[0];
            return literalText(b.literals[0]) + " leads to a contradiction";
        }
        std::string what = p.over == overCell ? "every candidate of " + ladderCell(p.cell)
                                              : "every place of " + std::to_string(p.digit) + " in " + ladderUnitName(p.unit);
        return what + " leads to " +
               (step.placeCell >= 0 ? ladderCell(step.placeCell) + "=" + std::to_string(step.placeDigit) : "the same");
    }
    case patternRectangle: {
        std::string out = ladderCells(p.cells) + " on " + digitList(p.digits, " and ");
        if (p.type == 2) out += ", the roof " + ladderCells(p.roof) + " shares " + std::to_string(p.extra);
        if (p.type == 3)
            out += ", the roof with " + ladderCells(p.subsetCells) + " locks " + digitList(p.subsetDigits, ", ") + " in " +
                   ladderUnitName(p.subsetUnit);
        if (p.type == 4) out += ", " + std::to_string(p.extra) + " only in the roof in " + ladderUnitName(p.unit);
        return out;
    }
    case patternBug: return "every other open cell has two candidates";
    }
    return "";
}

std::string ladderStepText(const ladderStep& step) {
    std::string out = std::string(ladderInfo(step.technique).name) + ": " + ladderPatternText(step);
    if (step.placeCell >= 0 && step.pattern.kind != patternForcing)
        out += ": " + ladderCell(step.placeCell) + " is " + std::to_string(step.placeDigit);
    if (!step.removals.empty()) out += ": " + ladderRemovalsText(step);
    return out;
}

std::vector<std::string> ladderProofLines(const ladderStep& step) {
    std::vector<std::string> lines;
    for (const ladderBranch& b : step.pattern.branches) {
        std::string line = literalText(b.literals[0]) + ":";
        for (size_t i = 1; i < b.literals.size(); i++) line += " " + literalText(b.literals[i]);
        if (b.contradiction != contradictionNone) line += " (contradiction)";
        lines.push_back(line);
    }
    return lines;
}

std::string ladderShortText(const ladderStep& step) {
    const ladderPattern& p = step.pattern;
    const std::string digit = std::to_string(p.digit);
    switch (p.kind) {
    case patternSingle:
        if (p.unit < 0) return "Naked single: " + digit + " in " + ladderCell(p.cell);
        return "Hidden single: " + digit + " in " + ladderUnitName(p.unit);
    case patternFish:
        if (step.technique == techPointing || step.technique == techClaiming)
            return std::string(ladderInfo(step.technique).name) + ": " + digit + " in " + ladderUnitName(p.base[0]);
        if (step.technique == techDoublePair) return "Double pair on " + digit + ": " + unitList(p.base, p.size);
        return std::string(ladderInfo(step.technique).name) + " on " + digit + ": " + unitList(p.base, p.size);
    case patternSubset:
        return std::string(ladderInfo(step.technique).name) + " " + digitList(p.digits, "") + ": " + ladderUnitName(p.unit);
    default: break;
    }
    std::string out = ladderInfo(step.technique).name;
    if (step.placeCell >= 0) return out + ": " + std::to_string(step.placeDigit) + " in " + ladderCell(step.placeCell);
    if (!step.removals.empty())
        return out + ": not " + std::to_string(step.removals[0] % 9 + 1) + " in " + ladderCell(step.removals[0] / 9);
    return out;
}
