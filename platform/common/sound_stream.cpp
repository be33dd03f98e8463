// SPDX-License-Identifier: MIT
// Stream decoding for the sound library stand-in: libsndfile reads WAV, FLAC, Ogg, Opus and MP3 from the
// caller's buffer (or a named file); frames are resampled linearly to the mix rate. Runs under the sound lock.
#include <sndfile.h>

#include <cmath>
#include <cstring>

#include "platform/common/sound_mixer.h"

namespace {

sf_count_t memoryLength(void* user) { return static_cast<StreamSource*>(user)->size; }

sf_count_t memorySeek(sf_count_t offset, int whence, void* user) {
    StreamSource* stream = static_cast<StreamSource*>(user);
    sf_count_t base = whence == SEEK_CUR ? stream->offset : whence == SEEK_END ? stream->size : 0;
    sf_count_t target = base + offset;
    if (target < 0 || target > stream->size) return -1;
    stream->offset = target;
    return target;
}

sf_count_t memoryRead(void* destination, sf_count_t count, void* user) {
    StreamSource* stream = static_cast<StreamSource*>(user);
    sf_count_t left = stream->size - stream->offset;
    if (count > left) count = left;
    if (count <= 0) return 0;
    std::memcpy(destination, stream->data + stream->offset, static_cast<size_t>(count));
    stream->offset += count;
    return count;
}

sf_count_t memoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t memoryTell(void* user) { return static_cast<StreamSource*>(user)->offset; }

SF_VIRTUAL_IO memoryIo = {memoryLength, memorySeek, memoryRead, memoryWrite, memoryTell};

const int chunkCapacity = 1024;

// The next source frame as left/right in -1..1; false once the stream has ended (and does not loop).
bool nextFrame(StreamSource& stream, float frame[2]) {
    if (stream.chunkUsed == stream.chunkFrames) {
        if (stream.ended) return false;
        sf_count_t got = sf_readf_short(stream.file, stream.chunk.data(), chunkCapacity);
        if (got <= 0 && stream.loop && stream.position > 0 && sf_seek(stream.file, 0, SEEK_SET) == 0) {
            stream.position = 0;
            got = sf_readf_short(stream.file, stream.chunk.data(), chunkCapacity);
        }
        if (got <= 0) {
            stream.ended = true;
            return false;
        }
        stream.chunkFrames = static_cast<int>(got);
        stream.chunkUsed = 0;
    }
    const short* source = stream.chunk.data() + static_cast<size_t>(stream.chunkUsed) * stream.channels;
    frame[0] = source[0] / 32768.0f;
    frame[1] = stream.channels > 1 ? source[1] / 32768.0f : frame[0];
    stream.chunkUsed++;
    stream.position++;
    return true;
}

}  // namespace

bool openStreamSource(StreamSource& stream, const char* name) {
    SF_INFO info;
    std::memset(&info, 0, sizeof info);
    stream.file = name ? sf_open(name, SFM_READ, &info) : sf_open_virtual(&memoryIo, SFM_READ, &info, &stream);
    if (!stream.file) return false;
    if (info.channels < 1 || info.samplerate < 1 || info.samplerate > 1000000) {
        sf_close(stream.file);
        stream.file = nullptr;
        return false;
    }
    // Float sources are scaled to full range when read as shorts.
    sf_command(stream.file, SFC_SET_SCALE_FLOAT_INT_READ, nullptr, SF_TRUE);
    stream.channels = info.channels;
    stream.rate = info.samplerate;
    stream.chunk.assign(static_cast<size_t>(chunkCapacity) * info.channels, 0);
    rewindStreamSource(stream);
    return true;
}

void closeStreamSource(StreamSource& stream) {
    if (stream.file) sf_close(stream.file);
    stream.file = nullptr;
}

void rewindStreamSource(StreamSource& stream) {
    sf_seek(stream.file, 0, SEEK_SET);
    stream.position = 0;
    stream.chunkFrames = 0;
    stream.chunkUsed = 0;
    stream.ended = false;
    stream.fraction = 0;
    // Prime the interpolator with the first frame.
    stream.previous[0] = stream.previous[1] = 0;
    if (!nextFrame(stream, stream.current)) stream.current[0] = stream.current[1] = 0;
    stream.previous[0] = stream.current[0];
    stream.previous[1] = stream.current[1];
    stream.position = 0;
}

bool mixStreamSource(StreamSource& stream, int32_t* mix, int frames, int outputRate, int volume) {
    const double step = static_cast<double>(stream.rate) / outputRate;
    for (int i = 0; i < frames; ++i) {
        while (stream.fraction >= 1) {
            stream.previous[0] = stream.current[0];
            stream.previous[1] = stream.current[1];
            if (!nextFrame(stream, stream.current)) return false;
            stream.fraction -= 1;
        }
        for (int c = 0; c < 2; ++c) {
            float value = stream.previous[c] + (stream.current[c] - stream.previous[c]) *
                                                   static_cast<float>(stream.fraction);
            mix[2 * i + c] += static_cast<int32_t>(std::lrint(value * 32767.0f * volume / 256.0f));
        }
        stream.fraction += step;
    }
    return true;
}
