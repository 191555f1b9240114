// The sound table and the software mixer (see Mixer.h).
#include "platform/Mixer.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

using u64 = std::uint64_t;
using i64 = std::int64_t;

namespace {

u32 ReadLe32(const u8* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<u32>(p[3]) << 24;
}
u32 ReadLe16(const u8* p) {
    return p[0] | p[1] << 8;
}

// Frames the device is usually asked for at once; more grows the buffer.
constexpr int kTypicalMixFrames = 4096;

void ReportRefused(const WaveFormat& format) {
    std::fprintf(stderr,
                 "sound: a sound of %u channel(s) at %u Hz (%u bytes) cannot be played "
                 "(too long after conversion to %u Hz, or out of memory); it stays silent\n",
                 format.channels, format.sampleRate, format.dataSize, Mixer::kOutputRate);
}

}  // namespace

bool ParseWave(const void* image, u32 imageSize, WaveFormat* format) {
    if (image == nullptr || imageSize < 12) return false;
    const u8* bytes = static_cast<const u8*>(image);
    if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return false;
    // The form ends where its size says or where the image ends, whichever
    // comes first.
    const u64 formEnd = std::min<u64>(imageSize, u64(ReadLe32(bytes + 4)) + 8);

    WaveFormat found;
    bool haveFormat = false;
    u64 at = 12;
    while (at + 8 <= formEnd) {
        const u8* chunk = bytes + at;
        const u32 chunkSize = ReadLe32(chunk + 4);
        const u64 body = at + 8;
        if (std::memcmp(chunk, "fmt ", 4) == 0 && !haveFormat) {
            if (chunkSize < 16 || body + 16 > formEnd) return false;
            const u8* f = bytes + body;
            found.channels = ReadLe16(f + 2);
            found.sampleRate = ReadLe32(f + 4);
            found.bitsPerSample = ReadLe16(f + 14);
            haveFormat = true;
        } else if (std::memcmp(chunk, "data", 4) == 0 && haveFormat) {
            found.dataOffset = static_cast<u32>(body);
            found.dataSize = static_cast<u32>(std::min<u64>(chunkSize, formEnd - body));
            if (found.dataSize == 0) return false;
            if (found.channels < 1 || found.channels > 2 || found.sampleRate == 0) return false;
            *format = found;
            return true;
        }
        at = body + chunkSize + (chunkSize & 1);  // chunks are padded to even sizes
    }
    return false;
}

u64 ConvertedFrames(const WaveFormat& format, u32 outputRate) {
    const u32 bytesPerSample = format.bitsPerSample == 8 ? 1 : 2;
    if (format.channels == 0 || format.sampleRate == 0 || outputRate == 0) return 0;
    const u64 inFrames = format.dataSize / (bytesPerSample * format.channels);
    if (inFrames == 0) return 0;
    if (format.sampleRate == outputRate) return inFrames;
    // Below 2^32 frames times a rate below 2^32: no overflow in 64 bits.
    return std::max<u64>(1, inFrames * outputRate / format.sampleRate);
}

std::vector<i16> ConvertToOutput(const void* image, const WaveFormat& format, u32 outputRate) {
    const u8* data = static_cast<const u8*>(image) + format.dataOffset;
    const bool eightBit = format.bitsPerSample == 8;
    const u32 bytesPerSample = eightBit ? 1 : 2;
    const u32 channels = format.channels;
    const u64 inFrames = format.dataSize / (bytesPerSample * channels);
    if (inFrames == 0) return {};

    auto sampleAt = [&](u64 frame, u32 channel) -> i32 {
        const u64 index = frame * channels + (channels == 1 ? 0 : channel);
        if (eightBit) return (static_cast<i32>(data[index]) - 128) * 256;
        const u8* p = data + 2 * index;
        return static_cast<i16>(p[0] | p[1] << 8);
    };

    // A damaged or hostile image may declare a rate of 1 Hz: converted, a few
    // bytes would become terabytes. Longer than the mixer will play is refused
    // before anything is allocated.
    const u64 outFrames = ConvertedFrames(format, outputRate);
    if (outFrames == 0 || outFrames > kMaxConvertedFrames) return {};

    std::vector<i16> out;
    try {
        out.resize(outFrames * 2);
    } catch (const std::bad_alloc&) {
        return {};
    }
    if (format.sampleRate == outputRate) {
        for (u64 i = 0; i < inFrames; ++i) {
            out[2 * i] = static_cast<i16>(sampleAt(i, 0));
            out[2 * i + 1] = static_cast<i16>(sampleAt(i, 1));
        }
        return out;
    }
    // Linear interpolation; the step between output frames in 32.32 fixed
    // point of input frames.
    const u64 step = (u64(format.sampleRate) << 32) / outputRate;
    u64 position = 0;
    for (u64 i = 0; i < outFrames; ++i, position += step) {
        const u64 frame = std::min(position >> 32, inFrames - 1);
        const u64 next = std::min(frame + 1, inFrames - 1);
        const i64 fraction = static_cast<i64>((position >> 16) & 0xFFFF);
        for (u32 c = 0; c < 2; ++c) {
            const i64 a = sampleAt(frame, c);
            const i64 b = sampleAt(next, c);
            out[2 * i + c] = static_cast<i16>(a + (((b - a) * fraction) >> 16));
        }
    }
    return out;
}

// Holds the device lock for one change of the table.
class Mixer::Guard {
public:
    explicit Guard(Lock* lock) : lock(lock) {
        if (lock != nullptr) lock->Acquire();
    }
    ~Guard() {
        if (lock != nullptr) lock->Release();
    }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    Lock* lock;
};

Mixer::Mixer(Lock* deviceLock) : lock(deviceLock) {
    accumulator.resize(kTypicalMixFrames * kOutputChannels);
}

Mixer::~Mixer() = default;

void Mixer::OpenDevice() {
    Guard guard(lock);
    sounds = {};
    soundCount = 0;
    fileVoice = {};
    toneVoice = {};
    paused = false;
    gamePaused = false;
    device = true;
}

void Mixer::CloseDevice() {
    Guard guard(lock);
    for (int i = 0; i < soundCount; ++i) {
        sounds[i].voices = {};
        sounds[i].samples.reset();
    }
    fileVoice = {};
    toneVoice = {};
    device = false;
}

Mixer::Sound* Mixer::Find(const void* wave) {
    for (int i = 0; i < soundCount; ++i) {
        if (sounds[i].key == wave) return &sounds[i];
    }
    return nullptr;
}

Mixer::Sound* Mixer::FindOrRegister(const void* wave, u32 waveSize) {
    if (Sound* known = Find(wave)) return known;
    WaveFormat format;
    if (soundCount >= kMaxSounds || !ParseWave(wave, waveSize, &format)) return nullptr;
    Guard guard(lock);
    Sound& sound = sounds[soundCount];
    sound = Sound{};
    sound.key = wave;
    sound.format = format;
    ++soundCount;
    return &sound;
}

// Voice 0 keeps its own copy of the samples, made the first time it is
// needed; the bytes of the image need only be valid during that call.
bool Mixer::EnsureSamples(Sound& sound, const void* wave) {
    if (sound.samples) return true;
    if (sound.refused) return false;
    auto converted =
        std::make_shared<const std::vector<i16>>(ConvertToOutput(wave, sound.format, kOutputRate));
    if (converted->empty()) {
        // Stays silent for the rest of the run; one line says why.
        sound.refused = true;
        ReportRefused(sound.format);
        return false;
    }
    Guard guard(lock);
    sound.samples = std::move(converted);
    return true;
}

bool Mixer::Play(const void* wave, u32 waveSize) {
    if (paused) return true;
    Sound* sound = FindOrRegister(wave, waveSize);
    if (sound == nullptr) return false;
    // Voice 0 is the first one taken, so it is the one created when absent;
    // its samples are converted before the device is locked.
    const bool converted = !device || sound->voices[0].exists || EnsureSamples(*sound, wave);
    Guard guard(lock);
    int v = 0;
    while (v < kVoicesPerSound && sound->voices[v].exists && sound->voices[v].playing) ++v;
    if (v == kVoicesPerSound) return false;
    if (!device || !converted) return false;
    // An idle voice starts where it stands: at its beginning after it ran
    // out or after a stop-all, but voice 0 of a loop that was stopped
    // part-way starts where the loop stopped (the game has always sounded so).
    // Voices 1..5 share voice 0's samples.
    Voice& voice = sound->voices[v];
    voice.exists = true;
    voice.looping = false;
    voice.playing = true;
    return true;
}

bool Mixer::Loop(const void* wave, u32 waveSize, bool start) {
    if (!start) {
        Sound* sound = Find(wave);
        if (sound == nullptr || !sound->loopFlag) return false;
        Guard guard(lock);
        Voice& voice = sound->voices[0];
        if (!voice.exists || !voice.playing) return false;
        voice.playing = false;  // stays where it stopped
        return true;
    }
    if (paused) return true;
    Sound* sound = FindOrRegister(wave, waveSize);
    if (sound == nullptr) return false;
    const bool converted = !device || sound->voices[0].exists || EnsureSamples(*sound, wave);
    Guard guard(lock);
    Voice& voice = sound->voices[0];
    if (voice.exists && voice.playing) return false;
    if (!device || !converted) return false;
    voice.exists = true;
    voice.position = 0;
    voice.looping = true;
    voice.playing = true;
    sound->loopFlag = true;
    return true;
}

bool Mixer::Pause(bool byGame) {
    if (byGame) {
        if (gamePaused) return false;
        gamePaused = true;
    }
    if (paused) return true;
    Guard guard(lock);
    paused = true;
    for (int i = 0; i < soundCount; ++i) {
        for (Voice& voice : sounds[i].voices) {
            voice.wasPlaying = voice.exists && voice.playing;
            if (voice.wasPlaying) voice.playing = false;
        }
    }
    return true;
}

bool Mixer::Resume(bool byGame) {
    if (byGame) {
        if (!gamePaused) return false;
        gamePaused = false;
    }
    if (gamePaused || !paused) return true;
    Guard guard(lock);
    paused = false;
    for (int i = 0; i < soundCount; ++i) {
        // Each voice resumes the way it was playing: a loop loops again, a
        // one-shot voice plays out and stops (it would otherwise loop for
        // ever, as no operation stops voices 1..5).
        for (Voice& voice : sounds[i].voices) {
            if (voice.wasPlaying) voice.playing = true;
            voice.wasPlaying = false;
        }
    }
    return true;
}

bool Mixer::PauseAll() {
    return Pause(true);
}
bool Mixer::ResumeAll() {
    return Resume(true);
}
void Mixer::HostPause() {
    Pause(false);
}
void Mixer::HostResume() {
    Resume(false);
}

bool Mixer::StopAll() {
    Guard guard(lock);
    for (int i = 0; i < soundCount; ++i) {
        for (Voice& voice : sounds[i].voices) {
            voice.playing = false;
            voice.position = 0;
            voice.wasPlaying = false;
        }
    }
    return true;
}

bool Mixer::PlayFileLooped(const void* wave, u32 waveSize) {
    WaveFormat format;
    if (!device || !ParseWave(wave, waveSize, &format)) return false;
    auto converted =
        std::make_shared<const std::vector<i16>>(ConvertToOutput(wave, format, kOutputRate));
    if (converted->empty()) {
        ReportRefused(format);
        return false;
    }
    Guard guard(lock);
    fileVoice.samples = std::move(converted);
    fileVoice.position = 0;
    fileVoice.looping = true;
    fileVoice.playing = true;
    return true;
}

bool Mixer::StopFile() {
    Guard guard(lock);
    fileVoice.playing = false;
    return true;
}

void Mixer::PlayTone(u32 hz, u32 ms) {
    if (!device || hz == 0 || ms == 0) return;
    const u32 frames = kOutputRate * ms / 1000;
    auto tone = std::make_shared<std::vector<i16>>(frames * 2);
    for (u32 i = 0; i < frames; ++i) {
        // A square wave at half volume, like a speaker beep.
        const bool high = (u64(i) * hz * 2 / kOutputRate) % 2 == 0;
        (*tone)[2 * i] = (*tone)[2 * i + 1] = high ? 8000 : -8000;
    }
    Guard guard(lock);
    toneVoice.samples = std::move(tone);
    toneVoice.position = 0;
    toneVoice.looping = false;
    toneVoice.playing = true;
}

void Mixer::MixVoice(const std::vector<i16>& samples, u32& position, bool& playing, bool looping,
                     i32* acc, int frames) {
    const u32 total = static_cast<u32>(samples.size() / 2);
    if (total == 0) {
        playing = false;
        return;
    }
    const i16* data = samples.data();
    int done = 0;
    while (done < frames && playing) {
        if (position >= total) {
            position = 0;
            if (!looping) {
                // A one-shot voice rewinds itself when it runs out.
                playing = false;
                break;
            }
        }
        const u32 n = std::min<u32>(total - position, static_cast<u32>(frames - done));
        const i16* from = data + 2 * position;
        i32* to = acc + 2 * done;
        for (u32 i = 0; i < 2 * n; ++i) to[i] += from[i];
        position += n;
        done += static_cast<int>(n);
        if (position >= total) {
            position = 0;
            if (!looping) playing = false;
        }
    }
}

void Mixer::Mix(i16* out, int frames) {
    if (frames <= 0) return;
    const std::size_t needed = static_cast<std::size_t>(frames) * kOutputChannels;
    if (accumulator.size() < needed) accumulator.resize(needed);
    i32* acc = accumulator.data();
    std::fill(acc, acc + needed, 0);
    for (int i = 0; i < soundCount; ++i) {
        Sound& sound = sounds[i];
        if (!sound.samples) continue;
        for (Voice& voice : sound.voices) {
            if (voice.exists && voice.playing) {
                MixVoice(*sound.samples, voice.position, voice.playing, voice.looping, acc, frames);
            }
        }
    }
    for (FreeVoice* voice : {&fileVoice, &toneVoice}) {
        if (voice->playing && voice->samples) {
            MixVoice(*voice->samples, voice->position, voice->playing, voice->looping, acc, frames);
        }
    }
    for (std::size_t i = 0; i < needed; ++i) {
        out[i] = static_cast<i16>(std::clamp(acc[i], -32768, 32767));
    }
}

int Mixer::PlayingVoices(const void* wave) const {
    Guard guard(lock);
    for (int i = 0; i < soundCount; ++i) {
        if (sounds[i].key != wave) continue;
        int playing = 0;
        for (const Voice& voice : sounds[i].voices) playing += voice.exists && voice.playing;
        return playing;
    }
    return 0;
}

bool Mixer::IsLooping(const void* wave) const {
    Guard guard(lock);
    for (int i = 0; i < soundCount; ++i) {
        if (sounds[i].key == wave) {
            const Voice& voice = sounds[i].voices[0];
            return voice.exists && voice.playing && voice.looping;
        }
    }
    return false;
}
