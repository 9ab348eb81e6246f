#include "ladder_output.h"

#include <cstdio>

#include "engine/ladder/describe.h"

namespace {

std::string quoted(const std::string& text) {
    // Our own texts: cell names, unit names, technique names; nothing to escape.
    return "\"" + text + "\"";
}

std::string cellJson(int cell) {
    return quoted(ladderCell(cell));
}

std::string candidateJson(int cell, int digit) {
    return "{\"cell\":" + cellJson(cell) + ",\"digit\":" + std::to_string(digit) + "}";
}

std::string unitJson(int unit) {
    return quoted(ladderUnitName(unit));
}

std::string digitsJson(unsigned digits) {
    std::string out = "[";
    for (unsigned m = digits; m; m &= m - 1) out += (out.size() > 1 ? "," : "") + std::to_string(lowBit(m) + 1);
    return out + "]";
}

std::string unitsJson(const int* units, int count) {
    std::string out = "[";
    for (int i = 0; i < count; i++) out += (i ? "," : "") + unitJson(units[i]);
    return out + "]";
}

std::string nodeJson(const ladderNode& n) {
    std::string out = "{\"digit\":" + std::to_string(n.digit) + ",\"cells\":" + jsonCellList(n.cells);
    if (n.als.any()) out += ",\"als\":" + jsonCellList(n.als);
    return out + "}";
}

std::string indexList(const std::vector<int>& list, int first, int count) {
    std::string out = "[";
    for (int i = 0; i < count; i++) out += (i ? "," : "") + std::to_string(list[static_cast<size_t>(first + i)]);
    return out + "]";
}

std::string branchJson(const ladderBranch& b) {
    const ladderLiteral& a = b.literals[0];
    std::string out = "{\"assume\":{\"cell\":" + cellJson(a.cell) + ",\"digit\":" + std::to_string(a.digit) +
                      ",\"value\":" + (a.value ? "true" : "false") + "},\"implications\":[";
    static const char* const rules[] = {"peer", "cell", "unit"};
    for (size_t i = 1; i < b.literals.size(); i++) {
        const ladderLiteral& l = b.literals[i];
        out += std::string(i > 1 ? "," : "") + "{\"cell\":" + cellJson(l.cell) + ",\"digit\":" + std::to_string(l.digit) +
               ",\"value\":" + (l.value ? "true" : "false") + ",\"rule\":" + quoted(rules[l.rule]);
        if (l.rule == ruleUnit) out += ",\"unit\":" + unitJson(l.unit);
        out += ",\"because\":" + indexList(b.because, l.becauseFirst, l.becauseCount) + "}";
    }
    out += "]";
    if (b.contradiction == contradictionNone) return out + ",\"ends\":\"conclusion\"}";
    out += ",\"ends\":\"contradiction\",\"contradiction\":{";
    const std::string because =
        indexList(b.contradictionBecause, 0, static_cast<int>(b.contradictionBecause.size()));
    switch (b.contradiction) {
    case contradictionCell:
        out += "\"rule\":\"cell\",\"cell\":" + cellJson(b.contradictionCell);
        break;
    case contradictionUnit:
        out += "\"rule\":\"unit\",\"unit\":" + unitJson(b.contradictionUnit) +
               ",\"digit\":" + std::to_string(b.contradictionDigit);
        break;
    case contradictionLiteral: out += "\"rule\":\"literal\""; break;
    default: out += "\"rule\":\"peers\""; break;
    }
    return out + ",\"because\":" + because + "}}";
}

std::string patternJson(const ladderStep& step) {
    const ladderPattern& p = step.pattern;
    switch (p.kind) {
    case patternSingle:
        return "{\"kind\":\"single\",\"cell\":" + cellJson(p.cell) + ",\"digit\":" + std::to_string(p.digit) +
               ",\"unit\":" + (p.unit < 0 ? std::string("null") : unitJson(p.unit)) + "}";
    case patternFish:
        return "{\"kind\":\"fish\",\"digit\":" + std::to_string(p.digit) + ",\"base\":" + unitsJson(p.base, p.size) +
               ",\"cover\":" + unitsJson(p.cover, p.size) + ",\"fins\":" + jsonCellList(p.fins) + "}";
    case patternSubset:
        return std::string("{\"kind\":\"subset\",\"type\":") + (p.naked ? "\"naked\"" : "\"hidden\"") +
               ",\"unit\":" + unitJson(p.unit) + ",\"cells\":" + jsonCellList(p.cells) + ",\"digits\":" + digitsJson(p.digits) + "}";
    case patternChain: {
        std::string out = "{\"kind\":\"chain\",\"nodes\":[";
        for (size_t i = 0; i < p.nodes.size(); i++) out += (i ? "," : "") + nodeJson(p.nodes[i]);
        out += "],\"links\":[";
        for (size_t i = 0; i < p.strong.size(); i++) out += std::string(i ? "," : "") + (p.strong[i] ? "\"strong\"" : "\"weak\"");
        static const char* const loops[] = {"none", "continuous", "discontinuous"};
        return out + "],\"loop\":" + quoted(loops[p.loop]) + "}";
    }
    case patternColouring: {
        std::string out = "{\"kind\":\"colouring\",\"nodes\":[";
        for (size_t i = 0; i < p.nodes.size(); i++)
            out += std::string(i ? "," : "") + "{\"cell\":" + cellJson(p.nodes[i].cells.first()) +
                   ",\"digit\":" + std::to_string(p.nodes[i].digit) + ",\"colour\":" + std::to_string(p.colour[i]) + "}";
        out += "],\"links\":[";
        for (size_t i = 0; i < p.links.size(); i++)
            out += std::string(i ? "," : "") + "[" + std::to_string(p.links[i].first) + "," + std::to_string(p.links[i].second) + "]";
        out += "],\"false\":" + (p.falseColour < 0 ? std::string("null") : std::to_string(p.falseColour));
        if (p.falseColour >= 0) out += ",\"because\":[" + std::to_string(p.witness[0]) + "," + std::to_string(p.witness[1]) + "]";
        return out + "}";
    }
    case patternForcing: {
        std::string out = "{\"kind\":\"forcing\",\"over\":";
        if (p.over == overCell) out += "\"cell\",\"cell\":" + cellJson(p.cell);
        else if (p.over == overUnit) out += "\"unit\",\"unit\":" + unitJson(p.unit) + ",\"digit\":" + std::to_string(p.digit);
        else out += "\"contradiction\"";
        out += ",\"branches\":[";
        for (size_t i = 0; i < p.branches.size(); i++) out += (i ? "," : "") + branchJson(p.branches[i]);
        return out + "]}";
    }
    case patternRectangle: {
        std::string out = "{\"kind\":\"rectangle\",\"type\":" + std::to_string(p.type) + ",\"cells\":" + jsonCellList(p.cells) +
                          ",\"digits\":" + digitsJson(p.digits) + ",\"roof\":" + jsonCellList(p.roof);
        if (p.type == 2) out += ",\"extra\":" + std::to_string(p.extra);
        if (p.type == 3)
            out += ",\"subset\":{\"unit\":" + unitJson(p.subsetUnit) + ",\"cells\":" + jsonCellList(p.subsetCells) +
                   ",\"digits\":" + digitsJson(p.subsetDigits) + "}";
        if (p.type == 4) out += ",\"strong\":" + std::to_string(p.extra) + ",\"unit\":" + unitJson(p.unit);
        return out + "}";
    }
    case patternBug:
        return "{\"kind\":\"bug\",\"cell\":" + cellJson(p.cell) + ",\"digit\":" + std::to_string(p.digit) + "}";
    }
    return "null";
}

}  // namespace

std::string difficultyText(int tenths) {
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

std::string ladderNumbersText(const ladderRating& r) {
    std::string out = difficultyText(r.hardest) + "/" + difficultyText(r.beforePlacement) + "/" + difficultyText(r.first);
    if (r.hardestTechnique >= 0) out += std::string(" ") + ladderInfo(r.hardestTechnique).name;
    return out;
}

std::string ladderLevelText(const ladderRating& r) {
    std::string out = ladderLevelName(r.level);
    if (r.level == levelBeyondLogic)
        out += " (" + std::to_string(r.guesses) + (r.guesses == 1 ? " guess)" : " guesses)");
    return out;
}

std::string jsonCellList(cellSet cells) {
    std::string out = "[";
    for (int c = cells.pop(); c >= 0; c = cells.pop()) out += (out.size() > 1 ? "," : "") + cellJson(c);
    return out + "]";
}

std::string ladderStepLines(const ladderStep& step, int number, const std::string& lead) {
    std::string out = lead + (number > 0 ? std::to_string(number) + ". " : "") + ladderStepText(step) + " (" +
                      difficultyText(step.difficulty) + ")\n";
    for (const std::string& line : ladderProofLines(step)) out += lead + "    " + line + "\n";
    return out;
}

std::string ladderStepJson(const ladderStep& step, int number) {
    const ladderTechniqueInfo& info = ladderInfo(step.technique);
    std::string out = "{\"step\":" + std::to_string(number) + ",\"technique\":" + quoted(info.key) +
                      ",\"name\":" + quoted(info.name) + ",\"difficulty\":" + difficultyText(step.difficulty) +
                      ",\"text\":" + quoted(ladderStepText(step));
    if (step.placeCell >= 0) out += ",\"place\":" + candidateJson(step.placeCell, step.placeDigit);
    out += ",\"removes\":[";
    for (size_t i = 0; i < step.removals.size(); i++)
        out += (i ? "," : "") + candidateJson(step.removals[i] / 9, step.removals[i] % 9 + 1);
    return out + "],\"pattern\":" + patternJson(step) + "}";
}
