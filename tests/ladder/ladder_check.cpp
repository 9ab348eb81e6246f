// velunda-ladder-check [FILE...]: checks `velunda-cli explain --format json`.
// Each step is judged on the candidates the steps before it left, by the rule
// of its pattern's kind, and against the one solution of the givens.

#include "ladder_check.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace ladder {

namespace {

const unsigned kAllDigits = 0x3FEu;  // bits 1-9
// Bounds that no honest explanation reaches, so that no input makes the
// checker slow: every step that holds takes a candidate out, so there are at
// most 729 of them, and a chain or cluster longer than the grid's candidates
// repeats itself.
const size_t kMaxSteps = 1000;
const size_t kMaxNodes = 729;

unsigned bit(int digit) { return 1u << digit; }
int countBits(unsigned mask) { return __builtin_popcount(mask); }

struct geometry {
    cellSet units[27];
    cellSet peers[81];
    cellSet all;

    geometry() {
        for (int c = 0; c < 81; c++) {
            units[rowOf(c)].set(c);
            units[9 + columnOf(c)].set(c);
            units[18 + boxOf(c)].set(c);
        }
        for (int c = 0; c < 81; c++) {
            peers[c] = units[rowOf(c)] | units[9 + columnOf(c)] | units[18 + boxOf(c)];
            peers[c].reset(c);
        }
        all.set();
    }
};

const geometry& geo() {
    static const geometry g;
    return g;
}

// Cells that see every cell of the set (none of the set's own cells but
// those that see all the others).
cellSet seenByAll(const cellSet& cells) {
    cellSet common = geo().all;
    for (int c = 0; c < 81; c++)
        if (cells[c]) common &= geo().peers[c];
    return common;
}

std::string numberText(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

std::string placesText(size_t count) { return std::to_string(count) + (count == 1 ? " place" : " places"); }

std::string literalName(int cell, int digit) { return cellName(cell) + " " + std::to_string(digit); }

std::string digitsText(unsigned mask) {
    std::string out;
    for (int d = 1; d <= 9; d++)
        if (mask & bit(d)) out += static_cast<char>('0' + d);
    return out.empty() ? "none" : out;
}

// Faults of one step (or one puzzle), in the order found.
struct faults {
    std::vector<std::string> list;
    bool add(const std::string& text) {
        if (list.size() < 8) list.push_back(text);
        return false;
    }
    bool any() const { return !list.empty(); }
};

// Field readers: each says what is wrong when the field is not of its kind.
bool readCell(const json* v, int* cell) { return v != nullptr && v->kind == json::string && parseCell(v->text, cell); }
bool readUnit(const json* v, int* unit) { return v != nullptr && v->kind == json::string && parseUnit(v->text, unit); }
bool readDigit(const json* v, int* digit) {
    if (v == nullptr || !v->isInteger() || v->value < 1 || v->value > 9) return false;
    *digit = static_cast<int>(v->value);
    return true;
}
bool readIndex(const json* v, size_t size, size_t* index) {
    if (v == nullptr || !v->isInteger() || v->value < 0 || v->value >= static_cast<double>(size)) return false;
    *index = static_cast<size_t>(v->value);
    return true;
}

bool cellField(const json& o, const char* key, int* cell, faults& f) {
    return readCell(o.get(key), cell) || f.add(std::string("\"") + key + "\" is not a cell");
}
bool unitField(const json& o, const char* key, int* unit, faults& f) {
    return readUnit(o.get(key), unit) || f.add(std::string("\"") + key + "\" is not a unit");
}
bool digitField(const json& o, const char* key, int* digit, faults& f) {
    return readDigit(o.get(key), digit) || f.add(std::string("\"") + key + "\" is not a digit");
}
const json* arrayField(const json& o, const char* key, faults& f) {
    const json* v = o.get(key);
    if (v == nullptr || v->kind != json::array) {
        f.add(std::string("\"") + key + "\" is not an array");
        return nullptr;
    }
    return v;
}

// A list of distinct cells.
bool cellListField(const json& o, const char* key, std::vector<int>* cells, cellSet* set, faults& f) {
    const json* v = arrayField(o, key, f);
    if (v == nullptr) return false;
    for (const json& item : v->items) {
        int c = 0;
        if (!readCell(&item, &c)) return f.add(std::string("\"") + key + "\" holds something that is not a cell");
        if ((*set)[c]) return f.add(std::string("\"") + key + "\" names " + cellName(c) + " twice");
        set->set(c);
        cells->push_back(c);
    }
    return true;
}

// A list of distinct digits, as a mask.
bool digitListField(const json& o, const char* key, unsigned* mask, int* count, faults& f) {
    const json* v = arrayField(o, key, f);
    if (v == nullptr) return false;
    *mask = 0;
    *count = 0;
    for (const json& item : v->items) {
        int d = 0;
        if (!readDigit(&item, &d)) return f.add(std::string("\"") + key + "\" holds something that is not a digit");
        if (*mask & bit(d)) return f.add(std::string("\"") + key + "\" names " + std::to_string(d) + " twice");
        *mask |= bit(d);
        ++*count;
    }
    return true;
}

// A list of distinct units.
bool unitListField(const json& o, const char* key, std::vector<int>* units, faults& f) {
    const json* v = arrayField(o, key, f);
    if (v == nullptr) return false;
    for (const json& item : v->items) {
        int u = 0;
        if (!readUnit(&item, &u)) return f.add(std::string("\"") + key + "\" holds something that is not a unit");
        if (std::find(units->begin(), units->end(), u) != units->end())
            return f.add(std::string("\"") + key + "\" names " + unitName(u) + " twice");
        units->push_back(u);
    }
    return true;
}

// What a step does, read before its pattern is judged.
struct literal {
    int cell = 0, digit = 0;
    bool operator==(const literal& o) const { return cell == o.cell && digit == o.digit; }
};

struct stepView {
    const board& b;
    bool places = false;
    literal place;
    std::vector<literal> removes;
    cellSet digitCells[10];  // cells holding each digit as a candidate

    explicit stepView(const board& b) : b(b) {
        for (int c = 0; c < 81; c++)
            for (int d = 1; d <= 9; d++)
                if (b.has(c, d)) digitCells[d].set(c);
    }
};

// The pattern's own conclusion, for the kinds that place: the step must
// place exactly this, and remove nothing (checked with the step's shape).
bool mustPlace(const stepView& s, int cell, int digit, faults& f) {
    if (!s.places) return f.add("the pattern places " + literalName(cell, digit) + ", the step does not");
    if (s.place.cell != cell || s.place.digit != digit)
        return f.add("places " + literalName(s.place.cell, s.place.digit) + ", the pattern places " +
                     literalName(cell, digit));
    return true;
}
bool mustNotPlace(const stepView& s, faults& f) {
    return !s.places || f.add("places " + literalName(s.place.cell, s.place.digit) + ", the pattern only removes");
}

// ---------------------------------------------------------------- singles

void checkSingle(const json& p, const stepView& s, faults& f) {
    int cell = 0, digit = 0;
    if (!cellField(p, "cell", &cell, f) || !digitField(p, "digit", &digit, f)) return;
    if (!s.b.has(cell, digit)) {
        f.add(literalName(cell, digit) + " is not a candidate");
        return;
    }
    const json* unit = p.get("unit");
    if (unit == nullptr || unit->kind == json::null) {
        if (s.b.cand[cell] != bit(digit))
            f.add("not a naked single: " + cellName(cell) + " holds " + digitsText(s.b.cand[cell]));
    } else {
        int u = 0;
        if (!unitField(p, "unit", &u, f)) return;
        if (!unitCells(u)[cell]) {
            f.add(cellName(cell) + " is not in " + unitName(u));
            return;
        }
        const cellSet places = s.b.places(u, digit);
        if (places.count() != 1)
            f.add("not a hidden single: " + std::to_string(digit) + " has " + placesText(places.count()) + " in " +
                  unitName(u));
    }
    mustPlace(s, cell, digit, f);
}

// ---------------------------------------------------------------- fish

void checkFish(const json& p, const stepView& s, faults& f) {
    int digit = 0;
    std::vector<int> base, cover, finList;
    cellSet fins;
    if (!digitField(p, "digit", &digit, f) || !unitListField(p, "base", &base, f) ||
        !unitListField(p, "cover", &cover, f) || !cellListField(p, "fins", &finList, &fins, f))
        return;
    if (base.empty() || base.size() != cover.size()) {
        f.add(std::to_string(base.size()) + " base and " + std::to_string(cover.size()) + " cover units");
        return;
    }
    cellSet baseCells, coverCells;
    for (int u : base) {
        if ((baseCells & unitCells(u)).any()) return void(f.add("base units overlap at " + unitName(u)));
        // A base unit that already has the digit has no candidate of it: it
        // would hold vacuously while the fish's count fails.
        if (s.b.placedIn(u, digit))
            return void(f.add(std::to_string(digit) + " is already placed in base " + unitName(u)));
        baseCells |= unitCells(u);
    }
    for (int u : cover) {
        if ((coverCells & unitCells(u)).any()) return void(f.add("cover units overlap at " + unitName(u)));
        coverCells |= unitCells(u);
    }
    for (int c : finList)
        if (!s.b.has(c, digit) || !baseCells[c])
            return void(
                f.add("fin " + cellName(c) + " is not a candidate of " + std::to_string(digit) + " in a base unit"));
    const cellSet outside = s.digitCells[digit] & baseCells & ~coverCells & ~fins;
    for (int c = 0; c < 81; c++)
        if (outside[c])
            return void(f.add("candidate " + literalName(c, digit) + " of a base unit is in no cover unit and no fin"));
    const cellSet seen = seenByAll(fins);
    mustNotPlace(s, f);
    for (const literal& r : s.removes) {
        const std::string what = "removes " + literalName(r.cell, r.digit) + ": ";
        if (r.digit != digit) f.add(what + "not the fish's digit");
        else if (!coverCells[r.cell]) f.add(what + "in no cover unit");
        else if (baseCells[r.cell]) f.add(what + "in a base unit");
        else if (!seen[r.cell]) f.add(what + "does not see every fin");
    }
}

// ---------------------------------------------------------------- subsets

void checkSubset(const json& p, const stepView& s, faults& f) {
    const json* type = p.get("type");
    const bool naked = type != nullptr && type->kind == json::string && type->text == "naked";
    const bool hidden = type != nullptr && type->kind == json::string && type->text == "hidden";
    if (!naked && !hidden) return void(f.add("\"type\" is neither naked nor hidden"));
    int unit = 0, count = 0;
    unsigned digits = 0;
    std::vector<int> list;
    cellSet cells;
    if (!unitField(p, "unit", &unit, f) || !cellListField(p, "cells", &list, &cells, f) ||
        !digitListField(p, "digits", &digits, &count, f))
        return;
    if (list.size() < 2 || list.size() > 4 || static_cast<int>(list.size()) != count)
        return void(f.add(std::to_string(list.size()) + " cells and " + std::to_string(count) + " digits"));
    for (int c : list) {
        if (!unitCells(unit)[c]) return void(f.add(cellName(c) + " is not in " + unitName(unit)));
        if (!s.b.open(c)) return void(f.add(cellName(c) + " is not open"));
    }
    mustNotPlace(s, f);
    if (naked) {
        for (int c : list)
            if (s.b.cand[c] & ~digits)
                return void(f.add("not a naked subset: " + cellName(c) + " holds " + digitsText(s.b.cand[c])));
        const cellSet seen = seenByAll(cells);
        for (const literal& r : s.removes) {
            const std::string what = "removes " + literalName(r.cell, r.digit) + ": ";
            if (!(digits & bit(r.digit))) f.add(what + "not one of the subset's digits");
            else if (!seen[r.cell]) f.add(what + "does not see every cell of the subset");
        }
        return;
    }
    for (int d = 1; d <= 9; d++) {
        if (!(digits & bit(d))) continue;
        if (s.b.placedIn(unit, d)) return void(f.add(std::to_string(d) + " is already placed in " + unitName(unit)));
        const cellSet stray = s.b.places(unit, d) & ~cells;
        for (int c = 0; c < 81; c++)
            if (stray[c])
                return void(f.add("not a hidden subset: " + std::to_string(d) + " has a place at " + cellName(c)));
    }
    for (const literal& r : s.removes) {
        const std::string what = "removes " + literalName(r.cell, r.digit) + ": ";
        if (!cells[r.cell]) f.add(what + "not a cell of the subset");
        else if (digits & bit(r.digit)) f.add(what + "one of the subset's own digits");
    }
}

// ---------------------------------------------------------------- chains

struct node {
    int digit = 0;
    cellSet cells;
    int single = -1;  // its one cell, when it has one
    bool als = false;
    cellSet alsCells;
};

node candidateNode(int cell, int digit) {
    node n;
    n.digit = digit;
    n.cells.set(cell);
    n.single = cell;
    return n;
}

// Not both true.
bool weakLink(const node& a, const node& b) {
    if (a.digit == b.digit) return (a.cells & b.cells).none() && (b.cells & ~seenByAll(a.cells)).none();
    return a.single >= 0 && a.single == b.single;
}

// At least one true.
bool strongLink(const node& a, const node& b, const stepView& s) {
    if (a.digit == b.digit) {
        const cellSet both = a.cells | b.cells;
        for (int u = 0; u < 27; u++) {
            // A unit with no candidate of the digit (it is placed there) proves nothing.
            const cellSet places = unitCells(u) & s.digitCells[a.digit];
            if (places.any() && (places & ~both).none()) return true;
        }
        return false;
    }
    if (a.single >= 0 && a.single == b.single) return s.b.cand[a.single] == (bit(a.digit) | bit(b.digit));
    return a.als && b.als && a.alsCells == b.alsCells;
}

bool readNode(const json& v, const stepView& s, node* n, faults& f) {
    if (v.kind != json::object) return f.add("a node is not an object");
    std::vector<int> list;
    if (!digitField(v, "digit", &n->digit, f) || !cellListField(v, "cells", &list, &n->cells, f)) return false;
    if (list.empty()) return f.add("a node of " + std::to_string(n->digit) + " has no cells");
    for (int c : list)
        if (!s.b.has(c, n->digit)) return f.add("node " + literalName(c, n->digit) + " is not a candidate");
    if (list.size() == 1) n->single = list[0];
    if (v.get("als") == nullptr) return true;
    std::vector<int> alsList;
    if (!cellListField(v, "als", &alsList, &n->alsCells, f)) return false;
    n->als = true;
    const std::string name = "almost locked set of " + cellName(alsList.empty() ? 0 : alsList[0]);
    if (alsList.empty()) return f.add("an almost locked set has no cells");
    bool oneUnit = false;
    for (int u = 0; u < 27; u++) oneUnit = oneUnit || (n->alsCells & ~unitCells(u)).none();
    if (!oneUnit) return f.add("the " + name + " is not in one unit");
    unsigned digits = 0;
    for (int c : alsList) {
        if (!s.b.open(c)) return f.add("the " + name + " holds " + cellName(c) + ", which is not open");
        digits |= s.b.cand[c];
    }
    if (countBits(digits) != static_cast<int>(alsList.size()) + 1)
        return f.add("the " + name + " is not almost locked: " + std::to_string(alsList.size()) + " cells hold " +
                     digitsText(digits));
    if (n->cells != (n->alsCells & s.digitCells[n->digit]))
        return f.add("the node of " + std::to_string(n->digit) +
                     " is not the cells of its almost locked set holding it");
    return true;
}

bool inNoNode(const std::vector<node>& nodes, const literal& r) {
    for (const node& n : nodes)
        if (n.digit == r.digit && n.cells[r.cell]) return false;
    return true;
}

void checkChain(const json& p, const stepView& s, faults& f) {
    const json* nodeList = arrayField(p, "nodes", f);
    const json* linkList = arrayField(p, "links", f);
    const json* loop = p.get("loop");
    if (nodeList == nullptr || linkList == nullptr) return;
    const bool open = loop != nullptr && loop->kind == json::string && loop->text == "none";
    const bool continuous = loop != nullptr && loop->kind == json::string && loop->text == "continuous";
    const bool discontinuous = loop != nullptr && loop->kind == json::string && loop->text == "discontinuous";
    if (!open && !continuous && !discontinuous) return void(f.add("\"loop\" is not none, continuous or discontinuous"));
    if (nodeList->items.size() > kMaxNodes) return void(f.add("more than " + std::to_string(kMaxNodes) + " nodes"));
    std::vector<node> nodes(nodeList->items.size());
    for (size_t i = 0; i < nodes.size(); i++)
        if (!readNode(nodeList->items[i], s, &nodes[i], f)) return;
    const size_t links = linkList->items.size();
    if (nodes.size() < 2 || links != (open ? nodes.size() - 1 : nodes.size()))
        return void(f.add(std::to_string(nodes.size()) + " nodes and " + std::to_string(links) + " links"));
    std::vector<bool> strong(links);
    for (size_t i = 0; i < links; i++) {
        const json& l = linkList->items[i];
        if (l.kind != json::string || (l.text != "strong" && l.text != "weak"))
            return void(f.add("link " + std::to_string(i) + " is neither strong nor weak"));
        strong[i] = l.text == "strong";
        if (i > 0 && strong[i] == strong[i - 1]) return void(f.add("links " + std::to_string(i - 1) + " and " +
                                                                   std::to_string(i) + " do not alternate"));
        const node& a = nodes[i];
        const node& b = nodes[(i + 1) % nodes.size()];
        if (strong[i] ? !strongLink(a, b, s) : !weakLink(a, b))
            return void(f.add("link " + std::to_string(i) + " is not " + (strong[i] ? "strong" : "weak")));
    }
    if (open) {
        if (!strong[0] || !strong[links - 1]) return void(f.add("an open chain must start and end with a strong link"));
        mustNotPlace(s, f);
        for (const literal& r : s.removes) {
            const node rn = candidateNode(r.cell, r.digit);
            if (!inNoNode(nodes, r)) f.add("removes " + literalName(r.cell, r.digit) + ": a node of the chain");
            else if (!weakLink(rn, nodes.front()) || !weakLink(rn, nodes.back()))
                f.add("removes " + literalName(r.cell, r.digit) + ": not weakly linked to both ends");
        }
        return;
    }
    if (continuous) {
        if (links % 2 != 0) return void(f.add("a continuous loop needs an even number of links"));
        mustNotPlace(s, f);
        for (const literal& r : s.removes) {
            const node rn = candidateNode(r.cell, r.digit);
            bool linked = false;
            for (size_t i = 0; i < links && !linked; i++)
                linked = !strong[i] && weakLink(rn, nodes[i]) && weakLink(rn, nodes[(i + 1) % links]);
            if (!inNoNode(nodes, r)) f.add("removes " + literalName(r.cell, r.digit) + ": a node of the loop");
            else if (!linked)
                f.add("removes " + literalName(r.cell, r.digit) + ": not weakly linked to both nodes of a weak link");
        }
        return;
    }
    // Discontinuous: odd, so the two links at nodes[0] are of one kind.
    if (links % 2 == 0 || links < 3) return void(f.add("a discontinuous loop needs an odd number of links, 3 or more"));
    if (nodes[0].single < 0) return void(f.add("the first node of a discontinuous loop must be one cell"));
    const literal first{nodes[0].single, nodes[0].digit};
    if (strong[0]) {
        mustPlace(s, first.cell, first.digit, f);
        return;
    }
    mustNotPlace(s, f);
    for (const literal& r : s.removes)
        if (!(r == first)) f.add("removes " + literalName(r.cell, r.digit) + ": the loop removes only " +
                                 literalName(first.cell, first.digit));
}

// ---------------------------------------------------------------- colouring

void checkColouring(const json& p, const stepView& s, faults& f) {
    const json* nodeList = arrayField(p, "nodes", f);
    const json* linkList = arrayField(p, "links", f);
    if (nodeList == nullptr || linkList == nullptr) return;
    const size_t n = nodeList->items.size();
    if (n < 2) return void(f.add("a cluster needs two nodes or more"));
    if (n > kMaxNodes) return void(f.add("more than " + std::to_string(kMaxNodes) + " nodes"));
    std::vector<node> nodes(n);
    std::vector<int> colour(n);
    for (size_t i = 0; i < n; i++) {
        const json& v = nodeList->items[i];
        int cell = 0, digit = 0;
        if (v.kind != json::object) return void(f.add("a node is not an object"));
        if (!cellField(v, "cell", &cell, f) || !digitField(v, "digit", &digit, f)) return;
        const json* c = v.get("colour");
        if (c == nullptr || !c->isInteger() || (c->value != 0 && c->value != 1))
            return void(f.add("node " + std::to_string(i) + "'s \"colour\" is neither 0 nor 1"));
        if (!s.b.has(cell, digit)) return void(f.add("node " + literalName(cell, digit) + " is not a candidate"));
        nodes[i] = candidateNode(cell, digit);
        colour[i] = static_cast<int>(c->value);
        for (size_t j = 0; j < i; j++)
            if (nodes[j].single == cell && nodes[j].digit == digit)
                return void(f.add("node " + literalName(cell, digit) + " is listed twice"));
    }
    // Every link must be conjugate (exactly one true), or the colours prove nothing.
    std::vector<size_t> parent(n);
    for (size_t i = 0; i < n; i++) parent[i] = i;
    auto root = [&](size_t i) {
        while (parent[i] != i) i = parent[i] = parent[parent[i]];
        return i;
    };
    for (const json& l : linkList->items) {
        size_t a = 0, b = 0;
        if (l.kind != json::array || l.items.size() != 2 || !readIndex(&l.items[0], n, &a) ||
            !readIndex(&l.items[1], n, &b))
            return void(f.add("a link is not two node numbers"));
        const std::string name = literalName(nodes[a].single, nodes[a].digit) + " - " +
                                 literalName(nodes[b].single, nodes[b].digit);
        if (colour[a] == colour[b]) return void(f.add("link " + name + " joins nodes of one colour"));
        if (!strongLink(nodes[a], nodes[b], s) || !weakLink(nodes[a], nodes[b]))
            return void(f.add("link " + name + " is not a strong link"));
        parent[root(a)] = root(b);
    }
    for (size_t i = 1; i < n; i++)
        if (root(i) != root(0)) return void(f.add("the links do not join every node into one cluster"));
    mustNotPlace(s, f);
    const json* falseColour = p.get("false");
    if (falseColour != nullptr && falseColour->kind != json::null) {
        if (!falseColour->isInteger() || (falseColour->value != 0 && falseColour->value != 1))
            return void(f.add("\"false\" is neither 0, 1 nor null"));
        const int k = static_cast<int>(falseColour->value);
        const json* because = p.get("because");
        size_t a = 0, b = 0;
        if (because == nullptr || because->kind != json::array || because->items.size() != 2 ||
            !readIndex(&because->items[0], n, &a) || !readIndex(&because->items[1], n, &b))
            return void(f.add("\"because\" is not two node numbers"));
        if (a == b || colour[a] != k || colour[b] != k || !weakLink(nodes[a], nodes[b]))
            return void(f.add("colour " + std::to_string(k) + " is not proved false: nodes " + std::to_string(a) +
                              " and " + std::to_string(b) + " are not two weakly linked nodes of that colour"));
        for (const literal& r : s.removes) {
            bool ofColour = false;
            for (size_t i = 0; i < n; i++)
                ofColour = ofColour || (colour[i] == k && nodes[i].single == r.cell && nodes[i].digit == r.digit);
            if (!ofColour) f.add("removes " + literalName(r.cell, r.digit) + ": not a node of the false colour");
        }
        return;
    }
    for (const literal& r : s.removes) {
        const node rn = candidateNode(r.cell, r.digit);
        bool seesColour[2] = {false, false}, isNode = false;
        for (size_t i = 0; i < n; i++) {
            isNode = isNode || (nodes[i].single == r.cell && nodes[i].digit == r.digit);
            if (weakLink(rn, nodes[i])) seesColour[colour[i]] = true;
        }
        if (isNode) f.add("removes " + literalName(r.cell, r.digit) + ": a node of the cluster");
        else if (!seesColour[0] || !seesColour[1])
            f.add("removes " + literalName(r.cell, r.digit) + ": not weakly linked to a node of each colour");
    }
}

// ---------------------------------------------------------------- forcing

struct fact {
    int cell = 0, digit = 0;
    bool value = false;
};

std::string factName(const fact& x) { return literalName(x.cell, x.digit) + (x.value ? " true" : " false"); }

bool readFact(const json& v, const stepView& s, fact* x, faults& f) {
    if (v.kind != json::object) return f.add("a literal is not an object");
    const json* value = v.get("value");
    if (!cellField(v, "cell", &x->cell, f) || !digitField(v, "digit", &x->digit, f)) return false;
    if (value == nullptr || value->kind != json::boolean) return f.add("a literal's \"value\" is not true or false");
    x->value = value->flag;
    return s.b.has(x->cell, x->digit) || f.add("literal " + literalName(x->cell, x->digit) + " is not a candidate");
}

// "because": literals of the branch before `before`.
bool readBecause(const json& v, size_t before, std::vector<size_t>* out, faults& f) {
    const json* list = v.get("because");
    if (list == nullptr || list->kind != json::array) return f.add("\"because\" is not an array");
    if (list->items.size() > 81) return f.add("\"because\" is too long");
    for (const json& item : list->items) {
        size_t i = 0;
        if (!readIndex(&item, before, &i)) return f.add("\"because\" names a literal that does not come before");
        out->push_back(i);
    }
    return true;
}

// The premises must be one false literal for each cell of `want` (for a
// digit), or for each digit of `wantDigits` (in a cell), and nothing else.
bool coversCells(const std::vector<fact>& lits, const std::vector<size_t>& because, int digit, const cellSet& want,
                 const std::string& what, faults& f) {
    cellSet got;
    for (size_t i : because) {
        const fact& x = lits[i];
        if (x.value || x.digit != digit || !want[x.cell] || got[x.cell])
            return f.add(what + ": premise " + factName(x) + " is not one of the other places, false");
        got.set(x.cell);
    }
    const cellSet missing = want & ~got;
    for (int c = 0; c < 81; c++)
        if (missing[c]) return f.add(what + ": no premise says " + literalName(c, digit) + " is false");
    return true;
}
bool coversDigits(const std::vector<fact>& lits, const std::vector<size_t>& because, int cell, unsigned want,
                  const std::string& what, faults& f) {
    unsigned got = 0;
    for (size_t i : because) {
        const fact& x = lits[i];
        if (x.value || x.cell != cell || !(want & bit(x.digit)) || (got & bit(x.digit)))
            return f.add(what + ": premise " + factName(x) + " is not one of the other candidates, false");
        got |= bit(x.digit);
    }
    if (want & ~got)
        return f.add(what + ": no premise says " + literalName(cell, __builtin_ctz(want & ~got)) + " is false");
    return true;
}

// Two true literals that cannot both hold: one cell, two digits, or one
// digit in two cells that see each other.
bool exclusive(const fact& a, const fact& b) {
    if (a.cell == b.cell) return a.digit != b.digit;
    return a.digit == b.digit && sees(a.cell, b.cell);
}

// Reads and checks one branch; *lits gets its literals. *contradiction
// tells how it ends.
bool checkBranch(const json& v, const stepView& s, std::vector<fact>* lits, bool* contradiction, faults& f) {
    if (v.kind != json::object) return f.add("a branch is not an object");
    const json* assume = v.get("assume");
    fact a;
    if (assume == nullptr) return f.add("a branch has no \"assume\"");
    if (!readFact(*assume, s, &a, f)) return false;
    lits->push_back(a);
    const json* implications = arrayField(v, "implications", f);
    if (implications == nullptr) return false;
    const std::string head = "branch " + factName(a);
    for (const json& imp : implications->items) {
        fact x;
        if (!readFact(imp, s, &x, f)) return false;
        std::vector<size_t> because;
        if (!readBecause(imp, lits->size(), &because, f)) return false;
        const std::string what = head + ", " + factName(x);
        const json* rule = imp.get("rule");
        const std::string name = rule != nullptr && rule->kind == json::string ? rule->text : "";
        if (name == "peer") {
            if (x.value) return f.add(what + ": a peer rule only makes literals false");
            if (because.size() != 1) return f.add(what + ": a peer rule needs one premise");
            const fact& y = (*lits)[because[0]];
            fact asTrue = x;
            asTrue.value = true;
            if (!y.value || !exclusive(y, asTrue))
                return f.add(what + ": premise " + factName(y) + " does not exclude it");
        } else if (name == "cell") {
            if (!x.value) return f.add(what + ": a cell rule only makes literals true");
            if (!coversDigits(*lits, because, x.cell, s.b.cand[x.cell] & ~bit(x.digit), what, f)) return false;
        } else if (name == "unit") {
            int u = 0;
            if (!x.value) return f.add(what + ": a unit rule only makes literals true");
            if (!unitField(imp, "unit", &u, f)) return false;
            if (!unitCells(u)[x.cell]) return f.add(what + ": not in " + unitName(u));
            cellSet others = s.b.places(u, x.digit);
            others.reset(x.cell);
            if (!coversCells(*lits, because, x.digit, others, what, f)) return false;
        } else {
            return f.add(what + ": unknown rule \"" + name + "\"");
        }
        lits->push_back(x);
    }
    const json* ends = v.get("ends");
    const std::string end = ends != nullptr && ends->kind == json::string ? ends->text : "";
    if (end == "conclusion") {
        *contradiction = false;
        return true;
    }
    if (end != "contradiction") return f.add(head + ": \"ends\" is neither conclusion nor contradiction");
    *contradiction = true;
    const json* c = v.get("contradiction");
    if (c == nullptr || c->kind != json::object) return f.add(head + ": no \"contradiction\"");
    std::vector<size_t> because;
    if (!readBecause(*c, lits->size(), &because, f)) return false;
    const json* rule = c->get("rule");
    const std::string name = rule != nullptr && rule->kind == json::string ? rule->text : "";
    const std::string what = head + ", contradiction by " + name;
    if (name == "literal" || name == "peers") {
        if (because.size() != 2) return f.add(what + ": needs two literals");
        const fact& x = (*lits)[because[0]];
        const fact& y = (*lits)[because[1]];
        if (name == "literal" && !(x.cell == y.cell && x.digit == y.digit && x.value != y.value))
            return f.add(what + ": " + factName(x) + " and " + factName(y) + " do not clash");
        if (name == "peers" && !(x.value && y.value && exclusive(x, y)))
            return f.add(what + ": " + factName(x) + " and " + factName(y) + " do not clash");
        return true;
    }
    if (name == "cell") {
        int cell = 0;
        if (!cellField(*c, "cell", &cell, f)) return false;
        // A filled cell has no candidates, and proves nothing by having none.
        if (!s.b.open(cell)) return f.add(what + ": " + cellName(cell) + " is not open");
        return coversDigits(*lits, because, cell, s.b.cand[cell], what, f);
    }
    if (name == "unit") {
        int unit = 0, digit = 0;
        if (!unitField(*c, "unit", &unit, f) || !digitField(*c, "digit", &digit, f)) return false;
        if (s.b.placedIn(unit, digit))
            return f.add(what + ": " + std::to_string(digit) + " is placed in " + unitName(unit));
        return coversCells(*lits, because, digit, s.b.places(unit, digit), what, f);
    }
    return f.add(head + ": unknown contradiction rule \"" + name + "\"");
}

void checkForcing(const json& p, const stepView& s, faults& f) {
    const json* over = p.get("over");
    const std::string kind = over != nullptr && over->kind == json::string ? over->text : "";
    const json* branchList = arrayField(p, "branches", f);
    if (branchList == nullptr) return;
    if (kind != "cell" && kind != "unit" && kind != "contradiction")
        return void(f.add("\"over\" is not cell, unit or contradiction"));
    // One branch for each candidate of a cell or place in a unit at most.
    if (branchList->items.size() > 9) return void(f.add("more than nine branches"));
    std::vector<std::vector<fact>> lits(branchList->items.size());
    std::vector<bool> contradiction(lits.size());
    for (size_t i = 0; i < lits.size(); i++) {
        bool ends = false;
        if (!checkBranch(branchList->items[i], s, &lits[i], &ends, f)) return;
        contradiction[i] = ends;
    }
    if (kind == "contradiction") {
        if (lits.size() != 1) return void(f.add("a contradiction needs one branch"));
        if (!contradiction[0]) return void(f.add("the branch does not end in a contradiction"));
        const fact& a = lits[0][0];
        if (!a.value) {
            mustPlace(s, a.cell, a.digit, f);
            return;
        }
        mustNotPlace(s, f);
        for (const literal& r : s.removes)
            if (r.cell != a.cell || r.digit != a.digit)
                f.add("removes " + literalName(r.cell, r.digit) + ": the contradiction removes only " +
                      literalName(a.cell, a.digit));
        return;
    }
    // The branches must be every possibility: each candidate of the cell, or
    // each place of the digit in the unit, assumed true.
    if (kind == "cell") {
        int cell = 0;
        if (!cellField(p, "cell", &cell, f)) return;
        if (!s.b.open(cell)) return void(f.add(cellName(cell) + " is not open"));
        unsigned got = 0;
        for (const auto& branch : lits) {
            const fact& a = branch[0];
            if (a.cell != cell || !a.value || (got & bit(a.digit)))
                return void(
                    f.add("branch " + factName(a) + " is not another candidate of " + cellName(cell) + ", true"));
            got |= bit(a.digit);
        }
        if (got != s.b.cand[cell])
            return void(f.add("the branches assume " + digitsText(got) + ", " + cellName(cell) + " holds " +
                              digitsText(s.b.cand[cell])));
    } else {
        int unit = 0, digit = 0;
        if (!unitField(p, "unit", &unit, f) || !digitField(p, "digit", &digit, f)) return;
        if (s.b.placedIn(unit, digit)) return void(f.add(std::to_string(digit) + " is placed in " + unitName(unit)));
        const cellSet places = s.b.places(unit, digit);
        cellSet got;
        for (const auto& branch : lits) {
            const fact& a = branch[0];
            if (a.digit != digit || !a.value || !places[a.cell] || got[a.cell])
                return void(f.add("branch " + factName(a) + " is not another place of " + std::to_string(digit) +
                                  " in " + unitName(unit) + ", true"));
            got.set(a.cell);
        }
        if (got != places)
            return void(f.add("the branches miss a place of " + std::to_string(digit) + " in " + unitName(unit)));
    }
    bool anyHolds = false;
    for (size_t i = 0; i < lits.size(); i++) {
        if (contradiction[i]) continue;
        anyHolds = true;
        // Each literal of the branch, as bit 0 (false) and bit 1 (true) of its candidate.
        std::vector<unsigned char> known(81 * 10, 0);
        for (const fact& x : lits[i]) known[x.cell * 10 + x.digit] |= static_cast<unsigned char>(x.value ? 2 : 1);
        const std::string head = "branch " + factName(lits[i][0]);
        if (s.places && !(known[s.place.cell * 10 + s.place.digit] & 2))
            f.add(head + " does not conclude " + literalName(s.place.cell, s.place.digit) + " true");
        for (const literal& r : s.removes)
            if (!(known[r.cell * 10 + r.digit] & 1))
                f.add(head + " does not conclude " + literalName(r.cell, r.digit) + " false");
    }
    if (!anyHolds) f.add("every branch ends in a contradiction");
}

// ---------------------------------------------------------------- uniqueness

void checkRectangle(const json& p, const stepView& s, bool unique, faults& f) {
    if (!unique) return void(f.add("a unique rectangle needs givens with one solution"));
    const json* typeValue = p.get("type");
    if (typeValue == nullptr || !typeValue->isInteger() || typeValue->value < 1 || typeValue->value > 4)
        return void(f.add("\"type\" is not 1-4"));
    const int type = static_cast<int>(typeValue->value);
    std::vector<int> list, roofList;
    cellSet cells, roof;
    unsigned digits = 0;
    int count = 0;
    if (!cellListField(p, "cells", &list, &cells, f) || !digitListField(p, "digits", &digits, &count, f) ||
        !cellListField(p, "roof", &roofList, &roof, f))
        return;
    if (list.size() != 4 || count != 2) return void(f.add("a rectangle is four cells and two digits"));
    unsigned rows = 0, columns = 0, boxes = 0;
    for (int c : list) {
        rows |= 1u << rowOf(c);
        columns |= 1u << columnOf(c);
        boxes |= 1u << boxOf(c);
        if (!s.b.open(c)) return void(f.add(cellName(c) + " is not open"));
        if ((s.b.cand[c] & digits) != digits)
            return void(f.add(cellName(c) + " does not hold both " + digitsText(digits)));
    }
    if (countBits(rows) != 2 || countBits(columns) != 2)
        return void(f.add("the cells are not in two rows and two columns"));
    if (countBits(boxes) != 2) return void(f.add("the cells are in " + std::to_string(countBits(boxes)) + " boxes"));
    if ((roof & ~cells).any() || roofList.empty()) return void(f.add("the roof is not some of the rectangle's cells"));
    unsigned extra = 0;
    for (int c : list) {
        if (roof[c] && s.b.cand[c] == digits)
            return void(f.add("roof cell " + cellName(c) + " holds only " + digitsText(digits)));
        if (!roof[c] && s.b.cand[c] != digits)
            return void(f.add("floor cell " + cellName(c) + " holds " + digitsText(s.b.cand[c])));
        if (roof[c]) extra |= s.b.cand[c] & ~digits;
    }
    mustNotPlace(s, f);
    if (type == 1) {
        if (roofList.size() != 1) return void(f.add("type 1 has one roof cell"));
        for (const literal& r : s.removes)
            if (!roof[r.cell] || !(digits & bit(r.digit)))
                f.add("removes " + literalName(r.cell, r.digit) + ": not a rectangle digit in the roof");
        return;
    }
    if (roofList.size() != 2) return void(f.add("type " + std::to_string(type) + " has two roof cells"));
    const int r1 = roofList[0], r2 = roofList[1];
    if (rowOf(r1) != rowOf(r2) && columnOf(r1) != columnOf(r2))
        return void(f.add("the roof cells share no row or column"));
    if (type == 2) {
        int z = 0;
        if (!digitField(p, "extra", &z, f)) return;
        if ((digits & bit(z)) || s.b.cand[r1] != (digits | bit(z)) || s.b.cand[r2] != (digits | bit(z)))
            return void(f.add("the roof cells do not hold the rectangle's digits and " + std::to_string(z) + " only"));
        for (const literal& r : s.removes)
            if (r.digit != z || !sees(r.cell, r1) || !sees(r.cell, r2))
                f.add("removes " + literalName(r.cell, r.digit) +
                      ": not the extra digit in a cell seeing both roof cells");
        return;
    }
    int unit = 0;
    if (type == 3) {
        const json* subset = p.get("subset");
        if (subset == nullptr || subset->kind != json::object) return void(f.add("no \"subset\""));
        std::vector<int> subsetList;
        cellSet subsetCells;
        unsigned subsetDigits = 0;
        int subsetCount = 0;
        if (!unitField(*subset, "unit", &unit, f) || !cellListField(*subset, "cells", &subsetList, &subsetCells, f) ||
            !digitListField(*subset, "digits", &subsetDigits, &subsetCount, f))
            return;
        if (!unitCells(unit)[r1] || !unitCells(unit)[r2])
            return void(f.add(unitName(unit) + " does not hold both roof cells"));
        if (subsetList.empty() || subsetCount != static_cast<int>(subsetList.size()) + 1)
            return void(f.add("the subset has " + std::to_string(subsetList.size()) + " cells and " +
                              std::to_string(subsetCount) + " digits"));
        for (int c : subsetList) {
            if (!unitCells(unit)[c] || roof[c] || !s.b.open(c))
                return void(f.add("subset cell " + cellName(c) + " is not an open cell of " + unitName(unit) +
                                  " off the roof"));
            if (s.b.cand[c] & ~subsetDigits)
                return void(f.add("subset cell " + cellName(c) + " holds " + digitsText(s.b.cand[c])));
        }
        if (extra & ~subsetDigits)
            return void(f.add("the roof's extra digits " + digitsText(extra) + " are not all in the subset"));
        for (const literal& r : s.removes)
            if (!(subsetDigits & bit(r.digit)) || !unitCells(unit)[r.cell] || roof[r.cell] || subsetCells[r.cell])
                f.add("removes " + literalName(r.cell, r.digit) + ": not a subset digit in another cell of " +
                      unitName(unit));
        return;
    }
    int x = 0;
    if (!digitField(p, "strong", &x, f) || !unitField(p, "unit", &unit, f)) return;
    if (!(digits & bit(x))) return void(f.add("\"strong\" is not one of the rectangle's digits"));
    if (!unitCells(unit)[r1] || !unitCells(unit)[r2])
        return void(f.add(unitName(unit) + " does not hold both roof cells"));
    if (s.b.places(unit, x) != roof)
        return void(f.add(std::to_string(x) + " has other places in " + unitName(unit) + " than the roof cells"));
    const int y = __builtin_ctz(digits & ~bit(x));
    for (const literal& r : s.removes)
        if (r.digit != y || !roof[r.cell])
            f.add("removes " + literalName(r.cell, r.digit) + ": not " + std::to_string(y) + " in the roof");
}

void checkBug(const json& p, const stepView& s, bool unique, faults& f) {
    if (!unique) return void(f.add("a bug needs givens with one solution"));
    int cell = 0, digit = 0;
    if (!cellField(p, "cell", &cell, f) || !digitField(p, "digit", &digit, f)) return;
    if (!s.b.has(cell, digit) || countBits(s.b.cand[cell]) != 3)
        return void(f.add(cellName(cell) + " does not hold three candidates with " + std::to_string(digit)));
    unsigned cand[81];
    for (int c = 0; c < 81; c++) {
        cand[c] = s.b.cand[c];
        if (c != cell && s.b.open(c) && countBits(cand[c]) != 2)
            return void(f.add(cellName(c) + " holds " + digitsText(cand[c]) + ", not two candidates"));
    }
    cand[cell] &= ~bit(digit);
    for (int u = 0; u < 27; u++)
        for (int d = 1; d <= 9; d++) {
            int places = 0;
            for (int c = 0; c < 81; c++) places += unitCells(u)[c] && (cand[c] & bit(d)) ? 1 : 0;
            if (places != 0 && places != 2)
                return void(
                    f.add("without it, " + std::to_string(d) + " has " + placesText(places) + " in " + unitName(u)));
        }
    mustPlace(s, cell, digit, f);
}

// ---------------------------------------------------------------- steps

struct puzzleState {
    board b;
    int solution[81] = {};
    bool unique = false;
    double hardest = 0;
    bool haveHardest = false;
};

// Checks the step and applies what of it can be applied, so that the steps
// after a failed one are judged on the grid the solver believed in.
void checkStep(const json& step, size_t index, puzzleState& ps, faults& f) {
    if (step.kind != json::object) return void(f.add("the step is not an object"));
    const json* number = step.get("step");
    if (number == nullptr || !number->isInteger() || number->value != static_cast<double>(index + 1))
        f.add("is not numbered " + std::to_string(index + 1));
    const json* difficulty = step.get("difficulty");
    if (difficulty == nullptr || difficulty->kind != json::number) f.add("\"difficulty\" is not a number");
    else if (ps.haveHardest && difficulty->value > ps.hardest)
        f.add("difficulty " + numberText(difficulty->value) + " exceeds numbers.hardest " + numberText(ps.hardest));

    stepView s(ps.b);
    const json* place = step.get("place");
    if (place != nullptr && place->kind != json::null) {
        if (place->kind != json::object || !cellField(*place, "cell", &s.place.cell, f) ||
            !digitField(*place, "digit", &s.place.digit, f))
            return void(f.add("\"place\" is not a cell and a digit"));
        s.places = true;
    }
    const json* removes = step.get("removes");
    if (removes == nullptr || removes->kind != json::array) return void(f.add("\"removes\" is not an array"));
    bool listed[81 * 10] = {};
    for (const json& r : removes->items) {
        literal x;
        if (r.kind != json::object || !cellField(r, "cell", &x.cell, f) || !digitField(r, "digit", &x.digit, f))
            return void(f.add("a removal is not a cell and a digit"));
        if (listed[x.cell * 10 + x.digit])
            return void(f.add("removes " + literalName(x.cell, x.digit) + " twice"));
        listed[x.cell * 10 + x.digit] = true;
        s.removes.push_back(x);
    }

    if (s.places && !s.removes.empty()) f.add("places and removes");
    if (!s.places && s.removes.empty()) f.add("neither places nor removes");
    if (s.places) {
        if (!ps.b.has(s.place.cell, s.place.digit))
            f.add("places " + literalName(s.place.cell, s.place.digit) + ", not a candidate");
        if (ps.solution[s.place.cell] != s.place.digit)
            f.add("places " + literalName(s.place.cell, s.place.digit) + ", the solution has " +
                  std::to_string(ps.solution[s.place.cell]));
    }
    for (const literal& r : s.removes) {
        if (!ps.b.has(r.cell, r.digit)) f.add("removes " + literalName(r.cell, r.digit) + ", not a candidate");
        else if (ps.solution[r.cell] == r.digit)
            f.add("removes " + literalName(r.cell, r.digit) + ", the solution's digit");
    }

    const json* pattern = step.get("pattern");
    const json* kind = pattern != nullptr ? pattern->get("kind") : nullptr;
    const std::string name = kind != nullptr && kind->kind == json::string ? kind->text : "";
    if (name == "single") checkSingle(*pattern, s, f);
    else if (name == "fish") checkFish(*pattern, s, f);
    else if (name == "subset") checkSubset(*pattern, s, f);
    else if (name == "chain") checkChain(*pattern, s, f);
    else if (name == "colouring") checkColouring(*pattern, s, f);
    else if (name == "forcing") checkForcing(*pattern, s, f);
    else if (name == "rectangle") checkRectangle(*pattern, s, ps.unique, f);
    else if (name == "bug") checkBug(*pattern, s, ps.unique, f);
    else f.add("no pattern of a known kind");

    for (const literal& r : s.removes)
        if (ps.b.has(r.cell, r.digit)) ps.b.remove(r.cell, r.digit);
    if (s.places && ps.b.has(s.place.cell, s.place.digit)) ps.b.place(s.place.cell, s.place.digit);
}

const char* solutionsText(int count) { return count == 0 ? "0" : count == 1 ? "1" : "2 or more"; }

// Control characters would break the one line a failure gets.
std::string printable(const std::string& text) {
    std::string out;
    for (char c : text.substr(0, 200)) out += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? '?' : c;
    return out;
}

void checkEnd(const json& object, const board& b, faults& f) {
    int openCount = 0;
    cellSet open;
    for (int c = 0; c < 81; c++)
        if (b.open(c)) {
            open.set(c);
            openCount++;
        }
    const json* solved = object.get("solved");
    if (solved == nullptr || solved->kind != json::boolean) f.add("\"solved\" is not true or false");
    else if (solved->flag != (openCount == 0))
        f.add(std::string("\"solved\" is ") + (solved->flag ? "true" : "false") + ", the replay leaves " +
              std::to_string(openCount) + " open cells");
    std::vector<int> list;
    cellSet named;
    if (!cellListField(object, "open", &list, &named, f)) return;
    if (named != open) {
        const cellSet wrong = named ^ open;
        for (int c = 0; c < 81; c++)
            if (wrong[c]) {
                f.add(std::string("\"open\" ") + (named[c] ? "names " : "misses ") + cellName(c) +
                      ", which the replay leaves " + (open[c] ? "open" : "filled"));
                break;
            }
    }
}

}  // namespace

// ---------------------------------------------------------------- geometry

int rowOf(int cell) { return cell / 9; }
int columnOf(int cell) { return cell % 9; }
int boxOf(int cell) { return cell / 27 * 3 + cell % 9 / 3; }
const cellSet& unitCells(int unit) { return geo().units[unit]; }
const cellSet& peersOf(int cell) { return geo().peers[cell]; }
bool sees(int a, int b) { return geo().peers[a][b]; }

std::string cellName(int cell) {
    return "r" + std::to_string(rowOf(cell) + 1) + "c" + std::to_string(columnOf(cell) + 1);
}

std::string unitName(int unit) {
    static const char* const kinds[] = {"row ", "column ", "box "};
    return kinds[unit / 9] + std::to_string(unit % 9 + 1);
}

bool parseCell(const std::string& text, int* cell) {
    if (text.size() != 4 || text[0] != 'r' || text[2] != 'c' || text[1] < '1' || text[1] > '9' || text[3] < '1' ||
        text[3] > '9')
        return false;
    *cell = (text[1] - '1') * 9 + (text[3] - '1');
    return true;
}

bool parseUnit(const std::string& text, int* unit) {
    static const char* const kinds[] = {"row ", "column ", "box "};
    for (int k = 0; k < 3; k++) {
        const size_t n = std::strlen(kinds[k]);
        if (text.size() == n + 1 && text.compare(0, n, kinds[k]) == 0 && text[n] >= '1' && text[n] <= '9') {
            *unit = k * 9 + (text[n] - '1');
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- the board

cellSet board::places(int unit, int digit) const {
    cellSet out;
    for (int c = 0; c < 81; c++)
        if (unitCells(unit)[c] && has(c, digit)) out.set(c);
    return out;
}

bool board::placedIn(int unit, int digit) const {
    for (int c = 0; c < 81; c++)
        if (unitCells(unit)[c] && value[c] == digit) return true;
    return false;
}

void board::remove(int cell, int digit) { cand[cell] &= ~bit(digit); }

void board::place(int cell, int digit) {
    value[cell] = digit;
    cand[cell] = 0;
    for (int c = 0; c < 81; c++)
        if (peersOf(cell)[c]) cand[c] &= ~bit(digit);
}

bool parseGivens(const std::string& text, board* out) {
    if (text.size() != 81) return false;
    *out = board();
    for (int c = 0; c < 81; c++) {
        if (text[c] == '.') continue;
        if (text[c] < '1' || text[c] > '9') return false;
        out->value[c] = text[c] - '0';
    }
    for (int c = 0; c < 81; c++) {
        if (out->value[c] != 0) continue;
        out->cand[c] = kAllDigits;
        for (int p = 0; p < 81; p++)
            if (peersOf(c)[p] && out->value[p] != 0) out->cand[c] &= ~bit(out->value[p]);
    }
    return true;
}

// ---------------------------------------------------------------- counting

namespace {

// Depth first over the open cell with the fewest candidates, after the
// naked and hidden singles of each node: fast on every 9x9 grid, and a
// budget still bounds it.
struct counter {
    int limit = 2;
    long budget = 100000;
    int found = 0;
    int first[81] = {};

    // Fills singles; false on a contradiction.
    static bool propagate(int value[81]) {
        for (bool changed = true; changed;) {
            changed = false;
            unsigned used[27] = {};
            for (int c = 0; c < 81; c++) {
                if (value[c] == 0) continue;
                const unsigned b = bit(value[c]);
                const int units[3] = {rowOf(c), 9 + columnOf(c), 18 + boxOf(c)};
                for (int u : units) {
                    if (used[u] & b) return false;
                    used[u] |= b;
                }
            }
            for (int c = 0; c < 81 && !changed; c++) {
                if (value[c] != 0) continue;
                const unsigned cand = kAllDigits & ~(used[rowOf(c)] | used[9 + columnOf(c)] | used[18 + boxOf(c)]);
                if (cand == 0) return false;
                if (countBits(cand) == 1) {
                    value[c] = __builtin_ctz(cand);
                    changed = true;
                }
            }
            for (int u = 0; u < 27 && !changed; u++)
                for (int d = 1; d <= 9 && !changed; d++) {
                    if (used[u] & bit(d)) continue;
                    int count = 0, where = -1;
                    for (int c = 0; c < 81; c++)
                        if (unitCells(u)[c] && value[c] == 0 &&
                            !((used[rowOf(c)] | used[9 + columnOf(c)] | used[18 + boxOf(c)]) & bit(d))) {
                            count++;
                            where = c;
                        }
                    if (count == 0) return false;
                    if (count == 1) {
                        value[where] = d;
                        changed = true;
                    }
                }
        }
        return true;
    }

    void run(const int given[81]) {
        if (found >= limit || --budget < 0) return;
        int value[81];
        std::copy(given, given + 81, value);
        if (!propagate(value)) return;
        int best = -1, bestCount = 10;
        unsigned bestCand = 0;
        for (int c = 0; c < 81; c++) {
            if (value[c] != 0) continue;
            unsigned cand = kAllDigits;
            for (int p = 0; p < 81; p++)
                if (peersOf(c)[p] && value[p] != 0) cand &= ~bit(value[p]);
            if (countBits(cand) < bestCount) {
                best = c;
                bestCount = countBits(cand);
                bestCand = cand;
            }
        }
        if (best < 0) {
            if (found++ == 0) std::copy(value, value + 81, first);
            return;
        }
        for (int d = 1; d <= 9 && found < limit && budget >= 0; d++)
            if (bestCand & bit(d)) {
                value[best] = d;
                run(value);
            }
    }
};

}  // namespace

int countSolutions(const board& givens, int limit, int solution[81]) {
    counter k;
    k.limit = limit;
    k.run(givens.value);
    if (k.budget < 0 && k.found < limit) return -1;
    if (k.found > 0) std::copy(k.first, k.first + 81, solution);
    return k.found;
}

// ---------------------------------------------------------------- puzzles

void checkPuzzle(const json& object, const std::string& fallbackWhere, checkTotals* totals,
                 std::vector<std::string>* lines) {
    totals->puzzles++;
    const json* whereValue = object.get("where");
    const std::string where =
        printable(whereValue != nullptr && whereValue->kind == json::string ? whereValue->text : fallbackWhere);
    auto report = [&](const std::string& prefix, const faults& f) {
        if (!f.any()) return;
        std::string line = where + ": " + prefix;
        for (size_t i = 0; i < f.list.size(); i++) line += (i ? "; " : "") + printable(f.list[i]);
        lines->push_back(line);
        totals->failed++;
    };
    faults top;
    if (object.kind != json::object) {
        top.add("not a JSON object");
        return report("", top);
    }
    const json* error = object.get("error");
    const bool hasError = error != nullptr && error->kind != json::null;
    const json* steps = object.get("steps");
    if (steps != nullptr && steps->kind != json::array) {
        top.add("\"steps\" is not an array");
        return report("", top);
    }
    const bool hasSteps = steps != nullptr && !steps->items.empty();

    puzzleState ps;
    const json* givens = object.get("givens");
    const bool goodGivens = givens != nullptr && givens->kind == json::string && parseGivens(givens->text, &ps.b);
    if (!goodGivens) {
        // An object with an error may stand for a line that was no puzzle.
        if (hasError && !hasSteps) return;
        top.add("\"givens\" are not 81 cells of 1-9 and .");
        return report("", top);
    }
    const int count = countSolutions(ps.b, 2, ps.solution);
    if (count < 0) {
        top.add("the solutions of the givens could not be counted");
        return report("", top);
    }
    ps.unique = count == 1;
    const json* solutions = object.get("solutions");
    if (solutions != nullptr && (solutions->kind != json::string || solutions->text != solutionsText(count)))
        top.add(std::string("\"solutions\" says ") +
                (solutions->kind == json::string ? "\"" + solutions->text + "\"" : "no text") + ", the givens have " +
                solutionsText(count));
    else if (solutions == nullptr && !hasError)
        top.add("no \"solutions\"");
    if (hasError) {
        if (hasSteps) top.add("has an error and steps");
        return report("", top);
    }
    if (!ps.unique) {
        top.add(std::string("the givens have ") + solutionsText(count) + " solutions, but there is no \"error\"");
        return report("", top);
    }
    if (hasSteps) {
        const json* numbers = object.get("numbers");
        const json* hardest = numbers != nullptr ? numbers->get("hardest") : nullptr;
        if (hardest == nullptr || hardest->kind != json::number) top.add("numbers.hardest is not a number");
        else {
            ps.hardest = hardest->value;
            ps.haveHardest = true;
        }
        if (steps->items.size() > kMaxSteps)
            top.add("more than " + std::to_string(kMaxSteps) + " steps: the rest are not checked");
        for (size_t i = 0; i < steps->items.size() && i < kMaxSteps; i++) {
            const json& step = steps->items[i];
            faults f;
            checkStep(step, i, ps, f);
            totals->steps++;
            const json* technique = step.get("technique");
            const json* number = step.get("step");
            const std::string n = number != nullptr && number->isInteger()
                                      ? std::to_string(static_cast<long long>(number->value))
                                      : std::to_string(i + 1);
            report("step " + n + " (" +
                       printable(technique != nullptr && technique->kind == json::string ? technique->text : "?") +
                       "): ",
                   f);
        }
    }
    if (steps != nullptr) checkEnd(object, ps.b, top);
    report("", top);
}

void checkLine(const std::string& line, const std::string& where, checkTotals* totals, std::vector<std::string>* lines,
               std::vector<std::string>* complaints) {
    if (line.find_first_not_of(" \t\r\n") == std::string::npos) return;
    json object;
    std::string error;
    if (!parseJson(line, &object, &error)) {
        complaints->push_back(where + ": bad JSON: " + error);
        totals->badInput = true;
        return;
    }
    checkPuzzle(object, where, totals, lines);
}

namespace {

// The longest line read whole; a longer one is bad input, skipped to its end.
const size_t kMaxLine = 64u << 20;

void checkFile(std::FILE* file, const std::string& name, checkTotals* totals, std::FILE* out, std::FILE* err) {
    std::string line;
    long number = 0;
    bool tooLong = false;
    char chunk[65536];
    auto finish = [&]() {
        number++;
        const std::string where = name + ":" + std::to_string(number);
        std::vector<std::string> lines, complaints;
        if (tooLong) {
            complaints.push_back(where + ": a line longer than " + std::to_string(kMaxLine >> 20) + " MiB");
            totals->badInput = true;
        } else {
            checkLine(line, where, totals, &lines, &complaints);
        }
        for (const std::string& l : lines) std::fprintf(out, "%s\n", l.c_str());
        for (const std::string& c : complaints) std::fprintf(err, "velunda-ladder-check: %s\n", c.c_str());
        line.clear();
        tooLong = false;
    };
    for (;;) {
        const size_t n = std::fread(chunk, 1, sizeof chunk, file);
        for (size_t i = 0; i < n;) {
            const char* newline = static_cast<const char*>(std::memchr(chunk + i, '\n', n - i));
            const size_t stop = newline != nullptr ? static_cast<size_t>(newline - chunk) : n;
            if (!tooLong && line.size() + (stop - i) <= kMaxLine) line.append(chunk + i, stop - i);
            else {
                tooLong = true;
                line.clear();
            }
            i = stop;
            if (newline != nullptr) {
                finish();
                i++;
            }
        }
        if (n < sizeof chunk) break;
    }
    if (std::ferror(file)) {
        std::fprintf(err, "velunda-ladder-check: %s: %s\n", name.c_str(), std::strerror(errno));
        totals->badInput = true;
    }
    if (!line.empty() || tooLong) finish();
}

}  // namespace

int runChecker(const std::vector<std::string>& files, std::FILE* in, std::FILE* out, std::FILE* err) {
    checkTotals totals;
    std::vector<std::string> names = files;
    if (names.empty()) names.push_back("-");
    for (const std::string& name : names) {
        if (name == "-") {
            checkFile(in, "(standard input)", &totals, out, err);
            continue;
        }
        std::FILE* file = std::fopen(name.c_str(), "rb");
        if (file == nullptr) {
            std::fprintf(err, "velunda-ladder-check: %s: %s\n", name.c_str(), std::strerror(errno));
            totals.badInput = true;
            continue;
        }
        checkFile(file, name, &totals, out, err);
        std::fclose(file);
    }
    std::fprintf(out, "checked %ld puzzles, %ld steps: %ld failed\n", totals.puzzles, totals.steps, totals.failed);
    std::fflush(out);
    return totals.badInput ? 2 : totals.failed > 0 ? 1 : 0;
}

}  // namespace ladder

#ifndef VELUNDA_LADDER_CHECK_NO_MAIN
int main(int argc, char** argv) {
    std::vector<std::string> files;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::printf("usage: velunda-ladder-check [FILE...]\n"
                        "Checks each line of `velunda-cli explain --format json` (standard input without FILE).\n"
                        "Exit status: 0 every step holds, 1 a step failed, 2 unreadable input or bad JSON.\n");
            return 0;
        }
        files.push_back(arg);
    }
    return ladder::runChecker(files, stdin, stdout, stderr);
}
#endif
