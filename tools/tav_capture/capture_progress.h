// SPDX-License-Identifier: MIT
// The progress lines (on stderr) and the summary line of a capture.
#pragma once

#include <cstdio>
#include <string>

struct CaptureProgress {
    unsigned long long frames = 0;      // frames written so far
    int fps = 60;
    int musicPosition = 0;              // rows played, as the show sees them
    bool musicStarted = false;
    unsigned long long musicStartFrame = 0;
    double wallSeconds = 0.0;           // real time spent so far
    double plannedSeconds = 0.0;        // > 0: the capture stops after this much show time
};

// The show ends once the music position passes this row; used only to estimate the time left.
const int captureEndPosition = 2304;

double showSeconds(const CaptureProgress& progress);
// Estimated real seconds until the capture ends, or a negative value while there is nothing to go by.
double estimatedSecondsLeft(const CaptureProgress& progress);
std::string formatProgressLine(const CaptureProgress& progress);
std::string formatSummaryLine(const CaptureProgress& progress, const std::string& outputName);

class ProgressReporter {
public:
    // On a terminal the line is redrawn in place a few times a second; anywhere else (a pipe, a log file) a
    // whole line is written every 10 seconds, so a log still shows that the capture moves on.
    explicit ProgressReporter(bool toTerminal, FILE* stream = stderr) : terminal(toTerminal), out(stream) {}
    void update(const CaptureProgress& progress);
    void finish(const CaptureProgress& progress, const std::string& outputName);

private:
    bool terminal;
    FILE* out;
    bool lineShown = false;
    double lastShown = -1.0;
};
