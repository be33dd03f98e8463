// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's drawing core over GLES: one shader (colour times texel, then fog), one vertex buffer that
// collects every primitive as clip-space triangles, lines or points, drawn with one upload and one draw call
// when the state changes, the buffer fills, or the frame ends. Implements gl11_context.h.
#include "platform/gl11/gl11_context.h"
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

#include <cstddef>
#include <cstdio>

GlState glState;

void glStateError(GLenum error)
{
    if (glState.error == GL_NO_ERROR)
        glState.error = error;
}

namespace {

const int capacity = 49152;   // a multiple of 6 and of 2: whole quads and lines
GlVertex vertices[capacity];
int used = 0;
GlPrimitive batchPrimitive = GlPrimitive::triangles;
bool batchConstant = false;   // the batch's fragments take batchColour rather than the vertices' colours
float batchColour[4];
bool batchUnlisted = false;   // it holds triangles Mesa would not hand llvmpipe as a list (see drawBatch)
GLuint vertexBuffer = 0;

// The state GLES holds now, so a flush only sends what changed.
struct DrawState {
    bool pixels;   // a pixel rectangle (its own program) rather than the batch
    unsigned texture;
    float wrap[4];   // see glTextureWrapEmulation
    bool linear;
    bool blend, depthTest, cullFace, fog, polygonOffset;
    GLenum blendSrc, blendDst, depthFunc, cullMode, frontFace;
    float offsetFactor, offsetUnits;
    int viewport[4];
};
DrawState applied;
bool appliedValid = false;

struct Program {
    GLuint id = 0;
    GLint fog = -1, rasterCoord = -1, wrap = -1, linear = -1, constant = -1, colour = -1;
};
Program batchProgram, pixelProgram;
bool programFog[2] = {false, false};   // what each program's u_fog holds
bool programConstant = false;           // what the batch program's u_constant holds

const char* vertexSource =
    "attribute vec4 a_position;\n"
    "attribute vec3 a_texCoord;\n"
    "attribute vec4 a_color;\n"
    "attribute float a_fog;\n"
    "varying vec3 v_texCoord;\n"
    "varying vec4 v_color;\n"
    "varying float v_fog;\n"
    "void main() {\n"
    "    gl_Position = a_position;\n"
    "    gl_PointSize = 1.0;\n"
    "    v_texCoord = a_texCoord;\n"
    "    v_color = a_color;\n"
    "    v_fog = a_fog;\n"
    "}\n";

const char* fragmentHead =
    // Samplers default to lowp, and Mesa then returns texels as half floats: a level darker at ties once
    // modulated, which the show's trails add up frame after frame.
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "precision highp sampler2D;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D u_texture;\n"
    "uniform float u_fog;\n"
    "varying vec3 v_texCoord;\n"
    "varying vec4 v_color;\n"
    "varying float v_fog;\n"
    // GL's default fog: GL_EXP of density 1 towards black, on the eye distance the vertices carry.
    "vec4 fogged(vec4 c) {\n"
    "    return u_fog > 0.5 ? vec4(c.rgb * clamp(exp(-v_fog), 0.0, 1.0), c.a) : c;\n"
    "}\n";

// The texture environment's default, GL_MODULATE, with the texture coordinate's q; a disabled texture is a
// white one. Where GLES 2 cannot repeat a texture that is not a power of two, the shader wraps and filters it
// itself from its texels (u_wrap: the axes it repeats, then the texture's size).
const char* fragmentBody =
    "uniform vec4 u_wrap;\n"
    "uniform float u_linear;\n"
    "uniform float u_constant;\n"
    "uniform vec4 u_colour;\n"
    "vec2 wrapped(vec2 i) {\n"
    "    return mix(clamp(i, vec2(0.0), u_wrap.zw - 1.0), mod(i, u_wrap.zw), u_wrap.xy);\n"
    "}\n"
    "vec4 at(vec2 i) {\n"
    "    return texture2D(u_texture, (wrapped(i) + 0.5) / u_wrap.zw);\n"
    "}\n"
    "vec4 texel() {\n"
    "    if (u_wrap.x + u_wrap.y < 0.5)\n"
    "        return texture2DProj(u_texture, v_texCoord);\n"
    "    vec2 st = v_texCoord.xy / v_texCoord.z;\n"
    "    if (u_linear < 0.5)\n"
    "        return at(floor(st * u_wrap.zw));\n"
    "    vec2 u = st * u_wrap.zw - 0.5;\n"
    "    vec2 i = floor(u);\n"
    "    vec2 f = u - i;\n"
    "    return mix(mix(at(i), at(i + vec2(1.0, 0.0)), f.x), mix(at(i + vec2(0.0, 1.0)), at(i + 1.0), f.x), f.y);\n"
    "}\n"
    "void main() {\n"
    "    gl_FragColor = fogged((u_constant > 0.5 ? u_colour : v_color) * texel());\n"
    "}\n";

// A pixel rectangle: the pixels (unit 1) textured with the raster position's texture coordinate.
const char* pixelBody =
    "uniform sampler2D u_pixels;\n"
    "uniform vec3 u_rasterCoord;\n"
    "void main() {\n"
    "    gl_FragColor = fogged(texture2D(u_pixels, v_texCoord.xy) * texture2DProj(u_texture, u_rasterCoord));\n"
    "}\n";

GLuint compile(GLenum type, const char* head, const char* body)
{
    const GLuint shader = gles.CreateShader(type);
    const char* sources[2] = {head, body};
    gles.ShaderSource(shader, 2, sources, nullptr);
    gles.CompileShader(shader);
    GLint ok = 0;
    gles.GetShaderiv(shader, GLES_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        gles.GetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::printf("gl: shader not compiled: %s\n", log);
        return 0;
    }
    return shader;
}

bool buildProgram(Program& program, const char* body)
{
    const GLuint vs = compile(GLES_VERTEX_SHADER, "", vertexSource);
    const GLuint fs = compile(GLES_FRAGMENT_SHADER, fragmentHead, body);
    if (!vs || !fs)
        return false;
    const GLuint id = gles.CreateProgram();
    gles.AttachShader(id, vs);
    gles.AttachShader(id, fs);
    gles.BindAttribLocation(id, 0, "a_position");
    gles.BindAttribLocation(id, 1, "a_texCoord");
    gles.BindAttribLocation(id, 2, "a_color");
    gles.BindAttribLocation(id, 3, "a_fog");
    gles.LinkProgram(id);
    GLint ok = 0;
    gles.GetProgramiv(id, GLES_LINK_STATUS, &ok);
    if (!ok) {
        std::printf("gl: shader program not linked\n");
        return false;
    }
    gles.UseProgram(id);
    gles.Uniform1i(gles.GetUniformLocation(id, "u_texture"), 0);
    gles.Uniform1i(gles.GetUniformLocation(id, "u_pixels"), 1);
    program.id = id;
    program.fog = gles.GetUniformLocation(id, "u_fog");
    gles.Uniform1f(program.fog, 0);
    program.rasterCoord = gles.GetUniformLocation(id, "u_rasterCoord");
    program.wrap = gles.GetUniformLocation(id, "u_wrap");
    program.linear = gles.GetUniformLocation(id, "u_linear");
    program.constant = gles.GetUniformLocation(id, "u_constant");
    program.colour = gles.GetUniformLocation(id, "u_colour");
    if (program.constant >= 0)
        gles.Uniform1f(program.constant, 0);
    if (program.wrap >= 0)
        gles.Uniform4f(program.wrap, 0, 0, 1, 1);
    return true;
}

void setCap(GLenum cap, bool on)
{
    if (on)
        gles.Enable(cap);
    else
        gles.Disable(cap);
}

void apply(const DrawState& s)
{
    const bool all = !appliedValid;
    if (all || s.pixels != applied.pixels)
        gles.UseProgram(s.pixels ? pixelProgram.id : batchProgram.id);
    bool& fog = programFog[s.pixels ? 1 : 0];
    if (all || fog != s.fog) {
        gles.Uniform1f((s.pixels ? pixelProgram : batchProgram).fog, s.fog ? 1.0f : 0.0f);
        fog = s.fog;
    }
    if (!s.pixels && (all || applied.pixels || s.wrap[0] != applied.wrap[0] || s.wrap[1] != applied.wrap[1] ||
                      s.wrap[2] != applied.wrap[2] || s.wrap[3] != applied.wrap[3] || s.linear != applied.linear)) {
        gles.Uniform4f(batchProgram.wrap, s.wrap[0], s.wrap[1], s.wrap[2], s.wrap[3]);
        gles.Uniform1f(batchProgram.linear, s.linear ? 1.0f : 0.0f);
    }
    if (all || s.texture != applied.texture)
        gles.BindTexture(GL_TEXTURE_2D, s.texture);
    if (all || s.blend != applied.blend)
        setCap(GL_BLEND, s.blend);
    if (all || s.blendSrc != applied.blendSrc || s.blendDst != applied.blendDst)
        gles.BlendFunc(s.blendSrc, s.blendDst);
    if (all || s.depthTest != applied.depthTest)
        setCap(GL_DEPTH_TEST, s.depthTest);
    if (all || s.depthFunc != applied.depthFunc)
        gles.DepthFunc(s.depthFunc);
    if (all || s.cullFace != applied.cullFace)
        setCap(GL_CULL_FACE, s.cullFace);
    if (all || s.cullMode != applied.cullMode)
        gles.CullFace(s.cullMode);
    if (all || s.frontFace != applied.frontFace)
        gles.FrontFace(s.frontFace);
    if (all || s.polygonOffset != applied.polygonOffset)
        setCap(GL_POLYGON_OFFSET_FILL, s.polygonOffset);
    if (all || s.offsetFactor != applied.offsetFactor || s.offsetUnits != applied.offsetUnits)
        gles.PolygonOffset(s.offsetFactor, s.offsetUnits);
    if (all || s.viewport[0] != applied.viewport[0] || s.viewport[1] != applied.viewport[1] ||
        s.viewport[2] != applied.viewport[2] || s.viewport[3] != applied.viewport[3])
        gles.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    applied = s;
    appliedValid = true;
}

DrawState currentDrawState()
{
    DrawState s;
    s.pixels = false;
    s.texture = glTextureForDraw();
    s.linear = glTextureWrapEmulation(s.wrap);
    s.blend = glState.blend;
    s.blendSrc = glState.blendSrc;
    s.blendDst = glState.blendDst;
    s.depthTest = glState.depthTest;
    s.depthFunc = glState.depthFunc;
    s.cullFace = glState.cullFace;
    s.cullMode = glState.cullMode;
    s.frontFace = glState.frontFace;
    s.fog = glState.fog;
    s.polygonOffset = glState.polygonOffsetFill;
    s.offsetFactor = glState.offsetFactor;
    s.offsetUnits = glState.offsetUnits;
    for (int i = 0; i < 4; ++i)
        s.viewport[i] = glState.viewport[i];
    // An axis of no extent is drawn over a pixel on each side of it, its vertices in the middle (see primitive
    // assembly): GL's fragments of a point or line there fall on both sides.
    for (int i = 0; i < 2; ++i) {
        if (s.viewport[2 + i] == 0) {
            s.viewport[i] -= 1;
            s.viewport[2 + i] = 2;
        }
    }
    return s;
}

GLenum webglMode(GlPrimitive primitive)
{
    switch (primitive) {
    case GlPrimitive::lines: return GL_LINES;
    case GlPrimitive::points: return GL_POINTS;
    default: return GL_TRIANGLES;
    }
}

void draw(const GlVertex* data, int count, GlPrimitive primitive)
{
    gles.BufferSubData(GLES_ARRAY_BUFFER, 0, static_cast<std::ptrdiff_t>(count * sizeof(GlVertex)), data);
    gles.DrawArrays(webglMode(primitive), 0, count);
}

}  // namespace

// Draws what the batch holds, without what primitive assembly still holds back.
static void drawBatch();

GlVertex* glBatchReserve(GlPrimitive primitive, int count, const float* constantColour, bool fromList)
{
    if (!glState.ready || count > capacity)
        return nullptr;
    const bool constant = constantColour != nullptr;
    const bool sameColour = constant == batchConstant &&
                            (!constant || (constantColour[0] == batchColour[0] && constantColour[1] == batchColour[1] &&
                                           constantColour[2] == batchColour[2] && constantColour[3] == batchColour[3]));
    if (used > 0 && (primitive != batchPrimitive || used + count > capacity || !sameColour))
        drawBatch();
    batchPrimitive = primitive;
    batchConstant = constant;
    batchUnlisted = batchUnlisted || (primitive == GlPrimitive::triangles && !fromList);
    for (int i = 0; constant && i < 4; ++i)
        batchColour[i] = constantColour[i];
    GlVertex* at = &vertices[used];
    used += count;
    return at;
}

void glBatchFlush()
{
    glImmediateFlush();
    drawBatch();
}

static void drawBatch()
{
    if (used == 0 || !glState.ready)
        return;
    apply(currentDrawState());
    if (batchConstant)
        gles.Uniform4f(batchProgram.colour, batchColour[0], batchColour[1], batchColour[2], batchColour[3]);
    if (batchConstant != programConstant) {
        gles.Uniform1f(batchProgram.constant, batchConstant ? 1.0f : 0.0f);
        programConstant = batchConstant;
    }
    // llvmpipe takes a list of exactly 9 or 27 triangle vertices whose last triangle is flat in y for a shape of
    // its own and draws only that shape (a rectangle) or nothing, unless the fragments are flat-shaded. Mesa
    // hands it strips, fans, polygons and quads as such, and flat-shaded fragments, so those draw; the layer,
    // which sends every batch as a list and flat shading as a uniform colour, pads a batch holding any of them
    // with a triangle of no area that is not flat in y (its vertices on one vertical line). Smooth GL_TRIANGLES
    // alone are lost there as Mesa's own are.
    int count = used;
    if (batchPrimitive == GlPrimitive::triangles && batchUnlisted && (used == 9 || used == 27)) {
        for (int i = 0; i < 3; ++i) {
            vertices[used + i] = GlVertex{};
            vertices[used + i].y = 0.25f * static_cast<float>(i);
            vertices[used + i].w = 1;
        }
        count += 3;
    }
    draw(vertices, count, batchPrimitive);
    used = 0;
    batchUnlisted = false;
    glVerticesFlushed();
}

void glBatchDrawPixels(const GlVertex* data, int count, const float rasterCoord[3])
{
    if (!glState.ready || count > capacity)
        return;
    glBatchFlush();
    DrawState s = currentDrawState();
    s.pixels = true;
    s.cullFace = false;
    s.polygonOffset = false;
    // GL clips a pixel rectangle to the window only, not to the viewport.
    s.viewport[0] = s.viewport[1] = 0;
    s.viewport[2] = glState.windowWidth;
    s.viewport[3] = glState.windowHeight;
    apply(s);
    gles.Uniform3f(pixelProgram.rasterCoord, rasterCoord[0], rasterCoord[1], rasterCoord[2]);
    draw(data, count, GlPrimitive::triangles);
}

void glBatchTextureDisturbed()
{
    applied.texture = ~0u;
}

bool gl11ContextReady(int glesMajorVersion, int width, int height)
{
    if (!glesSeamLoad())
        return false;
    glState = GlState();
    glMatrixReset();
    glListsReset();
    used = 0;
    appliedValid = false;
    glState.glesVersion = glesMajorVersion;
    glState.windowWidth = width;
    glState.windowHeight = height;
    glState.viewport[2] = width;
    glState.viewport[3] = height;
    if (!buildProgram(pixelProgram, pixelBody) || !buildProgram(batchProgram, fragmentBody))
        return false;
    programFog[0] = programFog[1] = false;
    programConstant = batchConstant = false;
    gles.GenBuffers(1, &vertexBuffer);
    gles.BindBuffer(GLES_ARRAY_BUFFER, vertexBuffer);
    gles.BufferData(GLES_ARRAY_BUFFER, static_cast<std::ptrdiff_t>(sizeof vertices), nullptr,
                            GLES_STREAM_DRAW);
    const GLsizei stride = sizeof(GlVertex);
    gles.EnableVertexAttribArray(0);
    gles.EnableVertexAttribArray(1);
    gles.EnableVertexAttribArray(2);
    gles.EnableVertexAttribArray(3);
    gles.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(GlVertex, x)));
    gles.VertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(GlVertex, s)));
    gles.VertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(GlVertex, r)));
    gles.VertexAttribPointer(3, 1, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(offsetof(GlVertex, fog)));
    gles.ActiveTexture(GLES_TEXTURE0);
    if (!glTexturesInit())
        return false;
    // GL's initial pixel state; GLES starts with the same clear values and depth range.
    gles.PixelStorei(GL_UNPACK_ALIGNMENT, 1);   // the layer unpacks client pixels itself: tight rows
    gles.PixelStorei(GL_PACK_ALIGNMENT, 4);
    gles.ClearColor(0, 0, 0, 0);
    gles.ClearDepthf(1);
    glState.ready = true;
    apply(currentDrawState());
    return true;
}

void gl11FinishFrame()
{
    glBatchFlush();
}
