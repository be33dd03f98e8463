// SPDX-License-Identifier: MIT
// PNG frames through libpng, compressed in memory; see png_frame.h.
#include "tools/tav_capture/png_frame.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct PngWriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngWriteState()
    {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
    }
};

void appendBytes(png_structp png, png_bytep data, png_size_t length)
{
    auto* out = static_cast<std::vector<unsigned char>*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void flushNothing(png_structp) {}

}  // namespace

bool encodePng(const unsigned char* rgba, int width, int height, std::vector<unsigned char>& png, std::string& error)
{
    if (width <= 0 || height <= 0) {
        error = "no picture to write";
        return false;
    }
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0, n = static_cast<size_t>(width) * height; i < n; ++i) {
        rgb[i * 3 + 0] = rgba[i * 4 + 0];
        rgb[i * 3 + 1] = rgba[i * 4 + 1];
        rgb[i * 3 + 2] = rgba[i * 4 + 2];
    }
    std::vector<png_bytep> rows(height);
    for (int y = 0; y < height; ++y) rows[y] = &rgb[static_cast<size_t>(y) * width * 3];

    png.clear();
    PngWriteState state;
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (state.png) state.info = png_create_info_struct(state.png);
    if (!state.png || !state.info) {
        error = "libpng could not start";
        return false;
    }
    // libpng reports errors by longjmp; nothing with a destructor is created between here and the writes.
    if (setjmp(png_jmpbuf(state.png))) {
        error = "libpng could not compress a frame";
        return false;
    }
    png_set_write_fn(state.png, &png, appendBytes, flushNothing);
    png_set_compression_level(state.png, 3);
    png_set_IHDR(state.png, state.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(state.png, state.info, rows.data());
    png_write_png(state.png, state.info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

bool writeFileBytes(const std::string& path, const std::vector<unsigned char>& bytes, std::string& error)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    const bool wrote = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const int writeErrno = errno;
    if (std::fclose(file) != 0 || !wrote) {
        error = "cannot write '" + path + "': " + std::strerror(wrote ? errno : writeErrno);
        return false;
    }
    return true;
}

bool writePngFrame(const std::string& path, const unsigned char* rgba, int width, int height, std::string& error)
{
    std::vector<unsigned char> png;
    return encodePng(rgba, width, height, png, error) && writeFileBytes(path, png, error);
}
