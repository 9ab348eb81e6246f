// Box contingents: per box, where each digit can still go (base candidates,
// not the exclusions already written) gives pointing-line exclusions and
// hidden pairs and triples. Only cellNotPossible is written.
#include "sudoku.h"

#include <cstring>

#include "solver_internal.h"

// A digit's cells in a box, bit i * 3 + j.
static unsigned short spotCells(short (*spots)[3][9], int d) {
    unsigned short cells = 0;
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            if (spots[i][j][d] == 1) cells = static_cast<unsigned short>(cells | (1u << (i * 3 + j)));
    return cells;
}

// Logs what the pointing lines of box b are about to exclude.
void sudoku::noteLines(int b, short (*spots)[3][9], const short* rowSets, const short* colSets) {
    const int top = (b / 3) * 3, left = (b % 3) * 3;
    for (int k = 0; k < 3; k++)
        for (int n = 0; n < 9; n++) {
            if (n >= left && n < left + 3) continue;
            const unsigned fresh = freshDigits(cellNotPossible[top + k][n], rowSets[k]);
            for (int d = 0; d < 9; d++)
                if (fresh & (1u << d))
                    noteExclusion(solveLog, {static_cast<unsigned char>((top + k) * 9 + n),
                                             static_cast<unsigned char>(d + 1), excludedPointingRow,
                                             static_cast<unsigned char>(b), static_cast<unsigned char>(b),
                                             static_cast<unsigned char>(top + k), static_cast<unsigned char>(top + k),
                                             spotCells(spots, d), 0, static_cast<unsigned short>(1u << d)});
        }
    for (int k = 0; k < 3; k++)
        for (int n = 0; n < 9; n++) {
            if (n >= top && n < top + 3) continue;
            const unsigned fresh = freshDigits(cellNotPossible[n][left + k], colSets[k]);
            for (int d = 0; d < 9; d++)
                if (fresh & (1u << d))
                    noteExclusion(solveLog, {static_cast<unsigned char>(n * 9 + left + k),
                                             static_cast<unsigned char>(d + 1), excludedPointingColumn,
                                             static_cast<unsigned char>(b), static_cast<unsigned char>(b),
                                             static_cast<unsigned char>(left + k), static_cast<unsigned char>(left + k),
                                             spotCells(spots, d), 0, static_cast<unsigned short>(1u << d)});
        }
}

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
        if (solveLog != nullptr) noteLines(b, spots, rowSets, colSets);
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
            if (solveLog != nullptr) {
                unsigned short cells = 0;
                for (int n = 0; n < listed; n++) cells = static_cast<unsigned short>(cells | (1u << (listRow[n] * 3 + listCol[n])));
                for (int n = 0; n < listed; n++) {
                    const int r = top + listRow[n], c = left + listCol[n];
                    const unsigned fresh = freshDigits(cellNotPossible[r][c], others);
                    for (int d = 0; d < 9; d++)
                        if (fresh & (1u << d))
                            noteExclusion(solveLog, {static_cast<unsigned char>(r * 9 + c), static_cast<unsigned char>(d + 1),
                                                     static_cast<unsigned char>(k == 2 ? excludedHiddenPair : excludedHiddenTriple),
                                                     static_cast<unsigned char>(box), static_cast<unsigned char>(box), 0, 0,
                                                     cells, 0, set});
                }
            }
            for (int n = 0; n < listed; n++) cellNotPossible[top + listRow[n]][left + listCol[n]] |= others;
        }
    }
}
