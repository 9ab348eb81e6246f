#include "app/startup.h"
#include "gfx/easygl.h"

int main(int argc, char** argv) {
    int width, height;
    startUp(argc, argv, &width, &height);
    initEasyGL(width, height, 0);
    return 0;
}
