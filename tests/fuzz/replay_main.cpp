// SPDX-License-Identifier: MIT
// Replays inputs through a fuzz target without libFuzzer: each argument is a file or a folder of files.
// Used by ctest on the checked-in regression inputs, in every build.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static bool replayFile(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        return false;
    }
    std::vector<uint8_t> bytes;
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return true;
}

int main(int argc, char** argv) {
    int replayed = 0;
    // Targets change the current directory, so every path is made absolute before the first input runs.
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        char* absolute = realpath(argv[i], nullptr);
        paths.push_back(absolute ? absolute : argv[i]);
        std::free(absolute);
    }
    for (const std::string& path : paths) {
        struct stat info;
        if (stat(path.c_str(), &info) != 0) {
            std::fprintf(stderr, "missing %s\n", path.c_str());
            return 1;
        }
        std::vector<std::string> files;
        if (S_ISDIR(info.st_mode)) {
            DIR* folder = opendir(path.c_str());
            while (dirent* entry = folder ? readdir(folder) : nullptr) {
                std::string name = entry->d_name;
                if (name != "." && name != ".." && name[0] != '.') files.push_back(path + "/" + name);
            }
            if (folder) closedir(folder);
            std::sort(files.begin(), files.end());
        } else {
            files.push_back(path);
        }
        for (const std::string& file : files) {
            if (!replayFile(file)) return 1;
            replayed++;
        }
    }
    std::printf("replayed %d inputs\n", replayed);
    return replayed > 0 ? 0 : 1;
}
