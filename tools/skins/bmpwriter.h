// Writes 24-bit BMP files with the headers the game's loader reads.
#ifndef VELUNDA_TOOLS_SKINS_BMPWRITER_H
#define VELUNDA_TOOLS_SKINS_BMPWRITER_H

#include <string>
#include <vector>

// `rgb` holds red, green, blue per pixel, top row first. The file is stored
// bottom-up with rows padded to 4 bytes. It is written beside `path` first
// and renamed over it, so a reader never sees half a file. False on any
// write error (the old file is then left as it was).
bool writeBMP24(const std::string& path, int width, int height, const std::vector<unsigned char>& rgb);

#endif
