// SPDX-License-Identifier: MIT
// The picture family: Image holds decoded pixels, Texture uploads them into an OpenGL texture and lets them
// go, Sprite adds a clamped window position and two-dimensional blits over the scene.
#pragma once

struct GLWindow;

class Image {
public:
    unsigned char* pixels;   // rows bottom first, 3 (RGB) or 4 (RGBA) bytes per pixel, malloc'd; null when none
    int width;
    int height;
    int format;              // GL_RGB or GL_RGBA; 0 when empty
    char name[128];          // file name of the last successful texture load; longer names are cut

    Image();
    virtual ~Image();
    Image(const Image&) = delete;
    Image& operator=(const Image&) = delete;

    // The whole file taken as pixels of the given size and format; false when it is missing or too short.
    virtual bool loadRaw(const char* fileName, int width, int height, int format);
    // type 1: Targa, 2: Windows bitmap; any other type fails without touching anything.
    virtual bool loadImageFile(const char* fileName, int type);
    // Frees the pixels and zeroes the fields; safe on an empty object.
    virtual void release();
    // glDrawPixels of the own buffer at (rasterX, rasterY) from the window's bottom-left corner; nothing
    // when there are no pixels. Leaves texturing, lighting, fog and depth test off, unpack alignment 1.
    virtual void drawPixels(const GLWindow* window, int rasterX, int rasterY);
};

class Texture : public Image {
public:
    unsigned int textureId;  // OpenGL texture name; 0 until a load succeeds and again after release

    Texture();
    ~Texture() override;

    // The Image load, then the upload: a new texture name, linear filtering, the pixel buffer freed.
    bool loadRaw(const char* fileName, int width, int height, int format) override;
    bool loadImageFile(const char* fileName, int type) override;
    // The Image release, then the texture name is deleted and cleared.
    void release() override;

    void bind() const;

protected:
    bool upload(const char* fileName);
};

class Sprite : public Texture {
public:
    float maxX, maxY;        // clamp box, window pixels
    float minX, minY;
    float x, y;              // top-left corner, from the window's top-left corner, y growing downward

    Sprite();
    ~Sprite() override;

    // Stores the box; the sprite stays where it is until it next moves.
    void setClampBox(int minX, int minY, int maxX, int maxY);
    // Places the sprite and clamps it into the box.
    void setPosition(int x, int y);
    // Moves and clamps: the lower bounds first, then the upper ones, which win in an inverted box.
    void moveBy(int dx, int dy);

    // Each blit draws one textured quad in window pixels and afterwards leaves depth test and lighting on,
    // blending and texturing off, the blend function (GL_SRC_ALPHA, GL_ONE), opaque white and an identity
    // model-view matrix.
    void blit(const GLWindow* window);                                 // at the texture's own size
    void blitFullWindow(const GLWindow* window);                       // stretched over the window
    void blitSized(const GLWindow* window, int width, int height);     // at the given size
};
