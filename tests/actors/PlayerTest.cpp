// The player: his animation state machine for walking, sawing, threatening
// and refilling, the out-of-gas records, gas consumption, the fight and the
// penalty message.
#include "ActorsFixture.h"

namespace actortest {
namespace {

using Kind = ScriptedPlatform::SoundEvent::Kind;

class PlayerTest : public ActorsFixture {
protected:
    AssetRef sawSound{};

    void SetUp() override {
        ActorsFixture::SetUp();
        PlacePlayer(1.5f);
        sawSound.Init(kSoundEntry);
        gPlayer.SetSawSound(&sawSound, 1, 0);
    }

    // One frame of the player with the intents the input step would set.
    void Frame(bool saw, bool threaten = false, bool fill = false, float scrollSpeed = 0.0f) {
        gPlayer.sawIntent = saw;
        gPlayer.threatenIntent = threaten;
        gPlayer.fillIntent = fill;
        if (saw || threaten || fill) gPlayer.busy = 1;
        gPlayer.Update(kDt, scrollSpeed);
    }
    // Frames until the player's job is `job`; the count, or -1 after 500.
    template <typename F>
    int FramesUntilJob(i32 job, F frame) {
        for (int n = 1; n <= 500; ++n) {
            frame();
            if (gPlayer.anim.job == job) return n;
        }
        return -1;
    }
    // Frames until the player stands idle (either variant).
    template <typename F>
    int FramesUntilIdle(F frame) {
        for (int n = 1; n <= 500; ++n) {
            frame();
            const i32 j = gPlayer.anim.job;
            if (j == 2 || j == 3 || j == 20 || j == 21) return n;
        }
        return -1;
    }
    void FillScreen(u16 colour) {
        u16* pixels = platform->GetScreenPixels();
        const int pitch = platform->GetScreenPitch() / 2;
        for (int y = 0; y < platform->ScreenHeight(); ++y)
            for (int x = 0; x < platform->ScreenWidth(); ++x) pixels[y * pitch + x] = colour;
    }
};

TEST_F(PlayerTest, SawSwingSawTurnBackAndReturn) {
    const void* loop = SoundAddress(kSoundEntry, 1, 0);
    EXPECT_EQ(gPlayer.anim.job, 3);
    Frame(true);
    EXPECT_EQ(gPlayer.anim.job, 9) << "the idle hands over at once to the swing";
    // The swing (0.3 per unit) ends after 19 frames, into the saw.
    EXPECT_EQ(FramesUntilJob(13, [&] { Frame(true); }), 18);
    EXPECT_TRUE(platform->IsLooping(loop)) << "the saw's material sound loops";
    for (int i = 0; i < 30; ++i) Frame(true);
    EXPECT_EQ(gPlayer.anim.job, 13);

    Frame(false);
    EXPECT_EQ(gPlayer.anim.job, 11) << "released: the turn";
    EXPECT_EQ(gPlayer.anim.frameStep, -1) << "played backward";
    EXPECT_GT(gPlayer.framePosition, 6.0f) << "from its end";
    EXPECT_FALSE(platform->IsLooping(loop));

    // Pressing again during the turn goes back to sawing at its end.
    const int n = FramesUntilJob(13, [&] { Frame(true); });
    EXPECT_GT(n, 5);
    EXPECT_LT(n, 30);
    Frame(false);
    ASSERT_EQ(gPlayer.anim.job, 11);
    EXPECT_GT(FramesUntilIdle([&] { Frame(false); }), 5);
    EXPECT_EQ(gPlayer.busy, 0);

    // Letting go during the swing returns to idle at once.
    Frame(true);
    ASSERT_EQ(gPlayer.anim.job, 9);
    Frame(false);
    EXPECT_TRUE(gPlayer.anim.job == 3 || gPlayer.anim.job == 21);
    EXPECT_EQ(gPlayer.busy, 0);
}

TEST_F(PlayerTest, WalkingStepsTurnRoundAndStop) {
    gPlayer.walkIntent = 1;
    gPlayer.Update(kDt, 1.0f);
    EXPECT_EQ(gPlayer.walking, 1);
    EXPECT_EQ(gPlayer.anim.job, 6) << "step 1 right for a positive speed";
    for (int i = 0; i < 10; ++i) gPlayer.Update(kDt, 1.2f);
    const u8 cycles = gPlayer.cycleCount;
    const i32 job = gPlayer.anim.job;
    ASSERT_TRUE(job == 6 || job == 7);

    gPlayer.facingLeft = 1;
    gPlayer.Update(kDt, 1.25f);
    EXPECT_EQ(gPlayer.anim.job, job - 2) << "the twin step of the left side";
    EXPECT_EQ(gPlayer.anim.sequence,
              Animation(job == 6 ? AII_PlayerLeftStep1 : AII_PlayerLeftStep2).sequence);
    EXPECT_EQ(gPlayer.cycleCount, cycles);

    // A small walk input does not start walking; slowing down stops it.
    gPlayer.walkIntent = 0;
    gPlayer.Update(kDt, 0.9f);
    EXPECT_EQ(gPlayer.walking, 0);
    EXPECT_EQ(gPlayer.anim.job, 2) << "stops at once into the left idle";

    gPlayer.walkIntent = 1;
    gPlayer.Update(kDt, 0.1f);
    EXPECT_EQ(gPlayer.walking, 0) << "speed 0.1 is no walk";
}

TEST_F(PlayerTest, ThreatenAndRefillSequences) {
    Frame(false, true);
    EXPECT_EQ(gPlayer.anim.job, 15) << "lift";
    EXPECT_GT(FramesUntilJob(19, [&] { Frame(false, true); }), 0);
    for (int i = 0; i < 40; ++i) Frame(false, true);
    EXPECT_EQ(gPlayer.anim.job, 19) << "holds the threat";
    Frame(false);
    EXPECT_EQ(gPlayer.anim.job, 17) << "lower";
    EXPECT_GT(FramesUntilIdle([&] { Frame(false); }), 0);
    EXPECT_TRUE(gPlayer.anim.job == 3 || gPlayer.anim.job == 21) << "the right idle";
    EXPECT_EQ(gPlayer.busy, 0);

    // Let go during the lift: it lowers again at its end.
    Frame(false, true);
    ASSERT_EQ(gPlayer.anim.job, 15);
    EXPECT_GT(FramesUntilJob(17, [&] { Frame(false); }), 0);

    gPlayer.facingLeft = 1;
    PlacePlayer(1.5f);
    gPlayer.facingLeft = 1;
    gPlayer.Update(0.0f, 0.0f);  // turns the idle round
    ASSERT_EQ(gPlayer.anim.job, 2);
    Frame(false, false, true);
    EXPECT_EQ(gPlayer.anim.job, 30) << "kneel down, left";
    EXPECT_GT(FramesUntilJob(31, [&] { Frame(false, false, true); }), 0);
    Frame(false);
    EXPECT_EQ(gPlayer.anim.job, 32) << "kneel up";
    EXPECT_GT(FramesUntilIdle([&] { Frame(false); }), 0);
    EXPECT_TRUE(gPlayer.anim.job == 2 || gPlayer.anim.job == 20) << "the left idle";
}

TEST_F(PlayerTest, OutOfGasRecordsAndTheNoGasSound) {
    GiveSound(AII_NoGas, 1, 5);
    const void* noGas = SoundAddress(kSoundEntry, 0, 5);
    gLevel.consumption[0] = 0.0001f;
    gPlayer.gas = 0.00005f;
    gPlayer.Update(1.0f, 0.0f);
    EXPECT_LE(gPlayer.gas, 0.0f);
    ASSERT_EQ(Events(Kind::Play).size(), 1u);
    EXPECT_EQ(Events(Kind::Play)[0].wave, noGas);
    for (int i = 0; i < 50; ++i) gPlayer.Update(kDt, 0.0f);
    EXPECT_EQ(Events(Kind::Play).size(), 1u) << "once, not again while empty";
    EXPECT_LT(gPlayer.gas, -0.0001f) << "gas is not clamped";

    // Every choice now comes from the out-of-gas set.
    EXPECT_TRUE(gPlayer.anim.animationAsset == Animation(AII_PlayerGE_RightIdle).animationAsset ||
                gPlayer.anim.animationAsset == Animation(AII_PlayerGE_RightIdle2).animationAsset);
    gPlayer.gas = 0.0f;
    gPlayer.Reset();
    EXPECT_EQ(gPlayer.anim.animationAsset, Animation(AII_PlayerGE_RightIdle).animationAsset)
        << "exactly 0 is empty";
    gPlayer.gas = 0.01f;
    gPlayer.Reset();
    EXPECT_EQ(gPlayer.anim.animationAsset, Animation(AII_PlayerRightIdle).animationAsset);
}

TEST_F(PlayerTest, GasBurnsByJobOnlyDuringPlay) {
    gLevel.consumption[0] = 0.001f;
    gLevel.consumption[1] = 0.01f;
    gLevel.consumption[2] = 0.1f;
    gPlayer.gas = 1.0f;
    gPlayer.ConsumeGas(1.0f);
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.999f) << "idle";
    gPlayer.SetAnimation(Animation(AII_PlayerRightSaw));
    gPlayer.ConsumeGas(1.0f);
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.989f) << "sawing";
    gPlayer.SetAnimation(Animation(AII_PlayerLeftLower));
    gPlayer.ConsumeGas(1.0f);
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.889f) << "threatening jobs";
    gGame.screenState = Paused;
    gPlayer.ConsumeGas(100.0f);
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.889f);
}

TEST_F(PlayerTest, TouchStartsTheFightThenTheKnockOut) {
    struct Case {
        i32 type;
        i32 record;
    };
    for (Case c : {Case{kWife, AII_WifeFight}, Case{kRemovalMan, AII_RemovalManFight},
                   Case{kLawyer, AII_LawyerFight}, Case{kPoliceMan, AII_PoliceFight},
                   Case{9, AII_PoliceFight}}) {
        PlacePlayer(1.5f);
        gPlayer.hit = 1;
        gPlayer.hitByType = c.type;
        gPlayer.Update(0.0f, 0.0f);
        EXPECT_EQ(gPlayer.anim.job, 36) << "type " << c.type;
        EXPECT_EQ(gPlayer.anim.animationAsset, Animation(c.record).animationAsset)
            << "type " << c.type;
    }
    gGame.currentMusic = 1;
    PlacePlayer(1.5f);
    gPlayer.hit = 1;
    gPlayer.Update(kDt, 0.0f);
    EXPECT_EQ(gGame.currentMusic, 0) << "the music stops";
    // The cloud plays twice (0.6 per unit: about 10 frames a cycle), then he lies still.
    const int n = FramesUntilJob(37, [&] { gPlayer.Update(kDt, 0.0f); });
    EXPECT_GE(n, 17);
    EXPECT_LE(n, 20);
    gPlayer.hit = 1;
    for (int i = 0; i < 300; ++i) gPlayer.Update(kDt, 0.0f);
    EXPECT_EQ(gPlayer.anim.job, 37) << "knocked out until the level starts again";
}

TEST_F(PlayerTest, LifeCheatKeepsTheJobAndDrawsAShadow) {
    gGame.lifeCheat = true;
    FillScreen(0x7FFF);
    gPlayer.Draw(1.0f, 0.0f);
    const u16 normal = platform->Pixel(400, 495);
    EXPECT_NE(normal, 0x7FFF) << "the frame is drawn at the screen's middle";

    gPlayer.hit = 1;
    gPlayer.Update(0.0f, 0.0f);
    EXPECT_EQ(gPlayer.anim.job, 3) << "no fight";
    FillScreen(0x7FFF);
    gPlayer.Draw(1.0f, 0.0f);
    EXPECT_EQ(platform->Pixel(400, 495), 0x3DEF) << "white halved under the shadow";
    // The underlay (12 wide, one column more on each side) is drawn plain,
    // the frame over it as a shadow.
    const u16 underlay = platform->Pixel(394, 502);
    const u16 halved = ((underlay & 0x1F) >> 1) + (((underlay & 0x3E0) >> 1) & 0x3E0) +
                       (((underlay & 0x7C00) >> 1) & 0x7C00);
    EXPECT_NE(underlay, 0x7FFF);
    EXPECT_EQ(platform->Pixel(400, 502), halved);
}

TEST_F(PlayerTest, PenaltyMessageShowsThreeTextsAndFlies) {
    gPlayer.messageValue = 5;
    gPlayer.messageTimer = 300.0f;
    // "Leaflet: 5 seconds": 16 characters of 8 pixels and two spaces of 16.
    gPlayer.Draw(1.0f, 100.0f);
    EXPECT_NE(platform->Pixel(320, 326), 0);
    EXPECT_EQ(platform->Pixel(319, 326), 0);
    EXPECT_FLOAT_EQ(gPlayer.messageTimer, 200.0f);

    platform->ClearScreen();
    gPlayer.Draw(1.0f, 170.0f);  // at 200: still text 26
    EXPECT_NE(platform->Pixel(320, 326), 0);
    platform->ClearScreen();
    gPlayer.Draw(1.0f, 20.0f);  // at 30: "-5 s", 40 wide
    EXPECT_NE(platform->Pixel(380, 326), 0);
    EXPECT_EQ(platform->Pixel(379, 326), 0);

    platform->ClearScreen();
    gPlayer.Draw(1.0f, 0.0f);  // at 10: "-5" on its way to (10, 87)
    const float t = 11.0f * 0.033333335f;
    const int x = static_cast<int>(392.0f * t + 10.0f * (1.0f - t));
    const int y = static_cast<int>(87.0f * (1.0f - t) + 326.0f * t);
    EXPECT_NE(platform->Pixel(x, y), 0) << x << "," << y;
    EXPECT_EQ(platform->Pixel(x - 1, y), 0);
    EXPECT_EQ(platform->Pixel(392, 326), 0);

    gPlayer.Draw(1.0f, 10.0f);
    EXPECT_EQ(gPlayer.messageValue, 0) << "timer down to 0 ends the message";
    EXPECT_EQ(gPlayer.messageTimer, 0.0f);
}

}  // namespace
}  // namespace actortest
