// The OpenGL 1.1 stand-in's drawing core over WebGL: one shader (colour times texel), one vertex buffer that
// collects every primitive as clip-space triangles, lines or points, drawn with one upload and one draw call
// when the state changes, the buffer fills, or the frame ends. Implements the web_gl.h seam.
#include "platform/web/gl_state.h"
#include "platform/web/gl_webgl.h"
#include "platform/web/web_gl.h"

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

// The state WebGL holds now, so a flush only sends what changed.
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
    const GLuint shader = emscripten_glCreateShader(type);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, WEBGL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[512] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::printf("gl: shader not compiled: %s\n", log);
        return 0;
    }
    return shader;
}

bool buildProgram()
{
    const GLuint vs = compile(WEBGL_VERTEX_SHADER, vertexSource);
    const GLuint fs = compile(WEBGL_FRAGMENT_SHADER, fragmentSource);
    if (!vs || !fs)
        return false;
    const GLuint program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, vs);
    emscripten_glAttachShader(program, fs);
    emscripten_glBindAttribLocation(program, 0, "a_position");
    emscripten_glBindAttribLocation(program, 1, "a_texCoord");
    emscripten_glBindAttribLocation(program, 2, "a_color");
    emscripten_glLinkProgram(program);
    GLint ok = 0;
    emscripten_glGetProgramiv(program, WEBGL_LINK_STATUS, &ok);
    if (!ok) {
        std::printf("gl: shader program not linked\n");
        return false;
    }
    emscripten_glUseProgram(program);
    emscripten_glUniform1i(emscripten_glGetUniformLocation(program, "u_texture"), 0);
    return true;
}

void setCap(GLenum cap, bool on)
{
    if (on)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
}

void apply(const DrawState& s)
{
    const bool all = !appliedValid;
    if (all || s.texture != applied.texture)
        emscripten_glBindTexture(GL_TEXTURE_2D, s.texture);
    if (all || s.blend != applied.blend)
        setCap(GL_BLEND, s.blend);
    if (all || s.blendSrc != applied.blendSrc || s.blendDst != applied.blendDst)
        emscripten_glBlendFunc(s.blendSrc, s.blendDst);
    if (all || s.depthTest != applied.depthTest)
        setCap(GL_DEPTH_TEST, s.depthTest);
    if (all || s.depthFunc != applied.depthFunc)
        emscripten_glDepthFunc(s.depthFunc);
    if (all || s.cullFace != applied.cullFace)
        setCap(GL_CULL_FACE, s.cullFace);
    if (all || s.cullMode != applied.cullMode)
        emscripten_glCullFace(s.cullMode);
    if (all || s.frontFace != applied.frontFace)
        emscripten_glFrontFace(s.frontFace);
    if (all || s.viewport[0] != applied.viewport[0] || s.viewport[1] != applied.viewport[1] ||
        s.viewport[2] != applied.viewport[2] || s.viewport[3] != applied.viewport[3])
        emscripten_glViewport(s.viewport[0], s.viewport[1], s.viewport[2], s.viewport[3]);
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
    emscripten_glBufferSubData(WEBGL_ARRAY_BUFFER, 0, static_cast<std::ptrdiff_t>(count * sizeof(GlVertex)), data);
    emscripten_glDrawArrays(webglMode(primitive), 0, count);
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

bool webGlContextReady(int webglMajorVersion, int width, int height)
{
    glState = GlState();
    glMatrixReset();
    glListsReset();
    used = 0;
    appliedValid = false;
    glState.webglVersion = webglMajorVersion;
    glState.windowWidth = width;
    glState.windowHeight = height;
    glState.viewport[2] = width;
    glState.viewport[3] = height;
    if (!buildProgram())
        return false;
    emscripten_glGenBuffers(1, &vertexBuffer);
    emscripten_glBindBuffer(WEBGL_ARRAY_BUFFER, vertexBuffer);
    emscripten_glBufferData(WEBGL_ARRAY_BUFFER, static_cast<std::ptrdiff_t>(sizeof vertices), nullptr,
                            WEBGL_STREAM_DRAW);
    const GLsizei stride = sizeof(GlVertex);
    emscripten_glEnableVertexAttribArray(0);
    emscripten_glEnableVertexAttribArray(1);
    emscripten_glEnableVertexAttribArray(2);
    emscripten_glVertexAttribPointer(0, 4, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(0));
    emscripten_glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<void*>(4 * sizeof(float)));
    emscripten_glVertexAttribPointer(2, 4, GL_UNSIGNED_BYTE, GL_TRUE, stride,
                                     reinterpret_cast<void*>(6 * sizeof(float)));
    emscripten_glActiveTexture(WEBGL_TEXTURE0);
    if (!glTexturesInit())
        return false;
    // GL's initial pixel state; WebGL starts with the same clear values and depth range.
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    emscripten_glPixelStorei(GL_PACK_ALIGNMENT, 4);
    emscripten_glClearColor(0, 0, 0, 0);
    emscripten_glClearDepthf(1);
    glState.ready = true;
    apply(currentDrawState());
    return true;
}

void webGlFinishFrame()
{
    glBatchFlush();
}
