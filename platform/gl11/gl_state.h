// The OpenGL 1.1 layer's shared state: the fixed-function state the program sets, the vertex format the
// batch collects (positions already in clip space, colours final), and the calls between the layer's files.
// Main thread only, one context.
#pragma once

#include <GL/gl.h>

struct GlVertex {
    float x, y, z, w;   // clip coordinates
    float s, t;
    float r, g, b, a;   // clamped to [0, 1], as floats: GL interpolates them so, 8-bit ones blend differently
};

enum class GlPrimitive { triangles, lines, points };

struct GlState {
    bool ready = false;
    int glesVersion = 0;   // 2 (WebGL 1) or 3 (WebGL 2)
    bool texture2d = false, blend = false, depthTest = false, cullFace = false, lighting = false;
    bool fog = false, alphaTest = false, colorMaterial = false, normalize = false, pointSmooth = false;
    bool lineSmooth = false, dither = true, scissorTest = false, light[8] = {};
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLenum depthFunc = GL_LESS, cullMode = GL_BACK, frontFace = GL_CCW, shadeModel = GL_SMOOTH;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1;
    int viewport[4] = {0, 0, 0, 0};
    int windowWidth = 0, windowHeight = 0;
    GLuint boundTexture = 0;
    float color[4] = {1, 1, 1, 1};
    float texCoord[2] = {0, 0};
    int unpackAlignment = 4, packAlignment = 4;
    GLenum error = GL_NO_ERROR;
};

extern GlState glState;

// Records the first error since the last glGetError, as GL does.
void glStateError(GLenum error);

// ---- Batch (gl_batch.cpp). Every state change that affects drawing calls glBatchFlush first, so the vertices
// waiting in the batch always draw with the state they were given under.
GlVertex* glBatchReserve(GlPrimitive primitive, int count);
void glBatchFlush();
// Draws vertices at once with the given texture and culling off, whatever the state says (pixel rectangles).
void glBatchDrawOverride(const GlVertex* vertices, int count, unsigned webglTexture);

// Says WebGL's texture binding was changed outside the batch.
void glBatchTextureDisturbed();

// ---- Matrices (gl_matrix.cpp).
const float* glClipMatrix();   // projection * model-view
void glTransformToClip(float x, float y, float z, float w, float out[4]);

// ---- Textures (gl_textures.cpp).
bool glTexturesInit();
unsigned glTextureForDraw();   // the WebGL texture a draw samples now (white when texturing is off)

// ---- Primitive assembly (gl_immediate.cpp): the vertex the current colour and texture coordinate make.
void glAssembleVertex(float x, float y, float z, float w);

// ---- Display lists (gl_lists.cpp). True when the call is only recorded now (GL_COMPILE) and must not run.
enum class GlListOp {
    begin, end, vertex, texCoord, color, translate, rotate, scale, pushMatrix, popMatrix, loadIdentity,
    matrixMode, multMatrix, loadMatrix, enable, disable, bindTexture, blendFunc, shadeModel, depthFunc,
    callList, callListWithBase, listBase, clear
};
bool glListCapture(GlListOp op, GLenum e = 0, float a = 0, float b = 0, float c = 0, float d = 0);
bool glListCaptureMatrix(GlListOp op, const float* m);
GLenum glMatrixModeNow();
void glMatrixRead(GLenum which, float* out);   // GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX
void glMatrixReset();
bool glInsideBegin();
void glListsReset();
