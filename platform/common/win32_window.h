// SPDX-License-Identifier: MIT
// What both backends share for windowing: the window and device-context objects behind HWND and HDC, the
// per-window message queues, and the few hooks each backend provides (its native window, its events).
// Everything runs on the program's one thread.
#pragma once

#include "platform/win32_api.h"

#include <deque>
#include <string>
#include <vector>

struct HDC__ {
    HWND window = nullptr;
    int pixelFormat = 0;        // 0 until SetPixelFormat; a window's format is set once
    void* native = nullptr;     // the backend's drawable (EGL surface, SDL window)
};

struct HWND__ {
    WNDPROC proc = nullptr;
    HINSTANCE instance = nullptr;
    std::string className;
    std::string title;
    DWORD style = 0;
    DWORD exStyle = 0;
    int x = 0;
    int y = 0;
    int width = 0;              // client size: the frame, if any, lies outside it
    int height = 0;
    LONG_PTR userData = 0;
    bool visible = false;
    bool minimized = false;
    bool maximized = false;
    bool hasDC = false;
    HDC__ dc;
    std::deque<MSG> input;      // queued input (keys, size, close), taken before posted messages
    std::deque<MSG> posted;     // PostMessageA, in posting order
    void* native = nullptr;     // the backend's window
};

// True while hwnd names a window that CreateWindowExA made and DestroyWindow has not yet destroyed.
bool win32IsWindow(HWND hwnd);
// Every live window, in creation order.
const std::vector<HWND>& win32Windows();
// True while hdc is the device context of a live window (GetDC gave it out).
bool win32IsDC(HDC hdc);
// The most recently created window that still exists, or null.
HWND win32LatestWindow();
// Appends an input message to the window's queue (backends turn their events into these).
void win32QueueInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
// The lParam of a key message: repeat count 1, scan code, Alt context, previous state and transition bits.
LPARAM win32KeyLParam(bool down, bool alt, int scanCode);

// Provided by the backend.
bool nativeRegisterClass(const WNDCLASSEXA* windowClass);
bool nativeCreateWindow(HWND hwnd);     // called before WM_CREATE; false makes CreateWindowExA fail
void nativeDestroyWindow(HWND hwnd);
void nativeShowWindow(HWND hwnd, int showCommand);
bool nativeGetDC(HWND hwnd);
void nativePumpEvents();                // turn pending native events into queued messages; never blocks
void nativeWaitEvents();                // block until a native event arrives
void nativeStartScreenSaver();
