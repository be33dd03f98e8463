// SPDX-License-Identifier: MIT
// Pixel formats, rendering contexts and buffer swaps in the browser: the program calls ChoosePixelFormat,
// SetPixelFormat, wgl* and SwapBuffers; here they map onto a WebGL context on the page's canvas (WebGL 2, else
// 1; no alpha, a depth buffer, no antialiasing, the drawing buffer kept between frames because the show never
// clears), handed to the OpenGL 1.1 layer of platform/gl11/. A browser without WebGL fails wglCreateContext, and
// the program says so in its own words. SwapBuffers finishes the frame and waits for the browser's next
// animation frame.
#include "platform/web/web_backend.h"

#include "platform/gl11/gl11_context.h"

#include <emscripten.h>
#include <emscripten/html5.h>

struct HGLRC__ {
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
};

static HGLRC currentContext = nullptr;

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (!win32IsDC(hdc) || !descriptor || descriptor->nSize != sizeof(PIXELFORMATDESCRIPTOR) ||
        !(descriptor->dwFlags & PFD_SUPPORT_OPENGL) || descriptor->iPixelType != PFD_TYPE_RGBA) {
        return 0;
    }
    return 1;  // the canvas's one format
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*)
{
    if (!win32IsDC(hdc) || format != 1 || hdc->pixelFormat != 0) {
        return FALSE;
    }
    hdc->pixelFormat = format;
    return TRUE;
}

static EMSCRIPTEN_WEBGL_CONTEXT_HANDLE createWebGl(int majorVersion)
{
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = majorVersion;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_FALSE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_TRUE;
    return emscripten_webgl_create_context("#canvas", &attributes);
}

HGLRC WINAPI wglCreateContext(HDC hdc)
{
    if (!win32IsDC(hdc) || hdc->pixelFormat == 0) {
        return nullptr;
    }
    int majorVersion = 2;
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = createWebGl(2);
    if (context <= 0) {
        majorVersion = 1;
        context = createWebGl(1);
    }
    if (context <= 0) {
        return nullptr;
    }
    // The layer learns of the context while it is current; the canvas keeps one context for its lifetime,
    // so a context made after another (the F1 switch) is that same one again.
    if (emscripten_webgl_make_context_current(context) != EMSCRIPTEN_RESULT_SUCCESS ||
        !gl11ContextReady(majorVersion + 1, hdc->window->width, hdc->window->height)) {
        emscripten_webgl_destroy_context(context);
        return nullptr;
    }
    HGLRC hglrc = new HGLRC__;
    hglrc->context = context;
    currentContext = hglrc;
    return hglrc;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc)
{
    if (!hglrc) {
        emscripten_webgl_make_context_current(0);
        currentContext = nullptr;
        return TRUE;
    }
    if (!win32IsDC(hdc) || emscripten_webgl_make_context_current(hglrc->context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return FALSE;
    }
    currentContext = hglrc;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc)
{
    if (!hglrc) {
        return FALSE;
    }
    if (currentContext == hglrc) {
        emscripten_webgl_make_context_current(0);
        currentContext = nullptr;
    }
    emscripten_webgl_destroy_context(hglrc->context);
    delete hglrc;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC hdc)
{
    if (!win32IsDC(hdc)) {
        return FALSE;
    }
    if (currentContext) {
        gl11FinishFrame();
    }
    webWaitFrame();
    return TRUE;
}
