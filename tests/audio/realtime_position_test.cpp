// SPDX-License-Identifier: MIT
// On a machine without a sound card, the device output still runs in real time (the silent output), so a
// playing module's position advances by the rows that fit in the time that passed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "audio/music_track.h"
#include "platform/common/sound_mixer.h"
#include "platform/headless/pull_audio.h"
#include "tests/audio/audio_test_files.h"

TEST(RealTimeOutput, PositionFollowsTheClock) {
    usePullAudio(false);
    XmModule module;
    module.patternRows = {64};
    module.orders = std::vector<int>(16, 0);
    module.withTone = true;
    std::string path = writeXmFile("realtime.xm", module);

    MusicTrack track;
    ASSERT_TRUE(soundSystemOpen);
    ASSERT_TRUE(track.load(path.c_str(), 0));
    ASSERT_NE(track.play(), 0);
    {
        std::lock_guard<std::mutex> guard(soundState().lock);
        EXPECT_EQ(soundState().output, OUTPUT_DEVICE);
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    int startPosition = track.getPosition();
    auto start = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    int endPosition = track.getPosition();
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

    double expectedRows = seconds * 44100 / rowFrames;
    EXPECT_NEAR(endPosition - startPosition, expectedRows, expectedRows * 0.05)
        << "from " << startPosition << " to " << endPosition << " in " << seconds << " s";
    track.release();
}

// The three calls of one position read must describe one moment: with 2-row patterns at the fastest tempo an
// order boundary passes every 20 ms, so reading as fast as possible puts many of them between two of the calls.
TEST(RealTimeOutput, PositionNeverStepsBackAcrossOrderBoundaries) {
    usePullAudio(false);
    XmModule module;
    module.patternRows = {2};
    module.orders = std::vector<int>(256, 0);
    module.speed = 1;
    module.tempo = 255;
    module.withTone = true;
    std::string path = writeXmFile("two-row.xm", module);

    MusicTrack track;
    ASSERT_TRUE(track.load(path.c_str(), 0));
    ASSERT_NE(track.play(), 0);
    // 256 orders of 2 rows last about 5 s; stop well before the song wraps round to its start.
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(3500);
    int previous = track.getPosition();
    int first = previous;
    long reads = 0, backwards = 0;
    std::string firstBackward;
    while (std::chrono::steady_clock::now() < end) {
        int position = track.getPosition();
        if (position < previous) {
            if (backwards++ == 0) firstBackward = std::to_string(previous) + " -> " + std::to_string(position);
        }
        previous = position;
        reads++;
    }
    EXPECT_EQ(backwards, 0) << "first step back: " << firstBackward << " (" << reads << " reads)";
    EXPECT_GT(reads, 1000);
    EXPECT_GT(previous - first, 200) << "the song did not advance";
    track.release();
}
