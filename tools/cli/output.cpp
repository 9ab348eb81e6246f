#include "output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/workers.h"

namespace {

// Once one write fails the run stops, and the error of that write is the one
// reported.
bool outputFailed = false;
int outputError = 0;

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

bool workersOption(int argc, char** argv, int* i, int* workers, bool* bad) {
    const std::string arg = argv[*i];
    if (arg.compare(0, 2, "-j") != 0) return false;
    const char* value = arg.size() > 2 ? argv[*i] + 2 : *i + 1 < argc ? argv[++*i] : nullptr;
    *bad = !parseWorkers(value, workers);
    return true;
}
