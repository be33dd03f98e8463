// SPDX-License-Identifier: MIT
// Windows, events, display modes, the cursor and message boxes for the SDL backend: the program calls
// CreateWindowExA, PeekMessageA, ChangeDisplaySettingsA, ShowCursor, MessageBoxA...; this file provides them
// over SDL2, turning SDL's events into the window's messages (keys as Windows virtual-key codes, Alt
// combinations and F10 as system keys, the close as WM_CLOSE, size changes as WM_SIZE). Program thread only.
#include "platform/sdl/sdl_backend.h"

#include "platform/common/sound_mixer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

struct SdlState {
    bool videoTried = false;
    bool videoReady = false;
    bool fullscreenMode = false;    // ChangeDisplaySettingsA switched; WS_POPUP windows go full screen
    SDL_DisplayMode mode = {};
    int cursorCount = 0;
    std::string failure;            // why the last window, mode or context call failed; told after the next box
    std::string videoFailure;       // why video did not start, kept for every later call that needs it
};

static SdlState sdl;

// The display SDL was asked to use, as a person would name it.
static std::string displayTried()
{
    std::string name;
    if (const char* wayland = std::getenv("WAYLAND_DISPLAY")) {
        name = std::string("WAYLAND_DISPLAY=") + wayland;
    }
    const char* x11 = std::getenv("DISPLAY");
    if (!name.empty()) {
        name += ", ";
    }
    name += std::string("DISPLAY=") + (x11 ? x11 : "(unset)");
    const char* driver = sdl.videoReady ? SDL_GetCurrentVideoDriver() : nullptr;
    if (driver) {
        name += std::string(" (") + driver + ")";
    }
    return name;
}

void sdlFailed(const std::string& what)
{
    const char* error = SDL_GetError();
    sdl.failure = what;
    if (error && *error) {
        sdl.failure += std::string(": ") + error;
    }
    SDL_ClearError();
}

// SDL's own words for why each real display driver did not start.
static std::string realDriverErrors()
{
    std::string errors;
    for (const char* name : {"x11", "wayland"}) {
        SDL_ClearError();
        if (SDL_VideoInit(name) == 0) {
            SDL_VideoQuit();
            continue;
        }
        errors += std::string(errors.empty() ? "" : "; ") + SDL_GetError();
    }
    SDL_ClearError();
    return errors;
}

// One try at SDL's video: true when a real display driver started (the offscreen and dummy drivers would
// "open" invisible windows, so they do not count); otherwise what SDL started instead, video shut again.
static bool realDisplayStarted(std::string& fallback)
{
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        fallback.clear();
        return false;
    }
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "x11") == 0 || std::strcmp(driver, "wayland") == 0 ||
                   std::strcmp(driver, "kmsdrm") == 0)) {
        return true;
    }
    fallback = driver ? driver : "no";
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
}

bool sdlVideoReady()
{
    if (sdl.videoTried) {
        if (!sdl.videoReady) {
            sdl.failure = sdl.videoFailure;
        }
        return sdl.videoReady;
    }
    sdl.videoTried = true;
    // A display that is still starting (or busy) refuses the first connection and accepts one a moment later:
    // keep trying for about a second before giving up.
    const int tries = 10;
    std::string fallback;
    std::string error;
    for (int attempt = 1; attempt <= tries; ++attempt) {
        SDL_ClearError();
        if (realDisplayStarted(fallback)) {
            sdl.videoReady = true;
            return true;
        }
        const char* sdlError = SDL_GetError();
        error = sdlError ? sdlError : "";
        if (attempt < tries) {
            SDL_Delay(100);
        }
    }
    std::string count = " (" + std::to_string(tries) + " tries in about a second)";
    if (fallback.empty()) {
        SDL_ClearError();
        SDL_SetError("%s", error.c_str());
        sdlFailed("SDL could not open the display" + count);
    } else {
        sdl.failure = "SDL could not open the display" + count + " (only its " + fallback +
                      " video driver started): " + realDriverErrors();
    }
    sdl.videoFailure = sdl.failure;
    return false;
}

SDL_Window* sdlWindowOf(HWND hwnd)
{
    return static_cast<SDL_Window*>(hwnd->native);
}

static HWND windowOfId(Uint32 id)
{
    SDL_Window* window = SDL_GetWindowFromID(id);
    for (HWND hwnd : win32Windows()) {
        if (window && hwnd->native == window) {
            return hwnd;
        }
    }
    return nullptr;
}

// Windows virtual-key code of a key, 0 for keys the program has no name for.
static int virtualKey(const SDL_Keysym& key)
{
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) {
        return 'A' + (key.sym - SDLK_a);
    }
    SDL_Scancode s = key.scancode;
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) {
        return 'A' + (s - SDL_SCANCODE_A);
    }
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) {
        return '1' + (s - SDL_SCANCODE_1);
    }
    if (s >= SDL_SCANCODE_F1 && s <= SDL_SCANCODE_F12) {
        return VK_F1 + (s - SDL_SCANCODE_F1);
    }
    if (s >= SDL_SCANCODE_F13 && s <= SDL_SCANCODE_F24) {
        return VK_F13 + (s - SDL_SCANCODE_F13);
    }
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) {
        return VK_NUMPAD1 + (s - SDL_SCANCODE_KP_1);
    }
    switch (s) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_ESCAPE: return VK_ESCAPE;
    case SDL_SCANCODE_RETURN: return VK_RETURN;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    case SDL_SCANCODE_SPACE: return VK_SPACE;
    case SDL_SCANCODE_BACKSPACE: return VK_BACK;
    case SDL_SCANCODE_TAB: return VK_TAB;
    case SDL_SCANCODE_LSHIFT: case SDL_SCANCODE_RSHIFT: return VK_SHIFT;
    case SDL_SCANCODE_LCTRL: case SDL_SCANCODE_RCTRL: return VK_CONTROL;
    case SDL_SCANCODE_LALT: case SDL_SCANCODE_RALT: return VK_MENU;
    case SDL_SCANCODE_LGUI: return VK_LWIN;
    case SDL_SCANCODE_RGUI: return VK_RWIN;
    case SDL_SCANCODE_APPLICATION: return VK_APPS;
    case SDL_SCANCODE_PAUSE: return VK_PAUSE;
    case SDL_SCANCODE_CAPSLOCK: return VK_CAPITAL;
    case SDL_SCANCODE_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDL_SCANCODE_SCROLLLOCK: return VK_SCROLL;
    case SDL_SCANCODE_PRINTSCREEN: return VK_SNAPSHOT;
    case SDL_SCANCODE_PAGEUP: return VK_PRIOR;
    case SDL_SCANCODE_PAGEDOWN: return VK_NEXT;
    case SDL_SCANCODE_END: return VK_END;
    case SDL_SCANCODE_HOME: return VK_HOME;
    case SDL_SCANCODE_LEFT: return VK_LEFT;
    case SDL_SCANCODE_UP: return VK_UP;
    case SDL_SCANCODE_RIGHT: return VK_RIGHT;
    case SDL_SCANCODE_DOWN: return VK_DOWN;
    case SDL_SCANCODE_INSERT: return VK_INSERT;
    case SDL_SCANCODE_DELETE: return VK_DELETE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    case SDL_SCANCODE_NONUSBACKSLASH: return VK_OEM_102;
    default: return 0;
    }
}

static void queueSize(HWND hwnd)
{
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(sdlWindowOf(hwnd), &width, &height);
    hwnd->width = width;
    hwnd->height = height;
    win32QueueInput(hwnd, WM_SIZE, hwnd->maximized ? SIZE_MAXIMIZED : SIZE_RESTORED, MAKELPARAM(width, height));
}

static void translate(const SDL_Event& event)
{
    if (event.type == SDL_QUIT) {
        // The session asks the program to end (a signal, the desktop logging out): close its window.
        if (HWND hwnd = win32LatestWindow()) {
            win32QueueInput(hwnd, WM_CLOSE, 0, 0);
        }
        return;
    }
    if (event.type == SDL_KEYDOWN || event.type == SDL_KEYUP) {
        HWND hwnd = windowOfId(event.key.windowID);
        int vk = virtualKey(event.key.keysym);
        if (!hwnd || vk == 0) {
            return;
        }
        bool down = event.type == SDL_KEYDOWN;
        bool alt = (event.key.keysym.mod & KMOD_ALT) != 0;
        bool system = alt || vk == VK_F10 || vk == VK_MENU;
        UINT message = system ? (down ? WM_SYSKEYDOWN : WM_SYSKEYUP) : (down ? WM_KEYDOWN : WM_KEYUP);
        LPARAM lParam = win32KeyLParam(down, alt, event.key.keysym.scancode);
        if (down && event.key.repeat) {
            lParam |= static_cast<LPARAM>(1u << 30);  // the key was already down
        }
        win32QueueInput(hwnd, message, static_cast<WPARAM>(vk), lParam);
        return;
    }
    if (event.type == SDL_AUDIODEVICEREMOVED && !event.adevice.iscapture) {
        soundDeviceRemoved(event.adevice.which);  // the music goes on silently
        return;
    }
    if (event.type != SDL_WINDOWEVENT) {
        return;
    }
    HWND hwnd = windowOfId(event.window.windowID);
    if (!hwnd) {
        return;
    }
    switch (event.window.event) {
    case SDL_WINDOWEVENT_CLOSE:
        win32QueueInput(hwnd, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        hwnd->minimized = true;
        hwnd->maximized = false;
        win32QueueInput(hwnd, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
        hwnd->minimized = false;
        hwnd->maximized = true;
        queueSize(hwnd);
        break;
    case SDL_WINDOWEVENT_RESTORED:
        hwnd->minimized = false;
        hwnd->maximized = false;
        queueSize(hwnd);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (!hwnd->minimized) {
            queueSize(hwnd);
        }
        break;
    default:
        break;
    }
}

// ---- Hooks of the common window code.

bool nativeRegisterClass(const WNDCLASSEXA*)
{
    return true;
}

bool nativeCreateWindow(HWND hwnd)
{
    if (!sdlVideoReady()) {
        return false;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    bool fullscreen = (hwnd->style & WS_POPUP) && sdl.fullscreenMode;
    if (fullscreen) {
        flags |= SDL_WINDOW_FULLSCREEN;
    } else if (hwnd->style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
    } else if (hwnd->style & WS_THICKFRAME) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* window = SDL_CreateWindow(hwnd->title.c_str(), hwnd->x, hwnd->y, hwnd->width, hwnd->height, flags);
    if (!window) {
        sdlFailed("SDL could not create the OpenGL window");
        return false;
    }
    if (fullscreen) {
        SDL_SetWindowDisplayMode(window, &sdl.mode);
    }
    hwnd->native = window;
    hwnd->dc.native = window;
    // The window refuses the screen saver's start (its window procedure swallows SC_SCREENSAVE).
    SDL_DisableScreenSaver();
    return true;
}

void nativeDestroyWindow(HWND hwnd)
{
    SDL_DestroyWindow(sdlWindowOf(hwnd));
    hwnd->native = nullptr;
}

void nativeShowWindow(HWND hwnd, int showCommand)
{
    SDL_Window* window = sdlWindowOf(hwnd);
    switch (showCommand) {
    case SW_HIDE:
        SDL_HideWindow(window);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
        SDL_MinimizeWindow(window);
        break;
    case SW_MAXIMIZE:
        SDL_MaximizeWindow(window);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(window);
        break;
    default:
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
        // SDL hides the cursor only on windows that exist when asked; a hidden cursor stays hidden on this one.
        if (sdl.cursorCount < 0) {
            SDL_ShowCursor(SDL_ENABLE);
            SDL_ShowCursor(SDL_DISABLE);
        }
        break;
    }
}

bool nativeGetDC(HWND)
{
    return true;
}

void nativePumpEvents()
{
    if (!sdl.videoReady) {
        return;
    }
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        translate(event);
    }
}

void nativeWaitEvents()
{
    if (sdl.videoReady) {
        SDL_WaitEvent(nullptr);  // leaves the event for the pump
    }
}

void nativeStartScreenSaver()
{
    SDL_EnableScreenSaver();
}

// ---- Display, cursor, message boxes.

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD)
{
    if (!mode) {
        if (sdl.fullscreenMode) {
            sdl.fullscreenMode = false;
            for (HWND hwnd : win32Windows()) {
                SDL_SetWindowFullscreen(sdlWindowOf(hwnd), 0);
            }
        }
        return DISP_CHANGE_SUCCESSFUL;
    }
    if (!sdlVideoReady()) {
        return DISP_CHANGE_FAILED;
    }
    if (!(mode->dmFields & DM_PELSWIDTH) || !(mode->dmFields & DM_PELSHEIGHT)) {
        sdl.failure = "the mode switch named no size";
        return DISP_CHANGE_BADMODE;
    }
    // Only a mode the display really offers, of exactly that size.
    int count = SDL_GetNumDisplayModes(0);
    std::string offers;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode offered;
        if (SDL_GetDisplayMode(0, i, &offered) == 0 && offered.w == static_cast<int>(mode->dmPelsWidth) &&
            offered.h == static_cast<int>(mode->dmPelsHeight)) {
            sdl.mode = offered;
            sdl.fullscreenMode = true;
            return DISP_CHANGE_SUCCESSFUL;
        }
        if (i < 8 && SDL_GetDisplayMode(0, i, &offered) == 0) {
            offers += (offers.empty() ? "" : ", ") + std::to_string(offered.w) + " x " + std::to_string(offered.h);
        }
    }
    if (count < 0) {
        sdlFailed("SDL could not list the display's modes");
    } else {
        sdl.failure = "the display has no " + std::to_string(mode->dmPelsWidth) + " x " +
                      std::to_string(mode->dmPelsHeight) + " mode (it offers " +
                      (offers.empty() ? std::string("none") : offers) + (count > 8 ? ", ..." : "") + ")";
    }
    return DISP_CHANGE_BADMODE;
}

int WINAPI ShowCursor(BOOL show)
{
    sdl.cursorCount += show ? 1 : -1;
    if (sdl.videoReady) {
        SDL_ShowCursor(sdl.cursorCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
    }
    return sdl.cursorCount;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    const char* title = caption ? caption : "Error";
    const char* message = text ? text : "";
    Uint32 flags = SDL_MESSAGEBOX_INFORMATION;
    if ((type & 0xF0) == MB_ICONHAND) {
        flags = SDL_MESSAGEBOX_ERROR;
    } else if ((type & 0xF0) == MB_ICONEXCLAMATION) {
        flags = SDL_MESSAGEBOX_WARNING;
    }
    SDL_Window* parent = win32IsWindow(owner) ? sdlWindowOf(owner) : nullptr;
    if (!sdlVideoReady() || SDL_ShowSimpleMessageBox(flags, title, message, parent) != 0) {
        std::fprintf(stderr, "%s: %s\n", title, message);
    }
    // The box says what failed in the program's words; a person on this system also needs to know why.
    if (!sdl.failure.empty()) {
        std::fprintf(stderr, "tav: %s; display tried: %s\n", sdl.failure.c_str(), displayTried().c_str());
        sdl.failure.clear();
    }
    return IDOK;
}
