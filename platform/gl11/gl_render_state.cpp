// The OpenGL 1.1 layer's render state: capabilities, blending, depth, culling, shading, viewport, clears,
// the queries the program and GLU make, and reading pixels back. Changes that affect drawing first draw what
// the batch holds. Lighting draws with the scene's ambient light only (the program enables no light); fog,
// alpha test, dithering and the smooth hints are recorded for glIsEnabled but do not change the picture.
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

namespace {

bool* capability(GLenum cap)
{
    switch (cap) {
    case GL_TEXTURE_2D: return &glState.texture2d;
    case GL_BLEND: return &glState.blend;
    case GL_DEPTH_TEST: return &glState.depthTest;
    case GL_CULL_FACE: return &glState.cullFace;
    case GL_LIGHTING: return &glState.lighting;
    case GL_FOG: return &glState.fog;
    case GL_ALPHA_TEST: return &glState.alphaTest;
    case GL_COLOR_MATERIAL: return &glState.colorMaterial;
    case GL_NORMALIZE: return &glState.normalize;
    case GL_POINT_SMOOTH: return &glState.pointSmooth;
    case GL_LINE_SMOOTH: return &glState.lineSmooth;
    case GL_DITHER: return &glState.dither;
    case GL_SCISSOR_TEST: return &glState.scissorTest;
    default:
        if (cap >= GL_LIGHT0 && cap < GL_LIGHT0 + 8)
            return &glState.light[cap - GL_LIGHT0];
        return nullptr;
    }
}

void setCapability(GLenum cap, bool on)
{
    bool* flag = capability(cap);
    if (!flag) {
        if (cap != GL_TEXTURE_1D)
            glStateError(GL_INVALID_ENUM);
        return;
    }
    if (*flag == on)
        return;
    glBatchFlush();
    *flag = on;
}

bool validBlendFactor(GLenum f, bool source)
{
    switch (f) {
    case GL_ZERO: case GL_ONE: case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA:
        return true;
    case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR:
        return !source;
    case GL_DST_COLOR: case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA_SATURATE:
        return source;
    default:
        return false;
    }
}

}  // namespace

void glEnable(GLenum cap)
{
    if (glListCapture(GlListOp::enable, cap))
        return;
    setCapability(cap, true);
}

void glDisable(GLenum cap)
{
    if (glListCapture(GlListOp::disable, cap))
        return;
    setCapability(cap, false);
}

GLboolean glIsEnabled(GLenum cap)
{
    const bool* flag = capability(cap);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

void glBlendFunc(GLenum source, GLenum destination)
{
    if (glListCapture(GlListOp::blendFunc, source, static_cast<float>(destination)))
        return;
    if (!validBlendFactor(source, true) || !validBlendFactor(destination, false)) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (source == glState.blendSrc && destination == glState.blendDst)
        return;
    glBatchFlush();
    glState.blendSrc = source;
    glState.blendDst = destination;
}

void glDepthFunc(GLenum func)
{
    if (glListCapture(GlListOp::depthFunc, func))
        return;
    if (func < GL_NEVER || func > GL_ALWAYS) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (func == glState.depthFunc)
        return;
    glBatchFlush();
    glState.depthFunc = func;
}

void glCullFace(GLenum mode)
{
    if (mode != GL_FRONT && mode != GL_BACK && mode != GL_FRONT_AND_BACK) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (mode == glState.cullMode)
        return;
    glBatchFlush();
    glState.cullMode = mode;
}

void glFrontFace(GLenum mode)
{
    if (mode != GL_CW && mode != GL_CCW) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (mode == glState.frontFace)
        return;
    glBatchFlush();
    glState.frontFace = mode;
}

void glShadeModel(GLenum mode)
{
    if (glListCapture(GlListOp::shadeModel, mode))
        return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    // Colours are settled per vertex as they are assembled, so the batch goes on.
    glState.shadeModel = mode;
}

// Hints allow any behaviour; WebGL interpolates in perspective and has no smooth points.
void glHint(GLenum target, GLenum mode)
{
    if (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE)
        glStateError(GL_INVALID_ENUM);
    (void)target;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (width < 0 || height < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    int* v = glState.viewport;
    if (v[0] == x && v[1] == y && v[2] == width && v[3] == height)
        return;
    glBatchFlush();
    v[0] = x;
    v[1] = y;
    v[2] = width;
    v[3] = height;
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    auto c = [](float v) { return v < 0 ? 0.0f : v > 1 ? 1.0f : v; };
    glState.clearColor[0] = c(r);
    glState.clearColor[1] = c(g);
    glState.clearColor[2] = c(b);
    glState.clearColor[3] = c(a);
}

void glClearDepth(GLclampd depth)
{
    glState.clearDepth = static_cast<float>(depth < 0 ? 0 : depth > 1 ? 1 : depth);
}

void glClear(GLbitfield mask)
{
    if (glListCapture(GlListOp::clear, mask))
        return;
    if (mask & ~(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT | GL_ACCUM_BUFFER_BIT)) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (!glState.ready)
        return;
    glBatchFlush();
    const float* c = glState.clearColor;
    gles.ClearColor(c[0], c[1], c[2], c[3]);
    gles.ClearDepthf(glState.clearDepth);
    // The context has no accumulation buffer and no stencil.
    const GLbitfield webglMask = mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (webglMask)
        gles.Clear(webglMask);
}

void glFlush()
{
    glBatchFlush();
}

void glFinish()
{
    glBatchFlush();
    if (glState.ready)
        gles.Finish();
}

GLenum glGetError()
{
    const GLenum own = glState.error;
    glState.error = GL_NO_ERROR;
    if (own != GL_NO_ERROR)
        return own;
    return glState.ready ? gles.GetError() : GL_NO_ERROR;
}

void glGetFloatv(GLenum pname, GLfloat* out)
{
    switch (pname) {
    case GL_MODELVIEW_MATRIX:
    case GL_PROJECTION_MATRIX:
    case GL_TEXTURE_MATRIX:
        glMatrixRead(pname, out);
        return;
    case GL_CURRENT_COLOR:
        for (int i = 0; i < 4; ++i)
            out[i] = glState.color[i];
        return;
    case GL_COLOR_CLEAR_VALUE:
        for (int i = 0; i < 4; ++i)
            out[i] = glState.clearColor[i];
        return;
    default: {
        GLint v[4] = {};
        glGetIntegerv(pname, v);
        out[0] = static_cast<float>(v[0]);
    }
    }
}

void glGetDoublev(GLenum pname, GLdouble* out)
{
    GLfloat f[16] = {};
    glGetFloatv(pname, f);
    const int n = (pname == GL_MODELVIEW_MATRIX || pname == GL_PROJECTION_MATRIX || pname == GL_TEXTURE_MATRIX) ? 16
                  : pname == GL_CURRENT_COLOR || pname == GL_COLOR_CLEAR_VALUE                               ? 4
                                                                                                             : 1;
    for (int i = 0; i < n; ++i)
        out[i] = f[i];
}

void glGetIntegerv(GLenum pname, GLint* out)
{
    switch (pname) {
    case GL_UNPACK_ALIGNMENT: *out = glState.unpackAlignment; return;
    case GL_PACK_ALIGNMENT: *out = glState.packAlignment; return;
    case GL_MATRIX_MODE: *out = static_cast<GLint>(glMatrixModeNow()); return;
    case GL_TEXTURE_BINDING_2D: *out = static_cast<GLint>(glState.boundTexture); return;
    case GL_SHADE_MODEL: *out = static_cast<GLint>(glState.shadeModel); return;
    case GL_BLEND_SRC: *out = static_cast<GLint>(glState.blendSrc); return;
    case GL_BLEND_DST: *out = static_cast<GLint>(glState.blendDst); return;
    case GL_DEPTH_FUNC: *out = static_cast<GLint>(glState.depthFunc); return;
    case GL_CULL_FACE_MODE: *out = static_cast<GLint>(glState.cullMode); return;
    case GL_FRONT_FACE: *out = static_cast<GLint>(glState.frontFace); return;
    case GL_VIEWPORT:
        for (int i = 0; i < 4; ++i)
            out[i] = glState.viewport[i];
        return;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH:
    case GL_MAX_TEXTURE_STACK_DEPTH: *out = 32; return;
    case GL_MAX_LIST_NESTING: *out = 64; return;
    default:
        if (glState.ready)
            gles.GetIntegerv(pname, out);
        else
            glStateError(GL_INVALID_ENUM);
    }
}

void glGetBooleanv(GLenum pname, GLboolean* out)
{
    if (capability(pname)) {
        *out = glIsEnabled(pname);
        return;
    }
    GLint v = 0;
    glGetIntegerv(pname, &v);
    *out = v != 0 ? GL_TRUE : GL_FALSE;
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels)
{
    if (!glState.ready)
        return;
    glBatchFlush();
    gles.ReadPixels(x, y, width, height, format, type, pixels);
}
