// VelundaMini: the game in its small window, from a desktop menu or a shell.
// Any arguments are ignored.
#include "launcher/minimode.h"

int main() {
    return miniMode();
}
