#include "platform.h"

#include <unistd.h>

bool platformStderrIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}

bool platformStdoutIsTerminal() {
    return isatty(STDOUT_FILENO) != 0;
}
