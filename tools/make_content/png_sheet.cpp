// SPDX-License-Identifier: MIT
#include "tools/make_content/png_sheet.h"

#include <algorithm>
#include <cstdio>
#include <png.h>

#include "tools/make_content/pixel_font.h"

namespace {

const int kColumns = 6;
const int kThumb = 256;
const int kCellWidth = 276;
const int kCellHeight = 300;

} // namespace

Canvas composeSheet(const std::vector<SheetItem>& items)
{
    int rows = (static_cast<int>(items.size()) + kColumns - 1) / kColumns;
    Canvas sheet(kColumns * kCellWidth + 10, rows * kCellHeight + 10);
    sheet.clear(rgb255(24, 24, 30));
    for (size_t i = 0; i < items.size(); ++i) {
        const Canvas& pic = *items[i].picture;
        int cx = 10 + static_cast<int>(i % kColumns) * kCellWidth;
        int cy = 10 + static_cast<int>(i / kColumns) * kCellHeight;
        // Fit into the thumbnail box, keeping the aspect ratio; small pictures are shown twice as large.
        double fit = std::min(2.0, std::min(kThumb / static_cast<double>(pic.width()),
                                            kThumb / static_cast<double>(pic.height())));
        int tw = static_cast<int>(pic.width() * fit), th = static_cast<int>(pic.height() * fit);
        int tx = cx + (kThumb - tw) / 2, ty = cy + (kThumb - th) / 2;
        for (int y = 0; y < th; ++y)
            for (int x = 0; x < tw; ++x) {
                bool light = ((x / 8) + (y / 8)) % 2 == 0;
                sheet.over(tx + x, ty + y, light ? rgb255(70, 70, 78) : rgb255(50, 50, 58));
            }
        if (fit == 1.0)
            sheet.drawCanvas(pic, tx, ty);
        else
            sheet.drawScaled(pic, tx, ty, tw, th);
        char size[32];
        std::snprintf(size, sizeof size, "%d x %d", pic.width(), pic.height());
        drawPlainText(sheet, items[i].label, cx, cy + kThumb + 8, 2, rgb255(230, 230, 240));
        drawPlainText(sheet, size, cx, cy + kThumb + 26, 1, rgb255(150, 150, 170));
    }
    return sheet;
}

bool writePng(const std::string& path, const Canvas& canvas)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!png || !info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(f);
        return false;
    }
    std::vector<uint8_t> pixels = canvas.toRgba8();
    png_init_io(png, f);
    png_set_IHDR(png, info, canvas.width(), canvas.height(), 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < canvas.height(); ++y)
        png_write_row(png, &pixels[static_cast<size_t>(y) * canvas.width() * 4]);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}
