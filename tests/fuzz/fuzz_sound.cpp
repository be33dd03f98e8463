// SPDX-License-Identifier: MIT
// Fuzz target: the sound library stand-in loads the bytes as a module song and as a stream from memory, mixes
// a little of each through the pull output and asks for positions, lengths and volumes.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/headless/pull_audio.h"
#include "platform/sound_api.h"

static void mix(int frames) {
    static int16_t samples[2 * 4096];
    while (frames > 0) {
        int step = frames < 4096 ? frames : 4096;
        mixPullAudio(samples, step);
        frames -= step;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool open = false;
    if (!open) {
        usePullAudio(true);
        open = FSOUND_Init(44100, 128, 0) != 0;
        if (!open) __builtin_trap();
    }
    // The library keeps the caller's buffer for as long as the song or stream lives.
    std::vector<unsigned char> file(data, data + size);
    int length = static_cast<int>(size);
    if (FMUSIC_MODULE* song = FMUSIC_LoadSongMemory(file.data(), length)) {
        FMUSIC_PlaySong(song);
        for (int round = 0; round < 3; ++round) {
            mix(3000);
            int order = FMUSIC_GetOrder(song);
            volatile int position = order * FMUSIC_GetPatternLength(song, order) + FMUSIC_GetRow(song);
            (void)position;
        }
        FMUSIC_GetPatternLength(song, -1);
        FMUSIC_GetPatternLength(song, 1 << 20);
        FMUSIC_SetMasterVolume(song, 300);
        if (FMUSIC_GetMasterVolume(song) != 256) __builtin_trap();
        mix(500);
        FMUSIC_FreeSong(song);
    }
    if (FSOUND_STREAM* stream = FSOUND_Stream_OpenFile(reinterpret_cast<const char*>(file.data()),
                                                       FSOUND_LOADMEMORY | FSOUND_LOOP_NORMAL, length)) {
        FSOUND_Stream_Play(0, stream);
        mix(3000);
        volatile int time = FSOUND_Stream_GetTime(stream);
        (void)time;
        FSOUND_SetVolume(0, -5);
        mix(3000);
        FSOUND_Stream_Close(stream);
    }
    FSOUND_GetError();
    return 0;
}
