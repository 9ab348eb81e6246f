// The game's global state: every global with its type; initial values are
// in globals.cpp. Renderers read these, input handlers change them.
#ifndef VELUNDA_APP_GLOBALS_H
#define VELUNDA_APP_GLOBALS_H

#include "engine/sudoku.h"
#include "gfx/rgbcolor.h"
#include "platform/platform.h"

// Pointer state in virtual-screen units.
class mouse {
public:
    mouse() : x(1), y(1), button(-1), state(0), downX(150), downY(150) {}
    int x, y;          // last pointer position
    int button;        // GLUT button of the last press or release
    int state;         // 0 pressed, 1 released
    int downX, downY;  // position of the last press or release
};

// The on-screen message box; no message while text is null.
class msgBox {
public:
    msgBox() : x1(25), y1(200), x2(367), y2(250), text(nullptr) {}
    int x1, y1, x2, y2;
    const char* text;
};

extern mouse myMouse;
extern sudoku myPuzzle;  // the game puzzle
extern int now;
extern msgBox myMessageBox;
extern RGBcolor rgbMarkUp1, rgbMarkUp4, rgbMarkUp7, rgbGuessFace, rgbGameFace, rgbGameBack, rgbGameWrong,
    rgbCursor;

extern bool miniMode;
extern int fontSize;
extern int fontFace;
extern int win_Width, win_Height;
// How many window pixels show one pixel of the normal-sized picture (high-density screens).
extern int win_Scale;
extern int win_x, win_y;
extern bool win_OnTop;
extern WindowHandle hWnd;
extern void* hInstance;  // kept for the dialogs' owner; means nothing on this platform
extern int last;
extern float seconds;
extern float posCamera[3];
extern float los[3];
extern float dR, dG, dB, dA;
extern unsigned int Skin0, Skin1;
extern int skinMode;

extern bool showFileMenu;
extern bool showPopup;
extern bool popupClick;
extern int popupClick_x, popupClick_y;
extern int PuzzleSelected_x, PuzzleSelected_y;
extern int myCursor_x, myCursor_y;
extern bool createGameMode;
extern bool showMarkUps;
extern int cycleMarkUps;
extern bool puzzleMasked;
extern short puzzleMask[81];
extern short retPuzzle[81];
// retMarkUps, numberMask and notNumberMask belong to the engine (engine/sudoku.h).
extern char Author[64];
extern bool VelundaDirty;
extern bool wantsToSetAuthor;
extern char tmpAuthor[45];
extern char filename[256];
extern int ext;

extern char msgPuzzleComplete[64];
extern char msgPuzzleNotValid[64];
extern char msgPuzzleValid[64];
extern char msgPuzzleRating[7][38];
extern char msgSaveNoAuthor[38];
extern char msgHint[64];  // the hint key's message, made when asked
extern char About[2];
extern char Prog_ID[13];
extern char Author_ID[40];
extern char Email_ID[40];
extern char Web_ID[40];

#endif
