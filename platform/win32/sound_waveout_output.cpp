// SPDX-License-Identifier: MIT
// The audio device output of the sound library on Windows: waveOut with a few buffers, refilled from one thread
// as the device hands them back; the audible frame is what the device reports it has played. When no device
// opens (no sound card), or the device fails or stops playing in the middle (its sound server went away), the
// same thread mixes in real time into nothing, so the music position still advances.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/common/sound_mixer.h"
#include "platform/common/sound_output_clock.h"
#include "platform/win32/waveout_calls.h"

std::atomic<WaveOutWriteCall> waveOutWriteCall{waveOutWrite};
std::atomic<WaveOutGetPositionCall> waveOutGetPositionCall{waveOutGetPosition};

namespace {

const int bufferCount = 4;
// A device that has neither moved its position nor handed a buffer back for this long has stopped playing.
const int stallMs = 750;

struct WaveOutput {
    HWAVEOUT device = nullptr;  // null: never opened
    bool silent = false;        // mixing in real time into nothing (no device, or it failed); under the lock
    HANDLE wake = nullptr;      // set by the device as it finishes a buffer, and to stop the thread
    std::atomic<bool> stopping{false};
    std::thread feeder;
    int rate = 44100;
    int bufferFrames = 0;
    uint64_t start = 0;  // the global mixed-frame count when the output started: its first frame
    std::vector<int16_t> samples[bufferCount];
    WAVEHDR headers[bufferCount];
    // Under the lock: frames this output mixed, those the device accepted, and what it reports played.
    uint64_t mixedFrames = 0;
    uint64_t written = 0;
    PlayedCounter played;
    uint64_t heard = 0;            // the audible frame last reported, relative to start: never goes back
    LARGE_INTEGER lastMove = {};   // when the device's position last moved
    LARGE_INTEGER frequency = {};
    RealTimeClock clock;           // the silent output's
};

// The one output running, if any (opened, queried and closed on the program's thread); the id handed to the
// library counts opens, so a stale id closes nothing.
WaveOutput* running = nullptr;
uint32_t runningId = 0;

int64_t counterNow() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

// With the lock held: mixes the next block of the music, or silence while the library is closing.
void mixBlockLocked(SoundState& state, WaveOutput* output, int16_t* samples, int frames) {
    if (state.output == OUTPUT_DEVICE) {
        mixLocked(state, samples, frames);
    } else {
        std::fill(samples, samples + 2 * frames, int16_t(0));
    }
    output->mixedFrames += static_cast<uint64_t>(frames);
}

// With the lock held: the device failed or stopped; from the frame heard last, real time carries the music on.
void goSilentLocked(WaveOutput* output) {
    if (output->silent) return;
    output->silent = true;
    output->clock.start(counterNow(), output->frequency.QuadPart, output->rate);
    output->clock.rebase(counterNow(), output->heard);
}

// With the lock held: reads the device's position into `played`; a failed read, or a device that has shown no
// progress for longer than one ever pauses, switches to the silent output.
void pollDeviceLocked(WaveOutput* output) {
    if (output->silent) return;
    MMTIME time = {};
    time.wType = TIME_SAMPLES;
    if (waveOutGetPositionCall.load()(output->device, &time, sizeof(time)) != MMSYSERR_NOERROR ||
        (time.wType != TIME_SAMPLES && time.wType != TIME_BYTES)) {
        goSilentLocked(output);
        return;
    }
    // Widened in the unit it wraps in: a byte count wraps at 2^32 bytes, 2^30 frames.
    uint64_t position = time.wType == TIME_BYTES ? time.u.cb / 4 : time.u.sample;
    uint64_t modulus = time.wType == TIME_BYTES ? (uint64_t(1) << 30) : (uint64_t(1) << 32);
    uint64_t before = output->played.frames();
    uint64_t after = output->played.update(position, modulus, output->written);
    int64_t now = counterNow();
    if (after != before) {
        output->lastMove.QuadPart = now;
    } else if (now - output->lastMove.QuadPart > output->frequency.QuadPart * stallMs / 1000) {
        goSilentLocked(output);
        return;
    }
    output->heard = std::max(output->heard, after);
}

// Runs on the feeder thread with no working device: keeps the mix one buffer ahead of the real-time clock.
// Returns once stopping.
void feedSilently(WaveOutput* output) {
    SoundState& state = soundState();
    std::vector<int16_t> scratch(2 * static_cast<size_t>(output->bufferFrames));
    // A backlog beyond a few buffers is time the machine slept (or the thread was starved): dropped.
    const uint64_t maxBacklog = 4 * static_cast<uint64_t>(output->bufferFrames);
    while (!output->stopping) {
        {
            std::lock_guard<std::mutex> guard(state.lock);
            uint64_t wanted = output->clock.due(counterNow(), output->mixedFrames, maxBacklog) + output->bufferFrames;
            while (output->mixedFrames < wanted) {
                int frames = static_cast<int>(std::min<uint64_t>(wanted - output->mixedFrames, output->bufferFrames));
                mixBlockLocked(state, output, scratch.data(), frames);
            }
        }
        WaitForSingleObject(output->wake, 10);
    }
}

// Runs on the feeder thread: every buffer the device has finished is mixed again and queued behind the others.
// A buffer the device refuses, or a device that stops playing, hands over to the silent output.
void feedDevice(WaveOutput* output) {
    SoundState& state = soundState();
    while (!output->stopping) {
        bool failed = false;
        for (WAVEHDR& header : output->headers) {
            if (!(header.dwFlags & WHDR_DONE)) continue;
            {
                std::lock_guard<std::mutex> guard(state.lock);
                output->lastMove.QuadPart = counterNow();  // a buffer handed back: the device plays
                mixBlockLocked(state, output, reinterpret_cast<int16_t*>(header.lpData), output->bufferFrames);
            }
            header.dwFlags &= ~WHDR_DONE;
            MMRESULT result = waveOutWriteCall.load()(output->device, &header, sizeof(WAVEHDR));
            std::lock_guard<std::mutex> guard(state.lock);
            if (result != MMSYSERR_NOERROR) {
                goSilentLocked(output);
                failed = true;
                break;
            }
            output->written += static_cast<uint64_t>(output->bufferFrames);
        }
        {
            std::lock_guard<std::mutex> guard(state.lock);
            pollDeviceLocked(output);
            if (output->silent) failed = true;
        }
        if (failed) {
            feedSilently(output);
            return;
        }
        WaitForSingleObject(output->wake, 20);
    }
}

bool openWaveDevice(WaveOutput* output) {
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 2;
    format.nSamplesPerSec = static_cast<DWORD>(output->rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = 4;
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    if (waveOutOpen(&output->device, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(output->wake), 0,
                    CALLBACK_EVENT) != MMSYSERR_NOERROR) {
        output->device = nullptr;
        return false;
    }
    for (int i = 0; i < bufferCount; ++i) {
        output->samples[i].assign(2 * static_cast<size_t>(output->bufferFrames), 0);
        WAVEHDR& header = output->headers[i];
        header = WAVEHDR();
        header.lpData = reinterpret_cast<LPSTR>(output->samples[i].data());
        header.dwBufferLength = static_cast<DWORD>(output->bufferFrames * 4);
        if (waveOutPrepareHeader(output->device, &header, sizeof(WAVEHDR)) != MMSYSERR_NOERROR) {
            for (int j = 0; j < i; ++j) waveOutUnprepareHeader(output->device, &output->headers[j], sizeof(WAVEHDR));
            waveOutClose(output->device);
            output->device = nullptr;
            return false;
        }
        header.dwFlags |= WHDR_DONE;  // empty: the feeder fills and queues it first thing
    }
    return true;
}

void closeWaveDevice(WaveOutput* output) {
    if (!output->device) return;
    waveOutReset(output->device);  // hands every queued buffer back
    for (WAVEHDR& header : output->headers) waveOutUnprepareHeader(output->device, &header, sizeof(WAVEHDR));
    waveOutClose(output->device);
    output->device = nullptr;
}

}  // namespace

bool openDeviceOutput(SoundState& state) {
    WaveOutput* output = new WaveOutput;
    output->rate = state.rate;
    // The requested buffer length, split into the device's buffers; the silent output mixes in steps of one.
    output->bufferFrames = std::max(256, state.rate * state.bufferMs / 1000 / bufferCount);
    output->start = state.mixed;
    output->wake = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (!output->wake) {
        delete output;
        return false;
    }
    bool device = openWaveDevice(output);
    QueryPerformanceFrequency(&output->frequency);
    output->lastMove.QuadPart = counterNow();
    if (!device) goSilentLocked(output);
    try {
        output->feeder = std::thread(device ? feedDevice : feedSilently, output);
    } catch (...) {
        closeWaveDevice(output);
        CloseHandle(output->wake);
        delete output;
        return false;
    }
    running = output;
    state.device = ++runningId;
    return true;
}

// Called without the sound lock: the feeder may be waiting for it.
void closeDeviceOutput(uint32_t device) {
    if (device == 0 || device != runningId || !running) return;
    WaveOutput* output = running;
    running = nullptr;
    output->stopping = true;
    SetEvent(output->wake);
    output->feeder.join();
    closeWaveDevice(output);
    CloseHandle(output->wake);
    delete output;
}

uint64_t audibleFrameLocked(SoundState& state) {
    WaveOutput* output = running;
    if (state.output != OUTPUT_DEVICE || !output) return state.mixed;
    if (output->silent) {
        // Never past what was mixed: before the feeder drops a slept span, the clock reads the whole of it.
        uint64_t now = std::min(output->clock.frames(counterNow()), output->mixedFrames);
        output->heard = std::max(output->heard, now);
    } else {
        pollDeviceLocked(output);
    }
    uint64_t audible = output->start + output->heard;
    return audible < state.mixed ? audible : state.mixed;
}
