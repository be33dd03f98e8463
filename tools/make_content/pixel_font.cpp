// SPDX-License-Identifier: MIT
#include "tools/make_content/pixel_font.h"

#include <algorithm>
#include <cmath>

#include "tools/make_content/det_math.h"

namespace {

// Rows top to bottom, five columns each, '#' for a pixel; entry i is character 32 + i.
const char* const kGlyphs[95] = {
    "..... ..... ..... ..... ..... ..... .....", // space
    "..#.. ..#.. ..#.. ..#.. ..#.. ..... ..#..", // !
    ".#.#. .#.#. ..... ..... ..... ..... .....", // "
    ".#.#. .#.#. ##### .#.#. ##### .#.#. .#.#.", // #
    "..#.. .#### #.#.. .###. ..#.# ####. ..#..", // $
    "##... ##..# ...#. ..#.. .#... #..## ...##", // %
    ".##.. #..#. #.#.. .#... #.#.# #..#. .##.#", // &
    "..#.. ..#.. ..... ..... ..... ..... .....", // '
    "...#. ..#.. .#... .#... .#... ..#.. ...#.", // (
    ".#... ..#.. ...#. ...#. ...#. ..#.. .#...", // )
    "..... ..#.. #.#.# .###. #.#.# ..#.. .....", // *
    "..... ..#.. ..#.. ##### ..#.. ..#.. .....", // +
    "..... ..... ..... ..... .##.. ..#.. .#...", // ,
    "..... ..... ..... ##### ..... ..... .....", // -
    "..... ..... ..... ..... ..... .##.. .##..", // .
    "....# ...#. ...#. ..#.. .#... .#... #....", // /
    ".###. #...# #..## #.#.# ##..# #...# .###.", // 0
    "..#.. .##.. ..#.. ..#.. ..#.. ..#.. .###.", // 1
    ".###. #...# ....# ...#. ..#.. .#... #####", // 2
    "##### ...#. ..#.. ...#. ....# #...# .###.", // 3
    "...#. ..##. .#.#. #..#. ##### ...#. ...#.", // 4
    "##### #.... ####. ....# ....# #...# .###.", // 5
    "..##. .#... #.... ####. #...# #...# .###.", // 6
    "##### ....# ...#. ..#.. .#... .#... .#...", // 7
    ".###. #...# #...# .###. #...# #...# .###.", // 8
    ".###. #...# #...# .#### ....# ...#. .##..", // 9
    "..... .##.. .##.. ..... .##.. .##.. .....", // :
    "..... .##.. .##.. ..... .##.. ..#.. .#...", // ;
    "...#. ..#.. .#... #.... .#... ..#.. ...#.", // <
    "..... ..... ##### ..... ##### ..... .....", // =
    ".#... ..#.. ...#. ....# ...#. ..#.. .#...", // >
    ".###. #...# ....# ...#. ..#.. ..... ..#..", // ?
    ".###. #...# ....# .##.# #.#.# #.#.# .###.", // @
    ".###. #...# #...# ##### #...# #...# #...#", // A
    "####. #...# #...# ####. #...# #...# ####.", // B
    ".###. #...# #.... #.... #.... #...# .###.", // C
    "###.. #..#. #...# #...# #...# #..#. ###..", // D
    "##### #.... #.... ####. #.... #.... #####", // E
    "##### #.... #.... ####. #.... #.... #....", // F
    ".###. #...# #.... #.### #...# #...# .####", // G
    "#...# #...# #...# ##### #...# #...# #...#", // H
    ".###. ..#.. ..#.. ..#.. ..#.. ..#.. .###.", // I
    "..### ...#. ...#. ...#. ...#. #..#. .##..", // J
    "#...# #..#. #.#.. ##... #.#.. #..#. #...#", // K
    "#.... #.... #.... #.... #.... #.... #####", // L
    "#...# ##.## #.#.# #.#.# #...# #...# #...#", // M
    "#...# #...# ##..# #.#.# #..## #...# #...#", // N
    ".###. #...# #...# #...# #...# #...# .###.", // O
    "####. #...# #...# ####. #.... #.... #....", // P
    ".###. #...# #...# #...# #.#.# #..#. .##.#", // Q
    "####. #...# #...# ####. #.#.. #..#. #...#", // R
    ".#### #.... #.... .###. ....# ....# ####.", // S
    "##### ..#.. ..#.. ..#.. ..#.. ..#.. ..#..", // T
    "#...# #...# #...# #...# #...# #...# .###.", // U
    "#...# #...# #...# #...# #...# .#.#. ..#..", // V
    "#...# #...# #...# #.#.# #.#.# #.#.# .#.#.", // W
    "#...# #...# .#.#. ..#.. .#.#. #...# #...#", // X
    "#...# #...# .#.#. ..#.. ..#.. ..#.. ..#..", // Y
    "##### ....# ...#. ..#.. .#... #.... #####", // Z
    ".###. .#... .#... .#... .#... .#... .###.", // [
    "#.... .#... .#... ..#.. ...#. ...#. ....#", // backslash
    ".###. ...#. ...#. ...#. ...#. ...#. .###.", // ]
    "..#.. .#.#. #...# ..... ..... ..... .....", // ^
    "..... ..... ..... ..... ..... ..... #####", // _
    ".#... ..#.. ..... ..... ..... ..... .....", // `
    "..... ..... .###. ....# .#### #...# .####", // a
    "#.... #.... #.##. ##..# #...# #...# ####.", // b
    "..... ..... .###. #.... #.... #...# .###.", // c
    "....# ....# .##.# #..## #...# #...# .####", // d
    "..... ..... .###. #...# ##### #.... .###.", // e
    "..##. .#..# .#... ###.. .#... .#... .#...", // f
    "..... .#### #...# #...# .#### ....# .###.", // g
    "#.... #.... #.##. ##..# #...# #...# #...#", // h
    "..#.. ..... .##.. ..#.. ..#.. ..#.. .###.", // i
    "...#. ..... ..##. ...#. ...#. #..#. .##..", // j
    "#.... #.... #..#. #.#.. ##... #.#.. #..#.", // k
    ".##.. ..#.. ..#.. ..#.. ..#.. ..#.. .###.", // l
    "..... ..... ##.#. #.#.# #.#.# #...# #...#", // m
    "..... ..... #.##. ##..# #...# #...# #...#", // n
    "..... ..... .###. #...# #...# #...# .###.", // o
    "..... ..... ####. #...# ####. #.... #....", // p
    "..... ..... .##.# #..## .#### ....# ....#", // q
    "..... ..... #.##. ##..# #.... #.... #....", // r
    "..... ..... .###. #.... .###. ....# ####.", // s
    ".#... .#... ###.. .#... .#... .#..# ..##.", // t
    "..... ..... #...# #...# #...# #..## .##.#", // u
    "..... ..... #...# #...# #...# .#.#. ..#..", // v
    "..... ..... #...# #...# #.#.# #.#.# .#.#.", // w
    "..... ..... #...# .#.#. ..#.. .#.#. #...#", // x
    "..... ..... #...# #...# .#### ....# .###.", // y
    "..... ..... ##### ...#. ..#.. .#... #####", // z
    "...#. ..#.. ..#.. .#... ..#.. ..#.. ...#.", // {
    "..#.. ..#.. ..#.. ..#.. ..#.. ..#.. ..#..", // |
    ".#... ..#.. ..#.. ...#. ..#.. ..#.. .#...", // }
    "..... ..... .#... #.#.# ...#. ..... .....", // ~
};

} // namespace

bool glyphPixel(char c, int column, int row)
{
    int code = static_cast<unsigned char>(c);
    if (code < 32 || code > 126 || column < 0 || column >= kGlyphColumns || row < 0 || row >= kGlyphRows)
        return false;
    return kGlyphs[code - 32][row * (kGlyphColumns + 1) + column] == '#';
}

int textWidth(const std::string& text, int scale)
{
    if (text.empty())
        return 0;
    return static_cast<int>(text.size()) * (kGlyphColumns + 1) * scale - scale;
}

Mask textMask(const std::string& text, int scale, int margin)
{
    Mask m(textWidth(text, scale) + 2 * margin, kGlyphRows * scale + 2 * margin);
    for (size_t i = 0; i < text.size(); ++i)
        for (int row = 0; row < kGlyphRows; ++row)
            for (int col = 0; col < kGlyphColumns; ++col) {
                if (!glyphPixel(text[i], col, row))
                    continue;
                int x0 = margin + (static_cast<int>(i) * (kGlyphColumns + 1) + col) * scale;
                int y0 = margin + row * scale;
                for (int y = 0; y < scale; ++y)
                    for (int x = 0; x < scale; ++x)
                        m.ref(x0 + x, y0 + y) = 1.0;
            }
    return m;
}

static Mask boxPass(const Mask& m, int radius, bool horizontal, bool takeMax)
{
    Mask out(m.width, m.height);
    for (int y = 0; y < m.height; ++y)
        for (int x = 0; x < m.width; ++x) {
            double acc = 0.0;
            for (int k = -radius; k <= radius; ++k) {
                double v = horizontal ? m.at(x + k, y) : m.at(x, y + k);
                acc = takeMax ? std::max(acc, v) : acc + v;
            }
            out.ref(x, y) = takeMax ? acc : acc / (2 * radius + 1);
        }
    return out;
}

Mask blurMask(const Mask& m, int radius)
{
    if (radius <= 0)
        return m;
    // Three box passes approximate a gaussian.
    int r = std::max(1, radius / 2);
    Mask out = m;
    for (int i = 0; i < 3; ++i)
        out = boxPass(boxPass(out, r, true, false), r, false, false);
    return out;
}

Mask dilateMask(const Mask& m, int radius)
{
    if (radius <= 0)
        return m;
    return boxPass(boxPass(m, radius, true, true), radius, false, true);
}

void drawLettering(Canvas& canvas, const std::string& text, int x, int y, int scale, const LetteringStyle& style)
{
    int margin = style.glowRadius + style.outlineWidth + 2;
    Mask letters = textMask(text, scale, margin);
    // Slightly soften the blocks so the big letters are not jagged when the picture is scaled.
    Mask soft = blurMask(letters, std::max(1, scale / 6));
    Mask edge = blurMask(dilateMask(letters, style.outlineWidth), 2);
    Mask glowMask = blurMask(dilateMask(letters, style.outlineWidth), style.glowRadius);
    Mask height = blurMask(letters, std::max(2, scale / 2));
    int top = margin;
    int bottom = margin + kGlyphRows * scale;
    for (int my = 0; my < letters.height; ++my)
        for (int mx = 0; mx < letters.width; ++mx) {
            int cx = x + mx, cy = y + my;
            double g = glowMask.at(mx, my);
            if (g > 0.0 && style.glowStrength > 0.0)
                canvas.addLight(cx, cy, style.glowColour, g * style.glowStrength);
            double e = edge.at(mx, my);
            if (e > 0.0)
                canvas.over(cx, cy, style.outline, smoothStep(0.1, 0.6, e));
            double f = soft.at(mx, my);
            if (f <= 0.0)
                continue;
            double t = clamp01((my - top) / static_cast<double>(bottom - top));
            Rgba fill = lerpColor(style.top, style.bottom, t);
            // Light from the upper left on the blurred height field gives the blocks a bevel.
            double slope = (height.at(mx - 1, my - 1) - height.at(mx + 1, my + 1));
            double light = 1.0 + style.bevel * slope * 1.5;
            // A thin bright band across the letters, like a reflection on chrome.
            double band = 0.25 * style.bevel * smoothStep(0.38, 0.46, t) * (1.0 - smoothStep(0.5, 0.58, t));
            Rgba lit{clamp01(fill.r * light + band), clamp01(fill.g * light + band), clamp01(fill.b * light + band),
                     fill.a};
            canvas.over(cx, cy, lit, smoothStep(0.2, 0.8, f));
        }
}

void drawLetteringCentred(Canvas& canvas, const std::string& text, int cx, int cy, int scale,
                          const LetteringStyle& style)
{
    int margin = style.glowRadius + style.outlineWidth + 2;
    int w = textWidth(text, scale) + 2 * margin;
    int h = kGlyphRows * scale + 2 * margin;
    drawLettering(canvas, text, cx - w / 2, cy - h / 2, scale, style);
}

void drawPlainText(Canvas& canvas, const std::string& text, int x, int y, int scale, const Rgba& colour)
{
    for (size_t i = 0; i < text.size(); ++i)
        for (int row = 0; row < kGlyphRows; ++row)
            for (int col = 0; col < kGlyphColumns; ++col)
                if (glyphPixel(text[i], col, row))
                    canvas.fillRect(x + (static_cast<int>(i) * (kGlyphColumns + 1) + col) * scale,
                                    y + row * scale,
                                    x + (static_cast<int>(i) * (kGlyphColumns + 1) + col + 1) * scale,
                                    y + (row + 1) * scale, colour);
}
