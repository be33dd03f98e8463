// SPDX-License-Identifier: MIT
// The played-frame counter of a device and the real-time clock of the silent output.
#include "platform/common/sound_output_clock.h"

uint64_t PlayedCounter::update(uint64_t position, uint64_t modulus, uint64_t written) {
    if (modulus == 0 || position >= modulus) return played;
    if (!started) {
        // The counter starts at 0 when the device opens; a first value already past what was handed over is
        // taken as the base rather than as played.
        started = true;
        last = position;
        if (position <= written) played = position;
        return played;
    }
    uint64_t step = (position + modulus - last) % modulus;
    last = position;
    if (played + step <= written) played += step;
    return played;
}

void RealTimeClock::start(int64_t counter, int64_t counterFrequency, int sampleRate) {
    origin = counter;
    frequency = counterFrequency > 0 ? counterFrequency : 1;
    rate = sampleRate;
    base = 0;
}

uint64_t RealTimeClock::frames(int64_t counter) const {
    if (counter <= origin) return base;
    // Split into whole seconds and the rest: exact, and no overflow however long the counter has run.
    int64_t ticks = counter - origin;
    int64_t seconds = ticks / frequency;
    int64_t rest = ticks % frequency;
    return base + static_cast<uint64_t>(seconds) * static_cast<uint64_t>(rate) +
           static_cast<uint64_t>(rest * rate / frequency);
}

void RealTimeClock::rebase(int64_t counter, uint64_t at) {
    origin = counter;
    base = at;
}

uint64_t RealTimeClock::due(int64_t counter, uint64_t mixed, uint64_t maxBacklog) {
    uint64_t now = frames(counter);
    if (now > mixed + maxBacklog) {
        rebase(counter, mixed);
        now = mixed;
    }
    return now;
}
