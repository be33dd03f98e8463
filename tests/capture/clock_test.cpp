// SPDX-License-Identifier: MIT
#include "tools/tav_capture/capture_clock.h"

#include <gtest/gtest.h>

TEST(CaptureClock, EveryFrameAtSixtyHasTheSameAudioSpan)
{
    for (unsigned long long n = 0; n < 600; ++n) EXPECT_EQ(samplesForFrame(n, 60), 735) << n;
}

TEST(CaptureClock, SpansAddUpToTheSampleRateAtAnyRate)
{
    for (int fps : {1, 7, 24, 25, 30, 59, 60, 144, 1000}) {
        unsigned long long total = 0;
        for (int n = 0; n < fps; ++n) {
            int span = samplesForFrame(n, fps);
            EXPECT_GE(span, 44100 / fps);
            EXPECT_LE(span, 44100 / fps + 1);
            total += span;
        }
        EXPECT_EQ(total, 44100ull) << fps;
        EXPECT_EQ(samplesBeforeFrame(fps * 3, fps), 3ull * 44100) << fps;
    }
}

TEST(CaptureClock, MillisecondsCarryTheFraction)
{
    EXPECT_EQ(frameStartMs(0, 60), 0ull);
    EXPECT_EQ(frameStartMs(1, 60), 16ull);
    EXPECT_EQ(frameStartMs(2, 60), 33ull);
    EXPECT_EQ(frameStartMs(3, 60), 50ull);
    EXPECT_EQ(frameStartMs(240, 60), 4000ull);
    EXPECT_EQ(frameStartMs(7, 7), 1000ull);
    // A long capture does not drift: an hour at 60 fps is exactly 3600000 ms.
    EXPECT_EQ(frameStartMs(216000, 60), 3600000ull);
}

TEST(CaptureClock, SecondsBecomeWholeFrames)
{
    EXPECT_EQ(framesForSeconds(1.0, 60), 60ull);
    EXPECT_EQ(framesForSeconds(0.1, 30), 3ull);
    EXPECT_EQ(framesForSeconds(0.001, 60), 1ull);
    EXPECT_EQ(framesForSeconds(2.01, 10), 21ull);
    EXPECT_EQ(framesForSeconds(0.0, 60), 0ull);
}
