// SPDX-License-Identifier: MIT
// The headless backend's state, in one struct shared by its files (window, clock, GL). One thread.
#pragma once

#include "platform/headless/headless.h"

#include <string>

struct HeadlessState {
    // clock
    bool virtualClock = false;
    DWORD clockBase = 0;            // counter value at clockOrigin (real) or the counter itself (virtual)
    unsigned long long clockOrigin = 0;  // monotonic milliseconds when the real clock was last set
    std::function<void()> tickReadHook;
    // message boxes
    std::vector<HeadlessMessageBox> boxes;
    bool echoBoxes = false;
    std::string failure;            // why the last EGL call failed; echoed after the next box
    // display
    int displayWidth = 800;
    int displayHeight = 600;
    bool displaySwitched = false;
    int cursorCount = 0;
    int screenSaverStarts = 0;
    // failures, indexed by HeadlessCall
    bool failing[7] = {};
    // frames
    std::function<void(const unsigned char*, int, int)> frameSink;
    std::function<void()> frameHook;
    std::function<void()> waitHook;
    unsigned frameCount = 0;
};

extern HeadlessState headless;

inline bool headlessFailing(HeadlessCall call)
{
    return headless.failing[static_cast<int>(call)];
}
unsigned long long headlessMonotonicMs();
// Frees the pbuffer behind a window's device context (the window is going).
void headlessReleaseSurface(HDC hdc);
