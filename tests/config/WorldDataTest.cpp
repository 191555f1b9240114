// The data the configuration fills: the animation table's built-in defaults
// and names, a figure's own records and property defaults, and the placing
// of an object.
#include <cctype>
#include <set>
#include <string>

#include "ConfigFixture.h"
#include "config/AssetNames.h"

using namespace configtest;

TEST_F(ConfigFixture, AnimationNamesRoundTrip) {
    for (i32 id = 1; id <= kAnimationCount; ++id) {
        const std::string name = AnimationName(id);
        ASSERT_EQ(name.rfind("AII_", 0), 0u) << id;
        EXPECT_EQ(FindAnimationId(name.c_str()), id) << name;
        std::string lower = name;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(FindAnimationId(lower.c_str()), id) << lower;
    }
    EXPECT_STREQ(AnimationName(AII_PlayerGE_KnockOut), "AII_PlayerGE_KnockOut");
    EXPECT_STREQ(AnimationName(AII_PoliceFight), "AII_PoliceFight");
    EXPECT_STREQ(AnimationName(AII_Lifes), "AII_Lifes");
    EXPECT_EQ(FindAnimationId("AII_Lifes2"), 0) << "whole names only";
    EXPECT_EQ(FindAnimationId("AII_Life"), 0);
    EXPECT_EQ(FindAnimationId(""), 0);
    EXPECT_STREQ(AnimationName(0), "");
    EXPECT_STREQ(AnimationName(141), "");
}

TEST_F(ConfigFixture, AnimationDefaults) {
    struct Expect {
        i32 id;
        const char* picture;
        i32 sequence, step;
        float speed;
        i32 job, flags, repetitions, mode;
    };
    const Expect rows[] = {
        {AII_PlayerLeftStep1, "Player_Walk", 0, 1, 0.3f, 4, 2, 1, 3},
        {AII_PlayerRightStep2, "Player_Walk", 6, 1, 0.3f, 7, 2, 1, 3},
        {AII_PlayerRightIdle2, "Player_Idle", 2, 1, 0.3f, 21, 2, 1, 3},
        {AII_PlayerRightSwingSaw, "Player_Saegen_Flip", 0, 1, 0.3f, 9, 2, 1, 3},
        {AII_PlayerLeftTurnSaw, "Player_Saegen", 2, 1, 0.2f, 10, 0, 1, 3},
        {AII_PlayerRightSaw, "Player_Saegen_Flip", 4, 1, 0.3f, 13, 2, 1, 3},
        {AII_PlayerRightLower, "Player_Drohen", 2, -1, 0.3f, 17, 0, 1, 3},
        {AII_PlayerLeftThreaten, "Player_Drohen", 4, 1, 0.3f, 18, 2, 1, 3},
        {AII_PlayerRightKneeDown, "Player_loading", 2, 1, 0.3f, 33, 0, 1, 3},
        {AII_PlayerLeftKneeUp, "Player_loading", 0, -1, 0.3f, 32, 0, 1, 3},
        {AII_PlayerRightFillUp, "Player_loading", 6, 1, 0.3f, 34, 2, 1, 3},
        {AII_PlayerKnockOut, "Player_KO", 0, 1, 0.6f, 37, 0, 1, 1},
        {AII_PlayerGE_KnockOut, "Player_KO", 0, 1, 0.6f, 37, 0, 1, 1},
        {AII_PlayerGE_LeftLower, "Player_Drohen", 0, -1, 0.3f, 16, 0, 1, 3},
        {AII_WifeRightStep2, "exfrau_walk", 6, 1, 0.5f, 7, 1, 1, 3},
        {AII_WifeLeftTrigger1, "exfrau_walk", 0, 1, 0.5f, 26, 1, 1, 3},
        {AII_WifeRightFlee1, "exfrau_flee", 4, 1, 0.55f, 24, 1, 1, 3},
        {AII_WifeRightIdle, "EXFRAU_idle", 2, 1, 0.3f, 3, 2, 1, 3},
        {AII_WifeLeftIdle2, "EXFRAU_idle2", 0, 1, 0.3f, 20, 2, 1, 3},
        {AII_WifeVictoryWave, "EXFRAU_victory", 2, 1, 0.6f, 43, 0, 1, 3},
        {AII_WifeFight, "wolke", 0, 1, 0.6f, 36, 0, 2, 3},
        {AII_RemovalManLeftIdle, "moebelp_idle", 0, 1, 0.4f, 2, 2, 1, 3},
        {AII_RemovalManRightIdle2, "moebelp_idle2", 2, 1, 0.3f, 21, 2, 1, 3},
        {AII_RemovalManPrepareNail, "moebelp_prepare", 0, 1, 0.6f, 38, 2, 16, 3},
        {AII_RemovalManNail, "moebelp_work", 0, 1, 0.6f, 39, 0, 3, 3},
        {AII_PoliceManRightTrigger2, "wachmann_anger", 6, 1, 0.5f, 29, 1, 1, 3},
        {AII_PoliceManLeftIdle2, "wachmann_idle", 0, 1, 0.3f, 20, 2, 1, 3},
        {AII_PoliceFight, "wolke", 0, 1, 0.6f, 36, 0, 2, 3},
        {AII_LawyerLeftFlee2, "anwalt_flee", 2, 1, 0.55f, 23, 1, 1, 3},
        {AII_LawyerRightLeaflet, "anwalt_anger", 2, 1, 0.3f, 41, 0, 3, 3},
        {AII_GUIButton, "GUI", 0, 2, 1.0f, 0, 0, 1, 3},
        {AII_GUIButtonShort, "GUI", 0, 3, 1.0f, 0, 0, 1, 3},
        {AII_GameWon, "", 0, 3, 1.0f, 0, 0, 1, 3},
        {AII_FurnitureCloud, "moebel_wolke", 0, 3, 0.2f, 0, 0, 1, 3},
        {AII_Extra1, "moebel_wolke", 0, 3, 0.2f, 0, 0, 4, 3},
        {AII_Extra2, "moebel_wolke", 0, 3, 0.2f, 0, 0, 30, 3},
        {AII_Extra3, "moebel_wolke", 0, 3, 0.2f, 0, 0, 5, 3},
        {AII_Lifes, "moebel_wolke", 0, 3, 0.2f, 0, 0, 30, 3},
    };
    for (const Expect& e : rows) {
        const AnimationRecord& r = Animation(e.id);
        const char* id = AnimationName(e.id);
        ASSERT_NE(r.animationAsset, nullptr) << id;
        EXPECT_STREQ(r.animationAsset->name, e.picture) << id;
        EXPECT_EQ(r.sequence, e.sequence) << id;
        EXPECT_EQ(r.frameStep, e.step) << id;
        EXPECT_FLOAT_EQ(r.speed, e.speed) << id;
        EXPECT_EQ(r.job, e.job) << id;
        EXPECT_EQ(r.playFlags, e.flags) << id;
        EXPECT_EQ(r.repetitions, e.repetitions) << id;
        EXPECT_EQ(r.playMode, e.mode) << id;
    }

    // The set without gas repeats the player's records field for field, with
    // references of its own; every record has its own sound reference.
    for (i32 i = 0; i < 27; ++i) {
        const AnimationRecord& a = Animation(AII_PlayerLeftStep1 + i);
        const AnimationRecord& b = Animation(AII_PlayerGE_LeftStep1 + i);
        EXPECT_STREQ(a.animationAsset->name, b.animationAsset->name) << i;
        EXPECT_NE(a.animationAsset, b.animationAsset) << i;
        EXPECT_EQ(a.job, b.job) << i;
        EXPECT_FLOAT_EQ(a.speed, b.speed) << i;
    }
    std::set<const AssetRef*> sounds, pictures;
    for (i32 id = 1; id <= kAnimationCount; ++id) {
        const AnimationRecord& r = Animation(id);
        EXPECT_EQ(r.soundSequence, 0) << id;
        EXPECT_EQ(r.soundItem, 0) << id;
        ASSERT_NE(r.soundAsset, nullptr) << id;
        EXPECT_STREQ(r.soundAsset->name, "") << id;
        EXPECT_EQ(r.soundAsset->assigned, 0) << id;
        sounds.insert(r.soundAsset);
        pictures.insert(r.animationAsset);
        EXPECT_STREQ(r.animationAsset->name, AssetNames::AnimationPicture(id)->name) << id;
    }
    EXPECT_EQ(sounds.size(), 140u);
    EXPECT_EQ(pictures.size(), 136u) << "135 of their own and the shared GUI";
    EXPECT_EQ(Animation(AII_NoGas).animationAsset, &AssetNames::Gui());
}

TEST_F(ConfigFixture, ResetAnimationTableRestoresDefaults) {
    Install({{"AnimProps.txt",
              "#ANIMPROP ANIMATION AII_WifeLeftStep1 neu 3 -1\n"
              "#ANIMPROP SOUND AII_WifeLeftStep1 snd 2 5\n"
              "#ANIMPROP ANIMATION AII_CountDown other 1 1\n"
              "#ANIMPROP SPEED AII_WifeLeftStep1 2.5\n"}},
            false);
    ASSERT_TRUE(LoadAnimProps());
    ASSERT_STREQ(Animation(AII_WifeLeftStep1).animationAsset->name, "neu");
    ResetAnimationTable();
    const AnimationRecord& r = Animation(AII_WifeLeftStep1);
    EXPECT_STREQ(r.animationAsset->name, "exfrau_walk");
    EXPECT_EQ(r.animationAsset->assigned, 0);
    EXPECT_EQ(r.sequence, 0);
    EXPECT_EQ(r.frameStep, 1);
    EXPECT_FLOAT_EQ(r.speed, 0.5f);
    EXPECT_EQ(r.soundSequence, 0);
    EXPECT_STREQ(r.soundAsset->name, "");
    EXPECT_EQ(r.soundAsset->assigned, 0) << "the next SOUND line takes effect again";
    EXPECT_STREQ(AssetNames::Gui().name, "GUI");
}

TEST_F(ConfigFixture, FigureCopiesItsTypesRecordsInSlotOrder) {
    struct TypeCase {
        i32 type;
        i32 first;
    };
    const TypeCase types[] = {{kWife, AII_WifeLeftStep1},
                              {kRemovalMan, AII_RemovalManLeftStep1},
                              {kPoliceMan, AII_PoliceManLeftStep1},
                              {kLawyer, AII_LawyerLeftStep1}};
    Animation(AII_PoliceManRightFlee2).speed = 0.77f;  // a copy is taken, not a reference
    for (const TypeCase& t : types) {
        NonPlayerCharacter figure(t.type);
        // Slot order: step, flee, trigger, idle, second idle; table order:
        // step, trigger, flee, idle, second idle.
        const i32 source[kNpcSlotCount] = {0, 1, 2, 3, 8, 9, 10, 11, 4, 5, 6, 7, 12, 13, 14, 15};
        for (i32 slot = 0; slot < kNpcSlotCount; ++slot) {
            const AnimationRecord& r = Animation(t.first + source[slot]);
            EXPECT_EQ(figure.slots[slot].job, r.job) << "type " << t.type << " slot " << slot;
            EXPECT_EQ(figure.slots[slot].animationAsset, r.animationAsset)
                << "type " << t.type << " slot " << slot;
            EXPECT_FLOAT_EQ(figure.slots[slot].speed, r.speed);
        }
        EXPECT_EQ(figure.slots[kFleeL1].job, 22);
        EXPECT_EQ(figure.slots[kTriggerR2].job, 29);
        EXPECT_EQ(figure.slots[kIdle2R].job, 21);
    }
    NonPlayerCharacter police(kPoliceMan);
    Animation(AII_PoliceManRightFlee2).speed = 0.1f;
    EXPECT_FLOAT_EQ(police.slots[kFleeR2].speed, 0.77f);
}

TEST_F(ConfigFixture, PropertyDefaultsAtReset) {
    // The per-type values and the set-once flags; the rest of the block goes
    // back to the same numbers for every type.
    for (i32 type : {kWife, kRemovalMan, kPoliceMan, kLawyer}) {
        NonPlayerCharacter f(type);
        f.walkProbability = 1;
        f.sawProbability = 99;
        f.sawRange = 9.0f;
        f.nailTarget = 3;
        f.hidden = 1;
        f.introduced = 1;
        f.actionProbability = 7;
        for (u8& flag : f.setOnce) flag = 1;
        f.ResetProperties();
        EXPECT_EQ(f.walkProbability, 50) << type;
        EXPECT_EQ(f.nailTarget, -1) << type;
        EXPECT_EQ(f.sawProbability, 0) << "no saw reaction until CharProps sets one";
        EXPECT_FLOAT_EQ(f.sawRange, 0.0f) << type;
        EXPECT_EQ(f.actionProbability, type == kLawyer ? 50 : 0) << type;
        EXPECT_EQ(f.hidden, type == kWife ? 1 : 0) << type;
        EXPECT_EQ(f.introduced, 0) << type;
        for (i32 g = 0; g < kCharPropGroupCount; ++g) EXPECT_EQ(f.setOnce[g], 0) << g;
    }
}

TEST_F(ConfigFixture, SpawnObjectResetsTheRecord) {
    Install({}, false, {"Tisch"});
    WorldObject o;
    o.bonusProbability = 37;
    o.bonusKind = 2;
    o.bonusSet = 1;
    o.maxPoints = 99;
    o.stage = 3;
    o.lockTimer = 2.0f;
    o.fresh = 0;
    o.cutSoundRef.Assign("old");
    o.cutSoundSequence = 4;
    SetSection(o, 0, 0.0f);
    SpawnObject(o, 2.5f, kFurniture, "Tisch");
    EXPECT_EQ(o.bonusProbability, 37) << "kept from the record's previous use";
    EXPECT_EQ(o.bonusKind, 0);
    EXPECT_EQ(o.bonusSet, 0);
    EXPECT_EQ(o.maxPoints, 10);
    EXPECT_EQ(o.stage, 0);
    EXPECT_FLOAT_EQ(o.lockTimer, 0.0f);
    EXPECT_EQ(o.fresh, 1);
    EXPECT_FLOAT_EQ(o.sections[0], 100.0f);
    EXPECT_FLOAT_EQ(o.sectionTotal, 400.0f);
    EXPECT_STREQ(o.cutSoundRef.name, "");
    EXPECT_EQ(o.cutSoundRef.assigned, 0);
    EXPECT_EQ(o.cutSoundRef.index, -1);
    EXPECT_EQ(o.cutSoundSequence, 0);
    EXPECT_STREQ(o.picture.name, "Tisch");
    EXPECT_EQ(o.picture.assigned, 1);
    EXPECT_EQ(o.active, 1);
    EXPECT_FLOAT_EQ(o.position, 2.5f);

    SpawnObject(o, 1.0f, kCanister, "Kanister gelb");
    EXPECT_FLOAT_EQ(o.sections[4], 100.0f);
    EXPECT_FLOAT_EQ(o.sectionTotal, 400.0f);

    SetSection(o, 2, 50.0f);
    SetSection(o, 4, 7.0f);
    EXPECT_FLOAT_EQ(o.sectionTotal, 350.0f) << "section 4 is not part of the total";
    SetSection(o, 5, 1.0f);  // out of range: nothing
    EXPECT_FLOAT_EQ(o.sectionTotal, 350.0f);

    gLibrary = nullptr;  // no library: nothing can be drawn
    SpawnObject(o, 1.0f, kFurniture, "Tisch");
    EXPECT_EQ(o.active, 0);
    gLibrary = library.get();
}
