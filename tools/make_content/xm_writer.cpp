// SPDX-License-Identifier: MIT
#include "tools/make_content/xm_writer.h"

#include <algorithm>

namespace {

class ByteWriter {
public:
    std::vector<uint8_t> bytes;
    void u8(unsigned v) { bytes.push_back(static_cast<uint8_t>(v & 0xFF)); }
    void u16(unsigned v)
    {
        u8(v);
        u8(v >> 8);
    }
    void u32(uint32_t v)
    {
        u16(v & 0xFFFF);
        u16(v >> 16);
    }
    // Fixed-width text, padded with the given byte.
    void text(const std::string& s, size_t width, uint8_t pad = 0)
    {
        for (size_t i = 0; i < width; ++i)
            u8(i < s.size() ? static_cast<uint8_t>(s[i]) : pad);
    }
    void zeros(size_t n) { bytes.insert(bytes.end(), n, 0); }
};

std::vector<uint8_t> packPattern(const XmPattern& p)
{
    std::vector<uint8_t> out;
    for (int row = 0; row < p.rows; ++row)
        for (int ch = 0; ch < p.channels; ++ch) {
            const XmCell& c = p.at(row, ch);
            uint8_t mask = 0x80;
            if (c.note)
                mask |= 0x01;
            if (c.instrument)
                mask |= 0x02;
            if (c.volume)
                mask |= 0x04;
            if (c.effect)
                mask |= 0x08;
            if (c.param)
                mask |= 0x10;
            out.push_back(mask);
            if (c.note)
                out.push_back(c.note);
            if (c.instrument)
                out.push_back(c.instrument);
            if (c.volume)
                out.push_back(c.volume);
            if (c.effect)
                out.push_back(c.effect);
            if (c.param)
                out.push_back(c.param);
        }
    return out;
}

void writeInstrument(ByteWriter& w, const XmInstrument& in)
{
    const bool hasSample = !in.sample.empty();
    w.u32(hasSample ? 263 : 29); // instrument header size
    w.text(in.name, 22);
    w.u8(0);                     // instrument type
    w.u16(hasSample ? 1 : 0);
    if (!hasSample)
        return;
    w.u32(40);                   // sample header size
    w.zeros(96);                 // every note plays sample 0
    size_t points = std::min<size_t>(in.volumeEnvelope.size(), 12);
    for (size_t i = 0; i < 12; ++i) {
        w.u16(i < points ? in.volumeEnvelope[i].tick : 0);
        w.u16(i < points ? in.volumeEnvelope[i].value : 0);
    }
    w.zeros(48);                 // no panning envelope
    w.u8(static_cast<unsigned>(points));
    w.u8(0);
    w.u8(in.sustainPoint >= 0 ? static_cast<unsigned>(in.sustainPoint) : 0);
    w.u8(0);                     // volume loop start, end
    w.u8(0);
    w.u8(0);                     // panning sustain, loop start, loop end
    w.u8(0);
    w.u8(0);
    unsigned envelopeFlags = points ? 1u : 0u;
    if (points && in.sustainPoint >= 0)
        envelopeFlags |= 2u;
    w.u8(envelopeFlags);
    w.u8(0);                     // panning envelope off
    w.u8(in.vibratoType);
    w.u8(in.vibratoSweep);
    w.u8(in.vibratoDepth);
    w.u8(in.vibratoRate);
    w.u16(in.fadeout);
    w.zeros(22);                 // reserved

    // Sample header: lengths in bytes for 16-bit data.
    uint32_t frames = static_cast<uint32_t>(in.sample.size());
    uint32_t loopStart = std::min(in.loopStart, frames);
    uint32_t loopLength = std::min(in.loopLength, frames - loopStart);
    w.u32(frames * 2);
    w.u32(loopLength ? loopStart * 2 : 0);
    w.u32(loopLength * 2);
    w.u8(in.volume);
    w.u8(static_cast<uint8_t>(in.finetune));
    w.u8(0x10 | (loopLength ? 1u : 0u)); // 16-bit, forward loop when looped
    w.u8(in.panning);
    w.u8(static_cast<uint8_t>(in.relativeNote));
    w.u8(0);
    w.text(in.name, 22);

    int16_t previous = 0;
    for (int16_t s : in.sample) {
        uint16_t delta = static_cast<uint16_t>(static_cast<uint16_t>(s) - static_cast<uint16_t>(previous));
        w.u16(delta);
        previous = s;
    }
}

} // namespace

std::vector<uint8_t> encodeXm(const XmModule& m)
{
    ByteWriter w;
    w.text("Extended Module: ", 17);
    w.text(m.name, 20, ' ');
    w.u8(0x1A);
    w.text("make_content", 20, ' ');
    w.u16(0x0104);
    w.u32(276);                  // header size, counted from this field
    w.u16(static_cast<unsigned>(m.orders.size()));
    w.u16(static_cast<unsigned>(m.restart));
    w.u16(static_cast<unsigned>(m.channels));
    w.u16(static_cast<unsigned>(m.patterns.size()));
    w.u16(static_cast<unsigned>(m.instruments.size()));
    w.u16(1);                    // linear frequency table
    w.u16(static_cast<unsigned>(m.speed));
    w.u16(static_cast<unsigned>(m.bpm));
    for (size_t i = 0; i < 256; ++i)
        w.u8(i < m.orders.size() ? m.orders[i] : 0);

    for (const XmPattern& p : m.patterns) {
        std::vector<uint8_t> packed = packPattern(p);
        w.u32(9);
        w.u8(0);
        w.u16(static_cast<unsigned>(p.rows));
        w.u16(static_cast<unsigned>(packed.size()));
        w.bytes.insert(w.bytes.end(), packed.begin(), packed.end());
    }
    for (const XmInstrument& in : m.instruments)
        writeInstrument(w, in);
    return w.bytes;
}
