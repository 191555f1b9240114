// The sound table and mixer, checked by pulling mixed samples out of it as
// the audio device does.
#include "platform/Mixer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

// A RIFF/WAVE image; sample(frame, channel) gives the stored value.
std::vector<u8> MakeWave(u32 channels, u32 rate, u32 bits, u32 frames,
                         const std::function<int(u32, u32)>& sample) {
    const u32 bytesPerSample = bits / 8;
    const u32 dataSize = frames * channels * bytesPerSample;
    std::vector<u8> w(44 + dataSize);
    auto put32 = [&](u32 at, u32 v) {
        for (int i = 0; i < 4; ++i) w[at + i] = static_cast<u8>(v >> (8 * i));
    };
    auto put16 = [&](u32 at, u32 v) {
        w[at] = static_cast<u8>(v);
        w[at + 1] = static_cast<u8>(v >> 8);
    };
    std::memcpy(&w[0], "RIFF", 4);
    put32(4, 36 + dataSize);
    std::memcpy(&w[8], "WAVEfmt ", 8);
    put32(16, 16);
    put16(20, 1);
    put16(22, channels);
    put32(24, rate);
    put32(28, rate * channels * bytesPerSample);
    put16(32, channels * bytesPerSample);
    put16(34, bits);
    std::memcpy(&w[36], "data", 4);
    put32(40, dataSize);
    for (u32 f = 0; f < frames; ++f) {
        for (u32 c = 0; c < channels; ++c) {
            const u32 at = 44 + (f * channels + c) * bytesPerSample;
            const int v = sample(f, c);
            if (bits == 8) {
                w[at] = static_cast<u8>(v);
            } else {
                put16(at, static_cast<u16>(v));
            }
        }
    }
    return w;
}

// At the output rate, every frame holds its own index: the mix shows where
// each voice stands.
std::vector<u8> Ramp(u32 frames) {
    return MakeWave(2, Mixer::kOutputRate, 16, frames, [](u32 f, u32) { return int(f); });
}
std::vector<u8> Constant(int value, u32 frames = 1000) {
    return MakeWave(2, Mixer::kOutputRate, 16, frames, [=](u32, u32) { return value; });
}

// Left channel of the next `frames` mixed frames.
std::vector<int> Pull(Mixer& mixer, int frames) {
    std::vector<i16> out(2 * frames);
    mixer.Mix(out.data(), frames);
    std::vector<int> left(frames);
    for (int i = 0; i < frames; ++i) left[i] = out[2 * i];
    return left;
}

u32 Size(const std::vector<u8>& w) {
    return static_cast<u32>(w.size());
}

class MixerTest : public ::testing::Test {
protected:
    MixerTest() { mixer.OpenDevice(); }
    Mixer mixer;
};

TEST_F(MixerTest, SevenPlaysOfOneSoundSixPlayTheSeventhFails) {
    const auto wave = Constant(1000);
    for (int i = 0; i < 6; ++i) EXPECT_TRUE(mixer.Play(wave.data(), Size(wave))) << "play " << i;
    EXPECT_FALSE(mixer.Play(wave.data(), Size(wave))) << "all six voices play";
    EXPECT_EQ(6, mixer.PlayingVoices(wave.data()));
    EXPECT_EQ(6000, Pull(mixer, 10)[0]) << "six copies sound together";
    EXPECT_EQ(1, mixer.RegisteredSounds()) << "one address, one sound";

    // They run out together, rewind, and the voices are free again.
    Pull(mixer, 1000);
    EXPECT_EQ(0, mixer.PlayingVoices(wave.data()));
    EXPECT_EQ(0, Pull(mixer, 10)[0]);
    EXPECT_TRUE(mixer.Play(wave.data(), Size(wave)));
}

TEST_F(MixerTest, LoudMixIsLimitedNotWrapped) {
    const auto wave = Constant(20000);
    mixer.Play(wave.data(), Size(wave));
    mixer.Play(wave.data(), Size(wave));
    EXPECT_EQ(32767, Pull(mixer, 1)[0]);
}

TEST_F(MixerTest, OneShotPlaysFromTheStartAndRewindsAtItsEnd) {
    const auto wave = Ramp(100);
    ASSERT_TRUE(mixer.Play(wave.data(), Size(wave)));
    auto first = Pull(mixer, 150);
    EXPECT_EQ(0, first[0]);
    EXPECT_EQ(99, first[99]);
    EXPECT_EQ(0, first[100]) << "silence after the end";
    EXPECT_EQ(0, mixer.PlayingVoices(wave.data()));
    ASSERT_TRUE(mixer.Play(wave.data(), Size(wave)));
    EXPECT_EQ(0, Pull(mixer, 5)[1] - 1) << "a finished voice starts from its beginning";
}

TEST_F(MixerTest, LoopStartedTwiceKeepsPlayingUninterrupted) {
    const auto wave = Ramp(100);
    ASSERT_TRUE(mixer.Loop(wave.data(), Size(wave), true));
    EXPECT_EQ(29, Pull(mixer, 30)[29]);
    EXPECT_FALSE(mixer.Loop(wave.data(), Size(wave), true)) << "already looping";
    auto next = Pull(mixer, 100);
    EXPECT_EQ(30, next[0]) << "not restarted";
    EXPECT_EQ(99, next[69]);
    EXPECT_EQ(0, next[70]) << "wraps to the start";
    EXPECT_TRUE(mixer.IsLooping(wave.data()));

    EXPECT_TRUE(mixer.Loop(wave.data(), Size(wave), false));
    EXPECT_FALSE(mixer.Loop(wave.data(), Size(wave), false)) << "no longer playing";
    EXPECT_EQ(0, Pull(mixer, 5)[0]);

    // A loop stopped part-way leaves voice 0 where it stopped; a one-shot
    // play of the same sound goes on from there.
    ASSERT_TRUE(mixer.Play(wave.data(), Size(wave)));
    EXPECT_EQ(30, Pull(mixer, 1)[0]);

    // Starting the loop again always rewinds.
    const auto other = Ramp(100);
    ASSERT_TRUE(mixer.Loop(other.data(), Size(other), true));
    Pull(mixer, 40);
    ASSERT_TRUE(mixer.Loop(other.data(), Size(other), false));
    ASSERT_TRUE(mixer.Loop(other.data(), Size(other), true));
    mixer.StopAll();
    ASSERT_TRUE(mixer.Loop(other.data(), Size(other), true));
    EXPECT_EQ(0, Pull(mixer, 1)[0]);
}

TEST_F(MixerTest, StoppingALoopThatIsNotOneFails) {
    const auto wave = Ramp(100);
    EXPECT_FALSE(mixer.Loop(wave.data(), Size(wave), false)) << "unknown sound";
    mixer.Play(wave.data(), Size(wave));
    EXPECT_FALSE(mixer.Loop(wave.data(), Size(wave), false)) << "a one-shot is not a loop";
    EXPECT_EQ(1, mixer.PlayingVoices(wave.data()));
}

TEST_F(MixerTest, PauseStopResumeRestartsNothing) {
    const auto wave = Ramp(1000);
    mixer.Loop(wave.data(), Size(wave), true);
    EXPECT_TRUE(mixer.PauseAll());
    EXPECT_FALSE(mixer.PauseAll()) << "second pause in a row";
    EXPECT_TRUE(mixer.IsPaused());
    EXPECT_TRUE(mixer.StopAll());
    EXPECT_TRUE(mixer.IsPaused()) << "stop-all leaves the pause";
    EXPECT_TRUE(mixer.ResumeAll());
    EXPECT_FALSE(mixer.ResumeAll()) << "no pause to end";
    EXPECT_FALSE(mixer.IsPaused());
    EXPECT_EQ(0, mixer.PlayingVoices(wave.data()));
    EXPECT_EQ(0, Pull(mixer, 10)[5]);
}

TEST_F(MixerTest, PauseStopsVoicesAndResumeGoesOnWhereTheyStood) {
    const auto loop = Ramp(1000);
    const auto shot = Constant(5, 200);
    mixer.Loop(loop.data(), Size(loop), true);
    mixer.Play(shot.data(), Size(shot));
    Pull(mixer, 100);
    ASSERT_TRUE(mixer.PauseAll());
    EXPECT_EQ(0, Pull(mixer, 10)[0]) << "silent while paused";
    EXPECT_TRUE(mixer.Play(shot.data(), Size(shot))) << "accepted and ignored while paused";
    EXPECT_TRUE(mixer.Loop(shot.data(), Size(shot), true));
    EXPECT_EQ(0, mixer.PlayingVoices(shot.data()));
    EXPECT_FALSE(mixer.Loop(loop.data(), Size(loop), false)) << "no loop plays while paused";

    ASSERT_TRUE(mixer.ResumeAll());
    EXPECT_EQ(100 + 5, Pull(mixer, 1)[0]) << "both resume where they stopped";
    EXPECT_TRUE(mixer.IsLooping(loop.data())) << "the loop stopped by the pause loops again";
}

TEST_F(MixerTest, FocusLostDuringTheGamesPauseResumesOnlyWithTheGame) {
    const auto wave = Ramp(1000);
    mixer.Loop(wave.data(), Size(wave), true);
    Pull(mixer, 10);
    ASSERT_TRUE(mixer.PauseAll());
    mixer.HostPause();
    mixer.HostResume();
    EXPECT_TRUE(mixer.IsPaused()) << "the game's pause still holds";
    EXPECT_EQ(0, Pull(mixer, 5)[0]);
    ASSERT_TRUE(mixer.ResumeAll());
    EXPECT_EQ(10, Pull(mixer, 1)[0]);

    // The host's pause alone: the game's resume cannot end it, focus can.
    mixer.HostPause();
    EXPECT_TRUE(mixer.IsPaused());
    EXPECT_FALSE(mixer.ResumeAll()) << "the game never paused";
    EXPECT_TRUE(mixer.IsPaused());
    mixer.HostResume();
    EXPECT_FALSE(mixer.IsPaused());
    EXPECT_EQ(11, Pull(mixer, 1)[0]);
}

TEST_F(MixerTest, OneShotVoicesOfALoopedSoundStayOneShotAfterAPause) {
    const auto wave = Ramp(100);
    mixer.Loop(wave.data(), Size(wave), true);
    mixer.Play(wave.data(), Size(wave));  // voice 1, once
    mixer.PauseAll();
    mixer.ResumeAll();
    Pull(mixer, 150);
    EXPECT_EQ(1, mixer.PlayingVoices(wave.data())) << "only the loop is left";
    EXPECT_TRUE(mixer.IsLooping(wave.data()));
}

TEST_F(MixerTest, WithoutDeviceSoundsRegisterButDoNotPlay) {
    Mixer silent;
    const auto wave = Ramp(100);
    EXPECT_FALSE(silent.Play(wave.data(), Size(wave)));
    EXPECT_FALSE(silent.Loop(wave.data(), Size(wave), true));
    EXPECT_EQ(1, silent.RegisteredSounds());
    EXPECT_TRUE(silent.PauseAll());
    EXPECT_TRUE(silent.IsPaused());
    EXPECT_TRUE(silent.Play(wave.data(), Size(wave))) << "paused: accepted and ignored";
    EXPECT_TRUE(silent.StopAll());
    EXPECT_TRUE(silent.ResumeAll());
    EXPECT_FALSE(silent.PlayFileLooped(wave.data(), Size(wave)));

    // Closing the device releases the voices; later plays fail.
    mixer.Play(wave.data(), Size(wave));
    mixer.CloseDevice();
    EXPECT_EQ(0, mixer.PlayingVoices(wave.data()));
    EXPECT_FALSE(mixer.Play(wave.data(), Size(wave)));
}

TEST_F(MixerTest, SixtyFifthSoundIsRefusedAndTheOthersKeepWorking) {
    std::vector<std::vector<u8>> waves;
    for (int i = 0; i < 65; ++i) waves.push_back(Constant(1, 10));
    for (int i = 0; i < 64; ++i) {
        ASSERT_TRUE(mixer.Play(waves[i].data(), Size(waves[i]))) << "sound " << i;
    }
    EXPECT_FALSE(mixer.Play(waves[64].data(), Size(waves[64])));
    EXPECT_FALSE(mixer.Loop(waves[64].data(), Size(waves[64]), true));
    EXPECT_EQ(64, mixer.RegisteredSounds());
    EXPECT_TRUE(mixer.Play(waves[0].data(), Size(waves[0])));
}

TEST_F(MixerTest, SamplesOfAnyLayoutAreConvertedOnce) {
    // Mono 22050 Hz: each channel of the output carries it, at twice the
    // number of frames.
    const auto mono = MakeWave(1, 22050, 16, 100, [](u32 f, u32) { return int(f) * 100; });
    WaveFormat format;
    ASSERT_TRUE(ParseWave(mono.data(), Size(mono), &format));
    EXPECT_EQ(1u, format.channels);
    EXPECT_EQ(22050u, format.sampleRate);
    const auto out = ConvertToOutput(mono.data(), format, 44100);
    ASSERT_EQ(400u, out.size()) << "200 stereo frames";
    EXPECT_EQ(out[2 * 10], out[2 * 10 + 1]) << "mono on both sides";
    EXPECT_EQ(500, out[2 * 10]) << "frame 5 of the source";
    EXPECT_EQ(550, out[2 * 11]) << "halfway between frames 5 and 6";

    // The bytes may go away after the first play: the voice has its copy.
    auto temporary = Constant(700, 100);
    const void* address = temporary.data();
    ASSERT_TRUE(mixer.Play(address, Size(temporary)));
    std::fill(temporary.begin() + 44, temporary.end(), 0);
    EXPECT_EQ(700, Pull(mixer, 1)[0]);
}

TEST_F(MixerTest, EightBitImagesPlayAsEightBitSamples) {
    // Unsigned 8-bit: 128 is silence, 192 is half of full scale up.
    const auto wave = MakeWave(1, 44100, 8, 100, [](u32, u32) { return 192; });
    ASSERT_TRUE(mixer.Play(wave.data(), Size(wave)));
    auto left = Pull(mixer, 120);
    EXPECT_EQ(64 * 256, left[0]);
    EXPECT_EQ(64 * 256, left[99]) << "100 frames, not the 50 of 16-bit noise";
    EXPECT_EQ(0, left[100]);
}

TEST_F(MixerTest, ImagesThatAreNotPlayableWavesAreRefused) {
    WaveFormat format;
    auto good = Constant(1, 10);
    EXPECT_TRUE(ParseWave(good.data(), Size(good), &format));
    EXPECT_EQ(44u, format.dataOffset);
    EXPECT_EQ(40u, format.dataSize);

    auto noData = good;
    noData[40] = noData[41] = noData[42] = noData[43] = 0;
    EXPECT_FALSE(ParseWave(noData.data(), Size(noData), &format)) << "empty data chunk";

    auto threeChannels = good;
    threeChannels[22] = 3;
    EXPECT_FALSE(ParseWave(threeChannels.data(), Size(threeChannels), &format));

    auto notWave = good;
    std::memcpy(&notWave[8], "AVI ", 4);
    EXPECT_FALSE(ParseWave(notWave.data(), Size(notWave), &format));
    EXPECT_FALSE(mixer.Play(notWave.data(), Size(notWave)));
    EXPECT_EQ(0, mixer.RegisteredSounds());

    // A data chunk that claims more than the image holds is cut to it.
    auto overlong = good;
    overlong[41] = 0x7F;
    ASSERT_TRUE(ParseWave(overlong.data(), Size(overlong), &format));
    EXPECT_EQ(40u, format.dataSize);

    // Chunks before "fmt " and between it and "data" are skipped, odd sizes
    // padded.
    std::vector<u8> padded(good.begin(), good.begin() + 12);
    const u8 junk[] = {'j', 'u', 'n', 'k', 3, 0, 0, 0, 1, 2, 3, 0};
    padded.insert(padded.end(), junk, junk + sizeof junk);
    padded.insert(padded.end(), good.begin() + 12, good.end());
    ASSERT_TRUE(ParseWave(padded.data(), static_cast<u32>(padded.size()), &format));
    EXPECT_EQ(44u + sizeof junk, format.dataOffset);
    EXPECT_FALSE(ParseWave(good.data(), 30, &format)) << "cut short";
}

TEST_F(MixerTest, WaveFileLoopsOutsideTheTableAndItsPauses) {
    const auto wave = Ramp(50);
    ASSERT_TRUE(mixer.PlayFileLooped(wave.data(), Size(wave)));
    EXPECT_EQ(0, mixer.RegisteredSounds());
    mixer.PauseAll();
    auto left = Pull(mixer, 60);
    EXPECT_EQ(49, left[49]);
    EXPECT_EQ(5, left[55]) << "loops, pause or not";
    EXPECT_TRUE(mixer.StopFile());
    EXPECT_EQ(0, Pull(mixer, 5)[0]);
}

}  // namespace

TEST_F(MixerTest, ASoundTooLongAfterConversionIsRefusedNotAllocated) {
    // A few bytes at 1 Hz would be 44100 output frames per byte pair: a
    // modded 64 KB image would ask for gigabytes. It is refused, stays silent,
    // says so once, and the mixer goes on with every other sound.
    const auto slow = MakeWave(2, 1, 16, 16384, [](u32, u32) { return 1000; });
    WaveFormat format;
    ASSERT_TRUE(ParseWave(slow.data(), Size(slow), &format));
    EXPECT_GT(ConvertedFrames(format, Mixer::kOutputRate), kMaxConvertedFrames);
    EXPECT_TRUE(ConvertToOutput(slow.data(), format, Mixer::kOutputRate).empty());

    testing::internal::CaptureStderr();
    EXPECT_FALSE(mixer.Play(slow.data(), Size(slow)));
    EXPECT_FALSE(mixer.Loop(slow.data(), Size(slow), true));
    EXPECT_FALSE(mixer.Play(slow.data(), Size(slow)));
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, said.find("1 Hz")) << said;
    EXPECT_EQ(said.find('\n'), said.rfind('\n')) << "one line, however often it is asked for";
    EXPECT_EQ(0, Pull(mixer, 1)[0]);
    EXPECT_FALSE(mixer.PlayFileLooped(slow.data(), Size(slow)));

    // The bound itself: ten minutes converted from 4410 Hz pass, a frame more
    // does not (8-bit mono, one byte a frame).
    WaveFormat edge;
    edge.channels = 1;
    edge.sampleRate = 4410;
    edge.bitsPerSample = 8;
    edge.dataSize = static_cast<u32>(kMaxConvertedFrames / 10);
    EXPECT_EQ(kMaxConvertedFrames, ConvertedFrames(edge, Mixer::kOutputRate));
    edge.dataSize += 1;
    EXPECT_GT(ConvertedFrames(edge, Mixer::kOutputRate), kMaxConvertedFrames);

    const auto one = Constant(300);
    EXPECT_TRUE(mixer.Play(one.data(), Size(one)));
    EXPECT_EQ(300, Pull(mixer, 1)[0]);
}
