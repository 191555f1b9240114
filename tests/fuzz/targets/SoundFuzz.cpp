// Any bytes as a sound: the first byte says whether the rest is a WAVE image
// or Ogg Vorbis data (decoded to a WAVE image first, as the game does with
// its music). The image is then played the ways the game plays sounds — one
// shots on several voices, a loop, the file player — through the pauses and
// a stop, and the mixer is pulled for its output all the while.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/Mixer.h"
#include "platform/OggDecoder.h"

namespace {

// Sounds longer than this (about 24 s) are only checked for their refusal:
// converting minutes of samples under the sanitizers would take the fuzzer's
// time without reaching anything new.
constexpr std::uint64_t kPlayedFrames = 1u << 20;

void MixSome(Mixer& mixer, int frames) {
    static std::vector<i16> out(2 * 5000);
    mixer.Mix(out.data(), frames);
}

void PlayEveryWay(const void* image, u32 size) {
    WaveFormat format;
    if (ParseWave(image, size, &format)) {
        const std::uint64_t frames = ConvertedFrames(format, Mixer::kOutputRate);
        if (frames > kMaxConvertedFrames) {
            // Refused before anything is allocated.
            if (!ConvertToOutput(image, format, Mixer::kOutputRate).empty()) std::abort();
            return;
        }
        if (frames > kPlayedFrames) return;
        const std::vector<i16> converted = ConvertToOutput(image, format, Mixer::kOutputRate);
        if (converted.size() != 2 * frames) std::abort();
    }
    Mixer mixer;
    mixer.OpenDevice();
    mixer.Play(image, size);
    MixSome(mixer, 100);
    mixer.Play(image, size);
    mixer.Loop(image, size, true);
    MixSome(mixer, 4096);
    mixer.PauseAll();
    mixer.HostPause();
    MixSome(mixer, 10);
    mixer.HostResume();
    mixer.ResumeAll();
    MixSome(mixer, 5000);  // more than the device usually asks for
    mixer.Loop(image, size, false);
    mixer.Play(image, size);
    mixer.PlayFileLooped(image, size);
    MixSome(mixer, 3000);
    mixer.StopAll();
    mixer.StopFile();
    mixer.PlayTone(440, 5);
    MixSome(mixer, 500);
    mixer.CloseDevice();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t* body = data + 1;
    const u32 bodySize = static_cast<u32>(size - 1);
    if ((data[0] & 1) == 0) {
        // A copy of exactly the image's size, so that a read past it is seen.
        std::vector<std::uint8_t> image(body, body + bodySize);
        PlayEveryWay(image.data(), bodySize);
        return 0;
    }
    void* wave = nullptr;
    u32 waveSize = 0;
    if (DecodeOggToWave(body, static_cast<i32>(bodySize), &wave, &waveSize)) {
        PlayEveryWay(wave, waveSize);
        std::free(wave);
    }
    return 0;
}
