// SPDX-License-Identifier: MIT
// Frame times of the show at 800 x 600 on the headless backend: each scene of the schedule with the music
// position held inside its range, the parts of a frame on their own, and the fountain beside its vertex-array
// reference.
#pragma once

#include "tools/tav_bench/bench_report.h"
#include "tools/tav_bench/bench_setup.h"

// Loads the show in a scratch folder and adds the rows; false when the show cannot be loaded.
bool runFrameBench(const BenchOptions& options, BenchReport& report);

// Draws only the named scene, options.frames times after the warm-up, for a profiler; false for an unknown name.
bool runSceneForProfile(const BenchOptions& options);

// The name the table gives a scene of the schedule ("Quad field 2"), or "" for none.
const char* benchSceneName(int scene);
