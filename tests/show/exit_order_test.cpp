// SPDX-License-Identifier: MIT
// Watches the content set go at process exit: the GL deletions made by the objects' destructors are seen on
// their way to the real driver, so their order can be compared with the order of construction, reversed. The
// soundtrack must be gone before the first picture, the font's lists must come last. The verdict is the
// process's exit status, given from inside the font's deletion, the last step of the content set.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/gl_window.h"
#include "app/main.h"
#include "audio/music_track.h"
#include "platform/headless/headless.h"
#include "show/content_set.h"
#include "show/show_steps.h"
#include "tools/headless_window/headless_show_window.h"

#include <GL/gl.h>

namespace {

std::vector<GLuint> expectedOrder;
std::vector<GLuint> deleted;
bool watching = false;
bool soundtrackGoneFirst = true;

}  // namespace

extern "C" void glDeleteTextures(GLsizei n, const GLuint* textures)
{
    if (watching) {
        for (GLsizei i = 0; i < n; ++i) {
            if (deleted.empty() && liveTrackCount != 0)
                soundtrackGoneFirst = false;
            deleted.push_back(textures[i]);
        }
    }
    using Real = void (*)(GLsizei, const GLuint*);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glDeleteTextures"));
    if (real)
        real(n, textures);
}

extern "C" void glDeleteLists(GLuint list, GLsizei range)
{
    if (watching) {
        bool ok = soundtrackGoneFirst && deleted == expectedOrder;
        if (!soundtrackGoneFirst)
            std::fprintf(stderr, "a picture was destroyed before the soundtrack\n");
        if (deleted != expectedOrder) {
            std::fprintf(stderr, "texture deletions at exit:");
            for (GLuint name : deleted)
                std::fprintf(stderr, " %u", name);
            std::fprintf(stderr, "\nexpected:");
            for (GLuint name : expectedOrder)
                std::fprintf(stderr, " %u", name);
            std::fprintf(stderr, "\n");
        }
        std::fflush(stderr);
        _exit(ok ? 0 : 1);
    }
    using Real = void (*)(GLuint, GLsizei);
    static Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "glDeleteLists"));
    if (real)
        real(list, range);
}

int main()
{
    char pattern[] = "/tmp/tav-show-exit-XXXXXX";
    if (!mkdtemp(pattern) || chdir(pattern) != 0)
        return 2;
    if (std::system("cp '" SHOW_CONTENT_DIR "/vel.kod' vel.kod") != 0)
        return 2;

    // Static: the window must outlive main, since what is watched happens during exit.
    static HeadlessShowWindow shown;
    if (!shown.prepareWindow())
        return 2;
    headlessUseVirtualClock(true);
    headlessSetTickReadHook([] { headlessAdvanceClock(7); });
    if (!openGLWindow(&shown.window))
        return 2;
    initShow(&shown.window);
    if (!loadShow(&shown.window, shown.keys))
        return 2;
    std::system(("rm -rf '" + std::string(pattern) + "'").c_str());

    // Reverse order of construction; objects that hold no texture delete nothing.
    const Texture* reverse[] = {
        &theendSprite, &alfaSprite, &sfxSprite, &gfxSprite, &codeSprite, &kologoSprite, &brodicSprite,
        &back0Sprite, &presentsSprite, &velSprite, &zemlja2Sprite, &zemljaSprite, &tambrelSprite, &krovitSprite,
        &loadingSprite, &gTiles[5], &gTiles[4], &gTiles[3], &gTiles[2], &gTiles[1], &gTiles[0],
        &particleTextures[8], &particleTextures[7], &particleTextures[6], &particleTextures[5],
        &particleTextures[4], &particleTextures[3], &particleTextures[2], &particleTextures[1],
        &particleTextures[0], &boxTexture, &gameFontTexture,
    };
    for (const Texture* texture : reverse)
        if (texture->textureId != 0)
            expectedOrder.push_back(texture->textureId);
    if (expectedOrder.size() != 29)
        return 2;  // every picture of the archive loaded
    watching = true;
    return 3;  // reaching the end of exit without the font's deletion is a failure too
}
