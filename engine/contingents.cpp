// Box contingents: per box, where each digit can still go (base candidates,
// not the exclusions already written) gives pointing-line exclusions and
// hidden pairs and triples. Only cellNotPossible is written.
#include "sudoku.h"

#include <cstring>

#include "solver_internal.h"

void sudoku::solve_fillContingents(int) {
    const candidateView view = {puzzle, rowPossible, colPossible, boxPossible, cellNotPossible};
    short spots[3][3][9];
    short counts[9];
    short rowSets[3], colSets[3];
    for (int b = 0; b < 9; b++) {
        const int top = (b / 3) * 3, left = (b % 3) * 3;
        std::memset(spots, 0, sizeof spots);
        std::memset(counts, 0, sizeof counts);
        std::memset(rowSets, 0, sizeof rowSets);
        std::memset(colSets, 0, sizeof colSets);
        for (int d = 0; d < 9; d++) {
            const short bit = numberMask[d];
            int n = 0, i1 = 0, j1 = 0;
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++) {
                    if (!view.base(top + i, left + j, d)) continue;
                    n++;
                    spots[i][j][d] = 1;
                    counts[d]++;
                    if (n == 1) {
                        i1 = i;
                        j1 = j;
                    } else if (n == 2) {
                        if (i == i1) rowSets[i] |= bit;
                        if (j == j1) colSets[j] |= bit;
                    } else {
                        // A third cell off the line ends it; a fourth always does.
                        if (n >= 4 || i != i1)
                            for (short& set : rowSets) set &= notNumberMask[d];
                        if (n >= 4 || j != j1)
                            for (short& set : colSets) set &= notNumberMask[d];
                    }
                }
        }
        for (int i = 0; i < 3; i++)
            for (int c = 0; c < 9; c++)
                if (c < left || c >= left + 3) cellNotPossible[top + i][c] |= rowSets[i];
        for (int j = 0; j < 3; j++)
            for (int r = 0; r < 9; r++)
                if (r < top || r >= top + 3) cellNotPossible[r][left + j] |= colSets[j];
        solve_fillSpotContingents(b, spots, counts);
    }
}

void sudoku::solve_fillSpotContingents(int box, short (*spots)[3][9], short* counts) {
    if (box < 0 || box > 8 || spots == nullptr || counts == nullptr) return;
    const int top = (box / 3) * 3, left = (box % 3) * 3;
    for (int d1 = 0; d1 < 9; d1++) {
        const int n1 = counts[d1];
        if (n1 <= 1) continue;
        int listRow[9], listCol[9], listed = 0;
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                if (spots[i][j][d1] == 1) {
                    listRow[listed] = i;
                    listCol[listed] = j;
                    listed++;
                }
        unsigned short set = static_cast<unsigned short>(numberMask[d1]);
        int k = 1;
        for (int d2 = d1 + 1; d2 < 9; d2++) {
            // Same cells: every listed cell has d2, and no other cell does.
            bool same = counts[d2] == listed;
            for (int n = 0; same && n < listed; n++) same = spots[listRow[n]][listCol[n]][d2] == 1;
            if (same) {
                k++;
                set |= static_cast<unsigned short>(numberMask[d2]);
            }
        }
        if ((k == 2 && n1 == 2) || (k == 3 && n1 == 3)) {
            const short others = static_cast<short>(static_cast<unsigned short>(~set));
            for (int n = 0; n < listed; n++) cellNotPossible[top + listRow[n]][left + listCol[n]] |= others;
        }
    }
}
