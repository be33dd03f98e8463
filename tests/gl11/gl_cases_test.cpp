// SPDX-License-Identifier: MIT
// The browser's GL cases drawn in one process by Mesa's GL 1.1 and by the layer over Mesa's GLES (llvmpipe
// both), each held to match byte for byte. Both read-backs of a case that differs are written to
// the test's folder as NAME.mesa.rgba and NAME.layer.rgba (256 x 192, rows bottom-up).
#include "tests/e2e_web/gl_cases.h"
#include "tests/gl11/dual_gl.h"
#include "tests/gl11/picture_diff.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

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
        // Exact since the layer rounds texels and constant colours as Mesa does (it was a level off before).
        const bool within = d.largest() == 0;
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
