// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer against Mesa's own GL 1.1, call for call: each case runs the same calls on both sides of
// gl11_pair and compares the errors, the answers and the pictures.
#include "tests/gl11/gl11_pair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

const int size = 64;

struct Outcome {
    std::vector<double> log;   // errors and answers, in order
    std::vector<unsigned char> pixels;
};

// GL's initial state for what the cases change, on one side.
void reset(const Gl11Table& gl)
{
    while (gl.GetError() != GL_NO_ERROR) {
    }
    for (GLenum mode : {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW}) {
        gl.MatrixMode(mode);
        gl.LoadIdentity();
    }
    for (GLenum cap : {GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST, GL_LIGHTING, GL_LIGHT0, GL_COLOR_MATERIAL, GL_FOG,
                       GL_NORMALIZE, GL_CULL_FACE})
        gl.Disable(cap);
    for (GLenum array : {GL_VERTEX_ARRAY, GL_COLOR_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_NORMAL_ARRAY})
        gl.DisableClientState(array);
    gl.ShadeModel(GL_SMOOTH);
    gl.BlendFunc(GL_ONE, GL_ZERO);
    gl.Viewport(0, 0, size, size);
    gl.Color4f(1, 1, 1, 1);
    gl.TexCoord2f(0, 0);
    gl.Normal3f(0, 0, 1);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 4);
    gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    gl.PixelStorei(GL_UNPACK_SKIP_ROWS, 0);
    gl.PixelStorei(GL_UNPACK_SKIP_PIXELS, 0);
    gl.BindTexture(GL_TEXTURE_2D, 0);
    gl.ClearColor(0, 0, 0, 0);
    gl.ClearDepth(1);
    gl.Clear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    gl.RasterPos4f(0, 0, 0, 1);
}

// Runs the calls on both sides; `note` logs a value for comparison. The pictures must agree byte for byte, or
// within `levels` where a case says why.
void expectSame(const std::function<void(const Gl11Table&, std::vector<double>&)>& calls, int levels = 0)
{
    ASSERT_TRUE(gl11PairOpen(size, size));
    Outcome sides[2];
    for (GlSide side : {GlSide::mesa, GlSide::layer}) {
        const Gl11Table& gl = gl11PairUse(side);
        reset(gl);
        Outcome& o = sides[static_cast<int>(side)];
        calls(gl, o.log);
        o.log.push_back(gl.GetError());
        o.pixels = gl11PairRead(gl, size, size);
    }
    EXPECT_EQ(sides[0].log, sides[1].log) << "errors or answers differ (Mesa first)";
    int largest = 0;
    size_t differing = 0;
    for (size_t i = 0; i < sides[0].pixels.size(); ++i) {
        const int d = std::abs(sides[0].pixels[i] - sides[1].pixels[i]);
        largest = std::max(largest, d);
        differing += d > 0;
    }
    EXPECT_LE(largest, levels) << differing << " bytes differ, by up to " << largest << " levels\n"
                               << gl11PictureMap(sides[0].pixels, sides[1].pixels, size);
}

void quad(const Gl11Table& gl, float x0, float y0, float x1, float y1)
{
    gl.Begin(GL_QUADS);
    gl.TexCoord2f(0, 0);
    gl.Vertex2f(x0, y0);
    gl.TexCoord2f(1, 0);
    gl.Vertex2f(x1, y0);
    gl.TexCoord2f(1, 1);
    gl.Vertex2f(x1, y1);
    gl.TexCoord2f(0, 1);
    gl.Vertex2f(x0, y1);
    gl.End();
}

// Draws n corners, each with its own colour, as one primitive of `mode`: from client arrays or immediate.
void colouredCorners(const Gl11Table& gl, GLenum mode, const float (*corners)[2], const float (*colours)[3], int n,
                     bool arrays)
{
    if (arrays) {
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.VertexPointer(2, GL_FLOAT, 0, corners);
        gl.ColorPointer(3, GL_FLOAT, 0, colours);
        gl.DrawArrays(mode, 0, n);
        gl.DisableClientState(GL_COLOR_ARRAY);
        gl.DisableClientState(GL_VERTEX_ARRAY);
        return;
    }
    gl.Begin(mode);
    for (int k = 0; k < n; ++k) {
        gl.Color3f(colours[k][0], colours[k][1], colours[k][2]);
        gl.Vertex2f(corners[k][0], corners[k][1]);
    }
    gl.End();
}

std::vector<unsigned char> checker(int w, int h, int components)
{
    std::vector<unsigned char> p(static_cast<size_t>(w) * h * components);
    for (size_t i = 0; i < p.size(); ++i)
        p[i] = static_cast<unsigned char>((i * 53 + (i / components) * 17) & 255);
    return p;
}

}  // namespace

// Multi-value state through every query, including glGetBooleanv, which must write all four values.
TEST(Gl11AgainstMesa, QueriesAnswerEveryValueOfMultiValueState)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        gl.Viewport(3, 5, 40, 50);
        gl.ClearColor(0.25f, 0.5f, 0.75f, 1);
        gl.ClearDepth(0.5);
        gl.Color4f(0.1f, 0.2f, 0.3f, 0.4f);
        gl.Enable(GL_BLEND);   // not drawn yet: the answer must not wait for the batch
        for (GLenum pname : {GL_VIEWPORT, GL_COLOR_WRITEMASK, GL_DEPTH_RANGE, GL_COLOR_CLEAR_VALUE,
                             GL_MAX_VIEWPORT_DIMS, GL_DEPTH_CLEAR_VALUE, GL_CURRENT_COLOR, GL_BLEND}) {
            GLboolean b[16];
            GLint i[16];
            GLfloat f[16];
            GLdouble d[16];
            for (int k = 0; k < 16; ++k) {
                b[k] = 7;
                i[k] = -7;
                f[k] = -7;
                d[k] = -7;
            }
            gl.GetBooleanv(pname, b);
            gl.GetIntegerv(pname, i);
            gl.GetFloatv(pname, f);
            gl.GetDoublev(pname, d);
            for (int k = 0; k < 16; ++k) {
                log.push_back(b[k]);
                log.push_back(pname == GL_COLOR_CLEAR_VALUE || pname == GL_CURRENT_COLOR || pname == GL_DEPTH_RANGE ||
                                      pname == GL_DEPTH_CLEAR_VALUE
                                  ? i[k] / 65536
                                  : i[k]);
                log.push_back(static_cast<float>(f[k]));
                log.push_back(static_cast<float>(d[k]));
            }
        }
        gl.EnableClientState(GL_VERTEX_ARRAY);
        log.push_back(gl.IsEnabled(GL_VERTEX_ARRAY));
        gl.PolygonOffset(1, 2);
        gl.Enable(GL_POLYGON_OFFSET_FILL);
        log.push_back(gl.GetError());
        log.push_back(gl.IsEnabled(GL_POLYGON_OFFSET_FILL));
    });
}

// Bad sizes are refused before any pixel is touched: no write through an empty scratch buffer.
TEST(Gl11AgainstMesa, TexSubImageRefusesNegativeSizesInEveryFormat)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        const std::vector<unsigned char> pixels = checker(8, 8, 4);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 8, 8, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        for (GLenum format : {GL_BGRA_EXT, GL_BGR_EXT, GL_RGBA, GL_LUMINANCE}) {
            gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, -1, 4, format, GL_UNSIGNED_BYTE, pixels.data());
            log.push_back(gl.GetError());
            gl.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 4, -1, format, GL_UNSIGNED_BYTE, pixels.data());
            log.push_back(gl.GetError());
            gl.TexSubImage2D(GL_TEXTURE_2D, 0, 6, 6, 4, 4, format, GL_UNSIGNED_BYTE, pixels.data());
            log.push_back(gl.GetError());
        }
        gl.Enable(GL_TEXTURE_2D);
        quad(gl, -1, -1, 1, 1);
    });
}

// Long primitives, past the point where the vertex count folds, keep every triangle and quad whole.
TEST(Gl11AgainstMesa, LongPrimitivesKeepTheirShape)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.ShadeModel(GL_FLAT);
        for (GLenum mode : {GL_TRIANGLES, GL_QUADS, GL_QUAD_STRIP, GL_TRIANGLE_STRIP, GL_LINES}) {
            gl.Begin(mode);
            for (int i = 0; i < 101; ++i) {
                gl.Color3f((i % 7) / 7.0f, (i % 5) / 5.0f, (i % 3) / 3.0f);
                const float x = -1 + (i / 2) * 0.04f, y = (i % 2 ? 0.5f : -0.5f) * (mode == GL_QUADS ? (i % 4 < 2 ? 1 : -1) : 1);
                gl.Vertex2f(x, y + 0.1f * static_cast<float>(mode));
            }
            gl.End();
        }
    });
}

// A filter change draws what was given before it with the texture as it was; a bad filter is refused.
TEST(Gl11AgainstMesa, TextureParametersApplyFromTheNextPrimitiveAndRefuseBadValues)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        const std::vector<unsigned char> pixels = checker(4, 4, 4);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        gl.Enable(GL_TEXTURE_2D);
        quad(gl, -1, -1, 0, 1);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);   // incomplete now
        quad(gl, 0, -1, 1, 1);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, 0x1234);
        log.push_back(gl.GetError());
        GLint filter = 0;
        gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &filter);
        log.push_back(filter);
    });
}

// GL_COMPILE runs nothing; the list replays every call it holds, texture names beyond 2^24 included.
TEST(Gl11AgainstMesa, ListsCompileEveryCallAndReplayIt)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        const std::vector<unsigned char> pixels = checker(8, 8, 3);
        static const float vertices[] = {-1, -1, 0, -1, 0, 0};
        const GLuint name = 16777217;
        gl.NewList(1, GL_COMPILE);
        gl.ClearColor(0.2f, 0.4f, 0.6f, 1);
        gl.Clear(GL_COLOR_BUFFER_BIT);
        gl.BindTexture(GL_TEXTURE_2D, name);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        gl.Viewport(0, 0, 48, 48);
        gl.Enable(GL_TEXTURE_2D);
        gl.CullFace(GL_FRONT);
        quad(gl, 0, 0, 1, 1);
        gl.Disable(GL_TEXTURE_2D);
        gl.EnableClientState(GL_VERTEX_ARRAY);   // client state: runs at once
        gl.VertexPointer(2, GL_FLOAT, 0, vertices);
        gl.DrawArrays(GL_TRIANGLES, 0, 3);
        gl.RasterPos2f(-0.5f, 0.5f);
        gl.DrawPixels(8, 8, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        const GLuint none = 0;
        gl.CallLists(1, 0x1234, &none);   // a bad type is the list's error, raised when it runs
        gl.EndList();
        log.push_back(gl.GetError());
        GLfloat clear[4];
        gl.GetFloatv(GL_COLOR_CLEAR_VALUE, clear);
        log.push_back(clear[2]);
        log.push_back(gl.IsTexture(name));
        std::vector<unsigned char> before = gl11PairRead(gl, size, size);
        size_t lit = 0;
        for (unsigned char c : before)
            lit += c != 0;
        log.push_back(static_cast<double>(lit));   // nothing drawn while compiling
        gl.CallList(1);
        log.push_back(gl.GetError());
        GLint bound = 0;
        gl.GetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        log.push_back(bound);
    });
}

// Inside glBegin/glEnd only vertices and their attributes are taken; the rest is refused and changes nothing.
TEST(Gl11AgainstMesa, CallsInsideBeginEndAreRefused)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        gl.Begin(GL_TRIANGLES);
        gl.Color3f(1, 0, 0);
        gl.Vertex2f(-1, -1);
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_ZERO, GL_ZERO);
        gl.Translatef(0.5f, 0, 0);
        log.push_back(gl.GetError());   // itself refused: 0
        gl.Vertex2f(1, -1);
        gl.Vertex2f(0, 1);
        gl.End();
        log.push_back(gl.GetError());
        log.push_back(gl.IsEnabled(GL_BLEND));
        GLfloat m[16];
        gl.GetFloatv(GL_MODELVIEW_MATRIX, m);
        log.push_back(m[12]);
    });
}

// A quad clipped by the window, with four different colours: split as Mesa splits it.
TEST(Gl11AgainstMesa, ClippedQuadsSplitAsMesaSplitsThem)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.Begin(GL_QUADS);
        gl.Color3f(1, 0, 0);
        gl.Vertex2f(-1.6f, -1.2f);
        gl.Color3f(0, 1, 0);
        gl.Vertex2f(0.9f, -1.5f);
        gl.Color3f(0, 0, 1);
        gl.Vertex2f(1.4f, 1.1f);
        gl.Color3f(1, 1, 1);
        gl.Vertex2f(-0.7f, 0.6f);
        gl.End();
    });
}

// Pixel rectangles: outside the viewport, at a raster position of exactly .5, in single-channel
// formats, and read with row length and skips.
TEST(Gl11AgainstMesa, DrawPixelsAsMesaDrawsThem)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        const std::vector<unsigned char> pixels = checker(20, 20, 4);
        gl.Viewport(16, 16, 32, 32);
        gl.RasterPos2f(0.9f, 0.9f);   // near the viewport's corner: the rectangle runs past it
        gl.DrawPixels(12, 12, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        gl.Viewport(0, 0, size, size);
        gl.Ortho(0, size, 0, size, -1, 1);
        gl.RasterPos2f(2.5f, 3.5f);
        gl.DrawPixels(4, 4, GL_RED, GL_UNSIGNED_BYTE, pixels.data());
        gl.RasterPos2f(10.5f, 2.5f);
        gl.DrawPixels(4, 4, GL_GREEN, GL_UNSIGNED_BYTE, pixels.data());
        gl.RasterPos2f(20, 2);
        gl.DrawPixels(4, 4, GL_BLUE, GL_UNSIGNED_BYTE, pixels.data());
        gl.PixelStorei(GL_UNPACK_ROW_LENGTH, 20);
        gl.PixelStorei(GL_UNPACK_SKIP_ROWS, 3);
        gl.PixelStorei(GL_UNPACK_SKIP_PIXELS, 5);
        gl.RasterPos2f(30, 4);
        gl.DrawPixels(9, 7, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        log.push_back(gl.GetError());
        log.push_back(gl.GetError());
    });
}

// Textures: a full mipmap chain, alpha textures under modulate, storage in another format than the data, and
// GL_CLAMP refused by the layer rather than drawn as something else.
TEST(Gl11AgainstMesa, TexturesCompleteAndConvertAsGlDoes)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);   // tight rows of 3 bytes a texel
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
        for (int level = 0, s = 8; s >= 1; ++level, s /= 2) {
            const std::vector<unsigned char> p = checker(s, s, 3);
            gl.TexImage2D(GL_TEXTURE_2D, level, GL_RGBA, s, s, 0, GL_RGB, GL_UNSIGNED_BYTE, p.data());
        }
        gl.Enable(GL_TEXTURE_2D);
        quad(gl, -1, -1, -0.5f, -0.5f);   // minified: a lower level
        quad(gl, -0.5f, -1, 1, 0.5f);
        GLuint alpha = 0;
        gl.GenTextures(1, &alpha);
        gl.BindTexture(GL_TEXTURE_2D, alpha);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        const std::vector<unsigned char> a = checker(4, 4, 1);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, 4, 4, 0, GL_ALPHA, GL_UNSIGNED_BYTE, a.data());
        gl.Enable(GL_BLEND);
        gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        gl.Color4f(0.9f, 0.6f, 0.3f, 1);
        quad(gl, -1, 0.5f, 1, 1);
        log.push_back(gl.GetError());
        gl.DeleteTextures(1, &alpha);
    });
    ASSERT_TRUE(gl11PairOpen(size, size));
    const Gl11Table& layer = gl11PairUse(GlSide::layer);
    reset(layer);
    layer.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    EXPECT_EQ(layer.GetError(), static_cast<GLenum>(GL_INVALID_ENUM));
}

// Lighting with GL_LIGHT0 and normals, GL_COLOR_MATERIAL, fog, the texture matrix with q, and colour arrays of
// every integer type.
TEST(Gl11AgainstMesa, LightingFogTextureMatrixAndColourArrays)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.Enable(GL_LIGHTING);
        gl.Enable(GL_LIGHT0);
        gl.Rotatef(30, 0, 1, 0);
        gl.Begin(GL_TRIANGLES);
        gl.Normal3f(0, 0, 1);
        gl.Vertex2f(-1, -1);
        gl.Normal3f(0.6f, 0, 0.8f);
        gl.Vertex2f(-0.5f, -1);
        gl.Normal3f(-0.3f, 0.2f, 2);
        gl.Vertex2f(-1, -0.5f);
        gl.End();
        gl.Enable(GL_COLOR_MATERIAL);
        gl.Enable(GL_NORMALIZE);
        gl.Color4f(0.8f, 0.3f, 0.1f, 0.7f);
        gl.Begin(GL_TRIANGLES);
        gl.Normal3f(0, 0.5f, 1);
        gl.Vertex2f(0, -1);
        gl.Vertex2f(0.5f, -1);
        gl.Vertex2f(0, -0.5f);
        gl.End();
        gl.Disable(GL_LIGHTING);
        gl.LoadIdentity();
        gl.Enable(GL_FOG);
        gl.Color3f(1, 1, 1);
        gl.Begin(GL_TRIANGLES);
        gl.Vertex3f(0.5f, -1, 0);
        gl.Vertex3f(1, -1, -1);
        gl.Vertex3f(1, -0.5f, 0.5f);
        gl.End();
        gl.Disable(GL_FOG);
        const std::vector<unsigned char> p = checker(8, 8, 3);
        gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 8, 8, 0, GL_RGB, GL_UNSIGNED_BYTE, p.data());
        gl.Enable(GL_TEXTURE_2D);
        gl.MatrixMode(GL_TEXTURE);
        const float projective[16] = {1, 0, 0, 0.5f, 0, 1, 0, 0.25f, 0, 0, 1, 0, 0.1f, 0, 0, 1};
        gl.LoadMatrixf(projective);
        gl.MatrixMode(GL_MODELVIEW);
        quad(gl, -1, -0.4f, 0, 0.4f);
        gl.Disable(GL_TEXTURE_2D);
        static const float positions[] = {0, -0.4f, 0.3f, -0.4f, 0, 0};
        static const GLbyte bytes[] = {127, 0, 64, -128, 100, 20, 5, 127, 0, 90, 90, 90};
        static const GLushort words[] = {65535, 0, 30000, 65535, 1000, 65535, 40000, 20000, 0, 5000, 6000, 7000};
        static const GLint ints[] = {2147483647, 0, 1073741824, 0, 2147483647, 536870912, 0, 0, 2147483647, 1, 2, 3};
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.EnableClientState(GL_COLOR_ARRAY);
        gl.VertexPointer(2, GL_FLOAT, 0, positions);
        float dx = 0;
        for (auto set : {std::make_pair(GL_BYTE, static_cast<const void*>(bytes)),
                         std::make_pair(GL_UNSIGNED_SHORT, static_cast<const void*>(words)),
                         std::make_pair(GL_INT, static_cast<const void*>(ints))}) {
            gl.LoadIdentity();
            gl.Translatef(dx, 0.5f, 0);
            gl.ColorPointer(4, set.first, 0, set.second);
            gl.DrawArrays(GL_TRIANGLES, 0, 3);
            dx += 0.35f;
        }
    });
}

// On GLES 2 (WebGL 1) a texture that is not a power of two still repeats, stretched and filtered linearly: the
// shader filters such a texture itself, within a level of Mesa's texture unit.
TEST(Gl11AgainstMesa, NonPowerOfTwoTexturesRepeatOverGles2)
{
    ASSERT_TRUE(gl11PairOpen(size, size));
    ASSERT_TRUE(gl11PairLayerAs(2));
    for (GLenum filter : {GL_LINEAR, GL_NEAREST})
        expectSame([filter](const Gl11Table& gl, std::vector<double>&) {
            const std::vector<unsigned char> p = checker(5, 3, 4);
            gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
            gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
            gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
            gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 5, 3, 0, GL_RGBA, GL_UNSIGNED_BYTE, p.data());
            gl.Enable(GL_TEXTURE_2D);
            gl.Begin(GL_QUADS);
            gl.TexCoord2f(-1, -0.5f);
            gl.Vertex2f(-1, -1);
            gl.TexCoord2f(2, -0.5f);
            gl.Vertex2f(1, -1);
            gl.TexCoord2f(2, 1.5f);
            gl.Vertex2f(1, 1);
            gl.TexCoord2f(-1, 1.5f);
            gl.Vertex2f(-1, 1);
            gl.End();
        }, filter == GL_LINEAR ? 1 : 0);
    ASSERT_TRUE(gl11PairLayerAs(3));
}

// The layer alone (Mesa would try to allocate the range): huge list ranges cost no more than the lists in use,
// and a range no program could fill is refused as out of memory instead of allocated.
// Rounding exactly as Mesa rounds, pixel for pixel: a texel modulated at ties (a lowp sampler hands back half
// floats, a level darker), and a colour given outside glBegin on a rotated quad in perspective (Mesa takes it
// as one value; interpolated, it comes out a few ulps off). The show's trails add such levels up.
TEST(Gl11AgainstMesa, ModulatedTexelsRoundAsMesaRoundsThem)
{
    ASSERT_TRUE(gl11PairOpen(size, size));
    std::vector<unsigned char> texels(16 * 16 * 4);
    for (size_t i = 0; i < texels.size(); ++i)
        texels[i] = static_cast<unsigned char>(i / 4 + (i % 4) * 61);
    for (const float colour : {0.5f, 0.9f, 0.123f}) {
        for (const bool perspective : {false, true}) {
            std::vector<unsigned char> pictures[2];
            for (GlSide side : {GlSide::mesa, GlSide::layer}) {
                const Gl11Table& gl = gl11PairUse(side);
                reset(gl);
                GLuint t = 0;
                gl.GenTextures(1, &t);
                gl.BindTexture(GL_TEXTURE_2D, t);
                gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 16, 16, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels.data());
                gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
                gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, perspective ? GL_LINEAR : GL_NEAREST);
                gl.Enable(GL_TEXTURE_2D);
                gl.Enable(GL_BLEND);
                gl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
                if (perspective) {
                    gl.MatrixMode(GL_PROJECTION);
                    gl.Frustum(-0.4, 0.4, -0.4, 0.4, 1, 100);
                    gl.MatrixMode(GL_MODELVIEW);
                    gl.Translatef(0, 0, -3);
                    gl.Rotatef(37, 1, 1, 0);
                }
                gl.Color4f(colour, colour, colour, colour);
                quad(gl, -1, -1, 1, 1);
                gl.DeleteTextures(1, &t);
                pictures[static_cast<int>(side)] = gl11PairRead(gl, size, size);
            }
            size_t differing = 0;
            for (size_t i = 0; i < pictures[0].size(); ++i)
                differing += pictures[0][i] != pictures[1][i];
            EXPECT_EQ(differing, 0u) << "colour " << colour << (perspective ? ", in perspective" : "");
        }
    }
}

TEST(Gl11Layer, HugeListRangesAreBounded)
{
    ASSERT_TRUE(gl11PairOpen(size, size));
    ASSERT_TRUE(gl11PairLayerAs(3));   // afresh: no names earlier cases used
    const Gl11Table& gl = gl11PairUse(GlSide::layer);
    reset(gl);
    const GLuint first = gl.GenLists(3);
    ASSERT_NE(first, 0u);
    EXPECT_EQ(gl.GenLists(2), first + 3);   // the next free run
    gl.DeleteLists(first + 1, 1);
    EXPECT_EQ(gl.GenLists(1), first + 5);   // a deleted name does not come back at once
    gl.DeleteLists(first, 0x7fffffff);      // every name from first on
    EXPECT_FALSE(gl.IsList(first));
    EXPECT_FALSE(gl.IsList(first + 4));
    EXPECT_EQ(gl.GetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gl.GenLists(0x7fffffff), 0u);
    EXPECT_EQ(gl.GetError(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    EXPECT_NE(gl.GenLists(1), 0u);

    // At the top of the name space names are searched from 1, and the highest name ever used stays where it
    // was: the next range is searched for too, past a list in use, never handed out over it.
    gl.DeleteLists(1, 0x7fffffff);
    gl.NewList(5, GL_COMPILE);
    gl.EndList();
    gl.NewList(0xfffffffdu, GL_COMPILE);
    gl.EndList();
    EXPECT_EQ(gl.GenLists(3), 1u);
    EXPECT_EQ(gl.GenLists(2), 6u);
    gl.DeleteLists(1, 0x7fffffff);
    gl.DeleteLists(0xfffffffdu, 1);
}

// A batch that breaks in the middle of a primitive (here the line loop's first line follows a point) must not
// forget that the primitive's colours vary: the closing line runs from the last vertex's colour to the first's.
TEST(Gl11AgainstMesa, ColoursGivenInsideSurviveABatchBreak)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.Begin(GL_POINTS);
        gl.Color4f(1, 1, 1, 1);
        gl.Vertex2f(-0.5f, 0.5f);
        gl.End();
        gl.Begin(GL_LINE_LOOP);
        gl.Color4f(1, 1, 1, 1);
        gl.Vertex2f(0.9f, -0.1f);
        gl.Color4f(0.8f, 0.2f, 0.5f, 0.3f);
        gl.Vertex2f(-0.6f, -0.4f);
        gl.End();
    });
}

// GL_COLOR_MATERIAL copies the current colour into the material when enabled and on every glColor; the
// material keeps the last one when it is disabled again, lit or not by GL_LIGHT0.
TEST(Gl11AgainstMesa, ColourMaterialLeavesTheMaterialItSet)
{
    for (const bool light : {false, true}) {
        SCOPED_TRACE(light ? "GL_LIGHT0 on" : "ambient only");
        expectSame([&](const Gl11Table& gl, std::vector<double>&) {
            gl.Color4f(0.9f, 0.5f, 0.25f, 0.75f);
            gl.Enable(GL_COLOR_MATERIAL);
            gl.Color4f(0.3f, 0.8f, 0.6f, 1);
            gl.Disable(GL_COLOR_MATERIAL);
            gl.Color4f(0.1f, 0.1f, 0.1f, 1);
            gl.Enable(GL_LIGHTING);
            if (light)
                gl.Enable(GL_LIGHT0);
            gl.Normal3f(0.3f, 0.2f, 0.9f);
            quad(gl, -1, -1, 1, 1);
        });
    }
}

// A point lands in the pixel its window coordinates truncate to, also on whole coordinates, where a square
// around it has a pixel centre on its edge: pixel for pixel, in the full viewport and in an offset one.
TEST(Gl11AgainstMesa, PointsOnWholeCoordinatesLandWhereGlTruncates)
{
    ASSERT_TRUE(gl11PairOpen(size, size));
    for (const bool offset : {false, true}) {
        std::vector<unsigned char> pictures[2];
        for (GlSide side : {GlSide::mesa, GlSide::layer}) {
            const Gl11Table& gl = gl11PairUse(side);
            reset(gl);
            const int vx = offset ? 5 : 0, vy = offset ? 7 : 0, vw = offset ? 40 : size, vh = offset ? 30 : size;
            gl.Viewport(vx, vy, vw, vh);
            gl.Begin(GL_POINTS);
            int k = 0;
            for (const float wx : {0.0f, 1.0f, 13.0f, 20.5f, 26.24f, 39.0f, 63.0f, 63.9f})
                for (const float wy : {0.0f, 2.0f, 17.0f, 29.0f, 29.99f, 63.0f}) {
                    ++k;
                    gl.Color4f(static_cast<float>(k % 7) / 6, static_cast<float>(k % 5) / 4, 1, 1);
                    gl.Vertex2f((wx - static_cast<float>(vx)) * 2 / static_cast<float>(vw) - 1,
                                (wy - static_cast<float>(vy)) * 2 / static_cast<float>(vh) - 1);
                }
            gl.End();
            pictures[static_cast<int>(side)] = gl11PairRead(gl, size, size);
        }
        size_t differing = 0;
        for (size_t i = 0; i < pictures[0].size(); ++i)
            differing += pictures[0][i] != pictures[1][i];
        EXPECT_EQ(differing, 0u) << (offset ? "offset viewport" : "full viewport") << "\n"
                                 << gl11PictureMap(pictures[0], pictures[1], size);
    }
}

// Mesa splits every quad of a draw the same way, by whether any of them needs clipping: a folded quad (its
// corners 1 and 3 the same) covers a triangle split one way and nothing the other, so the split shows.
TEST(Gl11AgainstMesa, QuadsOfOneDrawSplitAlike)
{
    for (const bool together : {true, false}) {
        for (const bool arrays : {false, true}) {
            SCOPED_TRACE(::testing::Message() << (together ? "one primitive" : "two primitives")
                                              << (arrays ? ", from arrays" : ", immediate"));
            static const float corners[8][2] = {{-0.3f, 0.8f}, {-0.3f, -0.3f}, {0.8f, 0.8f}, {-0.3f, -0.3f},
                                                {-0.9f, -0.5f}, {-0.6f, -0.5f}, {-0.6f, -2.5f}, {-0.9f, -2.5f}};
            expectSame([&](const Gl11Table& gl, std::vector<double>&) {
                if (arrays) {
                    gl.EnableClientState(GL_VERTEX_ARRAY);
                    gl.VertexPointer(2, GL_FLOAT, 0, corners);
                    if (together) {
                        gl.DrawArrays(GL_QUADS, 0, 8);
                    } else {
                        gl.DrawArrays(GL_QUADS, 0, 4);
                        gl.DrawArrays(GL_QUADS, 4, 4);
                    }
                    gl.DisableClientState(GL_VERTEX_ARRAY);
                    return;
                }
                gl.Begin(GL_QUADS);
                for (int k = 0; k < 8; ++k) {
                    if (k == 4 && !together) {
                        gl.End();
                        gl.Begin(GL_QUADS);
                    }
                    gl.Vertex2f(corners[k][0], corners[k][1]);
                }
                gl.End();
            });
        }
    }
}

// A frustum multiplied into the modelview makes it projective: Mesa inverts it whole for the normals, which
// then differ from the inverse of its upper 3 x 3.
TEST(Gl11AgainstMesa, NormalsUnderAProjectiveModelview)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.Frustum(-1, 1, -1, 1, 1.22, 1.96);
        gl.Rotatef(-190.8f, 0.1f, 0.32f, 0.34f);
        gl.Enable(GL_LIGHTING);
        gl.Enable(GL_LIGHT0);
        gl.Begin(GL_TRIANGLES);
        gl.Normal3f(-0.02f, 1.94f, 0.6f);
        gl.Vertex4f(0.3f, 0.84f, 1.9f, 0.53f);
        gl.Normal3f(0.7f, -1.16f, 2.3f);
        gl.Vertex3f(-1.22f, -1.92f, -1.3f);
        gl.Vertex2f(-1.82f, 0.1f);
        gl.End();
        gl.LoadIdentity();
    });
}

// In flat shading a primitive is one colour, exactly, even squashed into a viewport one pixel high, where an
// interpolated colour drifts far from the one given.
TEST(Gl11AgainstMesa, FlatColoursStayExactOnSquashedPrimitives)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.ShadeModel(GL_FLAT);
        gl.Viewport(23, 3, 33, 1);
        gl.Begin(GL_TRIANGLE_STRIP);
        gl.Color4f(0.478431f, 0.894118f, 0.584314f, 0.933333f);
        gl.Vertex2f(-1.14f, -1.14f);
        gl.Vertex2f(1.46f, 1.46f);
        gl.Vertex4f(0.46f, 0.46f, 0.3f, 1.16667f);
        gl.End();
        gl.Viewport(0, 0, size, size);
        gl.ShadeModel(GL_SMOOTH);
    });
}

// A list compiled and executed reports a draw's errors in the order Mesa's list compiler checks them: the
// mode, then the count, then the index type; the list raises them again when it runs.
TEST(Gl11AgainstMesa, CompiledDrawErrorsComeInMesasOrder)
{
    static const float corners[8] = {0, 0, 1, 0, 1, 1, 0, 1};
    static const unsigned short order[3] = {0, 1, 2};
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        gl.EnableClientState(GL_VERTEX_ARRAY);
        gl.VertexPointer(2, GL_FLOAT, 0, corners);
        for (const GLenum mode : {GL_COMPILE_AND_EXECUTE, GL_COMPILE}) {
            gl.NewList(7, mode);
            gl.DrawArrays(0x1234, 0, -1);
            log.push_back(gl.GetError());
            gl.DrawArrays(GL_TRIANGLES, 0, -1);
            log.push_back(gl.GetError());
            gl.DrawElements(0x1234, -1, GL_UNSIGNED_SHORT, order);
            log.push_back(gl.GetError());
            gl.DrawElements(GL_TRIANGLES, -1, GL_UNSIGNED_SHORT, order);
            log.push_back(gl.GetError());
            gl.EndList();
            gl.CallList(7);
            for (int i = 0; i < 5; ++i)
                log.push_back(gl.GetError());
        }
        gl.DeleteLists(7, 1);
        gl.DisableClientState(GL_VERTEX_ARRAY);
    });
}

// New list and texture names come after the highest name ever used, as Mesa gives them (a program that tests a
// name with glIsList or glIsTexture sees what it would see there); near the top of the name space, the first
// free run from 1. Logged relative to the first name, since earlier cases have used names too.
TEST(Gl11AgainstMesa, NewNamesFollowTheHighestEverUsed)
{
    expectSame([](const Gl11Table& gl, std::vector<double>& log) {
        const GLuint first = gl.GenLists(1);
        gl.NewList(first + 7, GL_COMPILE);
        gl.EndList();
        log.push_back(gl.GenLists(2) - first);
        gl.DeleteLists(first, 20);
        const GLuint again = gl.GenLists(1);
        log.push_back(again - first);
        log.push_back(gl.IsList(first + 1));
        gl.DeleteLists(again, 1);

        GLuint t[2] = {};
        gl.GenTextures(2, t);
        log.push_back(t[1] - t[0]);
        gl.BindTexture(GL_TEXTURE_2D, t[0] + 5);
        gl.BindTexture(GL_TEXTURE_2D, 0);
        gl.DeleteTextures(2, t);
        GLuint u = 0;
        gl.GenTextures(1, &u);
        log.push_back(u - t[0]);
        log.push_back(gl.IsTexture(t[1]));
        const GLuint made = t[0] + 5;
        gl.DeleteTextures(1, &made);
        gl.DeleteTextures(1, &u);

        // No room above the highest name: the lowest free run, whatever earlier cases left.
        gl.NewList(0xfffffffdu, GL_COMPILE);
        gl.EndList();
        const GLuint low = gl.GenLists(3);
        log.push_back(low < 0xfffffffdu);
        log.push_back(gl.IsList(low) && gl.IsList(low + 2));
        gl.DeleteLists(low, 3);
        gl.DeleteLists(0xfffffffdu, 1);
        log.push_back(gl.GenLists(20) < 0xfffffffdu);
    });
}

// Called directly, list 0 is refused (GL_INVALID_VALUE, as Mesa answers it); called from a list it is a list
// that does not exist, and the list's next call gives the error GL then reads.
TEST(Gl11AgainstMesa, AListCallingListZeroDoesNothing)
{
    for (GLenum mode : {GL_COMPILE, GL_COMPILE_AND_EXECUTE})
        expectSame([mode](const Gl11Table& gl, std::vector<double>& log) {
            gl.NewList(4, mode);
            gl.CallList(0);
            gl.End();   // outside glBegin: GL_INVALID_OPERATION when the list runs
            log.push_back(gl.GetError());
            gl.EndList();
            log.push_back(gl.GetError());
            gl.CallList(4);
            log.push_back(gl.GetError());
            gl.DeleteLists(4, 1);
        });
}

// A point just outside the clip volume is dropped, even where its pixel square would reach into the window
// beyond an offset viewport's edge.
TEST(Gl11AgainstMesa, PointsOutsideTheClipVolumeAreDropped)
{
    expectSame([](const Gl11Table& gl, std::vector<double>&) {
        gl.Viewport(2, 12, 41, 39);
        gl.Begin(GL_POINTS);
        for (float v : {-1.05f, -1.02f, 1.02f, 1.05f}) {
            gl.Vertex2f(v, 0);
            gl.Vertex2f(0, v);
            gl.Vertex3f(0.5f, 0.5f, v);
        }
        gl.Vertex2f(0.5f, -0.5f);   // inside: drawn
        gl.End();
    });
}

// A folded quad strip quad: its two triangles overlap, so the one drawn second shows; inside the clip volume
// and with a corner outside it, immediate and from arrays.
TEST(Gl11AgainstMesa, FoldedQuadStripsOverlapAsMesaDrawsThem)
{
    for (const float far : {0.95f, 1.6f}) {
        for (const bool arrays : {false, true}) {
            SCOPED_TRACE(::testing::Message() << "corner at " << far << (arrays ? ", from arrays" : ", immediate"));
            const float corners[6][2] = {{0.68f, 0.68f}, {0.68f, -far}, {-0.02f, 0.54f}, {0.3f, 0.84f},
                                         {-0.8f, 0.1f}, {-0.5f, -0.9f}};
            const float colours[6][3] = {{1, 1, 1}, {1, 0.5f, 0}, {0.2f, 0.6f, 0.6f}, {0, 0, 1}, {1, 0, 1}, {0, 1, 0}};
            expectSame([&](const Gl11Table& gl, std::vector<double>&) {
                colouredCorners(gl, GL_QUAD_STRIP, corners, colours, 6, arrays);
            });
        }
    }
}

// Under flat shading Mesa splits every quad at the 1-3 diagonal, clipped or not: a quad with two equal
// corners leaves nothing, and a crossed quad covers other halves than under smooth shading.
TEST(Gl11AgainstMesa, FlatQuadsSplitAtTheirSecondDiagonal)
{
    const float corners[8][2] = {{0.86f, 0.17f}, {0.27f, 0.14f}, {0.92f, 0.67f}, {0.27f, 0.14f},
                                 {0.92f, -0.26f}, {0.18f, 0.88f}, {-0.48f, -0.48f}, {0.46f, 0.46f}};
    const float colours[8][3] = {{1, 1, 1}, {1, 0.5f, 0}, {0.2f, 0.6f, 0.6f}, {0, 0, 1},
                                 {1, 0, 1}, {0, 1, 0}, {0.5f, 0.5f, 1}, {1, 1, 0}};
    for (const int way : {0, 1, 2}) {
        SCOPED_TRACE(way == 0 ? "immediate" : way == 1 ? "from arrays" : "from a list");
        expectSame([&](const Gl11Table& gl, std::vector<double>&) {
            gl.ShadeModel(GL_FLAT);
            if (way == 2)
                gl.NewList(1, GL_COMPILE);
            colouredCorners(gl, GL_QUADS, corners, colours, 8, way == 1);
            if (way == 2) {
                gl.EndList();
                gl.CallList(1);
                gl.DeleteLists(1, 1);
            }
            gl.ShadeModel(GL_SMOOTH);
        });
    }
}

// Two lists Mesa's own list compiler replays otherwise than GL says (the fuzzer steps around both), held on the
// layer alone: every state call and error compiled into a list comes back when it runs, and an array draw
// takes the current colour, the last one given.
TEST(Gl11Layer, ListsReplayWhatMesasCompilerLoses)
{
    static const float corners[6] = {0, 0, 1, 0, 1, 1};
    static const unsigned char order[3] = {0, 1, 2};
    ASSERT_TRUE(gl11PairOpen(size, size));
    const Gl11Table& gl = gl11PairUse(GlSide::layer);
    reset(gl);
    gl.EnableClientState(GL_VERTEX_ARRAY);
    gl.VertexPointer(2, GL_FLOAT, 0, corners);

    // Mesa loses these where a primitive's vertices are wider than those of an earlier one that gave a colour
    // inside, and an array draw follows.
    gl.NewList(9, GL_COMPILE);
    gl.Enable(GL_BLEND);
    gl.Disable(0x1234);
    gl.Begin(GL_POINTS);
    gl.Color4f(1, 1, 1, 1);
    gl.Vertex2f(-0.5f, -0.5f);
    gl.End();
    gl.Begin(GL_TRIANGLE_FAN);
    gl.Vertex4f(-0.5f, -0.5f, 0, 1);
    gl.Vertex4f(-0.4f, -0.5f, 0, 1);
    gl.Vertex4f(-0.4f, -0.4f, 0, 1);
    gl.End();
    gl.DrawArrays(GL_TRIANGLES, 0, 3);
    gl.EndList();
    EXPECT_EQ(gl.GetError(), static_cast<GLenum>(GL_NO_ERROR));
    gl.CallList(9);
    EXPECT_EQ(gl.GetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_TRUE(gl.IsEnabled(GL_BLEND));
    gl.Disable(GL_BLEND);
    gl.Clear(GL_COLOR_BUFFER_BIT);

    // Mesa draws this triangle in the colour given before the line (whose vertices give their own), where a
    // state call follows the line.
    gl.NewList(9, GL_COMPILE);
    gl.Color4f(1, 1, 1, 1);
    gl.Begin(GL_LINES);
    gl.Color4f(1, 1, 1, 1);
    gl.Vertex2f(-0.9f, -0.9f);
    gl.Color4f(0.2f, 0.4f, 0.6f, 1);
    gl.Vertex2f(-0.5f, -0.9f);
    gl.End();
    gl.ShadeModel(GL_SMOOTH);
    gl.DrawElements(GL_TRIANGLES, 3, GL_UNSIGNED_BYTE, order);
    gl.EndList();
    gl.CallList(9);
    const std::vector<unsigned char> picture = gl11PairRead(gl, size, size);
    const size_t inside = (40 * size + 56) * 4;   // (56, 40), below the triangle's diagonal
    EXPECT_EQ(std::vector<unsigned char>(picture.begin() + inside, picture.begin() + inside + 4),
              (std::vector<unsigned char>{51, 102, 153, 255}));
    gl.DeleteLists(9, 1);
    gl.DisableClientState(GL_VERTEX_ARRAY);
}

// A viewport of no width or no height puts every vertex on its edge, where GL still draws points and lines (a
// pixel on either side of the edge) and a triangle covers nothing; a line leaving the clip volume across the
// flat axis is cut where GL cuts it.
TEST(Gl11AgainstMesa, ViewportsOfNoExtentDrawPointsAndLinesOnTheirEdge)
{
    static const int viewports[][4] = {{12, 12, 58, 0}, {20, 5, 0, 40}, {30, 30, 0, 0}, {0, 0, 64, 0}};
    for (const auto& viewport : viewports) {
        expectSame([&](const Gl11Table& gl, std::vector<double>&) {
            gl.Viewport(viewport[0], viewport[1], viewport[2], viewport[3]);
            gl.MatrixMode(GL_PROJECTION);
            gl.Ortho(0, 64, 0, 64, -1, 1);
            gl.MatrixMode(GL_MODELVIEW);
            gl.Color4f(0.2f, 0.4f, 0.8f, 0.6f);
            gl.Begin(GL_POINTS);
            gl.Vertex2f(0.46f, 0.46f);
            gl.Vertex2f(33.5f, 40.25f);
            gl.End();
            gl.Begin(GL_LINES);
            gl.Vertex2f(10.46f, 0.46f);
            gl.Color4f(1, 0.5f, 0, 1);
            gl.Vertex2f(40.46f, 20.46f);
            gl.Vertex2f(-30, -50);   // across both clip planes of either axis
            gl.Color4f(0, 1, 0.5f, 1);
            gl.Vertex2f(90, 120);
            gl.End();
            gl.Begin(GL_TRIANGLES);
            gl.Vertex2f(5, 5);
            gl.Vertex2f(60, 10);
            gl.Vertex2f(30, 60);
            gl.End();
            gl.MatrixMode(GL_PROJECTION);
            gl.LoadIdentity();
            gl.MatrixMode(GL_MODELVIEW);
            gl.Viewport(0, 0, size, size);
        });
    }
}

// llvmpipe takes a list of nine triangle vertices whose last triangle is flat in y for a shape of its own and
// drops the rest, unless the fragments are flat-shaded. Mesa hands it fans (and strips, polygons, quads) as such
// and so draws them, and flat-shaded triangles; so must the layer, which sends every batch as a list and flat
// shading as a uniform colour. Smooth GL_TRIANGLES are lost on both sides alike.
TEST(Gl11AgainstMesa, NineVertexTriangleListsDrawAsMesaDrawsThem)
{
    static const float triangles[9][2] = {{0.9f, -0.38f}, {-0.38f, -0.38f}, {-0.38f, -0.38f},
                                          {-0.38f, -0.38f}, {-0.38f, -0.1f}, {-0.1f, -0.1f},
                                          {0.5f, 0.5f}, {0.7f, 0.5f}, {0.6f, 0.5f}};
    static const float fan[5][2] = {{0.46f, 0.46f}, {0.42f, -0.46f}, {-0.48f, 0.24f}, {0.46f, 0.46f}, {0.46f, 0.46f}};
    struct Case {
        GLenum mode, shading;
        const float (*corners)[2];
        int n;
    };
    static const Case cases[] = {{GL_TRIANGLES, GL_FLAT, triangles, 9},
                                 {GL_TRIANGLES, GL_SMOOTH, triangles, 9},
                                 {GL_TRIANGLE_FAN, GL_SMOOTH, fan, 5}};
    for (const Case& c : cases) {
        expectSame([&](const Gl11Table& gl, std::vector<double>&) {
            gl.ShadeModel(c.shading);
            gl.Begin(c.mode);
            for (int k = 0; k < c.n; ++k) {
                gl.Color4f(0.2f, 0.4f, 0.6f, 1);   // given with every vertex, alike: one batch
                gl.Vertex2f(c.corners[k][0], c.corners[k][1]);
            }
            gl.End();
            gl.ShadeModel(GL_SMOOTH);
        });
    }
}
