// SPDX-License-Identifier: MIT
// Our own 5 x 7 pixel font for printable ASCII (32 to 126), and the lettering drawn with it.
#pragma once

#include <string>
#include <vector>

#include "tools/make_content/canvas.h"

const int kGlyphColumns = 5;
const int kGlyphRows = 7;

// True where the glyph of character c has a pixel (column 0-4, row 0-6 from the top); unknown characters are blank.
bool glyphPixel(char c, int column, int row);

// A coverage mask, 0..1 per pixel.
struct Mask {
    int width = 0;
    int height = 0;
    std::vector<double> v;
    Mask(int w, int h) : width(w), height(h), v(static_cast<size_t>(w) * h, 0.0) {}
    double at(int x, int y) const { return x < 0 || y < 0 || x >= width || y >= height ? 0.0 : v[y * width + x]; }
    double& ref(int x, int y) { return v[y * width + x]; }
};

// Text as a mask: each font pixel a scale x scale block, one font column of spacing between letters,
// with margin pixels of room on every side for glows.
Mask textMask(const std::string& text, int scale, int margin);
int textWidth(const std::string& text, int scale);
Mask blurMask(const Mask& m, int radius);
Mask dilateMask(const Mask& m, int radius);

struct LetteringStyle {
    Rgba top;          // fill colour at the top of the letters
    Rgba bottom;       // fill colour at the bottom
    Rgba outline;      // dark edge
    Rgba glowColour;   // light around the letters
    int outlineWidth;
    int glowRadius;
    double glowStrength;
    double bevel;      // 0: flat, 1: strong highlight on the upper-left edges
};

// Draw text with the style; (x, y) is the top-left corner of the text's mask (margin included).
void drawLettering(Canvas& canvas, const std::string& text, int x, int y, int scale, const LetteringStyle& style);
// The same, centred on (cx, cy).
void drawLetteringCentred(Canvas& canvas, const std::string& text, int cx, int cy, int scale,
                          const LetteringStyle& style);
// Plain small text (labels on the content sheet).
void drawPlainText(Canvas& canvas, const std::string& text, int x, int y, int scale, const Rgba& colour);
