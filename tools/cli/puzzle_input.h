// Reading puzzles for the command-line tool: game and state files, and
// files or standard input holding one puzzle per 81-character line.
#ifndef VELUNDA_CLI_PUZZLE_INPUT_H
#define VELUNDA_CLI_PUZZLE_INPUT_H

#include <functional>
#include <string>

#include "engine/sudoku.h"

// Worst thing met while reading, in exit-status order.
enum inputStatus { inputGood = 0, inputBadPuzzle = 1, inputUnreadable = 2 };

// Called for every puzzle read; `where` names it for messages
// ("file.sdk", "list.txt:12", "stdin:3").
typedef std::function<void(const std::string& where, sudoku& puzzle)> puzzleHandler;

// Reads every puzzle of `path` ("-" is standard input, always read line by
// line). A file whose first line is too long for an author and has no
// blanks is read line by line too; anything else as a game or state file.
// Blank lines and lines starting with '#' are skipped in line lists. Problems are reported on stderr with the file
// and line, and reading goes on with the next puzzle.
inputStatus readPuzzles(const std::string& path, const puzzleHandler& handle);

#endif
