// SPDX-License-Identifier: MIT
// The OpenGL 1.1 layer's textures: GL texture names mapped to GLES textures (made on first bind, as GL makes
// them), completeness as GL judges it (level 0, and with a mipmap filter every level down to 1 x 1 of the sizes
// and format level 0 implies), and images in every GL 1.1 colour format converted on the CPU to the stored
// format the internal format asks, the way GL converts them. A GL_ALPHA texture is stored as luminance-alpha
// of full luminance, so that GL_MODULATE keeps the fragment's colour as GL does; intensity as RGBA of four
// equal components.
#include "platform/gl11/gl_names.h"
#include "platform/gl11/gl_state.h"
#include "platform/gl11/gles_seam.h"

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

const int maxLevels = 16;

struct Level {
    bool specified = false;   // a glTexImage2D gave it, of any size
    int width = 0, height = 0;
    GLenum base = 0;   // the GL base internal format; 0 while the level is undefined
};

struct Texture {
    unsigned gles = 0;
    GLenum target = 0;   // what the first bind made it: GL_TEXTURE_2D or GL_TEXTURE_1D
    Level levels[maxLevels];
    GLenum minFilter = GL_NEAREST_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    GLenum wrapS = GL_REPEAT, wrapT = GL_REPEAT;
};

// Never destroyed: a program may delete its textures from its own static destructors, after this file's.
std::map<GLuint, Texture>& textures = *new std::map<GLuint, Texture>;
GLuint highestName = 0;   // the highest texture name ever made, for glFreeNames
unsigned whiteTexture = 0;

bool powerOfTwo(int v)
{
    return v > 0 && (v & (v - 1)) == 0;
}

Texture& textureNamed(GLuint name)
{
    Texture& t = textures[name];
    highestName = std::max(highestName, name);
    if (t.gles == 0)
        gles.GenTextures(1, &t.gles);
    return t;
}

bool mipmapFilter(GLenum filter)
{
    return filter != GL_NEAREST && filter != GL_LINEAR;
}

bool complete(const Texture& t)
{
    const Level& base = t.levels[0];
    if (base.base == 0 || base.width <= 0 || base.height <= 0)
        return false;
    if (!mipmapFilter(t.minFilter))
        return true;
    int w = base.width, h = base.height;
    for (int i = 1; w > 1 || h > 1; ++i) {
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
        const Level& l = t.levels[i];
        if (l.base != base.base || l.width != w || l.height != h)
            return false;
    }
    return true;
}

bool needsWrapEmulation(const Texture& t)
{
    const Level& l = t.levels[0];
    return glState.glesVersion < 3 && !(powerOfTwo(l.width) && powerOfTwo(l.height)) &&
           (t.wrapS == GL_REPEAT || t.wrapT == GL_REPEAT);
}

// GLES 2 (WebGL 1) samples a texture that is not a power of two only when it clamps and does not mipmap: such
// a texture clamps on GLES, and where GL repeats it the shader wraps and filters it from its nearest texels.
// (A full mipmap chain of it draws from its first level only: GLES 2 has no mipmaps for it.)
void fitGles2(const Texture& t)
{
    const Level& l = t.levels[0];
    if (glState.glesVersion >= 3 || (powerOfTwo(l.width) && powerOfTwo(l.height)))
        return;
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GLES_CLAMP_TO_EDGE);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GLES_CLAMP_TO_EDGE);
    if (needsWrapEmulation(t)) {
        gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    } else {
        gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter == GL_NEAREST ? GL_NEAREST : GL_LINEAR);
        gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
    }
}

// Uploads bind on GLES directly, after the batch has drawn; the next draw binds what it samples again.
void bindForUpload(unsigned texture)
{
    glBatchFlush();
    gles.BindTexture(GL_TEXTURE_2D, texture);
    glBatchTextureDisturbed();
}

// GL 1.1's internal formats (1 to 4 components, base and sized names) as their base format; the sizes are a
// request GL lets an implementation exceed, and the layer keeps 8 bits a component.
GLenum baseFormat(GLint internalFormat)
{
    switch (internalFormat) {
    case 1: case GL_LUMINANCE: case GL_LUMINANCE4: case GL_LUMINANCE8: case GL_LUMINANCE12: case GL_LUMINANCE16:
        return GL_LUMINANCE;
    case 2: case GL_LUMINANCE_ALPHA: case GL_LUMINANCE4_ALPHA4: case GL_LUMINANCE6_ALPHA2:
    case GL_LUMINANCE8_ALPHA8: case GL_LUMINANCE12_ALPHA4: case GL_LUMINANCE12_ALPHA12:
    case GL_LUMINANCE16_ALPHA16:
        return GL_LUMINANCE_ALPHA;
    case 3: case GL_RGB: case GL_R3_G3_B2: case GL_RGB4: case GL_RGB5: case GL_RGB8: case GL_RGB10: case GL_RGB12:
    case GL_RGB16:
        return GL_RGB;
    case 4: case GL_RGBA: case GL_RGBA2: case GL_RGBA4: case GL_RGB5_A1: case GL_RGBA8: case GL_RGB10_A2:
    case GL_RGBA12: case GL_RGBA16:
        return GL_RGBA;
    case GL_ALPHA: case GL_ALPHA4: case GL_ALPHA8: case GL_ALPHA12: case GL_ALPHA16: return GL_ALPHA;
    case GL_INTENSITY: case GL_INTENSITY4: case GL_INTENSITY8: case GL_INTENSITY12: case GL_INTENSITY16:
        return GL_INTENSITY;
    default: return 0;
    }
}

// The GLES format a base format is stored in, and its bytes a texel.
GLenum storedFormat(GLenum base, int* bytes)
{
    switch (base) {
    case GL_LUMINANCE: *bytes = 1; return GL_LUMINANCE;
    case GL_LUMINANCE_ALPHA:
    case GL_ALPHA: *bytes = 2; return GL_LUMINANCE_ALPHA;
    case GL_RGB: *bytes = 3; return GL_RGB;
    default: *bytes = 4; return GL_RGBA;   // GL_RGBA, GL_INTENSITY
    }
}

// RGBA pixels as the base format keeps them (luminance and intensity take red).
std::vector<unsigned char> convert(const std::vector<unsigned char>& rgba, GLenum base)
{
    int bytes = 0;
    storedFormat(base, &bytes);
    const size_t n = rgba.size() / 4;
    std::vector<unsigned char> out(n * static_cast<size_t>(bytes));
    for (size_t i = 0; i < n; ++i) {
        const unsigned char* p = &rgba[i * 4];
        unsigned char* q = &out[i * static_cast<size_t>(bytes)];
        switch (base) {
        case GL_LUMINANCE: q[0] = p[0]; break;
        case GL_LUMINANCE_ALPHA: q[0] = p[0]; q[1] = p[3]; break;
        case GL_ALPHA: q[0] = 255; q[1] = p[3]; break;
        case GL_RGB: q[0] = p[0]; q[1] = p[1]; q[2] = p[2]; break;
        case GL_INTENSITY: q[0] = q[1] = q[2] = q[3] = p[0]; break;
        default: q[0] = p[0]; q[1] = p[1]; q[2] = p[2]; q[3] = p[3]; break;
        }
    }
    return out;
}

bool validParameter(GLenum pname, GLint param)
{
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        return param == GL_NEAREST || param == GL_LINEAR || param == GL_NEAREST_MIPMAP_NEAREST ||
               param == GL_LINEAR_MIPMAP_NEAREST || param == GL_NEAREST_MIPMAP_LINEAR ||
               param == GL_LINEAR_MIPMAP_LINEAR;
    case GL_TEXTURE_MAG_FILTER: return param == GL_NEAREST || param == GL_LINEAR;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        // GL_CLAMP (a blend with the border colour) is refused: GLES has no border to blend with.
        return param == GL_REPEAT || param == GLES_CLAMP_TO_EDGE;
    default: return false;
    }
}

}  // namespace

bool glTexturesInit()
{
    textures.clear();
    highestName = 0;
    const unsigned char white[4] = {255, 255, 255, 255};
    gles.GenTextures(1, &whiteTexture);
    gles.BindTexture(GL_TEXTURE_2D, whiteTexture);
    gles.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gles.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // The layer unpacks client pixels itself and hands GLES tight rows.
    gles.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    return whiteTexture != 0 && glPixelsInit();
}

unsigned glTextureForDraw()
{
    if (!glState.texture2d)
        return whiteTexture;
    auto it = textures.find(glState.boundTexture);
    if (it == textures.end() || !complete(it->second))
        return whiteTexture;
    return it->second.gles;
}

bool glTextureWrapEmulation(float wrap[4])
{
    wrap[0] = wrap[1] = 0;
    wrap[2] = wrap[3] = 1;
    if (!glState.texture2d)
        return false;
    auto it = textures.find(glState.boundTexture);
    if (it == textures.end() || !complete(it->second) || !needsWrapEmulation(it->second))
        return false;
    const Texture& t = it->second;
    wrap[0] = t.wrapS == GL_REPEAT ? 1.0f : 0.0f;
    wrap[1] = t.wrapT == GL_REPEAT ? 1.0f : 0.0f;
    wrap[2] = static_cast<float>(t.levels[0].width);
    wrap[3] = static_cast<float>(t.levels[0].height);
    // The filter GL takes when magnifying: the show stretches its textures.
    return t.magFilter == GL_LINEAR;
}

void glGenTextures(GLsizei n, GLuint* names)
{
    if (glRefusedInsideBegin())
        return;
    if (n < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (n == 0)
        return;
    const GLuint first = glFreeNames(textures, highestName, n);
    if (first == 0) {
        glStateError(GL_OUT_OF_MEMORY);   // the name space is spent
        return;
    }
    for (GLsizei i = 0; i < n; ++i) {
        names[i] = first + static_cast<GLuint>(i);
        textures[names[i]];   // reserved; the GLES texture comes with the first bind
    }
}

void glDeleteTextures(GLsizei n, const GLuint* names)
{
    if (glRefusedInsideBegin())
        return;
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
        if (it->second.gles) {
            gles.DeleteTextures(1, &it->second.gles);
            glBatchTextureDisturbed();
        }
        textures.erase(it);
        if (glState.boundTexture == names[i])
            glState.boundTexture = 0;
    }
}

GLboolean glIsTexture(GLuint name)
{
    if (glRefusedInsideBegin())
        return GL_FALSE;
    auto it = textures.find(name);
    return name != 0 && it != textures.end() && it->second.gles != 0;
}

void glBindTexture(GLenum target, GLuint name)
{
    if (glListRecord(GlListCall::outside, [=] { glBindTexture(target, name); }) || glRefusedInsideBegin())
        return;
    if (target != GL_TEXTURE_2D && target != GL_TEXTURE_1D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (name != 0) {
        auto it = textures.find(name);
        const GLenum made = it == textures.end() ? 0 : it->second.target;
        if (made != 0 && made != target) {
            glStateError(GL_INVALID_OPERATION);   // a texture keeps the target it was first bound to
            return;
        }
    }
    if (target == GL_TEXTURE_1D) {
        // A 1D texture the layer has no calls to fill: it exists as a name and never draws.
        if (name != 0)
            textureNamed(name).target = GL_TEXTURE_1D;
        return;
    }
    if (name == glState.boundTexture && textures.count(name) && textures[name].gles)
        return;
    glBatchFlush();
    textureNamed(name).target = GL_TEXTURE_2D;
    glState.boundTexture = name;
}

void glTexParameteri(GLenum target, GLenum pname, GLint param)
{
    if (glListRecord(GlListCall::outside, [=] { glTexParameteri(target, pname, param); }) ||
        glRefusedInsideBegin())
        return;
    if (target != GL_TEXTURE_2D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (!validParameter(pname, param)) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    // Primitives waiting in the batch draw with the texture as it was when they were given.
    glBatchFlush();
    Texture& t = textureNamed(glState.boundTexture);
    const GLenum value = static_cast<GLenum>(param);
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER: t.minFilter = value; break;
    case GL_TEXTURE_MAG_FILTER: t.magFilter = value; break;
    case GL_TEXTURE_WRAP_S: t.wrapS = value; break;
    default: t.wrapT = value; break;
    }
    bindForUpload(t.gles);
    gles.TexParameteri(target, pname, param);
    fitGles2(t);
}

void glTexParameterf(GLenum target, GLenum pname, GLfloat param)
{
    glTexParameteri(target, pname, static_cast<GLint>(param));
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const GLvoid* pixels)
{
    // A compiled image keeps its pixels as the unpack state reads them now.
    if (glListCompiling()) {
        std::vector<unsigned char> rgba;
        const bool ok = pixels && glPixelFormatKnown(format) && type == GL_UNSIGNED_BYTE && width >= 0 &&
                        height >= 0 && glUnpackRgba(format, type, width, height, pixels, rgba);
        auto copy = std::make_shared<std::vector<unsigned char>>(std::move(rgba));
        if (glListRecord(GlListCall::outside, [=] {
                glWithTightUnpack([&] {
                    glTexImage2D(target, level, internalFormat, width, height, border, ok ? GL_RGBA : format, type,
                                 ok ? copy->data() : nullptr);
                });
            }))
            return;
    }
    if (glRefusedInsideBegin())
        return;
    // Checked in Mesa's order: target, level, border and size, format and type, internal format.
    if (target != GL_TEXTURE_2D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    // Borders are refused: GLES has none.
    if (level < 0 || level >= maxLevels || width < 0 || height < 0 || border != 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (!glPixelFormatKnown(format) || type != GL_UNSIGNED_BYTE) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    const GLenum base = baseFormat(internalFormat);
    if (base == 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    int maxSize = 0;
    gles.GetIntegerv(GL_MAX_TEXTURE_SIZE, &maxSize);
    if (width > (maxSize >> level) || height > (maxSize >> level)) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    std::vector<unsigned char> rgba;
    if (!glUnpackRgba(format, type, width, height, pixels, rgba))
        return;
    int bytes = 0;
    const GLenum stored = storedFormat(base, &bytes);
    const std::vector<unsigned char> data = convert(rgba, base);
    Texture& t = textureNamed(glState.boundTexture);
    bindForUpload(t.gles);
    gles.TexImage2D(GL_TEXTURE_2D, level, static_cast<GLint>(stored), width, height, 0, stored, GL_UNSIGNED_BYTE,
                    pixels && !data.empty() ? data.data() : nullptr);
    Level& l = t.levels[level];
    l.specified = true;
    l.width = width;
    l.height = height;
    l.base = width > 0 && height > 0 ? base : 0;
    if (level == 0)
        fitGles2(t);
}

void glTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLsizei width, GLsizei height, GLenum format,
                     GLenum type, const GLvoid* pixels)
{
    if (glListCompiling()) {
        std::vector<unsigned char> rgba;
        const bool ok = pixels && glPixelFormatKnown(format) && type == GL_UNSIGNED_BYTE && width >= 0 &&
                        height >= 0 && glUnpackRgba(format, type, width, height, pixels, rgba);
        auto copy = std::make_shared<std::vector<unsigned char>>(std::move(rgba));
        if (glListRecord(GlListCall::outside, [=] {
                glWithTightUnpack([&] {
                    glTexSubImage2D(target, level, x, y, width, height, ok ? GL_RGBA : format, type,
                                    ok ? copy->data() : nullptr);
                });
            }))
            return;
    }
    if (glRefusedInsideBegin())
        return;
    // Mesa's order: target, level and size, the level's existence, format and type, the region.
    if (target != GL_TEXTURE_2D) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (level < 0 || level >= maxLevels || width < 0 || height < 0) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    Texture& t = textureNamed(glState.boundTexture);
    const Level& l = t.levels[level];
    if (!l.specified) {
        glStateError(GL_INVALID_OPERATION);
        return;
    }
    if (!glPixelFormatKnown(format) || type != GL_UNSIGNED_BYTE) {
        glStateError(GL_INVALID_ENUM);
        return;
    }
    if (x < 0 || y < 0 || static_cast<long long>(x) + width > l.width ||
        static_cast<long long>(y) + height > l.height) {
        glStateError(GL_INVALID_VALUE);
        return;
    }
    if (width == 0 || height == 0 || !pixels)
        return;
    std::vector<unsigned char> rgba;
    if (!glUnpackRgba(format, type, width, height, pixels, rgba))
        return;
    int bytes = 0;
    const GLenum stored = storedFormat(l.base, &bytes);
    const std::vector<unsigned char> data = convert(rgba, l.base);
    bindForUpload(t.gles);
    gles.TexSubImage2D(GL_TEXTURE_2D, level, x, y, width, height, stored, GL_UNSIGNED_BYTE, data.data());
}
