// SPDX-License-Identifier: MIT
#include "tools/make_content/targa_writer.h"

std::vector<uint8_t> encodeTarga(const Canvas& canvas)
{
    const int w = canvas.width();
    const int h = canvas.height();
    // ID length 0, no colour map, image type 2, zero colour-map fields and origin.
    std::vector<uint8_t> out = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    out.reserve(18 + static_cast<size_t>(w) * h * 4);
    out.push_back(static_cast<uint8_t>(w & 0xFF));
    out.push_back(static_cast<uint8_t>(w >> 8));
    out.push_back(static_cast<uint8_t>(h & 0xFF));
    out.push_back(static_cast<uint8_t>(h >> 8));
    out.push_back(32);
    out.push_back(0x08); // eight alpha bits, origin at the bottom left
    std::vector<uint8_t> rgba = canvas.toRgba8();
    for (int y = h - 1; y >= 0; --y)
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * w + x) * 4];
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            out.push_back(p[3]);
        }
    return out;
}
