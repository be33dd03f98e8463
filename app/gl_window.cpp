// SPDX-License-Identifier: MIT
// The program's one window and its OpenGL rendering context, the display-mode switch, the projection, the
// window procedure, and the two flags through which a pass of the main loop ends.
#include "app/gl_window.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <cstring>

int keepRunning = 0;
int fullscreenChoice = 0;

bool registerGLWindowClass(WindowClassInfo* info)
{
    WNDCLASSEXA windowClass;
    std::memset(&windowClass, 0, sizeof(windowClass));
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = glWindowProc;
    windowClass.hInstance = info->instance;
    windowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<UINT_PTR>(COLOR_INACTIVEBORDER + 1));
    windowClass.lpszClassName = info->className;
    if (RegisterClassExA(&windowClass) == 0) {
        MessageBoxA(nullptr, "RegisterClassEx Failed!", "Error", MB_ICONEXCLAMATION | MB_OK);
        return false;
    }
    return true;
}

bool switchToFullscreen(int width, int height, int bits)
{
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof(mode));
    mode.dmSize = sizeof(DEVMODEA);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    mode.dmBitsPerPel = static_cast<DWORD>(bits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

void setProjection(int width, int height)
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(width) / static_cast<double>(height), 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

static void releaseWindow(GLWindow* window)
{
    ReleaseDC(window->hwnd, window->hdc);
    window->hdc = nullptr;
    DestroyWindow(window->hwnd);
    window->hwnd = nullptr;
}

// A failure after a successful switch to full screen gives the desktop its own mode and the cursor back, so a
// failed open never leaves the display changed.
static bool failOpen(GLWindow* window)
{
    if (window->fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    return false;
}

bool openGLWindow(GLWindow* window)
{
    PIXELFORMATDESCRIPTOR descriptor;
    std::memset(&descriptor, 0, sizeof(descriptor));
    descriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = static_cast<BYTE>(window->colorBits & 0xFF);
    descriptor.cDepthBits = 16;
    descriptor.iLayerType = PFD_MAIN_PLANE;

    RECT rect;
    rect.left = 0;
    rect.top = 0;
    rect.right = window->width;
    rect.bottom = window->height;

    DWORD style;
    DWORD exStyle;
    if (window->fullscreen == 1) {
        if (switchToFullscreen(window->width, window->height, window->colorBits)) {
            ShowCursor(FALSE);
            style = WS_POPUP;
            exStyle = WS_EX_APPWINDOW | WS_EX_TOPMOST;
        } else {
            MessageBoxA(nullptr, "Mode Switch Failed.\nRunning In Windowed Mode.", "Error",
                        MB_ICONEXCLAMATION | MB_OK);
            window->fullscreen = 0;
            style = WS_OVERLAPPEDWINDOW;
            exStyle = WS_EX_APPWINDOW;
        }
    } else {
        AdjustWindowRectEx(&rect, WS_OVERLAPPEDWINDOW, FALSE, WS_EX_APPWINDOW);
        style = WS_OVERLAPPEDWINDOW;
        exStyle = WS_EX_APPWINDOW;
    }

    window->hwnd = CreateWindowExA(exStyle, window->classInfo->className, window->title, style, 0, 0,
                                   rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                                   window->classInfo->instance, window);
    if (!window->hwnd) {
        return failOpen(window);
    }
    window->hdc = GetDC(window->hwnd);
    if (!window->hdc) {
        DestroyWindow(window->hwnd);
        window->hwnd = nullptr;
        return failOpen(window);
    }
    int format = ChoosePixelFormat(window->hdc, &descriptor);
    if (format == 0 || !SetPixelFormat(window->hdc, format, &descriptor)) {
        releaseWindow(window);
        return failOpen(window);
    }
    window->hglrc = wglCreateContext(window->hdc);
    if (!window->hglrc) {
        releaseWindow(window);
        return failOpen(window);
    }
    if (!wglMakeCurrent(window->hdc, window->hglrc)) {
        wglDeleteContext(window->hglrc);
        window->hglrc = nullptr;
        releaseWindow(window);
        return failOpen(window);
    }

    ShowWindow(window->hwnd, SW_SHOWNORMAL);
    window->active = 1;
    setProjection(window->width, window->height);
    std::memset(window->keyState, 0, 256 * sizeof(int));
    window->prevTick = GetTickCount();
    return true;
}

bool closeGLWindow(GLWindow* window)
{
    if (window->hwnd) {
        if (window->hdc) {
            wglMakeCurrent(window->hdc, nullptr);
        }
        if (window->hglrc) {
            wglDeleteContext(window->hglrc);
            window->hglrc = nullptr;
        }
        ReleaseDC(window->hwnd, window->hdc);
        window->hdc = nullptr;
        DestroyWindow(window->hwnd);
        window->hwnd = nullptr;
    }
    if (window->fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }
    return true;
}

void requestQuit(GLWindow* window)
{
    PostMessageA(window->hwnd, WM_QUIT, 0, 0);
    keepRunning = 0;
}

void requestModeToggle(GLWindow* window)
{
    PostMessageA(window->hwnd, WM_MODE_TOGGLE, 0, 0);
}

LRESULT CALLBACK glWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // A pointer-sized slot: the record's address must survive whole on 64-bit systems.
    GLWindow* window = reinterpret_cast<GLWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_CREATE: {
        const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return 0;
    }
    case WM_SIZE:
        if (!window) {
            break;
        }
        if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) {
            window->active = 1;
            setProjection(LOWORD(lParam), HIWORD(lParam));
            return 0;
        }
        if (wParam == SIZE_MINIMIZED) {
            window->active = 0;
            return 0;
        }
        break;
    case WM_CLOSE:
        if (!window) {
            break;
        }
        requestQuit(window);
        return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wParam <= 255 && window) {
            window->keyState[wParam] = message == WM_KEYDOWN ? 1 : 0;
            return 0;
        }
        break;
    case WM_SYSCOMMAND:
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER) {
            return 0;
        }
        break;
    case WM_MODE_TOGGLE:
        fullscreenChoice = fullscreenChoice == 1 ? 0 : 1;
        PostMessageA(hwnd, WM_QUIT, 0, 0);
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}
