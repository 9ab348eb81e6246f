// velunda-cli: the game's engine for puzzle authors and batch work. Here
// only the command is read; each command reads its own options, in its own
// file.
#include <cstdio>
#include <string>

#include "explain.h"
#include "generate.h"
#include "hint.h"
#include "judge.h"
#include "output.h"
#include "platform/platform.h"
#include "print.h"

namespace {

const char* const kUsage =
    "usage: velunda-cli generate [-n N] [--seed S] [--format line|sdk] [-j N]\n"
    "                            [--rating very-easy|easy|medium|hard|expert|extreme]\n"
    "                            [--attempts N] [--out DIR [--force]]\n"
    "       velunda-cli rate  [--scale ladder|game] [--numbers] [-j N] [FILE...]\n"
    "       velunda-cli solve [--scale ladder|game] [-j N] [FILE...]\n"
    "       velunda-cli check [-j N] [FILE...]\n"
    "       velunda-cli print [--per-page 1|2|4|6] [--solutions] [--title TEXT]\n"
    "                         [--paper a4|letter] -o OUT FILE...\n"
    "       velunda-cli explain [--scale ladder|game] [--mode rate|full] [--format text|json]\n"
    "                           [-j N] [FILE...]\n"
    "       velunda-cli hint [--scale ladder|game] [--format text|json] [FILE]\n"
    "\n"
    "generate  makes N new puzzles as the game does (from the puzzles in ./games,\n"
    "          else its built-in grid), each with its rating; --rating keeps only\n"
    "          puzzles of that rating, making at most --attempts (1000) for each\n"
    "          (hard, expert and extreme: symmetric puzzles of one solution rated\n"
    "          by the ladder, each from a seed of its own);\n"
    "          --out writes each as a game file DIR/0001.sdk, ... (never over an\n"
    "          existing file without --force); -j N makes puzzle i from a seed of\n"
    "          its own, so any N gives the same puzzles\n"
    "rate      the level on the technique ladder: Very Easy, Easy, Medium (as the\n"
    "          game rates them), Hard, Expert, Extreme or Beyond logic; --numbers\n"
    "          adds the hardest step, the hardest up to the first placement and the\n"
    "          first step's difficulty, and the hardest technique\n"
    "solve     the grid the ladder's logic reaches\n"
    "check     conflicting cells, empty cells and the number of solutions of the\n"
    "          givens (0, 1 or \"2 or more\"), counted by exhaustive search\n"
    "explain   every step of the ladder's solve with its technique, pattern and\n"
    "          difficulty, then the level and the numbers (JSON: checkable steps)\n"
    "hint      for a game in progress: wrong entries, else the easiest next step\n"
    "--scale   game: the game's own solver and its verdicts (Very Easy, Easy,\n"
    "          Medium or not completed; explain's stages, --mode rate|full)\n"
    "print     lays the puzzles out for paper: PDF (A4, or --paper letter), or SVG\n"
    "          or PNG by OUT's extension (one file a page, OUT-1.png, ..., when\n"
    "          there are several); --solutions adds answer pages at the end\n"
    "-j N      the work over N worker processes, the output the same for every\n"
    "          N (rate, solve, check and explain: one per processor unless -j is\n"
    "          given)\n"
    "\n"
    "FILE is a game (.sdk) or state (.sta) file, several game files one after\n"
    "another, or a list of puzzle lines: 81 cells ('1'-'9', '.' or '0' for an\n"
    "empty cell), then optionally blanks and a comment, as generate writes them.\n"
    "Without FILE, or with -, standard input is read the same way. The player's\n"
    "entries in a game or state file are set aside: rate, solve and check's count\n"
    "of solutions judge the givens, and say so; check reports conflicts of all.\n"
    "Exit status: 0 all good, 1 some puzzle invalid or not completed, 2 usage or I/O error.\n";

}  // namespace

int usageError(const std::string& message) {
    std::fprintf(stderr, "velunda-cli: %s\n%s", message.c_str(), kUsage);
    return 2;
}

int main(int argc, char** argv) {
    platformClock();  // the clock starts with the program
    if (argc < 2) return usageError("a command is needed");
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        writeOut(kUsage);
        return finishOutput("the help", 0);
    }
    if (command == "generate") return generateCommand(argc - 2, argv + 2);
    if (command == "rate") return rateCommand(argc - 2, argv + 2);
    if (command == "solve") return solveCommand(argc - 2, argv + 2);
    if (command == "check") return checkCommand(argc - 2, argv + 2);
    if (command == "explain") return explainCommand(argc - 2, argv + 2);
    if (command == "hint") return hintCommand(argc - 2, argv + 2);
    if (command == "print") return printCommand(argc - 2, argv + 2);
    return usageError("unknown command: " + command);
}
