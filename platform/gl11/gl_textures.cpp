// The OpenGL 1.1 layer's textures and pixel rectangles: GL texture names mapped to WebGL textures (made on
// first bind, as GL makes them), completeness as GL 1.1 judges it (a texture with a mipmap filter and only its
// first level draws as if texturing were off), uploads in the unsigned-byte formats with the unpack alignment,
// and glDrawPixels as one textured rectangle at the window position of the raster position.
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Texture {
    unsigned webgl = 0;
    bool defined = false;
    int width = 0, height = 0;
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR;
};

// Never destroyed: a program may delete its textures from its own static destructors, after this file's.
std::map<GLuint, Texture>& textures = *new std::map<GLuint, Texture>;
GLuint nextName = 1;
unsigned whiteTexture = 0;
unsigned pixelTexture = 0;
int pixelWidth = 0, pixelHeight = 0;
GLenum pixelFormat = 0;

struct RasterPosition {
    bool valid = true;
    float x = 0, y = 0, z = 0;
} raster;

bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

Texture& textureNamed(GLuint name)
{
    Texture& t = textures[name];
    if (t.webgl == 0)
        gles.GenTextures(1, &t.webgl);
    return t;
}

bool mipmapFilter(GLenum filter)
{
    return filter != GL_NEAREST && filter != GL_LINEAR;
}

bool complete(const Texture& t)
{
    return t.defined && (!mipmapFilter(t.minFilter) || (t.width == 1 && t.height == 1));
}

// WebGL 1 samples a texture that is not a power of two only when it clamps and does not mipmap.
void fitWebGl1(const Texture& t)
{
    if (glState.glesVersion >= 3 || (powerOfTwo(t.width) && powerOfTwo(t.height)))
        return;
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLES_CLAMP_TO_EDGE);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLES_CLAMP_TO_EDGE);
    if (mipmapFilter(t.minFilter))
        gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}

// Uploads bind on WebGL directly, after the batch has drawn; the next draw binds what it samples again.
void bindForUpload(unsigned webgl)
{
    glBatchFlush();
    gles.BindTexture(GL_TEXTURE_2D, webgl);
    glBatchTextureDisturbed();
}

int componentsOf(GLenum format)
{
    switch (format) {
    case GL_ALPHA:
    case GL_LUMINANCE: return 1;
    case GL_LUMINANCE_ALPHA: return 2;
    case GL_RGB: return 3;
    case GL_RGBA: return 4;
    default: return 0;
    }
}

// GL 1.1's internal formats (1 to 4 components, sized names) as the base format WebGL takes.
GLenum baseFormat(GLint internalFormat)
{
    switch (internalFormat) {
    case 1: case GL_LUMINANCE: case GL_LUMINANCE8: return GL_LUMINANCE;
    case 2: case GL_LUMINANCE_ALPHA: case GL_LUMINANCE8_ALPHA8: return GL_LUMINANCE_ALPHA;
    case 3: case GL_RGB: case GL_RGB8: case GL_RGB5: case GL_R3_G3_B2: return GL_RGB;
    case 4: case GL_RGBA: case GL_RGBA8: case GL_RGBA4: case GL_RGB5_A1: return GL_RGBA;
    case GL_ALPHA: case GL_ALPHA8: return GL_ALPHA;
    default: return 0;
    }
}

// Rows of the caller's pixels in WebGL terms: BGR and BGRA (which WebGL lacks) swapped into RGB and RGBA.
// Returns the pixels to hand WebGL and the format; null with an error recorded when the format is refused.
const void* webglPixels(GLenum format, GLenum type, int width, int height, const void* pixels, GLenum* outFormat,
                        std::vector<unsigned char>& scratch)
{
    if (type != GL_UNSIGNED_BYTE) {
        glStateError(GL_INVALID_ENUM);
        return nullptr;
    }
    if (format == GL_BGR_EXT || format == GL_BGRA_EXT) {
        const int n = format == GL_BGR_EXT ? 3 : 4;
        const int a = glState.unpackAlignment;
        const size_t row = (static_cast<size_t>(width) * n + a - 1) / a * a;
        scratch.resize(row * height);
        const unsigned char* in = static_cast<const unsigned char*>(pixels);
        for (size_t y = 0; y < static_cast<size_t>(height); ++y)
            for (size_t x = 0; x < static_cast<size_t>(width); ++x) {
                const unsigned char* p = in + y * row + x * n;
                unsigned char* q = scratch.data() + y * row + x * n;
                q[0] = p[2];
                q[1] = p[1];
                q[2] = p[0];
                if (n == 4)
                    q[3] = p[3];
            }
        *outFormat = n == 3 ? GL_RGB : GL_RGBA;
        return scratch.data();
    }
    if (componentsOf(format) == 0) {
        glStateError(GL_INVALID_ENUM);
        return nullptr;
    }
    *outFormat = format;
    return pixels;
}

}  // namespace

bool glTexturesInit()
{
    textures.clear();
    nextName = 1;
    pixelTexture = 0;
    pixelWidth = pixelHeight = 0;
    raster = RasterPosition();
    const unsigned char white[4] = {255, 255, 255, 255};
    gles.GenTextures(1, &whiteTexture);
    gles.BindTexture(GL_TEXTURE_2D, whiteTexture);
    gles.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gles.GenTextures(1, &pixelTexture);
    gles.BindTexture(GL_TEXTURE_2D, pixelTexture);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLES_CLAMP_TO_EDGE);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLES_CLAMP_TO_EDGE);
    return whiteTexture != 0 && pixelTexture != 0;
}

unsigned glTextureForDraw()
{
    if (!glState.texture2d)
        return whiteTexture;
    auto it = textures.find(glState.boundTexture);
    if (it == textures.end() || !complete(it->second))
        return whiteTexture;
    return it->second.webgl;
}

void glGenTextures(GLsizei n, GLuint* names)
{
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        while (textures.count(nextName))
            ++nextName;
        names[i] = nextName;
        textures[nextName];   // reserved; the WebGL texture comes with the first bind
        ++nextName;
    }
}

void glDeleteTextures(GLsizei n, const GLuint* names)
{
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    glBatchFlush();
    for (GLsizei i = 0; i < n; ++i) {
        if (names[i] == 0)
            continue;
        auto it = textures.find(names[i]);
        if (it == textures.end())
            continue;
        if (it->second.webgl) {
            gles.DeleteTextures(1, &it->second.webgl);
            glBatchTextureDisturbed();
        }
        textures.erase(it);
        if (glState.boundTexture == names[i])
            glState.boundTexture = 0;
    }
}

GLboolean glIsTexture(GLuint name)
{
    auto it = textures.find(name);
    return name != 0 && it != textures.end() && it->second.webgl != 0;
}

void glBindTexture(GLenum target, GLuint name)
{
    if (glListCapture(GlListOp::bindTexture, target, static_cast<float>(name)))
        return;
    if (target != GL_TEXTURE_2D) {
        if (target != GL_TEXTURE_1D)
            glStateError(GL_INVALID_ENUM);
        return;
    }
    if (name == glState.boundTexture && textures.count(name) && textures[name].webgl)
        return;
    glBatchFlush();
    textureNamed(name);
    glState.boundTexture = name;
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    if (target != GL_TEXTURE_2D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    Texture& t = textureNamed(glState.boundTexture);
    if (pname == GL_TEXTURE_MIN_FILTER)
        t.minFilter = static_cast<GLenum>(param);
    if ((pname == GL_TEXTURE_WRAP_S || pname == GL_TEXTURE_WRAP_T) && param == GL_CLAMP)
        param = GLES_CLAMP_TO_EDGE;   // WebGL has no border texels to clamp to
    bindForUpload(t.webgl);
    gles.TexParameteri(target, pname, param);
    fitWebGl1(t);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    glTexParameteri(target, pname, static_cast<GLint>(param));
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    if (target != GL_TEXTURE_2D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (level < 0 || width < 0 || height < 0 || border != 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    std::vector<unsigned char> scratch;
    GLenum webglFormat = 0;
    const void* data = pixels;
    if (pixels) {
        data = webglPixels(format, type, width, height, pixels, &webglFormat, scratch);
        if (!data)
            return;
    } else {
        webglFormat = format == GL_BGR_EXT ? GL_RGB : format == GL_BGRA_EXT ? GL_RGBA : format;
    }
    const GLenum base = baseFormat(internalFormat);
    // WebGL keeps the format it is given; a texture stored with other components than its data is refused.
    if (base == 0 || base != webglFormat) {
        glStateError(base == 0 ? GL_INVALID_VALUE : GL_INVALID_OPERATION);
        return;
    }
    Texture& t = textureNamed(glState.boundTexture);
    bindForUpload(t.webgl);
    gles.TexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(base), width, height, 0, webglFormat,
                            GL_UNSIGNED_BYTE, data);
    if (level == 0) {
        t.defined = width > 0 && height > 0;
        t.width = width;
        t.height = height;
        fitWebGl1(t);
    }
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                     GLenum type, const GLvoid* pixels)
{
    if (target != GL_TEXTURE_2D || !pixels) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    std::vector<unsigned char> scratch;
    GLenum webglFormat = 0;
    const void* data = webglPixels(format, type, width, height, pixels, &webglFormat, scratch);
    if (!data)
        return;
    Texture& t = textureNamed(glState.boundTexture);
    bindForUpload(t.webgl);
    gles.TexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, webglFormat, GL_UNSIGNED_BYTE, data);
}

void glPixelStorei(GLenum pname, GLint param)
{
    if (pname == GL_UNPACK_ALIGNMENT || pname == GL_PACK_ALIGNMENT) {
        if (param != 1 && param != 2 && param != 4 && param != 8) {
            glStateError(GL_INVALID_VALUE);
            return;
        }
        (pname == GL_UNPACK_ALIGNMENT ? glState.unpackAlignment : glState.packAlignment) = param;
        gles.PixelStorei(pname, param);
        return;
    }
    // Row length, skips and swaps stay at GL's defaults, the only values WebGL 1 knows.
    if (param != 0)
        glStateError(GL_INVALID_ENUM);
}

void glPixelStoref(GLenum pname, GLfloat param)
{
    glPixelStorei(pname, static_cast<GLint>(param));
}

// ---- Raster position and pixel rectangles.

void glRasterPos4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w)
{
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
}

void glRasterPos2i(GLint x, GLint y) { glRasterPos4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glRasterPos2f(GLfloat x, GLfloat y) { glRasterPos4f(x, y, 0, 1); }
void glRasterPos2d(GLdouble x, GLdouble y) { glRasterPos4f(static_cast<float>(x), static_cast<float>(y), 0, 1); }
void glRasterPos3f(GLfloat x, GLfloat y, GLfloat z) { glRasterPos4f(x, y, z, 1); }

void glDrawPixels(GLsizei width, GLsizei height, GLenum format, GLenum type, const GLvoid* pixels)
{
    if (width < 0 || height < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (!raster.valid || width == 0 || height == 0 || !pixels || !glState.ready)
        return;
    std::vector<unsigned char> scratch;
    GLenum webglFormat = 0;
    const void* data = webglPixels(format, type, width, height, pixels, &webglFormat, scratch);
    if (!data)
        return;
    bindForUpload(pixelTexture);
    if (width == pixelWidth && height == pixelHeight && webglFormat == pixelFormat) {
        gles.TexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, width, height, webglFormat, GL_UNSIGNED_BYTE, data);
    } else {
        gles.TexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(webglFormat), width, height, 0, webglFormat,
                                GL_UNSIGNED_BYTE, data);
        pixelWidth = width;
        pixelHeight = height;
        pixelFormat = webglFormat;
    }
    // Window coordinates back to clip space (w = 1) through the viewport; texel (i, j) covers the window's
    // pixel (x + i, y + j), whose centre the rectangle's edges enclose exactly.
    const int* v = glState.viewport;
    const float x0 = (raster.x - v[0]) * 2 / v[2] - 1;
    const float x1 = (raster.x + width - v[0]) * 2 / v[2] - 1;
    const float y0 = (raster.y - v[1]) * 2 / v[3] - 1;
    const float y1 = (raster.y + height - v[1]) * 2 / v[3] - 1;
    const float z = raster.z * 2 - 1;
    const GlVertex corners[4] = {{x0, y0, z, 1, 0, 0, 1, 1, 1, 1}, {x1, y0, z, 1, 1, 0, 1, 1, 1, 1},
                                 {x1, y1, z, 1, 1, 1, 1, 1, 1, 1}, {x0, y1, z, 1, 0, 1, 1, 1, 1, 1}};
    const GlVertex quad[6] = {corners[0], corners[1], corners[2], corners[0], corners[2], corners[3]};
    glBatchDrawOverride(quad, 6, pixelTexture);
}
