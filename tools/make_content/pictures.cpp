// SPDX-License-Identifier: MIT
#include "tools/make_content/pictures.h"

const std::vector<PictureEntry>& allPictures()
{
    // In the order the show loads them, the loading picture first.
    static const std::vector<PictureEntry> pictures = {
        {"Data/Gfx/loading.tga", drawLoading},
        {"Data/Fonts/GameFont.tga", drawGameFont},
        {"Data/gfx/box_0.tga", drawBox0},
        {"Data/gfx/alfa.tga", drawAlfa},
        {"Data/gfx/particle.tga", drawParticle},
        {"Data/gfx/particle0.tga", drawParticle0},
        {"Data/gfx/particle1.tga", drawParticle1},
        {"Data/gfx/particle2.tga", drawParticle2},
        {"Data/gfx/particle3.tga", drawParticle3},
        {"Data/gfx/particle4.tga", drawParticle4},
        {"Data/gfx/g0.tga", drawTile0},
        {"Data/gfx/g1.tga", drawTile1},
        {"Data/gfx/g2.tga", drawTile2},
        {"Data/gfx/g3.tga", drawTile3},
        {"Data/gfx/g4.tga", drawTile4},
        {"Data/gfx/g5.tga", drawTile5},
        {"Data/gfx/theend.tga", drawTheEnd},
        {"data/gfx/zemlja.tga", drawZemlja},
        {"data/gfx/zemlja2.tga", drawZemlja2},
        {"data/gfx/krovit.tga", drawKrovit},
        {"data/gfx/tambrel.tga", drawTambrel},
        {"data/gfx/vel.tga", drawVel},
        {"data/gfx/presents.tga", drawPresents},
        {"data/gfx/kologo.tga", drawKoLogo},
        {"data/gfx/back_0.tga", drawBack0},
        {"data/gfx/brodic.tga", drawBrodic},
        {"data/gfx/code.tga", drawCodePanel},
        {"data/gfx/gfx.tga", drawGfxPanel},
        {"data/gfx/sfx.tga", drawSfxPanel},
    };
    return pictures;
}
