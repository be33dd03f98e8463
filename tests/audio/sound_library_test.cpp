// SPDX-License-Identifier: MIT
// The sound library stand-in's own contract, below the music track: calls before FSOUND_Init, setup refused
// while running, invalid handles and channels, and what is audible with a device that buffers ahead.
#include <gtest/gtest.h>

#include "platform/common/sound_mixer.h"
#include "platform/headless/pull_audio.h"
#include "platform/sound_api.h"
#include "tests/audio/audio_test_files.h"

namespace {

TEST(SoundLibrary, CallsBeforeInitAreRefused) {
    if (soundState().initialisedOnce) GTEST_SKIP() << "needs a process where FSOUND_Init has not run";
    std::vector<uint8_t> module = writeXm(XmModule{{64}, {0}});
    EXPECT_EQ(FMUSIC_LoadSongMemory(module.data(), static_cast<int>(module.size())), nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
    EXPECT_EQ(FSOUND_Stream_OpenFile(reinterpret_cast<const char*>(module.data()), 0x8002,
                                     static_cast<int>(module.size())),
              nullptr);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_UNINITIALIZED);
}

TEST(SoundLibrary, SetupIsRefusedWhileRunningAndHandlesAreChecked) {
    usePullAudio(true);
    ASSERT_NE(FSOUND_Init(44100, 4, 0), 0);
    EXPECT_EQ(FSOUND_Init(44100, 4, 0), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);
    EXPECT_EQ(FSOUND_SetBufferSize(100), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_BUSY);

    int bogus = 0;
    FMUSIC_MODULE* song = reinterpret_cast<FMUSIC_MODULE*>(&bogus);
    EXPECT_EQ(FMUSIC_PlaySong(song), 0);
    EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_INVALID_PARAM);
    EXPECT_EQ(FMUSIC_FreeSong(nullptr), 0);
    EXPECT_EQ(FMUSIC_GetOrder(song), 0);
    EXPECT_EQ(FSOUND_Stream_Play(0, reinterpret_cast<FSOUND_STREAM*>(&bogus)), -1);
    EXPECT_EQ(FSOUND_SetVolume(4, 100), 0);
    EXPECT_EQ(FSOUND_GetVolume(-1), 0);
    EXPECT_EQ(FMUSIC_LoadSongMemory(nullptr, 100), nullptr);

    std::vector<uint8_t> module = writeXm(XmModule{{64}, {0}});
    FMUSIC_MODULE* real = FMUSIC_LoadSongMemory(module.data(), static_cast<int>(module.size()));
    ASSERT_NE(real, nullptr);
    EXPECT_EQ(FMUSIC_GetPatternLength(real, -1), 0);
    EXPECT_EQ(FMUSIC_FreeSong(real), 1);
    EXPECT_EQ(FMUSIC_FreeSong(real), 0);  // a freed handle is no longer known
    FSOUND_Close();
}

// With a device, what is audible lags what is mixed: the position follows the earlier step.
TEST(SoundLibrary, PositionLooksUpTheAudibleStep) {
    MarkHistory history;
    PositionMark mark;
    EXPECT_FALSE(history.lookup(100, mark));
    history.push(100, 0, 0);
    history.push(200, 0, 1);
    history.push(300, 0, 2);
    ASSERT_TRUE(history.lookup(250, mark));
    EXPECT_EQ(mark.b, 1);
    ASSERT_TRUE(history.lookup(300, mark));
    EXPECT_EQ(mark.b, 2);
    ASSERT_TRUE(history.lookup(50, mark));  // older than anything kept: the oldest
    EXPECT_EQ(mark.b, 0);
    for (int i = 0; i < 1000; ++i) history.push(1000 + i, 1, i);
    ASSERT_TRUE(history.lookup(1900, mark));
    EXPECT_EQ(mark.a, 1);
    EXPECT_EQ(mark.b, 900);
}

// The pull output has no clock of its own: a snapshot of the moment lasts only until the host mixes again.
TEST(SoundLibrary, PullOutputAnswersTheMomentAfterEachMix) {
    usePullAudio(true);
    ASSERT_NE(FSOUND_Init(44100, 4, 0), 0);
    XmModule spec;
    spec.patternRows = {2};
    spec.orders = {0, 0, 0, 0};
    spec.speed = 1;  // one tick of 882 frames per row
    std::vector<uint8_t> module = writeXm(spec);
    FMUSIC_MODULE* song = FMUSIC_LoadSongMemory(module.data(), static_cast<int>(module.size()));
    ASSERT_NE(song, nullptr);
    ASSERT_EQ(FMUSIC_PlaySong(song), 1);
    pull(3 * 882 + 10);
    EXPECT_EQ(FMUSIC_GetOrder(song), 1);
    EXPECT_EQ(FMUSIC_GetRow(song), 1);
    EXPECT_EQ(FMUSIC_GetRow(song), 1);  // asked again with nothing mixed: the same moment
    EXPECT_EQ(FMUSIC_GetOrder(song), 1);
    pull(882);
    EXPECT_EQ(FMUSIC_GetRow(song), 0);  // mixed across the order boundary between the two calls
    EXPECT_EQ(FMUSIC_GetOrder(song), 2);
    EXPECT_EQ(FMUSIC_GetPatternLength(song, 2), 2);
    EXPECT_EQ(FMUSIC_FreeSong(song), 1);
    FSOUND_Close();
}

}  // namespace
