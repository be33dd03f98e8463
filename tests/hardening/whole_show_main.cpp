// SPDX-License-Identifier: MIT
// The whole show, headless, on a virtual clock that moves only when the program looks at it, with the sound
// stand-in's pull output fed in step: a short, deterministic run to watch under valgrind. Run it in a folder
// holding the data files; an optional argument sets the frames per second of show time (default 2).
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"

// The soundtrack opens the sound system during static construction, so the pull output is chosen first.
__attribute__((constructor(101))) static void choosePullAudio() {
    usePullAudio(true);
}

static DWORD clockMs = 0;
static uint64_t mixedFrames = 0;
static unsigned readsThisFrame = 0;

// Moves the clock and mixes exactly the audio that the new time covers.
static void advance(DWORD milliseconds) {
    static std::vector<int16_t> samples;
    clockMs += milliseconds;
    headlessSetClock(clockMs);
    uint64_t due = static_cast<uint64_t>(clockMs) * 44100 / 1000;
    if (due > mixedFrames) {
        samples.resize(static_cast<size_t>(due - mixedFrames) * 2);
        mixPullAudio(samples.data(), static_cast<int>(due - mixedFrames));
        mixedFrames = due;
    }
}

int main(int argc, char** argv) {
    int fps = argc > 1 ? std::atoi(argv[1]) : 2;
    if (fps < 1 || fps > 1000) return 2;
    headlessUseVirtualClock(true);
    headlessSetClock(0);
    headlessSetMessageBoxEcho(true);
    // The frame loop reads the counter once per frame; every further read is the load step's busy pause.
    headlessSetTickReadHook([] {
        if (++readsThisFrame > 1) advance(1);
    });
    headlessSetFrameHook([fps] {
        readsThisFrame = 0;
        advance(static_cast<DWORD>(1000 / fps));
    });
    int result = WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1);
    headlessSetTickReadHook(nullptr);
    headlessSetFrameHook(nullptr);
    std::printf("%u frames, %u ms of show, exit code %d\n", headlessFrameCount(), static_cast<unsigned>(clockMs), result);
    return result;
}
