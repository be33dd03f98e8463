// The progress line (on stderr, only when it is a terminal) and the summary line (always) of a capture.
#pragma once

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
    explicit ProgressReporter(bool toTerminal) : terminal(toTerminal) {}
    // Redraws the line at most a few times a second.
    void update(const CaptureProgress& progress);
    void finish(const CaptureProgress& progress, const std::string& outputName);

private:
    bool terminal;
    bool lineShown = false;
    double lastShown = -1.0;
};
