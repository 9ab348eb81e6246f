#include "screen/menu.h"

void drawMenu() {}

void drawFileMenu() {}
