// SPDX-License-Identifier: MIT
#include "tools/tav_capture/capture_options.h"

#include <gtest/gtest.h>

#include <vector>

static OptionsResult parse(std::vector<const char*> args, CaptureOptions& options, std::string& error)
{
    args.insert(args.begin(), "tav-capture");
    return parseCaptureOptions(static_cast<int>(args.size()), const_cast<char**>(args.data()), options, error);
}

TEST(CaptureOptions, DefaultsAndBothSpellingsOfEveryOption)
{
    CaptureOptions defaults;
    std::string error;
    ASSERT_EQ(parse({}, defaults, error), OptionsResult::Run);
    EXPECT_EQ(defaults.outPath, "tav.mp4");
    EXPECT_EQ(defaults.pngDir, "");
    EXPECT_EQ(defaults.fps, 60);
    EXPECT_EQ(defaults.seconds, 0.0);

    CaptureOptions spaced;
    ASSERT_EQ(parse({"--out", "a/b.mp4", "--fps", "25", "--seconds", "2.5"}, spaced, error), OptionsResult::Run);
    EXPECT_EQ(spaced.outPath, "a/b.mp4");
    EXPECT_EQ(spaced.fps, 25);
    EXPECT_DOUBLE_EQ(spaced.seconds, 2.5);

    CaptureOptions joined;
    ASSERT_EQ(parse({"--png=frames", "--fps=1000", "--seconds=.5"}, joined, error), OptionsResult::Run);
    EXPECT_EQ(joined.pngDir, "frames");
    EXPECT_EQ(joined.fps, 1000);
    EXPECT_DOUBLE_EQ(joined.seconds, 0.5);
    EXPECT_FALSE(joined.renderOnly);

    CaptureOptions renderOnly;
    ASSERT_EQ(parse({"--render-only", "--seconds", "3"}, renderOnly, error), OptionsResult::Run);
    EXPECT_TRUE(renderOnly.renderOnly);
}

TEST(CaptureOptions, HelpWinsOverOtherOptions)
{
    CaptureOptions options;
    std::string error;
    EXPECT_EQ(parse({"--fps", "30", "--help"}, options, error), OptionsResult::Help);
    EXPECT_EQ(parse({"-h"}, options, error), OptionsResult::Help);
    EXPECT_NE(std::string(captureUsageText()).find("--seconds"), std::string::npos);
}

TEST(CaptureOptions, BadInputIsOneLineUsageError)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--frobnicate"}, {"-x"}, {"stray"}, {"--out"}, {"--fps"}, {"--out="}, {"--png", ""},
        {"--fps", "0"}, {"--fps", "1001"}, {"--fps", "-5"}, {"--fps", "12x"}, {"--fps", "2.5"}, {"--fps", ""},
        {"--fps", "99999999999999999999"}, {"--seconds", "0"}, {"--seconds", "-1"}, {"--seconds", "abc"},
        {"--seconds", "nan"}, {"--seconds", "inf"}, {"--seconds", "1e400"}, {"--seconds", "3s"},
        {"--help=yes"}, {"--out", "x.mp4", "--png", "dir"}, {"--render-only=1"}, {"--render-only", "--png", "d"},
        {"--out", "x.mp4", "--render-only"},
    };
    for (const auto& args : bad) {
        CaptureOptions options;
        std::string error;
        EXPECT_EQ(parse(args, options, error), OptionsResult::UsageError) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
    CaptureOptions options;
    std::string error;
    parse({"--fps", "abc"}, options, error);
    EXPECT_NE(error.find("abc"), std::string::npos) << "the message names the bad value: " << error;
}

TEST(CaptureOptions, EncodingOptionsAndTheFileTheyWrite)
{
    CaptureOptions options;
    std::string error;
    ASSERT_EQ(parse({"--size", "1920x1080", "--crf=0", "--preset", "slow", "--pixel-format=yuv444p", "--audio", "aac"},
                    options, error),
              OptionsResult::Run)
        << error;
    EXPECT_EQ(options.width, 1920);
    EXPECT_EQ(options.height, 1080);
    EXPECT_EQ(options.crf, "0");
    EXPECT_EQ(options.preset, "slow");
    EXPECT_EQ(options.pixelFormat, "yuv444p");
    EXPECT_FALSE(captureWritesMatroska(options));

    CaptureOptions lossless;
    ASSERT_EQ(parse({"--lossless"}, lossless, error), OptionsResult::Run) << error;
    EXPECT_EQ(lossless.outPath, "tav.mkv") << "FFV1 needs Matroska";
    EXPECT_TRUE(captureWritesMatroska(lossless));

    CaptureOptions pcm;
    ASSERT_EQ(parse({"--out", "A.MKV", "--audio", "pcm", "--crf", "51"}, pcm, error), OptionsResult::Run) << error;
    CaptureOptions scaledFrames;
    EXPECT_EQ(parse({"--png", "d", "--size", "16x16"}, scaledFrames, error), OptionsResult::Run) << error;
}

TEST(CaptureOptions, WrongEncodingValuesAndCombinationsAreOneLineErrors)
{
    const std::vector<std::vector<const char*>> bad = {
        {"--size", "1920"}, {"--size", "1921x1080"}, {"--size", "14x14"}, {"--size", "7682x100"},
        {"--size", "x1080"}, {"--size", "1920x1080x3"}, {"--size", "-1920x1080"}, {"--size", "99999999x2"},
        {"--crf", "52"}, {"--crf", "-1"}, {"--crf", "abc"}, {"--crf", ""}, {"--crf", "20dB"},
        {"--preset", "quick"}, {"--preset", ""}, {"--pixel-format", "rgb24"}, {"--pixel-format", "yuv422p"},
        {"--audio", "mp3"}, {"--lossless=yes"},
        // combinations
        {"--lossless", "--crf", "20"}, {"--lossless", "--preset", "fast"}, {"--lossless", "--pixel-format", "yuv444p"},
        {"--lossless", "--out", "x.mp4"}, {"--png", "d", "--preset", "fast"}, {"--png", "d", "--crf", "20"},
        {"--png", "d", "--lossless"}, {"--png", "d", "--audio", "flac"}, {"--audio", "pcm"},
        {"--out", "x.mp4", "--audio", "flac"}, {"--render-only", "--size", "1600x1200"},
        {"--render-only", "--crf", "20"},
    };
    for (const auto& args : bad) {
        CaptureOptions options;
        std::string error;
        std::string shown;
        for (const char* a : args) shown += std::string(a) + " ";
        EXPECT_EQ(parse(args, options, error), OptionsResult::UsageError) << shown;
        EXPECT_FALSE(error.empty()) << shown;
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    }
}
