// SPDX-License-Identifier: MIT
// The folder output: DIR/frame_000000.png, frame_000001.png, ... one per video frame, and DIR/audio.wav.
#pragma once

#include "tools/tav_capture/capture_output.h"
#include "tools/tav_capture/frame_scaler.h"
#include "tools/tav_capture/wav_writer.h"

#include <memory>

class PngWavOutput : public CaptureOutput {
public:
    // Creates the folder when it does not exist. width x height: the captured pictures; frameWidth x
    // frameHeight, when given, the size the frames are scaled into (aspect kept, black bars).
    bool open(const std::string& dir, int width, int height, int frameWidth = 0, int frameHeight = 0);
    bool writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames) override;
    bool finish() override;

    // Frames are compressed on two threads at once and written in order.
    int preparingThreads() const override { return 2; }
    bool prepareFrame(CaptureFrame& frame, std::string& error) override;
    bool writePrepared(const CaptureFrame& frame) override;

    static std::string framePath(const std::string& dir, unsigned long long frame);

private:
    const unsigned char* scaled(const unsigned char* rgba, std::vector<unsigned char>& buffer);

    std::string dir;
    int width = 0;
    int height = 0;
    std::unique_ptr<FrameScaler> scaler;
    unsigned long long frames = 0;
    WavWriter wav;
};
