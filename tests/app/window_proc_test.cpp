// SPDX-License-Identifier: MIT
// The window procedure's rows and the queue order it relies on, on a real headless window and context.
#include "app/gl_window.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

static void viewportSize(int* width, int* height)
{
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    *width = viewport[2];
    *height = viewport[3];
}

static double projectionAspect()
{
    GLdouble m[16];
    glGetDoublev(GL_PROJECTION_MATRIX, m);
    return m[5] / m[0];
}

// Takes the window's next queued message, if any.
static bool next(HWND hwnd, MSG* msg)
{
    return PeekMessageA(msg, hwnd, 0, 0, PM_REMOVE) != FALSE;
}

TEST_F(GLWindowTest, CreationStoresTheRecordInTheWindowsUserData)
{
    EXPECT_EQ(GetWindowLongPtrA(window.hwnd, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(&window));
}

TEST_F(GLWindowTest, SizeMessagesSetActivityAndProjectionButNeverTheRecordsSize)
{
    EXPECT_EQ(glWindowProc(window.hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(1024, 768)), 0);
    int w = 0;
    int h = 0;
    viewportSize(&w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_NEAR(projectionAspect(), 1024.0 / 768.0, 1e-6);
    EXPECT_EQ(window.width, 800);
    EXPECT_EQ(window.height, 600);

    EXPECT_EQ(glWindowProc(window.hwnd, WM_SIZE, SIZE_MINIMIZED, 0), 0);
    EXPECT_EQ(window.active, 0);
    viewportSize(&w, &h);
    EXPECT_EQ(w, 1024);  // minimising leaves the projection alone

    // Other kinds pass by: neither activity nor projection changes.
    glWindowProc(window.hwnd, WM_SIZE, SIZE_MAXSHOW, MAKELPARAM(10, 10));
    glWindowProc(window.hwnd, WM_SIZE, SIZE_MAXHIDE, MAKELPARAM(10, 10));
    EXPECT_EQ(window.active, 0);
    viewportSize(&w, &h);
    EXPECT_EQ(w, 1024);

    EXPECT_EQ(glWindowProc(window.hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480)), 0);
    EXPECT_EQ(window.active, 1);
    viewportSize(&w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(window.width, 800);
}

TEST_F(GLWindowTest, KeysUpToTwoHundredFiftyFiveAreTrackedAndOthersPassBy)
{
    glWindowProc(window.hwnd, WM_KEYDOWN, 'A', 0);
    glWindowProc(window.hwnd, WM_KEYDOWN, 255, 0);
    EXPECT_EQ(keys['A'], 1);
    EXPECT_EQ(keys[255], 1);
    glWindowProc(window.hwnd, WM_KEYUP, 'A', 0);
    EXPECT_EQ(keys['A'], 0);
    EXPECT_EQ(keys[255], 1);

    int before[256];
    std::copy(keys, keys + 256, before);
    glWindowProc(window.hwnd, WM_KEYDOWN, 256, 0);
    glWindowProc(window.hwnd, WM_KEYUP, 0x1FF, 0);
    // System keys (Alt held, F10) never reach the key states.
    glWindowProc(window.hwnd, WM_SYSKEYDOWN, VK_F10, 0);
    glWindowProc(window.hwnd, WM_SYSKEYDOWN, 'X', 1 << 29);
    EXPECT_TRUE(std::equal(keys, keys + 256, before));
}

TEST_F(GLWindowTest, CloseRequestsQuitWithoutDestroyingTheWindow)
{
    keepRunning = 1;
    EXPECT_EQ(glWindowProc(window.hwnd, WM_CLOSE, 0, 0), 0);
    EXPECT_EQ(keepRunning, 0);
    EXPECT_TRUE(headlessWindowInfo(window.hwnd).exists);
    MSG msg;
    ASSERT_TRUE(next(window.hwnd, &msg));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.hwnd, window.hwnd);
}

TEST_F(GLWindowTest, SystemCommandsScreenSaverAndPowerAreRefusedOthersGoToTheDefault)
{
    EXPECT_EQ(glWindowProc(window.hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(glWindowProc(window.hwnd, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_EQ(headlessScreenSaverStarts(), 0);
    // The default processing would have started it: the refusal is what keeps it off.
    DefWindowProcA(window.hwnd, WM_SYSCOMMAND, SC_SCREENSAVE, 0);
    EXPECT_EQ(headlessScreenSaverStarts(), 1);

    // Close from the window menu arrives as WM_CLOSE and so requests the quit.
    keepRunning = 1;
    glWindowProc(window.hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(keepRunning, 0);
    EXPECT_TRUE(headlessWindowInfo(window.hwnd).exists);

    // Minimise from the window menu: the window reports its new size, and the loop stops drawing.
    glWindowProc(window.hwnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    MSG msg;
    bool sawMinimized = false;
    while (next(window.hwnd, &msg)) {
        DispatchMessageA(&msg);
        sawMinimized = sawMinimized || (msg.message == WM_SIZE && msg.wParam == SIZE_MINIMIZED);
    }
    EXPECT_TRUE(sawMinimized);
    EXPECT_EQ(window.active, 0);
}

TEST_F(GLWindowTest, ModeToggleFlipsTheChoicePostsQuitAndKeepsRunning)
{
    keepRunning = 1;
    const int before[] = {1, 0, 7, -1};
    const int after[] = {0, 1, 1, 1};
    for (int i = 0; i < 4; ++i) {
        fullscreenChoice = before[i];
        glWindowProc(window.hwnd, WM_MODE_TOGGLE, 0, 0);
        EXPECT_EQ(fullscreenChoice, after[i]) << "from " << before[i];
        MSG msg;
        ASSERT_TRUE(next(window.hwnd, &msg));
        EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    }
    EXPECT_EQ(keepRunning, 1);
}

TEST_F(GLWindowTest, PostedMessagesComeAfterQueuedInputInPostingOrderAndOnlyToTheirWindow)
{
    requestQuit(&window);
    requestModeToggle(&window);
    headlessKeyDown(VK_ESCAPE, window.hwnd);
    PostMessageA(nullptr, WM_USER + 7, 0, 0);  // a thread message: not the window's

    MSG msg;
    ASSERT_TRUE(next(window.hwnd, &msg));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_KEYDOWN));
    ASSERT_TRUE(next(window.hwnd, &msg));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(next(window.hwnd, &msg));
    EXPECT_EQ(msg.message, WM_MODE_TOGGLE);
    EXPECT_FALSE(next(window.hwnd, &msg));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 7));
}
