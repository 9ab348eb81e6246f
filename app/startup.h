#ifndef VELUNDA_APP_STARTUP_H
#define VELUNDA_APP_STARTUP_H

// Skips one leading '-' or '/' of arg and compares only the first character
// of the rest with the first character of option.
bool checkoption(const char* arg, const char* option);

// The start-up before the window opens: restores the quit state, reads the
// skin setting and the command line, and sets the message box. Leaves the
// window size in *width and *height. Runs in the working directory.
void startUp(int argc, char** argv, int* width, int* height);

#endif
