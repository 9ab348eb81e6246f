#include "print.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "engine/authoring.h"
#include "engine/ladder/ladder.h"
#include "engine/safefile.h"
#include "engine/solutions.h"
#include "engine/sudoku.h"
#include "output.h"
#include "puzzle_input.h"

namespace {

const char kFont[] = "sans-serif";  // whatever the system's fontconfig gives
const double kPointsPerInch = 72.0;
const double kPngDpi = 150.0;
const double kMargin = 42.0;     // points around the page
const double kHeader = 34.0;     // the title's band at the top
const double kFooter = 26.0;     // the page number's band at the bottom
const double kLabel = 20.0;      // the line above each grid
const double kGap = 18.0;        // between the slots of a page

enum outputKind { outputPdf, outputSvg, outputPng };

struct printOptions {
    int perPage = 4;
    bool solutions = false;
    std::string title;
    bool letter = false;
    std::string out;
    outputKind kind = outputPdf;
};

// One puzzle to print.
struct printed {
    std::string where;   // for messages
    std::string author;
    std::string rating;
    short givens[81];    // 1..9 or 0
    short solution[81];  // with --solutions
};

int usage(const std::string& message) {
    std::fprintf(stderr,
                 "velunda-cli: %s\nusage: velunda-cli print [--per-page 1|2|4|6] [--solutions] [--title TEXT]\n"
                 "                         [--paper a4|letter] -o OUT FILE...\n"
                 "OUT ends in .pdf, .svg or .png\n",
                 message.c_str());
    return 2;
}

std::string lowered(const std::string& text) {
    std::string out = text;
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The length of the UTF-8 sequence at text[at], or 0 when none starts there.
size_t utf8Sequence(const std::string& text, size_t at) {
    const unsigned char c = static_cast<unsigned char>(text[at]);
    size_t length;
    unsigned long code;
    if (c < 0x80) return 1;
    if (c >= 0xC2 && c <= 0xDF) length = 2, code = c & 0x1F;
    else if (c >= 0xE0 && c <= 0xEF) length = 3, code = c & 0x0F;
    else if (c >= 0xF0 && c <= 0xF4) length = 4, code = c & 0x07;
    else return 0;
    if (at + length > text.size()) return 0;
    for (size_t i = 1; i < length; i++) {
        const unsigned char next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80) return 0;
        code = code << 6 | (next & 0x3F);
    }
    // Overlong forms, surrogates and what lies beyond Unicode are no text.
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

// Text as cairo draws it, which is UTF-8 only: a byte that starts no UTF-8
// sequence is read as Latin-1 (the game's author entry takes any byte up to
// 255). The first such text of a run is named on stderr, once.
std::string drawable(const std::string& text, const std::string& what) {
    static bool said = false;
    std::string out;
    bool converted = false;
    for (size_t at = 0; at < text.size();) {
        const size_t length = utf8Sequence(text, at);
        if (length > 0) {
            out.append(text, at, length);
            at += length;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(text[at++]);
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
        converted = true;
    }
    if (converted && !said) {
        std::fprintf(stderr, "velunda-cli: %s is not UTF-8; such text is drawn as Latin-1\n", what.c_str());
        said = true;
    }
    return out;
}

// The givens, author and rating of a puzzle read; the player's entries set aside.
printed fromPuzzle(const std::string& where, const textPuzzle& puzzle) {
    printed p;
    p.where = where;
    p.author = drawable(puzzle.author, where + ": the author");
    sudoku givens;
    for (int i = 0; i < 81; i++) {
        p.givens[i] = puzzle.cells[i] >= 1 && puzzle.cells[i] <= 9 ? puzzle.cells[i] : 0;
        if (p.givens[i] != 0) givens.solve_place(i / 9, i % 9, p.givens[i]);
    }
    // The level on the ladder (the game's own rating up to Medium); a grid
    // without one solution is not rated.
    const ladderRating r = ladderRate(p.givens, nullptr, levelExtreme, levelHard);
    p.rating = givens.invalidPuzzle(nullptr) || (r.status != ladderSolved && r.status != ladderStuck)
                   ? ratingName(-1)
                   : ladderLevelName(r.level);
    std::memset(p.solution, 0, sizeof p.solution);
    return p;
}

// ------------------------------------------------------------------ drawing

struct pageSize {
    double width, height;  // points
};

void showCentred(cairo_t* cr, const std::string& text, double x, double y) {
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - extents.width / 2 - extents.x_bearing, y);
    cairo_show_text(cr, text.c_str());
}

void setFont(cairo_t* cr, bool bold, double size) {
    cairo_select_font_face(cr, kFont, CAIRO_FONT_SLANT_NORMAL, bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, size);
}

// A grid of side `size` at (x, y): thin cell lines, thick box lines, the
// givens in black and, on an answer page, the other digits in grey.
void drawGrid(cairo_t* cr, const printed& p, bool answer, double x, double y, double size) {
    const double cell = size / 9;
    const double thin = size / 400 < 0.5 ? 0.5 : size / 400;
    const double thick = size / 110;
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_SQUARE);
    for (int pass = 0; pass < 2; pass++) {  // thin lines first, thick over them
        for (int k = 0; k <= 9; k++) {
            const bool box = k % 3 == 0;
            if (box != (pass == 1)) continue;
            cairo_set_line_width(cr, box ? thick : thin);
            cairo_move_to(cr, x + k * cell, y);
            cairo_line_to(cr, x + k * cell, y + size);
            cairo_move_to(cr, x, y + k * cell);
            cairo_line_to(cr, x + size, y + k * cell);
            cairo_stroke(cr);
        }
    }
    for (int i = 0; i < 81; i++) {
        const bool given = p.givens[i] != 0;
        const int digit = given ? p.givens[i] : answer ? p.solution[i] : 0;
        if (digit < 1 || digit > 9) continue;
        setFont(cr, given && answer, cell * 0.62);
        if (given) cairo_set_source_rgb(cr, 0, 0, 0);
        else cairo_set_source_rgb(cr, 0.45, 0.45, 0.45);
        const char text[2] = {static_cast<char>('0' + digit), '\0'};
        cairo_text_extents_t extents;
        cairo_text_extents(cr, text, &extents);
        const double cx = x + (i % 9 + 0.5) * cell, cy = y + (i / 9 + 0.5) * cell;
        cairo_move_to(cr, cx - extents.width / 2 - extents.x_bearing, cy - extents.height / 2 - extents.y_bearing);
        cairo_show_text(cr, text);
    }
}

// Page `page` (counted from 1) of `pages`: the title, up to perPage puzzles
// from `first`, the page number.
void drawPage(cairo_t* cr, const pageSize& paper, const printOptions& options, const std::vector<printed>& puzzles,
              size_t first, bool answer, int page, int pages) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0, 0, 0);

    std::string heading = options.title;
    if (answer) heading = heading.empty() ? "Solutions" : heading + " \xE2\x80\x94 Solutions";
    if (!heading.empty()) {
        setFont(cr, true, 16);
        showCentred(cr, heading, paper.width / 2, kMargin + 16);
    }
    setFont(cr, false, 10);
    showCentred(cr, "Page " + std::to_string(page) + " of " + std::to_string(pages), paper.width / 2,
                paper.height - kMargin + 4);

    const int columns = options.perPage == 1 ? 1 : 2;
    const int rows = (options.perPage + columns - 1) / columns;
    const double left = kMargin, top = kMargin + kHeader;
    const double width = paper.width - 2 * kMargin, height = paper.height - 2 * kMargin - kHeader - kFooter;
    const double slotW = (width - (columns - 1) * kGap) / columns;
    const double slotH = (height - (rows - 1) * kGap) / rows;
    double size = slotH - kLabel;
    if (slotW < size) size = slotW;
    for (int s = 0; s < options.perPage && first + s < puzzles.size(); s++) {
        const printed& p = puzzles[first + s];
        const double slotX = left + (s % columns) * (slotW + kGap), slotY = top + (s / columns) * (slotH + kGap);
        const double gridX = slotX + (slotW - size) / 2, gridY = slotY + (slotH - size - kLabel) / 2 + kLabel;
        std::string label = (answer ? "Solution " : "Puzzle ") + std::to_string(first + s + 1);
        if (!p.author.empty()) label += " \xC2\xB7 " + p.author;
        label += " \xC2\xB7 " + p.rating;
        cairo_set_source_rgb(cr, 0, 0, 0);
        setFont(cr, false, 11);
        cairo_move_to(cr, gridX, gridY - 7);
        cairo_show_text(cr, label.c_str());
        drawGrid(cr, p, answer, gridX, gridY, size);
    }
}

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

bool writeBytes(FILE* file, void* context) {
    const std::string& bytes = *static_cast<const std::string*>(context);
    return std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool save(const std::string& path, const std::string& bytes) {
    if (writeFileSafely(path.c_str(), writeBytes, const_cast<std::string*>(&bytes))) return true;
    std::fprintf(stderr, "velunda-cli: %s: cannot write: %s\n", shownName(path).c_str(),
                 errno != 0 ? std::strerror(errno) : "write error");
    return false;
}

bool cairoFailed(cairo_status_t status, const std::string& path) {
    if (status == CAIRO_STATUS_SUCCESS) return false;
    std::fprintf(stderr, "velunda-cli: %s: cannot draw: %s\n", shownName(path).c_str(), cairo_status_to_string(status));
    return true;
}

// OUT itself for a single page; OUT-1.svg, OUT-2.svg, ... for several.
std::string pageFile(const std::string& out, int page, int pages) {
    if (pages == 1) return out;
    const size_t dot = out.rfind('.');
    return out.substr(0, dot) + "-" + std::to_string(page) + out.substr(dot);
}

bool render(const printOptions& options, const std::vector<printed>& puzzles) {
    const pageSize paper = options.letter ? pageSize{8.5 * kPointsPerInch, 11 * kPointsPerInch}
                                          : pageSize{595.276, 841.89};  // 210 x 297 mm
    const int puzzlePages = static_cast<int>((puzzles.size() + options.perPage - 1) / options.perPage);
    const int pages = puzzlePages * (options.solutions ? 2 : 1);

    if (options.kind == outputPdf) {
        std::string bytes;
        cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(appendBytes, &bytes, paper.width, paper.height);
        cairo_t* cr = cairo_create(surface);
        for (int page = 1; page <= pages; page++) {
            const bool answer = page > puzzlePages;
            const size_t first = static_cast<size_t>((answer ? page - puzzlePages : page) - 1) * options.perPage;
            drawPage(cr, paper, options, puzzles, first, answer, page, pages);
            cairo_show_page(cr);
        }
        const cairo_status_t drawn = cairo_status(cr);
        cairo_destroy(cr);
        cairo_surface_finish(surface);
        const cairo_status_t finished = cairo_surface_status(surface);
        cairo_surface_destroy(surface);
        if (cairoFailed(drawn, options.out) || cairoFailed(finished, options.out)) return false;
        return save(options.out, bytes);
    }

    for (int page = 1; page <= pages; page++) {
        const bool answer = page > puzzlePages;
        const size_t first = static_cast<size_t>((answer ? page - puzzlePages : page) - 1) * options.perPage;
        const std::string path = pageFile(options.out, page, pages);
        std::string bytes;
        cairo_surface_t* surface;
        const double scale = options.kind == outputPng ? kPngDpi / kPointsPerInch : 1.0;
        if (options.kind == outputSvg)
            surface = cairo_svg_surface_create_for_stream(appendBytes, &bytes, paper.width, paper.height);
        else
            surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(paper.width * scale + 0.5),
                                                 static_cast<int>(paper.height * scale + 0.5));
        cairo_t* cr = cairo_create(surface);
        cairo_scale(cr, scale, scale);
        drawPage(cr, paper, options, puzzles, first, answer, page, pages);
        const cairo_status_t drawn = cairo_status(cr);
        cairo_destroy(cr);
        cairo_status_t finished = CAIRO_STATUS_SUCCESS;
        if (options.kind == outputPng) {
            cairo_surface_flush(surface);
            finished = cairo_surface_write_to_png_stream(surface, appendBytes, &bytes);
        } else {
            cairo_surface_finish(surface);
            finished = cairo_surface_status(surface);
        }
        cairo_surface_destroy(surface);
        if (cairoFailed(drawn, path) || cairoFailed(finished, path) || !save(path, bytes)) return false;
    }
    return true;
}

}  // namespace

int printCommand(int argc, char** argv) {
    printOptions options;
    std::vector<std::string> paths;
    for (int i = 0; i < argc; i++) {
        const std::string arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--per-page") {
            const std::string n = value != nullptr ? value : "";
            if (n != "1" && n != "2" && n != "4" && n != "6") return usage("--per-page is 1, 2, 4 or 6");
            options.perPage = n[0] - '0';
            i++;
        } else if (arg == "--solutions") {
            options.solutions = true;
        } else if (arg == "--title") {
            if (value == nullptr) return usage("--title needs a text");
            options.title = value;
            i++;
        } else if (arg == "--paper") {
            const std::string paper = value != nullptr ? lowered(value) : "";
            if (paper != "a4" && paper != "letter") return usage("--paper is a4 or letter");
            options.letter = paper == "letter";
            i++;
        } else if (arg == "-o") {
            if (value == nullptr || *value == '\0') return usage("-o needs a file name");
            options.out = value;
            i++;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return usage("unknown option for print: " + arg);
        } else {
            paths.push_back(arg);
        }
    }
    if (options.out.empty()) return usage("print needs -o OUT");
    options.title = drawable(options.title, "--title");
    if (paths.empty()) return usage("print needs the puzzle files");
    const std::string extension = lowered(options.out);
    if (endsWith(extension, ".pdf")) options.kind = outputPdf;
    else if (endsWith(extension, ".svg")) options.kind = outputSvg;
    else if (endsWith(extension, ".png")) options.kind = outputPng;
    else return usage("OUT ends in .pdf, .svg or .png");

    // A booklet with a puzzle quietly missing is worse than none: anything
    // reported while reading leaves the booklet unmade.
    std::vector<printed> puzzles;
    int status = readPuzzleFiles(paths, [&](const std::string& where, const textPuzzle& puzzle) {
        puzzles.push_back(fromPuzzle(where, puzzle));
        return true;
    });
    if (options.solutions) {
        for (printed& p : puzzles) {
            const int count = countSolutions(p.givens, 2, p.solution);
            if (count == 1) continue;
            std::fprintf(stderr, "velunda-cli: %s: %s, so it has no answer to print\n", p.where.c_str(),
                         count == 0 ? "no solution" : "2 or more solutions");
            if (status < 1) status = 1;
        }
    }
    if (status == 0 && puzzles.empty()) status = 1;
    if (status != 0) {
        std::fprintf(stderr, "velunda-cli: nothing printed\n");
        return status;
    }
    const bool rendered = render(options, puzzles);
    // Cairo and fontconfig keep their font caches to the end; letting them go
    // keeps leak checkers quiet about memory that is not lost.
    cairo_debug_reset_static_data();
    FcFini();
    return rendered ? 0 : 2;
}
