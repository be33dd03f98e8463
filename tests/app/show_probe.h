// SPDX-License-Identifier: MIT
// Show steps for the shell's own tests: they record what the entry routine calls, and when, so the passes can
// be checked without a content set. loadShow does the real step's first part (the per-pass references).
#pragma once

#include "app/gl_window.h"

#include <functional>
#include <vector>

struct ShowProbe {
    int initCalls = 0;
    int loadCalls = 0;
    int shutdownCalls = 0;
    bool loadResult = true;
    std::vector<int> choiceAtInit;      // fullscreenChoice when initShow ran
    std::vector<int> fullscreenAtInit;  // the record's fullscreen when initShow ran
    std::vector<float> deltas;          // frameDelta at each drawFrame
    std::function<void()> onLoad;       // runs inside loadShow
    std::function<void()> onFrame;      // runs inside drawFrame
};

extern ShowProbe showProbe;
