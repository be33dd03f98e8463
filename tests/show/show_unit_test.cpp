// SPDX-License-Identifier: MIT
// The show's pure logic: the random source, the scene schedule, position jitter, the quad field's offsets and
// the scratch buffer. Each test runs in its own process under ctest, so the generator starts at state 1.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>

#include "show/effects.h"
#include "show/particles.h"
#include "show/random.h"
#include "show/timeline.h"

namespace {

// Replays the generator from a saved state, to know which values the code under test drew.
struct Replay {
    uint32_t state;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

}  // namespace

TEST(NextRandom, StartsAtStateOneWithTheKnownSequence)
{
    ASSERT_EQ(randomState, 1u);
    // The classic sequence of this generator from seed 1.
    const int expected[] = {41, 18467, 6334, 26500, 19169, 15724, 11478, 29358, 26962, 24464};
    for (int value : expected)
        EXPECT_EQ(nextRandom(), value);
}

TEST(NextRandom, StaysInRangeAndWrapsTheState)
{
    randomState = 0xFFFFFFFFu;
    Replay replay{randomState};
    for (int i = 0; i < 100000; ++i) {
        const int value = nextRandom();
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
        ASSERT_EQ(value, replay.next());
    }
}

TEST(Schedule, EveryBoundaryBelongsToTheRightScene)
{
    struct Case {
        int position;
        ShowScene scene;
    };
    const Case cases[] = {
        {INT_MIN, sceneOpening}, {-1, sceneOpening}, {0, sceneOpening}, {256, sceneOpening},
        {257, sceneTitles}, {384, sceneTitles}, {385, sceneLogoGrowth}, {512, sceneLogoGrowth},
        {513, sceneInterlude}, {544, sceneInterlude}, {545, sceneCodePanel}, {576, sceneCodePanel},
        {577, sceneGfxPanel}, {608, sceneGfxPanel}, {609, sceneSfxPanel}, {640, sceneSfxPanel},
        {641, sceneCubeRows1}, {768, sceneCubeRows1}, {769, sceneBrodicFlight}, {832, sceneBrodicFlight},
        {833, sceneCubeRows2}, {896, sceneCubeRows2}, {897, sceneCubeRows3}, {1024, sceneCubeRows3},
        {1025, sceneQuadField1}, {1152, sceneQuadField1}, {1153, sceneCubeGrid1}, {1472, sceneCubeGrid1},
        {1473, sceneCubeGrid2}, {1984, sceneCubeGrid2}, {1985, sceneApproach}, {2048, sceneApproach},
        {2049, sceneQuadField2}, {2112, sceneQuadField2}, {2113, sceneFlyIn}, {2239, sceneFlyIn},
        {2240, sceneClosing}, {2304, sceneClosing}, {2305, sceneEnd}, {INT_MAX, sceneEnd},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sceneForPosition(c.position), c.scene) << "position " << c.position;
}

TEST(JitterPosition, DrawsAThenBAndStaysWithinItsRange)
{
    for (int i = 0; i < 1000; ++i) {
        Replay replay{randomState};
        const int a = replay.next();
        const int b = replay.next();
        const JitteredPosition at = jitterPosition(500, 40);
        ASSERT_EQ(at.x, 500 + b % 8);
        ASSERT_EQ(at.y, 40 + a % 4);
        ASSERT_GE(at.x, 500);
        ASSERT_LE(at.x, 507);
        ASSERT_GE(at.y, 40);
        ASSERT_LE(at.y, 43);
    }
}

TEST(JitterPosition, FloatBasesTruncateTowardZeroAndNeverOverflow)
{
    for (int i = 0; i < 200; ++i) {
        Replay replay{randomState};
        const int a = replay.next();
        const int b = replay.next();
        const JitteredPosition at = jitterPosition(-10.5f, 3.75f);
        ASSERT_EQ(at.x, -10 + b % 8) << "b % 8 = " << b % 8;  // toward zero, not floor
        ASSERT_EQ(at.y, 3 + a % 4);
    }
    const JitteredPosition far = jitterPosition(-1e30f, 1e30f);
    EXPECT_EQ(far.x, INT_MIN);
    EXPECT_EQ(far.y, INT_MAX);
}

TEST(FieldOffsets, TwelvePairsDrawnXBeforeYTheRestZero)
{
    Replay replay{randomState};
    fillFieldOffsets();
    for (int k = 0; k < 12; ++k) {
        EXPECT_EQ(fieldOffsetX[k], static_cast<float>(replay.next() % 10 - 5)) << k;
        EXPECT_EQ(fieldOffsetY[k], static_cast<float>(replay.next() % 10 - 5)) << k;
        EXPECT_GE(fieldOffsetX[k], -5.0f);
        EXPECT_LE(fieldOffsetX[k], 4.0f);
    }
    for (int k = 12; k < fieldQuadCount; ++k) {
        EXPECT_EQ(fieldOffsetX[k], 0.0f);
        EXPECT_EQ(fieldOffsetY[k], 0.0f);
    }
    EXPECT_EQ(randomState, replay.state);
}

TEST(SpinAngles, ResetClearsAllEighty)
{
    for (int i = 0; i < spinAngleCount; ++i)
        spinAngles[i] = static_cast<float>(i + 1);
    resetSpinAngles();
    for (float angle : spinAngles)
        EXPECT_EQ(angle, 0.0f);
}

TEST(ScratchBuffer, ZeroEmptiesItAndReportsFalse)
{
    EXPECT_FALSE(resizeScratchBuffer(0));
    EXPECT_EQ(scratchCount, 0);
    EXPECT_EQ(scratchBuffer, nullptr);

    EXPECT_TRUE(resizeScratchBuffer(3));
    EXPECT_EQ(scratchCount, 3);
    ASSERT_NE(scratchBuffer, nullptr);
    static_cast<unsigned char*>(scratchBuffer)[3 * 16 - 1] = 1;  // the whole size is usable

    EXPECT_FALSE(resizeScratchBuffer(-1));  // a negative count allocates nothing
    EXPECT_EQ(scratchCount, 0);
    EXPECT_EQ(scratchBuffer, nullptr);
}

TEST(Fountain, NoParticleIsAliveBeforeTheFirstInit)
{
    for (const Particle& p : particles)
        ASSERT_EQ(p.alive, 0);
}
