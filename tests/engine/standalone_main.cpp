// Built with nothing but the engine's header and library.
#include "engine/sudoku.h"

int main() {
    sudoku s;
    return s.guess(0, 0, 5) == 0 && s.setAuthor("Ann") == 0 ? 0 : 1;
}
