// SPDX-License-Identifier: MIT
// Writes one picture as an 8-bit RGB PNG file. The settings are fixed (zlib level 3, libpng's default filters,
// no time or text chunks), so the same pixels always give the same bytes.
#pragma once

#include <string>
#include <vector>

// rgba: width x height pixels, 4 bytes each, top row first; alpha is dropped (the screen shows no alpha).
// Safe to call on several threads at once.
bool encodePng(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& png, std::string& error);
// Writes bytes made by encodePng (or any others) to path.
bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error);
// Both in one.
bool writePngFrame(const std::string& path, const unsigned char* rgba, int width, int height, std::string& error);
