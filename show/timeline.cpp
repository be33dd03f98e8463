// SPDX-License-Identifier: MIT
// The show timeline: the frame prologue (darkening, fountain, small brodic), the scene for the music position,
// the music fade and the closing picture, and the quit once the music has played far enough.
#include "show/timeline.h"

#include <climits>

#include "app/gl_window.h"
#include "app/main.h"
#include "platform/win32_api.h"
#include "show/content_set.h"
#include "show/effects.h"
#include "show/particles.h"
#include "show/random.h"
#include "show/show_steps.h"

#include <GL/gl.h>

ShowTimeline showTimeline;
const int* musicPositionOverride = nullptr;

// The prologue runs before this position, the closing picture from it on, and the show quits past the end.
static const int closingPosition = 2240;
static const int endPosition = 2304;

ShowScene sceneForPosition(int p)
{
    if (p <= 256) return sceneOpening;
    if (p <= 384) return sceneTitles;
    if (p <= 512) return sceneLogoGrowth;
    if (p <= 544) return sceneInterlude;
    if (p <= 576) return sceneCodePanel;
    if (p <= 608) return sceneGfxPanel;
    if (p <= 640) return sceneSfxPanel;
    if (p <= 768) return sceneCubeRows1;
    if (p <= 832) return sceneBrodicFlight;
    if (p <= 896) return sceneCubeRows2;
    if (p <= 1024) return sceneCubeRows3;
    if (p <= 1152) return sceneQuadField1;
    if (p <= 1472) return sceneCubeGrid1;
    if (p <= 1984) return sceneCubeGrid2;
    if (p <= 2048) return sceneApproach;
    if (p <= 2112) return sceneQuadField2;
    if (p <= 2239) return sceneFlyIn;
    if (p <= 2304) return sceneClosing;
    return sceneEnd;
}

// A sprite at a fixed place inside the window, at its own size.
static void blitAt(Sprite& sprite, int x, int y)
{
    sprite.setClampBox(0, 0, 800, 600);
    sprite.setPosition(x, y);
    sprite.blit(currentWindow);
}

static void blitJittered(Sprite& sprite, int x, int y)
{
    sprite.setClampBox(0, 0, 800, 600);
    const JitteredPosition at = jitterPosition(x, y);
    sprite.setPosition(at.x, at.y);
    sprite.blit(currentWindow);
}

void ShowTimeline::drawFrame()
{
    int p = soundtrack.getPosition();
    if (musicPositionOverride)
        p = *musicPositionOverride;
    inputDevices.poll();
    glDisable(GL_TEXTURE_2D);

    if (p < closingPosition) {
        drawFadeQuad(0, 0, 0, 0.1f);
        updateAndDrawFountain(&particleTextures[particleIndex]);
        brodicSprite.setClampBox(-800, -600, 800, 600);
        const JitteredPosition at = jitterPosition(500, 40);
        brodicSprite.setPosition(at.x, at.y);
        brodicSprite.blit(currentWindow);
        fadeVolume = soundtrack.getVolume();
    } else {
        soundtrack.setVolume(fadeVolume);
        // No floor: the player treats anything below silence as silence. Only the int's own end stops it.
        if (fadeVolume > INT_MIN)
            --fadeVolume;
    }

    if (p > endPosition) {
        requestQuit(currentWindow);
        escapeArmed = false;
        glFlush();
        return;
    }

    if (p >= closingPosition) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        const int w = currentWindow->width;
        const int h = currentWindow->height;
        theendSprite.setClampBox(0, 0, w, h);
        theendSprite.setPosition((w - 256) / 2, (h - 256) / 2);
        theendSprite.blit(currentWindow);
        glFlush();
        return;
    }

    drawScene(p);
    glFlush();
}

void ShowTimeline::drawScene(int p)
{
    switch (sceneForPosition(p)) {
    case sceneOpening:
        break;
    case sceneTitles:
        drawTitles();
        break;
    case sceneLogoGrowth:
        particleIndex = 2;
        velWidth += 32;
        if (velWidth > 800)
            velWidth = 800;
        velHeight += 24;
        if (velHeight > 600)
            velHeight = 600;
        velSprite.blitSized(currentWindow, velWidth, velHeight);
        break;
    case sceneInterlude:
        particleIndex = 3;
        break;
    case sceneCodePanel:
        particleIndex = 4;
        blitJittered(codeSprite, 10, 350);
        break;
    case sceneGfxPanel:
        particleIndex = 5;
        blitJittered(gfxSprite, 10, 10);
        break;
    case sceneSfxPanel:
        particleIndex = 3;
        blitJittered(sfxSprite, 500, 400);
        break;
    case sceneCubeRows1: {
        particleIndex = 2;
        drawCubeRows(4);
        krovitSprite.setClampBox(0, 0, 800, 600);
        // The draw is taken every frame; the shake happens only on every fourth row.
        const int r = nextRandom();
        if (r % 2 == 1 && p % 4 == 0)
            krovitSprite.setPosition(40, 0);
        else
            krovitSprite.setPosition(0, 0);
        krovitSprite.blitSized(currentWindow, 800, 600);
        break;
    }
    case sceneBrodicFlight: {
        particleIndex = 1;
        // The clamp box is still the prologue's.
        const JitteredPosition at = jitterPosition(flightX, flightY);
        brodicSprite.setPosition(at.x, at.y);
        brodicSprite.blitSized(currentWindow, 512, 512);
        flightX -= frameDelta * 1000.0f;
        flightY -= frameDelta * 1000.0f;
        break;
    }
    case sceneCubeRows2:
        drawCubeRows(-4);
        break;
    case sceneCubeRows3:
        particleIndex = 4;
        drawCubeRows(-4);
        blitAt(zemljaSprite, 544, 344);
        break;
    case sceneQuadField1:
        drawQuadField(true);
        break;
    case sceneCubeGrid1:
        drawCubeGrid1(p);
        break;
    case sceneCubeGrid2:
        drawCubeGrid2(p);
        break;
    case sceneApproach:
        quadZ += frameDelta * 50.0f;
        if (quadZ > -4.0f)
            quadZ = -4.0f;
        particleIndex = 5;
        beginTexturedScene(GL_ONE_MINUS_SRC_ALPHA);
        drawDepthQuad(quadZ);
        fieldDepth = 0.0f;
        break;
    case sceneQuadField2:
        drawQuadField(false);
        break;
    case sceneFlyIn:
        quadZ += frameDelta * 5.0f;
        particleIndex = 3;
        beginTexturedScene(GL_ONE_MINUS_SRC_ALPHA);
        drawDepthQuad(quadZ);
        break;
    case sceneClosing:
    case sceneEnd:
        break;
    }
}

void ShowTimeline::drawTitles()
{
    particleIndex = 1;
    backHeight += frameDelta * 1000.0f;
    if (backHeight > 600.0f)
        backHeight = 600.0f;
    back0Sprite.blitSized(currentWindow, 256, static_cast<int>(backHeight));

    if (backHeight == 600.0f) {
        logoWidth += frameDelta * 2000.0f;
        if (logoWidth > 800.0f)
            logoWidth = 800.0f;
        kologoSprite.blitSized(currentWindow, static_cast<int>(logoWidth), 600);
    }

    if (logoWidth == 800.0f) {
        presentsSprite.setClampBox(0, 0, 800, 600);
        int jump = 0;
        if (nextRandom() % 20 == 8)
            jump = 100;
        else if (nextRandom() % 20 == 6)
            jump = -300;
        const int r = nextRandom();
        presentsSprite.setPosition(500 + jump + r % 3, 400);
        presentsSprite.blit(currentWindow);
    }
}

void ShowTimeline::drawCubeGrid1(int p)
{
    particleIndex = 2;
    if (p > 1216) particleIndex = 5;
    if (p > 1280) particleIndex = 3;
    if (p > 1348) particleIndex = 1;
    drawCubeGrid();
    drawTileOverlay(p, 1152);
}

void ShowTimeline::drawCubeGrid2(int p)
{
    particleIndex = 5;
    if (p > 1536) particleIndex = 0;
    if (p > 1600) particleIndex = 3;
    if (p > 1668) particleIndex = 4;
    drawCubeGrid();
    drawTileOverlay(p, 1472);
    blitAt(tambrelSprite, 100, 300);
}

// Quad field 1 adds light and resets the cube angles with its one-time set-up; Quad field 2 blends by alpha
// over the standing depth quad.
void ShowTimeline::drawQuadField(bool additive)
{
    fieldDepth += frameDelta * 10.0f;
    particleIndex = 0;
    if (!fieldReady) {
        fillFieldOffsets();
        if (additive)
            resetSpinAngles();
    }
    fieldReady = true;
    if (additive) {
        beginTexturedScene(GL_ONE);
    } else {
        beginTexturedScene(GL_ONE_MINUS_SRC_ALPHA);
        drawDepthQuad(quadZ);
    }
    ::drawQuadField(fieldDepth);
}
