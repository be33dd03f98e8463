// SPDX-License-Identifier: MIT
// The pictures of the default content set: one drawing function per picture, and the list of all of them
// under the paths the show asks for.
#pragma once

#include <string>
#include <vector>

#include "tools/make_content/canvas.h"

struct PictureEntry {
    std::string path;        // exactly as the show requests it
    Canvas (*draw)();
};

const std::vector<PictureEntry>& allPictures();

// Titles and lettering
Canvas drawLoading();
Canvas drawTheEnd();
Canvas drawKoLogo();
Canvas drawVel();
Canvas drawPresents();
Canvas drawBack0();
Canvas drawCodePanel();
Canvas drawGfxPanel();
Canvas drawSfxPanel();
// Scene pictures
Canvas drawBox0();
Canvas drawAlfa();
Canvas drawKrovit();
Canvas drawZemlja();
Canvas drawZemlja2();
Canvas drawTambrel();
Canvas drawBrodic();
// Particle glows
Canvas drawParticle();
Canvas drawParticle0();
Canvas drawParticle1();
Canvas drawParticle2();
Canvas drawParticle3();
Canvas drawParticle4();
// Flying tiles
Canvas drawTile0();
Canvas drawTile1();
Canvas drawTile2();
Canvas drawTile3();
Canvas drawTile4();
Canvas drawTile5();
// The font texture
Canvas drawGameFont();
