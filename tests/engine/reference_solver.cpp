// The step-by-step solver: every scan in the stated order, the exclusions
// recomputed from scratch after every placement.
#include "reference_solver.h"

#include <cstring>

namespace {
const short kBit[9] = {1, 2, 4, 8, 16, 32, 64, 128, 256};
bool digitValue(int v) {
    return (v >= 1 && v <= 9) || (v <= -1 && v >= -9);
}
}  // namespace

void referenceSolver::setCells(const short* cells81) {
    for (int i = 0; i < 81; i++) puzzle[i / 9][i % 9] = cells81[i];
}

std::string referenceSolver::grid() const {
    std::string out;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            int v = puzzle[r][c];
            if (v > 0 && v <= 9) out += static_cast<char>('0' + v);
            else if (v < 0 && v >= -9) out += static_cast<char>('a' - v - 1);
            else if (v == 0) out += '.';
            else out += '#';
        }
    return out;
}

int referenceSolver::isSolved() const {
    int rows[9][10] = {}, cols[9][10] = {}, boxes[9][10] = {};
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            int v = puzzle[r][c];
            if (!digitValue(v)) continue;
            int d = v < 0 ? -v : v;
            rows[r][d]++;
            cols[c][d]++;
            boxes[(r / 3) * 3 + c / 3][d]++;
            if (rows[r][d] > 1 || cols[c][d] > 1 || boxes[(r / 3) * 3 + c / 3][d] > 1) return -1;
        }
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++)
            if (!digitValue(puzzle[r][c])) return 0;
    return 1;
}

bool referenceSolver::open(int r, int c) const {
    return puzzle[r][c] <= 0 || puzzle[r][c] > 9;
}

bool referenceSolver::base(int r, int c, int d) const {
    return open(r, c) && rowPossible[r][d - 1] == 1 && colPossible[c][d - 1] == 1 &&
           boxPossible[(r / 3) * 3 + c / 3][d - 1] == 1;
}

bool referenceSolver::candidate(int r, int c, int d) const {
    return base(r, c, d) && (cellNotPossible[r][c] & kBit[d - 1]) == 0;
}

void referenceSolver::fillRC(int withEntries) {
    for (int i = 0; i < 9; i++)
        for (int d = 1; d <= 9; d++) {
            bool inRow = false, inCol = false;
            for (int k = 0; k < 9; k++) {
                if (puzzle[i][k] == d || (withEntries && puzzle[i][k] == -d)) inRow = true;
                if (puzzle[k][i] == d || (withEntries && puzzle[k][i] == -d)) inCol = true;
            }
            rowPossible[i][d - 1] = inRow ? 0 : 1;
            colPossible[i][d - 1] = inCol ? 0 : 1;
        }
}

void referenceSolver::fillBox(int withEntries) {
    for (int b = 0; b < 9; b++)
        for (int d = 0; d < 9; d++) boxPossible[b][d] = 1;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            int v = puzzle[r][c];
            if (v > 0 && v <= 9) boxPossible[(r / 3) * 3 + c / 3][v - 1] = 0;
            if (withEntries && v < 0 && v >= -9) boxPossible[(r / 3) * 3 + c / 3][-v - 1] = 0;
        }
}

void referenceSolver::place(int row, int col, int digit) {
    puzzle[row][col] = static_cast<short>(digit);
    rowPossible[row][digit - 1] = 0;
    colPossible[col][digit - 1] = 0;
    boxPossible[(row / 3) * 3 + col / 3][digit - 1] = 0;
    placements.push_back({row * 9 + col, digit});
}

void referenceSolver::fillCellNotPossible(int level) {
    std::memset(cellNotPossible, 0, sizeof cellNotPossible);
    if (level == -1 || level > 1) {
        fillContingents();
        while (fillDoublePairs() != 0) {
        }
    }
}

void referenceSolver::fillContingents() {
    for (int b = 0; b < 9; b++) {
        short spots[3][3][9] = {};
        short counts[9] = {};
        short rowSet[3] = {}, colSet[3] = {};
        int r0 = (b / 3) * 3, c0 = (b % 3) * 3;
        for (int d = 1; d <= 9; d++) {
            int n = 0, i1 = -1, j1 = -1;
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++) {
                    if (!base(r0 + i, c0 + j, d)) continue;
                    n++;
                    spots[i][j][d - 1] = 1;
                    counts[d - 1]++;
                    if (n == 1) {
                        i1 = i;
                        j1 = j;
                    }
                    if (n == 2) {
                        if (i == i1) rowSet[i] |= kBit[d - 1];
                        if (j == j1) colSet[j] |= kBit[d - 1];
                    }
                    if (n == 3) {
                        if (i != i1)
                            for (int k = 0; k < 3; k++) rowSet[k] &= ~kBit[d - 1];
                        if (j != j1)
                            for (int k = 0; k < 3; k++) colSet[k] &= ~kBit[d - 1];
                    }
                    if (n >= 4)
                        for (int k = 0; k < 3; k++) {
                            rowSet[k] &= ~kBit[d - 1];
                            colSet[k] &= ~kBit[d - 1];
                        }
                }
        }
        for (int i = 0; i < 3; i++)
            for (int c = 0; c < 9; c++)
                if (c / 3 != b % 3) cellNotPossible[r0 + i][c] |= rowSet[i];
        for (int j = 0; j < 3; j++)
            for (int r = 0; r < 9; r++)
                if (r / 3 != b / 3) cellNotPossible[r][c0 + j] |= colSet[j];
        fillSpotContingents(b, spots, counts);
    }
}

void referenceSolver::fillSpotContingents(int box, short spots[3][3][9], short counts[9]) {
    int r0 = (box / 3) * 3, c0 = (box % 3) * 3;
    for (int d1 = 1; d1 <= 9; d1++) {
        int n1 = counts[d1 - 1];
        if (n1 <= 1) continue;
        int cellI[9], cellJ[9], listed = 0;
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++)
                if (spots[i][j][d1 - 1] == 1) {
                    cellI[listed] = i;
                    cellJ[listed] = j;
                    listed++;
                }
        int set = kBit[d1 - 1];
        int k = 1;
        for (int d2 = d1 + 1; d2 <= 9; d2++) {
            bool same = true;
            for (int i = 0; i < 3; i++)
                for (int j = 0; j < 3; j++)
                    if (spots[i][j][d2 - 1] != spots[i][j][d1 - 1]) same = false;
            if (same) {
                k++;
                set |= kBit[d2 - 1];
            }
        }
        if ((k == 2 && n1 == 2) || (k == 3 && n1 == 3))
            for (int n = 0; n < listed; n++)
                cellNotPossible[r0 + cellI[n]][c0 + cellJ[n]] |= static_cast<short>(0xFFFF & ~set);
    }
}

int referenceSolver::fillDoublePairs() {
    int changes = 0;
    for (int d = 1; d <= 9; d++) {
        int count[9] = {};
        int col1[9], col2[9], row1[9], row2[9];
        bool noColPair[9] = {}, noRowPair[9] = {};
        for (int b = 0; b < 9; b++) col1[b] = col2[b] = row1[b] = row2[b] = -1;
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++) {
                if (!candidate(r, c, d)) continue;
                int b = (r / 3) * 3 + c / 3;
                count[b]++;
                if (count[b] == 1) {
                    row1[b] = r;
                    col1[b] = c;
                } else if (count[b] == 2) {
                    if (r == row1[b]) {
                        col2[b] = c;
                    } else if (c == col1[b]) {
                        row2[b] = r;
                    } else {
                        col2[b] = c;
                        row2[b] = r;
                    }
                } else {
                    if (col2[b] == -1 && c != col1[b]) col2[b] = c;
                    if (row2[b] == -1 && r != row1[b]) row2[b] = r;
                    if (r != row1[b] && r != row2[b]) noRowPair[b] = true;
                    if (c != col1[b] && c != col2[b]) noColPair[b] = true;
                }
            }
        auto colPair = [&](int b) { return count[b] >= 2 && col2[b] != -1 && !noColPair[b]; };
        auto rowPair = [&](int b) { return count[b] >= 2 && row2[b] != -1 && !noRowPair[b]; };
        for (int b = 0; b < 9; b++) {
            if (colPair(b))
                for (int b2 = b + 3; b2 <= 8; b2 += 3) {
                    if (!colPair(b2)) continue;
                    bool same = (col1[b] == col1[b2] && col2[b] == col2[b2]) ||
                                (col1[b] == col2[b2] && col2[b] == col1[b2]);
                    if (!same) continue;
                    int third = -1;
                    for (int t = b % 3; t < 9; t += 3)
                        if (t != b && t != b2) third = t;
                    bool changed = false;
                    for (int r = (third / 3) * 3; r < (third / 3) * 3 + 3; r++)
                        for (int c : {col1[b], col2[b]}) {
                            if (!(cellNotPossible[r][c] & kBit[d - 1])) changed = true;
                            cellNotPossible[r][c] |= kBit[d - 1];
                        }
                    if (changed) changes++;
                }
            if (rowPair(b))
                for (int b2 = (b / 3) * 3; b2 < (b / 3) * 3 + 3; b2++) {
                    if (b2 == b || !rowPair(b2)) continue;
                    bool same = (row1[b] == row1[b2] && row2[b] == row2[b2]) ||
                                (row1[b] == row2[b2] && row2[b] == row1[b2]);
                    if (!same) continue;
                    int third = -1;
                    for (int t = (b / 3) * 3; t < (b / 3) * 3 + 3; t++)
                        if (t != b && t != b2) third = t;
                    bool changed = false;
                    for (int r : {row1[b], row2[b]})
                        for (int c = (third % 3) * 3; c < (third % 3) * 3 + 3; c++) {
                            if (!(cellNotPossible[r][c] & kBit[d - 1])) changed = true;
                            cellNotPossible[r][c] |= kBit[d - 1];
                        }
                    if (changed) changes++;
                }
        }
    }
    return changes;
}

int referenceSolver::singleNum(int level) {
    fillCellNotPossible(level);
    int placed = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            if (!open(r, c)) continue;
            int count = 0, first = 0;
            for (int d = 1; d <= 9; d++) {
                if (!candidate(r, c, d)) continue;
                if (count == 0) first = d;
                count++;
                if (count == 2) break;
            }
            if (count == 1) {
                place(r, c, first);
                placed++;
                fillCellNotPossible(level);
            }
        }
    return placed;
}

int referenceSolver::crossRef(int level) {
    fillCellNotPossible(level);
    int placed = 0;
    for (int r = 0; r < 9; r++)
        for (int c = 0; c < 9; c++) {
            if (!open(r, c)) continue;
            int count = 0, first = 0;
            for (int d = 1; d <= 9; d++) {
                if (!candidate(r, c, d)) continue;
                if (count == 0) first = d;
                count++;
            }
            if (count == 1) {
                place(r, c, first);
                placed++;
                fillCellNotPossible(level);
            }
        }
    return placed;
}

int referenceSolver::box(int level) {
    fillCellNotPossible(level);
    int total = 0;
    int counter[9] = {}, atRow[9] = {}, atCol[9] = {};
    for (int d = 1; d <= 9; d++) {
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++) {
                if (!open(r, c) || !candidate(r, c, d)) continue;
                int b = (r / 3) * 3 + c / 3;
                counter[b]++;
                if (counter[b] == 1) {
                    atRow[b] = r;
                    atCol[b] = c;
                }
            }
        int placed = 0;
        for (int b = 0; b < 9; b++) {
            if (counter[b] == 1) {
                place(atRow[b], atCol[b], d);
                placed++;
            }
            counter[b] = 0;
        }
        if (placed > 0) {
            total += placed;
            fillCellNotPossible(level);
        }
    }
    return total;
}

int referenceSolver::solve(int rate) {
    placements.clear();
    fillRC(0);
    fillBox(0);
    std::memset(cellNotPossible, 0, sizeof cellNotPossible);
    if (rate != 1) {
        for (;;) {
            int progress = singleNum(-1);
            progress += crossRef(-1);
            progress += box(-1);
            if (progress == 0) break;
        }
        return isSolved() == 1 ? -2 : -1;
    }
    for (int stage = 0; stage <= 2; stage++) {
        for (;;) {
            int progress = singleNum(stage);
            if (stage > 0) {
                progress += crossRef(stage);
                progress += box(stage);
            }
            if (progress == 0) break;
        }
        if (isSolved() == 1) return stage;
    }
    return -1;
}

void referenceSolver::markUps(short* marks, int level) {
    fillRC(1);
    fillBox(1);
    fillCellNotPossible(level);
    for (int i = 0; i < 81; i++) marks[i] = 0;
    for (int d = 0; d < 9; d++)
        for (int r = 0; r < 9; r++) {
            if (rowPossible[r][d] == 0) continue;
            for (int c = 0; c < 9; c++) {
                if (puzzle[r][c] > 0 && puzzle[r][c] <= 9) continue;
                if (candidate(r, c, d + 1)) marks[r * 9 + c] ^= kBit[d];
            }
        }
    fillRC(0);
    fillBox(0);
}
