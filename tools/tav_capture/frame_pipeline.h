// SPDX-License-Identifier: MIT
// Overlaps a capture's rendering with its output: the show's thread hands each frame over and goes on to draw
// the next, while worker threads prepare frames (several at once where the output allows) and write them
// strictly in order. At most `inFlight` frames are held; a hand-over waits while all are taken. The output sees
// the same frames in the same order as when written one by one, so its bytes do not change.
#pragma once

#include "tools/tav_capture/capture_output.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class FramePipeline {
public:
    FramePipeline(CaptureOutput& output, int inFlight);
    ~FramePipeline();
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // Copies the frame and returns; false once a frame has failed (this one is then dropped). Show's thread.
    bool submit(const unsigned char* rgba, size_t rgbaBytes, const short* samples, int sampleFrames);
    // Waits until every frame handed over is written and stops the workers; false when any failed, with the
    // reason in error(). Show's thread; the pipeline takes nothing after it.
    bool finish();
    const std::string& error() const { return failure; }

private:
    void work();

    CaptureOutput& output;
    std::vector<CaptureFrame> slots;  // frame k lives in slot k % size while in flight
    std::vector<std::thread> workers;
    std::mutex lock;
    std::condition_variable changed;
    unsigned long long submitted = 0;  // frames handed over
    unsigned long long taken = 0;      // frames a worker has begun
    unsigned long long written = 0;    // frames finished, in order
    bool failed = false;
    bool stopping = false;
    std::string failure;
};
