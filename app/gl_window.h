// SPDX-License-Identifier: MIT
// The program's one window and its OpenGL rendering context: the record, the class, the display-mode switch,
// the projection and the window procedure, plus the two program-wide flags that end a pass of the main loop.
#pragma once

#include "platform/win32_api.h"

struct WindowClassInfo {
    HINSTANCE instance;
    const char* className;
};

struct GLWindow {
    int* keyState;          // 256 entries, indexed by virtual-key code; storage belongs to WinMain
    HWND hwnd;
    HDC hdc;
    HGLRC hglrc;
    WindowClassInfo* classInfo;
    const char* title;
    int width;              // requested client size; a resize never changes it
    int height;
    int colorBits;
    int fullscreen;
    int active;
    unsigned int prevTick;
};

// Private message: switch between full screen and a window.
const UINT WM_MODE_TOGGLE = 0x0400 + 1;

extern int keepRunning;
extern int fullscreenChoice;

bool registerGLWindowClass(WindowClassInfo* info);
bool switchToFullscreen(int width, int height, int bits);
void setProjection(int width, int height);
bool openGLWindow(GLWindow* window);
bool closeGLWindow(GLWindow* window);
LRESULT CALLBACK glWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void requestQuit(GLWindow* window);
void requestModeToggle(GLWindow* window);
