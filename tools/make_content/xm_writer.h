// SPDX-License-Identifier: MIT
// An XM (FastTracker 2 extended module) writer: header, order table, packed patterns, and instruments with one
// delta-encoded 16-bit sample each.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

const uint8_t kNoteOff = 97;

struct XmCell {
    uint8_t note = 0;        // 1 = C-0 ... 96 = B-7, 97 = key off, 0 = none
    uint8_t instrument = 0;  // 1-based, 0 = none
    uint8_t volume = 0;      // volume column: 0x10 + 0..64 sets the volume, 0 = none
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    int channels = 0;
    std::vector<XmCell> cells;
    XmPattern(int rowCount, int channelCount)
        : rows(rowCount), channels(channelCount), cells(static_cast<size_t>(rowCount) * channelCount) {}
    XmCell& at(int row, int channel) { return cells[static_cast<size_t>(row) * channels + channel]; }
    const XmCell& at(int row, int channel) const { return cells[static_cast<size_t>(row) * channels + channel]; }
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint16_t value; // 0..64
};

struct XmInstrument {
    std::string name;
    std::vector<int16_t> sample;
    uint32_t loopStart = 0;      // in sample frames
    uint32_t loopLength = 0;     // 0: no loop
    uint8_t volume = 64;
    int8_t finetune = 0;
    int8_t relativeNote = 0;
    uint8_t panning = 128;
    std::vector<XmEnvelopePoint> volumeEnvelope; // empty: no envelope
    int sustainPoint = -1;
    uint16_t fadeout = 0;
    uint8_t vibratoType = 0, vibratoSweep = 0, vibratoDepth = 0, vibratoRate = 0;
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6;      // ticks per row
    int bpm = 125;
    int restart = 0;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

std::vector<uint8_t> encodeXm(const XmModule& module);
