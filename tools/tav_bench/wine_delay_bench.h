// SPDX-License-Identifier: MIT
// The position against the sound heard for the Windows build under Wine (wine_delay_bench.cpp).
#pragma once

#include "tools/tav_bench/bench_report.h"
#include "tools/tav_bench/bench_setup.h"

void runWineDelayBench(const BenchOptions& options, BenchReport& report);
