// SPDX-License-Identifier: MIT
// WAV output through libsndfile; see wav_writer.h.
#include "tools/tav_capture/wav_writer.h"

#include <sndfile.h>

WavWriter::~WavWriter()
{
    if (file) sf_close(file);
}

bool WavWriter::open(const std::string& filePath, int sampleRate, std::string& error)
{
    SF_INFO info = {};
    info.samplerate = sampleRate;
    info.channels = 2;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    path = filePath;
    file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        error = "cannot write '" + path + "': " + sf_strerror(nullptr);
        return false;
    }
    return true;
}

bool WavWriter::write(const short* samples, int sampleFrames, std::string& error)
{
    if (!file) {
        error = "the WAV file is not open";
        return false;
    }
    if (sampleFrames <= 0) return true;
    if (sf_writef_short(file, samples, sampleFrames) != sampleFrames) {
        error = "cannot write '" + path + "': " + sf_strerror(file);
        return false;
    }
    return true;
}

bool WavWriter::close(std::string& error)
{
    if (!file) return true;
    int result = sf_close(file);
    file = nullptr;
    if (result != 0) {
        error = "cannot finish '" + path + "': " + sf_error_number(result);
        return false;
    }
    return true;
}
