// SPDX-License-Identifier: MIT
// Writes small XM modules for the audio tests: chosen pattern lengths and order list, speed and tempo, and
// optionally one instrument: a looping square wave struck on the first row of every pattern, or a short click
// struck on every row.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XmModule {
    std::vector<int> patternRows;  // rows of each pattern
    std::vector<int> orders;       // pattern index per order
    int speed = 6;                 // ticks per row
    int tempo = 125;               // BPM: a tick lasts 2.5 / tempo seconds
    bool withTone = false;         // one instrument with a looping square wave, note on row 0, channel 0
    bool clickEveryRow = false;    // one instrument with a 64-sample click, struck on every row of channel 0
};

inline std::vector<uint8_t> writeXm(const XmModule& module) {
    std::vector<uint8_t> out;
    auto u8 = [&](int v) { out.push_back(static_cast<uint8_t>(v)); };
    auto u16 = [&](int v) { u8(v & 0xFF); u8((v >> 8) & 0xFF); };
    auto u32 = [&](uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    auto text = [&](const std::string& s, size_t width) {
        for (size_t i = 0; i < width; ++i) u8(i < s.size() ? s[i] : 0);
    };
    const int channels = 2;
    const bool instrument = module.withTone || module.clickEveryRow;
    text("Extended Module: ", 17);
    text("test module", 20);
    u8(0x1A);
    text("tav tests", 20);
    u16(0x0104);
    u32(276);  // header size, counted from this field
    u16(static_cast<int>(module.orders.size()));
    u16(0);  // restart position
    u16(channels);
    u16(static_cast<int>(module.patternRows.size()));
    u16(instrument ? 1 : 0);
    u16(1);  // linear frequency table
    u16(module.speed);
    u16(module.tempo);
    for (int i = 0; i < 256; ++i) u8(i < static_cast<int>(module.orders.size()) ? module.orders[i] : 0);

    for (int rows : module.patternRows) {
        std::vector<uint8_t> data;
        for (int row = 0; row < rows; ++row) {
            for (int channel = 0; channel < channels; ++channel) {
                bool struck = module.clickEveryRow || (module.withTone && row == 0);
                if (instrument && struck && channel == 0) {
                    data.push_back(0x83);  // note and instrument follow
                    data.push_back(49);    // C-4
                    data.push_back(1);
                } else {
                    data.push_back(0x80);  // empty
                }
            }
        }
        u32(9);
        u8(0);
        u16(rows);
        u16(static_cast<int>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }

    if (instrument) {
        const int length = 64;
        u32(263);
        text("square", 22);
        u8(0);
        u16(1);
        u32(40);
        for (int i = 0; i < 96; ++i) u8(0);        // every note plays sample 0
        for (int i = 0; i < 96; ++i) u8(0);        // envelopes (unused)
        for (int i = 0; i < 14; ++i) u8(0);        // point counts, sustain and loops, types, vibrato
        u16(0);                                    // fadeout
        for (int i = 0; i < 22; ++i) u8(0);        // reserved, up to the header size
        const bool loop = !module.clickEveryRow;
        u32(length);
        u32(0);                    // loop start
        u32(loop ? length : 0);    // loop length
        u8(64);                    // volume
        u8(0);                     // finetune
        u8(loop ? 1 : 0);          // forward loop or none, 8-bit
        u8(128);      // panning
        u8(0);        // relative note
        u8(0);
        text("square", 22);
        int previous = 0;
        for (int i = 0; i < length; ++i) {
            int value = i < length / 2 ? 96 : -96;
            u8((value - previous) & 0xFF);  // delta coded
            previous = value;
        }
    }
    return out;
}
