// New puzzles: their properties, the draws in their stated order, the
// games folder as a source, and folders that hold anything but puzzles.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/solutions.h"
#include "engine_test_util.h"
#include "reference_solver.h"

namespace {

namespace fs = std::filesystem;
using access = sudokuTestAccess;


// A puzzle the solver completes, and its solution.
const std::string kSource =
    ".....23...7..8..49.8....1.6.....9.61.6.2...7.79.4........84..2.4....76...3....71.";

// Valid and unique, but beyond the solver.
const std::string kTooHard =
    "9.476..3....9.5..8...23.6....83...9..2..7....6..4......4........57..9.....364....";

// Open file descriptors of this process.
int openFiles() {
    int n = 0;
    for (auto& entry : fs::directory_iterator("/proc/self/fd")) n += entry.path().empty() ? 0 : 1;
    return n;
}

// The test runs in a fresh folder of its own; ./games is what the test puts there.
class scratchFolder {
public:
    scratchFolder() {
        char name[] = "/tmp/velunda-generator-XXXXXX";
        path_ = mkdtemp(name) != nullptr ? name : "";
        old_ = fs::current_path();
        if (!path_.empty()) fs::current_path(path_);
    }
    ~scratchFolder() {
        fs::current_path(old_);
        std::error_code ignored;
        if (!path_.empty()) fs::remove_all(path_, ignored);
    }
    bool ok() const { return !path_.empty(); }
    static void write(const std::string& name, const std::string& text) {
        fs::create_directories("games");
        std::ofstream("games/" + name) << text;
    }

private:
    std::string path_;
    fs::path old_;
};

// A game file: the author, then nine rows of "%d ".
std::string gameFile(const std::string& author, const std::string& grid) {
    std::string text = author + "\n";
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const char ch = grid[r * 9 + c];
            if (ch >= '1' && ch <= '9') text += std::string(1, ch) + " ";
            else if (ch >= 'a' && ch <= 'i') text += "-" + std::string(1, static_cast<char>('1' + ch - 'a')) + " ";
            else text += "0 ";
        }
        text += "\n";
    }
    return text;
}

std::string solutionOf(const std::string& grid) {
    short cells[81], first[81];
    for (int i = 0; i < 81; i++) cells[i] = static_cast<short>(grid[i] >= '1' && grid[i] <= '9' ? grid[i] - '0' : 0);
    if (countSolutions(cells, 2, first) != 1) return "";
    std::string out;
    for (short v : first) out += static_cast<char>('0' + v);
    return out;
}

std::string authorOf(sudoku& s) {
    char author[45] = {};
    s.returnAuthor(author);
    return author;
}

// Everything a generated puzzle must be.
void expectSound(sudoku& s) {
    const std::string grid = gridString(s);
    for (int i = 0; i < 81; i++) {
        ASSERT_TRUE(grid[i] == '.' || (grid[i] >= '1' && grid[i] <= '9')) << grid;
        EXPECT_EQ(grid[i] == '.', grid[80 - i] == '.') << "not symmetric: " << grid;
    }
    EXPECT_FALSE(solutionOf(grid).empty()) << "not exactly one solution: " << grid;
    EXPECT_EQ(authorOf(s), "Brannoch");
    sudoku copy;
    setGrid(copy, grid);
    EXPECT_EQ(copy.solvePuzzle(0), -2) << grid;
    EXPECT_EQ(copy.isSolvedPuzzle(nullptr), 1);
    EXPECT_EQ(gridString(copy), solutionOf(grid));
}

bool permutations(const std::string& grid) {
    for (int u = 0; u < 9; u++) {
        int row = 0, col = 0, box = 0;
        for (int k = 0; k < 9; k++) {
            row |= 1 << (grid[u * 9 + k] - '0');
            col |= 1 << (grid[k * 9 + u] - '0');
            box |= 1 << (grid[((u / 3) * 3 + k / 3) * 9 + (u % 3) * 3 + k % 3] - '0');
        }
        if (row != 0x3FE || col != 0x3FE || box != 0x3FE) return false;
    }
    return true;
}

TEST(Generator, WithoutGamesFolderPuzzlesComeFromTheBuiltInGrid) {
    scratchFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::string builtInSolution = solutionOf(kBuiltIn);
    ASSERT_FALSE(builtInSolution.empty());

    sudoku s;
    EXPECT_EQ(s.makeSolution(), -2);
    EXPECT_EQ(gridString(s), builtInSolution);

    for (unsigned seed = 1; seed <= 12; seed++) {
        // The puzzle's solution is the built-in solution, shuffled: the
        // same shuffle the seed gives newSolution. (A new sudoku seeds the
        // generator with the time: construct first, then seed.)
        sudoku shuffled;
        std::srand(seed);
        shuffled.makeSolution();
        shuffled.newSolution();
        std::srand(seed);
        s.newPuzzle(1);
        expectSound(s);
        EXPECT_EQ(solutionOf(gridString(s)), gridString(shuffled)) << seed;
    }
}

TEST(Generator, NewSolutionKeepsEveryUnitAPermutation) {
    sudoku s;
    setGrid(s, solutionOf(kBuiltIn));
    for (unsigned seed = 0; seed < 50; seed++) {
        std::srand(seed);
        s.newSolution();
        ASSERT_TRUE(permutations(gridString(s))) << gridString(s);
    }
}

// newPuzzle read step by step, on the reference solver: every draw in its
// stated order.
std::string referenceNewPuzzle(unsigned seed) {
    std::srand(seed);
    referenceSolver ref;
    short cells[81];
    for (int i = 0; i < 81; i++) cells[i] = static_cast<short>(kBuiltIn[i] == '.' ? 0 : kBuiltIn[i] - '0');
    ref.setCells(cells);
    ref.solve(0);  // makeSolution: no folder, the built-in grid
    ref.solve(0);  // newSolution
    auto swapRows = [&](int a, int b) {
        for (int c = 0; c < 9; c++) std::swap(ref.puzzle[a][c], ref.puzzle[b][c]);
    };
    auto swapCols = [&](int a, int b) {
        for (int r = 0; r < 9; r++) std::swap(ref.puzzle[r][a], ref.puzzle[r][b]);
    };
    for (int b = 0; b <= 6; b += 3)
        for (int n = 0; n < 3; n++) {
            int k = std::rand() % 2;
            swapRows(b, b + 1 + k);
        }
    for (int s = 0; s <= 6; s += 3)
        for (int n = 0; n < 3; n++) {
            int k = std::rand() % 2;
            swapCols(s, s + 1 + k);
        }
    for (int n = 0; n < 3; n++) {
        int k = std::rand() % 2;
        for (int i = 0; i < 3; i++) swapCols(i, 3 * (1 + k) + i);
    }
    for (int n = 0; n < 3; n++) {
        int k = std::rand() % 2;
        for (int i = 0; i < 3; i++) swapRows(i, 3 * (1 + k) + i);
    }
    for (int n = 0; n < 4; n++) {
        int a = std::rand() % 9;
        int b = std::rand() % 9;
        while (b == a) b = std::rand() % 9;
        for (auto& row : ref.puzzle)
            for (short& v : row) {
                if (v == a + 1) v = static_cast<short>(b + 1);
                else if (v == b + 1) v = static_cast<short>(a + 1);
            }
    }
    int failures = 0;
    while (failures < 100) {
        int r, c;
        do {
            r = std::rand() % 9;
            c = std::rand() % 9;
        } while (ref.puzzle[r][c] == 0);
        short saved[9][9];
        std::memcpy(saved, ref.puzzle, sizeof saved);
        ref.puzzle[r][c] = 0;
        ref.puzzle[8 - r][8 - c] = 0;
        ref.solve(0);
        const int solved = ref.isSolved();
        std::memcpy(ref.puzzle, saved, sizeof saved);
        if (solved == 0) {
            failures++;
        } else {
            failures = 0;
            ref.puzzle[r][c] = 0;
            ref.puzzle[8 - r][8 - c] = 0;
        }
    }
    return ref.grid();
}

TEST(Generator, DrawsInTheStatedOrder) {
    scratchFolder folder;
    ASSERT_TRUE(folder.ok());
    for (unsigned seed : {7u, 2026u}) {
        sudoku s;
        std::srand(seed);
        s.newPuzzle(1);
        EXPECT_EQ(gridString(s), referenceNewPuzzle(seed)) << seed;
    }
}

TEST(Generator, SameSeedSamePuzzles) {
    scratchFolder folder;
    ASSERT_TRUE(folder.ok());
    scratchFolder::write("a.sdk", gameFile("Ann", kSource));
    scratchFolder::write("b.sdk", gameFile("Bob", kBuiltIn));
    std::string first[3];
    sudoku s;
    std::srand(99);
    for (std::string& grid : first) {
        s.newPuzzle(1);
        grid = gridString(s);
    }
    std::srand(99);
    for (const std::string& grid : first) {
        s.newPuzzle(1);
        EXPECT_EQ(gridString(s), grid);
    }
    EXPECT_NE(first[0], first[1]);
}

// The draw picks among the names in byte order, whatever order the file
// system lists them in: the same seed, the same file, the same puzzle.
TEST(Generator, PicksByTheSortedNames) {
    // Byte order: digits before capitals before '_' before small letters
    // before UTF-8; "10" before "9". Each file's author tells which was read.
    const std::string sorted[] = {"10.sdk", "9.sdk", "B.sdk", "_x.sdk", "a.sdk", "\xc3\xa9.sdk"};
    const int n = 6;
    std::string puzzles[2][12];
    for (int order = 0; order < 2; order++) {
        scratchFolder folder;
        ASSERT_TRUE(folder.ok());
        // Created in order, then in reverse order.
        for (int k = 0; k < n; k++) {
            const int file = order == 0 ? k : n - 1 - k;
            scratchFolder::write(sorted[file], gameFile("file" + std::to_string(file), file % 2 ? kSource : kBuiltIn));
        }
        for (unsigned seed = 1; seed <= 12; seed++) {
            std::srand(seed);
            const int expected = std::rand() % n;
            sudoku s;
            std::srand(seed);
            ASSERT_EQ(s.makeSolution(), 1);
            EXPECT_EQ(authorOf(s), "file" + std::to_string(expected)) << "seed " << seed << ", order " << order;
            std::srand(seed);
            s.newPuzzle(1);
            puzzles[order][seed - 1] = gridString(s);
        }
    }
    for (int k = 0; k < 12; k++) EXPECT_EQ(puzzles[0][k], puzzles[1][k]) << "seed " << k + 1;
}

TEST(Generator, PicksAFileOfTheGamesFolder) {
    scratchFolder folder;
    ASSERT_TRUE(folder.ok());
    scratchFolder::write("a.sdk", gameFile("Ann", kSource));
    sudoku s;
    EXPECT_EQ(s.makeSolution(), 1);
    EXPECT_EQ(gridString(s), solutionOf(kSource));
    EXPECT_EQ(authorOf(s), "Ann");
    s.newPuzzle(1);
    expectSound(s);
}

TEST(Generator, EntriesOfASavedGameAreNoGivens) {
    // A game in progress: right entries, and a wrong one that clashes. Its
    // givens are the source.
    {
        scratchFolder folder;
        ASSERT_TRUE(folder.ok());
        std::string game = kSource;
        const std::string solution = solutionOf(kSource);
        for (int i = 0; i < 40; i++)
            if (game[i] == '.') game[i] = static_cast<char>('a' + solution[i] - '1');
        game[0] = static_cast<char>('a' + (solution[0] - '0') % 9);
        scratchFolder::write("quit.sta", gameFile("Cy", game) + "\n0 0 0 0 0 0 0 0 0 ");
        sudoku s;
        EXPECT_EQ(s.makeSolution(), 1);
        EXPECT_EQ(gridString(s), solution);
        for (int n = 0; n < 5; n++) {
            s.newPuzzle(1);
            expectSound(s);
        }
    }
    // A finished game of a puzzle beyond the solver: complete and valid only
    // with the player's entries, which are no givens, so it is no source.
    {
        scratchFolder folder;
        ASSERT_TRUE(folder.ok());
        std::string game = kTooHard;
        const std::string solution = solutionOf(kTooHard);
        for (int i = 0; i < 81; i++)
            if (game[i] == '.') game[i] = static_cast<char>('a' + solution[i] - '1');
        scratchFolder::write("quit.sta", gameFile("Cy", game));
        sudoku s;
        s.makeSolution();
        EXPECT_EQ(gridString(s), solutionOf(kBuiltIn));
        for (int n = 0; n < 5; n++) {
            s.newPuzzle(1);
            expectSound(s);
        }
    }
}

TEST(Generator, HostileFoldersEndWithASoundPuzzle) {
    const std::string builtInSolution = solutionOf(kBuiltIn);
    struct setup {
        const char* what;
        void (*make)();
        bool fromFile;  // the puzzle comes from kSource
    };
    const setup setups[] = {
        {"empty folder", [] { fs::create_directories("games"); }, false},
        {"subfolder", [] { fs::create_directories("games/sub"); }, false},
        {"junk", [] { scratchFolder::write("junk.sdk", "\x01\x02 not a puzzle\n\n x y z"); }, false},
        {"empty file", [] { scratchFolder::write("empty.sdk", ""); }, false},
        {"author only", [] { scratchFolder::write("author.sdk", "Ann\n"); }, false},
        {"too hard", [] { scratchFolder::write("hard.sdk", gameFile("Ann", kTooHard)); }, false},
        {"conflict", [] { scratchFolder::write("clash.sdk", gameFile("Ann", "55" + kSource.substr(2))); }, false},
        {"damaged values", [] { scratchFolder::write("big.sdk", "Ann\n99999 -70000 5 " + std::string(160, '7')); },
         false},
        {"pipe",
         [] {
             fs::create_directories("games");
             mkfifo("games/pipe.sdk", 0600);
         },
         false},
        {"long name", [] { scratchFolder::write(std::string(200, 'n') + ".sdk", gameFile("Ann", kSource)); }, true},
    };
    for (const setup& each : setups) {
        scratchFolder folder;
        ASSERT_TRUE(folder.ok());
        each.make();
        sudoku s;
        // What the grid held before (the player's game) is no source either.
        setGrid(s, solutionOf(kTooHard));
        std::srand(5);
        const int filesBefore = openFiles();
        const int result = s.makeSolution();
        EXPECT_EQ(openFiles(), filesBefore) << each.what << ": the folder listing or a file was left open";
        EXPECT_EQ(gridString(s), each.fromFile ? solutionOf(kSource) : builtInSolution) << each.what;
        EXPECT_EQ(result, each.fromFile ? 1 : -2) << each.what;
        s.newPuzzle(1);
        expectSound(s);
    }
}

TEST(Generator, EmptyFolderDrawsNothing) {
    scratchFolder folder;
    ASSERT_TRUE(folder.ok());
    fs::create_directories("games");
    sudoku s;
    std::srand(11);
    const int expected = std::rand();
    std::srand(11);
    s.makeSolution();
    EXPECT_EQ(std::rand(), expected);
}

}  // namespace
