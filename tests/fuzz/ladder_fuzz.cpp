// The technique ladder on any grid of givens: no solution, several, or one.
// It must never crash or take a step without an effect (which would loop),
// and on a grid with one solution it must keep to that solution: no step
// places another digit or removes the solution's own. A byte is a cell
// (its value mod 10, 0 an open cell), so mutations of a real puzzle's line
// stay grids.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/ladder/ladder.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "fuzz_util.h"

namespace {

int candidateCount(const ladderGrid& g) {
    int n = 0;
    for (int c = 0; c < 81; c++) n += bitCount(g.cand[c]);
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    short cells[81] = {0};
    for (size_t i = 0; i < size && i < 81; i++) {
        const int v = data[i] >= '0' && data[i] <= '9' ? data[i] - '0' : data[i] % 10;
        cells[i] = static_cast<short>(v);
    }
    short solution[81];
    const int solutions = countSolutions(cells, 2, solution);

    // The whole rating, on a grid with one solution.
    if (solutions == 1) {
        std::vector<ladderStep> steps;
        const ladderRating r = ladderRate(cells, &steps);
        fuzz::check(r.status == ladderSolved || r.status == ladderStuck, "a unique grid is solved or stuck");
        fuzz::check(r.level >= levelVeryEasy && r.level <= levelBeyondLogic, "a level");
        // The game's solver is not run after a step above Medium: its
        // rating must be what running it gives.
        sudoku game;
        game.clearPuzzle();
        for (int c = 0; c < 81; c++)
            if (cells[c] >= 1 && cells[c] <= 9) game.solve_place(c / 9, c % 9, cells[c]);
        fuzz::check(r.gameRating == game.solvePuzzle(1), "the game's own rating");
        for (const ladderStep& s : steps) {
            fuzz::check(s.placeCell < 0 || solution[s.placeCell] == s.placeDigit, "no wrong placement");
            for (unsigned short rm : s.removals) fuzz::check(solution[rm / 9] != rm % 9 + 1, "the solution kept");
        }
    } else {
        fuzz::check(ladderRate(cells).status == (solutions == 0 ? ladderNoSolution : ladderSeveral),
                    "no or several solutions are reported, not rated");
    }

    // Step by step on any grid: every step takes something away. A grid
    // without a unique solution is walked only a little way (on a nearly
    // empty grid the chains are slow and prove nothing new).
    ladderGrid g;
    g.start(cells);
    ladderOptions options;
    options.unique = solutions == 1;
    ladderMemo memo;
    ladderStep step;
    int left = candidateCount(g);
    const int most = solutions == 1 ? 800 : 12;
    for (int n = 0; n < most && ladderNextStep(g, options, &step, &memo); n++) {
        g.apply(step);
        const int now = candidateCount(g);
        fuzz::check(now < left || step.placeCell >= 0, "a step with an effect");
        left = now;
    }
    return 0;
}
