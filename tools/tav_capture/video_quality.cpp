// SPDX-License-Identifier: MIT
// Decoding a capture again and measuring it against its PNG frames; see video_quality.h.
#include "tools/tav_capture/video_quality.h"

#include "tools/tav_capture/png_wav_output.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavformat/avformat.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

std::string avText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

// Everything one decode holds, freed however it ends.
struct Decoder {
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwsContext* toRgb = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    ~Decoder()
    {
        av_frame_free(&frame);
        av_packet_free(&packet);
        sws_freeContext(toRgb);
        avcodec_free_context(&codec);
        avformat_close_input(&format);
    }
};

}  // namespace

bool decodeVideoRgb(const std::string& videoPath,
                    const std::function<bool(int, const unsigned char*, int, int)>& each, VideoFacts& facts,
                    std::string& error)
{
    Decoder d;
    int result = avformat_open_input(&d.format, videoPath.c_str(), nullptr, nullptr);
    if (result < 0) {
        error = "cannot open '" + videoPath + "': " + avText(result);
        return false;
    }
    avformat_find_stream_info(d.format, nullptr);
    const int index = av_find_best_stream(d.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    const AVCodec* codec = index >= 0 ? avcodec_find_decoder(d.format->streams[index]->codecpar->codec_id) : nullptr;
    if (!codec || !(d.codec = avcodec_alloc_context3(codec)) ||
        avcodec_parameters_to_context(d.codec, d.format->streams[index]->codecpar) < 0 ||
        avcodec_open2(d.codec, codec, nullptr) < 0 || !d.packet || !d.frame) {
        error = "'" + videoPath + "' has no video stream that libavcodec decodes";
        return false;
    }
    d.codec->thread_count = 2;
    facts = VideoFacts();
    facts.codec = codec->name;
    const char* pixels = av_get_pix_fmt_name(d.codec->pix_fmt);
    facts.pixelFormat = pixels ? pixels : "";
    facts.width = d.codec->width;
    facts.height = d.codec->height;
    std::vector<unsigned char> rgb(static_cast<size_t>(facts.width) * facts.height * 3);

    bool stopped = false;
    auto drain = [&] {
        while (!stopped && avcodec_receive_frame(d.codec, d.frame) == 0) {
            if (d.frame->width != facts.width || d.frame->height != facts.height) {
                error = "the frame size changes inside '" + videoPath + "'";
                stopped = true;
                break;
            }
            // Exact arithmetic, and the BT.601 video-range matrix the capture encodes with.
            d.toRgb = sws_getCachedContext(d.toRgb, facts.width, facts.height,
                                           static_cast<AVPixelFormat>(d.frame->format), facts.width, facts.height,
                                           AV_PIX_FMT_RGB24,
                                           SWS_BICUBIC | SWS_ACCURATE_RND | SWS_BITEXACT | SWS_FULL_CHR_H_INT,
                                           nullptr, nullptr, nullptr);
            uint8_t* target[1] = {rgb.data()};
            const int stride[1] = {facts.width * 3};
            if (!d.toRgb || sws_scale(d.toRgb, d.frame->data, d.frame->linesize, 0, facts.height, target, stride) <= 0) {
                error = "cannot turn the frames of '" + videoPath + "' into RGB";
                stopped = true;
                break;
            }
            if (!each(facts.frames, rgb.data(), facts.width, facts.height)) stopped = true;
            ++facts.frames;
        }
    };
    while (!stopped && av_read_frame(d.format, d.packet) >= 0) {
        if (d.packet->stream_index == index && avcodec_send_packet(d.codec, d.packet) >= 0) drain();
        av_packet_unref(d.packet);
    }
    if (!stopped) {
        avcodec_send_packet(d.codec, nullptr);
        drain();
    }
    return !stopped;
}

namespace {

bool readPngRgb(const std::string& path, int width, int height, std::vector<unsigned char>& rgb)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    if (static_cast<int>(image.width) != width || static_cast<int>(image.height) != height) {
        png_image_free(&image);
        return false;
    }
    rgb.resize(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) != 0;
}

// psnr and ssim in one graph: the decoded frame is "main", the PNG frame "ref"; both filters leave their
// figures in the frame's metadata.
struct QualityGraph {
    AVFilterGraph* graph = avfilter_graph_alloc();
    AVFilterContext* main = nullptr;
    AVFilterContext* ref = nullptr;
    AVFilterContext* sink = nullptr;
    AVFrame* frame = av_frame_alloc();
    ~QualityGraph()
    {
        av_frame_free(&frame);
        avfilter_graph_free(&graph);
    }

    bool open(int width, int height, std::string& error)
    {
        char source[160];
        std::snprintf(source, sizeof source, "video_size=%dx%d:pix_fmt=%d:time_base=1/60:pixel_aspect=1/1", width,
                      height, static_cast<int>(AV_PIX_FMT_RGB24));
        const AVFilter* buffer = avfilter_get_by_name("buffer");
        const AVFilter* buffersink = avfilter_get_by_name("buffersink");
        if (!graph || !frame || !buffer || !buffersink ||
            avfilter_graph_create_filter(&main, buffer, "main", source, nullptr, graph) < 0 ||
            avfilter_graph_create_filter(&ref, buffer, "ref", source, nullptr, graph) < 0 ||
            avfilter_graph_create_filter(&sink, buffersink, "out", nullptr, nullptr, graph) < 0) {
            error = "libavfilter cannot set up its buffers";
            return false;
        }
        AVFilterInOut* outputs = avfilter_inout_alloc();
        AVFilterInOut* second = avfilter_inout_alloc();
        AVFilterInOut* inputs = avfilter_inout_alloc();
        int result = AVERROR(ENOMEM);
        if (outputs && second && inputs) {
            outputs->name = av_strdup("main");
            outputs->filter_ctx = main;
            outputs->next = second;
            second->name = av_strdup("ref");
            second->filter_ctx = ref;
            inputs->name = av_strdup("out");
            inputs->filter_ctx = sink;
            second = nullptr;
            // Both compare in planar RGB, which both filters take.
            result = avfilter_graph_parse_ptr(graph,
                                              "[main]format=gbrp[m];[ref]format=gbrp,split[r1][r2];"
                                              "[m][r1]psnr[p];[p][r2]ssim[out]",
                                              &inputs, &outputs, nullptr);
            if (result >= 0) result = avfilter_graph_config(graph, nullptr);
        }
        avfilter_inout_free(&inputs);
        avfilter_inout_free(&outputs);
        avfilter_inout_free(&second);
        if (result < 0) {
            error = "libavfilter has no psnr and ssim filters: " + avText(result);
            return false;
        }
        return true;
    }

    bool push(AVFilterContext* source, const unsigned char* rgb, int width, int height, int64_t pts)
    {
        AVFrame* picture = av_frame_alloc();
        if (!picture) return false;
        picture->format = AV_PIX_FMT_RGB24;
        picture->width = width;
        picture->height = height;
        picture->pts = pts;
        bool ok = av_frame_get_buffer(picture, 0) >= 0;
        for (int y = 0; ok && y < height; ++y)
            std::memcpy(picture->data[0] + static_cast<size_t>(y) * picture->linesize[0],
                        rgb + static_cast<size_t>(y) * width * 3, static_cast<size_t>(width) * 3);
        ok = ok && av_buffersrc_add_frame_flags(source, picture, AV_BUFFERSRC_FLAG_KEEP_REF) >= 0;
        av_frame_free(&picture);
        return ok;
    }

    static double figure(const AVFrame* frame, const char* key)
    {
        const AVDictionaryEntry* entry = av_dict_get(frame->metadata, key, nullptr, 0);
        return entry ? std::strtod(entry->value, nullptr) : 0.0;
    }

    void collect(std::vector<FrameQuality>& frames)
    {
        while (av_buffersink_get_frame(sink, frame) >= 0) {
            FrameQuality quality;
            quality.psnr = figure(frame, "lavfi.psnr.psnr_avg");
            quality.ssim = figure(frame, "lavfi.ssim.All");
            frames.push_back(quality);
            av_frame_unref(frame);
        }
    }
};

}  // namespace

bool measureVideoQuality(const std::string& videoPath, const std::string& pngDir, std::vector<FrameQuality>& frames,
                         std::string& error)
{
    frames.clear();
    av_log_set_level(AV_LOG_ERROR);  // the filters' closing summaries are noise beside the caller's figures
    std::unique_ptr<QualityGraph> graph;
    std::vector<unsigned char> reference;
    VideoFacts facts;
    const bool decoded = decodeVideoRgb(
        videoPath,
        [&](int frame, const unsigned char* rgb, int width, int height) {
            if (!graph) {
                graph = std::make_unique<QualityGraph>();
                if (!graph->open(width, height, error)) return false;
            }
            const std::string png = PngWavOutput::framePath(pngDir, static_cast<unsigned long long>(frame));
            if (!readPngRgb(png, width, height, reference)) {
                error = "no PNG frame " + png + " of " + std::to_string(width) + " x " + std::to_string(height);
                return false;
            }
            if (!graph->push(graph->main, rgb, width, height, frame) ||
                !graph->push(graph->ref, reference.data(), width, height, frame)) {
                error = "libavfilter refused a frame";
                return false;
            }
            graph->collect(frames);
            return true;
        },
        facts, error);
    if (!decoded) return false;
    if (!graph) {
        error = "'" + videoPath + "' has no frames";
        return false;
    }
    if (av_buffersrc_add_frame(graph->main, nullptr) < 0 || av_buffersrc_add_frame(graph->ref, nullptr) < 0) {
        error = "libavfilter refused the end of the frames";
        return false;
    }
    graph->collect(frames);
    if (static_cast<int>(frames.size()) != facts.frames) {
        error = "libavfilter measured " + std::to_string(frames.size()) + " of " + std::to_string(facts.frames) +
                " frames";
        return false;
    }
    return true;
}
