// SPDX-License-Identifier: MIT
#include "tools/tav_bench/other_bench.h"

#include <string>
#include <unistd.h>
#include <vector>

#include "show/content_set.h"
#include "show/show_steps.h"

static int loadedPictures()
{
    const Texture* all[] = {&gameFontTexture, &boxTexture, &alfaSprite, &loadingSprite, &krovitSprite,
                            &tambrelSprite, &zemljaSprite, &zemlja2Sprite, &velSprite, &presentsSprite,
                            &back0Sprite, &brodicSprite, &kologoSprite, &codeSprite, &gfxSprite, &sfxSprite,
                            &theendSprite};
    int count = 0;
    for (const Texture* t : all) count += t->textureId != 0;
    for (int i = 0; i < 6; ++i) count += (particleTextures[i].textureId != 0) + (gTiles[i].textureId != 0);
    return count;
}

void runLoadBench(const BenchOptions& options, BenchReport& report)
{
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return;
    const std::string previous = buffer;
    for (bool loose : {false, true}) {
        const char* name = loose ? "initShow + loadShow, loose files" : "initShow + loadShow, archive";
        const std::string folder = makeScratchFolder("load");
        if (folder.empty() || !putContent(folder, loose) || chdir(folder.c_str()) != 0) {
            report.addValue("load", name, "ms", 0, "could not prepare the content set");
            removeFolder(folder);
            continue;
        }
        std::vector<double> ms;
        int pictures = 0;
        bool failed = false;
        for (int i = 0; i < options.loads; ++i) {
            // A fresh window and context each time, as after a display-mode switch.
            BenchWindow bench;
            if (!bench.openWindow()) {
                failed = true;
                break;
            }
            const double start = wallSeconds();
            failed = !loadShowQuickly(bench) || failed;
            ms.push_back((wallSeconds() - start) * 1000.0);
            pictures = loadedPictures();
            shutdownShow();
            bench.closeWindow();
        }
        const std::string note = failed ? "LOAD FAILED" : std::to_string(pictures) + " of 29 pictures loaded";
        report.addSamples("load", name, "ms", ms, note);
        if (chdir(previous.c_str()) != 0) {
        }
        removeFolder(folder);
    }
}
