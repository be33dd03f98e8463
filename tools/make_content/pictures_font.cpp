// SPDX-License-Identifier: MIT
// The GameFont texture: a 16 x 16 grid of 16 x 16 cells, the glyph of character code i in cell i, counted
// row by row from the top-left. Glyphs are 9 pixels wide so that the font's advance of 10 leaves a gap.
#include "tools/make_content/pictures.h"
#include "tools/make_content/pixel_font.h"

Canvas drawGameFont()
{
    Canvas c(256, 256);
    const double pixelWidth = 1.8;
    const double pixelHeight = 2.0;
    for (int code = 32; code <= 126; ++code) {
        double cellX = (code % 16) * 16.0;
        double cellY = (code / 16) * 16.0;
        for (int pass = 0; pass < 2; ++pass)
            for (int row = 0; row < kGlyphRows; ++row)
                for (int col = 0; col < kGlyphColumns; ++col) {
                    if (!glyphPixel(static_cast<char>(code), col, row))
                        continue;
                    // First a shadow one pixel down and right, then the glyph itself.
                    double shift = pass == 0 ? 1.0 : 0.0;
                    double x0 = cellX + 0.5 + col * pixelWidth + shift;
                    double y0 = cellY + 1.0 + row * pixelHeight + shift;
                    Rgba colour = pass == 0 ? rgba(0, 0, 0, 0.6) : rgba(1, 1, 1, 1);
                    c.fillRect(x0, y0, x0 + pixelWidth, y0 + pixelHeight, colour);
                }
    }
    return c;
}
