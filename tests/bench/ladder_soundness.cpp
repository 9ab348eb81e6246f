// Checks the technique ladder against the solutions of many puzzles: every
// step must keep the one solution (no wrong placement, no removal of the
// solution's digit), and every puzzle must end solved or stuck.
//   velunda_ladder_soundness [COUNT [SEED]]   (100000 puzzles by default)
// The puzzles are made from the seed as `generate` makes them, of every
// level. A tool, not a test: it takes minutes. Exit status 1 on a fault.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/maker.h"
#include "engine/solutions.h"

int main(int argc, char** argv) {
    const long count = argc > 1 ? std::atol(argv[1]) : 100000;
    const uint64_t seed = argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1;
    long faults = 0, steps = 0, levels[kLadderLevels] = {0};
    const auto start = std::chrono::steady_clock::now();
    std::vector<ladderStep> done;
    for (long i = 0; i < count; i++) {
        short cells[81], solution[81];
        ladderRandomPuzzle(ladderPuzzleSeed(seed, i), cells);
        if (countSolutions(cells, 2, solution) != 1) {
            std::printf("puzzle %ld: not unique\n", i);
            faults++;
            continue;
        }
        const ladderRating r = ladderRate(cells, &done);
        levels[r.level]++;
        steps += static_cast<long>(done.size());
        for (const ladderStep& s : done) {
            bool wrong = s.placeCell >= 0 && solution[s.placeCell] != s.placeDigit;
            for (unsigned short rm : s.removals) wrong = wrong || solution[rm / 9] == rm % 9 + 1;
            if (!wrong) continue;
            faults++;
            std::printf("puzzle %ld: ", i);
            for (int c = 0; c < 81; c++) std::putchar(cells[c] ? '0' + cells[c] : '.');
            std::printf("\n  wrong step: %s\n", ladderStepText(s).c_str());
        }
        if ((i + 1) % 10000 == 0) std::fprintf(stderr, "%ld of %ld\n", i + 1, count);
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%ld puzzles, %ld steps checked against their solutions in %.0f s: %ld faults\n", count, steps, seconds,
                faults);
    for (int l = 0; l < kLadderLevels; l++) std::printf("  %-13s %ld\n", ladderLevelName(l), levels[l]);
    return faults == 0 ? 0 : 1;
}
