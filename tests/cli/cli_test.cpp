// velunda-cli from the outside: commands on good and bad input, both input
// forms, and the exit statuses a script relies on.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

namespace {

struct Result {
    std::string out, err;
    int status = -1;
};

std::string quote(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

class Cli : public ::testing::Test {
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

    // Runs velunda-cli with `args` in the scratch folder, `input` on stdin.
    Result run(const std::string& args, const std::string& input = "") {
        write(".stdin", input);
        std::string command = "cd " + quote(dir) + " && " + quote(VELUNDA_CLI) + " " + args +
                              " <.stdin >.stdout 2>.stderr";
        int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = readFile(dir + "/.stdout");
        r.err = readFile(dir + "/.stderr");
        return r;
    }

    std::string dir;
};

// The game's built-in grid: unique, and easy.
const std::string kEasy = std::string(".........") + "..783...." + "..5..264." + "..26...7." + ".4.....8." +
                          ".6...32.." + ".284..5.." + "....961.." + ".........";
const std::string kEmpty(81, '.');
std::string kEasyFile() {
    std::string text = "Ann\n";
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) {
            char ch = kEasy[r * 9 + c];
            text += (ch == '.' ? std::string("0") : std::string(1, ch)) + " ";
        }
        text += "\n";
    }
    return text;
}

TEST_F(Cli, UsageErrorsExitWithTwo) {
    for (const char* args : {"", "frobnicate", "generate -n", "generate -n x", "generate -n -3",
                             "generate --format xml", "generate --bogus", "rate --bogus"}) {
        Result r = run(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
        EXPECT_EQ(r.out, "") << args;
    }
    Result help = run("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("velunda-cli check"), std::string::npos);
}

TEST_F(Cli, RatesLinesFromStandardInput) {
    Result r = run("rate", kEasy + "\n\n# a comment\n" + kEmpty + "\r\n");
    EXPECT_EQ(r.out, "stdin:1: Easy\nstdin:4: not completed\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(run("rate", kEasy + "\n").status, 0);
}

TEST_F(Cli, BadLinesAreNamedAndTheRunGoesOn) {
    std::string letter = kEasy;
    letter[10] = 'x';
    Result r = run("rate", kEasy.substr(0, 80) + "\n" + letter + "\n" + kEasy + "\n");
    EXPECT_EQ(r.out, "stdin:3: Easy\n");
    EXPECT_NE(r.err.find("stdin:1: expected 81 cells, found 80 characters"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("stdin:2: column 11: 'x'"), std::string::npos) << r.err;
    EXPECT_EQ(r.status, 1);
}

TEST_F(Cli, ReadsGameFilesAndLineFiles) {
    write("easy.sdk", kEasyFile());
    write("list.txt", "# two puzzles\n" + kEasy + "\n" + kEasy + "\n");
    Result r = run("rate easy.sdk list.txt");
    EXPECT_EQ(r.out, "easy.sdk: Easy\nlist.txt:2: Easy\nlist.txt:3: Easy\n");
    EXPECT_EQ(r.status, 0);
}

TEST_F(Cli, DamagedGameFilesAreReportedWithTheirLine) {
    std::string text = kEasyFile();
    write("letter.sdk", text.substr(0, text.find("7")) + "seven" + text.substr(text.find("7") + 1));
    write("short.sdk", "Ann\n0 0 0\n0 0\n");
    write("range.sdk", "Ann\n0 0 12 0\n");
    write("author.sdk", std::string(50, 'a') + " b\n" + text.substr(4));
    write("empty.sdk", "");
    write("good.sdk", text);
    Result r = run("check letter.sdk short.sdk range.sdk author.sdk empty.sdk good.sdk");
    EXPECT_NE(r.err.find("letter.sdk:3: 'seven' is not a cell value"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("short.sdk:3: the grid ends after 5 of 81 cells"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("range.sdk:2: '12' is not a cell value"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("author.sdk:1:"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("empty.sdk: holds no puzzle"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "good.sdk: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Cli, UnreadableFilesExitWithTwoAfterTheRest) {
    std::system(("mkdir " + quote(dir + "/folder")).c_str());
    Result r = run("rate missing.sdk folder -", kEasy + "\n");
    EXPECT_NE(r.err.find("missing.sdk: cannot open: No such file or directory"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("folder: cannot read: Is a directory"), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "stdin:1: Easy\n");
    EXPECT_EQ(r.status, 2);
}

TEST_F(Cli, SolveGivesTheFullGrid) {
    Result r = run("solve", kEasy + "\n" + kEmpty + "\n");
    ASSERT_EQ(r.status, 1);
    std::istringstream lines(r.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    ASSERT_EQ(first.substr(0, 16), "stdin:1: solved ");
    const std::string grid = first.substr(16);
    ASSERT_EQ(grid.size(), 81u);
    for (int i = 0; i < 81; i++) {
        if (kEasy[i] != '.') {
            EXPECT_EQ(grid[i], kEasy[i]);
        }
    }
    EXPECT_EQ(grid.find('.'), std::string::npos);
    EXPECT_EQ(second, "stdin:2: not completed " + kEmpty);
    // The solved grid checks out: no conflicts, no empty cell, itself its one solution.
    EXPECT_EQ(run("check", grid + "\n").out, "stdin:1: no conflicts, 0 empty cells, solutions: 1\n");
}

TEST_F(Cli, CheckFindsConflictsAndCountsSolutions) {
    std::string twice = kEmpty;
    twice[2] = '5';
    twice[7] = '5';
    Result r = run("check", twice + "\n" + kEmpty + "\n" + kEasy + "\n");
    EXPECT_EQ(r.out,
              "stdin:1: conflicts at r1c8, 79 empty cells, solutions: 0\n"
              "stdin:2: no conflicts, 81 empty cells, solutions: 2 or more\n"
              "stdin:3: no conflicts, 59 empty cells, solutions: 1\n");
    EXPECT_EQ(r.status, 1);
}

TEST_F(Cli, CheckJudgesTheGivensAndReportsConflictingEntries) {
    // Row 1 of the grid is empty: the player's two 8s clash only with each other.
    std::string text = kEasyFile();
    text.replace(4, 4, "-8 -8 ");
    write("state.sta", text);
    Result r = run("check state.sta");
    EXPECT_EQ(r.out, "state.sta: conflicts at r1c2, 57 empty cells, solutions: 1\n");
}

TEST_F(Cli, GenerateFollowsTheSeedAndMakesUniquePuzzles) {
    Result a = run("generate -n 4 --seed 11");
    Result b = run("generate -n 4 --seed 11");
    ASSERT_EQ(a.status, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_NE(a.out, run("generate -n 4 --seed 12").out);

    std::istringstream lines(a.out);
    std::string line, grids;
    int n = 0;
    while (std::getline(lines, line)) {
        n++;
        ASSERT_GT(line.size(), 82u);
        const std::string rating = line.substr(82);
        EXPECT_TRUE(rating == "Very Easy" || rating == "Easy" || rating == "Medium") << line;
        grids += line.substr(0, 81) + "\n";
    }
    EXPECT_EQ(n, 4);
    Result checked = run("check", grids);
    EXPECT_EQ(checked.status, 0) << checked.out;
    EXPECT_EQ(run("generate -n 0").out, "");
}

TEST_F(Cli, GeneratedGameFilesLoadBack) {
    Result r = run("generate --format sdk --seed 3");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 9), "Brannoch\n");
    EXPECT_NE(r.out.find("\nRating: "), std::string::npos);
    write("new.sdk", r.out);
    Result checked = run("check new.sdk");
    EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
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
    std::set<std::string> grids = {
        "294165837617834952385972641532681479741259386869743215928417563473596128156328794"};
    std::istringstream results(out);
    std::string line;
    while (std::getline(results, line)) {
        ASSERT_NE(line.find(": solved "), std::string::npos) << line;
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
