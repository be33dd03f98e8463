// SPDX-License-Identifier: MIT
// The audio device output when its device misbehaves: a named driver with no server behind it, a device whose
// callbacks stop, a close and re-open in the middle of a song, and a queue as long as the library allows.
#include <SDL.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "audio/music_track.h"
#include "platform/common/sound_mixer.h"
#include "platform/headless/pull_audio.h"
#include "tests/audio/audio_test_files.h"

namespace {

typedef std::chrono::steady_clock Clock;

std::string currentDriver() {
    const char* driver = SDL_GetCurrentAudioDriver();
    return driver ? driver : "";
}

// A module that plays for minutes: 16 orders of 64 rows, a row every rowFrames frames.
std::string longModule() {
    XmModule module;
    module.patternRows = {64};
    module.orders = std::vector<int>(16, 0);
    module.withTone = true;
    return writeXmFile("device-output.xm", module);
}

}  // namespace

// SDL_AUDIODRIVER naming a sound server that is not there must still end on the silent output, at the first
// initialisation and at a close and re-open (a display mode switch) after it.
TEST(DeviceOutput, NamedDriverWithoutServerFallsBackToSilence) {
    setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
    setenv("PULSE_SERVER", "unix:/nonexistent/tav-no-server", 1);
    usePullAudio(false);
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(FSOUND_Init(44100, 32, 0), 1) << "round " << round << ", error " << FSOUND_GetError();
        EXPECT_EQ(currentDriver(), "dummy") << "round " << round;
        FSOUND_Close();
    }
}

// A driver that stops calling back (here: SDL's device paused under the output) must not freeze the music:
// the silent output takes over and the position goes on at about real time, never stepping back.
TEST(DeviceOutput, ClockGoesOnWhenCallbacksStop) {
    usePullAudio(false);
    MusicTrack track;
    ASSERT_TRUE(track.load(longModule().c_str(), 0));
    ASSERT_NE(track.play(), 0);
    for (int i = 0; i < 300 && track.getPosition() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_GE(track.getPosition(), 2) << "the song never started";
    uint32_t device;
    {
        std::lock_guard<std::mutex> guard(soundState().lock);
        device = soundState().device;
    }
    ASSERT_NE(device, 0u);
    SDL_PauseAudioDevice(device, 1);

    Clock::time_point start = Clock::now(), changed = start;
    int first = track.getPosition(), previous = first;
    double longestHold = 0;
    std::string steps;
    while (Clock::now() - start < std::chrono::seconds(3)) {
        int position = track.getPosition();
        Clock::time_point now = Clock::now();
        EXPECT_GE(position, previous) << "stepped back";
        if (position != previous) {
            longestHold = std::max(longestHold, std::chrono::duration<double>(now - changed).count());
            changed = now;
            steps += " " + std::to_string(position) + "@" + std::to_string(static_cast<int>(std::chrono::duration<double>(now - start).count() * 1000));
        }
        previous = position;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    double rowsPerSecond = 44100.0 / rowFrames;
    // The clock holds from the moment the sound stopped until the loss is noticed (a buffer and half a second
    // later), then goes on from there; a loaded machine's dummy driver runs a little late.
    EXPECT_GT(previous - first, (seconds - 1.2) * rowsPerSecond * 0.85) << "positions:" << steps;
    EXPECT_LT(previous - first, seconds * rowsPerSecond * 1.1) << "positions:" << steps;
    EXPECT_LT(longestHold, 1.5) << "positions:" << steps;
    track.release();
}

// Closing the library drops what was mixed ahead of the sound; a song played again resumes at the row heard,
// not a buffer later.
TEST(DeviceOutput, PlayAfterCloseResumesAtTheRowHeard) {
    usePullAudio(false);
    ASSERT_EQ(FSOUND_SetBufferSize(1000), 1);
    XmModule module;  // a row every 9.8 ms, so a buffer ahead is many rows
    module.patternRows = {64};
    module.orders = std::vector<int>(64, 0);
    module.speed = 1;
    module.tempo = 255;
    module.withTone = true;
    MusicTrack track;
    ASSERT_TRUE(track.load(writeXmFile("fast-rows.xm", module).c_str(), 0));
    ASSERT_NE(track.play(), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    // Close while at least 80 ms (8 rows) are mixed but not yet heard.
    SoundState& state = soundState();
    bool ahead = false;
    for (int i = 0; i < 1000 && !ahead; ++i) {
        {
            std::lock_guard<std::mutex> guard(state.lock);
            ahead = state.mixed - audibleFrameLocked(state) > 44100 * 8 / 100;
        }
        if (!ahead) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_TRUE(ahead) << "the output never mixed 80 ms ahead";
    int heard = track.getPosition();
    FSOUND_Close();
    ASSERT_EQ(FMUSIC_PlaySong(track.song), 1);
    int resumed = track.getPosition();
    EXPECT_GE(resumed, heard - 1);
    EXPECT_LE(resumed, heard + 1) << "resumed " << resumed - heard << " rows after the row heard";
    track.release();
}

// The longest queue the library accepts (a 2 s buffer at 192 kHz, and as much again in the device) must still
// find the step audible at its far end rather than the oldest one kept.
TEST(DeviceOutput, MarkHistoryCoversTheLongestQueue) {
    MarkHistory history;
    const int rate = 192000, step = 512;
    uint64_t end = 0;
    int steps = 0;
    while (end < static_cast<uint64_t>(5 * rate)) {
        end += step;
        history.push(end, steps++, 0);
    }
    uint64_t audible = end - 4 * rate;
    PositionMark mark;
    ASSERT_TRUE(history.lookup(audible, mark));
    EXPECT_EQ(mark.end, audible / step * step);
    EXPECT_EQ(mark.a, static_cast<int>(audible / step) - 1);
}
