// SPDX-License-Identifier: MIT
// The clocks of the real-time sound output: the device's wrapping played counter and the silent output's
// real-time clock across a sleep.
#include <gtest/gtest.h>

#include "platform/common/sound_output_clock.h"

namespace {

const uint64_t bytesWrap = uint64_t(1) << 30;    // a byte count of 16-bit stereo, in frames
const uint64_t samplesWrap = uint64_t(1) << 32;  // a sample count

}  // namespace

TEST(PlayedCounter, FollowsEitherCounterAcrossItsWrap) {
    for (uint64_t modulus : {bytesWrap, samplesWrap}) {
        PlayedCounter counter;
        uint64_t written = modulus + 100000;  // more handed over than one turn of the counter
        counter.update(0, modulus, written);
        counter.update(modulus - 1000, modulus, written);
        EXPECT_EQ(counter.frames(), modulus - 1000);
        // Past the wrap the count goes on, 1500 frames later.
        EXPECT_EQ(counter.update(500, modulus, written), modulus + 500) << modulus;
        EXPECT_EQ(counter.update(4500, modulus, written), modulus + 4500) << modulus;
    }
}

TEST(PlayedCounter, ADriverThatRestartsItsCounterIsFollowedFromItsNewBase) {
    PlayedCounter counter;
    counter.update(0, samplesWrap, 200000);
    counter.update(150000, samplesWrap, 200000);
    // The counter starts again from nothing: the count holds, never past what was handed over ...
    EXPECT_EQ(counter.update(300, samplesWrap, 204096), 150000u);
    // ... and moves on with the new counter, rather than staying pinned.
    EXPECT_EQ(counter.update(2300, samplesWrap, 204096), 152000u);
    EXPECT_EQ(counter.update(4300, samplesWrap, 208192), 154000u);
}

TEST(PlayedCounter, NeverCountsMoreThanWasHandedOver) {
    PlayedCounter counter;
    counter.update(0, samplesWrap, 8192);
    EXPECT_EQ(counter.update(6000, samplesWrap, 8192), 6000u);
    EXPECT_EQ(counter.update(9000, samplesWrap, 8192), 6000u);  // garbage: ignored
    EXPECT_EQ(counter.update(9100, samplesWrap, 16384), 6100u);
    EXPECT_EQ(counter.update(7, 4, 16384), 6100u);  // a value outside the counter's range
}

TEST(RealTimeClock, DropsASleptSpanInsteadOfRacingThroughIt) {
    const int64_t frequency = 10000000;  // ticks per second, as Windows' performance counter usually runs
    const int64_t begin = 123456789;
    const uint64_t backlog = 4 * 2205;
    RealTimeClock clock;
    clock.start(begin, frequency, 44100);
    EXPECT_EQ(clock.frames(begin + frequency), 44100u);
    EXPECT_EQ(clock.due(begin + frequency, 44100, backlog), 44100u);
    // An hour asleep: the clock asks only for what was mixed, and real time runs on from there.
    int64_t resumed = begin + frequency + 3600 * frequency;
    EXPECT_EQ(clock.due(resumed, 46305, backlog), 46305u);
    EXPECT_EQ(clock.frames(resumed + frequency / 2), 46305u + 22050u);
    // A backlog within the limit (a late thread) is made up, not dropped.
    EXPECT_EQ(clock.due(resumed + frequency / 10, 46305 + 2000, backlog), 46305u + 4410u);
}

TEST(RealTimeClock, StaysExactOverDaysOfCounting) {
    const int64_t frequency = 3579545;  // an odd counter rate
    RealTimeClock clock;
    clock.start(0, frequency, 192000);
    int64_t days = 3 * 86400;
    EXPECT_EQ(clock.frames(days * frequency), static_cast<uint64_t>(days) * 192000u);
    EXPECT_EQ(clock.frames(-5), 0u);  // before the origin
}
