// SPDX-License-Identifier: MIT
#include "show_gl.h"

#include <vector>

#include "media/sprite.h"

#include <GL/gl.h>

void ShowGLTest::SetUp()
{
    GLWindowTest::SetUp();
    headlessUseVirtualClock(true);
}

void ShowGLTest::fill(float r, float g, float b)
{
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);  // the show's own clear colour again
}

void makeSolid(Texture& texture, int width, int height, unsigned char r, unsigned char g, unsigned char b,
               unsigned char a)
{
    std::vector<unsigned char> pixels(static_cast<size_t>(width) * height * 4);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        pixels[i] = r;
        pixels[i + 1] = g;
        pixels[i + 2] = b;
        pixels[i + 3] = a;
    }
    glGenTextures(1, &texture.textureId);
    glBindTexture(GL_TEXTURE_2D, texture.textureId);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    texture.width = width;
    texture.height = height;
    texture.format = GL_RGBA;
}
