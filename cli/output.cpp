#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "platform/workers.h"

namespace {

// Once one write fails the run stops, and the error of that write is the one
// reported.
bool outputFailed = false;
int outputError = 0;

const int kMaxWorkers = 256;

// The progress line waits this long after the start, and between updates.
const int kProgressDelay = 1000;
const int kProgressInterval = 200;

}  // namespace

const char kWorkersError[] = "-j needs a number of workers from 1 to 256";

bool writeOut(const std::string& text) {
    if (outputFailed) return false;
    errno = 0;
    if (std::fputs(text.c_str(), stdout) == EOF || std::ferror(stdout)) {
        outputFailed = true;
        outputError = errno;
    }
    return !outputFailed;
}

int finishOutput(const char* what, int status) {
    errno = 0;
    if (!outputFailed && (std::fflush(stdout) != 0 || std::ferror(stdout))) {
        outputFailed = true;
        outputError = errno;
    }
    if (!outputFailed) return status;
    std::fprintf(stderr, "velunda-cli: cannot write %s: %s\n", what,
                 outputError != 0 ? std::strerror(outputError) : "write error");
    return 2;
}

int defaultWorkers() {
    const int n = processorCount();
    return n > kMaxWorkers ? kMaxWorkers : n;
}

bool workersOption(int argc, char** argv, int* i, int* workers, bool* bad) {
    const std::string arg = argv[*i];
    if (arg.compare(0, 2, "-j") != 0) return false;
    const char* value = arg.size() > 2 ? argv[*i] + 2 : *i + 1 < argc ? argv[++*i] : nullptr;
    *bad = true;
    if (value == nullptr || *value == '\0') return true;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(value, &end, 10);
    if (*end != '\0' || errno != 0 || n < 1 || n > kMaxWorkers) return true;
    *workers = static_cast<int>(n);
    *bad = false;
    return true;
}

progress::progress(long total)
    : total(total), terminal(platformStderrIsTerminal()), resultsOnTerminal(platformStdoutIsTerminal()) {}

void progress::step(long done) {
    if (!terminal) return;
    const int now = platformClock();  // milliseconds since the program started
    if (now < kProgressDelay || (lastShown >= 0 && now - lastShown < kProgressInterval)) return;
    std::fflush(stdout);  // the results so far go first
    char line[64];
    std::snprintf(line, sizeof line, "velunda-cli: %ld of %ld", done, total);
    clear();
    std::fprintf(stderr, "\r%s", line);
    std::fflush(stderr);
    width = static_cast<int>(std::strlen(line));
    lastShown = now;
}

void progress::clear() {
    if (width == 0) return;
    std::fprintf(stderr, "\r%*s\r", width, "");
    std::fflush(stderr);
    width = 0;
}

std::string shownName(const std::string& name) {
    std::string out;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7f) {
            char code[8];
            std::snprintf(code, sizeof code, "\\x%02x", c);
            out += code;
        } else {
            out += ch;
        }
    }
    return out;
}

std::string cellName(int cell) {
    return "r" + std::to_string(cell / 9 + 1) + "c" + std::to_string(cell % 9 + 1);
}

std::string entriesText(int entries) {
    return std::to_string(entries) + (entries == 1 ? " entry" : " entries") + " set aside";
}

std::string givensNote(int entries) {
    return entries == 0 ? "" : " (givens only; " + entriesText(entries) + ")";
}

const char kScaleError[] = "--scale is ladder or game";

bool scaleOption(int argc, char** argv, int* i, bool* ladder, bool* bad) {
    if (std::string(argv[*i]) != "--scale") return false;
    const char* value = *i + 1 < argc ? argv[++*i] : "";
    *bad = std::string(value) != "ladder" && std::string(value) != "game";
    *ladder = std::string(value) == "ladder";
    return true;
}
