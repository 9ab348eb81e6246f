// The external corpus of tests/data: puzzles with their known solutions.
#ifndef VELUNDA_TESTS_ENGINE_CORPUS_H
#define VELUNDA_TESTS_ENGINE_CORPUS_H

#include <fstream>
#include <string>
#include <vector>

struct corpusPuzzle {
    std::string puzzle;    // 81 characters, '.' empty
    std::string solution;  // 81 digits
};

// Puzzle line, then solution line; anything else is skipped.
inline std::vector<corpusPuzzle> loadCorpus(const std::string& path) {
    std::vector<corpusPuzzle> out;
    std::ifstream in(path);
    std::string puzzle, solution;
    while (std::getline(in, puzzle) && std::getline(in, solution)) {
        if (!puzzle.empty() && puzzle.back() == '\r') puzzle.pop_back();
        if (!solution.empty() && solution.back() == '\r') solution.pop_back();
        if (puzzle.size() == 81 && solution.size() == 81) out.push_back({puzzle, solution});
    }
    return out;
}

inline void corpusCells(const std::string& line, short* cells81) {
    for (int i = 0; i < 81; i++)
        cells81[i] = static_cast<short>(line[i] >= '1' && line[i] <= '9' ? line[i] - '0' : 0);
}

#endif
