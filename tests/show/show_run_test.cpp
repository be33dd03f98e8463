// SPDX-License-Identifier: MIT
// The whole program on the headless backend: WinMain with the real show steps, a virtual clock that the busy
// pause moves, and frames taken at SwapBuffers. Each test works in its own scratch folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/gl_window.h"
#include "app/main.h"
#include "platform/common/dinput_seam.h"
#include "platform/headless/headless.h"
#include "show/content_set.h"
#include "show/show_steps.h"
#include "tests/support/program_run.h"

namespace {

class ShowRunTest : public ProgramRunTest {
protected:
    const char* folderTag() const override { return "tav-show-run"; }
    static bool run(const std::string& command) { return std::system(command.c_str()) == 0; }
};

// True when the frame (rows bottom-up) shows something inside the centred 256 x 256 square and nothing in the
// band above it.
bool showsLoadingPicture(const std::vector<unsigned char>& rgba)
{
    auto sum = [&](int x, int y) {
        const unsigned char* p = &rgba[((599 - y) * 800 + x) * 4];
        return p[0] + p[1] + p[2];
    };
    int lit = 0;
    for (int y = 172; y < 428; y += 8)
        for (int x = 272; x < 528; x += 8)
            lit += sum(x, y) > 0;
    int outside = 0;
    for (int x = 0; x < 800; x += 8)
        outside += sum(x, 100) > 0;
    return lit > 50 && outside == 0;
}

}  // namespace

TEST_F(ShowRunTest, WithoutTheSoundtrackTheRunEndsAfterTheLoadingPicture)
{
    ASSERT_TRUE(run(std::string("cp '") + SHOW_CONTENT_DIR + "/vel.kod' . && zip -q -d vel.kod Data/sfx/trancen.xm"));
    std::vector<std::vector<unsigned char>> frames;
    headlessSetFrameSink([&](const unsigned char* rgba, int w, int h) { frames.emplace_back(rgba, rgba + w * h * 4); });
    const DWORD start = headlessClock();
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1), 0);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_TRUE(showsLoadingPicture(frames[0]));
    EXPECT_LT(headlessClock() - start, 4000u);  // no pause
    EXPECT_TRUE(dinputSeamLog().empty());       // no input devices
    EXPECT_EQ(headlessWindowCount(), 0);
}

TEST_F(ShowRunTest, F1RebuildsTheShowWhichGoesOnWhereItWas)
{
    ASSERT_TRUE(run(std::string("cp '") + SHOW_CONTENT_DIR + "/vel.kod' . && mkdir -p Data/sfx && cp '" +
                    SHOW_CONTENT_DIR + "/test-content/fast/Data/sfx/trancen.xm' Data/sfx/"));
    int position = 400;  // Logo growth: the vel sprite grows by a fixed step per frame
    musicPositionOverride = &position;

    std::vector<HWND> windows;
    std::vector<bool> loading;
    std::vector<bool> songLoaded;
    int drawnInPass = 0;
    std::vector<float> firstDeltas;
    headlessSetFrameSink([&](const unsigned char* rgba, int w, int h) {
        std::vector<unsigned char> frame(rgba, rgba + w * h * 4);
        const HWND now = headlessWindow();
        if (windows.empty() || windows.back() != now) {
            windows.push_back(now);
            loading.push_back(showsLoadingPicture(frame));
            drawnInPass = 0;
            return;
        }
        ++drawnInPass;
        songLoaded.push_back(soundtrack.song != nullptr);
        if (drawnInPass == 1)
            firstDeltas.push_back(frameDelta);
    });
    headlessSetFrameHook([&] {
        if (drawnInPass == 3 && windows.size() == 1)
            headlessKeyDown(VK_F1);
        if (drawnInPass == 3 && windows.size() == 2)
            headlessKeyDown(VK_ESCAPE);
    });
    const DWORD start = headlessClock();
    EXPECT_EQ(WinMain(nullptr, nullptr, const_cast<LPSTR>(""), 1), 0);
    musicPositionOverride = nullptr;

    ASSERT_EQ(windows.size(), 2u);
    EXPECT_TRUE(loading[0]);
    EXPECT_TRUE(loading[1]);
    EXPECT_GE(headlessClock() - start, 8000u);  // paused in both passes
    ASSERT_EQ(songLoaded.size(), 8u);           // 3 frames, the one that saw F1; 3 more and the Escape frame
    for (bool loaded : songLoaded)
        EXPECT_TRUE(loaded);
    // Eight growth steps in all: the second pass carried on from the first one's size.
    EXPECT_EQ(showTimeline.velWidth, 8 * 32);
    // The first frame of each pass carries the pause: at least 250 of the fountain's ticks.
    ASSERT_EQ(firstDeltas.size(), 2u);
    for (float delta : firstDeltas)
        EXPECT_GE(delta * 62.5f, 250.0f);
    EXPECT_EQ(fullscreenChoice, 0);
}
