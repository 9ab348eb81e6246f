// The solver's rate over both corpora, in rating and full mode, and the
// automatic mark-ups the game computes: what the explanation hook must leave
// as fast as it was (no log is set here, as in the game and rate/solve).
//   velunda_solver_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/engine_test_util.h"

namespace {

// Every line that starts with 81 cells; the corpora alternate puzzles and
// solutions, and a solution is a fine (instant) puzzle too, so only the
// puzzles are kept: the lines with an open cell.
std::vector<std::vector<short>> loadGrids(const char* path) {
    std::vector<std::vector<short>> out;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 81 || line.find_first_of(".0") >= 81) continue;
        std::vector<short> cells(81);
        for (int i = 0; i < 81; i++)
            cells[i] = static_cast<short>(line[i] >= '1' && line[i] <= '9' ? line[i] - '0' : 0);
        out.push_back(cells);
    }
    return out;
}

void solveAll(benchmark::State& state, const char* path, int rate) {
    const std::vector<std::vector<short>> grids = loadGrids(path);
    if (grids.empty()) {
        state.SkipWithError("corpus not found");
        return;
    }
    sudoku s;
    long finished = 0;
    for (auto _ : state)
        for (const std::vector<short>& cells : grids) {
            for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
            finished += s.solvePuzzle(rate) != -1;
        }
    benchmark::DoNotOptimize(finished);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
    state.SetLabel("items = puzzles");
}

void BM_RateCorpus(benchmark::State& state) {
    solveAll(state, VELUNDA_CORPUS_FILE, 1);
}
BENCHMARK(BM_RateCorpus)->Unit(benchmark::kMillisecond);

void BM_SolveCorpus(benchmark::State& state) {
    solveAll(state, VELUNDA_CORPUS_FILE, 0);
}
BENCHMARK(BM_SolveCorpus)->Unit(benchmark::kMillisecond);

void BM_RateExpert(benchmark::State& state) {
    solveAll(state, VELUNDA_EXPERT_FILE, 1);
}
BENCHMARK(BM_RateExpert)->Unit(benchmark::kMillisecond);

void BM_SolveExpert(benchmark::State& state) {
    solveAll(state, VELUNDA_EXPERT_FILE, 0);
}
BENCHMARK(BM_SolveExpert)->Unit(benchmark::kMillisecond);

// The game's "?" key: the refined candidates of the step-by-step code.
void BM_MarkUpsExpert(benchmark::State& state) {
    const std::vector<std::vector<short>> grids = loadGrids(VELUNDA_EXPERT_FILE);
    if (grids.empty()) {
        state.SkipWithError("corpus not found");
        return;
    }
    sudoku s;
    short marks[81];
    for (auto _ : state)
        for (const std::vector<short>& cells : grids) {
            for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
            s.returnMarkUps(marks, 2);
            benchmark::DoNotOptimize(marks);
        }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
    state.SetLabel("items = puzzles");
}
BENCHMARK(BM_MarkUpsExpert)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
