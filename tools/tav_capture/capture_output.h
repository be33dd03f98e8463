// Where captured frames go: an MP4 file, or a folder of PNG frames with one WAV file. Each call gets one video
// frame (width x height RGBA, top row first) and the interleaved stereo 16-bit samples that play during it.
#pragma once

#include <string>

class CaptureOutput {
public:
    virtual ~CaptureOutput() {}
    virtual bool writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames) = 0;
    // Flushes and closes; the output is complete only when this returns true.
    virtual bool finish() = 0;
    const std::string& error() const { return lastError; }

protected:
    std::string lastError;
};
