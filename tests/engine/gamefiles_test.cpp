// The strict reader of game and state files (several in one text) and what
// the game and velunda-cli share of a puzzle: the reasons a file is refused,
// with their lines; every accepted file read as the game's own loadPuzzle
// reads it; the rated random puzzle of the File menu.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/authoring.h"
#include "engine/gamefiles.h"
#include "engine_test_util.h"

namespace {

// A grid of nine rows "0 0 ... 0 " with `first` as its first value.
std::string grid(const std::string& first = "0") {
    std::string rows = first;
    for (int i = 1; i < 81; i++) rows += i % 9 == 0 ? "\n0" : " 0";
    return rows + "\n";
}

const std::string kMarks = [] {
    std::string marks;
    for (int r = 0; r < 9; r++) marks += "\n1 2 3 4 5 6 7 8 511 ";
    return marks + "\n";
}();

// A stand-in for velunda-cli's puzzle lines: "LINE" and nothing else.
bool lineForm(const std::string& line, short* cells, std::string* error) {
    if (line == "LINE") {
        if (cells != nullptr)
            for (int i = 0; i < 81; i++) cells[i] = static_cast<short>(i % 9 + 1);
        return true;
    }
    if (error != nullptr) *error = "not a LINE";
    return false;
}

struct reading {
    std::vector<textPuzzle> puzzles;
    std::string problems;  // "line: what\n" each
    bool good;
};

reading readAll(const std::string& text, otherLineReader other = lineForm) {
    reading r;
    r.good = readPuzzleText(
        text, other,
        [&](const textPuzzle& p) {
            r.puzzles.push_back(p);
            return true;
        },
        [&](int line, const std::string& what) { r.problems += std::to_string(line) + ": " + what + "\n"; });
    return r;
}

TEST(StrictReader, SaysWhereAndWhyAFileIsRefused) {
    const std::string longAuthor(45, 'a');
    const struct {
        std::string text, problems;
        size_t puzzles;
    } cases[] = {
        {"Ann\n" + grid(), "", 1},
        {"Ann\n" + grid() + "Rating: Easy\n", "", 1},
        {"Ann\n" + grid() + kMarks, "", 1},
        {"Ann\n" + grid() + "\nBob\n" + grid("-9") + "LINE\n# a comment\n", "", 3},
        {longAuthor + "\n" + grid(), "1: the author line is 45 bytes long, more than the 44 the game reads (blanks count)\n", 0},
        {"\xEF\xBB\xBF" + std::string(42, 'a') + "\n" + grid(),
         "1: the author line is 45 bytes long (with the byte-order mark), more than the 44 the game reads (blanks count)\n", 0},
        {"An\rn\n" + grid(), "1: the author line holds a carriage return before its end\n", 0},
        {"Ann\n" + grid("10"), "2: '10' is not a cell value (-9 to 9)\n", 0},
        {"Ann\n" + grid("-009"), "2: '-009' is not a cell value (-9 to 9)\n", 0},
        {"Ann\n" + grid("+09"), "", 1},
        {"Ann\n0 0 0\n", "2: the grid ends after 3 of 81 cells\n", 0},
        {"Ann\n0 0 0\nLINE\n", "2: the grid ends after 3 of 81 cells\n", 1},
        {"Ann\n" + grid().substr(0, grid().size() - 1) + " 0\n", "10: '0' follows the 81st cell\n", 0},
        {grid().substr(grid().find('\n') + 1), "8: the grid ends after 63 of 81 cells (line 1, read as the author line, holds numbers only)\n", 0},
        {"Ann\n" + grid() + "\n1 2 3\n", "12: the pencil marks end after 3 of 81 values\n", 0},
        {"Ann\n" + grid() + "\n1 2 512\n", "12: '512' is not a pencil-mark value (0 to 511)\n", 0},
        {"Ann\n" + grid() + "\n1 -2\n", "12: '-2' is not a pencil-mark value (0 to 511)\n", 0},
        {"nonsense\n", "1: not a LINE\n", 0},
        {"# only a comment\n\n", "0: holds no puzzle\n", 0},
        {"", "0: holds no puzzle\n", 0},
    };
    for (const auto& c : cases) {
        const reading r = readAll(c.text);
        EXPECT_EQ(r.problems, c.problems) << c.text;
        EXPECT_EQ(r.puzzles.size(), c.puzzles) << c.text;
        EXPECT_EQ(r.good, c.problems.empty()) << c.text;
    }
}

TEST(StrictReader, ReadsWhatItAcceptsAsTheGameDoes) {
    const std::string texts[] = {
        "Ann\n5 -3 0 0 0 0 0 0 0\r\n" + grid().substr(18),
        "\n" + grid("9"),  // an empty first line: the empty author
        "\xEF\xBB\xBF" "Bob\n" + grid("+09") + kMarks,
        std::string("Z\0oe\n", 5) + grid("-1"),  // the game's author ends at the zero byte
    };
    for (const std::string& text : texts) {
        const reading r = readAll(text);
        ASSERT_EQ(r.puzzles.size(), 1u) << text << r.problems;
        sudoku game;
        FILE* f = streamWith(text);
        game.loadPuzzle(f);
        std::fclose(f);
        short cells[81];
        char author[45] = {};
        game.returnPuzzle(cells);
        game.returnAuthor(author);
        EXPECT_EQ(std::memcmp(cells, r.puzzles[0].cells, sizeof cells), 0) << text;
        EXPECT_EQ(r.puzzles[0].author, author) << text;
        EXPECT_TRUE(r.puzzles[0].gameFile);
        EXPECT_EQ(r.puzzles[0].line, 1);
    }
    // Several in one text, each named by its author line; a line of the
    // other form by its own.
    const reading r = readAll("Ann\n" + grid() + "LINE\n\nBob\n" + grid());
    ASSERT_EQ(r.puzzles.size(), 3u);
    EXPECT_EQ(r.puzzles[1].line, 11);
    EXPECT_FALSE(r.puzzles[1].gameFile);
    EXPECT_EQ(r.puzzles[2].line, 13);
    EXPECT_EQ(r.puzzles[2].author, "Bob");
    // Without another form, such a line is refused.
    EXPECT_EQ(readAll("LINE\n", nullptr).problems, "1: not part of a game file\n");
}

TEST(Authoring, RatedPuzzleLeavesTheGameAsTheFileMenuDid) {
    sudoku before, after;
    std::srand(7);
    before.newPuzzle(1);
    before.savePuzzleForUndo();
    const int rating = before.solvePuzzle(1);
    before.undoPuzzle();
    std::srand(7);
    EXPECT_EQ(makeRatedPuzzle(&after), rating);
    EXPECT_EQ(gridString(after), gridString(before));
    before.undoPuzzle();  // the undo copy: the solver's grid
    after.undoPuzzle();
    EXPECT_EQ(gridString(after), gridString(before));

    EXPECT_STREQ(ratingName(0), "Very Easy");
    EXPECT_STREQ(ratingName(2), "Medium");
    EXPECT_STREQ(ratingName(-1), "not completed");
    setGrid(after, "1a.b" + std::string(77, '.'));
    EXPECT_EQ(setAsideEntries(&after), 2);
    EXPECT_EQ(gridString(after).substr(0, 4), "1...");
}

}  // namespace
