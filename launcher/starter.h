// velunda and velunda-mini, the installed commands: they prepare the
// player's own folder and start the game there.
#ifndef VELUNDA_LAUNCHER_STARTER_H
#define VELUNDA_LAUNCHER_STARTER_H

#include <string>
#include <vector>

// The game's argument vector, "Velunda" first, for the command's: the
// small window for velunda-mini (mini true; its own arguments are ignored,
// as the launcher ignores them), else the command's own, with a puzzle file
// named relative to workingFolder made absolute, since the game runs in
// another folder. An argument the game takes for the small window stays as
// it is.
std::vector<std::string> gameArguments(bool mini, int argc, const char* const* argv,
                                       const std::string& workingFolder);

// Prepares the folder of the player's own (launcher/playerfolder.h) and
// runs the game in it in place of this process. gameFromHere and
// shareFromHere name the installed game and its data (skins and sample
// games) relative to this program's own folder. Returns only when that
// failed, with 1, after a message on standard error that starts with name.
int startInPlayerFolder(const char* name, bool mini, int argc, const char* const* argv, const char* gameFromHere,
                        const char* shareFromHere);

#endif
