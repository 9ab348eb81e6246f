// What every command of the tool shares: standard output whose every write
// is checked, and the -j option.
#ifndef VELUNDA_CLI_OUTPUT_H
#define VELUNDA_CLI_OUTPUT_H

#include <string>

// Writes to standard output; false once a write has failed, when the run
// should stop.
bool writeOut(const std::string& text);

// Flushes standard output; `status`, or 2 with a message if `what` could not
// all be written.
int finishOutput(const char* what, int status);

// Reads -j N or -jN at argv[*i] (moving *i past a separate value). False
// when argv[*i] is not -j; *bad is set when the value is not a number of
// workers.
bool workersOption(int argc, char** argv, int* i, int* workers, bool* bad);

extern const char kWorkersError[];

#endif
