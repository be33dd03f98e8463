// SPDX-License-Identifier: MIT
// One DualGl (tests/gl11/dual_gl.h) for a whole process, opened once and kept: the fuzz target and the
// case-by-case tests against Mesa run many call sequences on it, putting the state they touch back through GL
// themselves rather than making fresh contexts for each.
#pragma once

#include "tests/gl11/dual_gl.h"

#include <string>
#include <vector>

// Opens both sides (once per process) with width x height pbuffers; false, with the reason printed, when
// EGL, Mesa's compatibility profile or GLES 3 is missing.
bool gl11PairOpen(int width, int height);
// The layer afresh as over GLES 2 or 3 (DualGl::layerAs).
bool gl11PairLayerAs(int glesMajorVersion);
// Makes the side's context current and returns its table.
const Gl11Table& gl11PairUse(GlSide side);
// The side's whole pbuffer, RGBA, bottom row first (what glReadPixels gives).
std::vector<unsigned char> gl11PairRead(const Gl11Table& gl, int width, int height);

// The bound the two pictures are held to: within 2 levels a channel, except on edges, where a pixel may take
// the value of a neighbour in the other picture (an edge moved by the layer's transform on the CPU), on at most
// 2 % of the pixels. False, with the first pixel beyond it in why, otherwise.
const int gl11InsideTolerance = 2;
bool gl11PicturesMatch(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer, int size,
                       std::string* why);
// A map of the differences for reading a failure: o drawn alike, M drawn by Mesa, L by the layer only.
std::string gl11PictureMap(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer,
                           int size);
