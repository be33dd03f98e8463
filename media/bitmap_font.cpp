// SPDX-License-Identifier: MIT
// Display lists for a grid font: glyph i draws cell i (row by row from the picture's top-left) and then
// translates the origin by the advance, so calling consecutive lists prints left to right.
#include "media/bitmap_font.h"

#include "media/sprite.h"
#include "platform/win32_api.h"
#include <GL/gl.h>

BitmapFont::BitmapFont()
    : texture(nullptr), listBase(0), glyphWidth(16), glyphHeight(16), advance(10), columns(16), rows(16),
      screenWidth(640), screenHeight(480) {}

BitmapFont::~BitmapFont() {
    deleteLists();
}

void BitmapFont::setTexture(Texture* texture, int columns, int rows) {
    this->texture = texture;
    this->columns = columns;
    this->rows = rows;
}

void BitmapFont::setGlyphSize(int width, int height, int advance) {
    glyphWidth = width;
    glyphHeight = height;
    this->advance = advance;
}

void BitmapFont::setScreenSize(int width, int height) {
    screenWidth = width;
    screenHeight = height;
}

void BitmapFont::build() {
    if (columns <= 0 || rows <= 0) {
        return;
    }
    int count = columns * rows;
    float cellWidth = 1.0f / columns;
    float cellHeight = 1.0f / rows;
    listBase = glGenLists(count);
    if (listBase == 0) {
        return;
    }
    // Bound for the build only; glBindTexture is not recorded into the lists.
    if (texture) {
        texture->bind();
    }
    for (int i = 0; i < count; ++i) {
        int column = i % columns;
        int row = i / columns;
        float u0 = column * cellWidth;
        float u1 = u0 + cellWidth;
        // Pixel rows are stored bottom first, so t = 1 is the top of the picture.
        float vTop = 1 - row * cellHeight;
        float vBottom = vTop - cellHeight;

        glNewList(listBase + i, GL_COMPILE);
        glBegin(GL_QUADS);
        glTexCoord2f(u0, vBottom);
        glVertex2i(0, 0);
        glTexCoord2f(u1, vBottom);
        glVertex2i(glyphWidth - 1, 0);
        glTexCoord2f(u1, vTop);
        glVertex2i(glyphWidth - 1, glyphHeight - 1);
        glTexCoord2f(u0, vTop);
        glVertex2i(0, glyphHeight - 1);
        glEnd();
        glTranslated(advance, 0, 0);
        glEndList();
    }
}

// A font that never built lists owns none: deleting from name 0 would take lists 1 and up from others.
void BitmapFont::deleteLists() {
    if (listBase == 0 || columns <= 0 || rows <= 0) {
        return;
    }
    glDeleteLists(listBase, columns * rows);
    listBase = 0;
}
