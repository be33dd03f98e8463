// SPDX-License-Identifier: MIT
// Uncompressed true-colour Targa files, 32 bits with alpha, bottom row first as OpenGL expects.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/make_content/canvas.h"

std::vector<uint8_t> encodeTarga(const Canvas& canvas);
