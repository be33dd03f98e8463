// SPDX-License-Identifier: MIT
// The browser frame bench; see frame_bench_web.h.
#include "tests/e2e_web/frame_bench_web.h"

#include "app/main.h"
#include "platform/gl11/gl11_context.h"
#include "platform/win32_api.h"
#include "show/particles.h"
#include "show/show_steps.h"
#include "show/timeline.h"

#include <emscripten/emscripten.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct BenchScene {
    const char* name;
    int position;
    bool grouped;   // the fountain's grouped path (the show's), or one strip per particle
};

// The fountain alone (the interlude draws only the prologue) comes last, once all its particles live.
const BenchScene scenes[] = {
    {"quad field 1", 1088, true},
    {"cube grid 1", 1312, true},
    {"quad field 2 (alpha)", 2080, true},
    {"fountain (interlude), grouped", 528, true},
    {"fountain (interlude), 4000 strips", 528, false},
};

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[static_cast<size_t>(p * (v.size() - 1))];
}

}  // namespace

void runFrameBench(GLWindow& window, int frames)
{
    int held = 0;
    musicPositionOverride = &held;
    for (const BenchScene& scene : scenes) {
        held = scene.position;
        fountainDrawsByTexture = scene.grouped;
        std::vector<double> cpu, whole;
        for (int i = 0; i < frames + 10; ++i) {
            frameDelta = 1.0f / 60.0f;
            const double start = emscripten_get_now();
            showTimeline.drawFrame();
            gl11FinishFrame();
            const double drawn = emscripten_get_now();
            glFinish();
            const double finished = emscripten_get_now();
            if (i >= 10) {   // the first frames of a scene upload and warm up
                cpu.push_back(drawn - start);
                whole.push_back(finished - start);
            }
            SwapBuffers(window.hdc);
        }
        std::printf("bench: %-32s JS+wasm %.2f ms (median) %.2f ms (90%%), whole frame %.2f ms (median) "
                    "%.2f ms (90%%), %d frames\n",
                    scene.name, percentile(cpu, 0.5), percentile(cpu, 0.9), percentile(whole, 0.5),
                    percentile(whole, 0.9), frames);
    }
    fountainDrawsByTexture = true;
    musicPositionOverride = nullptr;
}
