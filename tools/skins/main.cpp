// velunda-skins [FOLDER]: draws the two skin pictures into FOLDER
// (default ./Graphics) as Board.bmp and WBoard.bmp.
#include <cstdio>
#include <string>

#include "bmpwriter.h"
#include "skinart.h"

int main(int argc, char** argv) {
    const std::string folder = argc > 1 ? argv[1] : "./Graphics";
    const char* const names[2] = {"Board.bmp", "WBoard.bmp"};
    for (int skin = 0; skin < 2; skin++) {
        const std::string path = folder + "/" + names[skin];
        if (!writeBMP24(path, skins::width, skins::height, skins::drawSkin(skin))) {
            std::fprintf(stderr, "velunda-skins: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
