// The game's sound table and software mixer: up to 64 sounds, each a RIFF/WAVE
// image identified by its address, with six voices per sound, looping, the
// game's pause and the host's pause. Plain C++: an audio device pulls mixed
// samples out of it with Mix(), and the tests do the same.
//
// Threads: every operation but Mix() runs on the game's thread; Mix() runs on
// the device's thread. The device's lock (given to the constructor) is held
// while an operation changes what Mix() reads; sample conversion, the slow
// part, happens outside it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/PlatformServices.h"

// What the sound table learns from a wave image.
struct WaveFormat {
    u32 channels = 0;
    u32 sampleRate = 0;
    u32 bitsPerSample = 0;
    u32 dataOffset = 0;  // bytes from the image's start to the first sample
    u32 dataSize = 0;    // bytes of sample data inside the image
};

// Reads the RIFF form "WAVE", its "fmt " chunk and the "data" chunk after it.
// False for anything else, a "data" chunk of size 0, a channel count other
// than 1 or 2, or a rate of 0. A "data" chunk that claims more bytes than the
// image holds is cut to what is there.
bool ParseWave(const void* image, u32 imageSize, WaveFormat* format);

// The longest sound the mixer converts and plays: ten minutes at its output
// rate (about 100 MB of samples). A longer one is refused.
constexpr std::uint64_t kMaxConvertedFrames = 10ull * 60 * 44100;

// How many output frames the conversion of a parsed image to outputRate
// makes; 0 when it holds no whole frame.
std::uint64_t ConvertedFrames(const WaveFormat& format, u32 outputRate);

// Converts the samples of a parsed image to interleaved 16-bit stereo at
// outputRate (linear interpolation). 8-bit images are unsigned 8-bit PCM;
// every other image is read as 16-bit PCM. Empty when there is nothing to
// play, when the result would be longer than kMaxConvertedFrames (an image
// that declares a rate of a few Hz) or when the memory for it is not there.
std::vector<i16> ConvertToOutput(const void* image, const WaveFormat& format, u32 outputRate);

class Mixer {
public:
    static constexpr int kMaxSounds = 64;
    static constexpr int kVoicesPerSound = 6;
    static constexpr u32 kOutputRate = 44100;
    static constexpr int kOutputChannels = 2;

    // The device's lock, held while the table changes under the device thread.
    class Lock {
    public:
        virtual void Acquire() = 0;
        virtual void Release() = 0;
        virtual ~Lock() = default;
    };

    explicit Mixer(Lock* deviceLock = nullptr);
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // A device is there: empties the sound table, voices and flags. Without a
    // device, SoundPlay and SoundLoop fail after registering the sound, and
    // pause, resume and stop-all work on the flags only.
    void OpenDevice();
    // Stops and releases every voice; the device is gone from then on.
    void CloseDevice();
    bool HasDevice() const { return device; }

    // The sound slots of the platform contract.
    bool Play(const void* wave, u32 waveSize);
    bool Loop(const void* wave, u32 waveSize, bool start);
    bool PauseAll();
    bool ResumeAll();
    bool StopAll();
    bool IsPaused() const { return paused; }

    // The host's pause while the full-screen window has no focus, and its end.
    // The game's pause wins: a host resume during it restarts nothing.
    void HostPause();
    void HostResume();

    // A wave file played on its own voice, looping, outside the table and its
    // pauses; a new one replaces the old one. False when the image is not a
    // playable wave or there is no device.
    bool PlayFileLooped(const void* wave, u32 waveSize);
    bool StopFile();

    // A short tone on its own voice (the beep).
    void PlayTone(u32 hz, u32 ms);

    // Device side: writes frames of interleaved stereo 16-bit samples.
    void Mix(i16* out, int frames);

    // Read-outs for tests and diagnostics.
    int RegisteredSounds() const { return soundCount; }
    int PlayingVoices(const void* wave) const;
    bool IsLooping(const void* wave) const;

private:
    using Samples = std::shared_ptr<const std::vector<i16>>;

    struct Voice {
        bool exists = false;
        bool playing = false;
        bool looping = false;
        bool wasPlaying = false;  // stopped by a pause, to be restarted
        u32 position = 0;         // next frame to play
    };
    struct Sound {
        const void* key = nullptr;
        WaveFormat format;
        bool loopFlag = false;  // started with Loop at least once
        bool refused = false;   // its samples could not be converted (said once)
        Samples samples;        // output format, made when voice 0 is created
        std::array<Voice, kVoicesPerSound> voices{};
    };
    // A voice outside the table (the file player, the tone).
    struct FreeVoice {
        Samples samples;
        bool playing = false;
        bool looping = false;
        u32 position = 0;
    };

    class Guard;
    Sound* Find(const void* wave);
    Sound* FindOrRegister(const void* wave, u32 waveSize);
    bool EnsureSamples(Sound& sound, const void* wave);
    bool Pause(bool byGame);
    bool Resume(bool byGame);
    static void MixVoice(const std::vector<i16>& samples, u32& position, bool& playing,
                         bool looping, i32* accumulator, int frames);

    Lock* lock;
    bool device = false;
    bool paused = false;
    bool gamePaused = false;
    std::array<Sound, kMaxSounds> sounds{};
    int soundCount = 0;
    FreeVoice fileVoice;
    FreeVoice toneVoice;
    std::vector<i32> accumulator;
};
