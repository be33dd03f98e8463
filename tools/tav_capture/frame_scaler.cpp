// SPDX-License-Identifier: MIT
// Aspect-kept scaling of captured frames through libswscale; see frame_scaler.h.
#include "tools/tav_capture/frame_scaler.h"

extern "C" {
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

FittedRect fitPicture(int sourceWidth, int sourceHeight, int frameWidth, int frameHeight)
{
    FittedRect rect;
    // The larger picture that fits: full height with bars at the sides, or full width with bars above and below.
    if (static_cast<long long>(frameWidth) * sourceHeight >= static_cast<long long>(frameHeight) * sourceWidth) {
        rect.height = frameHeight;
        rect.width = static_cast<int>(static_cast<long long>(frameHeight) * sourceWidth / sourceHeight) & ~1;
    } else {
        rect.width = frameWidth;
        rect.height = static_cast<int>(static_cast<long long>(frameWidth) * sourceHeight / sourceWidth) & ~1;
    }
    rect.width = std::max(2, rect.width);
    rect.height = std::max(2, rect.height);
    rect.x = ((frameWidth - rect.width) / 2) & ~1;
    rect.y = ((frameHeight - rect.height) / 2) & ~1;
    return rect;
}

FrameScaler::~FrameScaler()
{
    for (SwsContext* context : idle) sws_freeContext(context);
}

bool FrameScaler::open(int srcWidth, int srcHeight, int dstWidth, int dstHeight, std::string& error)
{
    sourceWidth = srcWidth;
    sourceHeight = srcHeight;
    frameWidth = dstWidth;
    frameHeight = dstHeight;
    rect = fitPicture(srcWidth, srcHeight, dstWidth, dstHeight);
    nearest = rect.width % srcWidth == 0 && rect.height % srcHeight == 0 &&
              rect.width / srcWidth == rect.height / srcHeight;
    SwsContext* first = take();
    if (!first) {
        error = "cannot set up the scaling to " + std::to_string(dstWidth) + " x " + std::to_string(dstHeight);
        return false;
    }
    give(first);
    return true;
}

SwsContext* FrameScaler::take()
{
    {
        std::lock_guard<std::mutex> held(lock);
        if (!idle.empty()) {
            SwsContext* context = idle.back();
            idle.pop_back();
            return context;
        }
    }
    const int filter = nearest ? SWS_POINT : SWS_LANCZOS;
    return sws_getContext(sourceWidth, sourceHeight, AV_PIX_FMT_RGBA, rect.width, rect.height, AV_PIX_FMT_RGBA,
                          filter | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
}

void FrameScaler::give(SwsContext* context)
{
    std::lock_guard<std::mutex> held(lock);
    idle.push_back(context);
}

bool FrameScaler::scale(const unsigned char* rgba, std::vector<unsigned char>& out)
{
    const size_t row = static_cast<size_t>(frameWidth) * 4;
    out.resize(row * frameHeight);
    for (size_t i = 0; i < out.size(); i += 4) {
        out[i] = out[i + 1] = out[i + 2] = 0;
        out[i + 3] = 255;
    }
    SwsContext* context = take();
    if (!context) return false;
    const uint8_t* source[1] = {rgba};
    const int sourceStride[1] = {sourceWidth * 4};
    uint8_t* target[1] = {out.data() + static_cast<size_t>(rect.y) * row + static_cast<size_t>(rect.x) * 4};
    const int targetStride[1] = {static_cast<int>(row)};
    sws_scale(context, source, sourceStride, 0, sourceHeight, target, targetStride);
    give(context);
    return true;
}
