// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's shared state: the fixed-function state the program sets, the vertex format the
// batch collects (positions already in clip space, colours final), and the calls between the layer's files.
// Main thread only, one context.
//
// What the layer leaves out of GL 1.1, in one place (README.md's "In the browser" repeats it, and the
// differential fuzz target in tests/fuzz leaves exactly this out):
//   refused with GL_INVALID_ENUM: pixel types other than GL_UNSIGNED_BYTE; the GL_COLOR_INDEX, GL_STENCIL_INDEX
//     and GL_DEPTH_COMPONENT pixel formats; the GL_CLAMP wrap mode (GLES has no border to blend with);
//     glEnable of the stencil test, logic op, clip planes, stipples, polygon smoothing, texture generation and
//     evaluators; queries of state the layer does not keep;
//   refused with GL_INVALID_VALUE: texture borders; pack row length, skips, byte swapping and LSB-first other
//     than 0;
//   not provided at all (a program calling them does not link): glLight, glMaterial, glColorMaterial, glFog,
//     glAlphaFunc, glTexEnv, glScissor, glPolygonMode, glLineWidth, glPointSize, glTexImage1D and the like.
//     Their state keeps GL's defaults, which lighting (GL_LIGHT0 white from +z), GL_COLOR_MATERIAL, fog
//     (GL_EXP, density 1, black) and the alpha test (GL_ALWAYS) follow exactly;
//   accepted but not followed: GL_POINT_SMOOTH and GL_LINE_SMOOTH draw aliased; sized internal formats of
//     fewer than 8 bits a component are stored at 8 (GL allows more precision than asked).
#pragma once

#include <GL/gl.h>

#include <functional>
#include <vector>

struct GlVertex {
    float x, y, z, w;   // clip coordinates
    float s, t, q;      // texture coordinates after the texture matrix (r, which 2D textures ignore, dropped)
    float fog;          // the eye distance GL's fog takes
    float r, g, b, a;   // clamped to [0, 1], as floats: GL interpolates them so, 8-bit ones blend differently
};

enum class GlPrimitive { triangles, lines, points };

struct GlState {
    bool ready = false;
    int glesVersion = 0;   // 2 (WebGL 1) or 3 (WebGL 2)
    bool texture2d = false, blend = false, depthTest = false, cullFace = false, lighting = false;
    bool fog = false, alphaTest = false, colorMaterial = false, normalize = false, pointSmooth = false;
    bool lineSmooth = false, dither = true, scissorTest = false, light[8] = {};
    bool polygonOffsetFill = false, polygonOffsetLine = false, polygonOffsetPoint = false, texture1d = false;
    GLenum hints[5] = {GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE};
    float offsetFactor = 0, offsetUnits = 0;
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLenum depthFunc = GL_LESS, cullMode = GL_BACK, frontFace = GL_CCW, shadeModel = GL_SMOOTH;
    float clearColor[4] = {0, 0, 0, 0};
    float clearDepth = 1;
    int viewport[4] = {0, 0, 0, 0};
    int windowWidth = 0, windowHeight = 0;
    GLuint boundTexture = 0;
    float color[4] = {1, 1, 1, 1};
    float texCoord[4] = {0, 0, 0, 1};
    float normal[3] = {0, 0, 1};
    // The material's ambient and diffuse colours: GL's defaults until GL_COLOR_MATERIAL copies the current
    // colour into them, which they keep when it is disabled again.
    float materialAmbient[4] = {0.2f, 0.2f, 0.2f, 1}, materialDiffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    int unpackAlignment = 4, packAlignment = 4;
    int unpackRowLength = 0, unpackSkipRows = 0, unpackSkipPixels = 0;
    GLenum error = GL_NO_ERROR;
};

extern GlState glState;

// Records the first error since the last glGetError, as GL does.
void glStateError(GLenum error);
// The flag glEnable sets for a capability; null for one the layer refuses.
bool* glCapability(GLenum cap);

// ---- Batch (gl_batch.cpp). Every state change that affects drawing calls glBatchFlush first, so the vertices
// waiting in the batch always draw with the state they were given under.
// constantColour: the colour every vertex of the primitive has, when GL would give it to the fragments as one
// value rather than interpolate it (see glColourVaries); null when it is interpolated.
// `fromList`: triangles of a smooth-shaded GL_TRIANGLES primitive, which Mesa hands llvmpipe as a list.
GlVertex* glBatchReserve(GlPrimitive primitive, int count, const float* constantColour = nullptr,
                         bool fromList = false);
void glBatchFlush();
// Draws a pixel rectangle at once: its pixels on texture unit 1, textured with the raster position's texture
// coordinate, culling off, clipped to the window only.
void glBatchDrawPixels(const GlVertex* vertices, int count, const float rasterCoord[3]);

// Says WebGL's texture binding was changed outside the batch.
void glBatchTextureDisturbed();

// ---- Matrices (gl_matrix.cpp).
const float* glClipMatrix();   // projection * model-view
void glTransformToClip(float x, float y, float z, float w, float out[4]);
void glTransformToEye(float x, float y, float z, float w, float out[4]);
// The model-view matrix's inverse transpose (upper 3 x 3, column-major) that normals go through.
const float* glNormalMatrix();
// The texture matrix applied to (s, t, r, q); false when it is the identity (out is then left alone).
bool glTransformTexCoord(const float in[4], float out[4]);
int glMatrixDepth(GLenum stack);   // GL_MODELVIEW_STACK_DEPTH and the like

// ---- Textures (gl_textures.cpp).
bool glTexturesInit();
unsigned glTextureForDraw();   // the GLES texture a draw samples now (white when texturing is off)
// For the texture a draw samples now: where GLES 2 cannot repeat it (not a power of two), which axes the shader
// repeats itself (1 or 0) and the texture's size; all zero but the size otherwise. True for linear filtering.
bool glTextureWrapEmulation(float wrap[4]);

// Runs `call` with the unpack state of tightly packed rows (alignment 1, no row length or skips), then puts the
// program's back: how a list replays the pixels it copied when it was compiled.
void glWithTightUnpack(const std::function<void()>& call);

// ---- Pixel rectangles (gl_pixels.cpp). Client pixels of GL_UNSIGNED_BYTE in any GL 1.1 colour format, read
// with the unpack state (alignment, row length, skipped rows and pixels) into RGBA as GL's pixel transfer makes
// them: missing colours 0, missing alpha 1, luminance into red, green and blue. False, with the error
// recorded, for a format or type the layer refuses.
bool glUnpackRgba(GLenum format, GLenum type, int width, int height, const void* pixels,
                  std::vector<unsigned char>& rgba);
bool glPixelFormatKnown(GLenum format);
bool glPixelsInit();
void glRasterRead(float out[4], bool* valid);

// ---- Primitive assembly (gl_immediate.cpp): the vertex the current colour and texture coordinate make.
void glAssembleVertex(float x, float y, float z, float w);
// The vertex's colour as GL's lighting (the default lights and material, GL_COLOR_MATERIAL's default mode)
// makes it from the given colour and normal, or the colour itself with lighting off.
void glLightVertex(const float eye[4], const float* normal, const float* rgba, float out[4]);
// Under GL_COLOR_MATERIAL the material follows the current colour: on glEnable and on every glColor.
void glMaterialFollowColour();
// True, with GL_INVALID_OPERATION recorded, inside glBegin/glEnd, where a call that must refuse then asks.
bool glRefusedInsideBegin();
// Mesa hands the fragments the current colour as one exact value unless the vertices carry colours of their
// own: a glColor between glBegin and glEnd since its vertices were last flushed, a colour array, or lighting.
// Interpolated, even a constant colour comes out a few ulps off, which rounds the other way at ties.
bool glColourVaries();
// What Mesa flushes its collected vertices on (any state change, the matrices included): the colours given
// inside glBegin/glEnd stop counting then.
void glVerticesFlushed();
// Hands the batch what primitive assembly still holds back (quads waiting to be split as one draw).
void glImmediateFlush();
bool glClientArrayEnabled(GLenum array, bool* known);
// The state of the client arrays' pointers for queries: size, type and stride, in that order.
bool glClientArrayQuery(GLenum pname, GLint* out);

// ---- Display lists (gl_lists.cpp). A call GL compiles asks glListRecord first, giving itself with its
// arguments (and a copy of any client data); true means the call is only recorded now (GL_COMPILE) and must not
// run. Compiled between a compiled glBegin and glEnd, a call GL refuses there is recorded as the error instead.
enum class GlListCall { outside, inside, begin, end };   // allowed outside glBegin only, or inside too
bool glListRecord(GlListCall kind, std::function<void()> call);
bool glListCompiling();
// Compiles an error found while compiling (and raises it now under GL_COMPILE_AND_EXECUTE); true when a list
// is being compiled, so the call goes no further.
bool glListRecordError(GLenum error);
GLuint glListBaseNow();
GLuint glListCompilingName();
GLenum glListCompilingMode();
GLenum glMatrixModeNow();
void glMatrixRead(GLenum which, float* out);   // GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX, GL_TEXTURE_MATRIX
void glMatrixReset();
bool glInsideBegin();
void glListsReset();
