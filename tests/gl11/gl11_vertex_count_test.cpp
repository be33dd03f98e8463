// SPDX-License-Identifier: MIT
// The primitive assembly's vertex count: a glBegin of any length must keep every vertex's place in its
// triangle, quad or strip, also where a plain int count would have overflowed.
#include "platform/gl11/gl_vertex_count.h"

#include <gtest/gtest.h>

TEST(Gl11VertexCount, KeepsEveryPlaceAcrossTheOverflowOfAnInt)
{
    for (unsigned long long start : {0ull, 23ull, 2147483647ull - 30, 4294967295ull - 5, 9223372036854775807ull - 40}) {
        GlVertexCount count;
        count.start(start);
        for (unsigned long long i = 0; i < 100; ++i) {
            const unsigned long long truth = start + i;
            const int n = count.next();
            ASSERT_GE(n, 0);
            ASSERT_LT(n, 24);
            EXPECT_EQ(static_cast<unsigned long long>(n) % 12, truth % 12) << "start " << start << " + " << i;
            EXPECT_EQ(n < 3, truth < 3);
            EXPECT_EQ(n == 0, truth == 0);
        }
    }
}
