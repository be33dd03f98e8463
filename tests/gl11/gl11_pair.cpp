// SPDX-License-Identifier: MIT
// The process's one pair of renderers, and the fuzz target's picture bound.
#include "tests/gl11/gl11_pair.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Never destroyed: Mesa's driver stays loaded until the process ends.
DualGl& pair = *new DualGl;
bool opened = false;

}  // namespace

bool gl11PairOpen(int width, int height)
{
    if (opened)
        return true;
    if (!pair.open(width, height)) {
        std::printf("gl11 pair: %s\n", pair.failure().c_str());
        return false;
    }
    opened = true;
    return true;
}

bool gl11PairLayerAs(int glesMajorVersion)
{
    return pair.layerAs(glesMajorVersion);
}

const Gl11Table& gl11PairUse(GlSide side)
{
    return pair.use(side);
}

std::vector<unsigned char> gl11PairRead(const Gl11Table& gl, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

namespace {

int channelDiff(const unsigned char* a, const unsigned char* b)
{
    int d = 0;
    for (int c = 0; c < 4; ++c) {
        const int e = std::abs(a[c] - b[c]);
        d = e > d ? e : d;
    }
    return d;
}

// How close the other picture comes to the pixel's value within one pixel of it.
int nearest(const unsigned char* value, const std::vector<unsigned char>& other, int x, int y, int size)
{
    int best = 256;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= size || ny >= size)
                continue;
            const int e = channelDiff(value, &other[(static_cast<size_t>(ny) * size + nx) * 4]);
            best = e < best ? e : best;
        }
    return best;
}

}  // namespace

bool gl11PicturesMatch(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer, int size,
                       std::string* why)
{
    int edges = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const unsigned char* a = &mesa[(static_cast<size_t>(y) * size + x) * 4];
            const unsigned char* b = &layer[(static_cast<size_t>(y) * size + x) * 4];
            if (channelDiff(a, b) <= gl11InsideTolerance)
                continue;
            if (nearest(a, layer, x, y, size) > gl11InsideTolerance &&
                nearest(b, mesa, x, y, size) > gl11InsideTolerance) {
                char text[160];
                std::snprintf(text, sizeof text, "pixel (%d, %d): Mesa %d %d %d %d, layer %d %d %d %d", x, y, a[0],
                              a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
                *why = text;
                return false;
            }
            ++edges;
        }
    if (edges > size * size / 50) {
        *why = std::to_string(edges) + " edge pixels differ, more than 2 %";
        return false;
    }
    return true;
}

std::string gl11PictureMap(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer,
                           int size)
{
    std::string map;
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const size_t k = (static_cast<size_t>(y) * size + x) * 4;
            const bool drawn = mesa[k] || mesa[k + 1] || mesa[k + 2] || mesa[k + 3];
            map += channelDiff(&mesa[k], &layer[k]) <= gl11InsideTolerance ? (drawn ? 'o' : '.') : (drawn ? 'M' : 'L');
        }
        map += '\n';
    }
    return map;
}
