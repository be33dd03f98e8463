// SPDX-License-Identifier: MIT
#include "tools/make_content/composition.h"

#include <sstream>
#include <string>
#include <vector>

#include "tools/make_content/synth.h"

namespace {

// Instrument numbers (1-based, as in the patterns).
enum Instrument { KICK = 1, CLAP, SNARE, CLOSED_HAT, OPEN_HAT, CRASH, BASS, PAD, LEAD, PLUCK };
// Channels.
enum Channel { CH_KICK, CH_CLAP, CH_HAT, CH_OPEN, CH_BASS, CH_PAD1, CH_PAD2, CH_PAD3, CH_LEAD, CH_ECHO, CH_ARP,
               CH_CRASH, CHANNELS };

const int kRows = 64;
const int kC4 = 49;

// XM note number from a name such as "A4" or "C#5" (C-0 is 1).
int noteNumber(const std::string& name)
{
    static const int offsets[7] = {9, 11, 0, 2, 4, 5, 7}; // A B C D E F G
    int semitone = offsets[name[0] - 'A'];
    size_t i = 1;
    if (i < name.size() && name[i] == '#') {
        semitone += 1;
        ++i;
    }
    int octave = name[i] - '0';
    return 1 + octave * 12 + semitone;
}

struct Chord {
    int root;   // bass note, octave 2
    int pad[3]; // voicing around octave 3-4
    int arp[4]; // arpeggio tones, octave 4-5
};

// A minor: Am, F, C, G, one chord per 16 rows.
std::vector<Chord> progression()
{
    auto n = noteNumber;
    return {
        {n("A2"), {n("A3"), n("C4"), n("E4")}, {n("A4"), n("C5"), n("E5"), n("A5")}},
        {n("F2"), {n("A3"), n("C4"), n("F4")}, {n("F4"), n("A4"), n("C5"), n("F5")}},
        {n("C3"), {n("G3"), n("C4"), n("E4")}, {n("G4"), n("C5"), n("E5"), n("G5")}},
        {n("G2"), {n("G3"), n("B3"), n("D4")}, {n("G4"), n("B4"), n("D5"), n("G5")}},
    };
}

// Melodies, one token per row: a note name starts a note, "-" holds it, "." ends it.
const char* const kThemeA =
    "A4 - - C5 - - E5 - - A5 - - G5 - E5 - "
    "F5 - - E5 - - C5 - - A4 - - C5 - E5 - "
    "G5 - - E5 - - C5 - - G4 - - C5 - E5 - "
    "D5 - - B4 - - G4 - - B4 - - D5 - G5 - ";
const char* const kThemeB =
    "E5 - - A5 - - C6 - - B5 - - A5 - G5 - "
    "A5 - - F5 - - C5 - - F5 - - A5 - C6 - "
    "G5 - - E5 - - G5 - - C6 - - B5 - G5 - "
    "B5 - - G5 - - D5 - - G5 - - A5 - B5 - ";
// Long notes for the breakdowns.
const char* const kThemeSlow =
    "E5 - - - - - - - - - - - C5 - - - "
    "C5 - - - - - - - - - - - A4 - - - "
    "E5 - - - - - - - - - - - G5 - - - "
    "D5 - - - - - - - - - - - B4 - - - ";

std::vector<std::string> tokens(const char* text)
{
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string t;
    while (in >> t)
        out.push_back(t);
    return out;
}

enum Melody { NO_MELODY, THEME_A, THEME_B, THEME_SLOW };

// What plays in one order.
struct Section {
    bool kick, clap, hats, openHats, bass, pad, arp;
    Melody melody;
    int octave;       // melody transposition in octaves
    bool snareRoll;   // a build-up into the next order
    bool fill;        // a drum fill in the last bar
    bool crash;       // a cymbal on the first row: a section starts here
};

void put(XmPattern& p, int row, int ch, int note, int instrument, int volume)
{
    XmCell& c = p.at(row, ch);
    c.note = static_cast<uint8_t>(note);
    c.instrument = static_cast<uint8_t>(instrument);
    c.volume = static_cast<uint8_t>(0x10 + (volume > 64 ? 64 : volume));
}

void keyOff(XmPattern& p, int row, int ch)
{
    p.at(row, ch) = XmCell{};
    p.at(row, ch).note = kNoteOff;
}

void writeMelody(XmPattern& p, const char* text, int octave, int ch, int volume, int delay)
{
    std::vector<std::string> t = tokens(text);
    for (int row = 0; row < kRows && row < static_cast<int>(t.size()); ++row) {
        int r = row + delay;
        if (r >= kRows)
            break;
        if (t[row] == ".")
            keyOff(p, r, ch);
        else if (t[row] != "-")
            put(p, r, ch, noteNumber(t[row]) + 12 * octave, LEAD, volume);
    }
}

XmPattern buildPattern(const Section& s)
{
    XmPattern p(kRows, CHANNELS);
    std::vector<Chord> chords = progression();
    for (int row = 0; row < kRows; ++row) {
        const Chord& chord = chords[row / 16];
        int beatRow = row % 4;
        bool inFill = s.fill && row >= 56;
        if (s.kick && beatRow == 0 && !inFill)
            put(p, row, CH_KICK, kC4, KICK, 64);
        if (s.clap && row % 8 == 4 && !inFill)
            put(p, row, CH_CLAP, kC4, CLAP, 50);
        if (inFill)
            put(p, row, CH_CLAP, kC4 + (row - 56), SNARE, 30 + (row - 56) * 4);
        if (s.hats) {
            if (s.openHats && beatRow == 2)
                put(p, row, CH_OPEN, kC4, OPEN_HAT, 34);
            else if (!s.openHats || beatRow != 2)
                put(p, row, CH_HAT, kC4, CLOSED_HAT, beatRow == 2 ? 40 : (row % 2 ? 20 : 28));
        }
        if (s.bass && beatRow != 0) {
            int note = chord.root + ((row % 16) == 14 ? 12 : 0);
            put(p, row, CH_BASS, note, BASS, beatRow == 2 ? 50 : 38);
        }
        if (s.pad && row % 16 == 0)
            for (int v = 0; v < 3; ++v)
                put(p, row, CH_PAD1 + v, chord.pad[v], PAD, 28);
        if (s.arp) {
            static const int order[16] = {0, 1, 2, 3, 2, 1, 2, 3, 0, 1, 2, 3, 2, 3, 1, 2};
            put(p, row, CH_ARP, chord.arp[order[row % 16]], PLUCK, row % 2 ? 18 : 28);
        }
        if (s.snareRoll) {
            bool hit = row < 32 ? row % 4 == 0 : (row < 48 ? row % 2 == 0 : true);
            if (hit)
                put(p, row, CH_CLAP, kC4, SNARE, 14 + row * 3 / 4);
        }
    }
    if (s.melody != NO_MELODY) {
        const char* text = s.melody == THEME_A ? kThemeA : (s.melody == THEME_B ? kThemeB : kThemeSlow);
        writeMelody(p, text, s.octave, CH_LEAD, 46, 0);
        // A dotted-eighth echo, quieter, on its own channel.
        writeMelody(p, text, s.octave, CH_ECHO, 18, 3);
    }
    if (s.crash)
        put(p, 0, CH_CRASH, kC4, CRASH, 44);
    return p;
}

// The closing order: the last chord rings out under the show's fade.
XmPattern endingPattern()
{
    XmPattern p(kRows, CHANNELS);
    put(p, 0, CH_CRASH, kC4, CRASH, 56);
    put(p, 0, CH_KICK, kC4, KICK, 64);
    put(p, 0, CH_BASS, noteNumber("A2"), BASS, 60);
    put(p, 0, CH_PAD1, noteNumber("A3"), PAD, 40);
    put(p, 0, CH_PAD2, noteNumber("C4"), PAD, 40);
    put(p, 0, CH_PAD3, noteNumber("E4"), PAD, 40);
    put(p, 0, CH_LEAD, noteNumber("A5"), LEAD, 40);
    put(p, 0, CH_ARP, noteNumber("A5"), PLUCK, 32);
    put(p, 3, CH_ECHO, noteNumber("A5"), LEAD, 16);
    put(p, 8, CH_ARP, noteNumber("E5"), PLUCK, 20);
    put(p, 16, CH_ARP, noteNumber("C5"), PLUCK, 14);
    put(p, 24, CH_ARP, noteNumber("A4"), PLUCK, 10);
    keyOff(p, 32, CH_LEAD);
    keyOff(p, 35, CH_ECHO);
    for (int v = 0; v < 3; ++v)
        keyOff(p, 40, CH_PAD1 + v);
    return p;
}

std::vector<XmInstrument> instruments()
{
    return {makeKick(), makeClap(), makeSnare(), makeClosedHat(), makeOpenHat(), makeCrash(),
            makeBass(), makePad(), makeLead(), makePluck()};
}

// Reuse a pattern when an identical one exists already.
uint8_t addPattern(XmModule& m, const XmPattern& p)
{
    for (size_t i = 0; i < m.patterns.size(); ++i) {
        const XmPattern& q = m.patterns[i];
        bool same = q.rows == p.rows && q.channels == p.channels;
        for (size_t k = 0; same && k < p.cells.size(); ++k) {
            const XmCell& a = p.cells[k];
            const XmCell& b = q.cells[k];
            same = a.note == b.note && a.instrument == b.instrument && a.volume == b.volume && a.effect == b.effect &&
                   a.param == b.param;
        }
        if (same)
            return static_cast<uint8_t>(i);
    }
    m.patterns.push_back(p);
    return static_cast<uint8_t>(m.patterns.size() - 1);
}

} // namespace

XmModule composeSoundtrack()
{
    // kick clap hats open bass pad arp melody octave roll fill crash
    const Section F = {false, false, false, false, false, false, false, NO_MELODY, 0, false, false, false};
    auto with = [](Section s, auto change) {
        change(s);
        return s;
    };
    Section pads = with(F, [](Section& s) { s.pad = true; });
    Section groove = with(F, [](Section& s) { s.kick = s.clap = s.hats = s.openHats = s.bass = s.pad = true; });
    Section drive = with(groove, [](Section& s) { s.arp = true; });
    auto lead = [&](Section base, Melody m, int octave) {
        base.melody = m;
        base.octave = octave;
        return base;
    };
    auto crash = [](Section s) {
        s.crash = true;
        return s;
    };
    auto fill = [](Section s) {
        s.fill = true;
        return s;
    };
    auto roll = [](Section s) {
        s.snareRoll = true;
        return s;
    };

    std::vector<Section> song = {
        // 0-255: opening, pads and a quiet arpeggio, then hats.
        crash(pads),
        with(pads, [](Section& s) { s.arp = true; }),
        with(pads, [](Section& s) { s.arp = s.hats = true; }),
        roll(with(pads, [](Section& s) { s.arp = s.hats = true; })),
        // 256: the beat and the bass come in.
        crash(with(F, [](Section& s) { s.kick = s.hats = s.bass = s.pad = true; })),
        with(F, [](Section& s) { s.kick = s.hats = s.bass = s.pad = s.arp = true; }),
        // 384: full groove.
        crash(drive),
        fill(drive),
        // 512: breakdown under the credit panels, building up.
        crash(with(pads, [](Section& s) { s.arp = true; s.melody = THEME_SLOW; })),
        roll(with(pads, [](Section& s) { s.arp = true; s.melody = THEME_SLOW; })),
        // 640: the drop with the main theme.
        crash(lead(groove, THEME_A, 0)),
        fill(lead(groove, THEME_A, 0)),
        // 768: the second theme.
        crash(lead(drive, THEME_B, 0)),
        fill(lead(drive, THEME_B, 0)),
        // 896: the main theme an octave up.
        crash(lead(drive, THEME_A, 1)),
        fill(lead(drive, THEME_A, 1)),
        // 1024: second breakdown.
        crash(lead(pads, THEME_SLOW, 0)),
        roll(lead(with(pads, [](Section& s) { s.arp = true; }), THEME_SLOW, 0)),
        // 1152: the groove returns, the themes one after the other.
        crash(groove),
        drive,
        lead(drive, THEME_A, 0),
        lead(drive, THEME_B, 0),
        fill(lead(drive, THEME_B, 0)),
        // 1472: the peak.
        crash(lead(drive, THEME_A, 0)),
        lead(drive, THEME_A, 0),
        lead(drive, THEME_B, 0),
        fill(lead(drive, THEME_B, 0)),
        crash(lead(drive, THEME_A, 1)),
        lead(drive, THEME_A, 1),
        lead(drive, THEME_B, 1),
        fill(lead(drive, THEME_B, 0)),
        // 1984: last breakdown and build.
        crash(with(pads, [](Section& s) { s.arp = true; })),
        roll(lead(with(pads, [](Section& s) { s.arp = true; }), THEME_SLOW, 0)),
        // 2112: the final drop.
        crash(lead(drive, THEME_B, 0)),
        fill(lead(drive, THEME_A, 1)),
    };

    XmModule m;
    m.name = "T.A.V.";
    m.channels = CHANNELS;
    m.speed = 6;
    m.bpm = 140;
    m.instruments = instruments();
    for (const Section& s : song)
        m.orders.push_back(addPattern(m, buildPattern(s)));
    // 2240: the ending, then the chord's tail and silence while the show says goodbye.
    m.orders.push_back(addPattern(m, endingPattern()));
    XmPattern silence(kRows, CHANNELS);
    m.orders.push_back(addPattern(m, silence));
    m.orders.push_back(addPattern(m, silence));
    return m;
}

XmModule fastSoundtrack(const XmModule& song)
{
    XmModule fast = song;
    fast.name = "T.A.V. fast";
    fast.speed = 1;
    fast.bpm = 255;
    return fast;
}

XmModule benchSoundtrack(const XmModule& song)
{
    XmModule bench = song;
    bench.name = "T.A.V. one minute";
    bench.speed = 2;
    bench.bpm = 192;  // 26 ms a row: the 2305 rows of the schedule in 60 s
    return bench;
}

XmModule patternLengthsModule(const XmModule& song)
{
    XmModule m;
    m.name = "pattern lengths";
    m.channels = 2;
    m.speed = 3;
    m.bpm = 250;
    m.instruments = {song.instruments[KICK - 1], song.instruments[CLOSED_HAT - 1]};
    const int lengths[4] = {64, 32, 128, 16};
    for (int length : lengths) {
        XmPattern p(length, 2);
        for (int row = 0; row < length; ++row) {
            if (row % 4 == 0)
                put(p, row, 0, kC4, 1, row == 0 ? 64 : 40);
            put(p, row, 1, kC4, 2, 24);
        }
        m.patterns.push_back(p);
    }
    m.orders = {0, 1, 2, 3, 1};
    return m;
}
