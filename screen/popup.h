#ifndef VELUNDA_SCREEN_POPUP_H
#define VELUNDA_SCREEN_POPUP_H

// The number pad at the last click; stores where it was drawn.
void drawPopup();
// The message box, or the About box for a message starting with '?'.
void drawMessageBox();

#endif
