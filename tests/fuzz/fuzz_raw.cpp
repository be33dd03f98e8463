// SPDX-License-Identifier: MIT
// Fuzz target: the raw load. The first five bytes choose the caller's width, height and format; the rest is
// the file, so the fuzzer explores dimensions that do and do not fit it.
#include <cstddef>
#include <cstdint>

#include "media/image_decoding.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/image_targets.h"

static const int formats[] = {0x1906, 0x1909, 0x1903, 0x190A, 0x1907, 0x80E0, 0x1908, 0x80E1, 0, -1, 0x1901};
static const int formatSizes[] = {1, 1, 1, 2, 3, 3, 4, 4, 0, 0, 0};

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 5) return 0;
    int width = static_cast<int16_t>(data[0] | (data[1] << 8));
    int height = static_cast<int16_t>(data[2] | (data[3] << 8));
    int choice = data[4] % (sizeof formats / sizeof formats[0]);
    writeFuzzInput("in.raw", data + 5, size - 5);
    Image image;
    if (image.loadRaw("in.raw", width, height, formats[choice])) {
        if (formatSizes[choice] == 0 || image.width != width || image.height != height) __builtin_trap();
        volatile unsigned sum = touchPixels(image, formatSizes[choice]);
        (void)sum;
    }
    return 0;
}
