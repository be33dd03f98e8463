// SPDX-License-Identifier: MIT
// The entry routine's program-wide state and the frame tick: the whole coupling between the shell and the show.
#pragma once

#include "app/gl_window.h"

extern float frameDelta;            // seconds between the previous drawn frame and this one
extern bool escapeArmed;            // a frame has seen Escape up since the last Escape quit
extern GLWindow* currentWindow;     // set by loadShow for the current pass
extern int* currentKeyState;

void frameTick(unsigned int elapsedMs);
void waitSeconds(int seconds);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
