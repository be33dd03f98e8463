// SPDX-License-Identifier: MIT
// One capture on the headless backend; see capture_session.h. Runs on the program's only thread, inside its
// own SwapBuffers and GetTickCount calls.
#include "tools/tav_capture/capture_session.h"

#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "tools/tav_capture/capture_clock.h"

#include <GL/gl.h>

#include <cstdio>
#include <cstring>

// Frames held between the show and the written output: enough to keep two cores busy, little memory.
static const int framesInFlight = 3;

CaptureSession::CaptureSession(CaptureOutput& out, int framesPerSecond, unsigned long long limit,
                               ProgressReporter& progressReporter, std::function<int()> position)
    : output(out), fps(framesPerSecond), frameLimit(limit), reporter(progressReporter),
      musicPosition(std::move(position)),
      picture(static_cast<size_t>(captureWidth) * captureHeight * 4, 0)
{
    progress.fps = fps;
    progress.plannedSeconds = frameLimit ? static_cast<double>(frameLimit) / fps : 0.0;
}

void CaptureSession::install()
{
    startedAt = std::chrono::steady_clock::now();
    headlessUseVirtualClock(true);
    setClock();
    headlessSetTickReadHook([this] { tickRead(); });
    if (renderOnly) {
        headlessSetFrameHook([this] {
            glFinish();
            present(nullptr, 0, 0);
        });
    } else {
        pipeline = std::make_unique<FramePipeline>(output, framesInFlight);
        headlessSetFrameSink([this](const unsigned char* rgba, int width, int height) { present(rgba, width, height); });
    }
}

void CaptureSession::uninstall()
{
    headlessSetTickReadHook(nullptr);
    headlessSetFrameSink(nullptr);
    headlessSetFrameHook(nullptr);
    if (pipeline && !pipeline->finish() && !failed) {
        failed = true;
        failure = pipeline->error();
    }
    pipeline.reset();
}

const CaptureProgress& CaptureSession::currentProgress()
{
    progress.frames = framesWritten;
    progress.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count();
    return progress;
}

void CaptureSession::setClock()
{
    headlessSetClock(static_cast<DWORD>(clockMs));
}

void CaptureSession::present(const unsigned char* rgba, int width, int height)
{
    if (rgba && width == captureWidth && height == captureHeight) {
        // OpenGL reads rows bottom-up; the outputs want the top row first.
        const size_t row = static_cast<size_t>(width) * 4;
        for (int y = 0; y < height; ++y)
            std::memcpy(&picture[static_cast<size_t>(y) * row], rgba + static_cast<size_t>(height - 1 - y) * row, row);
    }
    if (waitedSincePresent && !progress.musicStarted) {
        // The first picture after the load step's pause: the music has just started.
        progress.musicStarted = true;
        progress.musicStartFrame = gridFrames;
    }
    writeFrame();
    clockMs = frameStartMs(gridFrames, fps);
    setClock();
    readsSincePresent = 0;
    waitedSincePresent = false;
}

void CaptureSession::tickRead()
{
    // The frame loop reads the counter once per frame; any further read before the next picture is a busy wait.
    if (++readsSincePresent <= 1) return;
    waitedSincePresent = true;
    ++clockMs;
    while (clockMs >= frameStartMs(gridFrames + 1, fps)) writeFrame();
    setClock();
}

void CaptureSession::writeFrame()
{
    const unsigned long long frame = gridFrames++;
    if (stopped) return;
    const int span = samplesForFrame(frame, fps);
    samples.resize(static_cast<size_t>(span) * 2);
    mixPullAudio(samples.data(), span);  // silence while the pull output is closed
    if (pipeline && !pipeline->submit(picture.data(), picture.size(), samples.data(), span)) {
        failed = true;
        failure = pipeline->error();
        stopped = true;
        headlessCloseRequest();
        return;
    }
    ++framesWritten;
    if (musicPosition) progress.musicPosition = musicPosition();
    reporter.update(currentProgress());
    if (frameLimit && framesWritten >= frameLimit) {
        stopped = true;
        headlessCloseRequest();  // ends the show the way closing its window does
    }
}
