// SPDX-License-Identifier: MIT
#include "tools/tav_bench/bench_report.h"

#include <algorithm>
#include <cstdio>

void BenchReport::add(const ResultRow& row)
{
    all.push_back(row);
    const ResultRow& r = all.back();
    // Printed as it comes, so a long run shows progress; the whole table again at the end.
    std::fprintf(stderr, "  %-10s %-34s %10.3f %s\n", r.section.c_str(), r.name.c_str(), r.summary.median,
                 r.unit.c_str());
}

void BenchReport::addSamples(const std::string& section, const std::string& name, const std::string& unit,
                             const std::vector<double>& samples, const std::string& note)
{
    add({section, name, unit, summarize(samples), note, samples});
}

BenchReport BenchReport::mergeRounds(const std::vector<BenchReport>& rounds)
{
    BenchReport merged;
    if (rounds.empty()) return merged;
    for (const ResultRow& first : rounds.front().all) {
        ResultRow row = first;
        std::vector<double> perRound;
        row.samples.clear();
        for (const BenchReport& round : rounds) {
            for (const ResultRow& r : round.all) {
                if (r.section != first.section || r.name != first.name) continue;
                perRound.push_back(r.summary.median);
                row.samples.insert(row.samples.end(), r.samples.begin(), r.samples.end());
                row.note = r.note;
            }
        }
        if (first.samples.empty()) {
            row.summary.median = row.summary.p99 = row.summary.worst = medianOf(perRound);
        } else {
            row.summary = summarize(row.samples);
        }
        if (perRound.size() > 1) {
            auto [lo, hi] = std::minmax_element(perRound.begin(), perRound.end());
            row.summary.noise = std::max(row.summary.noise, 0.5 * (*hi - *lo));
        }
        merged.all.push_back(row);
    }
    return merged;
}

void BenchReport::addValue(const std::string& section, const std::string& name, const std::string& unit,
                           double value, const std::string& note)
{
    ResultRow row{section, name, unit, Summary{}, note, {}};
    row.summary.count = 1;
    row.summary.median = row.summary.p99 = row.summary.worst = value;
    add(row);
}

void BenchReport::print() const
{
    std::printf("%-10s %-34s %10s %10s %10s %9s  %-8s %s\n", "section", "measurement", "median", "p99", "worst",
                "+/-noise", "unit", "note");
    std::string last;
    for (const ResultRow& r : all) {
        if (r.section != last && !last.empty()) std::printf("\n");
        last = r.section;
        if (r.summary.count > 1)
            std::printf("%-10s %-34s %10.3f %10.3f %10.3f %9.3f  %-8s %s\n", r.section.c_str(), r.name.c_str(),
                        r.summary.median, r.summary.p99, r.summary.worst, r.summary.noise, r.unit.c_str(),
                        r.note.c_str());
        else if (r.summary.noise > 0)
            std::printf("%-10s %-34s %10.3f %10s %10s %9.3f  %-8s %s\n", r.section.c_str(), r.name.c_str(),
                        r.summary.median, "", "", r.summary.noise, r.unit.c_str(), r.note.c_str());
        else
            std::printf("%-10s %-34s %10.3f %10s %10s %9s  %-8s %s\n", r.section.c_str(), r.name.c_str(),
                        r.summary.median, "", "", "", r.unit.c_str(), r.note.c_str());
    }
    std::fflush(stdout);
}

static std::string quoted(const std::string& text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) continue;
        out += c;
    }
    return out + "\"";
}

bool BenchReport::writeJson(const std::string& path, const std::string& header) const
{
    FILE* file = std::fopen(path.c_str(), "w");
    if (!file) return false;
    std::fprintf(file, "{\n%s  \"results\": [\n", header.c_str());
    for (size_t i = 0; i < all.size(); ++i) {
        const ResultRow& r = all[i];
        std::fprintf(file,
                     "    {\"section\": %s, \"name\": %s, \"unit\": %s, \"count\": %d, \"median\": %.6g, "
                     "\"p99\": %.6g, \"worst\": %.6g, \"noise\": %.6g, \"note\": %s}%s\n",
                     quoted(r.section).c_str(), quoted(r.name).c_str(), quoted(r.unit).c_str(), r.summary.count,
                     r.summary.median, r.summary.p99, r.summary.worst, r.summary.noise, quoted(r.note).c_str(),
                     i + 1 < all.size() ? "," : "");
    }
    std::fprintf(file, "  ]\n}\n");
    return std::fclose(file) == 0;
}
