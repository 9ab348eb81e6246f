// The checker on hand-made steps: for each kind of pattern one that holds and
// a near miss that must fail, on puzzle states from tests/data whose
// candidates are written out beside each grid's first use.

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "ladder_check.h"

namespace {

using ladder::json;

// The first puzzle of qqwing-1000.txt, and a later state of it. Base candidates:
//   G0 row 1: 123469 [7] 13469 2456 456 246 12345 [8] 3456
//      row 2: 23468 468 3468 [1] 4567 246 23457 [9] 34567
//      row 3: [5] 146 146 [8] [9] [3] 1247 1247 467
//      row 4: 1469 [3] 14569 2469 146 [7] [8] 145 45
//      row 5: 1489 14589 14589 349 134 14 [6] 1457 [2]
//      row 6: [7] 146 [2] 46 [8] [5] 14 [3] [9]
//      row 7: 134689 [2] [7] 3456 13456 1468 3459 45 3458
//      row 8: 3489 4589 34589 3457 3457 48 234579 [6] [1]
//      row 9: 13468 14568 134568 34567 [2] [9] 3457 457 34578
//   solution 971562384 283174596 546893127 639247815 458931672 712685439 827416953 394758261 165329748
const char* const G0 = ".7.....8....1...9.5..893....3...78........6.27.2.85.39.27.............61....29...";
//   G1 row 1: 12369 [7] 1369 56 56 26 35 [8] [4]
//      row 2: 238 8 38 [1] 57 [4] 35 [9] [6]
//      row 7: 168 [2] [7] [4] 156 168 59 5 [3]
//      row 9: 1368 68 13568 356 [2] [9] 457 457 58
const char* const G1 = ".7.....84...1.4.965..893127.3.2.781.45.93.6.2712.85.39.274....3.947..261....29...";
// States of other qqwing-1000 puzzles with the singles filled in (no cell
// or unit has a single left), for chains and forcing.
//   G2 row 1: [9] [1] [4] [7] [6] [8] 25 [3] 25
//      row 4: [9] [4] [7] [8] [3] 56 [1] 26 ... (see the cases)
const char* const G2 = "914768.3.362915..878523461947835..9.52987....631492....465.39...571.9....93647...";
const char* const G3 = "72.8.194.9.........6.5.9.7.21.9567.46497..25157.214.69..21....8..7.9....1.6.....7";
const char* const G4 = "452861973167439285839...641.1.926.34.46...19292.1...56.7169.42869....51728..1.369";
const char* const G5 = ".7.....84...17.59.5.6893....392.781545....6.27.2.85.39827.....339.....61.65.29...";
// Late states, a solution with some cells opened, for colouring and the
// uniqueness kinds.
const char* const G6 = "97...23842.31.459.5..893127.3...78...5....6.27.2.85.39827......3..75.261...329.48";
const char* const G7 = ".528..9......3928.8.9..2641.189.673..4..5..9....1.785637169.4286.4.8.5.7285...369";
const char* const G8 = "47538..219.821647521675..8939.5.82168..62.5935621..7486..4..8577.4.651.2153.72964";
const char* const G9 = "6274513.9.4..7362...3.62.74374.158..165....43.82.347..496.2713...1.98..22..146957";
const char* const G10 = "815623.472...85163.9341785.7.6.5.3.89528..716.38.7...53675.12.9.21..86.44893625.1";
const char* const G11 = "3..9527.1...18793.179346258..46213972175398..693.7.5129..763.8576..95.23.3521.679";
const char* const G12 = "57.846193..139..7..89.7245..549683.....42.58..185379..8..6147394.675321813728.6.5";

struct kindCase {
    const char* name;
    const char* givens;
    const char* place;    // "r2c2 8", or "" when the step removes
    const char* removes;  // "r1c4 5,r2c4 5"
    std::string pattern;
    const char* fault;    // nullptr when the step holds, else a piece of its failure
};

std::string literalJson(const std::string& text) {
    return "{\"cell\":\"" + text.substr(0, 4) + "\",\"digit\":" + text.substr(5) + "}";
}

std::string stepJson(int number, const std::string& place, const std::string& removes, const std::string& pattern,
                     double difficulty = 1.0) {
    std::string out = "{\"step\":" + std::to_string(number) + ",\"technique\":\"t\",\"name\":\"T\",\"difficulty\":" +
                      std::to_string(difficulty) + ",\"text\":\"\"";
    if (!place.empty()) out += ",\"place\":" + literalJson(place);
    out += ",\"removes\":[";
    for (size_t at = 0; at < removes.size();) {
        size_t comma = removes.find(',', at);
        if (comma == std::string::npos) comma = removes.size();
        out += (at ? "," : "") + literalJson(removes.substr(at, comma - at));
        at = comma + 1;
    }
    return out + "],\"pattern\":" + pattern + "}";
}

// The puzzle's object around the steps, with "solved" and "open" as the
// steps leave the grid, so that only the steps themselves can fail.
std::string puzzleJson(const std::string& givens, const std::vector<std::string>& steps, double hardest = 9.0) {
    ladder::board b;
    EXPECT_TRUE(ladder::parseGivens(givens, &b));
    std::string list;
    for (const std::string& step : steps) {
        json s;
        std::string error;
        EXPECT_TRUE(ladder::parseJson(step, &s, &error)) << error << "\n" << step;
        list += (list.empty() ? "" : ",") + step;
        int cell = 0;
        for (const json& r : s.get("removes")->items)
            if (ladder::parseCell(r.get("cell")->text, &cell)) b.remove(cell, static_cast<int>(r.get("digit")->value));
        const json* place = s.get("place");
        if (place != nullptr && ladder::parseCell(place->get("cell")->text, &cell))
            b.place(cell, static_cast<int>(place->get("digit")->value));
    }
    std::string open;
    for (int c = 0; c < 81; c++)
        if (b.open(c)) open += (open.empty() ? "\"" : ",\"") + ladder::cellName(c) + "\"";
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "{\"hardest\":%g,\"beforeFirstPlacement\":1,\"first\":1}", hardest);
    return "{\"where\":\"case\",\"scale\":\"ladder\",\"entriesSetAside\":0,\"givens\":\"" + givens +
           "\",\"solutions\":\"1\",\"steps\":[" + list + "],\"level\":\"Hard\",\"numbers\":" + numbers +
           ",\"hardestTechnique\":\"T\",\"solved\":" + (open.empty() ? "true" : "false") + ",\"open\":[" + open + "]}";
}

struct outcome {
    ladder::checkTotals totals;
    std::vector<std::string> lines, complaints;
};

outcome check(const std::string& line) {
    outcome o;
    ladder::checkLine(line, "test:1", &o.totals, &o.lines, &o.complaints);
    return o;
}

std::string joined(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& l : lines) out += l + "\n";
    return out;
}

// The text with every `from` made `to` (there must be one).
std::string replaced(std::string text, const std::string& from, const std::string& to) {
    EXPECT_NE(text.find(from), std::string::npos) << from;
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The cases, each near miss made from the step that holds by changing one
// thing, so that the one difference is what the checker must catch.
const std::vector<kindCase>& kindCases() {
    const std::string openChain =
        R"({"kind":"chain","nodes":[{"digit":2,"cells":["r4c9"]},{"digit":2,"cells":["r4c7"]},{"digit":2,"cells":["r1c7"]},)"
         R"({"digit":5,"cells":["r1c7"]},{"digit":5,"cells":["r1c9"]},{"digit":2,"cells":["r1c9"]}],)"
         R"("links":["strong","weak","strong","weak","strong"],"loop":"none"})";
    const std::string groupChain =
        R"({"kind":"chain","nodes":[{"digit":4,"cells":["r5c8"]},{"digit":6,"cells":["r5c8"]},{"digit":6,"cells":["r4c9","r5c9"]},)"
         R"({"digit":6,"cells":["r8c9"]},{"digit":4,"cells":["r8c9"]},{"digit":4,"cells":["r5c9"]}],)"
         R"("links":["strong","weak","strong","weak","strong"],"loop":"none"})";
    const std::string alsChain =
        R"({"kind":"chain","nodes":[{"digit":4,"cells":["r5c5","r5c6"],"als":["r5c5","r5c6"]},)"
         R"({"digit":1,"cells":["r5c5","r5c6"],"als":["r5c5","r5c6"]},{"digit":1,"cells":["r4c5"],"als":["r4c5","r6c4"]},)"
         R"({"digit":4,"cells":["r4c5","r6c4"],"als":["r4c5","r6c4"]}],"links":["strong","weak","strong"],"loop":"none"})";
    const std::string continuousLoop =
        R"({"kind":"chain","nodes":[{"digit":8,"cells":["r7c5"]},{"digit":8,"cells":["r8c5"]},{"digit":8,"cells":["r8c1"]},)"
         R"({"digit":2,"cells":["r8c1"]},{"digit":2,"cells":["r8c5"]},{"digit":2,"cells":["r7c5"]}],)"
         R"("links":["strong","weak","strong","weak","strong","weak"],"loop":"continuous"})";
    const std::string loopRemoving =
        R"({"kind":"chain","nodes":[{"digit":2,"cells":["r7c9"]},{"digit":2,"cells":["r4c9"]},{"digit":2,"cells":["r4c7"]},)"
         R"({"digit":2,"cells":["r1c7"]},{"digit":5,"cells":["r1c7"]},{"digit":5,"cells":["r1c9"]},{"digit":2,"cells":["r1c9"]}],)"
         R"("links":["weak","strong","weak","strong","weak","strong","weak"],"loop":"discontinuous"})";
    const std::string loopPlacing =
        R"({"kind":"chain","nodes":[{"digit":4,"cells":["r6c5"]},{"digit":4,"cells":["r6c6"]},{"digit":3,"cells":["r6c6"]},)"
         R"({"digit":3,"cells":["r6c3"]},{"digit":3,"cells":["r8c3"]},{"digit":4,"cells":["r8c3"]},{"digit":4,"cells":["r8c5"]}],)"
         R"("links":["strong","weak","strong","weak","strong","weak","strong"],"loop":"discontinuous"})";
    const std::string falseColour =
        R"({"kind":"colouring","nodes":[{"cell":"r4c5","digit":2,"colour":0},{"cell":"r4c9","digit":2,"colour":1},)"
         R"({"cell":"r6c5","digit":2,"colour":1},{"cell":"r5c9","digit":2,"colour":0},{"cell":"r6c2","digit":2,"colour":0},)"
         R"({"cell":"r5c4","digit":2,"colour":1},{"cell":"r8c4","digit":2,"colour":0}],)"
         R"("links":[[0,1],[0,2],[1,3],[2,4],[3,5],[5,6]],"false":1,"because":[2,5]})";
    const std::string contradiction =
        R"({"kind":"forcing","over":"contradiction","branches":[{"assume":{"cell":"r2c8","digit":4,"value":true},"implications":[)"
         R"({"cell":"r5c8","digit":4,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r8c8","digit":4,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r5c8","digit":6,"value":true,"rule":"cell","because":[1]},)"
         R"({"cell":"r8c8","digit":6,"value":false,"rule":"peer","because":[3]},)"
         R"({"cell":"r8c9","digit":6,"value":true,"rule":"unit","because":[4],"unit":"row 8"},)"
         R"({"cell":"r8c9","digit":3,"value":false,"rule":"peer","because":[5]},)"
         R"({"cell":"r8c9","digit":4,"value":false,"rule":"peer","because":[5]},)"
         R"({"cell":"r8c7","digit":3,"value":true,"rule":"unit","because":[6],"unit":"row 8"},)"
         R"({"cell":"r8c7","digit":4,"value":true,"rule":"unit","because":[2,7],"unit":"row 8"},)"
         R"({"cell":"r8c7","digit":4,"value":false,"rule":"peer","because":[8]}],)"
         R"("ends":"contradiction","contradiction":{"rule":"literal","because":[9,10]}}]})";
    const std::string unitForcing =
        R"({"kind":"forcing","over":"unit","unit":"row 4","digit":6,"branches":[)"
         R"({"assume":{"cell":"r4c6","digit":6,"value":true},"implications":[)"
         R"({"cell":"r5c6","digit":6,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r5c6","digit":1,"value":true,"rule":"cell","because":[1]},)"
         R"({"cell":"r5c9","digit":1,"value":false,"rule":"peer","because":[2]}],"ends":"conclusion"},)"
         R"({"assume":{"cell":"r4c9","digit":6,"value":true},"implications":[)"
         R"({"cell":"r5c8","digit":6,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r5c8","digit":4,"value":true,"rule":"cell","because":[1]},)"
         R"({"cell":"r5c9","digit":4,"value":false,"rule":"peer","because":[2]},)"
         R"({"cell":"r8c9","digit":4,"value":true,"rule":"unit","because":[3],"unit":"column 9"},)"
         R"({"cell":"r8c9","digit":3,"value":false,"rule":"peer","because":[4]},)"
         R"({"cell":"r5c9","digit":3,"value":true,"rule":"unit","because":[5],"unit":"column 9"},)"
         R"({"cell":"r5c9","digit":1,"value":false,"rule":"peer","because":[6]}],"ends":"conclusion"}]})";
    const std::string cellForcing =
        R"({"kind":"forcing","over":"cell","cell":"r1c5","branches":[)"
         R"({"assume":{"cell":"r1c5","digit":3,"value":true},"implications":[)"
         R"({"cell":"r1c5","digit":6,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r1c9","digit":6,"value":true,"rule":"unit","because":[1],"unit":"row 1"},)"
         R"({"cell":"r2c7","digit":6,"value":false,"rule":"peer","because":[2]}],"ends":"conclusion"},)"
         R"({"assume":{"cell":"r1c5","digit":6,"value":true},"implications":[)"
         R"({"cell":"r7c5","digit":6,"value":false,"rule":"peer","because":[0]},)"
         R"({"cell":"r7c7","digit":6,"value":true,"rule":"unit","because":[1],"unit":"row 7"},)"
         R"({"cell":"r2c7","digit":6,"value":false,"rule":"peer","because":[2]}],"ends":"conclusion"}]})";
    const std::string type2 =
        R"({"kind":"rectangle","type":2,"cells":["r2c1","r2c4","r3c1","r3c4"],"digits":[8,9],"roof":["r2c1","r3c1"],"extra":5})";
    const std::string type3 =
        R"({"kind":"rectangle","type":3,"cells":["r4c4","r4c8","r6c4","r6c8"],"digits":[2,9],"roof":["r4c4","r6c4"],)"
         R"("subset":{"unit":"column 4","cells":["r2c4"],"digits":[1,9]}})";
    const std::string type4 =
        R"({"kind":"rectangle","type":4,"cells":["r4c4","r4c8","r6c4","r6c8"],"digits":[2,9],"roof":["r4c4","r6c4"],)"
         R"("strong":2,"unit":"column 4"})";
    static const std::vector<kindCase> cases = {
        // Singles. r2c2 of G1 holds only 8; 2 has one place in row 4 of G0.
        {"naked single", G1, "r2c2 8", "", R"({"kind":"single","cell":"r2c2","digit":8,"unit":null})", nullptr},
        {"naked single of a cell with two", G1, "r1c4 5", "", R"({"kind":"single","cell":"r1c4","digit":5,"unit":null})",
         "not a naked single: r1c4 holds 56"},
        {"hidden single", G0, "r4c4 2", "", R"({"kind":"single","cell":"r4c4","digit":2,"unit":"row 4"})", nullptr},
        {"hidden single with a second place", G0, "r2c1 2", "", R"({"kind":"single","cell":"r2c1","digit":2,"unit":"box 1"})",
         "2 has 2 places in box 1"},
        {"single placing another digit than the pattern", G0, "r4c4 9", "",
         R"({"kind":"single","cell":"r4c4","digit":2,"unit":"row 4"})", "the pattern places r4c4 2"},
        {"single placing a digit not the solution's", G0, "r1c1 2", "",
         R"({"kind":"single","cell":"r1c1","digit":2,"unit":"box 1"})", "places r1c1 2, the solution has 9"},

        // Pointing: 1 of box 8 lies in row 7. Claiming: 1 of row 9 lies in box 7.
        {"pointing", G0, "", "r7c1 1", R"({"kind":"fish","digit":1,"base":["box 8"],"cover":["row 7"],"fins":[]})", nullptr},
        {"pointing with a candidate off the line", G0, "", "r7c1 3",
         R"({"kind":"fish","digit":3,"base":["box 8"],"cover":["row 7"],"fins":[]})",
         "candidate r8c4 3 of a base unit is in no cover unit"},
        {"claiming", G0, "", "r7c1 1", R"({"kind":"fish","digit":1,"base":["row 9"],"cover":["box 7"],"fins":[]})", nullptr},
        {"claiming removing from the base line", G0, "", "r9c1 1",
         R"({"kind":"fish","digit":1,"base":["row 9"],"cover":["box 7"],"fins":[]})", "removes r9c1 1: in a base unit"},
        // Double pair: 2 of boxes 1 and 2 lies in rows 1 and 2, so not in those rows of box 3.
        {"double pair", G0, "", "r1c7 2,r2c7 2",
         R"({"kind":"fish","digit":2,"base":["box 1","box 2"],"cover":["row 1","row 2"],"fins":[]})", nullptr},
        {"double pair with a candidate in row 3", G0, "", "r1c7 4",
         R"({"kind":"fish","digit":4,"base":["box 1","box 2"],"cover":["row 1","row 2"],"fins":[]})",
         "candidate r3c2 4 of a base unit is in no cover unit"},
        // X-Wing: 2 of columns 1 and 6 only in rows 1 and 2.
        {"x-wing", G0, "", "r1c4 2,r1c7 2,r2c7 2",
         R"({"kind":"fish","digit":2,"base":["column 1","column 6"],"cover":["row 1","row 2"],"fins":[]})", nullptr},
        {"x-wing with a candidate too many in a base unit", G0, "", "r1c7 2",
         R"({"kind":"fish","digit":2,"base":["column 1","column 4"],"cover":["row 1","row 2"],"fins":[]})",
         "candidate r4c4 2 of a base unit is in no cover unit and no fin"},
        {"fish over overlapping cover units", G0, "", "r1c7 2",
         R"({"kind":"fish","digit":2,"base":["column 1","column 6"],"cover":["row 1","box 1"],"fins":[]})",
         "cover units overlap at box 1"},
        // Finned X-Wing: 5 of rows 2 and 7 in columns 5 and 7, with the fin r7c8.
        {"finned x-wing", G1, "", "r9c7 5",
         R"({"kind":"fish","digit":5,"base":["row 2","row 7"],"cover":["column 5","column 7"],"fins":["r7c8"]})", nullptr},
        {"finned x-wing removing where the fin is not seen", G1, "", "r1c7 5",
         R"({"kind":"fish","digit":5,"base":["row 2","row 7"],"cover":["column 5","column 7"],"fins":["r7c8"]})",
         "removes r1c7 5: does not see every fin"},
        {"finned x-wing without its fin", G1, "", "r9c7 5",
         R"({"kind":"fish","digit":5,"base":["row 2","row 7"],"cover":["column 5","column 7"],"fins":[]})",
         "candidate r7c8 5 of a base unit is in no cover unit and no fin"},

        // Naked triple 146 in box 5; hidden pair 29 in box 5.
        {"naked triple", G0, "", "r4c4 4,r4c4 6,r5c5 1,r5c5 4,r5c4 4",
         R"({"kind":"subset","type":"naked","unit":"box 5","cells":["r4c5","r5c6","r6c4"],"digits":[1,4,6]})", nullptr},
        {"naked triple with a cell of three other digits", G0, "", "r4c4 4",
         R"({"kind":"subset","type":"naked","unit":"box 5","cells":["r4c5","r5c6","r5c5"],"digits":[1,4,6]})",
         "not a naked subset: r5c5 holds 134"},
        {"hidden pair", G0, "", "r4c4 4,r4c4 6,r5c4 3,r5c4 4",
         R"({"kind":"subset","type":"hidden","unit":"box 5","cells":["r4c4","r5c4"],"digits":[2,9]})", nullptr},
        {"hidden pair of a digit with a third place", G0, "", "r5c5 1",
         R"({"kind":"subset","type":"hidden","unit":"box 5","cells":["r5c4","r5c5"],"digits":[3,9]})",
         "not a hidden subset: 9 has a place at r4c4"},
        {"hidden pair removing its own digit", G0, "", "r4c4 2",
         R"({"kind":"subset","type":"hidden","unit":"box 5","cells":["r4c4","r5c4"],"digits":[2,9]})",
         "the solution's digit"},
        // Chains. G2: r1c7 and r1c9 hold 25; 2 of row 4 is in r4c7 and r4c9; 6 of
        // column 9 in r4c9, r5c9 and r8c9; r5c8 and r8c9 hold 46 and 2346.
        {"open chain", G2, "", "r7c9 2,r8c9 2,r9c9 2",
         openChain, nullptr},
        {"open chain over a weak link that is not one", G2, "", "r7c9 2",
         R"({"kind":"chain","nodes":[{"digit":2,"cells":["r4c9"]},{"digit":2,"cells":["r4c7"]},{"digit":2,"cells":["r9c8"]},)"
         R"({"digit":2,"cells":["r9c9"]}],"links":["strong","weak","strong"],"loop":"none"})", "link 1 is not weak"},
        {"open chain removing what sees one end only", G2, "", "r4c8 2",
         openChain, "not weakly linked to both ends"},
        {"open chain with a group", G2, "", "r5c7 4",
         groupChain, nullptr},
        {"open chain with a group not all seen", G2, "", "r5c7 4",
         replaced(groupChain, R"({"digit":6,"cells":["r4c9","r5c9"]},{"digit":6,"cells":["r8c9"]})",
                  R"({"digit":6,"cells":["r4c9","r8c9"]},{"digit":6,"cells":["r5c9"]})"), "link 1 is not weak"},
        // ALS-XZ in G0: {r5c5 134, r5c6 14} and {r4c5 146, r6c4 46} share 1 where
        // every 1 sees every other, so one of them holds 4.
        {"open chain of almost locked sets", G0, "", "r4c4 4,r5c4 4",
         alsChain, nullptr},
        {"open chain of a set that is not almost locked", G0, "", "r4c4 4",
         replaced(replaced(alsChain, R"("als":["r4c5","r6c4"])", R"("als":["r4c5","r6c4","r5c4"])"),
                  R"("cells":["r4c5","r6c4"])", R"("cells":["r4c5","r6c4","r5c4"])"),
         "is not almost locked: 3 cells hold 13469"},
        // Continuous: 8 and 2 of column 5 only in r7c5 and r8c5; r8c1 holds 28.
        {"continuous loop", G2, "", "r8c7 2,r8c7 8,r8c8 2,r8c8 8,r8c9 2",
         continuousLoop, nullptr},
        {"continuous loop removing off its weak links", G2, "", "r7c8 8",
         continuousLoop,
         "not weakly linked to both nodes of a weak link"},
        {"continuous loop of an odd number of links", G2, "", "r8c7 8",
         R"({"kind":"chain","nodes":[{"digit":8,"cells":["r7c5"]},{"digit":8,"cells":["r8c5"]},{"digit":8,"cells":["r8c1"]}],)"
         R"("links":["strong","weak","strong"],"loop":"continuous"})", "link 2 is not strong"},
        // Discontinuous: r7c9 2 sees both ends of the open chain above; in G4,
        // 4 of row 6 is r6c5 or r6c6, r6c6 and r8c3 hold 3478 and 34.
        {"discontinuous loop removing", G2, "", "r7c9 2",
         loopRemoving, nullptr},
        {"discontinuous loop removing another candidate", G2, "", "r8c9 2",
         loopRemoving, "the loop removes only r7c9 2"},
        {"discontinuous loop placing", G4, "r6c5 4", "",
         loopPlacing, nullptr},
        {"discontinuous loop closed by a strong link that is not one", G4, "r6c5 4", "",
         replaced(loopPlacing, "r8c5", "r8c6"), "link 6 is not strong"},

        // Colouring. G6: 9 of row 4 in r4c3 and r4c4, of box 4 in r4c3 and r5c3,
        // of column 4 in r4c4 and r5c4; r8c3 9 sees both colours.
        {"colouring trap", G6, "", "r8c3 9",
         R"({"kind":"colouring","nodes":[{"cell":"r4c3","digit":9,"colour":0},{"cell":"r4c4","digit":9,"colour":1},)"
         R"({"cell":"r5c3","digit":9,"colour":1},{"cell":"r5c4","digit":9,"colour":0}],"links":[[0,1],[0,2],[1,3]],"false":null})",
         nullptr},
        {"colouring over a link that is not conjugate", G6, "", "r5c3 9",
         R"({"kind":"colouring","nodes":[{"cell":"r4c3","digit":9,"colour":0},{"cell":"r8c3","digit":9,"colour":1},)"
         R"({"cell":"r4c4","digit":9,"colour":1},{"cell":"r5c4","digit":9,"colour":0}],"links":[[0,1],[0,2],[2,3]],"false":null})",
         "link r4c3 9 - r8c3 9 is not a strong link"},
        // G7: a chain of conjugate 2s whose colour 1 has r6c5 and r5c4 in box 5.
        {"colouring with a false colour", G7, "", "r4c9 2,r6c5 2,r5c4 2",
         falseColour, nullptr},
        {"colouring with a false colour by nodes that do not see each other", G7, "", "r4c9 2,r6c5 2,r5c4 2",
         replaced(falseColour, "[2,5]", "[1,2]"), "colour 1 is not proved false"},

        // Forcing. G2: r2c8 4 empties 4 from row 8 of box 9 twice over.
        {"forcing over a contradiction", G2, "", "r2c8 4",
         contradiction, nullptr},
        {"forcing over a contradiction with a missing premise", G2, "", "r2c8 4",
         replaced(contradiction, "[2,7]", "[2]"),
         "no premise says r8c9 4 is false"},
        // G2: 6 of row 4 is r4c6 or r4c9; either way r5c9 is not 1.
        {"forcing over a unit", G2, "", "r5c9 1",
         unitForcing, nullptr},
        {"forcing over a unit missing a place", G2, "", "r5c9 1",
         unitForcing.substr(0, unitForcing.find(R"(,{"assume":{"cell":"r4c9")")) + "]}",
         "the branches miss a place of 6 in row 4"},
        // G3: r1c5 holds 36; either digit puts 6 in box 3 off r2c7.
        {"forcing over a cell", G3, "", "r2c7 6",
         cellForcing, nullptr},
        {"forcing over a cell with a peer rule from a false literal", G3, "", "r2c7 6",
         replaced(cellForcing, R"([2]}],"ends":"conclusion"}]})", R"([1]}],"ends":"conclusion"}]})"),
         "premise r7c5 6 false does not exclude it"},

        // Unique rectangles. G8: r6c5, r6c6, r7c5 hold 39, r7c6 139.
        {"rectangle type 1", G8, "", "r7c6 3,r7c6 9",
         R"({"kind":"rectangle","type":1,"cells":["r6c5","r6c6","r7c5","r7c6"],"digits":[3,9],"roof":["r7c6"]})", nullptr},
        // G12: r2c1, r2c9, r6c1 hold 26 and r6c9 246, but in four boxes.
        {"rectangle over four boxes", G12, "", "r6c9 2",
         R"({"kind":"rectangle","type":1,"cells":["r2c1","r2c9","r6c1","r6c9"],"digits":[2,6],"roof":["r6c9"]})",
         "the cells are in 4 boxes"},
        {"rectangle with a floor cell of three digits", G8, "", "r6c5 3",
         R"({"kind":"rectangle","type":1,"cells":["r6c5","r6c6","r7c5","r7c6"],"digits":[3,9],"roof":["r6c5"]})",
         "roof cell r6c5 holds only 39"},
        // G9: r2c4, r3c4 hold 89, r2c1, r3c1 589.
        {"rectangle type 2", G9, "", "r3c2 5,r8c1 5",
         type2,
         nullptr},
        {"rectangle type 2 removing from a cell that sees one roof cell", G9, "", "r2c9 5",
         type2,
         "not the extra digit in a cell seeing both roof cells"},
        // G10: r4c8, r6c8 hold 29, r4c4, r6c4 129; r2c4 holds 9; 2 of column 4
        // is only in the roof.
        {"rectangle type 3", G10, "", "r8c4 9",
         type3, nullptr},
        {"rectangle type 3 whose subset lacks the extra digit", G10, "", "r8c4 9",
         replaced(type3, "[1,9]", "[4,9]"), "the roof's extra digits 1 are not all in the subset"},
        {"rectangle type 4", G10, "", "r4c4 9,r6c4 9",
         type4, nullptr},
        {"rectangle type 4 in a unit off the roof", G10, "", "r4c4 9,r6c4 9",
         replaced(type4, "column 4", "row 4"), "row 4 does not hold both roof cells"},
        // G11: every open cell holds two digits but r2c2, 245; without 4 each
        // digit has two places in each unit.
        {"bug", G11, "r2c2 4", "", R"({"kind":"bug","cell":"r2c2","digit":4})", nullptr},
        {"bug placing the wrong one of three", G11, "r2c2 2", "", R"({"kind":"bug","cell":"r2c2","digit":2})",
         "without it, 2 has 1 place in row 2"},
    };
    return cases;
}

TEST(ladderCheckKinds, eachKindHoldsAndItsNearMissFails) {
    for (const kindCase& k : kindCases()) {
        SCOPED_TRACE(k.name);
        const outcome o = check(puzzleJson(k.givens, {stepJson(1, k.place, k.removes, k.pattern)}));
        EXPECT_TRUE(o.complaints.empty()) << joined(o.complaints);
        EXPECT_EQ(o.totals.steps, 1);
        if (k.fault == nullptr) {
            EXPECT_TRUE(o.lines.empty()) << joined(o.lines);
            EXPECT_EQ(o.totals.failed, 0);
        } else {
            ASSERT_EQ(o.lines.size(), 1u) << joined(o.lines);
            EXPECT_EQ(o.lines[0].rfind("case: step 1 (t): ", 0), 0u) << o.lines[0];
            EXPECT_NE(o.lines[0].find(k.fault), std::string::npos) << o.lines[0];
            EXPECT_EQ(o.totals.failed, 1);
        }
    }
}

// What a whole object must say besides its steps. The two steps of G1 place
// r2c2 8, after which r2c3 holds only 3: the second holds only if the first
// was replayed.
TEST(ladderCheckPuzzles, objectFaultsAreFoundAndCounted) {
    const std::string naked = R"({"kind":"single","cell":"r2c2","digit":8,"unit":null})";
    const std::string second = R"({"kind":"single","cell":"r2c3","digit":3,"unit":null})";
    const std::string good = puzzleJson(G1, {stepJson(1, "r2c2 8", "", naked), stepJson(2, "r2c3 3", "", second)});
    const std::string unsolvable = std::string(G1).replace(0, 1, "7");  // 7 twice in row 1
    struct puzzleCase {
        const char* name;
        std::string line;
        long steps;
        const char* fault;  // nullptr: nothing fails; else the one failure line holds it
    };
    const puzzleCase cases[] = {
        {"two steps, the second on the grid the first left", good, 2, nullptr},
        {"the second step alone", puzzleJson(G1, {stepJson(1, "r2c3 3", "", second)}), 1,
         "step 1 (t): not a naked single: r2c3 holds 38"},
        {"steps numbered 1, 3", replaced(good, "\"step\":2", "\"step\":3"), 2, "step 3 (t): is not numbered 2"},
        {"a difficulty above the hardest", puzzleJson(G1, {stepJson(1, "r2c2 8", "", naked, 9.5)}, 9.2), 1,
         "difficulty 9.5 exceeds numbers.hardest 9.2"},
        {"no numbers.hardest", replaced(good, "\"hardest\":9,", ""), 2, "numbers.hardest is not a number"},
        {"solutions miscounted", replaced(good, "\"solutions\":\"1\"", "\"solutions\":\"2 or more\""), 2,
         "\"solutions\" says \"2 or more\", the givens have 1"},
        {"solved when cells are open", replaced(good, "\"solved\":false", "\"solved\":true"), 2,
         "\"solved\" is true, the replay leaves"},
        {"open naming a filled cell", replaced(good, "\"open\":[", "\"open\":[\"r2c2\","), 2,
         "\"open\" names r2c2, which the replay leaves filled"},
        {"open missing a cell", replaced(good, "\"open\":[\"r1c1\",", "\"open\":["), 2,
         "\"open\" misses r1c1, which the replay leaves open"},
        {"steps for givens without a solution", puzzleJson(unsolvable, {stepJson(1, "r2c2 8", "", naked)}), 0,
         "the givens have 0 solutions, but there is no \"error\""},
        {"an error, counted only", R"({"where":"x","givens":")" + unsolvable + R"(","solutions":"0","error":"no solution"})", 0,
         nullptr},
        {"an error without givens", R"({"where":"x","error":"not a puzzle line"})", 0, nullptr},
        {"an error with a wrong count", R"({"where":"x","givens":")" + unsolvable + R"(","solutions":"1","error":"e"})", 0,
         "\"solutions\" says \"1\", the givens have 0"},
        {"no steps on a solved puzzle", R"({"where":"x","givens":"971562384283174596546893127639247815458931672712685439)"
                                        R"(827416953394758261165329748","solutions":"1","steps":[],"solved":true,"open":[]})",
         0, nullptr},
        {"a step placing and removing", puzzleJson(G1, {stepJson(1, "r2c2 8", "r2c1 8", naked)}), 1, "places and removes"},
        {"a step doing nothing", puzzleJson(G1, {stepJson(1, "", "", naked)}), 1, "neither places nor removes"},
        {"a removal that is no candidate", puzzleJson(G0, {stepJson(1, "", "r7c1 1,r7c2 1",
                                                                    R"({"kind":"fish","digit":1,"base":["box 8"],)"
                                                                    R"("cover":["row 7"],"fins":[]})")}),
         1, "removes r7c2 1, not a candidate"},
        {"an unknown kind", puzzleJson(G1, {stepJson(1, "r2c2 8", "", R"({"kind":"guess"})")}), 1,
         "no pattern of a known kind"},
        {"no object", "[1,2]", 0, "not a JSON object"},
    };
    for (const puzzleCase& k : cases) {
        SCOPED_TRACE(k.name);
        const outcome o = check(k.line);
        EXPECT_TRUE(o.complaints.empty()) << joined(o.complaints);
        EXPECT_EQ(o.totals.puzzles, 1);
        EXPECT_EQ(o.totals.steps, k.steps);
        if (k.fault == nullptr) {
            EXPECT_TRUE(o.lines.empty()) << joined(o.lines);
        } else {
            ASSERT_EQ(o.lines.size(), 1u) << joined(o.lines);
            EXPECT_NE(o.lines[0].find(k.fault), std::string::npos) << o.lines[0];
        }
        EXPECT_EQ(o.totals.failed, static_cast<long>(o.lines.size()));
    }
}

TEST(ladderCheckJson, readsTheGrammarAndRefusesTheRest) {
    struct jsonCase {
        std::string text;
        bool good;
    };
    const jsonCase cases[] = {
        {R"({"a":[1,-2.5e3,0.5,true,false,null,"x\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00"],"b":{}})", true},
        {" [ ] ", true},
        {"", false},
        {"{", false},
        {"[1,]", false},
        {"{\"a\" 1}", false},
        {"{\"a\":1,\"a\":2}", false},
        {"01", false},
        {"1.", false},
        {"-", false},
        {".5", false},
        {"1e", false},
        {"1e999", false},
        {"tru", false},
        {"\"\\x\"", false},
        {"\"\\u12\"", false},
        {"\"\\ud83d\"", false},
        {"\"\\ude00\"", false},
        {std::string("\"a\tb\""), false},
        {"[1] 2", false},
        {std::string(64, '[') + std::string(64, ']'), true},
        {std::string(65, '[') + std::string(65, ']'), false},
        {std::string(100000, '['), false},
    };
    for (const jsonCase& k : cases) {
        SCOPED_TRACE(k.text.substr(0, 80));
        json value;
        std::string error;
        EXPECT_EQ(ladder::parseJson(k.text, &value, &error), k.good) << error;
    }
    json value;
    std::string error;
    ASSERT_TRUE(ladder::parseJson(cases[0].text, &value, &error));
    EXPECT_EQ(value.get("a")->items[1].value, -2500.0);
    EXPECT_EQ(value.get("a")->items[6].text, "x\"\\/\b\f\n\r\t\xc3\xa9\xf0\x9f\x98\x80");
}

std::string writeFile(const std::string& name, const std::string& text) {
    const std::string path = testing::TempDir() + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f != nullptr) {
        std::fputs(text.c_str(), f);
        std::fclose(f);
    }
    return path;
}

struct run {
    int status = 0;
    std::string out, err;
};

run runOn(const std::vector<std::string>& files) {
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    std::FILE* in = std::tmpfile();
    run r;
    r.status = ladder::runChecker(files, in, out, err);
    for (auto [file, text] : {std::pair<std::FILE*, std::string*>{out, &r.out}, {err, &r.err}}) {
        std::rewind(file);
        char buffer[4096];
        size_t n = 0;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) text->append(buffer, n);
        std::fclose(file);
    }
    std::fclose(in);
    return r;
}

// The exit status and the summary, as the corpus replay reads them.
TEST(ladderCheckProgram, exitStatusAndSummary) {
    const std::string step = stepJson(1, "r2c2 8", "", R"({"kind":"single","cell":"r2c2","digit":8,"unit":null})");
    const std::string good = puzzleJson(G1, {step});
    const std::string bad = puzzleJson(G1, {replaced(step, "\"r2c2\",\"digit\":8", "\"r2c2\",\"digit\":3")});
    const std::string goodFile = writeFile("ladder-good.json", good + "\n\n" + good + "\n");
    // The bad step is not replayed, so its object's "open" fails too; no last newline.
    const std::string badFile = writeFile("ladder-bad.json", good + "\n" + bad);
    const std::string brokenFile = writeFile("ladder-broken.json", good + "\n{\"where\":\n");

    run r = runOn({goodFile});
    EXPECT_EQ(r.status, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "checked 2 puzzles, 2 steps: 0 failed\n");

    r = runOn({goodFile, badFile});
    EXPECT_EQ(r.status, 1) << r.out << r.err;
    EXPECT_NE(r.out.find("case: step 1 (t): places r2c2 3, not a candidate"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("checked 4 puzzles, 4 steps: 2 failed\n"), std::string::npos) << r.out;

    r = runOn({brokenFile});
    EXPECT_EQ(r.status, 2) << r.out << r.err;
    EXPECT_NE(r.err.find("ladder-broken.json:2: bad JSON"), std::string::npos) << r.err;
    EXPECT_NE(r.out.find("checked 1 puzzles, 1 steps: 0 failed"), std::string::npos) << r.out;

    r = runOn({goodFile, testing::TempDir() + "ladder-missing.json"});
    EXPECT_EQ(r.status, 2) << r.out << r.err;
    EXPECT_NE(r.err.find("ladder-missing.json"), std::string::npos) << r.err;
}

// The checker reads what it checks with suspicion: cut or altered lines
// must give a verdict, never a crash or a hang (the sanitizer build runs this).
TEST(ladderCheckProgram, survivesDamagedLines) {
    std::string line;
    for (const kindCase& k : kindCases()) {
        if (k.fault != nullptr) continue;
        const std::string whole = puzzleJson(k.givens, {stepJson(1, k.place, k.removes, k.pattern)});
        std::mt19937 random(static_cast<unsigned>(whole.size()));
        for (int i = 0; i < 60; i++) {
            line = whole;
            const size_t at = random() % line.size();
            switch (i % 4) {
            case 0: line.resize(at); break;
            case 1: line[at] = static_cast<char>(random() % 128); break;
            case 2: line.erase(at, 1 + random() % 8); break;
            default: line.insert(at, line.substr(random() % line.size(), 1 + random() % 16)); break;
            }
            ladder::checkTotals totals;
            std::vector<std::string> lines, complaints;
            ladder::checkLine(line, "damaged:1", &totals, &lines, &complaints);
            EXPECT_TRUE(totals.badInput || totals.puzzles == 1) << line;
        }
    }
}

}  // namespace
