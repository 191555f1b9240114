// Turns synthesized buffers into the bytes the game plays: RIFF/WAVE images of
// 16-bit PCM (effects) and Ogg Vorbis files (music).
#pragma once

#include <cstdint>
#include <vector>

#include "tools/assetgen/sound/Synth.h"

namespace sound {

// A complete 44-byte-header RIFF/WAVE image, 16-bit PCM, mono.
std::vector<std::uint8_t> WaveImage(const Mono& m);
// The same for stereo (left sample first in each frame).
std::vector<std::uint8_t> WaveImage(const Stereo& s);

// An Ogg Vorbis file of the stereo buffer, VBR at `quality` (-0.1 .. 1.0).
// The stream serial number is fixed, so identical samples give identical bytes.
// Empty on an encoder failure.
std::vector<std::uint8_t> OggVorbis(const Stereo& s, float quality, int serial);

// Float to 16-bit with rounding to nearest and clamping, as every writer here does.
std::int16_t ToPcm16(float x);

}  // namespace sound
