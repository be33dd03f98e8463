// SPDX-License-Identifier: MIT
// The folder output of PNG frames and one WAV file; see png_wav_output.h.
#include "tools/tav_capture/png_wav_output.h"

#include "tools/tav_capture/capture_clock.h"
#include "tools/tav_capture/png_frame.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

std::string PngWavOutput::framePath(const std::string& dir, unsigned long long frame)
{
    char name[40];
    std::snprintf(name, sizeof name, "frame_%06llu.png", frame);
    return (std::filesystem::path(dir) / name).string();
}

bool PngWavOutput::open(const std::string& folder, int pictureWidth, int pictureHeight, int frameWidth, int frameHeight)
{
    dir = folder;
    width = frameWidth > 0 ? frameWidth : pictureWidth;
    height = frameHeight > 0 ? frameHeight : pictureHeight;
    if (width != pictureWidth || height != pictureHeight) {
        scaler = std::make_unique<FrameScaler>();
        if (!scaler->open(pictureWidth, pictureHeight, width, height, lastError)) return false;
    }
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (!std::filesystem::is_directory(dir, code)) {
        lastError = "cannot create the folder '" + dir + "'";
        return false;
    }
    return wav.open((std::filesystem::path(dir) / "audio.wav").string(), captureSampleRate, lastError);
}

// The picture to compress: the captured one, or its scaled copy in buffer (null when memory ran out).
const unsigned char* PngWavOutput::scaled(const unsigned char* rgba, std::vector<unsigned char>& buffer)
{
    if (!scaler) return rgba;
    return scaler->scale(rgba, buffer) ? buffer.data() : nullptr;
}

bool PngWavOutput::writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames)
{
    std::vector<unsigned char> buffer;
    const unsigned char* picture = scaled(rgba, buffer);
    if (!picture) {
        lastError = "out of memory while scaling a frame";
        return false;
    }
    if (!writePngFrame(framePath(dir, frames), picture, width, height, lastError)) return false;
    ++frames;
    return wav.write(samples, sampleFrames, lastError);
}

bool PngWavOutput::prepareFrame(CaptureFrame& frame, std::string& error)
{
    thread_local std::vector<unsigned char> buffer;
    const unsigned char* picture = scaled(frame.rgba.data(), buffer);
    if (!picture) {
        error = "out of memory while scaling a frame";
        return false;
    }
    return encodePng(picture, width, height, frame.encoded, error);
}

bool PngWavOutput::writePrepared(const CaptureFrame& frame)
{
    if (!writeFileBytes(framePath(dir, frames), frame.encoded, lastError)) return false;
    ++frames;
    return wav.write(frame.samples.data(), frame.sampleFrames, lastError);
}

bool PngWavOutput::finish()
{
    return wav.close(lastError);
}
