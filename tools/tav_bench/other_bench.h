// SPDX-License-Identifier: MIT
// The measurements that run the show's pieces outside a frame: load time, the sound mixer beside libopenmpt,
// capture speed (the tav-capture tool beside this program), and peak memory of a whole headless show.
#pragma once

#include "tools/tav_bench/bench_report.h"
#include "tools/tav_bench/bench_setup.h"

void runLoadBench(const BenchOptions& options, BenchReport& report);
void runMixingBench(const BenchOptions& options, BenchReport& report);
void runCaptureBench(const BenchOptions& options, BenchReport& report);
void runMemoryBench(const BenchOptions& options, BenchReport& report);

// The child side of the memory measurement: the whole show through WinMain in the current folder, on a virtual
// clock at fps frames per second with the pull output mixed per frame. Prints "frames N" and returns WinMain's
// result.
int runWholeShow(int fps);
