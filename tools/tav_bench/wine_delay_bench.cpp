// SPDX-License-Identifier: MIT
// Runs the Wine sound test's offset case (the Windows build's sound probe under Wine, played through Wine's
// PulseAudio driver into a private server whose null sink is recorded) when the Windows build is there, and
// reports how far the position runs after the sound heard (negative: the picture is early).
#include "tools/tav_bench/wine_delay_bench.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

#ifndef TAV_SOURCE_DIR
#define TAV_SOURCE_DIR "."
#endif

void runWineDelayBench(const BenchOptions& options, BenchReport& report)
{
    const char* name = "position after sound, Windows build under Wine";
    if (options.fastShow) {
        report.addValue("audio", name, "ms", 0, "not measured in a quick run (a Wine prefix takes about 20 s)");
        return;
    }
    const std::string source = TAV_SOURCE_DIR;
    const std::string probe = source + "/build-win32/sound_probe.exe";
    struct stat info{};
    if (stat(probe.c_str(), &info) != 0) {
        report.addValue("audio", name, "ms", 0, "not measured: needs ./scripts/build-windows.sh");
        return;
    }
    // A fresh Wine prefix each time: about 20 s before the 6 s of clicks.
    const std::string command = "'" + source + "/tests/audio/run_with_pulseaudio.sh' /usr/bin/python3 '" + source +
                                "/tests/e2e_windows/wine_sound.py' offset '" + probe + "' new 2>&1";
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[512];
        while (std::fgets(line, sizeof line, pipe)) output += line;
        pclose(pipe);
    }
    double offset = 0, low = 0, high = 0;
    size_t rows = 0;
    const size_t at = output.find("offset ");
    if (at == std::string::npos ||
        std::sscanf(output.c_str() + at, "offset %lf ms (position after sound; min %lf, max %lf over %zu rows)", &offset,
                    &low, &high, &rows) != 4) {
        report.addValue("audio", name, "ms", 0, "not measured: no Wine or sound server here (needs wine, pulseaudio)");
        return;
    }
    char note[256];
    std::snprintf(note, sizeof note, "median of %zu rows (%.0f to %.0f); Wine's waveOut position", rows, low, high);
    report.addValue("audio", name, "ms", offset, note);
}
