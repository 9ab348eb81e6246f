#include "screen/popup.h"

void drawPopup() {}

void drawMessageBox() {}
