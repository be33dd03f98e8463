// SPDX-License-Identifier: MIT
// The headless backend's windows, display and message boxes: the program calls CreateWindowExA,
// ChangeDisplaySettingsA, ShowCursor, MessageBoxA...; here they need no window system, and the driver
// (headless.h) injects what a user and a window manager would do.
#include "platform/common/win32_window.h"
#include "platform/headless/headless_state.h"

#include <cstdio>

// Constructed ahead of the program's own objects: the soundtrack may show a message during static construction.
__attribute__((init_priority(101))) HeadlessState headless;

void headlessReset()
{
    headless = HeadlessState();
    headless.clockOrigin = headlessMonotonicMs();
}

static HWND target(HWND hwnd)
{
    return hwnd ? hwnd : win32LatestWindow();
}

static void setMinimized(HWND hwnd, bool minimized)
{
    hwnd->minimized = minimized;
    if (minimized) {
        hwnd->maximized = false;
        win32QueueInput(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
    } else {
        win32QueueInput(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(hwnd->width, hwnd->height));
    }
}

// ---- Backend hooks of the common window code.

bool nativeRegisterClass(const WNDCLASSEXA*)
{
    return !headlessFailing(HeadlessCall::RegisterClassEx);
}

bool nativeCreateWindow(HWND)
{
    return !headlessFailing(HeadlessCall::CreateWindowEx);
}

void nativeDestroyWindow(HWND hwnd)
{
    if (hwnd->hasDC) {
        headlessReleaseSurface(&hwnd->dc);
    }
}

void nativeShowWindow(HWND hwnd, int showCommand)
{
    switch (showCommand) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        if (!hwnd->minimized) {
            setMinimized(hwnd, true);
        }
        break;
    case SW_MAXIMIZE:
        hwnd->minimized = false;
        hwnd->maximized = true;
        win32QueueInput(hwnd, WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(headless.displayWidth, headless.displayHeight));
        break;
    case SW_RESTORE:
    case SW_SHOWNORMAL:
        if (hwnd->minimized) {
            setMinimized(hwnd, false);
        }
        break;
    default:
        break;
    }
}

bool nativeGetDC(HWND)
{
    return !headlessFailing(HeadlessCall::GetDC);
}

void nativePumpEvents() {}

void nativeWaitEvents()
{
    if (headless.waitHook) {
        headless.waitHook();
    }
}

void nativeStartScreenSaver()
{
    ++headless.screenSaverStarts;
}

// ---- Display, cursor, message boxes.

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD)
{
    if (!mode) {
        headless.displaySwitched = false;  // back to the desktop's own mode
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT) ||
        static_cast<int>(mode->dmPelsWidth) != headless.displayWidth ||
        static_cast<int>(mode->dmPelsHeight) != headless.displayHeight) {
        return DISP_CHANGE_BADMODE;
    }
    if ((mode->dmFields & DM_BITSPERPEL) && mode->dmBitsPerPel != 32 && mode->dmBitsPerPel != 24) {
        return DISP_CHANGE_BADMODE;
    }
    headless.displaySwitched = true;
    return DISP_CHANGE_SUCCESSFUL;
}

int WINAPI ShowCursor(BOOL show)
{
    headless.cursorCount += show ? 1 : -1;
    return headless.cursorCount;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    HeadlessMessageBox box{owner, caption ? caption : "Error", text ? text : "", type};
    headless.boxes.push_back(box);
    if (headless.echoBoxes) {
        std::fprintf(stderr, "%s: %s\n", box.caption.c_str(), box.text.c_str());
        // The box says what failed in the program's words; whoever reads this also needs to know why.
        if (!headless.failure.empty()) {
            std::fprintf(stderr, "%s\n", headless.failure.c_str());
        }
    }
    headless.failure.clear();
    return IDOK;
}

// ---- Driver.

HWND headlessWindow()
{
    return win32LatestWindow();
}

void headlessInject(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    win32QueueInput(target(hwnd), message, wParam, lParam);
}

void headlessKeyDown(int virtualKey, HWND hwnd)
{
    headlessInject(hwnd, WM_KEYDOWN, static_cast<WPARAM>(virtualKey), win32KeyLParam(true, false, 0));
}

void headlessKeyUp(int virtualKey, HWND hwnd)
{
    headlessInject(hwnd, WM_KEYUP, static_cast<WPARAM>(virtualKey), win32KeyLParam(false, false, 0));
}

void headlessKeyPress(int virtualKey, HWND hwnd)
{
    headlessKeyDown(virtualKey, hwnd);
    headlessKeyUp(virtualKey, hwnd);
}

void headlessSysKeyDown(int virtualKey, HWND hwnd)
{
    headlessInject(hwnd, WM_SYSKEYDOWN, static_cast<WPARAM>(virtualKey), win32KeyLParam(true, true, 0));
}

void headlessSysKeyUp(int virtualKey, HWND hwnd)
{
    headlessInject(hwnd, WM_SYSKEYUP, static_cast<WPARAM>(virtualKey), win32KeyLParam(false, true, 0));
}

void headlessCloseRequest(HWND hwnd)
{
    headlessInject(hwnd, WM_CLOSE, 0, 0);
}

void headlessMinimize(HWND hwnd)
{
    hwnd = target(hwnd);
    if (win32IsWindow(hwnd)) {
        setMinimized(hwnd, true);
    }
}

void headlessRestore(HWND hwnd)
{
    hwnd = target(hwnd);
    if (win32IsWindow(hwnd)) {
        hwnd->maximized = false;
        setMinimized(hwnd, false);
    }
}

void headlessMaximize(HWND hwnd)
{
    hwnd = target(hwnd);
    if (win32IsWindow(hwnd)) {
        nativeShowWindow(hwnd, SW_MAXIMIZE);
    }
}

void headlessResize(int width, int height, HWND hwnd)
{
    hwnd = target(hwnd);
    if (win32IsWindow(hwnd)) {
        hwnd->width = width;
        hwnd->height = height;
        hwnd->minimized = false;
        win32QueueInput(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    }
}

HeadlessWindowInfo headlessWindowInfo(HWND hwnd)
{
    hwnd = target(hwnd);
    if (!win32IsWindow(hwnd)) {
        return HeadlessWindowInfo{false, "", "", 0, 0, 0, 0, false, false};
    }
    return HeadlessWindowInfo{true,          hwnd->title,  hwnd->className, hwnd->style,    hwnd->exStyle,
                              hwnd->width,   hwnd->height, hwnd->visible,   hwnd->minimized};
}

int headlessWindowCount()
{
    return static_cast<int>(win32Windows().size());
}

const std::vector<HeadlessMessageBox>& headlessMessageBoxes()
{
    return headless.boxes;
}

void headlessClearMessageBoxes()
{
    headless.boxes.clear();
}

void headlessSetMessageBoxEcho(bool echo)
{
    headless.echoBoxes = echo;
}

void headlessSetDisplaySize(int width, int height)
{
    headless.displayWidth = width;
    headless.displayHeight = height;
}

bool headlessDisplaySwitched()
{
    return headless.displaySwitched;
}

int headlessCursorCount()
{
    return headless.cursorCount;
}

int headlessScreenSaverStarts()
{
    return headless.screenSaverStarts;
}

void headlessFail(HeadlessCall call, bool fail)
{
    headless.failing[static_cast<int>(call)] = fail;
}

void headlessSetWaitHook(std::function<void()> hook)
{
    headless.waitHook = std::move(hook);
}
