// SPDX-License-Identifier: MIT
// The soundtrack player over the sound library: the program-wide sound system, the stream channel table,
// the library's error texts and MusicTrack.
#include "audio/music_track.h"

#include <cstdlib>

#include "media/data_files.h"
#include "platform/win32_api.h"

bool soundSystemOpen = false;
int liveTrackCount = 0;
int streamChannelUsed[128];

namespace {

const int channelCount = 128;
const unsigned int streamFromMemoryLooping = 0x8002;

const char* const errorTexts[] = {
    "No errors",
    "Cannot call this command after FSOUND_Init.  Call FSOUND_Close first.",
    "This command failed because FSOUND_Init was not called",
    "Error initializing output device.",
    "The output device is already in use and cannot be reused.",
    "Playing the sound failed.",
    "Soundcard does not support the features needed for this soundsystem (16bit stereo output)",
    "Error setting cooperative level for hardware.",
    "Error creating hardware sound buffer.",
    "File not found",
    "Unknown file format",
    "Error loading file",
    "Not enough memory ",
    "The version number of this file format is not supported",
    "An invalid parameter was passed to this function",
    "Tried to use an EAX command on a non EAX enabled channel or output.",
    "Tried to use an advanced EAX2 command on a non EAX2 enabled channel or output.",
    "Failed to allocate a new channel",
    "Recording not supported on this device",
    "Required Mediaplayer codec is not installed",
};

}  // namespace

const char* soundErrorText(int code) {
    unsigned int index = static_cast<unsigned int>(code);
    if (index >= sizeof errorTexts / sizeof errorTexts[0]) return "Unknown error";
    return errorTexts[index];
}

bool openSoundSystem() {
    if (soundSystemOpen) return true;
    for (int i = 0; i < channelCount; ++i) streamChannelUsed[i] = 0;
    HWND window = GetForegroundWindow();
    FSOUND_SetBufferSize(200);
    FSOUND_SetOutput(2);
    FSOUND_SetDriver(0);
    FSOUND_SetMixer(4);
    FSOUND_SetHWND(window);
    if (!FSOUND_Init(44100, channelCount, 0)) {
        MessageBoxA(window, soundErrorText(FSOUND_GetError()), "FSOUND", MB_OK | MB_ICONERROR | MB_SYSTEMMODAL);
        return false;
    }
    soundSystemOpen = true;
    return true;
}

MusicTrack::MusicTrack() : song(nullptr), stream(nullptr), channel(-1), fileData(nullptr), isStream(0) {
    liveTrackCount++;
    openSoundSystem();
}

MusicTrack::~MusicTrack() { release(); }

// Frees what the track holds without its count step.
static void freeHeld(MusicTrack& track) {
    if (track.song) {
        FMUSIC_FreeSong(track.song);
        track.song = nullptr;
    }
    if (track.stream) {
        FSOUND_Stream_Close(track.stream);
        track.stream = nullptr;
    }
    if (track.fileData) {
        std::free(track.fileData);
        track.fileData = nullptr;
    }
    // The entry is forgotten along with it, so a later release cannot free a channel another track took.
    if (track.channel != -1) {
        streamChannelUsed[track.channel] = 0;
        track.channel = -1;
    }
}

bool MusicTrack::load(const char* path, int asStream) {
    // A second load replaces what the track held instead of leaking it.
    freeHeld(*this);
    isStream = asStream;
    // The length comes with the buffer itself, so the library is never told more bytes than were read.
    int length = 0;
    fileData = loadWholeFile(path, &length);
    if (!fileData) return false;
    if (asStream == 0) {
        song = FMUSIC_LoadSongMemory(fileData, length);
        return song != nullptr;
    }
    stream = FSOUND_Stream_OpenFile(reinterpret_cast<const char*>(fileData), streamFromMemoryLooping, length);
    return stream != nullptr;
}

int MusicTrack::play() {
    if (song) return FMUSIC_PlaySong(song);
    if (!stream) return 0;
    if (channel != -1) streamChannelUsed[channel] = 0;
    channel = -1;
    for (int i = 0; i < channelCount; ++i) {
        if (streamChannelUsed[i] == 0) {
            channel = i;
            break;
        }
    }
    if (channel == -1) return -1;
    streamChannelUsed[channel] = 1;
    return FSOUND_Stream_Play(channel, stream);
}

int MusicTrack::setVolume(int volume) {
    if (song) {
        FMUSIC_SetMasterVolume(song, volume);
    } else if (stream) {
        FSOUND_SetVolume(channel, volume);
    }
    return 0;
}

int MusicTrack::getVolume() {
    if (song) return FMUSIC_GetMasterVolume(song);
    if (stream) return FSOUND_GetVolume(channel);
    return 0;
}

int MusicTrack::getPosition() {
    if (song) {
        int order = FMUSIC_GetOrder(song);
        int row = FMUSIC_GetRow(song);
        int rows = FMUSIC_GetPatternLength(song, order);
        return order * rows + row;
    }
    if (stream) return FSOUND_Stream_GetTime(stream);
    return 0;
}

void MusicTrack::release() {
    freeHeld(*this);
    if (liveTrackCount == 0) {
        FSOUND_Close();
    } else {
        liveTrackCount--;
        if (liveTrackCount == 0) FSOUND_Close();
    }
}
