// velunda-cli generate: new puzzles as the game makes them, each rated.
#ifndef VELUNDA_CLI_GENERATE_H
#define VELUNDA_CLI_GENERATE_H

// Runs `velunda-cli generate` with its arguments (the command name left
// out); returns the exit status.
int generateCommand(int argc, char** argv);

#endif
