// The audio device output of the sound library on Windows: waveOut with a few buffers, refilled from one thread
// as the device hands them back; the audible frame is what the device reports it has played. When no device
// opens (no sound card), the same thread mixes in real time into nothing, so the music position still advances.
#include <windows.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "platform/common/sound_mixer.h"

namespace {

const int bufferCount = 4;

struct WaveOutput {
    HWAVEOUT device = nullptr;  // null: the silent real-time output
    HANDLE wake = nullptr;      // set by the device as it finishes a buffer, and to stop the thread
    std::atomic<bool> stopping{false};
    std::thread feeder;
    int rate = 44100;
    int bufferFrames = 0;
    uint64_t start = 0;  // the global mixed-frame count when the output started: its first frame
    std::vector<int16_t> samples[bufferCount];
    WAVEHDR headers[bufferCount];
    // The device's played-sample counter is 32 bits; it is widened as it is read.
    DWORD lastPosition = 0;
    uint64_t played = 0;
    LARGE_INTEGER startCounter;
    LARGE_INTEGER frequency;
};

// The one output running, if any (opened, queried and closed on the program's thread); the id handed to the
// library counts opens, so a stale id closes nothing.
WaveOutput* running = nullptr;
uint32_t runningId = 0;

// Runs on the feeder thread: mixes the next block of the music, or silence while the library is closing.
void mixBlock(int16_t* samples, int frames) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.output == OUTPUT_DEVICE) {
        mixLocked(state, samples, frames);
    } else {
        std::fill(samples, samples + 2 * frames, int16_t(0));
    }
}

// Runs on the feeder thread: every buffer the device has finished is mixed again and queued behind the others.
void feedDevice(WaveOutput* output) {
    while (!output->stopping) {
        for (WAVEHDR& header : output->headers) {
            if (!(header.dwFlags & WHDR_DONE)) continue;
            mixBlock(reinterpret_cast<int16_t*>(header.lpData), output->bufferFrames);
            header.dwFlags &= ~WHDR_DONE;
            waveOutWrite(output->device, &header, sizeof(WAVEHDR));
        }
        WaitForSingleObject(output->wake, 100);
    }
}

uint64_t elapsedFrames(const WaveOutput* output) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<uint64_t>(static_cast<double>(now.QuadPart - output->startCounter.QuadPart) /
                                 static_cast<double>(output->frequency.QuadPart) * output->rate);
}

// Runs on the feeder thread with no device: keeps the mix one buffer ahead of the real-time clock.
void feedSilently(WaveOutput* output) {
    std::vector<int16_t> scratch(2 * static_cast<size_t>(output->bufferFrames));
    uint64_t mixed = 0;
    while (!output->stopping) {
        uint64_t wanted = elapsedFrames(output) + output->bufferFrames;
        while (mixed < wanted && !output->stopping) {
            int frames = static_cast<int>(std::min<uint64_t>(wanted - mixed, output->bufferFrames));
            mixBlock(scratch.data(), frames);
            mixed += frames;
        }
        WaitForSingleObject(output->wake, 10);
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
    QueryPerformanceCounter(&output->startCounter);
    try {
        output->feeder = std::thread(device ? feedDevice : feedSilently, output);
    } catch (...) {
        if (device) {
            for (WAVEHDR& header : output->headers) waveOutUnprepareHeader(output->device, &header, sizeof(WAVEHDR));
            waveOutClose(output->device);
        }
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
    if (output->device) {
        waveOutReset(output->device);  // hands every queued buffer back
        for (WAVEHDR& header : output->headers) waveOutUnprepareHeader(output->device, &header, sizeof(WAVEHDR));
        waveOutClose(output->device);
    }
    CloseHandle(output->wake);
    delete output;
}

uint64_t audibleFrameLocked(SoundState& state) {
    WaveOutput* output = running;
    if (state.output != OUTPUT_DEVICE || !output) return state.mixed;
    uint64_t played;
    if (output->device) {
        MMTIME time = {};
        time.wType = TIME_SAMPLES;
        if (waveOutGetPosition(output->device, &time, sizeof(time)) == MMSYSERR_NOERROR) {
            DWORD position = time.wType == TIME_BYTES ? time.u.cb / 4 : time.u.sample;
            if (time.wType == TIME_SAMPLES || time.wType == TIME_BYTES) {
                output->played += static_cast<DWORD>(position - output->lastPosition);
                output->lastPosition = position;
            }
        }
        played = output->played;
    } else {
        played = elapsedFrames(output);
    }
    uint64_t audible = output->start + played;
    return audible < state.mixed ? audible : state.mixed;
}
