// velunda-desktop FOLDER: lays the desktop menu entries Velunda.desktop and
// VelundaMini.desktop and their icon velunda.png into the runtime folder
// FOLDER, which the entries name as the programs' place and working
// directory.
#include <cstdio>
#include <filesystem>
#include <string>

#include "desktopentry.h"
#include "engine/safefile.h"
#include "icon.h"
#include "pngwriter.h"

namespace {

bool writeText(FILE* file, void* context) {
    const std::string& text = *static_cast<const std::string*>(context);
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

bool save(const std::string& path, const std::string& bytes) {
    if (writeFileSafely(path.c_str(), writeText, const_cast<std::string*>(&bytes))) return true;
    std::fprintf(stderr, "velunda-desktop: cannot write %s\n", path.c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velunda-desktop FOLDER\n");
        return 2;
    }
    std::error_code error;
    std::string folder = std::filesystem::absolute(argv[1], error).lexically_normal().string();
    if (error) {
        std::fprintf(stderr, "velunda-desktop: cannot tell where %s is\n", argv[1]);
        return 1;
    }
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (!save(folder + "/" + desktop::iconFile, encodePNG(icon::size, icon::size, icon::drawIcon()))) return 1;
    // The game builds and runs anyway; only the menu entries cannot name this folder.
    if (!desktop::fitsAnEntry(folder)) {
        std::fprintf(stderr, "velunda-desktop: no menu entries: a desktop entry cannot name the folder %s\n",
                     folder.c_str());
        return 0;
    }
    if (!save(folder + "/Velunda.desktop", desktop::entry(folder, false))) return 1;
    if (!save(folder + "/VelundaMini.desktop", desktop::entry(folder, true))) return 1;
    return 0;
}
