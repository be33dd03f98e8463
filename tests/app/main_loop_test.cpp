// SPDX-License-Identifier: MIT
// WinMain's passes, the frame tick and the busy pause, on the headless backend with a virtual clock. The show's
// steps are the recording ones of show_probe.cpp; the frame hook plays the user.
#include "app/main.h"
#include "platform/headless/headless.h"
#include "tests/app/show_probe.h"

#include <gtest/gtest.h>

#include <string>

class MainLoopTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        headlessReset();
        headlessUseVirtualClock(true);
        showProbe = ShowProbe();
        escapeArmed = false;
        frameDelta = 0.0f;
        currentWindow = nullptr;
        currentKeyState = nullptr;
        // A script that goes wrong ends in a closed window, not a hung test.
        headlessSetFrameHook([] {
            if (headlessFrameCount() > 500) {
                headlessCloseRequest();
            }
        });
    }
    void TearDown() override
    {
        headlessReset();
        EXPECT_EQ(headlessWindowCount(), 0);
    }
    int run()
    {
        return WinMain(GetModuleHandleA(nullptr), nullptr, const_cast<LPSTR>(""), SW_SHOWNORMAL);
    }
    std::string boxTexts()
    {
        std::string all;
        for (const HeadlessMessageBox& box : headlessMessageBoxes()) {
            all += box.caption + ": " + box.text + "|";
        }
        return all;
    }
    // Frames drawn so far (drawFrame calls), to script the user by frame number.
    size_t frame() const { return showProbe.deltas.size(); }
};

TEST_F(MainLoopTest, ClassRegistrationFailingGivesTwoBoxesAndMinusOne)
{
    headlessFail(HeadlessCall::RegisterClassEx);
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(boxTexts(), "Error: RegisterClassEx Failed!|Error: Error Registering Window Class!|");
    for (const HeadlessMessageBox& box : headlessMessageBoxes()) {
        EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
        EXPECT_EQ(box.owner, nullptr);
    }
    EXPECT_EQ(showProbe.initCalls, 0);
}

TEST_F(MainLoopTest, AWindowThatCannotOpenGivesOneBoxNoShowStepsAndZero)
{
    headlessFail(HeadlessCall::CreateContext);
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(boxTexts(), "Error: Error Creating OpenGL Window|");
    EXPECT_EQ(showProbe.initCalls, 0);
    EXPECT_EQ(showProbe.shutdownCalls, 0);
    EXPECT_EQ(keepRunning, 0);
    // The class was unregistered on the way out, so it registers again.
    WindowClassInfo info{GetModuleHandleA(nullptr), "OpenGL"};
    EXPECT_TRUE(registerGLWindowClass(&info));
    EXPECT_TRUE(UnregisterClassA("OpenGL", info.instance));
}

TEST_F(MainLoopTest, AFailedLoadSkipsTheLoopButStillShutsDownAndCloses)
{
    showProbe.loadResult = false;
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(showProbe.initCalls, 1);
    EXPECT_EQ(showProbe.shutdownCalls, 1);
    EXPECT_TRUE(showProbe.deltas.empty());
    EXPECT_FALSE(headlessDisplaySwitched());
    EXPECT_EQ(headlessCursorCount(), 0);
}

TEST_F(MainLoopTest, ModeToggleRunsASecondPassInTheOtherModeAndEscapeStaysArmedAcrossIt)
{
    size_t secondPassStart = 0;
    showProbe.onLoad = [&] { secondPassStart = frame(); };
    showProbe.onFrame = [&] {
        if (showProbe.initCalls == 1 && frame() == 2) {
            headlessKeyDown(VK_F1);
        } else if (showProbe.initCalls == 2 && frame() == secondPassStart + 1) {
            // First frame of the second pass: Escape was seen up in the first pass, so this press counts.
            headlessKeyDown(VK_ESCAPE);
        }
    };
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(showProbe.initCalls, 2);
    EXPECT_EQ(showProbe.loadCalls, 2);
    EXPECT_EQ(showProbe.shutdownCalls, 2);
    ASSERT_EQ(showProbe.fullscreenAtInit.size(), 2u);
    EXPECT_EQ(showProbe.fullscreenAtInit[0], 1);
    EXPECT_EQ(showProbe.fullscreenAtInit[1], 0);
    EXPECT_EQ(secondPassStart, 3u);  // F1 went down after frame 2 and took effect in frame 3
    EXPECT_EQ(frame(), secondPassStart + 2);
    EXPECT_FALSE(headlessDisplaySwitched());
    EXPECT_EQ(headlessCursorCount(), 0);
    EXPECT_TRUE(headlessMessageBoxes().empty());
}

TEST_F(MainLoopTest, AfterAFailedSwitchTheFirstF1AsksForWindowedAgainAndTheSecondForFullScreen)
{
    headlessSetDisplaySize(1024, 768);
    int pass = 0;
    showProbe.onLoad = [&] { ++pass; };
    showProbe.onFrame = [&] {
        if (pass < 3) {
            headlessKeyDown(VK_F1);
        } else {
            headlessCloseRequest();
        }
    };
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(showProbe.choiceAtInit.size(), 3u);
    EXPECT_EQ(showProbe.choiceAtInit[0], 1);
    EXPECT_EQ(showProbe.choiceAtInit[1], 0);
    EXPECT_EQ(showProbe.choiceAtInit[2], 1);
    EXPECT_EQ(showProbe.fullscreenAtInit[0], 0);  // the failed switch fell back to a window
    EXPECT_EQ(showProbe.fullscreenAtInit[2], 0);
    const std::string modeBox = "Error: Mode Switch Failed.\nRunning In Windowed Mode.|";
    EXPECT_EQ(boxTexts(), modeBox + modeBox);
}

TEST_F(MainLoopTest, EscapeHeldFromBeforeTheFirstFrameCountsOnlyAfterARelease)
{
    showProbe.onLoad = [] { currentKeyState[VK_ESCAPE] = 1; };  // held down during the load
    showProbe.onFrame = [&] {
        if (frame() == 3) {
            headlessKeyUp(VK_ESCAPE);
        } else if (frame() == 5) {
            headlessKeyDown(VK_ESCAPE);
        }
    };
    EXPECT_EQ(run(), 0);
    // Frames 1 to 3 see it held and do nothing; 4 and 5 see it up; 6 sees the new press and quits.
    EXPECT_EQ(frame(), 6u);
    EXPECT_EQ(showProbe.initCalls, 1);
    EXPECT_FALSE(escapeArmed);
}

TEST_F(MainLoopTest, EscapeAndF1InOneFrameQuitWithoutAnotherPass)
{
    showProbe.onFrame = [&] {
        if (frame() == 2) {
            headlessKeyDown(VK_ESCAPE);
            headlessKeyDown(VK_F1);
        }
    };
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(showProbe.initCalls, 1);
    EXPECT_EQ(frame(), 3u);
}

TEST_F(MainLoopTest, FrameDeltasCoverTheLoadTheWrapAndEqualTicks)
{
    headlessSetClock(0xFFFFFFFFu - 4999u);  // the load's 4 seconds leave 1 ms before the wrap
    showProbe.onLoad = [] { headlessAdvanceClock(4000); };
    showProbe.onFrame = [&] {
        if (frame() == 1) {
            headlessAdvanceClock(1032);  // across the wrap
        } else if (frame() == 3) {
            headlessCloseRequest();
        }
        // between frames 2 and 3 the counter stands still
    };
    EXPECT_EQ(run(), 0);
    ASSERT_EQ(showProbe.deltas.size(), 3u);
    EXPECT_EQ(showProbe.deltas[0], 4.0f);
    EXPECT_EQ(showProbe.deltas[1], static_cast<float>(1032 * 0.001));
    EXPECT_EQ(showProbe.deltas[2], 0.0f);
}

TEST_F(MainLoopTest, MinimisedTheLoopWaitsAndTheNextDeltaCoversTheWholeTime)
{
    int waits = 0;
    showProbe.onFrame = [&] {
        if (frame() == 1) {
            headlessMinimize();
        } else if (frame() == 2) {
            headlessCloseRequest();
        }
    };
    headlessSetWaitHook([&] {
        ++waits;
        headlessAdvanceClock(2500);
        if (waits == 2) {
            headlessRestore();
        }
    });
    EXPECT_EQ(run(), 0);
    EXPECT_EQ(waits, 2);
    ASSERT_EQ(showProbe.deltas.size(), 2u);
    EXPECT_EQ(showProbe.deltas[1], 5.0f);
}

TEST(WaitSeconds, SpinsTheWholePauseEvenWhenTheCounterOrTheEndWraps)
{
    headlessReset();
    headlessUseVirtualClock(true);
    const DWORD starts[] = {1000u, 0xFFFFFFFFu - 500u, 0xFFFFFFFFu - 4000u, 0xFFFFFFFFu};
    for (DWORD start : starts) {
        headlessSetClock(start);
        unsigned reads = 0;
        headlessSetTickReadHook([&] {
            if (reads++ > 0) {
                headlessAdvanceClock(1);  // each read after the first finds the counter a millisecond on
            }
        });
        waitSeconds(4);
        EXPECT_EQ(static_cast<DWORD>(headlessClock() - start), 4000u) << "start " << start;
    }
    headlessReset();
}
