// Writes tests/engine/ladder/techniques.txt: for every technique, the first
// grid state met in the puzzle lists given (or in puzzles made to a level)
// where it finds a step whose near miss it does not find again. A
// developer's tool: run it when a technique is added or changes.
//
// usage: ladder_harvest LIST... > techniques.txt
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ladder/maker.h"
#include "ladder_test_util.h"

using namespace laddertest;

namespace {

std::string found[kLadderTechniques];

// Tries every technique not yet found on the grid.
void harvestState(const ladderGrid& g) {
    for (int t = 0; t < kLadderTechniques; t++) {
        if (!found[t].empty()) continue;
        ladderStep step;
        if (!ladderTry(t, g, &step)) continue;
        ladderGrid miss = g;
        if (nearMiss(step, &miss)) {
            ladderStep again;
            if (ladderTry(t, miss, &again) && sameStep(again, step)) continue;
        } else if (step.pattern.kind != patternForcing) {
            continue;
        }
        found[t] = std::string(ladderInfo(t).key) + " " + stateText(g) + " " + effectText(step);
    }
}

void harvestPuzzle(const short* cells) {
    std::vector<ladderStep> steps;
    const ladderRating r = ladderRate(cells, &steps);
    if (r.status == ladderNoSolution || r.status == ladderSeveral) return;
    ladderGrid g;
    g.start(cells);
    harvestState(g);  // the singles, before anything else
    for (const ladderStep& s : steps) {
        if (ladderInfo(s.technique).level >= levelMedium) harvestState(g);
        g.apply(s);
    }
}

bool complete() {
    for (const std::string& f : found)
        if (f.empty()) return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc && !complete(); i++) {
        std::ifstream in(argv[i]);
        std::string line;
        while (std::getline(in, line) && !complete()) {
            if (line.size() < 81) continue;
            short cells[81];
            for (int c = 0; c < 81; c++) cells[c] = line[c] >= '1' && line[c] <= '9' ? static_cast<short>(line[c] - '0') : 0;
            harvestPuzzle(cells);
        }
    }
    for (long n = 0; n < 3000 && !complete(); n++) {
        short cells[81];
        if (ladderMakePuzzle(levelExtreme, ladderPuzzleSeed(7, n), 200, cells)) harvestPuzzle(cells);
    }
    std::printf("# technique, grid state (placed digits; open cells with their candidates), step\n");
    std::printf("# made by ladder_harvest from tests/data; a technique the puzzles never need has no line\n");
    for (int t = 0; t < kLadderTechniques; t++)
        if (!found[t].empty()) std::printf("%s\n", found[t].c_str());
        else std::fprintf(stderr, "ladder_harvest: no example of %s\n", ladderInfo(t).key);
    return 0;
}
