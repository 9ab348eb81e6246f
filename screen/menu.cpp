#include "screen/menu.h"

#include <cstring>

#include "app/globals.h"
#include "gfx/primitives.h"

namespace {

const float blueGrey[3] = {129 / 255.0f, 160 / 255.0f, 199 / 255.0f};
const float navy[3] = {31 / 255.0f, 55 / 255.0f, 123 / 255.0f};

// At most `limit` characters of a name held in a buffer of `capacity` bytes,
// as a NUL-terminated copy in `out` (limit + 1 bytes at least). The source is
// never read past its buffer, even if it has lost its terminator.
void cutName(const char* name, int capacity, int limit, char* out) {
    int n = 0;
    while (n < limit && n < capacity - 1 && name[n] != '\0') {
        out[n] = name[n];
        n++;
    }
    out[n] = '\0';
}

void menuText(float x, float y, const char* text, float shade, float a) {
    print(x, y, text, shade, shade, shade, a, fontSize, fontFace);
}

// The player's switch for keeping the window above others: "-" while on, "^" while off.
const char* onTopButton() { return win_OnTop ? "-" : "^"; }

void drawAuthorField() {
    const float x = static_cast<float>(125 + 37 * miniMode);
    // Room for a whole name; mini mode shows 16 characters of it.
    char shown[64];
    const int limit = miniMode ? 16 : 63;
    if (Author[0] != '\0') {
        cutName(Author, sizeof(Author), limit, shown);
        print(x, 21, shown, 1.0f, 1.0f, 1.0f, 0.75f, fontSize, 0);
    } else if (tmpAuthor[0] != '\0') {
        cutName(tmpAuthor, sizeof(tmpAuthor), limit, shown);
        print(x, 21, shown, 1.0f, 1.0f, 1.0f, 0.75f, fontSize, 0);
    } else if (!wantsToSetAuthor) {
        static const char prompt[] = "Click here to enter Author's name";
        const char* text = prompt;
        if (miniMode) {
            // The half-size bar has room for 21 characters and an ellipsis.
            cutName(prompt, sizeof(prompt), 21, shown);
            std::strcat(shown, "..");
            text = shown;
        }
        print(x, 21, text, 1.0f, 1.0f, 1.0f, 0.75f, fontSize, fontFace);
    }
}

void drawRow(int y, const char* label, const char* keys) {
    menuText(22, static_cast<float>(y), label, 1.0f, 0.75f);
    if (!miniMode) menuText(125, static_cast<float>(y), keys, 1.0f, 0.75f);
}

void separator(int y) { square(24, y, 150, y, 0.0f, 0.0f, 0.0f, 0.5f); }

}  // namespace

void drawMenu() {
    menuText(17, 22, "File      Puzzle by: ", 0.0f, 0.4f);
    menuText(367, 22, "_  X", 0.0f, 0.4f);
    menuText(357, 22, onTopButton(), 0.0f, 0.4f);

    drawAuthorField();

    menuText(15, 20, "File      Puzzle by: ", 1.0f, 0.75f);
    menuText(365, 20, "_  X", 1.0f, 0.75f);
    menuText(355, 20, onTopButton(), 1.0f, 0.75f);
}

void drawFileMenu() {
    if (!showFileMenu) return;
    square(13, 7, 40, 23, blueGrey[0], blueGrey[1], blueGrey[2], 0.5f);
    square(26, 36, 165, 284, 0.0f, 0.0f, 0.0f, 0.4f);
    square(15, 25, 160, 279, blueGrey[0], blueGrey[1], blueGrey[2], 0.5f);
    square(18, 28, 157, 276, navy[0], navy[1], navy[2], 0.9f);
    const int px = myMouse.x;
    const int py = myMouse.y;
    if (py > 36 && py <= 267 && px > 15 && px <= 159)
        square(18, py - 8, 157, py + 8, blueGrey[0], blueGrey[1], blueGrey[2], 0.5f);

    drawRow(45, "Random Game", "[N]");
    drawRow(67, "Open Game", "[O]");
    drawRow(89, "Save Game", "[S/W]");
    drawRow(111, createGameMode ? "in Create Mode" : "in Play Mode", "[M]");
    separator(118);
    drawRow(133, showMarkUps ? "Hide Mark Ups" : "Show Mark Ups", "[U]");
    drawRow(155, "   -Delete All", "[r]");
    drawRow(177, "Check Puzzle", "[C]");
    drawRow(199, "Solve Puzzle", "[V]");
    drawRow(221, "Reset Puzzle", "[R]");
    separator(228);
    drawRow(243, skinMode == 0 ? "use Skin 2" : "use Skin 1", "[~]");
    drawRow(265, "Quit Game", "[q]");
}
