// SPDX-License-Identifier: MIT
// tav-capture: renders the show offline. It runs the program's own WinMain, the whole show, on the headless
// backend with a virtual clock and the sound library's pull output, and writes every frame a viewer would see,
// with the audio heard during it, to an MP4 file or to PNG frames and a WAV file.
#include "app/main.h"
#include "platform/headless/headless.h"
#include "platform/headless/pull_audio.h"
#include "show/content_set.h"
#include "tools/tav_capture/capture_clock.h"
#include "tools/tav_capture/capture_options.h"
#include "tools/tav_capture/capture_progress.h"
#include "tools/tav_capture/capture_session.h"
#include "tools/tav_capture/mp4_writer.h"
#include "tools/tav_capture/png_wav_output.h"

#include <unistd.h>

#include <cstdio>
#include <memory>

// The soundtrack opens the sound system while static objects are constructed, before main runs, so the pull
// output has to be chosen even earlier: this runs ahead of every constructor of default priority.
__attribute__((constructor(101))) static void choosePullAudio()
{
    usePullAudio(true);
}

static int fail(const std::string& message)
{
    std::fprintf(stderr, "tav-capture: %s\n", message.c_str());
    return 1;
}

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("tav-capture %s\n", TAV_VERSION);
        return 0;
    }
    CaptureOptions options;
    std::string error;
    switch (parseCaptureOptions(argc, argv, options, error)) {
    case OptionsResult::UsageError:
        std::fprintf(stderr, "tav-capture: %s\n", error.c_str());
        return 2;
    case OptionsResult::Help:
        std::fputs(captureUsageText(), stdout);
        return 0;
    case OptionsResult::Run:
        break;
    }
    if (pullAudioRate() != captureSampleRate)
        return fail("the sound library did not open its pull output at 44100 Hz");

    std::unique_ptr<CaptureOutput> output;
    std::string outputName;
    if (options.renderOnly) {
        output = std::make_unique<DiscardingOutput>();
        outputName = "nothing (render only)";
    } else if (options.pngDir.empty()) {
        VideoSettings settings;
        settings.width = options.width;
        settings.height = options.height;
        if (!options.crf.empty()) settings.crf = options.crf;
        if (!options.preset.empty()) settings.preset = options.preset;
        settings.fullChroma = options.pixelFormat == "yuv444p";
        settings.lossless = options.lossless;
        settings.matroska = captureWritesMatroska(options);
        settings.audio = !options.audio.empty() ? options.audio : options.lossless ? "flac" : "aac";
        auto mp4 = std::make_unique<Mp4Writer>();
        if (!mp4->open(options.outPath, captureWidth, captureHeight, options.fps, captureSampleRate, settings))
            return fail(mp4->error());
        output = std::move(mp4);
        outputName = options.outPath;
    } else {
        auto folder = std::make_unique<PngWavOutput>();
        if (!folder->open(options.pngDir, captureWidth, captureHeight, options.width, options.height))
            return fail(folder->error());
        output = std::move(folder);
        outputName = options.pngDir;
    }

    headlessSetMessageBoxEcho(true);  // nobody can click them here; show them as "CAPTION: text"
    ProgressReporter reporter(isatty(STDERR_FILENO) == 1);
    CaptureSession session(*output, options.fps, framesForSeconds(options.seconds, options.fps), reporter,
                           [] { return soundtrack.getPosition(); });
    session.setRenderOnly(options.renderOnly);
    session.install();
    char noArguments[] = "";
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, noArguments, SW_SHOWNORMAL);
    session.uninstall();

    if (session.writeFailed()) return fail(session.writeError());
    if (!output->finish()) return fail(output->error());
    reporter.finish(session.currentProgress(), outputName);
    if (result != 0) return fail("the show ended with code " + std::to_string(result));
    if (!session.musicStarted() && !session.reachedLimit())
        return fail("the show did not start: Data/sfx/trancen.xm was not found in the current folder, in its "
                    "vel.kod or in the installed content, or could not be played");
    return 0;
}
