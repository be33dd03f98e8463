// Writes one picture as an 8-bit RGB PNG file. The settings are fixed (zlib level 3, libpng's default filters,
// no time or text chunks), so the same pixels always give the same bytes.
#pragma once

#include <string>

// rgba: width x height pixels, 4 bytes each, top row first; alpha is dropped (the screen shows no alpha).
bool writePngFrame(const std::string& path, const unsigned char* rgba, int width, int height, std::string& error);
