// SPDX-License-Identifier: MIT
// Progress and summary lines of a capture; see capture_progress.h.
#include "tools/tav_capture/capture_progress.h"

#include <algorithm>
#include <cstdio>

double showSeconds(const CaptureProgress& progress)
{
    return static_cast<double>(progress.frames) / progress.fps;
}

double estimatedSecondsLeft(const CaptureProgress& progress)
{
    if (progress.frames == 0 || progress.wallSeconds <= 0.0) return -1.0;
    double shown = showSeconds(progress);
    double showPerWall = shown / progress.wallSeconds;
    double showLeft;
    if (progress.plannedSeconds > 0.0) {
        showLeft = progress.plannedSeconds - shown;
    } else if (progress.musicStarted && progress.musicPosition > 0 && progress.frames > progress.musicStartFrame) {
        double musicSeconds = static_cast<double>(progress.frames - progress.musicStartFrame) / progress.fps;
        double rowsPerSecond = progress.musicPosition / musicSeconds;
        showLeft = (captureEndPosition + 1 - progress.musicPosition) / rowsPerSecond;
    } else {
        return -1.0;
    }
    if (showLeft < 0.0) showLeft = 0.0;
    return showLeft / showPerWall;
}

static std::string minutesAndSeconds(double seconds)
{
    long long whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

std::string formatProgressLine(const CaptureProgress& progress)
{
    double rate = progress.wallSeconds > 0.0 ? progress.frames / progress.wallSeconds : 0.0;
    double left = estimatedSecondsLeft(progress);
    char text[160];
    std::snprintf(text, sizeof text, "frame %llu  music %d  show %.1f s  %.1f fps  left %s", progress.frames,
                  progress.musicPosition, showSeconds(progress), rate,
                  left < 0.0 ? "?" : minutesAndSeconds(left).c_str());
    return text;
}

std::string formatSummaryLine(const CaptureProgress& progress, const std::string& outputName)
{
    double rate = progress.wallSeconds > 0.0 ? progress.frames / progress.wallSeconds : 0.0;
    char text[160];
    std::snprintf(text, sizeof text, ": %llu frames at %d fps, %.2f s of show, music position %d, in %.1f s (%.1f fps)",
                  progress.frames, progress.fps, showSeconds(progress), progress.musicPosition,
                  progress.wallSeconds, rate);
    return "tav-capture: wrote " + outputName + text;
}

// Seconds between two progress lines: redrawn on a terminal, appended elsewhere.
static const double terminalInterval = 0.25;
static const double logInterval = 10.0;

void ProgressReporter::update(const CaptureProgress& progress)
{
    if (terminal) {
        if (lastShown >= 0.0 && progress.wallSeconds - lastShown < terminalInterval) return;
        lastShown = progress.wallSeconds;
        std::fprintf(out, "\r%s\033[K", formatProgressLine(progress).c_str());
    } else {
        if (progress.wallSeconds - std::max(lastShown, 0.0) < logInterval) return;
        lastShown = progress.wallSeconds;
        std::fprintf(out, "%s\n", formatProgressLine(progress).c_str());
    }
    std::fflush(out);
    lineShown = true;
}

void ProgressReporter::finish(const CaptureProgress& progress, const std::string& outputName)
{
    if (terminal && lineShown) std::fprintf(out, "\r\033[K");
    std::fprintf(out, "%s\n", formatSummaryLine(progress, outputName).c_str());
    std::fflush(out);
}
