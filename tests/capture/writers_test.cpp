// SPDX-License-Identifier: MIT
#include "tools/tav_capture/mp4_writer.h"
#include "tools/tav_capture/png_frame.h"
#include "tools/tav_capture/png_wav_output.h"
#include "tools/tav_capture/wav_writer.h"

#include <gtest/gtest.h>
#include <png.h>
#include <sndfile.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

static std::string scratchDir(const std::string& name)
{
    auto dir = std::filesystem::temp_directory_path() /
               ("tav_capture_" + name + "_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

static std::vector<char> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Top half red, bottom half blue, a green column that moves one step per frame: orientation and motion show.
static std::vector<unsigned char> testPicture(int width, int height, int frame)
{
    std::vector<unsigned char> rgba(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            unsigned char* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            bool bar = x / 16 == frame % std::max(1, width / 16);
            p[0] = bar ? 0 : (y < height / 2 ? 220 : 20);
            p[1] = bar ? 200 : 30;
            p[2] = bar ? 0 : (y < height / 2 ? 20 : 230);
            p[3] = static_cast<unsigned char>(x);  // alpha must not reach the output
        }
    return rgba;
}

static std::vector<short> sine(int sampleFrames, long long offset)
{
    std::vector<short> samples(sampleFrames * 2);
    for (int i = 0; i < sampleFrames; ++i) {
        double t = static_cast<double>(offset + i) / 44100.0;
        samples[i * 2] = static_cast<short>(std::lround(10000.0 * std::sin(2.0 * M_PI * 440.0 * t)));
        samples[i * 2 + 1] = static_cast<short>(std::lround(5000.0 * std::sin(2.0 * M_PI * 660.0 * t)));
    }
    return samples;
}

struct PngContents {
    int width = 0, height = 0, colorType = -1;
    std::vector<unsigned char> rgb;
    std::vector<std::string> chunks;
};

static PngContents readPng(const std::string& path)
{
    PngContents result;
    std::vector<char> bytes = fileBytes(path);
    for (size_t at = 8; at + 8 <= bytes.size();) {
        unsigned length = (unsigned char)bytes[at] << 24 | (unsigned char)bytes[at + 1] << 16 |
                          (unsigned char)bytes[at + 2] << 8 | (unsigned char)bytes[at + 3];
        result.chunks.push_back(std::string(&bytes[at + 4], 4));
        at += 12 + length;
    }
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return result;
    result.colorType = (image.format & PNG_FORMAT_FLAG_ALPHA) ? 1 : 0;
    image.format = PNG_FORMAT_RGB;
    result.width = image.width;
    result.height = image.height;
    result.rgb.resize(PNG_IMAGE_SIZE(image));
    png_image_finish_read(&image, nullptr, result.rgb.data(), 0, nullptr);
    return result;
}

TEST(PngFrame, KeepsEveryPixelDropsAlphaAndCarriesNoTime)
{
    std::string dir = scratchDir("png");
    auto picture = testPicture(64, 48, 1);
    std::string error;
    ASSERT_TRUE(writePngFrame(dir + "/a.png", picture.data(), 64, 48, error)) << error;
    ASSERT_TRUE(writePngFrame(dir + "/b.png", picture.data(), 64, 48, error)) << error;
    EXPECT_EQ(fileBytes(dir + "/a.png"), fileBytes(dir + "/b.png"));

    PngContents png = readPng(dir + "/a.png");
    ASSERT_EQ(png.width, 64);
    ASSERT_EQ(png.height, 48);
    EXPECT_EQ(png.colorType, 0) << "written as RGB, without alpha";
    for (size_t i = 0; i < 64 * 48; ++i)
        for (int c = 0; c < 3; ++c) ASSERT_EQ(png.rgb[i * 3 + c], picture[i * 4 + c]) << "pixel " << i;
    EXPECT_EQ(png.chunks, (std::vector<std::string>{"IHDR", "IDAT", "IEND"}));
    std::filesystem::remove_all(dir);
}

TEST(PngFrame, UnwritablePathIsReported)
{
    auto picture = testPicture(8, 8, 0);
    std::string error;
    EXPECT_FALSE(writePngFrame("/nonexistent-folder/x.png", picture.data(), 8, 8, error));
    EXPECT_NE(error.find("/nonexistent-folder/x.png"), std::string::npos);
}

TEST(PngWavOutput, NumberedFramesAndOneWavWithEverySample)
{
    std::string dir = scratchDir("folder") + "/new/sub";
    PngWavOutput output;
    ASSERT_TRUE(output.open(dir, 32, 16)) << output.error();
    std::vector<short> all;
    long long offset = 0;
    for (int frame = 0; frame < 3; ++frame) {
        auto picture = testPicture(32, 16, frame);
        int span = 1470 + frame;  // uneven spans, as at rates that do not divide 44100
        auto samples = sine(span, offset);
        offset += span;
        all.insert(all.end(), samples.begin(), samples.end());
        ASSERT_TRUE(output.writeFrame(picture.data(), samples.data(), span)) << output.error();
    }
    ASSERT_TRUE(output.finish()) << output.error();
    for (int frame = 0; frame < 3; ++frame) {
        std::string path = PngWavOutput::framePath(dir, frame);
        EXPECT_EQ(std::filesystem::path(path).filename().string(), "frame_00000" + std::to_string(frame) + ".png");
        PngContents png = readPng(path);
        ASSERT_EQ(png.width, 32) << path;
        auto picture = testPicture(32, 16, frame);
        EXPECT_EQ(png.rgb[0], picture[0]);
        EXPECT_EQ(png.rgb[1], picture[1]);
    }
    EXPECT_FALSE(std::filesystem::exists(PngWavOutput::framePath(dir, 3)));

    SF_INFO info = {};
    SNDFILE* wav = sf_open((dir + "/audio.wav").c_str(), SFM_READ, &info);
    ASSERT_NE(wav, nullptr);
    EXPECT_EQ(info.samplerate, 44100);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    ASSERT_EQ(info.frames, static_cast<sf_count_t>(offset));
    std::vector<short> back(all.size());
    EXPECT_EQ(sf_readf_short(wav, back.data(), offset), offset);
    sf_close(wav);
    EXPECT_EQ(back, all);
    std::filesystem::remove_all(std::filesystem::path(dir).parent_path().parent_path());
}

TEST(PngWavOutput, FolderThatCannotBeMadeIsReported)
{
    PngWavOutput output;
    EXPECT_FALSE(output.open("/proc/no-such-place/frames", 8, 8));
    EXPECT_FALSE(output.error().empty());
}

static bool writeTestMp4(const std::string& path, int frames, std::string& error)
{
    const int width = 320, height = 240, fps = 30;
    Mp4Writer writer;
    if (!writer.open(path, width, height, fps, 44100)) {
        error = writer.error();
        return false;
    }
    long long offset = 0;
    for (int frame = 0; frame < frames; ++frame) {
        auto picture = testPicture(width, height, frame);
        auto samples = sine(1470, offset);
        offset += 1470;
        if (!writer.writeFrame(picture.data(), samples.data(), 1470)) {
            error = writer.error();
            return false;
        }
    }
    if (!writer.finish()) {
        error = writer.error();
        return false;
    }
    return true;
}

struct DecodedMp4 {
    std::string videoCodec, audioCodec;
    int videoFrames = 0;
    long long audioSamples = 0;
    double audioRms = 0.0;       // of the left channel, skipping the encoder's start-up
    double durationSeconds = 0.0;
    std::vector<unsigned char> firstFrameRgb;  // 320 x 240
};

static DecodedMp4 decodeMp4(const std::string& path)
{
    DecodedMp4 out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0) return out;
    avformat_find_stream_info(format, nullptr);
    out.durationSeconds = format->duration / double(AV_TIME_BASE);
    std::vector<AVCodecContext*> decoders(format->nb_streams, nullptr);
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodec* codec = avcodec_find_decoder(format->streams[i]->codecpar->codec_id);
        decoders[i] = avcodec_alloc_context3(codec);
        avcodec_parameters_to_context(decoders[i], format->streams[i]->codecpar);
        avcodec_open2(decoders[i], codec, nullptr);
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) out.videoCodec = codec->name;
        if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) out.audioCodec = codec->name;
    }
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    double sumSquares = 0.0;
    long long counted = 0;
    auto drain = [&](AVCodecContext* codec) {
        while (avcodec_receive_frame(codec, frame) == 0) {
            if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
                if (out.videoFrames++ == 0) {
                    out.firstFrameRgb.resize(320 * 240 * 3);
                    SwsContext* sws = sws_getContext(frame->width, frame->height, AVPixelFormat(frame->format),
                                                     320, 240, AV_PIX_FMT_RGB24, SWS_BICUBIC, 0, 0, 0);
                    uint8_t* dst[1] = {out.firstFrameRgb.data()};
                    int stride[1] = {320 * 3};
                    sws_scale(sws, frame->data, frame->linesize, 0, frame->height, dst, stride);
                    sws_freeContext(sws);
                }
            } else {
                const float* left = reinterpret_cast<const float*>(frame->data[0]);
                for (int i = 0; i < frame->nb_samples; ++i, ++out.audioSamples)
                    if (out.audioSamples > 4096) {
                        sumSquares += double(left[i]) * left[i];
                        ++counted;
                    }
            }
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        AVCodecContext* codec = decoders[packet->stream_index];
        avcodec_send_packet(codec, packet);
        drain(codec);
        av_packet_unref(packet);
    }
    for (AVCodecContext* codec : decoders) {
        avcodec_send_packet(codec, nullptr);
        drain(codec);
        avcodec_free_context(&codec);
    }
    out.audioRms = counted ? std::sqrt(sumSquares / counted) : 0.0;
    av_frame_free(&frame);
    av_packet_free(&packet);
    avformat_close_input(&format);
    return out;
}

TEST(Mp4Writer, H264AndAacWithEveryFrameAndTheRightPicture)
{
    std::string dir = scratchDir("mp4");
    std::string error;
    ASSERT_TRUE(writeTestMp4(dir + "/a.mp4", 45, error)) << error;
    DecodedMp4 mp4 = decodeMp4(dir + "/a.mp4");
    EXPECT_EQ(mp4.videoCodec, "h264");
    EXPECT_EQ(mp4.audioCodec, "aac");
    EXPECT_EQ(mp4.videoFrames, 45);
    EXPECT_NEAR(mp4.durationSeconds, 1.5, 0.05);
    // The encoder's priming is trimmed by the file's edit list, so about 1.5 s of audio comes back.
    EXPECT_NEAR(double(mp4.audioSamples), 1.5 * 44100, 2048);
    // A 10000-amplitude sine has an RMS of 10000 / sqrt 2 / 32768.
    EXPECT_NEAR(mp4.audioRms, 10000.0 / std::sqrt(2.0) / 32768.0, 0.02);

    ASSERT_EQ(mp4.firstFrameRgb.size(), size_t(320 * 240 * 3));
    const unsigned char* top = &mp4.firstFrameRgb[(40 * 320 + 200) * 3];
    const unsigned char* bottom = &mp4.firstFrameRgb[(200 * 320 + 200) * 3];
    EXPECT_NEAR(top[0], 220, 12);
    EXPECT_NEAR(top[2], 20, 12);
    EXPECT_NEAR(bottom[0], 20, 12);
    EXPECT_NEAR(bottom[2], 230, 12);
    std::filesystem::remove_all(dir);
}

TEST(Mp4Writer, SameInputGivesTheSameBytes)
{
    std::string dir = scratchDir("mp4_twice");
    std::string error;
    ASSERT_TRUE(writeTestMp4(dir + "/a.mp4", 20, error)) << error;
    ASSERT_TRUE(writeTestMp4(dir + "/b.mp4", 20, error)) << error;
    std::vector<char> a = fileBytes(dir + "/a.mp4");
    EXPECT_GT(a.size(), 1000u);
    EXPECT_TRUE(a == fileBytes(dir + "/b.mp4"));
    std::filesystem::remove_all(dir);
}

TEST(Mp4Writer, UnwritablePathIsReported)
{
    Mp4Writer writer;
    EXPECT_FALSE(writer.open("/nonexistent-folder/x.mp4", 64, 64, 30, 44100));
    EXPECT_NE(writer.error().find("/nonexistent-folder/x.mp4"), std::string::npos) << writer.error();
}
