// SPDX-License-Identifier: MIT
// The picture comparison.
#include "tests/gl11/picture_diff.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

void PictureDiff::add(const PictureDiff& other)
{
    pixels += other.pixels;
    largestInside = std::max(largestInside, other.largestInside);
    largestEdge = std::max(largestEdge, other.largestEdge);
    differingInside += other.differingInside;
    differingEdge += other.differingEdge;
    flippedEdge += other.flippedEdge;
}

std::string PictureDiff::describe() const
{
    char line[200];
    std::snprintf(line, sizeof line,
                  "inside: largest %3d, %7.3f %% differ; "
                  "edges: largest %3d, %6.3f %% differ, %6.3f %% by more than %d",
                  largestInside, 100 * insideShare(), largestEdge, 100 * edgeShare(), 100 * flippedShare(),
                  roundingLevels);
    return line;
}

namespace {

bool isEdge(const unsigned char* picture, int width, int height, int x, int y)
{
    for (int c = 0; c < 4; ++c) {
        int low = 255, high = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const int nx = std::clamp(x + dx, 0, width - 1);
                const int ny = std::clamp(y + dy, 0, height - 1);
                const int v = picture[(static_cast<size_t>(ny) * width + nx) * 4 + c];
                low = std::min(low, v);
                high = std::max(high, v);
            }
        if (high - low > edgeContrast)
            return true;
    }
    return false;
}

}  // namespace

PictureDiff comparePictures(const unsigned char* reference, const unsigned char* other, int width, int height)
{
    PictureDiff d;
    d.pixels = static_cast<long>(width) * height;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = (static_cast<size_t>(y) * width + x) * 4;
            int diff = 0;
            for (int c = 0; c < 4; ++c)
                diff = std::max(diff, std::abs(reference[at + c] - other[at + c]));
            if (diff == 0)
                continue;
            if (isEdge(reference, width, height, x, y)) {
                d.largestEdge = std::max(d.largestEdge, diff);
                ++d.differingEdge;
                d.flippedEdge += diff > roundingLevels;
            } else {
                d.largestInside = std::max(d.largestInside, diff);
                ++d.differingInside;
            }
        }
    return d;
}
