// velunda-cli print: puzzles laid out for paper with cairo -- a PDF of A4 or
// Letter pages, or SVG or PNG pages -- with answer pages on request.
#ifndef VELUNDA_CLI_PRINT_H
#define VELUNDA_CLI_PRINT_H

// Runs `velunda-cli print` with its arguments (the command name left out);
// returns the exit status.
int printCommand(int argc, char** argv);

#endif
