// Decoding Ogg Vorbis into wave images: header layout, chained streams,
// the messages for bad input, the sample conversion rule and the size limit.
#include "platform/OggDecoder.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <random>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/host/OggTestEncoder.h"

namespace {

u32 Le32(const unsigned char* p) {
    return p[0] | p[1] << 8 | p[2] << 16 | u32(p[3]) << 24;
}
u32 Le16(const unsigned char* p) {
    return p[0] | p[1] << 8;
}

struct Image {
    void* data = nullptr;
    u32 size = 0;
    ~Image() { std::free(data); }
    const unsigned char* bytes() const { return static_cast<const unsigned char*>(data); }
    const i16* samples() const { return reinterpret_cast<const i16*>(bytes() + 44); }
};

bool Decode(const std::vector<unsigned char>& ogg, Image& image) {
    return DecodeOggToWave(ogg.data(), static_cast<i32>(ogg.size()), &image.data, &image.size);
}

// Checks the 44-byte header against the layout the sound table parses.
void ExpectHeader(const Image& image, u32 channels, u32 rate) {
    const unsigned char* h = image.bytes();
    ASSERT_GE(image.size, 44u);
    EXPECT_EQ(0, std::memcmp(h, "RIFF", 4));
    EXPECT_EQ(image.size - 8, Le32(h + 4));
    EXPECT_EQ(0, std::memcmp(h + 8, "WAVE", 4));
    EXPECT_EQ(0, std::memcmp(h + 12, "fmt ", 4));
    EXPECT_EQ(16u, Le32(h + 16));
    EXPECT_EQ(1u, Le16(h + 20)) << "PCM";
    EXPECT_EQ(channels, Le16(h + 22));
    EXPECT_EQ(rate, Le32(h + 24));
    EXPECT_EQ(rate * channels * 2, Le32(h + 28)) << "byte rate";
    EXPECT_EQ(channels * 2, Le16(h + 32)) << "block alignment";
    EXPECT_EQ(16u, Le16(h + 34));
    EXPECT_EQ(0, std::memcmp(h + 36, "data", 4));
    EXPECT_EQ(image.size - 44, Le32(h + 40));
}

class RoundTowardZero {
public:
    RoundTowardZero() : saved(std::fegetround()) { std::fesetround(FE_TOWARDZERO); }
    ~RoundTowardZero() { std::fesetround(saved); }

private:
    int saved;
};

TEST(OggDecoder, StereoImageHasHeaderAndAllFrames) {
    const long frames = 44100;
    const auto ogg = OggTest::Encode(2, 44100, frames, [](int c, long i) {
        return OggTest::Sine(c == 0 ? 440.0 : 660.0, 44100, i);
    });
    ASSERT_FALSE(ogg.empty());
    Image image;
    ASSERT_TRUE(Decode(ogg, image));
    ExpectHeader(image, 2, 44100);
    EXPECT_EQ(44u + 4u * frames, image.size) << "every encoded frame comes back";

    // The signal survives: both channels near the encoded amplitude of 0.5.
    double energy[2] = {0, 0};
    for (long i = 0; i < frames; ++i) {
        for (int c = 0; c < 2; ++c) energy[c] += std::pow(image.samples()[2 * i + c] / 32767.0, 2);
    }
    for (int c = 0; c < 2; ++c) {
        const double rms = std::sqrt(energy[c] / frames);
        EXPECT_NEAR(0.5 / std::sqrt(2.0), rms, 0.02) << "channel " << c;
    }
}

TEST(OggDecoder, MonoImageHasMonoHeader) {
    const long frames = 11025;
    const auto ogg = OggTest::Encode(1, 22050, frames,
                                     [](int, long i) { return OggTest::Sine(300.0, 22050, i); });
    Image image;
    ASSERT_TRUE(Decode(ogg, image));
    ExpectHeader(image, 1, 22050);
    EXPECT_EQ(44u + 2u * frames, image.size);
}

TEST(OggDecoder, ChainedStreamsFillOneImageWithTheLastStreamsFormat) {
    const long monoFrames = 22050, stereoFrames = 44100;
    auto ogg = OggTest::Encode(
        1, 22050, monoFrames, [](int, long i) { return OggTest::Sine(200.0, 22050, i); }, 7);
    const auto second = OggTest::Encode(
        2, 44100, stereoFrames, [](int, long i) { return OggTest::Sine(500.0, 44100, i); }, 8);
    ogg.insert(ogg.end(), second.begin(), second.end());
    Image image;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(Decode(ogg, image));
    testing::internal::GetCapturedStderr();
    ExpectHeader(image, 2, 44100);
    EXPECT_EQ(44u + 2u * monoFrames + 4u * stereoFrames, image.size)
        << "the samples of both streams, each in its own layout";
}

TEST(OggDecoder, InputWithoutOggPagesFailsWithItsMessage) {
    // Lengths of one piece and more, a short input (which once decoded to an
    // empty image) and nothing at all.
    for (std::size_t length :
         {std::size_t(5000), std::size_t(4096), std::size_t(100), std::size_t(0)}) {
        std::vector<unsigned char> junk(length + 1);
        for (std::size_t i = 0; i < junk.size(); ++i) junk[i] = static_cast<unsigned char>(i * 37);
        void* wave = reinterpret_cast<void*>(0x1234);
        u32 size = 77;
        testing::internal::CaptureStderr();
        EXPECT_FALSE(DecodeOggToWave(junk.data(), static_cast<i32>(length), &wave, &size))
            << length << " bytes";
        EXPECT_EQ("Input does not appear to be an Ogg bitstream.\n",
                  testing::internal::GetCapturedStderr())
            << length << " bytes";
        EXPECT_EQ(reinterpret_cast<void*>(0x1234), wave) << "outputs stay untouched";
        EXPECT_EQ(77u, size);
    }
}

TEST(OggDecoder, BrokenStreamsReportWhatIsWrong) {
    const auto ogg = OggTest::Encode(2, 44100, 44100,
                                     [](int, long i) { return OggTest::Sine(440.0, 44100, i); });

    // Cut inside the codebook header: the headers never complete.
    std::vector<unsigned char> cut(ogg.begin(), ogg.begin() + 200);
    Image image;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Decode(cut, image));
    EXPECT_EQ("End of file before finding all Vorbis headers!\n",
              testing::internal::GetCapturedStderr());

    // A proper Ogg page whose first packet is not a Vorbis header.
    std::vector<unsigned char> notVorbis;
    {
        ogg_stream_state stream;
        ogg_stream_init(&stream, 3);
        unsigned char text[] = "not a vorbis header";
        ogg_packet packet{text, sizeof text, 1, 0, 0, 0};
        ogg_stream_packetin(&stream, &packet);
        ogg_page page;
        while (ogg_stream_flush(&stream, &page) != 0) {
            notVorbis.insert(notVorbis.end(), page.header, page.header + page.header_len);
            notVorbis.insert(notVorbis.end(), page.body, page.body + page.body_len);
        }
        ogg_stream_clear(&stream);
    }
    testing::internal::CaptureStderr();
    EXPECT_FALSE(Decode(notVorbis, image));
    EXPECT_EQ("This Ogg bitstream does not contain Vorbis audio data.\n",
              testing::internal::GetCapturedStderr());

    // Damage in the middle of the audio (well past the headers of a noisy
    // signal): decoding goes on past the gap.
    std::vector<unsigned char> damaged = OggTest::Encode(2, 44100, 4 * 44100, [](int c, long i) {
        return 0.3f * static_cast<float>(((i * 1103515245L + c * 12345L) >> 8) % 2001 - 1000) /
               1000.0f;
    });
    ASSERT_GT(damaged.size(), 40000u);
    const std::size_t middle = damaged.size() * 3 / 4;
    for (std::size_t i = middle; i < middle + 300; ++i) damaged[i] ^= 0x5A;
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Decode(damaged, image));
    EXPECT_NE(std::string::npos, testing::internal::GetCapturedStderr().find(
                                     "Corrupt or missing data in bitstream; continuing...\n"));
    ExpectHeader(image, 2, 44100);
}

TEST(OggDecoder, GameRoundingDoesNotDisturbTheDecoding) {
    const long frames = 44100;
    const auto ogg = OggTest::Encode(2, 44100, frames, [](int c, long i) {
        return OggTest::Sine(c == 0 ? 440.0 : 660.0, 44100, i);
    });
    Image nearest, towardZero;
    ASSERT_TRUE(Decode(ogg, nearest));
    {
        RoundTowardZero game;
        ASSERT_TRUE(Decode(ogg, towardZero));
        EXPECT_EQ(FE_TOWARDZERO, std::fegetround()) << "the caller's mode is given back";
    }
    ASSERT_EQ(nearest.size, towardZero.size);
    int differences = 0;
    for (u32 i = 0; i < (nearest.size - 44) / 2; ++i) {
        const int a = nearest.samples()[i], b = towardZero.samples()[i];
        ASSERT_LE(std::abs(a - b), 1) << "sample " << i << ": only the last step may differ";
        differences += a != b;
    }
    EXPECT_GT(differences, 0) << "the conversion does follow the caller's mode";
}

TEST(OggDecoder, SamplesScaleBy32767UnderTheCurrentRounding) {
    RoundTowardZero towardZero;
    EXPECT_EQ(32767, OggDecoder::SampleToPcm16(1.0f));
    EXPECT_EQ(-32767, OggDecoder::SampleToPcm16(-1.0f));
    EXPECT_EQ(32767, OggDecoder::SampleToPcm16(1.5f)) << "limited, not wrapped";
    EXPECT_EQ(-32768, OggDecoder::SampleToPcm16(-1.5f));
    EXPECT_EQ(0, OggDecoder::SampleToPcm16(0.00002f)) << "0.655 toward zero";
    EXPECT_EQ(16383, OggDecoder::SampleToPcm16(0.5f)) << "16383.5 toward zero";
    EXPECT_EQ(-16383, OggDecoder::SampleToPcm16(-0.5f));
    EXPECT_EQ(-32768, OggDecoder::SampleToPcm16(std::nanf("")));

    std::fesetround(FE_TONEAREST);
    EXPECT_EQ(16384, OggDecoder::SampleToPcm16(0.5f)) << "the mode in force decides, not a cast";
    EXPECT_EQ(1, OggDecoder::SampleToPcm16(0.00002f));
}

// Blocks go through a wider conversion than single samples; every sample of
// every block, edges and NaN among them, must come out as it would alone.
TEST(OggDecoder, BlocksOfSamplesConvertAsEachSampleAlone) {
    std::mt19937 random(20261208);
    const float special[] = {1.0f, -1.0f, 1.5f, -1.5f, 0.5f, -0.5f, 32768.f / 32767.f,
                             -32768.f / 32767.f, std::nanf(""), INFINITY, -INFINITY, 0.0f};
    for (const int mode : {FE_TOWARDZERO, FE_TONEAREST, FE_DOWNWARD}) {
        std::fesetround(mode);
        for (int n = 0; n < 200; ++n) {
            const int channels = 1 + static_cast<int>(random() % 3);
            const int frames = static_cast<int>(random() % 40);
            std::vector<std::vector<float>> pcm(channels, std::vector<float>(frames));
            for (auto& channel : pcm) {
                for (float& v : channel) {
                    v = random() % 4 == 0 ? special[random() % std::size(special)]
                                          : std::uniform_real_distribution<float>(-1.2f, 1.2f)(random);
                }
            }
            std::vector<float*> pointers;
            for (auto& channel : pcm) pointers.push_back(channel.data());
            std::vector<i16> out(static_cast<size_t>(channels) * frames + 1, 0x5A5A);
            OggDecoder::SamplesToPcm16(pointers.data(), channels, frames, out.data());
            for (int i = 0; i < frames * channels; ++i) {
                ASSERT_EQ(out[i], OggDecoder::SampleToPcm16(pcm[i % channels][i / channels]))
                    << "mode " << mode << ", " << channels << " channels, sample " << i;
            }
            ASSERT_EQ(out.back(), 0x5A5A) << "nothing written past the last frame";
        }
    }
    std::fesetround(FE_TONEAREST);
}

TEST(OggDecoder, ImageThatCannotGrowFailsInsteadOfLosingSamples) {
    const long frames = 44100;
    const auto ogg = OggTest::Encode(2, 44100, frames,
                                     [](int, long i) { return OggTest::Sine(440.0, 44100, i); });
    void* wave = nullptr;
    u32 size = 0;
    testing::internal::CaptureStderr();
    EXPECT_FALSE(OggDecoder::DecodeWithLimit(ogg.data(), static_cast<i32>(ogg.size()), &wave, &size,
                                             44 + 4 * frames - 4));
    EXPECT_FALSE(testing::internal::GetCapturedStderr().empty());
    EXPECT_EQ(nullptr, wave);

    // Exactly enough room works, so the limit is not off by one.
    ASSERT_TRUE(OggDecoder::DecodeWithLimit(ogg.data(), static_cast<i32>(ogg.size()), &wave, &size,
                                            44 + 4 * frames));
    EXPECT_EQ(44u + 4u * frames, size);
    std::free(wave);
}

}  // namespace
