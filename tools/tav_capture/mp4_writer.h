// SPDX-License-Identifier: MIT
// The video file output: H.264 (libx264 when libavcodec has it, else its own H.264 or MPEG-4 encoder) or, for
// lossless frames, FFV1 in RGB; AAC, FLAC or 16-bit PCM audio; an MP4 or Matroska file, through libavformat and
// libavcodec. Every setting that could vary between runs is pinned: a fixed number of encoder threads (two;
// x264 and FFV1's slices are deterministic for a fixed count), bit-exact flags on the muxer and both encoders,
// timestamps counted in frames and samples, never taken from a clock. So the same frames, samples and settings
// always give the same file. Frames are scaled and colour-converted in prepareFrame, on the pipeline's threads
// beside the show, and only encoded in order.
#pragma once

#include "tools/tav_capture/capture_output.h"
#include "tools/tav_capture/frame_scaler.h"

#include <memory>
#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;

struct VideoSettings {
    int width = 0;                   // 0: the captured picture's own size
    int height = 0;
    std::string crf = "20";
    std::string preset = "superfast";
    bool fullChroma = false;         // yuv444p instead of yuv420p
    bool lossless = false;           // FFV1, RGB
    bool matroska = false;           // else MP4
    std::string audio = "aac";       // "aac", "flac" or "pcm"
};

class Mp4Writer : public CaptureOutput {
public:
    ~Mp4Writer() override;
    // width x height: the captured pictures handed to writeFrame; the file's frames are settings' size.
    bool open(const std::string& path, int width, int height, int fps, int sampleRate,
              const VideoSettings& settings = VideoSettings());
    bool writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames) override;
    bool finish() override;
    const char* videoEncoderName() const;

    int preparingThreads() const override { return 2; }
    bool prepareFrame(CaptureFrame& frame, std::string& error) override;
    bool writePrepared(const CaptureFrame& frame) override;

private:
    bool openVideo(int fps);
    bool openAudio(int sampleRate);
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    bool encodeAudioBlock(int sampleFrames);
    bool fail(const std::string& what, int avError);
    void closeAll();

    std::string path;
    VideoSettings settings;
    int sourceWidth = 0;
    int sourceHeight = 0;
    int width = 0;
    int height = 0;
    std::unique_ptr<FrameScaler> scaler;  // only when the file's size differs from the picture's
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    long long videoFrames = 0;
    long long audioSamples = 0;
    std::vector<short> pending;  // interleaved stereo samples not yet in an audio block
    bool headerWritten = false;
    bool finished = false;
};
