// PNG frame files through libpng; see png_frame.h.
#include "tools/tav_capture/png_frame.h"

#include <png.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

struct PngWriteState {
    png_structp png = nullptr;
    png_infop info = nullptr;
    FILE* file = nullptr;
    ~PngWriteState()
    {
        if (png) png_destroy_write_struct(&png, info ? &info : nullptr);
        if (file) std::fclose(file);
    }
};

bool writePngFrame(const std::string& path, const unsigned char* rgba, int width, int height, std::string& error)
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

    PngWriteState state;
    state.file = std::fopen(path.c_str(), "wb");
    if (!state.file) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    state.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (state.png) state.info = png_create_info_struct(state.png);
    if (!state.png || !state.info) {
        error = "libpng could not start";
        return false;
    }
    // libpng reports write errors by longjmp; nothing with a destructor lives between here and the writes.
    if (setjmp(png_jmpbuf(state.png))) {
        error = "cannot write '" + path + "' (libpng error)";
        return false;
    }
    png_init_io(state.png, state.file);
    png_set_compression_level(state.png, 3);
    png_set_IHDR(state.png, state.info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_rows(state.png, state.info, rows.data());
    png_write_png(state.png, state.info, PNG_TRANSFORM_IDENTITY, nullptr);
    FILE* file = state.file;
    state.file = nullptr;
    if (std::fclose(file) != 0) {
        error = "cannot write '" + path + "': " + std::strerror(errno);
        return false;
    }
    return true;
}
