// SPDX-License-Identifier: MIT
#include "tools/tav_bench/frame_bench.h"
#include "tools/tav_bench/other_bench.h"

#include "show/timeline.h"
#include "tools/tav_capture/video_quality.h"

#include <libopenmpt/libopenmpt.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

static bool exists(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && info.st_size > 0;
}

static std::string fileText(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Seconds of show in tav-capture's summary line ("tav-capture: wrote X: N frames at F fps, S s of show, ..."),
// 0 when there is none.
static double showSecondsReported(const std::string& stderrPath)
{
    const std::string text = fileText(stderrPath);
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

static double childCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Where each row of the soundtrack starts, in seconds of music, as libopenmpt plays it.
static std::vector<double> rowStarts(const std::string& modulePath)
{
    const std::string bytes = fileText(modulePath);
    std::vector<double> starts;
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                                nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!module) return starts;
    for (int order = 0; order < openmpt_module_get_num_orders(module); ++order) {
        const int rows = openmpt_module_get_pattern_num_rows(module, openmpt_module_get_order_pattern(module, order));
        for (int row = 0; row < rows; ++row) starts.push_back(openmpt_module_set_position_order_row(module, order, row));
    }
    openmpt_module_destroy(module);
    return starts;
}

// The capture's MP4 frames against its PNG frames, per scene: frame k shows the music position of its time
// after the loading screen's frame and 4 s pause. PSNR is taken over the scene's mean squared error (a frame
// equal to its PNG would otherwise make the mean infinite); SSIM is the scene's mean.
static void addQuality(const std::string& folder, const std::string& modulePath, int fps, BenchReport& report)
{
    std::vector<FrameQuality> frames;
    std::string error;
    if (!measureVideoQuality(folder + "/show.mp4", folder + "/frames", frames, error)) {
        report.addValue("quality", "MP4 against its PNG frames", "", 0, "FAILED: " + error);
        return;
    }
    const std::vector<double> starts = rowStarts(modulePath);
    struct Sum {
        double mse = 0;
        double ssim = 0;
        int frames = 0;
    };
    std::map<int, Sum> scenes;  // -1: the loading screen
    Sum all;
    const int musicStart = 1 + 4 * fps;
    for (size_t k = 0; k < frames.size(); ++k) {
        int scene = -1;
        if (static_cast<int>(k) >= musicStart && !starts.empty()) {
            const double t = (static_cast<double>(k) - musicStart) / fps;
            size_t row = 0;
            while (row + 1 < starts.size() && starts[row + 1] <= t) ++row;
            scene = sceneForPosition(static_cast<int>(row));
        }
        const double psnr = std::isfinite(frames[k].psnr) ? frames[k].psnr : 100.0;
        const double mse = 255.0 * 255.0 * std::pow(10.0, -psnr / 10);
        for (Sum* sum : {&scenes[scene], &all}) {
            sum->mse += mse;
            sum->ssim += frames[k].ssim;
            ++sum->frames;
        }
    }
    auto add = [&](const std::string& name, const Sum& sum) {
        char note[96];
        std::snprintf(note, sizeof note, "SSIM %.4f over %d frames", sum.ssim / sum.frames, sum.frames);
        report.addValue("quality", name, "PSNR dB",
                        10 * std::log10(255.0 * 255.0 / std::max(1e-10, sum.mse / sum.frames)), note);
    };
    for (const auto& scene : scenes) add(scene.first < 0 ? "Loading" : benchSceneName(scene.first), scene.second);
    add("whole capture", all);
}

// Captures at 60 fps of the bench soundtrack (the whole schedule in a minute; a few seconds of the fast one with
// --quick) beside a render-only pass of the same frames: capture time over render-only time is what writing the
// output adds. Then the MP4's frames against the PNG frames of the same capture.
void runCaptureBench(const BenchOptions& options, BenchReport& report)
{
    const std::string tool = executableFolder() + "tav-capture";
    if (!exists(tool)) {
        report.addValue("capture", "tav-capture", "", 0, "not built next to tav-bench");
        return;
    }
    const std::string module =
        executableFolder() + "test-content/" + (options.fastShow ? "fast" : "bench") + "/Data/sfx/trancen.xm";
    const std::string folder = makeScratchFolder("capture");
    if (folder.empty() || !putContent(folder, false) ||
        !runCommand("mkdir -p '" + folder + "/Data/sfx' && cp '" + module + "' '" + folder + "/Data/sfx/'")) {
        report.addValue("capture", "content", "", 0, "could not prepare the content set");
        removeFolder(folder);
        return;
    }
    struct Format {
        std::string name;
        std::string program;
        const char* arguments;
        const char* product;  // empty: nothing is written
    };
    std::vector<Format> formats = {{"render only, 60 fps", tool, "--render-only", ""},
                                   {"MP4, 60 fps", tool, "--out show.mp4", "show.mp4"},
                                   {"PNG frames + WAV, 60 fps", tool, "--png frames", "frames/audio.wav"}};
    if (!options.compareCapture.empty())
        formats.insert(formats.begin() + 2, {"MP4, 60 fps, " + options.compareCapture, options.compareCapture,
                                             "--out compared.mp4", "compared.mp4"});
    double renderOnlyWall = 0;
    bool bothWritten = true;
    for (const Format& format : formats) {
        std::fprintf(stderr, "tav-bench: capture, %s...\n", format.name.c_str());
        char limit[48] = "";
        if (options.captureSeconds > 0) std::snprintf(limit, sizeof limit, " --seconds %g", options.captureSeconds);
        const std::string command = "cd '" + folder + "' && '" + format.program + "' " + format.arguments +
                                    " --fps 60" + limit + " >/dev/null 2>capture.txt";
        const double cpuBefore = childCpuSeconds();
        const double start = wallSeconds();
        const bool ran = runCommand(command);
        const double wall = wallSeconds() - start;
        const double cpu = childCpuSeconds() - cpuBefore;
        const bool made = format.product[0] == '\0' || exists(folder + "/" + format.product);
        const double show = showSecondsReported(folder + "/capture.txt");
        const bool ok = ran && made && show > 0;
        if (!ok && format.product[0] != '\0' && format.program == tool) bothWritten = false;
        char note[200];
        if (!ok) {
            std::snprintf(note, sizeof note, "CAPTURE FAILED");
        } else if (format.product[0] == '\0') {
            renderOnlyWall = wall;
            std::snprintf(note, sizeof note, "%.1f s of show (the 4 s load pause included) in %.1f s, CPU %.1f s",
                          show, wall, cpu);
        } else {
            std::snprintf(note, sizeof note, "%.1f s of show in %.1f s, %.2fx the render-only time, CPU %.1f s",
                          show, wall, renderOnlyWall > 0 ? wall / renderOnlyWall : 0.0, cpu);
        }
        report.addValue("capture", format.name, "show s/s", ok ? show / wall : 0, note);
    }
    if (bothWritten) {
        std::fprintf(stderr, "tav-bench: capture, the MP4 against its PNG frames...\n");
        addQuality(folder, module, 60, report);
    }
    removeFolder(folder);
}
