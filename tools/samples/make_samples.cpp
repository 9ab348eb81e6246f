// velunda-samples: makes the sample games shipped in games/. Each comes from
// a fresh random solution grid, reduced by the game's own generator, so the
// random games of a new installation do not all derive from one grid.
//
//   velunda-samples OUTPUT_FOLDER COUNT SEED
//
// The same seed gives the same files.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

#include "engine/authoring.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"

namespace {

const char* const kAuthor = "Velunda samples";

std::string cellsText(const short* cells) {
    std::string text;
    for (int i = 0; i < 81; i++) text += static_cast<char>('0' + (cells[i] > 0 ? cells[i] : 0));
    return text;
}

// Written beside the target and renamed over it, so no file is ever half there.
bool writeGrid(const std::string& path, const char* author, const short* cells) {
    const std::string temporary = path + ".tmp";
    FILE* file = std::fopen(temporary.c_str(), "w");
    if (file == nullptr) return false;
    std::fprintf(file, "%s\n", author);
    for (int r = 0; r < 9; r++) {
        for (int c = 0; c < 9; c++) std::fprintf(file, "%d ", cells[r * 9 + c]);
        std::fprintf(file, "\n");
    }
    bool written = !std::ferror(file);
    if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

int fail(const std::string& message) {
    std::fprintf(stderr, "velunda-samples: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return fail("usage: velunda-samples OUTPUT_FOLDER COUNT SEED");
    const std::string output = argv[1];
    const int count = std::atoi(argv[2]);
    const unsigned seed = static_cast<unsigned>(std::strtoul(argv[3], nullptr, 10));

    // The generator reads ./games: give it a scratch folder holding only the
    // fresh grid of the moment.
    char scratch[] = "/tmp/velunda-samples-XXXXXX";
    if (mkdtemp(scratch) == nullptr) return fail("cannot make a scratch folder");
    const std::string games = std::string(scratch) + "/games";
    const std::string grid = games + "/grid.sdk";
    char start[4096];
    if (getcwd(start, sizeof start) == nullptr || std::system(("mkdir -p '" + games + "'").c_str()) != 0)
        return fail("cannot prepare the scratch folder");
    const std::string target = output[0] == '/' ? output : std::string(start) + "/" + output;

    // The built-in grid's solution, so that no sample repeats it.
    std::set<std::string> solutions;
    {
        sudoku builtIn;
        if (chdir(scratch) != 0) return fail("cannot enter the scratch folder");
        std::remove(grid.c_str());
        builtIn.makeSolution();
        short cells[81];
        builtIn.returnPuzzle(cells);
        solutions.insert(cellsText(cells));
    }

    sudoku puzzle;
    std::srand(seed);
    int made = 0;
    while (made < count) {
        short full[81];
        randomSolution(full);
        if (!writeGrid(grid, "grid", full)) return fail("cannot write " + grid);
        const int rating = makeRatedPuzzle(&puzzle);

        short cells[81], solution[81];
        puzzle.returnPuzzle(cells);
        if (countSolutions(cells, 2, solution) != 1) return fail("a generated puzzle is not unique");
        if (!solutions.insert(cellsText(solution)).second) continue;  // seen before: draw again
        if (rating < 0) return fail("the solver could not complete a generated puzzle");

        char name[64];
        std::snprintf(name, sizeof name, "/sample-%02d.sdk", made + 1);
        if (!writeGrid(target + name, kAuthor, cells)) return fail("cannot write " + target + name);
        std::printf("%s %s\n", name + 1, ratingName(rating));
        made++;
    }
    std::system(("rm -rf '" + std::string(scratch) + "'").c_str());
    return 0;
}
