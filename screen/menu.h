#ifndef VELUNDA_SCREEN_MENU_H
#define VELUNDA_SCREEN_MENU_H

// The title bar: "File", the author field and the window buttons.
void drawMenu();
// The File menu panel, while it is open.
void drawFileMenu();

#endif
