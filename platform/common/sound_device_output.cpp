// The audio device output of the sound library stand-in, shared by both backends: an SDL audio device with a
// buffer of about the requested milliseconds, or, when no real device opens, SDL's dummy driver, which
// consumes samples silently in real time so the music position still advances.
#include <SDL.h>

#include <string>
#include <sys/stat.h>

#include "platform/common/sound_mixer.h"

namespace {

// Runs on SDL's audio thread.
void fillDevice(void*, Uint8* bytes, int length) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    int frames = length / 4;
    if (state.output != OUTPUT_DEVICE) {
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
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return device;
}

// What a device holds ahead of the buffer just mixed, from what SDL granted (it reports no latency itself).
// PulseAudio, asked for a target length of one buffer with adjusted latency, spends about half of it in its
// own sink buffer (measured through a null sink: 90 ms of an 186 ms buffer). ALSA, given two periods of the
// buffer size, still plays one period when SDL asks for the next. The dummy and disk drivers consume each
// buffer the moment it is handed over: no delay.
int deviceDelay(const SDL_AudioSpec& have) {
    const char* driver = SDL_GetCurrentAudioDriver();
    if (!driver || SDL_strcmp(driver, "dummy") == 0 || SDL_strcmp(driver, "disk") == 0) return 0;
    if (SDL_strcmp(driver, "pulseaudio") == 0) return have.samples / 2;
    return have.samples;
}

}  // namespace

// With no sound card (no /dev/snd) ALSA cannot play but fills stderr with configuration errors while SDL probes
// it; unless the user chose a driver, ask only the sound servers, then fall back to the silent output.
static void skipAlsaWithoutSoundCard() {
    struct stat info;
    if (SDL_GetHint(SDL_HINT_AUDIODRIVER) != nullptr || stat("/dev/snd", &info) == 0) return;
    SDL_SetHint(SDL_HINT_AUDIODRIVER, "pipewire,pulseaudio");
}

bool openDeviceOutput(SoundState& state) {
    skipAlsaWithoutSoundCard();
    SDL_AudioSpec have;
    SDL_AudioDeviceID device = openWithCurrentDriver(state, have);
    if (device == 0) {
        const char* chosen = SDL_GetHint(SDL_HINT_AUDIODRIVER);
        std::string previous = chosen ? chosen : "";
        SDL_SetHint(SDL_HINT_AUDIODRIVER, "dummy");
        device = openWithCurrentDriver(state, have);
        SDL_SetHint(SDL_HINT_AUDIODRIVER, chosen ? previous.c_str() : nullptr);
    }
    if (device == 0) return false;
    state.device = device;
    state.deviceDelayFrames = deviceDelay(have);
    state.openedAt = state.mixed;
    state.callbackStart = state.mixed;
    state.callbackFrames = 0;
    state.callbackCounter = SDL_GetPerformanceCounter();
    SDL_PauseAudioDevice(device, 0);
    return true;
}

void closeDeviceOutput(uint32_t device) {
    if (device == 0) return;
    SDL_CloseAudioDevice(device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

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
