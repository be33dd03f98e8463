// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's render state: capabilities, blending, depth, culling, shading, polygon offset,
// viewport, clears, glGetError and reading pixels back. Changes that affect drawing first draw what the batch
// holds. The alpha test and dithering are recorded but change nothing: GL's default alpha function passes
// everything, and Mesa's rasterizer does not dither; the smooth point and line hints are not followed.
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
    case GL_POLYGON_OFFSET_FILL: return &glState.polygonOffsetFill;
    case GL_POLYGON_OFFSET_LINE: return &glState.polygonOffsetLine;
    case GL_POLYGON_OFFSET_POINT: return &glState.polygonOffsetPoint;
    case GL_TEXTURE_1D: return &glState.texture1d;
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
        // Mesa's compatibility profile takes the client arrays here too.
        bool known = false;
        glClientArrayEnabled(cap, &known);
        if (!known)
            glStateError(GL_INVALID_ENUM);
        else if (on)
            glEnableClientState(cap);
        else
            glDisableClientState(cap);
        return;
    }
    if (*flag == on)
        return;
    glBatchFlush();
    *flag = on;
    if (cap == GL_COLOR_MATERIAL)
        glMaterialFollowColour();
}

// Every GL 1.1 factor on either side, as Mesa (and GLES) take them.
bool validBlendFactor(GLenum f)
{
    switch (f) {
    case GL_ZERO: case GL_ONE: case GL_SRC_ALPHA: case GL_ONE_MINUS_SRC_ALPHA: case GL_DST_ALPHA:
    case GL_ONE_MINUS_DST_ALPHA: case GL_SRC_COLOR: case GL_ONE_MINUS_SRC_COLOR: case GL_DST_COLOR:
    case GL_ONE_MINUS_DST_COLOR: case GL_SRC_ALPHA_SATURATE:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool* glCapability(GLenum cap)
{
    return capability(cap);
}

void glEnable(GLenum cap)
{
    if (glListRecord(GlListCall::outside, [=] { glEnable(cap); }) || glRefusedInsideBegin())
        return;
    setCapability(cap, true);
}

void glDisable(GLenum cap)
{
    if (glListRecord(GlListCall::outside, [=] { glDisable(cap); }) || glRefusedInsideBegin())
        return;
    setCapability(cap, false);
}


void glBlendFunc(GLenum source, GLenum destination)
{
    if (glListRecord(GlListCall::outside, [=] { glBlendFunc(source, destination); }) || glRefusedInsideBegin())
        return;
    if (!validBlendFactor(source) || !validBlendFactor(destination)) {
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
    if (glListRecord(GlListCall::outside, [=] { glDepthFunc(func); }) || glRefusedInsideBegin())
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
    if (glListRecord(GlListCall::outside, [=] { glCullFace(mode); }) || glRefusedInsideBegin())
        return;
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
    if (glListRecord(GlListCall::outside, [=] { glFrontFace(mode); }) || glRefusedInsideBegin())
        return;
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
    if (glListRecord(GlListCall::outside, [=] { glShadeModel(mode); }) || glRefusedInsideBegin())
        return;
    if (mode != GL_FLAT && mode != GL_SMOOTH) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    // Colours are settled per vertex as they are assembled, so the batch goes on; Mesa's next draw starts here.
    if (mode != glState.shadeModel)
        glImmediateFlush();
    glState.shadeModel = mode;
}

// Hints allow any behaviour; WebGL interpolates in perspective and has no smooth points.
void glHint(GLenum target, GLenum mode)
{
    if (glListRecord(GlListCall::outside, [=] { glHint(target, mode); }) || glRefusedInsideBegin())
        return;
    GLenum* hint = nullptr;
    switch (target) {
    case GL_PERSPECTIVE_CORRECTION_HINT: hint = &glState.hints[0]; break;
    case GL_POINT_SMOOTH_HINT: hint = &glState.hints[1]; break;
    case GL_LINE_SMOOTH_HINT: hint = &glState.hints[2]; break;
    case GL_POLYGON_SMOOTH_HINT: hint = &glState.hints[3]; break;
    case GL_FOG_HINT: hint = &glState.hints[4]; break;
    default: break;
    }
    if (!hint || (mode != GL_FASTEST && mode != GL_NICEST && mode != GL_DONT_CARE)) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    *hint = mode;
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height)
{
    if (glListRecord(GlListCall::outside, [=] { glViewport(x, y, width, height); }) || glRefusedInsideBegin())
        return;
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
    if (glListRecord(GlListCall::outside, [=] { glClearColor(r, g, b, a); }) || glRefusedInsideBegin())
        return;
    auto c = [](float v) { return v < 0 ? 0.0f : v > 1 ? 1.0f : v; };
    glState.clearColor[0] = c(r);
    glState.clearColor[1] = c(g);
    glState.clearColor[2] = c(b);
    glState.clearColor[3] = c(a);
}

void glClearDepth(GLclampd depth)
{
    if (glListRecord(GlListCall::outside, [=] { glClearDepth(depth); }) || glRefusedInsideBegin())
        return;
    glState.clearDepth = static_cast<float>(depth < 0 ? 0 : depth > 1 ? 1 : depth);
}

void glClear(GLbitfield mask)
{
    if (glListRecord(GlListCall::outside, [=] { glClear(mask); }) || glRefusedInsideBegin())
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
    if (glRefusedInsideBegin())
        return;
    glBatchFlush();
}

void glFinish()
{
    if (glRefusedInsideBegin())
        return;
    glBatchFlush();
    if (glState.ready)
        gles.Finish();
}

GLenum glGetError()
{
    if (glRefusedInsideBegin())
        return GL_NO_ERROR;
    const GLenum own = glState.error;
    glState.error = GL_NO_ERROR;
    if (own != GL_NO_ERROR)
        return own;
    return glState.ready ? gles.GetError() : GL_NO_ERROR;
}

void glReadPixels(GLint x, GLint y, GLsizei width, GLsizei height, GLenum format, GLenum type, GLvoid* pixels)
{
    if (glRefusedInsideBegin() || !glState.ready)
        return;
    glBatchFlush();
    gles.ReadPixels(x, y, width, height, format, type, pixels);
}

void glPolygonOffset(GLfloat factor, GLfloat units)
{
    if (glListRecord(GlListCall::outside, [=] { glPolygonOffset(factor, units); }) || glRefusedInsideBegin())
        return;
    if (factor == glState.offsetFactor && units == glState.offsetUnits)
        return;
    glBatchFlush();
    glState.offsetFactor = factor;
    glState.offsetUnits = units;
}
