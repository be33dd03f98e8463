#include "tools/tav_bench/other_bench.h"

#include <cstdio>
#include <string>
#include <sys/stat.h>

static bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

void runCaptureBench(const BenchOptions& options, BenchReport& report)
{
    const std::string tool = executableFolder() + "tav-capture";
    if (!exists(tool)) {
        report.addValue("capture", "tav-capture", "", 0, "not built next to tav-bench");
        return;
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%g", options.captureSeconds);
    struct Format {
        const char* name;
        const char* arguments;
        const char* product;
    };
    const Format formats[] = {{"PNG frames + WAV, 60 fps", "--png frames", "frames/audio.wav"},
                              {"MP4, 60 fps", "--out show.mp4", "show.mp4"}};
    for (const Format& format : formats) {
        const std::string folder = makeScratchFolder("capture");
        if (folder.empty() || !putContent(folder, false)) {
            report.addValue("capture", format.name, "", 0, "could not prepare the content set");
            removeFolder(folder);
            continue;
        }
        const std::string command = "cd '" + folder + "' && '" + tool + "' " + format.arguments +
                                    " --fps 60 --seconds " + seconds + " >/dev/null 2>&1";
        const double start = wallSeconds();
        const bool ran = runCommand(command);
        const double wall = wallSeconds() - start;
        const bool made = exists(folder + "/" + format.product);
        std::string note = std::string(seconds) + " s of show (the 4 s load pause included) in " +
                           std::to_string(static_cast<int>(wall + 0.5)) + " s";
        if (!ran || !made) note = "CAPTURE FAILED";
        report.addValue("capture", format.name, "show s/s", ran && made ? options.captureSeconds / wall : 0, note);
        removeFolder(folder);
    }
}
