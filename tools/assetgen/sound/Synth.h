// The small synthesizer toolbox behind the game's sound effects and music:
// float sample buffers, oscillators, noise, envelopes, filters and a few
// helpers to mix, normalise and loop. Everything is deterministic: noise comes
// from seeded generators, never from a clock.
#pragma once

#include <cstdint>
#include <vector>

namespace sound {

constexpr double kPi = 3.14159265358979323846;

// A mono buffer of float samples in [-1, 1] at a fixed rate.
struct Mono {
    int rate = 22050;
    std::vector<float> samples;

    Mono() = default;
    Mono(int sampleRate, double seconds);
    int Frames() const { return static_cast<int>(samples.size()); }
    double Seconds() const { return static_cast<double>(samples.size()) / rate; }
    int At(double seconds) const { return static_cast<int>(seconds * rate); }
};

// Interleaving happens only when a stereo buffer is written out.
struct Stereo {
    int rate = 44100;
    std::vector<float> left;
    std::vector<float> right;

    Stereo() = default;
    Stereo(int sampleRate, double seconds);
    int Frames() const { return static_cast<int>(left.size()); }
};

// Seeded white noise (xorshift); the same seed always gives the same noise.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    float Next();                       // uniform in [-1, 1)
    float Uniform(float lo, float hi);  // uniform in [lo, hi)
    int Below(int n);                   // 0 .. n-1

private:
    std::uint32_t state;
};

// RBJ biquad filter (direct form I, double state).
class Biquad {
public:
    static Biquad LowPass(double rate, double freq, double q = 0.7071);
    static Biquad HighPass(double rate, double freq, double q = 0.7071);
    static Biquad BandPass(double rate, double freq, double q);  // peak gain 1
    float Process(float x);
    void Reset() { x1 = x2 = y1 = y2 = 0.0; }

private:
    double b0 = 1, b1 = 0, b2 = 0, a1 = 0, a2 = 0;
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
};

// State-variable filter whose cutoff may change every sample (sweeps).
class Svf {
public:
    enum class Mode { LowPass, BandPass, HighPass };
    Svf(double rate, Mode mode, double q) : rate(rate), mode(mode), k(1.0 / q) {}
    float Process(float x, double freq);

private:
    double rate;
    Mode mode;
    double k;
    double ic1 = 0, ic2 = 0;
};

// One-pole smoothing filters.
class OnePole {
public:
    OnePole(double rate, double freq);
    float LowPass(float x);
    float HighPass(float x) { return x - LowPass(x); }

private:
    double a;
    double z = 0;
};

// A damped resonator struck by impulses: the body of knocks, cracks and bells.
// Impulse() adds energy; Process() returns the ringing.
class Resonator {
public:
    Resonator(double rate, double freq, double decaySeconds);
    void Strike(double amount) { y1 += amount * gainIn; }
    float Process(float x = 0.0f);

private:
    double c1 = 0, c2 = 0, gainIn = 1;
    double y1 = 0, y2 = 0;
};

// Band-limited oscillators by phase (cycles, any real number).
double Saw(double phase, double phaseStep);  // polyBLEP sawtooth
double Square(double phase, double phaseStep, double duty = 0.5);
double Triangle(double phase);
double Sine(double phase);

// Envelopes, in seconds.
double ExpDecay(double t, double tau);  // exp(-t/tau) for t >= 0, 0 before
double AttackDecay(double t, double attack, double tau);
// Linear attack, hold until release starts at `length`, exponential release.
double Adsr(double t, double attack, double decay, double sustain, double length, double release);
double Smooth(double x);  // smoothstep of x clamped to [0, 1]
double Lerp(double a, double b, double x);

// Helpers on buffers.
void MixInto(Mono& dst, const Mono& src, double atSeconds, double gain = 1.0);
void Scale(Mono& m, double gain);
double Peak(const Mono& m);
double Peak(const Stereo& s);
// Scales so that the highest peak sits at `dbfs` (e.g. -1.0).
void Normalize(Mono& m, double dbfs);
void Normalize(Stereo& s, double dbfs);
// Tames the rare coincidences of drum, bass and melody that would otherwise
// set the level of a whole piece: scales so that all but the loudest
// `rarest` fraction of samples lie below `knee`, and bends everything above
// the knee smoothly towards full scale. Memoryless, so loops stay seamless.
void SoftLimit(Stereo& s, double knee, double rarest);
void FadeOut(Mono& m, double seconds);
void FadeIn(Mono& m, double seconds);
// Removes a DC offset with a gentle high-pass (20 Hz).
void RemoveDc(Mono& m);
// Turns a buffer longer than `loopFrames` into a seamless loop of exactly
// that length: the part beyond the loop end is cross-faded into its start.
// `periodic` sounds (an engine) fade linearly, noisy ones (a chain in wood)
// with equal power, so neither swells nor dips at the seam.
void MakeLoop(Mono& m, int loopFrames, int crossfadeFrames, bool periodic);
// Cuts trailing near-silence (below -60 dBFS) but keeps at least `minSeconds`.
void TrimTail(Mono& m, double minSeconds);

double MidiToHz(double note);
double DbToGain(double db);

}  // namespace sound
