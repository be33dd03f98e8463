// SPDX-License-Identifier: MIT
// The GL cases: each resets the state it relies on, draws, and reads its corner of the window back.
#include "tests/e2e_web/gl_cases.h"

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <vector>

namespace {

void reset()
{
    glViewport(0, 0, caseWidth, caseHeight);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_ONE, GL_ZERO);
    glDepthFunc(GL_LESS);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
    glClearDepth(1.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0, caseWidth, 0, caseHeight, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor4f(1, 1, 1, 1);
}

void colouredShapes(float x0, float y0)
{
    glBegin(GL_QUADS);
    glColor4f(1, 0, 0, 1); glVertex2i(static_cast<int>(x0), static_cast<int>(y0));
    glColor4f(0, 1, 0, 1); glVertex2i(static_cast<int>(x0) + 60, static_cast<int>(y0));
    glColor4f(0, 0, 1, 1); glVertex2i(static_cast<int>(x0) + 60, static_cast<int>(y0) + 60);
    glColor4f(1, 1, 0, 1); glVertex2i(static_cast<int>(x0), static_cast<int>(y0) + 60);
    glEnd();
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < 6; ++i) {
        glColor4f(i % 2 ? 1.0f : 0.0f, i / 5.0f, 1.0f - i / 5.0f, 1);
        glVertex3f(x0 + 70 + i * 10.0f, y0 + (i % 2 ? 0.0f : 60.0f), 0);
    }
    glEnd();
    glBegin(GL_TRIANGLE_FAN);
    glColor4f(1, 1, 1, 1); glVertex2f(x0 + 170, y0 + 30);
    for (int i = 0; i <= 5; ++i) {
        const float a = i * 1.2f;
        glColor4f(i / 5.0f, 0.5f, 1.0f - i / 5.0f, 1);
        glVertex2f(x0 + 170 + 28 * std::cos(a), y0 + 30 + 28 * std::sin(a));
    }
    glEnd();
    glBegin(GL_QUAD_STRIP);
    for (int i = 0; i < 6; ++i) {
        glColor4f(0.2f * i, 1.0f - 0.2f * i, 0.5f, 1);
        glVertex2f(x0 + 205 + (i / 2) * 15.0f, y0 + (i % 2 ? 60.0f : 0.0f));
    }
    glEnd();
}

void caseSmooth()
{
    colouredShapes(10, 100);
    colouredShapes(10, 20);
}

void caseFlat()
{
    colouredShapes(10, 100);
    glShadeModel(GL_FLAT);
    colouredShapes(10, 20);
}

GLuint makeTexture(GLenum format, int width, int height, const unsigned char* pixels, GLenum filter, int alignment)
{
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    if (filter) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
    }
    return id;
}

void texturedQuad(GLuint id, float x, float y, float size, float repeat)
{
    glBindTexture(GL_TEXTURE_2D, id);
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0); glVertex2f(x, y);
    glTexCoord2f(repeat, 0); glVertex2f(x + size, y);
    glTexCoord2d(repeat, repeat); glVertex2f(x + size, y + size);
    glTexCoord2d(0, repeat); glVertex2f(x, y + size);
    glEnd();
}

// Two rows of RGB texels, 2 x 2: with alignment 1 the rows are 6 bytes apart, with 4 they are 8.
const unsigned char rgbTight[12] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
const unsigned char rgbPadded[16] = {255, 0, 0, 0, 255, 0, 9, 9, 0, 0, 255, 255, 255, 255, 9, 9};

std::vector<unsigned char> checker(int size, int channels)
{
    std::vector<unsigned char> p(size * size * channels);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            unsigned char* q = &p[(y * size + x) * channels];
            const bool on = ((x / 2) + (y / 2)) % 2 == 0;
            q[0] = on ? 250 : static_cast<unsigned char>(x * 30);
            q[1] = on ? 200 : static_cast<unsigned char>(y * 30);
            q[2] = on ? 40 : 180;
            if (channels == 4)
                q[3] = static_cast<unsigned char>(x * 255 / (size - 1));
        }
    return p;
}

void caseTextures()
{
    glEnable(GL_TEXTURE_2D);
    const GLuint tight = makeTexture(GL_RGB, 2, 2, rgbTight, GL_NEAREST, 1);
    const GLuint padded = makeTexture(GL_RGB, 2, 2, rgbPadded, GL_NEAREST, 4);
    const std::vector<unsigned char> rgb = checker(8, 3);
    const std::vector<unsigned char> rgba = checker(8, 4);
    const GLuint linear = makeTexture(GL_RGB, 8, 8, rgb.data(), GL_LINEAR, 1);
    const GLuint alpha = makeTexture(GL_RGBA, 8, 8, rgba.data(), GL_NEAREST, 4);
    // Left at the default mipmap filter with one level: GL draws it as if texturing were off.
    const GLuint incomplete = makeTexture(GL_RGB, 8, 8, rgb.data(), 0, 1);
    texturedQuad(tight, 8, 120, 60, 1);
    texturedQuad(padded, 72, 120, 60, 1);
    glColor4f(0.5f, 1.0f, 0.25f, 1.0f);
    texturedQuad(linear, 136, 120, 60, 1);
    texturedQuad(linear, 200, 120, 50, 2);
    glColor4f(1, 1, 1, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // Sizes that are whole multiples of the texel count keep texel edges off pixel centres.
    texturedQuad(alpha, 8, 40, 72, 1);
    glDisable(GL_BLEND);
    texturedQuad(alpha, 88, 40, 72, 1);
    glColor4f(0.8f, 0.3f, 0.6f, 1.0f);
    texturedQuad(incomplete, 168, 40, 72, 1);
    glDisable(GL_TEXTURE_2D);
    const GLuint names[5] = {tight, padded, linear, alpha, incomplete};
    glDeleteTextures(5, names);
}

void caseBlending()
{
    // Stripes to blend over, then rows of quads in the show's three blend modes with colours that change
    // inside one glBegin.
    glBegin(GL_QUADS);
    for (int i = 0; i < 8; ++i) {
        glColor4f(i % 2 ? 0.9f : 0.1f, 0.3f, i % 3 ? 0.2f : 0.8f, 1);
        glVertex2i(i * 32, 0);
        glVertex2i(i * 32 + 32, 0);
        glVertex2i(i * 32 + 32, caseHeight);
        glVertex2i(i * 32, caseHeight);
    }
    glEnd();
    glEnable(GL_BLEND);
    const GLenum modes[3][2] = {{GL_SRC_ALPHA, GL_ONE}, {GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA}, {GL_ONE, GL_ONE}};
    for (int m = 0; m < 3; ++m) {
        glBlendFunc(modes[m][0], modes[m][1]);
        glBegin(GL_QUADS);
        for (int i = 0; i < 6; ++i) {
            const float x = 10.0f + i * 40;
            const float y = 10.0f + m * 60;
            glColor4f(0.2f + 0.15f * i, 0.5f, 0.9f - 0.1f * i, 0.1f + 0.15f * i);
            glVertex2f(x, y);
            glVertex2f(x + 34, y);
            glColor4f(0.5f, 0.1f * i, 0.3f, 0.5f);
            glVertex2f(x + 34, y + 50);
            glVertex2f(x, y + 50);
        }
        glEnd();
    }
    glDisable(GL_BLEND);
}

void caseDepth()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(caseWidth) / caseHeight, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    auto square = [](float x, float y, float z, float r, float g, float b) {
        glColor4f(r, g, b, 1);
        glBegin(GL_QUADS);
        glVertex3f(x - 1, y - 1, z);
        glVertex3f(x + 1, y - 1, z);
        glVertex3f(x + 1, y + 1, z + 0.5f);
        glVertex3f(x - 1, y + 1, z + 0.5f);
        glEnd();
    };
    square(-1.5f, 0.5f, -8, 1, 0, 0);
    square(-0.8f, 0.0f, -9, 0, 1, 0);    // behind: hidden where they overlap
    square(-0.5f, 0.8f, -7.5f, 0, 0, 1);
    glDepthFunc(GL_GREATER);
    square(1.5f, 0.0f, -8.2f, 1, 1, 0);  // only where nothing nearer... nothing is drawn there: GREATER fails
    glDepthFunc(GL_LESS);
    square(1.2f, 0.3f, -8.0f, 0, 1, 1);
    glClear(GL_DEPTH_BUFFER_BIT);
    square(0.5f, -1.2f, -12.0f, 1, 0, 1);  // far, but drawn over everything after the depth clear
    glDisable(GL_DEPTH_TEST);
}

// Glyph lists built the way the program's font builds them: a textured quad and a move right per list.
void caseLists()
{
    const std::vector<unsigned char> rgba = checker(16, 4);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    const GLuint texture = makeTexture(GL_RGBA, 16, 16, rgba.data(), GL_LINEAR, 1);
    const GLuint base = glGenLists(16);
    for (int i = 0; i < 16; ++i) {
        const float u0 = (i % 4) / 4.0f;
        const float v0 = (i / 4) / 4.0f;
        glNewList(base + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(u0, v0); glVertex2i(0, 0);
        glTexCoord2f(u0 + 0.25f, v0); glVertex2i(13, 0);
        glTexCoord2f(u0 + 0.25f, v0 + 0.25f); glVertex2i(13, 17);
        glTexCoord2f(u0, v0 + 0.25f); glVertex2i(0, 17);
        glEnd();
        glTranslated(15, 0, 0);
        glEndList();
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    const unsigned char text[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    for (int row = 0; row < 4; ++row) {
        glLoadIdentity();
        glTranslated(10, 20 + row * 40, 0);
        glColor4f(1.0f - row * 0.2f, 0.5f + row * 0.1f, 1, 1);
        glListBase(base + row - 1);
        glCallLists(12, GL_UNSIGNED_BYTE, text);
    }
    glListBase(0);
    glLoadIdentity();
    glTranslated(200, 170, 0);
    glCallList(base);
    glCallList(base + 5);
    glDeleteLists(base, 16);
    glDeleteTextures(1, &texture);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

// Pictures drawn at a raster position as the program's sprites draw them: ortho over the viewport, tightly
// packed rows, RGB opaque and RGBA blended.
void casePixels()
{
    const int w = 37, h = 23;
    std::vector<unsigned char> rgb(w * h * 3), rgba(w * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            unsigned char* p = &rgb[(y * w + x) * 3];
            p[0] = static_cast<unsigned char>(x * 7);
            p[1] = static_cast<unsigned char>(y * 11);
            p[2] = static_cast<unsigned char>((x + y) % 2 ? 255 : 0);
            unsigned char* q = &rgba[(y * w + x) * 4];
            q[0] = 255;
            q[1] = static_cast<unsigned char>(x * 7);
            q[2] = 30;
            q[3] = static_cast<unsigned char>(y * 11);
        }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glRasterPos2i(5, 7);
    glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glRasterPos2i(100, 60);
    glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glRasterPos2i(110, 70);
    glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glDisable(GL_BLEND);
    // The raster position goes through the model-view matrix too.
    glTranslatef(150, 100, 0);
    glRasterPos2i(20, 30);
    glDrawPixels(w, h, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glLoadIdentity();
    // A large picture, as the show's full-window ones.
    std::vector<unsigned char> large(200 * 150 * 3);
    for (size_t i = 0; i < large.size(); ++i)
        large[i] = static_cast<unsigned char>((i * 13) >> 4);
    glRasterPos2i(50, 40);
    glDrawPixels(200, 150, GL_RGB, GL_UNSIGNED_BYTE, large.data());
    glRasterPos2i(3, 150);
    glDrawPixels(w, h, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

// Squares from client arrays drawn with glDrawElements in groups, additive, as the fountain draws them (larger
// than the fountain's, so most pixels lie inside a square rather than on an edge).
void caseArrays()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(caseWidth) / caseHeight, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    const int n = 200;
    std::vector<float> vertices(n * 12), texCoords(n * 8), colors(n * 16);
    std::vector<unsigned short> indices(n * 6);
    unsigned seed = 12345;
    auto next = [&seed]() {
        seed = seed * 1103515245u + 12345u;
        return static_cast<float>((seed >> 8) & 0xffff) / 65535.0f;
    };
    const float corners[4][4] = {{0.4f, 0.4f, 1, 1}, {-0.4f, 0.4f, 0, 1}, {0.4f, -0.4f, 1, 0}, {-0.4f, -0.4f, 0, 0}};
    for (int p = 0; p < n; ++p) {
        const float x = next() * 8 - 4, y = next() * 6 - 3, z = -10 - next() * 5;
        const float r = next(), g = next(), b = next(), a = next();
        for (int k = 0; k < 4; ++k) {
            float* v = &vertices[(p * 4 + k) * 3];
            v[0] = x + corners[k][0];
            v[1] = y + corners[k][1];
            v[2] = z;
            texCoords[(p * 4 + k) * 2] = corners[k][2];
            texCoords[(p * 4 + k) * 2 + 1] = corners[k][3];
            float* c = &colors[(p * 4 + k) * 4];
            c[0] = r;
            c[1] = g;
            c[2] = b;
            c[3] = a;
        }
        const unsigned short strip[6] = {0, 1, 2, 2, 1, 3};
        for (int k = 0; k < 6; ++k)
            indices[p * 6 + k] = static_cast<unsigned short>(p * 4 + strip[k]);
    }
    std::vector<unsigned char> glow(16 * 16 * 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const float d = std::sqrt((x - 7.5f) * (x - 7.5f) + (y - 7.5f) * (y - 7.5f)) / 8;
            const unsigned char v = static_cast<unsigned char>(d > 1 ? 0 : (1 - d) * 255);
            glow[(y * 16 + x) * 3] = v;
            glow[(y * 16 + x) * 3 + 1] = v;
            glow[(y * 16 + x) * 3 + 2] = static_cast<unsigned char>(v / 2);
        }
    glEnable(GL_TEXTURE_2D);
    const GLuint texture = makeTexture(GL_RGB, 16, 16, glow.data(), GL_LINEAR, 1);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glColorPointer(4, GL_FLOAT, 0, colors.data());
    glDrawElements(GL_TRIANGLES, n * 3, GL_UNSIGNED_SHORT, indices.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    glDrawElements(GL_TRIANGLES, n * 3, GL_UNSIGNED_SHORT, indices.data() + n * 3);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDeleteTextures(1, &texture);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

// Textured cubes in the show's perspective, turned about two axes, with back faces culled, and a second row
// without culling and with depth.
void casePerspective()
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, static_cast<double>(caseWidth) / caseHeight, 1.0, 100.0);
    glMatrixMode(GL_MODELVIEW);
    const std::vector<unsigned char> rgb = checker(8, 3);
    glEnable(GL_TEXTURE_2D);
    const GLuint texture = makeTexture(GL_RGB, 8, 8, rgb.data(), GL_LINEAR, 1);
    static const float cube[24][5] = {
        {0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1},
        {1, 0, -1, -1, -1}, {1, 1, -1, 1, -1}, {0, 1, 1, 1, -1}, {0, 0, 1, -1, -1},
        {0, 1, -1, 1, -1}, {0, 0, -1, 1, 1}, {1, 0, 1, 1, 1}, {1, 1, 1, 1, -1},
        {1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1},
        {1, 0, 1, -1, -1}, {1, 1, 1, 1, -1}, {0, 1, 1, 1, 1}, {0, 0, 1, -1, 1},
        {0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}, {1, 1, -1, 1, 1}, {0, 1, -1, 1, -1},
    };
    auto drawCube = []() {
        glBegin(GL_QUADS);
        for (const auto& v : cube) {
            glTexCoord2f(v[0], v[1]);
            glVertex3f(v[2], v[3], v[4]);
        }
        glEnd();
    };
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_CULL_FACE);
    glColor4f(0.5f, 0.5f, 0.5f, 0.5f);
    for (int i = 0; i < 3; ++i) {
        glPushMatrix();
        glTranslatef(-3.5f + i * 3.5f, 1.5f, -10.0f);
        glRotatef(30.0f + i * 50, 1.0f, 0.0f, 1.0f);
        glRotatef(20.0f + i * 40, 0.0f, 1.0f, 0.0f);
        drawCube();
        glPopMatrix();
    }
    glDisable(GL_CULL_FACE);
    glDisable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    glColor4f(1, 0.8f, 0.6f, 1);
    for (int i = 0; i < 3; ++i) {
        glPushMatrix();
        glTranslated(-3.5 + i * 3.5, -1.8, -11.0);
        glRotated(25.0 + i * 60, 1.0, 1.0, 0.0);
        drawCube();
        glPopMatrix();
    }
    glDisable(GL_DEPTH_TEST);
    glDeleteTextures(1, &texture);
    glDisable(GL_TEXTURE_2D);
}

// Lighting on with no light: what the fade quads and blits would draw if the program left it on.
void caseLighting()
{
    glEnable(GL_LIGHTING);
    glColor4f(1, 0, 0, 1);
    glBegin(GL_QUADS);
    glVertex2i(20, 20); glVertex2i(120, 20); glVertex2i(120, 120); glVertex2i(20, 120);
    glEnd();
    glDisable(GL_LIGHTING);
    glBegin(GL_QUADS);
    glVertex2i(140, 20); glVertex2i(240, 20); glVertex2i(240, 120); glVertex2i(140, 120);
    glEnd();
}

struct Case {
    const char* name;
    void (*draw)();
};

const Case cases[] = {
    {"smooth_shading", caseSmooth}, {"flat_shading", caseFlat},      {"textures", caseTextures},
    {"blending", caseBlending},     {"depth_test", caseDepth},       {"display_lists", caseLists},
    {"draw_pixels", casePixels},    {"client_arrays", caseArrays},   {"perspective", casePerspective},
    {"lighting", caseLighting},
};

}  // namespace

int glCaseCount()
{
    return static_cast<int>(sizeof cases / sizeof cases[0]);
}

const char* glCaseName(int index)
{
    return index >= 0 && index < glCaseCount() ? cases[index].name : "";
}

void glCaseDraw(int index, unsigned char* rgba)
{
    if (index < 0 || index >= glCaseCount())
        return;
    reset();
    cases[index].draw();
    glFlush();
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, caseWidth, caseHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
}
