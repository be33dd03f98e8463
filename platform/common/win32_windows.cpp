// SPDX-License-Identifier: MIT
// Window classes and windows for both backends: the program calls RegisterClassExA, CreateWindowExA, GetDC...;
// this file keeps the Win32 bookkeeping (class table, window list, user data, WM_CREATE inside creation) and
// leaves the native window to the backend.
#include "platform/common/win32_window.h"

#include <algorithm>
#include <cstring>
#include <strings.h>
#include <vector>

struct WindowClass {
    WNDCLASSEXA info;
    std::string name;
};

struct WindowState {
    std::vector<WindowClass> classes;
    std::vector<HWND> windows;  // creation order
};

// Built on first use: the soundtrack asks for the foreground window during static construction.
static WindowState& windowState()
{
    static WindowState instance;
    return instance;
}

static WindowClass* findClass(LPCSTR name, HINSTANCE instance)
{
    for (WindowClass& c : windowState().classes) {
        if (strcasecmp(c.name.c_str(), name) == 0 && c.info.hInstance == instance) {
            return &c;
        }
    }
    return nullptr;
}

bool win32IsWindow(HWND hwnd)
{
    return hwnd && std::find(windowState().windows.begin(), windowState().windows.end(), hwnd) != windowState().windows.end();
}

const std::vector<HWND>& win32Windows()
{
    return windowState().windows;
}

bool win32IsDC(HDC hdc)
{
    return hdc && win32IsWindow(hdc->window) && hdc->window->hasDC && &hdc->window->dc == hdc;
}

HWND win32LatestWindow()
{
    return windowState().windows.empty() ? nullptr : windowState().windows.back();
}

HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR cursorName)
{
    // System cursors are resource numbers; the value itself is the handle.
    return reinterpret_cast<HCURSOR>(const_cast<char*>(cursorName));
}

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass)
{
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXA) || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || !windowClass->lpszClassName[0] ||
        findClass(windowClass->lpszClassName, windowClass->hInstance) || !nativeRegisterClass(windowClass)) {
        return 0;
    }
    WindowClass c;
    c.info = *windowClass;
    c.name = windowClass->lpszClassName;
    c.info.lpszClassName = nullptr;
    windowState().classes.push_back(c);
    return static_cast<ATOM>(0xC000 + windowState().classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance)
{
    if (!className) {
        return FALSE;
    }
    for (HWND w : windowState().windows) {
        if (strcasecmp(w->className.c_str(), className) == 0 && w->instance == instance) {
            return FALSE;  // a window of the class still exists
        }
    }
    for (size_t i = 0; i < windowState().classes.size(); ++i) {
        if (strcasecmp(windowState().classes[i].name.c_str(), className) == 0 &&
            windowState().classes[i].info.hInstance == instance) {
            windowState().classes.erase(windowState().classes.begin() + i);
            return TRUE;
        }
    }
    return FALSE;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND, HMENU, HINSTANCE instance, LPVOID param)
{
    WindowClass* c = className ? findClass(className, instance) : nullptr;
    if (!c || width < 0 || height < 0) {
        return nullptr;
    }
    HWND hwnd = new HWND__;
    hwnd->proc = c->info.lpfnWndProc;
    hwnd->instance = instance;
    hwnd->className = c->name;
    hwnd->title = windowName ? windowName : "";
    hwnd->style = style;
    hwnd->exStyle = exStyle;
    hwnd->x = x;
    hwnd->y = y;
    hwnd->width = width;
    hwnd->height = height;
    if (!nativeCreateWindow(hwnd)) {
        delete hwnd;
        return nullptr;
    }
    windowState().windows.push_back(hwnd);

    // As on Windows, the window procedure sees WM_CREATE before CreateWindowExA returns; -1 refuses the window.
    CREATESTRUCTA create = {};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.cy = height;
    create.cx = width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;
    if (hwnd->proc(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    hwnd->proc(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
    if (style & WS_VISIBLE) {
        ShowWindow(hwnd, SW_SHOW);
    }
    return hwnd;
}

BOOL WINAPI DestroyWindow(HWND hwnd)
{
    if (!win32IsWindow(hwnd)) {
        return FALSE;
    }
    hwnd->proc(hwnd, WM_DESTROY, 0, 0);
    if (!win32IsWindow(hwnd)) {
        return TRUE;  // the procedure destroyed it itself
    }
    nativeDestroyWindow(hwnd);
    windowState().windows.erase(std::find(windowState().windows.begin(), windowState().windows.end(), hwnd));
    delete hwnd;
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND hwnd, int showCommand)
{
    if (!win32IsWindow(hwnd)) {
        return FALSE;
    }
    BOOL wasVisible = hwnd->visible ? TRUE : FALSE;
    bool show = showCommand != SW_HIDE;
    if (show != hwnd->visible) {
        hwnd->visible = show;
        hwnd->proc(hwnd, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    }
    nativeShowWindow(hwnd, showCommand);
    return wasVisible;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD, BOOL, DWORD)
{
    // The window manager draws any frame outside the size a window is created with, so the client area is the
    // whole rectangle and there is nothing to add.
    return rect ? TRUE : FALSE;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND hwnd, int index)
{
    if (!win32IsWindow(hwnd)) {
        return 0;
    }
    switch (index) {
    case GWLP_USERDATA:
        return hwnd->userData;
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(hwnd->instance);
    default:
        return 0;
    }
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hwnd, int index, LONG_PTR value)
{
    if (!win32IsWindow(hwnd)) {
        return 0;
    }
    LONG_PTR previous = GetWindowLongPtrA(hwnd, index);
    switch (index) {
    case GWLP_USERDATA:
        hwnd->userData = value;
        break;
    case GWLP_HINSTANCE:
        hwnd->instance = reinterpret_cast<HINSTANCE>(value);
        break;
    default:
        return 0;
    }
    return previous;
}

LONG WINAPI GetWindowLongA(HWND hwnd, int index)
{
    return static_cast<LONG>(GetWindowLongPtrA(hwnd, index));
}

LONG WINAPI SetWindowLongA(HWND hwnd, int index, LONG value)
{
    return static_cast<LONG>(SetWindowLongPtrA(hwnd, index, value));
}

HWND WINAPI GetForegroundWindow()
{
    for (auto it = windowState().windows.rbegin(); it != windowState().windows.rend(); ++it) {
        if ((*it)->visible) {
            return *it;
        }
    }
    return nullptr;
}

HDC WINAPI GetDC(HWND hwnd)
{
    if (!win32IsWindow(hwnd)) {
        return nullptr;
    }
    // CS_OWNDC: one device context per window, the same every time.
    if (!hwnd->hasDC) {
        if (!nativeGetDC(hwnd)) {
            return nullptr;
        }
        hwnd->dc.window = hwnd;
        hwnd->hasDC = true;
    }
    return &hwnd->dc;
}

int WINAPI ReleaseDC(HWND hwnd, HDC hdc)
{
    // An own device context stays with its window until the window goes.
    return win32IsWindow(hwnd) && hwnd->hasDC && hdc == &hwnd->dc ? 1 : 0;
}
