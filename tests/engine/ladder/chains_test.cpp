// The chain searches' shortcuts: what they pass over without searching must
// never change the chain they find.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/ladder/describe.h"
#include "engine/ladder/finders.h"
#include "engine/ladder/ladder_test_util.h"

using namespace laddertest;

namespace {

std::string says(int technique, const ladderGrid& g) {
    ladderStep s;
    std::string out = ladderTry(technique, g, &s) ? ladderStepText(s) : "none";
    for (unsigned short r : s.removals) out += " -" + std::to_string(r);
    return out;
}

// Calls f(grid, line) at every place of a solve (every `stride`th expert
// puzzle) where the step is of the expert tier or above.
template <typename F>
void eachHardPlace(size_t stride, const F& f) {
    const std::vector<std::string> lines = puzzleLines(VELUNDA_EXPERT_FILE);
    ASSERT_GE(lines.size(), 1000u);
    laddertest::eachHardPlace(lines, stride, f);
}

}  // namespace

// The alternating chains stop at a bound on the links they look at. Where
// that bound is reached, the starts passed over must count their links as
// if searched: with the bound lowered so that it is reached, the chain is
// the one of a search from every start.
TEST(LadderChains, TheLinkBoundHoldsWhereverItIsReached) {
    const int chains[] = {techAic, techGroupedAic, techAlsAic};
    int places = 0;
    for (long budget : {1500L, 6000L, 25000L}) {
        ladderChainLinkBudget(budget);
        eachHardPlace(16, [&](const ladderGrid& g, const std::string& line) {
            places++;
            for (int t : chains) {
                const std::string skipping = says(t, g);
                ladderSkipQuietChainStarts(false);
                const std::string everyStart = says(t, g);
                ladderSkipQuietChainStarts(true);
                EXPECT_EQ(skipping, everyStart) << line << " " << ladderInfo(t).key << " budget " << budget;
            }
        });
    }
    ladderChainLinkBudget(0);
    EXPECT_GT(places, 30);
}

// XY-Chains and remote pairs remember where their last search found
// nothing, for as long as their cells of two candidates stay the same and
// candidates only go. A grid with candidates back (the removals of a chain
// step undone) must be searched again: it gives the chain again.
TEST(LadderChains, CandidatesBackAreSearchedAgain) {
    int found = 0;
    eachHardPlace(8, [&](const ladderGrid& g, const std::string& line) {
        for (int t : {techXYChain, techRemotePair}) {
            ladderStep step;
            if (!ladderTry(t, g, &step)) continue;
            ladderGrid without = g;
            for (unsigned short r : step.removals) without.remove(r / 9, r % 9 + 1);
            says(t, without);
            ladderSkipQuietChainStarts(false);
            const std::string everyStart = says(t, g);
            ladderSkipQuietChainStarts(true);
            EXPECT_EQ(says(t, g), everyStart) << line << " " << ladderInfo(t).key;
            found++;
        }
    });
    EXPECT_GT(found, 20);
}

// Where the candidates are those of two or three solutions that differ in
// every cell, no candidate can go: no chain may remove or place anything.
// Such grids are the searches' largest (sets of every size, the bound on
// links reached, rows of many words), searched to the end.
TEST(LadderChains, NothingGoesWhereSolutionsShareTheCandidates) {
    const int chains[] = {techSimpleColouring, techMedusa, techRemotePair, techXChain, techXCycle,
                          techXYChain,         techAic,    techGroupedAic, techAlsAic};
    for (int solutions = 2; solutions <= 3; solutions++)
        for (int shift = 1; shift <= 4; shift++) {
            const ladderGrid g = sharedCandidates(solutions, shift);
            for (int t : chains) {
                EXPECT_EQ(says(t, g), "none") << solutions << " solutions, shift " << shift << ", " << ladderInfo(t).key;
                ladderSkipQuietChainStarts(false);
                EXPECT_EQ(says(t, g), "none") << solutions << " solutions, shift " << shift << ", " << ladderInfo(t).key;
                ladderSkipQuietChainStarts(true);
            }
        }
}
