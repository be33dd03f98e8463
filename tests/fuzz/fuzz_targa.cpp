// SPDX-License-Identifier: MIT
// Fuzz target: the Targa decoder on arbitrary file bytes.
#include <cstddef>
#include <cstdint>

#include "media/image_decoding.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/image_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeFuzzInput("in.tga", data, size);
    Image image;
    if (image.loadImageFile("in.tga", imageTypeTarga)) {
        volatile unsigned sum = touchPixels(image, formatBytes(image.format));
        (void)sum;
    }
    return 0;
}
