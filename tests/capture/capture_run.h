// SPDX-License-Identifier: MIT
// Runs the real tav-capture in a fresh folder laid out as a user would: the content archive and the fast test
// soundtrack as a loose file that wins over the archive's own.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

struct CaptureRunResult {
    int code = -1;
    std::string err;
};

std::vector<char> fileBytes(const std::filesystem::path& path);
std::filesystem::path contentFolder(const std::string& name);
// tav-capture with arguments, run in dir; stdout goes to dir/stdout.txt.
CaptureRunResult runCapture(const std::filesystem::path& dir, const std::string& arguments);
// A PNG file as 8-bit RGB, or nothing when it cannot be read or is not width x height.
std::vector<unsigned char> readPngRgb(const std::filesystem::path& path, int width = 800, int height = 600);
