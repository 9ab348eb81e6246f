// Reading puzzles for the command-line tool. A file (or standard input) is
// read whole, then as a sequence of records, each judged on its own:
// - a puzzle line (see puzzle_line.h);
// - a game or state file: an author line of at most 44 bytes (the line end
//   aside, blanks counted, as the game reads it), then 81 cell values, then
//   optionally a "Rating: ..." line (as `generate --format sdk` writes) or a
//   state file's block of 81 pencil marks. Several may follow one another.
//   A line starts a game file when the next non-blank line is a row of cell
//   values; an empty first line of a file is the empty author of the game
//   file that follows it.
// Blank lines (white space alone) are skipped, and so are lines starting
// with '#' that start no game file. A UTF-8 byte-order mark at the start of
// a line is skipped (in an author line it counts towards the 44 bytes, as it
// does in the game).
#ifndef VELUNDA_CLI_PUZZLE_INPUT_H
#define VELUNDA_CLI_PUZZLE_INPUT_H

#include <functional>
#include <string>
#include <vector>

#include "engine/sudoku.h"

// Worst thing met while reading, in exit-status order.
enum inputStatus { inputGood = 0, inputBadPuzzle = 1, inputUnreadable = 2 };

// A file read whole.
struct puzzleFile {
    std::string name;  // for messages: the path (control characters escaped), or "stdin" for "-"
    std::string text;
};

// Reads `path` ("-" is standard input) into *file. Reports on stderr (or
// into *message, when given) and returns false if it cannot be read.
bool readPuzzleFile(const std::string& path, puzzleFile* file, std::string* message = nullptr);

// Called for every puzzle read; `where` names it for messages and results:
// "list.txt:12" (the line of a puzzle line, or of a game file's author), or
// the file name alone when the file holds one game file and nothing else.
// Returns false to stop reading.
typedef std::function<bool(const std::string& where, sudoku& puzzle)> puzzleHandler;
// Takes a message line ("velunda-cli: where: what\n") in place of stderr.
typedef std::function<void(const std::string& line)> messageHandler;

// The number of puzzles `readPuzzles` will hand over for this file.
int countPuzzles(const puzzleFile& file);

// Hands every puzzle of the file to `handle`, in order. Problems are reported
// on stderr with the file and line (`beforeMessage`, if set, is called before
// each, or they go to `onMessage` if set), and reading goes on with the next
// record; a file that holds nothing to read is reported too.
inputStatus readPuzzles(const puzzleFile& file, const puzzleHandler& handle,
                        const std::function<void()>& beforeMessage = nullptr,
                        const messageHandler& onMessage = nullptr);

// readPuzzleFile and readPuzzles over every path in order; the worst status
// of them all (an unreadable file counts as inputUnreadable, and reading goes
// on with the next).
inputStatus readPuzzleFiles(const std::vector<std::string>& paths, const puzzleHandler& handle);

#endif
