// MP4 output through libavformat / libavcodec / libswscale; see mp4_writer.h.
#include "tools/tav_capture/mp4_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>

Mp4Writer::~Mp4Writer()
{
    closeAll();
}

void Mp4Writer::closeAll()
{
    if (format && format->pb && headerWritten && !finished) av_write_trailer(format);
    if (format && format->pb) avio_closep(&format->pb);
    avformat_free_context(format);
    format = nullptr;
    avcodec_free_context(&video);
    avcodec_free_context(&audio);
    av_frame_free(&picture);
    av_frame_free(&sound);
    av_packet_free(&packet);
    sws_freeContext(scaler);
    scaler = nullptr;
}

bool Mp4Writer::fail(const std::string& what, int avError)
{
    lastError = what;
    if (avError < 0) {
        char text[AV_ERROR_MAX_STRING_SIZE] = {};
        av_strerror(avError, text, sizeof text);
        lastError += std::string(": ") + text;
    }
    return false;
}

const char* Mp4Writer::videoEncoderName() const
{
    return video && video->codec ? video->codec->name : "";
}

static const AVCodec* findVideoEncoder()
{
    if (const AVCodec* x264 = avcodec_find_encoder_by_name("libx264")) return x264;
    if (const AVCodec* h264 = avcodec_find_encoder(AV_CODEC_ID_H264)) return h264;
    return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
}

bool Mp4Writer::openVideo(int fps)
{
    const AVCodec* codec = findVideoEncoder();
    if (!codec) return fail("libavcodec has no H.264 or MPEG-4 encoder", 0);
    videoStream = avformat_new_stream(format, nullptr);
    video = avcodec_alloc_context3(codec);
    if (!videoStream || !video) return fail("out of memory", 0);
    video->width = width;
    video->height = height;
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->time_base = AVRational{1, fps};
    video->framerate = AVRational{fps, 1};
    video->gop_size = std::max(1, fps * 4);
    video->color_range = AVCOL_RANGE_MPEG;
    video->colorspace = AVCOL_SPC_SMPTE170M;  // the coefficients swscale uses by default
    video->thread_count = 2;
    video->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* settings = nullptr;
    if (std::strcmp(codec->name, "libx264") == 0) {
        av_dict_set(&settings, "preset", "faster", 0);
        av_dict_set(&settings, "crf", "20", 0);
        av_dict_set(&settings, "x264-params", "threads=2:lookahead-threads=1:sliced-threads=0", 0);
    } else {
        video->bit_rate = 8000000;
    }
    int result = avcodec_open2(video, codec, &settings);
    av_dict_free(&settings);
    if (result < 0) return fail(std::string("cannot start the ") + codec->name + " encoder", result);
    videoStream->time_base = video->time_base;
    videoStream->avg_frame_rate = video->framerate;
    result = avcodec_parameters_from_context(videoStream->codecpar, video);
    if (result < 0) return fail("cannot set up the video stream", result);

    picture = av_frame_alloc();
    if (!picture) return fail("out of memory", 0);
    picture->format = video->pix_fmt;
    picture->width = width;
    picture->height = height;
    result = av_frame_get_buffer(picture, 0);
    if (result < 0) return fail("cannot allocate a video frame", result);
    scaler = sws_getContext(width, height, AV_PIX_FMT_RGBA, width, height, AV_PIX_FMT_YUV420P,
                            SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr);
    if (!scaler) return fail("cannot set up the colour conversion", 0);
    return true;
}

bool Mp4Writer::openAudio(int sampleRate)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (!codec) return fail("libavcodec has no AAC encoder", 0);
    audioStream = avformat_new_stream(format, nullptr);
    audio = avcodec_alloc_context3(codec);
    if (!audioStream || !audio) return fail("out of memory", 0);
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->sample_rate = sampleRate;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&audio->ch_layout, &stereo);
    audio->bit_rate = 192000;
    audio->time_base = AVRational{1, sampleRate};
    audio->thread_count = 1;
    audio->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    int result = avcodec_open2(audio, codec, nullptr);
    if (result < 0) return fail(std::string("cannot start the ") + codec->name + " encoder", result);
    audioStream->time_base = audio->time_base;
    result = avcodec_parameters_from_context(audioStream->codecpar, audio);
    if (result < 0) return fail("cannot set up the audio stream", result);

    sound = av_frame_alloc();
    if (!sound) return fail("out of memory", 0);
    sound->format = audio->sample_fmt;
    sound->sample_rate = sampleRate;
    av_channel_layout_copy(&sound->ch_layout, &audio->ch_layout);
    sound->nb_samples = audio->frame_size > 0 ? audio->frame_size : 1024;
    result = av_frame_get_buffer(sound, 0);
    if (result < 0) return fail("cannot allocate an audio frame", result);
    return true;
}

bool Mp4Writer::open(const std::string& filePath, int frameWidth, int frameHeight, int fps, int sampleRate)
{
    path = filePath;
    width = frameWidth;
    height = frameHeight;
    int result = avformat_alloc_output_context2(&format, nullptr, "mp4", path.c_str());
    if (result < 0 || !format) return fail("cannot set up an MP4 file", result);
    av_log_set_level(AV_LOG_ERROR);  // the encoders' statistics are noise beside the capture's own lines
    format->flags |= AVFMT_FLAG_BITEXACT;
    if (!openVideo(fps) || !openAudio(sampleRate)) return false;
    packet = av_packet_alloc();
    if (!packet) return fail("out of memory", 0);
    result = avio_open(&format->pb, path.c_str(), AVIO_FLAG_WRITE);
    if (result < 0) return fail("cannot write '" + path + "'", result);
    result = avformat_write_header(format, nullptr);
    if (result < 0) return fail("cannot write the header of '" + path + "'", result);
    headerWritten = true;
    return true;
}

bool Mp4Writer::encode(AVCodecContext* codec, AVStream* stream, AVFrame* frame)
{
    int result = avcodec_send_frame(codec, frame);
    if (result < 0) return fail("the encoder refused a frame", result);
    for (;;) {
        result = avcodec_receive_packet(codec, packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
        if (result < 0) return fail("the encoder failed", result);
        av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
        packet->stream_index = stream->index;
        result = av_interleaved_write_frame(format, packet);
        if (result < 0) return fail("cannot write '" + path + "'", result);
    }
}

bool Mp4Writer::encodeAudioBlock(int sampleFrames)
{
    int result = av_frame_make_writable(sound);
    if (result < 0) return fail("cannot reuse the audio frame", result);
    sound->nb_samples = sampleFrames;
    std::memcpy(sound->data[0], pendingLeft.data(), sizeof(float) * sampleFrames);
    std::memcpy(sound->data[1], pendingRight.data(), sizeof(float) * sampleFrames);
    pendingLeft.erase(pendingLeft.begin(), pendingLeft.begin() + sampleFrames);
    pendingRight.erase(pendingRight.begin(), pendingRight.begin() + sampleFrames);
    sound->pts = audioSamples;
    audioSamples += sampleFrames;
    return encode(audio, audioStream, sound);
}

bool Mp4Writer::writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames)
{
    if (!headerWritten || finished) return fail("the MP4 file is not open", 0);
    int result = av_frame_make_writable(picture);
    if (result < 0) return fail("cannot reuse the video frame", result);
    const uint8_t* source[1] = {rgba};
    const int sourceStride[1] = {width * 4};
    sws_scale(scaler, source, sourceStride, 0, height, picture->data, picture->linesize);
    picture->pts = videoFrames++;
    if (!encode(video, videoStream, picture)) return false;

    for (int i = 0; i < sampleFrames; ++i) {
        pendingLeft.push_back(samples[i * 2] / 32768.0f);
        pendingRight.push_back(samples[i * 2 + 1] / 32768.0f);
    }
    int block = audio->frame_size > 0 ? audio->frame_size : 1024;
    while (static_cast<int>(pendingLeft.size()) >= block)
        if (!encodeAudioBlock(block)) return false;
    return true;
}

bool Mp4Writer::finish()
{
    if (!headerWritten || finished) return fail("the MP4 file is not open", 0);
    if (!pendingLeft.empty()) {
        // The last block may be short where the encoder allows it; otherwise it is padded with silence.
        int block = audio->frame_size > 0 ? audio->frame_size : 1024;
        int count = static_cast<int>(pendingLeft.size());
        if (!(audio->codec->capabilities & AV_CODEC_CAP_SMALL_LAST_FRAME)) {
            pendingLeft.resize(block, 0.0f);
            pendingRight.resize(block, 0.0f);
            count = block;
        }
        if (!encodeAudioBlock(count)) return false;
    }
    if (!encode(video, videoStream, nullptr) || !encode(audio, audioStream, nullptr)) return false;
    finished = true;
    int result = av_write_trailer(format);
    if (result < 0) return fail("cannot finish '" + path + "'", result);
    result = avio_closep(&format->pb);
    if (result < 0) return fail("cannot finish '" + path + "'", result);
    return true;
}
