// SPDX-License-Identifier: MIT
// Test files for the audio suites: a scratch folder, XM modules, and WAV / Ogg Vorbis streams written through
// libsndfile; plus helpers over the pull output.
#pragma once

#include <sndfile.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/audio/xm_writer.h"

inline std::string scratchFolder() {
    static std::string folder;
    if (folder.empty()) {
        char name[] = "/tmp/tav-audio-XXXXXX";
        folder = mkdtemp(name) ? name : "/tmp";
    }
    return folder;
}

inline std::string writeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::string path = scratchFolder() + "/" + name;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file) {
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    return path;
}

inline std::string writeXmFile(const std::string& name, const XmModule& module) {
    return writeFile(name, writeXm(module));
}

// A mono 440 Hz sine of `seconds` at `rate`, in the given libsndfile format.
inline std::string writeToneStream(const std::string& name, int format, int rate, double seconds) {
    std::string path = scratchFolder() + "/" + name;
    SF_INFO info = {};
    info.samplerate = rate;
    info.channels = 1;
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) return "";
    std::vector<float> samples(static_cast<size_t>(rate * seconds));
    for (size_t i = 0; i < samples.size(); ++i) samples[i] = 0.5f * std::sin(2 * M_PI * 440.0 * i / rate);
    sf_write_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);
    return path;
}

// Frames of one row at speed 6, tempo 125 and 44100 Hz: 6 ticks of 882 frames.
const int rowFrames = 6 * 882;

// Pulls `frames` frames in uneven pieces, as a host with its own frame rate would; returns them.
inline std::vector<int16_t> pull(int frames) {
    std::vector<int16_t> all(static_cast<size_t>(frames) * 2);
    int done = 0, piece = 1;
    while (done < frames) {
        int n = std::min(frames - done, piece);
        mixPullAudio(all.data() + 2 * done, n);
        done += n;
        piece = piece * 3 % 4099 + 1;
    }
    return all;
}

inline double rms(const std::vector<int16_t>& samples) {
    double sum = 0;
    for (int16_t s : samples) sum += static_cast<double>(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / samples.size());
}
