// The program icon, drawn from code: a small Sudoku board on a rounded plate.
#ifndef VELUNDA_TOOLS_DESKTOP_ICON_H
#define VELUNDA_TOOLS_DESKTOP_ICON_H

#include <vector>

namespace icon {

const int size = 128;

// Red, green, blue, alpha per pixel, top row first; outside the plate is
// transparent. Always the same picture.
std::vector<unsigned char> drawIcon();

}  // namespace icon

#endif
