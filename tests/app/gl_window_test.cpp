// SPDX-License-Identifier: MIT
// The window, its context and the projection, on real headless windows and contexts.
#include "app/gl_window.h"
#include "tests/support/gl_fixture.h"

#include <GL/gl.h>

#include <cmath>

static void expectMatrixNear(const GLdouble* actual, const GLdouble* expected)
{
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-6) << "element " << i;
    }
}

// The matrix gluPerspective(45, aspect, 1, 100) produces, column-major.
static void perspective(double aspect, GLdouble* m)
{
    double f = 1.0 / std::tan(45.0 * M_PI / 360.0);
    for (int i = 0; i < 16; ++i) {
        m[i] = 0.0;
    }
    m[0] = f / aspect;
    m[5] = f;
    m[10] = (100.0 + 1.0) / (1.0 - 100.0);
    m[11] = -1.0;
    m[14] = 2.0 * 100.0 * 1.0 / (1.0 - 100.0);
}

TEST_F(GLWindowTest, OpensAVisibleWindowWithTheShowsProjectionAndReadsPixelsBack)
{
    HeadlessWindowInfo info = headlessWindowInfo(window.hwnd);
    EXPECT_TRUE(info.exists);
    EXPECT_TRUE(info.visible);
    EXPECT_EQ(info.title, "T.A.V.");
    EXPECT_EQ(info.className, "OpenGL");
    EXPECT_EQ(info.style, static_cast<DWORD>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(info.exStyle, static_cast<DWORD>(WS_EX_APPWINDOW));
    EXPECT_EQ(info.width, 800);
    EXPECT_EQ(info.height, 600);
    EXPECT_EQ(window.active, 1);
    EXPECT_NE(window.hdc, nullptr);
    EXPECT_NE(window.hglrc, nullptr);

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    GLdouble projection[16];
    GLdouble expected[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    perspective(800.0 / 600.0, expected);
    expectMatrixNear(projection, expected);

    // A red quad in the top half, drawn through that projection, lands in the top half of the read-back.
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glColor3f(1, 0, 0);
    glBegin(GL_QUADS);
    glVertex3f(-10, 0, -5);
    glVertex3f(10, 0, -5);
    glVertex3f(10, 10, -5);
    glVertex3f(-10, 10, -5);
    glEnd();
    Rgba top = pixelAt(400, 100);
    Rgba bottom = pixelAt(400, 500);
    EXPECT_EQ(top.r, 255);
    EXPECT_EQ(top.b, 0);
    EXPECT_EQ(bottom.r, 0);
    EXPECT_EQ(bottom.b, 255);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_EQ(depthBits, 16);
}

TEST_F(GLWindowTest, FramesReachTheSinkAtSwapBuffers)
{
    int frames = 0;
    Rgba seen{};
    headlessSetFrameSink([&](const unsigned char* rgba, int width, int height) {
        ASSERT_EQ(width, 800);
        ASSERT_EQ(height, 600);
        seen = Rgba{rgba[0], rgba[1], rgba[2], rgba[3]};
        ++frames;
    });
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_TRUE(SwapBuffers(window.hdc));
    EXPECT_EQ(frames, 1);
    EXPECT_EQ(seen.g, 255);
    EXPECT_EQ(headlessFrameCount(), 1u);
}
