// SPDX-License-Identifier: MIT
// The mixer of the sound library stand-in: renders every playing song and stream in steps of at most one tick
// and records, per step, where each source was, so position queries describe what is audible rather than
// what has been mixed ahead. Runs on whichever thread drives the output, always under the sound lock.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>

#include "platform/common/sound_mixer.h"

SoundState& soundState() {
    static SoundState state;
    return state;
}

SoundState::~SoundState() {
    uint32_t running = 0;
    {
        std::lock_guard<std::mutex> guard(lock);
        if (output == OUTPUT_DEVICE) running = device;
        output = OUTPUT_NONE;
    }
    closeDeviceOutput(running);
    for (auto& song : songs) openmpt_module_destroy(song->module);
    for (auto& stream : streams) closeStreamSource(*stream);
}

void MarkHistory::push(uint64_t end, int a, int b) {
    int slot = (first + count) % capacity;
    if (count == capacity) {
        first = (first + 1) % capacity;
    } else {
        count++;
    }
    marks[slot] = PositionMark{end, a, b};
}

bool MarkHistory::lookup(uint64_t audible, PositionMark& mark) const {
    if (count == 0) return false;
    // Marks are in order of `end`: find the last one not beyond `audible`, else the oldest.
    int low = 0, high = count;  // marks [0, low) end at or before `audible`, [high, count) after it
    while (low < high) {
        int middle = (low + high) / 2;
        if (marks[(first + middle) % capacity].end <= audible) {
            low = middle + 1;
        } else {
            high = middle;
        }
    }
    mark = marks[(first + (low > 0 ? low - 1 : 0)) % capacity];
    return true;
}

// A real-time output's moment moves on continuously, so a caller's few calls in a row are taken as one moment
// unless they lie further apart than a quarter of a second; the pull output's moment moves only when mixed.
uint64_t snapshotHoldFramesLocked(SoundState& state) {
    return state.output == OUTPUT_DEVICE ? static_cast<uint64_t>(state.rate / 4) : 0;
}

namespace {

// Longest step that stays within one tick of the song: XM and MOD ticks last 2.5 / tempo seconds.
int tickFrames(SongSource& song, int rate) {
    int tempo = openmpt_module_get_current_tempo(song.module);
    if (tempo < 1) tempo = 125;
    return std::max(1, rate * 5 / (2 * tempo));
}

const int maxStepFrames = 512;  // keeps stream times fine-grained and the scratch buffers small

}  // namespace

void mixLocked(SoundState& state, int16_t* samples, int frames) {
    int16_t songFrames[2 * maxStepFrames];
    int32_t mix[2 * maxStepFrames];
    int done = 0;
    while (done < frames) {
        int step = std::min(frames - done, maxStepFrames);
        for (auto& song : state.songs) {
            if (song->playing) step = std::min(step, tickFrames(*song, state.rate));
        }
        std::fill(mix, mix + 2 * step, 0);
        uint64_t end = state.mixed + step;
        for (auto& song : state.songs) {
            if (!song->playing) continue;
            size_t got = openmpt_module_read_interleaved_stereo(song->module, state.rate, step, songFrames);
            for (size_t i = 0; i < 2 * got; ++i) mix[i] += songFrames[i] * song->volume / 256;
            if (got < static_cast<size_t>(step)) song->playing = false;  // a song that ends despite looping
            song->marks.push(end, openmpt_module_get_current_order(song->module),
                             openmpt_module_get_current_row(song->module));
        }
        for (auto& stream : state.streams) {
            if (stream->channel < 0) continue;
            bool more = mixStreamSource(*stream, mix, step, state.rate, state.channelVolume[stream->channel]);
            int time = static_cast<int>(stream->position * 1000 / stream->rate);
            stream->marks.push(end, time, 0);
            if (!more) {
                state.channelStream[stream->channel] = nullptr;
                stream->channel = -1;
            }
        }
        for (int i = 0; i < 2 * step; ++i) {
            samples[2 * done + i] = static_cast<int16_t>(std::clamp(mix[i], -32768, 32767));
        }
        state.mixed = end;
        done += step;
    }
}
