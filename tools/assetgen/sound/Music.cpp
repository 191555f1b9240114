// The sequencer: instruments, rendering, room reverb and the scores of the
// menu piece, the in-game piece and the two fanfares.
#include "tools/assetgen/sound/Music.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace sound {

namespace {

// ---------------------------------------------------------------- helpers

// A sine table with linear interpolation: additive voices call it millions of
// times, and the table keeps the result identical on every machine.
class SineTable {
public:
    SineTable() {
        for (int i = 0; i <= kSize; ++i)
            table[i] = static_cast<float>(std::sin(2 * kPi * i / kSize));
    }
    float operator()(double phase) const {
        double t = (phase - std::floor(phase)) * kSize;
        int i = static_cast<int>(t);
        float f = static_cast<float>(t - i);
        return table[i] + (table[i + 1] - table[i]) * f;
    }

private:
    static constexpr int kSize = 4096;
    std::array<float, kSize + 1> table{};
};

const SineTable& Sin() {
    static const SineTable table;
    return table;
}

struct Partial {
    double ratio;
    double amp;
    double tau;  // seconds; <= 0 means no decay
};

// Sums decaying partials of base frequency f into out (length n), with an
// optional amplitude envelope applied to the sum.
void Additive(std::vector<float>& out, int rate, double f, const std::vector<Partial>& partials,
              double maxFreq) {
    for (const Partial& p : partials) {
        double fp = f * p.ratio;
        if (fp >= maxFreq) continue;
        double step = fp / rate, phase = 0, amp = p.amp;
        double d = p.tau > 0 ? std::exp(-1.0 / (p.tau * rate)) : 1.0;
        for (size_t i = 0; i < out.size(); ++i) {
            out[i] += static_cast<float>(amp * Sin()(phase));
            phase += step;
            amp *= d;
            if (amp < 1e-5) break;
        }
    }
}

// Note length and tail for every voice, in seconds.
double TailSeconds(Voice v) {
    switch (v) {
        case Voice::Tuba:
            return 0.15;
        case Voice::Piano:
            return 0.5;
        case Voice::Marimba:
            return 0.9;
        case Voice::Clarinet:
            return 0.15;
        case Voice::Brass:
            return 0.25;
        case Voice::Banjo:
            return 0.8;
        case Voice::Glockenspiel:
            return 1.5;
        case Voice::Kick:
            return 0.45;
        case Voice::Snare:
            return 0.35;
        case Voice::HiHat:
            return 0.08;
        case Voice::OpenHat:
            return 0.45;
        case Voice::WoodBlock:
            return 0.15;
        case Voice::Crash:
            return 2.5;
        case Voice::SlideWhistle:
            return 0.08;
    }
    return 0.2;
}

bool IsDrum(Voice v) {
    return v == Voice::Kick || v == Voice::Snare || v == Voice::HiHat || v == Voice::OpenHat ||
           v == Voice::WoodBlock || v == Voice::Crash;
}

// Renders one note (mono, unscaled by its gain) of `dur` seconds plus tail.
std::vector<float> RenderNote(const Note& note, double dur, int rate, std::uint32_t seed) {
    int n =
        static_cast<int>((IsDrum(note.voice) ? 0.0 : dur) * rate + TailSeconds(note.voice) * rate);
    std::vector<float> out(std::max(1, n), 0.0f);
    double f = MidiToHz(note.pitch);
    double maxFreq = std::min(rate * 0.45, 9000.0);
    Noise noise(seed);
    auto t = [rate](int i) { return static_cast<double>(i) / rate; };

    switch (note.voice) {
        case Voice::Tuba: {
            // Harmonics that open up on the attack ("blat") and settle.
            double phase[10] = {}, weight[10] = {};
            for (int k = 1; k <= 9; ++k) weight[k] = f * k < maxFreq ? 1.0 / std::pow(k, 0.6) : 0.0;
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                double bend = 1.0 - 0.025 * std::exp(-ti / 0.03);
                double bright = 0.42 + 0.5 * std::exp(-ti / 0.07);
                double env = Adsr(ti, 0.018, 0.25, 0.75, dur, 0.05);
                double sum = 0, w = 1.0;
                for (int k = 1; k <= 9; ++k) {
                    sum += w * weight[k] * Sin()(phase[k]);
                    phase[k] += f * k * bend / rate;
                    w *= bright;
                }
                out[i] = static_cast<float>(sum * env * 0.7);
            }
            break;
        }
        case Voice::Piano: {
            // Two slightly detuned strings per key: the honky-tonk upright.
            double tau0 = std::clamp(1.4 * std::sqrt(261.6 / f), 0.25, 2.5);
            for (double detune : {-0.0035, 0.0035}) {
                std::vector<Partial> ps;
                for (int k = 1; k <= 8; ++k)
                    ps.push_back({k * std::sqrt(1 + 0.0003 * k * k) * (1 + detune),
                                  0.5 / std::pow(k, 1.15), tau0 / (1 + 0.45 * (k - 1))});
                Additive(out, rate, f, ps, maxFreq);
            }
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                double damp = ti < dur ? 1.0 : std::exp(-(ti - dur) / 0.09);
                double hammer = noise.Next() * 0.25 * ExpDecay(ti, 0.004);
                out[i] = static_cast<float>((out[i] + hammer) * damp * std::min(1.0, ti / 0.002));
            }
            break;
        }
        case Voice::Marimba: {
            double tau0 = std::clamp(0.55 * std::pow(440.0 / f, 0.35), 0.15, 0.9);
            Additive(out, rate, f,
                     {{1, 1, tau0}, {3.93, 0.28, tau0 * 0.2}, {9.2, 0.08, tau0 * 0.07}}, maxFreq);
            Biquad click = Biquad::BandPass(rate, std::min(4000.0, f * 6), 1.0);
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                out[i] +=
                    click.Process(noise.Next() * static_cast<float>(ExpDecay(ti, 0.002))) * 0.5f;
                out[i] *= static_cast<float>(std::min(1.0, ti / 0.001));
            }
            break;
        }
        case Voice::Clarinet: {
            static const double amps[11] = {0,    1,    0.05, 0.55, 0.04, 0.32,
                                            0.03, 0.18, 0.02, 0.1,  0.02};
            double phase[11] = {};
            OnePole breathLp(rate, 3000);
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                double vib = 1 + 0.004 * Smooth((ti - 0.12) / 0.2) * Sin()(5.3 * ti);
                double env = Adsr(ti, 0.03, 0.3, 0.85, dur, 0.05);
                double sum = 0;
                for (int k = 1; k <= 10; ++k) {
                    double fk = f * k * vib;
                    if (fk < maxFreq) sum += amps[k] * Sin()(phase[k]);
                    phase[k] += fk / rate;
                }
                double breath = breathLp.HighPass(noise.Next()) * 0.04;
                out[i] = static_cast<float>((sum * 0.6 + breath) * env);
            }
            break;
        }
        case Voice::Brass: {
            double phase[17] = {};
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                double vib = 1 + 0.005 * Smooth((ti - 0.25) / 0.2) * Sin()(5.6 * ti);
                double open = std::min(1.0, ti / 0.05);
                double bright = 0.3 + 0.45 * open - 0.1 * Smooth((ti - 0.1) / 0.3);
                double env = Adsr(ti, 0.03, 0.35, 0.8, dur, 0.08);
                double sum = 0, w = 1.0;
                for (int k = 1; k <= 16; ++k) {
                    double fk = f * k * vib;
                    if (fk < maxFreq) sum += w / k * Sin()(phase[k]);
                    phase[k] += fk / rate;
                    w = std::min(1.0, w * (bright + 0.45));
                }
                out[i] = static_cast<float>(sum * env * 0.6);
            }
            break;
        }
        case Voice::Banjo: {
            // Karplus-Strong string with a fractional delay for true tuning.
            double delay = rate / f - 0.5;
            int size = static_cast<int>(delay) + 4;
            std::vector<double> line(size, 0.0);
            double prev = 0;
            for (int i = 0; i < n; ++i) {
                double readPos = i - delay;
                double y = 0;
                if (readPos >= 0) {
                    int r0 = static_cast<int>(std::floor(readPos));
                    double fr = readPos - r0;
                    y = line[r0 % size] * (1 - fr) + line[(r0 + 1) % size] * fr;
                }
                double excite = i < static_cast<int>(delay) ? noise.Next() * 0.8 : 0.0;
                double fb = 0.5 * (y + prev) * 0.994;
                prev = y;
                line[i % size] = excite + fb;
                double ti = t(i);
                double damp = ti < dur ? 1.0 : std::exp(-(ti - dur) / 0.08);
                out[i] = static_cast<float>(y * damp);
            }
            break;
        }
        case Voice::Glockenspiel:
            Additive(out, rate, f,
                     {{1, 1, 1.0}, {2.76, 0.35, 0.3}, {5.4, 0.18, 0.12}, {8.9, 0.08, 0.06}},
                     maxFreq);
            break;
        case Voice::Kick:
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                // Pitch drops from about 150 Hz to 48 Hz: the phase is its integral.
                double phase = 48 * ti + 100 * 0.035 * (1 - std::exp(-ti / 0.035));
                out[i] = static_cast<float>(Sin()(phase) * ExpDecay(ti, 0.16) +
                                            noise.Next() * 0.2 * ExpDecay(ti, 0.003));
            }
            break;
        case Voice::Snare: {
            Biquad body = Biquad::BandPass(rate, 1900, 0.6);
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                out[i] = static_cast<float>(body.Process(noise.Next()) * 1.2 * ExpDecay(ti, 0.09) +
                                            Sin()(185 * ti) * 0.5 * ExpDecay(ti, 0.04));
            }
            break;
        }
        case Voice::HiHat:
        case Voice::OpenHat: {
            Biquad hp = Biquad::HighPass(rate, 7000, 0.8);
            Biquad hp2 = Biquad::HighPass(rate, 7000, 0.8);
            double tau = note.voice == Voice::HiHat ? 0.022 : 0.16;
            for (int i = 0; i < n; ++i)
                out[i] =
                    static_cast<float>(hp2.Process(hp.Process(noise.Next())) * ExpDecay(t(i), tau));
            break;
        }
        case Voice::WoodBlock: {
            Resonator a(rate, 1250, 0.03), b(rate, 2950, 0.012);
            for (int i = 0; i < n; ++i) {
                float x = i < 3 ? noise.Next() : 0.0f;
                out[i] = (a.Process(x * 6) + b.Process(x * 3)) * 0.12f;
            }
            break;
        }
        case Voice::Crash: {
            Biquad hp = Biquad::HighPass(rate, 3500, 0.7);
            Biquad bp = Biquad::BandPass(rate, 5200, 1.5);
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                float x = noise.Next();
                out[i] = static_cast<float>((hp.Process(x) + bp.Process(x) * 0.8) *
                                            AttackDecay(ti, 0.002, 0.7) * 0.7);
            }
            break;
        }
        case Voice::SlideWhistle: {
            double phase = 0;
            OnePole breath(rate, 2500);
            for (int i = 0; i < n; ++i) {
                double ti = t(i);
                double x = std::clamp(ti / std::max(0.01, dur), 0.0, 1.0);
                double p = note.pitch + (note.pitchEnd - note.pitch) * x;
                double fi = MidiToHz(p) * (1 + 0.006 * Sin()(6.5 * ti));
                phase += fi / rate;
                double env = Adsr(ti, 0.03, 0.2, 0.9, dur, 0.03);
                out[i] = static_cast<float>((Sin()(phase) + 0.12 * Sin()(2 * phase) +
                                             breath.HighPass(noise.Next()) * 0.05) *
                                            env);
            }
            break;
        }
    }
    return out;
}

int PitchClass(char letter) {
    switch (letter) {
        case 'c':
            return 0;
        case 'd':
            return 2;
        case 'e':
            return 4;
        case 'f':
            return 5;
        case 'g':
            return 7;
        case 'a':
            return 9;
        case 'b':
            return 11;
    }
    return -1;
}

[[noreturn]] void BadScore(const std::string& what) {
    std::fprintf(stderr, "assetgen sound: bad score text: %s\n", what.c_str());
    std::abort();
}

// Splits "C | A7 | D7 G7" into bars of chord symbols.
std::vector<std::vector<std::string>> ChordBars(const std::string& text) {
    std::vector<std::vector<std::string>> bars(1);
    std::istringstream in(text);
    std::string tok;
    while (in >> tok) {
        if (tok == "|")
            bars.emplace_back();
        else
            bars.back().push_back(tok);
    }
    return bars;
}

// The pitch of pitch class pc nearest above `low`.
int PlaceAbove(int pc, int low) {
    int p = low + ((pc - low) % 12 + 12) % 12;
    return p;
}

enum class Groove { Rag, Galop };

// Oom-pah accompaniment: tuba on the strong beats, chord stabs between, and
// a chromatic pickup into the next chord.
void AddAccompaniment(Score& s, int firstBar, const std::string& chords, Voice stabVoice,
                      float bassGain, float stabGain, Groove groove) {
    auto bars = ChordBars(chords);
    for (size_t b = 0; b < bars.size(); ++b) {
        const auto& bar = bars[b];
        if (bar.empty() || bar.size() > 2) BadScore("chord bar " + chords);
        double beat0 = (firstBar + static_cast<double>(b)) * s.beatsPerBar;
        for (int half = 0; half < 2; ++half) {
            const std::string& sym = bar[bar.size() == 2 ? half : 0];
            std::vector<int> tones;
            if (!ChordTones(sym, tones)) BadScore("chord " + sym);
            int root = PlaceAbove(tones[0], 36);
            double hb = beat0 + half * 2;
            bool secondOfSame = bar.size() == 1 && half == 1;
            int bass = secondOfSame ? (root + 7 > 47 ? root - 5 : root + 7) : root;
            s.notes.push_back(
                {hb, 0.8, static_cast<double>(bass), 0, Voice::Tuba, bassGain, -0.1f});
            // Stab on the off-beat, voiced between G3 and G4.
            std::vector<double> offs =
                groove == Groove::Rag ? std::vector<double>{1.0} : std::vector<double>{1.0, 1.5};
            for (double off : offs) {
                for (size_t k = 0; k < tones.size(); ++k) {
                    int p = PlaceAbove(tones[k], 55);
                    float g = stabGain * (off == 1.5 ? 0.6f : 1.0f);
                    s.notes.push_back(
                        {hb + off, 0.35, static_cast<double>(p), 0, stabVoice, g, 0.3f});
                }
            }
        }
        // Pickup: a walking tuba note into a new chord.
        if (b + 1 < bars.size()) {
            std::vector<int> now, next;
            ChordTones(bar.back(), now);
            ChordTones(bars[b + 1].front(), next);
            if (now[0] != next[0]) {
                int target = PlaceAbove(next[0], 36);
                s.notes.push_back({beat0 + 3.5, 0.4, static_cast<double>(target - 1), 0,
                                   Voice::Tuba, bassGain * 0.8f, -0.1f});
            }
        }
    }
}

void Hit(Score& s, double beat, Voice v, float gain, float pan = 0.0f) {
    s.notes.push_back({beat, 0.25, 60, 60, v, gain, pan});
}

void AddDrums(Score& s, int firstBar, int bars, Groove groove) {
    for (int b = 0; b < bars; ++b) {
        double b0 = (firstBar + b) * 4.0;
        bool fill = (b % 8) == 7;
        Hit(s, b0, Voice::Kick, 0.9f);
        Hit(s, b0 + 2, Voice::Kick, 0.8f);
        Hit(s, b0 + 1, Voice::Snare, 0.5f, 0.1f);
        if (!fill) Hit(s, b0 + 3, Voice::Snare, 0.5f, 0.1f);
        for (int e = 0; e < 8; ++e) {
            if (fill && e >= 6) continue;
            float g = (e % 2) ? 0.45f : 0.3f;
            Hit(s, b0 + e * 0.5, Voice::HiHat, g, 0.35f);
        }
        if (groove == Groove::Rag && b % 2 == 1) Hit(s, b0 + 3.5, Voice::WoodBlock, 0.4f, -0.4f);
        if (groove == Groove::Galop && b % 4 == 3) Hit(s, b0 + 3.5, Voice::OpenHat, 0.25f, 0.35f);
        if (fill) {
            // A snare run into the next section.
            for (int k = 0; k < 8; ++k)
                Hit(s, b0 + 3 + k * 0.125, Voice::Snare, 0.25f + 0.05f * k, 0.1f);
        }
        if (b % 8 == 0) Hit(s, b0, Voice::Crash, 0.35f, -0.3f);
    }
}

}  // namespace

// ---------------------------------------------------------------- parsing

bool ChordTones(const std::string& symbol, std::vector<int>& tones) {
    tones.clear();
    if (symbol.empty()) return false;
    int root = PitchClass(static_cast<char>(std::tolower(symbol[0])));
    if (root < 0) return false;
    size_t i = 1;
    if (i < symbol.size() && symbol[i] == '#')
        root += 1, ++i;
    else if (i < symbol.size() && symbol[i] == 'b')
        root += 11, ++i;
    root %= 12;
    std::string q = symbol.substr(i);
    std::vector<int> iv;
    if (q == "")
        iv = {0, 4, 7};
    else if (q == "m")
        iv = {0, 3, 7};
    else if (q == "7")
        iv = {0, 4, 7, 10};
    else if (q == "m7")
        iv = {0, 3, 7, 10};
    else if (q == "maj7")
        iv = {0, 4, 7, 11};
    else if (q == "6")
        iv = {0, 4, 7, 9};
    else if (q == "dim")
        iv = {0, 3, 6, 9};
    else if (q == "aug")
        iv = {0, 4, 8};
    else
        return false;
    for (int v : iv) tones.push_back((root + v) % 12);
    return true;
}

double AddMelody(Score& score, double startBeat, const std::string& text, Voice voice, float gain,
                 float pan, int transpose) {
    std::istringstream in(text);
    std::string tok;
    double beat = startBeat, barStart = startBeat;
    double barBeats = score.beatsPerBar;
    int sixteenths = 4;
    while (in >> tok) {
        if (tok == "|") {
            if (std::abs(beat - barStart - barBeats) > 1e-9)
                BadScore("bar length before '|' in: " + text);
            barStart = beat;
            continue;
        }
        std::string pitch = tok;
        size_t colon = tok.find(':');
        if (colon != std::string::npos) {
            pitch = tok.substr(0, colon);
            sixteenths = std::atoi(tok.c_str() + colon + 1);
            if (sixteenths <= 0) BadScore(tok);
        }
        double len = sixteenths / 4.0;
        if (pitch != "r") {
            int pc = PitchClass(pitch[0]);
            size_t i = 1;
            if (pc < 0) BadScore(tok);
            if (i < pitch.size() && pitch[i] == '#')
                pc += 1, ++i;
            else if (i < pitch.size() && pitch[i] == 'b')
                pc -= 1, ++i;
            if (i >= pitch.size() || !std::isdigit(static_cast<unsigned char>(pitch[i])))
                BadScore(tok);
            int octave = pitch[i] - '0';
            double midi = 12 * (octave + 1) + pc + transpose;
            score.notes.push_back({beat, len * 0.92, midi, midi, voice, gain, pan});
        }
        beat += len;
    }
    if (std::abs(beat - barStart - barBeats) > 1e-9) BadScore("last bar length in: " + text);
    return beat;
}

// ---------------------------------------------------------------- rendering

namespace {

// Moves a beat position onto the shuffle grid: the first half of each beat
// stretches, the second half shrinks.
double Swung(double beat, double swing) {
    double whole = std::floor(beat), f = beat - whole;
    double split = 0.5 + swing;
    f = f < 0.5 ? f * split / 0.5 : split + (f - 0.5) * (1 - split) / 0.5;
    return whole + f;
}

}  // namespace

Stereo RenderScore(const Score& score, int rate, bool looped, double tailSeconds) {
    double spb = score.SecondsPerBeat();
    long total = std::lround(score.Beats() * spb * rate);
    Stereo out(rate, 0);
    size_t frames = static_cast<size_t>(total + (looped ? 0 : std::lround(tailSeconds * rate)));
    out.left.assign(frames, 0.0f);
    out.right.assign(frames, 0.0f);
    std::uint32_t seed = 12345;
    for (const Note& note : score.notes) {
        seed = seed * 1664525u + 1013904223u;
        double beat = Swung(note.beat, score.swing);
        double length = Swung(note.beat + note.length, score.swing) - beat;
        std::vector<float> v = RenderNote(note, length * spb, rate, seed);
        double a = (std::clamp(note.pan, -1.0f, 1.0f) + 1.0) * kPi / 4;
        float gl = static_cast<float>(std::cos(a) * note.gain),
              gr = static_cast<float>(std::sin(a) * note.gain);
        long start = std::lround(beat * spb * rate);
        for (size_t i = 0; i < v.size(); ++i) {
            long j = start + static_cast<long>(i);
            if (looped) {
                j %= total;
            } else if (j >= static_cast<long>(frames)) {
                break;
            }
            out.left[j] += v[i] * gl;
            out.right[j] += v[i] * gr;
        }
    }
    return out;
}

namespace {

class Comb {
public:
    explicit Comb(int length) : line(length, 0.0f) {}
    float Process(float x, float feedback, float damp) {
        float y = line[pos];
        store = y * (1 - damp) + store * damp;
        line[pos] = x + store * feedback;
        pos = (pos + 1) % static_cast<int>(line.size());
        return y;
    }

private:
    std::vector<float> line;
    int pos = 0;
    float store = 0;
};

class Allpass {
public:
    explicit Allpass(int length) : line(length, 0.0f) {}
    float Process(float x) {
        float b = line[pos];
        float y = -x + b;
        line[pos] = x + b * 0.5f;
        pos = (pos + 1) % static_cast<int>(line.size());
        return y;
    }

private:
    std::vector<float> line;
    int pos = 0;
};

}  // namespace

void AddRoom(Stereo& s, float wet, bool looped) {
    const double combMs[4] = {25.3, 26.9, 28.9, 30.7};
    const double allMs[2] = {5.0, 1.7};
    auto ms = [&](double m) { return std::max(1, static_cast<int>(m * s.rate / 1000.0)); };
    std::vector<Comb> combsL, combsR;
    std::vector<Allpass> allL, allR;
    for (double m : combMs) {
        combsL.emplace_back(ms(m));
        combsR.emplace_back(ms(m + 0.53));
    }
    for (double m : allMs) {
        allL.emplace_back(ms(m));
        allR.emplace_back(ms(m + 0.3));
    }
    auto step = [&](float inL, float inR, float& outL, float& outR) {
        float x = (inL + inR) * 0.5f;
        outL = outR = 0;
        for (auto& c : combsL) outL += c.Process(x, 0.8f, 0.35f);
        for (auto& c : combsR) outR += c.Process(x, 0.8f, 0.35f);
        for (auto& a : allL) outL = a.Process(outL);
        for (auto& a : allR) outR = a.Process(outR);
    };
    int n = s.Frames();
    if (looped) {
        // Prime the room with the last seconds, so the start hears the end.
        int prime = std::min(n, 4 * s.rate);
        for (int i = n - prime; i < n; ++i) {
            float l, r;
            step(s.left[i], s.right[i], l, r);
        }
    }
    for (int i = 0; i < n; ++i) {
        float l, r;
        step(s.left[i], s.right[i], l, r);
        s.left[i] += l * wet * 0.25f;
        s.right[i] += r * wet * 0.25f;
    }
}

// ---------------------------------------------------------------- the pieces

// The menu piece: a cheerful ragtime shuffle in C, 120 beats a minute, 24
// bars (48 seconds): A on marimba, B on clarinet, A again with glockenspiel.
Score MenuMusicScore() {
    Score s;
    s.bpm = 120;
    s.bars = 24;
    s.swing = 0.1;
    const std::string a =
        "e5:2 d#5 e5 g5 c6:4 a5:2 g5 | g5:2 f5 e5 c#5 e5:4 a5:4 | f5:2 e5 f5 a5 d6:4 c6:2 a5 | "
        "b5:2 a5 g5 f5 d5:4 r:2 g4 | e5:2 d#5 e5 g5 c6:4 e6:4 | c#6:2 d6 c#6 a5 g5:4 e5:4 | "
        "f#5:2 a5 d6 c6 b5 g5 f5 d5 |";
    const std::string aEnd1 = " c5:4 e5:2 g5 c6:4 r:4";
    const std::string aEnd2 = " c5:4 r:4 g4:2 a4 b4 d5";
    const std::string b =
        "a5:2 r a5 r a5 g#5 a5 c6 | f5:4 c5:4 f5:2 a5 c6:4 | g5:2 r g5 r g5 f#5 g5 e5 | "
        "c#5:4 e5:4 a5:4 g5:4 | f#5:2 g5 a5 c6 a5:4 f#5:4 | g5:2 f5 d5 b4 g4:4 b4:2 d5 | "
        "c5:2 e5 g5 c6 e6:4 c6:4 | b5:2 a#5 a5 g#5 g5 f5 d5 b4";
    const std::string chordsA = "C | A7 | Dm | G7 | C | A7 | D7 G7 | C";
    const std::string chordsB = "F | F | C | A7 | D7 | G7 | C | G7";
    const std::string chordsA2 = "C | A7 | Dm | G7 | C | A7 | D7 G7 | C G7";

    AddMelody(s, 0, a + aEnd1, Voice::Marimba, 0.75f, 0.15f);
    AddMelody(s, 32, b, Voice::Clarinet, 0.8f, 0.15f);
    AddMelody(s, 64, a + aEnd2, Voice::Marimba, 0.7f, 0.15f);
    AddMelody(s, 64, a + aEnd2, Voice::Glockenspiel, 0.18f, -0.35f, 12);
    AddAccompaniment(s, 0, chordsA, Voice::Piano, 0.55f, 0.25f, Groove::Rag);
    AddAccompaniment(s, 8, chordsB, Voice::Piano, 0.55f, 0.25f, Groove::Rag);
    AddAccompaniment(s, 16, chordsA2, Voice::Piano, 0.55f, 0.25f, Groove::Rag);
    AddDrums(s, 0, 24, Groove::Rag);
    // A slide whistle pokes fun at the turn into B.
    s.notes.push_back({31.0, 0.9, 67, 79, Voice::SlideWhistle, 0.22f, -0.4f});
    return s;
}

// The in-game piece: a breathless galop in G, 140 beats a minute, 32 bars
// (about 55 seconds): clarinet lead over banjo and tuba, a silly staccato
// chase section at the end that turns back to the start.
Score GameMusicScore() {
    Score s;
    s.bpm = 140;
    s.bars = 32;
    const std::string a7 =
        "d5:2 g5 b5 d6 b5 g5 d5 g5 | a5:2 b5 c6 b5 a5:4 g5:4 | f#5:2 a5 d6 c6 a5 f#5 d5 f#5 | "
        "g5:4 b5:4 g5:4 r:2 d5 | d5:2 g5 b5 d6 e6 d6 b5 g5 | e5:2 g5 c6 e6 d6:4 c6:4 | "
        "b5:2 c6 b5 a5 g5 f#5 e5 f#5 |";
    const std::string aEnd1 = " g5:4 d5:4 g4:4 r:4";
    const std::string aEnd2 = " g5:2 r g5 a5 b5 c6 d6 e6";
    const std::string b =
        "b5:4 b5:2 c6 b5 a5 g5:4 | e5:2 f#5 g5 a5 b5:8 | c#6:4 c#6:2 d6 c#6 b5 a5:4 | "
        "a5:2 b5 c6 a5 f#5:8 | d6:4 d6:2 e6 d6 c6 b5:4 | g#5:2 a5 b5 d6 e6:4 d6:4 | "
        "c#6:2 e6 c#6 a5 c6 a5 f#5 d5 | g5:4 b5:2 a5 g5:4 r:4";
    const std::string c =
        "e6:2 r e6 r e6 d6 c6 e6 | g6:4 e6:4 c6:4 r:4 | d6:2 r d6 r d6 c6 b5 d6 | "
        "g6:4 d6:4 b5:4 r:4 | c#6:2 d6 e6 c#6 a5 b5 c#6 a5 | g5:2 a5 b5 c#6 e6:4 c#6:4 | "
        "d6:2 c6 a5 f#5 d5 f#5 a5 c6 | b5:2 a#5 a5 g#5 a5 f#5 e5 c5";
    AddMelody(s, 0, a7 + aEnd1, Voice::Clarinet, 0.6f, 0.1f);
    AddMelody(s, 32, b, Voice::Clarinet, 0.6f, 0.1f);
    AddMelody(s, 32, b, Voice::Marimba, 0.3f, -0.3f, -12);
    AddMelody(s, 64, a7 + aEnd2, Voice::Clarinet, 0.6f, 0.1f);
    AddMelody(s, 64, a7 + aEnd2, Voice::Glockenspiel, 0.16f, -0.35f);
    AddMelody(s, 96, c, Voice::Marimba, 0.5f, 0.1f, -12);
    AddMelody(s, 96, c, Voice::Clarinet, 0.25f, -0.2f, -12);
    AddAccompaniment(s, 0, "G | G | D7 | G | G | C | D7 | G", Voice::Banjo, 0.5f, 0.6f,
                     Groove::Galop);
    AddAccompaniment(s, 8, "Em | Em | A7 | D7 | G | E7 | A7 D7 | G", Voice::Banjo, 0.5f, 0.6f,
                     Groove::Galop);
    AddAccompaniment(s, 16, "G | G | D7 | G | G | C | D7 | G", Voice::Banjo, 0.5f, 0.6f,
                     Groove::Galop);
    AddAccompaniment(s, 24, "C | C | G | G | A7 | A7 | D7 | D7", Voice::Banjo, 0.5f, 0.6f,
                     Groove::Galop);
    AddDrums(s, 0, 32, Groove::Galop);
    s.notes.push_back({94.0, 1.8, 62, 86, Voice::SlideWhistle, 0.2f, -0.4f});
    s.notes.push_back({126.5, 1.3, 86, 62, Voice::SlideWhistle, 0.2f, -0.4f});
    return s;
}

// "Ta-ta-ta-taaa": a short brass fanfare for a won level.
Score LevelWonScore() {
    Score s;
    s.bpm = 150;
    s.bars = 2;
    AddMelody(s, 0, "g4:2 g4 g4 c5:10 | e5:2 d5 e5 g5:10", Voice::Brass, 0.6f, 0.0f);
    AddMelody(s, 0, "e4:2 e4 e4 g4:10 | c5:2 b4 c5 e5:10", Voice::Brass, 0.35f, 0.0f);
    s.notes.push_back({0, 1.5, 36, 36, Voice::Tuba, 0.6f, 0});
    s.notes.push_back({4, 3.5, 48, 48, Voice::Tuba, 0.6f, 0});
    for (int k = 0; k < 6; ++k) Hit(s, k * 0.5, Voice::Snare, 0.3f);
    Hit(s, 4, Voice::Crash, 0.4f);
    Hit(s, 4, Voice::Kick, 0.6f);
    return s;
}

// A proud little march to the end of the game.
Score GameWonScore() {
    Score s;
    s.bpm = 132;
    s.bars = 6;
    const std::string lead =
        "c5:2 e5 g5 c6 g5:4 e5:4 | f5:2 a5 c6 f6 c6:4 a5:4 | g5:2 b5 d6 g6 f6:4 d6:4 | "
        "e6:4 c6:4 g5:4 e5:4 | f5:2 a5 d6 f6 e6 c6 b5 d6 | c6:16";
    AddMelody(s, 0, lead, Voice::Brass, 0.55f, 0.1f);
    AddMelody(s, 0, lead, Voice::Glockenspiel, 0.18f, -0.3f);
    AddAccompaniment(s, 0, "C | F | G7 | C | Dm G7 | C", Voice::Piano, 0.55f, 0.15f, Groove::Rag);
    AddDrums(s, 0, 5, Groove::Galop);
    Hit(s, 20, Voice::Crash, 0.5f);
    Hit(s, 20, Voice::Kick, 0.8f);
    for (int k = 0; k < 16; ++k) Hit(s, 16 + 3 + k / 16.0, Voice::Snare, 0.15f + 0.02f * k);
    s.notes.push_back({20, 3.5, 36, 36, Voice::Tuba, 0.6f, 0});
    s.notes.push_back({20, 3.5, 60, 60, Voice::Brass, 0.3f, -0.2f});
    s.notes.push_back({20, 3.5, 64, 64, Voice::Brass, 0.3f, 0.2f});
    s.notes.push_back({20, 3.5, 67, 67, Voice::Brass, 0.3f, 0.0f});
    return s;
}

}  // namespace sound
