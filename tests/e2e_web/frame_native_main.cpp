// SPDX-License-Identifier: MIT
// The native side of the show frames: loads the show from CONTENT_DIR/vel.kod on the headless backend (virtual
// clock, pull audio, so the load pause takes no time), draws every shot and writes OUTDIR/NAME.rgba (800 x 600
// RGBA, rows bottom-up).
// Usage: show_frame_native OUTDIR CONTENT_DIR
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "show/show_steps.h"
#include "tests/e2e_web/frame_steps.h"

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTDIR CONTENT_DIR\n", argv[0]);
        return 2;
    }
    const std::string out = argv[1];
    if (chdir(argv[2]) != 0) {
        std::fprintf(stderr, "show_frame_native: no folder %s\n", argv[2]);
        return 2;
    }
    headlessReset();
    GLWindow window{};
    WindowClassInfo classInfo{};
    int keys[256] = {};
    fillShowWindow(window, classInfo, keys);
    if (!registerGLWindowClass(&classInfo) || !openGLWindow(&window)) {
        std::fprintf(stderr, "show_frame_native: no GL window\n");
        return 1;
    }
    usePullAudio(true);
    headlessUseVirtualClock(true);
    headlessSetTickReadHook([] { headlessAdvanceClock(1000); });
    initShow(&window);
    const bool loaded = loadShow(&window, keys);
    headlessSetTickReadHook(nullptr);
    if (!loaded) {
        std::fprintf(stderr, "show_frame_native: the show did not load from %s\n", argv[2]);
        return 1;
    }
    std::vector<unsigned char> rgba(800 * 600 * 4);
    int failures = 0;
    for (int i = 0; i < frameShotCount(); ++i) {
        drawFrameShot(window, frameShot(i), rgba.data());
        const std::string path = out + "/" + frameShot(i).name + ".rgba";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(rgba.data(), 1, rgba.size(), f) != rgba.size()) {
            std::fprintf(stderr, "show_frame_native: cannot write %s\n", path.c_str());
            ++failures;
        }
        if (f)
            std::fclose(f);
    }
    shutdownShow();
    closeGLWindow(&window);
    UnregisterClassA(classInfo.className, classInfo.instance);
    return failures ? 1 : 0;
}
