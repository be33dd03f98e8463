// SPDX-License-Identifier: MIT
// What every measurement of the benchmark shares: its options, scratch folders holding the content set, and
// the show's window on the headless backend with the content set loaded, the load step's pause skipped.
#pragma once

#include <string>

#include "tools/headless_window/headless_show_window.h"

struct BenchOptions {
    int rounds = 5;            // passes over the frame, load and mixing measurements, spread over the run
    int frames = 200;          // timed frames per scene and per fountain variant, all rounds together
    int warmup = 60;           // untimed frames before them
    int loads = 7;             // repetitions of each load measurement
    double mixSeconds = 60;    // seconds of music mixed by each mixer
    double captureSeconds = 0; // show seconds (load pause included) per capture format; 0: the whole show
    int showFps = 10;          // virtual frame rate of the whole headless show (memory does not depend on it)
    bool fastShow = false;     // the whole show on the fast test soundtrack (for the smoke test)
    bool captureOnly = false;  // only the capture figures
    std::string compareCapture; // another tav-capture to time beside this build's (a "before" figure)
    std::string json;          // where bench.json goes; empty: next to the executable
    std::string profileScene;  // set: only draw this scene, for a profiler
};

// The folder the benchmark's executable lies in (the build folder), with a trailing slash.
std::string executableFolder();

// A fresh scratch folder under /tmp; removed by removeFolder.
std::string makeScratchFolder(const char* tag);
void removeFolder(const std::string& folder);
bool runCommand(const std::string& command);

// Puts the content set into folder: the archive (vel.kod) or its members as loose files (no archive).
bool putContent(const std::string& folder, bool looseFiles);

// The show's 800 x 600 window, opened through the program's own window code on the headless backend.
using BenchWindow = HeadlessShowWindow;

// initShow + loadShow in the current folder with the pull sound output (nothing mixes unless asked) and a
// virtual clock that jumps on every read, so the 4-second pause passes at once.
bool loadShowQuickly(BenchWindow& bench);
