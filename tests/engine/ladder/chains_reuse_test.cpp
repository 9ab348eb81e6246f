// What the chain searches keep from one search to the next must give what
// a search made afresh gives.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

// The grids of a solve: the givens, then after each step.
std::vector<ladderGrid> solveGrids(const std::string& line) {
    short cells[81];
    cellsOf(line, cells);
    std::vector<ladderStep> steps;
    ladderRate(cells, &steps);
    std::vector<ladderGrid> grids(1);
    grids[0].start(cells);
    for (const ladderStep& step : steps) {
        grids.push_back(grids.back());
        grids.back().apply(step);
    }
    return grids;
}

}  // namespace

// A graph brought up to date step by step, or a few steps at a time (as a
// chain search sees the grid between its calls), is the graph built anew:
// same nodes in the same order, same links in the same order, holes aside.
// Now and then the grid goes back to an earlier one, with candidates back:
// that graph is made anew, and brought up to date from there.
TEST(LadderChainReuse, KeptGraphsAreTheGraphsBuiltAnew) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    long updates[4] = {0, 0, 0, 0};
    for (size_t k = 0; k < lines.size(); k += 10) {
        const std::vector<ladderGrid> grids = solveGrids(lines[k]);
        for (size_t stride : {1, 3}) {
            std::vector<ladderGrid> seen;
            for (size_t i = 0; i < grids.size(); i += stride) seen.push_back(grids[i]);
            if (seen.size() > 4) seen.push_back(seen[seen.size() / 2]);
            for (int reach = 0; reach < 4; reach++) {
                const int updated = ladderCheckKeptChainGraphs(seen, reach);
                ASSERT_GE(updated, 0) << lines[k] << " stride " << stride << " reach " << reach;
                updates[reach] += updated;
            }
        }
    }
    EXPECT_GT(updates[0], 2000);
    EXPECT_GT(updates[1], 2000);
    EXPECT_GT(updates[2], 2000);
    EXPECT_GT(updates[3], 2000);
}
