// SPDX-License-Identifier: MIT
// The sound library calls the music player makes (FSOUND for the system and streams, FMUSIC for module songs),
// with the library's names. Implemented in platform/common over libopenmpt (songs) and libsndfile (streams).
#pragma once

#include "platform/win32_api.h"

// Opaque handles: the program only stores and passes them.
struct FMUSIC_MODULE;
struct FSOUND_STREAM;

// Error codes reported by FSOUND_GetError.
enum {
    FMOD_ERR_NONE = 0,
    FMOD_ERR_BUSY = 1,            // the call is not allowed after FSOUND_Init
    FMOD_ERR_UNINITIALIZED = 2,   // the call needs FSOUND_Init first
    FMOD_ERR_INIT = 3,            // no output could be started
    FMOD_ERR_ALLOCATED = 4,
    FMOD_ERR_PLAY = 5,
    FMOD_ERR_OUTPUT_FORMAT = 6,
    FMOD_ERR_COOPERATIVELEVEL = 7,
    FMOD_ERR_CREATEBUFFER = 8,
    FMOD_ERR_FILE_NOTFOUND = 9,
    FMOD_ERR_FILE_FORMAT = 10,    // neither a module nor a stream format that can be read
    FMOD_ERR_FILE_BAD = 11,
    FMOD_ERR_MEMORY = 12,
    FMOD_ERR_VERSION = 13,
    FMOD_ERR_INVALID_PARAM = 14,  // unknown handle, channel out of range, null buffer
    FMOD_ERR_NO_EAX = 15,
    FMOD_ERR_NO_EAX2 = 16,
    FMOD_ERR_CHANNEL_ALLOC = 17,
    FMOD_ERR_RECORD = 18,
    FMOD_ERR_MEDIAPLAYER = 19
};

// Stream mode bits.
#define FSOUND_LOOP_NORMAL 0x00000002u   // the stream starts again at its end
#define FSOUND_LOADMEMORY  0x00008000u   // the "file name" is the caller's buffer, the length its size

// Volumes run from 0 (silent) to 256 (full, the volume of a new song or stream), linear; values outside are
// clamped. Setup calls return non-zero on success; they are refused after FSOUND_Init.
int FSOUND_SetBufferSize(int milliseconds);
int FSOUND_SetOutput(int outputType);
int FSOUND_SetDriver(int driver);
int FSOUND_SetMixer(int mixer);
int FSOUND_SetHWND(HWND window);
// Starts the output mixing 16-bit stereo at mixRate; non-zero when the sound system is ready.
int FSOUND_Init(int mixRate, int maxChannels, unsigned int flags);
int FSOUND_GetError();
// Stops the output. Handles stay valid; loading or playing later re-opens the output with the last settings.
void FSOUND_Close();

// A module song from the caller's buffer (the buffer must outlive the song); null on failure.
FMUSIC_MODULE* FMUSIC_LoadSongMemory(void* data, int length);
int FMUSIC_PlaySong(FMUSIC_MODULE* song);
int FMUSIC_FreeSong(FMUSIC_MODULE* song);
int FMUSIC_SetMasterVolume(FMUSIC_MODULE* song, int volume);
int FMUSIC_GetMasterVolume(FMUSIC_MODULE* song);
// The order, row and pattern length of what is audible now (order and row always from the same moment).
int FMUSIC_GetOrder(FMUSIC_MODULE* song);
int FMUSIC_GetRow(FMUSIC_MODULE* song);
int FMUSIC_GetPatternLength(FMUSIC_MODULE* song, int order);

// A stream. With FSOUND_LOADMEMORY in mode, nameOrData is the caller's buffer (it must outlive the stream)
// and length its size in bytes; null on failure.
FSOUND_STREAM* FSOUND_Stream_OpenFile(const char* nameOrData, unsigned int mode, int length);
// Plays the stream from its start on channel (0 .. maxChannels-1); returns the channel, -1 on failure.
int FSOUND_Stream_Play(int channel, FSOUND_STREAM* stream);
// The audible play time within the stream, in milliseconds.
int FSOUND_Stream_GetTime(FSOUND_STREAM* stream);
int FSOUND_Stream_Close(FSOUND_STREAM* stream);
int FSOUND_SetVolume(int channel, int volume);
int FSOUND_GetVolume(int channel);
