// SPDX-License-Identifier: MIT
// How close a video file's frames are to the PNG frames of the same capture: each frame decoded again with
// libavcodec, turned into RGB as a player would show it (BT.601, video range), and compared with FFmpeg's own
// psnr and ssim filters through libavfilter. Used by tav-bench and the tests.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct FrameQuality {
    double psnr = 0;  // dB over R, G and B; infinity where the frames are equal
    double ssim = 0;  // 0 to 1, 1 where equal
};

// Frame k of the video against pngDir/frame_k.png (PngWavOutput's names), for every frame of the video.
// False, with the reason, when the file cannot be decoded, a PNG frame is missing or the sizes differ.
bool measureVideoQuality(const std::string& videoPath, const std::string& pngDir, std::vector<FrameQuality>& frames,
                         std::string& error);

// Decodes every video frame of the file, hands each on as 8-bit RGB (width x height x 3, top row first) and
// reports the stream's codec and pixel format. Stops with false when the file cannot be decoded or the
// callback returns false.
struct VideoFacts {
    std::string codec;        // the decoder's name, e.g. "h264"
    std::string pixelFormat;  // e.g. "yuv420p"
    int width = 0;
    int height = 0;
    int frames = 0;
};
bool decodeVideoRgb(const std::string& videoPath,
                    const std::function<bool(int frame, const unsigned char* rgb, int width, int height)>& each,
                    VideoFacts& facts, std::string& error);
