// SPDX-License-Identifier: MIT
#include "tools/tav_bench/other_bench.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "media/data_files.h"
#include "platform/headless/pull_audio.h"
#include "platform/sound_api.h"

#include <libopenmpt/libopenmpt.h>

namespace {

const int mixRate = 44100;
const int blockFrames = mixRate / 60;  // what a 60 fps capture pulls per frame
// Set when a mixer produced sound, so a silent (and therefore cheap) mix does not pass for a figure.
bool audible = false;

// CPU seconds for `blocks` blocks of the stand-in's pull output on the module.
double mixThroughPullOutput(unsigned char* data, int size, int blocks, bool& ok)
{
    ok = false;
    // Loading re-opens the output if the show's shutdown closed it.
    FMUSIC_MODULE* song = FMUSIC_LoadSongMemory(data, size);
    if (!song) return 0;
    if (!FMUSIC_PlaySong(song) || pullAudioRate() != mixRate) {
        FMUSIC_FreeSong(song);
        return 0;
    }
    std::vector<int16_t> samples(2 * blockFrames);
    const double start = threadCpuSeconds();
    long long level = 0;
    for (int i = 0; i < blocks; ++i) {
        mixPullAudio(samples.data(), blockFrames);
        level += std::abs(samples[0]);
    }
    const double used = threadCpuSeconds() - start;
    audible = audible || level > 0;
    FMUSIC_FreeSong(song);
    ok = true;
    return used;
}

// CPU seconds for the same blocks read straight from libopenmpt with the stand-in's settings.
double mixThroughLibopenmpt(const unsigned char* data, int size, int blocks, bool& ok)
{
    ok = false;
    openmpt_module* module = openmpt_module_create_from_memory2(data, static_cast<size_t>(size),
                                                                openmpt_log_func_silent, nullptr,
                                                                openmpt_error_func_ignore, nullptr, nullptr,
                                                                nullptr, nullptr);
    if (!module) return 0;
    openmpt_module_set_repeat_count(module, -1);
    openmpt_module_ctl_set_integer(module, "dither", 0);
    std::vector<int16_t> samples(2 * blockFrames);
    const double start = threadCpuSeconds();
    long long level = 0;
    for (int i = 0; i < blocks; ++i) {
        openmpt_module_read_interleaved_stereo(module, mixRate, blockFrames, samples.data());
        level += std::abs(samples[0]);
    }
    const double used = threadCpuSeconds() - start;
    audible = audible || level > 0;
    openmpt_module_destroy(module);
    ok = true;
    return used;
}

}  // namespace

void runMixingBench(const BenchOptions& options, BenchReport& report)
{
    setArchiveName((executableFolder() + "vel.kod").c_str());
    int size = 0;
    unsigned char* data = loadWholeFile("Data/sfx/trancen.xm", &size);
    setArchiveName("vel.kod");
    if (!data) {
        report.addValue("mixing", "soundtrack", "", 0, "vel.kod has no soundtrack");
        return;
    }
    const int blocks = static_cast<int>(options.mixSeconds * 60);
    // Alternate the two, five rounds each, so a busy moment of the machine hits both alike.
    std::vector<double> pull;
    std::vector<double> direct;
    bool ok = true;
    for (int round = 0; round < 5 && ok; ++round) {
        bool one = false;
        bool two = false;
        pull.push_back(mixThroughPullOutput(data, size, blocks / 5, one) / (options.mixSeconds / 5) * 1000.0);
        direct.push_back(mixThroughLibopenmpt(data, size, blocks / 5, two) / (options.mixSeconds / 5) * 1000.0);
        ok = one && two;
    }
    std::free(data);
    if (!audible) ok = false;
    if (!ok) {
        report.addValue("mixing", "soundtrack", "", 0, "the pull output or libopenmpt failed, or mixed silence");
        return;
    }
    const Summary a = summarize(pull);
    const Summary b = summarize(direct);
    report.addSamples("mixing", "sound stand-in, pull output", "ms CPU/s", pull, "per second of music, 735-frame pulls");
    report.addSamples("mixing", "libopenmpt read_interleaved_stereo", "ms CPU/s", direct, "same module and block size");
    report.addValue("mixing", "ratio", "x", b.median > 0 ? a.median / b.median : 0, "stand-in / libopenmpt");
}
