// SPDX-License-Identifier: MIT
// The pull output and the sound test seam for hosts that drive audio themselves (capture, tests).
#include "platform/headless/pull_audio.h"

#include <cstring>

#include "platform/common/sound_mixer.h"

void usePullAudio(bool pull) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.pullChosen = pull;
}

int pullAudioRate() {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.output == OUTPUT_PULL ? state.rate : 0;
}

bool mixPullAudio(int16_t* samples, int frames) {
    if (!samples || frames <= 0) return false;
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    if (state.output != OUTPUT_PULL) {
        std::memset(samples, 0, static_cast<size_t>(frames) * 2 * sizeof(int16_t));
        return false;
    }
    mixLocked(state, samples, frames);
    return true;
}

void failSoundInit(int errorCode, int count) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failInitCode = errorCode;
    state.failInitCount = errorCode == 0 ? 0 : count;
}

void countDeviceDelay(bool count) {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    state.countDeviceDelay = count;
}

int deviceDelayFrames() {
    SoundState& state = soundState();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.output == OUTPUT_DEVICE ? state.deviceDelayFrames : 0;
}
