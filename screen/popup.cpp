#include "screen/popup.h"

#include "app/globals.h"
#include "gfx/primitives.h"

namespace {

const float blueGrey[3] = {129 / 255.0f, 160 / 255.0f, 199 / 255.0f};
const float navy[3] = {31 / 255.0f, 55 / 255.0f, 123 / 255.0f};

// The pad's digits in the pencil-mark colours of the first skin, whatever
// skin is shown, so the pad looks the same on both.
const float padDigitColour[3][3] = {{0.0f, 0.0f, 0.0f}, {0.1f, 0.8f, 0.3f}, {0.3f, 0.5f, 1.0f}};

void padText(int x, int y, const char* text, float r, float g, float b, float a) {
    print(static_cast<float>(x), static_cast<float>(y), text, r, g, b, a, 12, 0);
}

void panel(int x1, int y1, int x2, int y2, int shadowX2, int shadowY2, float bodyAlpha) {
    square(x1 + 11, y1 + 11, shadowX2, shadowY2, 0.0f, 0.0f, 0.0f, 0.4f);
    square(x1, y1, x2, y2, blueGrey[0], blueGrey[1], blueGrey[2], 0.5f);
    square(x1 + 3, y1 + 3, x2 - 3, y2 - 3, navy[0], navy[1], navy[2], bodyAlpha);
}

}  // namespace

void drawPopup() {
    if (!showPopup) return;
    // Opens at the click, pushed back so the pad stays inside x 390, y 490.
    int px = myMouse.downX;
    int py = myMouse.downY;
    if (px + 75 > 390) px = 315;
    if (py + 230 > 490) py = 260;
    popupClick_x = px;
    popupClick_y = py;

    panel(px, py, px + 75, py + 230, px + 80, py + 235, 0.8f);
    const int mx = myMouse.x;
    const int my = myMouse.y;
    if (my > py + 28 - 5 * miniMode && my < py + 219 && mx > px && mx < px + 75)
        square(px + 3, my - 8, px + 72, my + 8, blueGrey[0], blueGrey[1], blueGrey[2], 0.5f);

    padText(px + 9, py + 20, "Insert", 0.0f, 0.0f, 0.0f, 0.3f);
    padText(px + 7, py + 18, "Insert", 1.0f, 1.0f, 1.0f, 0.75f);
    for (int d = 1; d <= 9; d++) {
        const char text[2] = {static_cast<char>('0' + d), '\0'};
        const int y = py + 18 + 20 * d;
        const float* c = padDigitColour[(d - 1) / 3];
        padText(px + 7, y, text, 1.0f, 1.0f, 1.0f, 0.75f);
        padText(px + 55, y, text, c[0], c[1], c[2], 0.75f);
    }
    padText(px + 7, py + 218, miniMode ? "D" : "DEL", 1.0f, 1.0f, 1.0f, 0.75f);
    if (miniMode)
        padText(px + 55, py + 218, "T", 1.0f, 1.0f, 1.0f, 0.75f);
    else
        padText(px + 47, py + 218, "[ T ]", 1.0f, 1.0f, 1.0f, 0.75f);
}

void drawMessageBox() {
    msgBox& box = myMessageBox;
    if (box.text == nullptr) return;
    const bool about = box.text[0] == '?';
    if (about) {
        // The box keeps this size for every later message too.
        if (!miniMode) {
            box.x1 = 80;
            box.y1 = 200;
            box.x2 = 320;
        }
        box.y2 = 300;
    }
    panel(box.x1, box.y1, box.x2, box.y2, box.x2 + 5, box.y2 + 5, 0.9f);

    auto line = [](float x, float y, const char* text) {
        print(x, y, text, 1.0f, 1.0f, 1.0f, 0.75f, fontSize, fontFace);
    };
    const float x1 = static_cast<float>(box.x1);
    const float y1 = static_cast<float>(box.y1);
    if (about) {
        line(x1 + 80 + 20 * miniMode, y1 + 20, Prog_ID);
        line(x1 + 25, y1 + 40, Author_ID);
        line(x1 + 25, y1 + 70, Email_ID);
        line(x1 + 25, y1 + 90, Web_ID);
    } else {
        line(x1 + 15, static_cast<float>(box.y1 + (box.y2 - box.y1) / 1.8), box.text);
    }
}
