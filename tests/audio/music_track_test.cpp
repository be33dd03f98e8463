// SPDX-License-Identifier: MIT
// The music track over the sound library and its pull output: positions, volume, streams and channels, the
// life cycle of the sound system and its failure message, all on real modules and streams.
#include <gtest/gtest.h>

#include <cstring>

#include "audio/music_track.h"
#include "platform/common/sound_mixer.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "tests/audio/audio_test_files.h"

namespace {

class MusicTrackTest : public ::testing::Test {
protected:
    void SetUp() override {
        usePullAudio(true);
        failSoundInit(0);
        headlessClearMessageBoxes();
        // Each test starts with the sound system open on the pull output, whatever an earlier one left.
        if (pullAudioRate() == 0) {
            soundSystemOpen = false;
            openSoundSystem();
        }
        ASSERT_GT(pullAudioRate(), 0);
    }
};

XmModule evenModule() {
    XmModule module;
    module.patternRows = {64, 64};
    module.orders = {0, 1, 0, 1, 0, 1, 0, 1};
    return module;
}

TEST_F(MusicTrackTest, PositionCountsRowsOfEqualPatterns) {
    std::string path = writeXmFile("even.xm", evenModule());
    MusicTrack track;
    ASSERT_TRUE(track.load(path.c_str(), 0));
    EXPECT_EQ(track.getPosition(), 0);
    EXPECT_NE(track.play(), 0);
    // Half a row past order 3, row 17.
    pull((3 * 64 + 17) * rowFrames + rowFrames / 2);
    EXPECT_EQ(FMUSIC_GetOrder(track.song), 3);
    EXPECT_EQ(FMUSIC_GetRow(track.song), 17);
    EXPECT_EQ(track.getPosition(), 209);
    // The samples of exactly N rows move the position by N rows, across an order boundary too.
    pull(10 * rowFrames);
    EXPECT_EQ(track.getPosition(), 219);
    pull(50 * rowFrames);
    EXPECT_EQ(track.getPosition(), 269);
    EXPECT_EQ(FMUSIC_GetOrder(track.song), 4);
    track.release();
}

TEST_F(MusicTrackTest, PositionUsesThePatternLengthAtTheCurrentOrder) {
    XmModule module;
    module.patternRows = {64, 32, 48, 16};
    module.orders = {0, 1, 2, 3};
    std::string path = writeXmFile("uneven.xm", module);
    MusicTrack track;
    ASSERT_TRUE(track.load(path.c_str(), 0));
    EXPECT_EQ(FMUSIC_GetPatternLength(track.song, 1), 32);
    EXPECT_EQ(FMUSIC_GetPatternLength(track.song, 3), 16);
    EXPECT_EQ(FMUSIC_GetPatternLength(track.song, 4), 0);
    track.play();
    pull((64 + 32 + 5) * rowFrames + rowFrames / 2);  // order 2, row 5
    EXPECT_EQ(track.getPosition(), 2 * 48 + 5);
    pull((43 + 3) * rowFrames);  // order 3, row 3
    EXPECT_EQ(track.getPosition(), 3 * 16 + 3);
    // At its end the song starts over like a tracker.
    pull(13 * rowFrames);
    EXPECT_EQ(track.getPosition(), 0);
    track.release();
}

TEST_F(MusicTrackTest, VolumeScalesTheMixLinearlyAndClamps) {
    XmModule module = evenModule();
    module.withTone = true;
    std::string path = writeXmFile("tone.xm", module);
    MusicTrack track;
    ASSERT_TRUE(track.load(path.c_str(), 0));
    EXPECT_EQ(track.getVolume(), 256);
    track.play();
    pull(rowFrames);  // past the note's attack
    double full = rms(pull(rowFrames));
    ASSERT_GT(full, 500);
    EXPECT_EQ(track.setVolume(128), 0);
    EXPECT_EQ(track.getVolume(), 128);
    EXPECT_NEAR(rms(pull(rowFrames)) / full, 0.5, 0.02);
    track.setVolume(0);
    EXPECT_EQ(rms(pull(rowFrames)), 0);
    track.setVolume(-5);
    EXPECT_EQ(track.getVolume(), 0);
    EXPECT_EQ(rms(pull(rowFrames)), 0);
    track.setVolume(300);
    EXPECT_EQ(track.getVolume(), 256);
    EXPECT_NEAR(rms(pull(rowFrames)) / full, 1.0, 0.02);
    track.release();
}

TEST_F(MusicTrackTest, TheSameModuleMixesToTheSameSamples) {
    XmModule module = evenModule();
    module.withTone = true;
    std::string path = writeXmFile("same.xm", module);
    std::vector<int16_t> runs[2];
    for (auto& run : runs) {
        MusicTrack track;
        ASSERT_TRUE(track.load(path.c_str(), 0));
        track.play();
        run = pull(3 * rowFrames);
    }
    EXPECT_GT(rms(runs[0]), 500);
    EXPECT_TRUE(runs[0] == runs[1]);
}

TEST_F(MusicTrackTest, StreamsPlayLoopAndReportTime) {
    struct Kind {
        const char* name;
        int format;
        int rate;
    };
    const Kind kinds[] = {
        {"tone.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 22050},
        {"tone.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 22050},
        {"tone.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000},
        {"tone.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 24000},
    };
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.name);
        std::string path = writeToneStream(kind.name, kind.format, kind.rate, 0.5);
        ASSERT_FALSE(path.empty());
        MusicTrack track;
        ASSERT_TRUE(track.load(path.c_str(), 1));
        EXPECT_EQ(track.isStream, 1);
        EXPECT_EQ(track.play(), 0);
        EXPECT_EQ(track.channel, 0);
        EXPECT_EQ(streamChannelUsed[0], 1);
        std::vector<int16_t> first = pull(44100 / 4);
        EXPECT_GT(rms(first), 3000);  // a 0.5 sine is about 11600 RMS
        EXPECT_NEAR(track.getPosition(), 250, 5);
        // 0.6 seconds in: the 0.5-second stream has started over and still sounds.
        pull(44100 / 4);
        std::vector<int16_t> looped = pull(44100 / 10);
        EXPECT_GT(rms(looped), 3000);
        EXPECT_NEAR(track.getPosition(), 100, 5);
        track.setVolume(128);
        EXPECT_EQ(track.getVolume(), 128);
        EXPECT_NEAR(rms(pull(4410)) / rms(looped), 0.5, 0.05);
        track.release();
        EXPECT_EQ(streamChannelUsed[0], 0);
    }
}

TEST_F(MusicTrackTest, StreamChannelsAreTakenLowestFirstUpTo128) {
    std::string path = writeToneStream("short.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 8000, 0.05);
    std::vector<std::unique_ptr<MusicTrack>> tracks;
    for (int i = 0; i < 129; ++i) {
        tracks.push_back(std::make_unique<MusicTrack>());
        ASSERT_TRUE(tracks.back()->load(path.c_str(), 1));
    }
    EXPECT_EQ(tracks[0]->play(), 0);
    EXPECT_EQ(tracks[1]->play(), 1);
    // A second play gives the first channel back before taking the lowest free one: the same one.
    EXPECT_EQ(tracks[0]->play(), 0);
    EXPECT_EQ(tracks[0]->channel, 0);
    tracks[0]->release();
    EXPECT_EQ(tracks[2]->play(), 0);
    for (int i = 3; i < 129; ++i) EXPECT_EQ(tracks[i]->play(), i - 1) << i;
    EXPECT_EQ(tracks[128]->channel, 127);
    MusicTrack extra;
    ASSERT_TRUE(extra.load(path.c_str(), 1));
    EXPECT_EQ(extra.play(), -1);
    EXPECT_EQ(extra.channel, -1);
}

TEST_F(MusicTrackTest, EmptyTrackAndDoubleRelease) {
    int before = liveTrackCount;
    MusicTrack track;
    EXPECT_EQ(liveTrackCount, before + 1);
    EXPECT_EQ(track.getPosition(), 0);
    EXPECT_EQ(track.getVolume(), 0);
    EXPECT_EQ(track.play(), 0);
    EXPECT_EQ(track.setVolume(100), 0);
    ASSERT_TRUE(track.load(writeXmFile("twice.xm", evenModule()).c_str(), 0));
    track.release();
    EXPECT_EQ(track.song, nullptr);
    EXPECT_EQ(track.fileData, nullptr);
    EXPECT_EQ(liveTrackCount, before);
    track.release();
    EXPECT_EQ(liveTrackCount, before == 0 ? 0 : before - 1);
}

TEST_F(MusicTrackTest, LastReleaseClosesAndLoadingAgainReopens) {
    ASSERT_EQ(liveTrackCount, 0);
    std::string path = writeXmFile("again.xm", evenModule());
    MusicTrack track;
    ASSERT_TRUE(track.load(path.c_str(), 0));
    track.play();
    pull(rowFrames * 3 / 2);
    track.release();  // the count reaches 0: the sound system closes
    EXPECT_EQ(pullAudioRate(), 0);
    EXPECT_TRUE(soundSystemOpen);
    // As after a display-mode switch: load and play with the system closed and the flag still set.
    ASSERT_TRUE(track.load(path.c_str(), 0));
    EXPECT_NE(track.play(), 0);
    EXPECT_EQ(pullAudioRate(), 44100);
    pull(rowFrames * 5 / 2);
    EXPECT_EQ(track.getPosition(), 2);
    track.release();  // count already 0: closes again
    EXPECT_EQ(pullAudioRate(), 0);
}

TEST_F(MusicTrackTest, UnreadableFilesAreRejected) {
    MusicTrack track;
    EXPECT_FALSE(track.load((scratchFolder() + "/missing.xm").c_str(), 0));
    EXPECT_EQ(track.fileData, nullptr);

    std::vector<uint8_t> garbage(5000);
    for (size_t i = 0; i < garbage.size(); ++i) garbage[i] = static_cast<uint8_t>(i * 7919 >> 3);
    std::string garbagePath = writeFile("garbage.bin", garbage);
    for (int asStream = 0; asStream < 2; ++asStream) {
        EXPECT_FALSE(track.load(garbagePath.c_str(), asStream));
        EXPECT_EQ(FSOUND_GetError(), FMOD_ERR_FILE_FORMAT);
        EXPECT_NE(track.fileData, nullptr);  // kept until release
        EXPECT_EQ(track.getPosition(), 0);
        EXPECT_EQ(track.play(), 0);
        track.release();
    }
    // A module cut short in its pattern data is refused or played, never read past its end.
    std::vector<uint8_t> whole = writeXm(evenModule());
    for (size_t cut : {size_t(10), size_t(60), size_t(336), whole.size() - 40}) {
        std::vector<uint8_t> part(whole.begin(), whole.begin() + cut);
        MusicTrack cutTrack;
        if (cutTrack.load(writeFile("cut.xm", part).c_str(), 0)) {
            cutTrack.play();
            pull(rowFrames);
        }
    }
}

TEST_F(MusicTrackTest, FailedInitShowsTheMessageOnceAndIsRetried) {
    FSOUND_Close();
    soundSystemOpen = false;
    failSoundInit(FMOD_ERR_INIT);
    EXPECT_FALSE(openSoundSystem());
    EXPECT_FALSE(soundSystemOpen);
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "FSOUND");
    EXPECT_EQ(headlessMessageBoxes()[0].text, "Error initializing output device.");
    EXPECT_EQ(headlessMessageBoxes()[0].style, 0x1010u);
    // The flag is still clear, so the next call tries the library again, and succeeds.
    EXPECT_TRUE(openSoundSystem());
    EXPECT_TRUE(soundSystemOpen);
    EXPECT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_TRUE(openSoundSystem());
}

TEST_F(MusicTrackTest, ConstructionWithAFailingLibraryStillMakesATrack) {
    FSOUND_Close();
    soundSystemOpen = false;
    failSoundInit(FMOD_ERR_OUTPUT_FORMAT);
    MusicTrack track;
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text,
              "Soundcard does not support the features needed for this soundsystem (16bit stereo output)");
    EXPECT_EQ(track.channel, -1);
    EXPECT_EQ(track.getPosition(), 0);
}

TEST(SoundErrorText, ExactTextsAndUnknownCodes) {
    EXPECT_STREQ(soundErrorText(0), "No errors");
    EXPECT_STREQ(soundErrorText(1), "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.");
    EXPECT_STREQ(soundErrorText(12), "Not enough memory ");
    EXPECT_STREQ(soundErrorText(19), "Required Mediaplayer codec is not installed");
    EXPECT_STREQ(soundErrorText(20), "Unknown error");
    EXPECT_STREQ(soundErrorText(-1), "Unknown error");
    EXPECT_STREQ(soundErrorText(-2147483647 - 1), "Unknown error");
}

}  // namespace
