// SPDX-License-Identifier: MIT
// Opening and closing the window in both modes, and every way the open can fail, on the headless backend.
#include "app/gl_window.h"
#include "platform/headless/headless.h"
#include "tools/headless_window/headless_show_window.h"

#include <gtest/gtest.h>

#include <GL/gl.h>

class OpenCloseTest : public ::testing::Test, protected HeadlessShowWindow {
protected:
    void SetUp() override { ASSERT_TRUE(prepareWindow()); }
    void TearDown() override { closeWindow(); }
    void expectAllReleased()
    {
        EXPECT_EQ(window.hwnd, nullptr);
        EXPECT_EQ(window.hdc, nullptr);
        EXPECT_EQ(window.hglrc, nullptr);
        EXPECT_EQ(headlessWindowCount(), 0);
    }
};

TEST_F(OpenCloseTest, FullScreenSwitchesTheDisplayHidesTheCursorAndCloseRestoresBoth)
{
    window.fullscreen = 1;
    keys[VK_ESCAPE] = 1;
    headlessUseVirtualClock(true);
    headlessSetClock(123456);
    ASSERT_TRUE(openGLWindow(&window));
    HeadlessWindowInfo info = headlessWindowInfo(window.hwnd);
    EXPECT_EQ(info.style, static_cast<DWORD>(WS_POPUP));
    EXPECT_EQ(info.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW | WS_EX_TOPMOST));
    EXPECT_EQ(info.width, 800);
    EXPECT_EQ(info.height, 600);
    EXPECT_TRUE(headlessDisplaySwitched());
    EXPECT_EQ(headlessCursorCount(), -1);
    EXPECT_EQ(window.fullscreen, 1);
    EXPECT_EQ(keys[VK_ESCAPE], 0);  // every key starts up in a new window
    EXPECT_EQ(window.prevTick, 123456u);
    EXPECT_TRUE(headlessMessageBoxes().empty());

    EXPECT_TRUE(closeGLWindow(&window));
    expectAllReleased();
    EXPECT_FALSE(headlessDisplaySwitched());
    EXPECT_EQ(headlessCursorCount(), 0);
}

TEST_F(OpenCloseTest, AFailedSwitchSaysSoAndOpensAnEightHundredBySixHundredWindow)
{
    headlessSetDisplaySize(1024, 768);
    window.fullscreen = 1;
    fullscreenChoice = 1;
    ASSERT_TRUE(openGLWindow(&window));
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    const HeadlessMessageBox& box = headlessMessageBoxes()[0];
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "Mode Switch Failed.\nRunning In Windowed Mode.");
    EXPECT_EQ(box.style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
    EXPECT_EQ(box.owner, nullptr);
    EXPECT_EQ(window.fullscreen, 0);
    EXPECT_EQ(fullscreenChoice, 1);
    HeadlessWindowInfo info = headlessWindowInfo(window.hwnd);
    EXPECT_EQ(info.style, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(info.width, 800);
    EXPECT_EQ(info.height, 600);
    EXPECT_EQ(headlessCursorCount(), 0);

    closeGLWindow(&window);
    EXPECT_EQ(headlessCursorCount(), 0);  // never hidden, so not shown twice
}

TEST_F(OpenCloseTest, EveryFailingStepReleasesWhatWasTakenInBothModes)
{
    const HeadlessCall steps[] = {HeadlessCall::CreateWindowEx, HeadlessCall::GetDC,
                                  HeadlessCall::ChoosePixelFormat, HeadlessCall::SetPixelFormat,
                                  HeadlessCall::CreateContext, HeadlessCall::MakeCurrent};
    for (int fullscreen = 0; fullscreen <= 1; ++fullscreen) {
        for (HeadlessCall step : steps) {
            SCOPED_TRACE(testing::Message() << "fullscreen " << fullscreen << " step " << static_cast<int>(step));
            headlessFail(step);
            window.fullscreen = fullscreen;
            EXPECT_FALSE(openGLWindow(&window));
            expectAllReleased();
            EXPECT_TRUE(headlessMessageBoxes().empty());
            // A failed open leaves the desktop's own mode and a visible cursor.
            EXPECT_FALSE(headlessDisplaySwitched());
            EXPECT_EQ(headlessCursorCount(), 0);
            headlessFail(step, false);
        }
    }
    window.fullscreen = 0;
    EXPECT_TRUE(openGLWindow(&window));  // and the next try works
}

TEST_F(OpenCloseTest, RegisteringTheClassTwiceFailsWithItsMessage)
{
    EXPECT_FALSE(registerGLWindowClass(&classInfo));
    ASSERT_EQ(headlessMessageBoxes().size(), 1u);
    EXPECT_EQ(headlessMessageBoxes()[0].text, "RegisterClassEx Failed!");
    EXPECT_EQ(headlessMessageBoxes()[0].caption, "Error");
    EXPECT_EQ(headlessMessageBoxes()[0].style, static_cast<UINT>(MB_ICONEXCLAMATION | MB_OK));
}
