// SPDX-License-Identifier: MIT
// How far two read-backs of the same drawing lie apart: the largest per-channel difference and how many pixels
// differ at all, apart for pixels inside shapes (the reference's 3 x 3 neighbourhood is flat) and on edges
// (geometric edges, texel edges of magnified textures), where a pixel centre on the other side of an edge can
// flip the whole pixel.
#pragma once

#include <cstddef>
#include <string>

struct PictureDiff {
    long pixels = 0;
    int largestInside = 0, largestEdge = 0;
    long differingInside = 0, differingEdge = 0;
    long flippedEdge = 0;   // edge pixels differing by more than roundingLevels: an edge taken differently

    int largest() const { return largestInside > largestEdge ? largestInside : largestEdge; }
    double insideShare() const { return pixels ? double(differingInside) / double(pixels) : 0; }
    double edgeShare() const { return pixels ? double(differingEdge) / double(pixels) : 0; }
    double flippedShare() const { return pixels ? double(flippedEdge) / double(pixels) : 0; }
    void add(const PictureDiff& other);
    // "inside: largest 2, 12.345 % differ; edges: largest 255, 1.234 % differ, 0.012 % by more than 2"
    std::string describe() const;
};

// A neighbourhood whose channels span more than this in the reference is an edge.
const int edgeContrast = 24;
// What rounding alone moves a pixel by: the layer hands GLES colours of 8 bits, Mesa interpolates floats.
const int roundingLevels = 2;

// reference and other: width x height RGBA pixels each (all four channels compared).
PictureDiff comparePictures(const unsigned char* reference, const unsigned char* other, int width, int height);
