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

bool PngWavOutput::open(const std::string& folder, int frameWidth, int frameHeight)
{
    dir = folder;
    width = frameWidth;
    height = frameHeight;
    std::error_code code;
    std::filesystem::create_directories(dir, code);
    if (!std::filesystem::is_directory(dir, code)) {
        lastError = "cannot create the folder '" + dir + "'";
        return false;
    }
    return wav.open((std::filesystem::path(dir) / "audio.wav").string(), captureSampleRate, lastError);
}

bool PngWavOutput::writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames)
{
    if (!writePngFrame(framePath(dir, frames), rgba, width, height, lastError)) return false;
    ++frames;
    return wav.write(samples, sampleFrames, lastError);
}

bool PngWavOutput::prepareFrame(CaptureFrame& frame, std::string& error)
{
    return encodePng(frame.rgba.data(), width, height, frame.encoded, error);
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
