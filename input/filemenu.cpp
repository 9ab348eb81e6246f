// The File-menu commands. The row is chosen by the vertical position alone,
// so the keyboard shortcuts and the title bar's close button reach the same
// code as a click on the open menu.
#include "input/filemenu.h"

#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>

#include "app/globals.h"
#include "engine/authoring.h"
#include "engine/safefile.h"

static const char* const gamesFolder = "./games";
static const char* const quitStateFile = "./games/quit.sta";
static const char* const settingsFile = "Velunda.inf";
static const char* const errorTitle = "Error!";
static const char* const msgOpenFailed = "ERROR: Failed to open file!";
static const char* const msgSaveFailed = "ERROR: Failed to save file!";

static const fileFilter gameFilter = {"Sudoku Game (*.sdk)", "*.sdk"};
static const fileFilter stateFilter = {"Sudoku State (*.sta)", "*.sta"};

int fileMenuRow(int y) {
    if (y <= 51) return menuRandomGame;
    if (y >= 272) return menuNothing;
    return (y - 52) / 22 + menuOpenGame;
}

// Past a file size limit a write would otherwise kill the game with
// SIGXFSZ; ignored, the write fails and is reported like any other.
static void surviveFileSizeLimit() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

static bool writeGame(FILE* file, void* withMarkUps) {
    if (myPuzzle.savePuzzle(file) != 0) return false;
    if (*static_cast<bool*>(withMarkUps)) saveMarkUps(file);
    return true;
}

int saveGameFile(const char* path, bool withMarkUps) {
    char author[45] = {};  // returnAuthor leaves the last byte to the caller
    myPuzzle.returnAuthor(author);
    if (author[0] == '\0') return -2;
    surviveFileSizeLimit();
    return writeFileSafely(path, writeGame, &withMarkUps) ? 0 : -1;
}

// The quit state keeps a puzzle without author too (one being composed):
// an empty author line, which the loader reads back as "no author".
static bool writeQuitState(FILE* file, void*) {
    if (myPuzzle.savePuzzle(file) == -2) {
        short cells[81];
        myPuzzle.returnPuzzle(cells);
        std::fprintf(file, "\n");
        for (int r = 0; r < 9; r++) {
            for (int c = 0; c < 9; c++) std::fprintf(file, "%d ", cells[r * 9 + c]);
            std::fprintf(file, "\n");
        }
    }
    saveMarkUps(file);
    return true;
}

// A file the game could not read at start (permissions) holds something it
// never showed the player: quitting must not destroy it unseen. Replacing it
// by rename would succeed where opening it for writing would not.
static bool unreadableFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode) && access(path, R_OK) != 0;
}

int saveQuitState() {
    if (unreadableFile(quitStateFile)) return -1;
    surviveFileSizeLimit();
    return writeFileSafely(quitStateFile, writeQuitState, nullptr) ? 0 : -1;
}

static bool writeSettings(FILE* file, void*) {
    saveSkinMode(file, skinMode);
    return true;
}

int saveSettings() {
    if (unreadableFile(settingsFile)) return -1;
    surviveFileSizeLimit();
    return writeFileSafely(settingsFile, writeSettings, nullptr) ? 0 : -1;
}

static void clearMarkUps() {
    std::memset(retMarkUps, 0, sizeof retMarkUps);
}

static void showRating(int rating, bool failureToo) {
    if (rating >= 0 && rating <= 5)
        myMessageBox.text = msgPuzzleRating[rating];
    else if (rating < 0 && failureToo)
        myMessageBox.text = msgPuzzleRating[6];
}

static void randomGame() {
    // The unsolved puzzle; undo then shows the solution.
    showRating(makeRatedPuzzle(&myPuzzle), false);
    clearMarkUps();
    createGameMode = false;
    showFileMenu = false;
    VelundaDirty = true;
    puzzleMasked = false;
}

static void openGame() {
    const fileFilter filters[] = {gameFilter, stateFilter};
    int result = platformFileDialog(false, "Open a File", filters, 2, ".sdk", gamesFolder, filename,
                                    sizeof filename, &ext);
    if (result != 0) {
        FILE* file = result == 1 ? openRegularFile(filename) : nullptr;
        if (file != nullptr) {
            myPuzzle.loadPuzzle(file);
            readMarkUps(file);
            std::fclose(file);
        } else {
            platformMessageBox(msgOpenFailed, errorTitle, false);
        }
        // A following quick save asks for a name instead of writing here.
        filename[0] = '\0';
    }
    puzzleMasked = false;
    createGameMode = false;
    showFileMenu = false;
    VelundaDirty = true;
}

static void saveGame() {
    const fileFilter* filter = createGameMode ? &gameFilter : &stateFilter;
    int result = platformFileDialog(true, "Save game", filter, 1, createGameMode ? ".sdk" : ".sta", gamesFolder,
                                    filename, sizeof filename, &ext);
    if (result == 1) {
        if (createGameMode) myPuzzle.setAuthor(tmpAuthor);
        bool withMarkUps = std::strncmp(filename + ext, "sta", 3) == 0;
        int saved = saveGameFile(filename, withMarkUps);
        if (saved == -2)
            myMessageBox.text = msgSaveNoAuthor;
        else if (saved != 0)
            platformMessageBox(msgSaveFailed, errorTitle, true);
    } else if (result == -1) {
        // A name that does not fit is never cut into another one.
        platformMessageBox(msgSaveFailed, errorTitle, true);
    }
    VelundaDirty = true;
    showFileMenu = false;
}

static void deleteAllMarkUps() {
    showMarkUps = true;
    clearMarkUps();
    showFileMenu = false;
}

static void checkPuzzle() {
    int result = myPuzzle.isSolvedPuzzle(puzzleMask);
    puzzleMasked = result == -1;
    if (result == -1)
        myMessageBox.text = msgPuzzleNotValid;
    else if (result == 0)
        myMessageBox.text = msgPuzzleValid;
    else
        myMessageBox.text = msgPuzzleComplete;
    showFileMenu = false;
}

static void solveGame() {
    if (myPuzzle.isSolvedPuzzle(nullptr) == 1) {
        puzzleMasked = true;
        showFileMenu = false;
        return;
    }
    myPuzzle.savePuzzleForUndo();
    short before[81];
    myPuzzle.returnPuzzle(before);
    showRating(myPuzzle.solvePuzzle(1), true);
    myPuzzle.returnPuzzle(retPuzzle);
    // Highlight what the solve supplied and the entries it did not confirm.
    for (int i = 0; i < 81; i++) puzzleMask[i] = before[i] > 0 || before[i] == -retPuzzle[i] ? 0 : 1;
    puzzleMasked = true;
    showFileMenu = false;
    VelundaDirty = false;  // retPuzzle was refreshed just now
}

static void resetGame() {
    myPuzzle.savePuzzleForUndo();
    if (createGameMode)
        myPuzzle.clearPuzzle();
    else
        myPuzzle.resetPuzzle();
    clearMarkUps();
    puzzleMasked = false;
    showFileMenu = false;
    VelundaDirty = true;
}

void quitGame() {
    // Neither file is worth staying for: the game ends whatever happens.
    saveQuitState();
    saveSettings();
    std::exit(0);
}

void onFileMenu(int, int, int, int y) {
    // A command must not start a second dialog over a running one.
    if (platformDialogRunning()) return;
    switch (fileMenuRow(y)) {
    case menuRandomGame: randomGame(); break;
    case menuOpenGame: openGame(); break;
    case menuSaveGame: saveGame(); break;
    case menuMode:
        createGameMode = !createGameMode;
        VelundaDirty = true;
        break;
    case menuMarkUps: showMarkUps = !showMarkUps; break;
    case menuDeleteAll: deleteAllMarkUps(); break;
    case menuCheck: checkPuzzle(); break;
    case menuSolve: solveGame(); break;
    case menuReset: resetGame(); break;
    case menuSkin: skinMode = (skinMode + 1) % 2; break;
    case menuQuit: quitGame(); break;
    default: break;
    }
}
