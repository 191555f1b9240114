// The decoded-sound cache, playing and stopping library sounds, animation
// cues and the music selection.
#include "ActorsFixture.h"
#include "tests/host/OggTestEncoder.h"

namespace actortest {
namespace {

using Kind = ScriptedPlatform::SoundEvent::Kind;

// How many encoded copies of one short tone the archive holds: one more than
// the cache has room for.
constexpr int kOggCopies = 257;

class SoundCuesTest : public ActorsFixture {
protected:
    void AddEntries(datalib::ArchiveWriter& writer) override {
        const std::vector<unsigned char> tone = OggTest::Encode(
            1, 8000, 400, [](int, long i) { return OggTest::Sine(440.0, 8000, i); });
        ASSERT_FALSE(tone.empty());
        datalib::Data ogg;
        ogg.payload.assign(tone.begin(), tone.end());
        ogg.flags = kDataItemOgg;

        datalib::Entry e;
        e.name = "SOUND_Ogg";
        e.sequences[0] = datalib::Sequence{};
        e.sequences[0]->listed = true;
        // Each copy is its own item with its own payload address.
        for (int i = 0; i < kOggCopies; ++i) e.sequences[0]->items.push_back(ogg);
        // Sequence 1: something marked as Ogg that is not.
        datalib::Data broken;
        broken.payload.assign(64, 0x55);
        broken.flags = kDataItemOgg;
        e.sequences[1] = datalib::Sequence{};
        e.sequences[1]->items.push_back(broken);
        writer.Add(e);
    }

    const DataItem* Item(const char* entry, int sequence, int item) {
        AssetRef ref{};
        ref.Init(entry);
        return library->GetData(&ref, sequence, item);
    }
};

TEST_F(SoundCuesTest, EncodedSoundsAreDecodedOnceAndPlainOnesPassThrough) {
    const void* wave = nullptr;
    u32 size = 0;
    const DataItem* plain = Item(kSoundEntry, 0, 2);
    ASSERT_TRUE(GetPlayableSound(plain, &wave, &size));
    EXPECT_EQ(wave, plain->Payload());
    EXPECT_EQ(size, plain->payloadSize);
    EXPECT_TRUE(Events(Kind::Decode).empty());

    const DataItem* ogg = Item("SOUND_Ogg", 0, 0);
    ASSERT_TRUE(GetPlayableSound(ogg, &wave, &size));
    const void* first = wave;
    EXPECT_NE(first, ogg->Payload());
    EXPECT_GT(size, 44u);
    ASSERT_TRUE(GetPlayableSound(ogg, &wave, &size));
    EXPECT_EQ(wave, first) << "the cached buffer again: started and stopped by one address";
    EXPECT_EQ(Events(Kind::Decode).size(), 1u);

    // A loop started and stopped through the library meets the same sound.
    AssetRef ref{};
    ref.Init("SOUND_Ogg");
    // Stopping an encoded sound that never played (as the menu's music switch
    // does with the street's piece) decodes nothing and sends no stop.
    StopLoopedSound(&ref, 0, 1, true);
    EXPECT_EQ(Events(Kind::Decode).size(), 1u);
    EXPECT_TRUE(Events(Kind::LoopStop).empty());
    PlaySound(&ref, 0, 0, true, false);
    EXPECT_TRUE(platform->IsLooping(first));
    StopLoopedSound(&ref, 0, 0, true);
    EXPECT_FALSE(platform->IsLooping(first));
    EXPECT_EQ(Events(Kind::Decode).size(), 1u);
}

TEST_F(SoundCuesTest, FullCacheAndFailedDecodingPlayNothingAndTryAgain) {
    const void* wave = nullptr;
    u32 size = 0;
    EXPECT_FALSE(GetPlayableSound(Item("SOUND_Ogg", 1, 0), &wave, &size));
    EXPECT_FALSE(GetPlayableSound(Item("SOUND_Ogg", 1, 0), &wave, &size));
    EXPECT_EQ(Events(Kind::Decode).size(), 2u) << "a failure is not remembered";
    EXPECT_FALSE(GetPlayableSound(nullptr, &wave, &size));

    for (int i = 0; i < 256; ++i) {
        ASSERT_TRUE(GetPlayableSound(Item("SOUND_Ogg", 0, i), &wave, &size)) << "item " << i;
    }
    EXPECT_FALSE(GetPlayableSound(Item("SOUND_Ogg", 0, 256), &wave, &size)) << "cache full";
    EXPECT_TRUE(GetPlayableSound(Item("SOUND_Ogg", 0, 17), &wave, &size)) << "cached ones stay";
    EXPECT_EQ(Events(Kind::Decode).size(), 2u + 256u);

    AssetRef ref{};
    ref.Init("SOUND_Ogg");
    platform->ClearSoundLog();
    PlaySound(&ref, 0, 256, false, false);
    EXPECT_TRUE(Events(Kind::Play).empty());

    // After a shutdown frees the cache, the same sound decodes again.
    FreeSoundCache();
    EXPECT_TRUE(GetPlayableSound(Item("SOUND_Ogg", 0, 256), &wave, &size));
}

TEST_F(SoundCuesTest, SoundSwitchSilencesEffectsButNotForcedOnes) {
    AssetRef ref{};
    ref.Init(kSoundEntry);
    PlaySound(&ref, 0, 1, false, false);
    PlaySound(&ref, 0, 2, true, false);
    ASSERT_EQ(Events(Kind::Play).size(), 1u);
    EXPECT_EQ(Events(Kind::Play)[0].wave, SoundAddress(kSoundEntry, 0, 1));
    ASSERT_EQ(Events(Kind::LoopStart).size(), 1u);
    StopLoopedSound(&ref, 0, 2, false);
    EXPECT_TRUE(Events(Kind::LoopStop).empty()) << "doIt false stops nothing";

    gGame.soundEffectsOn = false;
    PlaySound(&ref, 0, 3, false, false);
    EXPECT_EQ(Events(Kind::Play).size(), 1u);
    PlaySound(&ref, 0, 3, false, true);
    EXPECT_EQ(Events(Kind::Play).size(), 2u) << "forced";

    PlaySound(&ref, 5, 0, false, true);
    PlaySound(&ref, 0, 99, false, true);
    PlaySound(nullptr, 0, 0, false, true);
    EXPECT_EQ(Events(Kind::Play).size(), 2u) << "missing sequence, item or reference";
}

TEST_F(SoundCuesTest, CuesPlayTheirRecordsSoundOnce) {
    AnimationRecord& cue = Animation(AII_Extra1);
    PlayCue(cue);
    EXPECT_TRUE(platform->SoundLog().empty()) << "no sound given to the record";

    GiveSound(AII_Extra1, -2, 1001);  // sequence 1, item 1, marked looping
    PlayCue(cue);
    ASSERT_EQ(Events(Kind::Play).size(), 1u) << "a cue is never looped";
    EXPECT_EQ(Events(Kind::Play)[0].wave, SoundAddress(kSoundEntry, 1, 1));

    GiveSound(AII_Extra2, 1, 1003);
    PlayCue(Animation(AII_Extra2));
    ASSERT_EQ(Events(Kind::Play).size(), 2u);
    EXPECT_EQ(Events(Kind::Play)[1].wave, SoundAddress(kSoundEntry, 0, 3)) << "1003 plays item 3";

    GiveSound(AII_Extra3, 1, -4);
    PlayCue(Animation(AII_Extra3));
    EXPECT_EQ(Events(Kind::Play)[2].wave, SoundAddress(kSoundEntry, 0, 0)) << "below 0 is item 0";

    gGame.soundEffectsOn = false;
    PlayCue(cue);
    EXPECT_EQ(Events(Kind::Play).size(), 3u);
}

TEST_F(SoundCuesTest, MusicSelection) {
    const void* menu = SoundAddress("SOUND_Music", 0, 0);
    const void* level = SoundAddress("SOUND_Music", 0, 1);
    gGame.soundEffectsOn = false;  // music is governed by its own switch only

    SelectMusic(2);
    EXPECT_TRUE(platform->IsLooping(menu));
    EXPECT_EQ(gGame.currentMusic, 2);
    SelectMusic(1);
    EXPECT_FALSE(platform->IsLooping(menu));
    EXPECT_TRUE(platform->IsLooping(level));
    const size_t events = platform->SoundLog().size();
    SelectMusic(1);
    EXPECT_EQ(platform->SoundLog().size(), events) << "the piece already playing: nothing";

    SelectMusic(0);
    EXPECT_FALSE(platform->IsLooping(level));
    EXPECT_EQ(gGame.currentMusic, 0);

    SelectMusic(2);
    gGame.musicOn = false;  // Options: music off
    SelectMusic(2);
    EXPECT_FALSE(platform->IsLooping(menu));
    EXPECT_EQ(gGame.currentMusic, -1);
    SelectMusic(1);
    EXPECT_EQ(gGame.currentMusic, -1);
    EXPECT_FALSE(platform->IsLooping(level));

    gGame.musicOn = true;
    SelectMusic(2);
    EXPECT_TRUE(platform->IsLooping(menu));

    SelectMusic(7);
    EXPECT_EQ(gGame.currentMusic, 7) << "an unknown piece: nothing sounds";
    EXPECT_TRUE(platform->IsLooping(menu)) << "and nothing is stopped";
}

}  // namespace
}  // namespace actortest
