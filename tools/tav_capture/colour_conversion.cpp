// SPDX-License-Identifier: MIT
// Colour conversion through libyuv; see colour_conversion.h. libyuv names formats by the word they make on a
// little-endian machine: its "ABGR" is the bytes R, G, B, A, and its "ARGB" the bytes B, G, R, A.
#include "tools/tav_capture/colour_conversion.h"

#include <libyuv.h>

void rgbaToYuv(const unsigned char* rgba, int width, int height, bool fullChroma, std::vector<unsigned char>& planes)
{
    const int chromaWidth = fullChroma ? width : width / 2;
    const int chromaHeight = fullChroma ? height : height / 2;
    const size_t luma = static_cast<size_t>(width) * height;
    const size_t chroma = static_cast<size_t>(chromaWidth) * chromaHeight;
    planes.resize(luma + 2 * chroma);
    unsigned char* y = planes.data();
    unsigned char* u = y + luma;
    unsigned char* v = u + chroma;
    if (!fullChroma) {
        libyuv::ABGRToI420(rgba, width * 4, y, width, u, chromaWidth, v, chromaWidth, width, height);
        return;
    }
    // libyuv has no 4:4:4 row for this byte order: reorder first, into a buffer each thread keeps.
    thread_local std::vector<unsigned char> bgra;
    rgbaToBgrx(rgba, width, height, bgra);
    libyuv::ARGBToI444(bgra.data(), width * 4, y, width, u, chromaWidth, v, chromaWidth, width, height);
}

void rgbaToBgrx(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& bgrx)
{
    bgrx.resize(static_cast<size_t>(width) * height * 4);
    libyuv::ABGRToARGB(rgba, width * 4, bgrx.data(), width * 4, width, height);
}
