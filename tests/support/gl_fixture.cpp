// SPDX-License-Identifier: MIT
// The headless GL window fixture for tests (see gl_fixture.h).
#include "tests/support/gl_fixture.h"


std::vector<unsigned char> readWindowPixels(int* width, int* height)
{
    std::vector<unsigned char> bottomUp;
    int w = 0;
    int h = 0;
    if (!headlessReadPixels(bottomUp, w, h)) {
        return {};
    }
    std::vector<unsigned char> topDown(bottomUp.size());
    size_t row = static_cast<size_t>(w) * 4;
    for (int y = 0; y < h; ++y) {
        std::copy(bottomUp.begin() + static_cast<long>(row * (h - 1 - y)),
                  bottomUp.begin() + static_cast<long>(row * (h - y)), topDown.begin() + static_cast<long>(row * y));
    }
    if (width) {
        *width = w;
    }
    if (height) {
        *height = h;
    }
    return topDown;
}

void GLWindowTest::SetUp()
{
    ASSERT_TRUE(openWindow(openFullscreen()));
}

void GLWindowTest::TearDown()
{
    closeWindow();
}

Rgba GLWindowTest::pixelAt(int x, int y)
{
    int w = 0;
    int h = 0;
    std::vector<unsigned char> rgba = readWindowPixels(&w, &h);
    if (x < 0 || y < 0 || x >= w || y >= h) {
        return Rgba{0, 0, 0, 0};
    }
    const unsigned char* p = &rgba[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 4];
    return Rgba{p[0], p[1], p[2], p[3]};
}
