// SPDX-License-Identifier: MIT
// The video file output through libavformat / libavcodec; see mp4_writer.h.
#include "tools/tav_capture/mp4_writer.h"

#include "tools/tav_capture/colour_conversion.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
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

static const AVCodec* findVideoEncoder(bool lossless)
{
    if (lossless) return avcodec_find_encoder(AV_CODEC_ID_FFV1);
    if (const AVCodec* x264 = avcodec_find_encoder_by_name("libx264")) return x264;
    if (const AVCodec* h264 = avcodec_find_encoder(AV_CODEC_ID_H264)) return h264;
    return avcodec_find_encoder(AV_CODEC_ID_MPEG4);
}

static bool offers(const AVCodec* codec, AVPixelFormat wanted)
{
    if (!codec->pix_fmts) return wanted == AV_PIX_FMT_YUV420P;
    for (const AVPixelFormat* f = codec->pix_fmts; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == wanted) return true;
    return false;
}

bool Mp4Writer::openVideo(int fps)
{
    const AVCodec* codec = findVideoEncoder(settings.lossless);
    if (!codec) return fail(settings.lossless ? "libavcodec has no FFV1 encoder" : "libavcodec has no H.264 or MPEG-4 encoder", 0);
    const AVPixelFormat pixels = settings.lossless ? AV_PIX_FMT_0RGB32
                                 : settings.fullChroma ? AV_PIX_FMT_YUV444P : AV_PIX_FMT_YUV420P;
    if (!offers(codec, pixels))
        return fail(std::string("the ") + codec->name + " encoder does not take " + av_get_pix_fmt_name(pixels), 0);
    videoStream = avformat_new_stream(format, nullptr);
    video = avcodec_alloc_context3(codec);
    if (!videoStream || !video) return fail("out of memory", 0);
    video->width = width;
    video->height = height;
    video->pix_fmt = pixels;
    video->time_base = AVRational{1, fps};
    video->framerate = AVRational{fps, 1};
    video->thread_count = 2;
    video->flags |= AV_CODEC_FLAG_BITEXACT;
    if (format->oformat->flags & AVFMT_GLOBALHEADER) video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    AVDictionary* options = nullptr;
    if (settings.lossless) {
        // Version 3 codes slices independently, so two threads give the same bytes as one; a key frame a
        // second keeps the file seekable.
        video->gop_size = std::max(1, fps);
        video->level = 3;
        video->colorspace = AVCOL_SPC_RGB;
        video->color_range = AVCOL_RANGE_JPEG;
        av_dict_set(&options, "slices", "4", 0);
        av_dict_set(&options, "slicecrc", "1", 0);
        av_dict_set(&options, "coder", "range_def", 0);
        av_dict_set(&options, "context", "1", 0);
    } else {
        video->gop_size = std::max(1, fps * 4);
        video->color_range = AVCOL_RANGE_MPEG;
        video->colorspace = AVCOL_SPC_SMPTE170M;  // libyuv's coefficients (BT.601)
        video->color_primaries = AVCOL_PRI_SMPTE170M;
        video->color_trc = AVCOL_TRC_SMPTE170M;
        video->chroma_sample_location = settings.fullChroma ? AVCHROMA_LOC_UNSPECIFIED : AVCHROMA_LOC_CENTER;
        if (std::strcmp(codec->name, "libx264") == 0) {
            av_dict_set(&options, "preset", settings.preset.c_str(), 0);
            av_dict_set(&options, "crf", settings.crf.c_str(), 0);
            av_dict_set(&options, "x264-params", "threads=2:lookahead-threads=1:sliced-threads=0", 0);
        } else {
            video->bit_rate = 8000000;
        }
    }
    int result = avcodec_open2(video, codec, &options);
    av_dict_free(&options);
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
    return true;
}

static const AVCodec* findAudioEncoder(const std::string& name)
{
    if (name == "flac") return avcodec_find_encoder(AV_CODEC_ID_FLAC);
    if (name == "pcm") return avcodec_find_encoder(AV_CODEC_ID_PCM_S16LE);
    return avcodec_find_encoder(AV_CODEC_ID_AAC);
}

bool Mp4Writer::openAudio(int sampleRate)
{
    const AVCodec* codec = findAudioEncoder(settings.audio);
    if (!codec) return fail("libavcodec has no " + settings.audio + " encoder", 0);
    if (avformat_query_codec(format->oformat, codec->id, FF_COMPLIANCE_NORMAL) != 1)
        return fail(std::string("a ") + (settings.matroska ? "Matroska" : "MP4") + " file cannot hold " +
                        codec->long_name + " audio", 0);
    audioStream = avformat_new_stream(format, nullptr);
    audio = avcodec_alloc_context3(codec);
    if (!audioStream || !audio) return fail("out of memory", 0);
    audio->sample_fmt = codec->id == AV_CODEC_ID_AAC ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    audio->sample_rate = sampleRate;
    AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
    av_channel_layout_copy(&audio->ch_layout, &stereo);
    if (codec->id == AV_CODEC_ID_AAC) audio->bit_rate = 192000;
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

bool Mp4Writer::open(const std::string& filePath, int pictureWidth, int pictureHeight, int fps, int sampleRate,
                     const VideoSettings& videoSettings)
{
    path = filePath;
    settings = videoSettings;
    sourceWidth = pictureWidth;
    sourceHeight = pictureHeight;
    width = settings.width > 0 ? settings.width : pictureWidth;
    height = settings.height > 0 ? settings.height : pictureHeight;
    if (width != sourceWidth || height != sourceHeight) {
        scaler = std::make_unique<FrameScaler>();
        if (!scaler->open(sourceWidth, sourceHeight, width, height, lastError)) return false;
    }
    const char* container = settings.matroska ? "matroska" : "mp4";
    int result = avformat_alloc_output_context2(&format, nullptr, container, path.c_str());
    if (result < 0 || !format)
        return fail(std::string("cannot set up ") + (settings.matroska ? "a Matroska" : "an MP4") + " file", result);
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
    if (sound->format == AV_SAMPLE_FMT_FLTP) {
        float* left = reinterpret_cast<float*>(sound->data[0]);
        float* right = reinterpret_cast<float*>(sound->data[1]);
        for (int i = 0; i < sampleFrames; ++i) {
            left[i] = pending[static_cast<size_t>(i) * 2] / 32768.0f;
            right[i] = pending[static_cast<size_t>(i) * 2 + 1] / 32768.0f;
        }
    } else {
        std::memcpy(sound->data[0], pending.data(), sizeof(short) * 2 * static_cast<size_t>(sampleFrames));
    }
    pending.erase(pending.begin(), pending.begin() + static_cast<std::ptrdiff_t>(sampleFrames) * 2);
    sound->pts = audioSamples;
    audioSamples += sampleFrames;
    return encode(audio, audioStream, sound);
}

bool Mp4Writer::prepareFrame(CaptureFrame& frame, std::string& error)
{
    const unsigned char* rgba = frame.rgba.data();
    thread_local std::vector<unsigned char> scaled;
    if (scaler) {
        if (!scaler->scale(rgba, scaled)) {
            error = "out of memory while scaling a frame";
            return false;
        }
        rgba = scaled.data();
    }
    if (settings.lossless)
        rgbaToBgrx(rgba, width, height, frame.encoded);
    else
        rgbaToYuv(rgba, width, height, settings.fullChroma, frame.encoded);
    return true;
}

bool Mp4Writer::writePrepared(const CaptureFrame& frame)
{
    if (!headerWritten || finished) return fail("the video file is not open", 0);
    int result = av_frame_make_writable(picture);
    if (result < 0) return fail("cannot reuse the video frame", result);
    const uint8_t* planes[4] = {};
    int strides[4] = {};
    av_image_fill_arrays(const_cast<uint8_t**>(planes), strides, frame.encoded.data(), video->pix_fmt, width, height, 1);
    av_image_copy(picture->data, picture->linesize, planes, strides, video->pix_fmt, width, height);
    picture->pts = videoFrames++;
    if (!encode(video, videoStream, picture)) return false;

    pending.insert(pending.end(), frame.samples.begin(), frame.samples.begin() + static_cast<std::ptrdiff_t>(frame.sampleFrames) * 2);
    const int block = audio->frame_size > 0 ? audio->frame_size : 1024;
    while (static_cast<int>(pending.size() / 2) >= block)
        if (!encodeAudioBlock(block)) return false;
    return true;
}

bool Mp4Writer::writeFrame(const unsigned char* rgba, const short* samples, int sampleFrames)
{
    // The same two steps as through the pipeline, so both give the same bytes.
    CaptureFrame frame;
    frame.rgba.assign(rgba, rgba + static_cast<size_t>(sourceWidth) * sourceHeight * 4);
    frame.samples.assign(samples, samples + static_cast<size_t>(sampleFrames) * 2);
    frame.sampleFrames = sampleFrames;
    std::string why;
    if (!prepareFrame(frame, why)) return fail(why, 0);
    return writePrepared(frame);
}

bool Mp4Writer::finish()
{
    if (!headerWritten || finished) return fail("the video file is not open", 0);
    if (!pending.empty()) {
        // The last block may be short where the encoder allows it; otherwise it is padded with silence.
        const int block = audio->frame_size > 0 ? audio->frame_size : 1024;
        int count = static_cast<int>(pending.size() / 2);
        const bool anySize = audio->frame_size == 0 || (audio->codec->capabilities &
                                                         (AV_CODEC_CAP_SMALL_LAST_FRAME | AV_CODEC_CAP_VARIABLE_FRAME_SIZE));
        if (!anySize) {
            pending.resize(static_cast<size_t>(block) * 2, 0);
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
