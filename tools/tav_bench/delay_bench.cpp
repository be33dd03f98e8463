// SPDX-License-Identifier: MIT
// Runs the device delay probe built beside tav-bench (a module with a click on every row, played through SDL
// to a private sound server whose null sink is recorded) on every path it can, and reports per path how far
// the position runs after the sound heard (negative: the picture is early), every row a sample.
#include "tools/tav_bench/delay_bench.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifndef TAV_SOURCE_DIR
#define TAV_SOURCE_DIR "."
#endif

namespace {

// One way the sound reaches a listener: the command that runs the probe there, and what it needs.
struct DelayPath {
    const char* name;
    const char* server;  // the script under tests/audio that starts the sound server and runs the probe
    const char* args;    // the script's arguments before the probe
    const char* needs;
};

const DelayPath paths[] = {
    {"PulseAudio, SDL pulseaudio", "run_with_pulseaudio.sh", "", "pulseaudio, parec"},
    {"PipeWire, SDL pipewire", "run_with_pipewire.sh", "pipewire", "pipewire, wireplumber, pipewire-pulse"},
    {"PipeWire, SDL pulseaudio via pipewire-pulse", "run_with_pipewire.sh", "pulseaudio",
     "pipewire, wireplumber, pipewire-pulse"},
};

bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

std::string runProbe(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) output += line;
    pclose(pipe);
    return output;
}

// The probe's offset per row in milliseconds, and the device delay it counted; false when it did not run.
bool parseProbe(const std::string& output, std::vector<double>& rows, double& delay)
{
    const size_t rowsAt = output.find("rows (ms):");
    const size_t delayAt = output.find("(", output.find("device delay"));
    if (rowsAt == std::string::npos || delayAt == std::string::npos ||
        std::sscanf(output.c_str() + delayAt, "(%lf", &delay) != 1) {
        return false;
    }
    const char* at = output.c_str() + rowsAt + 10;
    char* end = nullptr;
    for (double value = std::strtod(at, &end); end != at; value = std::strtod(at, &end)) {
        rows.push_back(value);
        at = end;
    }
    return !rows.empty();
}

}  // namespace

void runDelayBench(const BenchOptions& options, BenchReport& report)
{
    const std::string probe = executableFolder() + "audio_device_delay_probe";
    const double seconds = options.fastShow ? 4 : 12;
    for (const DelayPath& path : paths) {
        const std::string name = std::string("position after sound: ") + path.name;
        const std::string server = std::string(TAV_SOURCE_DIR) + "/tests/audio/" + path.server;
        if (!exists(probe) || !exists(server)) {
            report.addValue("audio", name, "ms", 0, "not measured: the probe is built with the tests");
            continue;
        }
        char command[1024];
        std::snprintf(command, sizeof command, "'%s' %s '%s' --seconds %g 2>&1", server.c_str(), path.args,
                      probe.c_str(), seconds);
        std::vector<double> rows;
        double delay = 0;
        if (!parseProbe(runProbe(command), rows, delay)) {
            report.addValue("audio", name, "ms", 0, std::string("not measured: no sound server here (needs ") +
                                                        path.needs + ")");
            continue;
        }
        char note[128];
        std::snprintf(note, sizeof note, "%zu rows; device delay counted %.1f ms", rows.size(), delay);
        report.addSamples("audio", name, "ms", rows, note);
    }
}
