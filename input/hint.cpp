#include "input/hint.h"

#include <cstdio>
#include <cstring>

#include "app/globals.h"
#include "engine/ladder/describe.h"
#include "engine/solutions.h"
#include "input/keyboard.h"

const char kHintWrongEntry[] = "The entry in %s is wrong";
const char kHintNoSolution[] = "No solution to the givens";
const char kHintSeveral[] = "More than one solution";
const char kHintNoStep[] = "No logical step: trial needed";

namespace {

void say(const std::string& text) {
    std::snprintf(msgHint, sizeof msgHint, "%s", text.c_str());
    myMessageBox.text = msgHint;
}

// An entry whose digit is also in another cell of its row, column or box.
bool repeats(const short* digits, int cell) {
    for (int other = 0; other < 81; other++)
        if (other != cell && digits[other] == digits[cell] && sees(cell, other)) return true;
    return false;
}

}  // namespace

void onHint() {
    short grid[81], givens[81], digits[81], solution[81];
    myPuzzle.returnPuzzle(grid);
    for (int c = 0; c < 81; c++) {
        givens[c] = grid[c] >= 1 && grid[c] <= 9 ? grid[c] : 0;
        digits[c] = isCellDigit(grid[c]) ? static_cast<short>(grid[c] < 0 ? -grid[c] : grid[c]) : 0;
    }
    const int solutions = countSolutions(givens, 2, solution);
    // Wrong entries first: against the solution when there is one, else
    // those that repeat a digit.
    for (int c = 0; c < 81; c++) {
        if (grid[c] > -1 || grid[c] < -9) continue;
        if (solutions == 1 ? digits[c] != solution[c] : repeats(digits, c)) {
            selectBoardCell(c / 9, c % 9);
            char text[64];
            std::snprintf(text, sizeof text, kHintWrongEntry, ladderCell(c).c_str());
            say(text);
            return;
        }
    }
    if (solutions != 1) {
        say(solutions == 0 ? kHintNoSolution : kHintSeveral);
        return;
    }
    ladderGrid g;
    g.start(digits);
    if (g.solved()) {
        myMessageBox.text = msgPuzzleComplete;
        return;
    }
    ladderOptions options;
    options.unique = true;
    ladderStep step;
    if (!ladderNextStep(g, options, &step)) {
        say(kHintNoStep);
        return;
    }
    const int cell = step.placeCell >= 0 ? step.placeCell : step.removals[0] / 9;
    selectBoardCell(cell / 9, cell % 9);
    say(ladderShortText(step));
}
