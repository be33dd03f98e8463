// SPDX-License-Identifier: MIT
// The audio device output of the sound library stand-in, shared by both backends: an SDL audio device with a
// buffer of about the requested milliseconds, or, when no real device opens, SDL's dummy driver, which
// consumes samples silently in real time so the music position still advances.
// A watcher thread starts the device and, when it is lost (removed, or its callbacks stop), becomes the silent
// output itself, so the music clock goes on from the moment the sound stopped.
#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <string>
#include <sys/stat.h>
#include <thread>

#include "platform/common/sound_mixer.h"

namespace {

// The output's thread and what it watches; `generation` (under the sound lock) names the device whose
// callbacks may mix, so a lost device still calling back writes silence.
struct Watcher {
    std::thread thread;
    std::thread closer;  // closes a lost device
    std::mutex lock;
    std::condition_variable wake;
    bool stop = false;
};
// Made on first use (the show opens its sound while globals are still being constructed) and never destroyed:
// the sound state's own destructor stops it at exit.
Watcher& watcher() {
    static Watcher* made = new Watcher;
    return *made;
}
std::atomic<uint32_t> removedDevice{0};
uintptr_t generation = 0;
int grantedFrames = 0;  // the buffer SDL granted the device in use

// Runs on SDL's audio thread.
void fillDevice(void* owner, Uint8* bytes, int length) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    int frames = length / 4;
    if (state.output != OUTPUT_DEVICE || reinterpret_cast<uintptr_t>(owner) != generation) {
        SDL_memset(bytes, 0, length);
        return;
    }
    state.callbackStart = state.mixed;
    state.callbackFrames = frames;
    state.callbackCounter = SDL_GetPerformanceCounter();
    mixLocked(state, reinterpret_cast<int16_t*>(bytes), frames);
}

SDL_AudioDeviceID openWithCurrentDriver(SoundState& state, SDL_AudioSpec& have) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return 0;
    // The nearest power of two to the requested buffer length: some drivers insist on one.
    int wanted = state.rate * state.bufferMs / 1000;
    int samples = 256;
    while (samples < 32768 && samples * 3 / 2 < wanted) samples *= 2;
    SDL_AudioSpec want;
    SDL_zero(want);
    want.freq = state.rate;
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    want.samples = static_cast<Uint16>(samples);
    want.callback = fillDevice;
    want.userdata = reinterpret_cast<void*>(generation + 1);
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    } else {
        generation++;
    }
    return device;
}

// The silent output, whatever driver the environment or the user named: the override beats SDL_AUDIODRIVER.
SDL_AudioDeviceID openSilent(SoundState& state, SDL_AudioSpec& have) {
    SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, "dummy", SDL_HINT_OVERRIDE);
    SDL_AudioDeviceID device = openWithCurrentDriver(state, have);
    SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return device;
}

// What a device holds ahead of the buffer just mixed, from what SDL granted (it reports no latency itself).
// PulseAudio, asked for a target length of one buffer with adjusted latency, spends about half of it in its
// own sink buffer (measured through a null sink: 90 ms of an 186 ms buffer; the same through pipewire-pulse).
// SDL's pipewire driver calls back from the graph's own cycle when it needs the next buffer, so nothing is
// queued beyond the buffer being played out (measured: the click heard within a few ms of that model).
// ALSA, given two periods of the buffer size, still plays one period when SDL asks for the next. The dummy and
// disk drivers consume each buffer the moment it is handed over: no delay.
int deviceDelay(const SDL_AudioSpec& have) {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "disk") == 0) return 0;
    if (SDL_strcmp(driver, "pipewire") == 0) return 0;
    if (SDL_strcmp(driver, "pulseaudio") == 0) return have.samples / 2;
    return have.samples;
}

// With the lock held: the device's callbacks stopped for longer than a buffer beyond the last one, with half a
// second to spare (PulseAudio, filling its own queue at the start, was seen calling back once and then not for
// 0.4 s), or for a second and a half before the first, while a sound server may still be starting the stream.
bool stalledLocked(SoundState& state) {
    double seconds = static_cast<double>(SDL_GetPerformanceCounter() - state.callbackCounter) /
                     static_cast<double>(SDL_GetPerformanceFrequency());
    double buffers = static_cast<double>(state.callbackFrames + grantedFrames) / state.rate;
    return seconds > buffers + (state.callbackFrames == 0 ? 1.5 : 0.5);
}

// With the lock held: takes a device just opened into use.
void adoptLocked(SoundState& state, SDL_AudioDeviceID device, const SDL_AudioSpec& have) {
    state.device = device;
    grantedFrames = have.samples;
    state.deviceDelayFrames = deviceDelay(have);
    state.openedAt = state.mixed;
    state.callbackStart = state.mixed;
    state.callbackFrames = 0;
    state.callbackCounter = SDL_GetPerformanceCounter();
}

// With the lock held, once the device is lost: the watcher is the silent output from now on, mixing the time
// that passed since its last turn as a device's callback would, behind what the lost device never played.
void mixSilentlyLocked(SoundState& state) {
    Uint64 now = SDL_GetPerformanceCounter();
    double seconds = static_cast<double>(now - state.callbackCounter) / static_cast<double>(SDL_GetPerformanceFrequency());
    int frames = static_cast<int>(std::min(seconds, 1.0) * state.rate);
    if (frames <= 0) return;
    state.callbackStart = state.mixed;
    state.callbackFrames = frames;
    state.callbackCounter = now;
    int16_t discard[2 * 1024];
    for (int done = 0; done < frames;) {
        int step = std::min(frames - done, 1024);
        mixLocked(state, discard, step);
        done += step;
    }
}

// Checks the device; once it is lost, the silent output takes over, the clock going on from the moment the
// sound stopped (the frames mixed since are never heard), and the lost device is closed on a thread of its
// own, since closing a device whose server died can take seconds. False when the output closed.
bool checkDevice(SoundState& state, uint32_t device, bool& silent) {
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.output != OUTPUT_DEVICE) return false;
    if (silent) {
        mixSilentlyLocked(state);
        return true;
    }
    if (state.device != device) return false;
    if (removedDevice.load() != device && !stalledLocked(state)) return true;
    uint64_t audible = audibleFrameLocked(state);
    state.device = 0;
    generation++;  // the lost device's callbacks, if any come, write silence
    state.deviceDelayFrames = static_cast<int>(state.mixed - audible);
    state.openedAt = audible;
    state.callbackStart = state.mixed;
    state.callbackFrames = 0;
    state.callbackCounter = SDL_GetPerformanceCounter();
    silent = true;
    watcher().closer = std::thread([device] {
        SDL_CloseAudioDevice(device);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    });
    return true;
}

// The watcher: starts the device outside the sound lock (SDL takes its own device lock first, then the
// callback takes the sound lock), then checks on it every 20 ms.
void watch(uint32_t device) {
    SoundState& state = soundState();
    SDL_PauseAudioDevice(device, 0);
    bool silent = false;
    for (;;) {
        {
            std::unique_lock<std::mutex> guard(watcher().lock);
            if (watcher().wake.wait_for(guard, std::chrono::milliseconds(20), [] { return watcher().stop; })) return;
        }
        if (!checkDevice(state, device, silent)) return;
    }
}

}  // namespace

// With no sound card (no /dev/snd) ALSA cannot play but fills stderr with configuration errors while SDL probes
// it; unless the user chose a driver, ask only the sound servers, then fall back to the silent output.
static bool skipAlsaWithoutSoundCard() {
    struct stat info;
    if (SDL_GetHint(SDL_HINT_AUDIODRIVER) != nullptr || stat("/dev/snd", &info) == 0) return false;
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire,pulseaudio");
    return true;
}

bool openDeviceOutput(SoundState& state) {
    bool skipped = skipAlsaWithoutSoundCard();
    SDL_AudioSpec have;
    SDL_AudioDeviceID device = openWithCurrentDriver(state, have);
    if (skipped) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    if (device == 0) device = openSilent(state, have);
    if (device == 0) return false;
    adoptLocked(state, device, have);
    removedDevice = 0;
    watcher().stop = false;
    watcher().thread = std::thread(watch, device);
    return true;
}

void closeDeviceOutput(uint32_t device) {
    if (watcher().thread.joinable()) {
        {
            std::lock_guard<std::mutex> guard(watcher().lock);
            watcher().stop = true;
        }
        watcher().wake.notify_all();
        watcher().thread.join();
    }
    if (watcher().closer.joinable()) watcher().closer.join();
    // The watcher may have replaced the device meanwhile: close the one in use now.
    SoundState& state = soundState();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        if (state.device != 0 && state.output == OUTPUT_NONE) device = state.device;
        state.device = 0;
    }
    if (device == 0) return;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void soundDeviceRemoved(uint32_t device) { removedDevice = device; }

uint64_t audibleFrameLocked(SoundState& state) {
    if (state.output != OUTPUT_DEVICE) return state.mixed;
    // The last callback's frames play out from the moment it ran, behind what the device still holds; what is
    // not yet played is still buffered.
    double seconds = static_cast<double>(SDL_GetPerformanceCounter() - state.callbackCounter) /
                     static_cast<double>(SDL_GetPerformanceFrequency());
    double played = seconds * state.rate;
    if (played > state.callbackFrames) played = state.callbackFrames;
    uint64_t audible = state.callbackStart + static_cast<uint64_t>(played);
    uint64_t delay = state.countDeviceDelay ? static_cast<uint64_t>(state.deviceDelayFrames) : 0;
    // Before the device has played anything, nothing is audible: the moment the output was opened.
    return audible > state.openedAt + delay ? audible - delay : state.openedAt;
}
