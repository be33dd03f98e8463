// SPDX-License-Identifier: MIT
// The show's window on the headless backend; see headless_show_window.h.
#include "tools/headless_window/headless_show_window.h"

#include "app/main.h"
#include "platform/headless/headless.h"

bool HeadlessShowWindow::prepareWindow(bool fullscreen)
{
    headlessReset();
    classInfo.instance = GetModuleHandleA(nullptr);
    classInfo.className = "OpenGL";
    window.keyState = keys;
    window.classInfo = &classInfo;
    window.title = "T.A.V.";
    window.width = 800;
    window.height = 600;
    window.colorBits = 32;
    window.fullscreen = fullscreen ? 1 : 0;
    return registerGLWindowClass(&classInfo);
}

bool HeadlessShowWindow::openWindow(bool fullscreen)
{
    if (!prepareWindow(fullscreen)) return false;
    if (!openGLWindow(&window)) {
        UnregisterClassA(classInfo.className, classInfo.instance);
        return false;
    }
    currentWindow = &window;
    currentKeyState = keys;
    return true;
}

void HeadlessShowWindow::closeWindow()
{
    closeGLWindow(&window);
    UnregisterClassA(classInfo.className, classInfo.instance);
    currentWindow = nullptr;
    currentKeyState = nullptr;
}
