// SPDX-License-Identifier: MIT
// The music position against the sound heard through a real sound server, with the audio device's delay
// counted and ignored.
#pragma once

#include "tools/tav_bench/bench_report.h"
#include "tools/tav_bench/bench_setup.h"

void runDelayBench(const BenchOptions& options, BenchReport& report);
