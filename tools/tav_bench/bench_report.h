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
};

class BenchReport {
public:
    void add(const ResultRow& row);
    // One figure with no spread (a single measurement).
    void addValue(const std::string& section, const std::string& name, const std::string& unit, double value,
                  const std::string& note = "");
    void print() const;
    bool writeJson(const std::string& path, const std::string& header) const;
    const std::vector<ResultRow>& rows() const { return all; }

private:
    std::vector<ResultRow> all;
};
