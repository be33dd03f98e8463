// SPDX-License-Identifier: MIT
// Drives one capture: the headless backend's virtual clock, its frame sink and its tick-read hook, and the pull
// output's mixer. Every presented frame is written with exactly its span of audio and moves the clock to the
// next frame's start; a busy wait on the tick counter moves the clock one millisecond per read and writes the
// last presented picture again for every frame span it crosses, with that span's audio. Frames go to the output
// through a FramePipeline, so the show draws the next frame while the last ones are encoded and written.
#pragma once

#include "tools/tav_capture/capture_output.h"
#include "tools/tav_capture/capture_progress.h"
#include "tools/tav_capture/frame_pipeline.h"

#include <chrono>
#include <functional>
#include <memory>
#include <vector>

const int captureWidth = 800;
const int captureHeight = 600;

class CaptureSession {
public:
    // frameLimit 0: until the show ends by itself. musicPosition reads the show's clock for the progress line.
    CaptureSession(CaptureOutput& output, int fps, unsigned long long frameLimit, ProgressReporter& reporter,
                   std::function<int()> musicPosition);
    // Render only: every frame is drawn and finished (glFinish) but not read back, and nothing is written; the
    // time this takes is what the capture's output adds to. Set before install.
    void setRenderOnly(bool on) { renderOnly = on; }
    void install();
    // Waits until every frame handed to the output is written.
    void uninstall();

    bool writeFailed() const { return failed; }
    const std::string& writeError() const { return failure; }
    bool musicStarted() const { return progress.musicStarted; }
    bool reachedLimit() const { return frameLimit && framesWritten >= frameLimit; }
    const CaptureProgress& currentProgress();

private:
    void present(const unsigned char* rgba, int width, int height);
    void tickRead();
    void writeFrame();
    void setClock();

    CaptureOutput& output;
    int fps;
    unsigned long long frameLimit;
    ProgressReporter& reporter;
    std::function<int()> musicPosition;
    CaptureProgress progress;
    std::chrono::steady_clock::time_point startedAt;

    unsigned long long gridFrames = 0;         // frame spans the clock has passed, written or not
    unsigned long long framesWritten = 0;
    unsigned long long clockMs = 0;            // virtual time since the capture began
    unsigned readsSincePresent = 0;
    bool waitedSincePresent = false;
    bool stopped = false;                      // the frame limit is reached or a write failed
    bool failed = false;
    std::string failure;
    bool renderOnly = false;
    std::unique_ptr<FramePipeline> pipeline;
    std::vector<unsigned char> picture;        // the last presented frame, RGBA, top row first
    std::vector<short> samples;
};
