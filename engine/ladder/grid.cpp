// The ladder's grid of candidates, its geometry and its table of techniques.
#include "engine/ladder/ladder.h"

#include "engine/authoring.h"

ladderGeometry::ladderGeometry() {
    for (int i = 0; i < 9; i++)
        for (int k = 0; k < 9; k++) {
            unitCell[kRowUnit + i][k] = static_cast<unsigned char>(i * 9 + k);
            unitCell[kColumnUnit + i][k] = static_cast<unsigned char>(k * 9 + i);
            unitCell[kBoxUnit + i][k] = static_cast<unsigned char>(((i / 3) * 3 + k / 3) * 9 + (i % 3) * 3 + k % 3);
        }
    for (int u = 0; u < 27; u++) {
        unit[u] = cellSet();
        for (int k = 0; k < 9; k++) unit[u].add(unitCell[u][k]);
    }
    for (int c = 0; c < 81; c++) {
        cellUnit[c][0] = static_cast<unsigned char>(kRowUnit + rowOf(c));
        cellUnit[c][1] = static_cast<unsigned char>(kColumnUnit + columnOf(c));
        cellUnit[c][2] = static_cast<unsigned char>(kBoxUnit + boxOf(c));
        peers[c] = unit[cellUnit[c][0]] | unit[cellUnit[c][1]] | unit[cellUnit[c][2]];
        peers[c].del(c);
    }
}

const ladderGeometry kGeometry;

namespace {

// Above the game's own ratings, whose names the engine gives.
const char* const kLevelNames[kLadderLevels - levelHard] = {"Hard", "Expert", "Extreme", "Beyond logic"};

}  // namespace

const ladderTechniqueInfo kLadderTechniqueTable[kLadderTechniques] = {
    {"naked-single", "Naked single", levelVeryEasy, 10, "a cell with one candidate left"},
    {"hidden-single-box", "Hidden single in a box", levelEasy, 12, "a digit with one cell left in a box"},
    {"pointing", "Pointing", levelMedium, 17,
     "a digit confined to one row or column of a box leaves the rest of that line"},
    {"box-hidden-pair", "Hidden pair in a box", levelMedium, 20,
     "two digits with the same two cells in a box: those cells hold nothing else"},
    {"box-hidden-triple", "Hidden triple in a box", levelMedium, 23,
     "three digits confined to three cells of a box: those cells hold nothing else"},
    {"double-pair", "Double pair", levelMedium, 26,
     "a digit in two boxes of a band (stack) on the same two rows (columns) leaves them in the third box"},
    {"hidden-single-line", "Hidden single in a line", levelHard, 28, "a digit with one cell left in a row or column"},
    {"claiming", "Claiming", levelHard, 29,
     "a digit confined to one box within a row or column leaves the rest of that box"},
    {"naked-pair", "Naked pair", levelHard, 30, "two cells of a unit with the same two candidates"},
    {"x-wing", "X-Wing", levelHard, 32, "a digit in two rows confined to the same two columns (or the reverse)"},
    {"hidden-pair", "Hidden pair", levelHard, 34, "two digits with the same two cells in a row or column"},
    {"naked-triple", "Naked triple", levelHard, 36, "three cells of a unit holding three candidates between them"},
    {"swordfish", "Swordfish", levelHard, 38, "a digit in three rows confined to three columns (or the reverse)"},
    {"hidden-triple", "Hidden triple", levelHard, 40, "three digits confined to three cells of a row or column"},
    {"skyscraper", "Skyscraper", levelHard, 40,
     "two conjugate pairs of a digit in parallel lines, joined at one end"},
    {"2-string-kite", "2-String Kite", levelHard, 41,
     "a conjugate pair in a row and one in a column, joined in a box"},
    {"xy-wing", "XY-Wing", levelHard, 42, "a two-candidate cell and two pincers sharing its digits and one more"},
    {"simple-colouring", "Simple colouring", levelHard, 43,
     "the conjugate pairs of one digit coloured in turn: a contradiction or a cell seeing both colours"},
    {"xyz-wing", "XYZ-Wing", levelHard, 44, "a three-candidate cell and two pincers of two of its digits"},
    {"w-wing", "W-Wing", levelHard, 44, "two cells with the same two candidates joined by a conjugate pair"},
    {"naked-quad", "Naked quad", levelHard, 50, "four cells of a unit holding four candidates between them"},
    {"jellyfish", "Jellyfish", levelHard, 52, "a digit in four rows confined to four columns (or the reverse)"},
    {"hidden-quad", "Hidden quad", levelHard, 54, "four digits confined to four cells of a unit"},
    {"finned-x-wing", "Finned X-Wing", levelExpert, 55, "an X-Wing but for fins in one box"},
    {"sashimi-x-wing", "Sashimi X-Wing", levelExpert, 56, "a finned X-Wing with a corner missing"},
    {"remote-pair", "Remote pair", levelExpert, 56, "a chain of cells with the same two candidates"},
    {"unique-rectangle-1", "Unique rectangle type 1", levelExpert, 57,
     "three corners of a rectangle with the same two candidates: the fourth must hold another"},
    {"unique-rectangle-2", "Unique rectangle type 2", levelExpert, 58,
     "a rectangle of two digits whose two roof cells share one more"},
    {"unique-rectangle-4", "Unique rectangle type 4", levelExpert, 58,
     "a rectangle of two digits whose roof holds one of them as a conjugate pair"},
    {"unique-rectangle-3", "Unique rectangle type 3", levelExpert, 59,
     "a rectangle whose roof's other digits form a naked subset with other cells"},
    {"bug-plus-1", "BUG+1", levelExpert, 60, "every open cell but one has two candidates"},
    {"finned-swordfish", "Finned Swordfish", levelExpert, 60, "a Swordfish but for fins in one box"},
    {"sashimi-swordfish", "Sashimi Swordfish", levelExpert, 61, "a finned Swordfish with a corner missing"},
    {"x-chain", "X-Chain", levelExpert, 62, "an alternating chain of one digit's links"},
    {"wxyz-wing", "WXYZ-Wing", levelExpert, 62, "four cells holding four digits with one restricted common"},
    {"x-cycle", "X-Cycle", levelExpert, 63, "a loop of one digit's links"},
    {"xy-chain", "XY-Chain", levelExpert, 64, "a chain of two-candidate cells"},
    {"finned-jellyfish", "Finned Jellyfish", levelExpert, 65, "a Jellyfish but for fins in one box"},
    {"sashimi-jellyfish", "Sashimi Jellyfish", levelExpert, 66, "a finned Jellyfish with a corner missing"},
    {"als-xz", "ALS-XZ", levelExpert, 66, "two almost locked sets joined by a restricted common digit"},
    {"3d-medusa", "3D Medusa", levelExpert, 68, "all strong links coloured in turn, across digits"},
    {"aic", "Alternating inference chain", levelExtreme, 70, "a chain of strong and weak links across digits"},
    {"grouped-aic", "Grouped alternating inference chain", levelExtreme, 72,
     "an alternating chain with groups of cells as nodes"},
    {"als-aic", "Alternating inference chain with ALS", levelExtreme, 74,
     "an alternating chain through almost locked sets"},
    {"contradiction-chain", "Contradiction forcing chain", levelExtreme, 75,
     "a candidate whose truth leads, link by link, to a contradiction"},
    {"cell-forcing-chain", "Cell forcing chain", levelExtreme, 76,
     "every candidate of a cell leads to the same conclusion"},
    {"unit-forcing-chain", "Unit forcing chain", levelExtreme, 78,
     "every place of a digit in a unit leads to the same conclusion"},
    {"contradiction-net", "Contradiction forcing net", levelExtreme, 82,
     "a candidate whose truth leads to a contradiction through singles"},
    {"cell-forcing-net", "Cell forcing net", levelExtreme, 85,
     "every candidate of a cell leads, through singles, to the same conclusion"},
    {"unit-forcing-net", "Unit forcing net", levelExtreme, 88,
     "every place of a digit in a unit leads, through singles, to the same conclusion"},
};

const char* ladderLevelName(int level) {
    if (level >= levelVeryEasy && level < levelHard) return ratingName(level);
    return level >= levelHard && level < kLadderLevels ? kLevelNames[level - levelHard] : "?";
}

const char* ladderUnitKind(int unit) {
    return unit < kColumnUnit ? "row" : unit < kBoxUnit ? "column" : "box";
}

namespace {

// Forcing steps' branches own vectors of their own: emptied apart, so that
// clearing any other step needs no loop.
__attribute__((noinline)) void clearBranches(ladderPattern* p) {
    p->branches.clear();
}

// Out of line, so that the usual case of ladderStep::clear stays a few
// instructions.
__attribute__((noinline)) void clearStep(ladderStep* step) {
    ladderStep& s = *step;
    s.technique = techNakedSingle;
    s.difficulty = 0;
    s.placeCell = -1;
    s.placeDigit = 0;
    s.removals.clear();
    ladderPattern& p = s.pattern;
    p.kind = patternSingle;
    p.digit = 0;
    p.unit = -1;
    p.cell = -1;
    p.size = 0;
    p.fins = cellSet();
    p.naked = false;
    p.cells = cellSet();
    p.digits = 0;
    p.nodes.clear();
    p.strong.clear();
    p.loop = loopNone;
    p.colour.clear();
    p.links.clear();
    p.falseColour = -1;
    p.witness[0] = p.witness[1] = -1;
    p.over = overCell;
    if (!p.branches.empty()) clearBranches(&p);
    p.type = 0;
    p.roof = cellSet();
    p.extra = 0;
    p.subsetUnit = -1;
    p.subsetCells = cellSet();
    p.subsetDigits = 0;
}

}  // namespace

void ladderStep::clear() {
    // The driver clears the step before every finder, and most find nothing
    // and leave it as it was. Whatever in the ladder fills a step sets, with
    // anything else, its technique's difficulty (never 0), a placement, a
    // removal or the pattern's kind: a step with none of these is blank.
    if (difficulty == 0 && placeCell < 0 && removals.empty() && pattern.kind == patternSingle) return;
    // Most steps are singles, and only singleStep writes a single's
    // technique, always on a blank step: undoing what it wrote is enough.
    if ((technique == techNakedSingle || technique == techHiddenSingleBox || technique == techHiddenSingleLine) &&
        pattern.kind == patternSingle && removals.empty()) {
        technique = techNakedSingle;
        difficulty = 0;
        placeCell = -1;
        placeDigit = 0;
        pattern.digit = 0;
        pattern.unit = -1;
        pattern.cell = -1;
        return;
    }
    clearStep(this);
}

void ladderGrid::start(const short* cells) {
    // All the givens at once, as placing them one by one would leave the
    // grid: an open cell keeps the digits no peer was given, a digit the
    // open cells that see none of its givens.
    unsigned short given[27] = {};  // the digits given in each unit
    cellSet seen[9];                // the cells that see a given of digit d+1 (or hold it)
    open = cellSet::all();
    for (int c = 0; c < 81; c++) {
        const int v = cells[c];
        value[c] = 0;
        if (v < 1 || v > 9) continue;
        value[c] = static_cast<unsigned char>(v);
        open.del(c);
        const unsigned short bit = static_cast<unsigned short>(1u << (v - 1));
        for (int k = 0; k < 3; k++) given[kGeometry.cellUnit[c][k]] |= bit;
        seen[v - 1] |= kGeometry.peers[c];
    }
    // Row by row, each cell's column and box known without a table.
    for (int r = 0; r < 9; r++) {
        const unsigned row = given[kRowUnit + r];
        const unsigned short* box = given + kBoxUnit + r / 3 * 3;
        for (int k = 0; k < 9; k++) {
            const int c = r * 9 + k;
            cand[c] = value[c] ? 0 : static_cast<unsigned short>(0x1FF & ~(row | given[kColumnUnit + k] | box[k / 3]));
        }
    }
    for (int d = 0; d < 9; d++) pos[d] = open.minus(seen[d]);
}

void ladderGrid::place(int cell, int digit) {
    const int d = digit - 1;
    // The cell's word and bit worked out once for all its digits.
    const bool low = cell < 64;
    const uint64_t keep = ~(uint64_t(1) << (low ? cell : cell - 64));
    for (unsigned old = cand[cell]; old; old &= old - 1) {
        cellSet& p = pos[lowBit(old)];
        if (low) p.lo &= keep;
        else p.hi &= keep;
    }
    cand[cell] = 0;
    value[cell] = static_cast<unsigned char>(digit);
    if (low) open.lo &= keep;
    else open.hi &= keep;
    const cellSet& peers = kGeometry.peers[cell];
    uint64_t hitLo = pos[d].lo & peers.lo, hitHi = pos[d].hi & peers.hi;
    pos[d].lo ^= hitLo;
    pos[d].hi ^= hitHi;
    const unsigned short drop = static_cast<unsigned short>(~(1u << d));
    for (; hitLo; hitLo &= hitLo - 1) cand[__builtin_ctzll(hitLo)] &= drop;
    for (; hitHi; hitHi &= hitHi - 1) cand[64 + __builtin_ctzll(hitHi)] &= drop;
}

void ladderGrid::remove(int cell, int digit) {
    cand[cell] &= static_cast<unsigned short>(~(1u << (digit - 1)));
    pos[digit - 1].del(cell);
}

void ladderGrid::apply(const ladderStep& step) {
    for (unsigned short r : step.removals) remove(r / 9, r % 9 + 1);
    if (step.placeCell >= 0) place(step.placeCell, step.placeDigit);
}

bool ladderGrid::broken() const {
    cellSet o = open;
    for (int c = o.pop(); c >= 0; c = o.pop())
        if (cand[c] == 0) return true;
    for (int u = 0; u < 27; u++) {
        unsigned placed = 0;
        for (int k = 0; k < 9; k++) {
            const int c = kGeometry.unitCell[u][k];
            if (value[c]) {
                if (placed & (1u << (value[c] - 1))) return true;
                placed |= 1u << (value[c] - 1);
            }
        }
        for (int d = 0; d < 9; d++)
            if (!(placed & (1u << d)) && !pos[d].meets(kGeometry.unit[u])) return true;
    }
    return false;
}
