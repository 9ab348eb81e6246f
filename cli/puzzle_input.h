// Reading puzzles for the command-line tool. A file (or standard input) is
// read whole, then as a sequence of records, each judged on its own: puzzle
// lines (puzzle_line.h), and game and state files, several one after
// another, read by the engine's strict reader (engine/gamefiles.h), which
// says where and why it refuses one.
#ifndef VELUNDA_CLI_PUZZLE_INPUT_H
#define VELUNDA_CLI_PUZZLE_INPUT_H

#include <functional>
#include <string>
#include <vector>

#include "engine/gamefiles.h"

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
typedef std::function<bool(const std::string& where, const textPuzzle& puzzle)> puzzleHandler;
// Takes a message line ("velunda-cli: where: what\n") in place of stderr.
typedef std::function<void(const std::string& line)> messageHandler;

// The number of puzzles `readPuzzles` will hand over for this file.
int countPuzzles(const puzzleFile& file);

// Hands every puzzle of the file to `handle`, in order. Problems are reported
// on stderr with the file and line (or go to `onMessage` if set), and
// reading goes on with the next record; a file that holds nothing to read is
// reported too.
inputStatus readPuzzles(const puzzleFile& file, const puzzleHandler& handle, const messageHandler& onMessage = nullptr);

// readPuzzleFile and readPuzzles over every path in order; the worst status
// of them all (an unreadable file counts as inputUnreadable, and reading goes
// on with the next).
inputStatus readPuzzleFiles(const std::vector<std::string>& paths, const puzzleHandler& handle);

#endif
