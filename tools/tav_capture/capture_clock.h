// SPDX-License-Identifier: MIT
// The capture's frame grid: frame n starts at n / fps seconds. Times are whole milliseconds with the fraction
// carried, and each frame owns exactly the audio samples between its start and the next frame's start, so no
// sample is lost or doubled however the rate divides 44100.
#pragma once

const int captureSampleRate = 44100;

unsigned long long frameStartMs(unsigned long long frame, int fps);
int samplesForFrame(unsigned long long frame, int fps);
unsigned long long samplesBeforeFrame(unsigned long long frame, int fps);
unsigned long long framesForSeconds(double seconds, int fps);
