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
