// SPDX-License-Identifier: MIT
// Whole-show captures through the real tav-capture on the fast test soundtrack: frame counts, the loading
// picture through the pause, byte-identical reruns, the WAV against libopenmpt's own render of the module, and
// captured pictures against the show rendered in this process on the headless GL backend.
#include "app/main.h"
#include "platform/headless/pull_audio.h"
#include "show/content_set.h"
#include "show/show_steps.h"
#include "show/timeline.h"
#include "tests/support/gl_fixture.h"
#include "tools/tav_capture/capture_clock.h"
#include "tools/tav_capture/png_wav_output.h"
#include "tests/capture/capture_run.h"

#include <gtest/gtest.h>
#include <libopenmpt/libopenmpt.h>
#include <png.h>
#include <sndfile.h>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace fs = std::filesystem;

// As in tav-capture: the pull output, chosen before the soundtrack opens the sound system during static
// construction, so this process mixes nothing on its own.
__attribute__((constructor(101))) static void choosePullAudio()
{
    usePullAudio(true);
}

typedef std::vector<unsigned char> Pixels;  // 800 x 600 RGB, top row first

static const fs::path buildDir = TAV_BUILD_DIR;
static const fs::path fastModule = buildDir / "test-content" / "fast" / "Data" / "sfx" / "trancen.xm";

static int countFrames(const fs::path& dir)
{
    int frames = 0;
    while (fs::exists(PngWavOutput::framePath(dir.string(), frames))) ++frames;
    return frames;
}

static std::vector<short> readWav(const fs::path& path)
{
    SF_INFO info = {};
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &info);
    if (!file) return {};
    std::vector<short> samples(static_cast<size_t>(info.frames) * 2);
    sf_readf_short(file, samples.data(), info.frames);
    sf_close(file);
    return samples;
}

static double meanDifference(const Pixels& a, const Pixels& b)
{
    if (a.size() != b.size() || a.empty()) return 1e9;
    double sum = 0;
    for (size_t i = 0; i < a.size(); ++i) sum += std::abs(int(a[i]) - int(b[i]));
    return sum / a.size();
}

// The fast soundtrack, as libopenmpt plays it on its own.
struct ModuleFacts {
    double endSeconds = 0;       // where the show's last row ends: the start of row 2305
    double closingSeconds = 0;   // the start of row 2240, from which the music fades
    std::vector<short> render;   // the first renderFrames stereo frames at 44100 Hz, undithered
};

static ModuleFacts moduleFacts(size_t renderFrames)
{
    ModuleFacts facts;
    std::vector<char> bytes = fileBytes(fastModule);
    openmpt_module* module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr,
                                                                nullptr, nullptr, nullptr, nullptr, nullptr);
    if (!module) return facts;
    int rows = openmpt_module_get_pattern_num_rows(module, openmpt_module_get_order_pattern(module, 0));
    facts.endSeconds = openmpt_module_set_position_order_row(module, 2305 / rows, 2305 % rows);
    facts.closingSeconds = openmpt_module_set_position_order_row(module, 2240 / rows, 2240 % rows);
    openmpt_module_set_position_seconds(module, 0.0);
    openmpt_module_destroy(module);

    // A fresh module for the render, so nothing of the seeking above can colour it.
    module = openmpt_module_create_from_memory2(bytes.data(), bytes.size(), nullptr, nullptr, nullptr, nullptr,
                                                nullptr, nullptr, nullptr);
    openmpt_module_ctl_set_integer(module, "dither", 0);
    openmpt_module_set_repeat_count(module, -1);
    facts.render.assign(renderFrames * 2, 0);
    size_t done = 0;
    while (done < renderFrames) {
        size_t chunk = std::min<size_t>(4096, renderFrames - done);
        size_t got = openmpt_module_read_interleaved_stereo(module, 44100, chunk, &facts.render[done * 2]);
        if (got == 0) break;
        done += got;
    }
    openmpt_module_destroy(module);
    return facts;
}

// The show drawn in this process through the headless GL fixture, with the show's own steps: the loading
// screen as initShow presents it, and the closing picture that drawFrame draws at a closing position.
class CaptureShowTest : public GLWindowTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(fs::exists(fastModule)) << fastModule;
        ASSERT_TRUE(fs::exists(buildDir / "vel.kod"));
        GLWindowTest::SetUp();
    }

    void renderReferences(const fs::path& dir)
    {
        fs::path previous = fs::current_path();
        fs::current_path(dir);
        headlessUseVirtualClock(true);
        headlessSetTickReadHook([] { headlessAdvanceClock(1); });  // so the load step's pause ends
        Pixels presented;
        headlessSetFrameSink([&](const unsigned char* rgba, int width, int height) {
            presented.assign(static_cast<size_t>(width) * height * 3, 0);
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    for (int c = 0; c < 3; ++c)
                        presented[(static_cast<size_t>(y) * width + x) * 3 + c] =
                            rgba[(static_cast<size_t>(height - 1 - y) * width + x) * 4 + c];
        });
        initShow(&window);
        loadingPicture = presented;
        ASSERT_TRUE(loadShow(&window, keys));
        int position = 2250;
        musicPositionOverride = &position;
        showTimeline.drawFrame();
        SwapBuffers(window.hdc);
        musicPositionOverride = nullptr;
        closingPicture = presented;
        shutdownShow();
        headlessSetFrameSink(nullptr);
        headlessSetTickReadHook(nullptr);
        fs::current_path(previous);
        ASSERT_EQ(loadingPicture.size(), size_t(800 * 600 * 3));
        ASSERT_NE(meanDifference(loadingPicture, closingPicture), 0.0);
    }

    Pixels loadingPicture;
    Pixels closingPicture;
};

// How a captured stretch of samples departs from a reference: how many differ, the first, the largest gap.
struct SampleComparison {
    size_t differing = 0;
    size_t first = 0;
    int largest = 0;
};

static SampleComparison compareSamples(const short* captured, const short* reference, size_t count)
{
    SampleComparison result;
    for (size_t i = 0; i < count; ++i) {
        int gap = std::abs(int(captured[i]) - int(reference[i]));
        if (gap == 0) continue;
        if (result.differing++ == 0) result.first = i / 2;
        result.largest = std::max(result.largest, gap);
    }
    return result;
}

// libopenmpt's own 16-bit output depends on how the render is cut into read calls: reading the same module in
// chunks of 4096, 735 or 1 frames gives samples that differ by one step here and there (its mix is rounded at
// each chunk's end). The sound library reads in steps of at most one tick, so its output can only be held to
// within one step of a render in other chunks; anything more (a lost, doubled or shifted sample, a wrong
// volume) shows as far larger differences.
static void expectSameMusic(const SampleComparison& music, size_t count)
{
    EXPECT_LE(music.largest, 1) << music.differing << " samples differ, the first at " << music.first;
    EXPECT_LT(music.differing, count / 20) << "the first at " << music.first;
}

static int loadingFrames(int fps)
{
    return 1 + 4 * fps;  // the loading screen's own frame, then 4 s of frames during the pause
}

// stderr is not a terminal here: whole progress lines (one every 10 s), no redrawing, then the summary line.
static void expectOnlySummaryLine(const CaptureRunResult& run, const std::string& output)
{
    EXPECT_EQ(run.err.find('\r'), std::string::npos) << "no redrawn line when stderr is not a terminal";
    EXPECT_EQ(run.err.find('\033'), std::string::npos) << "no terminal escapes when stderr is not a terminal";
    ASSERT_FALSE(run.err.empty());
    ASSERT_EQ(run.err.back(), '\n') << run.err;
    size_t last = run.err.rfind('\n', run.err.size() - 2);
    last = last == std::string::npos ? 0 : last + 1;
    const std::string summary = "tav-capture: wrote " + output + ": ";
    EXPECT_EQ(run.err.compare(last, summary.size(), summary), 0) << run.err;
    for (size_t start = 0; start < last; start = run.err.find('\n', start) + 1)
        EXPECT_EQ(run.err.compare(start, 6, "frame "), 0) << run.err;
}

TEST_F(CaptureShowTest, PngAndWavRerunsAreByteIdenticalAndStartWithThePause)
{
    const int fps = 10;
    fs::path dir = contentFolder("png");
    renderReferences(dir);
    CaptureRunResult first = runCapture(dir, "--png first --fps 10 --seconds 6");
    ASSERT_EQ(first.code, 0) << first.err;
    expectOnlySummaryLine(first, "first");
    CaptureRunResult second = runCapture(dir, "--png=second --fps=10 --seconds=6");
    ASSERT_EQ(second.code, 0) << second.err;

    ASSERT_EQ(countFrames(dir / "first"), 60);
    ASSERT_EQ(countFrames(dir / "second"), 60);
    for (int frame = 0; frame < 60; ++frame) {
        std::string name = fs::path(PngWavOutput::framePath("", frame)).filename().string();
        ASSERT_TRUE(fileBytes(dir / "first" / name) == fileBytes(dir / "second" / name)) << name;
    }
    ASSERT_TRUE(fileBytes(dir / "first" / "audio.wav") == fileBytes(dir / "second" / "audio.wav"));

    // The loading screen as the show presents it, for the whole pause, then the show itself.
    const int pause = loadingFrames(fps);
    for (int frame = 0; frame < pause; ++frame)
        ASSERT_EQ(readPngRgb(PngWavOutput::framePath((dir / "first").string(), frame)), loadingPicture)
            << "frame " << frame;
    EXPECT_NE(readPngRgb(PngWavOutput::framePath((dir / "first").string(), pause)), loadingPicture);

    // Silence through the pause, then the module exactly as libopenmpt renders it.
    std::vector<short> wav = readWav(dir / "first" / "audio.wav");
    ASSERT_EQ(wav.size(), size_t(6 * 44100 * 2));
    const size_t musicStart = samplesBeforeFrame(pause, fps);
    for (size_t i = 0; i < musicStart * 2; ++i) ASSERT_EQ(wav[i], 0) << "sample " << i / 2;
    ModuleFacts facts = moduleFacts(wav.size() / 2 - musicStart);
    ASSERT_EQ(facts.render.size(), wav.size() - musicStart * 2);
    SampleComparison music = compareSamples(&wav[musicStart * 2], facts.render.data(), facts.render.size());
    expectSameMusic(music, facts.render.size());
    fs::remove_all(dir);
}

TEST_F(CaptureShowTest, WholeShowEndsOnTheClosingPictureWithTheModulesOwnSound)
{
    const int fps = 4;
    fs::path dir = contentFolder("whole");
    renderReferences(dir);
    CaptureRunResult run = runCapture(dir, "--png frames --fps 4");
    ASSERT_EQ(run.code, 0) << run.err;
    expectOnlySummaryLine(run, "frames");

    const int pause = loadingFrames(fps);
    const int frames = countFrames(dir / "frames");
    ModuleFacts facts = moduleFacts(static_cast<size_t>(samplesBeforeFrame(frames, fps)));
    ASSERT_GT(facts.endSeconds, 5.0);
    // The pause, the music until its last row has played, and the frame on which the show quits.
    EXPECT_NEAR(frames, pause + std::ceil(facts.endSeconds * fps) + 1, 1.0);

    EXPECT_EQ(readPngRgb(PngWavOutput::framePath((dir / "frames").string(), 0)), loadingPicture);
    EXPECT_EQ(readPngRgb(PngWavOutput::framePath((dir / "frames").string(), frames - 1)), closingPicture);
    EXPECT_EQ(readPngRgb(PngWavOutput::framePath((dir / "frames").string(), frames - 2)), closingPicture);

    std::vector<short> wav = readWav(dir / "frames" / "audio.wav");
    ASSERT_EQ(wav.size(), size_t(samplesBeforeFrame(frames, fps) * 2));
    const size_t musicStart = samplesBeforeFrame(pause, fps);
    // Up to where the fade begins the song plays at full volume: sample for sample the module's own render.
    const size_t unfaded = static_cast<size_t>(facts.closingSeconds * 44100);
    ASSERT_LT(musicStart + unfaded, wav.size() / 2);
    SampleComparison music = compareSamples(&wav[musicStart * 2], facts.render.data(), unfaded * 2);
    expectSameMusic(music, unfaded * 2);
    // After it the music fades: quieter than the module's own render over the last second.
    double captured = 0, own = 0;
    for (size_t i = wav.size() - 44100 * 2; i < wav.size(); ++i) {
        captured += std::abs(double(wav[i]));
        own += std::abs(double(facts.render[i - musicStart * 2]));
    }
    EXPECT_LT(captured, own);
    fs::remove_all(dir);
}

struct DecodedVideo {
    int frames = 0;
    double streamSeconds = 0;
    std::string codec;
    std::vector<Pixels> kept;  // the frames asked for, as RGB
};

static DecodedVideo decodeVideo(const fs::path& path, const std::vector<int>& keep)
{
    DecodedVideo out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
    avformat_find_stream_info(format, nullptr);
    int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (index < 0) return out;
    AVStream* stream = format->streams[index];
    out.streamSeconds = stream->duration * av_q2d(stream->time_base);
    const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
    out.codec = codec->name;
    AVCodecContext* decoder = avcodec_alloc_context3(codec);
    avcodec_parameters_to_context(decoder, stream->codecpar);
    avcodec_open2(decoder, codec, nullptr);
    SwsContext* sws = sws_getContext(800, 600, decoder->pix_fmt, 800, 600, AV_PIX_FMT_RGB24, SWS_BICUBIC, 0, 0, 0);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    out.kept.resize(keep.size());
    auto drain = [&] {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            for (size_t k = 0; k < keep.size(); ++k) {
                if (keep[k] >= 0 && keep[k] != out.frames) continue;  // a negative index keeps the last frame
                Pixels rgb(800 * 600 * 3);
                uint8_t* dst[1] = {rgb.data()};
                int stride[1] = {800 * 3};
                sws_scale(sws, frame->data, frame->linesize, 0, 600, dst, stride);
                out.kept[k] = std::move(rgb);
            }
            ++out.frames;
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index) {
            avcodec_send_packet(decoder, packet);
            drain();
        }
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    drain();
    av_frame_free(&frame);
    av_packet_free(&packet);
    sws_freeContext(sws);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return out;
}

TEST_F(CaptureShowTest, WholeShowAtSixtyFramesASecondAsMp4)
{
    const int fps = 60;
    fs::path dir = contentFolder("mp4");
    renderReferences(dir);
    CaptureRunResult run = runCapture(dir, "");
    ASSERT_EQ(run.code, 0) << run.err;
    expectOnlySummaryLine(run, "tav.mp4");

    const int pause = loadingFrames(fps);
    DecodedVideo video = decodeVideo(dir / "tav.mp4", {0, pause - 1, -1});
    EXPECT_EQ(video.codec, "h264");
    ModuleFacts facts = moduleFacts(0);
    EXPECT_NEAR(video.frames, pause + std::ceil(facts.endSeconds * fps) + 1, 1.0);
    EXPECT_NEAR(video.frames, video.streamSeconds * fps, 1.0) << "the file's own duration agrees";
    // Lossy, so close rather than equal: within a few levels on average.
    EXPECT_LT(meanDifference(video.kept[0], loadingPicture), 2.0);
    EXPECT_LT(meanDifference(video.kept[1], loadingPicture), 2.0);
    EXPECT_LT(meanDifference(video.kept[2], closingPicture), 2.0);
    fs::remove_all(dir);
}

TEST(CaptureRun, Mp4RerunIsByteIdentical)
{
    fs::path dir = contentFolder("mp4_twice");
    CaptureRunResult first = runCapture(dir, "--out a.mp4 --fps 15 --seconds 6");
    ASSERT_EQ(first.code, 0) << first.err;
    CaptureRunResult second = runCapture(dir, "--out b.mp4 --fps 15 --seconds 6");
    ASSERT_EQ(second.code, 0) << second.err;
    std::vector<char> a = fileBytes(dir / "a.mp4");
    EXPECT_GT(a.size(), 10000u);
    EXPECT_TRUE(a == fileBytes(dir / "b.mp4"));
    EXPECT_EQ(decodeVideo(dir / "a.mp4", {}).frames, 90);
    fs::remove_all(dir);
}

TEST(CaptureRun, RenderOnlyDrawsEveryFrameAndWritesNothing)
{
    fs::path dir = contentFolder("render_only");
    CaptureRunResult run = runCapture(dir, "--render-only --fps 10 --seconds 6");
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.err.find(": 60 frames at 10 fps"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "tav.mp4"));
    fs::remove_all(dir);
}

TEST(CaptureRun, BadOptionsMissingDataAndUnwritableOutputFail)
{
    fs::path dir = fs::temp_directory_path() / ("tav_capture_fail_" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    for (const char* arguments : {"--fps 0", "--bogus", "--seconds", "--out x.mp4 --png y", "--crf 52",
                                  "--lossless --crf 20", "--png y --preset fast", "--size 1920x1081",
                                  "--out x.mp4 --audio pcm"}) {
        CaptureRunResult run = runCapture(dir, arguments);
        EXPECT_EQ(run.code, 2) << arguments;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
        EXPECT_EQ(run.err.rfind("tav-capture: ", 0), 0u) << run.err;
    }
    CaptureRunResult help = runCapture(dir, "--help");
    EXPECT_EQ(help.code, 0);
    std::vector<char> usage = fileBytes(dir / "stdout.txt");
    for (const char* option : {"--png DIR", "--size WxH", "--crf N", "--preset NAME", "--pixel-format", "--lossless",
                               "--audio A"})
        EXPECT_NE(std::string(usage.begin(), usage.end()).find(option), std::string::npos) << option;

    CaptureRunResult unwritable = runCapture(dir, "--out /nonexistent-folder/x.mp4");
    EXPECT_EQ(unwritable.code, 1);
    EXPECT_NE(unwritable.err.find("/nonexistent-folder/x.mp4"), std::string::npos) << unwritable.err;

    // No soundtrack anywhere: the show stops after its loading screen, and that is no capture.
    CaptureRunResult empty = runCapture(dir, "--out empty.mp4");
    EXPECT_EQ(empty.code, 1);
    EXPECT_NE(empty.err.find("did not start"), std::string::npos) << empty.err;
    fs::remove_all(dir);
}
