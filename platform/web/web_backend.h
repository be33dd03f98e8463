// SPDX-License-Identifier: MIT
// What the browser backend's files share: the one canvas, the yields to the browser where the program waits,
// and the keyboard state behind the DirectInput stand-in. Main thread only.
#pragma once

#include "platform/common/win32_window.h"

// The program's one window is the page's canvas; this is its drawing-buffer size.
constexpr int webCanvasWidth = 800;
constexpr int webCanvasHeight = 600;

// Tops up the audio output and gives the browser a turn of at least ms milliseconds.
void webYield(int ms);
// Tops up the audio output and waits for the browser's next animation frame (or 100 ms where frames stop, as
// in a hidden tab, so the sound keeps being fed).
void webWaitFrame();
// Tops up the audio output and waits until a key event arrives or timeoutMs passes.
void webWaitInput(int timeoutMs);
// Milliseconds since the last yield of any kind.
double webMsSinceYield();

// The DirectInput key codes (set-1 scan codes, extended keys with the high bit) held down now.
void webSetKeyDown(int scanCode, bool down);
const unsigned char* webKeysDown();
