// Animation playback shared by all figures: installing records, the hand-over
// of their sounds, advancing and wrapping frames, cycle counting, positions
// on the ring, and drawing across the seam.
#include <vector>

#include "ActorsFixture.h"

namespace actortest {
namespace {

// A figure that records its animation events and answers them as told.
class Probe : public Character {
public:
    Probe() : Character(kWife) {}
    bool Update(float, float) override { return false; }
    void Draw(float, float) override {}
    void Reset() override {}
    bool OnAnimationEvent(bool cycleEnded) override {
        events.push_back(cycleEnded);
        if (countCycles && CountCycle(cycleEnded)) return false;
        return restart;
    }
    bool MayPlaySound() override { return mayPlay; }

    std::vector<bool> events;
    bool restart = false;
    bool countCycles = false;
    bool mayPlay = true;
};

class CharacterTest : public ActorsFixture {};

TEST_F(CharacterTest, SetAnimationRefusesMissingPicturesAndCountsFrames) {
    Probe p;
    ASSERT_TRUE(p.SetAnimation(Animation(AII_PlayerRightStep1)));
    EXPECT_EQ(p.frameCount, kFrames);
    EXPECT_EQ(p.anim.job, 6);

    AnimationRecord missing = Animation(AII_PlayerLeftIdle);
    missing.sequence = 9;  // "Player_Idle" has sequences 0..3 only
    p.framePosition = 2.5f;
    EXPECT_FALSE(p.SetAnimation(missing));
    EXPECT_EQ(p.anim.job, 6) << "a refused record changes nothing";
    EXPECT_EQ(p.framePosition, 2.5f);

    AnimationRecord nameless = Animation(AII_GameWon);  // unnamed picture reference
    EXPECT_FALSE(p.SetAnimation(nameless));

    // A one-picture block reports 99 items: a still picture is a long cycle.
    AnimationRecord still = Animation(AII_PlayerRightStep1);
    still.sequence = 1;
    ASSERT_TRUE(p.SetAnimation(still));
    EXPECT_EQ(p.frameCount, 99);

    ASSERT_TRUE(p.SetAnimation(Animation(AII_PlayerRightStep1), 0.9f));
    EXPECT_FLOAT_EQ(p.anim.speed, 0.9f) << "speed override";
    EXPECT_EQ(p.framePosition, 2.5f) << "installing never moves the frame";
}

TEST_F(CharacterTest, CycleCountRestartsOnlyWithANewJob) {
    Probe p;
    p.SetAnimation(Animation(AII_PlayerRightStep1));
    p.cycleCount = 3;
    p.SetAnimation(Animation(AII_PlayerRightStep1));
    EXPECT_EQ(p.cycleCount, 3) << "same record again";
    AnimationRecord sameJob = Animation(AII_PlayerGE_RightStep1);
    p.SetAnimation(sameJob);
    EXPECT_EQ(p.cycleCount, 3) << "another record of the same job";
    p.SetAnimation(Animation(AII_PlayerRightStep2));
    EXPECT_EQ(p.cycleCount, 0);
}

TEST_F(CharacterTest, SoundsAreHandedOverBetweenAnimations) {
    using Kind = ScriptedPlatform::SoundEvent::Kind;
    const void* s1 = SoundAddress(kSoundEntry, 0, 1);
    const void* s2 = SoundAddress(kSoundEntry, 0, 2);
    const void* s3 = SoundAddress(kSoundEntry, 0, 3);
    GiveSound(AII_PlayerRightStep1, 1, 1001);  // item 1, looping
    GiveSound(AII_PlayerRightStep2, 1, 2);     // item 2, once
    GiveSound(AII_PlayerRightIdle, -1, 3);     // item 3, again at every install
    Probe p;

    p.SetAnimation(Animation(AII_PlayerRightStep1));
    ASSERT_EQ(Events(Kind::LoopStart).size(), 1u);
    EXPECT_EQ(Events(Kind::LoopStart)[0].wave, s1);
    p.SetAnimation(Animation(AII_PlayerRightStep1));
    EXPECT_EQ(Events(Kind::LoopStart).size(), 1u) << "the same sound is not started again";

    p.SetAnimation(Animation(AII_PlayerRightStep2));
    ASSERT_EQ(Events(Kind::LoopStop).size(), 1u) << "a looping sound ends with its animation";
    EXPECT_EQ(Events(Kind::LoopStop)[0].wave, s1);
    ASSERT_EQ(Events(Kind::Play).size(), 1u);
    EXPECT_EQ(Events(Kind::Play)[0].wave, s2);

    p.SetAnimation(Animation(AII_PlayerRightIdle));
    EXPECT_EQ(Events(Kind::LoopStop).size(), 1u) << "a one-shot sound is left to finish";
    p.SetAnimation(Animation(AII_PlayerRightIdle));
    ASSERT_EQ(Events(Kind::Play).size(), 3u) << "a negative sequence sounds at every install";
    EXPECT_EQ(Events(Kind::Play)[2].wave, s3);

    p.mayPlay = false;
    p.SetAnimation(Animation(AII_PlayerRightStep2));
    EXPECT_EQ(Events(Kind::Play).size(), 3u) << "a figure too far away stays silent";

    // A record whose sound item does not exist plays nothing.
    GiveSound(AII_PlayerRightLift, 1, 77);
    p.mayPlay = true;
    p.SetAnimation(Animation(AII_PlayerRightLift));
    EXPECT_EQ(Events(Kind::Play).size(), 3u);
}

TEST_F(CharacterTest, EightFrameStepRaisesTheEventEveryStepAndEndsAfterSeven) {
    Probe p;
    p.SetAnimation(Animation(AII_PlayerRightIdle));  // speed 0.3, +1, playFlags 2
    ASSERT_EQ(p.anim.playFlags, 2);
    p.AdvanceAnimation(kDt);
    EXPECT_NEAR(p.framePosition, 0.384f, 1e-6f);
    ASSERT_EQ(p.events.size(), 1u);
    EXPECT_FALSE(p.events[0]);

    // 7 / 0.384 = 18.2: the cycle ends at the 19th step.
    for (int i = 2; i <= 19; ++i) p.AdvanceAnimation(kDt);
    ASSERT_EQ(p.events.size(), 19u);
    for (int i = 0; i < 18; ++i) EXPECT_FALSE(p.events[i]) << "step " << i + 1;
    EXPECT_TRUE(p.events[18]);
    EXPECT_NEAR(p.framePosition, 19 * 0.384f - 7.0f, 1e-4f);

    // With playFlags 0 the event comes only at cycle ends.
    Probe q;
    q.SetAnimation(Animation(AII_PlayerRightLift));
    for (int i = 0; i < 18; ++i) q.AdvanceAnimation(kDt);
    EXPECT_TRUE(q.events.empty());
    q.AdvanceAnimation(kDt);
    EXPECT_EQ(q.events.size(), 1u);
}

TEST_F(CharacterTest, BackwardAnimationWrapsAndRestartsFromItsEnd) {
    Probe p;
    AnimationRecord back = Animation(AII_PlayerRightLower);  // step -1, playFlags 0
    ASSERT_EQ(back.frameStep, -1);
    p.SetAnimation(back);
    p.framePosition = 0.2f;
    p.AdvanceAnimation(1.0f);  // -0.3: below 0, continues at 7 - 0.1
    ASSERT_EQ(p.events.size(), 1u);
    EXPECT_NEAR(p.framePosition, 6.9f, 1e-5f) << "no restart: last + position";

    p.restart = true;
    p.framePosition = 0.2f;
    p.AdvanceAnimation(1.0f);
    EXPECT_NEAR(p.framePosition, 7.0f - 0.9f, 1e-5f) << "restart: last minus the fraction";

    // Forward with restart keeps only the fraction.
    Probe f;
    f.restart = true;
    f.SetAnimation(Animation(AII_PlayerRightLift));
    f.framePosition = 6.9f;
    f.AdvanceAnimation(1.0f);
    EXPECT_NEAR(f.framePosition, 0.2f, 1e-5f);
}

TEST_F(CharacterTest, SpeedScalingByFigureSpeedAndPowerUp) {
    Probe p;
    p.SetAnimation(Animation(AII_PoliceManRightStep1));  // playFlags 1, speed 0.5
    p.moveSpeed = -0.6f;
    p.AdvanceAnimation(1.0f);
    EXPECT_NEAR(p.framePosition, 0.3f, 1e-6f) << "scaled by abs(moveSpeed)";
    p.useHeldSpeed = 1;
    p.heldSpeed = 2.0f;
    p.AdvanceAnimation(1.0f);
    EXPECT_NEAR(p.framePosition, 1.3f, 1e-6f) << "held speed replaces it";

    // The type-2 bonus doubles only the player's animations.
    gLevel.playerSpeedFactor = 2.0f;
    p.framePosition = 0.0f;
    p.useHeldSpeed = 0;
    p.AdvanceAnimation(1.0f);
    EXPECT_NEAR(p.framePosition, 0.3f, 1e-6f);
    gPlayer.SetAnimation(Animation(AII_PlayerRightLift));
    gPlayer.framePosition = 0.0f;
    gPlayer.AdvanceAnimation(1.0f);
    EXPECT_NEAR(gPlayer.framePosition, 0.6f, 1e-6f);
}

TEST_F(CharacterTest, SequencesOfNoLengthStillEndTheirCycle) {
    Probe p;
    p.SetAnimation(Animation(AII_PlayerRightLift));
    for (int count : {1, 0}) {
        p.events.clear();
        p.frameCount = count;
        p.framePosition = 0.0f;
        p.AdvanceAnimation(kDt);  // must return: there is nothing to wrap by
        EXPECT_EQ(p.framePosition, 0.0f) << count << " items";
        ASSERT_EQ(p.events.size(), 1u) << count << " items";
        EXPECT_TRUE(p.events[0]);
    }
    p.AdvanceAnimation(0.0f);
    EXPECT_EQ(p.events.size(), 1u) << "no movement, no cycle";
}

TEST_F(CharacterTest, CycleCountingDrawsOnceAndReplaysRepeatingSounds) {
    using Kind = ScriptedPlatform::SoundEvent::Kind;
    Probe p;
    p.countCycles = true;
    p.restart = true;
    AnimationRecord r = Animation(AII_RemovalManPrepareNail);  // 16 repetitions
    GiveSound(AII_RemovalManPrepareNail, -1, 4);
    r = Animation(AII_RemovalManPrepareNail);
    p.SetAnimation(r);
    EXPECT_EQ(Events(Kind::Play).size(), 1u);

    for (int cycle = 1; cycle <= 15; ++cycle) {
        const std::uint32_t before = Random::State();
        EXPECT_FALSE(p.OnAnimationEvent(true)) << "cycle " << cycle << " goes on";
        Random::Seed(before);
        const std::int32_t expected = Random::Next();
        EXPECT_EQ(p.cycleDraw, expected) << "one draw per cycle end";
        EXPECT_EQ(p.cycleCount, cycle);
    }
    EXPECT_EQ(Events(Kind::Play).size(), 16u) << "the sound again at each repeated cycle";
    EXPECT_TRUE(p.OnAnimationEvent(true)) << "the 16th cycle hands over";
    EXPECT_EQ(Events(Kind::Play).size(), 16u);

    const std::uint32_t before = Random::State();
    p.OnAnimationEvent(false);
    EXPECT_EQ(Random::State(), before) << "no draw without a cycle end";

    // A positive sequence does not replay.
    Probe q;
    q.countCycles = true;
    GiveSound(AII_RemovalManNail, 1, 4);
    q.SetAnimation(Animation(AII_RemovalManNail));
    q.OnAnimationEvent(true);
    EXPECT_EQ(Events(Kind::Play).size(), 17u);
}

TEST_F(CharacterTest, PositionsWrapOnTheRing) {
    Probe p;
    gLevel.playfieldWidth = 20;
    p.SetPosition(-0.25f);
    EXPECT_FLOAT_EQ(p.position, 19.75f);
    p.SetPosition(20.0f);
    EXPECT_EQ(p.position, 0.0f);
    p.SetPosition(45.5f);
    EXPECT_FLOAT_EQ(p.position, 5.5f);
    // A level line far outside the ring must not hang the wrap.
    p.SetPosition(1e30f);
    EXPECT_GE(p.position, 0.0f);
    EXPECT_LT(p.position, 20.0f);
    p.SetPosition(-3e12f);
    EXPECT_GE(p.position, 0.0f);
    EXPECT_LT(p.position, 20.0f);

    gLevel.playfieldWidth = 3;  // half of it counts as 1
    p.SetPosition(0.2f);
    EXPECT_FLOAT_EQ(p.DistanceToPlayer(0.7f), 0.5f);
    EXPECT_NEAR(p.DistanceToPlayer(1.1f), 0.9f, 1e-6f);
    EXPECT_NEAR(p.DistanceToPlayer(1.3f), -1.9f, 1e-6f) << "the integer half decides the way";
    EXPECT_NEAR(p.DistanceToPlayer(2.9f), -0.3f, 1e-6f) << "across the seam";

    p.moveSpeed = 0.3f;
    p.HoldStepSpeed();
    EXPECT_EQ(p.useHeldSpeed, 1);
    EXPECT_FLOAT_EQ(p.heldSpeed, 0.5f) << "at least 0.5";
    p.moveSpeed = 0.9f;
    p.HoldStepSpeed();
    EXPECT_FLOAT_EQ(p.heldSpeed, 0.5f) << "kept once set";
}

TEST_F(CharacterTest, FiguresAreDrawnAcrossTheSeam) {
    gLevel.playfieldWidth = 3;
    PlacePlayer(0.5f);  // the view shows 0 .. 1
    NonPlayerCharacter* c = AddFigure(kPoliceMan, 2.995f, false);
    c->Draw(0.0f, 0.0f);
    // x = (0.5 - 0.505) * 800 = -4: the frame (10 wide, hotspot 5) shows its
    // right edge in the screen's first columns.
    EXPECT_NE(platform->Pixel(0, 495), 0) << "the figure left of the seam shows";
    EXPECT_EQ(platform->Pixel(12, 495), 0);

    c->hidden = 1;
    platform->ClearScreen();
    c->Draw(0.0f, 0.0f);
    EXPECT_EQ(platform->Pixel(0, 495), 0) << "a hidden figure draws nothing";
}

}  // namespace
}  // namespace actortest
