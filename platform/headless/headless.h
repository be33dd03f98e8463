// SPDX-License-Identifier: MIT
// The driver of the headless backend, for tests and the capture tool: no window system, an EGL pbuffer
// (Mesa surfaceless) behind every window, messages injected from here, a clock that is real or virtual,
// message boxes recorded, and every finished frame handed over at SwapBuffers. Not part of the Win32 subset:
// the show never includes this. Everything runs on the program's one thread; hooks are called from inside the
// program's own calls (SwapBuffers, GetTickCount, WaitMessage), so they may inject messages or move the clock.
#pragma once

#include "platform/win32_api.h"

#include <functional>
#include <string>
#include <vector>

// Back to the start state: real clock, an 800 x 600 display, no hooks, no injected failures, no recorded boxes,
// cursor shown, display mode not switched. Windows and contexts that still exist are left alone.
void headlessReset();

// ---- Messages. hwnd null means the newest window that still exists; nothing happens when there is none.
HWND headlessWindow();
void headlessInject(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void headlessKeyDown(int virtualKey, HWND hwnd = nullptr);     // WM_KEYDOWN
void headlessKeyUp(int virtualKey, HWND hwnd = nullptr);       // WM_KEYUP
void headlessKeyPress(int virtualKey, HWND hwnd = nullptr);    // both, in one go
void headlessSysKeyDown(int virtualKey, HWND hwnd = nullptr);  // WM_SYSKEYDOWN, with Alt held
void headlessSysKeyUp(int virtualKey, HWND hwnd = nullptr);    // WM_SYSKEYUP
void headlessCloseRequest(HWND hwnd = nullptr);                // WM_CLOSE, as from the window manager
void headlessMinimize(HWND hwnd = nullptr);                    // WM_SIZE SIZE_MINIMIZED
void headlessRestore(HWND hwnd = nullptr);                     // WM_SIZE SIZE_RESTORED with the client size
void headlessMaximize(HWND hwnd = nullptr);                    // WM_SIZE SIZE_MAXIMIZED with the display size
void headlessResize(int width, int height, HWND hwnd = nullptr);  // WM_SIZE SIZE_RESTORED, new client size

// What a window looks like from outside.
struct HeadlessWindowInfo {
    bool exists;
    std::string title;
    std::string className;
    DWORD style;
    DWORD exStyle;
    int width;      // client size
    int height;
    bool visible;
    bool minimized;
};
HeadlessWindowInfo headlessWindowInfo(HWND hwnd = nullptr);
int headlessWindowCount();

// ---- Clock. Real: milliseconds of the monotonic clock. Virtual: moves only when told.
// Both start from the value last set (0 by default) and wrap at 2^32 like GetTickCount.
void headlessUseVirtualClock(bool virtualClock);
void headlessSetClock(DWORD milliseconds);
void headlessAdvanceClock(DWORD milliseconds);
DWORD headlessClock();  // the counter's value, without calling the read hook
// Called on every GetTickCount, before the value is read: a busy wait on the counter can move a virtual clock.
void headlessSetTickReadHook(std::function<void()> hook);

// ---- Message boxes: recorded, answered IDOK; echo = also print "CAPTION: text" on stderr.
struct HeadlessMessageBox {
    HWND owner;
    std::string caption;
    std::string text;
    UINT style;
};
const std::vector<HeadlessMessageBox>& headlessMessageBoxes();
void headlessClearMessageBoxes();
void headlessSetMessageBoxEcho(bool echo);

// ---- Display. The display offers one mode, its own size (800 x 600 unless set): a switch to any other size
// fails, as on a monitor that has no such mode.
void headlessSetDisplaySize(int width, int height);
bool headlessDisplaySwitched();     // a full-screen mode set with ChangeDisplaySettingsA is in force
int headlessCursorCount();          // ShowCursor's display counter: 0 shown, below 0 hidden
int headlessScreenSaverStarts();    // how often the default processing started the screen saver

// ---- Failures, for the error paths: while set, the call fails as the real one can.
enum class HeadlessCall {
    RegisterClassEx,
    CreateWindowEx,
    GetDC,
    ChoosePixelFormat,
    SetPixelFormat,
    CreateContext,
    MakeCurrent,
};
void headlessFail(HeadlessCall call, bool fail = true);

// ---- Frames. At each SwapBuffers: first the sink gets the frame's pixels (read back with glReadPixels as
// RGBA, rows bottom-up as OpenGL gives them), then the frame hook runs (inject messages there to drive the
// loop), then the frame counter goes up.
void headlessSetFrameSink(std::function<void(const unsigned char* rgba, int width, int height)> sink);
void headlessSetFrameHook(std::function<void()> hook);
unsigned headlessFrameCount();
// Reads the current context's drawable (RGBA, bottom-up rows); false when no context is current.
bool headlessReadPixels(std::vector<unsigned char>& rgba, int& width, int& height);

// ---- Waiting. WaitMessage with nothing queued calls this hook instead of blocking (restore the window there);
// with no hook it returns at once.
void headlessSetWaitHook(std::function<void()> hook);
