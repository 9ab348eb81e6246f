#include "gamefiles.h"

#include <cctype>
#include <cstdio>
#include <vector>

#include "numbers_internal.h"

namespace {

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

bool isSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// A word that is a number and nothing else, read as the game reads numbers.
bool wholeNumber(const std::string& token, long* value) {
    textSource in{token, 0, token.size()};
    return !token.empty() && !isSpace(token[0]) && readInt(in, value) && in.at == token.size();
}

bool isInteger(const std::string& token) {
    long value;
    return wholeNumber(token, &value);
}

bool cellValue(const std::string& token, short* value) {
    long v;
    if (token.size() > kMaxCellToken || !wholeNumber(token, &v) || v < -9 || v > 9) return false;
    *value = static_cast<short>(v);
    return true;
}

bool markValue(const std::string& token) {
    long v;
    return token.size() <= kMaxMarkToken && std::isdigit(static_cast<unsigned char>(token[0])) &&
           wholeNumber(token, &v) && v <= kMaxMark;
}

// White-space separated words, as the game's reader separates numbers.
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
    reader(const std::string& text, otherLineReader otherLine, const textPuzzleHandler& take,
           const textProblemHandler& problem)
        : text(text), otherLine(otherLine), take(take), problem(problem) {}

    bool run();

private:
    size_t lines() const { return begins.size(); }
    std::string raw(size_t i) const { return text.substr(begins[i], ends[i] - begins[i]); }
    std::string content(size_t i) const;
    size_t nextContent(size_t i) const;
    bool otherForm(const std::string& line, short* cells, std::string* error) const;
    bool gridLike(size_t i) const;
    bool gridRow(size_t i) const;
    bool startsRecord(size_t i) const;
    size_t gameFile(size_t author);
    void deliver(const textPuzzle& puzzle);
    void report(int line, const std::string& what);
    void reportLine(size_t i, const std::string& what) { report(static_cast<int>(i + 1), what); }

    const std::string& text;
    const otherLineReader otherLine;
    const textPuzzleHandler& take;
    const textProblemHandler& problem;
    std::vector<size_t> begins, ends;  // of every line, its line feed excluded
    std::vector<size_t> nextFilled;    // the first line from each on that is not blank
    int puzzles = 0;
    bool refused = false;
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
    return i + 1 < lines() ? nextFilled[i + 1] : lines();
}

bool reader::otherForm(const std::string& line, short* cells, std::string* error) const {
    if (otherLine != nullptr) return otherLine(line, cells, error);
    if (error != nullptr) *error = "not part of a game file";
    return false;
}

// A line that can hold a game file's first cells: not of the other form,
// and starting with a number, followed by more words or short enough for a
// cell. (A line of other white space, a vertical tab or a form feed, has no
// words.)
bool reader::gridLike(size_t i) const {
    const std::string line = content(i);
    if (line.empty() || otherForm(line, nullptr, nullptr)) return false;
    const std::vector<std::string> tokens = tokensOf(line);
    return !tokens.empty() && isInteger(tokens[0]) && (tokens.size() >= 2 || tokens[0].size() <= kMaxCellToken);
}

// A line of numbers only, not of the other form: a row of a grid or of
// pencil marks.
bool reader::gridRow(size_t i) const {
    const std::string line = content(i);
    if (line.empty() || otherForm(line, nullptr, nullptr)) return false;
    const std::vector<std::string> tokens = tokensOf(line);
    for (const std::string& token : tokens)
        if (!isInteger(token)) return false;
    return !tokens.empty();
}

// A line where a new record may begin: a line of the other form, a rating
// line, or the author line of a game file.
bool reader::startsRecord(size_t i) const {
    const std::string line = content(i);
    if (otherForm(line, nullptr, nullptr) || isRatingLine(line)) return true;
    const size_t next = nextContent(i);
    return next < lines() && gridLike(next);
}

void reader::report(int line, const std::string& what) {
    refused = true;
    if (problem) problem(line, what);
}

void reader::deliver(const textPuzzle& puzzle) {
    puzzles++;
    if (!take(puzzle)) stopped = true;
}

// Reads the game file whose author line is line `author`; returns the line
// after it.
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

    textPuzzle puzzle;
    puzzle.line = static_cast<int>(author + 1);
    puzzle.gameFile = true;
    puzzle.author = name.substr(0, name.find('\0'));  // the game's author ends at a zero byte
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
            if (!cellValue(token, &puzzle.cells[count])) {
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

    // What may follow the grid: the rating velunda-cli writes, or a state
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
    deliver(puzzle);
    return after;
}

bool reader::run() {
    for (size_t start = 0; start < text.size();) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        begins.push_back(start);
        ends.push_back(end);
        start = end + 1;
    }
    // Looked up for every line: scanning on through a run of blank lines
    // each time would make a long run quadratic.
    nextFilled.resize(lines());
    for (size_t i = lines(); i-- > 0;) {
        const size_t after = i + 1 < lines() ? nextFilled[i + 1] : lines();
        nextFilled[i] = content(i).empty() ? after : i;
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
        textPuzzle puzzle;
        std::string error;
        if (otherForm(line, puzzle.cells, &error)) {
            puzzle.line = static_cast<int>(i + 1);
            deliver(puzzle);
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
    if (!stopped && puzzles == 0 && !refused) report(0, "holds no puzzle");
    return !refused;
}

}  // namespace

bool readPuzzleText(const std::string& text, otherLineReader otherLine, const textPuzzleHandler& take,
                    const textProblemHandler& problem) {
    reader r(text, otherLine, take, problem);
    return r.run();
}

std::string quotedBytes(const std::string& bytes) {
    std::string out = "'";
    for (char ch : bytes) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\\' || c == '\'') {
            out += '\\';
            out += ch;
        } else if (c >= 0x20 && c < 0x7f) {
            out += ch;
        } else {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        }
    }
    return out + "'";
}
