// Chains: colouring, X-chains and cycles, XY-chains and remote pairs,
// almost locked sets, and alternating inference chains over candidates,
// groups and almost locked sets. All but colouring search one graph of
// nodes joined by strong links (at least one of two is true) and weak links
// (not both), breadth first, so the shortest chain of a kind is found first.
#include <algorithm>
#include <cstddef>
#include <cstring>
#include <type_traits>
#include <vector>

#include "engine/ladder/als.h"
#include "engine/ladder/finders.h"

namespace {

// Tenths added to a chain's difficulty for its number of nodes.
int lengthBonus(int nodes) {
    static const int bounds[] = {4, 6, 8, 12, 16, 24, 32};
    int bonus = 0;
    for (int b : bounds)
        if (nodes > b) bonus++;
    return bonus;
}

// The cells with exactly two candidates.
cellSet twoCandidates(const ladderGrid& g);

// ---------------------------------------------------------------- colouring

// Candidates as cells by digit.
struct candidateSets {
    cellSet of[9];
};

// A digit's strong links: the two places of each unit that has exactly two
// (or -1), and the places in such a pair. Kept while the digit's places
// stay the same.
struct digitPairs {
    bool valid = false;
    cellSet places;
    short pairOf[27][2];
    cellSet inPair;
    unsigned twoUnits = 0;  // the units (bit u) with two places
};

const digitPairs& pairsOf(const ladderGrid& g, int d) {
    static thread_local digitPairs kept[9];
    digitPairs& p = kept[d];
    if (p.valid && p.places == g.pos[d]) return p;
    p.valid = true;
    p.places = g.pos[d];
    p.inPair = cellSet();
    // The units of two places, and those places, from the digit's masks by
    // unit (in the order of each unit's cells).
    unsigned two = 0;
    const unsigned* masks = digitUnitMasks(g, d, &two);
    p.twoUnits = two;
    std::fill(&p.pairOf[0][0], &p.pairOf[0][0] + 2 * 27, static_cast<short>(-1));
    for (; two; two &= two - 1) {
        const int u = lowBit(two);
        const unsigned m = masks[u];
        const int a = kGeometry.unitCell[u][lowBit(m)], b = kGeometry.unitCell[u][lowBit(m & (m - 1))];
        p.pairOf[u][0] = static_cast<short>(a);
        p.pairOf[u][1] = static_cast<short>(b);
        p.inPair.add(a);
        p.inPair.add(b);
    }
    return p;
}

// A list of at most 729 candidates (or their places) in fixed room: a
// cluster's lists are filled a node at a time, and a vector's growth check
// on each costs more than the rest of the step.
struct candidateList {
    short at[729];
    size_t size_ = 0;
    void clear() { size_ = 0; }
    void push_back(short x) { at[size_++] = x; }
    size_t size() const { return size_; }
    short operator[](size_t i) const { return at[i]; }
    const short* begin() const { return at; }
    const short* end() const { return at + size_; }
};

// Whether the cluster of one digit's places from x (a place in a pair) has
// no effect as colouring weighs it: no colour sees itself, and no place
// outside it sees both colours but the places without a strong link before
// x. Its cells are added to *clustered. The colours by sets of cells, level
// by level (each level a colour, as breadth first colours them), with no
// list of nodes: most clusters have no effect, and only one that has is
// coloured node by node.
bool quietCluster(const digitPairs& p, const cellSet& places, int x, cellSet* clustered) {
    cellSet colour[2], seen[2];
    colour[0].add(x);
    cellSet frontier = colour[0], all = frontier;
    for (int c = 0; frontier.any(); c ^= 1) {
        cellSet next;
        for (cellSet v = frontier; v.any();) {
            const int cell = v.pop();
            seen[c] |= kGeometry.peers[cell];
            for (int k = 0; k < 3; k++) {
                const short* two = p.pairOf[kGeometry.cellUnit[cell][k]];
                if (two[0] >= 0) next.add(two[0] == cell ? two[1] : two[0]);
            }
        }
        next = next.minus(all);
        all |= next;
        colour[c ^ 1] |= next;
        frontier = next;
    }
    *clustered |= all;
    if (seen[0].meets(colour[0]) || seen[1].meets(colour[1])) return false;
    // The places without a strong link before x are kept out of what it removes.
    const cellSet loneBefore = places.minus(p.inPair) & cellSet(x >= 64 ? ~0ull : (1ull << x) - 1, x >= 64 ? (1ull << (x - 64)) - 1 : 0);
    return (seen[0] & seen[1] & places).minus(all).minus(loneBefore).empty();
}

// Clusters of candidates joined by strong links, each coloured in two; for
// one digit (simple colouring) or all (3D Medusa). The starts are taken
// digit by digit, cell by cell; a start without a strong link is a cluster
// of one and keeps colour 0, which keeps it out of what later clusters
// remove. Such starts are not visited: which of them came before a
// cluster's start is told by their place.
// (One copy for each kind, so that each leaves out the other's work.)
template <bool medusa>
bool colouring(const ladderGrid& g, unsigned digits, ladderStep* step) {
    // Each candidate's colour: -1 between calls, each call putting back
    // what it coloured.
    // (Each candidate is coloured once a call, and is in one cluster.)
    struct colours {
        short of[729];
        colours() { std::fill(of, of + 729, static_cast<short>(-1)); }
    };
    static thread_local colours colourTable;
    short* colourOf = colourTable.of;
    static thread_local candidateList order, parent, coloured;
    coloured.clear();
    const auto putBack = [&] {
        for (short node : coloured) colourOf[node] = -1;
    };
    const digitPairs* pairs[9] = {};
    const auto pairsFor = [&](int d) -> const digitPairs& {
        if (!pairs[d]) pairs[d] = &pairsOf(g, d);
        return *pairs[d];
    };
    cellSet bivalue;
    if (medusa) bivalue = twoCandidates(g);
    // The candidates with a strong link, by digit.
    const auto linked = [&](int d) { return pairsFor(d).inPair | (bivalue & g.pos[d]); };
    for (int sd = 0; sd < 9; sd++) {
        if (!(digits & (1u << sd))) continue;
        const cellSet starts = linked(sd);
        // (Simple colouring) the places of the clusters passed over.
        cellSet clustered;
        for (cellSet at = starts; at.any();) {
            const int x = at.pop(), start = x * 9 + sd;
            if (colourOf[start] >= 0) continue;
            if (!medusa && (clustered.has(x) || quietCluster(pairsFor(sd), g.pos[sd], x, &clustered))) continue;
            order.clear();
            parent.clear();
            bool several = false;  // (simple colouring's clusters are of one digit)
            colourOf[start] = 0;
            coloured.push_back(static_cast<short>(start));
            order.push_back(static_cast<short>(start));
            parent.push_back(-1);
            for (size_t i = 0; i < order.size(); i++) {
                const int node = order[i], c = node / 9, d = node % 9;
                int next[4], n = 0;
                const digitPairs& own = pairsFor(d);
                for (int k = 0; k < 3; k++) {
                    const short* two = own.pairOf[kGeometry.cellUnit[c][k]];
                    if (two[0] >= 0) next[n++] = (two[0] == c ? two[1] : two[0]) * 9 + d;
                }
                if (medusa && bivalue.has(c)) next[n++] = c * 9 + lowBit(g.cand[c] & ~(1u << d));
                for (int k = 0; k < n; k++) {
                    if (colourOf[next[k]] >= 0) continue;
                    colourOf[next[k]] = static_cast<short>(1 - colourOf[node]);
                    if (medusa) several = several || next[k] % 9 != sd;
                    coloured.push_back(static_cast<short>(next[k]));
                    order.push_back(static_cast<short>(next[k]));
                    parent.push_back(static_cast<short>(i));
                }
            }
            if (order.size() < 2) continue;
            // A cluster of one digit alone is simple colouring's.
            if (medusa && !several) continue;
            // What each colour is weakly linked to. One digit's colours lie in
            // different cells: its places that see a node's cell. Over several
            // digits: a node's digit where its cell is seen, and its cell's
            // other digits.
            cellSet seenOne[2], cellsOne[2];
            candidateSets seenAll[2], cellsAll[2];
            bool clash = false;
            if (!several) {
                for (short node : order) {
                    seenOne[colourOf[node]] |= kGeometry.peers[node / 9];
                    cellsOne[colourOf[node]].add(node / 9);
                }
                clash = seenOne[0].meets(cellsOne[0]) || seenOne[1].meets(cellsOne[1]);
            } else {
                for (short node : order) {
                    const int c = node / 9, d = node % 9;
                    candidateSets& w = seenAll[colourOf[node]];
                    w.of[d] |= g.pos[d] & kGeometry.peers[c];
                    for (unsigned m = g.cand[c] & ~(1u << d); m; m &= m - 1) w.of[lowBit(m)].add(c);
                    cellsAll[colourOf[node]].of[d].add(c);
                }
                for (int d = 0; d < 9; d++)
                    clash = clash || seenAll[0].of[d].meets(cellsAll[0].of[d]) || seenAll[1].of[d].meets(cellsAll[1].of[d]);
            }
            // Two nodes of one colour weakly linked: that colour is false (the
            // first such pair in order, looked for only where one is).
            int falseColour = -1, w1 = -1, w2 = -1;
            for (size_t i = 0; clash && i < order.size() && falseColour < 0; i++)
                for (size_t j = i + 1; j < order.size() && falseColour < 0; j++) {
                    const int a = order[i], b = order[j];
                    if (colourOf[a] != colourOf[b]) continue;
                    const bool weak = (a / 9 == b / 9) || (a % 9 == b % 9 && sees(a / 9, b / 9));
                    if (weak) {
                        falseColour = colourOf[a];
                        w1 = static_cast<int>(i);
                        w2 = static_cast<int>(j);
                    }
                }
            std::vector<unsigned short> gone;
            // Of the candidates of digit d weakly linked to both colours, those
            // not of this cluster (colours 0 and 1; earlier clusters have 2
            // and 3), nor a cluster of one whose start came before.
            const auto trapped = [&](int d, cellSet both) {
                if (both.empty()) return;
                const bool lone = (digits >> d) & 1 && (d < sd || (d == sd && both.first() < x));
                const cellSet loneBefore = lone ? g.pos[d].minus(linked(d)) : cellSet();
                for (int c = both.pop(); c >= 0; c = both.pop()) {
                    const int colour = colourOf[c * 9 + d];
                    if (colour == 0 || colour == 1) continue;
                    if (colour < 0 && loneBefore.has(c) && (d < sd || c < x)) continue;
                    gone.push_back(static_cast<unsigned short>(c * 9 + d));
                }
            };
            if (falseColour >= 0) {
                for (short node : order)
                    if (colourOf[node] == falseColour) gone.push_back(static_cast<unsigned short>(node));
            } else if (!several) {
                // Only the digit's own places can be weakly linked to both.
                trapped(sd, seenOne[0] & seenOne[1] & g.pos[sd]);
            } else {
                for (int d = 0; d < 9; d++) trapped(d, seenAll[0].of[d] & seenAll[1].of[d]);
            }
            // A cluster without effect keeps its nodes out of the later ones.
            if (gone.empty()) {
                for (short node : order) colourOf[node] = static_cast<short>(2 + colourOf[node]);
                continue;
            }
            setTechnique(step, medusa ? techMedusa : techSimpleColouring);
            ladderPattern& p = step->pattern;
            p.kind = patternColouring;
            p.digit = medusa ? 0 : sd + 1;
            for (size_t i = 0; i < order.size(); i++) {
                p.nodes.push_back({static_cast<unsigned char>(order[i] % 9 + 1), cellSet::of(order[i] / 9), cellSet()});
                p.colour.push_back(static_cast<unsigned char>(colourOf[order[i]]));
                if (parent[i] >= 0) p.links.push_back({parent[i], static_cast<short>(i)});
            }
            p.falseColour = falseColour;
            p.witness[0] = w1;
            p.witness[1] = w2;
            step->removals = gone;
            putBack();
            return true;
        }
    }
    putBack();
    return false;
}

// ------------------------------------------------------- the chains' graph

enum nodeReach { reachCandidates, reachGroups, reachAls };

struct chainGraph {
    std::vector<ladderNode> nodes;
    int candidates = 0;  // nodes 0..candidates-1 are single candidates,
    int plainNodes = 0;  // then groups up to plainNodes, then almost locked sets
    // One digit's graph has a node for each cell, whether or not it holds
    // the digit, and makes its lists only when a search follows them.
    bool oneDigit = false;
    bool lists = true;
    // A search without loops found no chain with an effect on this graph:
    // nor will one with them, whose paths are the same (one digit's graphs).
    bool noOpenChain = false;
    // One digit's graph: the starts its search without loops passed over as
    // quiet. Where that search found nothing, one with loops finds nothing
    // from them either: its levels are the same, and wherever it would stop
    // the other stopped first. A loop closes at a node that sees the start
    // and is not strongly linked to it (those are all reached at once,
    // true), so the two share a unit of three places or more, whose third
    // sees both: the node is an end with an effect. A loop that places the
    // start comes back to it from a node strongly linked to it: never, for
    // the same reason.
    cellSet loopless;
    std::vector<int> strongStart, strongList, weakStart, weakList;  // adjacency, compressed
    std::vector<int> strongNodes;  // the nodes with a strong link, the searches' starts
    std::vector<unsigned long long> linkedRow;  // the same as a row of bits
    std::vector<cellSet> around;  // the cells that see all of a node's cells
    // The same links as rows of bits over the nodes, `words` words a node.
    int words = 0;
    std::vector<unsigned long long> strongBits, weakBits;
    // With the rows, what tells at once at which ends a start's chain
    // would have an effect: for each candidate of the grid (row cell * 9 +
    // digit), the nodes weakly linked to it (those of its digit whose cells
    // all see its cell, and those of its cell alone of another digit). With
    // sets, for the loops: the nodes of one cell alone (row c) and the
    // nodes of each digit (row d).
    std::vector<unsigned long long> seeing, singlesAt, ofDigit;
    // Where every candidate is a node and no set is (candidates, groups),
    // a candidate's row of `seeing` is its own weak links, and no table is
    // made.
    bool weakSeeing = false;
    // Each node's weak links whose ends weakly link to a common candidate
    // (the only links by which a loop removes anything), made when first
    // asked for: `productiveKnown` has the nodes made.
    std::vector<unsigned long long> productive, productiveKnown;
    // A kept graph's quiet starts, remembered from one search to the next
    // (quietKept): for each start its search passed over as quiet, the
    // bound on lengths it was quiet under (0: none remembered), the links
    // it counted (-1: not counted), whether it stopped once every node it
    // could stop at was seen (quietEarly), and the nodes its levels saw
    // (quietSeen, `words` a node). Bringing the graph up to date forgets
    // the starts whose levels saw a node that went, came, or whose lists or
    // cells changed (forgetQuietStarts).
    bool quietKept = false;
    std::vector<int> quietLength;
    std::vector<long> quietLinks;
    std::vector<unsigned char> quietEarly;
    std::vector<unsigned long long> quietSeen;
};

// Rows of bits up to this many words; a larger graph is searched without them.
const int kMostWords = 32;

struct graphFilter {
    int reach = reachCandidates;
    int digit = -1;            // one digit only (0..8), or -1 (with candidates only, not bivalueOnly)
    bool bivalueOnly = false;  // candidates of two-candidate cells, linked strongly only in their cells
    unsigned pair = 0;         // with bivalueOnly: only cells holding exactly these two digits
};

// Whether a set has exactly two cells, without counting them.
bool exactlyTwo(cellSet s) {
    return s.pop() >= 0 && s.single();
}

// Which node each candidate is (cell * 9 + digit) and each crossing's group
// (box * 6 + line, by digit), or -1; and each digit's groups and sets, by
// index. A build fills it from empty; a kept graph keeps its own.
struct graphIndex {
    short nodeAt[729];
    short groupAt[54][9];
    std::vector<int> wide[9];
    // The sets: the first node of each, in the order of the list of sets,
    // with its place there (almostLockedSet::place); and by place.
    std::vector<int> sets, setPlaces, setAt;
    graphIndex() {
        std::fill(&nodeAt[0], &nodeAt[0] + 729, -1);
        std::fill(&groupAt[0][0], &groupAt[0][0] + 54 * 9, -1);
    }
};

// The cells of crossing `at` (box * 6 + line).
cellSet crossingCells(int at) {
    const int b = at / 6, k = at % 6;
    const int line = k < 3 ? kRowUnit + (b / 3) * 3 + k : kColumnUnit + (b % 3) * 3 + (k - 3);
    return kGeometry.unit[kBoxUnit + b] & kGeometry.unit[line];
}

// The crossings (bit box * 6 + line, as crossingCells) in each unit.
struct unitCrossings {
    unsigned long long of[27];
    constexpr unitCrossings() : of() {
        for (int x = 0; x < 54; x++) {
            const int b = x / 6, k = x % 6;
            const int line = k < 3 ? kRowUnit + (b / 3) * 3 + k : kColumnUnit + (b % 3) * 3 + (k - 3);
            of[kBoxUnit + b] |= 1ull << x;
            of[line] |= 1ull << x;
        }
    }
};
constexpr unitCrossings kUnitCrossings{};

// Empties the index of the graph's nodes.
void forgetNodes(const chainGraph& graph, graphIndex* at) {
    // (Cleared whole: cheaper than node by node.)
    std::fill(&at->nodeAt[0], &at->nodeAt[0] + 729, static_cast<short>(-1));
    if (graph.plainNodes > graph.candidates) std::fill(&at->groupAt[0][0], &at->groupAt[0][0] + 54 * 9, static_cast<short>(-1));
    for (std::vector<int>& w : at->wide) w.clear();
    for (int place : at->setPlaces) at->setAt[static_cast<size_t>(place)] = -1;
    at->sets.clear();
    at->setPlaces.clear();
}

// The sets a chain goes through: a cell of two candidates is a strong link
// already, and large sets make the search slow for little.
bool chainSet(const almostLockedSet& a) {
    return a.size >= 2 && a.size <= 3;
}

// The group of digit d whose cells are exactly `cells` (two or more), or -1.
int groupOf(const chainGraph& graph, const graphIndex& at, const cellSet& cells, int d) {
    const int c = cells.first(), b = boxOf(c);
    if (!cells.within(kGeometry.unit[kBoxUnit + b])) return -1;
    int k;
    if (cells.within(kGeometry.unit[kRowUnit + rowOf(c)])) k = rowOf(c) % 3;
    else if (cells.within(kGeometry.unit[kColumnUnit + columnOf(c)])) k = 3 + columnOf(c) % 3;
    else return -1;
    const int i = at.groupAt[b * 6 + k][d];
    return i >= 0 && graph.nodes[static_cast<size_t>(i)].cells == cells ? i : -1;
}

// Node x's weak links to the candidates of its digit that see all its cells.
// (These are inlined: a build calls them for every node.)
inline __attribute__((always_inline)) void weakToCandidates(const ladderGrid& g, const chainGraph& graph,
                                                            const graphIndex& at, int x, std::vector<int>* list) {
    const int d = graph.nodes[static_cast<size_t>(x)].digit - 1;
    for (cellSet v = graph.around[static_cast<size_t>(x)] & g.pos[d]; v.any();) {
        const int j = at.nodeAt[v.pop() * 9 + d];
        if (j >= 0) list->push_back(j);
    }
}

// A candidate's weak links to the other digits of its cell.
inline __attribute__((always_inline)) void weakInCell(const ladderGrid& g, const chainGraph& graph, const graphIndex& at,
                                                      int x, std::vector<int>* list) {
    if (x >= graph.candidates) return;
    const ladderNode& node = graph.nodes[static_cast<size_t>(x)];
    const int c = node.cells.first();
    for (unsigned m = g.cand[c] & ~(1u << (node.digit - 1)); m; m &= m - 1) {
        const int j = at.nodeAt[c * 9 + lowBit(m)];
        if (j >= 0) list->push_back(j);
    }
}

// Node x's weak links, in the order buildGraph gives them.
inline __attribute__((always_inline)) void weakLinks(const ladderGrid& g, const chainGraph& graph, const graphIndex& at,
                                                     int x, std::vector<int>* list) {
    weakToCandidates(g, graph, at, x, list);
    const cellSet& seen = graph.around[static_cast<size_t>(x)];
    for (int j : at.wide[graph.nodes[static_cast<size_t>(x)].digit - 1])
        if (graph.nodes[static_cast<size_t>(j)].cells.within(seen)) list->push_back(j);
    weakInCell(g, graph, at, x, list);
}

// Node x's strong links, in the order buildGraph gives them.
inline __attribute__((always_inline)) void strongLinks(const ladderGrid& g, const graphFilter& f, const chainGraph& graph,
                                                       const graphIndex& at, int x, std::vector<int>* list) {
    const ladderNode& node = graph.nodes[static_cast<size_t>(x)];
    const int d = node.digit - 1;
    const int c = x < graph.candidates ? node.cells.first() : -1;
    if (!f.bivalueOnly && x < graph.plainNodes) {
        // The units that hold all its cells: a cell's row, column and
        // box; a group's line, then its box.
        int units[3], count = 0;
        if (c >= 0) {
            for (int k = 0; k < 3; k++) units[count++] = kGeometry.cellUnit[c][k];
        } else {
            const int first = node.cells.first();
            units[count++] = node.cells.within(kGeometry.unit[kRowUnit + rowOf(first)]) ? kRowUnit + rowOf(first)
                                                                                        : kColumnUnit + columnOf(first);
            units[count++] = kBoxUnit + boxOf(first);
        }
        for (int k = 0; k < count; k++) {
            const cellSet places = g.pos[d] & kGeometry.unit[units[k]];
            int many = 2;
            if (f.reach == reachCandidates ? !exactlyTwo(places) : (many = places.count()) < 2 || many > 6) continue;
            const cellSet rest = places.minus(node.cells);
            if (rest.empty()) continue;
            // (A group has three cells at most: its node holds one or more.)
            const int j = rest.single() ? at.nodeAt[rest.first() * 9 + d] : many > 4 && c >= 0 ? -1 : groupOf(graph, at, rest, d);
            if (j >= 0) list->push_back(j);
        }
    }
    if (c >= 0 && bitCount(g.cand[c]) == 2) {
        const int j = at.nodeAt[c * 9 + lowBit(g.cand[c] & ~(1u << d))];
        if (j >= 0) list->push_back(j);
    }
    if (x >= graph.plainNodes) {
        const int n = static_cast<int>(graph.nodes.size());
        int first = x, last = x;
        while (first > graph.plainNodes && graph.nodes[static_cast<size_t>(first) - 1].als == node.als) first--;
        while (last + 1 < n && graph.nodes[static_cast<size_t>(last) + 1].als == node.als) last++;
        for (int j = first; j <= last; j++)
            if (j != x) list->push_back(j);
    }
}

// Sets node i's bit in a row of bits (i is never negative: as unsigned,
// the word and bit take a shift and a mask).
inline void setBit(unsigned long long* row, int i) {
    const unsigned u = static_cast<unsigned>(i);
    row[u >> 6] |= 1ull << (u & 63);
}

// Row x of `bits` (w words a node): the nodes of the list.
void setRow(std::vector<unsigned long long>* bits, size_t w, int x, const int* from, const int* to) {
    unsigned long long* row = bits->data() + static_cast<size_t>(x) * w;
    std::fill_n(row, w, 0);
    for (; from < to; from++) setBit(row, *from);
}

// The words of a row of bits over n nodes: one of a few lengths, so that
// the searches' loops over a row have a fixed one (quietStarts).
int rowWords(int n) {
    const int words = (n + 63) / 64;
    return words <= 8 ? words : words <= 12 ? 12 : words <= 16 ? 16 : words <= kMostWords ? kMostWords : words;
}

// The row of bits of the graph's starts, once they are listed.
void rowOfStarts(chainGraph* graph) {
    graph->linkedRow.assign(static_cast<size_t>(graph->words), 0);
    for (int x : graph->strongNodes) setBit(graph->linkedRow.data(), x);
}

// A graph over every digit: its nodes (candidates by cell and digit, then
// groups by box, line and digit, then the sets' digits) and each node's
// links, in the order a search follows them: weak ones to the nodes of its
// digit whose cells all see its own, by index, then to its cell's other
// digits; strong ones unit by unit (a unit's candidates of the digit split
// between it and one other node), then to its cell's other digit when the
// cell has two, then to the other digits of its set. A node linked to
// another in two units is listed twice, as the search counts both. `at`
// comes empty and is left holding the graph's nodes.
// (One copy for each kind of graph, its filter's kind fixed, so that each
// leaves out the others' tests; buildGraph below picks it.)
template <int reach, bool bivalueOnly>
void buildGraphOf(const ladderGrid& g, const graphFilter& given, chainGraph* graph, graphIndex& at) {
    graphFilter f = given;
    f.reach = reach;
    f.bivalueOnly = bivalueOnly;
    std::vector<ladderNode>& nodes = graph->nodes;
    nodes.clear();
    cellSet nodeCells;  // the cells with nodes
    for (cellSet cells = bivalueOnly ? twoCandidates(g) : g.open; cells.any();) {
        const int c = cells.pop();
        if (!g.cand[c]) continue;
        if (f.bivalueOnly && (bitCount(g.cand[c]) != 2 || (f.pair && g.cand[c] != f.pair))) continue;
        nodeCells.add(c);
        for (unsigned m = g.cand[c]; m; m &= m - 1) {
            const int d = lowBit(m);
            at.nodeAt[c * 9 + d] = static_cast<short>(nodes.size());
            nodes.push_back({static_cast<unsigned char>(d + 1), cellSet::of(c), cellSet()});
        }
    }
    const int candidates = static_cast<int>(nodes.size());
    if (f.reach >= reachGroups)
        for (int b = 0; b < 9; b++)
            for (int k = 0; k < 6; k++) {
                const cellSet cross = crossingCells(b * 6 + k);
                for (int d = 0; d < 9; d++) {
                    const cellSet cells = g.pos[d] & cross;
                    if (cells.empty() || cells.single()) continue;
                    at.groupAt[b * 6 + k][d] = static_cast<short>(nodes.size());
                    nodes.push_back({static_cast<unsigned char>(d + 1), cells, cellSet()});
                }
            }
    const int plainNodes = static_cast<int>(nodes.size());
    if (f.reach >= reachAls) {
        if (at.setAt.empty()) at.setAt.assign(27 * 512, -1);
        for (const almostLockedSet* set : almostLockedSets(g, 4)) {
            const almostLockedSet& a = *set;
            if (!chainSet(a)) continue;
            at.setAt[static_cast<size_t>(a.place)] = static_cast<int>(nodes.size());
            at.sets.push_back(static_cast<int>(nodes.size()));
            at.setPlaces.push_back(a.place);
            for (unsigned m = a.digits; m; m &= m - 1)
                nodes.push_back({static_cast<unsigned char>(lowBit(m) + 1), a.of[lowBit(m)], a.cells});
        }
    }
    const int n = static_cast<int>(nodes.size());
    graph->candidates = candidates;
    graph->plainNodes = plainNodes;
    graph->oneDigit = false;
    graph->lists = true;
    std::vector<cellSet>& around = graph->around;
    around.resize(static_cast<size_t>(n));
    // The groups and sets of each digit, by index.
    std::vector<int>* wide = at.wide;
    for (int i = 0; i < n; i++) {
        const ladderNode& node = nodes[static_cast<size_t>(i)];
        around[static_cast<size_t>(i)] = node.cells.single() ? kGeometry.peers[node.cells.first()] : seeingAll(node.cells);
        if (i >= candidates) wide[node.digit - 1].push_back(i);
    }
    // What each candidate is weakly linked to (chainGraph::seeing), for the
    // searches; with sets, made first: a node's weak links to the groups
    // and sets of its digit are in the rows of all its cells.
    const int words = rowWords(n);
    const size_t w = static_cast<size_t>(words);
    std::vector<unsigned long long>& seeing = graph->seeing;
    const auto makeSeeing = [&] {
        // (Cleared whole at once: cheaper than row by row.)
        seeing.assign(729 * w, 0);
        for (int i = 0; i < n; i++) {
            const ladderNode& node = nodes[static_cast<size_t>(i)];
            const int d = node.digit - 1;
            const size_t word = static_cast<size_t>(i) / 64;
            const unsigned long long bit = 1ull << (i % 64);
            for (cellSet v = around[static_cast<size_t>(i)] & g.pos[d]; v.any();) seeing[static_cast<size_t>(v.pop() * 9 + d) * w + word] |= bit;
            if (!node.cells.single()) continue;
            const int c = node.cells.first();
            for (unsigned m = g.cand[c] & ~(1u << d); m; m &= m - 1) seeing[static_cast<size_t>(c * 9 + lowBit(m)) * w + word] |= bit;
        }
    };
    const bool seeingMade = plainNodes < n && words <= kMostWords;
    if (seeingMade) makeSeeing();
    // Where a digit has many groups and sets, which of them (bit k:
    // wide[d][k]) hold each cell (`holdingWords` words a cell and digit), so
    // that those within what a node sees are found without trying each.
    static thread_local std::vector<unsigned long long> holding;
    cellSet wideCells[9];
    const auto byCells = [](const std::vector<int>& list) { return list.size() > 16 && list.size() <= 64 * kMostWords; };
    size_t holdingWords = 1;
    for (int d = 0; d < 9 && !seeingMade; d++)
        if (byCells(wide[d])) holdingWords = std::max(holdingWords, (wide[d].size() + 63) / 64);
    if (holding.size() < 729 * holdingWords) holding.resize(729 * holdingWords);
    for (int d = 0; d < 9 && !seeingMade; d++) {
        if (!byCells(wide[d])) continue;
        for (int j : wide[d]) wideCells[d] |= nodes[static_cast<size_t>(j)].cells;
        for (cellSet v = wideCells[d]; v.any();) std::fill_n(holding.data() + static_cast<size_t>(v.pop() * 9 + d) * holdingWords, holdingWords, 0);
        for (size_t k = 0; k < wide[d].size(); k++)
            for (cellSet v = nodes[static_cast<size_t>(wide[d][k])].cells; v.any();)
                holding[static_cast<size_t>(v.pop() * 9 + d) * holdingWords + k / 64] |= 1ull << (k % 64);
    }
    std::vector<int>& weakStart = graph->weakStart;
    std::vector<int>& weakList = graph->weakList;
    std::vector<int>& strongStart = graph->strongStart;
    std::vector<int>& strongList = graph->strongList;
    weakStart.resize(static_cast<size_t>(n) + 1);
    strongStart.resize(static_cast<size_t>(n) + 1);
    weakList.clear();
    strongList.clear();
    for (int x = 0; x < n; x++) {
        const ladderNode& node = nodes[static_cast<size_t>(x)];
        const int d = node.digit - 1;
        const cellSet& seen = around[static_cast<size_t>(x)];
        weakStart[static_cast<size_t>(x)] = static_cast<int>(weakList.size());
        if (seeingMade) {
            // The groups and sets of its digit whose cells all see all its
            // cells (and so are seen whole from each of them) are those in
            // the rows of all its cells past the candidates, by index.
            weakToCandidates(g, *graph, at, x, &weakList);
            cellSet cells = node.cells;
            const unsigned long long* first = seeing.data() + static_cast<size_t>(cells.pop() * 9 + d) * w;
            const size_t from = static_cast<size_t>(candidates) / 64;
            unsigned long long all[kMostWords];
            for (size_t k = from; k < w; k++) all[k] = first[k];
            all[from] &= ~((1ull << (candidates % 64)) - 1);
            for (int c = cells.pop(); c >= 0; c = cells.pop()) {
                const unsigned long long* row = seeing.data() + static_cast<size_t>(c * 9 + d) * w;
                for (size_t k = from; k < w; k++) all[k] &= row[k];
            }
            for (size_t k = from; k < w; k++) {
                for (unsigned long long m = all[k]; m; m &= m - 1) {
                    const int j = static_cast<int>(k * 64) + __builtin_ctzll(m);
                    // (A set of another digit alone in its cell is in the row too.)
                    if (nodes[static_cast<size_t>(j)].digit == node.digit) weakList.push_back(j);
                }
            }
            weakInCell(g, *graph, at, x, &weakList);
        } else if (bivalueOnly && reach == reachCandidates) {
            // Few cells have nodes: only theirs are looked up.
            for (cellSet v = seen & g.pos[d] & nodeCells; v.any();) weakList.push_back(at.nodeAt[v.pop() * 9 + d]);
            weakInCell(g, *graph, at, x, &weakList);
        } else if (byCells(wide[d])) {
            weakToCandidates(g, *graph, at, x, &weakList);
            const size_t count = wide[d].size(), words = (count + 63) / 64;
            // A cell sees few cells (those holding a cell outside fail),
            // a group or set fewer (those holding one inside may succeed).
            const bool outside = x < candidates;
            unsigned long long any[kMostWords];
            for (size_t k = 0; k < words; k++) any[k] = 0;
            for (cellSet v = outside ? wideCells[d].minus(seen) : wideCells[d] & seen; v.any();) {
                const unsigned long long* h = holding.data() + static_cast<size_t>(v.pop() * 9 + d) * holdingWords;
                for (size_t k = 0; k < words; k++) any[k] |= h[k];
            }
            for (size_t k = 0; k < words; k++) {
                unsigned long long in = outside ? ~any[k] : any[k];
                if (k == words - 1 && count % 64) in &= (1ull << (count % 64)) - 1;
                for (; in; in &= in - 1) {
                    const int j = wide[d][k * 64 + static_cast<size_t>(__builtin_ctzll(in))];
                    if (outside || nodes[static_cast<size_t>(j)].cells.within(seen)) weakList.push_back(j);
                }
            }
            weakInCell(g, *graph, at, x, &weakList);
        } else {
            weakLinks(g, *graph, at, x, &weakList);
        }
        strongStart[static_cast<size_t>(x)] = static_cast<int>(strongList.size());
        strongLinks(g, f, *graph, at, x, &strongList);
    }
    weakStart[static_cast<size_t>(n)] = static_cast<int>(weakList.size());
    strongStart[static_cast<size_t>(n)] = static_cast<int>(strongList.size());
    std::vector<int>& starts = graph->strongNodes;
    starts.resize(static_cast<size_t>(n));
    size_t count = 0;
    for (int x = 0; x < n; x++)
        if (strongStart[static_cast<size_t>(x)] != strongStart[static_cast<size_t>(x) + 1]) starts[count++] = x;
    starts.resize(count);

    graph->words = words;
    graph->strongBits.clear();
    graph->weakBits.clear();
    if (words > kMostWords) return;
    rowOfStarts(graph);
    graph->productive.resize(static_cast<size_t>(n) * w);
    graph->productiveKnown.assign(w, 0);
    const auto rows = [n, w](const std::vector<int>& start, const std::vector<int>& list, std::vector<unsigned long long>* bits) {
        bits->assign(static_cast<size_t>(n) * w, 0);
        unsigned long long* row = bits->data();
        const int* at = list.data();
        for (int i = 0; i < n; i++, row += w)
            for (const int* end = list.data() + start[static_cast<size_t>(i) + 1]; at < end; at++) setBit(row, *at);
    };
    rows(strongStart, strongList, &graph->strongBits);
    rows(weakStart, weakList, &graph->weakBits);
    graph->weakSeeing = !f.bivalueOnly && plainNodes == n;
    if (graph->weakSeeing) return;
    if (!seeingMade) makeSeeing();
    if (plainNodes == n) return;
    graph->singlesAt.assign(81 * w, 0);
    graph->ofDigit.assign(9 * w, 0);
    for (int i = 0; i < n; i++) {
        const ladderNode& node = nodes[static_cast<size_t>(i)];
        const unsigned long long bit = 1ull << (i % 64);
        if (node.cells.single()) graph->singlesAt[static_cast<size_t>(node.cells.first()) * w + static_cast<size_t>(i) / 64] |= bit;
        graph->ofDigit[static_cast<size_t>(node.digit - 1) * w + static_cast<size_t>(i) / 64] |= bit;
    }
}

void buildGraph(const ladderGrid& g, const graphFilter& f, chainGraph* graph, graphIndex& at) {
    if (f.reach == reachCandidates) {
        if (f.bivalueOnly) buildGraphOf<reachCandidates, true>(g, f, graph, at);
        else buildGraphOf<reachCandidates, false>(g, f, graph, at);
    } else if (f.reach == reachGroups) {
        if (f.bivalueOnly) buildGraphOf<reachGroups, true>(g, f, graph, at);
        else buildGraphOf<reachGroups, false>(g, f, graph, at);
    } else {
        if (f.bivalueOnly) buildGraphOf<reachAls, true>(g, f, graph, at);
        else buildGraphOf<reachAls, false>(g, f, graph, at);
    }
}

// A chain graph kept from one search of its kind to the next. When the grid
// is the one it was made for with a few candidates taken away, it is
// brought up to date rather than built again: the nodes that went stay as
// holes without links, so that every other node keeps its index, and the
// nodes that came (a set's, or a cell's that came to two candidates) are
// put at the end. The search takes starts and links in the order of its
// lists, which stay those of a graph built anew, so it goes exactly as over
// one; only the indices differ.
struct keptGraph {
    chainGraph graph;
    graphIndex at;
    bool valid = false;
    unsigned short cand[81];           // the grid it is up to date for
    cellSet pos[9];                    // and its places, by digit
    std::vector<unsigned char> hole;   // by node
    int holes = 0;
    std::vector<unsigned char> mark;   // by node, while bringing it up to date
    std::vector<int> wentNodes;        // those marked gone, meanwhile,
    std::vector<int> rowNodes;         // and those whose rows are to be made again
    std::vector<int> weakStart, weakList, strongStart, strongList, sets, setPlaces;  // the new ones, likewise
    // A graph of the two-candidate cells: its nodes in the order of their
    // cells, those that came at the end.
    bool bivalue = false;
};

// The cells whose candidates changed since a kept graph's grid, into
// *cells; false if one came back there.
bool changedCells(const ladderGrid& g, const keptGraph& k, cellSet* cells) {
    cellSet came, went;
    for (int d = 0; d < 9; d++) {
        came |= g.pos[d].minus(k.pos[d]);
        went |= k.pos[d].minus(g.pos[d]);
    }
    *cells = went;
    return came.empty();
}

// Candidates gone, at most, for bringing a graph up to date; past this (or
// with a quarter of its nodes holes) a build costs less.
const int kMostGone = 24;

void buildKept(const ladderGrid& g, const graphFilter& f, keptGraph* k) {
    if (k->valid) forgetNodes(k->graph, &k->at);
    buildGraph(g, f, &k->graph, k->at);
    k->bivalue = f.bivalueOnly;
    k->hole.assign(k->graph.nodes.size(), 0);
    k->holes = 0;
    std::memcpy(k->cand, g.cand, sizeof k->cand);
    std::copy(g.pos, g.pos + 9, k->pos);
    k->valid = true;
    // Its searches remember their quiet starts.
    chainGraph& graph = k->graph;
    graph.quietKept = graph.words <= kMostWords;
    if (!graph.quietKept) return;
    const size_t n = graph.nodes.size();
    graph.quietLength.assign(n, 0);
    graph.quietLinks.resize(n);
    graph.quietEarly.resize(n);
    graph.quietSeen.resize(n * static_cast<size_t>(graph.words));
}

// What bringing a kept graph up to date marks a node with: its weak or
// strong list to be made again, gone, its rows to be made again, a set
// found in the grid's list, its cells or its lists changed (or it came).
enum keptMark { weak = 1, strong = 2, gone = 4, weakRow = 8, strongRow = 16, found = 32, changed = 64 };

// Sets or clears node i's bits in the rows of the candidates it is weakly
// linked to (chainGraph::seeing), for the grid of those places and candidates.
void seeingBits(chainGraph& graph, const cellSet* pos, const unsigned short* cand, int i, bool on) {
    const size_t w = static_cast<size_t>(graph.words), word = static_cast<size_t>(i) / 64;
    const unsigned long long bit = 1ull << (i % 64);
    const ladderNode& node = graph.nodes[static_cast<size_t>(i)];
    const int d = node.digit - 1;
    const auto flip = [&](int candidate) {
        unsigned long long& at = graph.seeing[static_cast<size_t>(candidate) * w + word];
        at = on ? at | bit : at & ~bit;
    };
    for (cellSet v = graph.around[static_cast<size_t>(i)] & pos[d]; v.any();) flip(v.pop() * 9 + d);
    if (!node.cells.single()) return;
    const int c = node.cells.first();
    for (unsigned m = cand[c] & ~(1u << d); m; m &= m - 1) flip(c * 9 + lowBit(m));
    if (graph.singlesAt.empty()) return;  // no sets: no such table
    unsigned long long& single = graph.singlesAt[static_cast<size_t>(c) * w + word];
    single = on ? single | bit : single & ~bit;
}

// Forgets the quiet starts whose levels saw a node that went, came, or
// changed its cells or lists: a start whose levels saw none has the same
// levels (a node whose lists lost one that went had it among the nodes
// seen, if its lists were followed), and at each node of them no more
// effect than it had (a node unchanged is weakly linked to the candidates
// it was, of those left), so its search is as quiet as it was. The nodes
// that came are remembered as none.
// The nodes that went are listed in `went`; those whose cells or lists
// changed (or that came) all had their lists made again, and are among
// `remade`.
void forgetQuietStarts(chainGraph& graph, const std::vector<unsigned char>& mark, const std::vector<int>& went,
                       const std::vector<int>& remade, int total) {
    const size_t w = static_cast<size_t>(graph.words);
    unsigned long long differs[kMostWords] = {};
    for (int x : went) differs[static_cast<size_t>(x) / 64] |= 1ull << (x % 64);
    for (int x : remade)
        if (mark[static_cast<size_t>(x)] & changed) differs[static_cast<size_t>(x) / 64] |= 1ull << (x % 64);
    const size_t n = graph.quietLength.size();
    graph.quietLength.resize(static_cast<size_t>(total), 0);
    graph.quietLinks.resize(static_cast<size_t>(total));
    graph.quietEarly.resize(static_cast<size_t>(total));
    graph.quietSeen.resize(static_cast<size_t>(total) * w);
    for (size_t x = 0; x < n; x++) {
        if (!graph.quietLength[x]) continue;
        const unsigned long long* seen = graph.quietSeen.data() + x * w;
        unsigned long long meets = 0;
        for (size_t k = 0; k < w; k++) meets |= seen[k] & differs[k];
        if (meets) graph.quietLength[x] = 0;
    }
}

// The end of bringing a kept graph of n nodes up to date, total with those
// that came: its lists again, made anew where marked, the others as they
// were, less what went where a node that went was linked; the rows of
// those lists; the nodes that went made holes.
void relist(const ladderGrid& g, const graphFilter& f, int n, int total, keptGraph* k) {
    chainGraph& graph = k->graph;
    std::vector<unsigned char>& mark = k->mark;
    const graphIndex& at = k->at;
    std::vector<int>& rowNodes = k->rowNodes;
    rowNodes.clear();
    const auto rowMark = [&](int x, int row) {
        unsigned char& here = mark[static_cast<size_t>(x)];
        if (!(here & (weakRow | strongRow))) rowNodes.push_back(x);
        here |= static_cast<unsigned char>(row);
    };
    for (int x : k->wentNodes) {
        if (k->hole[static_cast<size_t>(x)]) continue;
        for (int e = graph.weakStart[static_cast<size_t>(x)]; e < graph.weakStart[static_cast<size_t>(x) + 1]; e++)
            rowMark(graph.weakList[static_cast<size_t>(e)], weakRow);
        for (int e = graph.strongStart[static_cast<size_t>(x)]; e < graph.strongStart[static_cast<size_t>(x) + 1]; e++)
            rowMark(graph.strongList[static_cast<size_t>(e)], strongRow);
    }
    const auto lists = [&](const std::vector<int>& oldStart, const std::vector<int>& oldList, std::vector<int>* start,
                            std::vector<int>* list, bool strongs) {
        const int remake = strongs ? strong : weak, row = strongs ? strongRow : weakRow;
        start->resize(static_cast<size_t>(total) + 1);
        list->clear();
        for (int x = 0; x < total;) {
            unsigned char& here = mark[static_cast<size_t>(x)];
            if (!(here & (gone | remake | row))) {
                // A run of nodes whose lists stay: copied at once.
                int y = x + 1;
                // (Eight marks at a time: most runs are long.)
                const unsigned long long any = 0x0101010101010101ull * static_cast<unsigned>(gone | remake | row);
                for (; y + 8 <= total; y += 8) {
                    unsigned long long eight;
                    std::memcpy(&eight, mark.data() + y, 8);
                    if (eight & any) break;
                }
                while (y < total && !(mark[static_cast<size_t>(y)] & (gone | remake | row))) y++;
                const int shift = static_cast<int>(list->size()) - oldStart[static_cast<size_t>(x)];
                for (int i = x; i < y; i++) (*start)[static_cast<size_t>(i)] = oldStart[static_cast<size_t>(i)] + shift;
                list->insert(list->end(), oldList.begin() + oldStart[static_cast<size_t>(x)],
                             oldList.begin() + oldStart[static_cast<size_t>(y)]);
                x = y;
                continue;
            }
            (*start)[static_cast<size_t>(x)] = static_cast<int>(list->size());
            if (here & remake) {
                const size_t from = list->size();
                if (strongs) strongLinks(g, f, graph, at, x, list);
                else weakLinks(g, graph, at, x, list);
                rowMark(x, row);
                // Mostly made again the same, less what went.
                if (x < n && !(here & changed)) {
                    size_t e = from;
                    for (int o = oldStart[static_cast<size_t>(x)]; o < oldStart[static_cast<size_t>(x) + 1] && !(here & changed); o++) {
                        const int j = oldList[static_cast<size_t>(o)];
                        if (mark[static_cast<size_t>(j)] & gone) continue;
                        if (e == list->size() || (*list)[e] != j) here |= changed;
                        e++;
                    }
                    if (e != list->size()) here |= changed;
                }
            } else if (!(here & gone)) {
                for (int e = oldStart[static_cast<size_t>(x)]; e < oldStart[static_cast<size_t>(x) + 1]; e++) {
                    const int j = oldList[static_cast<size_t>(e)];
                    if (!(mark[static_cast<size_t>(j)] & gone)) list->push_back(j);
                }
            }
            x++;
        }
        (*start)[static_cast<size_t>(total)] = static_cast<int>(list->size());
    };
    lists(graph.weakStart, graph.weakList, &k->weakStart, &k->weakList, false);
    lists(graph.strongStart, graph.strongList, &k->strongStart, &k->strongList, true);
    graph.weakStart.swap(k->weakStart);
    graph.weakList.swap(k->weakList);
    graph.strongStart.swap(k->strongStart);
    graph.strongList.swap(k->strongList);
    const size_t w = static_cast<size_t>(graph.words);
    if (total > n) {
        graph.weakBits.resize(static_cast<size_t>(total) * w);
        graph.strongBits.resize(static_cast<size_t>(total) * w);
        graph.productive.resize(static_cast<size_t>(total) * w);
        k->hole.resize(static_cast<size_t>(total), 0);
    }
    for (int x : k->wentNodes) {
        k->hole[static_cast<size_t>(x)] = 1;
        k->holes++;
        std::fill_n(graph.weakBits.data() + static_cast<size_t>(x) * w, w, 0);
        std::fill_n(graph.strongBits.data() + static_cast<size_t>(x) * w, w, 0);
    }
    for (int x : rowNodes) {
        const unsigned char here = mark[static_cast<size_t>(x)];
        if (here & gone) continue;
        const int* weakAt = graph.weakList.data();
        const int* strongAt = graph.strongList.data();
        const std::vector<int>& weakFrom = graph.weakStart;
        const std::vector<int>& strongFrom = graph.strongStart;
        const size_t i = static_cast<size_t>(x);
        if (here & weakRow) setRow(&graph.weakBits, w, x, weakAt + weakFrom[i], weakAt + weakFrom[i + 1]);
        if (here & strongRow) setRow(&graph.strongBits, w, x, strongAt + strongFrom[i], strongAt + strongFrom[i + 1]);
    }
    graph.productiveKnown.assign(w, 0);
    std::memcpy(k->cand, g.cand, sizeof k->cand);
    std::copy(g.pos, g.pos + 9, k->pos);
    if (graph.quietKept) forgetQuietStarts(graph, mark, k->wentNodes, rowNodes, total);
}

// Brings a kept graph up to date for g; false when g is not its grid with
// candidates taken away, or too much changed. Only nodes that went or came,
// and links that came or went, change: a node that went takes its links
// along; a unit that lost a place of a digit may give strong links to the
// nodes of that digit it holds, a cell that lost a candidate to the
// candidates it keeps; two groups that lost the cell they shared may be
// weakly linked now; a set's digit with fewer cells is seen whole from
// more cells, and, like a set that came, weakly linked to the nodes of its
// digit there. The lists of those nodes are made again; the other lists
// only lose what went.
bool updateGraph(const ladderGrid& g, const graphFilter& f, keptGraph* k) {
    chainGraph& graph = k->graph;
    const int n = static_cast<int>(graph.nodes.size());
    if (graph.words > kMostWords) return false;
    int went = 0;
    unsigned units[9] = {};  // by digit, the units that lost a place of it
    cellSet cells;           // the cells that lost candidates
    if (!changedCells(g, *k, &cells)) return false;
    for (cellSet v = cells; v.any();) {
        const int c = v.pop();
        for (unsigned m = k->cand[c] & ~g.cand[c]; m; m &= m - 1) {
            went++;
            for (int i = 0; i < 3; i++) units[lowBit(m)] |= 1u << kGeometry.cellUnit[c][i];
        }
    }
    if (went > kMostGone || 4 * (k->holes + went) > n) return false;
    graphIndex& at = k->at;
    const bool withSets = f.reach >= reachAls;
    const std::vector<const almostLockedSet*>* sets = withSets ? &almostLockedSets(g, 4) : nullptr;
    // The nodes of sets that came; a set kept has its digits.
    int added = 0, kept = 0;
    if (withSets) {
        if (graph.weakSeeing) return false;  // made without sets: no tables for them
        for (const almostLockedSet* a : *sets) {
            if (!chainSet(*a)) continue;
            const int i = at.setAt[static_cast<size_t>(a->place)];
            if (i < 0) {
                added += bitCount(a->digits);
                continue;
            }
            kept++;
            int digits = 0;
            for (int j = i; j < n && graph.nodes[static_cast<size_t>(j)].als == a->cells; j++)
                digits |= 1 << (graph.nodes[static_cast<size_t>(j)].digit - 1);
            if (static_cast<unsigned>(digits) != a->digits) return false;
        }
        if (kept == 0 && added == 0) return false;  // a graph built anew would have no tables
    }
    const int total = n + added;
    if (total > graph.words * 64) return false;  // a build has rows wide enough, and no holes
    std::vector<unsigned char>& mark = k->mark;
    mark.assign(static_cast<size_t>(total), 0);
    k->wentNodes.clear();
    std::vector<ladderNode>& nodes = graph.nodes;
    // With sets, what each node gives the tables goes and comes with it.
    const auto ofDigit = [&](int i) -> unsigned long long& {
        const size_t row = static_cast<size_t>(nodes[static_cast<size_t>(i)].digit - 1);
        return graph.ofDigit[row * static_cast<size_t>(graph.words) + static_cast<size_t>(i) / 64];
    };
    const auto away = [&](int i) {
        if (!withSets) return;
        seeingBits(graph, k->pos, k->cand, i, false);
        ofDigit(i) &= ~(1ull << (i % 64));
    };
    const auto back = [&](int i) {
        if (!withSets) return;
        seeingBits(graph, g.pos, g.cand, i, true);
        ofDigit(i) |= 1ull << (i % 64);
    };
    for (cellSet v = cells; v.any();) {
        const int c = v.pop();
        for (unsigned m = k->cand[c] & ~g.cand[c]; m; m &= m - 1) {
            short& x = at.nodeAt[c * 9 + lowBit(m)];
            mark[static_cast<size_t>(x)] = gone;
            k->wentNodes.push_back(x);
            away(x);
            x = -1;
        }
        // A cell's candidates are strongly linked in it when it has two
        // (when it had, what went leaves their lists).
        if (bitCount(g.cand[c]) != 2) continue;
        for (unsigned m = g.cand[c]; m; m &= m - 1) mark[static_cast<size_t>(at.nodeAt[c * 9 + lowBit(m)])] |= strong;
    }
    for (int d = 0; d < 9; d++) {
        for (unsigned m = units[d]; m; m &= m - 1) {
            const cellSet places = kGeometry.unit[__builtin_ctz(m)] & g.pos[d];
            // Candidates alone are strongly linked only in a unit of two places.
            if (f.reach == reachCandidates && !exactlyTwo(places)) continue;
            for (cellSet v = places; v.any();) mark[static_cast<size_t>(at.nodeAt[v.pop() * 9 + d])] |= strong;
        }
        if (!units[d] || f.reach < reachGroups) continue;
        // A group in a unit that lost a place: its strong links, and its
        // cells. What sees it all is the same but for the cells that went,
        // which held no other node of the digit but groups and sets that
        // lost them too: only such can be weakly linked to it anew.
        unsigned long long crossings = 0;
        for (unsigned m = units[d]; m; m &= m - 1) crossings |= kUnitCrossings.of[__builtin_ctz(m)];
        for (; crossings; crossings &= crossings - 1) {
            const int x = __builtin_ctzll(crossings);
            const int i = at.groupAt[x][d];
            if (i < 0) continue;
            mark[static_cast<size_t>(i)] |= strong;
            const cellSet now = g.pos[d] & crossingCells(x);
            if (now == nodes[static_cast<size_t>(i)].cells) continue;
            away(i);
            if (now.single() || now.empty()) {
                mark[static_cast<size_t>(i)] = gone;
                k->wentNodes.push_back(i);
                at.groupAt[x][d] = -1;
                if (!withSets) {
                    std::vector<int>& wide = at.wide[d];
                    wide.erase(std::find(wide.begin(), wide.end(), i));
                }
                continue;
            }
            nodes[static_cast<size_t>(i)].cells = now;
            graph.around[static_cast<size_t>(i)] = seeingAll(now);
            mark[static_cast<size_t>(i)] |= weak | changed;
            back(i);
        }
    }
    if (withSets) {
        // The sets in the order of the list, those that came at the end.
        k->sets.clear();
        k->setPlaces.clear();
        std::vector<int> seenAnew;  // set nodes whose cells changed, or that came
        for (const almostLockedSet* a : *sets) {
            if (!chainSet(*a)) continue;
            int i = at.setAt[static_cast<size_t>(a->place)];
            if (i < 0) {
                i = static_cast<int>(nodes.size());
                at.setAt[static_cast<size_t>(a->place)] = i;
                for (unsigned m = a->digits; m; m &= m - 1) {
                    const int j = static_cast<int>(nodes.size());
                    nodes.push_back({static_cast<unsigned char>(lowBit(m) + 1), a->of[lowBit(m)], a->cells});
                    graph.around.push_back(seeingAll(a->of[lowBit(m)]));
                    mark[static_cast<size_t>(j)] = weak | strong | found | changed;
                    seenAnew.push_back(j);
                }
            } else {
                for (int j = i; j < n && nodes[static_cast<size_t>(j)].als == a->cells; j++) {
                    ladderNode& node = nodes[static_cast<size_t>(j)];
                    mark[static_cast<size_t>(j)] |= found;
                    if (node.cells == a->of[node.digit - 1]) continue;
                    away(j);
                    node.cells = a->of[node.digit - 1];
                    graph.around[static_cast<size_t>(j)] = seeingAll(node.cells);
                    mark[static_cast<size_t>(j)] |= weak | changed;
                    seenAnew.push_back(j);
                }
            }
            k->sets.push_back(i);
            k->setPlaces.push_back(a->place);
        }
        // The sets that went.
        for (size_t s = 0; s < at.sets.size(); s++) {
            const int i = at.sets[s];
            if (mark[static_cast<size_t>(i)] & found) continue;
            at.setAt[static_cast<size_t>(at.setPlaces[s])] = -1;
            for (int j = i; j < n && nodes[static_cast<size_t>(j)].als == nodes[static_cast<size_t>(i)].als; j++) {
                mark[static_cast<size_t>(j)] = gone;
                k->wentNodes.push_back(j);
                away(j);
            }
        }
        at.sets.swap(k->sets);
        at.setPlaces.swap(k->setPlaces);
        for (int j : seenAnew) back(j);
        // Each digit's groups and sets, in the order of a build.
        for (std::vector<int>& wide : at.wide) wide.clear();
        for (int i = graph.candidates; i < graph.plainNodes; i++)
            if (!(mark[static_cast<size_t>(i)] & gone) && !k->hole[static_cast<size_t>(i)])
                at.wide[nodes[static_cast<size_t>(i)].digit - 1].push_back(i);
        for (int i : at.sets)
            for (int j = i; j < total && nodes[static_cast<size_t>(j)].als == nodes[static_cast<size_t>(i)].als; j++)
                at.wide[nodes[static_cast<size_t>(j)].digit - 1].push_back(j);
        // What now sees a set's digit whole is weakly linked to it.
        for (int j : seenAnew) {
            const int d = nodes[static_cast<size_t>(j)].digit - 1;
            const cellSet& seen = graph.around[static_cast<size_t>(j)];
            for (cellSet v = seen & g.pos[d]; v.any();) mark[static_cast<size_t>(at.nodeAt[v.pop() * 9 + d])] |= weak;
            for (int i : at.wide[d])
                if (nodes[static_cast<size_t>(i)].cells.within(seen)) mark[static_cast<size_t>(i)] |= weak;
        }
    }
    relist(g, f, n, total, k);
    // (Written in place: at most every node is one.)
    std::vector<int>& starts = graph.strongNodes;
    starts.resize(static_cast<size_t>(total));
    size_t count = 0;
    const int* from = graph.strongStart.data();
    for (int x = 0; x < graph.plainNodes; x++)
        if (from[x] != from[x + 1]) starts[count++] = x;
    for (int i : at.sets)
        for (int j = i; j < total && nodes[static_cast<size_t>(j)].als == nodes[static_cast<size_t>(i)].als; j++)
            if (from[j] != from[j + 1]) starts[count++] = j;
    starts.resize(count);
    rowOfStarts(&graph);
    return true;
}

// Brings a kept graph of the two-candidate cells (of every pair) up to date
// for g, as updateGraph does. A cell that has two candidates no more takes
// its nodes along; one that has two now brings two nodes, and weak links to
// the nodes of their digits that see it.
bool updateBivalueGraph(const ladderGrid& g, const graphFilter& f, keptGraph* k) {
    chainGraph& graph = k->graph;
    const int n = static_cast<int>(graph.nodes.size());
    if (graph.words > kMostWords) return false;
    cellSet lost, came, cells;
    if (!changedCells(g, *k, &cells)) return false;
    for (cellSet v = cells; v.any();) {
        const int c = v.pop();
        const unsigned was = k->cand[c], now = g.cand[c];
        if (bitCount(was) == 2) lost.add(c);
        else if (bitCount(now) == 2) came.add(c);
    }
    const int went = 2 * lost.count(), total = n + 2 * came.count();
    if (went + total - n > kMostGone || 4 * (k->holes + went) > n || total > graph.words * 64) return false;
    std::vector<unsigned char>& mark = k->mark;
    mark.assign(static_cast<size_t>(total), 0);
    k->wentNodes.clear();
    graphIndex& at = k->at;
    for (cellSet v = lost; v.any();) {
        const int c = v.pop();
        for (unsigned m = k->cand[c]; m; m &= m - 1) {
            short& x = at.nodeAt[c * 9 + lowBit(m)];
            mark[static_cast<size_t>(x)] = gone;
            k->wentNodes.push_back(x);
            seeingBits(graph, k->pos, k->cand, x, false);
            x = -1;
        }
    }
    for (cellSet v = came; v.any();) {
        const int c = v.pop();
        for (unsigned m = g.cand[c]; m; m &= m - 1) {
            const int j = static_cast<int>(graph.nodes.size());
            at.nodeAt[c * 9 + lowBit(m)] = static_cast<short>(j);
            graph.nodes.push_back({static_cast<unsigned char>(lowBit(m) + 1), cellSet::of(c), cellSet()});
            graph.around.push_back(kGeometry.peers[c]);
            mark[static_cast<size_t>(j)] = weak | strong | changed;
        }
    }
    for (cellSet v = came; v.any();) {
        const int c = v.pop();
        for (unsigned m = g.cand[c]; m; m &= m - 1) {
            const int d = lowBit(m);
            seeingBits(graph, g.pos, g.cand, at.nodeAt[c * 9 + d], true);
            for (cellSet seen = kGeometry.peers[c] & g.pos[d]; seen.any();) {
                const int j = at.nodeAt[seen.pop() * 9 + d];
                if (j >= 0) mark[static_cast<size_t>(j)] |= weak;
            }
        }
    }
    graph.candidates = graph.plainNodes = total;
    relist(g, f, n, total, k);
    // Every node is a start, in the order of the cells.
    std::vector<int>& starts = graph.strongNodes;
    starts.resize(static_cast<size_t>(total));
    size_t count = 0;
    for (cellSet v = twoCandidates(g); v.any();) {
        const int c = v.pop();
        for (unsigned m = g.cand[c]; m; m &= m - 1) starts[count++] = at.nodeAt[c * 9 + lowBit(m)];
    }
    starts.resize(count);
    rowOfStarts(&graph);
    return true;
}

// Whether a kept graph is, holes aside, the graph built anew: the same
// nodes in the same order, the same lists, and rows that are its lists.
bool sameGraph(const keptGraph& k, const chainGraph& fresh) {
    const chainGraph& graph = k.graph;
    const int n = static_cast<int>(graph.nodes.size());
    // Each node's place in a build: the candidates and groups in order, then
    // the sets in the order of the list.
    std::vector<int> to(static_cast<size_t>(n), -1);
    int m = 0, candidates = 0;
    if (k.bivalue) {
        // Of the two-candidate cells, in the order of the cells.
        for (int c = 0; c < 81; c++)
            for (unsigned d = bitCount(k.cand[c]) == 2 ? k.cand[c] : 0; d; d &= d - 1) {
                const int x = k.at.nodeAt[c * 9 + lowBit(d)];
                if (x < 0 || k.hole[static_cast<size_t>(x)]) return false;
                to[static_cast<size_t>(x)] = m++;
            }
        candidates = m;
    }
    for (int x = 0; x < graph.plainNodes && !k.bivalue; x++)
        if (!k.hole[static_cast<size_t>(x)]) {
            to[static_cast<size_t>(x)] = m++;
            candidates += x < graph.candidates;
        }
    const int plainNodes = m;
    for (int i : k.at.sets)
        for (int j = i; j < n && graph.nodes[static_cast<size_t>(j)].als == graph.nodes[static_cast<size_t>(i)].als; j++) {
            if (k.hole[static_cast<size_t>(j)] || to[static_cast<size_t>(j)] >= 0) return false;
            to[static_cast<size_t>(j)] = m++;
        }
    for (int x = 0; x < n; x++)
        if (!k.hole[static_cast<size_t>(x)] && to[static_cast<size_t>(x)] < 0) return false;
    if (m != static_cast<int>(fresh.nodes.size()) || candidates != fresh.candidates || plainNodes != fresh.plainNodes ||
        graph.weakSeeing != fresh.weakSeeing)
        return false;
    const size_t w = static_cast<size_t>(graph.words);
    std::vector<unsigned long long> row(w);
    const auto sameList = [&](int x, const std::vector<int>& start, const std::vector<int>& list,
                              const std::vector<int>& freshStart, const std::vector<int>& freshList,
                              const std::vector<unsigned long long>& bits) {
        const int y = to[static_cast<size_t>(x)];
        const int size = start[static_cast<size_t>(x) + 1] - start[static_cast<size_t>(x)];
        if (size != freshStart[static_cast<size_t>(y) + 1] - freshStart[static_cast<size_t>(y)]) return false;
        std::fill(row.begin(), row.end(), 0);
        for (int e = 0; e < size; e++) {
            const int j = list[static_cast<size_t>(start[static_cast<size_t>(x)] + e)];
            const int freshJ = freshList[static_cast<size_t>(freshStart[static_cast<size_t>(y)] + e)];
            if (to[static_cast<size_t>(j)] != freshJ) return false;
            row[static_cast<size_t>(j) / 64] |= 1ull << (j % 64);
        }
        return std::equal(row.begin(), row.end(), bits.begin() + static_cast<std::ptrdiff_t>(static_cast<size_t>(x) * w));
    };
    std::vector<int> strongNodes;
    for (int x = 0; x < n; x++) {
        const int y = to[static_cast<size_t>(x)];
        if (y < 0) continue;
        const ladderNode& a = graph.nodes[static_cast<size_t>(x)];
        const ladderNode& b = fresh.nodes[static_cast<size_t>(y)];
        if (a.digit != b.digit || a.cells != b.cells || a.als != b.als ||
            graph.around[static_cast<size_t>(x)] != fresh.around[static_cast<size_t>(y)])
            return false;
        if (!sameList(x, graph.weakStart, graph.weakList, fresh.weakStart, fresh.weakList, graph.weakBits) ||
            !sameList(x, graph.strongStart, graph.strongList, fresh.strongStart, fresh.strongList, graph.strongBits))
            return false;
    }
    for (int x : graph.strongNodes) strongNodes.push_back(to[static_cast<size_t>(x)]);
    if (strongNodes != fresh.strongNodes) return false;
    // And the row of the starts is theirs.
    std::fill(row.begin(), row.end(), 0);
    for (int x : graph.strongNodes) row[static_cast<size_t>(x) / 64] |= 1ull << (x % 64);
    if (row != graph.linkedRow) return false;
    if (graph.weakSeeing) return true;
    // The tables of what each candidate is weakly linked to, of the nodes
    // of one cell alone, and of each digit: for the candidates of the grid
    // (the others' rows are never read), and no hole in them.
    const size_t fw = static_cast<size_t>(fresh.words);
    const auto sameRow = [&](const std::vector<unsigned long long>& bits, const std::vector<unsigned long long>& freshBits,
                             size_t r) {
        for (int x = 0; x < n; x++) {
            const bool on = (bits[r * w + static_cast<size_t>(x) / 64] >> (x % 64)) & 1;
            const int y = to[static_cast<size_t>(x)];
            if (on != (y >= 0 && ((freshBits[r * fw + static_cast<size_t>(y) / 64] >> (y % 64)) & 1))) return false;
        }
        return true;
    };
    for (int c = 0; c < 81; c++) {
        for (unsigned d = k.cand[c]; d; d &= d - 1)
            if (!sameRow(graph.seeing, fresh.seeing, static_cast<size_t>(c * 9 + lowBit(d)))) return false;
        const bool sets = fresh.plainNodes < static_cast<int>(fresh.nodes.size());
        if (sets && !sameRow(graph.singlesAt, fresh.singlesAt, static_cast<size_t>(c))) return false;
    }
    for (int d = 0; d < 9 && fresh.plainNodes < static_cast<int>(fresh.nodes.size()); d++)
        if (!sameRow(graph.ofDigit, fresh.ofDigit, static_cast<size_t>(d))) return false;
    return true;
}

// One digit's graph: node c is the digit in cell c, so that rows of bits
// over the nodes are sets of cells. Its strong links join the two places
// of a unit that has two, its weak links the places that see each other.
// The same search as over the digit's candidates alone, in the same order.
void buildDigitGraph(const ladderGrid& g, int d, chainGraph* graph) {
    if (graph->nodes.size() != 81 || graph->nodes[0].digit != d + 1) {
        graph->nodes.clear();
        graph->around.clear();
        for (int c = 0; c < 81; c++) {
            graph->nodes.push_back({static_cast<unsigned char>(d + 1), cellSet::of(c), cellSet()});
            graph->around.push_back(kGeometry.peers[c]);
        }
    }
    graph->candidates = graph->plainNodes = 81;
    graph->oneDigit = true;
    graph->weakSeeing = false;
    graph->noOpenChain = false;
    graph->lists = false;
    graph->words = 2;
    const cellSet places = g.pos[d];
    // Only the rows of the cells that had strong links are not empty.
    if (graph->strongBits.size() == 2 * 81 && graph->linkedRow.size() == 2) {
        for (cellSet v(graph->linkedRow[0], graph->linkedRow[1]); v.any();) {
            const int c = v.pop();
            graph->strongBits[static_cast<size_t>(2 * c)] = graph->strongBits[static_cast<size_t>(2 * c + 1)] = 0;
        }
    } else {
        graph->strongBits.assign(2 * 81, 0);
    }
    graph->weakBits.resize(2 * 81);
    // The strong links are the digit's pairs, which colouring keeps.
    const digitPairs& pairs = pairsOf(g, d);
    for (unsigned two = pairs.twoUnits; two; two &= two - 1) {
        const int u = lowBit(two);
        const int a = pairs.pairOf[u][0], b = pairs.pairOf[u][1];
        graph->strongBits[static_cast<size_t>(2 * a + b / 64)] |= 1ull << (b % 64);
        graph->strongBits[static_cast<size_t>(2 * b + a / 64)] |= 1ull << (a % 64);
    }
    cellSet linked = pairs.inPair;
    for (cellSet at = places; at.any();) {
        const int c = at.pop();
        const cellSet seen = kGeometry.peers[c] & places;
        graph->weakBits[static_cast<size_t>(2 * c)] = seen.lo;
        graph->weakBits[static_cast<size_t>(2 * c + 1)] = seen.hi;
    }
    graph->linkedRow.assign({linked.lo, linked.hi});
    // (Every place written over: none is made first.)
    graph->strongNodes.resize(static_cast<size_t>(linked.count()));
    for (int& x : graph->strongNodes) x = linked.pop();
    graph->productive.resize(2 * 81);
    graph->productiveKnown.assign(2, 0);
}

// The lists of one digit's graph, for the search: weak links by cell,
// strong ones by unit (row, column, box), as buildGraph makes them.
void digitLists(const ladderGrid& g, chainGraph* graph) {
    const int d = graph->nodes[0].digit - 1;
    const cellSet places = g.pos[d];
    graph->weakStart.assign(82, 0);
    graph->strongStart.assign(82, 0);
    graph->weakList.clear();
    graph->strongList.clear();
    for (int c = 0; c < 81; c++) {
        graph->weakStart[static_cast<size_t>(c)] = static_cast<int>(graph->weakList.size());
        graph->strongStart[static_cast<size_t>(c)] = static_cast<int>(graph->strongList.size());
        if (!places.has(c)) continue;
        for (cellSet seen = kGeometry.peers[c] & places; seen.any();) graph->weakList.push_back(seen.pop());
        for (int k = 0; k < 3; k++) {
            const cellSet two = places & kGeometry.unit[kGeometry.cellUnit[c][k]];
            if (exactlyTwo(two)) graph->strongList.push_back(two.minus(cellSet::of(c)).first());
        }
    }
    graph->weakStart[81] = static_cast<int>(graph->weakList.size());
    graph->strongStart[81] = static_cast<int>(graph->strongList.size());
    graph->lists = true;
}

// Calls f(candidate) for each candidate weakly linked to both nodes (cell
// * 9 + digit), until f returns true; true if it did.
template <typename F>
bool eachCommonWeak(const ladderGrid& g, const chainGraph& graph, int ia, int ib, const F& f) {
    const ladderNode& a = graph.nodes[static_cast<size_t>(ia)];
    const ladderNode& b = graph.nodes[static_cast<size_t>(ib)];
    const int da = a.digit - 1, db = b.digit - 1;
    if (da == db) {
        cellSet both = (g.pos[da] & graph.around[static_cast<size_t>(ia)] & graph.around[static_cast<size_t>(ib)]).minus(a.cells | b.cells);
        for (int c = both.pop(); c >= 0; c = both.pop())
            if (f(static_cast<unsigned short>(c * 9 + da))) return true;
        return false;
    }
    const bool singleA = a.cells.single(), singleB = b.cells.single();
    if (singleA && singleB && a.cells == b.cells) {
        const int c = a.cells.first();
        for (unsigned m = g.cand[c] & ~((1u << da) | (1u << db)); m; m &= m - 1)
            if (f(static_cast<unsigned short>(c * 9 + lowBit(m)))) return true;
        return false;
    }
    // (cell of b, digit of a) when b is one cell that sees all of a; and the reverse.
    if (singleB && g.pos[da].has(b.cells.first()) && graph.around[static_cast<size_t>(ia)].has(b.cells.first()) &&
        f(static_cast<unsigned short>(b.cells.first() * 9 + da)))
        return true;
    return singleA && g.pos[db].has(a.cells.first()) && graph.around[static_cast<size_t>(ib)].has(a.cells.first()) &&
           f(static_cast<unsigned short>(a.cells.first() * 9 + db));
}

// The candidates weakly linked to both nodes, none of them in `path`.
void commonWeak(const ladderGrid& g, const chainGraph& graph, int ia, int ib, const std::vector<int>& path,
                std::vector<unsigned short>* out) {
    out->clear();
    eachCommonWeak(g, graph, ia, ib, [&](unsigned short r) {
        bool inPath = false;
        for (int i : path) {
            const ladderNode& n = graph.nodes[static_cast<size_t>(i)];
            inPath = inPath || (n.digit == r % 9 + 1 && n.cells.has(r / 9));
        }
        if (!inPath) out->push_back(r);
        return false;
    });
}

struct chainSearch {
    int maxNodes = 24;
    int minNodes = 2;
    bool plainStarts = false;  // start from candidates and groups only
    // Links looked at, at most, over all starts: a step must come in a few
    // milliseconds, and a count (unlike a clock) gives the same step on any
    // machine. 0: no bound.
    long budget = 0;
    bool loops = false;  // continuous loops and the placing discontinuous loop too
    int from = 0;        // no start before this one (its place in the graph's starts)
    std::vector<long>* startLinks = nullptr;  // for tests: each start's links, searched in full
};

struct chainFound {
    std::vector<int> path;  // node indices
    std::vector<unsigned char> strong;
    int loop = loopNone;
    int placeCell = -1, placeDigit = 0;
    std::vector<unsigned short> removals;
    int firstStart = kSearchedAll;  // the start that found the first chain, if any (its place)
};

bool skipQuietStarts = true;
const long kLinkBudget = 150000;
long linkBudget = kLinkBudget;

// Whether a false start that the chain leads back to as true is placed: a
// loop only proves that of a single candidate.
bool mayPlace(const chainSearch& s, const ladderNode& start) {
    return s.loops && start.cells.single() && start.als.empty();
}

// Whether a chain of `length` nodes from `start` to `end` (true) closes by a
// weak link back to the start: a continuous loop.
bool closesLoop(const chainGraph& graph, const chainSearch& s, int start, int end, int length) {
    if (!s.loops || length < 4) return false;
    const ladderNode& a = graph.nodes[static_cast<size_t>(start)];
    const ladderNode& b = graph.nodes[static_cast<size_t>(end)];
    return a.digit == b.digit ? !b.cells.meets(a.cells) && a.cells.within(graph.around[static_cast<size_t>(end)])
                              : b.cells.single() && b.cells == a.cells;
}

// The nodes at which a chain from `start` would remove something if it
// ended there (the path left aside), as a row of bits: those weakly linked
// to a candidate that start is weakly linked to. At least every end that
// eachCommonWeak, which the search asks, finds something for. W: the
// graph's words. (Inlined: it is asked once a start.)
template <int W>
inline __attribute__((always_inline)) void effectRow(const ladderGrid& g, const chainGraph& graph, int start, unsigned long long* row) {
    const ladderNode& node = graph.nodes[static_cast<size_t>(start)];
    const int d = node.digit - 1;
    for (int k = 0; k < W; k++) row[k] = 0;
    if (graph.oneDigit) {
        // Nodes are cells: the places that see a place start sees.
        cellSet ends;
        for (cellSet v = g.pos[d] & kGeometry.peers[start]; v.any();) ends |= kGeometry.peers[v.pop()];
        ends &= g.pos[d];
        if constexpr (W >= 2) {
            row[0] = ends.lo;
            row[1] = ends.hi;
        }
        return;
    }
    if (graph.weakSeeing) {
        // The candidates start is weakly linked to are its weak links to
        // candidates: theirs, then.
        for (int e = graph.weakStart[static_cast<size_t>(start)]; e < graph.weakStart[static_cast<size_t>(start) + 1]; e++) {
            const int y = graph.weakList[static_cast<size_t>(e)];
            if (y >= graph.candidates) continue;
            const unsigned long long* r = graph.weakBits.data() + static_cast<size_t>(y) * W;
            for (int k = 0; k < W; k++) row[k] |= r[k];
        }
        return;
    }
    const auto seeing = [&graph](int candidate) { return graph.seeing.data() + static_cast<size_t>(candidate) * W; };
    // Start's digit in the cells that see all of start;
    for (cellSet v = g.pos[d] & graph.around[static_cast<size_t>(start)]; v.any();) {
        const unsigned long long* r = seeing(v.pop() * 9 + d);
        for (int k = 0; k < W; k++) row[k] |= r[k];
    }
    if (!node.cells.single()) return;
    // the other digits of start's cell.
    const int c = node.cells.first();
    for (unsigned m = g.cand[c] & ~(1u << d); m; m &= m - 1) {
        const unsigned long long* r = seeing(c * 9 + lowBit(m));
        for (int k = 0; k < W; k++) row[k] |= r[k];
    }
}

// The ends at which a chain from `start` closes a loop (closesLoop, the
// length aside): weakly linked to it, or of one cell with it.
template <int W>
void closeRow(const chainGraph& graph, int start, unsigned long long* row) {
    const unsigned long long* weak = graph.weakBits.data() + static_cast<size_t>(start) * W;
    for (int k = 0; k < W; k++) row[k] = weak[k];
    const ladderNode& node = graph.nodes[static_cast<size_t>(start)];
    // Without sets, the nodes of one cell are its candidates, weakly linked.
    if (graph.oneDigit || graph.plainNodes == static_cast<int>(graph.nodes.size()) || !node.cells.single()) return;
    const unsigned long long* s = graph.singlesAt.data() + static_cast<size_t>(node.cells.first()) * W;
    const unsigned long long* same = graph.ofDigit.data() + static_cast<size_t>(node.digit - 1) * W;
    for (int k = 0; k < W; k++) row[k] |= s[k] & ~same[k];
}

// The productive weak links of node x (chainGraph::productive).
template <int W>
const unsigned long long* productiveRow(const ladderGrid& g, chainGraph& graph, int x) {
    unsigned long long* row = graph.productive.data() + static_cast<size_t>(x) * W;
    unsigned long long& known = graph.productiveKnown[static_cast<size_t>(x) / 64];
    if (!((known >> (x % 64)) & 1)) {
        effectRow<W>(g, graph, x, row);
        const unsigned long long* weak = graph.weakBits.data() + static_cast<size_t>(x) * W;
        for (int k = 0; k < W; k++) row[k] &= weak[k];
        known |= 1ull << (x % 64);
    }
    return row;
}

// What quietStart finds.
enum quietness { quiet, notQuiet, closesOnly };

// Whether the search from `start` is sure to find nothing shorter than
// bestLength; if so, and `counting`, *links is the links it would have
// looked at, so that the bound on them holds as if it had. Its breadth
// first levels are taken whole, as rows of bits: the search reaches each
// node at the same depth. Only where a chain could end with an effect
// (`effect`, the path left aside) or close a loop (`closing`) does the
// search itself have to run; from most starts it does not. A loop removes
// something only by a productive weak link: a loop that closes gives
// closesOnly, the levels still taken to the end for the chains with an
// effect, and *lastClose is the last level where one closed; a second
// pass (productiveLoop) then looks at those loops.
// With `keeping` (the first pass over a kept graph), a quiet start leaves
// in `seenOut` the nodes its levels saw, and in *early whether it stopped
// before its levels ended, every node it could stop at seen. With
// `levelsOut`, it leaves there each level's new nodes (W words by length)
// for the second pass.
// (`loops` is the search's, a copy for each.)
template <int W, bool counting, bool keeping, bool loops>
int quietStart(chainGraph& graph, const chainSearch& s, int start, int bestLength,
               const unsigned long long* effect, const unsigned long long* closing, long* links, int* lastClose,
               unsigned long long* seenOut = nullptr, bool* early = nullptr, unsigned long long* levelsOut = nullptr) {
    // False, and strongly linked to the start: a loop that places it.
    const unsigned long long* placing = loops && mayPlace(s, graph.nodes[static_cast<size_t>(start)])
                                            ? &graph.strongBits[static_cast<size_t>(start) * W]
                                            : nullptr;
    // Every node the search could stop at; without counting, the search
    // ends where none is left to reach. A chain ends true, reached by a
    // strong link: only at a node with one.
    const unsigned long long* linked = graph.linkedRow.data();
    unsigned long long targets[W];
    unsigned long long anyTarget = 0;
    for (int k = 0; k < W; k++) {
        targets[k] = ((effect[k] | (loops ? closing[k] : 0)) & linked[k]) | (placing ? placing[k] : 0);
        anyTarget |= targets[k];
    }
    if (!counting && !anyTarget) {
        if (keeping) {
            for (int k = 0; k < W; k++) seenOut[k] = 0;
            seenOut[start / 64] = 1ull << (start % 64);
            *early = true;
        }
        return quiet;
    }
    unsigned long long seen[W] = {}, level[W] = {};
    bool stoppedEarly = false;
    seen[start / 64] = level[start / 64] = 1ull << (start % 64);
    long count = 0;
    // One level, from `length`: its nodes false (followed by their strong
    // links to true ones) or true (by their weak links). notQuiet, quiet
    // or closesOnly to stop there, -1 to go on.
    const auto step = [&](auto truthTag, int length) -> int {
        constexpr bool truth = decltype(truthTag)::value;
        const int* first = truth ? graph.weakStart.data() : graph.strongStart.data();
        const unsigned long long* bits = truth ? graph.weakBits.data() : graph.strongBits.data();
        unsigned long long next[W] = {};
        // A false node without strong links leads nowhere (and counts none).
        for (int w = 0; w < W; w++)
            for (unsigned long long m = truth ? level[w] : level[w] & linked[w]; m; m &= m - 1) {
                const int node = w * 64 + __builtin_ctzll(m);
                if (counting) count += first[node + 1] - first[node];
                const unsigned long long* row = bits + static_cast<size_t>(node) * W;
                for (int k = 0; k < W; k++) next[k] |= row[k];
            }
        unsigned long long any = 0, left = 0;
        for (int k = 0; k < W; k++) {
            next[k] &= ~seen[k];
            seen[k] |= next[k];
            any |= next[k];
            if (!counting) left |= targets[k] & ~seen[k];
        }
        if (!any) return quiet;
        if (levelsOut)
            for (int k = 0; k < W; k++) levelsOut[static_cast<size_t>(length) * W + k] = next[k];
        unsigned long long hit = 0, closes = 0;
        // (What ends with an effect was weighed by the first pass.)
        if (!truth && length + 1 >= s.minNodes) {
            for (int k = 0; k < W; k++) hit |= next[k] & effect[k];
            if (loops && length + 1 >= 4)
                for (int k = 0; k < W; k++) closes |= next[k] & closing[k];
        }
        // Reached false, to be followed next by its strong links.
        if (placing && truth && length + 2 < bestLength)
            for (int k = 0; k < W; k++) hit |= next[k] & placing[k];
        if (hit) return notQuiet;
        if (closes) *lastClose = length;
        // What is left unreached can only be reached later.
        if (!counting && !left) {
            if (keeping) stoppedEarly = true;
            return quiet;
        }
        for (int k = 0; k < W; k++) level[k] = next[k];
        return -1;
    };
    // The start is false, then strong and weak links alternate.
    for (int length = 1; length + 1 < bestLength; length++) {
        int r = step(std::false_type(), length);
        if (r < 0 && ++length + 1 < bestLength) r = step(std::true_type(), length);
        if (r == quiet) break;
        if (r >= 0) return r;
    }
    if (counting) *links = count;
    if (keeping) {
        for (int k = 0; k < W; k++) seenOut[k] = seen[k];
        *early = stoppedEarly;
    }
    return *lastClose ? closesOnly : quiet;
}

// Room for the levels of a first pass, `words` words.
inline unsigned long long* levelRoom(size_t words) {
    static thread_local std::vector<unsigned long long> levels;
    if (levels.size() < words) levels.resize(words);
    return levels.data();
}

// The second pass of a start whose first closed loops, the last at length
// lastClose: whether a path through a productive weak link reaches a node
// where a loop closes, over the levels the first pass left in `levels`
// (a superset of the nodes the search's own paths reach there, so as to
// pass over the loops without). Only the nodes so reached have their
// links followed: the levels themselves are known.
// (Kept out of line: the first pass's callers are inlined where it is not.)
template <int W>
__attribute__((noinline)) bool productiveLoop(const ladderGrid& g, chainGraph& graph, const chainSearch& s,
                                              int bestLength, const unsigned long long* closing, int lastClose,
                                              const unsigned long long* levels) {
    // The start's own links reach nothing yet: a path counts from its
    // first productive weak link.
    unsigned long long reached[W] = {};
    for (int length = 1; length + 1 < bestLength && length <= lastClose; length++) {
        const bool truth = length % 2 == 0;
        // (A true level is never the first.)
        const unsigned long long* in = levels + static_cast<size_t>(length - 1) * W;
        const unsigned long long* next = levels + static_cast<size_t>(length) * W;
        const unsigned long long* bits = truth ? graph.weakBits.data() : graph.strongBits.data();
        unsigned long long reachedNext[W] = {};
        for (int w = 0; w < W; w++) {
            for (unsigned long long m = reached[w]; m; m &= m - 1) {
                const unsigned long long* row = bits + static_cast<size_t>(w * 64 + __builtin_ctzll(m)) * W;
                for (int k = 0; k < W; k++) reachedNext[k] |= row[k];
            }
            if (!truth) continue;
            for (unsigned long long m = in[w] & ~reached[w]; m; m &= m - 1) {
                const unsigned long long* productive = productiveRow<W>(g, graph, w * 64 + __builtin_ctzll(m));
                for (int k = 0; k < W; k++) reachedNext[k] |= productive[k];
            }
        }
        if (!truth && length + 1 >= s.minNodes && length + 1 >= 4) {
            unsigned long long closes = 0;
            for (int k = 0; k < W; k++) closes |= next[k] & closing[k] & reachedNext[k];
            if (closes) return true;
        }
        for (int k = 0; k < W; k++) reached[k] = reachedNext[k] & next[k];
    }
    return false;
}

// The rows of `start` and whether its search is quiet, for the graph's words.
// A kept graph's start remembered as quiet is quiet again under a bound on
// lengths no larger (its levels a part of those it had, with no more
// effect), and counts the same links under the same bound. One that
// stopped once it had seen every node it could stop at must see the nodes
// it could stop at now in those it saw: the levels beyond were not looked at.
// (Inlined in the loop over the starts, which calls it for each.)
template <int W>
inline __attribute__((always_inline)) bool quietRows(const ladderGrid& g, chainGraph& graph, const chainSearch& s,
                                                     int start, int bestLength, unsigned long long* effect,
                                                     unsigned long long* closing, bool counting, long* looked) {
    const size_t at = static_cast<size_t>(start);
    const int wasQuiet = graph.quietKept ? graph.quietLength[at] : 0;
    const bool kept = wasQuiet && (counting ? wasQuiet == bestLength && graph.quietLinks[at] >= 0 : bestLength <= wasQuiet);
    if (kept && !graph.quietEarly[at]) {
        *looked += counting ? graph.quietLinks[at] : 0;
        return true;
    }
    if (s.loops && graph.noOpenChain) {
        for (int k = 0; k < W; k++) effect[k] = 0;
    } else {
        effectRow<W>(g, graph, start, effect);
    }
    if (s.loops) closeRow<W>(graph, start, closing);
    unsigned long long* seen = graph.quietKept ? graph.quietSeen.data() + at * W : nullptr;
    if (kept) {
        const unsigned long long* placing = mayPlace(s, graph.nodes[at]) ? &graph.strongBits[at * W] : nullptr;
        const unsigned long long* linked = graph.linkedRow.data();
        unsigned long long outside = 0;
        for (int k = 0; k < W; k++)
            outside |= (((effect[k] | (s.loops ? closing[k] : 0)) & linked[k]) | (placing ? placing[k] : 0)) & ~seen[k];
        if (!outside) return true;  // (not counting: it stopped early)
    }
    long links = 0;
    int lastClose = 0;
    bool early = false;
    // Each level's new nodes, for a second pass (loops alone close).
    unsigned long long* levelsOut = s.loops ? levelRoom(static_cast<size_t>(bestLength) * W) : nullptr;
    // (Kept graphs alone remember what their passes saw.)
    const auto pass = [&](auto loopsTag) {
        constexpr bool L = decltype(loopsTag)::value;
        return graph.quietKept
                   ? (counting ? quietStart<W, true, true, L>(graph, s, start, bestLength, effect, closing, &links, &lastClose, seen, &early, levelsOut)
                               : quietStart<W, false, true, L>(graph, s, start, bestLength, effect, closing, &links, &lastClose, seen, &early, levelsOut))
                   : (counting ? quietStart<W, true, false, L>(graph, s, start, bestLength, effect, closing, &links, &lastClose, nullptr, nullptr, levelsOut)
                               : quietStart<W, false, false, L>(graph, s, start, bestLength, effect, closing, &links, &lastClose, nullptr, nullptr, levelsOut));
    };
    const int first = s.loops ? pass(std::true_type()) : pass(std::false_type());
    bool quietHere = first != notQuiet;
    if (first == closesOnly) quietHere = !productiveLoop<W>(g, graph, s, bestLength, closing, lastClose, levelsOut);
    if (graph.quietKept) {
        graph.quietLength[at] = quietHere ? bestLength : 0;
        graph.quietLinks[at] = counting ? links : -1;
        graph.quietEarly[at] = early;
    }
    if (!quietHere) return false;
    *looked += links;
    return true;
}

// What a search keeps over its starts while it passes over quiet ones.
struct startRun {
    long looked = 0;      // links looked at
    bool counting = false;
    long startsLeft = 0;  // while counting
    long most = 0;        // links of one start, at most
    bool loopless = false, marking = false;  // (searchChains)
};

// Passes over the starts from `place` on that the rows show quiet, as the
// search does, one after another: the place of the first that is not
// (its turn in the bound on links taken), or `end`; *stop when the bound
// on links stops the search there.
template <int W>
size_t quietRun(const ladderGrid& g, chainGraph& graph, const chainSearch& s, size_t place, size_t end, int bestLength,
                unsigned long long* effect, unsigned long long* closing, startRun* run, bool* stop) {
    const int* starts = graph.strongNodes.data();
    for (; place < end; place++) {
        const int start = starts[place];
        if (s.budget != 0 && run->looked >= s.budget) {
            *stop = true;
            return place;
        }
        if (run->counting && run->looked + run->startsLeft-- * run->most < s.budget) run->counting = false;
        if (run->loopless && graph.loopless.has(start)) continue;
        if (!quietRows<W>(g, graph, s, start, bestLength, effect, closing, run->counting, &run->looked)) return place;
        if (run->marking) graph.loopless.add(start);
    }
    return place;
}

size_t quietStarts(const ladderGrid& g, chainGraph& graph, const chainSearch& s, size_t place, size_t end, int bestLength,
                   unsigned long long* effect, unsigned long long* closing, startRun* run, bool* stop) {
    switch (graph.words) {
    case 1: return quietRun<1>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 2: return quietRun<2>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 3: return quietRun<3>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 4: return quietRun<4>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 5: return quietRun<5>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 6: return quietRun<6>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 7: return quietRun<7>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 8: return quietRun<8>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 12: return quietRun<12>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    case 16: return quietRun<16>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    default: return quietRun<kMostWords>(g, graph, s, place, end, bestLength, effect, closing, run, stop);
    }
}

// The most links a search from one start looks at: each node's once at
// most (its strong ones false, its weak ones true), and none of a node
// without strong links (never true, and false with none to follow).
long startLinkBound(const chainGraph& graph) {
    long most = 0;
    for (int i : graph.strongNodes) {
        const int strong = graph.strongStart[static_cast<size_t>(i) + 1] - graph.strongStart[static_cast<size_t>(i)];
        const int weak = graph.weakStart[static_cast<size_t>(i) + 1] - graph.weakStart[static_cast<size_t>(i)];
        most += strong > weak ? strong : weak;
    }
    return most;
}

// Breadth first from each node with a strong link, alternating strong and
// weak; the shortest chain with an effect wins (the first such at its
// length, in node order).
bool searchChains(const ladderGrid& g, chainGraph& graph, const chainSearch& s, chainFound* best) {
    const int n = static_cast<int>(graph.nodes.size());
    // `seen`: the start whose search last reached the node, in either truth.
    static thread_local std::vector<int> parent, depth, seen, queue;
    bool ready = false;  // made ready for the first start searched
    int bestLength = s.maxNodes + 1;
    // (Kept, as their room is, from one search to the next.)
    static thread_local std::vector<int> path;
    static thread_local std::vector<unsigned short> removals;
    path.clear();
    removals.clear();
    // State 2 * node + 1: the node is true (reached by a strong link); 2 * node: false.
    // The nodes of the chain that ends in `state`, from its start.
    const auto tracePath = [](int state, std::vector<int>* out) {
        out->clear();
        for (int st = state; st >= 0; st = parent[static_cast<size_t>(st)]) out->push_back(st / 2);
        std::reverse(out->begin(), out->end());
    };
    startRun run;
    long& looked = run.looked;
    // Rows of bits pass over the quiet starts, and over the ends without effect.
    const bool rows = skipQuietStarts && graph.words <= kMostWords;
    if (!graph.lists && (!rows || s.budget != 0)) digitLists(g, &graph);
    // Once the starts left cannot reach the bound together, the links need
    // no count.
    bool& counting = run.counting;
    counting = s.budget != 0;
    // The sets' starts are listed after every other: without them, the
    // starts end where theirs begin.
    const std::vector<int>& starts = graph.strongNodes;
    const int plainNodes = graph.plainNodes;
    const size_t end = s.plainStarts ? static_cast<size_t>(std::partition_point(starts.begin(), starts.end(),
                                                                                [plainNodes](int x) { return x < plainNodes; }) -
                                                           starts.begin())
                                     : starts.size();
    long& most = run.most;
    long& startsLeft = run.startsLeft;
    if (counting) {
        most = startLinkBound(graph);
        startsLeft = end > static_cast<size_t>(s.from) ? static_cast<long>(end) - s.from : 0;
    }
    unsigned long long effect[kMostWords], closing[kMostWords];
    const auto inRow = [](const unsigned long long* row, int i) {
        const unsigned u = static_cast<unsigned>(i);
        return (row[u >> 6] >> (u & 63)) & 1;
    };
    // One digit's graph: its search without loops keeps the starts it
    // passes over as quiet; one with them, after it found nothing, passes
    // over those too.
    run.marking = rows && graph.oneDigit && !s.loops;
    run.loopless = rows && graph.oneDigit && s.loops && graph.noOpenChain;
    if (run.marking) graph.loopless = cellSet();
    // (No start before `from` looks at a link: the bound is not reached there.)
    for (size_t place = static_cast<size_t>(s.from); place < end; place++) {
        if (rows) {
            // The quiet starts one after another, up to one to search.
            bool stop = false;
            place = quietStarts(g, graph, s, place, end, bestLength, effect, closing, &run, &stop);
            if (stop || place == end) break;
        } else {
            if (s.budget != 0 && looked >= s.budget) break;
            if (counting && looked + startsLeft-- * most < s.budget) counting = false;
        }
        const int start = starts[place];
        if (!graph.lists) digitLists(g, &graph);
        const long lookedBefore = looked;
        if (!ready) {
            seen.assign(static_cast<size_t>(n), -1);
            parent.resize(static_cast<size_t>(2 * n));
            depth.resize(static_cast<size_t>(2 * n));
            queue.resize(static_cast<size_t>(n));  // each node once at most
            ready = true;
        }
        size_t tail = 0;
        queue[tail++] = 2 * start;
        seen[static_cast<size_t>(start)] = start;
        parent[static_cast<size_t>(2 * start)] = -1;
        depth[static_cast<size_t>(2 * start)] = 1;
        for (size_t q = 0; q < tail; q++) {
            const int state = queue[q], node = state / 2, truth = state % 2;
            const int length = depth[static_cast<size_t>(state)];
            if (length + 1 >= bestLength) break;
            const std::vector<int>& list = truth ? graph.weakList : graph.strongList;
            const std::vector<int>& first = truth ? graph.weakStart : graph.strongStart;
            looked += first[static_cast<size_t>(node) + 1] - first[static_cast<size_t>(node)];
            for (int k = first[static_cast<size_t>(node)]; k < first[static_cast<size_t>(node) + 1]; k++) {
                const int next = list[static_cast<size_t>(k)], nextState = 2 * next + (truth ? 0 : 1);
                if (next == start && nextState == 2 * start + 1 && mayPlace(s, graph.nodes[static_cast<size_t>(start)])) {
                    // start false leads to start true: it is true.
                    tracePath(state, &path);
                    best->path = path;
                    best->strong.clear();
                    for (size_t i = 0; i < path.size(); i++) best->strong.push_back(i % 2 == 0 ? 1 : 0);
                    best->loop = loopDiscontinuous;
                    best->placeCell = graph.nodes[static_cast<size_t>(start)].cells.first();
                    best->placeDigit = graph.nodes[static_cast<size_t>(start)].digit;
                    best->removals.clear();
                    bestLength = length + 1;
                    continue;
                }
                // A node may appear once in a chain: in either truth.
                if (seen[static_cast<size_t>(next)] == start) continue;
                seen[static_cast<size_t>(next)] = start;
                parent[static_cast<size_t>(nextState)] = state;
                depth[static_cast<size_t>(nextState)] = length + 1;
                queue[tail++] = nextState;
                if (nextState % 2 == 0 || length + 1 < s.minNodes) continue;  // ends must be true, after a strong link
                path.clear();
                removals.clear();
                if (!rows || inRow(effect, next)) commonWeak(g, graph, start, next, path, &removals);
                const bool closes = closesLoop(graph, s, start, next, length + 1);
                if (removals.empty() && !closes) continue;
                tracePath(nextState, &path);
                if (!removals.empty()) commonWeak(g, graph, start, next, path, &removals);
                if (!removals.empty()) {
                    best->path = path;
                    best->strong.clear();
                    for (size_t i = 0; i + 1 < path.size(); i++) best->strong.push_back(i % 2 == 0 ? 1 : 0);
                    best->loop = loopNone;
                    best->placeCell = -1;
                    best->removals = removals;
                    bestLength = length + 1;
                    break;
                }
                // Every weak link of the loop removes what sees both its ends.
                if (closes) {
                    std::vector<unsigned short> all, some;
                    for (size_t i = 1; i < path.size(); i += 2) {
                        commonWeak(g, graph, path[i], path[(i + 1) % path.size()], path, &some);
                        for (unsigned short r : some) {
                            bool dup = false;
                            for (unsigned short e : all) dup = dup || e == r;
                            if (!dup) all.push_back(r);
                        }
                    }
                    if (!all.empty()) {
                        best->path = path;
                        best->strong.clear();
                        for (size_t i = 0; i < path.size(); i++) best->strong.push_back(i % 2 == 0 ? 1 : 0);
                        best->loop = loopContinuous;
                        best->placeCell = -1;
                        best->removals = all;
                        bestLength = length + 1;
                        break;
                    }
                }
            }
        }
        if (best->firstStart == kSearchedAll && bestLength <= s.maxNodes) best->firstStart = static_cast<int>(place);
        if (s.startLinks) s.startLinks->push_back(looked - lookedBefore);
    }
    return bestLength <= s.maxNodes;
}

void chainStep(const chainGraph& graph, const chainFound& found, int technique, ladderStep* step) {
    setTechnique(step, technique, lengthBonus(static_cast<int>(found.path.size())));
    // Each tier's chains stay below the next tier.
    const int ceiling = ladderInfo(technique).level == levelExpert ? 69 : 99;
    if (step->difficulty > ceiling) step->difficulty = ceiling;
    ladderPattern& p = step->pattern;
    p.kind = patternChain;
    for (int i : found.path) p.nodes.push_back(graph.nodes[static_cast<size_t>(i)]);
    p.strong = found.strong;
    p.loop = found.loop;
    step->placeCell = found.placeCell;
    step->placeDigit = found.placeDigit;
    step->removals = found.removals;
}

// A graph of two-candidate cells depends on those cells alone. Searched
// again with the same such cells and no candidate that the last search did
// not have, each start finds the same chains with at most the same
// effects: the starts before the one that found the last search's first
// chain (all, if it found none) find nothing again.
struct bivalueMemo {
    bool valid = false;
    cellSet cells;    // the graph's cells
    cellSet pos[9];   // every digit's places
    int frontier = kSearchedAll;
};

// The cells with exactly two candidates.
cellSet twoCandidates(const ladderGrid& g) {
    cellSet one, two, more;
    for (const cellSet& p : g.pos) {
        more |= two & p;
        two |= one & p;
        one |= p;
    }
    return two.minus(more);
}

// The starts a search of a graph of two-candidate cells may pass over. The
// same cells with no candidate back have the same candidates: two, of the
// two they had.
int bivalueFrom(const ladderGrid& g, const graphFilter& filter, bivalueMemo* memo) {
    cellSet cells = twoCandidates(g);
    if (filter.pair) cells &= g.pos[lowBit(filter.pair)] & g.pos[31 - __builtin_clz(filter.pair)];
    bool same = memo->valid && cells == memo->cells;
    for (int d = 0; d < 9 && same; d++) same = g.pos[d].within(memo->pos[d]);
    memo->cells = cells;
    std::copy(g.pos, g.pos + 9, memo->pos);
    memo->valid = true;
    if (!same) memo->frontier = 0;
    return memo->frontier;
}

bool searchGraph(const ladderGrid& g, chainGraph& graph, const chainSearch& search, int technique, ladderStep* step,
                 bivalueMemo* memo) {
    chainFound found;
    const bool any = searchChains(g, graph, search, &found);
    if (memo) memo->frontier = found.firstStart;
    if (!any) return false;
    chainStep(graph, found, technique, step);
    return true;
}

bool chainFinder(const ladderGrid& g, const graphFilter& filter, chainSearch search, int technique,
                 ladderStep* step) {
    // XY-Chains (slot 0) and remote pairs (a slot for each pair).
    static thread_local bivalueMemo memos[82];
    bivalueMemo* memo = nullptr;
    if (filter.bivalueOnly && skipQuietStarts) {
        memo = &memos[filter.pair ? 1 + lowBit(filter.pair) * 9 + (31 - __builtin_clz(filter.pair)) : 0];
        search.from = bivalueFrom(g, filter, memo);
        if (search.from == kSearchedAll) return false;
    }
    // A graph of one digit's candidates depends on that digit's places
    // alone, and X-Chains and X-Cycles search the same one: each digit's is
    // kept until its places change.
    struct kept {
        chainGraph graph;
        bool valid = false;
        cellSet places;
    };
    static thread_local kept graphs[10];
    const bool oneDigit = filter.digit >= 0 && filter.reach == reachCandidates && !filter.bivalueOnly;
    // The alternating chains' graphs are kept and brought up to date.
    static thread_local keptGraph alternating[3];
    if (skipQuietStarts && filter.digit < 0 && !filter.bivalueOnly) {
        keptGraph& k = alternating[filter.reach];
        if (!k.valid || !updateGraph(g, filter, &k)) buildKept(g, filter, &k);
        return searchGraph(g, k.graph, search, technique, step, nullptr);
    }
    // And the XY-Chains' graph of every two-candidate cell.
    static thread_local keptGraph bivalue;
    if (skipQuietStarts && filter.bivalueOnly && !filter.pair) {
        if (!bivalue.valid || !updateBivalueGraph(g, filter, &bivalue)) buildKept(g, filter, &bivalue);
        return searchGraph(g, bivalue.graph, search, technique, step, memo);
    }
    kept& here = graphs[oneDigit ? filter.digit : 9];
    if (!oneDigit || !here.valid || here.places != g.pos[filter.digit]) {
        if (oneDigit) buildDigitGraph(g, filter.digit, &here.graph);
        else {
            static thread_local graphIndex at;
            buildGraph(g, filter, &here.graph, at);
            forgetNodes(here.graph, &at);
        }
        here.valid = oneDigit;
        if (oneDigit) here.places = g.pos[filter.digit];
    }
    chainGraph& graph = here.graph;
    chainFound found;
    const bool any = searchChains(g, graph, search, &found);
    if (memo) memo->frontier = found.firstStart;
    if (oneDigit && !any && !search.loops && skipQuietStarts) graph.noOpenChain = true;
    if (!any) return false;
    chainStep(graph, found, technique, step);
    return true;
}

}  // namespace

void ladderSkipQuietChainStarts(bool skip) {
    skipQuietStarts = skip;
}

namespace {

// Whether a graph built anew has, node by node, the lists that bringing it
// up to date makes (weakLinks, strongLinks): a build takes shorter ways to
// them.
bool listsAsRemade(const ladderGrid& g, const graphFilter& f, const keptGraph& k) {
    const chainGraph& graph = k.graph;
    std::vector<int> list;
    for (int x = 0; x < static_cast<int>(graph.nodes.size()); x++) {
        const size_t i = static_cast<size_t>(x);
        list.clear();
        weakLinks(g, graph, k.at, x, &list);
        if (!std::equal(list.begin(), list.end(), graph.weakList.begin() + graph.weakStart[i],
                        graph.weakList.begin() + graph.weakStart[i + 1]))
            return false;
        list.clear();
        strongLinks(g, f, graph, k.at, x, &list);
        if (!std::equal(list.begin(), list.end(), graph.strongList.begin() + graph.strongStart[i],
                        graph.strongList.begin() + graph.strongStart[i + 1]))
            return false;
    }
    return true;
}

}  // namespace

int ladderCheckKeptChainGraphs(const std::vector<ladderGrid>& grids, int reach) {
    if (grids.empty()) return 0;
    graphFilter f;
    f.reach = reach < reachAls ? reach : reachAls;
    f.bivalueOnly = reach > reachAls;
    if (f.bivalueOnly) f.reach = reachCandidates;
    keptGraph k, fresh;
    buildKept(grids[0], f, &k);
    if (!listsAsRemade(grids[0], f, k)) return -1;
    int updated = 0;
    for (size_t i = 1; i < grids.size(); i++) {
        if (!(f.bivalueOnly ? updateBivalueGraph(grids[i], f, &k) : updateGraph(grids[i], f, &k))) {
            buildKept(grids[i], f, &k);
            if (!listsAsRemade(grids[i], f, k)) return -1;
            continue;
        }
        buildKept(grids[i], f, &fresh);
        if (!listsAsRemade(grids[i], f, fresh) || !sameGraph(k, fresh.graph)) return -1;
        updated++;
    }
    return updated;
}

void ladderChainLinksOfAStart(const ladderGrid& g, int reach, long* bound, long* most) {
    graphFilter f;
    f.reach = reach;
    chainGraph graph;
    graphIndex at;
    buildGraph(g, f, &graph, at);
    *bound = startLinkBound(graph);
    std::vector<long> links;
    chainSearch s;
    s.maxNodes = reach == reachCandidates ? 14 : reach == reachGroups ? 12 : 10;
    s.loops = true;
    s.plainStarts = reach == reachAls;
    s.startLinks = &links;
    chainFound found;
    const bool skip = skipQuietStarts;
    skipQuietStarts = false;
    searchChains(g, graph, s, &found);
    skipQuietStarts = skip;
    *most = links.empty() ? 0 : *std::max_element(links.begin(), links.end());
}

int ladderCheckLooplessStarts(const ladderGrid& g, int d) {
    chainGraph graph;
    buildDigitGraph(g, d, &graph);
    const bool skip = skipQuietStarts;
    skipQuietStarts = true;
    chainSearch open;
    open.maxNodes = 32;
    chainFound found;
    const bool any = searchChains(g, graph, open, &found);
    skipQuietStarts = skip;
    if (any) return 0;
    graph.noOpenChain = true;
    chainSearch withLoops = open;
    withLoops.loops = true;
    int loopless = 0;
    for (int start : graph.strongNodes) {
        if (!graph.loopless.has(start)) continue;
        unsigned long long effect[2] = {0, 0}, closing[2];
        closeRow<2>(graph, start, closing);
        long links = 0;
        int lastClose = 0;
        if (quietStart<2, false, false, true>(graph, withLoops, start, withLoops.maxNodes + 1, effect, closing, &links,
                                        &lastClose) != quiet)
            return -1;
        loopless++;
    }
    return loopless;
}

void ladderChainLinkBudget(long links) {
    linkBudget = links > 0 ? links : kLinkBudget;
}

bool findSimpleColouring(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return colouring<false>(g, digits, step);
}

bool findMedusa(const ladderGrid& g, ladderStep* step) {
    return colouring<true>(g, kAllDigits, step);
}

namespace {

// Chains of one digit's links, digit by digit: open ones, or with `loops`
// cycles too.
bool oneDigitChains(const ladderGrid& g, unsigned digits, bool loops, int technique, ladderStep* step) {
    for (int d = 0; d < 9; d++) {
        if (!(digits & (1u << d))) continue;
        graphFilter f;
        f.digit = d;
        chainSearch s;
        s.maxNodes = 32;
        s.loops = loops;
        if (chainFinder(g, f, s, technique, step)) return true;
    }
    return false;
}

}  // namespace

bool findXChain(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return oneDigitChains(g, digits, false, techXChain, step);
}

bool findXCycle(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return oneDigitChains(g, digits, true, techXCycle, step);
}

bool findRemotePair(const ladderGrid& g, ladderStep* step) {
    // The cells of each pair of digits (by its mask), and the pairs tried:
    // in the order of their first cell, the first of each lower digit only.
    unsigned char cellsOf[512];
    unsigned short pairs[9];
    int count = 0;
    unsigned lower = 0;
    const cellSet two = twoCandidates(g);
    for (cellSet v = two; v.any();) cellsOf[g.cand[v.pop()]] = 0;
    for (cellSet v = two; v.any();) {
        const unsigned pair = g.cand[v.pop()];
        if (cellsOf[pair]++ == 0 && !(lower & (pair & (0u - pair)))) {
            lower |= pair & (0u - pair);
            pairs[count++] = static_cast<unsigned short>(pair);
        }
    }
    for (int i = 0; i < count; i++) {
        // Eight nodes are four cells of the pair.
        if (cellsOf[pairs[i]] < 4) continue;
        graphFilter f;
        f.bivalueOnly = true;
        f.pair = pairs[i];
        chainSearch s;
        s.maxNodes = 32;
        s.minNodes = 8;  // four cells: with fewer it is a naked pair or a wing
        if (chainFinder(g, f, s, techRemotePair, step)) return true;
    }
    return false;
}

bool ladderRemotePairOf(const ladderGrid& g, unsigned pair, ladderStep* step) {
    graphFilter f;
    f.bivalueOnly = true;
    f.pair = pair;
    chainGraph graph;
    graphIndex at;
    buildGraph(g, f, &graph, at);
    chainSearch s;
    s.maxNodes = 32;
    s.minNodes = 8;
    chainFound found;
    if (!searchChains(g, graph, s, &found)) return false;
    chainStep(graph, found, techRemotePair, step);
    return true;
}

bool findXYChain(const ladderGrid& g, ladderStep* step) {
    graphFilter f;
    f.bivalueOnly = true;
    chainSearch s;
    s.maxNodes = 32;
    return chainFinder(g, f, s, techXYChain, step);
}

bool findAic(const ladderGrid& g, int reach, ladderStep* step) {
    graphFilter f;
    f.reach = reach;
    chainSearch s;
    s.maxNodes = reach == reachCandidates ? 14 : reach == reachGroups ? 12 : 10;
    s.loops = true;
    // A chain whose ends are both sets is left to ALS-XZ and its kin.
    s.plainStarts = reach == reachAls;
    s.budget = linkBudget;
    static const int techniques[] = {techAic, techGroupedAic, techAlsAic};
    return chainFinder(g, f, s, techniques[reach], step);
}
