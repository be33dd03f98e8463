// SPDX-License-Identifier: MIT
// Where captured frames go: an MP4 file, or a folder of PNG frames with one WAV file. Each frame is one video
// picture (width x height RGBA, top row first) and the interleaved stereo 16-bit samples that play during it.
#pragma once

#include <string>
#include <vector>

// One frame on its way through the capture's pipeline (frame_pipeline.h).
struct CaptureFrame {
    std::vector<unsigned char> rgba;
    std::vector<short> samples;
    int sampleFrames = 0;
    std::vector<unsigned char> encoded;  // whatever prepareFrame made of the picture
};

class CaptureOutput {
public:
    virtual ~CaptureOutput() {}
    // Writes one frame at once, on the caller's thread.
    virtual bool writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames) = 0;
    // Flushes and closes; the output is complete only when this returns true.
    virtual bool finish() = 0;
    const std::string& error() const { return lastError; }

    // For the pipeline. prepareFrame does the work on a frame that needs no other frame (a PNG's compression);
    // it runs on any of preparingThreads() threads, several frames at once, and must not touch the output's
    // state. writePrepared then takes the frames one at a time, in order. By default nothing is prepared ahead
    // and all the work is done in order.
    virtual int preparingThreads() const { return 1; }
    virtual bool prepareFrame(CaptureFrame&, std::string&) { return true; }
    virtual bool writePrepared(const CaptureFrame& frame)
    {
        return writeFrame(frame.rgba.data(), frame.samples.data(), frame.sampleFrames);
    }

protected:
    std::string lastError;
};

// Takes every frame and keeps none: a capture that only renders.
class DiscardingOutput : public CaptureOutput {
public:
    bool writeFrame(const unsigned char*, const short*, int) override { return true; }
    bool finish() override { return true; }
};
