// SPDX-License-Identifier: MIT
// The picture family's upload, release, clamping and blits. The blits push and pop both matrices and leave
// one fixed state behind, whatever the state was before.
#include "media/sprite.h"

#include <cstdio>
#include <cstdlib>

#include "app/gl_window.h"
#include "platform/win32_api.h"
#include <GL/gl.h>

Image::Image() : pixels(nullptr), width(0), height(0), format(0), name{} {}

Image::~Image() {
    Image::release();
}

void Image::release() {
    if (pixels) {
        std::free(pixels);
        pixels = nullptr;
    }
    width = 0;
    height = 0;
    format = 0;
}

void Image::drawPixels(const GLWindow* window, int rasterX, int rasterY) {
    if (!pixels) {
        return;
    }
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    glDisable(GL_FOG);
    glDisable(GL_DEPTH_TEST);
    glShadeModel(GL_FLAT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);

    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, window->width, 0, window->height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();

    glRasterPos2i(rasterX, rasterY);
    glDrawPixels(width, height, format, GL_UNSIGNED_BYTE, pixels);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glShadeModel(GL_SMOOTH);
}

Texture::Texture() : textureId(0) {}

Texture::~Texture() {
    Texture::release();
}

bool Texture::loadRaw(const char* fileName, int width, int height, int format) {
    if (!Image::loadRaw(fileName, width, height, format)) {
        return false;
    }
    return upload(fileName);
}

bool Texture::loadImageFile(const char* fileName, int type) {
    if (!Image::loadImageFile(fileName, type)) {
        return false;
    }
    return upload(fileName);
}

// Every successful load takes a new texture name; one held before stays alive, as callers expect.
bool Texture::upload(const char* fileName) {
    glGenTextures(1, &textureId);
    glBindTexture(GL_TEXTURE_2D, textureId);
    // Decoded rows are tightly packed: read them so, whatever alignment the caller left, and give it back.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, format, width, height, 0, format, GL_UNSIGNED_BYTE, pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    std::free(pixels);
    pixels = nullptr;
    // A name too long for the buffer is cut; the load itself stands.
    std::snprintf(name, sizeof name, "%s", fileName);
    return true;
}

void Texture::release() {
    Image::release();
    // Cleared at once, so no later release deletes a name OpenGL has since given to another texture.
    if (textureId != 0) {
        glDeleteTextures(1, &textureId);
        textureId = 0;
    }
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, textureId);
}

Sprite::Sprite() : maxX(800), maxY(600), minX(0), minY(0), x(0), y(0) {}

Sprite::~Sprite() {
    Texture::release();
}

void Sprite::setClampBox(int minX, int minY, int maxX, int maxY) {
    this->minX = static_cast<float>(minX);
    this->minY = static_cast<float>(minY);
    this->maxX = static_cast<float>(maxX);
    this->maxY = static_cast<float>(maxY);
}

void Sprite::setPosition(int x, int y) {
    this->x = static_cast<float>(x);
    this->y = static_cast<float>(y);
    moveBy(0, 0);
}

void Sprite::moveBy(int dx, int dy) {
    x += static_cast<float>(dx);
    y += static_cast<float>(dy);
    if (x < minX) {
        x = minX;
    }
    if (y < minY) {
        y = minY;
    }
    if (x > maxX) {
        x = maxX;
    }
    if (y > maxY) {
        y = maxY;
    }
}

// One textured quad from (0, 0) to (right, top) after a translation, in an orthographic window-pixel space.
static void drawWindowQuad(const Texture& texture, const GLWindow* window, double translateX, double translateY,
                           int right, int top) {
    glColor4f(1, 1, 1, 1);
    glLoadIdentity();
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, window->width, 0, window->height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glTranslated(translateX, translateY, 0);

    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    texture.bind();

    // t = 0 is the first pixel row, the bottom of the picture.
    glBegin(GL_QUADS);
    glTexCoord2f(0, 0);
    glVertex2i(0, 0);
    glTexCoord2f(1, 0);
    glVertex2i(right, 0);
    glTexCoord2f(1, 1);
    glVertex2i(right, top);
    glTexCoord2f(0, 1);
    glVertex2i(0, top);
    glEnd();

    glEnable(GL_DEPTH_TEST);
    glEnable(GL_LIGHTING);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
}

// The native-size quad ends one pixel short of the texture size, at w - 1 and h - 1.
void Sprite::blit(const GLWindow* window) {
    double translateY = window->height - (static_cast<double>(height) + y);
    drawWindowQuad(*this, window, x, translateY, width - 1, height - 1);
}

void Sprite::blitFullWindow(const GLWindow* window) {
    double translateY = window->height - (static_cast<double>(window->height) + y);
    drawWindowQuad(*this, window, x, translateY, window->width, window->height);
}

void Sprite::blitSized(const GLWindow* window, int width, int height) {
    double translateY = window->height - (static_cast<double>(height) + y);
    drawWindowQuad(*this, window, x, translateY, width, height);
}
