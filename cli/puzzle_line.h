// The puzzle line, velunda-cli's one-line form of a puzzle, read and written
// by this one rule: 81 cells row by row ('1'..'9' a given, '.' or '0' an open
// cell), then nothing, or blanks (spaces or tabs) and a comment. `generate`
// writes the rating as the comment ("<81 cells> Easy"), so its output reads back.
#ifndef VELUNDA_CLI_PUZZLE_LINE_H
#define VELUNDA_CLI_PUZZLE_LINE_H

#include <string>

const int kPuzzleLineCells = 81;

// The line of cells[81] (row * 9 + column): givens as digits, every other
// value (open, an entry, damaged) as '.'; the comment, if any, after a blank.
std::string formatPuzzleLine(const short* cells, const std::string& comment = "");

// Reads a line without its line end. True when it is a puzzle line: cells[81]
// then holds the givens (0 for an open cell), when not null. Otherwise
// *error, if not null, says what is wrong, starting with the column where
// that is useful.
bool parsePuzzleLine(const std::string& line, short* cells, std::string* error = nullptr);

#endif
