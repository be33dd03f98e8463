// SPDX-License-Identifier: MIT
// The capture's frame pipeline; see frame_pipeline.h.
#include "tools/tav_capture/frame_pipeline.h"

#include <algorithm>
#include <cstring>

FramePipeline::FramePipeline(CaptureOutput& out, int inFlight)
    : output(out), slots(static_cast<size_t>(std::max(1, inFlight)))
{
    const int threads = std::max(1, std::min(output.preparingThreads(), static_cast<int>(slots.size())));
    for (int i = 0; i < threads; ++i) workers.emplace_back([this] { work(); });
}

FramePipeline::~FramePipeline()
{
    finish();
}

bool FramePipeline::submit(const unsigned char* rgba, size_t rgbaBytes, const short* samples, int sampleFrames)
{
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [this] { return failed || submitted - written < slots.size(); });
    if (failed || stopping) return false;
    // The slot's frame was written, and no worker looks at it again until it is handed over below.
    CaptureFrame& frame = slots[submitted % slots.size()];
    held.unlock();
    frame.rgba.assign(rgba, rgba + rgbaBytes);
    frame.samples.assign(samples, samples + static_cast<size_t>(sampleFrames) * 2);
    frame.sampleFrames = sampleFrames;
    held.lock();
    ++submitted;
    changed.notify_all();
    return true;
}

bool FramePipeline::finish()
{
    std::unique_lock<std::mutex> held(lock);
    changed.wait(held, [this] { return written == submitted; });
    stopping = true;
    changed.notify_all();
    held.unlock();
    for (std::thread& worker : workers) worker.join();
    workers.clear();
    return !failed;
}

void FramePipeline::work()
{
    std::unique_lock<std::mutex> held(lock);
    for (;;) {
        changed.wait(held, [this] { return stopping || taken < submitted; });
        if (taken >= submitted) return;  // stopping, and nothing is left
        const unsigned long long k = taken++;
        CaptureFrame& frame = slots[k % slots.size()];
        bool ok = !failed;
        std::string why;
        held.unlock();
        if (ok) ok = output.prepareFrame(frame, why);
        held.lock();
        changed.wait(held, [this, k] { return written == k; });
        if (ok && !failed) {
            held.unlock();
            ok = output.writePrepared(frame);
            if (!ok) why = output.error();
            held.lock();
        }
        if (!ok && !failed) {
            failed = true;
            failure = why;
        }
        ++written;
        changed.notify_all();
    }
}
