// SPDX-License-Identifier: MIT
// Both renderers on Mesa's surfaceless EGL platform: one display, one pbuffer and context per side.
#include "tests/gl11/gl11_pair.h"

#include "platform/gl11/gl11_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Side {
    EGLContext context = EGL_NO_CONTEXT;
    EGLSurface surface = EGL_NO_SURFACE;
    Gl11Api api;
};

EGLDisplay display = EGL_NO_DISPLAY;
Side sides[2];
bool opened = false;
int width_ = 0, height_ = 0;

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
    width_ = width;
    height_ = height;
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

bool gl11PairLayerAs(int glesMajorVersion)
{
    gl11PairUse(Gl11Side::layer);
    return gl11ContextReady(glesMajorVersion, width_, height_);
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

namespace {

int channelDiff(const unsigned char* a, const unsigned char* b)
{
    int d = 0;
    for (int c = 0; c < 4; ++c) {
        const int e = std::abs(a[c] - b[c]);
        d = e > d ? e : d;
    }
    return d;
}

// How close the other picture comes to the pixel's value within one pixel of it.
int nearest(const unsigned char* value, const std::vector<unsigned char>& other, int x, int y, int size)
{
    int best = 256;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= size || ny >= size)
                continue;
            const int e = channelDiff(value, &other[(static_cast<size_t>(ny) * size + nx) * 4]);
            best = e < best ? e : best;
        }
    return best;
}

}  // namespace

bool gl11PicturesMatch(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer, int size,
                       std::string* why)
{
    int edges = 0;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const unsigned char* a = &mesa[(static_cast<size_t>(y) * size + x) * 4];
            const unsigned char* b = &layer[(static_cast<size_t>(y) * size + x) * 4];
            if (channelDiff(a, b) <= gl11InsideTolerance)
                continue;
            if (nearest(a, layer, x, y, size) > gl11InsideTolerance &&
                nearest(b, mesa, x, y, size) > gl11InsideTolerance) {
                char text[160];
                std::snprintf(text, sizeof text, "pixel (%d, %d): Mesa %d %d %d %d, layer %d %d %d %d", x, y, a[0],
                              a[1], a[2], a[3], b[0], b[1], b[2], b[3]);
                *why = text;
                return false;
            }
            ++edges;
        }
    if (edges > size * size / 50) {
        *why = std::to_string(edges) + " edge pixels differ, more than 2 %";
        return false;
    }
    return true;
}

std::string gl11PictureMap(const std::vector<unsigned char>& mesa, const std::vector<unsigned char>& layer,
                           int size)
{
    std::string map;
    for (int y = size - 1; y >= 0; --y) {
        for (int x = 0; x < size; ++x) {
            const size_t k = (static_cast<size_t>(y) * size + x) * 4;
            const bool drawn = mesa[k] || mesa[k + 1] || mesa[k + 2] || mesa[k + 3];
            map += channelDiff(&mesa[k], &layer[k]) <= gl11InsideTolerance ? (drawn ? 'o' : '.') : (drawn ? 'M' : 'L');
        }
        map += '\n';
    }
    return map;
}
