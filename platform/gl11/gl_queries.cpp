// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's state queries: glGetBooleanv, glGetIntegerv, glGetFloatv, glGetDoublev and
// glIsEnabled, answered from the layer's own state (never from GLES's, which may lag behind the batch), every
// value of multi-value state, and converted between types as GL converts them. Queries of state the layer does
// not keep are refused with GL_INVALID_ENUM; a few limits of the context come from GLES.
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

#include <cmath>

namespace {

enum class Kind { integer, real, unit, boolean };   // unit: a colour-like value GL maps to the full int range

struct Answer {
    double v[16];
    int count = 0;
    Kind kind = Kind::integer;
};

void put(Answer& a, Kind kind, std::initializer_list<double> values)
{
    a.kind = kind;
    a.count = 0;
    for (double v : values)
        a.v[a.count++] = v;
}

bool rasterQuery(GLenum pname, Answer& a);

bool answer(GLenum pname, Answer& a)
{
    const GlState& g = glState;
    if (bool* flag = glCapability(pname)) {
        put(a, Kind::boolean, {*flag ? 1.0 : 0.0});
        return true;
    }
    bool known = false;
    const bool array = glClientArrayEnabled(pname, &known);
    if (known) {
        put(a, Kind::boolean, {array ? 1.0 : 0.0});
        return true;
    }
    GLint field = 0;
    if (glClientArrayQuery(pname, &field)) {
        put(a, Kind::integer, {static_cast<double>(field)});
        return true;
    }
    switch (pname) {
    case GL_MODELVIEW_MATRIX:
    case GL_PROJECTION_MATRIX:
    case GL_TEXTURE_MATRIX: {
        float m[16];
        glMatrixRead(pname, m);
        a.kind = Kind::real;
        a.count = 16;
        for (int i = 0; i < 16; ++i)
            a.v[i] = m[i];
        return true;
    }
    case GL_CURRENT_COLOR: put(a, Kind::unit, {g.color[0], g.color[1], g.color[2], g.color[3]}); return true;
    case GL_CURRENT_TEXTURE_COORDS:
        put(a, Kind::real, {g.texCoord[0], g.texCoord[1], g.texCoord[2], g.texCoord[3]});
        return true;
    case GL_CURRENT_NORMAL: put(a, Kind::unit, {g.normal[0], g.normal[1], g.normal[2]}); return true;
    case GL_COLOR_CLEAR_VALUE:
        put(a, Kind::unit, {g.clearColor[0], g.clearColor[1], g.clearColor[2], g.clearColor[3]});
        return true;
    case GL_DEPTH_CLEAR_VALUE: put(a, Kind::unit, {g.clearDepth}); return true;
    case GL_DEPTH_RANGE: put(a, Kind::unit, {0, 1}); return true;
    case GL_COLOR_WRITEMASK: put(a, Kind::boolean, {1, 1, 1, 1}); return true;
    case GL_DEPTH_WRITEMASK: put(a, Kind::boolean, {1}); return true;
    case GL_VIEWPORT:
        put(a, Kind::integer, {static_cast<double>(g.viewport[0]), static_cast<double>(g.viewport[1]),
                               static_cast<double>(g.viewport[2]), static_cast<double>(g.viewport[3])});
        return true;
    case GL_SCISSOR_BOX:
        put(a, Kind::integer, {0, 0, static_cast<double>(g.windowWidth), static_cast<double>(g.windowHeight)});
        return true;
    case GL_MATRIX_MODE: put(a, Kind::integer, {static_cast<double>(glMatrixModeNow())}); return true;
    case GL_MODELVIEW_STACK_DEPTH:
    case GL_PROJECTION_STACK_DEPTH:
    case GL_TEXTURE_STACK_DEPTH: put(a, Kind::integer, {static_cast<double>(glMatrixDepth(pname))}); return true;
    case GL_MAX_MODELVIEW_STACK_DEPTH:
    case GL_MAX_PROJECTION_STACK_DEPTH: put(a, Kind::integer, {32}); return true;
    case GL_MAX_TEXTURE_STACK_DEPTH: put(a, Kind::integer, {10}); return true;
    case GL_MAX_LIST_NESTING: put(a, Kind::integer, {64}); return true;
    case GL_LIST_BASE: put(a, Kind::integer, {static_cast<double>(glListBaseNow())}); return true;
    case GL_LIST_INDEX: put(a, Kind::integer, {static_cast<double>(glListCompilingName())}); return true;
    case GL_LIST_MODE: put(a, Kind::integer, {static_cast<double>(glListCompilingMode())}); return true;
    case GL_TEXTURE_BINDING_2D: put(a, Kind::integer, {static_cast<double>(g.boundTexture)}); return true;
    case GL_SHADE_MODEL: put(a, Kind::integer, {static_cast<double>(g.shadeModel)}); return true;
    case GL_BLEND_SRC: put(a, Kind::integer, {static_cast<double>(g.blendSrc)}); return true;
    case GL_BLEND_DST: put(a, Kind::integer, {static_cast<double>(g.blendDst)}); return true;
    case GL_DEPTH_FUNC: put(a, Kind::integer, {static_cast<double>(g.depthFunc)}); return true;
    case GL_CULL_FACE_MODE: put(a, Kind::integer, {static_cast<double>(g.cullMode)}); return true;
    case GL_FRONT_FACE: put(a, Kind::integer, {static_cast<double>(g.frontFace)}); return true;
    case GL_POLYGON_OFFSET_FACTOR: put(a, Kind::real, {g.offsetFactor}); return true;
    case GL_POLYGON_OFFSET_UNITS: put(a, Kind::real, {g.offsetUnits}); return true;
    case GL_UNPACK_ALIGNMENT: put(a, Kind::integer, {static_cast<double>(g.unpackAlignment)}); return true;
    case GL_PACK_ALIGNMENT: put(a, Kind::integer, {static_cast<double>(g.packAlignment)}); return true;
    case GL_UNPACK_ROW_LENGTH: put(a, Kind::integer, {static_cast<double>(g.unpackRowLength)}); return true;
    case GL_UNPACK_SKIP_ROWS: put(a, Kind::integer, {static_cast<double>(g.unpackSkipRows)}); return true;
    case GL_UNPACK_SKIP_PIXELS: put(a, Kind::integer, {static_cast<double>(g.unpackSkipPixels)}); return true;
    case GL_PERSPECTIVE_CORRECTION_HINT: put(a, Kind::integer, {static_cast<double>(g.hints[0])}); return true;
    case GL_POINT_SMOOTH_HINT: put(a, Kind::integer, {static_cast<double>(g.hints[1])}); return true;
    case GL_LINE_SMOOTH_HINT: put(a, Kind::integer, {static_cast<double>(g.hints[2])}); return true;
    case GL_POLYGON_SMOOTH_HINT: put(a, Kind::integer, {static_cast<double>(g.hints[3])}); return true;
    case GL_FOG_HINT: put(a, Kind::integer, {static_cast<double>(g.hints[4])}); return true;
    // The fixed parts of the state: GL's defaults, which the layer has no calls to change.
    case GL_ALPHA_TEST_FUNC: put(a, Kind::integer, {GL_ALWAYS}); return true;
    case GL_ALPHA_TEST_REF: put(a, Kind::unit, {0}); return true;
    case GL_FOG_MODE: put(a, Kind::integer, {GL_EXP}); return true;
    case GL_FOG_DENSITY: put(a, Kind::real, {1}); return true;
    case GL_FOG_START: put(a, Kind::real, {0}); return true;
    case GL_FOG_END: put(a, Kind::real, {1}); return true;
    case GL_FOG_COLOR: put(a, Kind::unit, {0, 0, 0, 0}); return true;
    case GL_LIGHT_MODEL_AMBIENT: put(a, Kind::unit, {0.2, 0.2, 0.2, 1}); return true;
    case GL_COLOR_MATERIAL_FACE: put(a, Kind::integer, {GL_FRONT_AND_BACK}); return true;
    case GL_COLOR_MATERIAL_PARAMETER: put(a, Kind::integer, {GL_AMBIENT_AND_DIFFUSE}); return true;
    case GL_POINT_SIZE: put(a, Kind::real, {1}); return true;
    case GL_LINE_WIDTH: put(a, Kind::real, {1}); return true;
    default: return rasterQuery(pname, a);
    }
}

// The context's limits and buffer sizes, as GLES has them.
bool contextQuery(GLenum pname, Answer& a)
{
    switch (pname) {
    case GL_MAX_TEXTURE_SIZE:
    case GL_SUBPIXEL_BITS:
    case GL_RED_BITS:
    case GL_GREEN_BITS:
    case GL_BLUE_BITS:
    case GL_ALPHA_BITS:
    case GL_DEPTH_BITS:
    case GL_STENCIL_BITS:
    case GL_MAX_VIEWPORT_DIMS: {
        GLint v[4] = {};
        if (glState.ready)
            gles.GetIntegerv(pname, v);
        put(a, Kind::integer, {static_cast<double>(v[0]), static_cast<double>(v[1])});
        if (pname != GL_MAX_VIEWPORT_DIMS)
            a.count = 1;
        return true;
    }
    default: return false;
    }
}

bool rasterQuery(GLenum pname, Answer& a)
{
    float raster[4];
    bool valid = false;
    glRasterRead(raster, &valid);
    switch (pname) {
    case GL_CURRENT_RASTER_POSITION: put(a, Kind::real, {raster[0], raster[1], raster[2], raster[3]}); return true;
    case GL_CURRENT_RASTER_POSITION_VALID: put(a, Kind::boolean, {valid ? 1.0 : 0.0}); return true;
    default: return contextQuery(pname, a);
    }
}

// Looks the value up with GL's refusals: inside glBegin/glEnd and for an unknown name.
bool lookUp(GLenum pname, Answer& a)
{
    if (glRefusedInsideBegin())
        return false;
    if (!answer(pname, a)) {
        glStateError(GL_INVALID_ENUM);
        return false;
    }
    return true;
}

GLint toInteger(const Answer& a, int i)
{
    const double v = a.v[i];
    if (a.kind == Kind::unit) {
        const double scaled = v * 2147483647.0;
        return scaled >= 2147483647.0 ? 2147483647 : scaled <= -2147483648.0 ? -2147483647 - 1
                                                                              : static_cast<GLint>(scaled);
    }
    const double rounded = v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5);
    return rounded >= 2147483647.0 ? 2147483647 : rounded <= -2147483648.0 ? -2147483647 - 1
                                                                           : static_cast<GLint>(rounded);
}

}  // namespace

GLboolean glIsEnabled(GLenum cap)
{
    if (glRefusedInsideBegin())
        return GL_FALSE;
    if (const bool* flag = glCapability(cap))
        return *flag ? GL_TRUE : GL_FALSE;
    bool known = false;
    const bool array = glClientArrayEnabled(cap, &known);
    if (!known)
        glStateError(GL_INVALID_ENUM);
    return array ? GL_TRUE : GL_FALSE;
}

void glGetBooleanv(GLenum pname, GLboolean* out)
{
    Answer a;
    if (lookUp(pname, a))
        for (int i = 0; i < a.count; ++i)
            out[i] = a.v[i] != 0 ? GL_TRUE : GL_FALSE;
}

void glGetIntegerv(GLenum pname, GLint* out)
{
    Answer a;
    if (lookUp(pname, a))
        for (int i = 0; i < a.count; ++i)
            out[i] = toInteger(a, i);
}

void glGetFloatv(GLenum pname, GLfloat* out)
{
    Answer a;
    if (lookUp(pname, a))
        for (int i = 0; i < a.count; ++i)
            out[i] = static_cast<float>(a.v[i]);
}

void glGetDoublev(GLenum pname, GLdouble* out)
{
    Answer a;
    if (lookUp(pname, a))
        for (int i = 0; i < a.count; ++i)
            out[i] = a.v[i];
}
