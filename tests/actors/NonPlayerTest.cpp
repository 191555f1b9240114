// The non-player figures: their decisions with every random draw in order,
// fleeing from a threat, charging at the saw, touching the player, leaflets,
// nail targets and movement.
#include <functional>

#include "ActorsFixture.h"

namespace actortest {
namespace {

class NonPlayerTest : public ActorsFixture {
protected:
    void SetUp() override {
        ActorsFixture::SetUp();
        PlacePlayer(1.5f);
    }
    // The draws a seed gives, in order.
    static std::vector<int> Draws(std::uint32_t seed, int n) {
        Random::Seed(seed);
        std::vector<int> d;
        for (int i = 0; i < n; ++i) d.push_back(Random::Next());
        return d;
    }
    // The first seed whose first draws satisfy `want`; the generator is left
    // seeded with it.
    static std::uint32_t SeedWhere(const std::function<bool(const std::vector<int>&)>& want) {
        for (std::uint32_t seed = 1; seed < 1000000; ++seed) {
            if (want(Draws(seed, 8))) {
                Random::Seed(seed);
                return seed;
            }
        }
        ADD_FAILURE() << "no seed found";
        return 0;
    }
};

// An idle figure's decision draws: [0] the nail chance, [1] walk or idle,
// then [2] the idle length, or [2] aimed or random and the walk length.
TEST_F(NonPlayerTest, WalkProbabilityFiftyWalksOnDrawsBelowFifty) {
    NonPlayerCharacter* c = AddFigure(kPoliceMan, 1.8f, true);
    const std::uint32_t idleSeed = SeedWhere([](auto& d) { return d[1] % 100 == 50; });
    const std::vector<int> idle = Draws(idleSeed, 8);
    Random::Seed(idleSeed);
    c->Decide(false);
    EXPECT_EQ(c->walking, 0) << "draw 50 idles";
    EXPECT_EQ(c->idleCycles, idle[2] % 3 + 1);
    EXPECT_EQ(Random::State(), (Random::Seed(idleSeed), Draws(idleSeed, 3), Random::State()))
        << "exactly three draws";

    // An idle spell counts down one decision at a time without any draw.
    Random::Seed(99);
    const int spell = c->idleCycles;
    for (int i = 0; i < spell; ++i) c->Decide(false);
    EXPECT_EQ(c->idleCycles, 0);
    EXPECT_EQ(Random::State(), (Random::Seed(99), Random::State()));

    const std::uint32_t walkSeed =
        SeedWhere([](auto& d) { return d[1] % 100 == 49 && d[2] % 100 < 50; });
    const std::vector<int> walk = Draws(walkSeed, 8);
    Random::Seed(walkSeed);
    c->Decide(false);
    EXPECT_EQ(c->walking, 1) << "draw 49 walks";
    EXPECT_EQ(c->facingLeft, 1) << "aimed at the player, who is to its left";
    EXPECT_EQ(c->walkCycles, walk[3] % 4 + 3);
}

TEST_F(NonPlayerTest, SearchStrengthAimsWalksTowardsOrAway) {
    NonPlayerCharacter* c = AddFigure(kPoliceMan, 1.8f, false);  // the player is to the left
    c->walkProbability = 100;
    c->searchStrength = -100;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        Random::Seed(seed);
        c->walkCycles = 0;
        c->Decide(false);
        ASSERT_EQ(c->walking, 1);
        EXPECT_EQ(c->facingLeft, 0) << "away from the player, seed " << seed;
    }
    c->searchStrength = 0;
    int left = 0;
    for (std::uint32_t seed = 1; seed <= 50; ++seed) {
        Random::Seed(seed);
        c->walkCycles = 0;
        c->Decide(false);
        left += c->facingLeft;
    }
    EXPECT_GT(left, 10) << "0: every direction random";
    EXPECT_LT(left, 40);
}

TEST_F(NonPlayerTest, FleeingRunsAwayForItsCyclesThenStops) {
    NonPlayerCharacter* c = AddFigure(kLawyer, 1.3f, false);  // the player is to the right
    c->searchStrength = 0;                                    // fleeing ignores it
    EXPECT_TRUE(c->Threatened(true));
    EXPECT_EQ(c->flee, 1);
    EXPECT_FALSE(c->Threatened(true)) << "already fleeing";
    c->Decide(false);
    EXPECT_EQ(c->walking, 1);
    EXPECT_EQ(c->facingLeft, 1) << "away from the player";
    const int cycles = c->walkCycles;
    EXPECT_GE(cycles, 6);
    EXPECT_LE(cycles, 10);
    c->OnAnimationEvent(true);  // decides once more on the way
    EXPECT_EQ(c->anim.job, 22) << "flee left";
    EXPECT_EQ(c->walkCycles, cycles - 1);

    int decisions = 1;
    while (c->flee && decisions < 20) {
        c->Decide(false);
        ++decisions;
    }
    EXPECT_EQ(decisions, cycles) << "flee is cleared as the count reaches 0";
}

TEST_F(NonPlayerTest, ThreatWorksOnlyFacedAndInRange) {
    gPlayer.SetAnimation(Animation(AII_PlayerRightThreaten));  // facing right
    struct Case {
        float position;
        bool threatened;
    };
    for (Case k : {Case{1.8f, true}, Case{2.0f, true}, Case{2.0001f, false}, Case{1.2f, false},
                   Case{1.5f, false}}) {
        NonPlayerCharacter c(kPoliceMan);
        c.SetPosition(k.position);
        c.Reset();
        EXPECT_EQ(c.Threatened(false), k.threatened) << "figure at " << k.position;
    }
    gPlayer.facingLeft = 1;
    NonPlayerCharacter behind(kPoliceMan);
    behind.SetPosition(1.2f);
    behind.Reset();
    EXPECT_TRUE(behind.Threatened(false)) << "now in front of him";
    NonPlayerCharacter on(kPoliceMan);
    on.SetPosition(1.5f);
    on.Reset();
    EXPECT_TRUE(on.Threatened(false)) << "at his position while he looks left";

    gPlayer.SetAnimation(Animation(AII_PlayerLeftIdle));
    NonPlayerCharacter idle(kPoliceMan);
    idle.SetPosition(1.3f);
    idle.Reset();
    EXPECT_FALSE(idle.Threatened(false)) << "no threat without the saw raised";
    gGame.screenState = Paused;
    EXPECT_FALSE(idle.Threatened(true));

    // Threatened during its update, the figure turns to flee at once.
    gGame.screenState = Playing;
    gPlayer.SetAnimation(Animation(AII_PlayerLeftThreaten));
    NonPlayerCharacter* c = AddFigure(kRemovalMan, 1.3f, false);
    c->Update(kDt, 0.0f);
    EXPECT_EQ(c->flee, 1);
    EXPECT_EQ(c->anim.job, 22) << "flees left, away from the player";
}

TEST_F(NonPlayerTest, SawingNearbyMakesFiguresCharge) {
    gPlayer.SetAnimation(Animation(AII_PlayerRightSaw));
    NonPlayerCharacter* c = AddFigure(kPoliceMan, 1.8f, false);
    c->Decide(false);
    EXPECT_EQ(c->walkCycles, 0) << "no saw reaction by default";

    c->sawProbability = 100;
    c->sawRange = 0.29f;
    c->Decide(false);
    EXPECT_LT(c->walkCycles, 1000) << "out of range";

    c->walkCycles = 0;
    c->idleCycles = 2;
    c->sawRange = 0.3f;
    c->Decide(false);
    EXPECT_GT(c->walkCycles, 1000) << "the angry walk";
    EXPECT_EQ(c->idleCycles, 0);
    EXPECT_EQ(c->facingLeft, 1) << "towards the player";
    c->OnAnimationEvent(true);
    EXPECT_EQ(c->anim.job, 26) << "angry walk left";

    // It moves at triggerSpeed and hits the player on arrival.
    int frames = 0;
    while (!gPlayer.hit && frames < 500) {
        c->Update(kDt, 0.0f);
        ++frames;
    }
    EXPECT_EQ(gPlayer.hit, 1);
    EXPECT_EQ(gPlayer.hitByType, kPoliceMan);
    EXPECT_EQ(c->hidden, 1);
    // 0.25 to go at 0.002 x 0.6 ... the walk itself: 0.002 per unit.
    EXPECT_NEAR(frames * kDt * 0.002f, 0.25f, 0.01f);
}

TEST_F(NonPlayerTest, WhoTouchesThePlayerAndWhatFollows) {
    NonPlayerCharacter* police = AddFigure(kPoliceMan, 1.52f, false);
    EXPECT_FALSE(police->Update(0.0f, 0.0f)) << "an idle policeman does not touch";
    EXPECT_EQ(gPlayer.hit, 0);
    police->SetAnimation(police->slots[kTriggerL1]);
    EXPECT_TRUE(police->Update(0.0f, 0.0f));
    EXPECT_EQ(police->hidden, 1);
    EXPECT_FALSE(police->Update(0.0f, 0.0f)) << "hidden figures touch nobody";

    gPlayer.hit = 0;
    NonPlayerCharacter* wife = AddFigure(kWife, 1.46f, false);
    EXPECT_EQ(wife->hidden, 1) << "the wife waits for the time to run out";
    EXPECT_FALSE(wife->Update(0.0f, 0.0f));
    wife->hidden = 0;
    wife->introduced = 1;
    gGame.lifeCheat = true;
    EXPECT_FALSE(wife->Update(0.0f, 0.0f));
    EXPECT_EQ(gPlayer.hit, 1) << "marked hit even with the cheat";
    EXPECT_EQ(gPlayer.hitByType, kWife);
    EXPECT_EQ(wife->hidden, 0) << "but she stays and walks on";
    gGame.lifeCheat = false;
    EXPECT_TRUE(wife->Update(0.0f, 0.0f)) << "the wife touches in any job";

    // Knocked out: the introduced wife comes back to celebrate.
    gPlayer.SetAnimation(Animation(AII_PlayerKnockOut));
    wife->Update(0.0f, 0.0f);
    EXPECT_EQ(wife->hidden, 0);
    EXPECT_EQ(wife->victory, 1);
    EXPECT_EQ(wife->anim.job, 42) << "at her next idle step: victory raise";
    police->Update(0.0f, 0.0f);
    EXPECT_EQ(police->hidden, 1) << "the others stay away";
    wife->OnAnimationEvent(true);
    EXPECT_EQ(wife->anim.job, 43) << "then the wave";

    // A touch while he lies there marks him but hides nobody.
    NonPlayerCharacter* other = AddFigure(kPoliceMan, 1.5f, false);
    other->SetAnimation(other->slots[kTriggerR1]);
    gPlayer.hit = 0;
    EXPECT_FALSE(other->Update(0.0f, 0.0f));
    EXPECT_EQ(gPlayer.hit, 1);
    EXPECT_EQ(other->hidden, 0);

    // The contact point moves with the facing.
    gPlayer.SetAnimation(Animation(AII_PlayerRightIdle));
    NonPlayerCharacter* reach = AddFigure(kPoliceMan, 1.62f, true);
    reach->SetAnimation(reach->slots[kTriggerL1]);
    EXPECT_FALSE(reach->Update(0.0f, 0.0f));
    reach->collisionOffsetLeft = 0.1f;
    EXPECT_TRUE(reach->Update(0.0f, 0.0f));
}

TEST_F(NonPlayerTest, LeafletsOneLawyerAtATime) {
    NonPlayerCharacter* a = AddFigure(kLawyer, 1.6f, true);  // faces the player
    NonPlayerCharacter* b = AddFigure(kLawyer, 1.4f, false);
    a->actionProbability = 100;
    b->actionProbability = 100;
    EXPECT_TRUE(a->LeafletCheck());
    EXPECT_EQ(gLevel.leafletCounter, 1);
    EXPECT_EQ(a->leafletPending, 1);
    EXPECT_FALSE(b->LeafletCheck()) << "the counter is not 0";

    a->OnAnimationEvent(false);  // the idle hands over to the leaflet
    EXPECT_EQ(a->anim.job, 40) << "the player is to the left";
    EXPECT_EQ(gPlayer.messageValue, gLevel.lawyerPenalty);
    EXPECT_EQ(gPlayer.messageTimer, 300.0f);

    const u32 clockBefore = gGame.clockStart;
    for (int i = 0; i < 3; ++i) a->OnAnimationEvent(true);
    EXPECT_EQ(gLevel.leafletCounter, 0);
    EXPECT_EQ(a->leafletPending, 0);
    EXPECT_EQ(gGame.clockStart, clockBefore - 5000u) << "five seconds off the clock";
    EXPECT_EQ(a->flee, 1) << "and off he goes";
    EXPECT_TRUE(a->anim.job == 2);

    b->facingLeft = 1;  // looking away from the player
    EXPECT_FALSE(b->LeafletCheck());
    NonPlayerCharacter* police = AddFigure(kPoliceMan, 1.6f, true);
    police->actionProbability = 100;
    EXPECT_FALSE(police->LeafletCheck()) << "only lawyers";
}

TEST_F(NonPlayerTest, NailTargetsRandomRangesAndMovement) {
    NonPlayerCharacter* man = AddFigure(kRemovalMan, 1.0f, false);
    NonPlayerCharacter* police = AddFigure(kPoliceMan, 1.0f, false);
    man->nailTarget = 2;
    police->nailTarget = 1;
    EXPECT_TRUE(IsNailed(2));
    EXPECT_FALSE(IsNailed(1)) << "only removal men nail";
    EXPECT_FALSE(IsNailed(-1));

    const std::uint32_t before = (Random::Seed(5), Random::State());
    EXPECT_EQ(RandomInRange(5, 3), 5) << "a reversed pair gives its minimum";
    EXPECT_NE(Random::State(), before) << "and still makes its draw";
    for (int i = 0; i < 100; ++i) {
        const int v = RandomInRange(1, 3);
        EXPECT_GE(v, 1);
        EXPECT_LE(v, 3);
    }

    // A walker moves walkSpeed per unit and turns round by swapping records.
    police->walking = 1;
    police->SetAnimation(police->slots[kStepR1]);
    police->Update(10.0f, 0.0f);
    EXPECT_FLOAT_EQ(police->position, 1.01f);
    police->facingLeft = 1;
    police->Update(10.0f, 0.0f);
    EXPECT_EQ(police->anim.job, 4) << "the left twin";
    EXPECT_FLOAT_EQ(police->position, 1.02f) << "this step still went right";
    police->Update(10.0f, 0.0f);
    EXPECT_FLOAT_EQ(police->position, 1.01f);

    police->SetPosition(0.005f);
    police->SetAnimation(police->slots[kStepL1]);
    police->framePosition = 0.0f;
    police->Update(10.0f, 0.0f);
    EXPECT_NEAR(police->position, 2.995f, 1e-5f) << "wrapped onto the ring";
}

}  // namespace
}  // namespace actortest

namespace actortest {
namespace {

TEST_F(NonPlayerTest, DebugReadOutsShowWithTheSwitch) {
    NonPlayerCharacter* c = AddFigure(kPoliceMan, 1.5f, true);  // drawn at x = 400
    c->idleCycles = 2;
    c->walkProbability = 37;
    auto drawnNear = [&](int x0, int y0) {
        for (int y = y0; y < y0 + 60; ++y)
            for (int x = x0; x < x0 + 100; ++x)
                if (platform->Pixel(x, y) != 0) return true;
        return false;
    };
    c->Draw(1.0f, 0.0f);
    gPlayer.Draw(1.0f, 0.0f);
    EXPECT_FALSE(drawnNear(360, 250)) << "nothing without the switch";

    gGame.showFps = true;
    c->Draw(1.0f, 0.0f);
    EXPECT_STREQ(c->debugText,
                 "IdleCycles: 2\nWalkCycles: 0\nPosition: 1.50\nDistToPlayer: 0.00\n"
                 "Left/Flee: 1/0\nJob/Cycles: 2/0\nWlkPrb/Str: 37/50");
    EXPECT_TRUE(drawnNear(375, 250));
    platform->ClearScreen();
    gPlayer.Draw(1.0f, 0.0f);
    EXPECT_TRUE(drawnNear(360, 250));
}

}  // namespace
}  // namespace actortest
