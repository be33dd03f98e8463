// SPDX-License-Identifier: MIT
// Shared state of the sound library stand-in: the songs and streams, the mixer and the output in use.
// Every field is guarded by `lock`: the output's thread (if any) mixes under it, the program's calls read under it.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32_api.h"

struct openmpt_module;
struct sf_private_tag;

// What a source reported after each mixing step, so a query can look up the step that is audible now.
struct PositionMark {
    uint64_t end;  // global frame count once the step was mixed
    int a;         // song: order; stream: play time in milliseconds
    int b;         // song: row
};

class MarkHistory {
public:
    void clear() { count = 0; }
    void push(uint64_t end, int a, int b);
    // The latest step completely audible at `audible` frames, or the oldest one kept; false when empty.
    bool lookup(uint64_t audible, PositionMark& mark) const;

private:
    // Steps are at most 512 frames: 4096 marks cover 10.9 s at 192 kHz, beyond the longest queue an output may
    // hold (a 2 s buffer and the device's own delay, or the frames a lost device never played).
    static const int capacity = 4096;
    PositionMark marks[capacity];
    int first = 0;
    int count = 0;
};

// One audible moment of a song, so that a caller's order, row and pattern length calls describe the same
// moment even when the clock crosses a row boundary between them. Each field is answered from it once; asking
// for a field again starts a new one (see songMoment in sound_library.cpp).
struct MomentSnapshot {
    bool taken = false;
    uint64_t audible = 0;  // the audible frame it was taken at
    PositionMark mark;
    bool orderAnswered = false;
    bool rowAnswered = false;
};

struct SongSource {
    openmpt_module* module = nullptr;
    std::vector<int> patternRows;  // rows of the pattern at each order, 0 for a missing pattern
    int volume = 256;
    bool playing = false;
    MarkHistory marks;
    MomentSnapshot moment;
};

struct StreamSource {
    sf_private_tag* file = nullptr;
    const unsigned char* data = nullptr;  // the caller's buffer; null when read from a named file
    int64_t size = 0;
    int64_t offset = 0;                  // read offset in data
    int channels = 0;
    int rate = 0;
    bool loop = false;
    int channel = -1;                    // the channel it plays on, -1 when stopped
    int64_t position = 0;                // source frames consumed since the start of the file
    // Linear resampling from the file's rate to the mix rate.
    float previous[2] = {0, 0};
    float current[2] = {0, 0};
    double fraction = 0;
    std::vector<short> chunk;
    int chunkFrames = 0;
    int chunkUsed = 0;
    bool ended = false;                  // the file has no frames left (a looping stream never ends)
    MarkHistory marks;
};

enum SoundOutputKind { OUTPUT_NONE, OUTPUT_PULL, OUTPUT_DEVICE };

struct SoundState {
    ~SoundState();  // stops a device still running at exit, before the state it mixes from goes away

    std::mutex lock;
    int error = 0;

    // Settings given before FSOUND_Init, kept for re-opening after FSOUND_Close.
    int bufferMs = 200;
    int outputType = 0;
    int driver = 0;
    int mixer = 0;
    HWND window = nullptr;
    bool initialisedOnce = false;
    int rate = 44100;
    int maxChannels = 0;

    bool pullChosen = false;
    int failInitCode = 0;
    int failInitCount = 0;

    SoundOutputKind output = OUTPUT_NONE;
    uint64_t mixed = 0;  // frames mixed since process start, never reset

    // Device output: what the last callback mixed and when, to estimate what is still buffered.
    uint32_t device = 0;
    uint64_t callbackStart = 0;
    int callbackFrames = 0;
    uint64_t callbackCounter = 0;
    uint64_t openedAt = 0;  // frames mixed when the device was opened
    // Frames the device holds beyond the buffer being played out (its own buffer and the driver's latency);
    // 0 for the silent output. `countDeviceDelay` off is a measuring seam: the position ignores the delay.
    int deviceDelayFrames = 0;
    bool countDeviceDelay = true;

    std::vector<std::unique_ptr<SongSource>> songs;
    std::vector<std::unique_ptr<StreamSource>> streams;
    std::vector<int> channelVolume;
    std::vector<StreamSource*> channelStream;
};

SoundState& soundState();

// With the lock held: mixes exactly `frames` stereo frames of every playing source into `samples`.
void mixLocked(SoundState& state, int16_t* samples, int frames);
// With the lock held: frames mixed minus frames still buffered in the output.
uint64_t audibleFrameLocked(SoundState& state);
// With the lock held: how far the audible moment may move before a snapshot no longer describes it (0 for the
// pull output, whose moment moves only when the host mixes).
uint64_t snapshotHoldFramesLocked(SoundState& state);

// The audio device output (sound_device_output.cpp). Opening runs with the lock held (the device starts
// paused); closing must run without it, since the device's thread may be waiting for the lock.
bool openDeviceOutput(SoundState& state);
void closeDeviceOutput(uint32_t device);
// The backend saw the device removed (SDL_AUDIODEVICEREMOVED): the output goes on silently in real time.
void soundDeviceRemoved(uint32_t device);

// Stream decoding (sound_stream.cpp), all with the lock held.
bool openStreamSource(StreamSource& stream, const char* name);  // name null: read from stream.data
void closeStreamSource(StreamSource& stream);
void rewindStreamSource(StreamSource& stream);
// Adds `frames` resampled frames, scaled by volume / 256, into the 32-bit mix; false once a stream that does
// not loop has run out.
bool mixStreamSource(StreamSource& stream, int32_t* mix, int frames, int outputRate, int volume);
