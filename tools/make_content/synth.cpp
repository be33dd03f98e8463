// SPDX-License-Identifier: MIT
#include "tools/make_content/synth.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "tools/make_content/det_math.h"
#include "tools/make_content/prng.h"

namespace {

const double kRate = kSampleRate;

std::vector<double> buffer(double seconds)
{
    return std::vector<double>(static_cast<size_t>(seconds * kRate), 0.0);
}

// Scale to a peak of about -1 dB and convert to 16 bits.
std::vector<int16_t> toPcm(const std::vector<double>& x)
{
    double peak = 1e-9;
    for (double v : x)
        peak = std::max(peak, std::fabs(v));
    double gain = 0.89 * 32767.0 / peak;
    std::vector<int16_t> out(x.size());
    for (size_t i = 0; i < x.size(); ++i)
        out[i] = static_cast<int16_t>(std::lround(x[i] * gain));
    return out;
}

// Chamberlin state-variable filter, one sample at a time.
struct StateVariableFilter {
    double low = 0.0, band = 0.0;
    // Returns the low, band and high outputs for this sample through the references.
    void step(double input, double cutoff, double damping, double& lo, double& bp, double& hi)
    {
        double f = 2.0 * detSin(kPi * std::min(cutoff, kRate / 6.0) / kRate);
        low += f * band;
        double high = input - low - damping * band;
        band += f * high;
        lo = low;
        bp = band;
        hi = high;
    }
};

// A band-limited sawtooth by the polyBLEP correction of a naive ramp.
struct SawOscillator {
    double phase = 0.0;
    double step(double frequency)
    {
        double dt = frequency / kRate;
        double value = 2.0 * phase - 1.0;
        if (phase < dt) {
            double t = phase / dt;
            value -= t + t - t * t - 1.0;
        } else if (phase > 1.0 - dt) {
            double t = (phase - 1.0) / dt;
            value -= t * t + t + t + 1.0;
        }
        phase += dt;
        if (phase >= 1.0)
            phase -= 1.0;
        return value;
    }
};

// Metallic noise of six detuned square waves, the classic drum-machine recipe for cymbals.
double metallic(double t)
{
    static const double freqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double sum = 0.0;
    for (double f : freqs) {
        double ph = t * f * 3.1;
        sum += (ph - std::floor(ph)) < 0.5 ? 1.0 : -1.0;
    }
    return sum / 6.0;
}

// A looped supersaw-like tone: voices with whole numbers of cycles per loop, so the loop joins seamlessly.
// Each voice is summed from its harmonics, with a gentle spectral low-pass at the given cutoff.
std::vector<double> loopedSaws(const std::vector<int>& voiceHz, double cutoff, uint32_t seed, int loopFrames)
{
    std::vector<double> out(static_cast<size_t>(loopFrames), 0.0);
    Prng rng(seed);
    for (int hz : voiceHz) {
        int harmonics = static_cast<int>((kRate * 0.45) / hz);
        for (int h = 1; h <= harmonics; ++h) {
            double weight = 1.0 / h / (1.0 + (h * hz / cutoff) * (h * hz / cutoff));
            double phase = rng.uniform() * 2.0 * kPi;
            double cycles = static_cast<double>(h) * hz * loopFrames / kRate; // whole number
            for (int i = 0; i < loopFrames; ++i)
                out[static_cast<size_t>(i)] += weight * detSin(2.0 * kPi * cycles * i / loopFrames + phase);
        }
    }
    return out;
}

} // namespace

void tuneInstrument(XmInstrument& instrument, double f0)
{
    // A note n plays at 8363 * 2^((n - 49 + relative + finetune / 128) / 12) Hz; the tone should sound at
    // 440 * 2^((n - 58) / 12).
    double x = 12.0 * detLog(440.0 * kRate / (8363.0 * f0)) / detLog(2.0) - 9.0;
    double whole = std::floor(x + 0.5);
    int finetune = static_cast<int>(std::lround((x - whole) * 128.0));
    instrument.relativeNote = static_cast<int8_t>(whole);
    instrument.finetune = static_cast<int8_t>(std::max(-128, std::min(127, finetune)));
}

XmInstrument makeKick()
{
    std::vector<double> x = buffer(0.42);
    Prng rng(1);
    double phase = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        double freq = 48.0 + 140.0 * detExp(-t * 32.0) + 300.0 * detExp(-t * 300.0);
        phase += 2.0 * kPi * freq / kRate;
        double amp = detExp(-t * 6.5) * std::min(1.0, t * 2000.0);
        double click = (rng.uniform() * 2.0 - 1.0) * detExp(-t * 900.0) * 0.5;
        x[i] = detTanh(1.8 * detSin(phase)) * amp + click;
    }
    XmInstrument in;
    in.name = "kick";
    in.sample = toPcm(x);
    tuneInstrument(in, 261.6255653); // played at C-4 it sounds as recorded
    return in;
}

XmInstrument makeClap()
{
    std::vector<double> x = buffer(0.32);
    Prng rng(2);
    StateVariableFilter f;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        // Three quick slaps, then the room.
        double env = 0.0;
        for (int k = 0; k < 3; ++k) {
            double tk = t - k * 0.0095;
            if (tk >= 0.0)
                env = std::max(env, detExp(-tk * 320.0));
        }
        if (t >= 0.028)
            env = std::max(env, 0.8 * detExp(-(t - 0.028) * 16.0));
        double lo, bp, hi;
        f.step(rng.uniform() * 2.0 - 1.0, 1300.0, 0.6, lo, bp, hi);
        x[i] = (bp * 0.8 + hi * 0.3) * env;
    }
    XmInstrument in;
    in.name = "clap";
    in.sample = toPcm(x);
    tuneInstrument(in, 261.6255653);
    return in;
}

XmInstrument makeSnare()
{
    std::vector<double> x = buffer(0.28);
    Prng rng(3);
    StateVariableFilter f;
    double phase = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        phase += 2.0 * kPi * (185.0 + 60.0 * detExp(-t * 40.0)) / kRate;
        double tone = detSin(phase) * detExp(-t * 28.0) * 0.6;
        double lo, bp, hi;
        f.step(rng.uniform() * 2.0 - 1.0, 3000.0, 0.9, lo, bp, hi);
        double noise = (hi * 0.6 + bp * 0.5) * detExp(-t * 15.0);
        x[i] = tone + noise;
    }
    XmInstrument in;
    in.name = "snare";
    in.sample = toPcm(x);
    tuneInstrument(in, 261.6255653);
    return in;
}

static std::vector<double> hat(double seconds, double decay, uint32_t seed)
{
    std::vector<double> x = buffer(seconds);
    Prng rng(seed);
    StateVariableFilter f1, f2;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        double source = metallic(t) * 0.6 + (rng.uniform() * 2.0 - 1.0) * 0.5;
        double lo, bp, hi;
        f1.step(source, 7000.0, 0.7, lo, bp, hi);
        double h1 = hi;
        f2.step(h1, 9000.0, 1.0, lo, bp, hi);
        double env = detExp(-t * decay) * std::min(1.0, t * 4000.0);
        x[i] = (hi + bp * 0.5) * env;
    }
    return x;
}

XmInstrument makeClosedHat()
{
    XmInstrument in;
    in.name = "closed hat";
    in.sample = toPcm(hat(0.09, 55.0, 4));
    tuneInstrument(in, 261.6255653);
    return in;
}

XmInstrument makeOpenHat()
{
    XmInstrument in;
    in.name = "open hat";
    in.sample = toPcm(hat(0.42, 9.0, 5));
    tuneInstrument(in, 261.6255653);
    return in;
}

XmInstrument makeCrash()
{
    std::vector<double> x = buffer(1.6);
    Prng rng(6);
    StateVariableFilter f;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        double source = metallic(t * 1.37) * 0.5 + (rng.uniform() * 2.0 - 1.0);
        double lo, bp, hi;
        f.step(source, 4500.0, 0.8, lo, bp, hi);
        double env = detExp(-t * 2.6) * std::min(1.0, t * 3000.0) * (0.8 + 0.2 * detExp(-t * 30.0));
        x[i] = (hi + 0.3 * bp) * env;
    }
    XmInstrument in;
    in.name = "crash";
    in.sample = toPcm(x);
    tuneInstrument(in, 261.6255653);
    return in;
}

XmInstrument makeBass()
{
    // Two detuned saws and a sub sine through a resonant low-pass that closes quickly: a plucked bass.
    const double f0 = 110.0;
    std::vector<double> x = buffer(0.6);
    SawOscillator a, b;
    StateVariableFilter f;
    double sub = 0.0;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        double saws = a.step(f0 * 1.0035) + b.step(f0 / 1.0035);
        sub += 2.0 * kPi * f0 / kRate;
        double cutoff = 250.0 + 2600.0 * detExp(-t * 14.0);
        double lo, bp, hi;
        f.step(saws * 0.5, cutoff, 0.45, lo, bp, hi);
        double amp = std::min(1.0, t * 600.0) * (0.35 + 0.65 * detExp(-t * 5.0));
        x[i] = detTanh((lo + 0.6 * detSin(sub)) * 1.4) * amp;
    }
    XmInstrument in;
    in.name = "bass";
    in.sample = toPcm(x);
    tuneInstrument(in, f0);
    return in;
}

XmInstrument makePluck()
{
    // A bright pluck for the arpeggios: saw plus a touch of square, filter and level falling fast.
    const double f0 = 440.0;
    std::vector<double> x = buffer(0.5);
    SawOscillator a, b;
    StateVariableFilter f;
    for (size_t i = 0; i < x.size(); ++i) {
        double t = i / kRate;
        double s = a.step(f0) * 0.7 + b.step(f0 * 2.0) * 0.3;
        double cutoff = 500.0 + 6000.0 * detExp(-t * 16.0);
        double lo, bp, hi;
        f.step(s, cutoff, 0.35, lo, bp, hi);
        double amp = std::min(1.0, t * 1500.0) * detExp(-t * 7.0);
        x[i] = lo * amp;
    }
    XmInstrument in;
    in.name = "pluck";
    in.sample = toPcm(x);
    tuneInstrument(in, f0);
    return in;
}

XmInstrument makePad()
{
    // Five saws around A-3 (216 to 224 Hz, whole hertz), looped over one second: a slow, wide chorus.
    const std::vector<int> voices = {216, 218, 220, 222, 224};
    std::vector<double> x = loopedSaws(voices, 1800.0, 7, kSampleRate);
    XmInstrument in;
    in.name = "pad";
    in.sample = toPcm(x);
    in.loopStart = 0;
    in.loopLength = static_cast<uint32_t>(in.sample.size());
    in.volumeEnvelope = {{0, 0}, {28, 60}, {60, 48}, {110, 0}};
    in.sustainPoint = 2;
    in.fadeout = 600;
    tuneInstrument(in, 220.0);
    return in;
}

XmInstrument makeLead()
{
    // Three bright saws around A-4, looped over one second, with a quick attack and a little vibrato.
    const std::vector<int> voices = {438, 440, 442};
    std::vector<double> x = loopedSaws(voices, 5000.0, 8, kSampleRate);
    XmInstrument in;
    in.name = "lead";
    in.sample = toPcm(x);
    in.loopStart = 0;
    in.loopLength = static_cast<uint32_t>(in.sample.size());
    in.volumeEnvelope = {{0, 0}, {2, 64}, {14, 44}, {34, 0}};
    in.sustainPoint = 2;
    in.fadeout = 1200;
    in.vibratoType = 0;
    in.vibratoSweep = 24;
    in.vibratoDepth = 3;
    in.vibratoRate = 10;
    tuneInstrument(in, 440.0);
    return in;
}
