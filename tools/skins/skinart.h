// The two skin pictures, drawn from code: the title strip, a name plate and
// the board whose cells lie exactly under the board view's tiles.
#ifndef VELUNDA_TOOLS_SKINS_SKINART_H
#define VELUNDA_TOOLS_SKINS_SKINART_H

#include <vector>

namespace skins {

const int width = 400;
const int height = 500;

// The board view's lattice: the corner (X, Y) of a cell, from which its tile
// reaches to (X + 35, Y + 36).
inline int cellX(int col) {
    return 17 + 41 * col + 2 * (col / 3);
}
inline int cellY(int row) {
    return 115 + 41 * row + 2 * (row / 3);
}

// The pixels that tile covers on screen: square() widens it by half a unit
// all round, and of the pixels whose centres fall on its edges the
// rasteriser fills those on the left and lower edges. So the tile covers
// the columns X - 1 to X + 34 and the rows Y to Y + 36, and so do the
// picture's cells.
inline int tileLeft(int col) {
    return cellX(col) - 1;
}
inline int tileTop(int row) {
    return cellY(row);
}
const int tileWidth = 36;
const int tileHeight = 37;

// Skin 0 ("Board.bmp") or skin 1 ("WBoard.bmp"): red, green, blue per
// pixel, top row first. The same number always gives the same picture.
std::vector<unsigned char> drawSkin(int skin);

}  // namespace skins

#endif
