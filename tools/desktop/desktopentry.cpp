#include "desktopentry.h"

namespace desktop {

std::string stringValue(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else
            out += c;
    }
    // A leading space would be taken for the space after '='.
    if (!out.empty() && out[0] == ' ') out.replace(0, 1, "\\s");
    return out;
}

std::string execArgument(const std::string& path) {
    std::string quoted = "\"";
    for (char c : path) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += std::string("\\") + c;
        else if (c == '%')
            quoted += "%%";  // '%' starts a field code
        else
            quoted += c;
    }
    quoted += '"';
    // Readers undo the string escapes before the quoting.
    return stringValue(quoted);
}

bool fitsAnEntry(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 || c == 0x7f) return false;
        // Bytes after the lead byte of a UTF-8 sequence.
        size_t more = c < 0x80 ? 0 : c >= 0xc2 && c < 0xe0 ? 1 : c >= 0xe0 && c < 0xf0 ? 2 : c >= 0xf0 && c < 0xf5 ? 3 : 9;
        if (more == 9 || text.size() - i <= more) return false;
        for (size_t k = 1; k <= more; k++)
            if ((static_cast<unsigned char>(text[i + k]) & 0xc0) != 0x80) return false;
        i += 1 + more;
    }
    return true;
}

std::string entry(const std::string& folder, bool mini) {
    const std::string program = folder + (mini ? "/VelundaMini" : "/Velunda");
    std::string text = "[Desktop Entry]\n"
                       "Type=Application\n"
                       "Version=1.4\n";
    text += mini ? "Name=Velunda Mini\n"
                   "GenericName=Sudoku\n"
                   "Comment=Play Sudoku in the small window\n"
                 : "Name=Velunda\n"
                   "GenericName=Sudoku\n"
                   "Comment=Play, check, solve, rate and create Sudoku puzzles\n";
    text += "Icon=" + stringValue(folder + "/" + iconFile) + "\n";
    // The entry hides itself once the build is gone.
    text += "TryExec=" + stringValue(program) + "\n";
    text += "Exec=" + execArgument(program) + "\n";
    text += "Path=" + stringValue(folder) + "\n";
    text += "Terminal=false\n"
            "StartupNotify=false\n"
            "Categories=Game;LogicGame;\n"
            "Keywords=Sudoku;puzzle;\n";
    return text;
}

}  // namespace desktop
