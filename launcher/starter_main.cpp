// velunda and velunda-mini (VELUNDA_STARTER_MINI), the installed commands:
// the game in the player's own folder. The build defines where the game and
// its data are installed relative to these commands.
#include "launcher/starter.h"

int main(int argc, char** argv) {
    return startInPlayerFolder(VELUNDA_STARTER_MINI ? "velunda-mini" : "velunda", VELUNDA_STARTER_MINI, argc, argv,
                               VELUNDA_GAME_FROM_STARTER, VELUNDA_SHARE_FROM_STARTER);
}
