// The counter that judges puzzles independently of the logical solver, against
// the plain search it replaced, and the random grids behind seeded games.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>
#include <string>

#include "corpus.h"
#include "engine/solutions.h"
#include "engine_test_util.h"
#include "exhaustive_counter.h"
#include "tests/bench/few_givens.h"

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

// Seeded games and the sample files depend on every draw: two grids in a
// row and the draw after them, as the plain search gave them.
TEST(Solutions, RandomGridsKeepTheirDraws) {
    struct pinned {
        unsigned seed;
        const char* first;
        const char* second;
        int next;
    };
    const pinned pins[] = {
        {1, "815629734297435816436871529643157982782396451951284367329718645174563298568942173",
         "486135297215947386937862415158329674792614853643578129564291738871453962329786541", 532670688},
        {2026, "845173629169452738372698154798324561426519387513867942954786213687231495231945876",
         "756234891934158672821679534518423769479586213263917485147365928692841357385792146", 569649582},
    };
    for (const pinned& pin : pins) {
        short cells[81];
        std::string grid;
        std::srand(pin.seed);
        randomSolution(cells);
        for (short v : cells) grid += static_cast<char>('0' + v);
        EXPECT_EQ(grid, pin.first) << pin.seed;
        grid.clear();
        randomSolution(cells);
        for (short v : cells) grid += static_cast<char>('0' + v);
        EXPECT_EQ(grid, pin.second) << pin.seed;
        EXPECT_EQ(std::rand(), pin.next) << pin.seed;
    }
}

std::string text(const short* cells) {
    std::string out;
    for (int i = 0; i < 81; i++) out += static_cast<char>('0' + cells[i]);
    return out;
}

// countSolutions against the plain search on one grid, with `limit`: the
// same count; a first solution that is valid and keeps the givens, and is
// the plain search's when there is only one. False when the plain search
// gave up (nothing compared).
bool agrees(const short* cells, int limit) {
    std::string expectedFirst;
    const int expected = exhaustiveCount(cells, limit, &expectedFirst);
    if (expected < 0) return false;
    short first[81];
    for (short& v : first) v = -1;
    const int n = countSolutions(cells, limit, first);
    EXPECT_EQ(n, expected) << text(cells) << " limit " << limit;
    if (n == 0) {
        for (short v : first) EXPECT_EQ(v, -1) << "first written without a solution: " << text(cells);
        return true;
    }
    EXPECT_TRUE(isValidSolution(first)) << text(cells) << " gave " << text(first);
    for (int i = 0; i < 81; i++) {
        if (cells[i] >= 1 && cells[i] <= 9) {
            EXPECT_EQ(first[i], cells[i]) << text(cells) << " cell " << i;
        }
    }
    if (expected == 1 && limit > 1) {
        EXPECT_EQ(text(first), expectedFirst) << text(cells);
    }
    return true;
}

std::vector<corpusPuzzle>& corpus() {
    static std::vector<corpusPuzzle> puzzles = loadCorpus(VELUNDA_CORPUS_FILE);
    return puzzles;
}

TEST(Solutions, CorpusPuzzlesHaveTheirKnownSolution) {
    ASSERT_GE(corpus().size(), 1000u);
    for (const corpusPuzzle& p : corpus()) {
        short cells[81], first[81];
        corpusCells(p.puzzle, cells);
        ASSERT_EQ(countSolutions(cells, 2, first), 1) << p.puzzle;
        EXPECT_EQ(text(first), p.solution) << p.puzzle;
    }
}

// Subsets of corpus solutions: few givens leave many solutions, many leave
// one; exact counts up to 12 show that deductions neither lose nor repeat a
// solution. A wrong digit among them mostly leaves none.
TEST(Solutions, AgreesWithThePlainSearch) {
    std::mt19937 rng(16);
    int compared[3] = {};  // none, one, 2 or more
    for (int k = 0; k < 600; k++) {
        const corpusPuzzle& p = corpus()[k % corpus().size()];
        short cells[81] = {};
        const int givens = 20 + static_cast<int>(rng() % 26);
        for (int n = 0; n < givens;) {
            const int i = static_cast<int>(rng() % 81);
            if (cells[i] != 0) continue;
            cells[i] = static_cast<short>(p.solution[i] - '0');
            n++;
        }
        if (k % 3 == 2) {
            // A wrong digit that clashes with no given.
            for (int tries = 0; tries < 50; tries++) {
                const int i = static_cast<int>(rng() % 81);
                const short d = static_cast<short>(1 + rng() % 9);
                if (cells[i] == 0 || d == cells[i]) continue;
                const short kept = cells[i];
                cells[i] = 0;
                bool clash = false;
                for (int j = 0; j < 81; j++) {
                    const bool peer = j / 9 == i / 9 || j % 9 == i % 9 || (j / 27 == i / 27 && j % 9 / 3 == i % 9 / 3);
                    clash = clash || (peer && cells[j] == d);
                }
                cells[i] = clash ? kept : d;
                if (!clash) break;
            }
        }
        for (int limit : {1, 2, 12}) {
            if (!agrees(cells, limit)) continue;
            if (limit == 2) compared[std::min(exhaustiveCount(cells, 2), 2)]++;
        }
    }
    // The mix is what makes the comparison worth having.
    EXPECT_GE(compared[0], 50);
    EXPECT_GE(compared[1], 50);
    EXPECT_GE(compared[2], 50);
}

// Puzzles of few givens made for timing. Those hiding a blocked box (every
// third) have no solution by construction and take the plain search
// seconds; it judges the others.
TEST(Solutions, FewGivensAgreeWithThePlainSearch) {
    const std::vector<std::string> puzzles = fewGivens::make(150);
    int compared = 0;
    for (size_t k = 0; k < puzzles.size(); k++) {
        short cells[81];
        fewGivens::cellsOf(puzzles[k], cells);
        EXPECT_EQ(countSolutions(cells, 2), k % 3 == 0 ? 2 : 0) << puzzles[k];
        if (k % 3 != 2) compared += agrees(cells, 2);
    }
    EXPECT_GE(compared, 95);
}

TEST(Solutions, EdgeGrids) {
    // The empty grid: the count reaches any limit, the first is valid.
    short empty[81] = {}, first[81] = {};
    EXPECT_EQ(countSolutions(empty, 1, first), 1);
    EXPECT_TRUE(isValidSolution(first));
    EXPECT_EQ(countSolutions(empty, 7), 7);
    EXPECT_EQ(countSolutions(empty, -1), 0);

    // A full grid is its own solution; one wrong cell in it leaves none.
    short full[81];
    cellsFrom(corpus()[0].solution, full);
    EXPECT_EQ(countSolutions(full, 2, first), 1);
    EXPECT_EQ(text(first), corpus()[0].solution);
    full[40] = static_cast<short>(full[40] % 9 + 1);
    EXPECT_EQ(countSolutions(full, 2), 0);

    // Repeats in a column and in a box (not the row: that one is above).
    short column[81] = {}, box[81] = {};
    column[4] = column[76] = 3;
    box[30] = box[50] = 8;
    EXPECT_EQ(countSolutions(column, 2), 0);
    EXPECT_EQ(countSolutions(box, 2), 0);

    // Nine givens with no solution: no row, column or box repeats a digit,
    // but no 1 fits in the middle box. The plain search took seconds.
    short nine[81];
    cellsFrom("..............7...9...........1.....1.....7...47......3............7.............", nine);
    for (short& v : first) v = -1;
    EXPECT_EQ(countSolutions(nine, 2, first), 0);
    EXPECT_EQ(first[0], -1);
}

}  // namespace
