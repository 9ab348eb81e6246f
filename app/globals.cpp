#include "app/globals.h"

// Constructed before main in this order: the mouse record, the game puzzle
// (which seeds the random generator), the start time stamp, the message box,
// then the palette colours (which stay 0.0 until the first frame).
mouse myMouse;
sudoku myPuzzle;
int now = platformClock();
msgBox myMessageBox;
RGBcolor rgbMarkUp1, rgbMarkUp4, rgbMarkUp7, rgbGuessFace, rgbGameFace, rgbGameBack, rgbGameWrong, rgbCursor;

bool miniMode = false;
int fontSize = 12;
int fontFace = 0;
int win_Width = 0, win_Height = 0;
int win_Scale = 1;
int win_x = 0, win_y = 0;
bool win_OnTop = false;
WindowHandle hWnd = 0;
void* hInstance = nullptr;
int last = 0;
float seconds = 0.0f;
float posCamera[3] = {0.0f, 0.0f, 0.0f};
float los[3] = {0.0f, 0.0f, -5.0f};
float dR = 0.0f, dG = 0.0f, dB = 0.0f, dA = 0.0f;
unsigned int Skin0 = 0, Skin1 = 0;
int skinMode = 0;

bool showFileMenu = false;
bool showPopup = false;
bool popupClick = false;
int popupClick_x = 0, popupClick_y = 0;
int PuzzleSelected_x = 0, PuzzleSelected_y = 0;
int myCursor_x = 0, myCursor_y = 0;
bool createGameMode = false;
bool showMarkUps = true;
int cycleMarkUps = 0;
bool puzzleMasked = false;
short puzzleMask[81];
short retPuzzle[81];
char Author[64] = "";
bool VelundaDirty = true;
bool wantsToSetAuthor = false;
char tmpAuthor[45] = "";
char filename[256] = "";
int ext = 0;

char msgPuzzleComplete[64] = "[ Congratulations! Puzzle Complete! ]";
char msgPuzzleNotValid[64] = "   Warning: This puzzle is not valid!";
char msgPuzzleValid[64] = "The puzzle is valid, but not complete!";
char msgPuzzleRating[7][38] = {
    "  Puzzle Rating: Very Easy", "  Puzzle Rating: Easy",      "  Puzzle Rating: Medium",
    "  Puzzle Rating: Hard",      "  Puzzle Rating: Very Hard", "  Puzzle Rating: Master!",
    "< I could not complete the puzzle!! >",
};
char msgSaveNoAuthor[38] = " Error: Can't save; Author is unset! ";
char msgHint[64] = "";
char About[2] = "?";
char Prog_ID[13] = "Velunda V1.0";
char Author_ID[40] = "Made by the Velunda team, 2026";
char Email_ID[40] = "Email: velunda@example.org";
char Web_ID[40] = "Web: https://velunda.example.org";
