// SPDX-License-Identifier: MIT
// The audio output failing to open: the soundtrack is built before WinMain runs and opens the sound system
// then, so the failure is armed by an object constructed ahead of every other one in this program.
#include <gtest/gtest.h>

#include "app/main.h"
#include "audio/music_track.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "platform/sound_api.h"
#include "show/content_set.h"

namespace {

struct FailSoundFromTheStart {
    FailSoundFromTheStart() {
        headlessSetMessageBoxEcho(false);
        failSoundInit(FMOD_ERR_INIT, -1);
    }
};
__attribute__((init_priority(102))) FailSoundFromTheStart failSoundFromTheStart;

TEST(SoundInitFault, TheMessageShowsOnceAndTheRunEndsAfterTheLoadingPicture) {
    // The message came during static construction, before any window existed.
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "FSOUND");
    EXPECT_EQ(headlessMessageBoxes()[0].text, "Error initializing output device.");
    EXPECT_EQ(headlessMessageBoxes()[0].style, static_cast<UINT>(MB_OK | MB_ICONERROR | MB_SYSTEMMODAL));
    EXPECT_FALSE(soundSystemOpen);

    // The soundtrack is on disk and valid; the sound system is what is missing.
    ASSERT_EQ(std::system("mkdir -p Data/sfx && cp '" TAV_BUILD_DIR "/test-content/lengths/Data/sfx/trancen.xm' Data/sfx/"), 0);
    headlessUseVirtualClock(true);
    headlessSetTickReadHook([] { headlessAdvanceClock(7); });
    unsigned frames = 0;
    headlessSetFrameHook([&] { ++frames; });
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1), 0);
    EXPECT_EQ(frames, 1u);
    EXPECT_EQ(soundtrack.song, nullptr);
    EXPECT_EQ(headlessWindowCount(), 0);
    std::system("rm -rf Data");
}

}  // namespace
