// SPDX-License-Identifier: MIT
// The soundtrack player: one module song or one stream, read whole into memory, and the music position.
#pragma once

#include "platform/sound_api.h"

class MusicTrack {
public:
    FMUSIC_MODULE* song;       // null when none
    FSOUND_STREAM* stream;     // null when none
    int channel;               // stream channel taken by play, -1 when none
    unsigned char* fileData;   // the whole file (malloc), kept until after the song or stream is freed
    int isStream;              // 0: module song, else stream; set by load

    MusicTrack();
    ~MusicTrack();
    MusicTrack(const MusicTrack&) = delete;
    MusicTrack& operator=(const MusicTrack&) = delete;

    bool load(const char* path, int asStream);
    int play();
    int setVolume(int volume);
    int getVolume();
    // Order x rows of the pattern at that order + row for a song, the play time for a stream, 0 when empty.
    int getPosition();
    void release();
};

extern bool soundSystemOpen;          // set once the library has been initialised; never cleared
extern int liveTrackCount;            // tracks constructed and not yet released
extern int streamChannelUsed[128];    // 1 where a stream of ours holds the channel

bool openSoundSystem();
const char* soundErrorText(int code);
