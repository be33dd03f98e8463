#include "tools/tav_capture/capture_progress.h"

#include <gtest/gtest.h>

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
