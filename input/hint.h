// The hint key: the next logical step for the game puzzle as it stands.
#ifndef VELUNDA_INPUT_HINT_H
#define VELUNDA_INPUT_HINT_H

// Asks the technique ladder about the game puzzle with the player's entries
// counted, and shows the answer without changing a digit or a mark: a
// wrong entry is selected and said to be wrong; else the cell of the
// easiest next step is selected and the message names the step. Givens
// with no solution or several, and a complete board, are said to be so.
void onHint();

// The message texts of the hint other than a step's.
extern const char kHintWrongEntry[];   // with the cell: "The entry in %s is wrong"
extern const char kHintNoSolution[];
extern const char kHintSeveral[];
extern const char kHintNoStep[];

#endif
