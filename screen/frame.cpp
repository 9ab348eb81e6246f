#include "screen/frame.h"

#include "gfx/easygl.h"

void EasyRender() {
    clearGraph();
    update();
}
