// Game and state files read strictly, for velunda-cli: several in one text,
// among lines of another form (the tool's puzzle lines). A game file is an
// author line of at most 44 bytes (the line end aside, blanks counted), then
// 81 cell values, then optionally a "Rating: ..." line (as velunda-cli's
// `generate --format sdk` writes) or a state file's block of 81 pencil
// marks. What the game's lenient reader (sudoku::loadPuzzle) would quietly
// misread or leave unread is refused, with its line and the reason; what
// passes is read as loadPuzzle reads it.
//
// A line starts a game file when the next non-blank line is a row of cell
// values; an empty first line of the text is the empty author of the game
// file that follows it. Blank lines (white space alone) are skipped, and so
// are lines starting with '#' that start no game file. A UTF-8 byte-order
// mark at the start of a line is skipped (in an author line it counts
// towards the 44 bytes, as it does in the game).
#ifndef VELUNDA_ENGINE_GAMEFILES_H
#define VELUNDA_ENGINE_GAMEFILES_H

#include <functional>
#include <string>

// A puzzle found in a text.
struct textPuzzle {
    int line = 0;          // from 1: the line of the other form, or of a game file's author
    bool gameFile = false;
    short cells[81];       // -9..9: givens, 0 open, entries negated (a line gives givens only)
    std::string author;    // as the game keeps it: at most 44 bytes, up to a zero byte
};

// Reads a line of the other form, without its line end: true with cells[81]
// set (when not null), else *error (when not null) says what is wrong.
typedef bool (*otherLineReader)(const std::string& line, short* cells, std::string* error);
// Takes a puzzle; false stops the reading.
typedef std::function<bool(const textPuzzle& puzzle)> textPuzzleHandler;
// Takes a problem at `line` (from 1; 0 for the text as a whole).
typedef std::function<void(int line, const std::string& what)> textProblemHandler;

// Hands every puzzle of `text` to `take`, in order, and every problem to
// `problem` (when set), reading on with the next record; a text that holds
// nothing to read is a problem too. False when anything was refused.
bool readPuzzleText(const std::string& text, otherLineReader otherLine, const textPuzzleHandler& take,
                    const textProblemHandler& problem);

// Bytes from a file as they may be shown in a message: between single quotes,
// printable ASCII as it is, every other byte as \xNN (a backslash and a quote
// escaped too), so no control character or escape sequence reaches a terminal.
std::string quotedBytes(const std::string& bytes);

#endif
