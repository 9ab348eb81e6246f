// A small JSON reader for the checker: objects, arrays, strings with escapes,
// numbers, true, false and null. Its input is the solver's own output, but a
// checker that trusts what it checks proves nothing, so every size is bounded
// and every byte looked at: it fails with a message, never crashes or hangs.
#ifndef VELUNDA_TESTS_LADDER_LADDER_JSON_H
#define VELUNDA_TESTS_LADDER_LADDER_JSON_H

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace ladder {

struct json {
    enum kindOf { null, boolean, number, string, array, object };
    kindOf kind = null;
    bool flag = false;
    double value = 0;
    std::string text;
    std::vector<json> items;        // an array's elements, or an object's values
    std::vector<std::string> keys;  // an object's keys, beside its values

    // The value of the key, or nullptr when this is no object or lacks it.
    const json* get(const char* key) const {
        if (kind != object) return nullptr;
        for (size_t i = 0; i < keys.size(); i++)
            if (keys[i] == key) return &items[i];
        return nullptr;
    }
    bool isInteger() const { return kind == number && value == std::floor(value) && std::fabs(value) < 1e15; }
};

struct jsonLimits {
    int depth = 64;            // nested arrays and objects
    long values = 2000000;     // every value of the document
    size_t stringBytes = 1 << 20;
};

class jsonReader {
public:
    jsonReader(const char* data, size_t size, jsonLimits limits) : at(data), end(data + size), limits(limits) {}

    // The document: one value and nothing but blanks around it.
    bool read(json* out, std::string* error) {
        blanks();
        if (!value(out, 0)) return fail(error);
        blanks();
        if (at != end) {
            problem = "text after the value";
            return fail(error);
        }
        return true;
    }

private:
    const char* at;
    const char* end;
    jsonLimits limits;
    long count = 0;
    std::string problem;

    bool fail(std::string* error) {
        if (error != nullptr) *error = problem.empty() ? "bad JSON" : problem;
        return false;
    }
    bool stop(const char* why) {
        if (problem.empty()) problem = why;
        return false;
    }
    void blanks() {
        while (at != end && (*at == ' ' || *at == '\t' || *at == '\n' || *at == '\r')) at++;
    }
    bool word(const char* w) {
        const size_t n = std::strlen(w);
        if (static_cast<size_t>(end - at) < n || std::memcmp(at, w, n) != 0) return stop("an unknown word");
        at += n;
        return true;
    }

    bool value(json* out, int depth) {
        if (++count > limits.values) return stop("too many values");
        if (at == end) return stop("the text ends where a value should be");
        switch (*at) {
        case '{': return objectValue(out, depth + 1);
        case '[': return arrayValue(out, depth + 1);
        case '"': out->kind = json::string; return stringValue(&out->text);
        case 't': out->kind = json::boolean; out->flag = true; return word("true");
        case 'f': out->kind = json::boolean; out->flag = false; return word("false");
        case 'n': out->kind = json::null; return word("null");
        default: return numberValue(out);
        }
    }

    bool arrayValue(json* out, int depth) {
        if (depth > limits.depth) return stop("nested too deeply");
        out->kind = json::array;
        at++;
        blanks();
        if (at != end && *at == ']') {
            at++;
            return true;
        }
        for (;;) {
            out->items.emplace_back();
            if (!value(&out->items.back(), depth)) return false;
            blanks();
            if (at == end) return stop("an array is not closed");
            if (*at == ']') {
                at++;
                return true;
            }
            if (*at != ',') return stop("a comma or ] should follow an array's element");
            at++;
            blanks();
        }
    }

    bool objectValue(json* out, int depth) {
        if (depth > limits.depth) return stop("nested too deeply");
        out->kind = json::object;
        at++;
        blanks();
        if (at != end && *at == '}') {
            at++;
            return true;
        }
        for (;;) {
            if (at == end || *at != '"') return stop("a key should be a string");
            out->keys.emplace_back();
            if (!stringValue(&out->keys.back())) return false;
            blanks();
            if (at == end || *at != ':') return stop("a colon should follow a key");
            at++;
            blanks();
            out->items.emplace_back();
            if (!value(&out->items.back(), depth)) return false;
            blanks();
            if (at == end) return stop("an object is not closed");
            if (*at == '}') {
                at++;
                break;
            }
            if (*at != ',') return stop("a comma or } should follow an object's value");
            at++;
            blanks();
        }
        // A key given twice would let one reader see what another does not.
        std::vector<std::string> sorted = out->keys;
        std::sort(sorted.begin(), sorted.end());
        if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return stop("a key repeats in an object");
        return true;
    }

    static int hexDigit(char c) {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    }
    bool hex4(unsigned* out) {
        if (end - at < 4) return stop("a \\u escape is cut short");
        unsigned v = 0;
        for (int i = 0; i < 4; i++) {
            const int h = hexDigit(at[i]);
            if (h < 0) return stop("a \\u escape needs four hex digits");
            v = v * 16 + static_cast<unsigned>(h);
        }
        at += 4;
        *out = v;
        return true;
    }
    static void utf8(unsigned c, std::string* out) {
        if (c < 0x80) {
            *out += static_cast<char>(c);
        } else if (c < 0x800) {
            *out += static_cast<char>(0xC0 | (c >> 6));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *out += static_cast<char>(0xE0 | (c >> 12));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            *out += static_cast<char>(0xF0 | (c >> 18));
            *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            *out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }

    bool stringValue(std::string* out) {
        at++;  // the opening quote
        for (;;) {
            if (at == end) return stop("a string is not closed");
            if (out->size() > limits.stringBytes) return stop("a string is too long");
            const unsigned char c = static_cast<unsigned char>(*at++);
            if (c == '"') return true;
            if (c < 0x20) return stop("a control character in a string");
            if (c != '\\') {
                *out += static_cast<char>(c);
                continue;
            }
            if (at == end) return stop("a string is not closed");
            const char e = *at++;
            switch (e) {
            case '"': *out += '"'; break;
            case '\\': *out += '\\'; break;
            case '/': *out += '/'; break;
            case 'b': *out += '\b'; break;
            case 'f': *out += '\f'; break;
            case 'n': *out += '\n'; break;
            case 'r': *out += '\r'; break;
            case 't': *out += '\t'; break;
            case 'u': {
                unsigned code = 0;
                if (!hex4(&code)) return false;
                if (code >= 0xDC00 && code <= 0xDFFF) return stop("a lone low surrogate");
                if (code >= 0xD800 && code <= 0xDBFF) {
                    unsigned low = 0;
                    if (end - at < 2 || at[0] != '\\' || at[1] != 'u') return stop("a lone high surrogate");
                    at += 2;
                    if (!hex4(&low)) return false;
                    if (low < 0xDC00 || low > 0xDFFF) return stop("a lone high surrogate");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                utf8(code, out);
                break;
            }
            default: return stop("an unknown escape in a string");
            }
        }
    }

    // The grammar exactly (no leading zeros, no bare dot, no hex), read by strtod.
    bool numberValue(json* out) {
        const char* start = at;
        auto digits = [&]() {
            const char* from = at;
            while (at != end && *at >= '0' && *at <= '9') at++;
            return at != from;
        };
        if (at != end && *at == '-') at++;
        if (at == end) return stop("a number is cut short");
        if (*at == '0') {
            at++;
        } else if (!digits()) {
            return stop("an unknown value");
        }
        if (at != end && *at == '.') {
            at++;
            if (!digits()) return stop("a number's fraction has no digits");
        }
        if (at != end && (*at == 'e' || *at == 'E')) {
            at++;
            if (at != end && (*at == '+' || *at == '-')) at++;
            if (!digits()) return stop("a number's exponent has no digits");
        }
        if (at - start > 400) return stop("a number is too long");
        const std::string copy(start, at);
        out->kind = json::number;
        out->value = std::strtod(copy.c_str(), nullptr);
        if (!std::isfinite(out->value)) return stop("a number out of range");
        return true;
    }
};

// Reads one document; on failure says why in *error.
inline bool parseJson(const std::string& text, json* out, std::string* error, jsonLimits limits = jsonLimits()) {
    *out = json();
    jsonReader reader(text.data(), text.size(), limits);
    return reader.read(out, error);
}

}  // namespace ladder

#endif
