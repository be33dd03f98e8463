// SPDX-License-Identifier: MIT
// The clocks of a real-time sound output, kept apart from the device calls so they can be checked alone: the
// device's played-frame counter widened to 64 bits, and the real-time clock of the silent output.
#pragma once

#include <cstdint>

// Widens a device's wrapping played-position counter. `modulus` is where the reported value wraps, in frames
// (2^32 for a sample count, 2^30 for a byte count of 16-bit stereo). The device can never have played more than
// was handed to it: a step that would pass that is a driver that restarted its counter (or reported garbage),
// not a wrap, and the count keeps its value and follows the counter from its new base.
class PlayedCounter {
public:
    void reset() { started = false, played = 0; }
    // `position` in frames, already reduced modulo `modulus`; `written` the frames handed to the device so far.
    uint64_t update(uint64_t position, uint64_t modulus, uint64_t written);
    uint64_t frames() const { return played; }

private:
    bool started = false;
    uint64_t last = 0;
    uint64_t played = 0;
};

// Real time in frames from a performance counter, for the silent output. A counter that runs on while the
// machine sleeps would otherwise ask for the whole slept span at once: `due` drops any backlog beyond
// `maxBacklog` frames by moving the clock's origin, so the music resumes where it stopped.
class RealTimeClock {
public:
    void start(int64_t counter, int64_t frequency, int rate);
    // Frames since the origin at `counter` (0 before it).
    uint64_t frames(int64_t counter) const;
    // Moves the origin so that `counter` reads `frames`.
    void rebase(int64_t counter, uint64_t frames);
    // The frames real time asks to have been played by `counter`, given `mixed` frames mixed so far; rebased to
    // `mixed` first where it runs more than `maxBacklog` ahead of them.
    uint64_t due(int64_t counter, uint64_t mixed, uint64_t maxBacklog);

private:
    int64_t origin = 0;
    int64_t frequency = 1;
    int rate = 44100;
    uint64_t base = 0;  // frames at the origin
};
