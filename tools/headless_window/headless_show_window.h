// SPDX-License-Identifier: MIT
// The show's window record and window class, filled as the entry routine fills them (class "OpenGL", title
// "T.A.V.", 800 x 600, 32 bits), opened through registerGLWindowClass and openGLWindow on the headless backend.
#pragma once

#include "app/gl_window.h"

class HeadlessShowWindow {
public:
    GLWindow window{};
    WindowClassInfo classInfo{};
    int keys[256]{};

    // Resets the headless backend, fills the record (windowed unless fullscreen) and registers the class;
    // false when the class cannot be registered.
    bool prepareWindow(bool fullscreen = false);
    // prepareWindow, then openGLWindow; on success currentWindow and currentKeyState point at this window.
    bool openWindow(bool fullscreen = false);
    // Closes the window (safe when it is not open), unregisters the class and clears the current pointers.
    void closeWindow();
};
