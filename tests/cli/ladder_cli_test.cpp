// velunda-cli on the technique ladder: the levels and numbers rate gives,
// the game's scale kept, explain and hint on hard puzzles, and puzzles made
// to the ladder's levels.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "cli_test_util.h"

namespace {

using namespace clitest;

cliRun run(const std::string& args, const std::string& input = "") {
    return runCli(VELUNDA_CLI, args, input);
}

// A unique puzzle beyond single-step logic (it needs trial), and a grid of
// several solutions.
const std::string kBeyond = "8..........36......7..9.2...5...7.......457.....1...3...1....68..85...1..9....4..";
const std::string kSeveral(81, '.');

std::vector<std::string> puzzleLines(const std::string& path) {
    std::vector<std::string> out;
    for (const std::string& line : linesOf(readFile(path)))
        if (line.size() >= 81 && line.find('.') != std::string::npos) out.push_back(line.substr(0, 81));
    return out;
}

// The verdict of each puzzle line of a run, without its place.
std::vector<std::string> verdicts(const cliRun& r) {
    std::vector<std::string> out;
    for (const std::string& line : linesOf(r.out)) out.push_back(line.substr(line.find(": ") + 2));
    return out;
}

TEST(LadderCli, RateGivesTheLevelAndItsNumbers) {
    const cliRun r = run("rate", kEasy + "\n" + kBeyond + "\n" + kSeveral + "\n");
    EXPECT_EQ(r.out, "stdin:1: Easy\nstdin:2: Beyond logic (2 guesses)\nstdin:3: not unique (2 or more solutions)\n");
    EXPECT_EQ(r.status, 1);
    const cliRun numbers = run("rate --numbers", kEasy + "\n");
    EXPECT_EQ(numbers.out, "stdin:1: Easy 1.2/1.0/1.0 Hidden single in a box\n");
    EXPECT_EQ(numbers.status, 0);
    // The game's own scale as it was, and its options apart.
    EXPECT_EQ(run("rate --scale game", kBeyond + "\n").out, "stdin:1: not completed\n");
    EXPECT_EQ(run("rate --scale game --numbers", kEasy + "\n").status, 2);
    EXPECT_EQ(run("rate --scale fast", kEasy + "\n").status, 2);
    EXPECT_EQ(run("explain --mode full", kEasy + "\n").status, 2);  // --mode is the game's
}

// Over both corpora: where the game rates Very Easy, Easy or Medium the
// ladder says the same, and where it does not finish the ladder gives a
// level above Medium: every puzzle gets one.
TEST(LadderCli, TheGamesRatingsStandOnTheCorpora) {
    for (const char* path : {VELUNDA_CORPUS_FILE, VELUNDA_EXPERT_FILE}) {
        std::string input;
        for (const std::string& line : puzzleLines(path)) input += line + "\n";
        const std::vector<std::string> game = verdicts(run("rate --scale game -j 2", input));
        const std::vector<std::string> ladder = verdicts(run("rate -j 2", input));
        ASSERT_EQ(game.size(), ladder.size()) << path;
        ASSERT_GE(game.size(), 1000u);
        std::map<std::string, int> levels;
        for (size_t i = 0; i < game.size(); i++) {
            levels[ladder[i]]++;
            if (game[i] == "not completed")
                EXPECT_TRUE(ladder[i] == "Hard" || ladder[i] == "Expert" || ladder[i] == "Extreme" ||
                            ladder[i].compare(0, 12, "Beyond logic") == 0)
                    << path << ":" << i + 1 << ": " << ladder[i];
            else
                EXPECT_EQ(ladder[i], game[i]) << path << ":" << i + 1;
        }
        EXPECT_EQ(levels.count("not unique (2 or more solutions)") + levels.count("no solution"), 0u) << path;
    }
}

TEST(LadderCli, ExplainAndHintNameTheStepsOfAHardPuzzle) {
    const std::string expert = puzzleLines(VELUNDA_EXPERT_FILE)[2];
    const cliRun text = run("explain", expert + "\n");
    EXPECT_EQ(text.status, 0);
    EXPECT_TRUE(has(text.out, "stdin:1: ladder, ")) << text.out;
    EXPECT_TRUE(has(text.out, "  1. ")) << text.out;
    EXPECT_TRUE(has(text.out, "  Expert: the hardest step is ")) << text.out;
    const cliRun json = run("explain --format json", expert + "\n");
    EXPECT_TRUE(has(json.out, "\"scale\":\"ladder\"") && has(json.out, "\"level\":\"Expert\"") &&
                has(json.out, "\"pattern\":{\"kind\":"))
        << json.out;
    // The hint on the same puzzle: the ladder's first step (the game's
    // solver has one too, a placement; the ladder's is the easiest).
    const cliRun hint = run("hint", expert + "\n");
    EXPECT_TRUE(has(hint.out, "  next: ")) << hint.out;
    EXPECT_TRUE(has(run("hint --format json", expert + "\n").out, "\"hint\":\"step\",\"step\":{\"step\":1,\"technique\":"));
    // Beyond logic: the ladder's grid is left as it stopped.
    const cliRun beyond = run("explain", kBeyond + "\n");
    EXPECT_EQ(beyond.status, 1);
    EXPECT_TRUE(has(beyond.out, "  Beyond logic: the ladder stops at 60 empty cells; the search needs 2 guesses"))
        << beyond.out;
}

// Puzzles made to a level have it, are symmetric and unique, and the same
// seed gives the same ones for every -j.
TEST(LadderCli, GenerateMakesPuzzlesOfTheLevelAsked) {
    for (const char* level : {"hard", "expert", "extreme"}) {
        const cliRun one = run(std::string("generate -n 6 --seed 3 -j 1 --rating ") + level);
        const cliRun three = run(std::string("generate -n 6 --seed 3 -j 3 --rating ") + level);
        const cliRun plain = run(std::string("generate -n 6 --seed 3 --rating ") + level);
        ASSERT_EQ(one.status, 0) << level;
        EXPECT_EQ(one.out, three.out) << level;
        EXPECT_EQ(one.out, plain.out) << level;
        std::string lines;
        for (const std::string& line : linesOf(one.out)) {
            ASSERT_GE(line.size(), 82u);
            for (int c = 0; c < 81; c++) EXPECT_EQ(line[c] == '.', line[80 - c] == '.') << line;
            lines += line + "\n";
        }
        const std::vector<std::string> named = verdicts(run("rate", lines));
        const std::vector<std::string> made = linesOf(one.out);
        ASSERT_EQ(named.size(), 6u);
        for (size_t i = 0; i < made.size(); i++) EXPECT_EQ(made[i].substr(82), named[i]) << level;
        EXPECT_NE(one.out, run(std::string("generate -n 6 --seed 4 --rating ") + level).out);
        for (const std::string& v : verdicts(run("check", lines))) EXPECT_TRUE(has(v, "solutions: 1")) << v;
    }
}

}  // namespace
