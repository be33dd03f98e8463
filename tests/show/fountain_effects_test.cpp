// SPDX-License-Identifier: MIT
// The particle fountain and the scene effects on a real headless GL context, pixels read back.
#include "show_gl.h"

#include <cmath>

#include "app/main.h"
#include "media/sprite.h"
#include "show/content_set.h"
#include "show/effects.h"
#include "show/particles.h"
#include "show/random.h"

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

class FountainTest : public ShowGLTest {
protected:
    Sprite texture;

    // One visible particle at the centre of the view, all others switched off.
    void isolate(float life)
    {
        initFountain(&texture);
        for (Particle& p : particles)
            p.alive = 0;
        Particle& p = particles[0];
        p.alive = 1;
        p.life = life;
        p.position[0] = p.position[1] = p.position[2] = 0.0f;
    }
};

}  // namespace

TEST_F(FountainTest, InitGivesEveryParticleItsSpawnValuesInDrawOrder)
{
    Replay replay{randomState};
    ASSERT_TRUE(initFountain(&texture));
    for (const Particle& p : particles) {
        ASSERT_EQ(p.alive, 1);
        ASSERT_FLOAT_EQ(p.life, (replay.next() % 200) * 0.01f);
        ASSERT_FLOAT_EQ(p.fadeRate, (replay.next() % 100 + 1) * 0.0001f + 0.003f);
        ASSERT_FLOAT_EQ(p.position[0], (replay.next() % 100 - 50) * 0.1f);
        ASSERT_FLOAT_EQ(p.position[1], (replay.next() % 100 - 50) * 0.1f);
        ASSERT_EQ(p.position[2], 0.0f);
        ASSERT_EQ(p.velocity[0], 0.0f);
        ASSERT_EQ(p.velocity[1], 0.0f);
        ASSERT_EQ(p.velocity[2], static_cast<float>((replay.next() % 25 + 25) * 10));
        ASSERT_EQ(p.color[0], 0.5f);
        ASSERT_EQ(p.color[1], 0.7f);
        ASSERT_EQ(p.color[2], 1.0f);
        ASSERT_EQ(p.acceleration[1], -0.8f);
        ASSERT_EQ(p.texture, &texture);
    }
    EXPECT_EQ(randomState, replay.state);
}

TEST_F(FountainTest, ZeroFrameDeltaDrawsAllWithoutMovingThem)
{
    initFountain(&texture);
    static Particle before[particleCount];
    std::copy(std::begin(particles), std::end(particles), before);
    const uint32_t state = randomState;
    fill(0, 0, 0);
    frameDelta = 0.0f;
    ASSERT_TRUE(updateAndDrawFountain(&texture));
    for (int i = 0; i < particleCount; ++i) {
        ASSERT_EQ(particles[i].life, before[i].life);
        ASSERT_EQ(particles[i].position[2], before[i].position[2]);
    }
    EXPECT_EQ(randomState, state);
    // Something reached the screen: the particles in front of the eye glow.
    std::vector<unsigned char> rgba(800 * 600 * 4);
    glReadPixels(0, 0, 800, 600, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int lit = 0;
    for (size_t i = 2; i < rgba.size(); i += 4)
        lit += rgba[i] > 0;
    EXPECT_GT(lit, 1000);
    // The state the fountain promises to leave.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(FountainTest, OpacityFollowsLifeInBothHalves)
{
    const struct {
        float life;
        float opacity;
    } cases[] = {{1.0f, 1.0f}, {1.5f, 0.5f}, {0.25f, 0.25f}};
    frameDelta = 0.0f;
    for (const auto& c : cases) {
        isolate(c.life);
        fill(0, 0, 0);
        updateAndDrawFountain(&texture);
        // Untextured (texture name 0), colour (0.5, 0.7, 1.0) times the opacity, added onto black.
        EXPECT_NEAR_RGB(pixelAt(400, 300), std::lround(127.5 * c.opacity), std::lround(178.5 * c.opacity),
                        std::lround(255 * c.opacity));
        // The square is 0.4 units wide at depth 20: about 14 pixels.
        EXPECT_EQ(pixelAt(400 + 12, 300).b, 0);
    }
}

TEST_F(FountainTest, LifeExactlyZeroIsRebornOnlyByTheNextDecrement)
{
    isolate(0.0f);
    particles[0].fadeRate = 0.01f;
    Sprite next;
    frameDelta = 0.0f;
    updateAndDrawFountain(&next);
    EXPECT_EQ(particles[0].life, 0.0f);
    EXPECT_EQ(particles[0].texture, &texture);

    frameDelta = 0.016f;
    Replay replay{randomState};
    const int fade = replay.next();
    for (int i = 0; i < 3; ++i)
        replay.next();
    updateAndDrawFountain(&next);
    EXPECT_EQ(particles[0].life, 2.0f);
    EXPECT_EQ(particles[0].texture, &next);
    EXPECT_FLOAT_EQ(particles[0].fadeRate, (fade % 100 + 1) * 0.0001f + 0.003f);
    EXPECT_EQ(randomState, replay.state);  // exactly the four spawn draws
    EXPECT_EQ(particles[0].position[2], 0.0f);
}

TEST_F(FountainTest, TheFirstFrameAfterThePauseMovesEveryoneAtLeast250Ticks)
{
    initFountain(&texture);
    static Particle before[particleCount];
    std::copy(std::begin(particles), std::end(particles), before);
    Sprite next;
    frameDelta = 4.0f;  // the load step's pause
    updateAndDrawFountain(&next);
    int reborn = 0;
    for (int i = 0; i < particleCount; ++i) {
        const Particle& p = particles[i];
        if (before[i].life - before[i].fadeRate * 250.0f < 0.0f) {
            ++reborn;
            ASSERT_EQ(p.life, 2.0f) << i;
            ASSERT_EQ(p.position[2], 0.0f) << i;
            ASSERT_EQ(p.texture, &next) << i;
        } else {
            ASSERT_NEAR(p.position[2], before[i].velocity[2] / 2000.0f * 250.0f, 1e-3) << i;
            ASSERT_GE(p.position[2], 31.25f - 1e-3f) << i;
            ASSERT_LE(p.position[2], 61.25f + 1e-3f) << i;
            ASSERT_EQ(p.texture, &texture) << i;
        }
    }
    EXPECT_GT(reborn, 0);
    EXPECT_LT(reborn, particleCount);
}

TEST_F(FountainTest, AParticleOfTheFrameTextureDrawsWithTheTextureBoundLast)
{
    Sprite red, green;
    makeSolid(red, 4, 4, 255, 0, 0);
    makeSolid(green, 4, 4, 0, 255, 0);
    initFountain(&green);
    for (Particle& p : particles)
        p.alive = 0;
    // Particle 0 still has the old red texture, particle 1 the frame's green one.
    particles[0] = {1, 1.0f, 0.01f, {1, 1, 1}, {-2, 0, 0}, {0, 0, 0}, {0, -0.8f, 0}, &red};
    particles[1] = {1, 1.0f, 0.01f, {1, 1, 1}, {2, 0, 0}, {0, 0, 0}, {0, -0.8f, 0}, &green};
    frameDelta = 0.0f;
    fill(0, 0, 0);
    updateAndDrawFountain(&green);
    // 2 units at depth 20 is about 72 pixels.
    const Rgba left = pixelAt(400 - 72, 300);
    const Rgba right = pixelAt(400 + 72, 300);
    EXPECT_EQ(left.r, 255);
    EXPECT_EQ(left.g, 0);
    EXPECT_EQ(right.r, 255);
    EXPECT_EQ(right.g, 0);

    // With no older texture in front of it, the frame's own texture shows.
    particles[0].alive = 0;
    fill(0, 0, 0);
    updateAndDrawFountain(&green);
    EXPECT_EQ(pixelAt(400 + 72, 300).g, 255);
    EXPECT_EQ(pixelAt(400 + 72, 300).r, 0);
}

TEST_F(FountainTest, BothDrawingPathsLeaveTheSameTextureAndColourBehind)
{
    Sprite a, b, frame;
    makeSolid(a, 4, 4, 255, 0, 0);
    makeSolid(b, 4, 4, 0, 255, 0);
    makeSolid(frame, 4, 4, 0, 0, 255);
    frameDelta = 0.0f;
    // In index order the last texture bound is a, whose particles come first and then again after b's.
    const Sprite* kept[] = {&a, &frame, &b, &frame, &a, &a, &frame};
    for (bool grouped : {false, true}) {
        SCOPED_TRACE(grouped ? "grouped" : "in order");
        initFountain(&frame);
        for (int i = 0; i < particleCount; ++i) {
            particles[i].texture = const_cast<Sprite*>(kept[i % 7]);
            particles[i].alive = i < 7 || i % 3 == 0;
        }
        particles[3990].texture = &a;  // the last older texture; 3993 to 3999 carry the frame's
        particles[particleCount - 1].texture = &frame;
        particles[particleCount - 1].life = 1.5f;
        fountainDrawsByTexture = grouped;
        updateAndDrawFountain(&frame);
        fountainDrawsByTexture = true;
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(static_cast<GLuint>(bound), a.textureId);
        GLfloat colour[4] = {};
        glGetFloatv(GL_CURRENT_COLOR, colour);
        EXPECT_FLOAT_EQ(colour[3], 0.5f);  // the last particle's opacity
        EXPECT_FLOAT_EQ(colour[1], 0.7f);
    }
}

TEST_F(ShowGLTest, FadeQuadLeavesNineTenthsOfWhiteEachFrame)
{
    fill(1, 1, 1);
    // Each frame keeps nine tenths of what the colour buffer held, to within one 8-bit step; the buffer
    // rounds every frame, so the tenth frame is near 0.9^10 of white only to within a few steps.
    int previous = 255;
    for (int n = 1; n <= 10; ++n) {
        drawFadeQuad(0, 0, 0, 0.1f);
        const Rgba p = pixelAt(123, 456);
        EXPECT_NEAR(p.r, previous * 0.9, 1.0) << "after " << n << " frames";
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.r, p.b);
        previous = p.r;
    }
    EXPECT_NEAR(previous, 255 * std::pow(0.9, 10), 3.0);
    // The quad covers the whole view, corners included.
    EXPECT_EQ(pixelAt(0, 0).r, pixelAt(799, 599).r);
    EXPECT_EQ(pixelAt(0, 0).r, pixelAt(400, 300).r);
    float colour[4];
    glGetFloatv(GL_CURRENT_COLOR, colour);
    EXPECT_EQ(colour[0], 1.0f);
    EXPECT_EQ(colour[3], 1.0f);
}

TEST_F(ShowGLTest, TileOverlayChangesEvery48PositionsAndWrapsAfterTheSixth)
{
    frameDelta = 0.016f;
    drawTileOverlay(1200, 1152);
    EXPECT_EQ(tileIndex, 0);
    EXPECT_EQ(tileStep, 48);
    EXPECT_FLOAT_EQ(tileDepth, 0.16f);

    drawTileOverlay(1201, 1152);
    EXPECT_EQ(tileIndex, 1);
    EXPECT_EQ(tileStep, 96);
    EXPECT_FLOAT_EQ(tileDepth, 0.16f);  // the travel restarted

    int changes = 0;
    for (int p = 1202; p <= 1440; ++p) {
        const int index = tileIndex;
        drawTileOverlay(p, 1152);
        changes += tileIndex != index;
    }
    EXPECT_EQ(changes, 4);  // at 1249, 1297, 1345 and 1393
    EXPECT_EQ(tileIndex, 5);

    drawTileOverlay(1441, 1152);
    EXPECT_EQ(tileIndex, 0);
    EXPECT_EQ(tileStep, 48);
    // From here on every frame shows the next tile.
    for (int i = 1; i <= 7; ++i) {
        drawTileOverlay(1441 + i, 1152);
        EXPECT_EQ(tileIndex, i % 6);
        EXPECT_FLOAT_EQ(tileDepth, 0.16f);
    }
}

TEST_F(ShowGLTest, TileDepthStopsAtForty)
{
    frameDelta = 1.0f;
    for (int i = 0; i < 6; ++i)
        drawTileOverlay(1160, 1152);
    EXPECT_EQ(tileDepth, 40.0f);
}

TEST_F(ShowGLTest, TileOverlayShowsTheCurrentTileOnTheFrontFace)
{
    for (int i = 0; i < gTileCount; ++i)
        makeSolid(gTiles[i], 4, 4, static_cast<unsigned char>(40 * i), 200, 0);
    fill(0, 0, 0);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    frameDelta = 0.0f;
    tileIndex = 2;
    drawTileOverlay(1160, 1152);
    // Tile 2 tinted by (1, 0.6, 0.5) and added onto black.
    EXPECT_NEAR_RGB(pixelAt(400, 300), 80, 120, 0);
}

TEST_F(ShowGLTest, CubeRowsTurnByWholeDegreesEvenWithoutTime)
{
    frameDelta = 0.0f;
    for (int frame = 0; frame < 50; ++frame) {
        Replay replay{randomState};
        float before[12];
        std::copy(spinAngles, spinAngles + 12, before);
        drawCubeRows(frame % 2 ? 4 : -4);
        for (int k = 0; k < 12; ++k) {
            float expected = before[k] + static_cast<float>(replay.next() % 10);
            if (expected > 360.0f)
                expected -= 360.0f;
            ASSERT_EQ(spinAngles[k], expected) << "frame " << frame << " angle " << k;
            ASSERT_EQ(spinAngles[k], std::floor(spinAngles[k]));
        }
        EXPECT_EQ(randomState, replay.state);
    }
    // Exactly 360 stays; only above 360 wraps.
    spinAngles[0] = 360.0f - static_cast<float>(Replay{randomState}.next() % 10);
    drawCubeRows(4);
    EXPECT_EQ(spinAngles[0], 360.0f);
    spinAngles[0] = 361.0f - static_cast<float>(Replay{randomState}.next() % 10);
    drawCubeRows(4);
    EXPECT_EQ(spinAngles[0], 1.0f);
}

TEST_F(ShowGLTest, CubeGridStandsStillWithoutTimeAndTurns100DegreesPerSecond)
{
    frameDelta = 0.0f;
    drawCubeGrid();
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(spinAngles[k], 0.0f);
    frameDelta = 0.5f;
    drawCubeGrid();
    for (int k = 0; k < 16; ++k)
        EXPECT_EQ(spinAngles[k], 50.0f);
    EXPECT_EQ(spinAngles[16], 0.0f);
    // The grid leaves depth test, culling, texturing and blending on for the overlay.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
}

TEST_F(ShowGLTest, CubeGridDrawsTheAlfaBackdropOverTheWholeWindow)
{
    makeSolid(alfaSprite, 8, 8, 0, 0, 200);
    fill(1, 1, 1);
    frameDelta = 0.0f;
    drawCubeGrid();
    EXPECT_NEAR_RGB(pixelAt(5, 5), 0, 0, 200);
    EXPECT_NEAR_RGB(pixelAt(795, 595), 0, 0, 200);
}

TEST_F(ShowGLTest, DepthQuadAndQuadFieldDrawWhereTheyStand)
{
    makeSolid(zemlja2Sprite, 4, 4, 0, 255, 0);
    makeSolid(brodicSprite, 4, 4, 255, 0, 0);
    fill(0, 0, 0);
    beginTexturedScene(GL_ONE_MINUS_SRC_ALPHA);
    drawDepthQuad(-6.0f);  // face at z = -5: 2 units wide fills about 290 pixels of height
    EXPECT_NEAR_RGB(pixelAt(400, 300), 0, 255, 0);
    EXPECT_NEAR_RGB(pixelAt(400, 300 + 130), 0, 255, 0);
    EXPECT_EQ(pixelAt(400, 300 + 160).g, 0);

    fill(0, 0, 0);
    beginTexturedScene(GL_ONE);
    drawQuadField(20.0f);  // the five depths stand from 19 to 3 units in front of the eye
    // Quads 12-44 stack on the axis at offset (0, 0): half-grey brodic red, added up.
    EXPECT_GT(pixelAt(400, 300).r, 200);
    EXPECT_EQ(pixelAt(400, 300).g, 0);
}
