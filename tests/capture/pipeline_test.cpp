// SPDX-License-Identifier: MIT
// The capture's frame pipeline: frames reach the output whole and in order whatever order the workers finish
// in, no more than the allowed number are held, and a failing frame stops the rest with its reason. Also the
// PNG output through the pipeline against the same frames written one by one.
#include "tools/tav_capture/frame_pipeline.h"
#include "tools/tav_capture/png_wav_output.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Records what it is given. Prepares on three threads, the earlier frames slower, so they finish out of order.
class RecordingOutput : public CaptureOutput {
public:
    std::vector<std::vector<unsigned char>> pictures;
    std::vector<std::vector<short>> sounds;
    std::vector<std::string> prepared;  // what prepareFrame made of each written frame
    std::atomic<int> preparing{0};
    std::atomic<int> mostPreparing{0};
    int failAt = -1;          // writePrepared fails at this frame
    int failPreparingAt = -1; // prepareFrame fails for the picture with this first byte

    bool writeFrame(const unsigned char*, const short*, int) override { return false; }
    bool finish() override { return true; }
    int preparingThreads() const override { return 3; }
    bool prepareFrame(CaptureFrame& frame, std::string& error) override
    {
        const int now = ++preparing;
        int most = mostPreparing;
        while (now > most && !mostPreparing.compare_exchange_weak(most, now)) {
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(frame.rgba[0] % 3 == 0 ? 6 : 1));
        frame.encoded.assign(frame.rgba.begin(), frame.rgba.end());
        frame.encoded.push_back('!');
        --preparing;
        if (frame.rgba[0] == failPreparingAt) {
            error = "could not prepare";
            return false;
        }
        return true;
    }
    bool writePrepared(const CaptureFrame& frame) override
    {
        if (static_cast<int>(pictures.size()) == failAt) {
            lastError = "disk full";
            return false;
        }
        pictures.push_back(frame.rgba);
        sounds.emplace_back(frame.samples.begin(), frame.samples.begin() + frame.sampleFrames * 2);
        prepared.emplace_back(frame.encoded.begin(), frame.encoded.end());
        return true;
    }
};

std::vector<unsigned char> picture(int frame)
{
    return std::vector<unsigned char>(64, static_cast<unsigned char>(frame));
}

std::vector<short> sound(int frame)
{
    return std::vector<short>(static_cast<size_t>(2 * (10 + frame)), static_cast<short>(frame * 100));
}

std::vector<char> fileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(FramePipeline, WritesEveryFrameWholeAndInOrderWithFewFramesHeld)
{
    RecordingOutput output;
    {
        FramePipeline pipeline(output, 3);
        for (int f = 0; f < 40; ++f) {
            const std::vector<unsigned char> p = picture(f);
            const std::vector<short> s = sound(f);
            ASSERT_TRUE(pipeline.submit(p.data(), p.size(), s.data(), 10 + f));
        }
        ASSERT_TRUE(pipeline.finish()) << pipeline.error();
    }
    ASSERT_EQ(output.pictures.size(), 40u);
    for (int f = 0; f < 40; ++f) {
        EXPECT_EQ(output.pictures[f], picture(f)) << f;
        EXPECT_EQ(output.sounds[f], sound(f)) << f;
        EXPECT_EQ(output.prepared[f].size(), 65u) << "each frame written with its own preparation";
        EXPECT_EQ(static_cast<unsigned char>(output.prepared[f][0]), f);
    }
    EXPECT_GE(output.mostPreparing.load(), 2) << "frames are prepared side by side";
    EXPECT_LE(output.mostPreparing.load(), 3);
}

TEST(FramePipeline, AFailedWriteOrPreparationStopsTheRestWithItsReason)
{
    for (int failingStep = 0; failingStep < 2; ++failingStep) {
        SCOPED_TRACE(failingStep == 0 ? "write" : "prepare");
        RecordingOutput output;
        if (failingStep == 0)
            output.failAt = 5;
        else
            output.failPreparingAt = 5;
        FramePipeline pipeline(output, 2);
        int accepted = 0;
        for (int f = 0; f < 200; ++f) {
            const std::vector<unsigned char> p = picture(f);
            const std::vector<short> s = sound(f);
            if (!pipeline.submit(p.data(), p.size(), s.data(), 10 + f)) break;
            ++accepted;
        }
        EXPECT_LT(accepted, 200) << "the show hears of the failure while it runs";
        EXPECT_FALSE(pipeline.finish());
        EXPECT_EQ(pipeline.error(), failingStep == 0 ? "disk full" : "could not prepare");
        EXPECT_EQ(output.pictures.size(), 5u) << "nothing after the failed frame is written";
        const std::vector<unsigned char> p = picture(0);
        const std::vector<short> s = sound(0);
        EXPECT_FALSE(pipeline.submit(p.data(), p.size(), s.data(), 10));
    }
}

TEST(FramePipeline, PngFramesThroughItAreTheBytesOfFramesWrittenOneByOne)
{
    const auto dir = std::filesystem::temp_directory_path() /
                     ("tav_capture_pipeline_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    const int w = 96;
    const int h = 64;
    auto frameOf = [&](int f) {
        std::vector<unsigned char> rgba(static_cast<size_t>(w) * h * 4);
        for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<unsigned char>((i * 7 + f * 13) ^ (i >> 5));
        return rgba;
    };
    PngWavOutput direct;
    PngWavOutput piped;
    ASSERT_TRUE(direct.open((dir / "direct").string(), w, h)) << direct.error();
    ASSERT_TRUE(piped.open((dir / "piped").string(), w, h)) << piped.error();
    {
        FramePipeline pipeline(piped, 3);
        for (int f = 0; f < 12; ++f) {
            const std::vector<unsigned char> rgba = frameOf(f);
            const std::vector<short> s = sound(f);
            ASSERT_TRUE(direct.writeFrame(rgba.data(), s.data(), 10 + f)) << direct.error();
            ASSERT_TRUE(pipeline.submit(rgba.data(), rgba.size(), s.data(), 10 + f));
        }
        ASSERT_TRUE(pipeline.finish()) << pipeline.error();
    }
    ASSERT_TRUE(direct.finish());
    ASSERT_TRUE(piped.finish());
    for (int f = 0; f < 12; ++f) {
        const std::vector<char> a = fileBytes(PngWavOutput::framePath((dir / "direct").string(), f));
        EXPECT_GT(a.size(), 100u);
        EXPECT_TRUE(a == fileBytes(PngWavOutput::framePath((dir / "piped").string(), f))) << f;
    }
    EXPECT_TRUE(fileBytes(dir / "direct" / "audio.wav") == fileBytes(dir / "piped" / "audio.wav"));
    std::filesystem::remove_all(dir);
}
