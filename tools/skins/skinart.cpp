#include "skinart.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace skins {

namespace {

struct Col {
    double r, g, b;
};

Col rgb(int r, int g, int b) {
    return Col{r / 255.0, g / 255.0, b / 255.0};
}

Col mix(Col a, Col b, double t) {
    return Col{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Col scale(Col c, double f) {
    return Col{c.r * f, c.g * f, c.b * f};
}

// A small integer hash: the same grain on every run and every machine.
double grain(int x, int y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xffff) / 32767.5 - 1.0;
}

struct Point {
    double x, y;
};
typedef std::vector<Point> Stroke;

// Pixel (x, y) covers [x, x + 1) by [y, y + 1); shapes are sampled 4 x 4
// per pixel so their edges are smooth.
class Canvas {
public:
    Canvas() : px(static_cast<size_t>(width) * height, Col{0, 0, 0}) {}

    void blend(int x, int y, Col c, double a) {
        if (x < 0 || y < 0 || x >= width || y >= height || a <= 0) return;
        Col& p = px[static_cast<size_t>(y) * width + x];
        p = mix(p, c, std::min(a, 1.0));
    }
    Col at(int x, int y) const { return px[static_cast<size_t>(y) * width + x]; }

    // Inclusive pixel rectangles.
    void rect(int x1, int y1, int x2, int y2, Col c, double a = 1.0) {
        for (int y = y1; y <= y2; y++)
            for (int x = x1; x <= x2; x++) blend(x, y, c, a);
    }
    void gradient(int x1, int y1, int x2, int y2, Col top, Col bottom, double a = 1.0) {
        for (int y = y1; y <= y2; y++) {
            double t = y2 > y1 ? static_cast<double>(y - y1) / (y2 - y1) : 0.0;
            for (int x = x1; x <= x2; x++) blend(x, y, mix(top, bottom, t), a);
        }
    }

    // Any shape: `inside(x, y)` on continuous coordinates, `paint(x, y)`
    // the colour of a pixel, over the box [x1, x2] by [y1, y2].
    template <class Inside, class Paint>
    void shape(double x1, double y1, double x2, double y2, Inside inside, Paint paint, double a = 1.0) {
        for (int y = static_cast<int>(std::floor(y1)); y <= static_cast<int>(std::ceil(y2)); y++)
            for (int x = static_cast<int>(std::floor(x1)); x <= static_cast<int>(std::ceil(x2)); x++) {
                int hits = 0;
                for (int sy = 0; sy < 4; sy++)
                    for (int sx = 0; sx < 4; sx++)
                        if (inside(x + (sx + 0.5) / 4.0, y + (sy + 0.5) / 4.0)) hits++;
                if (hits > 0) blend(x, y, paint(x, y), a * hits / 16.0);
            }
    }

    // A rounded rectangle over [x1, x2] by [y1, y2] in continuous units.
    template <class Paint>
    void roundRect(double x1, double y1, double x2, double y2, double radius, Paint paint, double a = 1.0) {
        auto inside = [=](double x, double y) {
            if (x < x1 || x > x2 || y < y1 || y > y2) return false;
            double cx = std::min(std::max(x, x1 + radius), x2 - radius);
            double cy = std::min(std::max(y, y1 + radius), y2 - radius);
            return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius;
        };
        shape(x1, y1, x2, y2, inside, paint, a);
    }
    void roundRect(double x1, double y1, double x2, double y2, double radius, Col c, double a = 1.0) {
        roundRect(x1, y1, x2, y2, radius, [c](int, int) { return c; }, a);
    }

    // Strokes of the given thickness with round ends.
    template <class Paint>
    void strokes(const std::vector<Stroke>& lines, double thickness, Paint paint, double a = 1.0) {
        double x1 = 1e9, y1 = 1e9, x2 = -1e9, y2 = -1e9;
        for (const Stroke& s : lines)
            for (const Point& p : s) {
                x1 = std::min(x1, p.x);
                y1 = std::min(y1, p.y);
                x2 = std::max(x2, p.x);
                y2 = std::max(y2, p.y);
            }
        const double r = thickness / 2;
        auto inside = [&](double x, double y) {
            for (const Stroke& s : lines)
                for (size_t i = 0; i + 1 < s.size(); i++) {
                    double dx = s[i + 1].x - s[i].x, dy = s[i + 1].y - s[i].y;
                    double len2 = dx * dx + dy * dy;
                    double t = len2 > 0 ? ((x - s[i].x) * dx + (y - s[i].y) * dy) / len2 : 0.0;
                    t = std::min(std::max(t, 0.0), 1.0);
                    double ex = s[i].x + t * dx - x, ey = s[i].y + t * dy - y;
                    if (ex * ex + ey * ey <= r * r) return true;
                }
            return false;
        };
        shape(x1 - r, y1 - r, x2 + r, y2 + r, inside, paint, a);
    }

    std::vector<unsigned char> bytes() const {
        std::vector<unsigned char> out;
        out.reserve(px.size() * 3);
        for (const Col& c : px)
            for (double v : {c.r, c.g, c.b})
                out.push_back(static_cast<unsigned char>(std::lround(std::min(std::max(v, 0.0), 1.0) * 255.0)));
        return out;
    }

private:
    std::vector<Col> px;
};

// Letters as strokes in a box one unit high, y down; `advance` is the width.
struct Glyph {
    double advance;
    std::vector<Stroke> strokes;
};

Stroke arc(double cx, double cy, double rx, double ry, double fromDeg, double toDeg) {
    Stroke s;
    const int steps = 24;
    for (int i = 0; i <= steps; i++) {
        double t = (fromDeg + (toDeg - fromDeg) * i / steps) * 3.14159265358979 / 180.0;
        s.push_back(Point{cx + rx * std::cos(t), cy + ry * std::sin(t)});
    }
    return s;
}

Stroke join(Stroke a, const Stroke& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Glyph glyph(char c) {
    switch (c) {
    case 'V':
        return {0.72, {{{0, 0}, {0.36, 1}, {0.72, 0}}}};
    case 'E':
        return {0.6, {{{0.6, 0}, {0, 0}, {0, 1}, {0.6, 1}}, {{0, 0.5}, {0.48, 0.5}}}};
    case 'L':
        return {0.56, {{{0, 0}, {0, 1}, {0.56, 1}}}};
    case 'U':
        return {0.68, {join(join(Stroke{{0, 0}}, arc(0.34, 0.64, 0.34, 0.36, 180, 0)), Stroke{{0.68, 0}})}};
    case 'N':
        return {0.7, {{{0, 1}, {0, 0}, {0.7, 1}, {0.7, 0}}}};
    case 'D':
        return {0.7, {join(join(Stroke{{0.28, 1}, {0, 1}, {0, 0}, {0.28, 0}}, arc(0.28, 0.5, 0.42, 0.5, -90, 90)),
                            Stroke{{0.28, 1}})}};
    case 'A':
        return {0.76, {{{0, 1}, {0.38, 0}, {0.76, 1}}, {{0.14, 0.63}, {0.62, 0.63}}}};
    case 'S':
        return {0.62, {join(arc(0.31, 0.25, 0.29, 0.25, -20, -270), arc(0.31, 0.75, 0.31, 0.25, -90, 160))}};
    case 'O':
        return {0.8, {arc(0.4, 0.5, 0.4, 0.5, 0, 360)}};
    case 'K':
        return {0.64, {{{0, 0}, {0, 1}}, {{0.64, 0}, {0, 0.62}}, {{0.22, 0.44}, {0.66, 1}}}};
    default:
        return {0.5, {}};
    }
}

// The strokes of a text `size` units high with its top at y, centred on cx;
// `spacing` is the gap between letters as a fraction of the size.
std::vector<Stroke> text(const char* s, double cx, double y, double size, double spacing) {
    double total = 0;
    int n = static_cast<int>(std::strlen(s));
    for (int i = 0; i < n; i++) total += glyph(s[i]).advance + (i + 1 < n ? spacing : 0);
    double x = cx - total * size / 2;
    std::vector<Stroke> out;
    for (int i = 0; i < n; i++) {
        Glyph g = glyph(s[i]);
        for (const Stroke& stroke : g.strokes) {
            Stroke placed;
            for (const Point& p : stroke) placed.push_back(Point{x + p.x * size, y + p.y * size});
            out.push_back(placed);
        }
        x += (g.advance + spacing) * size;
    }
    return out;
}

struct Theme {
    Col backTop, backBottom;
    double grainAmount;
    Col stripTop, stripBottom, stripAccent;
    Col wellColour;
    double wellAlpha;
    Col closeTint;
    Col plateTop, plateBottom, plateBorder;
    Col logoTop, logoBottom, logoShadow;
    double logoShadowAlpha;
    Col subtitle;
    Col gutter, thinLine, thickLine, frameLight;
    Col cellTop, cellBottom;
    double bevel;  // how much lighter the top-left edge and darker the bottom-right one
    uint32_t seed;
};

// Skin 0: a dark wooden case with brass, caramel cells on which both the
// white givens and the black entries stand out, and so do the light green
// and light blue pencil marks.
Theme woodTheme() {
    Theme t;
    t.backTop = rgb(70, 46, 32);
    t.backBottom = rgb(40, 26, 19);
    t.grainAmount = 0.018;
    t.stripTop = rgb(40, 29, 23);
    t.stripBottom = rgb(24, 17, 13);
    t.stripAccent = rgb(196, 156, 88);
    t.wellColour = rgb(0, 0, 0);
    t.wellAlpha = 0.28;
    t.closeTint = rgb(150, 40, 30);
    t.plateTop = rgb(54, 36, 26);
    t.plateBottom = rgb(34, 23, 17);
    t.plateBorder = rgb(150, 114, 62);
    t.logoTop = rgb(250, 224, 150);
    t.logoBottom = rgb(186, 134, 58);
    t.logoShadow = rgb(0, 0, 0);
    t.logoShadowAlpha = 0.55;
    t.subtitle = rgb(214, 178, 120);
    t.gutter = rgb(82, 55, 37);
    t.thinLine = rgb(50, 33, 22);
    t.thickLine = rgb(190, 150, 84);
    t.frameLight = rgb(236, 204, 140);
    t.cellTop = rgb(152, 102, 58);
    t.cellBottom = rgb(134, 88, 48);
    t.bevel = 0.10;
    t.seed = 1;
    return t;
}

// Skin 1: a light board in a navy case; the givens sit on navy tiles, the
// entries and marks are dark on near-white cells.
Theme paperTheme() {
    Theme t;
    t.backTop = rgb(222, 229, 241);
    t.backBottom = rgb(192, 203, 222);
    t.grainAmount = 0.006;
    t.stripTop = rgb(49, 76, 146);
    t.stripBottom = rgb(29, 48, 102);
    t.stripAccent = rgb(129, 160, 199);
    t.wellColour = rgb(0, 0, 24);
    t.wellAlpha = 0.30;
    t.closeTint = rgb(170, 40, 50);
    t.plateTop = rgb(246, 248, 252);
    t.plateBottom = rgb(224, 231, 243);
    t.plateBorder = rgb(129, 160, 199);
    t.logoTop = rgb(52, 82, 160);
    t.logoBottom = rgb(26, 44, 100);
    t.logoShadow = rgb(140, 160, 200);
    t.logoShadowAlpha = 0.45;
    t.subtitle = rgb(80, 104, 160);
    t.gutter = rgb(206, 215, 232);
    t.thinLine = rgb(150, 168, 202);
    t.thickLine = rgb(41, 64, 127);
    t.frameLight = rgb(129, 160, 199);
    t.cellTop = rgb(253, 254, 255);
    t.cellBottom = rgb(238, 242, 250);
    t.bevel = 0.04;
    t.seed = 2;
    return t;
}

void background(Canvas& c, const Theme& t) {
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++) {
            Col base = mix(t.backTop, t.backBottom, static_cast<double>(y) / (height - 1));
            // A soft vignette and a faint horizontal grain.
            double dx = (x - width / 2.0) / width, dy = (y - height / 2.0) / height;
            double shade = 1.0 - 0.35 * (dx * dx + dy * dy);
            double g = t.grainAmount * (0.6 * grain(x / 7, y, t.seed) + 0.4 * grain(x, y, t.seed + 7));
            Col p = scale(base, shade);
            c.blend(x, y, Col{p.r + g, p.g + g, p.b + g}, 1.0);
        }
}

// y 0 to 29: the drag strip, under the game's own title texts (baseline 20)
// and its "^ _ X" buttons (x 355 to 389).
void titleStrip(Canvas& c, const Theme& t) {
    c.gradient(0, 0, width - 1, 28, t.stripTop, t.stripBottom);
    c.rect(0, 0, width - 1, 0, Col{1, 1, 1}, 0.08);
    c.rect(0, 29, width - 1, 29, t.stripAccent);
    c.rect(0, 30, width - 1, 31, Col{0, 0, 0}, 0.30);
    c.rect(0, 32, width - 1, 32, Col{0, 0, 0}, 0.12);
    // Wells under "File", under the author field and under the window
    // buttons; the close button in a colour of its own.
    c.roundRect(10, 5, 46, 26, 5, t.wellColour, t.wellAlpha);
    c.roundRect(120, 5, 339, 26, 5, t.wellColour, t.wellAlpha);
    for (double x1 : {10.0, 120.0}) c.rect(static_cast<int>(x1) + 4, 25, x1 == 10.0 ? 42 : 335, 25, Col{1, 1, 1}, 0.07);
    c.roundRect(349, 5, 374, 26, 5, t.wellColour, t.wellAlpha);
    c.rect(362, 9, 362, 22, Col{1, 1, 1}, 0.12);
    c.roundRect(376, 5, 390, 26, 5, t.closeTint, 0.6);
}

// y 36 to 103: a plate with the game's name.
void namePlate(Canvas& c, const Theme& t) {
    c.roundRect(13, 38, 390, 106, 9, Col{0, 0, 0}, 0.25);  // shadow
    c.roundRect(11, 36, 388, 104, 9, t.plateBorder);
    auto plate = [&t](int, int y) { return mix(t.plateTop, t.plateBottom, (y - 37) / 66.0); };
    c.roundRect(12.5, 37.5, 386.5, 102.5, 8, plate);
    c.roundRect(15.5, 40.5, 383.5, 99.5, 6, t.plateBorder, 0.18);
    c.roundRect(16.5, 41.5, 382.5, 98.5, 5.5, plate);

    const double top = 46, size = 30;
    std::vector<Stroke> logo = text("VELUNDA", 200, top, size, 0.30);
    std::vector<Stroke> shadow = logo;
    for (Stroke& s : shadow)
        for (Point& p : s) {
            p.x += 2;
            p.y += 2;
        }
    c.strokes(shadow, 5.0, [&t](int, int) { return t.logoShadow; }, t.logoShadowAlpha);
    c.strokes(logo, 5.0, [&](int, int y) { return mix(t.logoTop, t.logoBottom, (y - top) / size); });

    const double subTop = 83, subSize = 9;
    c.strokes(text("SUDOKU", 200, subTop, subSize, 0.55), 1.6, [&t](int, int) { return t.subtitle; });
    for (int side : {-1, 1}) {
        double inner = 200 + side * 52, outer = 200 + side * 150;
        c.strokes({{{inner, subTop + subSize / 2}, {outer, subTop + subSize / 2}}}, 1.0,
                  [&t](int, int) { return t.subtitle; }, 0.7);
        c.strokes({{{outer, subTop + subSize / 2 - 2.5},
                    {outer + side * 2.5, subTop + subSize / 2},
                    {outer, subTop + subSize / 2 + 2.5},
                    {outer - side * 2.5, subTop + subSize / 2},
                    {outer, subTop + subSize / 2 - 2.5}}},
                  1.0, [&t](int, int) { return t.subtitle; }, 0.9);
    }
}

// The board: cells exactly where the board view's tiles land, a gutter
// around each, a 1-pixel line between the cells of a box and a 3-pixel line
// between boxes, in a frame of the thick lines' colour.
void board(Canvas& c, const Theme& t) {
    const int right = tileWidth - 1, down = tileHeight - 1;
    const int left = tileLeft(0) - 5, far = tileLeft(8) + right + 5;
    const int top = tileTop(0) - 5, bottom = tileTop(8) + down + 5;
    for (int i = 1; i <= 4; i++)  // soft shadow
        c.roundRect(left + 2 - i, top + 3 - i, far + 5 + i, bottom + 6 + i, 3 + i, Col{0, 0, 0}, 0.07);
    c.rect(left - 1, top - 1, far + 1, bottom + 1, t.frameLight, 0.6);
    c.rect(left, top, far, bottom, t.thickLine);
    c.rect(left + 3, top + 3, far - 3, bottom - 3, t.gutter);

    // The middle of the gap after column i, and after row i: thin lines
    // first, so the thick ones cross them.
    for (int i = 0; i < 8; i++) {
        if (i % 3 == 2) continue;
        int x = tileLeft(i) + right + 3, y = tileTop(i) + down + 3;
        c.rect(x, top + 3, x, bottom - 3, t.thinLine);
        c.rect(left + 3, y, far - 3, y, t.thinLine);
    }
    for (int i = 2; i < 8; i += 3) {
        int x = tileLeft(i) + right + 3, y = tileTop(i) + down + 3;
        c.rect(x, top + 3, x + 2, bottom - 3, t.thickLine);
        c.rect(left + 3, y, far - 3, y + 2, t.thickLine);
    }

    for (int row = 0; row < 9; row++)
        for (int col = 0; col < 9; col++) {
            int x = tileLeft(col), y = tileTop(row);
            c.gradient(x, y, x + right, y + down, t.cellTop, t.cellBottom);
            c.rect(x, y, x + right, y, Col{1, 1, 1}, t.bevel * 2);
            c.rect(x, y + 1, x, y + down, Col{1, 1, 1}, t.bevel);
            c.rect(x, y + down, x + right, y + down, Col{0, 0, 0}, t.bevel * 2);
            c.rect(x + right, y, x + right, y + down - 1, Col{0, 0, 0}, t.bevel);
        }
}

}  // namespace

std::vector<unsigned char> drawSkin(int skin) {
    const Theme t = skin == 0 ? woodTheme() : paperTheme();
    Canvas c;
    background(c, t);
    titleStrip(c, t);
    namePlate(c, t);
    board(c, t);
    return c.bytes();
}

}  // namespace skins
