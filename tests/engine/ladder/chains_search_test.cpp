// The chain searches' own shortcuts, each held to what it rests on.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/ladder/finders.h"

namespace {

std::vector<std::string> expertLines() {
    std::vector<std::string> out;
    std::ifstream in(VELUNDA_EXPERT_FILE);
    std::string line;
    while (std::getline(in, line))
        if (line.size() >= 81) out.push_back(line.substr(0, 81));
    return out;
}

// The grids at which every `stride`th expert puzzle's solve takes a step of
// the expert tier or above.
std::vector<ladderGrid> hardPlaces(size_t stride) {
    const std::vector<std::string> lines = expertLines();
    std::vector<ladderGrid> out;
    for (size_t k = 0; k < lines.size(); k += stride) {
        short cells[81];
        for (int c = 0; c < 81; c++) cells[c] = lines[k][c] >= '1' && lines[k][c] <= '9' ? static_cast<short>(lines[k][c] - '0') : 0;
        std::vector<ladderStep> steps;
        ladderRate(cells, &steps);
        ladderGrid g;
        g.start(cells);
        for (const ladderStep& step : steps) {
            if (ladderInfo(step.technique).level >= levelExpert) out.push_back(g);
            g.apply(step);
        }
    }
    return out;
}

// The candidates of `solutions` solutions that differ in every cell (a
// solution and the same with its digits shifted): strong links everywhere,
// so that a search from one start reaches most of the graph.
ladderGrid sharedCandidates(int solutions, int shift) {
    short none[81] = {};
    ladderGrid g;
    g.start(none);
    for (int c = 0; c < 81; c++) {
        const int r = c / 9, first = (r * 3 + r / 3 + c % 9) % 9;
        unsigned keep = 0;
        for (int k = 0; k < solutions; k++) keep |= 1u << ((first + k * shift) % 9);
        for (int d = 0; d < 9; d++)
            if (!((keep >> d) & 1)) g.remove(c, d + 1);
    }
    return g;
}

}  // namespace

// An alternating chain search stops counting the links it looks at once the
// starts left could not reach the bound on them together, each allowed the
// links of every node with a strong link. No start may look at more; and
// where a start reaches most of the graph it comes near that, so that a
// bound set a good deal too low is caught here too.
TEST(LadderChainSearch, NoStartLooksAtMoreLinksThanItsBound) {
    int places = 0;
    for (const ladderGrid& g : hardPlaces(25))
        for (int reach = 0; reach < 3; reach++) {
            long bound = 0, most = 0;
            ladderChainLinksOfAStart(g, reach, &bound, &most);
            ASSERT_LE(most, bound) << "reach " << reach;
            places++;
        }
    EXPECT_GT(places, 60);
    for (int solutions = 2; solutions <= 3; solutions++)
        for (int reach = 0; reach < 3; reach++) {
            long bound = 0, most = 0;
            ladderChainLinksOfAStart(sharedCandidates(solutions, 1), reach, &bound, &most);
            EXPECT_LE(most, bound) << solutions << " solutions, reach " << reach;
            // Two solutions: every cell and every unit's digit a strong link.
            if (solutions == 2) {
                EXPECT_GT(most * 2, bound) << "reach " << reach;
            }
        }
}
