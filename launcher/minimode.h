// The mini-mode launcher: starts the game in its small window and leaves.
#ifndef VELUNDA_LAUNCHER_MINIMODE_H
#define VELUNDA_LAUNCHER_MINIMODE_H

// Starts "Velunda -m" as a process of its own, in this process's working
// directory (where the game reads its settings, quit state and pictures):
// the Velunda beside this program first, else the one in the working
// directory. Does not wait for it and reports nothing, whatever happened.
// Returns the launcher's exit status, which is always 1.
int miniMode();

#endif
