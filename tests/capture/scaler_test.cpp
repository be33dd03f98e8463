// SPDX-License-Identifier: MIT
#include "tools/tav_capture/frame_scaler.h"

#include <gtest/gtest.h>

TEST(FrameScaler, FitsThePictureWithEvenBarsOnEitherAxis)
{
    struct Case {
        int width, height;
        FittedRect expected;
    };
    const Case cases[] = {
        {1920, 1080, {240, 0, 1440, 1080}},  // pillarbox
        {800, 800, {0, 100, 800, 600}},      // letterbox
        {1600, 1200, {0, 0, 1600, 1200}},    // exactly 4:3
        {1366, 768, {170, 0, 1024, 768}},
        {16, 16, {0, 2, 16, 12}},
    };
    for (const Case& c : cases) {
        FittedRect r = fitPicture(800, 600, c.width, c.height);
        EXPECT_EQ(r.x, c.expected.x) << c.width << "x" << c.height;
        EXPECT_EQ(r.y, c.expected.y) << c.width << "x" << c.height;
        EXPECT_EQ(r.width, c.expected.width) << c.width << "x" << c.height;
        EXPECT_EQ(r.height, c.expected.height) << c.width << "x" << c.height;
    }
}

TEST(FrameScaler, LetterboxedFrameKeepsItsBarsBlackAndOpaque)
{
    // A white picture into a square frame through the Lanczos filter: white inside, black outside.
    std::vector<unsigned char> white(8 * 6 * 4, 255);
    FrameScaler scaler;
    std::string error;
    ASSERT_TRUE(scaler.open(8, 6, 20, 30, error)) << error;
    EXPECT_FALSE(scaler.pixelForPixel());
    std::vector<unsigned char> frame;
    ASSERT_TRUE(scaler.scale(white.data(), frame));
    ASSERT_EQ(frame.size(), size_t(20 * 30 * 4));
    const FittedRect& r = scaler.picture();
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x) {
            const unsigned char* p = &frame[(size_t(y) * 20 + x) * 4];
            const bool inside = x >= r.x && x < r.x + r.width && y >= r.y && y < r.y + r.height;
            EXPECT_EQ(p[0], inside ? 255 : 0) << x << "," << y;
            EXPECT_EQ(p[3], 255) << x << "," << y;
        }
}
