// velunda-cli from the outside, grouped by command: what rate, solve and
// check read (CliReading), each command on good and bad input, the exit
// statuses a script relies on, failed writes and the progress line.
#include <gtest/gtest.h>

#include "cli_test_util.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace clitest;

struct Result {
    std::string out, err;
    int status = -1;
};

const std::string kEasySolution =
    "294165837617834952385972641532681479741259386869743215928417563473596128156328794";
// A unique puzzle the logical solver cannot complete, and its solution.
const std::string kHard =
    "8..........36......7..9.2...5...7.......457.....1...3...1....68..85...1..9....4..";
const std::string kHardSolution =
    "812753649943682175675491283154237896369845721287169534521974368438526917796318452";
const std::string kEmpty(81, '.');
const char kBom[] = "\xEF\xBB\xBF";

// A game file as the game writes it. In `grid`, '1'..'9' is a given, '.' an
// empty cell and 'a'..'i' the player's entry of 1..9.
std::string gameText(const std::string& author, const std::string& grid) {
    std::string text = author + "\n";
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            const char ch = grid[r * 9 + c];
            text += ch == '.' ? "0" : ch >= 'a' && ch <= 'i' ? "-" + std::to_string(ch - 'a' + 1) : std::string(1, ch);
            text += " ";
        }
        text += "\n";
    }
    return text;
}

// A state file as the game writes it: the game file, then the pencil marks.
std::string stateText(const std::string& author, const std::string& grid) {
    std::string text = gameText(author, grid);
    for (int r = 0; r < 9; r++) text += "\n0 0 0 0 0 0 0 0 0 ";
    return text;
}

// The grid with every open cell of `grid` an entry of `solution`'s digit.
std::string withEntries(const std::string& grid, const std::string& solution) {
    std::string out = grid;
    for (int i = 0; i < 81; i++)
        if (out[i] == '.') out[i] = static_cast<char>('a' + (solution[i] - '1'));
    return out;
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velunda-cli-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + quote(dir)).c_str()); }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }

    // Runs velunda-cli with `args` in the scratch folder, `input` on stdin;
    // standard output goes to `out` (a file of the folder, or /dev/full).
    Result run(const std::string& args, const std::string& input = "", const std::string& out = ".stdout") {
        return shell(quote(VELUNDA_CLI) + " " + args + " <.stdin", input, out);
    }

    // Runs a shell command line in the scratch folder; VC names velunda-cli.
    Result shell(const std::string& line, const std::string& input = "", const std::string& out = ".stdout") {
        write(".stdin", input);
        write(".stdout", "");
        const std::string command = "cd " + quote(dir) + " && VC=" + quote(VELUNDA_CLI) + " && { " + line +
                                    " ; } <.stdin >" + out + " 2>.stderr";
        const int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(dir + "/.stdout");
        r.err = readFile(dir + "/.stderr");
        return r;
    }

    std::string dir;
};

// ---------------------------------------------------------------- usage, help

class CliUsage : public CliTest {};

TEST_F(CliUsage, ErrorsExitWithTwo) {
    for (const char* args : {"", "frobnicate", "generate -n", "generate -n x", "generate -n -3",
                             "generate --format xml", "generate --bogus", "rate --bogus"}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_TRUE(has(r.err, "usage:")) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    Result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(has(help.out, "velunda-cli check"));
}

TEST_F(CliUsage, HelpThatCannotBeWrittenExitsWithTwo) {
    Result r = run("--help", "", "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "velunda-cli: cannot write the help: No space left on device")) << r.err;
}

// ------------------------------------------- what rate, solve and check read

class CliReading : public CliTest {};

TEST_F(CliReading, LinesFromStandardInput) {
    Result r = run("rate", kEasy + "\n\n# a comment\n" + kEmpty + "\r\n");
    EXPECT_EQ(r.out, "stdin:1: Easy\nstdin:4: not unique (2 or more solutions)\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(run("rate", kEasy + "\n").status, 0);
}

TEST_F(CliReading, BadLinesAreNamedAndTheRunGoesOn) {
    std::string letter = kEasy;
    letter[10] = 'x';
    Result r = run("rate", kEasy.substr(0, 80) + "\n" + letter + "\n" + kEasy + "\n" + kEasy + "x\n");
    EXPECT_EQ(r.out, "stdin:3: Easy\n");
    EXPECT_TRUE(has(r.err, "stdin:1: expected 81 cells, found 80\n")) << r.err;
    EXPECT_TRUE(has(r.err, "stdin:2: column 11: 'x' is not a digit")) << r.err;
    EXPECT_TRUE(has(r.err, "stdin:4: column 82: 'x' follows the 81 cells without a blank")) << r.err;
    EXPECT_EQ(r.status, 1);
}

// The line format: 81 cells, then optionally blanks and a comment.
TEST_F(CliReading, PuzzleLinesMayEndWithAComment) {
    std::string zeros = kEasy;
    for (char& c : zeros)
        if (c == '.') c = '0';
    Result r = run("rate", kEasy + " Easy\n" + zeros + "\t\t# by hand \r\n" + kEasy + "   \n");
    EXPECT_EQ(r.out, "stdin:1: Easy\nstdin:2: Easy\nstdin:3: Easy\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliReading, ABadFirstLineOfAListDoesNotHideTheRest) {
    for (const std::string& first : {std::string("hello"), std::string("hello world"), kEasy.substr(0, 40),
                                     "puzzles " + kEasy}) {
        write("list.txt", first + "\n" + kEasy + "\n" + kEasy + " Easy\n");
        Result r = run("rate list.txt");
        EXPECT_EQ(r.out, "list.txt:2: Easy\nlist.txt:3: Easy\n") << first;
        EXPECT_TRUE(has(r.err, "list.txt:1: ")) << first << r.err;
        EXPECT_FALSE(has(r.err, "list.txt:2")) << first << r.err;
        EXPECT_EQ(r.status, 1) << first;
    }
}

TEST_F(CliReading, AByteOrderMarkIsSkippedInListsAsInGameFiles) {
    write("list.txt", kBom + kEasy + "\n" + kEasy + "\n");
    write("game.sdk", kBom + gameText("Ann", kEasy));
    Result r = run("rate list.txt game.sdk -", kBom + kEasy + " Easy\n");
    EXPECT_EQ(r.out, "list.txt:1: Easy\nlist.txt:2: Easy\ngame.sdk: Easy\nstdin:1: Easy\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliReading, GameAndLineFilesTogether) {
    write("easy.sdk", gameText("Ann", kEasy));
    write("list.txt", "# two puzzles\n" + kEasy + "\n" + kEasy + "\n");
    Result r = run("rate easy.sdk list.txt");
    EXPECT_EQ(r.out, "easy.sdk: Easy\nlist.txt:2: Easy\nlist.txt:3: Easy\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliReading, SeveralGameFilesOneAfterAnother) {
    // As `cat` puts them together: no blank line between, a state file last.
    write("all.sdk", gameText("Ann", kEasy) + gameText("Bob", kHard) + "\n" + gameText("# Cy", kEasy) +
                         stateText("Dee", withEntries(kEasy, kEasySolution)));
    Result r = run("rate all.sdk");
    EXPECT_EQ(r.out,
              "all.sdk:1: Easy\n"
              "all.sdk:11: Beyond logic (2 guesses)\n"
              "all.sdk:22: Easy\n"
              "all.sdk:32: Easy (givens only; 59 entries set aside)\n");
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliReading, ADamagedGameFileAmongSeveralIsReportedAndTheOthersRead) {
    std::string second = gameText("Bob", kEasy);
    second.replace(second.find("7 8 3"), 1, "seven");
    std::string shortOne = "Cy\n0 0 0\n0 0\n";
    write("all.sdk", gameText("Ann", kEasy) + second + shortOne + gameText("Dee", kEasy));
    Result r = run("check all.sdk");
    EXPECT_EQ(r.out,
              "all.sdk:1: no conflicts, 59 empty cells, solutions: 1\n"
              "all.sdk:24: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_TRUE(has(r.err, "all.sdk:13: 'seven' is not a cell value (-9 to 9)")) << r.err;
    EXPECT_TRUE(has(r.err, "all.sdk:23: the grid ends after 5 of 81 cells")) << r.err;
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliReading, DamagedGameFilesAreReportedWithTheirLine) {
    const std::string text = gameText("Ann", kEasy);
    write("letter.sdk", text.substr(0, text.find("7")) + "seven" + text.substr(text.find("7") + 1));
    write("short.sdk", "Ann\n0 0 0\n0 0\n");
    write("range.sdk", "Ann\n0 0 12 0\n");
    write("author.sdk", std::string(50, 'a') + " b\n" + text.substr(4));
    write("rows.sdk", text.substr(4));  // no author line
    write("extra.sdk", text.substr(0, text.size() - 1) + "5\n");
    write("empty.sdk", "");
    write("comments.sdk", "# nothing\n\n");
    write("good.sdk", text);
    Result r = run("check letter.sdk short.sdk range.sdk author.sdk rows.sdk extra.sdk empty.sdk comments.sdk good.sdk");
    EXPECT_TRUE(has(r.err, "letter.sdk:3: 'seven' is not a cell value")) << r.err;
    EXPECT_TRUE(has(r.err, "short.sdk:3: the grid ends after 5 of 81 cells")) << r.err;
    EXPECT_TRUE(has(r.err, "range.sdk:2: '12' is not a cell value")) << r.err;
    EXPECT_TRUE(has(r.err, "author.sdk:1: the author line is 52 bytes long")) << r.err;
    EXPECT_TRUE(has(r.err, "rows.sdk:9: the grid ends after 72 of 81 cells (line 1, read as the author line")) << r.err;
    EXPECT_TRUE(has(r.err, "extra.sdk:10: '5' follows the 81st cell")) << r.err;
    EXPECT_TRUE(has(r.err, "empty.sdk: holds no puzzle")) << r.err;
    EXPECT_TRUE(has(r.err, "comments.sdk: holds no puzzle")) << r.err;
    EXPECT_EQ(r.out, "good.sdk: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_EQ(r.status, 1);
}

// The author line holds at most 44 bytes, as the game reads it: blanks count,
// the line end does not. A longer one would load in the game as an empty grid.
TEST_F(CliReading, OneRuleForTheAuthorLine) {
    const std::string a44(44, 'a');
    write("44.sdk", gameText(a44, kEasy));  // no blank: still an author, not a line of cells
    write("44crlf.sdk", a44 + "\r\n" + gameText("", kEasy).substr(1));
    write("41blanks.sdk", gameText(std::string(41, 'a') + "   ", kEasy));
    write("bom41.sdk", kBom + gameText(std::string(41, 'a'), kEasy));
    write("noauthor.sdk", gameText("", kEasy));
    Result good = run("rate 44.sdk 44crlf.sdk 41blanks.sdk bom41.sdk noauthor.sdk");
    EXPECT_EQ(good.out, "44.sdk: Easy\n44crlf.sdk: Easy\n41blanks.sdk: Easy\nbom41.sdk: Easy\nnoauthor.sdk: Easy\n");
    EXPECT_EQ(good.err, "");
    EXPECT_EQ(good.status, 0);

    write("45.sdk", gameText(a44 + "a", kEasy));
    write("padded.sdk", gameText("Ann" + std::string(50, ' '), kEasy));
    write("tab.sdk", gameText(a44 + "\t", kEasy));
    write("bom42.sdk", kBom + gameText(std::string(42, 'a'), kEasy));
    write("cr.sdk", gameText("Ann\rBob", kEasy));
    Result bad = run("rate 45.sdk padded.sdk tab.sdk bom42.sdk cr.sdk");
    EXPECT_EQ(bad.out, "");
    EXPECT_TRUE(has(bad.err, "45.sdk:1: the author line is 45 bytes long, more than the 44")) << bad.err;
    EXPECT_TRUE(has(bad.err, "padded.sdk:1: the author line is 53 bytes long")) << bad.err;
    EXPECT_TRUE(has(bad.err, "tab.sdk:1: the author line is 45 bytes long")) << bad.err;
    EXPECT_TRUE(has(bad.err, "bom42.sdk:1: the author line is 45 bytes long (with the byte-order mark)")) << bad.err;
    EXPECT_TRUE(has(bad.err, "cr.sdk:1: the author line holds a carriage return")) << bad.err;
    EXPECT_FALSE(has(bad.err, "cells")) << bad.err;
    EXPECT_EQ(bad.status, 1);
}

// A cell value is a sign and digits in at most 3 characters.
TEST_F(CliReading, CellValuesAtTheTokenLengthLimit) {
    // r1c1 is open in kEasy, and 9 is no digit of its row, column or box.
    const std::string text = gameText("Ann", kEasy);
    const size_t first = text.find('\n') + 1;
    auto withFirst = [&](const std::string& value) { return text.substr(0, first) + value + text.substr(first + 1); };
    write("minus09.sdk", withFirst("-09"));
    write("plus09.sdk", withFirst("+09"));
    write("009.sdk", withFirst("009"));
    write("minus0.sdk", withFirst("-0"));
    Result good = run("check minus09.sdk plus09.sdk 009.sdk minus0.sdk");
    EXPECT_EQ(good.out,
              "minus09.sdk: no conflicts, 58 empty cells, solutions: 1 (of the givens; 1 entry set aside)\n"
              "plus09.sdk: no conflicts, 58 empty cells, solutions: 0\n"
              "009.sdk: no conflicts, 58 empty cells, solutions: 0\n"
              "minus0.sdk: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_EQ(good.err, "");

    for (const std::string value : {"-009", "+009", "0009", "-10", "10"}) {
        write("bad.sdk", withFirst(value));
        Result bad = run("check bad.sdk");
        EXPECT_EQ(bad.out, "") << value;
        EXPECT_TRUE(has(bad.err, "bad.sdk:2: '" + value + "' is not a cell value (-9 to 9)")) << value << bad.err;
        EXPECT_EQ(bad.status, 1) << value;
    }
}

TEST_F(CliReading, OffendingBytesAreShownSafely) {
    const std::string escape = "\x1b[2J\x07";
    std::string line = kEasy;
    line.replace(10, 1, escape);
    write("list.txt", line + "\n");
    const std::string text = gameText("Ann", kEasy);
    write("game.sdk", text.substr(0, text.find("7")) + "7" + escape + text.substr(text.find("7") + 1));
    write(std::string("na\x1bme.txt"), kEasy + "\r\x1b\n");
    Result r = run("rate list.txt game.sdk " + quote("na\x1bme.txt"));
    EXPECT_TRUE(has(r.err, "list.txt:1: column 11: '\\x1b' is not a digit")) << r.err;
    EXPECT_TRUE(has(r.err, "game.sdk:3: '7\\x1b[2J\\x07' is not a cell value")) << r.err;
    EXPECT_TRUE(has(r.err, "na\\x1bme.txt:1: column 82: '\\x0d' follows")) << r.err;
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\x07'), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find('\r'), std::string::npos) << r.err;
}

// A vertical tab or form feed is white space to the game's reader, and a
// line of nothing else once made velunda-cli read a word that was not there.
TEST_F(CliReading, LinesOfOtherWhiteSpaceAreBlank) {
    Result list = run("rate", "\v\n" + kEasy + "\n\f\r\n \v\t\n" + kEasy + "\n");
    EXPECT_EQ(list.out, "stdin:2: Easy\nstdin:5: Easy\n");
    EXPECT_EQ(list.err, "");
    EXPECT_EQ(list.status, 0);

    // Between the author and the grid, and inside the grid, as in the game.
    std::string game = gameText("Ann", kEasy);
    game.insert(game.find('\n') + 1, "\v\f\n");
    game.insert(game.find('\n', 40) + 1, "\v\n");
    Result inside = run("rate", game);
    EXPECT_EQ(inside.out, "stdin: Easy\n");
    EXPECT_EQ(inside.err, "");
    EXPECT_EQ(inside.status, 0);
}

TEST_F(CliReading, UnreadableFilesExitWithTwoAfterTheRest) {
    std::system(("mkdir " + quote(dir + "/folder")).c_str());
    Result r = run("rate missing.sdk folder -", kEasy + "\n");
    EXPECT_TRUE(has(r.err, "missing.sdk: cannot open: No such file or directory")) << r.err;
    EXPECT_TRUE(has(r.err, "folder: cannot read: Is a directory")) << r.err;
    EXPECT_EQ(r.out, "stdin:1: Easy\n");
    EXPECT_EQ(r.status, 2);
}

// ------------------------------------------------------------------- rate

class CliRate : public CliTest {};

TEST_F(CliRate, StateFilesAreRatedOnTheirGivens) {
    // The entries are the solution: with them counted, nothing would be left to rate.
    write("state.sta", stateText("Ann", withEntries(kEasy, kEasySolution)));
    write("wrong.sdk", gameText("Ann", "a" + kEasy.substr(1)));  // an entry that is no solution's digit
    Result r = run("rate state.sta wrong.sdk");
    EXPECT_EQ(r.out,
              "state.sta: Easy (givens only; 59 entries set aside)\n"
              "wrong.sdk: Easy (givens only; 1 entry set aside)\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliRate, ResultsThatCannotBeWrittenExitWithTwo) {
    write("easy.sdk", gameText("Ann", kEasy));
    Result r = run("rate easy.sdk", "", "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "velunda-cli: cannot write the results: No space left on device")) << r.err;
}

// ------------------------------------------------------------------ solve

class CliSolve : public CliTest {};

TEST_F(CliSolve, GivesTheFullGrid) {
    Result r = run("solve", kEasy + "\n" + kEmpty + "\n");
    ASSERT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "stdin:1: solved " + kEasySolution + "\nstdin:2: not unique (2 or more solutions)\n");
    // The solved grid checks out: no conflicts, no empty cell, itself its one solution.
    EXPECT_EQ(run("check", kEasySolution + "\n").out, "stdin:1: no conflicts, 0 empty cells, solutions: 1\n");
}

TEST_F(CliSolve, StateFilesAreSolvedFromTheirGivens) {
    // Every open cell filled by the player: the givens alone are beyond the
    // solver, and "solved" must not be written over their open cells.
    write("hard.sta", stateText("Ann", withEntries(kHard, kHardSolution)));
    write("easy.sta", stateText("Ann", "c" + kEasy.substr(1)));  // a wrong entry
    Result r = run("solve hard.sta easy.sta");
    EXPECT_EQ(r.out,
              "hard.sta: not completed " + kHard + " (givens only; 60 entries set aside)\n"
              "easy.sta: solved " + kEasySolution + " (givens only; 1 entry set aside)\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliSolve, ResultsThatCannotBeWrittenExitWithTwo) {
    Result r = run("solve", kEasy + "\n", "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "velunda-cli: cannot write the results: No space left on device")) << r.err;
}

// ------------------------------------------------------------------ check

class CliCheck : public CliTest {};

TEST_F(CliCheck, FindsConflictsAndCountsSolutions) {
    std::string twice = kEmpty;
    twice[2] = '5';
    twice[7] = '5';
    Result r = run("check", twice + "\n" + kEmpty + "\n" + kEasy + "\n");
    EXPECT_EQ(r.out,
              "stdin:1: conflicts at r1c3 r1c8, 79 empty cells, solutions: 0\n"
              "stdin:2: no conflicts, 81 empty cells, solutions: 2 or more\n"
              "stdin:3: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_EQ(r.status, 1);
}

// The exit status of one puzzle at a time: 0 only for a unique puzzle
// without conflicts.
TEST_F(CliCheck, ExitStatusOfASinglePuzzle) {
    std::string several = kEasy;
    several[kEasy.find_first_not_of('.')] = '.';  // one given fewer: no longer unique
    std::string noSolution = kEasy;
    noSolution[0] = '9';
    std::string conflict = kEasy;
    conflict[0] = '7';
    EXPECT_EQ(run("check", kEasy + "\n").status, 0);
    Result r = run("check", several + "\n");
    EXPECT_EQ(r.out, "stdin:1: no conflicts, 60 empty cells, solutions: 2 or more\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(run("check", noSolution + "\n").status, 1);
    EXPECT_EQ(run("check", conflict + "\n").status, 1);
    EXPECT_EQ(run("check", kEmpty + "\n").status, 1);

    // Entries: conflicting ones fail the check, agreeing ones do not.
    write("clash.sta", stateText("Ann", "hh" + kEasy.substr(2)));
    r = run("check clash.sta");
    EXPECT_EQ(r.out, "clash.sta: conflicts at r1c1 r1c2, 57 empty cells, solutions: 1 (of the givens; 2 entries set aside)\n");
    EXPECT_EQ(r.status, 1);
    write("right.sta", stateText("Ann", "bi" + kEasy.substr(2)));
    r = run("check right.sta");
    EXPECT_EQ(r.out, "right.sta: no conflicts, 57 empty cells, solutions: 1 (of the givens; 2 entries set aside)\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(CliCheck, ReportsConflictsOfEntriesAndCountsTheGivens) {
    // The player's 8 clashes with the given 8 of its row; the givens stay
    // unique. Both cells are named, though the game flags only the later
    // one, the given.
    write("state.sta", stateText("Ann", kEasy.substr(0, 10) + "h" + kEasy.substr(11)));
    Result r = run("check state.sta");
    EXPECT_EQ(r.out,
              "state.sta: conflicts at r2c2 r2c4, 58 empty cells, solutions: 1 (of the givens; 1 entry set aside)\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(CliCheck, ResultsThatCannotBeWrittenExitWithTwo) {
    write("game.sdk", gameText("Ann", kEasy));
    Result r = run("check game.sdk", "", "/dev/full");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(has(r.err, "velunda-cli: cannot write the results: No space left on device")) << r.err;
}

// --------------------------------------------------------------- generate

class CliGenerate : public CliTest {};

TEST_F(CliGenerate, FollowsTheSeedAndMakesUniquePuzzles) {
    Result a = run("generate -n 4 --seed 11");
    Result b = run("generate -n 4 --seed 11");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, run("generate -n 4 --seed 12").out);

    int n = 0;
    for (const std::string& line : linesOf(a.out)) {
        n++;
        ASSERT_GT(line.size(), 82u);
        EXPECT_EQ(line[81], ' ');
        const std::string rating = line.substr(82);
        EXPECT_TRUE(rating == "Very Easy" || rating == "Easy" || rating == "Medium") << line;
    }
    EXPECT_EQ(n, 4);
    EXPECT_EQ(run("generate -n 0").out, "");
}

TEST_F(CliGenerate, UpperBoundsOfTheArguments) {
    Result top = run("generate --seed 4294967295");
    EXPECT_EQ(top.status, 0) << top.err;
    EXPECT_EQ(linesOf(top.out).size(), 1u);
    EXPECT_EQ(top.out, run("generate --seed 4294967295").out);
    Result over = run("generate --seed 4294967296");
    EXPECT_EQ(over.status, 2);
    EXPECT_TRUE(has(over.err, "--seed needs a number from 0 to 4294967295")) << over.err;

    // The largest count is taken (and the run stops when the output is full).
    Result most = run("generate -n 10000000", "", "/dev/full");
    EXPECT_EQ(most.status, 2);
    EXPECT_FALSE(has(most.err, "usage:")) << most.err;
    EXPECT_TRUE(has(most.err, "velunda-cli: cannot write the puzzles: No space left on device")) << most.err;
    Result tooMany = run("generate -n 10000001");
    EXPECT_EQ(tooMany.status, 2);
    EXPECT_TRUE(has(tooMany.err, "-n needs a count from 0 to 10000000")) << tooMany.err;
}

// generate's lines, from a file and from a pipe, give every puzzle back to
// rate, solve and check, with the same rating.
TEST_F(CliGenerate, LinesReadBack) {
    Result made = run("generate -n 8 --seed 21");
    ASSERT_EQ(made.status, 0) << made.err;
    write("list.txt", made.out);
    const std::vector<std::string> lines = linesOf(made.out);
    ASSERT_EQ(lines.size(), 8u);

    Result fromFile = run("rate list.txt");
    Result fromPipe = shell("$VC generate -n 8 --seed 21 | $VC rate");
    std::string expectFile, expectPipe;
    for (size_t i = 0; i < lines.size(); i++) {
        expectFile += "list.txt:" + std::to_string(i + 1) + ": " + lines[i].substr(82) + "\n";
        expectPipe += "stdin:" + std::to_string(i + 1) + ": " + lines[i].substr(82) + "\n";
    }
    EXPECT_EQ(fromFile.out, expectFile);
    EXPECT_EQ(fromFile.err, "");
    EXPECT_EQ(fromFile.status, 0);
    EXPECT_EQ(fromPipe.out, expectPipe);
    EXPECT_EQ(fromPipe.status, 0) << fromPipe.err;

    Result solved = run("solve list.txt");
    EXPECT_EQ(solved.status, 0) << solved.err;
    const std::vector<std::string> grids = linesOf(solved.out);
    ASSERT_EQ(grids.size(), lines.size());
    for (size_t i = 0; i < lines.size(); i++) {
        const std::string prefix = "list.txt:" + std::to_string(i + 1) + ": solved ";
        ASSERT_EQ(grids[i].substr(0, prefix.size()), prefix);
        const std::string grid = grids[i].substr(prefix.size());
        ASSERT_EQ(grid.size(), 81u);
        for (int k = 0; k < 81; k++) {
            if (lines[i][k] != '.') {
                EXPECT_EQ(grid[k], lines[i][k]) << i;
            }
        }
    }

    Result checked = shell("$VC check <list.txt");
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    EXPECT_EQ(linesOf(checked.out).size(), lines.size());
}

// generate's game files one after another (as `--format sdk -n 3` writes
// them) give every puzzle back, the same as the lines of the same seed.
TEST_F(CliGenerate, GameFilesReadBack) {
    Result made = run("generate --format sdk -n 3 --seed 21");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.out.substr(0, 9), "Brannoch\n");
    write("three.sdk", made.out);
    std::vector<std::string> ratings;
    for (const std::string& line : linesOf(made.out))
        if (line.compare(0, 8, "Rating: ") == 0) ratings.push_back(line.substr(8));
    ASSERT_EQ(ratings.size(), 3u);

    Result rated = run("rate three.sdk");
    EXPECT_EQ(rated.out, "three.sdk:1: " + ratings[0] + "\nthree.sdk:13: " + ratings[1] + "\nthree.sdk:25: " +
                             ratings[2] + "\n");
    EXPECT_EQ(rated.err, "");
    EXPECT_EQ(rated.status, 0);
    Result piped = shell("$VC generate --format sdk -n 3 --seed 21 | $VC check");
    EXPECT_EQ(piped.status, 0) << piped.out << piped.err;
    EXPECT_EQ(linesOf(piped.out).size(), 3u);

    // The same puzzles as the lines of the same seed.
    Result lines = run("generate -n 3 --seed 21");
    write("three.txt", lines.out);
    const std::vector<std::string> fromGames = linesOf(run("solve three.sdk").out);
    const std::vector<std::string> fromLines = linesOf(run("solve three.txt").out);
    ASSERT_EQ(fromGames.size(), 3u);
    ASSERT_EQ(fromLines.size(), 3u);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(fromGames[i].substr(fromGames[i].find(": ")), fromLines[i].substr(fromLines[i].find(": ")));
        EXPECT_EQ(linesOf(lines.out)[i].substr(82), ratings[i]);
    }

    // One game file alone is named by its file.
    Result one = run("generate --format sdk --seed 3");
    write("one.sdk", one.out);
    EXPECT_EQ(run("check one.sdk").out.substr(0, 9), "one.sdk: ");
}

}  // namespace

// ------------------------------------------------------------- progress line

namespace {

// Runs velunda-cli with standard output and error on a new terminal, and
// standard input from a pipe that is written `delay` milliseconds after the
// start. Returns what the terminal received.
std::string runOnTerminal(const std::vector<std::string>& args, const std::string& input, int delay, int* status) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return "no terminal";
    const std::string slaveName = ptsname(master);
    int feed[2];
    if (pipe(feed) != 0) return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        setsid();
        const int slave = open(slaveName.c_str(), O_RDWR);
        dup2(feed[0], 0);
        dup2(slave, 1);
        dup2(slave, 2);
        close(feed[0]);
        close(feed[1]);
        close(master);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(VELUNDA_CLI));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(VELUNDA_CLI, argv.data());
        _exit(127);
    }
    close(feed[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    (void)!::write(feed[1], input.data(), input.size());
    close(feed[1]);
    std::string screen;
    char buffer[4096];
    for (;;) {
        pollfd p = {master, POLLIN, 0};
        if (poll(&p, 1, 60000) <= 0) break;
        const ssize_t n = read(master, buffer, sizeof buffer);
        if (n <= 0) break;  // EIO: the program has ended
        screen.append(buffer, static_cast<size_t>(n));
    }
    int raw = 0;
    waitpid(child, &raw, 0);
    close(master);
    *status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return screen;
}

// The lines a terminal shows for `bytes`: a carriage return goes back to the
// start of the line, later characters overwrite earlier ones.
std::vector<std::string> shownLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::string line;
    size_t column = 0;
    for (char c : bytes) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.push_back(line);
            line.clear();
            column = 0;
        } else {
            if (column < line.size())
                line[column] = c;
            else
                line += c;
            column++;
        }
    }
    if (!line.empty()) lines.push_back(line);
    for (std::string& l : lines) l.erase(l.find_last_not_of(' ') + 1);
    return lines;
}

TEST(CliProgress, CountedRightAndClearedBeforeEveryResult) {
    // The input comes after the delay of the progress line, so it is shown
    // after the first result.
    int status = -1;
    const std::string screen = runOnTerminal({"rate"}, kEasy + "\n" + kEasy + "\n" + kEasy + "\n", 1500, &status);
    EXPECT_EQ(status, 0) << screen;
    EXPECT_TRUE(has(screen, "velunda-cli: 1 of 3")) << screen;
    EXPECT_FALSE(has(screen, "of 0")) << screen;
    const std::vector<std::string> lines = shownLines(screen);
    EXPECT_EQ(lines, (std::vector<std::string>{"stdin:1: Easy", "stdin:2: Easy", "stdin:3: Easy"})) << screen;
}

}  // namespace

namespace {

// The shipped sample games: sound, completed by the solver, and each from a
// grid of its own.
TEST(SampleGames, AreSoundAndFromDistinctGrids) {
    const std::string games = VELUNDA_SOURCE_GAMES;
    std::string list = "cd " + quote(games) + " && ls *.sdk";
    FILE* pipe = popen(list.c_str(), "r");
    std::string names;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) names.append(buffer, n);
    pclose(pipe);
    std::istringstream lines(names);
    std::string name, files;
    int count = 0;
    while (std::getline(lines, name)) {
        files += " " + quote(name);
        count++;
    }
    EXPECT_GE(count, 30);

    std::string command = "cd " + quote(games) + " && " + quote(VELUNDA_CLI) + " solve" + files;
    pipe = popen(command.c_str(), "r");
    std::string out;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    EXPECT_EQ(WEXITSTATUS(pclose(pipe)), 0) << out;

    // The built-in grid's solution, from the same solver.
    std::set<std::string> grids = {kEasySolution};
    std::istringstream results(out);
    std::string line;
    while (std::getline(results, line)) {
        ASSERT_TRUE(has(line, ": solved ")) << line;
        const std::string grid = line.substr(line.size() - 81);
        EXPECT_TRUE(grids.insert(grid).second) << "repeated grid: " << line;
    }
    EXPECT_EQ(static_cast<int>(grids.size()), count + 1);

    command = "cd " + quote(games) + " && " + quote(VELUNDA_CLI) + " check" + files + " >/dev/null";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 0);
    command = "cd " + quote(games) + " && head -qn1" + files + " | sort -u";
    pipe = popen(command.c_str(), "r");
    out.clear();
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    pclose(pipe);
    EXPECT_EQ(out, "Velunda samples\n");
}

}  // namespace
