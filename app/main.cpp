// SPDX-License-Identifier: MIT
// The entry routine: the window record, the passes (open, show steps, message and frame loop, close), the
// frame tick that turns Escape and F1 into requests, and the busy pause used by the show's load step.
#include "app/main.h"

#include "show/show_steps.h"

#include <cstring>

float frameDelta = 0.0f;
bool escapeArmed = false;
GLWindow* currentWindow = nullptr;
int* currentKeyState = nullptr;

static GLWindow glWindow;
static int keyStates[256];

void frameTick(unsigned int elapsedMs)
{
    // Keys count only once the show's load step has handed over this pass's record and key states.
    if (!currentKeyState || !currentWindow) {
        frameDelta = static_cast<float>(static_cast<double>(elapsedMs) * 0.001);
        return;
    }
    if (currentKeyState[VK_ESCAPE] != 1) {
        escapeArmed = true;
    } else if (escapeArmed) {
        requestQuit(currentWindow);
        escapeArmed = false;
    }
    if (currentKeyState[VK_F1] == 1) {
        requestModeToggle(currentWindow);
    }
    frameDelta = static_cast<float>(static_cast<double>(elapsedMs) * 0.001);
}

void waitSeconds(int seconds)
{
    // Elapsed time as a difference, in unsigned 32-bit arithmetic: a wrap of the counter (or of start plus the
    // pause) neither ends the wait early nor makes it endless.
    DWORD start = GetTickCount();
    DWORD duration = 1000u * static_cast<DWORD>(seconds);
    while (static_cast<DWORD>(GetTickCount() - start) < duration) {
    }
}

// The message and frame loop of one pass; returns when WM_QUIT is taken from the window's queue.
static void runLoop(GLWindow* window)
{
    for (;;) {
        MSG msg;
        if (PeekMessageA(&msg, window->hwnd, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                return;
            }
            DispatchMessageA(&msg);
        } else if (window->active) {
            DWORD now = GetTickCount();
            frameTick(static_cast<unsigned int>(now - window->prevTick));
            window->prevTick = now;
            showTimeline.drawFrame();
            SwapBuffers(window->hdc);
        } else {
            WaitMessage();
        }
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    std::memset(&glWindow, 0, sizeof(glWindow));
    std::memset(keyStates, 0, sizeof(keyStates));
    WindowClassInfo classInfo;
    classInfo.instance = instance;
    classInfo.className = "OpenGL";
    glWindow.keyState = keyStates;
    glWindow.classInfo = &classInfo;
    glWindow.title = "T.A.V.";
    glWindow.width = 800;
    glWindow.height = 600;
    glWindow.colorBits = 32;
    glWindow.fullscreen = 1;

    if (!registerGLWindowClass(&classInfo)) {
        MessageBoxA(nullptr, "Error Registering Window Class!", "Error", MB_ICONEXCLAMATION | MB_OK);
        return -1;
    }

    keepRunning = 1;
    fullscreenChoice = glWindow.fullscreen;
    while (keepRunning) {
        glWindow.fullscreen = fullscreenChoice;
        if (!openGLWindow(&glWindow)) {
            MessageBoxA(nullptr, "Error Creating OpenGL Window", "Error", MB_ICONEXCLAMATION | MB_OK);
            keepRunning = 0;
            break;
        }
        initShow(&glWindow);
        if (!loadShow(&glWindow, keyStates)) {
            requestQuit(&glWindow);
        } else {
            runLoop(&glWindow);
        }
        shutdownShow();
        closeGLWindow(&glWindow);
    }

    UnregisterClassA("OpenGL", instance);
    return 0;
}
