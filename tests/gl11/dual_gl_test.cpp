// SPDX-License-Identifier: MIT
// The comparison is only worth its bounds if the two sides really are two contexts: each keeps its own picture
// and error state, and a restart gives both GL's initial state again.
#include "tests/gl11/dual_gl.h"
#include "tests/gl11/picture_diff.h"

#include <gtest/gtest.h>

namespace {

TEST(DualGl, EachSideKeepsItsOwnPictureAndErrors)
{
    DualGl gl;
    ASSERT_TRUE(gl.open(64, 64)) << gl.failure();
    const DualRun run = gl.run([](const Gl11Table& t, GlSide side) {
        t.ClearColor(side == GlSide::mesa ? 1.0f : 0.0f, 0, side == GlSide::layer ? 1.0f : 0.0f, 1);
        t.Clear(GL_COLOR_BUFFER_BIT);
        if (side == GlSide::layer)
            t.Enable(0x1234);   // an invalid enum, on one side only
        return GL_NO_ERROR;
    });
    ASSERT_EQ(run.picture[0].size(), 64u * 64u * 4u);
    EXPECT_EQ(run.picture[0][0], 255);
    EXPECT_EQ(run.picture[0][2], 0);
    EXPECT_EQ(run.picture[1][0], 0);
    EXPECT_EQ(run.picture[1][2], 255);
    const PictureDiff d = comparePictures(run.picture[0].data(), run.picture[1].data(), 64, 64);
    EXPECT_EQ(d.largest(), 255);
    EXPECT_EQ(d.differingInside + d.differingEdge, 64 * 64);
    EXPECT_EQ(gl.use(GlSide::mesa).GetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(gl.use(GlSide::layer).GetError(), static_cast<GLenum>(GL_INVALID_ENUM));

    // Both sides' state back to GL's initial values: blending off, the clear colour black.
    gl.use(GlSide::mesa).Enable(GL_BLEND);
    gl.use(GlSide::layer).Enable(GL_BLEND);
    ASSERT_TRUE(gl.restart()) << gl.failure();
    const DualRun fresh = gl.run([](const Gl11Table& t, GlSide) {
        t.Clear(GL_COLOR_BUFFER_BIT);
        return static_cast<GLenum>(t.IsEnabled(GL_BLEND) ? 1 : 0);
    });
    for (int side = 0; side < 2; ++side) {
        EXPECT_EQ(fresh.result[side], 0u) << side;
        EXPECT_EQ(fresh.picture[side][0] + fresh.picture[side][1] + fresh.picture[side][2], 0) << side;
    }
}

}  // namespace
