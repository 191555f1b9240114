// The synthesizer toolbox: loops that join, levels that land where asked, and
// the limiter that keeps music peaks in check.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/assetgen/sound/Synth.h"

namespace {

using sound::Mono;
using sound::Stereo;

TEST(Synth, MakeLoopCutsToLengthAndJoinsTheSeam) {
    // A 50.5 Hz tone does not fit a whole number of cycles into 0.5 s (a
    // quarter cycle is left over): cut plainly, its end would jump.
    Mono tone(22050, 0.6);
    for (int i = 0; i < tone.Frames(); ++i)
        tone.samples[i] = static_cast<float>(std::sin(2 * sound::kPi * 50.5 * i / 22050.0));
    int loop = tone.At(0.5);
    float plainJump = std::abs(tone.samples[loop - 1] - tone.samples[0]);
    // The largest step the tone itself makes from one sample to the next.
    float step = static_cast<float>(2 * sound::kPi * 50.5 / 22050.0);
    ASSERT_GT(plainJump, 20 * step) << "the test tone must not join by itself";

    sound::MakeLoop(tone, loop, tone.At(0.05), true);
    ASSERT_EQ(tone.Frames(), loop);
    EXPECT_LE(std::abs(tone.samples.back() - tone.samples.front()), step * 1.01f);
    // The linear fade never swells past the tone's own level.
    float peak = 0;
    for (float v : tone.samples) peak = std::max(peak, std::abs(v));
    EXPECT_LE(peak, 1.0f + 1e-4f);
    EXPECT_GE(peak, 0.9f);
}

TEST(Synth, NormalizeAndSoftLimitLandOnTheirLevels) {
    Mono m(22050, 0.1);
    for (int i = 0; i < m.Frames(); ++i)
        m.samples[i] = 0.1f * static_cast<float>(std::sin(i * 0.05));
    m.samples[100] = -0.4f;
    sound::Normalize(m, -1.0);
    EXPECT_NEAR(sound::Peak(m), std::pow(10.0, -1.0 / 20), 1e-6);
    EXPECT_LT(m.samples[100], 0.0f) << "the sign of the loudest sample is kept";

    // Two spikes among steady samples: the limiter lifts the body to the
    // knee and bends the spikes (0.3 lifted to 1.05) under full scale.
    Stereo s(22050, 1.0);
    for (int i = 0; i < s.Frames(); ++i) s.left[i] = s.right[i] = 0.2f * ((i % 2) ? 1.0f : -1.0f);
    s.left[500] = 0.3f;
    s.right[501] = -0.3f;
    sound::SoftLimit(s, 0.7, 0.001);
    EXPECT_NEAR(s.left[0], -0.7f, 1e-5);
    EXPECT_NEAR(s.right[1], 0.7f, 1e-5);
    EXPECT_GT(s.left[500], 0.7f);
    EXPECT_LT(s.left[500], 1.0f);
    EXPECT_LT(s.right[501], -0.7f);
    EXPECT_GT(s.right[501], -1.0f);
}

TEST(Synth, NoiseIsTheSameForTheSameSeed) {
    sound::Noise a(7), b(7), c(8);
    bool differs = false;
    for (int i = 0; i < 1000; ++i) {
        float x = a.Next();
        EXPECT_EQ(x, b.Next());
        EXPECT_GE(x, -1.0f);
        EXPECT_LT(x, 1.0f);
        differs |= x != c.Next();
    }
    EXPECT_TRUE(differs);
    for (int i = 0; i < 1000; ++i) {
        int k = a.Below(5);
        EXPECT_GE(k, 0);
        EXPECT_LT(k, 5);
    }
}

}  // namespace
