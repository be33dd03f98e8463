// SPDX-License-Identifier: MIT
// Each test runs in its own process under ctest, so the timeline, the effects and the generator start fresh.
// Whole frames of the show at chosen music positions: the prologue, each scene's drawing and counters, the
// particle index the next frame uses, the random draws in frame order, the fade, the closing picture and the
// quit.
#include "show_gl.h"

#include "app/main.h"
#include "media/sprite.h"
#include "show/content_set.h"
#include "show/effects.h"
#include "show/particles.h"
#include "show/random.h"
#include "show/show_steps.h"

#include <GL/gl.h>

namespace {

struct Replay {
    uint32_t state;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 0x7FFF);
    }
};

class TimelineTest : public ShowGLTest {
protected:
    int position = 0;

    void SetUp() override
    {
        ShowGLTest::SetUp();
        musicPositionOverride = &position;
        frameDelta = 0.0f;
    }
    void TearDown() override
    {
        musicPositionOverride = nullptr;
        ShowGLTest::TearDown();
    }

    void frame(int p)
    {
        position = p;
        showTimeline.drawFrame();
    }

    // The draws one frame takes, with the fountain's particles all alive and still (frame delta 0).
    int drawsOf(int p)
    {
        const uint32_t before = randomState;
        frame(p);
        Replay replay{before};
        for (int n = 0; n < 1000; ++n) {
            if (replay.state == randomState)
                return n;
            replay.next();
        }
        return -1;
    }
};

}  // namespace

TEST_F(TimelineTest, OpeningRunsOnlyThePrologueWithItsJitteredBrodic)
{
    makeSolid(brodicSprite, 32, 16, 255, 255, 0);
    Replay replay{randomState};
    const int a = replay.next();
    const int b = replay.next();
    fill(0, 0, 0);
    frame(256);
    EXPECT_EQ(randomState, replay.state);
    EXPECT_EQ(brodicSprite.x, 500.0f + b % 8);
    EXPECT_EQ(brodicSprite.y, 40.0f + a % 4);
    EXPECT_EQ(pixelAt(510, 48).r, 255);
    EXPECT_EQ(pixelAt(510, 48).g, 255);
    EXPECT_EQ(pixelAt(300, 300).r, 0);
    EXPECT_EQ(showTimeline.particleIndex, 0);
    EXPECT_EQ(drawsOf(-5000), 2);
    EXPECT_EQ(showTimeline.particleIndex, 0);
}

TEST_F(TimelineTest, ThePrologueDarkensWhatTheLastFrameLeft)
{
    fill(1, 1, 1);
    frame(100);
    EXPECT_NEAR(pixelAt(200, 300).r, 229.5, 1.0);
}

TEST_F(TimelineTest, TitlesSetTheIndexThatTheNextFrameFountainUses)
{
    initFountain(&particleTextures[0]);
    frameDelta = 0.5f;  // enough for some particles to be reborn each frame
    frame(257);
    EXPECT_EQ(showTimeline.particleIndex, 1);
    int rebornWithNew = 0;
    for (const Particle& p : particles)
        rebornWithNew += p.texture == &particleTextures[1];
    EXPECT_EQ(rebornWithNew, 0);  // this frame's fountain still used index 0

    frame(258);
    for (const Particle& p : particles)
        rebornWithNew += p.texture == &particleTextures[1];
    EXPECT_GT(rebornWithNew, 0);
}

TEST_F(TimelineTest, TitlesUnrollBack0ThenWidenKologoThenPresentsJumps)
{
    makeSolid(back0Sprite, 16, 16, 255, 0, 0);
    makeSolid(kologoSprite, 16, 16, 0, 255, 0, 128);
    makeSolid(presentsSprite, 32, 32, 0, 0, 255);
    frameDelta = 0.016f;
    fill(0, 0, 0);
    frame(300);
    // 16 pixels high, 256 wide, from the top-left corner.
    EXPECT_EQ(pixelAt(100, 8).r, 255);
    EXPECT_EQ(pixelAt(100, 15).r, 255);
    EXPECT_EQ(pixelAt(100, 17).r, 0);
    EXPECT_EQ(pixelAt(254, 8).r, 255);
    EXPECT_EQ(pixelAt(258, 8).r, 0);
    EXPECT_EQ(showTimeline.logoWidth, 0.0f);

    // Kologo starts in the frame in which back_0 reaches its cap.
    frameDelta = 0.1f;
    for (int i = 0; i < 5; ++i) {
        frame(301 + i);
        EXPECT_EQ(showTimeline.logoWidth, 0.0f);
    }
    frame(310);
    EXPECT_EQ(showTimeline.backHeight, 600.0f);
    EXPECT_FLOAT_EQ(showTimeline.logoWidth, 200.0f);
    EXPECT_NEAR(pixelAt(150, 500).g, 128, 1);  // half-transparent kologo over the unrolled back_0
    EXPECT_NEAR(pixelAt(150, 500).r, 127, 1);
    EXPECT_EQ(pixelAt(300, 300).g, 0);    // only 200 pixels wide yet

    // Presents appears once kologo is 800 wide: 2 or 3 draws of its own after the prologue's 2.
    EXPECT_EQ(drawsOf(311), 2);
    EXPECT_EQ(drawsOf(312), 2);
    const uint32_t state = randomState;
    frame(313);
    EXPECT_EQ(showTimeline.logoWidth, 800.0f);
    Replay replay{state};
    replay.next();
    replay.next();
    const int first = replay.next();
    int jump = 0;
    if (first % 20 == 8) {
        jump = 100;
    } else if (replay.next() % 20 == 6) {
        jump = -300;
    }
    const int r = replay.next();
    EXPECT_EQ(randomState, replay.state);
    EXPECT_EQ(presentsSprite.x, static_cast<float>(500 + jump + r % 3));
    EXPECT_EQ(presentsSprite.y, 400.0f);
}

TEST_F(TimelineTest, PresentsJumpsBothWaysOverManyFrames)
{
    showTimeline.backHeight = 600.0f;
    showTimeline.logoWidth = 800.0f;
    bool right = false, left = false, home = false;
    for (int i = 0; i < 400; ++i) {
        frame(350);
        const float x = presentsSprite.x;
        right |= x >= 600.0f && x <= 602.0f;
        left |= x >= 200.0f && x <= 202.0f;
        home |= x >= 500.0f && x <= 502.0f;
        ASSERT_TRUE((x >= 600.0f && x <= 602.0f) || (x >= 200.0f && x <= 202.0f) || (x >= 500.0f && x <= 502.0f));
    }
    EXPECT_TRUE(right);
    EXPECT_TRUE(left);
    EXPECT_TRUE(home);
}

TEST_F(TimelineTest, LogoGrowthReachesFullSizeInTheTwentyFifthFrame)
{
    for (int i = 1; i <= 24; ++i)
        frame(400);
    EXPECT_EQ(showTimeline.velWidth, 768);
    EXPECT_EQ(showTimeline.velHeight, 576);
    frame(400);
    EXPECT_EQ(showTimeline.velWidth, 800);
    EXPECT_EQ(showTimeline.velHeight, 600);
    frame(512);
    EXPECT_EQ(showTimeline.velWidth, 800);
    EXPECT_EQ(showTimeline.particleIndex, 2);
}

TEST_F(TimelineTest, InterludeUntil544ThenTheCodePanelAfterThePrologueJitter)
{
    makeSolid(codeSprite, 64, 64, 0, 255, 255);
    EXPECT_EQ(drawsOf(544), 2);
    EXPECT_EQ(showTimeline.particleIndex, 3);

    Replay replay{randomState};
    const int a = replay.next();
    const int b = replay.next();
    const int a2 = replay.next();
    const int b2 = replay.next();
    fill(0, 0, 0);
    frame(545);
    EXPECT_EQ(randomState, replay.state);
    EXPECT_EQ(showTimeline.particleIndex, 4);
    EXPECT_EQ(brodicSprite.x, 500.0f + b % 8);
    EXPECT_EQ(brodicSprite.y, 40.0f + a % 4);
    EXPECT_EQ(codeSprite.x, 10.0f + b2 % 8);
    EXPECT_EQ(codeSprite.y, 350.0f + a2 % 4);
    EXPECT_EQ(pixelAt(40, 380).g, 255);
    EXPECT_EQ(pixelAt(40, 380).b, 255);
}

TEST_F(TimelineTest, PanelsAndTheirIndices)
{
    makeSolid(gfxSprite, 32, 32, 255, 0, 0);
    makeSolid(sfxSprite, 32, 32, 0, 255, 0);
    fill(0, 0, 0);
    frame(577);
    EXPECT_EQ(showTimeline.particleIndex, 5);
    EXPECT_EQ(pixelAt(25, 25).r, 255);
    EXPECT_GE(gfxSprite.x, 10.0f);
    EXPECT_LE(gfxSprite.x, 17.0f);
    frame(640);
    EXPECT_EQ(showTimeline.particleIndex, 3);
    EXPECT_EQ(pixelAt(515, 415).g, 255);
}

TEST_F(TimelineTest, CubeRowsOneShakesKrovitOnlyOnPositionsDivisibleByFour)
{
    makeSolid(krovitSprite, 8, 8, 255, 255, 255, 0);
    bool shaken = false;
    for (int i = 0; i < 400; ++i) {
        const int p = 641 + i % 128;
        Replay replay{randomState};
        for (int n = 0; n < 2 + 12; ++n)  // prologue jitter, then the twelve cube angles
            replay.next();
        const int r = replay.next();
        frame(p);
        ASSERT_EQ(randomState, replay.state);
        const bool expectShake = r % 2 == 1 && p % 4 == 0;
        ASSERT_EQ(krovitSprite.x, expectShake ? 40.0f : 0.0f) << p;
        ASSERT_EQ(krovitSprite.y, 0.0f);
        shaken |= expectShake;
    }
    EXPECT_TRUE(shaken);
    EXPECT_EQ(showTimeline.particleIndex, 2);
}

TEST_F(TimelineTest, BrodicFlightStartsClampedAndFliesUpAndLeft)
{
    makeSolid(brodicSprite, 16, 16, 255, 0, 255);
    frameDelta = 0.1f;
    frame(769);
    EXPECT_EQ(showTimeline.particleIndex, 1);
    // 800 + jitter is clamped into the prologue's box.
    EXPECT_EQ(brodicSprite.x, 800.0f);
    EXPECT_EQ(brodicSprite.y, 600.0f);
    EXPECT_FLOAT_EQ(showTimeline.flightX, 700.0f);
    frame(770);
    frame(771);
    EXPECT_FLOAT_EQ(showTimeline.flightX, 500.0f);
    EXPECT_GE(brodicSprite.x, 600.0f);
    EXPECT_LE(brodicSprite.x, 607.0f);
    EXPECT_GE(brodicSprite.y, 600.0f - 0.0f);  // 600 + 0..3 is still clamped to 600
    fill(0, 0, 0);
    frame(772);
    // 512 x 512 at (500.., 500..): the part inside the window shows.
    EXPECT_EQ(pixelAt(700, 590).r, 255);
    EXPECT_EQ(pixelAt(700, 590).b, 255);
}

TEST_F(TimelineTest, CubeRowsTwoKeepsTheIndexAndRowsThreeSetsFour)
{
    showTimeline.particleIndex = 1;
    EXPECT_EQ(drawsOf(833), 2 + 12);
    EXPECT_EQ(showTimeline.particleIndex, 1);
    makeSolid(zemljaSprite, 32, 32, 255, 128, 0);
    fill(0, 0, 0);
    frame(1024);
    EXPECT_EQ(showTimeline.particleIndex, 4);
    EXPECT_EQ(zemljaSprite.x, 544.0f);
    EXPECT_EQ(zemljaSprite.y, 344.0f);
    EXPECT_EQ(pixelAt(560, 360).g, 128);
}

TEST_F(TimelineTest, QuadFieldSetUpRunsOncePerProcess)
{
    spinAngles[3] = 77.0f;
    frameDelta = 0.1f;
    EXPECT_EQ(drawsOf(1025), 2 + 24);
    EXPECT_TRUE(showTimeline.fieldReady);
    EXPECT_EQ(spinAngles[3], 0.0f);
    EXPECT_EQ(showTimeline.particleIndex, 0);
    EXPECT_FLOAT_EQ(showTimeline.fieldDepth, 1.0f);
    const float offset = fieldOffsetX[5];
    EXPECT_EQ(drawsOf(1100), 2);
    EXPECT_FLOAT_EQ(showTimeline.fieldDepth, 2.0f);

    // Approach holds the field at 0, Quad field 2 grows it again without a new set-up.
    frame(1990);
    EXPECT_EQ(showTimeline.fieldDepth, 0.0f);
    spinAngles[3] = 5.0f;
    EXPECT_EQ(drawsOf(2050), 2);
    EXPECT_EQ(fieldOffsetX[5], offset);
    EXPECT_EQ(spinAngles[3], 5.0f);
    EXPECT_FLOAT_EQ(showTimeline.fieldDepth, 1.0f);
    EXPECT_EQ(showTimeline.particleIndex, 0);
}

TEST_F(TimelineTest, QuadFieldTwoFirstOfAllFillsOffsetsButKeepsTheAngles)
{
    spinAngles[3] = 5.0f;
    EXPECT_EQ(drawsOf(2049), 2 + 24);
    EXPECT_TRUE(showTimeline.fieldReady);
    EXPECT_EQ(spinAngles[3], 5.0f);
}

TEST_F(TimelineTest, CubeGridParticleIndicesSwitchAboveTheirThresholds)
{
    const struct {
        int position;
        int index;
    } cases[] = {
        {1153, 2}, {1216, 2}, {1217, 5}, {1280, 5}, {1281, 3}, {1348, 3}, {1349, 1}, {1472, 1},
        {1473, 5}, {1536, 5}, {1537, 0}, {1600, 0}, {1601, 3}, {1668, 3}, {1669, 4}, {1984, 4},
    };
    for (const auto& c : cases) {
        frame(c.position);
        EXPECT_EQ(showTimeline.particleIndex, c.index) << "position " << c.position;
    }
}

TEST_F(TimelineTest, CubeGridTwoAddsTambrel)
{
    makeSolid(tambrelSprite, 32, 32, 0, 255, 0);
    frame(1500);
    EXPECT_EQ(tambrelSprite.x, 100.0f);
    EXPECT_EQ(tambrelSprite.y, 300.0f);
    EXPECT_EQ(pixelAt(110, 310).g, 255);
}

TEST_F(TimelineTest, ApproachStopsAtMinusFourAndFlyInPassesTheViewer)
{
    frameDelta = 0.5f;
    frame(1985);
    EXPECT_FLOAT_EQ(showTimeline.quadZ, -75.0f);
    EXPECT_EQ(showTimeline.particleIndex, 5);
    for (int i = 0; i < 5; ++i)
        frame(2000);
    EXPECT_EQ(showTimeline.quadZ, -4.0f);
    frame(2100);
    EXPECT_EQ(showTimeline.quadZ, -4.0f);  // standing in Quad field 2
    for (int i = 0; i < 4; ++i)
        frame(2200);
    EXPECT_FLOAT_EQ(showTimeline.quadZ, 6.0f);  // no cap
    EXPECT_EQ(showTimeline.particleIndex, 3);
}

TEST_F(TimelineTest, TheLastPrologueFrameReadsTheVolumeAndTheClosingPictureIsCentred)
{
    keepRunning = 1;
    makeSolid(theendSprite, 256, 256, 255, 255, 255);
    makeSolid(brodicSprite, 16, 16, 255, 0, 0);
    showTimeline.fadeVolume = 77;
    EXPECT_EQ(drawsOf(2239), 2);
    EXPECT_EQ(showTimeline.fadeVolume, 0);  // an empty soundtrack reports 0

    fill(0, 0, 1);
    EXPECT_EQ(drawsOf(2240), 0);
    EXPECT_EQ(theendSprite.x, 272.0f);
    EXPECT_EQ(theendSprite.y, 172.0f);
    EXPECT_EQ(pixelAt(273, 173).r, 255);
    EXPECT_EQ(pixelAt(526, 426).r, 255);
    EXPECT_EQ(pixelAt(271, 300).b, 0);  // cleared around it
    EXPECT_EQ(pixelAt(400, 428).r, 0);
    EXPECT_EQ(showTimeline.fadeVolume, -1);

    frame(2304);
    EXPECT_EQ(pixelAt(400, 300).r, 255);
    EXPECT_EQ(showTimeline.fadeVolume, -2);
    EXPECT_EQ(keepRunning, 1);
}

TEST_F(TimelineTest, PastTheEndTheShowQuitsAndDrawsNothing)
{
    keepRunning = 1;
    escapeArmed = true;
    fill(0, 1, 0);
    frame(2305);
    EXPECT_EQ(keepRunning, 0);
    EXPECT_FALSE(escapeArmed);
    EXPECT_EQ(pixelAt(400, 300).g, 255);
    MSG message{};
    bool quitPosted = false;
    while (PeekMessageA(&message, window.hwnd, 0, 0, PM_REMOVE))
        quitPosted |= message.message == WM_QUIT;
    EXPECT_TRUE(quitPosted);
}
