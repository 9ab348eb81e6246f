#include "platform.h"

#include <unistd.h>

bool platformStderrIsTerminal() {
    return isatty(STDERR_FILENO) != 0;
}
