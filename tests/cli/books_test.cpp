// Puzzle books from the outside: generate by rating into game files, print
// to PDF, SVG and PNG (looked at through poppler, librsvg and ImageMagick),
// and batch commands over several worker processes giving the bytes of one.
#include <gtest/gtest.h>

#include "cli_test_util.h"

#include <algorithm>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace clitest;

struct Result {
    std::string out, err;
    int status = -1;
};

// Two solutions: a full grid with the 1 2 / 2 1 rectangle of r1c1, r1c2,
// r4c1 and r4c2 opened.
const std::string kTwo =
    "..3456789" "456789123" "789123456" "..4365897" "365897214" "897214365" "531642978" "642978531" "978531642";
const std::string kCorpus = VELUNDA_SOURCE_DIR "/tests/data/qqwing-1000.txt";

class BooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velunda-books-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::system(("rm -rf " + quote(dir)).c_str()); }

    void write(const std::string& name, const std::string& text) {
        std::ofstream(dir + "/" + name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) { return readFile(dir + "/" + name); }
    bool exists(const std::string& name) { return std::ifstream(dir + "/" + name).good(); }

    // A shell command line in the scratch folder; VC names velunda-cli.
    Result shell(const std::string& line) {
        const std::string command = "cd " + quote(dir) + " && VC=" + quote(VELUNDA_CLI) + " && { " + line +
                                    " ; } </dev/null >.stdout 2>.stderr";
        const int raw = std::system(command.c_str());
        Result r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = read(".stdout");
        r.err = read(".stderr");
        return r;
    }
    Result run(const std::string& args) { return shell("\"$VC\" " + args); }

    std::string dir;
};

// ------------------------------------------------------- generate --rating

class BooksGenerate : public BooksTest {};

TEST_F(BooksGenerate, EveryPuzzleHasTheRatingAndOneSolution) {
    for (const char* rating : {"very-easy", "medium"}) {
        for (const char* workers : {"", "-j 2"}) {
            SCOPED_TRACE(std::string(rating) + " " + workers);
            Result r = run(std::string("generate -n 12 --seed 9 --rating ") + rating + " " + workers);
            ASSERT_EQ(r.status, 0) << r.err;
            write("made.txt", r.out);
            const std::string name = std::string(rating) == "medium" ? "Medium" : "Very Easy";
            Result rated = run("rate made.txt");
            const std::vector<std::string> lines = linesOf(rated.out);
            ASSERT_EQ(lines.size(), 12u);
            for (const std::string& line : lines) EXPECT_TRUE(has(line, ": " + name)) << line;
            Result checked = run("check made.txt");
            EXPECT_EQ(checked.status, 0) << checked.out;
            EXPECT_EQ(linesOf(checked.out).size(), 12u);
            // The same seed gives the same puzzles again.
            EXPECT_EQ(run(std::string("generate -n 12 --seed 9 --rating ") + rating + " " + workers).out, r.out);
        }
    }
}

TEST_F(BooksGenerate, TheBoundOnAttemptsEndsTheRunWithAnError) {
    for (const char* workers : {"", "-j 2"}) {
        Result r = run(std::string("generate -n 60 --seed 1 --rating very-easy --attempts 1 ") + workers);
        EXPECT_EQ(r.status, 1) << workers;
        EXPECT_TRUE(has(r.err, ": no Very Easy puzzle in 1 attempt (--attempts sets the bound)\n")) << r.err;
        const std::vector<std::string> lines = linesOf(r.out);
        EXPECT_LT(lines.size(), 60u);
        for (const std::string& line : lines) EXPECT_TRUE(has(line, " Very Easy")) << line;
    }
    EXPECT_EQ(run("generate --rating brutal").status, 2);
    EXPECT_EQ(run("generate --attempts 0").status, 2);
}

TEST_F(BooksGenerate, OutWritesGameFilesAndNeverOverwritesWithoutForce) {
    Result r = run("generate -n 3 --seed 4 --out book");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 15), "book/0001.sdk: ");
    const std::string first = read("book/0001.sdk");
    EXPECT_EQ(first.substr(0, 9), "Brannoch\n");
    EXPECT_EQ(linesOf(first).size(), 10u);  // the author and nine rows, as the game writes
    Result rated = run("rate book/0001.sdk book/0002.sdk book/0003.sdk");
    EXPECT_EQ(rated.err, "");
    EXPECT_EQ(linesOf(rated.out).size(), 3u);

    // Any file of the run already there: nothing is written, not even the new names.
    write("book/0003.sdk", "mine\n");
    std::remove((dir + "/book/0001.sdk").c_str());
    std::remove((dir + "/book/0002.sdk").c_str());
    Result refused = run("generate -n 3 --seed 5 --out book");
    EXPECT_EQ(refused.status, 2);
    EXPECT_TRUE(has(refused.err, "book/0003.sdk exists; nothing was written")) << refused.err;
    EXPECT_FALSE(exists("book/0001.sdk"));
    EXPECT_EQ(read("book/0003.sdk"), "mine\n");

    Result forced = run("generate -n 3 --seed 4 --out book --force");
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_EQ(read("book/0001.sdk"), first);
    EXPECT_EQ(read("book/0003.sdk").substr(0, 9), "Brannoch\n");
    // Nothing but the game files is left in the folder.
    EXPECT_EQ(shell("ls -A book").out, "0001.sdk\n0002.sdk\n0003.sdk\n");
}

// ------------------------------------------------------------------- print

class BooksPrint : public BooksTest {
protected:
    int pdfPages(const std::string& name) {
        Result r = shell("pdfinfo " + name + " | sed -n 's/^Pages: *//p'");
        return std::atoi(r.out.c_str());
    }
};

TEST_F(BooksPrint, PagesForPuzzlesThenAnswers) {
    ASSERT_EQ(run("generate -n 5 --seed 3 --out five").status, 0);
    struct Case {
        const char* options;
        int pages;
    };
    for (const Case& c : {Case{"", 2}, Case{"--solutions", 4}, Case{"--per-page 6 --solutions", 2},
                          Case{"--per-page 1", 5}, Case{"--per-page 2 --solutions", 6}}) {
        Result r = run(std::string("print ") + c.options + " --title Book -o book.pdf five/*.sdk");
        ASSERT_EQ(r.status, 0) << c.options << r.err;
        EXPECT_EQ(pdfPages("book.pdf"), c.pages) << c.options;
    }
    EXPECT_TRUE(has(shell("pdfinfo book.pdf").out, "(A4)"));
    ASSERT_EQ(run("print --paper letter -o letter.pdf five/0001.sdk").status, 0);
    EXPECT_TRUE(has(shell("pdfinfo letter.pdf").out, "612 x 792 pts (letter)"));
}

// A grey picture as pdftoppm -gray writes it (binary PGM).
struct Picture {
    int width = 0, height = 0;
    std::string pixels;
    bool dark(int x, int y) const { return static_cast<unsigned char>(pixels[y * width + x]) < 128; }
};

Picture readPgm(const std::string& path) {
    Picture p;
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    in >> magic >> p.width >> p.height >> maxValue;
    in.get();
    p.pixels.resize(static_cast<size_t>(p.width) * p.height);
    in.read(&p.pixels[0], static_cast<std::streamsize>(p.pixels.size()));
    if (magic != "P5" || !in) p.width = p.height = 0;
    return p;
}

// Runs of lines (rows, or columns) more than half dark: a grid's lines.
// Each is {first, thickness}.
std::vector<std::pair<int, int>> gridLines(const Picture& p, bool rows) {
    std::vector<std::pair<int, int>> lines;
    const int n = rows ? p.height : p.width, across = rows ? p.width : p.height;
    for (int i = 0; i < n; i++) {
        int dark = 0;
        for (int k = 0; k < across; k++) dark += rows ? p.dark(k, i) : p.dark(i, k);
        if (dark * 2 < across) continue;
        if (!lines.empty() && lines.back().first + lines.back().second == i) lines.back().second++;
        else lines.push_back({i, 1});
    }
    return lines;
}

TEST_F(BooksPrint, APageShowsTheGridLinesAndTheGivensWhereTheyBelong) {
    write("easy.txt", kEasy + "\n");
    ASSERT_EQ(run("print --per-page 1 -o easy.pdf easy.txt").status, 0);
    ASSERT_EQ(shell("pdftoppm -r 60 -gray -singlefile easy.pdf page").status, 0);
    const Picture page = readPgm(dir + "/page.pgm");
    ASSERT_GT(page.width, 0);
    const auto rows = gridLines(page, true), columns = gridLines(page, false);
    ASSERT_EQ(rows.size(), 10u);
    ASSERT_EQ(columns.size(), 10u);
    for (int k = 0; k < 10; k++) {
        // Box lines thicker than cell lines, every third.
        const bool box = k % 3 == 0;
        for (const auto* lines : {&rows, &columns}) {
            const int thickness = (*lines)[k].second, thin = (*lines)[1].second;
            if (box) EXPECT_GT(thickness, thin) << k;
            else EXPECT_EQ(thickness, thin) << k;
        }
    }
    for (int cell = 0; cell < 81; cell++) {
        const int r = cell / 9, c = cell % 9;
        int dark = 0;
        for (int y = rows[r].first + rows[r].second + 1; y < rows[r + 1].first - 1; y++)
            for (int x = columns[c].first + columns[c].second + 1; x < columns[c + 1].first - 1; x++)
                dark += page.dark(x, y);
        if (kEasy[cell] == '.') EXPECT_EQ(dark, 0) << "r" << r + 1 << "c" << c + 1;
        else EXPECT_GT(dark, 20) << "r" << r + 1 << "c" << c + 1;
    }
}

TEST_F(BooksPrint, SvgAndPngPagesOpen) {
    ASSERT_EQ(run("generate -n 5 --seed 3 --out five").status, 0);
    ASSERT_EQ(run("print -o one.png five/0001.sdk").status, 0);
    EXPECT_EQ(shell("identify -format '%m %wx%h' one.png").out, "PNG 1240x1754");  // A4 at 150 dpi
    // Several pages: a file each.
    ASSERT_EQ(run("print --solutions -o book.svg five/*.sdk").status, 0);
    EXPECT_FALSE(exists("book.svg"));
    for (const char* name : {"book-1.svg", "book-2.svg", "book-3.svg", "book-4.svg"}) {
        Result r = shell(std::string("rsvg-convert ") + name + " -o shown.png && identify -format '%m %wx%h' shown.png");
        EXPECT_EQ(r.out, "PNG 794x1123") << name << r.err;  // A4 at 96 dpi
    }
    EXPECT_FALSE(exists("book-5.svg"));
    EXPECT_EQ(run("print -o book.txt five/0001.sdk").status, 2);

    // An author of the full 44 characters fills the engine's copy to its
    // last byte, which the caller must have zeroed.
    std::string game = std::string(44, 'A') + "\n";
    for (int row = 0; row < 9; row++) {
        for (int col = 0; col < 9; col++) game += std::string(1, kEasy[row * 9 + col] == '.' ? '0' : kEasy[row * 9 + col]) + " ";
        game += "\n";
    }
    write("long.sdk", game);
    EXPECT_EQ(run("print -o long.svg long.sdk").status, 0);
    EXPECT_EQ(run("check long.sdk").status, 0);
}

TEST_F(BooksPrint, TextThatIsNotUtf8IsDrawnAsLatin1) {
    // The game's author entry takes any byte: "Ren\xE9" is its Latin-1 "René".
    const auto gameBy = [](const std::string& author) {
        std::string game = author + "\n";
        for (int i = 0; i < 81; i++) game += std::string(1, kEasy[i] == '.' ? '0' : kEasy[i]) + (i % 9 == 8 ? " \n" : " ");
        return game;
    };
    write("latin.sdk", gameBy("Ren\xE9"));
    write("utf8.sdk", gameBy("Ren\xC3\xA9"));
    Result r = run("print -o latin.svg latin.sdk");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "velunda-cli: latin.sdk: the author is not UTF-8; such text is drawn as Latin-1\n");
    r = run("print -o utf8.svg utf8.sdk");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(read("latin.svg").empty());
    EXPECT_TRUE(read("latin.svg") == read("utf8.svg")) << "the Latin-1 author drawn as its UTF-8 twin";
    // Said once a run, whatever holds such bytes (a --title among them).
    r = run("print --title \"$(printf 'Caf\\351')\" -o both.pdf latin.sdk latin.sdk");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "velunda-cli: --title is not UTF-8; such text is drawn as Latin-1\n");
    EXPECT_TRUE(exists("both.pdf"));
}

TEST_F(BooksPrint, PuzzlesWithoutOneSolutionAreRefusedByName) {
    std::string none = kEasy;
    none[0] = '7';  // a second 7 in the first box
    write("list.txt", kEasy + "\n" + kTwo + "\n" + none + "\n");
    Result r = run("print --solutions -o book.pdf list.txt");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(has(r.err, "list.txt:2: 2 or more solutions")) << r.err;
    EXPECT_TRUE(has(r.err, "list.txt:3: no solution")) << r.err;
    EXPECT_FALSE(has(r.err, "list.txt:1")) << r.err;
    EXPECT_FALSE(exists("book.pdf"));
    // Without answer pages the puzzles themselves print.
    EXPECT_EQ(run("print -o book.pdf list.txt").status, 0);
}

// ---------------------------------------------------------------------- -j

class BooksWorkers : public BooksTest {};

TEST_F(BooksWorkers, OutputIsByteIdenticalForAnyNumberOfWorkers) {
    shell("cat " + quote(kCorpus) + " " + quote(kCorpus) + " > corpus.txt");
    for (const char* command : {"rate", "solve", "check"}) {
        const Result one = run(std::string(command) + " -j 1 corpus.txt");
        ASSERT_EQ(linesOf(one.out).size(), 4000u) << command;
        for (const char* workers : {"-j 2", "-j5"}) {
            const Result many = run(std::string(command) + " " + workers + " corpus.txt");
            EXPECT_TRUE(many.out == one.out) << command << " " << workers;
            EXPECT_EQ(many.err, one.err) << command << " " << workers;
            EXPECT_EQ(many.status, one.status) << command << " " << workers;
        }
    }
    // A message deep in a long list keeps its place among the results.
    shell("{ head -n 1500 corpus.txt; echo oops; tail -n +1501 corpus.txt; } > marred.txt");
    const Result alone = shell("\"$VC\" rate -j 1 marred.txt 2>&1");
    EXPECT_TRUE(has(alone.out, "marred.txt:1500: Very Easy\nvelunda-cli: marred.txt:1501: column 1: 'o' is not a digit, '0' or '.'\n"
                                 "marred.txt:1502: "))
        << alone.out.substr(0, 300);
    for (const char* workers : {"-j 2", "-j 5"})
        EXPECT_TRUE(shell(std::string("\"$VC\" rate ") + workers + " marred.txt 2>&1").out == alone.out) << workers;

    const Result made = run("generate -n 40 --seed 11 --format sdk -j 1");
    ASSERT_EQ(made.status, 0);
    EXPECT_EQ(run("generate -n 40 --seed 11 --format sdk -j 2").out, made.out);
    EXPECT_EQ(run("generate -n 40 --seed 11 --format sdk -j 5").out, made.out);
    EXPECT_EQ(run("rate -j 0 corpus.txt").status, 2);

    shell("head -n 300 " + quote(kCorpus) + " > some.txt");
    const Result explained = run("explain -j 1 some.txt");
    ASSERT_EQ(std::count(explained.out.begin(), explained.out.end(), '\n') > 300, true);
    for (const char* workers : {"-j 2", "-j5"}) {
        const Result many = run(std::string("explain ") + workers + " some.txt");
        EXPECT_TRUE(many.out == explained.out) << workers;
        EXPECT_EQ(many.status, explained.status) << workers;
    }
}

TEST_F(BooksWorkers, AnUnreadableFileIsReportedInItsPlaceAndTheOthersGoOn) {
    write("a.txt", kEasy + "\n" + kEasy + "\n");
    write("c.txt", kEasy + "\nnot a puzzle\n" + kEasy + "\n");
    shell("mkdir folder");
    const std::string expected =
        "a.txt:1: Easy\na.txt:2: Easy\n"
        "velunda-cli: missing.txt: cannot open: No such file or directory\n"
        "velunda-cli: folder: cannot read: Is a directory\n"
        "c.txt:1: Easy\n"
        "velunda-cli: c.txt:2: column 1: 'n' is not a digit, '0' or '.'\n"
        "c.txt:3: Easy\n";
    for (const char* workers : {"-j 1", "-j 2", "-j 5"}) {
        Result r = shell(std::string("\"$VC\" rate ") + workers + " a.txt missing.txt folder c.txt 2>&1");
        EXPECT_EQ(r.out, expected) << workers;
        EXPECT_EQ(r.status, 2) << workers;
    }
}

}  // namespace
