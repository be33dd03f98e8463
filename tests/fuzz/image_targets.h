// SPDX-License-Identifier: MIT
// Touches every byte a decoded picture claims to hold, so a buffer shorter than its width, height and
// format say is caught by the address sanitizer at once.
#pragma once

#include <cstddef>

#include "media/sprite.h"

inline unsigned touchPixels(const Image& image, int bytesPerPixel) {
    if (!image.pixels) return 0;
    unsigned sum = 0;
    size_t bytes = static_cast<size_t>(image.width) * static_cast<size_t>(image.height) * bytesPerPixel;
    for (size_t i = 0; i < bytes; ++i) sum += image.pixels[i];
    return sum;
}

inline int formatBytes(int format) {
    return format == 0x1908 ? 4 : 3;
}
