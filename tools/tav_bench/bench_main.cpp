// SPDX-License-Identifier: MIT
// tav-bench: how fast the show runs here. Frame times per scene, the fountain beside a vertex-array reference,
// capture speed, load time, peak memory of a whole show and the sound mixer's cost, printed as a table and
// written to bench.json next to the executable. Figures only: nothing here passes or fails on a timing.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "platform/headless/pull_audio.h"
#include "tools/tav_bench/bench_report.h"
#include "tools/tav_bench/bench_setup.h"
#include "tools/tav_bench/delay_bench.h"
#include "tools/tav_bench/frame_bench.h"
#include "tools/tav_bench/other_bench.h"
#include "tools/tav_bench/wine_delay_bench.h"

#include <GL/gl.h>

// The soundtrack opens the sound system while static objects are constructed: choose the pull output before
// that, so no real-time mixing thread competes with the measurements.
__attribute__((constructor(101))) static void choosePullAudio()
{
    usePullAudio(true);
}

static const char* usage =
    "usage: tav-bench [--quick] [--frames N] [--json PATH] [--profile-scene NAME] [--capture-only]\n"
    "                 [--compare-capture PATH]\n"
    "  --quick               tiny repetition counts and the fast test soundtrack (seconds, not minutes)\n"
    "  --frames N            timed frames per scene (default 200)\n"
    "  --json PATH           where to write the figures (default: bench.json next to tav-bench)\n"
    "  --profile-scene NAME  only draw that scene (e.g. \"Cube grid 1\"), for perf or callgrind\n"
    "  --capture-only        only the capture figures (speed, and the MP4 against its PNG frames)\n"
    "  --compare-capture PATH  also time the MP4 capture of another tav-capture (an older build) in the run\n";

static bool parse(int argc, char** argv, BenchOptions& options)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--quick") {
            options.rounds = 2;
            options.frames = 10;
            options.warmup = 3;
            options.loads = 2;
            options.mixSeconds = 2;
            options.captureSeconds = 4.5;
            options.showFps = 10;
            options.fastShow = true;
        } else if (arg == "--frames" && hasValue) {
            options.frames = std::atoi(argv[++i]);
            if (options.frames < 1) return false;
        } else if (arg == "--json" && hasValue) {
            options.json = argv[++i];
        } else if (arg == "--capture-only") {
            options.captureOnly = true;
        } else if (arg == "--compare-capture" && hasValue) {
            options.compareCapture = argv[++i];
        } else if (arg == "--profile-scene" && hasValue) {
            options.profileScene = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--whole-show") == 0) return runWholeShow(std::atoi(argv[2]));
    BenchOptions options;
    if (!parse(argc, argv, options)) {
        std::fputs(usage, stderr);
        return 2;
    }
    if (!options.profileScene.empty()) {
        if (runSceneForProfile(options)) return 0;
        std::fprintf(stderr, "tav-bench: no scene \"%s\", or the show did not load\n", options.profileScene.c_str());
        return 1;
    }

    const double start = wallSeconds();
    // Each round takes its share of the repetitions, so the rounds' spread shows how far the machine drifts.
    std::vector<BenchReport> rounds(static_cast<size_t>(options.rounds));
    BenchOptions share = options;
    share.frames = std::max(1, options.frames / options.rounds);
    share.loads = std::max(1, (options.loads + options.rounds - 1) / options.rounds);
    share.mixSeconds = options.mixSeconds / options.rounds;
    for (int r = 0; r < (options.captureOnly ? 0 : options.rounds); ++r) {
        std::fprintf(stderr, "tav-bench: round %d of %d: frames per scene, load, mixing...\n", r + 1, options.rounds);
        if (!runFrameBench(share, rounds[static_cast<size_t>(r)])) {
            std::fprintf(stderr, "tav-bench: the show did not load (is vel.kod next to tav-bench?)\n");
            return 1;
        }
        runLoadBench(share, rounds[static_cast<size_t>(r)]);
        runMixingBench(share, rounds[static_cast<size_t>(r)]);
    }
    BenchReport report = options.captureOnly ? BenchReport() : BenchReport::mergeRounds(rounds);
    std::fprintf(stderr, "tav-bench: capture, memory...\n");
    runCaptureBench(options, report);
    if (!options.captureOnly) {
        runMemoryBench(options, report);
        std::fprintf(stderr, "tav-bench: the position against the sound heard...\n");
        runDelayBench(options, report);
        runWineDelayBench(options, report);
    }
    const double total = wallSeconds() - start;

    char date[32];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", std::localtime(&now));
    std::printf("\ntav-bench %s, 800 x 600 headless, %d timed frames per scene in %d rounds, 1/60 s steps, %.0f s in "
                "all\n\n",
                date, options.frames, options.rounds, total);
    report.print();

    const std::string path = options.json.empty() ? executableFolder() + "bench.json" : options.json;
    char header[512];
    std::snprintf(header, sizeof header,
                  "  \"date\": \"%s\",\n  \"renderer\": \"%s\",\n  \"frames_per_scene\": %d,\n"
                  "  \"rounds\": %d,\n  \"total_seconds\": %.1f,\n",
                  date, "headless EGL", options.frames, options.rounds, total);
    if (!report.writeJson(path, header)) {
        std::fprintf(stderr, "tav-bench: cannot write %s\n", path.c_str());
        return 1;
    }
    std::printf("\nwritten to %s\n", path.c_str());
    return 0;
}
