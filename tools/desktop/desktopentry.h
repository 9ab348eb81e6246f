// The desktop menu entries of the game and of the mini-mode launcher.
#ifndef VELUNDA_TOOLS_DESKTOP_DESKTOPENTRY_H
#define VELUNDA_TOOLS_DESKTOP_DESKTOPENTRY_H

#include <string>

namespace desktop {

// The icon's file name in the runtime folder.
const char* const iconFile = "velunda.png";

// A file name as one quoted argument of an Exec key, escaped for the
// entry's text: "/a b/$x" reads "\"/a b/\\$x\"" in the file.
std::string execArgument(const std::string& path);
// A text as the value of a string key (Path, Icon, TryExec).
std::string stringValue(const std::string& text);
// False for names an entry cannot carry: not UTF-8, or with control characters.
bool fitsAnEntry(const std::string& text);

// The entry of "Velunda" (mini false) or "VelundaMini" in the runtime
// folder `folder` (absolute, without a trailing '/'): the program runs with
// that folder as its working directory, where it finds its files.
std::string entry(const std::string& folder, bool mini);

}  // namespace desktop

#endif
