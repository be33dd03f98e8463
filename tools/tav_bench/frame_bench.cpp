// SPDX-License-Identifier: MIT
#include "tools/tav_bench/frame_bench.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "show/content_set.h"
#include "show/effects.h"
#include "show/particles.h"
#include "show/show_steps.h"
#include "show/timeline.h"
#include "tools/tav_bench/reference_fountain.h"
#ifdef TAV_BENCH_GL11
#include "tools/tav_bench/layer_cost.h"
#endif

#include <GL/gl.h>

namespace {

struct SceneSpot {
    const char* name;
    int position;  // held for the whole measurement: the middle of the scene's range
};

const SceneSpot scenes[] = {
    {"Opening", 128},       {"Titles", 320},         {"Logo growth", 448},  {"Interlude", 528},
    {"Code panel", 560},    {"Gfx panel", 592},      {"Sfx panel", 624},    {"Cube rows 1", 704},
    {"Brodic flight", 800}, {"Cube rows 2", 864},    {"Cube rows 3", 960},  {"Quad field 1", 1088},
    {"Cube grid 1", 1312},  {"Cube grid 2", 1728},   {"Approach", 2016},    {"Quad field 2", 2080},
    {"Fly-in", 2176},       {"Closing", 2272},
};

static_assert(sizeof scenes / sizeof scenes[0] == sceneEnd, "one row per scene of the schedule, in its order");

const float frameStep = 1.0f / 60.0f;
int heldPosition = 0;

// One frame as the loop draws it, GL work included: drawFrame, SwapBuffers, glFinish. Milliseconds.
double timedFrame(BenchWindow& bench)
{
    frameDelta = frameStep;
    const double start = wallSeconds();
    showTimeline.drawFrame();
    SwapBuffers(bench.window.hdc);
    glFinish();
    return (wallSeconds() - start) * 1000.0;
}

template <typename Draw>
std::vector<double> timeRepeatedly(int count, Draw draw)
{
    std::vector<double> ms;
    ms.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        glFinish();
        const double start = wallSeconds();
        draw();
        glFinish();
        ms.push_back((wallSeconds() - start) * 1000.0);
    }
    return ms;
}

std::vector<unsigned char> pictureOf(void (*draw)(void*), void* context)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    draw(context);
    std::vector<unsigned char> rgba;
    int w = 0;
    int h = 0;
    headlessReadPixels(rgba, w, h);
    glClearColor(0.0f, 0.0f, 0.0f, 0.5f);
    return rgba;
}

struct Prepared {
    std::string folder;
    std::string previousFolder;
    BenchWindow bench;
    bool ok = false;
};

bool prepare(Prepared& prepared)
{
    char buffer[4096];
    if (!getcwd(buffer, sizeof buffer)) return false;
    prepared.previousFolder = buffer;
    prepared.folder = makeScratchFolder("frames");
    if (prepared.folder.empty() || !putContent(prepared.folder, false) || chdir(prepared.folder.c_str()) != 0)
        return false;
    if (!prepared.bench.openWindow()) return false;
    // Every round replays the schedule from the show's first frame, not from where the last round left it.
    showTimeline = ShowTimeline();
    resetSpinAngles();
    musicPositionOverride = &heldPosition;
    prepared.ok = loadShowQuickly(prepared.bench);
    return prepared.ok;
}

void finish(Prepared& prepared)
{
    musicPositionOverride = nullptr;
    if (prepared.ok) shutdownShow();
    prepared.bench.closeWindow();
    if (!prepared.previousFolder.empty() && chdir(prepared.previousFolder.c_str()) != 0) {
    }
    removeFolder(prepared.folder);
}

// How often the fountain's bound texture really changes in one frame (a rebind of the texture already bound
// costs nothing; a change does).
int textureSwitches(const Sprite* frameTexture)
{
    unsigned int bound = frameTexture->textureId;
    int count = 0;
    for (const Particle& p : particles) {
        if (p.alive != 1 || p.texture == frameTexture) continue;
        count += p.texture->textureId != bound;
        bound = p.texture->textureId;
    }
    return count;
}

double compareWithReference(const BenchOptions& options, BenchReport& report, Sprite* texture, const char* label)
{
    ReferenceFountain reference;
    std::vector<double> fountainMs;
    std::vector<double> referenceMs;
    for (int i = 0; i < options.frames; ++i) {
        std::vector<double> one = timeRepeatedly(1, [&] { updateAndDrawFountain(texture); });
        fountainMs.push_back(one[0]);
        one = timeRepeatedly(1, [&] { reference.draw(texture); });
        referenceMs.push_back(one[0]);
    }
    struct Both {
        Sprite* texture;
        ReferenceFountain* reference;
    } both{texture, &reference};
    const std::vector<unsigned char> fromFountain =
        pictureOf([](void* c) { updateAndDrawFountain(static_cast<Both*>(c)->texture); }, &both);
    const std::vector<unsigned char> fromReference = pictureOf(
        [](void* c) { static_cast<Both*>(c)->reference->draw(static_cast<Both*>(c)->texture); }, &both);
    int differing = 0;
    int largest = 0;
    for (size_t i = 0; i + 3 < fromFountain.size() && i + 3 < fromReference.size(); i += 4) {
        int d = 0;
        for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(fromFountain[i + c] - fromReference[i + c]));
        largest = std::max(largest, d);
        differing += d > 1;
    }
    const Summary fountain = summarize(fountainMs);
    const Summary ref = summarize(referenceMs);
    char note[160];
    std::snprintf(note, sizeof note, "grouped by texture; %d texture switches in index order", textureSwitches(texture));
    report.add({"fountain", std::string("fountain, ") + label, "ms", fountain, note, fountainMs});
    std::snprintf(note, sizeof note, "%d texture runs; pixels differing by >1: %d (largest %d)", reference.runs(),
                  differing, largest);
    report.add({"fountain", std::string("vertex arrays, ") + label, "ms", ref, note, referenceMs});
    report.addValue("fountain", std::string("ratio, ") + label, "x", ref.median > 0 ? fountain.median / ref.median : 0,
                    "fountain / vertex-array reference");
    return fountain.median;
}

void fountainParts(const BenchOptions& options, BenchReport& report, BenchWindow& bench, double slowestMs,
                   const std::string& slowestName)
{
    Sprite* texture = &particleTextures[showTimeline.particleIndex];
    auto share = [&](double ms) {
        char text[96];
        std::snprintf(text, sizeof text, "%.0f %% of %s", 100.0 * ms / slowestMs, slowestName.c_str());
        return std::string(text);
    };
    auto part = [&](const char* name, std::vector<double> ms) {
        Summary s = summarize(ms);
        report.add({"frame part", name, "ms", s, share(s.median), ms});
    };
    frameDelta = frameStep;
    part("glFinish alone", timeRepeatedly(options.frames, [] {}));
    part("fade quad", timeRepeatedly(options.frames, [] { drawFadeQuad(0, 0, 0, 0.1f); }));
    part("fountain, 1/60 s step", timeRepeatedly(options.frames, [&] { updateAndDrawFountain(texture); }));
    part("small brodic blit", timeRepeatedly(options.frames, [&] {
             brodicSprite.setClampBox(-800, -600, 800, 600);
             brodicSprite.setPosition(500, 40);
             brodicSprite.blit(&bench.window);
         }));
    part("krovit blit 800 x 600", timeRepeatedly(options.frames, [&] {
             krovitSprite.setClampBox(0, 0, 800, 600);
             krovitSprite.setPosition(0, 0);
             krovitSprite.blitSized(&bench.window, 800, 600);
         }));
    part("SwapBuffers (headless)", timeRepeatedly(options.frames, [&] { SwapBuffers(bench.window.hdc); }));

    // The same particles, standing still (a zero step draws without moving), drawn both ways in turn: first
    // all on the frame's texture (no switches: pixels only), then two thirds of them at random still on the
    // textures of two previous scenes, as after quick scene changes. Particles of the frame's texture draw with
    // whatever was bound last, so only a change between two older textures costs a bind.
    frameDelta = 0.0f;
    std::vector<Sprite*> kept;
    for (Particle& p : particles) {
        kept.push_back(p.texture);
        p.texture = texture;
    }
    const double oneTexture = compareWithReference(options, report, texture, "one texture");
    Sprite* older[3] = {texture, &particleTextures[(showTimeline.particleIndex + 1) % 6],
                        &particleTextures[(showTimeline.particleIndex + 2) % 6]};
    for (int i = 0; i < particleCount; ++i) particles[i].texture = older[(static_cast<unsigned>(i) * 2654435761u >> 16) % 3];
    const double mixed = compareWithReference(options, report, texture, "three textures mixed");
    report.addValue("fountain", "three textures / one", "x", oneTexture > 0 ? mixed / oneTexture : 0,
                    "the fountain's cost of mixed textures");
    for (size_t i = 0; i < kept.size(); ++i) particles[i].texture = kept[i];
    frameDelta = frameStep;
}

}  // namespace

bool runFrameBench(const BenchOptions& options, BenchReport& report)
{
    Prepared prepared;
    if (!prepare(prepared)) {
        finish(prepared);
        return false;
    }
    // The first frame after the load would carry the pause; start from a settled fountain instead.
    heldPosition = 0;
    for (int i = 0; i < 300; ++i) timedFrame(prepared.bench);

    // In schedule order, so each scene finds the counters its predecessors left, as in the show. Frames alternate
    // between the fountain grouped by texture (the show's) and its in-order strips (the build before it), so
    // both see the same scene and the same drift of the machine.
    double slowestMs = 0;
    std::string slowestName;
    std::vector<ResultRow> inOrderRows;
    for (const SceneSpot& scene : scenes) {
        heldPosition = scene.position;
        for (int i = 0; i < options.warmup; ++i) timedFrame(prepared.bench);
        std::vector<double> ms;
        std::vector<double> inOrderMs;
        std::vector<double> switches;
        for (int i = 0; i < options.frames; ++i) {
            switches.push_back(textureSwitches(&particleTextures[showTimeline.particleIndex]));
            ms.push_back(timedFrame(prepared.bench));
            fountainDrawsByTexture = false;
            inOrderMs.push_back(timedFrame(prepared.bench));
            fountainDrawsByTexture = true;
        }
        Summary s = summarize(ms);
        const Summary before = summarize(inOrderMs);
        const bool misses = s.median > 1000.0 / 60.0;
        const bool worstMisses = s.worst > 1000.0 / 60.0;
        char ratio[64];
        std::snprintf(ratio, sizeof ratio, ", %.2fx the in-order fountain's", before.median > 0 ? s.median / before.median : 0);
        std::string note = "p " + std::to_string(scene.position) + ", fountain texture switches in order " +
                           std::to_string(static_cast<int>(medianOf(switches))) + (scene.position < 2240 ? ratio : "") +
                           (misses ? ", MISSES 60 fps" : "") +
                           (!misses && worstMisses ? ", worst frame over 16.7 ms" : "");
        report.add({"frame", scene.name, "ms", s, note, ms});
        inOrderRows.push_back({"in order", scene.name, "ms", before, "the fountain's strips in index order", inOrderMs});
        if (s.median > slowestMs && scene.position < 2240) {
            slowestMs = s.median;
            slowestName = scene.name;
        }
    }
    for (const ResultRow& row : inOrderRows) report.add(row);
    heldPosition = 1312;  // the parts below are measured with the show standing in a cube grid
    fountainParts(options, report, prepared.bench, slowestMs, slowestName);
    finish(prepared);
    return true;
}

bool runSceneForProfile(const BenchOptions& options)
{
    const SceneSpot* chosen = nullptr;
    for (const SceneSpot& scene : scenes)
        if (options.profileScene == scene.name) chosen = &scene;
    if (!chosen) return false;
    Prepared prepared;
    if (!prepare(prepared)) {
        finish(prepared);
        return false;
    }
    heldPosition = chosen->position;
    for (int i = 0; i < options.warmup; ++i) timedFrame(prepared.bench);
    std::vector<double> ms;
#ifdef TAV_BENCH_GL11
    // Over the layer: each frame's time inside GLES, and what is left, the program's and the layer's own.
    layerCostWrapSeam();
    std::vector<double> glesMs, ownMs;
    for (int i = 0; i < options.frames; ++i) {
        const double before = layerCostGlesSeconds();
        ms.push_back(timedFrame(prepared.bench));
        glesMs.push_back((layerCostGlesSeconds() - before) * 1000.0);
        ownMs.push_back(ms.back() - glesMs.back());
    }
    std::printf("%s: median %.3f ms over %d frames, of which inside GLES %.3f ms, the program and the layer "
                "%.3f ms\n",
                chosen->name, summarize(ms).median, options.frames, summarize(glesMs).median,
                summarize(ownMs).median);
#else
    for (int i = 0; i < options.frames; ++i) ms.push_back(timedFrame(prepared.bench));
    std::printf("%s: median %.3f ms over %d frames\n", chosen->name, summarize(ms).median, options.frames);
#endif
    // Medians of every 100 frames in turn: how the cost moves as the fountain settles.
    for (size_t at = 0; at + 100 <= ms.size(); at += 100)
        std::printf("  frames %zu-%zu: %.3f ms\n", at, at + 99,
                    medianOf(std::vector<double>(ms.begin() + static_cast<long>(at), ms.begin() + static_cast<long>(at + 100))));
    finish(prepared);
    return true;
}

const char* benchSceneName(int scene)
{
    return scene >= 0 && scene < sceneEnd ? scenes[scene].name : "";
}
