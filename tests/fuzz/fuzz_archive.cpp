// SPDX-License-Identifier: MIT
// Fuzz target: whole-file loads of members of a fuzzed data archive, under a fixed name and under the name
// of the archive's first member, through the plain load, the size query, a reader and the Targa decoder.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include <unzip.h>

#include "media/data_files.h"
#include "media/image_decoding.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/fuzz/image_targets.h"

static void loadMember(const char* name) {
    int size = -1;
    unsigned char* bytes = loadWholeFile(name, &size);
    if (bytes) {
        unsigned sum = 0;
        for (int i = 0; i < size; ++i) sum += bytes[i];
        volatile unsigned keep = sum;
        (void)keep;
        // The size query sees the same archive and must agree with what the load delivered.
        if (dataFileSize(name) != size) __builtin_trap();
        std::free(bytes);
    } else if (size != 0) {
        __builtin_trap();
    }
    MemoryReader reader;
    if (reader.open(name)) {
        unsigned char header[14];
        reader.read(header, sizeof header);
    }
    Image image;
    if (image.loadImageFile(name, imageTypeTarga)) {
        volatile unsigned sum = touchPixels(image, formatBytes(image.format));
        (void)sum;
    }
}

// A member name that is safe to try as a loose file too (the loads look on disk first).
static bool plainName(const char* name) {
    return name[0] != '\0' && name[0] != '/' && std::strstr(name, "..") == nullptr;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeFuzzInput("fuzz.kod", data, size);
    setArchiveName("fuzz.kod");
    loadMember("Data/gfx/box_0.tga");
    char first[256] = "";
    if (unzFile archive = unzOpen("fuzz.kod")) {
        unz_file_info info;
        if (unzGoToFirstFile(archive) == UNZ_OK &&
            unzGetCurrentFileInfo(archive, &info, first, sizeof first, nullptr, 0, nullptr, 0) != UNZ_OK) {
            first[0] = '\0';
        }
        unzClose(archive);
    }
    first[sizeof first - 1] = '\0';
    if (plainName(first) && std::strcmp(first, "fuzz.kod") != 0) loadMember(first);
    return 0;
}
