// The one reading of a number in the engine's files, shared by the game's
// lenient reader (files.cpp) and the strict one (gamefiles.cpp).
#ifndef VELUNDA_ENGINE_NUMBERS_INTERNAL_H
#define VELUNDA_ENGINE_NUMBERS_INTERNAL_H

#include <cctype>
#include <climits>
#include <cstdio>
#include <string>

// Bytes from a stream...
struct streamSource {
    FILE* file;
    int get() { return std::getc(file); }
    void unget(int ch) { std::ungetc(ch, file); }
};

// ...or from text[at .. end).
struct textSource {
    const std::string& text;
    size_t at, end;
    int get() { return at < end ? static_cast<unsigned char>(text[at++]) : EOF; }
    void unget(int) { at--; }
};

// Reads one decimal integer the way "%d" does (leading white space, an
// optional sign, digits), but saturates instead of overflowing: files are
// untrusted and an out-of-range number must not be undefined behaviour.
// Returns false, consuming at most a sign, when no number starts here.
template <typename Source>
bool readInt(Source& in, long* out) {
    int ch;
    do ch = in.get();
    while (ch != EOF && std::isspace(ch));
    bool negative = false;
    if (ch == '+' || ch == '-') {
        negative = ch == '-';
        ch = in.get();
    }
    if (ch == EOF || !std::isdigit(ch)) {
        if (ch != EOF) in.unget(ch);
        return false;
    }
    long value = 0;
    while (ch != EOF && std::isdigit(ch)) {
        if (value < 1000000000L) value = value * 10 + (ch - '0');
        ch = in.get();
    }
    if (ch != EOF) in.unget(ch);
    if (value > INT_MAX) value = INT_MAX;
    *out = negative ? -value : value;
    return true;
}

#endif
