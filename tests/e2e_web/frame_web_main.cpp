// SPDX-License-Identifier: MIT
// The browser side of the show frames: opens the show's window through the program's own window code on the
// web platform (the canvas's WebGL context), loads the show from vel.kod in the current folder (the page's
// content package), draws every shot and leaves the pictures for the page: window.frameShots = [{name, pixels
// (Uint8Array, 800 x 600 RGBA, rows bottom-up)}], then window.frameShotsDone = true (frameShotsError on failure).
// With window.frameBench = N set by the page, it then times N frames of a few scenes (frame_bench_web.h).
#include "show/show_steps.h"
#include "tests/e2e_web/frame_bench_web.h"
#include "tests/e2e_web/frame_steps.h"

#include <emscripten/emscripten.h>

#include <vector>

int main()
{
    GLWindow window{};
    WindowClassInfo classInfo{};
    static int keys[256] = {};
    fillShowWindow(window, classInfo, keys);
    if (!registerGLWindowClass(&classInfo) || !openGLWindow(&window)) {
        EM_ASM(window.frameShotsError = "no GL window"; window.frameShotsDone = true;);
        return 1;
    }
    initShow(&window);
    if (!loadShow(&window, keys)) {
        EM_ASM(window.frameShotsError = "the show did not load"; window.frameShotsDone = true;);
        return 1;
    }
    std::vector<unsigned char> rgba(800 * 600 * 4);
    EM_ASM(window.frameShots = [];);
    for (int i = 0; i < frameShotCount(); ++i) {
        drawFrameShot(window, frameShot(i), rgba.data());
        EM_ASM({ window.frameShots.push({name : UTF8ToString($0), pixels : HEAPU8.slice($1, $1 + $2)}); },
               frameShot(i).name, rgba.data(), static_cast<int>(rgba.size()));
    }
    const int benchFrames = EM_ASM_INT({ return window.frameBench | 0; });
    if (benchFrames > 0)
        runFrameBench(window, benchFrames);
    EM_ASM(window.frameShotsDone = true;);
    return 0;
}
