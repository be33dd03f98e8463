// Both renderers on Mesa's surfaceless EGL platform: one display, one pbuffer and context per side.
#include "tests/gl11/gl11_pair.h"

#include "platform/gl11/gl11_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

struct Side {
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    Gl11Api api;
};

EGLDisplay display = EGL_NO_DISPLAY;
Side sides[2];
bool opened = false;

bool openSide(Side& side, EGLenum api, EGLint renderable, const EGLint* contextAttributes, int width,
              int height)
{
    if (!eglBindAPI(api))
        return false;
    const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                 EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                 EGL_RENDERABLE_TYPE, renderable, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1)
        return false;
    const EGLint size[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    side.surface = eglCreatePbufferSurface(display, config, size);
    side.context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
    return side.surface != EGL_NO_SURFACE && side.context != EGL_NO_CONTEXT &&
           eglMakeCurrent(display, side.surface, side.surface, side.context);
}

}  // namespace

bool gl11PairOpen(int width, int height)
{
    if (opened)
        return true;
    auto getDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    display = getDisplay ? getDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)
                         : EGL_NO_DISPLAY;
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr)) {
        std::printf("gl11 pair: no surfaceless EGL display\n");
        return false;
    }
    Side& mesa = sides[static_cast<int>(Gl11Side::mesa)];
    if (!openSide(mesa, EGL_OPENGL_API, EGL_OPENGL_BIT, nullptr, width, height)) {
        std::printf("gl11 pair: no desktop OpenGL context\n");
        return false;
    }
#define GL11_PAIR_TAKE(name) \
    mesa.api.name = reinterpret_cast<decltype(&::gl##name)>(eglGetProcAddress("gl" #name));
    GL11_PAIR_ENTRIES(GL11_PAIR_TAKE)
#undef GL11_PAIR_TAKE
    Side& layer = sides[static_cast<int>(Gl11Side::layer)];
    const EGLint gles3[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_NONE};
    if (!openSide(layer, EGL_OPENGL_ES_API, EGL_OPENGL_ES3_BIT, gles3, width, height) ||
        !gl11ContextReady(3, width, height)) {
        std::printf("gl11 pair: no GLES 3 context for the layer\n");
        return false;
    }
#define GL11_PAIR_OWN(name) layer.api.name = &::gl##name;
    GL11_PAIR_ENTRIES(GL11_PAIR_OWN)
#undef GL11_PAIR_OWN
    opened = true;
    return true;
}

const Gl11Api& gl11PairUse(Gl11Side side)
{
    const Side& s = sides[static_cast<int>(side)];
    if (eglGetCurrentContext() != s.context) {
        // The layer's batch draws into its own context before another one becomes current.
        if (eglGetCurrentContext() == sides[static_cast<int>(Gl11Side::layer)].context)
            gl11FinishFrame();
        eglMakeCurrent(display, s.surface, s.surface, s.context);
    }
    return s.api;
}

std::vector<unsigned char> gl11PairRead(const Gl11Api& gl, int width, int height)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    gl.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gl.ReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}
