// SPDX-License-Identifier: MIT
// Timing figures of the benchmark: wall and CPU clocks, and the summary of many repetitions of one measurement.
#pragma once

#include <string>
#include <vector>

double wallSeconds();      // monotonic
double cpuSeconds();       // CPU time of the whole process (every thread)
double threadCpuSeconds(); // CPU time of the calling thread

struct Summary {
    int count = 0;
    double median = 0;
    double p99 = 0;
    double worst = 0;
    // Half the spread of the medians of five equal blocks of the samples: how far a second run's median may
    // land from this one's on a quiet machine.
    double noise = 0;
};

// The samples in the order they were taken (block noise needs that order).
Summary summarize(const std::vector<double>& samples);
double medianOf(std::vector<double> values);
