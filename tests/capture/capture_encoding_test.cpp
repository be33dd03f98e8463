// SPDX-License-Identifier: MIT
// Captures with the encoding options through the real tav-capture, on a few seconds of the fast soundtrack:
// each file's codecs, size and pixel format as decoded again, its frames against the PNG frames of the same
// capture, and reruns byte for byte.
#include "tests/capture/capture_run.h"
#include "tools/tav_capture/png_wav_output.h"
#include "tools/tav_capture/video_quality.h"

#include <gtest/gtest.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <cmath>

namespace fs = std::filesystem;

static const char* const shortRun = " --fps 10 --seconds 6";  // the loading pause and two seconds of show
static const int shortFrames = 60;
static const char* const shorterRun = " --fps 10 --seconds 4.5";  // the same frames, the last four of show

static std::string audioCodec(const fs::path& path)
{
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return "";
    avformat_find_stream_info(format, nullptr);
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    std::string name = index >= 0 ? avcodec_get_name(format->streams[index]->codecpar->codec_id) : "";
    avformat_close_input(&format);
    return name;
}

// The whole capture's PSNR (over its mean squared error) and mean SSIM against the PNG frames in pngDir.
struct Quality {
    double psnr = 0;
    double ssim = 0;
    int frames = 0;
};

static Quality measure(const fs::path& video, const fs::path& pngDir)
{
    std::vector<FrameQuality> frames;
    std::string error;
    Quality q;
    if (!measureVideoQuality(video.string(), pngDir.string(), frames, error)) {
        ADD_FAILURE() << error;
        return q;
    }
    double mse = 0;
    for (const FrameQuality& f : frames) {
        mse += std::isfinite(f.psnr) ? 255.0 * 255.0 * std::pow(10.0, -f.psnr / 10) : 0.0;
        q.ssim += f.ssim / frames.size();
    }
    q.psnr = mse > 0 ? 10 * std::log10(255.0 * 255.0 * frames.size() / mse) : INFINITY;
    q.frames = static_cast<int>(frames.size());
    return q;
}

static VideoFacts facts(const fs::path& video, std::vector<std::vector<unsigned char>>* keep = nullptr)
{
    VideoFacts out;
    std::string error;
    const bool ok = decodeVideoRgb(
        video.string(),
        [&](int, const unsigned char* rgb, int width, int height) {
            if (keep) keep->emplace_back(rgb, rgb + static_cast<size_t>(width) * height * 3);
            return true;
        },
        out, error);
    EXPECT_TRUE(ok) << error;
    return out;
}

// One folder for the suite, with the PNG frames that every encoded file is measured against.
class CaptureEncoding : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = contentFolder("encoding");
        CaptureRunResult run = runCapture(dir, std::string("--png ref") + shortRun);
        refMade = run.code == 0;
    }
    static void TearDownTestSuite() { fs::remove_all(dir); }
    void SetUp() override { ASSERT_TRUE(refMade); }

    static fs::path refFrame(int k) { return PngWavOutput::framePath((dir / "ref").string(), k); }

    static fs::path dir;
    static bool refMade;
};
fs::path CaptureEncoding::dir;
bool CaptureEncoding::refMade = false;

// Measured on this short capture: 39.5 dB and SSIM 0.980 (the loading screen's red text is the worst frame,
// 31.8 dB). The bounds leave room for another x264 build's rounding; a coarser encoding (crf 30 gives
// 34.4 dB here) or a picture in the wrong place falls below them.
TEST_F(CaptureEncoding, DefaultMp4IsH264In420AboveTheQualityBound)
{
    CaptureRunResult run = runCapture(dir, std::string("--out default.mp4") + shortRun);
    ASSERT_EQ(run.code, 0) << run.err;
    VideoFacts video = facts(dir / "default.mp4");
    EXPECT_EQ(video.codec, "h264");
    EXPECT_EQ(video.pixelFormat, "yuv420p");
    EXPECT_EQ(video.width, 800);
    EXPECT_EQ(video.height, 600);
    EXPECT_EQ(video.frames, shortFrames);
    EXPECT_EQ(audioCodec(dir / "default.mp4"), "aac");
    Quality q = measure(dir / "default.mp4", dir / "ref");
    EXPECT_EQ(q.frames, shortFrames);
    EXPECT_GT(q.psnr, 38.5);
    EXPECT_GT(q.ssim, 0.975);
}

TEST_F(CaptureEncoding, LosslessFramesAreThePngFramesAndRerunsAreByteIdentical)
{
    CaptureRunResult first = runCapture(dir, std::string("--lossless") + shortRun);
    ASSERT_EQ(first.code, 0) << first.err;
    CaptureRunResult second = runCapture(dir, std::string("--lossless --out again.mkv") + shortRun);
    ASSERT_EQ(second.code, 0) << second.err;
    std::vector<char> bytes = fileBytes(dir / "tav.mkv");
    EXPECT_GT(bytes.size(), 100000u);
    EXPECT_TRUE(bytes == fileBytes(dir / "again.mkv")) << "two slice threads, the same bytes";

    std::vector<std::vector<unsigned char>> decoded;
    VideoFacts video = facts(dir / "tav.mkv", &decoded);
    EXPECT_EQ(video.codec, "ffv1");
    EXPECT_EQ(audioCodec(dir / "tav.mkv"), "flac");
    ASSERT_EQ(decoded.size(), size_t(shortFrames));
    for (int k = 0; k < shortFrames; ++k) ASSERT_TRUE(decoded[k] == readPngRgb(refFrame(k))) << "frame " << k;
}

TEST_F(CaptureEncoding, SizeKeepsTheAspectWithBlackBarsAndWholeMultiplesPixelForPixel)
{
    ASSERT_EQ(runCapture(dir, std::string("--png double --size 1600x1200") + shorterRun).code, 0);
    for (int k : {0, 44}) {
        std::vector<unsigned char> small = readPngRgb(refFrame(k));
        std::vector<unsigned char> big = readPngRgb(PngWavOutput::framePath((dir / "double").string(), k), 1600, 1200);
        ASSERT_EQ(big.size(), size_t(1600 * 1200 * 3));
        size_t differing = 0;
        for (int y = 0; y < 1200; ++y)
            for (int x = 0; x < 1600; ++x)
                for (int c = 0; c < 3; ++c)
                    differing += big[(size_t(y) * 1600 + x) * 3 + c] != small[(size_t(y / 2) * 800 + x / 2) * 3 + c];
        EXPECT_EQ(differing, 0u) << "frame " << k;
    }

    // 1920 x 1080: the picture 1440 x 1080 in the middle, black bars of 240 at each side.
    CaptureRunResult wide = runCapture(dir, std::string("--png wide --size 1920x1080") + shorterRun);
    ASSERT_EQ(wide.code, 0) << wide.err;
    std::vector<unsigned char> frame = readPngRgb(PngWavOutput::framePath((dir / "wide").string(), 0), 1920, 1080);
    ASSERT_EQ(frame.size(), size_t(1920 * 1080 * 3));
    size_t barLit = 0, pictureLit = 0;
    for (int y = 0; y < 1080; ++y)
        for (int x = 0; x < 1920; ++x) {
            const bool lit = frame[(size_t(y) * 1920 + x) * 3] + frame[(size_t(y) * 1920 + x) * 3 + 1] +
                             frame[(size_t(y) * 1920 + x) * 3 + 2] > 0;
            (x < 240 || x >= 1680 ? barLit : pictureLit) += lit;
        }
    EXPECT_EQ(barLit, 0u);
    EXPECT_GT(pictureLit, 1440u * 1080 / 10) << "the loading screen is in the middle";

    // The same frames as H.264 4:4:4 with PCM sound in Matroska: close to those PNG frames throughout.
    CaptureRunResult mkv = runCapture(
        dir, std::string("--out wide.mkv --size 1920x1080 --pixel-format yuv444p --crf 12 --preset superfast "
                         "--audio pcm") + shorterRun);
    ASSERT_EQ(mkv.code, 0) << mkv.err;
    VideoFacts video = facts(dir / "wide.mkv");
    EXPECT_EQ(video.codec, "h264");
    EXPECT_EQ(video.pixelFormat, "yuv444p");
    EXPECT_EQ(video.width, 1920);
    EXPECT_EQ(video.height, 1080);
    EXPECT_EQ(audioCodec(dir / "wide.mkv"), "pcm_s16le");
    Quality q = measure(dir / "wide.mkv", dir / "wide");
    EXPECT_EQ(q.frames, 45);
    EXPECT_GT(q.psnr, 40.0);
}
