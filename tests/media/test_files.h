// SPDX-License-Identifier: MIT
// Scratch folders and byte files for the media tests. Each test works in its own fresh folder, made the
// current directory, since data file names are relative to it.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

typedef std::vector<unsigned char> Bytes;


class ScratchFolderTest : public ::testing::Test {
protected:
    void SetUp() override { scratch.enter("tav-media"); }
    void TearDown() override { scratch.leave(); }

    ScratchFolder scratch;
};

void writeFile(const std::string& path, const Bytes& bytes);
Bytes readFile(const std::string& path);
// Runs a shell command and returns its exit status.
int run(const std::string& command);
// Archives made by Python's zipfile: each pair is member name, then the file whose bytes it holds.
// method is "stored" or "deflated".
int pythonZip(const std::string& archive, const std::string& method, const std::vector<std::string>& pairs);

void putLittleEndian(Bytes& bytes, size_t offset, unsigned long long value, int count);
