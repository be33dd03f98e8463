// SPDX-License-Identifier: MIT
// Frame grid arithmetic; see capture_clock.h.
#include "tools/tav_capture/capture_clock.h"

#include <cmath>

unsigned long long frameStartMs(unsigned long long frame, int fps)
{
    return frame * 1000ull / static_cast<unsigned long long>(fps);
}

unsigned long long samplesBeforeFrame(unsigned long long frame, int fps)
{
    return frame * static_cast<unsigned long long>(captureSampleRate) / static_cast<unsigned long long>(fps);
}

int samplesForFrame(unsigned long long frame, int fps)
{
    return static_cast<int>(samplesBeforeFrame(frame + 1, fps) - samplesBeforeFrame(frame, fps));
}

unsigned long long framesForSeconds(double seconds, int fps)
{
    if (!(seconds > 0.0)) return 0;
    double frames = std::ceil(seconds * fps - 1e-9);  // 0.1 s at 30 fps is 3 frames, not 4 from rounding noise
    return frames < 1.0 ? 1ull : static_cast<unsigned long long>(frames);
}
