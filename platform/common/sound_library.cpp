// SPDX-License-Identifier: MIT
// The FSOUND/FMUSIC calls the music player makes, over libopenmpt (module songs) and libsndfile (streams).
// Called on the program's thread; the output's thread mixes concurrently, so every call takes the sound lock.
#include <libopenmpt/libopenmpt.h>

#include <algorithm>
#include <cstdio>

#include "platform/common/sound_mixer.h"
#include "platform/sound_api.h"

namespace {

typedef std::lock_guard<std::mutex> Guard;

int fail(SoundState& state, int code) {
    state.error = code;
    return 0;
}

int clampVolume(int volume) { return std::clamp(volume, 0, 256); }

// Starts the output chosen for this machine: the pull output when the host asked for it, else the audio device.
bool openOutput(SoundState& state) {
    if (state.pullChosen) {
        state.output = OUTPUT_PULL;
        return true;
    }
    if (!openDeviceOutput(state)) return false;
    state.output = OUTPUT_DEVICE;
    return true;
}

// Loading and playing after FSOUND_Close re-open the output with the settings of the last FSOUND_Init.
bool ensureOpen(SoundState& state) {
    if (state.output != OUTPUT_NONE) return true;
    if (!state.initialisedOnce) return fail(state, FMOD_ERR_UNINITIALIZED);
    if (!openOutput(state)) return fail(state, FMOD_ERR_INIT);
    return true;
}

SongSource* findSong(SoundState& state, FMUSIC_MODULE* handle) {
    for (auto& song : state.songs) {
        if (reinterpret_cast<FMUSIC_MODULE*>(song.get()) == handle) return song.get();
    }
    state.error = FMOD_ERR_INVALID_PARAM;
    return nullptr;
}

StreamSource* findStream(SoundState& state, FSOUND_STREAM* handle) {
    for (auto& stream : state.streams) {
        if (reinterpret_cast<FSOUND_STREAM*>(stream.get()) == handle) return stream.get();
    }
    state.error = FMOD_ERR_INVALID_PARAM;
    return nullptr;
}

bool validChannel(SoundState& state, int channel) {
    if (channel >= 0 && channel < state.maxChannels) return true;
    state.error = FMOD_ERR_INVALID_PARAM;
    return false;
}

void stopStream(SoundState& state, StreamSource& stream) {
    if (stream.channel >= 0) state.channelStream[stream.channel] = nullptr;
    stream.channel = -1;
}

// The mark of the step audible now, or the source's present state when nothing of it has been mixed.
PositionMark songMark(SongSource& song, uint64_t audible) {
    PositionMark mark;
    if (!song.marks.lookup(audible, mark)) {
        mark = PositionMark{0, openmpt_module_get_current_order(song.module),
                            openmpt_module_get_current_row(song.module)};
    }
    return mark;
}

// The moment that answers `answered` (order or row). A field already answered from the snapshot starts a new
// one: the caller has begun its next set of calls. A snapshot the audible moment has moved on from is brought
// up to date but keeps the fields it answered, so a set interrupted for that long still ends with it and the
// caller's next set starts afresh instead of pairing one set's row with the next set's order ever after.
const PositionMark& songMoment(SoundState& state, SongSource& song, bool MomentSnapshot::*answered) {
    MomentSnapshot& moment = song.moment;
    uint64_t audible = audibleFrameLocked(state);
    uint64_t moved = audible > moment.audible ? audible - moment.audible : moment.audible - audible;
    if (!moment.taken || moment.*answered) {
        moment = MomentSnapshot();
    }
    if (!moment.taken || moved > snapshotHoldFramesLocked(state)) {
        moment.taken = true;
        moment.audible = audible;
        moment.mark = songMark(song, audible);
    }
    moment.*answered = true;
    return moment.mark;
}

// Setup calls are refused while the output runs.
int setup(int& field, int value) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (state.output != OUTPUT_NONE) return fail(state, FMOD_ERR_BUSY);
    field = value;
    return 1;
}

}  // namespace

int FSOUND_SetBufferSize(int milliseconds) {
    if (milliseconds < 1 || milliseconds > 2000) {
        SoundState& state = soundState();
        Guard guard(state.lock);
        return fail(state, FMOD_ERR_INVALID_PARAM);
    }
    return setup(soundState().bufferMs, milliseconds);
}

int FSOUND_SetOutput(int outputType) { return setup(soundState().outputType, outputType); }
int FSOUND_SetDriver(int driver) { return setup(soundState().driver, driver); }
int FSOUND_SetMixer(int mixer) { return setup(soundState().mixer, mixer); }

int FSOUND_SetHWND(HWND window) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (state.output != OUTPUT_NONE) return fail(state, FMOD_ERR_BUSY);
    state.window = window;
    return 1;
}

int FSOUND_Init(int mixRate, int maxChannels, unsigned int flags) {
    (void)flags;
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (state.output != OUTPUT_NONE) return fail(state, FMOD_ERR_BUSY);
    if (mixRate < 4000 || mixRate > 192000 || maxChannels < 0 || maxChannels > 1024) {
        return fail(state, FMOD_ERR_INVALID_PARAM);
    }
    if (state.failInitCode != 0 && state.failInitCount != 0) {
        if (state.failInitCount > 0) state.failInitCount--;
        return fail(state, state.failInitCode);
    }
    state.rate = mixRate;
    if (!openOutput(state)) return fail(state, FMOD_ERR_INIT);
    state.maxChannels = maxChannels;
    state.channelVolume.assign(maxChannels, 256);
    state.channelStream.assign(maxChannels, nullptr);
    state.initialisedOnce = true;
    state.error = FMOD_ERR_NONE;
    return 1;
}

int FSOUND_GetError() {
    SoundState& state = soundState();
    Guard guard(state.lock);
    return state.error;
}

void FSOUND_Close() {
    SoundState& state = soundState();
    uint32_t device = 0;
    {
        Guard guard(state.lock);
        if (state.output == OUTPUT_DEVICE) device = state.device;
        // What was mixed ahead of the sound heard is lost with the output: a song played again resumes at the
        // row heard last rather than a buffer further on.
        uint64_t audible = audibleFrameLocked(state);
        for (auto& song : state.songs) {
            if (!song->playing) continue;
            PositionMark mark;
            if (song->marks.lookup(audible, mark)) openmpt_module_set_position_order_row(song->module, mark.a, mark.b);
        }
        state.output = OUTPUT_NONE;
        state.device = 0;
        // Everything stops; the handles stay valid until they are freed.
        for (auto& song : state.songs) song->playing = false;
        for (auto& stream : state.streams) stopStream(state, *stream);
    }
    closeDeviceOutput(device);
}

FMUSIC_MODULE* FMUSIC_LoadSongMemory(void* data, int length) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (!data || length <= 0) {
        fail(state, FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    if (!ensureOpen(state)) return nullptr;
    openmpt_module* module = openmpt_module_create_from_memory2(
        data, static_cast<size_t>(length), openmpt_log_func_silent, nullptr, openmpt_error_func_ignore,
        nullptr, nullptr, nullptr, nullptr);
    if (!module) {
        fail(state, FMOD_ERR_FILE_FORMAT);
        return nullptr;
    }
    // Loop like a tracker at the song's end; no dither, so a mix is a pure function of the module.
    openmpt_module_set_repeat_count(module, -1);
    openmpt_module_ctl_set_integer(module, "dither", 0);
    auto song = std::make_unique<SongSource>();
    song->module = module;
    int orders = openmpt_module_get_num_orders(module);
    for (int order = 0; order < orders; ++order) {
        int pattern = openmpt_module_get_order_pattern(module, order);
        song->patternRows.push_back(std::max(0, openmpt_module_get_pattern_num_rows(module, pattern)));
    }
    FMUSIC_MODULE* handle = reinterpret_cast<FMUSIC_MODULE*>(song.get());
    state.songs.push_back(std::move(song));
    return handle;
}

int FMUSIC_PlaySong(FMUSIC_MODULE* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    if (!song || !ensureOpen(state)) return 0;
    if (!song->playing) {
        song->playing = true;
        song->moment = MomentSnapshot();
        song->marks.push(state.mixed, openmpt_module_get_current_order(song->module),
                         openmpt_module_get_current_row(song->module));
    }
    return 1;
}

int FMUSIC_FreeSong(FMUSIC_MODULE* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    if (!song) return 0;
    openmpt_module_destroy(song->module);
    state.songs.erase(std::find_if(state.songs.begin(), state.songs.end(),
                                   [song](const std::unique_ptr<SongSource>& s) { return s.get() == song; }));
    return 1;
}

int FMUSIC_SetMasterVolume(FMUSIC_MODULE* handle, int volume) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    if (!song) return 0;
    song->volume = clampVolume(volume);
    return 1;
}

int FMUSIC_GetMasterVolume(FMUSIC_MODULE* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    return song ? song->volume : 0;
}

int FMUSIC_GetOrder(FMUSIC_MODULE* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    return song ? songMoment(state, *song, &MomentSnapshot::orderAnswered).a : 0;
}

int FMUSIC_GetRow(FMUSIC_MODULE* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    return song ? songMoment(state, *song, &MomentSnapshot::rowAnswered).b : 0;
}

int FMUSIC_GetPatternLength(FMUSIC_MODULE* handle, int order) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    SongSource* song = findSong(state, handle);
    if (!song) return 0;
    if (order < 0 || order >= static_cast<int>(song->patternRows.size())) return fail(state, FMOD_ERR_INVALID_PARAM);
    return song->patternRows[order];
}

FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* nameOrData, unsigned int mode, int length) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    bool fromMemory = (mode & FSOUND_LOADMEMORY) != 0;
    if (!nameOrData || (fromMemory && length <= 0)) {
        fail(state, FMOD_ERR_INVALID_PARAM);
        return nullptr;
    }
    if (!ensureOpen(state)) return nullptr;
    auto stream = std::make_unique<StreamSource>();
    stream->loop = (mode & FSOUND_LOOP_NORMAL) != 0;
    if (fromMemory) {
        stream->data = reinterpret_cast<const unsigned char*>(nameOrData);
        stream->size = length;
    } else if (FILE* file = std::fopen(nameOrData, "rb")) {
        std::fclose(file);
    } else {
        fail(state, FMOD_ERR_FILE_NOTFOUND);
        return nullptr;
    }
    if (!openStreamSource(*stream, fromMemory ? nullptr : nameOrData)) {
        fail(state, FMOD_ERR_FILE_FORMAT);
        return nullptr;
    }
    FSOUND_STREAM* handle = reinterpret_cast<FSOUND_STREAM*>(stream.get());
    state.streams.push_back(std::move(stream));
    return handle;
}

int FSOUND_Stream_Play(int channel, FSOUND_STREAM* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    StreamSource* stream = findStream(state, handle);
    if (!stream || !ensureOpen(state) || !validChannel(state, channel)) return -1;
    stopStream(state, *stream);
    if (StreamSource* previous = state.channelStream[channel]) stopStream(state, *previous);
    rewindStreamSource(*stream);
    stream->marks.clear();
    stream->marks.push(state.mixed, 0, 0);
    stream->channel = channel;
    state.channelStream[channel] = stream;
    state.channelVolume[channel] = 256;
    return channel;
}

int FSOUND_Stream_GetTime(FSOUND_STREAM* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    StreamSource* stream = findStream(state, handle);
    if (!stream) return 0;
    PositionMark mark;
    if (!stream->marks.lookup(audibleFrameLocked(state), mark)) return 0;
    return mark.a;
}

int FSOUND_Stream_Close(FSOUND_STREAM* handle) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    StreamSource* stream = findStream(state, handle);
    if (!stream) return 0;
    stopStream(state, *stream);
    closeStreamSource(*stream);
    state.streams.erase(std::find_if(state.streams.begin(), state.streams.end(),
                                     [stream](const std::unique_ptr<StreamSource>& s) { return s.get() == stream; }));
    return 1;
}

int FSOUND_SetVolume(int channel, int volume) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (!validChannel(state, channel)) return 0;
    state.channelVolume[channel] = clampVolume(volume);
    return 1;
}

int FSOUND_GetVolume(int channel) {
    SoundState& state = soundState();
    Guard guard(state.lock);
    if (!validChannel(state, channel)) return 0;
    return state.channelVolume[channel];
}
