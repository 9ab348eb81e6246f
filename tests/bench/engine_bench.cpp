// Solving the corpus, counting solutions, and making new puzzles.
//   velunda_bench [--benchmark_filter=...]
// Runs in a scratch folder of its own: the generator reads "./games".
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "bench/few_givens.h"
#include "engine/corpus.h"
#include "engine/engine_test_util.h"
#include "engine/solutions.h"

namespace {

std::vector<corpusPuzzle>& corpus() {
    static std::vector<corpusPuzzle> puzzles = loadCorpus(VELUNDA_CORPUS_FILE);
    return puzzles;
}

void solveCorpus(benchmark::State& state, int rate) {
    std::vector<std::vector<short>> grids;
    for (const corpusPuzzle& p : corpus()) {
        grids.emplace_back(81);
        corpusCells(p.puzzle, grids.back().data());
    }
    if (grids.empty()) {
        state.SkipWithError("corpus not found");
        return;
    }
    sudoku s;
    int solved = 0;
    for (auto _ : state)
        for (const std::vector<short>& cells : grids) {
            for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
            solved += s.solvePuzzle(rate) != -1;
        }
    benchmark::DoNotOptimize(solved);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
    state.SetLabel("items = puzzles");
}

void BM_SolveCorpusRating(benchmark::State& state) {
    solveCorpus(state, 1);
}
BENCHMARK(BM_SolveCorpusRating)->Unit(benchmark::kMillisecond);

void BM_SolveCorpusFull(benchmark::State& state) {
    solveCorpus(state, 0);
}
BENCHMARK(BM_SolveCorpusFull)->Unit(benchmark::kMillisecond);

// countSolutions(cells, 2) on every grid, each timed on its own at every
// iteration. A grid's time is its median over the iterations, so one
// preemption by another process does not make a worst case; the counters
// give the median and the worst of those times, and the mean of every
// timing, in microseconds.
void countEach(benchmark::State& state, const std::vector<std::vector<short>>& grids, int expected) {
    if (grids.empty()) {
        state.SkipWithError("no puzzles");
        return;
    }
    std::vector<std::vector<double>> times(grids.size());
    int wrong = 0;
    for (auto _ : state)
        for (size_t k = 0; k < grids.size(); k++) {
            const auto start = std::chrono::steady_clock::now();
            const int n = countSolutions(grids[k].data(), 2);
            const auto end = std::chrono::steady_clock::now();
            benchmark::DoNotOptimize(n);
            wrong += expected >= 0 ? n != expected : n == 1;
            times[k].push_back(std::chrono::duration<double, std::micro>(end - start).count());
        }
    if (wrong != 0) {
        state.SkipWithError("a count is wrong");
        return;
    }
    std::vector<double> each;
    double total = 0;
    for (std::vector<double>& t : times) {
        for (double us : t) total += us;
        std::nth_element(t.begin(), t.begin() + t.size() / 2, t.end());
        each.push_back(t[t.size() / 2]);
    }
    std::sort(each.begin(), each.end());
    state.counters["median_us"] = each[each.size() / 2];
    state.counters["worst_us"] = each.back();
    state.counters["mean_us"] = total / static_cast<double>(state.iterations() * grids.size());
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(grids.size()));
    state.SetLabel("items = puzzles");
}

// QQwing's "expert" puzzles, one a line: each has one solution.
void BM_CountSolutionsExpert(benchmark::State& state) {
    static std::vector<std::vector<short>> grids = [] {
        std::vector<std::vector<short>> out;
        std::ifstream in(VELUNDA_EXPERT_FILE);
        std::string line;
        while (std::getline(in, line))
            if (line.size() >= 81) {
                out.emplace_back(81);
                corpusCells(line, out.back().data());
            }
        return out;
    }();
    countEach(state, grids, 1);
}
BENCHMARK(BM_CountSolutionsExpert)->Unit(benchmark::kMillisecond);

// Few givens, with no solution or several (tests/bench/few_givens.h).
void BM_CountSolutionsFewGivens(benchmark::State& state) {
    static std::vector<std::vector<short>> grids = [] {
        std::vector<std::vector<short>> out;
        for (const std::string& grid : fewGivens::make(1000)) {
            out.emplace_back(81);
            fewGivens::cellsOf(grid, out.back().data());
        }
        return out;
    }();
    countEach(state, grids, -1);
}
BENCHMARK(BM_CountSolutionsFewGivens)->Unit(benchmark::kMillisecond);

// The key N: a new symmetric puzzle, then its rating.
void newPuzzles(benchmark::State& state, bool rate) {
    sudoku s;
    std::srand(1);
    for (auto _ : state) {
        s.newPuzzle(1);
        if (rate) {
            s.savePuzzleForUndo();
            benchmark::DoNotOptimize(s.solvePuzzle(1));
            s.undoPuzzle();
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("items = puzzles");
}

// Without "./games": every puzzle from the built-in grid.
void BM_NewPuzzle(benchmark::State& state) {
    newPuzzles(state, false);
}
BENCHMARK(BM_NewPuzzle)->Unit(benchmark::kMillisecond);

void BM_NewRatedPuzzle(benchmark::State& state) {
    newPuzzles(state, true);
}
BENCHMARK(BM_NewRatedPuzzle)->Unit(benchmark::kMillisecond);

// A folder of 40 corpus puzzles that the solver completes, as sources.
void BM_NewPuzzleFromGames(benchmark::State& state) {
    std::error_code error;
    std::filesystem::create_directories("games", error);
    if (error) {
        state.SkipWithError("cannot make ./games");
        return;
    }
    int written = 0;
    for (const corpusPuzzle& p : corpus()) {
        if (written == 40) break;
        sudoku s;
        short cells[81];
        corpusCells(p.puzzle, cells);
        for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
        if (s.solvePuzzle(0) != -2) continue;
        for (int i = 0; i < 81; i++) sudokuTestAccess::grid(s)[i / 9][i % 9] = cells[i];
        s.setAuthor("QQwing");
        std::string name = "games/corpus" + std::to_string(written++) + ".sdk";
        FILE* f = std::fopen(name.c_str(), "w");
        if (f == nullptr) continue;
        s.savePuzzle(f);
        std::fclose(f);
    }
    newPuzzles(state, false);
    std::filesystem::remove_all("games", error);
}
BENCHMARK(BM_NewPuzzleFromGames)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    char scratch[] = "/tmp/velunda-bench-XXXXXX";
    if (mkdtemp(scratch) == nullptr || chdir(scratch) != 0) {
        std::perror("velunda_bench: scratch folder");
        return 2;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::error_code error;
    if (chdir("/") == 0) std::filesystem::remove_all(scratch, error);
    return 0;
}
