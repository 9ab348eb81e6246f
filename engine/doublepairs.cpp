// Double pairs: when the candidates of a digit in two boxes of a stack lie in
// the same two columns, the third box of the stack cannot use those columns;
// the same for two rows of a band. Works on candidates (exclusions already
// written count), which is why the caller repeats it until nothing changes.
#include "sudoku.h"

#include "solver_internal.h"

namespace {

// Where a digit's candidates lie in one box. A pair exists while the cells
// met so far occupy exactly two distinct columns (rows).
struct boxLines {
    int count;
    int col1, col2;  // -1 while unknown
    int row1, row2;
    bool colPair, rowPair;  // false once a third line is met

    void add(int r, int c) {
        count++;
        if (count == 1) {
            row1 = r;
            col1 = c;
            return;
        }
        if (count == 2) {
            if (r == row1) col2 = c;
            else if (c == col1) row2 = r;
            else {
                col2 = c;
                row2 = r;
            }
            return;
        }
        if (col2 < 0 && c != col1) col2 = c;
        if (row2 < 0 && r != row1) row2 = r;
        if (r != row1 && r != row2) rowPair = false;
        if (c != col1 && c != col2) colPair = false;
    }
    bool hasColPair() const { return colPair && col2 >= 0; }
    bool hasRowPair() const { return rowPair && row2 >= 0; }
};

bool samePair(int a1, int a2, int b1, int b2) {
    return (a1 == b1 && a2 == b2) || (a1 == b2 && a2 == b1);
}

}  // namespace

int sudoku::solve_fillDoublePairs(int) {
    const candidateView view = {puzzle, rowPossible, colPossible, boxPossible, cellNotPossible};
    int changes = 0;
    for (int d = 0; d < 9; d++) {
        const short bit = numberMask[d];
        boxLines lines[9];
        for (boxLines& l : lines) l = {0, -1, -1, -1, -1, true, true};
        for (int r = 0; r < 9; r++)
            for (int c = 0; c < 9; c++)
                if (view.candidate(r, c, d)) lines[(r / 3) * 3 + c / 3].add(r, c);
        // With a log: each box's candidate cells the patterns are read from.
        unsigned short seen[9] = {0};
        if (solveLog != nullptr)
            for (int r = 0; r < 9; r++)
                for (int c = 0; c < 9; c++)
                    if (view.candidate(r, c, d))
                        seen[(r / 3) * 3 + c / 3] |= static_cast<unsigned short>(1u << ((r % 3) * 3 + c % 3));

        // Marks the six cells of two lines in a box; true if one lacked the bit.
        // from and from2 are the pattern's boxes.
        auto mark = [&](int box, bool columns, int line1, int line2, int from, int from2) {
            bool changed = false;
            const int top = (box / 3) * 3, left = (box % 3) * 3;
            const int lines[2] = {line1, line2};
            for (int k = 0; k < 3; k++)
                for (int line : lines) {
                    const int r = columns ? top + k : line, c = columns ? line : left + k;
                    short& cell = cellNotPossible[r][c];
                    if ((cell & bit) == 0) {
                        changed = true;
                        if (solveLog != nullptr)
                            noteExclusion(solveLog,
                                          {static_cast<unsigned char>(r * 9 + c), static_cast<unsigned char>(d + 1),
                                           static_cast<unsigned char>(columns ? excludedDoublePairStack : excludedDoublePairBand),
                                           static_cast<unsigned char>(from), static_cast<unsigned char>(from2),
                                           static_cast<unsigned char>(line1), static_cast<unsigned char>(line2), seen[from],
                                           seen[from2], static_cast<unsigned short>(bit)});
                    }
                    cell |= bit;
                }
            return changed;
        };

        for (int b = 0; b < 9; b++) {
            const boxLines& a = lines[b];
            if (a.hasColPair())
                for (int b2 = b + 3; b2 < 9; b2 += 3) {
                    const boxLines& o = lines[b2];
                    if (!o.hasColPair() || !samePair(a.col1, a.col2, o.col1, o.col2)) continue;
                    const int third = 3 * (3 - b / 3 - b2 / 3) + b % 3;
                    if (mark(third, true, a.col1, a.col2, b, b2)) changes++;
                }
            if (a.hasRowPair()) {
                const int first = (b / 3) * 3;
                for (int b2 = first; b2 < first + 3; b2++) {
                    if (b2 == b) continue;
                    const boxLines& o = lines[b2];
                    if (!o.hasRowPair() || !samePair(a.row1, a.row2, o.row1, o.row2)) continue;
                    const int third = first + (3 - (b - first) - (b2 - first));
                    if (mark(third, false, a.row1, a.row2, b, b2)) changes++;
                }
            }
        }
    }
    return changes;
}
