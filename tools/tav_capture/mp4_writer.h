// The MP4 output: H.264 video (libx264 when libavcodec has it, else its own H.264 or MPEG-4 encoder) and AAC
// audio, through libavformat and libavcodec. Every setting that could vary between runs is pinned: a fixed
// number of encoder threads (two; x264 is deterministic for a fixed count), bit-exact flags on the muxer and
// both encoders, timestamps counted in frames and samples, never taken from a clock. So the same frames and
// samples always give the same file.
#pragma once

#include "tools/tav_capture/capture_output.h"

#include <vector>

struct AVFormatContext;
struct AVCodecContext;
struct AVStream;
struct AVFrame;
struct AVPacket;
struct SwsContext;

class Mp4Writer : public CaptureOutput {
public:
    ~Mp4Writer() override;
    bool open(const std::string& path, int width, int height, int fps, int sampleRate);
    bool writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames) override;
    bool finish() override;
    const char* videoEncoderName() const;

private:
    bool openVideo(int fps);
    bool openAudio(int sampleRate);
    bool encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame);
    bool encodeAudioBlock(int sampleFrames);
    bool fail(const std::string& what, int avError);
    void closeAll();

    std::string path;
    int width = 0;
    int height = 0;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    SwsContext* scaler = nullptr;
    long long videoFrames = 0;
    long long audioSamples = 0;
    std::vector<float> pendingLeft;
    std::vector<float> pendingRight;
    bool headerWritten = false;
    bool finished = false;
};
