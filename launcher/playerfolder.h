// The installed game's folder of a player's own: the game reads and writes
// "./games/quit.sta", "Velunda.inf" and its saved games relative to the
// folder it runs in, so the installed commands start it in a folder of the
// player's, laid out as the build's runtime folder is.
#ifndef VELUNDA_LAUNCHER_PLAYERFOLDER_H
#define VELUNDA_LAUNCHER_PLAYERFOLDER_H

#include <string>

// $XDG_DATA_HOME/velunda, or home/.local/share/velunda when XDG_DATA_HOME
// is unset, empty or not an absolute path (the base directory rules ignore
// relative ones). Empty, with the reason in *error, when neither gives an
// absolute folder.
std::string playerFolder(const char* xdgDataHome, const char* home, std::string* error);

// Makes what is missing of the player's folder, and only that: the folder
// (and missing parents, 0700 as the base directory rules ask), games/ with a
// copy of each sample game of shareFolder/games, and Graphics as a link to
// shareFolder/Graphics, the installed skins. games/ appears whole or not at
// all (filled under another name, then renamed), so an interrupted first
// start leaves no half-filled folder behind. Nothing that is there is
// replaced or changed: a player's games, quit state, settings and a
// Graphics of their own stay. False, with a message in *error, when the
// folder cannot be made or written to, or games/ or Graphics cannot be made.
bool preparePlayerFolder(const std::string& folder, const std::string& shareFolder, std::string* error);

#endif
