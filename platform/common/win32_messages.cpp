// SPDX-License-Identifier: MIT
// Message queues for both backends: the program calls PeekMessageA, DispatchMessageA, PostMessageA, WaitMessage
// and DefWindowProcA; this file keeps one queue of input and one of posted messages per window. A peek filtered
// on a window sees only that window's messages: its queued input first, then what was posted, in posting order.
#include "platform/common/win32_window.h"


// Messages posted with no window: seen only by unfiltered peeks.
static std::deque<MSG> threadQueue;

static bool inRange(UINT message, UINT filterMin, UINT filterMax)
{
    return (filterMin == 0 && filterMax == 0) || (message >= filterMin && message <= filterMax);
}

static bool takeFrom(std::deque<MSG>& queue, LPMSG msg, UINT filterMin, UINT filterMax, bool remove)
{
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (inRange(it->message, filterMin, filterMax)) {
            *msg = *it;
            if (remove) {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

static bool takeFromWindow(HWND hwnd, LPMSG msg, UINT filterMin, UINT filterMax, bool remove)
{
    return takeFrom(hwnd->input, msg, filterMin, filterMax, remove) ||
           takeFrom(hwnd->posted, msg, filterMin, filterMax, remove);
}

static bool anythingQueued()
{
    if (!threadQueue.empty()) {
        return true;
    }
    for (HWND w : win32Windows()) {
        if (!w->input.empty() || !w->posted.empty()) {
            return true;
        }
    }
    return false;
}

void win32QueueInput(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!win32IsWindow(hwnd)) {
        return;
    }
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    hwnd->input.push_back(msg);
}

LPARAM win32KeyLParam(bool down, bool alt, int scanCode)
{
    DWORD bits = 1u | ((static_cast<DWORD>(scanCode) & 0xFFu) << 16);
    if (alt) {
        bits |= 1u << 29;
    }
    if (!down) {
        bits |= (1u << 30) | (1u << 31);
    }
    return static_cast<LPARAM>(bits);
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeFlags)
{
    if (!msg) {
        return FALSE;
    }
    nativePumpEvents();
    bool remove = (removeFlags & PM_REMOVE) != 0;
    if (hwnd) {
        return win32IsWindow(hwnd) && takeFromWindow(hwnd, msg, filterMin, filterMax, remove) ? TRUE : FALSE;
    }
    if (takeFrom(threadQueue, msg, filterMin, filterMax, remove)) {
        return TRUE;
    }
    for (HWND w : win32Windows()) {
        if (takeFromWindow(w, msg, filterMin, filterMax, remove)) {
            return TRUE;
        }
    }
    return FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg)
{
    if (!msg || !win32IsWindow(msg->hwnd)) {
        return 0;
    }
    return msg->hwnd->proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

BOOL WINAPI PostMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg = {};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    if (!hwnd) {
        threadQueue.push_back(msg);
        return TRUE;
    }
    if (!win32IsWindow(hwnd)) {
        return FALSE;
    }
    hwnd->posted.push_back(msg);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return win32IsWindow(hwnd) ? hwnd->proc(hwnd, message, wParam, lParam) : 0;
}

BOOL WINAPI WaitMessage()
{
    nativePumpEvents();
    if (anythingQueued()) {
        return TRUE;
    }
    nativeWaitEvents();
    nativePumpEvents();
    return TRUE;
}

LRESULT WINAPI DefWindowProcA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!win32IsWindow(hwnd)) {
        return 0;
    }
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(hwnd);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 closes, through the same system command as the window menu's Close.
        if (wParam == VK_F4 && (static_cast<DWORD>(lParam) & (1u << 29))) {
            SendMessageA(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(hwnd, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(hwnd, SW_MAXIMIZE);
            break;
        case SC_RESTORE:
            ShowWindow(hwnd, SW_RESTORE);
            break;
        case SC_SCREENSAVE:
            nativeStartScreenSaver();
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}
