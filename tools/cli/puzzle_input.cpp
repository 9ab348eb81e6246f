#include "puzzle_input.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "puzzle_line.h"

namespace {

const size_t kMaxInput = 256u << 20;  // nobody's puzzle list is larger

// The author as sudoku::loadPuzzle keeps it (char author[45], read by fgets):
// a longer line leaves its rest where the first cell is expected, and the
// game then loads no cell at all.
const size_t kAuthorBytes = 44;
// A cell value of a game file is an optional sign and digits, -9 to 9, in at
// most this many characters: "-9", "+09", "-09" and "009" are cell values,
// "-009" and "0009" are not.
const size_t kMaxCellToken = 3;
// A state file's pencil marks: 81 values of 9 bits, digits only.
const int kMarks = 81;
const long kMaxMark = 511;
const size_t kMaxMarkToken = 3;
const size_t kShownToken = 20;  // bytes of a bad value quoted in a message
const char kBom[] = "\xEF\xBB\xBF";

// A message on stderr, or into *sink when one is given.
void complain(const std::string& where, const std::string& what, std::string* sink = nullptr) {
    const std::string line = "velunda-cli: " + where + ": " + what + "\n";
    if (sink != nullptr) *sink += line;
    else std::fputs(line.c_str(), stderr);
}

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

bool isInteger(const std::string& token) {
    size_t i = !token.empty() && (token[0] == '+' || token[0] == '-') ? 1 : 0;
    if (i >= token.size()) return false;
    for (; i < token.size(); i++)
        if (token[i] < '0' || token[i] > '9') return false;
    return true;
}

// A value of a grid: the engine reads it as "%d" would.
bool cellValue(const std::string& token, short* value) {
    if (token.size() > kMaxCellToken || !isInteger(token)) return false;
    const long v = std::strtol(token.c_str(), nullptr, 10);
    if (v < -9 || v > 9) return false;
    *value = static_cast<short>(v);
    return true;
}

bool markValue(const std::string& token) {
    if (token.size() > kMaxMarkToken || token.find_first_not_of("0123456789") != std::string::npos) return false;
    return std::strtol(token.c_str(), nullptr, 10) <= kMaxMark;
}

// White-space separated words, as the engine's reader separates numbers.
std::vector<std::string> tokensOf(const std::string& text) {
    std::vector<std::string> tokens;
    size_t pos = 0;
    while (pos < text.size()) {
        while (pos < text.size() && isSpace(text[pos])) pos++;
        size_t end = pos;
        while (end < text.size() && !isSpace(text[end])) end++;
        if (end > pos) tokens.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return tokens;
}

bool isRatingLine(const std::string& content) {
    return content.compare(0, 7, "Rating:") == 0;
}

class reader {
public:
    reader(const puzzleFile& file, bool quiet, bool single, const puzzleHandler& handle,
           const std::function<void()>& beforeMessage, const messageHandler& onMessage = nullptr)
        : file(file), quiet(quiet), single(single), handle(handle), beforeMessage(beforeMessage),
          onMessage(onMessage) {}

    inputStatus run();

    int puzzles = 0;    // puzzles handed over (or, when quiet, that would be)
    int limit = 0;      // when quiet, stop after this many puzzles (0: never)
    int gameFiles = 0;  // of them from game files

private:
    size_t lines() const { return begins.size(); }
    std::string raw(size_t i) const { return file.text.substr(begins[i], ends[i] - begins[i]); }
    std::string content(size_t i) const;
    size_t nextContent(size_t i) const;
    bool gridLike(size_t i) const;
    bool gridRow(size_t i) const;
    bool startsRecord(size_t i) const;
    size_t gameFile(size_t author);
    void puzzleLine(size_t i, const short* cells);
    void deliver(const std::string& where, sudoku& puzzle);
    void counted();
    void report(const std::string& where, const std::string& what);
    void reportLine(size_t i, const std::string& what) { report(file.name + ":" + std::to_string(i + 1), what); }

    const puzzleFile& file;
    const bool quiet, single;
    const puzzleHandler handle;
    const std::function<void()> beforeMessage;
    const messageHandler onMessage;
    std::vector<size_t> begins, ends;  // of every line, its line feed excluded
    inputStatus status = inputGood;
    bool stopped = false;
    bool resync = false;  // after a damaged game file: skip the rest of its grid
};

// A line as a list reads it: without a byte-order mark in front or blanks
// and a carriage return at the end.
std::string reader::content(size_t i) const {
    std::string line = raw(i);
    if (line.compare(0, 3, kBom) == 0) line.erase(0, 3);
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\r' || line[end - 1] == ' ' || line[end - 1] == '\t')) end--;
    line.resize(end);
    // White space alone (a vertical tab, a form feed) is a blank line, as the
    // game's reader skips it.
    for (char c : line)
        if (!isSpace(c)) return line;
    return std::string();
}

size_t reader::nextContent(size_t i) const {
    for (i++; i < lines(); i++)
        if (!content(i).empty()) return i;
    return lines();
}

// A line that can hold a game file's first cells: not a puzzle line, and
// starting with a number, followed by more words or short enough for a cell.
// (A line of other white space, a vertical tab or a form feed, has no words.)
bool reader::gridLike(size_t i) const {
    const std::string line = content(i);
    if (line.empty() || parsePuzzleLine(line, nullptr)) return false;
    const std::vector<std::string> tokens = tokensOf(line);
    return !tokens.empty() && isInteger(tokens[0]) && (tokens.size() >= 2 || tokens[0].size() <= kMaxCellToken);
}

// A line of numbers only, not a puzzle line: a row of a grid or of pencil marks.
bool reader::gridRow(size_t i) const {
    const std::string line = content(i);
    if (line.empty() || parsePuzzleLine(line, nullptr)) return false;
    const std::vector<std::string> tokens = tokensOf(line);
    for (const std::string& token : tokens)
        if (!isInteger(token)) return false;
    return !tokens.empty();
}

// A line where a new record may begin: a puzzle line, a rating line, or the
// author line of a game file.
bool reader::startsRecord(size_t i) const {
    const std::string line = content(i);
    if (parsePuzzleLine(line, nullptr) || isRatingLine(line)) return true;
    const size_t next = nextContent(i);
    return next < lines() && gridLike(next);
}

void reader::report(const std::string& where, const std::string& what) {
    if (status < inputBadPuzzle) status = inputBadPuzzle;
    if (quiet) return;
    if (beforeMessage) beforeMessage();
    if (onMessage) {
        std::string line;
        complain(where, what, &line);
        onMessage(line);
        return;
    }
    complain(where, what);
}

void reader::counted() {
    if (limit > 0 && puzzles >= limit) stopped = true;
}

void reader::deliver(const std::string& where, sudoku& puzzle) {
    if (!handle(where, puzzle)) stopped = true;
}

// An empty puzzle to copy: constructing one reseeds rand() from the clock,
// which costs more than reading a puzzle line.
const sudoku& emptyPuzzle() {
    static const sudoku empty;
    return empty;
}

void reader::puzzleLine(size_t i, const short* cells) {
    puzzles++;
    if (quiet) return counted();
    sudoku puzzle = emptyPuzzle();
    for (int k = 0; k < 81; k++)
        if (cells[k] != 0) puzzle.solve_place(k / 9, k % 9, cells[k]);
    deliver(file.name + ":" + std::to_string(i + 1), puzzle);
}

// Reads the game file whose author line is line `author`; returns the line
// after it. Checks strictly, so that what the game's lenient reader would
// quietly misread or leave is reported with its line instead.
size_t reader::gameFile(size_t author) {
    std::string name = raw(author);
    if (!name.empty() && name.back() == '\r') name.pop_back();
    if (name.size() > kAuthorBytes) {
        const bool bom = name.compare(0, 3, kBom) == 0;
        reportLine(author, "the author line is " + std::to_string(name.size()) + " bytes long" +
                               (bom ? " (with the byte-order mark)" : "") +
                               ", more than the 44 the game reads (blanks count)");
        resync = true;
        return author + 1;
    }
    if (name.find('\r') != std::string::npos) {
        reportLine(author, "the author line holds a carriage return before its end");
        resync = true;
        return author + 1;
    }

    short cells[81];
    int count = 0;
    size_t line = author + 1, lastGrid = author;
    for (; line < lines() && count < 81; line++) {
        const std::vector<std::string> tokens = tokensOf(raw(line));
        for (size_t k = 0; k < tokens.size(); k++) {
            const std::string& token = tokens[k];
            if (count == 81) {
                reportLine(line, quotedBytes(token.substr(0, kShownToken)) + " follows the 81st cell");
                resync = true;
                return line + 1;
            }
            if (!cellValue(token, &cells[count])) {
                if (k == 0 && count > 0 && startsRecord(line)) {
                    reportLine(lastGrid, "the grid ends after " + std::to_string(count) + " of 81 cells");
                    return line;
                }
                reportLine(line, quotedBytes(token.substr(0, kShownToken)) + " is not a cell value (-9 to 9)");
                resync = true;
                return line + 1;
            }
            count++;
        }
        if (!tokens.empty()) lastGrid = line;
    }
    if (count < 81) {
        // A grid without its author line loses its first row to the author.
        reportLine(lastGrid, "the grid ends after " + std::to_string(count) + " of 81 cells" +
                                 (gridRow(author) ? " (line " + std::to_string(author + 1) +
                                                        ", read as the author line, holds numbers only)"
                                                  : ""));
        return lines();
    }

    // What may follow the grid: the rating `generate` writes, or a state
    // file's pencil marks.
    size_t after = lastGrid + 1;
    const size_t next = nextContent(lastGrid);
    if (next < lines() && isRatingLine(content(next))) {
        after = next + 1;
    } else if (next < lines() && gridRow(next)) {
        int marks = 0;
        size_t lastMarks = next;
        for (line = next; line < lines() && marks < kMarks; line++) {
            const std::vector<std::string> tokens = tokensOf(raw(line));
            for (size_t k = 0; k < tokens.size(); k++) {
                const std::string shown = quotedBytes(tokens[k].substr(0, kShownToken));
                if (marks == kMarks) {
                    reportLine(line, shown + " follows the 81st pencil mark");
                    resync = true;
                    return line + 1;
                }
                if (!markValue(tokens[k])) {
                    if (k == 0 && marks > 0 && startsRecord(line)) {
                        reportLine(lastMarks, "the pencil marks end after " + std::to_string(marks) + " of 81 values");
                        return line;
                    }
                    reportLine(line, shown + " is not a pencil-mark value (0 to 511)");
                    resync = true;
                    return line + 1;
                }
                marks++;
            }
            if (!tokens.empty()) lastMarks = line;
        }
        if (marks < kMarks) {
            reportLine(lastMarks, "the pencil marks end after " + std::to_string(marks) + " of 81 values");
            return lines();
        }
        after = lastMarks + 1;
    }

    puzzles++;
    gameFiles++;
    if (quiet) {
        counted();
        return after;
    }
    // The game's own reader loads what has been checked.
    std::string text = file.text.substr(begins[author], ends[lastGrid] - begins[author]);
    FILE* stream = fmemopen(&text[0], text.size(), "r");
    if (stream == nullptr) {
        report(file.name, std::string("cannot read: ") + std::strerror(errno));
        status = inputUnreadable;
        return lines();
    }
    sudoku puzzle;
    puzzle.loadPuzzle(stream);
    std::fclose(stream);
    short loaded[81];
    puzzle.returnPuzzle(loaded);
    if (std::memcmp(loaded, cells, sizeof cells) != 0) {
        reportLine(author, "the game reads this grid otherwise than velunda-cli checked it (a fault of velunda-cli)");
        return after;
    }
    deliver(single ? file.name : file.name + ":" + std::to_string(author + 1), puzzle);
    return after;
}

inputStatus reader::run() {
    const std::string& text = file.text;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        begins.push_back(start);
        ends.push_back(end);
        start = end + 1;
    }

    size_t i = 0;
    // The game reads an empty first line as an empty author.
    if (lines() > 0 && content(0).empty()) {
        const size_t next = nextContent(0);
        if (next < lines() && gridRow(next) && gridLike(next)) i = gameFile(0);
    }
    while (i < lines() && !stopped) {
        const std::string line = content(i);
        if (line.empty()) {
            i++;
            continue;
        }
        if (resync) {
            if (gridRow(i) || isRatingLine(line)) {
                i++;
                continue;
            }
            resync = false;
        }
        short cells[81];
        std::string error;
        if (parsePuzzleLine(line, cells, &error)) {
            puzzleLine(i, cells);
            i++;
            continue;
        }
        const size_t next = nextContent(i);
        if (next < lines() && gridLike(next)) {
            i = gameFile(i);
            continue;
        }
        if (line[0] != '#') reportLine(i, error);
        i++;
    }
    if (!stopped && puzzles == 0 && status == inputGood) report(file.name, "holds no puzzle");
    return status;
}

bool keepReading(const std::string&, sudoku&) {
    return true;
}

}  // namespace

bool readPuzzleFile(const std::string& path, puzzleFile* file, std::string* message) {
    file->name = path == "-" ? "stdin" : shownName(path);
    file->text.clear();
    FILE* stream = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (stream == nullptr) {
        complain(file->name, std::string("cannot open: ") + std::strerror(errno), message);
        return false;
    }
    // A regular file is read in one piece: growing the text as it comes
    // copies a large list several times over before any work can start.
    struct stat status;
    if (fstat(fileno(stream), &status) == 0 && S_ISREG(status.st_mode) && status.st_size > 0 &&
        static_cast<unsigned long long>(status.st_size) < kMaxInput)
        file->text.reserve(static_cast<size_t>(status.st_size) + 1);
    char buffer[65536];
    size_t n;
    errno = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, stream)) > 0 && file->text.size() < kMaxInput)
        file->text.append(buffer, n);
    const bool failed = std::ferror(stream) != 0;
    const int error = errno;
    if (stream != stdin) std::fclose(stream);
    if (failed) {
        complain(file->name, std::string("cannot read: ") + std::strerror(error), message);
        return false;
    }
    if (file->text.size() >= kMaxInput) {
        complain(file->name, "too large to be a puzzle file", message);
        return false;
    }
    return true;
}

int countPuzzles(const puzzleFile& file) {
    reader counter(file, true, false, keepReading, nullptr);
    counter.run();
    return counter.puzzles;
}

inputStatus readPuzzles(const puzzleFile& file, const puzzleHandler& handle,
                        const std::function<void()>& beforeMessage, const messageHandler& onMessage) {
    // Whether the file is one game file and nothing else: two puzzles settle it.
    reader counter(file, true, false, keepReading, nullptr);
    counter.limit = 2;
    counter.run();
    const bool single = counter.puzzles == 1 && counter.gameFiles == 1;
    reader real(file, false, single, handle, beforeMessage, onMessage);
    return real.run();
}

inputStatus readPuzzleFiles(const std::vector<std::string>& paths, const puzzleHandler& handle) {
    inputStatus status = inputGood;
    for (const std::string& path : paths) {
        puzzleFile file;
        if (!readPuzzleFile(path, &file)) {
            status = inputUnreadable;
            continue;
        }
        const inputStatus read = readPuzzles(file, handle);
        if (read > status) status = read;
    }
    return status;
}
