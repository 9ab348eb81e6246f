// Chains: colouring, X-chains and cycles, XY-chains and remote pairs,
// almost locked sets, and alternating inference chains over candidates,
// groups and almost locked sets. All but colouring search one graph of
// nodes joined by strong links (at least one of two is true) and weak links
// (not both), breadth first, so the shortest chain of a kind is found first.
#include <algorithm>
#include <cstddef>
#include <cstring>
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

// ---------------------------------------------------------------- colouring

// The candidates weakly linked to a single-cell candidate (c, d): the same
// digit where the cell is seen, and the cell's other digits. Per digit.
struct candidateSets {
    cellSet of[9];
};

void weakOf(const ladderGrid& g, int digit, cellSet cells, candidateSets* out) {
    for (int d = 0; d < 9; d++) out->of[d] = cellSet();
    const int d = digit - 1;
    out->of[d] = (g.pos[d] & seeingAll(cells)).minus(cells);
    if (cells.single()) {
        const int c = cells.first();
        for (unsigned m = g.cand[c] & ~(1u << d); m; m &= m - 1) out->of[lowBit(m)].add(c);
    }
}

// Clusters of candidates joined by strong links, each coloured in two; for
// one digit (simple colouring) or all (3D Medusa).
bool colouring(const ladderGrid& g, bool medusa, unsigned digits, ladderStep* step) {
    static thread_local std::vector<short> colourOf, order, parent;
    colourOf.assign(729, -1);
    // The candidates to start from, digit by digit.
    short starts[729];
    int count = 0;
    for (int d = 0; d < 9; d++)
        if (digits & (1u << d))
            for (cellSet at = g.pos[d]; at.any();) starts[count++] = static_cast<short>(at.pop() * 9 + d);
    for (int k = 0; k < count; k++) {
        const int start = starts[k], sd = start % 9;
        if (colourOf[start] >= 0) continue;
        order.clear();
        parent.clear();
        colourOf[start] = 0;
        order.push_back(static_cast<short>(start));
        parent.push_back(-1);
        for (size_t i = 0; i < order.size(); i++) {
            const int node = order[i], c = node / 9, d = node % 9;
            int next[4], n = 0;
            for (int k = 0; k < 3; k++) {
                const cellSet m = g.pos[d] & kGeometry.unit[kGeometry.cellUnit[c][k]];
                if (m.count() == 2) next[n++] = (m.minus(cellSet::of(c))).first() * 9 + d;
            }
            if (medusa && bitCount(g.cand[c]) == 2) next[n++] = c * 9 + lowBit(g.cand[c] & ~(1u << d));
            for (int k = 0; k < n; k++) {
                if (colourOf[next[k]] >= 0) continue;
                colourOf[next[k]] = static_cast<short>(1 - colourOf[node]);
                order.push_back(static_cast<short>(next[k]));
                parent.push_back(static_cast<short>(i));
            }
        }
        if (order.size() < 2) continue;
        if (medusa) {
            // A cluster of one digit alone is simple colouring's.
            bool several = false;
            for (short node : order) several = several || node % 9 != sd;
            if (!several) continue;
        }
        // Two nodes of one colour weakly linked: that colour is false.
        int falseColour = -1, w1 = -1, w2 = -1;
        for (size_t i = 0; i < order.size() && falseColour < 0; i++)
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
        if (falseColour >= 0) {
            for (short node : order)
                if (colourOf[node] == falseColour) gone.push_back(static_cast<unsigned short>(node));
        } else {
            // A candidate weakly linked to both colours.
            candidateSets seen[2];
            for (int k = 0; k < 2; k++)
                for (int d = 0; d < 9; d++) seen[k].of[d] = cellSet();
            for (short node : order) {
                candidateSets w;
                weakOf(g, node % 9 + 1, cellSet::of(node / 9), &w);
                for (int d = 0; d < 9; d++) seen[colourOf[node]].of[d] |= w.of[d];
            }
            // Not this cluster's own (colours 0 and 1; earlier clusters have 2 and 3).
            for (int d = 0; d < 9; d++) {
                cellSet both = seen[0].of[d] & seen[1].of[d];
                for (int c = both.pop(); c >= 0; c = both.pop())
                    if (colourOf[c * 9 + d] < 0 || colourOf[c * 9 + d] > 1) gone.push_back(static_cast<unsigned short>(c * 9 + d));
            }
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
        return true;
    }
    return false;
}

// ------------------------------------------------------- the chains' graph

enum nodeReach { reachCandidates, reachGroups, reachAls };

struct chainGraph {
    std::vector<ladderNode> nodes;
    std::vector<int> strongStart, strongList, weakStart, weakList;  // adjacency, compressed
    std::vector<int> nodeAt;  // the candidate node of (cell * 9 + digit), or -1
    std::vector<cellSet> around;  // the cells that see all of a node's cells
    // The same links as rows of bits over the nodes, `words` words a node.
    int words = 0;
    std::vector<unsigned long long> strongBits, weakBits;
};

// Rows of bits up to this many words; a larger graph is searched without them.
const int kMostWords = 32;

struct graphFilter {
    int reach = reachCandidates;
    int digit = -1;            // one digit only (0..8), or -1
    bool bivalueOnly = false;  // candidates of two-candidate cells, linked strongly only in their cells
    unsigned pair = 0;         // with bivalueOnly: only cells holding exactly these two digits
};

void buildGraph(const ladderGrid& g, const graphFilter& f, chainGraph* graph) {
    graph->nodes.clear();
    graph->nodeAt.assign(729, -1);
    cellSet cells = f.digit >= 0 ? g.pos[f.digit] : g.open;
    for (int c = cells.pop(); c >= 0; c = cells.pop()) {
        if (!g.cand[c]) continue;
        if (f.bivalueOnly && (bitCount(g.cand[c]) != 2 || (f.pair && g.cand[c] != f.pair))) continue;
        for (unsigned m = g.cand[c]; m; m &= m - 1) {
            const int d = lowBit(m);
            if (f.digit >= 0 && d != f.digit) continue;
            graph->nodeAt[c * 9 + d] = static_cast<int>(graph->nodes.size());
            graph->nodes.push_back({static_cast<unsigned char>(d + 1), cellSet::of(c), cellSet()});
        }
    }
    if (f.reach >= reachGroups)
        for (int b = 0; b < 9; b++)
            for (int k = 0; k < 6; k++) {
                const int line = k < 3 ? kRowUnit + (b / 3) * 3 + k : kColumnUnit + (b % 3) * 3 + (k - 3);
                const cellSet cross = kGeometry.unit[kBoxUnit + b] & kGeometry.unit[line];
                for (int d = 0; d < 9; d++) {
                    if (f.digit >= 0 && d != f.digit) continue;
                    const cellSet cells = g.pos[d] & cross;
                    if (cells.count() >= 2) graph->nodes.push_back({static_cast<unsigned char>(d + 1), cells, cellSet()});
                }
            }
    const int plainNodes = static_cast<int>(graph->nodes.size());
    if (f.reach >= reachAls) {
        for (const almostLockedSet* set : almostLockedSets(g, 4)) {
            const almostLockedSet& a = *set;
            // A cell of two candidates is a strong link already; large sets
            // make the search slow for little.
            if (a.size < 2 || a.size > 3) continue;
            for (unsigned m = a.digits; m; m &= m - 1)
                graph->nodes.push_back({static_cast<unsigned char>(lowBit(m) + 1), a.of[lowBit(m)], a.cells});
        }
    }
    const int n = static_cast<int>(graph->nodes.size());
    static thread_local std::vector<std::pair<int, int>> strong, weak;  // both ways
    strong.clear();
    weak.clear();
    const auto link = [](std::vector<std::pair<int, int>>& edges, int a, int b) {
        edges.push_back({a, b});
        edges.push_back({b, a});
    };
    // By digit: the nodes of the digit, and what all of each one's cells see.
    static thread_local std::vector<int> byDigit[9];
    std::vector<cellSet>& around = graph->around;
    around.resize(static_cast<size_t>(n));
    for (int d = 0; d < 9; d++) byDigit[d].clear();
    for (int i = 0; i < n; i++) {
        const ladderNode& node = graph->nodes[static_cast<size_t>(i)];
        byDigit[node.digit - 1].push_back(i);
        around[static_cast<size_t>(i)] = node.cells.single() ? kGeometry.peers[node.cells.first()] : seeingAll(node.cells);
    }
    for (int d = 0; d < 9; d++) {
        const std::vector<int>& list = byDigit[d];
        if (list.empty()) continue;  // no node of the digit, so no link
        // Weak: every cell of one sees every cell of the other.
        for (size_t a = 0; a < list.size(); a++) {
            const ladderNode& na = graph->nodes[static_cast<size_t>(list[a])];
            const cellSet& seen = around[static_cast<size_t>(list[a])];
            if (!seen.meets(g.pos[d])) continue;
            for (size_t b = a + 1; b < list.size(); b++) {
                const ladderNode& nb = graph->nodes[static_cast<size_t>(list[b])];
                if (nb.cells.meets(na.cells) || !nb.cells.within(seen)) continue;
                link(weak, list[a], list[b]);
            }
        }
        if (f.bivalueOnly) continue;
        // Strong: a unit's candidates of the digit split between two nodes
        // (candidates and groups; an almost locked set's links are its own).
        for (int u = 0; u < 27; u++) {
            const cellSet places = g.pos[d] & kGeometry.unit[u];
            const int count = places.count();
            if (count < 2 || count > 6) continue;
            if (count == 2 || f.reach == reachCandidates) {
                if (count != 2) continue;
                cellSet two = places;
                const int a = graph->nodeAt[two.pop() * 9 + d], b = graph->nodeAt[two.pop() * 9 + d];
                if (a >= 0 && b >= 0) link(strong, a, b);
                if (f.reach == reachCandidates) continue;
            }
            int inside[16], m = 0;
            for (int i : list)
                if (i < plainNodes && graph->nodes[static_cast<size_t>(i)].cells.within(places) && m < 16) inside[m++] = i;
            for (int a = 0; a < m; a++)
                for (int b = a + 1; b < m; b++) {
                    const cellSet ca = graph->nodes[static_cast<size_t>(inside[a])].cells,
                                  cb = graph->nodes[static_cast<size_t>(inside[b])].cells;
                    if (count == 2 && ca.single() && cb.single()) continue;  // linked above
                    if (ca.meets(cb) || (ca | cb) != places) continue;
                    link(strong, inside[a], inside[b]);
                }
        }
    }
    // Within a cell: weak between any two digits, strong when they are its only two.
    for (int c = 0; c < 81 && f.digit < 0; c++) {
        for (unsigned m = g.cand[c]; m; m &= m - 1)
            for (unsigned m2 = m & (m - 1); m2; m2 &= m2 - 1) {
                const int a = graph->nodeAt[c * 9 + lowBit(m)], b = graph->nodeAt[c * 9 + lowBit(m2)];
                if (a < 0 || b < 0) continue;
                link(weak, a, b);
                if (bitCount(g.cand[c]) == 2) link(strong, a, b);
            }
    }
    // Within an almost locked set: strong between any two of its digits.
    for (int i = plainNodes; i < n; i++)
        for (int j = i + 1; j < n && graph->nodes[static_cast<size_t>(j)].als == graph->nodes[static_cast<size_t>(i)].als; j++)
            link(strong, i, j);
    // Compressed, each node's links in the order they were made.
    const auto compress = [n](const std::vector<std::pair<int, int>>& edges, std::vector<int>* start, std::vector<int>* list) {
        start->assign(static_cast<size_t>(n) + 1, 0);
        for (const auto& e : edges) (*start)[static_cast<size_t>(e.first) + 1]++;
        for (int i = 0; i < n; i++) (*start)[static_cast<size_t>(i) + 1] += (*start)[static_cast<size_t>(i)];
        list->resize(edges.size());
        static thread_local std::vector<int> fill;
        fill.assign(start->begin(), start->end() - 1);
        for (const auto& e : edges) (*list)[static_cast<size_t>(fill[static_cast<size_t>(e.first)]++)] = e.second;
    };
    compress(strong, &graph->strongStart, &graph->strongList);
    compress(weak, &graph->weakStart, &graph->weakList);
    graph->words = (n + 63) / 64;
    const auto rows = [graph, n](const std::vector<std::pair<int, int>>& edges, std::vector<unsigned long long>* bits) {
        bits->clear();
        if (graph->words > kMostWords) return;
        const size_t words = static_cast<size_t>(graph->words);
        bits->assign(static_cast<size_t>(n) * words, 0);
        for (const auto& e : edges)
            (*bits)[static_cast<size_t>(e.first) * words + static_cast<size_t>(e.second) / 64] |= 1ull << (e.second % 64);
    };
    rows(strong, &graph->strongBits);
    rows(weak, &graph->weakBits);
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
};

struct chainFound {
    std::vector<int> path;  // node indices
    std::vector<unsigned char> strong;
    int loop = loopNone;
    int placeCell = -1, placeDigit = 0;
    std::vector<unsigned short> removals;
};

bool skipQuietStarts = true;

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

// Whether the search from `start` is sure to find nothing shorter than
// bestLength; if so, adds to *looked the links it would have looked at, so
// that the bound on them holds as if it had. Its breadth first levels are
// taken whole, as rows of bits: the search reaches each node at the same
// depth. Only where a chain could end with an effect (the path left aside)
// or a loop could close does the search itself have to run; from most
// starts it does not.
bool quietStart(const ladderGrid& g, const chainGraph& graph, const chainSearch& s, int start, int bestLength,
                long* looked) {
    const int words = graph.words;
    if (words > kMostWords) return false;
    unsigned long long seen[kMostWords] = {}, level[kMostWords] = {}, next[kMostWords];
    seen[start / 64] = level[start / 64] = 1ull << (start % 64);
    // False, and strongly linked to the start: a loop that places it.
    const unsigned long long* placing = mayPlace(s, graph.nodes[static_cast<size_t>(start)])
                                            ? &graph.strongBits[static_cast<size_t>(start) * static_cast<size_t>(words)]
                                            : nullptr;
    long links = 0;
    for (int length = 1; length + 1 < bestLength; length++) {
        const bool truth = length % 2 == 0;  // the start is false, then strong and weak links alternate
        if (placing && !truth)
            for (int k = 0; k < words; k++)
                if (placing[k] & level[k]) return false;
        const int* first = truth ? graph.weakStart.data() : graph.strongStart.data();
        const unsigned long long* bits = truth ? graph.weakBits.data() : graph.strongBits.data();
        for (int k = 0; k < words; k++) next[k] = 0;
        for (int w = 0; w < words; w++)
            for (unsigned long long m = level[w]; m; m &= m - 1) {
                const int node = w * 64 + __builtin_ctzll(m);
                links += first[node + 1] - first[node];
                const unsigned long long* row = bits + static_cast<size_t>(node) * static_cast<size_t>(words);
                for (int k = 0; k < words; k++) next[k] |= row[k];
            }
        unsigned long long any = 0;
        for (int k = 0; k < words; k++) {
            next[k] &= ~seen[k];
            seen[k] |= next[k];
            any |= next[k];
        }
        if (!any) break;
        if (!truth && length + 1 >= s.minNodes)
            for (int w = 0; w < words; w++)
                for (unsigned long long m = next[w]; m; m &= m - 1) {
                    const int end = w * 64 + __builtin_ctzll(m);
                    if (eachCommonWeak(g, graph, start, end, [](unsigned short) { return true; }) ||
                        closesLoop(graph, s, start, end, length + 1))
                        return false;
                }
        for (int k = 0; k < words; k++) level[k] = next[k];
    }
    *looked += links;
    return true;
}

// Breadth first from each node with a strong link, alternating strong and
// weak; the shortest chain with an effect wins (the first such at its
// length, in node order).
bool searchChains(const ladderGrid& g, const chainGraph& graph, const chainSearch& s, chainFound* best) {
    const int n = static_cast<int>(graph.nodes.size());
    // `seen`: the start whose search last reached the node, in either truth.
    static thread_local std::vector<int> parent, depth, seen, queue;
    parent.assign(static_cast<size_t>(2 * n), -1);
    depth.assign(static_cast<size_t>(2 * n), 0);
    seen.assign(static_cast<size_t>(n), -1);
    int bestLength = s.maxNodes + 1;
    std::vector<int> path;
    std::vector<unsigned short> removals;
    // State 2 * node + 1: the node is true (reached by a strong link); 2 * node: false.
    // The nodes of the chain that ends in `state`, from its start.
    const auto tracePath = [](int state, std::vector<int>* out) {
        out->clear();
        for (int st = state; st >= 0; st = parent[static_cast<size_t>(st)]) out->push_back(st / 2);
        std::reverse(out->begin(), out->end());
    };
    long looked = 0;
    for (int start = 0; start < n && (s.budget == 0 || looked < s.budget); start++) {
        if (graph.strongStart[static_cast<size_t>(start)] == graph.strongStart[static_cast<size_t>(start) + 1]) continue;
        if (s.plainStarts && graph.nodes[static_cast<size_t>(start)].als.any()) continue;
        if (skipQuietStarts && quietStart(g, graph, s, start, bestLength, &looked)) continue;
        queue.clear();
        queue.push_back(2 * start);
        seen[static_cast<size_t>(start)] = start;
        parent[static_cast<size_t>(2 * start)] = -1;
        depth[static_cast<size_t>(2 * start)] = 1;
        for (size_t q = 0; q < queue.size(); q++) {
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
                queue.push_back(nextState);
                if (nextState % 2 == 0 || length + 1 < s.minNodes) continue;  // ends must be true, after a strong link
                path.clear();
                commonWeak(g, graph, start, next, path, &removals);
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

bool chainFinder(const ladderGrid& g, const graphFilter& filter, const chainSearch& search, int technique,
                 ladderStep* step) {
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
    kept& here = graphs[oneDigit ? filter.digit : 9];
    if (!oneDigit || !here.valid || here.places != g.pos[filter.digit]) {
        buildGraph(g, filter, &here.graph);
        here.valid = oneDigit;
        if (oneDigit) here.places = g.pos[filter.digit];
    }
    const chainGraph& graph = here.graph;
    chainFound found;
    if (!searchChains(g, graph, search, &found)) return false;
    chainStep(graph, found, technique, step);
    return true;
}

}  // namespace

void ladderSkipQuietChainStarts(bool skip) {
    skipQuietStarts = skip;
}

bool findSimpleColouring(const ladderGrid& g, unsigned digits, ladderStep* step) {
    return colouring(g, false, digits, step);
}

bool findMedusa(const ladderGrid& g, ladderStep* step) {
    return colouring(g, true, kAllDigits, step);
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
    unsigned done[9] = {0};  // pairs tried, by their lower digit
    for (int c = 0; c < 81; c++) {
        if (bitCount(g.cand[c]) != 2) continue;
        const unsigned pair = g.cand[c];
        if (done[lowBit(pair)] & pair) continue;
        done[lowBit(pair)] |= pair;
        // Eight nodes are four cells of the pair.
        int cells = 0;
        for (int k = c; k < 81; k++) cells += g.cand[k] == pair;
        if (cells < 4) continue;
        graphFilter f;
        f.bivalueOnly = true;
        f.pair = pair;
        chainSearch s;
        s.maxNodes = 32;
        s.minNodes = 8;  // four cells: with fewer it is a naked pair or a wing
        if (chainFinder(g, f, s, techRemotePair, step)) return true;
    }
    return false;
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
    s.budget = 150000;
    static const int techniques[] = {techAic, techGroupedAic, techAlsAic};
    return chainFinder(g, f, s, techniques[reach], step);
}
