// SPDX-License-Identifier: MIT
// The two contexts of the in-process comparison, on one surfaceless EGL display.
#include "tests/gl11/dual_gl.h"

#include "platform/gl11/gl11_context.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>

#include <cstdio>

namespace {

const EGLenum api[2] = {EGL_OPENGL_API, EGL_OPENGL_ES_API};

int index(GlSide side)
{
    return side == GlSide::mesa ? 0 : 1;
}

}  // namespace

bool DualGl::fail(const char* what)
{
    char line[200];
    std::snprintf(line, sizeof line, "%s (EGL error 0x%04X)", what, static_cast<unsigned>(eglGetError()));
    failure_ = line;
    close();
    return false;
}

bool DualGl::open(int width, int height, int glesVersion)
{
    close();
    width_ = width;
    height_ = height;
    glesVersion_ = glesVersion;
    EGLDisplay display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY || !eglInitialize(display, nullptr, nullptr))
        return fail("no surfaceless EGL display");
    display_ = display;
    const EGLint renderable[2] = {EGL_OPENGL_BIT, glesVersion >= 3 ? EGL_OPENGL_ES3_BIT : EGL_OPENGL_ES2_BIT};
    const EGLint surfaceAttributes[] = {EGL_WIDTH, width, EGL_HEIGHT, height, EGL_NONE};
    for (int i = 0; i < 2; ++i) {
        const EGLint attributes[] = {EGL_SURFACE_TYPE, EGL_PBUFFER_BIT, EGL_RED_SIZE, 8, EGL_GREEN_SIZE, 8,
                                     EGL_BLUE_SIZE, 8, EGL_ALPHA_SIZE, 8, EGL_DEPTH_SIZE, 16,
                                     EGL_RENDERABLE_TYPE, renderable[i], EGL_NONE};
        EGLint count = 0;
        EGLConfig config = nullptr;
        if (!eglChooseConfig(display, attributes, &config, 1, &count) || count < 1)
            return fail(i == 0 ? "no RGBA 8888 pbuffer configuration for desktop GL"
                               : "no RGBA 8888 pbuffer configuration for GLES");
        config_[i] = config;
        surface_[i] = eglCreatePbufferSurface(display, config, surfaceAttributes);
        if (surface_[i] == EGL_NO_SURFACE)
            return fail("no pbuffer");
        if (!eglBindAPI(api[i]))
            return fail(i == 0 ? "EGL offers no desktop GL" : "EGL offers no GLES");
        const EGLint glesAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, glesVersion, EGL_NONE};
        context_[i] = eglCreateContext(display, config, EGL_NO_CONTEXT, i == 0 ? nullptr : glesAttributes);
        if (context_[i] == EGL_NO_CONTEXT)
            return fail(i == 0 ? "no desktop GL compatibility context" : "no GLES context");
    }
    use(GlSide::mesa);
    if (!gl11MesaTable(table_[0]))
        return fail("Mesa's desktop GL lacks an entry point of the layer's");
    table_[1] = gl11LayerTable();
    use(GlSide::layer);
    if (!layerReady_)
        return fail("the layer cannot run on the GLES context");
    return true;
}

void DualGl::close()
{
    if (!display_)
        return;
    EGLDisplay display = static_cast<EGLDisplay>(display_);
    for (int i = 0; i < 2; ++i) {
        eglBindAPI(api[i]);
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        if (context_[i])
            eglDestroyContext(display, context_[i]);
        if (surface_[i])
            eglDestroySurface(display, surface_[i]);
        context_[i] = surface_[i] = config_[i] = nullptr;
    }
    // The display stays initialised: Mesa's driver stays loaded between tests (and its leaks attributable).
    display_ = nullptr;
    layerReady_ = false;
    current_ = -1;
}

bool DualGl::layerAs(int glesVersion)
{
    use(GlSide::layer);
    glesVersion_ = glesVersion;
    layerReady_ = gl11ContextReady(glesVersion, width_, height_);
    return layerReady_;
}

bool DualGl::restart()
{
    return open(width_, height_, glesVersion_);
}

const Gl11Table& DualGl::use(GlSide side)
{
    const int i = index(side);
    if (current_ != i && display_) {
        EGLDisplay display = static_cast<EGLDisplay>(display_);
        // The layer's batch draws into its own context before another one becomes current.
        if (current_ == 1 && layerReady_)
            gl11FinishFrame();
        // One context current per thread at a time: desktop GL and GLES share Mesa's dispatch.
        if (current_ >= 0) {
            eglBindAPI(api[current_]);
            eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
        }
        eglBindAPI(api[i]);
        current_ = eglMakeCurrent(display, surface_[i], surface_[i], context_[i]) ? i : -1;
        if (current_ == 1 && !layerReady_)
            layerReady_ = gl11ContextReady(glesVersion_, width_, height_);
    }
    gl11 = &table_[i];
    return table_[i];
}

std::vector<unsigned char> DualGl::read()
{
    std::vector<unsigned char> rgba(static_cast<size_t>(width_) * height_ * 4);
    if (current_ < 0)
        return rgba;
    const Gl11Table& t = table_[current_];
    t.PixelStorei(GL_PACK_ALIGNMENT, 1);
    t.ReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

DualRun DualGl::run(const std::function<GLenum(const Gl11Table&, GlSide)>& sequence)
{
    DualRun out;
    for (GlSide side : {GlSide::mesa, GlSide::layer}) {
        const Gl11Table& t = use(side);
        out.result[index(side)] = sequence(t, side);
        out.picture[index(side)] = read();
    }
    return out;
}
