// SPDX-License-Identifier: MIT
// What the SDL backend's files share: video start-up limited to real display drivers, and the SDL window
// behind a window handle. Program thread only.
#pragma once

#include "platform/common/win32_window.h"

#include <SDL.h>

#include <string>

// Starts SDL's video once; false when there is no real display (X11, Wayland, KMS/DRM) to open windows on.
bool sdlVideoReady();
SDL_Window* sdlWindowOf(HWND hwnd);
// Keeps why a window, mode or context call failed (what, then SDL's error text), for the line on stderr
// that follows the program's next message box.
void sdlFailed(const std::string& what);
