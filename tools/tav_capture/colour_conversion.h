// SPDX-License-Identifier: MIT
// RGBA pictures (bytes R, G, B, A, top row first) into the planes the encoders take, through libyuv: BT.601
// coefficients with video (16-235) range, chroma of 4:2:0 the average of each two by two block. libyuv's SIMD
// rows do this about twenty times faster than libswscale's exact path, and the result is the same on every run.
#pragma once

#include <vector>

// Y, then Cb, then Cr, each plane packed (its stride is its width). width and height even for 4:2:0.
void rgbaToYuv(const unsigned char* rgba, int width, int height, bool fullChroma, std::vector<unsigned char>& planes);
// Bytes B, G, R, x: the packed RGB that FFV1 codes exactly.
void rgbaToBgrx(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& bgrx);
