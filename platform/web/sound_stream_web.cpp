// SPDX-License-Identifier: MIT
// Streams in the browser: the web build has no stream decoder (libsndfile is left out), so opening a stream
// fails and the sound library reports it as an unreadable file; nothing is ever mixed from a stream.
#include "platform/common/sound_mixer.h"

bool openStreamSource(StreamSource& stream, const char*) {
    stream.file = nullptr;
    return false;
}

void closeStreamSource(StreamSource& stream) { stream.file = nullptr; }

void rewindStreamSource(StreamSource& stream) {
    stream.position = 0;
    stream.ended = true;
}

bool mixStreamSource(StreamSource&, int32_t*, int, int, int) { return false; }
