// SPDX-License-Identifier: MIT
// Faults the whole program must survive, on the headless backend with a virtual clock: a soundtrack the sound
// library rejects, soundtracks with hostile headers, a window that cannot be made, every input-device call
// failing. Each run ends through WinMain with the exit code and the messages the program promises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/gl_window.h"
#include "app/main.h"
#include "audio/music_track.h"
#include "platform/common/dinput_seam.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "show/content_set.h"
#include "tests/audio/xm_writer.h"
#include "tests/support/program_run.h"

namespace {

class ShowFault : public ProgramRunTest {
protected:
    unsigned framesDrawn = 0;
    int highestPosition = -1;
    bool songLoaded = false;

    const char* folderTag() const override { return "tav-fault"; }
    void SetUp() override {
        ProgramRunTest::SetUp();
        headlessSetMessageBoxEcho(false);
    }

    static void shell(const std::string& command) { ASSERT_EQ(std::system(command.c_str()), 0) << command; }

    void writeSoundtrack(const std::vector<uint8_t>& bytes) {
        shell("mkdir -p Data/sfx");
        FILE* file = std::fopen("Data/sfx/trancen.xm", "wb");
        ASSERT_NE(file, nullptr);
        if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }

    // Runs the program; Escape goes in at the frame after the loading picture and `frames` drawn ones (0:
    // never), and the frame that sees it is still drawn.
    int runProgram(unsigned frames) {
        framesDrawn = 0;
        highestPosition = -1;
        songLoaded = false;
        headlessSetFrameHook([this, frames] {
            if (framesDrawn > 0) {
                highestPosition = std::max(highestPosition, soundtrack.getPosition());
                songLoaded = soundtrack.song != nullptr;
            }
            if (framesDrawn++ == frames && frames > 0) headlessKeyDown(VK_ESCAPE);
        });
        return WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1);
    }
};

std::vector<uint8_t> randomBytes(size_t length) {
    std::vector<uint8_t> bytes(length);
    uint32_t state = 12345;
    for (auto& byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

TEST_F(ShowFault, SoundtracksTheLibraryRejectsEndTheRunQuietly) {
    XmModule module;
    module.patternRows = {64};
    module.orders = {0};
    std::vector<uint8_t> valid = writeXm(module);
    std::vector<uint8_t> manyPatterns = valid;
    manyPatterns[70] = 0xFF;  // pattern count
    manyPatterns[71] = 0xFF;
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    for (const Case& bad : {Case{"empty", {}}, Case{"header cut", std::vector<uint8_t>(valid.begin(), valid.begin() + 60)},
                            Case{"random bytes", randomBytes(5000)}, Case{"65535 patterns", manyPatterns}}) {
        SCOPED_TRACE(bad.what);
        writeSoundtrack(bad.bytes);
        headlessClearMessageBoxes();
        const DWORD start = headlessClock();
        EXPECT_EQ(runProgram(0), 0);
        // The loading picture only, no pause, no message, nothing left open.
        EXPECT_EQ(framesDrawn, 1u);
        EXPECT_LT(headlessClock() - start, 4000u);
        EXPECT_TRUE(headlessMessageBoxes().empty());
        EXPECT_EQ(headlessWindowCount(), 0);
        EXPECT_EQ(soundtrack.song, nullptr);
        EXPECT_EQ(soundtrack.fileData, nullptr);
    }
}

TEST_F(ShowFault, ASoundtrackWithoutOrdersPlaysOnUntilEscape) {
    XmModule module;
    module.patternRows = {64};
    module.orders = {};
    writeSoundtrack(writeXm(module));
    EXPECT_EQ(runProgram(40), 0);
    EXPECT_EQ(framesDrawn, 42u);
    EXPECT_TRUE(songLoaded);
    // With no order to take a pattern length from, the position is the bare row count: the show stays in
    // its opening and never reaches its end.
    EXPECT_GE(highestPosition, 0);
    EXPECT_LT(highestPosition, 2240);
    EXPECT_TRUE(headlessMessageBoxes().empty());
    EXPECT_EQ(headlessWindowCount(), 0);
}

TEST_F(ShowFault, AWindowThatCannotBeCreatedEndsTheRunWithItsMessage) {
    writeSoundtrack(randomBytes(100));
    for (HeadlessCall call : {HeadlessCall::CreateWindowEx, HeadlessCall::CreateContext}) {
        headlessReset();
        headlessUseVirtualClock(true);
        headlessSetMessageBoxEcho(false);
        headlessFail(call);
        EXPECT_EQ(runProgram(0), 0);
        EXPECT_EQ(framesDrawn, 0u);
        ASSERT_EQ(headlessMessageBoxes().size(), 1u);
        EXPECT_EQ(headlessMessageBoxes()[0].text, "Error Creating OpenGL Window");
        EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
        EXPECT_EQ(headlessMessageBoxes()[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
        EXPECT_EQ(headlessWindowCount(), 0);
    }
}

TEST_F(ShowFault, WithEveryInputCallFailingTheShowRunsWithoutDevices) {
    shell(std::string("cp '") + TAV_BUILD_DIR + "/vel.kod' . && mkdir -p Data/sfx && cp '" + TAV_BUILD_DIR +
          "/test-content/fast/Data/sfx/trancen.xm' Data/sfx/");
    dinputSeamFail(DinputCall::CreateInterface, DinputDevice::None);
    for (DinputCall call : {DinputCall::CreateDevice, DinputCall::SetDataFormat, DinputCall::SetCooperativeLevel,
                            DinputCall::Acquire, DinputCall::GetDeviceState}) {
        dinputSeamFail(call, DinputDevice::Keyboard);
        dinputSeamFail(call, DinputDevice::Mouse);
    }
    EXPECT_EQ(runProgram(5), 0);
    EXPECT_EQ(framesDrawn, 7u);
    EXPECT_TRUE(songLoaded);
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text, "Could not create main DInput object");
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "ERROR");
    EXPECT_EQ(dinputSeamLiveObjects(), 0);
    EXPECT_EQ(headlessWindowCount(), 0);
}

}  // namespace
