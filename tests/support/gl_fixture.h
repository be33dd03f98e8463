// SPDX-License-Identifier: MIT
// A GoogleTest fixture with a real OpenGL context: an 800 x 600 window opened through the program's own
// registerGLWindowClass and openGLWindow on the headless backend (EGL, Mesa surfaceless), so each test starts
// with a current context, the show's projection (45 degrees, near 1, far 100) and model-view matrix mode.
//
// Use:
//     #include "tests/support/gl_fixture.h"
//     TEST_F(GLWindowTest, DrawsSomething) {
//         glClearColor(1, 0, 0, 1); glClear(GL_COLOR_BUFFER_BIT);
//         EXPECT_EQ(pixelAt(10, 20).r, 255);   // x, y from the window's top-left corner
//     }
// Link the test with tav_test_support (it brings the program and the headless backend) and GTest::gtest_main.
// `window` is the record (width 800, height 600, windowed; see HeadlessShowWindow); currentWindow and currentKeyState point at it and at
// `keys` for the test's duration. Derive and override openFullscreen() to open in full screen instead.
// SetUp resets the headless backend first (real clock, no hooks); TearDown closes the window and unregisters
// the class. The driver API for messages, clock, boxes and frames is platform/headless/headless.h.
#pragma once

#include "app/gl_window.h"
#include "platform/headless/headless.h"
#include "tools/headless_window/headless_show_window.h"

#include <gtest/gtest.h>

#include <vector>

struct Rgba {
    unsigned char r;
    unsigned char g;
    unsigned char b;
    unsigned char a;
};

// Reads the current context's drawable: RGBA, rows top-down (row 0 is the window's top). Empty when no
// context is current.
std::vector<unsigned char> readWindowPixels(int* width = nullptr, int* height = nullptr);

class GLWindowTest : public ::testing::Test, protected HeadlessShowWindow {
protected:
    void SetUp() override;
    void TearDown() override;
    virtual bool openFullscreen() const { return false; }

    // The pixel at (x, y), y counted from the window's top; all zero outside the window.
    Rgba pixelAt(int x, int y);
};
