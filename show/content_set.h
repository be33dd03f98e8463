// SPDX-License-Identifier: MIT
// The show's content set: every program-wide object the show loads and draws, and the three show steps that
// load and release them once per pass.
#pragma once

#include "audio/music_track.h"
#include "input/input_devices.h"
#include "media/bitmap_font.h"
#include "media/sprite.h"

const int particleTextureCount = 9;   // 6-8 exist but are never loaded
const int gTileCount = 6;

extern BitmapFont gameFont;
extern Texture gameFontTexture;
extern Texture boxTexture;
extern Sprite particleTextures[particleTextureCount];
extern Sprite gTiles[gTileCount];
extern Sprite loadingSprite;
extern Sprite krovitSprite;
extern Sprite tambrelSprite;
extern Sprite zemljaSprite;
extern Sprite zemlja2Sprite;
extern Sprite velSprite;
extern Sprite presentsSprite;
extern Sprite back0Sprite;
extern Sprite brodicSprite;
extern Sprite kologoSprite;
extern Sprite codeSprite;
extern Sprite gfxSprite;
extern Sprite sfxSprite;
extern Sprite alfaSprite;
extern Sprite theendSprite;
extern MusicTrack soundtrack;
extern InputDevices inputDevices;

// Sets clear colour and depth, depth test, smooth shading, perspective hint, additive blending, texturing.
void setBaseGLState();
