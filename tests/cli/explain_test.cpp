// velunda-cli explain and hint from the outside: the explanation of every
// corpus puzzle replayed against the engine and checked cell by cell, the
// wording of each refinement on a grid made for it, the hints a stuck
// player gets, and JSON that says what the text says.
#include <gtest/gtest.h>

#include "cli_test_util.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/sudoku.h"

namespace {

using namespace clitest;

// ------------------------------------------------------------ a JSON reader

struct json {
    enum kind { null, boolean, number, string, array, object } type = null;
    bool b = false;
    double n = 0;
    std::string s;
    std::vector<json> items;
    std::map<std::string, json> fields;

    const json& operator[](const std::string& key) const {
        static const json none;
        auto found = fields.find(key);
        return found == fields.end() ? none : found->second;
    }
    int integer() const { return static_cast<int>(n); }
};

// Strict enough to refuse what a JSON reader would refuse; false on error.
struct jsonReader {
    const std::string& text;
    size_t at = 0;

    void blanks() {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\n' || text[at] == '\t' || text[at] == '\r')) at++;
    }
    bool literal(const char* word) {
        const std::string w = word;
        if (text.compare(at, w.size(), w) != 0) return false;
        at += w.size();
        return true;
    }
    bool str(std::string* out) {
        if (at >= text.size() || text[at] != '"') return false;
        at++;
        while (at < text.size() && text[at] != '"') {
            const unsigned char ch = static_cast<unsigned char>(text[at]);
            if (ch < 0x20) return false;
            if (ch == '\\') {
                if (++at >= text.size()) return false;
                const char e = text[at];
                if (e == 'u') {
                    if (at + 4 >= text.size()) return false;
                    *out += static_cast<char>(std::stoi(text.substr(at + 1, 4), nullptr, 16));
                    at += 4;
                } else if (e == '"' || e == '\\' || e == '/') {
                    *out += e;
                } else if (e == 'n') {
                    *out += '\n';
                } else if (e == 't') {
                    *out += '\t';
                } else {
                    return false;
                }
            } else {
                *out += static_cast<char>(ch);
            }
            at++;
        }
        if (at >= text.size()) return false;
        at++;
        return true;
    }
    bool value(json* v) {
        blanks();
        if (at >= text.size()) return false;
        const char ch = text[at];
        if (ch == '{') {
            v->type = json::object;
            at++;
            blanks();
            if (at < text.size() && text[at] == '}') return ++at, true;
            for (;;) {
                std::string key;
                blanks();
                if (!str(&key)) return false;
                blanks();
                if (at >= text.size() || text[at++] != ':') return false;
                if (v->fields.count(key) || !value(&v->fields[key])) return false;
                blanks();
                if (at < text.size() && text[at] == ',') {
                    at++;
                    continue;
                }
                return at < text.size() && text[at++] == '}';
            }
        }
        if (ch == '[') {
            v->type = json::array;
            at++;
            blanks();
            if (at < text.size() && text[at] == ']') return ++at, true;
            for (;;) {
                v->items.emplace_back();
                if (!value(&v->items.back())) return false;
                blanks();
                if (at < text.size() && text[at] == ',') {
                    at++;
                    continue;
                }
                return at < text.size() && text[at++] == ']';
            }
        }
        if (ch == '"') {
            v->type = json::string;
            return str(&v->s);
        }
        if (literal("true")) return v->type = json::boolean, v->b = true, true;
        if (literal("false")) return v->type = json::boolean, true;
        if (literal("null")) return true;
        size_t used = 0;
        if (ch != '-' && (ch < '0' || ch > '9')) return false;
        v->type = json::number;
        v->n = std::stod(text.substr(at, 32), &used);
        at += used;
        return used > 0;
    }
};

bool parseJson(const std::string& text, json* out) {
    jsonReader reader{text};
    if (!reader.value(out)) return false;
    reader.blanks();
    return reader.at == text.size();
}

// ------------------------------------------------------------------ helpers

typedef clitest::cliRun Result;

// velunda-cli with `args`, `input` on standard input.
Result run(const std::string& args, const std::string& input = "") {
    return clitest::runCli(VELUNDA_CLI, args, input);
}

int cellIndex(const std::string& name) {
    return (name[1] - '1') * 9 + (name[3] - '1');
}

void cellsOf(const std::string& line, short* cells) {
    for (int i = 0; i < 81; i++) cells[i] = static_cast<short>(line[i] >= '1' && line[i] <= '9' ? line[i] - '0' : 0);
}

// The digits each cell may take on a grid, as a person pencils them in.
void baseCandidates(const short* grid, unsigned* out) {
    for (int i = 0; i < 81; i++) {
        out[i] = 0;
        if (grid[i] != 0) continue;
        unsigned seen = 0;
        for (int j = 0; j < 81; j++)
            if (grid[j] != 0 && (i / 9 == j / 9 || i % 9 == j % 9 || (i / 27 == j / 27 && i % 9 / 3 == j % 9 / 3)))
                seen |= 1u << (grid[j] - 1);
        out[i] = ~seen & 0x1FF;
    }
}

int boxOf(int cell) {
    return cell / 27 * 3 + cell % 9 / 3;
}

const char* const kRatings[] = {"Very Easy", "Easy", "Medium"};

// Replays one explained puzzle: each step must stand on its own reasoning
// (a single once the listed exclusions are made, each exclusion's pattern
// true on the grid it was drawn on), and the end must be what the engine's
// own solvePuzzle gives.
void replay(const json& e, const std::string& puzzleLine, bool rateMode) {
    const std::string where = e["where"].s;
    ASSERT_EQ(e.type, json::object) << where;
    short start[81], grid[81];
    cellsOf(puzzleLine, start);
    std::copy(start, start + 81, grid);
    std::vector<int> placed;
    int lastStage = 0;
    for (const json& step : e["steps"].items) {
        const int cell = cellIndex(step["cell"].s), digit = step["digit"].integer();
        const int seen = step["seen"].integer();
        ASSERT_EQ(grid[cell], 0) << where << " step " << step["step"].integer();
        ASSERT_LE(seen, static_cast<int>(placed.size())) << where;
        if (rateMode) {
            ASSERT_GE(step["stage"].integer(), lastStage) << where;
            lastStage = step["stage"].integer();
        }
        // The grid the step was found on, and its candidates less the exclusions.
        short before[81];
        std::copy(start, start + 81, before);
        for (int k = 0; k < seen; k++) before[placed[k] / 10] = static_cast<short>(placed[k] % 10);
        unsigned base[81], cand[81];
        baseCandidates(before, base);
        std::copy(base, base + 81, cand);
        const bool refined = !rateMode || step["stage"].integer() == 2;
        if (!refined) {
            EXPECT_TRUE(step["exclusions"].items.empty()) << where;
        }
        for (const json& x : step["exclusions"].items) {
            const std::string& kind = x["technique"].s;
            const int box = x["box"].integer() - 1;
            std::vector<int> cells;
            for (const json& c : x["cells"].items) cells.push_back(cellIndex(c.s));
            for (const json& c : x["cells2"].items) cells.push_back(cellIndex(c.s));
            std::vector<int> digits;
            for (const json& d : x["digits"].items) digits.push_back(d.integer());
            // The pattern holds on the candidates so far (the earlier
            // exclusions of this step are what it rests on).
            if (kind == "hidden-pair" || kind == "hidden-triple") {
                ASSERT_EQ(digits.size(), kind == "hidden-pair" ? 2u : 3u) << where;
                for (int d : digits)
                    for (int k = 0; k < 81; k++) {
                        if (boxOf(k) != box) continue;
                        EXPECT_EQ((base[k] >> (d - 1)) & 1,
                                  std::find(cells.begin(), cells.end(), k) != cells.end() ? 1u : 0u)
                            << where << " " << x["text"].s;
                    }
            } else {
                ASSERT_EQ(digits.size(), 1u) << where;
                const int d = digits[0];
                std::vector<int> boxes = {box};
                if (x.fields.count("box2")) boxes.push_back(x["box2"].integer() - 1);
                const bool rows = x.fields.count("rows") != 0;
                const std::vector<json>& lines = (rows ? x["rows"] : x["columns"]).items;
                for (int b : boxes)
                    for (int k = 0; k < 81; k++) {
                        if (boxOf(k) != b || !((cand[k] >> (d - 1)) & 1)) continue;
                        const int line = rows ? k / 9 + 1 : k % 9 + 1;
                        bool onLine = false;
                        for (const json& l : lines) onLine = onLine || l.integer() == line;
                        EXPECT_TRUE(onLine) << where << " " << x["text"].s;
                        EXPECT_TRUE(std::find(cells.begin(), cells.end(), k) != cells.end()) << where << " " << x["text"].s;
                    }
            }
            for (const json& r : x["removes"].items) cand[cellIndex(r["cell"].s)] &= ~(1u << (r["digit"].integer() - 1));
        }
        if (step["technique"].s == "cell") {
            EXPECT_EQ(cand[cell], 1u << (digit - 1)) << where << " " << step["cell"].s;
        } else {
            for (int k = 0; k < 81; k++) {
                if (boxOf(k) != boxOf(cell)) continue;
                EXPECT_EQ((cand[k] >> (digit - 1)) & 1, k == cell ? 1u : 0u) << where << " " << step["cell"].s;
            }
        }
        grid[cell] = static_cast<short>(digit);
        placed.push_back(cell * 10 + digit);
    }
    // The engine's own result on the same puzzle.
    sudoku s;
    s.clearPuzzle();
    for (int i = 0; i < 81; i++)
        if (start[i]) s.solve_place(i / 9, i % 9, start[i]);
    const int result = s.solvePuzzle(rateMode ? 1 : 0);
    short engine[81];
    s.returnPuzzle(engine);
    EXPECT_TRUE(std::equal(grid, grid + 81, engine)) << where;
    if (rateMode) {
        EXPECT_EQ(e["rating"].s, result >= 0 ? kRatings[result] : "not completed") << where;
    }
    EXPECT_EQ(e["solved"].b, rateMode ? result >= 0 : result == -2) << where;
    int open = 0;
    for (short v : grid) open += v == 0;
    EXPECT_EQ(static_cast<int>(e["open"].items.size()), open) << where;
}

void replayCorpus(const char* path, bool rateMode) {
    std::vector<std::string> lines;
    {
        std::ifstream in(path);
        std::string line;
        while (std::getline(in, line)) lines.push_back(line);
    }
    ASSERT_GT(lines.size(), 999u) << path;
    const Result r = run(std::string("explain --scale game --format json --mode ") + (rateMode ? "rate " : "full ") + quote(path));
    const std::vector<std::string> out = linesOf(r.out);
    ASSERT_EQ(out.size(), lines.size());
    int refined = 0;
    for (const std::string& text : out) {
        json e;
        ASSERT_TRUE(parseJson(text, &e)) << text.substr(0, 200);
        const std::string where = e["where"].s;
        const int number = std::atoi(where.substr(where.rfind(':') + 1).c_str());
        ASSERT_TRUE(number >= 1 && number <= static_cast<int>(lines.size())) << where;
        replay(e, lines[static_cast<size_t>(number) - 1], rateMode);
        for (const json& step : e["steps"].items) refined += !step["exclusions"].items.empty();
        if (::testing::Test::HasFatalFailure()) return;
    }
    EXPECT_GT(refined, 100) << "the corpus should need the refinement often";
}

}  // namespace

// -------------------------------------------------- the corpus, replayed

TEST(ExplainReplay, CorpusRatingMode) {
    replayCorpus(VELUNDA_CORPUS_FILE, true);
}
TEST(ExplainReplay, CorpusFullMode) {
    replayCorpus(VELUNDA_CORPUS_FILE, false);
}
TEST(ExplainReplay, ExpertRatingMode) {
    replayCorpus(VELUNDA_EXPERT_FILE, true);
}
TEST(ExplainReplay, ExpertFullMode) {
    replayCorpus(VELUNDA_EXPERT_FILE, false);
}

// ------------------------------------- each refinement, on a grid made for it

// Each grid leaves the solver one placement, found only with the pattern.
TEST(ExplainTechniques, EachRefinementInWords) {
    const struct {
        const char* grid;
        const char* step;
        const char* because;
    } cases[] = {
        {".............8.5..234.........1........2........3........4........6........7.....",
         "1. r1c4 9, the only candidate left in the cell, after:",
         "5 lies only in row 1 within box 1 (r1c1 r1c2 r1c3), a digit confined to one row of a box: removes 5 from r1c4"},
        {"..2........3........4.........123467.8.................5.........................",
         "1. r4c1 9, the only candidate left in the cell, after:",
         "5 lies only in column 1 within box 1 (r1c1 r2c1 r3c1), a digit confined to one column of a box: removes 5 "
         "from r4c1"},
        {".3....9..4.5.......6..1..2............2.................1......9.................",
         "1. r3c3 9, the only cell in its box for the digit, after:",
         "1 and 2 have only r1c1 r2c2 in box 1, a hidden pair: removes 9 from r2c2"},
        {".........4.512.3..6...3.912......................................................",
         "1. r2c2 9, the only cell in its box for the digit, after:",
         "1, 2 and 3 have only r1c1 r1c2 r1c3 in box 1, a hidden triple: removes 9 from r1c1 r1c2 r1c3"},
        {".3..1....4..2.....12.34...5.............................9...........9.........9..",
         "1. r3c8 9, the only cell in its box for the digit, after:",
         "9 lies only in rows 1 and 2 in boxes 1 and 2 (r1c1 r2c2 r1c4 r2c5), a double pair of band 1: removes 9 from "
         "r1c8 r2c8 r1c9 r2c9"},
        {".41......3.2............9...23......1.4.............9.........9...........5......",
         "1. r8c3 9, the only cell in its box for the digit, after:",
         "9 lies only in columns 1 and 2 in boxes 1 and 4 (r1c1 r2c2 r4c1 r5c2), a double pair of stack 1: removes 9 "
         "from r8c1 r8c2 r9c1 r9c2"},
    };
    for (const auto& c : cases) {
        const Result r = run("explain --scale game --mode full", std::string(c.grid) + "\n");
        const std::vector<std::string> lines = linesOf(r.out);
        ASSERT_GE(lines.size(), 3u) << c.grid;
        EXPECT_EQ(lines[1], std::string("  ") + c.step) << c.grid;
        EXPECT_EQ(lines[2], std::string("      ") + c.because) << c.grid;
        // Without the refinement the same grid gets no such step.
        const Result rated = run("explain --scale game", std::string(c.grid) + "\n");
        EXPECT_FALSE(has(rated.out, "(stage 1), after:")) << c.grid;
    }
}

// The verdict names the stage that stalls and the one that finishes.
TEST(ExplainTechniques, VerdictAndOpenCells) {
    const std::string easy = std::string(".........") + "..783...." + "..5..264." + "..26...7." + ".4.....8." +
                             ".6...32.." + ".284..5.." + "....961.." + ".........";
    Result r = run("explain --scale game", easy + "\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.out, "  Easy: stage 0 stalls at ")) << r.out;
    const std::string hard = "8..........36......7..9.2...5...7.......457.....1...3...1....68..85...1..9....4..";
    r = run("explain --scale game --mode full", hard + "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.out, "  not completed: the full-strength solver stalls at ")) << r.out;
    EXPECT_TRUE(has(r.out, "  open: r1c2 ")) << r.out;
    r = run("explain --scale game", std::string(81, '.').replace(0, 2, "11") + "\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.out, "invalid (a digit repeats)")) << r.out;
    EXPECT_EQ(run("explain --scale game --mode fast", easy).status, 2);
}

// ------------------------------------------------------------- hint

namespace {

const std::string kEasySolution =
    "294165837617834952385972641532681479741259386869743215928417563473596128156328794";

// A game file with the player's entries: `entries` maps cells to digits.
std::string gameWith(const std::string& grid, const std::map<int, int>& entries) {
    std::string text = "Ann\n";
    for (int i = 0; i < 81; i++) {
        auto e = entries.find(i);
        text += e != entries.end() ? "-" + std::to_string(e->second) : grid[i] == '.' ? "0" : std::string(1, grid[i]);
        text += i % 9 == 8 ? " \n" : " ";
    }
    return text;
}

}  // namespace

TEST(Hint, WrongEntryBeforeAnyStep) {
    // r1c1 is 2; a 3 there repeats nothing yet, so only the solution tells.
    const Result r = run("hint --scale game", gameWith(kEasy, {{0, 3}, {1, 9}}));
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(has(r.out, "  r1c1 3 is wrong: the solution has 2\n")) << r.out;
    EXPECT_FALSE(has(r.out, "r1c2")) << "a right entry is not named";
    EXPECT_FALSE(has(r.out, "next:")) << r.out;
}

TEST(Hint, ConflictingEntry) {
    // An 8 in r2c1 repeats the given 8 of r2c4.
    const Result r = run("hint --scale game --format json", gameWith(kEasy, {{9, 8}}));
    json e;
    ASSERT_TRUE(parseJson(r.out, &e)) << r.out;
    EXPECT_EQ(e["hint"].s, "wrong entries");
    ASSERT_EQ(e["wrong"].items.size(), 1u);
    EXPECT_EQ(e["wrong"].items[0]["cell"].s, "r2c1");
    EXPECT_EQ(e["wrong"].items[0]["conflictsWith"].s, "r2c4");
    EXPECT_EQ(e["wrong"].items[0]["right"].integer(), kEasySolution[9] - '0');
}

TEST(Hint, NextStepCountsTheEntries) {
    // With the right entries the next step is one the givens alone would
    // not show first: r1c1 is filled, so the hint is elsewhere.
    const Result givensOnly = run("hint --scale game", kEasy + "\n");
    const Result withEntries = run("hint --scale game", gameWith(kEasy, {{0, 2}, {1, 9}, {2, 4}}));
    EXPECT_TRUE(has(givensOnly.out, "  next: ")) << givensOnly.out;
    EXPECT_TRUE(has(withEntries.out, "  next: ")) << withEntries.out;
    EXPECT_FALSE(has(withEntries.out, "r1c1 ")) << withEntries.out;
    EXPECT_NE(givensOnly.out, withEntries.out);
}

TEST(Hint, NoLogicalStep) {
    // Where the full-strength solver stalls on a hard puzzle.
    const std::string hard = "8..........36......7..9.2...5...7.......457.....1...3...1....68..85...1..9....4..";
    const Result solved = run("solve", hard + "\n");
    const size_t at = solved.out.find("not completed ");
    ASSERT_NE(at, std::string::npos) << solved.out;
    const std::string stalled = solved.out.substr(at + 14, 81);
    const Result r = run("hint --scale game", stalled + "\n");
    EXPECT_TRUE(has(r.out, "  no logical step found; the most constrained cell, r")) << r.out;
    EXPECT_TRUE(has(r.out, " has 2 candidates (")) << r.out;
}

TEST(Hint, DigitListsHaveOneSeparator) {
    // An empty grid: no step, and every cell has all nine candidates.
    const std::string empty(81, '.');
    Result r = run("hint --scale game", empty + "\n");
    EXPECT_TRUE(has(r.out, ", r1c1, has 9 candidates (1 2 3 4 5 6 7 8 9)\n")) << r.out;
    r = run("hint --scale game --format json", empty + "\n");
    EXPECT_TRUE(has(r.out, "\"candidates\":[1,2,3,4,5,6,7,8,9]")) << r.out;
    // A hidden triple's digits in explain's JSON likewise.
    r = run("explain --scale game --mode full --format json", ".........4.512.3..6...3.912" + std::string(54, '.') + "\n");
    EXPECT_TRUE(has(r.out, "\"technique\":\"hidden-triple\",\"digits\":[1,2,3]")) << r.out;
}

TEST(Hint, TwoSolutionsSkipTheSolutionCheck) {
    // The solution less a rectangle of two rows of a band and two columns
    // whose corners hold x y / y x: the swapped corners fill it too.
    std::string loose = kEasySolution;
    int a = -1, b = -1;
    for (int i = 0; i < 81 && a < 0; i++)
        for (int j = i + 1; j < 81 && a < 0; j++) {
            if (i / 9 != j / 9 || i % 9 / 3 == j % 9 / 3) continue;
            for (int r = i / 9 + 1; r < i / 27 * 3 + 3 && a < 0; r++)
                if (loose[static_cast<size_t>(i)] == loose[static_cast<size_t>(r * 9 + j % 9)] &&
                    loose[static_cast<size_t>(j)] == loose[static_cast<size_t>(r * 9 + i % 9)]) {
                    a = i;
                    b = j;
                    for (int k : {i, j, r * 9 + i % 9, r * 9 + j % 9}) loose[static_cast<size_t>(k)] = '.';
                }
        }
    ASSERT_GE(a, 0);
    // The other solution's digit in one corner: wrong for the first
    // solution, yet no repeat.
    const Result r = run("hint --scale game", gameWith(loose, {{a, kEasySolution[static_cast<size_t>(b)] - '0'}}));
    EXPECT_TRUE(has(r.out, "the givens have more than one solution, so the entries are checked only for repeats"))
        << r.out;
    EXPECT_FALSE(has(r.out, "is wrong")) << r.out;
    EXPECT_TRUE(has(r.out, "  next: ")) << r.out;
}

// ------------------------------------------------------ JSON and text agree

TEST(ExplainJson, SameStepsAsText) {
    for (const char* mode : {"rate", "full"}) {
        const Result text = run(std::string("explain --scale game --mode ") + mode + " " + quote(VELUNDA_EXPERT_FILE));
        const Result js = run(std::string("explain --scale game --format json --mode ") + mode + " " + quote(VELUNDA_EXPERT_FILE));
        std::vector<std::string> fromJson;
        for (const std::string& line : linesOf(js.out)) {
            json e;
            ASSERT_TRUE(parseJson(line, &e)) << line.substr(0, 200);
            fromJson.push_back(e["where"].s + ": " + (std::string(mode) == "rate" ? "rating" : "full") + " mode, " +
                               std::to_string(e["empty"].integer()) + " empty cells");
            for (const json& s : e["steps"].items) {
                std::string line = "  " + std::to_string(s["step"].integer()) + ". " + s["cell"].s + " " +
                                   std::to_string(s["digit"].integer()) + ", " + s["text"].s;
                if (s.fields.count("stage")) line += " (stage " + std::to_string(s["stage"].integer()) + ")";
                fromJson.push_back(line + (s["exclusions"].items.empty() ? "" : ", after:"));
                for (const json& x : s["exclusions"].items) fromJson.push_back("      " + x["text"].s);
            }
            fromJson.push_back("  " + e["reason"].s);
            if (!e["open"].items.empty()) {
                std::string open = "  open:";
                for (const json& c : e["open"].items) open += " " + c.s;
                fromJson.push_back(open);
            }
        }
        EXPECT_EQ(fromJson, linesOf(text.out)) << mode;
    }
}

TEST(ExplainJson, ReaderRefusesBrokenJson) {
    json e;
    EXPECT_TRUE(parseJson("{\"a\":[1,\"x\\\"y\",true,null]}", &e));
    EXPECT_EQ(e["a"].items[1].s, "x\"y");
    for (const char* bad : {"{\"a\":1,}", "{\"a\" 1}", "[1 2]", "{\"a\":\"b}", "{\"a\":1}{", "{\"a\":1,\"a\":2}"})
        EXPECT_FALSE(parseJson(bad, &e)) << bad;
}
