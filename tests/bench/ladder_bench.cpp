// The technique ladder's speed, beside the game's own rating on the same
// puzzles: rating both corpora, and making puzzles of a level.
//   velunda_ladder_bench [--benchmark_filter=...]
// Each corpus benchmark also gives the slowest single puzzle (max_ms, the
// median over the iterations of each puzzle's time, so one preemption by
// another process does not make a worst case).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <string>
#include <vector>

#include "engine/ladder/maker.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"

namespace {

std::vector<std::vector<short>> load(const char* path) {
    std::vector<std::vector<short>> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 81) continue;
        std::vector<short> cells(81);
        for (int c = 0; c < 81; c++) cells[c] = line[c] >= '1' && line[c] <= '9' ? static_cast<short>(line[c] - '0') : 0;
        // Solution lines of the mixed corpus are no puzzles.
        if (std::count(cells.begin(), cells.end(), 0) == 0) continue;
        out.push_back(cells);
    }
    return out;
}

const std::vector<std::vector<short>>& corpus(int which) {
    static const std::vector<std::vector<short>> expert = load(VELUNDA_EXPERT_FILE), mixed = load(VELUNDA_CORPUS_FILE);
    return which == 0 ? expert : mixed;
}

template <typename F>
void overCorpus(benchmark::State& state, const F& rate) {
    const std::vector<std::vector<short>>& grids = corpus(static_cast<int>(state.range(0)));
    if (grids.empty()) {
        state.SkipWithError("corpus not found");
        return;
    }
    std::vector<std::vector<double>> times(grids.size());
    for (auto _ : state)
        for (size_t k = 0; k < grids.size(); k++) {
            const auto start = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(rate(grids[k].data()));
            times[k].push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
    double worst = 0;
    for (std::vector<double>& t : times) {
        std::nth_element(t.begin(), t.begin() + static_cast<long>(t.size() / 2), t.end());
        worst = std::max(worst, t[t.size() / 2]);
    }
    state.counters["max_ms"] = worst;
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
    state.SetLabel(state.range(0) == 0 ? "expert corpus, items = puzzles" : "mixed corpus, items = puzzles");
}

// The whole ladder with its three numbers, as `rate --numbers` needs.
void BM_LadderRate(benchmark::State& state) {
    overCorpus(state, [](const short* cells) { return ladderRate(cells).hardest; });
}
BENCHMARK(BM_LadderRate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The game's own rating (`rate --scale game`), from a copied blank puzzle
// as the tool makes them.
void BM_GameRate(benchmark::State& state) {
    static const sudoku blank;
    overCorpus(state, [](const short* cells) {
        sudoku s = blank;
        for (int c = 0; c < 81; c++)
            if (cells[c]) s.solve_place(c / 9, c % 9, cells[c]);
        return s.solvePuzzle(1);
    });
}
BENCHMARK(BM_GameRate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// One puzzle of the level a time (Hard 3, Expert 4, Extreme 5).
void BM_LadderMake(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    long n = 0;
    for (auto _ : state) {
        short cells[81];
        benchmark::DoNotOptimize(ladderMakePuzzle(level, ladderPuzzleSeed(1, n++), 100000, cells));
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(ladderLevelName(level)) + ", items = puzzles");
}
BENCHMARK(BM_LadderMake)->Arg(levelHard)->Arg(levelExpert)->Arg(levelExtreme)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
