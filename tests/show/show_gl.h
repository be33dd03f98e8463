// SPDX-License-Identifier: MIT
// Helpers for the show's GL tests on top of the shared window fixture: a virtual clock, a filled colour
// buffer and solid-colour textures put straight into sprites.
#pragma once

#include "tests/support/gl_fixture.h"

class ShowGLTest : public GLWindowTest {
protected:
    void SetUp() override;
    void fill(float r, float g, float b);
};

class Texture;
// Gives the texture (and its size fields) a w x h picture of one colour.
void makeSolid(Texture& texture, int width, int height, unsigned char r, unsigned char g, unsigned char b,
               unsigned char a = 255);

// Within one 8-bit step.
#define EXPECT_NEAR_RGB(pixel, R, G, B)        \
    do {                                       \
        const Rgba p_ = (pixel);               \
        EXPECT_NEAR(p_.r, (R), 1);             \
        EXPECT_NEAR(p_.g, (G), 1);             \
        EXPECT_NEAR(p_.b, (B), 1);             \
    } while (0)
