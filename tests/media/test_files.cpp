// SPDX-License-Identifier: MIT
#include "tests/media/test_files.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

void writeFile(const std::string& path, const Bytes& bytes) {
    std::string dir = path.substr(0, path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/'));
    if (!dir.empty()) {
        run("mkdir -p '" + dir + "'");
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
    }
    std::fclose(file);
}

Bytes readFile(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return bytes;
    }
    int c;
    while ((c = std::fgetc(file)) != EOF) {
        bytes.push_back(static_cast<unsigned char>(c));
    }
    std::fclose(file);
    return bytes;
}

int run(const std::string& command) {
    return std::system(command.c_str());
}

int pythonZip(const std::string& archive, const std::string& method, const std::vector<std::string>& pairs) {
    std::string command = "/usr/bin/python3 -W ignore '" TAV_TEST_SOURCE_DIR "/make_zip.py' '" + archive + "' " + method;
    for (const std::string& item : pairs) {
        command += " '" + item + "'";
    }
    return run(command);
}

void putLittleEndian(Bytes& bytes, size_t offset, unsigned long long value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes[offset + i] = static_cast<unsigned char>(value >> (8 * i));
    }
}
