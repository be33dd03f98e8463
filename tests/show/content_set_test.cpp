// SPDX-License-Identifier: MIT
// The content set's steps with the real content: the loading picture, the full load with its pause, missing
// files, the shutdown's releases, a second pass, and the music fade on a real song.
#include "content_fixture.h"

#include <vector>

#include "app/main.h"
#include "platform/common/dinput_seam.h"
#include "platform/headless/headless.h"
#include "show/content_set.h"
#include "show/particles.h"
#include "show/show_steps.h"

#include <GL/gl.h>

namespace {

std::vector<Sprite*> loadedSprites()
{
    std::vector<Sprite*> all = {&alfaSprite, &theendSprite, &zemljaSprite, &zemlja2Sprite, &krovitSprite,
                                &tambrelSprite, &velSprite, &presentsSprite, &kologoSprite, &back0Sprite,
                                &brodicSprite, &codeSprite, &gfxSprite, &sfxSprite};
    for (int i = 0; i < 6; ++i) {
        all.push_back(&particleTextures[i]);
        all.push_back(&gTiles[i]);
    }
    return all;
}

}  // namespace

TEST_F(ContentTest, LoadingPictureIsPresentedCentredBeforeAnythingLoads)
{
    putArchive();
    std::vector<unsigned char> shown;
    headlessSetFrameSink([&](const unsigned char* rgba, int w, int h) { shown.assign(rgba, rgba + w * h * 4); });
    initShow(&window);
    ASSERT_EQ(shown.size(), 800u * 600u * 4u);
    EXPECT_EQ(loadingSprite.x, 272.0f);
    EXPECT_EQ(loadingSprite.y, 172.0f);
    EXPECT_NE(loadingSprite.textureId, 0u);
    EXPECT_EQ(soundtrack.song, nullptr);
    // Something of the picture inside its square, black all around it (rows bottom-up).
    auto at = [&](int x, int y) { return &shown[((599 - y) * 800 + x) * 4]; };
    int lit = 0;
    for (int y = 172; y < 428; y += 4)
        for (int x = 272; x < 528; x += 4)
            lit += at(x, y)[0] + at(x, y)[1] + at(x, y)[2] > 0;
    EXPECT_GT(lit, 100);
    for (int x = 0; x < 800; x += 10) {
        ASSERT_EQ(at(x, 170)[0] + at(x, 170)[1] + at(x, 170)[2], 0) << x;
        ASSERT_EQ(at(x, 430)[0] + at(x, 430)[1] + at(x, 430)[2], 0) << x;
    }
    EXPECT_EQ(at(270, 300)[0] + at(270, 300)[1], 0);
    EXPECT_EQ(at(530, 300)[0] + at(530, 300)[1], 0);
}

TEST_F(ContentTest, LoadShowFillsEveryObjectPausesFourSecondsAndStartsTheMusic)
{
    putArchive();
    dinputSeamReset();
    initShow(&window);
    const DWORD before = headlessClock();
    ASSERT_TRUE(loadShow(&window, keys));
    EXPECT_GE(headlessClock() - before, 4000u);
    EXPECT_EQ(currentWindow, &window);
    EXPECT_EQ(currentKeyState, keys);

    EXPECT_NE(soundtrack.song, nullptr);
    EXPECT_NE(gameFontTexture.textureId, 0u);
    EXPECT_NE(boxTexture.textureId, 0u);
    for (Sprite* sprite : loadedSprites())
        EXPECT_NE(sprite->textureId, 0u) << sprite->name;
    for (int i = 6; i < particleTextureCount; ++i) {
        EXPECT_EQ(particleTextures[i].textureId, 0u);
        EXPECT_EQ(particleTextures[i].name[0], '\0');
    }
    EXPECT_EQ(gameFont.texture, &gameFontTexture);
    EXPECT_NE(gameFont.listBase, 0u);
    EXPECT_EQ(gameFont.screenWidth, 800);
    EXPECT_EQ(particles[0].alive, 1);
    EXPECT_EQ(particles[particleCount - 1].texture, &particleTextures[0]);
    EXPECT_NE(inputDevices.keyboard, nullptr);
    EXPECT_EQ(mouseState.lX, 0);
    EXPECT_EQ(mouseState.lZ, 0);
    // The base state is set again after loading.
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    showTimeline.drawFrame();  // the show can draw with all of it
}

TEST_F(ContentTest, AMissingSoundtrackStopsTheLoadAtOnce)
{
    putArchive("Data/sfx/trancen.xm");
    dinputSeamReset();
    initShow(&window);
    EXPECT_NE(loadingSprite.textureId, 0u);  // the loading picture was still shown
    const DWORD before = headlessClock();
    EXPECT_FALSE(loadShow(&window, keys));
    EXPECT_LT(headlessClock() - before, 4000u);  // no pause
    EXPECT_EQ(boxTexture.textureId, 0u);
    EXPECT_EQ(alfaSprite.textureId, 0u);
    EXPECT_EQ(gameFont.listBase, 0u);
    EXPECT_EQ(particles[0].alive, 0);
    EXPECT_EQ(inputDevices.directInput, nullptr);
    EXPECT_TRUE(dinputSeamLog().empty());
    EXPECT_TRUE(headlessMessageBoxes().empty());
    shutdownShow();  // still safe
    EXPECT_EQ(soundtrack.fileData, nullptr);
}

TEST_F(ContentTest, AMissingImageLeavesOnlyThatObjectEmpty)
{
    putArchive("Data/gfx/box_0.tga data/gfx/krovit.tga");
    initShow(&window);
    ASSERT_TRUE(loadShow(&window, keys));
    EXPECT_EQ(boxTexture.textureId, 0u);
    EXPECT_EQ(krovitSprite.textureId, 0u);
    EXPECT_NE(alfaSprite.textureId, 0u);
    EXPECT_NE(tambrelSprite.textureId, 0u);
    EXPECT_NE(sfxSprite.textureId, 0u);
    int position = 700;  // cube rows with krovit: both missing pictures drawn all the same
    musicPositionOverride = &position;
    showTimeline.drawFrame();
    musicPositionOverride = nullptr;
}

TEST_F(ContentTest, NoImagesAtAllStillRunsTheShowOnTheLooseSoundtrack)
{
    putFastSoundtrack();
    initShow(&window);
    ASSERT_TRUE(loadShow(&window, keys));
    for (Sprite* sprite : loadedSprites())
        EXPECT_EQ(sprite->textureId, 0u);
    int position = 1200;
    musicPositionOverride = &position;
    showTimeline.drawFrame();
    musicPositionOverride = nullptr;
}

TEST_F(ContentTest, ShutdownReleasesTheSoundtrackDevicesAndThreeImages)
{
    putArchive();
    initShow(&window);
    ASSERT_TRUE(loadShow(&window, keys));
    shutdownShow();
    EXPECT_EQ(soundtrack.song, nullptr);
    EXPECT_EQ(soundtrack.fileData, nullptr);
    EXPECT_EQ(inputDevices.directInput, nullptr);
    EXPECT_EQ(inputDevices.keyboard, nullptr);
    EXPECT_EQ(velSprite.textureId, 0u);
    EXPECT_EQ(presentsSprite.textureId, 0u);
    EXPECT_EQ(gameFontTexture.textureId, 0u);
    EXPECT_NE(boxTexture.textureId, 0u);  // the rest stays until the context goes
    EXPECT_NE(theendSprite.textureId, 0u);
    EXPECT_EQ(scratchCount, 0);
}

TEST_F(ContentTest, ASecondPassLoadsEverythingAgainAndPausesAgain)
{
    putArchive();
    initShow(&window);
    ASSERT_TRUE(loadShow(&window, keys));
    const unsigned int firstBox = boxTexture.textureId;
    particles[0].life = 123.0f;
    shutdownShow();

    initShow(&window);
    const DWORD before = headlessClock();
    ASSERT_TRUE(loadShow(&window, keys));
    EXPECT_GE(headlessClock() - before, 4000u);
    EXPECT_NE(soundtrack.song, nullptr);
    EXPECT_NE(boxTexture.textureId, 0u);
    EXPECT_NE(boxTexture.textureId, firstBox);
    EXPECT_NE(velSprite.textureId, 0u);
    EXPECT_LT(particles[0].life, 2.0f);  // the fountain starts over
    for (int i = 6; i < particleTextureCount; ++i)
        EXPECT_EQ(particleTextures[i].textureId, 0u);
}

TEST_F(ContentTest, TheMusicFadesOneStepPerFrameFromTheLastVolumeRead)
{
    putFastSoundtrack();
    initShow(&window);
    ASSERT_TRUE(loadShow(&window, keys));
    int position = 2239;
    musicPositionOverride = &position;
    showTimeline.drawFrame();
    EXPECT_EQ(showTimeline.fadeVolume, 256);  // a freshly loaded song plays at full volume
    soundtrack.setVolume(5);
    showTimeline.drawFrame();
    EXPECT_EQ(showTimeline.fadeVolume, 5);

    position = 2240;
    for (int expected = 5; expected >= -3; --expected) {
        showTimeline.drawFrame();
        EXPECT_EQ(showTimeline.fadeVolume, expected - 1);
        if (expected >= 0) {
            EXPECT_EQ(soundtrack.getVolume(), expected);
        }
        position += 1;
    }
    musicPositionOverride = nullptr;
}
