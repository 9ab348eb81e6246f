// What every command of the tool shares: standard output whose every write
// is checked, the progress line, the -j option, and the names the tool gives
// to files, cells and the entries it sets aside.
#ifndef VELUNDA_CLI_OUTPUT_H
#define VELUNDA_CLI_OUTPUT_H

#include <string>

// Writes to standard output; false once a write has failed, when the run
// should stop.
bool writeOut(const std::string& text);

// Flushes standard output; `status`, or 2 with a message if `what` could not
// all be written.
int finishOutput(const char* what, int status);

// The message and the usage of the whole tool on stderr; returns 2. (The
// usage text is main.cpp's.)
int usageError(const std::string& message);

// The number of processors online: the default of -j.
int defaultWorkers();

// Reads -j N or -jN at argv[*i] (moving *i past a separate value). False
// when argv[*i] is not -j; *bad is set when the value is not a number of
// workers (1 to 256).
bool workersOption(int argc, char** argv, int* i, int* workers, bool* bad);

extern const char kWorkersError[];

// Reads --scale ladder|game at argv[*i] (moving *i past its value). False
// when argv[*i] is not --scale; *bad is set when the value is neither.
bool scaleOption(int argc, char** argv, int* i, bool* ladder, bool* bad);

extern const char kScaleError[];

// "velunda-cli: 120 of 5000" on a terminal once a run has taken a while. It
// is erased before any message, and before any result when the results go to
// a terminal too, so that results and progress never share a line.
class progress {
public:
    explicit progress(long total);
    ~progress() { clear(); }

    void step(long done);
    void clear();
    void beforeResult() {
        if (resultsOnTerminal) clear();
    }

private:
    long total;
    bool terminal, resultsOnTerminal;
    int lastShown = -1, width = 0;
};

// A name given by the user (a path) for messages: control characters as \xNN,
// everything else, UTF-8 included, as it is.
std::string shownName(const std::string& name);

// "r1c1" .. "r9c9" for cell row * 9 + column.
std::string cellName(int cell);

// "2 entries set aside", and " (givens only; 2 entries set aside)" when
// there are any.
std::string entriesText(int entries);
std::string givensNote(int entries);

#endif
