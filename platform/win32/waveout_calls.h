// SPDX-License-Identifier: MIT
// The two winmm calls the waveOut output makes while it plays, reached through pointers so that a test can make
// the device fail in the middle of a show (as it does when its sound server goes away).
#pragma once

#include <windows.h>
#include <mmsystem.h>

#include <atomic>

typedef MMRESULT(WINAPI* WaveOutWriteCall)(HWAVEOUT, LPWAVEHDR, UINT);
typedef MMRESULT(WINAPI* WaveOutGetPositionCall)(HWAVEOUT, LPMMTIME, UINT);

extern std::atomic<WaveOutWriteCall> waveOutWriteCall;
extern std::atomic<WaveOutGetPositionCall> waveOutGetPositionCall;
