// Recipes of the game's sound effects: a two-stroke engine model for the saw,
// struck resonator banks for wood, nails and footsteps, filtered noise for
// rips, dust and paper, plucked strings for the piano, and the sequencer for
// the fanfares.
#include "tools/assetgen/sound/Effects.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "tools/assetgen/sound/Music.h"

namespace sound {

namespace {

using Curve = std::function<double(double)>;

double Clamp01(double x) {
    return std::clamp(x, 0.0, 1.0);
}

// ---------------------------------------------------------------- impacts

struct Mode {
    double freq;
    double tau;
    double amp;
};

// One knock: a resonator bank struck once, a burst of filtered noise and a
// low thump. Everything that hits something is built from these.
struct Impact {
    std::vector<Mode> modes;
    double pitch = 1.0;  // scales every mode frequency
    double noiseAmp = 0.3;
    double noiseTau = 0.01;
    double noiseLowPass = 6000;
    double noiseHighPass = 100;
    double thumpHz = 0;
    double thumpAmp = 0;
    double thumpTau = 0.05;
    double length = 0.3;
};

Mono Render(const Impact& k, int rate, std::uint32_t seed) {
    Mono out(rate, k.length);
    Noise nz(seed);
    std::vector<Resonator> bank;
    for (const Mode& m : k.modes) bank.emplace_back(rate, m.freq * k.pitch, m.tau);
    Biquad lp = Biquad::LowPass(rate, k.noiseLowPass), hp = Biquad::HighPass(rate, k.noiseHighPass);
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / rate;
        float x = i == 0 ? 1.0f : 0.0f;
        double s = 0;
        for (size_t j = 0; j < bank.size(); ++j) s += bank[j].Process(x) * k.modes[j].amp;
        s += hp.Process(lp.Process(nz.Next())) * k.noiseAmp * ExpDecay(t, k.noiseTau);
        if (k.thumpAmp > 0)
            s += std::sin(2 * kPi * k.thumpHz * t) * k.thumpAmp * AttackDecay(t, 0.002, k.thumpTau);
        out.samples[i] = static_cast<float>(s);
    }
    return out;
}

void Knock(Mono& out, double at, const Impact& k, double gain, std::uint32_t seed) {
    MixInto(out, Render(k, out.rate, seed), at, gain);
}

// ---------------------------------------------------------------- the engine

// How hard the engine's sum is driven into its soft clipper: a little grit,
// but not a square wave.
constexpr double kEngineDrive = 0.45;

struct EngineCurves {
    Curve firing;                                // firing rate in Hz
    Curve level = [](double) { return 1.0; };    // loudness 0..1
    Curve misfire = [](double) { return 0.0; };  // chance a stroke fails
    double chain = 0.25;                         // chain and bar whine
};

// A two-stroke engine: each firing strikes the exhaust's resonances and
// spits a burst of noise; a buzzing body follows the firing rate.
void Engine(Mono& out, double at, double seconds, const EngineCurves& e, std::uint32_t seed) {
    int rate = out.rate;
    Noise nz(seed);
    Resonator r1(rate, 130, 0.03), r2(rate, 370, 0.016), r3(rate, 880, 0.008),
        r4(rate, 2050, 0.003);
    Biquad hiss = Biquad::BandPass(rate, 2600, 0.7);
    Biquad chainBp = Biquad::BandPass(rate, 4300, 1.8);
    OnePole buzzLp(rate, 700);
    double phase = 0, sinceFire = 1.0;
    int start = out.At(at), n = static_cast<int>(seconds * rate);
    for (int i = 0; i < n && start + i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / rate;
        double f = e.firing(t);
        phase += f / rate;
        float x = 0;
        if (phase >= 1) {
            phase -= std::floor(phase);
            if (nz.Uniform(0, 1) >= e.misfire(t)) {
                x = 1.0f + 0.25f * nz.Next();
                sinceFire = 0;
            }
        }
        sinceFire += 1.0 / rate;
        double body =
            r1.Process(x * 2.2f) + r2.Process(x * 1.6f) + r3.Process(x) + r4.Process(x * 0.5f);
        double burst = hiss.Process(nz.Next()) * std::exp(-sinceFire / 0.004);
        double buzz = buzzLp.LowPass(static_cast<float>(Square(phase, f / rate, 0.25))) * 0.5;
        double chain = chainBp.Process(nz.Next()) * e.chain * Clamp01(f / 90.0) *
                       (0.7 + 0.3 * std::sin(2 * kPi * f * 3.5 * t));
        double s = (body * 0.5 + burst * 0.9 + buzz * 0.4 + chain) * e.level(t);
        out.samples[start + i] += static_cast<float>(std::tanh(s * kEngineDrive));
    }
}

// ---------------------------------------------------------------- materials

std::vector<Mode> Body(Material m) {
    switch (m) {
        case Material::LightWood:
        case Material::Clock:
            return {{430, 0.035, 1},
                    {840, 0.024, 0.8},
                    {1580, 0.014, 0.6},
                    {2650, 0.008, 0.45},
                    {3900, 0.004, 0.35}};
        case Material::HeavyWood:
            return {{190, 0.06, 1},
                    {365, 0.045, 0.9},
                    {720, 0.03, 0.7},
                    {1310, 0.017, 0.5},
                    {2400, 0.008, 0.35}};
        case Material::Upholstery:
            return {{150, 0.03, 1}, {480, 0.012, 0.35}, {1100, 0.006, 0.15}};
        case Material::Piano:
            return {{160, 0.07, 1},
                    {330, 0.05, 0.9},
                    {690, 0.03, 0.7},
                    {1250, 0.018, 0.5},
                    {2300, 0.008, 0.3}};
    }
    return {};
}

Impact WoodKnock(Material m, double pitch, double size) {
    Impact k;
    k.modes = Body(m);
    k.pitch = pitch;
    k.noiseAmp = 0.5 * size;
    k.noiseTau = 0.008 + 0.02 * size;
    k.noiseLowPass = m == Material::Upholstery ? 1500 : 6000;
    k.noiseHighPass = 300;
    k.thumpHz = m == Material::LightWood ? 95 : 65;
    k.thumpAmp = 0.4 * size;
    k.thumpTau = 0.06 + 0.06 * size;
    k.length = 0.35;
    return k;
}

// Karplus-Strong string, for the piano's insides.
Mono Pluck(int rate, double freq, double seconds, double decay, std::uint32_t seed) {
    Mono out(rate, seconds);
    Noise nz(seed);
    double delay = rate / freq - 0.5;
    int size = static_cast<int>(delay) + 4;
    std::vector<double> line(size, 0.0);
    double prev = 0;
    for (int i = 0; i < out.Frames(); ++i) {
        double readPos = i - delay, y = 0;
        if (readPos >= 0) {
            int r0 = static_cast<int>(std::floor(readPos));
            double fr = readPos - r0;
            y = line[r0 % size] * (1 - fr) + line[(r0 + 1) % size] * fr;
        }
        double excite = i < static_cast<int>(delay) ? nz.Next() : 0.0;
        double fb = 0.5 * (y + prev) * decay;
        prev = y;
        line[i % size] = excite + fb;
        out.samples[i] = static_cast<float>(y);
    }
    FadeOut(out, 0.05);
    return out;
}

// Stick-slip creaking: the wood complains before it gives.
void Creak(Mono& out, double at, double seconds, Material m, double gain, Noise& nz) {
    double t = 0;
    while (t < seconds) {
        double x = t / seconds;
        Impact k = WoodKnock(m, 1.6, 0.05);
        k.thumpAmp = 0;
        k.length = 0.05;
        Knock(out, at + t, k, gain * (0.15 + 0.5 * x),
              static_cast<std::uint32_t>(nz.Below(1 << 30)));
        t += 1.0 / (30 + 40 * x + nz.Uniform(-6, 6));
    }
}

// A crack of the given size (0..1): a creak, then a cluster of sharp knocks.
void Crack(Mono& out, double at, double size, Material m, Noise& nz) {
    double t = at;
    if (size >= 0.5) {
        Creak(out, at, 0.12 + 0.12 * size, m, 0.5, nz);
        t += 0.12 + 0.12 * size;
    }
    int count = 3 + static_cast<int>(size * 12);
    double amp = 1.0;
    for (int i = 0; i < count; ++i) {
        Impact k = WoodKnock(m, nz.Uniform(0.85, 1.2), i == 0 ? size : size * 0.3);
        Knock(out, t, k, amp, static_cast<std::uint32_t>(nz.Below(1 << 30)));
        t += nz.Uniform(0.004, 0.012 + 0.02 * size);
        amp *= 0.8;
    }
}

// Pieces dropping to the pavement and bouncing.
void Clatter(Mono& out, double at, Material m, int pieces, Noise& nz) {
    for (int p = 0; p < pieces; ++p) {
        double t = at + p * nz.Uniform(0.05, 0.11);
        double amp = 1.0 - 0.15 * p, gap = nz.Uniform(0.12, 0.18);
        double pitch = nz.Uniform(0.8, 1.5);
        for (int b = 0; b < 4; ++b) {
            Impact k = WoodKnock(m, pitch, b == 0 ? 1.0 : 0.4);
            Knock(out, t, k, amp, static_cast<std::uint32_t>(nz.Below(1 << 30)));
            t += gap;
            gap *= 0.6;
            amp *= 0.45;
        }
    }
}

// Tearing cloth: grains of noise in a cloth band.
void Rip(Mono& out, double at, double seconds, double gain, Noise& nz) {
    Biquad bp = Biquad::BandPass(out.rate, 2600, 0.7);
    int start = out.At(at), n = static_cast<int>(seconds * out.rate);
    int grain = out.rate / 250;
    double g = 0;
    for (int i = 0; i < n && start + i < out.Frames(); ++i) {
        if (i % grain == 0) g = std::pow(nz.Uniform(0.1, 1.0), 2.0);
        double x = static_cast<double>(i) / n;
        double env = Smooth(x / 0.2) * (1 - Smooth((x - 0.7) / 0.3));
        out.samples[start + i] += static_cast<float>(bp.Process(nz.Next()) * g * env * gain * 2.0);
    }
}

// A cartoon spring: "sproing".
void Sproing(Mono& out, double at, double f0, double gain) {
    int start = out.At(at), n = out.rate * 1;
    double phase = 0;
    for (int i = 0; i < n && start + i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double f = f0 * (1 + 0.5 * std::exp(-t / 0.04)) *
                   (1 + 0.09 * std::sin(2 * kPi * 13 * t) * std::exp(-t / 0.5));
        phase += f / out.rate;
        double s = Sine(phase) + 0.35 * Sine(2 * phase) + 0.1 * Sine(3 * phase);
        out.samples[start + i] += static_cast<float>(s * AttackDecay(t, 0.003, 0.35) * gain);
    }
}

// Low-passed noise that swells and settles: a cloud of dust.
void Poof(Mono& out, double at, double gain, Noise& nz) {
    Svf lp(out.rate, Svf::Mode::LowPass, 0.8);
    int start = out.At(at), n = static_cast<int>(0.65 * out.rate);
    for (int i = 0; i < n && start + i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double cut = 250 + 2200 * std::exp(-t / 0.12);
        double s = lp.Process(nz.Next(), cut) * AttackDecay(t, 0.025, 0.16) +
                   std::sin(2 * kPi * 55 * t) * 0.5 * AttackDecay(t, 0.01, 0.08);
        out.samples[start + i] += static_cast<float>(s * gain);
    }
}

// A metallic ping of a nail or a coin.
Impact Metal(double pitch, double tau) {
    Impact k;
    k.modes = {
        {3150, tau, 1}, {4870, tau * 0.6, 0.6}, {7350, tau * 0.35, 0.35}, {9100, tau * 0.2, 0.2}};
    k.pitch = pitch;
    k.noiseAmp = 0.15;
    k.noiseTau = 0.002;
    k.noiseHighPass = 3000;
    k.noiseLowPass = 10000;
    k.length = std::min(1.0, tau * 5);
    return k;
}

// The grandfather clock's chime rod: a low, long "bong".
Impact Chime(double freq) {
    Impact k;
    k.modes = {{freq, 0.9, 1},
               {freq * 2.0, 0.5, 0.35},
               {freq * 2.92, 0.35, 0.4},
               {freq * 4.16, 0.2, 0.2},
               {freq * 5.4, 0.1, 0.1}};
    k.noiseAmp = 0.05;
    k.noiseTau = 0.003;
    k.length = 1.2;
    return k;
}

// Tick or tock of the clockwork.
Impact Tick(bool tock) {
    Impact k;
    k.modes = {
        {tock ? 1900.0 : 2600.0, 0.012, 1}, {tock ? 3300.0 : 4400.0, 0.006, 0.5}, {700, 0.01, 0.3}};
    k.noiseAmp = 0.2;
    k.noiseTau = 0.002;
    k.noiseHighPass = 1500;
    k.length = 0.06;
    return k;
}

// A nail pulled out with a squeak.
void Squeak(Mono& out, double at, double seconds, Noise& nz) {
    int start = out.At(at), n = static_cast<int>(seconds * out.rate);
    double phase = 0, g = 1;
    for (int i = 0; i < n && start + i < out.Frames(); ++i) {
        if (i % (out.rate / 400) == 0) g = nz.Uniform(0.3, 1.0);
        double x = static_cast<double>(i) / n;
        double f = 1700 + 900 * x;
        phase += f / out.rate;
        double env = Smooth(x / 0.15) * (1 - Smooth((x - 0.8) / 0.2));
        out.samples[start + i] +=
            static_cast<float>((Sine(phase) + 0.3 * Sine(2 * phase)) * g * env * 0.35);
    }
}

Mono FromScore(const Score& score, double tail) {
    Stereo st = RenderScore(score, kJingleRate, false, tail);
    AddRoom(st, 0.6f, false);
    Mono m(kJingleRate, 0);
    m.samples.resize(st.Frames());
    for (int i = 0; i < st.Frames(); ++i) m.samples[i] = 0.5f * (st.left[i] + st.right[i]);
    FadeOut(m, 0.3);
    return m;
}

constexpr double kRunningHz = 88.0;  // firing rate of the saw at cutting speed

}  // namespace

// ---------------------------------------------------------------- the saw

Mono SawStart() {
    Mono out(kEffectRate, 0.75);
    Noise nz(101);
    // The cord: a ratcheting zip.
    Biquad zip = Biquad::BandPass(out.rate, 1200, 1.2);
    for (int i = 0; i < out.At(0.14); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double tick = std::pow(0.5 + 0.5 * std::sin(2 * kPi * (40 * t + 300 * t * t)), 8);
        out.samples[i] +=
            static_cast<float>(zip.Process(nz.Next()) * (0.3 + tick) * Smooth(t / 0.02) * 0.8);
    }
    EngineCurves e;
    e.firing = [](double t) {
        return t < 0.12 ? 25 + 150 * t
                        : std::min(118.0, 43 + 400 * (t - 0.12) * (t - 0.12) + 60 * (t - 0.12));
    };
    e.level = [](double t) { return Smooth(t / 0.04) * (0.6 + 0.4 * Smooth((t - 0.1) / 0.3)); };
    e.misfire = [](double t) { return t < 0.1 ? 0.35 : 0.03; };
    Engine(out, 0.12, 0.63, e, 102);
    FadeOut(out, 0.08);
    return out;
}

Mono SawRunning() {
    Mono out(kEffectRate, 2.0 + 0.15);
    EngineCurves e;
    e.firing = [](double t) {
        return kRunningHz + 3 * std::sin(2 * kPi * 1.5 * t) + 1.5 * std::sin(2 * kPi * 4 * t);
    };
    e.level = [](double t) { return 0.9 + 0.1 * std::sin(2 * kPi * 1.5 * t); };
    e.misfire = [](double) { return 0.01; };
    e.chain = 0.3;
    Engine(out, 0, 2.15, e, 103);
    MakeLoop(out, out.At(2.0), out.At(0.15), true);
    return out;
}

Mono SawRevDown() {
    Mono out(kEffectRate, 0.8);
    EngineCurves e;
    e.firing = [](double t) { return 30 + (kRunningHz - 30) * std::exp(-t / 0.18); };
    e.level = [](double t) { return 0.5 + 0.5 * std::exp(-t / 0.25); };
    e.misfire = [](double t) { return 0.02 + 0.2 * Clamp01((t - 0.3) / 0.5); };
    Engine(out, 0, 0.8, e, 104);
    FadeOut(out, 0.2);
    return out;
}

Mono SawThreaten() {
    // Three throttle blips in a two-second loop: "vroom-vroom-vroom".
    Mono out(kEffectRate, 2.0 + 0.15);
    EngineCurves e;
    e.firing = [](double t) {
        return 95 + 55 * std::pow(0.5 - 0.5 * std::cos(2 * kPi * t * 1.5), 1.5);
    };
    e.level = [](double t) { return 0.75 + 0.25 * (0.5 - 0.5 * std::cos(2 * kPi * t * 1.5)); };
    e.misfire = [](double) { return 0.01; };
    e.chain = 0.35;
    Engine(out, 0, 2.15, e, 105);
    MakeLoop(out, out.At(2.0), out.At(0.15), true);
    return out;
}

Mono SawRevUp() {
    Mono out(kEffectRate, 0.6);
    EngineCurves e;
    e.firing = [](double t) { return 55 + 90 * Smooth(t / 0.4); };
    e.level = [](double t) { return 0.6 + 0.4 * Smooth(t / 0.3); };
    Engine(out, 0, 0.6, e, 106);
    FadeOut(out, 0.1);
    return out;
}

Mono SawOutOfGas() {
    Mono out(kEffectRate, 1.8);
    EngineCurves e;
    e.firing = [](double t) { return 80 - 40 * Clamp01(t / 1.2); };
    e.level = [](double t) { return 1 - Smooth((t - 1.0) / 0.5); };
    e.misfire = [](double t) { return 0.15 + 0.7 * Clamp01(t / 1.3); };
    Engine(out, 0, 1.5, e, 107);
    // The last cough and a pop from the exhaust.
    Noise nz(108);
    Impact pop;
    pop.modes = {{220, 0.03, 1}, {600, 0.015, 0.5}};
    pop.noiseAmp = 0.8;
    pop.noiseTau = 0.015;
    pop.noiseLowPass = 3000;
    pop.thumpHz = 70;
    pop.thumpAmp = 0.6;
    pop.length = 0.25;
    Knock(out, 1.45, pop, 1.0, 109);
    FadeOut(out, 0.1);
    return out;
}

// ---------------------------------------------------------------- furniture

Mono Cut(Material m, int section) {
    std::uint32_t seed = 200 + static_cast<std::uint32_t>(m) * 16 + section;
    Noise nz(seed);
    bool last = section >= 4;
    Mono out(kEffectRate, last ? 1.6 : 0.7 + 0.1 * section);
    double size = last ? 1.0 : 0.35 + 0.15 * section;
    if (m == Material::Upholstery) {
        Rip(out, 0, 0.25 + 0.08 * section, 0.7, nz);
        Crack(out, 0.05, size * 0.6, m, nz);
        if (section >= 2) Sproing(out, 0.18, 160 + 40 * section, last ? 0.8 : 0.35);
    } else {
        Crack(out, 0, size, m, nz);
    }
    if (m == Material::Piano) {
        // A few strings let go: out of tune, of course.
        int strings = last ? 7 : 2 + section / 2;
        for (int s = 0; s < strings; ++s) {
            double midi = 40 + nz.Below(30);
            Mono p = Pluck(out.rate, MidiToHz(midi), last ? 1.3 : 0.6, 0.997, seed * 7 + s);
            MixInto(out, p, 0.12 + 0.03 * s, last ? 0.25 : 0.3);
        }
    }
    if (m == Material::Clock) {
        // The chime protests at every cut; at the last the works spill out.
        const double pitches[4] = {330, 262, 294, 196};
        Knock(out, 0.06, Chime(pitches[section - 1]), last ? 0.6 : 0.45, seed * 3);
        if (last) {
            Sproing(out, 0.5, 240, 0.6);
            for (int g = 0; g < 10; ++g)
                Knock(out, 0.45 + 0.06 * g + nz.Uniform(0, 0.04), Metal(nz.Uniform(0.6, 1.4), 0.04),
                      0.35, seed * 5 + g);
        }
    }
    if (last) {
        Clatter(out, 0.42, m, 3, nz);
        Poof(out, 0.45, 0.7, nz);
    } else {
        Poof(out, 0.1, 0.35, nz);
    }
    FadeOut(out, 0.1);
    return out;
}

Mono LockBreaks(Material m) {
    Mono out(kEffectRate, 1.0);
    Noise nz(300 + static_cast<std::uint32_t>(m));
    Squeak(out, 0, 0.2, nz);
    Crack(out, 0.2, 0.45, m, nz);
    Knock(out, 0.2, Metal(1.0, 0.12), 0.8, 301);
    // The nail skitters over the pavement.
    double t = 0.5, amp = 0.4;
    for (int b = 0; b < 4; ++b) {
        Knock(out, t, Metal(1.25, 0.03), amp, 302 + b);
        t += 0.11 * std::pow(0.65, b);
        amp *= 0.55;
    }
    Poof(out, 0.22, 0.3, nz);
    FadeOut(out, 0.1);
    return out;
}

Mono Bite(Material m) {
    const double loop = 1.6, xfade = 0.12;
    Mono out(kEffectRate, loop + xfade);
    Noise nz(400 + static_cast<std::uint32_t>(m));
    bool cloth = m == Material::Upholstery;
    double bandLow = m == Material::HeavyWood || m == Material::Piano ? 1200 : 1800;
    Biquad b1 = Biquad::BandPass(out.rate, cloth ? 3000 : bandLow, 1.2);
    Biquad b2 = Biquad::BandPass(out.rate, cloth ? 600 : bandLow * 2.1, 2.0);
    double grain = 1;
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        // The chain teeth bite in time with the engine.
        double teeth = 0.55 + 0.45 * std::abs(std::sin(kPi * kRunningHz * t));
        if (cloth && i % (out.rate / 300) == 0) grain = std::pow(nz.Uniform(0.2, 1.0), 1.5);
        double x = nz.Next();
        double s = cloth ? (b1.Process(x) * grain * 0.8 + b2.Process(x) * 0.5) * (0.8 + 0.2 * teeth)
                         : (b1.Process(x) * 0.7 + b2.Process(x) * 0.45) * teeth;
        s += Saw(kRunningHz * t, kRunningHz / out.rate) * 0.06;
        out.samples[i] = static_cast<float>(s);
    }
    if (!cloth) {
        // Chips flying off.
        double t = 0;
        while (t < loop + xfade) {
            Impact k = WoodKnock(m, nz.Uniform(1.5, 3.0), 0.1);
            k.thumpAmp = 0;
            k.length = 0.06;
            Knock(out, t, k, nz.Uniform(0.1, 0.35), static_cast<std::uint32_t>(nz.Below(1 << 30)));
            t += nz.Uniform(0.005, m == Material::LightWood ? 0.03 : 0.04);
        }
    } else {
        Sproing(out, 0.5, 300, 0.12);
    }
    if (m == Material::Clock) {
        for (int k = 0; k < 4; ++k) Knock(out, 0.05 + 0.4 * k, Tick(k % 2 == 1), 0.5, 420 + k);
    }
    if (m == Material::Piano) {
        for (int s = 0; s < 3; ++s) {
            Mono p = Pluck(out.rate, MidiToHz(45 + nz.Below(24)), 0.5, 0.994, 410 + s);
            MixInto(out, p, 0.2 + 0.5 * s, 0.2);
        }
    }
    MakeLoop(out, out.At(loop), out.At(xfade), false);
    return out;
}

// ---------------------------------------------------------------- figures

Mono Footstep(int walker, int foot, bool hard) {
    std::uint32_t seed = 500 + walker * 8 + foot * 2 + (hard ? 1 : 0);
    Noise nz(seed);
    double pitch = foot ? 0.93 : 1.0;
    double force = hard ? 1.0 : 0.6;
    Mono out(kEffectRate, 0.22);
    Impact k;
    k.pitch = pitch;
    switch (walker) {
        case 1:  // heels on the pavement: click-clack
            k.modes = {{2350, 0.012, 1}, {3900, 0.008, 0.6}, {5600, 0.005, 0.4}, {900, 0.01, 0.4}};
            k.noiseAmp = 0.3;
            k.noiseTau = 0.003;
            k.noiseHighPass = 1500;
            k.thumpHz = 120;
            k.thumpAmp = 0.2 * force;
            k.thumpTau = 0.02;
            break;
        case 2:  // heavy boots
            k.modes = {{160, 0.04, 1}, {420, 0.02, 0.4}};
            k.noiseAmp = 0.8;
            k.noiseTau = 0.03;
            k.noiseLowPass = 900;
            k.thumpHz = 70;
            k.thumpAmp = 0.9 * force;
            k.thumpTau = 0.05;
            break;
        case 3:  // regulation boots with a firm heel
            k.modes = {{1150, 0.012, 0.7}, {240, 0.03, 0.8}};
            k.noiseAmp = 0.6;
            k.noiseTau = 0.018;
            k.noiseLowPass = 2500;
            k.thumpHz = 85;
            k.thumpAmp = 0.7 * force;
            k.thumpTau = 0.04;
            break;
        case 4:  // polished leather shoes
            k.modes = {{1500, 0.01, 0.8}, {2850, 0.007, 0.5}, {330, 0.02, 0.4}};
            k.noiseAmp = 0.4;
            k.noiseTau = 0.008;
            k.noiseLowPass = 5000;
            k.thumpHz = 100;
            k.thumpAmp = 0.4 * force;
            k.thumpTau = 0.03;
            break;
        default:  // the player's worn work shoes: soft
            k.modes = {{260, 0.02, 0.6}, {700, 0.01, 0.25}};
            k.noiseAmp = 0.7;
            k.noiseTau = 0.02;
            k.noiseLowPass = 1800;
            k.thumpHz = 80;
            k.thumpAmp = 0.5 * force;
            k.thumpTau = 0.03;
            break;
    }
    k.length = 0.22;
    Knock(out, 0, k, force, seed);
    // A scuff of the sole after the heel.
    Biquad scuff = Biquad::BandPass(out.rate, 3200 * pitch, 0.8);
    for (int i = out.At(0.02); i < out.At(0.1); ++i) {
        double t = static_cast<double>(i) / out.rate - 0.02;
        out.samples[i] += static_cast<float>(scuff.Process(nz.Next()) * 0.12 * force *
                                             AttackDecay(t, 0.01, 0.02));
    }
    FadeOut(out, 0.03);
    return out;
}

Mono PoliceWhistle() {
    Mono out(kEffectRate, 0.85);
    Noise nz(600);
    Biquad breath = Biquad::BandPass(out.rate, 3000, 1.5);
    double phase = 0, trill = 0;
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        // Two blasts: a short one and a long one.
        double env = Smooth(t / 0.01) * (1 - Smooth((t - 0.13) / 0.02)) +
                     Smooth((t - 0.22) / 0.01) * (1 - Smooth((t - 0.75) / 0.06));
        trill += (28 + 6 * std::sin(2 * kPi * 0.7 * t)) / out.rate;  // the pea rattling
        double pea = 0.5 + 0.5 * Sine(trill);
        double f = 2850 * (1 + 0.025 * pea);
        phase += f / out.rate;
        double s = (Sine(phase) * (0.6 + 0.4 * pea) + 0.15 * Sine(2 * phase)) +
                   breath.Process(nz.Next()) * 0.3;
        out.samples[i] = static_cast<float>(s * env);
    }
    return out;
}

Mono Brawl() {
    Mono out(kEffectRate, 1.9);
    Noise nz(700);
    double t = 0.02;
    int n = 0;
    while (t < 1.55) {
        Impact k;
        int kind = nz.Below(3);
        if (kind == 0) {  // a punch
            k.modes = {{140, 0.04, 1}, {320, 0.02, 0.5}};
            k.noiseAmp = 0.9;
            k.noiseTau = 0.02;
            k.noiseLowPass = 1200;
            k.thumpHz = 90;
            k.thumpAmp = 0.8;
            k.thumpTau = 0.05;
        } else if (kind == 1) {  // a slap
            k.modes = {{900, 0.005, 0.3}};
            k.noiseAmp = 1.0;
            k.noiseTau = 0.008;
            k.noiseHighPass = 1200;
            k.noiseLowPass = 8000;
        } else {  // something wooden gets hit
            k = WoodKnock(Material::LightWood, nz.Uniform(0.8, 1.4), 0.5);
        }
        k.length = 0.2;
        Knock(out, t, k, nz.Uniform(0.5, 1.0), 701 + n++);
        t += nz.Uniform(0.05, 0.13);
    }
    // Whooshes of swinging fists.
    for (double at : {0.3, 0.9}) {
        Svf bp(out.rate, Svf::Mode::BandPass, 2.0);
        int s0 = out.At(at);
        for (int i = 0; i < out.At(0.22); ++i) {
            double x = static_cast<double>(i) / out.At(0.22);
            out.samples[s0 + i] +=
                static_cast<float>(bp.Process(nz.Next(), 500 + 2500 * x) * std::sin(kPi * x) * 0.6);
        }
    }
    // And the final bonk.
    Impact bonk;
    bonk.modes = {{520, 0.08, 1}, {1320, 0.04, 0.4}};
    bonk.noiseAmp = 0.4;
    bonk.thumpHz = 80;
    bonk.thumpAmp = 0.8;
    bonk.length = 0.35;
    Knock(out, 1.55, bonk, 1.0, 799);
    FadeOut(out, 0.05);
    return out;
}

Mono KnockedOut() {
    Mono out(kEffectRate, 2.6);
    Noise nz(800);
    // Bonk: a hollow head with a falling pitch.
    double phase = 0;
    for (int i = 0; i < out.At(0.4); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double f = 180 + 520 * std::exp(-t / 0.05);
        phase += f / out.rate;
        out.samples[i] += static_cast<float>((Sine(phase) + 0.3 * Sine(2.7 * phase)) *
                                             AttackDecay(t, 0.002, 0.12));
    }
    Impact thud = WoodKnock(Material::HeavyWood, 0.9, 0.8);
    Knock(out, 0, thud, 0.5, 801);
    // Little birds circling the head.
    double t = 0.35;
    int k = 0;
    while (t < 2.4) {
        for (int c = 0; c < 2; ++c) {
            int s0 = out.At(t + c * 0.09);
            double ph = 0;
            for (int i = 0; i < out.At(0.07) && s0 + i < out.Frames(); ++i) {
                double x = static_cast<double>(i) / out.At(0.07);
                double f = 2900 + 1500 * std::sin(kPi * x) + 150 * (k % 3);
                ph += f / out.rate;
                out.samples[s0 + i] += static_cast<float>(Sine(ph) * std::sin(kPi * x) * 0.75);
            }
        }
        t += nz.Uniform(0.3, 0.45);
        ++k;
    }
    FadeOut(out, 0.2);
    return out;
}

Mono HammerBlow() {
    Mono out(kEffectRate, 0.3);
    Knock(out, 0, Metal(0.85, 0.05), 0.6, 900);
    Knock(out, 0, WoodKnock(Material::HeavyWood, 1.2, 0.7), 0.9, 901);
    FadeOut(out, 0.05);
    return out;
}

Mono NailBoxRattle() {
    Mono out(kEffectRate, 0.6);
    Noise nz(910);
    for (int i = 0; i < 18; ++i) {
        double t = 0.02 + 0.45 * nz.Uniform(0, 1) *
                              (0.5 + 0.5 * std::sin(kPi * i / 6.0) * std::sin(kPi * i / 6.0));
        Knock(out, t, Metal(nz.Uniform(1.1, 1.8), 0.02), nz.Uniform(0.2, 0.6), 911 + i);
    }
    Knock(out, 0.0, WoodKnock(Material::LightWood, 1.8, 0.3), 0.4, 930);
    Knock(out, 0.45, WoodKnock(Material::LightWood, 1.8, 0.3), 0.3, 931);
    FadeOut(out, 0.05);
    return out;
}

Mono Leaflet() {
    Mono out(kEffectRate, 0.9);
    Noise nz(950);
    Biquad hp = Biquad::HighPass(out.rate, 1800, 0.7);
    double g = 0;
    for (int i = 0; i < out.At(0.45); ++i) {
        if (i % (out.rate / 120) == 0) g = std::pow(nz.Uniform(0, 1), 3.0);
        double x = static_cast<double>(i) / out.At(0.45);
        out.samples[i] += static_cast<float>(hp.Process(nz.Next()) * g * std::sin(kPi * x) * 0.8);
    }
    // The rubber stamp: "Served!"
    Impact stamp;
    stamp.modes = {{180, 0.03, 1}, {520, 0.015, 0.5}, {1400, 0.006, 0.3}};
    stamp.noiseAmp = 0.7;
    stamp.noiseTau = 0.012;
    stamp.noiseLowPass = 3000;
    stamp.thumpHz = 90;
    stamp.thumpAmp = 0.8;
    stamp.length = 0.3;
    Knock(out, 0.55, stamp, 1.0, 951);
    FadeOut(out, 0.05);
    return out;
}

Mono SadTrombone() {
    // "Wah, wah, wah, waaaah."
    Mono out(kEffectRate, 2.9);
    const double notes[4] = {55, 54, 53, 52};
    const double starts[4] = {0.0, 0.42, 0.84, 1.26};
    const double lengths[4] = {0.36, 0.36, 0.36, 1.3};
    for (int k = 0; k < 4; ++k) {
        Svf lp(out.rate, Svf::Mode::LowPass, 1.4);
        double phase = 0;
        int s0 = out.At(starts[k]);
        int n = out.At(lengths[k] + 0.15);
        for (int i = 0; i < n && s0 + i < out.Frames(); ++i) {
            double t = static_cast<double>(i) / out.rate;
            double wobble =
                k == 3 ? 0.45 * Smooth((t - 0.25) / 0.3) * std::sin(2 * kPi * 5.5 * t) : 0.0;
            double droop = k == 3 ? -0.6 * Smooth((t - 0.9) / 0.4) : 0.0;
            double f = MidiToHz(notes[k] + wobble + droop);
            phase += f / out.rate;
            double wah = Smooth(t / 0.12) * (1 - 0.5 * Smooth((t - 0.15) / 0.3));
            double env = Adsr(t, 0.03, 0.3, 0.85, lengths[k], 0.06);
            double s =
                lp.Process(static_cast<float>(Saw(phase, f / out.rate)), f * (1.2 + 6 * wah));
            out.samples[s0 + i] += static_cast<float>(s * env);
        }
    }
    FadeOut(out, 0.1);
    return out;
}

Mono CanisterOpen() {
    Mono out(kEffectRate, 0.5);
    for (int c = 0; c < 3; ++c) Knock(out, 0.03 + 0.07 * c, Metal(0.45, 0.012), 0.5, 960 + c);
    // The cap comes off with a little pop.
    double phase = 0;
    int s0 = out.At(0.28);
    for (int i = 0; i < out.At(0.1); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double f = 500 - 3000 * t;
        phase += f / out.rate;
        out.samples[s0 + i] += static_cast<float>(Sine(phase) * AttackDecay(t, 0.002, 0.025) * 0.8);
    }
    Knock(out, 0.3, WoodKnock(Material::Upholstery, 2.0, 0.3), 0.3, 965);
    FadeOut(out, 0.05);
    return out;
}

Mono GasGlugs() {
    const double loop = 1.6, xfade = 0.1;
    Mono out(kEffectRate, loop + xfade);
    Noise nz(970);
    // The pour: low-passed rushing.
    OnePole lp(out.rate, 700);
    for (int i = 0; i < out.Frames(); ++i) out.samples[i] = lp.LowPass(nz.Next()) * 0.25f;
    // Bubbles: little rising chirps.
    double t = 0.02;
    while (t < loop + xfade - 0.06) {
        int s0 = out.At(t);
        double phase = 0, f0 = nz.Uniform(180, 320);
        for (int i = 0; i < out.At(0.05) && s0 + i < out.Frames(); ++i) {
            double u = static_cast<double>(i) / out.rate;
            phase += f0 * (1 + 12 * u) / out.rate;
            out.samples[s0 + i] +=
                static_cast<float>(Sine(phase) * AttackDecay(u, 0.003, 0.015) * 0.7);
        }
        t += nz.Uniform(0.08, 0.16);
    }
    MakeLoop(out, out.At(loop), out.At(xfade), false);
    return out;
}

Mono CanisterClose() {
    Mono out(kEffectRate, 0.4);
    for (int c = 0; c < 2; ++c) Knock(out, 0.02 + 0.07 * c, Metal(0.45, 0.012), 0.5, 980 + c);
    Knock(out, 0.2, WoodKnock(Material::LightWood, 1.4, 0.6), 0.8, 983);
    FadeOut(out, 0.05);
    return out;
}

// ---------------------------------------------------------------- menus, game flow

Mono ButtonHover() {
    Mono out(kJingleRate, 0.09);
    double phase = 0;
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double f = 880 + 440 * Smooth(t / 0.03);
        phase += f / out.rate;
        out.samples[i] = static_cast<float>((Sine(phase) + 0.2 * Triangle(2 * phase)) *
                                            AttackDecay(t, 0.004, 0.025));
    }
    FadeOut(out, 0.01);
    return out;
}

Mono ButtonClick() {
    Mono out(kJingleRate, 0.1);
    Impact k;
    k.modes = {{1800, 0.015, 1}, {2950, 0.01, 0.6}, {4700, 0.005, 0.3}};
    k.noiseAmp = 0.5;
    k.noiseTau = 0.002;
    k.noiseHighPass = 2000;
    k.noiseLowPass = 12000;
    k.length = 0.1;
    Knock(out, 0, k, 1.0, 1000);
    FadeOut(out, 0.01);
    return out;
}

Mono CountdownBeep() {
    Mono out(kEffectRate, 0.25);
    double phase = 0;
    Biquad lp = Biquad::LowPass(out.rate, 3500);
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        phase += 1046.5 / out.rate;
        double env = Adsr(t, 0.003, 0.05, 0.7, 0.11, 0.02);
        out.samples[i] = static_cast<float>(
            lp.Process(static_cast<float>(Square(phase, 1046.5 / out.rate))) * 0.7 * env);
    }
    Impact tick;
    tick.modes = {{1250, 0.02, 1}, {2950, 0.01, 0.5}};
    tick.noiseAmp = 0.2;
    tick.length = 0.1;
    Knock(out, 0, tick, 0.6, 1010);
    FadeOut(out, 0.02);
    return out;
}

Mono ExtraLife() {
    Mono out(kJingleRate, 1.1);
    const int notes[7] = {72, 76, 79, 84, 88, 91, 96};
    for (int k = 0; k < 7; ++k) {
        double f = MidiToHz(notes[k]);
        int s0 = out.At(k * 0.055);
        double phase = 0;
        for (int i = 0; i < out.At(0.3); ++i) {
            double t = static_cast<double>(i) / out.rate;
            phase += f / out.rate;
            out.samples[s0 + i] += static_cast<float>(Square(phase, f / out.rate, 0.3) * 0.25 *
                                                      AttackDecay(t, 0.003, k == 6 ? 0.2 : 0.05));
        }
    }
    Impact sparkle;
    sparkle.modes = {{2093, 0.5, 1}, {2093 * 2.76, 0.2, 0.4}, {3136, 0.4, 0.6}};
    sparkle.noiseAmp = 0;
    sparkle.length = 0.7;
    Knock(out, 0.36, sparkle, 0.5, 1020);
    FadeOut(out, 0.1);
    return out;
}

static Impact Bell(double f, double tau) {
    Impact k;
    k.modes = {{f, tau, 1},
               {f * 2.0, tau * 0.6, 0.5},
               {f * 2.76, tau * 0.4, 0.45},
               {f * 5.4, tau * 0.2, 0.25}};
    k.noiseAmp = 0.1;
    k.noiseTau = 0.002;
    k.noiseHighPass = 2000;
    k.length = std::min(1.5, tau * 4);
    return k;
}

Mono BonusTime() {
    Mono out(kJingleRate, 1.5);
    Impact tick;
    tick.modes = {{1250, 0.02, 1}, {2950, 0.01, 0.5}};
    tick.noiseAmp = 0.2;
    tick.length = 0.1;
    Knock(out, 0.0, tick, 0.6, 1030);
    tick.pitch = 0.75;
    Knock(out, 0.13, tick, 0.6, 1031);
    Knock(out, 0.28, Bell(1318.5, 0.45), 0.7, 1032);
    Knock(out, 0.52, Bell(1318.5, 0.5), 0.7, 1033);
    FadeOut(out, 0.2);
    return out;
}

Mono BonusSpeed() {
    Mono out(kJingleRate, 0.8);
    Noise nz(1040);
    Svf bp(out.rate, Svf::Mode::BandPass, 2.5);
    double phase = 0;
    for (int i = 0; i < out.Frames(); ++i) {
        double t = static_cast<double>(i) / out.rate;
        double x = Clamp01(t / 0.45);
        double whoosh = bp.Process(nz.Next(), 300 * std::pow(20.0, x)) *
                        std::sin(kPi * std::min(1.0, t / 0.6)) * 0.7;
        double f = MidiToHz(60 + 36 * Smooth(t / 0.35));
        phase += f / out.rate;
        double zip = Square(phase, f / out.rate, 0.4) * 0.18 * AttackDecay(t, 0.01, 0.25);
        out.samples[i] = static_cast<float>(whoosh + zip);
    }
    FadeOut(out, 0.1);
    return out;
}

Mono BonusPoints() {
    Mono out(kJingleRate, 1.3);
    Noise nz(1050);
    // The register drawer: a clunk.
    Impact clunk = WoodKnock(Material::HeavyWood, 1.3, 0.7);
    Knock(out, 0, clunk, 0.8, 1051);
    Knock(out, 0.02, Metal(0.5, 0.03), 0.4, 1052);
    // "Ching!"
    Knock(out, 0.12, Bell(2093, 0.4), 0.8, 1053);
    Knock(out, 0.12, Bell(2637, 0.35), 0.5, 1054);
    // Coins.
    for (int c = 0; c < 8; ++c)
        Knock(out, 0.18 + 0.07 * c + nz.Uniform(0, 0.03), Metal(nz.Uniform(1.3, 2.0), 0.06), 0.35,
              1055 + c);
    FadeOut(out, 0.15);
    return out;
}

Mono BonusSawPower() {
    Mono out(kEffectRate, 1.3);
    EngineCurves e;
    e.firing = [](double t) { return 60 + 110 * Smooth(t / 0.5); };
    e.level = [](double t) { return 0.7 * (1 - Smooth((t - 0.9) / 0.35)); };
    Engine(out, 0, 1.3, e, 1060);
    // A power chord that climbs an octave.
    const double chord[3] = {45, 52, 57};
    for (double root : chord) {
        Svf lp(out.rate, Svf::Mode::LowPass, 1.2);
        double phase = 0;
        for (int i = 0; i < out.Frames(); ++i) {
            double t = static_cast<double>(i) / out.rate;
            double f = MidiToHz(root + 12 * Smooth(t / 0.5));
            phase += f / out.rate;
            double s = lp.Process(static_cast<float>(Saw(phase, f / out.rate)),
                                  300 + 3500 * Smooth(t / 0.5));
            out.samples[i] += static_cast<float>(s * 0.25 * Adsr(t, 0.02, 0.4, 0.8, 0.85, 0.15));
        }
    }
    FadeOut(out, 0.1);
    return out;
}

Mono DustPoof() {
    Mono out(kEffectRate, 0.7);
    Noise nz(1070);
    Poof(out, 0, 1.0, nz);
    FadeOut(out, 0.05);
    return out;
}

Mono LevelWonFanfare() {
    return FromScore(LevelWonScore(), 1.2);
}

Mono GameWonFanfare() {
    return FromScore(GameWonScore(), 1.5);
}

}  // namespace sound
