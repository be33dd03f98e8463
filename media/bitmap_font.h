// SPDX-License-Identifier: MIT
// A text font made from one texture holding a grid of equal glyph cells: one display list per cell draws the
// glyph as a quad and moves the origin right by the advance.
#pragma once

class Texture;

class BitmapFont {
public:
    Texture* texture;        // not owned
    unsigned int listBase;   // glyph i is display list listBase + i; 0 when no lists exist
    int glyphWidth;
    int glyphHeight;
    int advance;
    int columns;
    int rows;
    int screenWidth;
    int screenHeight;

    BitmapFont();
    ~BitmapFont();
    BitmapFont(const BitmapFont&) = delete;
    BitmapFont& operator=(const BitmapFont&) = delete;

    void setTexture(Texture* texture, int columns, int rows);
    void setGlyphSize(int width, int height, int advance);
    void setScreenSize(int width, int height);
    // Compiles columns x rows lists, cell 0 being the top-left cell of the picture. The texture is bound
    // while building but the binding is not part of the lists: callers bind it before calling them.
    void build();
    void deleteLists();
};
