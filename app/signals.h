// SIGTERM, SIGHUP (the desktop session ends) and SIGINT end the game as
// "Quit Game" does. The handler only notes the signal; the frame callback
// does the quitting on the GLUT thread, where writing files is safe.
#ifndef VELUNDA_APP_SIGNALS_H
#define VELUNDA_APP_SIGNALS_H

// Installs the handlers. SIGINT is taken even when ignored (a game started
// in the background of a script ignores it); a SIGHUP ignored from the
// start (nohup) stays ignored.
void installQuitSignals();

// True once one of the signals has come.
bool quitSignalled();

#endif
