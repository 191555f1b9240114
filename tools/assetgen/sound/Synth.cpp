// The synthesizer toolbox: oscillators, noise, filters, envelopes, buffers.
#include "tools/assetgen/sound/Synth.h"

#include <algorithm>
#include <cmath>

namespace sound {

Mono::Mono(int sampleRate, double seconds)
    : rate(sampleRate), samples(static_cast<size_t>(std::max(0.0, seconds) * sampleRate), 0.0f) {}

Stereo::Stereo(int sampleRate, double seconds)
    : rate(sampleRate),
      left(static_cast<size_t>(std::max(0.0, seconds) * sampleRate), 0.0f),
      right(left.size(), 0.0f) {}

// ---------------------------------------------------------------- noise

float Noise::Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<float>((state >> 8) * (2.0 / 16777216.0) - 1.0);
}

float Noise::Uniform(float lo, float hi) {
    return lo + (hi - lo) * (Next() * 0.5f + 0.5f);
}

int Noise::Below(int n) {
    int v = static_cast<int>((Next() * 0.5f + 0.5f) * n);
    return std::clamp(v, 0, n - 1);
}

// ---------------------------------------------------------------- filters

static double ClampFreq(double rate, double freq) {
    return std::clamp(freq, 5.0, rate * 0.45);
}

Biquad Biquad::LowPass(double rate, double freq, double q) {
    Biquad f;
    double w = 2 * kPi * ClampFreq(rate, freq) / rate, cw = std::cos(w),
           alpha = std::sin(w) / (2 * q);
    double a0 = 1 + alpha;
    f.b0 = (1 - cw) / 2 / a0;
    f.b1 = (1 - cw) / a0;
    f.b2 = f.b0;
    f.a1 = -2 * cw / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

Biquad Biquad::HighPass(double rate, double freq, double q) {
    Biquad f;
    double w = 2 * kPi * ClampFreq(rate, freq) / rate, cw = std::cos(w),
           alpha = std::sin(w) / (2 * q);
    double a0 = 1 + alpha;
    f.b0 = (1 + cw) / 2 / a0;
    f.b1 = -(1 + cw) / a0;
    f.b2 = f.b0;
    f.a1 = -2 * cw / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

Biquad Biquad::BandPass(double rate, double freq, double q) {
    Biquad f;
    double w = 2 * kPi * ClampFreq(rate, freq) / rate, cw = std::cos(w),
           alpha = std::sin(w) / (2 * q);
    double a0 = 1 + alpha;
    f.b0 = alpha / a0;
    f.b1 = 0;
    f.b2 = -alpha / a0;
    f.a1 = -2 * cw / a0;
    f.a2 = (1 - alpha) / a0;
    return f;
}

float Biquad::Process(float x) {
    double y = b0 * x + b1 * x1 + b2 * x2 - a1 * y1 - a2 * y2;
    x2 = x1;
    x1 = x;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
}

float Svf::Process(float x, double freq) {
    double g = std::tan(kPi * ClampFreq(rate, freq) / rate);
    double a1 = 1.0 / (1.0 + g * (g + k)), a2 = g * a1, a3 = g * a2;
    double v3 = x - ic2;
    double v1 = a1 * ic1 + a2 * v3;
    double v2 = ic2 + a2 * ic1 + a3 * v3;
    ic1 = 2 * v1 - ic1;
    ic2 = 2 * v2 - ic2;
    switch (mode) {
        case Mode::LowPass:
            return static_cast<float>(v2);
        case Mode::BandPass:
            return static_cast<float>(v1 * k);
        case Mode::HighPass:
            return static_cast<float>(x - k * v1 - v2);
    }
    return 0.0f;
}

OnePole::OnePole(double rate, double freq) : a(std::exp(-2 * kPi * ClampFreq(rate, freq) / rate)) {}

float OnePole::LowPass(float x) {
    z = x * (1 - a) + z * a;
    return static_cast<float>(z);
}

Resonator::Resonator(double rate, double freq, double decaySeconds) {
    double w = 2 * kPi * ClampFreq(rate, freq) / rate;
    double r = std::exp(-1.0 / (std::max(1e-4, decaySeconds) * rate));
    c1 = 2 * r * std::cos(w);
    c2 = -r * r;
    gainIn = std::sin(w);
}

float Resonator::Process(float x) {
    double y = c1 * y1 + c2 * y2 + gainIn * x;
    y2 = y1;
    y1 = y;
    return static_cast<float>(y);
}

// ---------------------------------------------------------------- oscillators

static double Frac(double x) {
    return x - std::floor(x);
}

static double PolyBlep(double t, double dt) {
    if (dt <= 0) return 0;
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1;
    }
    if (t > 1 - dt) {
        t = (t - 1) / dt;
        return t * t + t + t + 1;
    }
    return 0;
}

double Saw(double phase, double phaseStep) {
    double t = Frac(phase);
    return 2 * t - 1 - PolyBlep(t, std::min(0.5, std::abs(phaseStep)));
}

double Square(double phase, double phaseStep, double duty) {
    double t = Frac(phase), dt = std::min(0.25, std::abs(phaseStep));
    double v = t < duty ? 1.0 : -1.0;
    return v + PolyBlep(t, dt) - PolyBlep(Frac(t - duty + 1), dt);
}

double Triangle(double phase) {
    double t = Frac(phase);
    return t < 0.5 ? 4 * t - 1 : 3 - 4 * t;
}

double Sine(double phase) {
    return std::sin(2 * kPi * Frac(phase));
}

// ---------------------------------------------------------------- envelopes

double ExpDecay(double t, double tau) {
    return t < 0 ? 0 : std::exp(-t / tau);
}

double AttackDecay(double t, double attack, double tau) {
    if (t < 0) return 0;
    if (t < attack) return t / attack;
    return std::exp(-(t - attack) / tau);
}

double Adsr(double t, double attack, double decay, double sustain, double length, double release) {
    auto held = [&](double u) {
        if (u < 0) return 0.0;
        if (u < attack) return u / attack;
        return sustain + (1 - sustain) * std::exp(-(u - attack) / decay);
    };
    if (t < length) return held(t);
    return held(length) * std::exp(-(t - length) / release);
}

double Smooth(double x) {
    x = std::clamp(x, 0.0, 1.0);
    return x * x * (3 - 2 * x);
}

double Lerp(double a, double b, double x) {
    return a + (b - a) * x;
}

// ---------------------------------------------------------------- buffers

void MixInto(Mono& dst, const Mono& src, double atSeconds, double gain) {
    int start = dst.At(atSeconds);
    for (int i = 0; i < src.Frames(); ++i) {
        int j = start + i;
        if (j < 0) continue;
        if (j >= dst.Frames()) break;
        dst.samples[j] += static_cast<float>(src.samples[i] * gain);
    }
}

void Scale(Mono& m, double gain) {
    for (float& s : m.samples) s = static_cast<float>(s * gain);
}

double Peak(const Mono& m) {
    double p = 0;
    for (float s : m.samples) p = std::max(p, static_cast<double>(std::abs(s)));
    return p;
}

double Peak(const Stereo& s) {
    double p = 0;
    for (float v : s.left) p = std::max(p, static_cast<double>(std::abs(v)));
    for (float v : s.right) p = std::max(p, static_cast<double>(std::abs(v)));
    return p;
}

void Normalize(Mono& m, double dbfs) {
    double p = Peak(m);
    if (p > 0) Scale(m, DbToGain(dbfs) / p);
}

void Normalize(Stereo& s, double dbfs) {
    double p = Peak(s);
    if (p <= 0) return;
    double g = DbToGain(dbfs) / p;
    for (float& v : s.left) v = static_cast<float>(v * g);
    for (float& v : s.right) v = static_cast<float>(v * g);
}

void SoftLimit(Stereo& s, double knee, double rarest) {
    std::vector<float> mags;
    mags.reserve(s.left.size() * 2);
    for (float v : s.left) mags.push_back(std::abs(v));
    for (float v : s.right) mags.push_back(std::abs(v));
    if (mags.empty()) return;
    size_t k = static_cast<size_t>((1.0 - rarest) * (mags.size() - 1));
    std::nth_element(mags.begin(), mags.begin() + k, mags.end());
    if (mags[k] <= 0) return;
    double gain = knee / mags[k];
    auto bend = [knee, gain](float v) {
        double x = std::abs(v * gain);
        if (x > knee) x = knee + (1 - knee) * std::tanh((x - knee) / (1 - knee));
        return static_cast<float>(v < 0 ? -x : x);
    };
    for (float& v : s.left) v = bend(v);
    for (float& v : s.right) v = bend(v);
}

void FadeOut(Mono& m, double seconds) {
    int n = std::min(m.Frames(), static_cast<int>(seconds * m.rate));
    for (int i = 0; i < n; ++i) {
        double x = static_cast<double>(i + 1) / n;
        m.samples[m.Frames() - 1 - i] *= static_cast<float>(Smooth(x - 1.0 / n));
    }
}

void FadeIn(Mono& m, double seconds) {
    int n = std::min(m.Frames(), static_cast<int>(seconds * m.rate));
    for (int i = 0; i < n; ++i)
        m.samples[i] *= static_cast<float>(Smooth(static_cast<double>(i) / n));
}

void RemoveDc(Mono& m) {
    OnePole lp(m.rate, 20.0);
    for (float& s : m.samples) s = lp.HighPass(s);
}

void MakeLoop(Mono& m, int loopFrames, int crossfadeFrames, bool periodic) {
    int xf = std::min(crossfadeFrames, m.Frames() - loopFrames);
    for (int i = 0; i < xf; ++i) {
        // The loop start takes over from the overhang beyond the loop end.
        double x = (i + 0.5) / xf;
        double in = periodic ? x : std::sin(0.5 * kPi * x);
        double out = periodic ? 1.0 - x : std::cos(0.5 * kPi * x);
        m.samples[i] = static_cast<float>(m.samples[i] * in + m.samples[loopFrames + i] * out);
    }
    m.samples.resize(loopFrames);
}

void TrimTail(Mono& m, double minSeconds) {
    int last = 0;
    for (int i = 0; i < m.Frames(); ++i)
        if (std::abs(m.samples[i]) > 0.001f) last = i;
    int keep = std::max(last + m.rate / 100, static_cast<int>(minSeconds * m.rate));
    if (keep < m.Frames()) {
        m.samples.resize(keep);
        FadeOut(m, 0.005);
    }
}

double MidiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

double DbToGain(double db) {
    return std::pow(10.0, db / 20.0);
}

}  // namespace sound
