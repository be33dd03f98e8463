// SPDX-License-Identifier: MIT
// The benchmark's results: rows of a printed table, and the same figures as JSON.
#pragma once

#include <string>
#include <vector>

#include "tools/tav_bench/bench_stats.h"

struct ResultRow {
    std::string section;   // "frame", "frame part", "fountain", "capture", "load", "memory", "mixing"
    std::string name;
    std::string unit;      // of median, p99, worst, noise
    Summary summary;
    std::string note;      // a ratio or a remark, printed after the figures
    std::vector<double> samples;  // in the order taken; empty for a single value
};

class BenchReport {
public:
    void add(const ResultRow& row);
    // Many repetitions of one measurement, summarised.
    void addSamples(const std::string& section, const std::string& name, const std::string& unit,
                    const std::vector<double>& samples, const std::string& note = "");
    // One figure with no spread (a single measurement).
    void addValue(const std::string& section, const std::string& name, const std::string& unit, double value,
                  const std::string& note = "");
    void print() const;
    bool writeJson(const std::string& path, const std::string& header) const;
    const std::vector<ResultRow>& rows() const { return all; }

    // The same measurements taken in several rounds spread over the run, as one report. The machine's speed
    // drifts over minutes (its cores are shared), so a row's noise is at least half the spread of the rounds'
    // medians (or values): what a second run may differ by. Notes come from the last round.
    static BenchReport mergeRounds(const std::vector<BenchReport>& rounds);

private:
    std::vector<ResultRow> all;
};
