// The sequencer: melody text, chord symbols, and rendering that loops on the
// bar line with every tail folded back to the start.
#include <gtest/gtest.h>

#include <cmath>

#include "tools/assetgen/sound/Music.h"

namespace {

using sound::Score;
using sound::Voice;

TEST(Music, MelodyTextGivesPitchesLengthsAndRests) {
    Score s;
    s.bars = 1;
    // a4 is MIDI 69; lengths are sixteenths and carry over; r is a rest.
    double end = sound::AddMelody(s, 0, "a4:4 c#5 bb3:2 r:2 e5:4", Voice::Marimba, 1.0f, 0.0f);
    EXPECT_DOUBLE_EQ(end, 4.0);
    ASSERT_EQ(s.notes.size(), 4u);
    EXPECT_EQ(s.notes[0].pitch, 69);
    EXPECT_EQ(s.notes[1].pitch, 73);
    EXPECT_DOUBLE_EQ(s.notes[1].beat, 1.0) << "the length 4 carried over";
    EXPECT_EQ(s.notes[2].pitch, 58);
    EXPECT_DOUBLE_EQ(s.notes[3].beat, 3.0) << "the rest took half a beat";
    EXPECT_EQ(s.notes[3].pitch, 76);
    // Transposing moves every note.
    Score t;
    sound::AddMelody(t, 8, "c4:16", Voice::Clarinet, 1.0f, 0.0f, -12);
    ASSERT_EQ(t.notes.size(), 1u);
    EXPECT_EQ(t.notes[0].pitch, 48);
    EXPECT_DOUBLE_EQ(t.notes[0].beat, 8.0);
}

TEST(Music, MelodyWithABarOfTheWrongLengthIsRefused) {
    Score s;
    EXPECT_DEATH(sound::AddMelody(s, 0, "c5:4 d5 e5 | f5:4", Voice::Marimba, 1.0f, 0.0f),
                 "bar length");
    EXPECT_DEATH(sound::AddMelody(s, 0, "c5:4 x5:12", Voice::Marimba, 1.0f, 0.0f), "x5");
}

TEST(Music, ChordSymbolsGiveTheirTones) {
    std::vector<int> t;
    ASSERT_TRUE(sound::ChordTones("G7", t));
    EXPECT_EQ(t, (std::vector<int>{7, 11, 2, 5}));
    ASSERT_TRUE(sound::ChordTones("Bb", t));
    EXPECT_EQ(t, (std::vector<int>{10, 2, 5}));
    ASSERT_TRUE(sound::ChordTones("F#m", t));
    EXPECT_EQ(t, (std::vector<int>{6, 9, 1}));
    EXPECT_FALSE(sound::ChordTones("H7", t));
    EXPECT_FALSE(sound::ChordTones("Csus", t));
}

TEST(Music, LoopedRenderIsWholeBarsWithTailsFoldedToTheStart) {
    Score s;
    s.bpm = 120;  // a bar of 4 beats is 2 s
    s.bars = 2;
    // A crash on the last beat rings on far past the end of the piece.
    s.notes.push_back({7.0, 1.0, 60, 60, Voice::Crash, 1.0f, 0.0f});
    sound::Stereo looped = sound::RenderScore(s, 8000, true);
    EXPECT_EQ(looped.Frames(), 4 * 8000);
    float early = 0;
    for (int i = 0; i < 800; ++i) early = std::max(early, std::abs(looped.left[i]));
    EXPECT_GT(early, 0.01f) << "the crash's tail is heard at the start of the loop";

    sound::Stereo once = sound::RenderScore(s, 8000, false, 1.5);
    EXPECT_EQ(once.Frames(), 4 * 8000 + 12000);
    float start = 0;
    for (int i = 0; i < 800; ++i) start = std::max(start, std::abs(once.left[i]));
    EXPECT_EQ(start, 0.0f) << "without a loop the start stays silent";
}

TEST(Music, SwingDelaysTheOffBeatButNotTheBeat) {
    Score s;
    s.bpm = 60;  // one beat a second
    s.bars = 1;
    s.swing = 0.1;
    s.notes.push_back({1.0, 0.1, 60, 60, Voice::WoodBlock, 1.0f, 0.0f});
    s.notes.push_back({2.5, 0.1, 60, 60, Voice::WoodBlock, 1.0f, 0.0f});
    sound::Stereo r = sound::RenderScore(s, 1000, false, 0.5);
    auto firstSound = [&](int from) {
        for (int i = from; i < r.Frames(); ++i)
            if (std::abs(r.left[i]) > 1e-6f) return i;
        return -1;
    };
    EXPECT_EQ(firstSound(0), 1000) << "on the beat";
    EXPECT_EQ(firstSound(1500), 2600) << "the off-beat moved 0.1 beat late";
}

}  // namespace
