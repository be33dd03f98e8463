// SPDX-License-Identifier: MIT
#include "tools/tav_bench/bench_stats.h"

#include <algorithm>
#include <cmath>
#include <ctime>

static double clockSeconds(clockid_t id)
{
    timespec t{};
    clock_gettime(id, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double wallSeconds() { return clockSeconds(CLOCK_MONOTONIC); }
double cpuSeconds() { return clockSeconds(CLOCK_PROCESS_CPUTIME_ID); }
double threadCpuSeconds() { return clockSeconds(CLOCK_THREAD_CPUTIME_ID); }

double medianOf(std::vector<double> values)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : 0.5 * (values[n / 2 - 1] + values[n / 2]);
}

Summary summarize(const std::vector<double>& samples)
{
    Summary s;
    s.count = static_cast<int>(samples.size());
    if (samples.empty()) return s;
    std::vector<double> sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    s.median = medianOf(sorted);
    // Nearest rank: the smallest sample at or above 99 % of them.
    const size_t rank = static_cast<size_t>(std::ceil(0.99 * static_cast<double>(sorted.size())));
    s.p99 = sorted[std::min(sorted.size(), std::max<size_t>(rank, 1)) - 1];
    s.worst = sorted.back();
    const size_t blocks = 5;
    if (samples.size() >= blocks) {
        std::vector<double> medians;
        const size_t per = samples.size() / blocks;
        for (size_t b = 0; b < blocks; ++b)
            medians.push_back(medianOf(std::vector<double>(samples.begin() + static_cast<long>(b * per),
                                                           samples.begin() + static_cast<long>((b + 1) * per))));
        auto [lo, hi] = std::minmax_element(medians.begin(), medians.end());
        s.noise = 0.5 * (*hi - *lo);
    }
    return s;
}
