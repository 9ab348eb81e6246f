#include "input/keyboard.h"

#include <cstring>

#include "app/globals.h"
#include "input/filemenu.h"
#include "input/hint.h"
#include "input/mouse.h"

namespace {

// Board geometry in virtual units: cells 41 apart from (17, 115), with 2
// more units between the 3 x 3 boxes. Hit-testing ignores the gaps, so a
// point in a gap belongs to the cell before it.
constexpr int boardX = 17;
constexpr int boardY = 115;
constexpr int pitch = 41;

// Column (or row) under a coordinate; -1 off the board, which includes the
// lower border line where the division comes out as 9.
int cellIndex(int v, int origin) {
    if (v < origin) return -1;
    int i = (v - origin) / pitch;
    return i <= 8 ? i : -1;
}

int cellCorner(int i, int origin) {
    return origin + pitch * i + 2 * (i / 3);
}

void selectCell(int row, int col) {
    PuzzleSelected_x = cellCorner(col, boardX);
    PuzzleSelected_y = cellCorner(row, boardY);
}

// A point off the board leaves the selection as it was.
void selectCellAt(int x, int y) {
    int col = cellIndex(x, boardX);
    int row = cellIndex(y, boardY);
    if (col >= 0 && row >= 0) selectCell(row, col);
}

bool selectedCell(int* row, int* col) {
    if (PuzzleSelected_x == 0) return false;
    *col = cellIndex(PuzzleSelected_x, boardX);
    *row = cellIndex(PuzzleSelected_y, boardY);
    return *col >= 0 && *row >= 0;
}

// Brings a cursor coordinate onto the board by whole cells, so that it keeps
// its place within the cell. Wide arithmetic: the point may be anything.
int ontoBoard(int v, int origin) {
    const long long span = 9 * pitch;
    long long d = static_cast<long long>(v) - origin;
    if (d < 0)
        d += (-d + pitch - 1) / pitch * pitch;
    else if (d >= span)
        d -= ((d - span) / pitch + 1) * pitch;
    return static_cast<int>(origin + d);
}

// The pad's extent and bands; mini mode draws it a few units higher.
bool padContains(int padX, int padY, bool mini, int x, int y) {
    const int m = mini ? 1 : 0;
    return padX < x && x < padX + 75 && padY - 5 * m + 28 < y && y < padY + 230;
}

// The grid as it stands now. The display copy retPuzzle lags until the next
// frame, so two keys typed within one frame would read a stale cell from it.
short cellValue(int row, int col) {
    short grid[81];
    myPuzzle.returnPuzzle(grid);
    return grid[row * 9 + col];
}

void enterCell(unsigned char key) {
    int row, col;
    if (!selectedCell(&row, &col)) return;
    puzzleMasked = false;
    const bool erase = key < '1' || key > '9';
    const int k = row * 9 + col;
    if (!createGameMode) {
        if (!erase)
            myPuzzle.guess(row, col, key - '0');  // refused on a given
        else if (cellValue(row, col) != 0)
            myPuzzle.unGuess(row, col);
        else
            retMarkUps[k] = 0;
    } else {
        if (!erase)
            myPuzzle.solve_place(row, col, key - '0');
        else if (cellValue(row, col) != 0)
            myPuzzle.solve_unPlace(row, col);
        else
            retMarkUps[k] = 0;
        // On to the next cell in reading order, the last wrapping to the first.
        const int next = (k + 1) % 81;
        selectCell(next / 9, next % 9);
        myCursor_x = PuzzleSelected_x + 20;
        myCursor_y = PuzzleSelected_y + 20;
    }
    VelundaDirty = true;
}

void toggleMark(int digit) {
    int row, col;
    if (!selectedCell(&row, &col)) return;
    retMarkUps[row * 9 + col] = static_cast<short>(retMarkUps[row * 9 + col] ^ numberMask[digit - 1]);
    VelundaDirty = true;
}

void quickSave() {
    if (filename[0] == '\0') {
        onFileMenu(0, 1, 20, menuRowOfKey('S'));
        return;
    }
    if (createGameMode && myPuzzle.setAuthor(tmpAuthor) == 0) VelundaDirty = true;
    // Only a state file (".sta") carries the pencil marks.
    const int length = static_cast<int>(std::strlen(filename));
    const bool withMarkUps = ext >= 0 && ext + 2 < length && filename[ext] == 's' && filename[ext + 2] == 'a';
    const int result = saveGameFile(filename, withMarkUps);
    // Nothing is written without an author; saying so tells the player
    // apart from the silent success of a quick save.
    if (result == -2) myMessageBox.text = msgSaveNoAuthor;
    if (result == -1) platformMessageBox("ERROR: Quick Save failed!", "Error!", true);
}

// Returns true when the key was taken by the author entry.
bool authorEntry(unsigned char key) {
    if (!wantsToSetAuthor || key == 27) return false;
    const size_t length = std::strlen(tmpAuthor);
    if (key == 10 || key == 13) {
        wantsToSetAuthor = false;
    } else if (length >= 44) {
        // A full name takes nothing more, not even Backspace.
    } else if (key == 8 || key == 127) {
        if (length > 0) tmpAuthor[length - 1] = '\0';
    } else {
        tmpAuthor[length] = static_cast<char>(key);
        tmpAuthor[length + 1] = '\0';
    }
    return true;
}

void escape() {
    PuzzleSelected_x = 0;
    PuzzleSelected_y = 0;
    wantsToSetAuthor = false;
    showFileMenu = false;
    showPopup = false;
    puzzleMasked = false;
}

}  // namespace

void selectBoardCell(int row, int col) {
    selectCell(row, col);
}

int menuRowOfKey(unsigned char key) {
    static const char keys[] = "NOSMUrCVR";
    for (int i = 0; keys[i] != '\0'; i++)
        if (keys[i] == key) return 44 + 22 * i;
    return 0;
}

unsigned char padKeyAt(int padX, int padY, bool mini, int x, int y) {
    if (!padContains(padX, padY, mini, x, y)) return 0;
    const int base = padY - (mini ? 3 : 0);
    if (y >= base + 225) return 0;
    int band = 0;
    while (y >= base + 45 + 20 * band) band++;
    static const char left[] = "1234567890";
    static const char right[] = "!@#$%^&*(T";
    return static_cast<unsigned char>(x < padX + 37 ? left[band] : right[band]);
}

void onPuzzle(int button, int state, int x, int y) {
    if (platformDialogRunning()) return;
    myCursor_x = x;
    myCursor_y = y;
    if (button == 0 && state == 1) {
        if (popupClick && padContains(popupClick_x, popupClick_y, miniMode, x, y)) {
            unsigned char key = padKeyAt(popupClick_x, popupClick_y, miniMode, x, y);
            if (key != 0) defKeyboard(key, x, y);
            popupClick = false;
        } else {
            selectCellAt(x, y);
        }
    } else if (button == 2) {
        selectCellAt(x, y);
        showPopup = true;
    }
}

void defKeyboard(unsigned char key, int x, int y) {
    if (platformDialogRunning()) return;
    if (myMessageBox.text != nullptr) {
        myMessageBox.text = nullptr;
        return;
    }
    if (authorEntry(key)) return;
    if (key > 127) return;

    static const char marks[] = "!@#$%^&*(";
    if (key >= '1' && key <= '9') {
        enterCell(key);
        return;
    }
    if (key != 0) {
        if (const char* mark = std::strchr(marks, key)) {
            toggleMark(static_cast<int>(mark - marks) + 1);
            return;
        }
    }
    if (int row = menuRowOfKey(key)) {
        onFileMenu(0, 1, 20, row);
        return;
    }
    switch (key) {
    case '0':
    case 'D':
    case 8:
    case 127:
        enterCell(key);
        break;
    case '?':
        myPuzzle.returnMarkUps(retMarkUps, 2);
        break;
    case 'T':
        cycleMarkUps = (cycleMarkUps + 1) % 10;
        showMarkUps = true;
        break;
    case 'Z':
        myPuzzle.undoPuzzle();
        VelundaDirty = true;
        puzzleMasked = false;
        break;
    case 'W':
        quickSave();
        break;
    case 'H':
        // A hint is for playing: in create mode there is no puzzle yet.
        if (!createGameMode) onHint();
        break;
    case '~':
        skinMode = (skinMode + 1) % 2;
        break;
    case 'q':
        // The title bar's minimise control.
        onTitleBar(0, 1, 365, 20);
        break;
    case 'i':
        defSpecialKey(keyUp, x, y);
        break;
    case 'j':
        defSpecialKey(keyLeft, x, y);
        break;
    case 'k':
        defSpecialKey(keyDown, x, y);
        break;
    case 'l':
        defSpecialKey(keyRight, x, y);
        break;
    case 27:
        escape();
        break;
    default:
        break;
    }
}

void defSpecialKey(int key, int, int) {
    if (platformDialogRunning()) return;
    if (myMessageBox.text != nullptr) {
        myMessageBox.text = nullptr;
        return;
    }
    if (key == keyF1 || key == keyF2 || key == keyHome) {
        myMessageBox.text = About;
        return;
    }
    if (key < keyLeft || key > keyDown) return;

    // Arrows start from the cell under the cursor point, which stays where
    // Esc left it; before the first click it lies off the board.
    int x = ontoBoard(myCursor_x, boardX);
    int y = ontoBoard(myCursor_y, boardY);
    const int col = cellIndex(x, boardX);
    const int row = cellIndex(y, boardY);
    switch (key) {
    case keyLeft:
        x = col == 0 ? 378 : x - pitch;
        break;
    case keyRight:
        x = col == 8 ? 22 : x + pitch;
        break;
    case keyUp:
        y = row == 0 ? 480 : y - pitch;
        break;
    default:
        y = row == 8 ? 120 : y + pitch;
        break;
    }
    myCursor_x = x;
    myCursor_y = y;
    selectCellAt(x, y);
}
