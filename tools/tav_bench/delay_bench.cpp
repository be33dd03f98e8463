// Runs the device delay probe built beside tav-bench (a module with a click on every row, played through SDL
// to a private PulseAudio whose null sink is recorded) once with the device's delay counted and once ignored,
// and reports how far the position runs after the sound heard (negative: the picture is early).
#include "tools/tav_bench/delay_bench.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

#ifndef TAV_SOURCE_DIR
#define TAV_SOURCE_DIR "."
#endif

namespace {

bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0;
}

// The probe's two lines of figures, or empty when it did not run.
std::string runProbe(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) output += line;
    pclose(pipe);
    return output;
}

}  // namespace

void runDelayBench(const BenchOptions& options, BenchReport& report)
{
    const std::string probe = executableFolder() + "audio_device_delay_probe";
    const std::string server = std::string(TAV_SOURCE_DIR) + "/tests/audio/run_with_pulseaudio.sh";
    const char* names[2] = {"position after sound, delay on", "position after sound, delay off"};
    if (!exists(probe) || !exists(server)) {
        for (const char* name : names) report.addValue("audio", name, "ms", 0, "not measured: the probe is built with the tests");
        return;
    }
    const double seconds = options.fastShow ? 4 : 12;
    for (int ignored = 0; ignored < 2; ++ignored) {
        char command[1024];
        std::snprintf(command, sizeof command, "'%s' '%s' --seconds %g%s 2>&1", server.c_str(), probe.c_str(),
                      seconds, ignored ? " --no-delay" : "");
        const std::string output = runProbe(command);
        double offset = 0, low = 0, high = 0, row = 0, delay = 0;
        size_t rows = 0;
        const size_t at = output.find("offset ");
        const size_t delayAt = output.find("(", output.find("device delay"));
        if (at == std::string::npos || delayAt == std::string::npos ||
            std::sscanf(output.c_str() + at, "offset %lf ms (position after sound; min %lf, max %lf over %zu rows), one row %lf",
                        &offset, &low, &high, &rows, &row) != 5 ||
            std::sscanf(output.c_str() + delayAt, "(%lf", &delay) != 1) {
            report.addValue("audio", names[ignored], "ms", 0, "not measured: no sound server here (needs pulseaudio, parec)");
            continue;
        }
        char note[256];
        std::snprintf(note, sizeof note, "median of %zu rows (%.0f to %.0f); device delay %.1f ms; one row %.1f ms",
                      rows, low, high, delay, row);
        report.addValue("audio", names[ignored], "ms", offset, note);
    }
}
