// SPDX-License-Identifier: MIT
// The browser's GL cases drawn in one process by Mesa's GL 1.1 and by the layer over Mesa's GLES (llvmpipe
// both), each held to the bound measured for it. Both read-backs of a case failing its bound are written to
// the test's folder as NAME.mesa.rgba and NAME.layer.rgba (256 x 192, rows bottom-up).
#include "tests/e2e_web/gl_cases.h"
#include "tests/gl11/dual_gl.h"
#include "tests/gl11/picture_diff.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct CaseBound {
    const char* name;
    int largestInside;     // levels, inside shapes
    double insideShare;    // share of all pixels differing inside shapes (by up to largestInside)
    double flippedShare;   // share of all pixels on edges differing by more than roundingLevels
};

// As measured (the same over GLES 3 and GLES 2): colours match exactly; a level where texture coordinates
// or depth, taken to clip space on the CPU, land a few ulps from Mesa's.
const CaseBound bounds[] = {
    {"smooth_shading", 0, 0, 0},    {"flat_shading", 0, 0, 0},          {"textures", 1, 0.02, 0},
    {"blending", 0, 0, 0},          {"depth_test", 0, 0, 0},            {"display_lists", 1, 0.0015, 0},
    {"draw_pixels", 0, 0, 0},       {"client_arrays", 1, 0.001, 0},     {"perspective", 1, 0.065, 0},
    {"lighting", 0, 0, 0},
};

const CaseBound* boundFor(const char* name)
{
    for (const CaseBound& b : bounds)
        if (std::strcmp(b.name, name) == 0)
            return &b;
    return nullptr;
}

void keep(const std::string& name, const std::vector<unsigned char>& rgba)
{
    if (FILE* f = std::fopen(name.c_str(), "wb")) {
        std::fwrite(rgba.data(), 1, rgba.size(), f);
        std::fclose(f);
    }
}

void drawEveryCase(int glesVersion)
{
    DualGl gl;
    ASSERT_TRUE(gl.open(800, 600, glesVersion)) << gl.failure();
    std::vector<unsigned char> picture[2];
    for (auto& p : picture)
        p.resize(caseWidth * caseHeight * 4);
    PictureDiff all;
    for (int i = 0; i < glCaseCount(); ++i) {
        const char* name = glCaseName(i);
        GLenum errors[2] = {};
        for (GlSide side : {GlSide::mesa, GlSide::layer}) {
            const Gl11Table& t = gl.use(side);
            glCaseDraw(i, picture[static_cast<int>(side)].data());
            errors[static_cast<int>(side)] = t.GetError();
        }
        const PictureDiff d = comparePictures(picture[0].data(), picture[1].data(), caseWidth, caseHeight);
        all.add(d);
        std::printf("  %-15s %s\n", name, d.describe().c_str());
        EXPECT_EQ(errors[0], errors[1]) << name << ": glGetError after the case";
        const CaseBound* b = boundFor(name);
        ASSERT_NE(b, nullptr) << name << " has no bound";
        const bool within = d.largestInside <= b->largestInside && d.insideShare() <= b->insideShare &&
                            d.flippedShare() <= b->flippedShare;
        EXPECT_TRUE(within) << name << ": " << d.describe();
        if (!within) {
            keep(std::string(name) + ".mesa.rgba", picture[0]);
            keep(std::string(name) + ".layer.rgba", picture[1]);
        }
    }
    std::printf("  %-15s %s\n", "all cases", all.describe().c_str());
}

TEST(Gl11Cases, MatchMesaOverGles3)
{
    drawEveryCase(3);
}

// The WebGL 1 paths (non-power-of-two textures clamped, no mipmaps on them).
TEST(Gl11Cases, MatchMesaOverGles2)
{
    drawEveryCase(2);
}

}  // namespace
