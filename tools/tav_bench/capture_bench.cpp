#include "tools/tav_bench/other_bench.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>

static bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

// Seconds of show in tav-capture's summary line ("tav-capture: wrote X: N frames at F fps, S s of show, ..."),
// 0 when there is none.
static double showSecondsReported(const std::string& stderrPath)
{
    std::ifstream in(stderrPath);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.rfind("tav-capture: wrote ");
    if (at == std::string::npos) return 0;
    const size_t colon = text.find(": ", at + 19);
    unsigned long long frames = 0;
    int fps = 0;
    double seconds = 0;
    if (colon == std::string::npos ||
        std::sscanf(text.c_str() + colon, ": %llu frames at %d fps, %lf s of show", &frames, &fps, &seconds) != 3)
        return 0;
    return seconds;
}

// Whole-show captures at 60 fps (a few seconds of the fast soundtrack's with --quick) beside a render-only pass of the same
// frames: capture time over render-only time is what writing the output adds.
void runCaptureBench(const BenchOptions& options, BenchReport& report)
{
    const std::string tool = executableFolder() + "tav-capture";
    if (!exists(tool)) {
        report.addValue("capture", "tav-capture", "", 0, "not built next to tav-bench");
        return;
    }
    struct Format {
        const char* name;
        const char* arguments;
        const char* product;  // empty: nothing is written
    };
    const Format formats[] = {{"render only, 60 fps", "--render-only", ""},
                              {"MP4, 60 fps", "--out show.mp4", "show.mp4"},
                              {"PNG frames + WAV, 60 fps", "--png frames", "frames/audio.wav"}};
    double renderOnlyWall = 0;
    for (const Format& format : formats) {
        const std::string folder = makeScratchFolder("capture");
        if (folder.empty() || !putContent(folder, false) ||
            (options.fastShow && !runCommand("mkdir -p '" + folder + "/Data/sfx' && cp '" + executableFolder() +
                                             "test-content/fast/Data/sfx/trancen.xm' '" + folder + "/Data/sfx/'"))) {
            report.addValue("capture", format.name, "", 0, "could not prepare the content set");
            removeFolder(folder);
            continue;
        }
        std::fprintf(stderr, "tav-bench: capture, %s...\n", format.name);
        char limit[48] = "";
        if (options.captureSeconds > 0) std::snprintf(limit, sizeof limit, " --seconds %g", options.captureSeconds);
        const std::string command = "cd '" + folder + "' && '" + tool + "' " + format.arguments + " --fps 60" +
                                    limit + " >/dev/null 2>capture.txt";
        const double start = wallSeconds();
        const bool ran = runCommand(command);
        const double wall = wallSeconds() - start;
        const bool made = format.product[0] == '\0' || exists(folder + "/" + format.product);
        const double show = showSecondsReported(folder + "/capture.txt");
        const bool ok = ran && made && show > 0;
        char note[160];
        if (!ok) {
            std::snprintf(note, sizeof note, "CAPTURE FAILED");
        } else if (format.product[0] == '\0') {
            renderOnlyWall = wall;
            std::snprintf(note, sizeof note, "%.0f s of show (the 4 s load pause included) in %.0f s", show, wall);
        } else {
            std::snprintf(note, sizeof note, "%.0f s of show in %.0f s, %.2fx the render-only time", show, wall,
                          renderOnlyWall > 0 ? wall / renderOnlyWall : 0.0);
        }
        report.addValue("capture", format.name, "show s/s", ok ? show / wall : 0, note);
        removeFolder(folder);
    }
}
