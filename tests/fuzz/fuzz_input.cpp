// SPDX-License-Identifier: MIT
#include "tests/fuzz/fuzz_input.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

static void enterScratchFolder() {
    static bool entered = false;
    if (entered) return;
    char folder[] = "/tmp/tav-fuzz-XXXXXX";
    if (!mkdtemp(folder) || chdir(folder) != 0) {
        std::perror("tav fuzz scratch folder");
        std::abort();
    }
    entered = true;
}

void writeFuzzInput(const char* name, const uint8_t* data, size_t size) {
    enterScratchFolder();
    FILE* file = std::fopen(name, "wb");
    if (!file) {
        std::perror(name);
        std::abort();
    }
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
}
