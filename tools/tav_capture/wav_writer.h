// SPDX-License-Identifier: MIT
// A 16-bit stereo PCM WAV file at the capture's sample rate, written through libsndfile as samples arrive.
#pragma once

#include <string>

struct sf_private_tag;

class WavWriter {
public:
    ~WavWriter();
    bool open(const std::string& path, int sampleRate, std::string& error);
    bool write(const short* samples, int sampleFrames, std::string& error);
    bool close(std::string& error);

private:
    sf_private_tag* file = nullptr;
    std::string path;
};
