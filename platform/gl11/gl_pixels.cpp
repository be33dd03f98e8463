// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's pixel rectangles: the unpack state, client pixels read into RGBA as GL's pixel transfer
// does, the raster position, and glDrawPixels as one rectangle at the raster position rounded as Mesa rounds
// it, clipped to the window only, and textured and fogged as a fragment of the raster position.
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

#include <cmath>
#include <memory>

namespace {

unsigned pixelTexture = 0;
int pixelWidth = 0, pixelHeight = 0;

struct RasterPosition {
    bool valid = true;
    float x = 0, y = 0, z = 0.5f, w = 1;
    float texCoord[3] = {0, 0, 1};   // s, t, q after the texture matrix
    float fog = 0;
};
RasterPosition raster;

// Components a pixel of the format has in client memory; 0 for a format the layer refuses.
int componentsOf(GLenum format)
{
    switch (format) {
    case GL_RED:
    case GL_GREEN:
    case GL_BLUE:
    case GL_ALPHA:
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB:
    case GL_BGR_EXT: return 3;
    case GL_RGBA:
    case GL_BGRA_EXT: return 4;
    default: return 0;
    }
}

void toRgba(GLenum format, const unsigned char* p, unsigned char* q)
{
    q[0] = q[1] = q[2] = 0;
    q[3] = 255;
    switch (format) {
    case GL_RED: q[0] = p[0]; break;
    case GL_GREEN: q[1] = p[0]; break;
    case GL_BLUE: q[2] = p[0]; break;
    case GL_ALPHA: q[3] = p[0]; break;
    case GL_LUMINANCE: q[0] = q[1] = q[2] = p[0]; break;
    case GL_LUMINANCE_ALPHA: q[0] = q[1] = q[2] = p[0]; q[3] = p[1]; break;
    case GL_RGB: q[0] = p[0]; q[1] = p[1]; q[2] = p[2]; break;
    case GL_BGR_EXT: q[0] = p[2]; q[1] = p[1]; q[2] = p[0]; break;
    case GL_RGBA: q[0] = p[0]; q[1] = p[1]; q[2] = p[2]; q[3] = p[3]; break;
    default: q[0] = p[2]; q[1] = p[1]; q[2] = p[0]; q[3] = p[3]; break;   // GL_BGRA
    }
}

}  // namespace

bool glPixelFormatKnown(GLenum format)
{
    return componentsOf(format) != 0;
}

void glWithTightUnpack(const std::function<void()>& call)
{
    const GlState saved = glState;
    glState.unpackAlignment = 1;
    glState.unpackRowLength = glState.unpackSkipRows = glState.unpackSkipPixels = 0;
    call();
    glState.unpackAlignment = saved.unpackAlignment;
    glState.unpackRowLength = saved.unpackRowLength;
    glState.unpackSkipRows = saved.unpackSkipRows;
    glState.unpackSkipPixels = saved.unpackSkipPixels;
}

bool glUnpackRgba(GLenum format, GLenum type, int width, int height, const void* pixels,
                  std::vector<unsigned char>& rgba)
{
    const int n = componentsOf(format);
    if (n == 0 || type != GL_UNSIGNED_BYTE) {
        glStateError(GL_INVALID_ENUM);
        return false;
    }
    if (width < 0 || height < 0) {
        glStateError(GL_INVALID_VALUE);
        return false;
    }
    rgba.resize(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    if (!pixels || rgba.empty())
        return true;
    const GlState& g = glState;
    const size_t length = static_cast<size_t>(g.unpackRowLength > 0 ? g.unpackRowLength : width);
    const size_t a = static_cast<size_t>(g.unpackAlignment);
    const size_t row = (length * n + a - 1) / a * a;
    const unsigned char* start = static_cast<const unsigned char*>(pixels) +
                                 static_cast<size_t>(g.unpackSkipRows) * row +
                                 static_cast<size_t>(g.unpackSkipPixels) * n;
    for (size_t y = 0; y < static_cast<size_t>(height); ++y)
        for (size_t x = 0; x < static_cast<size_t>(width); ++x)
            toRgba(format, start + y * row + x * n, &rgba[(y * width + x) * 4]);
    return true;
}

bool glPixelsInit()
{
    pixelWidth = pixelHeight = 0;
    raster = RasterPosition();
    gles.GenTextures(1, &pixelTexture);
    gles.ActiveTexture(GLES_TEXTURE0 + 1);
    gles.BindTexture(GL_TEXTURE_2D, pixelTexture);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLES_CLAMP_TO_EDGE);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLES_CLAMP_TO_EDGE);
    gles.ActiveTexture(GLES_TEXTURE0);
    return pixelTexture != 0;
}

void glPixelStorei(GLenum pname, GLint param)
{
    if (glRefusedInsideBegin())
        return;
    GlState& g = glState;
    switch (pname) {
    case GL_UNPACK_ALIGNMENT:
    case GL_PACK_ALIGNMENT:
        if (param != 1 && param != 2 && param != 4 && param != 8) {
            glStateError(GL_INVALID_VALUE);
            return;
        }
        if (pname == GL_UNPACK_ALIGNMENT) {
            g.unpackAlignment = param;   // the layer unpacks itself; GLES always gets tight rows
        } else {
            glBatchFlush();
            g.packAlignment = param;
            if (g.ready)
                gles.PixelStorei(pname, param);
        }
        return;
    case GL_UNPACK_ROW_LENGTH:
    case GL_UNPACK_SKIP_ROWS:
    case GL_UNPACK_SKIP_PIXELS:
        if (param < 0) {
            glStateError(GL_INVALID_VALUE);
            return;
        }
        (pname == GL_UNPACK_ROW_LENGTH  ? g.unpackRowLength
         : pname == GL_UNPACK_SKIP_ROWS ? g.unpackSkipRows
                                        : g.unpackSkipPixels) = param;
        return;
    case GL_UNPACK_SWAP_BYTES:
    case GL_UNPACK_LSB_FIRST:
    case GL_PACK_SWAP_BYTES:
    case GL_PACK_LSB_FIRST:
    case GL_PACK_ROW_LENGTH:
    case GL_PACK_SKIP_ROWS:
    case GL_PACK_SKIP_PIXELS:
        // Only GL's defaults: bytes never swap, and packing stays what GLES can read back.
        if (param != 0)
            glStateError(GL_INVALID_VALUE);
        return;
    default: glStateError(GL_INVALID_ENUM); return;
    }
}

void glPixelStoref(GLenum pname, GLfloat param)
{
    glPixelStorei(pname, static_cast<GLint>(param));
}

void glRasterPos4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w)
{
    if (glListRecord(GlListCall::outside, [=] { glRasterPos4f(x, y, z, w); }) || glRefusedInsideBegin())
        return;
    float c[4];
    glTransformToClip(x, y, z, w, c);
    // A position outside the clip volume is invalid, and pixel rectangles then draw nothing.
    raster.valid = c[3] != 0 && c[0] >= -c[3] && c[0] <= c[3] && c[1] >= -c[3] && c[1] <= c[3] &&
                   c[2] >= -c[3] && c[2] <= c[3];
    if (!raster.valid)
        return;
    const int* v = glState.viewport;
    raster.x = (c[0] / c[3] + 1) * 0.5f * v[2] + v[0];
    raster.y = (c[1] / c[3] + 1) * 0.5f * v[3] + v[1];
    raster.z = (c[2] / c[3] + 1) * 0.5f;
    raster.w = c[3];
    float st[4] = {glState.texCoord[0], glState.texCoord[1], glState.texCoord[2], glState.texCoord[3]};
    glTransformTexCoord(glState.texCoord, st);
    raster.texCoord[0] = st[0];
    raster.texCoord[1] = st[1];
    raster.texCoord[2] = st[3];
    float eye[4];
    glTransformToEye(x, y, z, w, eye);
    raster.fog = std::fabs(eye[2]);
}

void glRasterPos2i(GLint x, GLint y) { glRasterPos4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glRasterPos2f(GLfloat x, GLfloat y) { glRasterPos4f(x, y, 0, 1); }
void glRasterPos2d(GLdouble x, GLdouble y) { glRasterPos4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) { glRasterPos4f(x, y, z, 1); }

void glRasterRead(float out[4], bool* valid)
{
    out[0] = raster.x;
    out[1] = raster.y;
    out[2] = raster.z;
    out[3] = raster.w;
    *valid = raster.valid;
}

void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels)
{
    // A compiled glDrawPixels keeps the pixels as the unpack state reads them now.
    if (glListCompiling()) {
        auto rgba = std::make_shared<std::vector<unsigned char>>();
        const bool ok = width >= 0 && height >= 0 && componentsOf(format) && type == GL_UNSIGNED_BYTE &&
                        glUnpackRgba(format, type, width, height, pixels, *rgba);
        const bool given = pixels != nullptr;
        if (glListRecord(GlListCall::outside, [=] {
                if (!ok) {
                    glDrawPixels(width, height, format, type, nullptr);   // the same error, when it runs
                    return;
                }
                glWithTightUnpack([&] {
                    glDrawPixels(width, height, GL_RGBA, GL_UNSIGNED_BYTE, given ? rgba->data() : nullptr);
                });
            }))
            return;
    }
    if (glRefusedInsideBegin())
        return;
    if (width < 0 || height < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (componentsOf(format) == 0 || type != GL_UNSIGNED_BYTE) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (!raster.valid || width == 0 || height == 0 || !pixels || !glState.ready)
        return;
    std::vector<unsigned char> rgba;
    if (!glUnpackRgba(format, type, width, height, pixels, rgba))
        return;
    glBatchFlush();
    gles.ActiveTexture(GLES_TEXTURE0 + 1);
    gles.BindTexture(GL_TEXTURE_2D, pixelTexture);
    if (width == pixelWidth && height == pixelHeight) {
        gles.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    } else {
        gles.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        pixelWidth = width;
        pixelHeight = height;
    }
    gles.ActiveTexture(GLES_TEXTURE0);
    // Mesa's rectangle starts at the first pixel whose centre lies past the raster position, a centre exactly
    // on it excluded (the nearest whole pixel, halves up); its edges then lie between pixel centres, in window
    // coordinates of the whole window.
    const float wx = std::floor(raster.x + 0.5f), wy = std::floor(raster.y + 0.5f);
    const float ww = static_cast<float>(glState.windowWidth), wh = static_cast<float>(glState.windowHeight);
    const float x0 = wx * 2 / ww - 1, x1 = (wx + width) * 2 / ww - 1;
    const float y0 = wy * 2 / wh - 1, y1 = (wy + height) * 2 / wh - 1;
    const float z = raster.z * 2 - 1;
    const float f = raster.fog;
    const GlVertex corners[4] = {{x0, y0, z, 1, 0, 0, 1, f, 1, 1, 1, 1},
                                 {x1, y0, z, 1, 1, 0, 1, f, 1, 1, 1, 1},
                                 {x1, y1, z, 1, 1, 1, 1, f, 1, 1, 1, 1},
                                 {x0, y1, z, 1, 0, 1, 1, f, 1, 1, 1, 1}};
    const GlVertex quad[6] = {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]};
    glBatchDrawPixels(quad, 6, raster.texCoord);
}
