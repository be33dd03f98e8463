// SPDX-License-Identifier: MIT
// Textures, sprites and the font rendered in a real headless OpenGL context: pixels read back with
// glReadPixels, exact vertices and texture coordinates taken from feedback mode, state read with glGet.
#include "platform/win32_api.h"
#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "media/bitmap_font.h"
#include "media/sprite.h"
#include "tests/media/test_files.h"
#include "tests/support/gl_fixture.h"

// Bottom-left-origin window rectangle of the pixels that are not black; empty when none is.
struct Box {
    int left = 0, bottom = 0, right = -1, top = -1;
    bool empty() const { return right < left; }
};

static std::vector<unsigned char> readBack() {
    std::vector<unsigned char> pixels(800 * 600 * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

static Box litBox() {
    std::vector<unsigned char> pixels = readBack();
    Box box{800, 600, -1, -1};
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            const unsigned char* p = &pixels[(y * 800 + x) * 4];
            if (p[0] || p[1] || p[2]) {
                box.left = std::min(box.left, x);
                box.bottom = std::min(box.bottom, y);
                box.right = std::max(box.right, x);
                box.top = std::max(box.top, y);
            }
        }
    }
    return box;
}

static Rgba pixel(int x, int y) {
    Rgba value{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &value);
    return value;
}

struct FeedbackVertex {
    float x, y, s, t;
};

// The vertices that draw() sends to the rasteriser, in window coordinates, with their texture coordinates.
static std::vector<FeedbackVertex> feedback(const std::function<void()>& draw) {
    std::vector<GLfloat> buffer(4096);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_3D_COLOR_TEXTURE, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    int count = glRenderMode(GL_RENDER);
    std::vector<FeedbackVertex> vertices;
    const int floatsPerVertex = 3 + 4 + 4;
    for (int i = 0; i < count;) {
        GLfloat token = buffer[i++];
        if (token == GL_POLYGON_TOKEN) {
            int n = static_cast<int>(buffer[i++]);
            for (int v = 0; v < n; ++v, i += floatsPerVertex) {
                vertices.push_back({buffer[i], buffer[i + 1], buffer[i + 7], buffer[i + 8]});
            }
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            ++i;
        } else {
            ADD_FAILURE() << "unexpected feedback token " << token;
            break;
        }
    }
    return vertices;
}

static bool hasVertex(const std::vector<FeedbackVertex>& vertices, float x, float y, float s, float t) {
    for (const FeedbackVertex& v : vertices) {
        if (v.x == x && v.y == y && v.s == s && v.t == t) {
            return true;
        }
    }
    return false;
}

// A Targa of the given size whose bottom half (the first rows) is red and top half blue, all opaque.
static Bytes twoColourTarga(int width, int height) {
    Bytes file(18, 0);
    file[2] = 2;
    putLittleEndian(file, 12, width, 2);
    putLittleEndian(file, 14, height, 2);
    file[16] = 32;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            bool bottom = y < height / 2;
            file.insert(file.end(), {static_cast<unsigned char>(bottom ? 0 : 255), 0,
                                     static_cast<unsigned char>(bottom ? 255 : 0), 255});
        }
    }
    return file;
}

class PictureGL : public GLWindowTest {
protected:
    void SetUp() override {
        GLWindowTest::SetUp();
        scratch.enter();
        writeFile("red_blue.tga", twoColourTarga(256, 256));
        glViewport(0, 0, 800, 600);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    void TearDown() override {
        scratch.leave();
        GLWindowTest::TearDown();
    }

    ScratchFolder scratch;
};

static void expectStateAfterBlit() {
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint source = 0, destination = 0, mode = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLfloat colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(std::vector<GLfloat>(colour, colour + 4), (std::vector<GLfloat>{1, 1, 1, 1}));
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(modelView[i], i % 5 == 0 ? 1.0 : 0.0) << i;
    }
}

TEST_F(PictureGL, BlitDrawsTheNativeSizeQuadOnePixelShort) {
    Sprite sprite;
    ASSERT_TRUE(sprite.loadImageFile("red_blue.tga", 1));
    sprite.setPosition(100, 50);
    std::vector<FeedbackVertex> vertices = feedback([&] { sprite.blit(&window); });
    ASSERT_FALSE(vertices.empty());
    float minX = 1e9f, maxX = -1e9f, minY = 1e9f, maxY = -1e9f;
    for (const FeedbackVertex& v : vertices) {
        minX = std::min(minX, v.x);
        maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y);
        maxY = std::max(maxY, v.y);
    }
    EXPECT_EQ(minX, 100);
    EXPECT_EQ(maxX, 355);
    EXPECT_EQ(minY, 294);
    EXPECT_EQ(maxY, 549);
    EXPECT_TRUE(hasVertex(vertices, 100, 294, 0, 0));
    EXPECT_TRUE(hasVertex(vertices, 355, 549, 1, 1));

    sprite.blit(&window);
    Box box = litBox();
    EXPECT_EQ(box.left, 100);
    EXPECT_EQ(box.bottom, 294);
    EXPECT_EQ(box.right, 354);
    EXPECT_EQ(box.top, 548);
    // Upright: the file's first rows (red) at the bottom.
    EXPECT_EQ(pixel(200, 300).r, 255);
    EXPECT_EQ(pixel(200, 300).b, 0);
    EXPECT_EQ(pixel(200, 540).b, 255);
    EXPECT_EQ(pixel(200, 540).r, 0);
    expectStateAfterBlit();
}

TEST_F(PictureGL, FullWindowAndSizedBlitsCoverTheirAreas) {
    Sprite sprite;
    ASSERT_TRUE(sprite.loadImageFile("red_blue.tga", 1));
    sprite.blitFullWindow(&window);
    Box box = litBox();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.bottom, 0);
    EXPECT_EQ(box.right, 799);
    EXPECT_EQ(box.top, 599);
    // Away from the edges, where linear filtering wraps round to the other half.
    EXPECT_EQ(pixel(400, 100).r, 255);
    EXPECT_EQ(pixel(400, 100).b, 0);
    EXPECT_EQ(pixel(400, 500).b, 255);
    EXPECT_EQ(pixel(400, 500).r, 0);
    expectStateAfterBlit();

    glClear(GL_COLOR_BUFFER_BIT);
    sprite.setPosition(0, 100);
    sprite.blitFullWindow(&window);
    box = litBox();
    EXPECT_EQ(box.bottom, 0);
    EXPECT_EQ(box.top, 499);
    EXPECT_EQ(box.right, 799);
    expectStateAfterBlit();

    glClear(GL_COLOR_BUFFER_BIT);
    sprite.setPosition(0, 0);
    sprite.blitSized(&window, 800, 600);
    box = litBox();
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.bottom, 0);
    EXPECT_EQ(box.right, 799);
    EXPECT_EQ(box.top, 599);

    glClear(GL_COLOR_BUFFER_BIT);
    sprite.setPosition(10, 20);
    sprite.blitSized(&window, 64, 32);
    box = litBox();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.right, 73);
    EXPECT_EQ(box.top, 579);
    EXPECT_EQ(box.bottom, 548);
    expectStateAfterBlit();
}

TEST_F(PictureGL, BlitsLeaveTheirFixedStateWhateverCameBefore) {
    Sprite sprite;
    ASSERT_TRUE(sprite.loadImageFile("red_blue.tga", 1));
    GLdouble projection[16], before[16];
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3, 5, -7, 11, -2, 2);
    glGetDoublev(GL_PROJECTION_MATRIX, before);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(4, 5, 6);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBlendFunc(GL_ONE, GL_ZERO);
    glColor4f(0.2f, 0.3f, 0.4f, 0.5f);
    for (int which = 0; which < 3; ++which) {
        SCOPED_TRACE(which);
        if (which == 0) {
            sprite.blit(&window);
        } else if (which == 1) {
            sprite.blitFullWindow(&window);
        } else {
            sprite.blitSized(&window, 30, 40);
        }
        expectStateAfterBlit();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        EXPECT_EQ(std::vector<GLdouble>(projection, projection + 16), std::vector<GLdouble>(before, before + 16));
        GLint depth = 0;
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        EXPECT_EQ(depth, 1);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(PictureGL, ImagesDrawTheirPixelsAndTexturesDrawNothing) {
    writeFile("raw.bin", Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255});
    Image image;
    ASSERT_TRUE(image.loadRaw("raw.bin", 2, 2, GL_RGB));
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glEnable(GL_LIGHTING);
    image.drawPixels(&window, 10, 20);
    EXPECT_EQ(pixel(10, 20).r, 255);
    EXPECT_EQ(pixel(11, 20).g, 255);
    EXPECT_EQ(pixel(10, 21).b, 255);
    EXPECT_EQ(pixel(11, 21).r, 255);
    EXPECT_EQ(pixel(11, 21).g, 255);
    Box box = litBox();
    EXPECT_EQ(box.left, 10);
    EXPECT_EQ(box.bottom, 20);
    EXPECT_EQ(box.right, 11);
    EXPECT_EQ(box.top, 21);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLint value = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &value);
    EXPECT_EQ(value, 1);
    glGetIntegerv(GL_SHADE_MODEL, &value);
    EXPECT_EQ(value, GL_SMOOTH);
    glGetIntegerv(GL_MATRIX_MODE, &value);
    EXPECT_EQ(value, GL_MODELVIEW);

    glClear(GL_COLOR_BUFFER_BIT);
    Texture texture;
    ASSERT_TRUE(texture.loadRaw("raw.bin", 2, 2, GL_RGB));
    EXPECT_EQ(texture.pixels, nullptr);
    EXPECT_EQ(texture.width, 2);
    EXPECT_EQ(texture.format, GL_RGB);
    texture.drawPixels(&window, 10, 20);
    EXPECT_TRUE(litBox().empty());
}

TEST_F(PictureGL, EveryLoadTakesANewNameAndReleaseGivesItBackOnce) {
    Texture first;
    ASSERT_TRUE(first.loadImageFile("red_blue.tga", 1));
    GLuint firstName = first.textureId;
    EXPECT_NE(firstName, 0u);
    EXPECT_STREQ(first.name, "red_blue.tga");
    ASSERT_TRUE(first.loadImageFile("red_blue.tga", 1));
    EXPECT_NE(first.textureId, firstName);
    EXPECT_TRUE(glIsTexture(firstName));

    first.release();
    EXPECT_EQ(first.textureId, 0u);
    EXPECT_EQ(first.width, 0);
    Texture second;
    ASSERT_TRUE(second.loadImageFile("red_blue.tga", 1));
    first.release();
    EXPECT_TRUE(glIsTexture(second.textureId));

    // A failed load takes no name and leaves the name text alone.
    EXPECT_FALSE(second.loadImageFile("missing.tga", 1));
    EXPECT_STREQ(second.name, "red_blue.tga");
    Texture never;
    EXPECT_FALSE(never.loadImageFile("missing.tga", 1));
    EXPECT_EQ(never.textureId, 0u);
    EXPECT_STREQ(never.name, "");
}

// A 24-bit Targa or bitmap of the given width and height 2, every byte different from its neighbours.
static Bytes patternImage(bool bitmap, int width) {
    const int height = 2;
    int rowBytes = 3 * width;
    int stride = bitmap ? (rowBytes + 3) & ~3 : rowBytes;
    Bytes file;
    if (bitmap) {
        file.assign(54, 0);
        file[0] = 'B';
        file[1] = 'M';
        putLittleEndian(file, 2, 54 + stride * height, 4);
        putLittleEndian(file, 10, 54, 4);
        putLittleEndian(file, 14, 40, 4);
        putLittleEndian(file, 18, width, 4);
        putLittleEndian(file, 22, height, 4);
        putLittleEndian(file, 26, 1, 2);
        putLittleEndian(file, 28, 24, 2);
    } else {
        file.assign(18, 0);
        file[2] = 2;
        putLittleEndian(file, 12, width, 2);
        putLittleEndian(file, 14, height, 2);
        file[16] = 24;
    }
    for (int y = 0; y < height; ++y) {
        for (int i = 0; i < stride; ++i) file.push_back(static_cast<unsigned char>(i < rowBytes ? 7 * i + 101 * y + 1 : 0));
    }
    return file;
}

// The texture's level 0 as the given format, rows tightly packed.
static Bytes textureBytes(const Texture& texture, GLenum format, int bytesPerPixel) {
    Bytes bytes(static_cast<size_t>(texture.width * texture.height * bytesPerPixel));
    glBindTexture(GL_TEXTURE_2D, texture.textureId);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, bytes.data());
    return bytes;
}

// Rows whose length is no multiple of 4 bytes come out as decoded, not sheared by the default unpack alignment
// of 4 (which would also read past the end of the pixel buffer); the caller's alignment is left as it was.
TEST_F(PictureGL, UploadsTakeRowsTightlyPackedWhateverTheAlignment) {
    for (bool bitmap : {false, true}) {
        for (int width : {1, 3, 5, 255}) {
            SCOPED_TRACE(std::string(bitmap ? "bitmap" : "targa") + " width " + std::to_string(width));
            std::string name = bitmap ? "pattern.bmp" : "pattern.tga";
            writeFile(name, patternImage(bitmap, width));
            int type = bitmap ? 2 : 1;
            Image decoded;
            ASSERT_TRUE(decoded.loadImageFile(name.c_str(), type));
            ASSERT_EQ(decoded.format, GL_RGB);
            Bytes expected(decoded.pixels, decoded.pixels + 3 * width * 2);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            Texture texture;
            ASSERT_TRUE(texture.loadImageFile(name.c_str(), type));
            EXPECT_EQ(textureBytes(texture, GL_RGB, 3), expected);
            GLint alignment = 0;
            glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
            EXPECT_EQ(alignment, 4);
        }
    }

    // Raw files of 3-, 1- and 2-byte pixels: rows of 6, 3 and 6 bytes.
    struct Raw {
        GLenum format;
        int bytesPerPixel, width, height;
    };
    for (Raw raw : {Raw{GL_RGB, 3, 2, 2}, Raw{GL_LUMINANCE, 1, 3, 3}, Raw{GL_LUMINANCE_ALPHA, 2, 3, 2}}) {
        SCOPED_TRACE("raw format " + std::to_string(raw.format));
        Bytes file;
        for (int i = 0; i < raw.width * raw.height * raw.bytesPerPixel; ++i) file.push_back(static_cast<unsigned char>(30 * i + 5));
        writeFile("pattern.raw", file);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        Texture texture;
        ASSERT_TRUE(texture.loadRaw("pattern.raw", raw.width, raw.height, static_cast<int>(raw.format)));
        EXPECT_EQ(textureBytes(texture, raw.format, raw.bytesPerPixel), file);
    }
}

TEST_F(PictureGL, LongFileNamesAreCutToFit) {
    std::string folderName(120, 'd');
    std::string path = folderName + "/picture_with_a_long_name.tga";
    writeFile(path, twoColourTarga(4, 4));
    Texture texture;
    ASSERT_TRUE(texture.loadImageFile(path.c_str(), 1));
    EXPECT_NE(texture.textureId, 0u);
    EXPECT_EQ(std::string(texture.name), path.substr(0, 127));
}

TEST_F(PictureGL, AnEmptySpriteDrawsAnUntexturedWhiteQuad) {
    Sprite sprite;
    EXPECT_FALSE(sprite.loadImageFile("missing.tga", 1));
    sprite.setPosition(300, 200);
    sprite.blitSized(&window, 64, 64);
    Box box = litBox();
    EXPECT_EQ(box.left, 300);
    EXPECT_EQ(box.right, 363);
    EXPECT_EQ(box.top, 399);
    EXPECT_EQ(box.bottom, 336);
    Rgba inside = pixel(330, 370);
    EXPECT_EQ(inside.r, 255);
    EXPECT_EQ(inside.g, 255);
    EXPECT_EQ(inside.b, 255);
}

// The s and t ranges of the glyph quad that one display list draws.
static void glyphRange(GLuint list, float* s0, float* s1, float* t0, float* t1) {
    std::vector<FeedbackVertex> vertices = feedback([&] {
        glLoadIdentity();
        glCallList(list);
    });
    ASSERT_FALSE(vertices.empty());
    *s0 = *t0 = 1e9f;
    *s1 = *t1 = -1e9f;
    for (const FeedbackVertex& v : vertices) {
        *s0 = std::min(*s0, v.s);
        *s1 = std::max(*s1, v.s);
        *t0 = std::min(*t0, v.t);
        *t1 = std::max(*t1, v.t);
    }
}

TEST_F(PictureGL, FontListsMapTheGlyphCellsAndAdvance) {
    Texture texture;
    ASSERT_TRUE(texture.loadImageFile("red_blue.tga", 1));
    BitmapFont font;
    EXPECT_EQ(font.glyphWidth, 16);
    EXPECT_EQ(font.advance, 10);
    EXPECT_EQ(font.screenWidth, 640);
    font.setTexture(&texture, 16, 16);
    font.setGlyphSize(16, 16, 10);
    font.setScreenSize(window.width, window.height);
    font.build();
    ASSERT_NE(font.listBase, 0u);
    EXPECT_TRUE(glIsList(font.listBase + 255));
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(static_cast<GLuint>(bound), texture.textureId);

    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    float s0, s1, t0, t1;
    glyphRange(font.listBase + 0, &s0, &s1, &t0, &t1);
    EXPECT_EQ(s0, 0.0f);
    EXPECT_EQ(s1, 0.0625f);
    EXPECT_EQ(t0, 0.9375f);
    EXPECT_EQ(t1, 1.0f);
    glyphRange(font.listBase + 17, &s0, &s1, &t0, &t1);
    EXPECT_EQ(s0, 0.0625f);
    EXPECT_EQ(s1, 0.125f);
    EXPECT_EQ(t0, 0.875f);
    EXPECT_EQ(t1, 0.9375f);

    // The quad spans glyphWidth - 1 units; each list moves the origin by the advance.
    std::vector<FeedbackVertex> vertices = feedback([&] {
        glLoadIdentity();
        glCallList(font.listBase + 65);
        glCallList(font.listBase + 66);
    });
    float maxX = -1;
    for (const FeedbackVertex& v : vertices) {
        maxX = std::max(maxX, v.x);
    }
    EXPECT_EQ(maxX, 25.0f);
    glLoadIdentity();
    glCallList(font.listBase + 65);
    glCallList(font.listBase + 66);
    GLdouble modelView[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelView);
    EXPECT_EQ(modelView[12], 20.0);
    EXPECT_EQ(modelView[13], 0.0);

    GLuint base = font.listBase;
    font.deleteLists();
    EXPECT_FALSE(glIsList(base));
    EXPECT_FALSE(glIsList(base + 255));
    EXPECT_EQ(font.listBase, 0u);
}

TEST_F(PictureGL, SmallerGridsAndUnbuiltFonts) {
    // Lists of someone else must survive a font that never built any.
    GLuint others = glGenLists(3);
    glNewList(others, GL_COMPILE);
    glEndList();
    {
        BitmapFont unbuilt;
        unbuilt.deleteLists();
    }
    EXPECT_TRUE(glIsList(others));

    BitmapFont font;
    font.setTexture(nullptr, 16, 8);
    font.build();
    ASSERT_NE(font.listBase, 0u);
    EXPECT_TRUE(glIsList(font.listBase + 127));
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, 800, 0, 600, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    float s0, s1, t0, t1;
    glyphRange(font.listBase + 16, &s0, &s1, &t0, &t1);
    EXPECT_EQ(s0, 0.0f);
    EXPECT_EQ(s1, 0.0625f);
    EXPECT_EQ(t0, 0.75f);
    EXPECT_EQ(t1, 0.875f);
    glDeleteLists(others, 3);
}
