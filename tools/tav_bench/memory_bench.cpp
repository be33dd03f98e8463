// SPDX-License-Identifier: MIT
#include "tools/tav_bench/other_bench.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"

#include <GL/gl.h>

int runWholeShow(int fps)
{
    if (fps < 1) fps = 1;
    headlessReset();
    headlessUseVirtualClock(true);
    // Counter = the load pause's spin (one millisecond per extra read in a frame) + whole frames of the grid.
    static unsigned long long frames = 0;
    static unsigned long long pauseMs = 0;
    static int readsInFrame = 0;
    static int framesPerSecond = 0;
    framesPerSecond = fps;
    auto setClock = [] { headlessSetClock(static_cast<DWORD>(pauseMs + frames * 1000 / framesPerSecond)); };
    headlessSetTickReadHook([setClock] {
        if (++readsInFrame > 1) ++pauseMs;
        setClock();
    });
    headlessSetFrameHook([setClock] {
        const int rate = pullAudioRate() > 0 ? pullAudioRate() : 44100;
        const unsigned long long before = frames * rate / framesPerSecond;
        ++frames;
        const int span = static_cast<int>(frames * rate / framesPerSecond - before);
        std::vector<int16_t> samples(static_cast<size_t>(span) * 2);
        mixPullAudio(samples.data(), span);
        readsInFrame = 0;
        setClock();
        // A presenting swap waits for the frame's GL work; the headless one does not, and without this the
        // software renderer queues frames and its memory grows with the backlog instead of with the show.
        glFinish();
    });
    const int result = WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1);
    // This process's own high-water mark: the parent's ru_maxrss would also count the pages it shared with
    // the forked copy of the benchmark before exec.
    unsigned long peakKiB = 0;
    unsigned long anonKiB = 0;
    unsigned long fileKiB = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            std::sscanf(line, "VmHWM: %lu kB", &peakKiB);
            std::sscanf(line, "RssAnon: %lu kB", &anonKiB);
            std::sscanf(line, "RssFile: %lu kB", &fileKiB);
        }
        std::fclose(status);
    }
    std::printf("frames %llu\npeak %lu\nanon %lu\nfile %lu\n", frames, peakKiB, anonKiB, fileKiB);
    std::fflush(stdout);
    return result;
}

void runMemoryBench(const BenchOptions& options, BenchReport& report)
{
    const std::string folder = makeScratchFolder("memory");
    bool ready = !folder.empty() && putContent(folder, false);
    if (ready && options.fastShow)
        ready = runCommand("mkdir -p '" + folder + "/Data/sfx' && cp '" + executableFolder() +
                           "test-content/fast/Data/sfx/trancen.xm' '" + folder + "/Data/sfx/'");
    int channel[2];
    if (!ready || pipe(channel) != 0) {
        report.addValue("memory", "whole headless show", "MiB", 0, "could not prepare the content set");
        removeFolder(folder);
        return;
    }
    const std::string self = executableFolder() + "tav-bench";
    const std::string fps = std::to_string(options.showFps);
    const double start = wallSeconds();
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        dup2(channel[1], 1);
        if (chdir(folder.c_str()) == 0)
            execl(self.c_str(), self.c_str(), "--whole-show", fps.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(channel[1]);
    std::string output;
    char buffer[256];
    ssize_t n;
    while (child > 0 && (n = read(channel[0], buffer, sizeof buffer)) > 0) output.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    const bool waited = child > 0 && waitpid(child, &status, 0) == child;
    const double wall = wallSeconds() - start;
    removeFolder(folder);
    unsigned long long frames = 0;
    const size_t at = output.find("frames ");
    if (at != std::string::npos) frames = std::strtoull(output.c_str() + at + 7, nullptr, 10);
    auto field = [&](const char* name) {
        const size_t where = output.find(name);
        return where == std::string::npos ? 0.0 : std::strtod(output.c_str() + where + std::strlen(name), nullptr);
    };
    const double peakKiB = field("peak ");
    if (!waited || !WIFEXITED(status) || WEXITSTATUS(status) != 0 || frames == 0) {
        report.addValue("memory", "whole headless show", "MiB", 0, "THE SHOW DID NOT RUN TO ITS END");
        return;
    }
    char note[200];
    std::snprintf(note, sizeof note,
                  "%s soundtrack, %llu frames at %d fps in %.0f s; at the end %.0f MiB anonymous + %.0f MiB "
                  "file-backed",
                  options.fastShow ? "fast test" : "full", frames, options.showFps, wall, field("anon ") / 1024.0,
                  field("file ") / 1024.0);
    report.addValue("memory", "peak RSS, whole headless show", "MiB", peakKiB / 1024.0,
                    note);
}
