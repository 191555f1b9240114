// The writers: wave headers the game's sound table accepts, and Ogg Vorbis
// that decodes to exactly the samples' length, identically every time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "platform/Mixer.h"
#include "platform/OggDecoder.h"
#include "tools/assetgen/sound/Encode.h"

namespace {

TEST(Encode, WaveImagesCarryTheirFormat) {
    sound::Stereo s(44100, 0.01);
    s.left[0] = 1.0f;
    s.right[0] = -1.5f;  // beyond full scale: clamped
    std::vector<std::uint8_t> image = sound::WaveImage(s);
    ASSERT_EQ(image.size(), 44u + 441 * 4);
    WaveFormat f;
    ASSERT_TRUE(ParseWave(image.data(), static_cast<u32>(image.size()), &f));
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.bitsPerSample, 16u);
    EXPECT_EQ(f.dataOffset, 44u);
    EXPECT_EQ(f.dataSize, 441u * 4);
    std::uint32_t byteRate, riffSize;
    std::memcpy(&byteRate, image.data() + 28, 4);
    std::memcpy(&riffSize, image.data() + 4, 4);
    EXPECT_EQ(byteRate, 176400u);
    EXPECT_EQ(riffSize, image.size() - 8);
    std::int16_t left, right;
    std::memcpy(&left, image.data() + 44, 2);
    std::memcpy(&right, image.data() + 46, 2);
    EXPECT_EQ(left, 32767);
    EXPECT_EQ(right, -32768);

    sound::Mono m(22050, 0.02);
    std::vector<std::uint8_t> mono = sound::WaveImage(m);
    ASSERT_TRUE(ParseWave(mono.data(), static_cast<u32>(mono.size()), &f));
    EXPECT_EQ(f.channels, 1u);
    EXPECT_EQ(f.sampleRate, 22050u);
    EXPECT_EQ(f.dataSize, 441u * 2);
}

TEST(Encode, OggVorbisDecodesToTheSameLengthAndIsRepeatable) {
    // 1.3 s of a chord: not a whole number of Vorbis blocks.
    sound::Stereo s(44100, 1.3);
    for (int i = 0; i < s.Frames(); ++i) {
        double t = i / 44100.0;
        s.left[i] = static_cast<float>(0.3 * std::sin(2 * sound::kPi * 440 * t));
        s.right[i] = static_cast<float>(0.3 * std::sin(2 * sound::kPi * 554.37 * t));
    }
    std::vector<std::uint8_t> ogg = sound::OggVorbis(s, 0.3f, 77);
    ASSERT_GT(ogg.size(), 100u);
    EXPECT_EQ(ogg, sound::OggVorbis(s, 0.3f, 77)) << "same samples, same settings, same bytes";
    EXPECT_NE(ogg, sound::OggVorbis(s, 0.3f, 78)) << "the serial number is part of the stream";

    void* wave = nullptr;
    u32 size = 0;
    ASSERT_TRUE(DecodeOggToWave(ogg.data(), static_cast<i32>(ogg.size()), &wave, &size));
    WaveFormat f;
    ASSERT_TRUE(ParseWave(wave, size, &f));
    EXPECT_EQ(f.channels, 2u);
    EXPECT_EQ(f.sampleRate, 44100u);
    EXPECT_EQ(f.dataSize, static_cast<u32>(s.Frames()) * 4) << "the encoder marks the exact end";
    // The tone survives: sample 1000 of the left channel is close to the original.
    std::int16_t v;
    std::memcpy(&v, static_cast<std::uint8_t*>(wave) + f.dataOffset + 1000 * 4, 2);
    EXPECT_NEAR(v / 32767.0, s.left[1000], 0.05);
    std::free(wave);
}

}  // namespace
