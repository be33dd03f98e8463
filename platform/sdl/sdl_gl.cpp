// SPDX-License-Identifier: MIT
// Pixel formats, rendering contexts and buffer swaps for the SDL backend: the program calls ChoosePixelFormat,
// SetPixelFormat, wgl* and SwapBuffers; here they map onto the window's SDL OpenGL context (compatibility
// profile, double-buffered RGBA, 16-bit depth, requested when the window was created).
#include "platform/sdl/sdl_backend.h"

struct HGLRC__ {
    SDL_GLContext context = nullptr;
    SDL_Window* window = nullptr;
};

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (!win32IsDC(hdc) || !descriptor || descriptor->nSize != sizeof(PIXELFORMATDESCRIPTOR) ||
        !(descriptor->dwFlags & PFD_SUPPORT_OPENGL) || descriptor->iPixelType != PFD_TYPE_RGBA) {
        return 0;
    }
    return 1;  // the one format the window was created with
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*)
{
    if (!win32IsDC(hdc) || format != 1 || hdc->pixelFormat != 0) {
        return FALSE;
    }
    hdc->pixelFormat = format;
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc)
{
    if (!win32IsDC(hdc) || hdc->pixelFormat == 0) {
        return nullptr;
    }
    SDL_Window* window = sdlWindowOf(hdc->window);
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (!context) {
        sdlFailed("SDL could not create the OpenGL context");
        return nullptr;
    }
    // SDL makes a new context current; wglCreateContext does not.
    SDL_GL_MakeCurrent(previous ? previousWindow : window, previous);
    HGLRC hglrc = new HGLRC__;
    hglrc->context = context;
    hglrc->window = window;
    return hglrc;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc)
{
    if (!hglrc) {
        SDL_Window* current = SDL_GL_GetCurrentWindow();
        if (current) {
            SDL_GL_MakeCurrent(current, nullptr);
        }
        return TRUE;
    }
    if (!win32IsDC(hdc)) {
        return FALSE;
    }
    if (SDL_GL_MakeCurrent(sdlWindowOf(hdc->window), hglrc->context) != 0) {
        sdlFailed("SDL could not make the OpenGL context current");
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc)
{
    if (!hglrc) {
        return FALSE;
    }
    if (SDL_GL_GetCurrentContext() == hglrc->context) {
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    }
    SDL_GL_DeleteContext(hglrc->context);
    delete hglrc;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc)
{
    if (!win32IsDC(hdc)) {
        return FALSE;
    }
    SDL_GL_SwapWindow(sdlWindowOf(hdc->window));
    return TRUE;
}
