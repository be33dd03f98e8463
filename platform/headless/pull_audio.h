// SPDX-License-Identifier: MIT
// The pull output of the sound library: the host mixes exactly the samples it asks for, so audio follows a
// virtual clock (capture, tests). Platform-only: the show never includes this.
#pragma once

#include <cstdint>

// Chooses the output for the next FSOUND_Init: true = the pull output, false = the audio device (the default).
void usePullAudio(bool pull);

// The mixing rate of the open pull output (the rate FSOUND_Init was given), or 0 when it is not open.
int pullAudioRate();

// Mixes exactly `frames` stereo frames (interleaved 16-bit left/right) into `samples` and advances every
// playing song and stream by them. Returns false, filling silence, when the pull output is not open.
bool mixPullAudio(int16_t* samples, int frames);

// Test seam: the next FSOUND_Init calls fail with `errorCode` (0 turns the seam off), `count` times
// (-1: until turned off).
void failSoundInit(int errorCode, int count = 1);

// Measuring seam: false makes the audio device output report the position as if the device played each buffer
// the moment it was mixed (the device's delay ignored), for comparing against what a recording hears.
void countDeviceDelay(bool count);

// The delay of the open audio device output in frames (what it holds beyond the buffer being played), 0 when
// none is open or it has none (the silent output).
int deviceDelayFrames();
