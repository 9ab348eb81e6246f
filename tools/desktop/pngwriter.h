// PNG files without a compression library: the image data goes into
// stored (uncompressed) deflate blocks, which every PNG reader takes.
#ifndef VELUNDA_TOOLS_DESKTOP_PNGWRITER_H
#define VELUNDA_TOOLS_DESKTOP_PNGWRITER_H

#include <string>
#include <vector>

// The bytes of a PNG file of `rgba` (red, green, blue, alpha per pixel, top
// row first); empty when the size does not match the pixels.
std::string encodePNG(int width, int height, const std::vector<unsigned char>& rgba);

#endif
