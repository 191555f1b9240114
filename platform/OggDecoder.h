// Turns a whole Ogg Vorbis file held in memory into a RIFF/WAVE image of
// 16-bit PCM, the form in which the game plays every sound and its music.
// Decoding is synchronous: a long piece holds up the frame that asks for it.
#pragma once

#include <cstddef>

#include "platform/PlatformServices.h"

// Decodes oggSize bytes at ogg (chained streams one after another into the
// same image) into a new image allocated with malloc; the caller frees it.
// The header carries the channel count and rate of the last stream decoded.
// Samples are float * 32767, converted as the caller's floating-point
// rounding mode converts (toward zero while the game runs) and limited to 16
// bits; the decoding itself always runs under round-to-nearest, which the
// library needs, and the caller's mode is restored before returning.
// False on any failure, with *wave and *waveSize untouched; the reason goes
// to standard error. An image longer than the mixer plays (kMaxConvertedFrames
// of stereo) fails too.
bool DecodeOggToWave(const void* ogg, i32 oggSize, void** wave, u32* waveSize);

namespace OggDecoder {

// The same, with a ceiling on the image size in bytes: a decode whose image
// would grow past it fails instead of losing samples. DecodeOggToWave uses the
// largest size a wave header can describe.
bool DecodeWithLimit(const void* ogg, i32 oggSize, void** wave, u32* waveSize,
                     std::size_t maxImageBytes);

// One sample as the decoder stores it: v * 32767 converted under the current
// rounding mode, limited to -32768..32767 (1.0 gives 32767, -1.0 gives -32767).
i16 SampleToPcm16(float v);
// frames frames of channelCount channels, each converted as SampleToPcm16
// does, interleaved into out (frames * channelCount samples).
void SamplesToPcm16(float** channels, int channelCount, int frames, i16* out);

// Off by default: when on, each stream's comments, channel count, rate and
// encoder are written to standard error as it is decoded (errors always are).
void SetVerbose(bool verbose);

}  // namespace OggDecoder
