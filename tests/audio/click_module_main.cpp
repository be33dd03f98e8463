// SPDX-License-Identifier: MIT
// Writes the click module of the heard-position tests to a file: a click on every row at the show's tempo
// (speed 6 at 140 BPM), 64-row patterns played `orders` times (default 40, about four and a half minutes).
//     audio_click_module OUT.xm [ORDERS]
#include <cstdio>
#include <cstdlib>

#include "tests/audio/xm_writer.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: audio_click_module OUT.xm [ORDERS]\n");
        return 2;
    }
    const int orders = argc == 3 ? std::atoi(argv[2]) : 40;
    if (orders < 1 || orders > 256) {
        std::fprintf(stderr, "audio_click_module: ORDERS must be 1 to 256\n");
        return 2;
    }
    XmModule spec;
    spec.patternRows = {64};
    spec.orders.assign(static_cast<size_t>(orders), 0);
    spec.speed = 6;
    spec.tempo = 140;
    spec.clickEveryRow = true;
    const auto bytes = writeXm(spec);
    FILE* file = std::fopen(argv[1], "wb");
    if (!file || std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fclose(file) != 0) {
        std::fprintf(stderr, "audio_click_module: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
