// The exhaustive counter that judges puzzles independently of the logical solver.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "engine/solutions.h"
#include "engine_test_util.h"

namespace {

void cellsFrom(const std::string& text, short* cells) {
    for (int i = 0; i < 81; i++) cells[i] = text[i] == '.' ? 0 : static_cast<short>(text[i] - '0');
}

bool isValidSolution(const short* cells) {
    for (int u = 0; u < 9; u++) {
        int row = 0, col = 0, box = 0;
        for (int k = 0; k < 9; k++) {
            row |= 1 << cells[u * 9 + k];
            col |= 1 << cells[k * 9 + u];
            box |= 1 << cells[((u / 3) * 3 + k / 3) * 9 + (u % 3) * 3 + k % 3];
        }
        if (row != 0x3FE || col != 0x3FE || box != 0x3FE) return false;
    }
    return true;
}

TEST(Solutions, CountsNoneOneOrMore) {
    short cells[81], first[81];
    cellsFrom(kBuiltIn, cells);
    EXPECT_EQ(countSolutions(cells, 2, first), 1);
    EXPECT_TRUE(isValidSolution(first));
    for (int i = 0; i < 81; i++) {
        if (cells[i] != 0) {
            EXPECT_EQ(first[i], cells[i]);
        }
    }

    // The solution itself is its own only completion.
    EXPECT_EQ(countSolutions(first, 2), 1);

    // Swapping two digits in an unavoidable rectangle gives a second solution:
    // empty those four cells and both completions count.
    short open[81];
    for (int i = 0; i < 81; i++) open[i] = first[i];
    bool found = false;
    for (int r1 = 0; r1 < 9 && !found; r1++)
        for (int r2 = r1 + 1; r2 < 9 && !found; r2++)
            for (int c1 = 0; c1 < 9 && !found; c1++)
                for (int c2 = c1 + 1; c2 < 9 && !found; c2++) {
                    int a = first[r1 * 9 + c1], b = first[r1 * 9 + c2];
                    bool sameBand = r1 / 3 == r2 / 3, sameStack = c1 / 3 == c2 / 3;
                    if ((sameBand != sameStack) && first[r2 * 9 + c1] == b && first[r2 * 9 + c2] == a) {
                        open[r1 * 9 + c1] = open[r1 * 9 + c2] = open[r2 * 9 + c1] = open[r2 * 9 + c2] = 0;
                        found = true;
                    }
                }
    ASSERT_TRUE(found);
    EXPECT_EQ(countSolutions(open, 5), 2);

    short empty[81] = {};
    EXPECT_EQ(countSolutions(empty, 2), 2);
    EXPECT_EQ(countSolutions(empty, 0), 0);
}

TEST(Solutions, RepeatedGivensHaveNone) {
    short cells[81] = {};
    cells[0] = 5;
    cells[7] = 5;
    short first[81] = {};
    EXPECT_EQ(countSolutions(cells, 2, first), 0);
    EXPECT_EQ(first[0], 0);  // untouched
}

TEST(Solutions, OnlyGivensCount) {
    short cells[81];
    cellsFrom(kBuiltIn, cells);
    cells[0] = -9;   // an entry, even a wrong one, is ignored
    cells[1] = 300;  // so is a damaged value
    EXPECT_EQ(countSolutions(cells, 2), 1);
}

TEST(Solutions, RandomGridsAreValidAndFollowTheSeed) {
    short a[81], b[81];
    std::srand(7);
    randomSolution(a);
    std::srand(7);
    randomSolution(b);
    EXPECT_TRUE(isValidSolution(a));
    EXPECT_EQ(std::string(a, a + 81), std::string(b, b + 81));
    randomSolution(b);
    EXPECT_TRUE(isValidSolution(b));
    EXPECT_NE(std::string(a, a + 81), std::string(b, b + 81));
}

}  // namespace
