// Puzzle, state and settings files, byte for byte, and what the readers do
// with short, damaged or hostile content.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine_test_util.h"

namespace {

std::string saved(sudoku& s, bool withMarks) {
    FILE* f = std::tmpfile();
    if (s.savePuzzle(f) == 0 && withMarks) saveMarkUps(f);
    return drain(f);
}

void load(sudoku& s, const std::string& text, bool withMarks = false) {
    FILE* f = streamWith(text);
    EXPECT_EQ(s.loadPuzzle(f), 0);
    if (withMarks) readMarkUps(f);
    std::fclose(f);
}

const char* const kAnnGame =
    "Ann\n"
    "5 -3 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n"
    "0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 0 \n0 0 0 0 0 0 0 0 9 \n";

class Files : public ::testing::Test {
protected:
    void SetUp() override { std::memset(retMarkUps, 0, sizeof retMarkUps); }
};

TEST_F(Files, GameFileBytes) {
    sudoku s;
    setGrid(s, "5c" + std::string(78, '.') + "9");
    s.setAuthor("Ann");
    EXPECT_EQ(saved(s, false), kAnnGame);
}

TEST_F(Files, StateFileAppendsMarkUpBlockWithoutFinalLineBreak) {
    sudoku s;
    setGrid(s, "5c" + std::string(78, '.') + "9");
    s.setAuthor("Ann");
    retMarkUps[2] = 511;
    retMarkUps[80] = 6;
    std::string block = "\n0 0 511 0 0 0 0 0 0 ";
    for (int r = 1; r < 8; r++) block += "\n0 0 0 0 0 0 0 0 0 ";
    block += "\n0 0 0 0 0 0 0 0 6 ";
    EXPECT_EQ(saved(s, true), std::string(kAnnGame) + block);
}

TEST_F(Files, SavingWithoutAuthorWritesNothing) {
    sudoku s;
    setGrid(s, "5");
    FILE* f = std::tmpfile();
    EXPECT_EQ(s.savePuzzle(f), -2);
    EXPECT_EQ(drain(f), "");
    EXPECT_EQ(s.savePuzzle(nullptr), -1);
    EXPECT_EQ(s.loadPuzzle(nullptr), -1);
}

TEST_F(Files, StateRoundTripRestoresGridAuthorAndEveryMark) {
    sudoku s;
    setGrid(s, "123456789abcdefghi...456...");
    s.setAuthor("Round Trip");
    for (int i = 0; i < 81; i++) retMarkUps[i] = static_cast<short>((i * 37) % 512);
    short marks[81];
    std::memcpy(marks, retMarkUps, sizeof marks);
    const std::string text = saved(s, true);

    std::memset(retMarkUps, 0, sizeof retMarkUps);
    sudoku t;
    load(t, text, true);
    EXPECT_EQ(gridString(t), gridString(s));
    char author[45] = "";
    t.returnAuthor(author);
    EXPECT_STREQ(author, "Round Trip");
    EXPECT_EQ(std::memcmp(marks, retMarkUps, sizeof marks), 0);
}

TEST_F(Files, ReadsCrLfLikeLf) {
    std::string crlf;
    for (const char* p = kAnnGame; *p; p++) {
        if (*p == '\n') crlf += '\r';
        crlf += *p;
    }
    sudoku a, b;
    load(a, kAnnGame);
    load(b, crlf);
    EXPECT_EQ(gridString(a), gridString(b));
    char author[45] = "";
    b.returnAuthor(author);
    EXPECT_STREQ(author, "Ann");
}

TEST_F(Files, GameFileAfterStateFileLeavesNoMarks) {
    for (int i = 0; i < 81; i++) retMarkUps[i] = 3;
    sudoku s;
    load(s, kAnnGame, true);
    for (short m : retMarkUps) EXPECT_EQ(m, 0);
}

TEST_F(Files, AuthorOnlyFileKeepsTheGridAndTakesTheAuthor) {
    sudoku s;
    setGrid(s, "123");
    s.setAuthor("Old");
    load(s, "New\n");
    EXPECT_EQ(gridString(s).substr(0, 4), "123.");
    char author[45] = "";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "New");
}

TEST_F(Files, EmptyFileChangesNothing) {
    sudoku s;
    setGrid(s, "123");
    s.setAuthor("Old");
    load(s, "");
    char author[45] = "";
    s.returnAuthor(author);
    EXPECT_STREQ(author, "Old");
    EXPECT_EQ(gridString(s).substr(0, 4), "123.");
}

TEST_F(Files, EmptyFirstLineLoadsWithoutAuthorAndCannotBeSaved) {
    std::string text = kAnnGame;
    text.replace(0, 3, "");
    sudoku s;
    load(s, text);
    EXPECT_EQ(gridString(s).substr(0, 2), "5c");
    FILE* f = std::tmpfile();
    EXPECT_EQ(s.savePuzzle(f), -2);
    std::fclose(f);
}

TEST_F(Files, ShortGridKeepsTheRestOfTheOldGrid) {
    sudoku s;
    setGrid(s, std::string(81, '7'));
    load(s, "Ann\n1 2 x 4\n");
    EXPECT_EQ(gridString(s).substr(0, 4), "1277");
    EXPECT_EQ(gridString(s).substr(4), std::string(77, '7'));
}

TEST_F(Files, Author44CharactersLongStillReadsTheGrid) {
    const std::string name(44, 'n');
    std::string text = kAnnGame;
    text.replace(0, 3, name);
    for (const char* ending : {"\n", "\r\n"}) {
        std::string t = text;
        if (std::string(ending) == "\r\n") t.insert(44, "\r");
        sudoku s;
        load(s, t);
        char author[45] = "";
        s.returnAuthor(author);
        EXPECT_EQ(std::string(author, 44), name);
        EXPECT_EQ(gridString(s).substr(0, 2), "5c");
    }
}

TEST_F(Files, OverlongAuthorLineReadsNoCell) {
    // The tail of the line begins with digits: it must not shift into the grid.
    std::string text = kAnnGame;
    text.replace(0, 3, std::string(44, 'n') + "12 34");
    sudoku s;
    setGrid(s, std::string(81, '8'));
    load(s, text);
    EXPECT_EQ(gridString(s), std::string(81, '8'));
    char author[45] = "";
    s.returnAuthor(author);
    EXPECT_EQ(std::string(author), std::string(44, 'n'));
}

TEST_F(Files, OutOfRangeValuesAreKeptAndHugeOnesSaturate) {
    sudoku s;
    std::string text = "Ann\n10 -10 511 99999999999999 -99999999999 +7";
    load(s, text);
    short cells[81];
    s.returnPuzzle(cells);
    EXPECT_EQ(cells[0], 10);
    EXPECT_EQ(cells[1], -10);
    EXPECT_EQ(cells[2], 511);
    EXPECT_EQ(cells[3], 32767);
    EXPECT_EQ(cells[4], -32768);
    EXPECT_EQ(cells[5], 7);
    // Kept as they are when written back.
    EXPECT_EQ(saved(s, false).substr(0, 20), "Ann\n10 -10 511 32767");
}

TEST_F(Files, DamagedMarkUpBlockLosesAllMarks) {
    std::string block;
    for (int i = 0; i < 40; i++) block += "5 ";
    block += "x 5 5";
    sudoku s;
    load(s, std::string(kAnnGame) + block, true);
    for (short m : retMarkUps) EXPECT_EQ(m, 0);

    for (int i = 0; i < 81; i++) retMarkUps[i] = 1;
    readMarkUps(nullptr);
    for (short m : retMarkUps) EXPECT_EQ(m, 0);
}

TEST_F(Files, MarkUpsOutsideTheNineBitsAreKept) {
    std::string block;
    for (int i = 0; i < 81; i++) block += i == 0 ? "-1 " : i == 1 ? "4096 " : "0 ";
    sudoku s;
    load(s, std::string(kAnnGame) + block, true);
    EXPECT_EQ(retMarkUps[0], -1);
    EXPECT_EQ(retMarkUps[1], 4096);
}

TEST_F(Files, BinaryJunkNeitherCrashesNorOverflows) {
    std::string junk;
    for (int i = 0; i < 4096; i++) junk += static_cast<char>((i * 131 + 7) % 256);
    sudoku s;
    load(s, junk, true);
    char author[45];
    std::memset(author, 0, sizeof author);
    s.returnAuthor(author);
    EXPECT_LE(std::strlen(author), 44u);
}

TEST(Settings, ReadsAndWritesTheSkinLine) {
    FILE* f = std::tmpfile();
    saveSkinMode(f, 1);
    EXPECT_EQ(drain(f), "Skin Mode: 1");

    struct Case {
        const char* text;
        int result;
        int skin;
    } cases[] = {
        {"Skin Mode: 1", 0, 1},  {"Skin Mode: 0", 0, 0},     {"Skin Mode:1\r\n", 0, 1},
        {"Skin Mode: 7", 0, 1},  {"Skin Mode: -2", 0, 1},    {"Skin  Mode:\n 1", 0, 1},
        {"skin mode: 1", -1, 5}, {"Skin Mode: one", -1, 5},  {"", -1, 5},
        {"Skin Mode: ", -1, 5},  {"Skin Mode: 99999999999999", 0, 1},
    };
    for (const Case& c : cases) {
        FILE* in = streamWith(c.text);
        int skin = 5;
        EXPECT_EQ(readSkinMode(in, &skin), c.result) << c.text;
        EXPECT_EQ(skin, c.skin) << c.text;
        std::fclose(in);
    }
}

}  // namespace
