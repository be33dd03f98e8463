// SPDX-License-Identifier: MIT
// The content set and the show's per-pass steps. The objects are defined here, in this one file and in this
// order, so that they are constructed in it and destroyed in exactly the reverse: the soundtrack, which opens
// the sound system, comes last and therefore goes first at exit; the font goes last.
#include "show/content_set.h"

#include <cstring>

#include "app/main.h"
#include "media/data_files.h"
#include "platform/win32_api.h"
#include "show/particles.h"
#include "show/show_steps.h"

#include <GL/gl.h>

BitmapFont gameFont;

// The keyboard buffer is cleared at this point of start-up, between the font and the textures.
static struct KeyboardStateClear {
    KeyboardStateClear() { std::memset(keyboardState, 0, sizeof keyboardState); }
} keyboardStateClear;

Texture gameFontTexture;
Texture boxTexture;

Sprite particleTextures[particleTextureCount];

Sprite gTiles[gTileCount];

Sprite loadingSprite;
Sprite krovitSprite;
Sprite tambrelSprite;
Sprite zemljaSprite;
Sprite zemlja2Sprite;

Sprite velSprite;
Sprite presentsSprite;
Sprite back0Sprite;
Sprite brodicSprite;

Sprite kologoSprite;
Sprite codeSprite;
Sprite gfxSprite;
Sprite sfxSprite;
Sprite alfaSprite;

Sprite theendSprite;

MusicTrack soundtrack;

// Zero-filled like every static object; it holds no interfaces until create.
InputDevices inputDevices;

void setBaseGLState()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    glClearDepth(1.0);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_DEPTH_TEST);
    glShadeModel(GL_SMOOTH);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
}

void initShow(GLWindow* window)
{
    setArchiveName("vel.kod");
    setBaseGLState();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const int w = window->width;
    const int h = window->height;
    loadingSprite.setClampBox(0, 0, w, h);
    loadingSprite.loadImageFile("Data/Gfx/loading.tga", 1);
    // Centred as a 256 x 256 picture, whatever its real size.
    loadingSprite.setPosition((w - 256) / 2, (h - 256) / 2);
    loadingSprite.blit(window);
    SwapBuffers(window->hdc);
}

bool loadShow(GLWindow* window, int* keyState)
{
    currentWindow = window;
    currentKeyState = keyState;

    if (!soundtrack.load("Data/sfx/trancen.xm", 0))
        return false;

    gameFontTexture.loadImageFile("Data/Fonts/GameFont.tga", 1);
    boxTexture.loadImageFile("Data/gfx/box_0.tga", 1);
    alfaSprite.loadImageFile("Data/gfx/alfa.tga", 1);
    particleTextures[0].loadImageFile("Data/gfx/particle.tga", 1);
    particleTextures[1].loadImageFile("Data/gfx/particle0.tga", 1);
    particleTextures[2].loadImageFile("Data/gfx/particle1.tga", 1);
    particleTextures[3].loadImageFile("Data/gfx/particle2.tga", 1);
    particleTextures[4].loadImageFile("Data/gfx/particle3.tga", 1);
    particleTextures[5].loadImageFile("Data/gfx/particle4.tga", 1);

    initFountain(&particleTextures[0]);

    gTiles[0].loadImageFile("Data/gfx/g0.tga", 1);
    gTiles[1].loadImageFile("Data/gfx/g1.tga", 1);
    gTiles[2].loadImageFile("Data/gfx/g2.tga", 1);
    gTiles[3].loadImageFile("Data/gfx/g3.tga", 1);
    gTiles[4].loadImageFile("Data/gfx/g4.tga", 1);
    gTiles[5].loadImageFile("Data/gfx/g5.tga", 1);
    theendSprite.loadImageFile("Data/gfx/theend.tga", 1);
    zemljaSprite.loadImageFile("data/gfx/zemlja.tga", 1);
    zemlja2Sprite.loadImageFile("data/gfx/zemlja2.tga", 1);
    krovitSprite.loadImageFile("data/gfx/krovit.tga", 1);
    tambrelSprite.loadImageFile("data/gfx/tambrel.tga", 1);
    velSprite.loadImageFile("data/gfx/vel.tga", 1);
    presentsSprite.loadImageFile("data/gfx/presents.tga", 1);
    kologoSprite.loadImageFile("data/gfx/kologo.tga", 1);
    back0Sprite.loadImageFile("data/gfx/back_0.tga", 1);
    brodicSprite.loadImageFile("data/gfx/brodic.tga", 1);
    codeSprite.loadImageFile("data/gfx/code.tga", 1);
    gfxSprite.loadImageFile("data/gfx/gfx.tga", 1);
    sfxSprite.loadImageFile("data/gfx/sfx.tga", 1);

    gameFont.setTexture(&gameFontTexture, 16, 16);
    gameFont.setGlyphSize(16, 16, 10);
    gameFont.setScreenSize(window->width, window->height);
    gameFont.build();

    // Without input devices the show runs all the same; create has already said why.
    inputDevices.create();
    mouseState.lX = 0;
    mouseState.lY = 0;
    mouseState.lZ = 0;

    setBaseGLState();
    waitSeconds(4);
    soundtrack.play();
    return true;
}

void shutdownShow()
{
    soundtrack.release();
    inputDevices.release();
    velSprite.release();
    presentsSprite.release();
    gameFontTexture.release();
    resizeScratchBuffer(0);
}
