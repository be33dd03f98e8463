// SPDX-License-Identifier: MIT
// Pixel formats, rendering contexts and buffer swaps for the headless backend: the program calls
// ChoosePixelFormat, SetPixelFormat, wgl* and SwapBuffers; here each device context is an 800 x 600 (the
// window's client size) RGBA pbuffer with a 16-bit depth buffer on Mesa's surfaceless EGL platform, and each
// rendering context an EGL OpenGL context. SwapBuffers hands the frame to the driver's sink and hook.
// Built with TAV_HEADLESS_GL11, the contexts are GLES 3 ones and the program's GL 1.1 calls go to the OpenGL 1.1
// layer of platform/gl11/, which learns of a context the first time it is made current.
#include "platform/common/win32_window.h"
#include "platform/headless/headless_state.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#ifdef TAV_HEADLESS_GL11
#include "platform/gl11/gl11_context.h"
#endif

#include <cerrno>
#include <cstdio>

struct HGLRC__ {
    EGLContext context = EGL_NO_CONTEXT;
    bool layerReady = false;   // the GL 1.1 layer has been set up on it
};

#ifdef TAV_HEADLESS_GL11
const EGLenum clientApi = EGL_OPENGL_ES_API;
const EGLint renderableType = EGL_OPENGL_ES3_BIT;
const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
#else
const EGLenum clientApi = EGL_OPENGL_API;
const EGLint renderableType = EGL_OPENGL_BIT;
const EGLint* const contextAttributes = nullptr;
#endif

static EGLDisplay display = EGL_NO_DISPLAY;
static EGLConfig config = nullptr;

static const char* eglErrorName(EGLint error)
{
    switch (error) {
    case EGL_SUCCESS: return "no EGL error";
    case EGL_NOT_INITIALIZED: return "EGL_NOT_INITIALIZED";
    case EGL_BAD_ACCESS: return "EGL_BAD_ACCESS";
    case EGL_BAD_ALLOC: return "EGL_BAD_ALLOC";
    case EGL_BAD_ATTRIBUTE: return "EGL_BAD_ATTRIBUTE";
    case EGL_BAD_CONFIG: return "EGL_BAD_CONFIG";
    case EGL_BAD_CONTEXT: return "EGL_BAD_CONTEXT";
    case EGL_BAD_CURRENT_SURFACE: return "EGL_BAD_CURRENT_SURFACE";
    case EGL_BAD_DISPLAY: return "EGL_BAD_DISPLAY";
    case EGL_BAD_MATCH: return "EGL_BAD_MATCH";
    case EGL_BAD_NATIVE_PIXMAP: return "EGL_BAD_NATIVE_PIXMAP";
    case EGL_BAD_NATIVE_WINDOW: return "EGL_BAD_NATIVE_WINDOW";
    case EGL_BAD_PARAMETER: return "EGL_BAD_PARAMETER";
    case EGL_BAD_SURFACE: return "EGL_BAD_SURFACE";
    case EGL_CONTEXT_LOST: return "EGL_CONTEXT_LOST";
    default: return "unknown EGL error";
    }
}

// Keeps why an EGL call failed, with EGL's error and the display asked for, for the line after the next box.
static void eglFailed(const char* what)
{
    EGLint error = eglGetError();
    char line[256];
    std::snprintf(line, sizeof line, "%s: %s: %s (0x%04X); display tried: EGL on Mesa's surfaceless platform",
                  program_invocation_short_name, what, eglErrorName(error), static_cast<unsigned>(error));
    headless.failure = line;
}

static bool openDisplay()
{
    if (display != EGL_NO_DISPLAY) {
        return config != nullptr;
    }
    display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) {
        eglFailed("EGL gave no display");
        return false;
    }
    if (!eglInitialize(display, nullptr, nullptr)) {
        eglFailed("EGL could not initialise the display");
        return false;
    }
    if (!eglBindAPI(clientApi)) {
        eglFailed(clientApi == EGL_OPENGL_API ? "EGL offers no desktop OpenGL" : "EGL offers no OpenGL ES");
        return false;
    }
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                 EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                 EGL_RENDERABLE_TYPE, renderableType, EGL_NONE};
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1) {
        eglFailed("EGL has no RGBA 8888 pbuffer configuration with a 16-bit depth buffer for OpenGL");
        config = nullptr;
        return false;
    }
    return true;
}

void headlessReleaseSurface(HDC hdc)
{
    if (hdc->native) {
        if (eglGetCurrentSurface(EGL_DRAW) == static_cast<EGLSurface>(hdc->native)) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglDestroySurface(display, static_cast<EGLSurface>(hdc->native));
        hdc->native = nullptr;
    }
}

int WINAPI ChoosePixelFormat(HDC hdc, const PIXELFORMATDESCRIPTOR* descriptor)
{
    if (!win32IsDC(hdc) || !descriptor || descriptor->nSize != sizeof(PIXELFORMATDESCRIPTOR) ||
        !(descriptor->dwFlags & PFD_SUPPORT_OPENGL) || descriptor->iPixelType != PFD_TYPE_RGBA ||
        headlessFailing(HeadlessCall::ChoosePixelFormat) || !openDisplay()) {
        return 0;
    }
    return 1;  // the one format: RGBA 8888, 16-bit depth
}

BOOL WINAPI SetPixelFormat(HDC hdc, int format, const PIXELFORMATDESCRIPTOR*)
{
    if (!win32IsDC(hdc) || format != 1 || hdc->pixelFormat != 0 || headlessFailing(HeadlessCall::SetPixelFormat) ||
        !openDisplay()) {
        return FALSE;
    }
    HWND hwnd = hdc->window;
    const EGLint attributes[] = {EGL_WIDTH, hwnd->width > 0 ? hwnd->width : 1, EGL_HEIGHT,
                                 hwnd->height > 0 ? hwnd->height : 1, EGL_NONE};
    EGLSurface surface = eglCreatePbufferSurface(display, config, attributes);
    if (surface == EGL_NO_SURFACE) {
        eglFailed("EGL could not create the pbuffer");
        return FALSE;
    }
    hdc->native = surface;
    hdc->pixelFormat = format;
    return TRUE;
}

HGLRC WINAPI wglCreateContext(HDC hdc)
{
    if (!win32IsDC(hdc) || !hdc->native || headlessFailing(HeadlessCall::CreateContext)) {
        return nullptr;
    }
    EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        eglFailed("EGL could not create the OpenGL context");
        return nullptr;
    }
    HGLRC hglrc = new HGLRC__;
    hglrc->context = context;
    return hglrc;
}

BOOL WINAPI wglMakeCurrent(HDC hdc, HGLRC hglrc)
{
    if (!hglrc) {
        if (display != EGL_NO_DISPLAY) {
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        return TRUE;
    }
    if (!win32IsDC(hdc) || !hdc->native || headlessFailing(HeadlessCall::MakeCurrent)) {
        return FALSE;
    }
    EGLSurface surface = static_cast<EGLSurface>(hdc->native);
    if (!eglMakeCurrent(display, surface, surface, hglrc->context)) {
        eglFailed("EGL could not make the OpenGL context current");
        return FALSE;
    }
#ifdef TAV_HEADLESS_GL11
    if (!hglrc->layerReady) {
        if (!gl11ContextReady(3, hdc->window->width, hdc->window->height)) {
            headless.failure = std::string(program_invocation_short_name) +
                               ": the OpenGL 1.1 layer cannot run on the OpenGL ES 3 context";
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
            return FALSE;
        }
        hglrc->layerReady = true;
    }
#endif
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC hglrc)
{
    if (!hglrc) {
        return FALSE;
    }
    if (eglGetCurrentContext() == hglrc->context) {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroyContext(display, hglrc->context);
    delete hglrc;
    return TRUE;
}

bool headlessReadPixels(std::vector<unsigned char>& rgba, int& width, int& height)
{
    EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    if (display == EGL_NO_DISPLAY || surface == EGL_NO_SURFACE || eglGetCurrentContext() == EGL_NO_CONTEXT) {
        return false;
    }
    EGLint w = 0;
    EGLint h = 0;
    eglQuerySurface(display, surface, EGL_WIDTH, &w);
    eglQuerySurface(display, surface, EGL_HEIGHT, &h);
    width = w;
    height = h;
    rgba.assign(static_cast<size_t>(w) * static_cast<size_t>(h) * 4, 0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return true;
}

BOOL WINAPI SwapBuffers(HDC hdc)
{
    if (!win32IsDC(hdc) || !hdc->native) {
        return FALSE;
    }
    // A pbuffer has one colour buffer, so the picture simply stays: nothing to swap, only to hand over.
#ifdef TAV_HEADLESS_GL11
    if (eglGetCurrentContext() != EGL_NO_CONTEXT) {
        gl11FinishFrame();
    }
#endif
    if (headless.frameSink && eglGetCurrentSurface(EGL_DRAW) == static_cast<EGLSurface>(hdc->native)) {
        std::vector<unsigned char> rgba;
        int width = 0;
        int height = 0;
        if (headlessReadPixels(rgba, width, height)) {
            headless.frameSink(rgba.data(), width, height);
        }
    }
    if (headless.frameHook) {
        headless.frameHook();
    }
    ++headless.frameCount;
    return TRUE;
}

void headlessSetFrameSink(std::function<void(const unsigned char*, int, int)> sink)
{
    headless.frameSink = std::move(sink);
}

void headlessSetFrameHook(std::function<void()> hook)
{
    headless.frameHook = std::move(hook);
}

unsigned headlessFrameCount()
{
    return headless.frameCount;
}
