// SPDX-License-Identifier: MIT
#include "tools/tav_capture/capture_progress.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

TEST(CaptureProgress, EstimateFollowsThePlannedLengthWhenThereIsOne)
{
    CaptureProgress progress;
    progress.fps = 60;
    progress.frames = 60;          // 1 s of show ...
    progress.wallSeconds = 2.0;    // ... took 2 s
    progress.plannedSeconds = 3.0;
    EXPECT_DOUBLE_EQ(showSeconds(progress), 1.0);
    EXPECT_DOUBLE_EQ(estimatedSecondsLeft(progress), 4.0);
    progress.frames = 180;
    EXPECT_DOUBLE_EQ(estimatedSecondsLeft(progress), 0.0);
}

TEST(CaptureProgress, EstimateFollowsTheMusicOtherwise)
{
    CaptureProgress progress;
    progress.fps = 10;
    progress.frames = 40;
    progress.wallSeconds = 1.0;
    EXPECT_LT(estimatedSecondsLeft(progress), 0.0) << "nothing to go by during the pause";
    progress.musicStarted = true;
    progress.musicStartFrame = 40;
    progress.frames = 140;                                // 10 s of music at 10 fps ...
    progress.musicPosition = 461;                         // ... reached row 461: 46.1 rows a second
    progress.wallSeconds = 7.0;                           // 14 s of show in 7 s: twice real time
    // (2305 - 461) rows at 46.1 rows a second = 40 s of show = 20 s of real time.
    EXPECT_NEAR(estimatedSecondsLeft(progress), 20.0, 1e-9);
    EXPECT_NE(formatProgressLine(progress).find("left 0:20"), std::string::npos) << formatProgressLine(progress);
}

TEST(CaptureProgress, LinesNameWhatWasDone)
{
    CaptureProgress progress;
    progress.fps = 30;
    progress.frames = 1234;
    progress.musicPosition = 2305;
    progress.wallSeconds = 20.0;
    std::string line = formatProgressLine(progress);
    EXPECT_NE(line.find("frame 1234"), std::string::npos) << line;
    EXPECT_NE(line.find("music 2305"), std::string::npos) << line;
    EXPECT_NE(line.find("show 41.1 s"), std::string::npos) << line;
    EXPECT_NE(line.find("61.7 fps"), std::string::npos) << line;
    std::string summary = formatSummaryLine(progress, "out/tav.mp4");
    EXPECT_EQ(summary.rfind("tav-capture: wrote out/tav.mp4: 1234 frames at 30 fps, 41.13 s of show", 0), 0u)
        << summary;
    EXPECT_EQ(summary.find('\n'), std::string::npos);
}

// Everything a reporter wrote, fed the given wall-clock times in order.
static std::string reported(bool terminal, const std::vector<double>& wallTimes)
{
    FILE* stream = std::tmpfile();
    EXPECT_NE(stream, nullptr);
    if (!stream) return "";
    ProgressReporter reporter(terminal, stream);
    CaptureProgress progress;
    for (double wall : wallTimes) {
        progress.wallSeconds = wall;
        progress.frames = static_cast<unsigned long long>(wall * 60 + 0.5);
        reporter.update(progress);
    }
    reporter.finish(progress, "tav.mp4");
    std::rewind(stream);
    std::string text;
    for (int c = std::fgetc(stream); c != EOF; c = std::fgetc(stream)) text += static_cast<char>(c);
    std::fclose(stream);
    return text;
}

TEST(CaptureProgress, WithoutATerminalAWholeLineComesEveryTenSeconds)
{
    std::string text = reported(false, {0.0, 0.3, 5.0, 9.9, 10.0, 15.0, 19.9, 20.1, 31.0, 35.0});
    EXPECT_EQ(text.find('\r'), std::string::npos) << "no redrawing in a log";
    EXPECT_EQ(text.find('\033'), std::string::npos) << "no terminal escapes in a log";
    // Lines at 10, 20.1 and 31 s of real time, then the summary.
    EXPECT_EQ(text.rfind("frame 600  ", 0), 0u) << text;
    size_t second = text.find("\nframe 1206  ");
    size_t third = text.find("\nframe 1860  ");
    size_t summary = text.find("\ntav-capture: wrote tav.mp4: 2100 frames");
    EXPECT_NE(second, std::string::npos) << text;
    EXPECT_NE(third, std::string::npos) << text;
    EXPECT_NE(summary, std::string::npos) << text;
    EXPECT_LT(second, third);
    EXPECT_LT(third, summary);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 4) << text;
}

TEST(CaptureProgress, OnATerminalTheLineIsRedrawnInPlaceAndClearedAtTheEnd)
{
    std::string text = reported(true, {0.0, 0.1, 0.3, 0.4, 0.6});
    // Drawn at 0, 0.3 and 0.6 s; each drawing returns to the line's start and clears what was left of it.
    EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 4) << text;
    EXPECT_NE(text.find("\rframe 18  "), std::string::npos) << text;
    EXPECT_EQ(text.find("\rframe 6  "), std::string::npos) << "drawn again within a quarter second";
    EXPECT_NE(text.find("\r\033[Ktav-capture: wrote tav.mp4: 36 frames"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << "only the summary ends a line";
}
