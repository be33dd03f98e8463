// The OpenGL 1.1 layer's drawing core over GLES: one shader (colour times texel), one vertex buffer that
// collects every primitive as clip-space triangles, lines or points, drawn with one upload and one draw call
// when the state changes, the buffer fills, or the frame ends. Implements gl11_context.h.
#include "platform/gl11/gl11_context.h"
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

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
GLuint vertexBuffer = 0;

// The state GLES holds now, so a flush only sends what changed.
struct DrawState {
    unsigned texture;
    bool blend, depthTest, cullFace;
    GLenum blendSrc, blendDst, depthFunc, cullMode, frontFace;
    int viewport[4];
};
DrawState applied;
bool appliedValid = false;

const char* vertexSource =
    "attribute vec4 a_position;\n"
    "attribute vec2 a_texCoord;\n"
    "attribute vec4 a_color;\n"
    "varying vec2 v_texCoord;\n"
    "varying vec4 v_color;\n"
    "void main() {\n"
    "    gl_Position = a_position;\n"
    "    gl_PointSize = 1.0;\n"
    "    v_texCoord = a_texCoord;\n"
    "    v_color = a_color;\n"
    "}\n";

// The texture environment's default, GL_MODULATE; a disabled texture is a white one.
const char* fragmentSource =
    "#ifdef GL_FRAGMENT_PRECISION_HIGH\n"
    "precision highp float;\n"
    "#else\n"
    "precision mediump float;\n"
    "#endif\n"
    "uniform sampler2D u_texture;\n"
    "varying vec2 v_texCoord;\n"
    "varying vec4 v_color;\n"
    "void main() {\n"
    "    gl_FragColor = v_color * texture2D(u_texture, v_texCoord);\n"
    "}\n";

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = gles.CreateShader(type);
    gles.ShaderSource(shader, 1, &source, nullptr);
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

bool buildProgram()
{
    const GLuint vs = compile(GLES_VERTEX_SHADER, vertexSource);
    const GLuint fs = compile(GLES_FRAGMENT_SHADER, fragmentSource);
    if (!vs || !fs)
        return false;
    const GLuint program = gles.CreateProgram();
    gles.AttachShader(program, vs);
    gles.AttachShader(program, fs);
    gles.BindAttribLocation(program, 0, "a_position");
    gles.BindAttribLocation(program, 1, "a_texCoord");
    gles.BindAttribLocation(program, 2, "a_color");
    gles.LinkProgram(program);
    GLint ok = 0;
    gles.GetProgramiv(program, GLES_LINK_STATUS, &ok);
    if (!ok) {
        std::printf("gl: shader program not linked\n");
        return false;
    }
    gles.UseProgram(program);
    gles.Uniform1i(gles.GetUniformLocation(program, "u_texture"), 0);
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
    if (all || s.viewport[0] != applied.viewport[0] || s.viewport[1] != applied.viewport[1] ||
        s.viewport[2] != applied.viewport[2] || s.viewport[3] != applied.viewport[3])
        gles.Viewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
    applied = s;
    appliedValid = true;
}

DrawState currentDrawState()
{
    DrawState s;
    s.texture = glTextureForDraw();
    s.blend = glState.blend;
    s.blendSrc = glState.blendSrc;
    s.blendDst = glState.blendDst;
    s.depthTest = glState.depthTest;
    s.depthFunc = glState.depthFunc;
    s.cullFace = glState.cullFace;
    s.cullMode = glState.cullMode;
    s.frontFace = glState.frontFace;
    for (int i = 0; i < 4; ++i)
        s.viewport[i] = glState.viewport[i];
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

GlVertex* glBatchReserve(GlPrimitive primitive, int count)
{
    if (!glState.ready || count > capacity)
        return nullptr;
    if (used > 0 && (primitive != batchPrimitive || used + count > capacity))
        glBatchFlush();
    batchPrimitive = primitive;
    GlVertex* at = &vertices[used];
    used += count;
    return at;
}

void glBatchFlush()
{
    if (used == 0 || !glState.ready)
        return;
    apply(currentDrawState());
    draw(vertices, used, batchPrimitive);
    used = 0;
}

void glBatchDrawOverride(const GlVertex* data, int count, unsigned webglTexture)
{
    if (!glState.ready || count > capacity)
        return;
    glBatchFlush();
    DrawState s = currentDrawState();
    s.texture = webglTexture;
    s.cullFace = false;
    apply(s);
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
    if (!buildProgram())
        return false;
    gles.GenBuffers(1, &vertexBuffer);
    gles.BindBuffer(GLES_ARRAY_BUFFER, vertexBuffer);
    gles.BufferData(GLES_ARRAY_BUFFER, static_cast<std::ptrdiff_t>(sizeof vertices), nullptr,
                            GLES_STREAM_DRAW);
    const GLsizei stride = sizeof(GlVertex);
    gles.EnableVertexAttribArray(0);
    gles.EnableVertexAttribArray(1);
    gles.EnableVertexAttribArray(2);
    gles.VertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    gles.VertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(4 * sizeof(float)));
    gles.VertexAttribPointer(2, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(6 * sizeof(float)));
    gles.ActiveTexture(GLES_TEXTURE0);
    if (!glTexturesInit())
        return false;
    // GL's initial pixel state; GLES starts with the same clear values and depth range.
    gles.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
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
