// Scenes on a small street, played frame by frame through the level step and
// the figures' drawing order with scripted keys: sawing a piece through,
// a removal man's nail, a lawyer's leaflet, a charging policeman, a threat,
// refilling from a canister, and the same game twice from one seed.
#include <cmath>
#include <sstream>

#include "ActorsFixture.h"
#include "game/LevelRules.h"

namespace actortest {
namespace {

using Key = ScriptedPlatform::Key;
using Kind = ScriptedPlatform::SoundEvent::Kind;

class ScenarioTest : public ActorsFixture {
protected:
    void SetUp() override {
        ActorsFixture::SetUp();
        StartStreet();
    }

    // The view's left edge at 1.0: the player stands at 1.5, facing right.
    void StartStreet() {
        gGame.clockBudget = 600;
        gGame.clockStart = platform->GetTimeMs();
        gLevel.playfieldPos = 1.0f;
        PlacePlayer(1.5f);
        gPlayer.busy = 0;
        gPlayer.hit = 0;
        // A piece far away keeps the level from being won.
        AddPieceAhead(0.2f);
    }

    // One frame as the game runs it: the level step, then the objects, the
    // figures, the player's update and drawing, and the canisters on top.
    void Frame() {
        platform->AdvanceTime(16);
        platform->ClearScreen();
        LevelStep(kDt);
        for (i32 i = 0; i < gObjectCount; ++i)
            if (!(gObjects[i].active && gObjects[i].objectType == kCanister))
                DrawObject(gObjects[i], gLevel.playfieldPos, kDt);
        for (i32 i = 0; i < gCharacterCount; ++i) gCharacters[i]->Draw(gLevel.playfieldPos, kDt);
        gPlayer.Update(kDt, gLevel.scrollSpeed);
        gPlayer.Draw(gLevel.playfieldPos, kDt);
        for (i32 i = 0; i < gObjectCount; ++i)
            if (gObjects[i].active && gObjects[i].objectType == kCanister)
                DrawObject(gObjects[i], gLevel.playfieldPos, kDt);
    }
    template <typename Until>
    int FramesUntil(Until done, int limit = 2000) {
        for (int n = 1; n <= limit; ++n) {
            Frame();
            if (done()) return n;
        }
        return -1;
    }

    // A piece just ahead of the player's saw, with its five cut sounds
    // (items 1..5) and its material loop (sequence 1, item 0).
    i32 AddPieceAhead(float position = 1.562f) {
        const i32 i = AddObject(position, kFurniture, kFurnitureName);
        WorldObject& o = gObjects[i];
        o.cutSoundRef.Assign(kSoundEntry);
        for (int k = 0; k < 5; ++k) o.cutSoundItems[k] = static_cast<u8>(k + 1);
        o.loopSoundRef.Assign(kSoundEntry);
        o.loopSoundSequence = 1;
        return i;
    }
    std::vector<int> CutSoundsPlayed() {
        std::vector<int> items;
        for (const auto& e : Events(Kind::Play))
            for (int k = 1; k <= 5; ++k)
                if (e.wave == SoundAddress(kSoundEntry, 0, k)) items.push_back(k);
        return items;
    }
};

TEST_F(ScenarioTest, APieceSawnThroughItsSectionsWithSoundsAndPoints) {
    const i32 piece = AddPieceAhead();
    WorldObject& o = gObjects[piece];
    const void* loop = SoundAddress(kSoundEntry, 1, 0);

    platform->SetKey(Key::Space, true);
    std::vector<int> pointsAtCut;
    int stage = 0;
    const int frames = FramesUntil([&] {
        if (o.stage != stage) {
            stage = o.stage;
            pointsAtCut.push_back(o.pointsGiven);
        }
        return o.stage == 4;
    });
    ASSERT_GT(frames, 0);
    // 19 frames of swinging, then four sections of 100 at 1.28 a frame.
    EXPECT_GE(frames, 19 + 4 * 78);
    EXPECT_LE(frames, 19 + 4 * 79 + 1);
    EXPECT_EQ(pointsAtCut, (std::vector<int>{2, 5, 7, 10}));
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_LT(gPlayer.gas, 1.0f - 300 * kDt * gLevel.consumption[1]) << "sawing burns gas";

    // Cut through, the piece is no longer found: the saw goes back to idle,
    // its material sound stops, and the points fly to the score.
    for (int i = 0; i < 60; ++i) Frame();
    platform->SetKey(Key::Space, false);
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_FALSE(platform->IsLooping(loop));
    EXPECT_EQ(gGame.score, 10);
    EXPECT_EQ(o.points, 0);
    const i32 job = gPlayer.anim.job;
    EXPECT_TRUE(job == 3 || job == 21) << "job " << job;
    EXPECT_EQ(gGame.screenState, Playing);
}

TEST_F(ScenarioTest, ARemovalManNailsAPieceThatMustBeSawnFree) {
    const i32 piece = AddPieceAhead();
    WorldObject& o = gObjects[piece];
    NonPlayerCharacter* man = AddFigure(kRemovalMan, 1.6f, true);
    man->wrapProbability = 100;
    man->walkProbability = 0;

    // His first decision (an idle cycle end) chooses the piece.
    platform->SetKey(Key::Space, true);
    ASSERT_GT(FramesUntil([&] { return man->anim.job == 38; }, 100), 0);
    EXPECT_EQ(man->nailTarget, piece);
    EXPECT_TRUE(IsNailed(piece));
    for (int i = 0; i < 40; ++i) {
        Frame();
        EXPECT_FALSE(gPlayer.IsSawing()) << "a chosen piece cannot be sawn, frame " << i;
    }
    EXPECT_EQ(o.sections[0], 100.0f);

    // Sixteen cycles of preparing, then the nail locks the piece.
    ASSERT_GT(FramesUntil([&] { return man->anim.job == 39; }, 400), 0);
    Frame();
    EXPECT_EQ(o.lockTimer, 4.1f);
    EXPECT_EQ(man->nailTarget, -1);
    EXPECT_FALSE(IsNailed(piece));
    man->wrapProbability = 0;  // one nail is enough for this scene

    // The saw wears the lock away first: 4.1 at 0.02 a unit is 205 units
    // of sawing (the input step saws while the player's job is the saw).
    float sawing = 0.0f;
    for (int n = 0; o.lockTimer > 0.0f && n < 2000; ++n) {
        if (gPlayer.IsSawing()) sawing += kDt;
        Frame();
    }
    EXPECT_NEAR(sawing, 205.0f, 2 * kDt);
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{5})) << "the nail breaks";
    EXPECT_GE(o.sections[0], 100.0f - kDt);
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_LT(o.sections[0], 100.0f - 9 * kDt) << "now the sections shrink";
}

TEST_F(ScenarioTest, ALawyersLeafletCostsTime) {
    NonPlayerCharacter* lawyer = AddFigure(kLawyer, 1.6f, true);
    lawyer->actionProbability = 100;
    ASSERT_GT(FramesUntil([&] { return lawyer->anim.job == 40; }, 100), 0);
    EXPECT_EQ(gLevel.leafletCounter, 1);
    EXPECT_EQ(gPlayer.messageValue, 5);

    // While he hands it over, the player's keys do nothing.
    platform->SetKey(Key::Right, true);
    const float before = gPlayer.position;
    for (int i = 0; i < 10; ++i) Frame();
    EXPECT_EQ(gPlayer.position, before);
    EXPECT_EQ(gPlayer.walking, 0);

    const i32 timeBefore = gGame.timeLeft;
    ASSERT_GT(FramesUntil([&] { return gLevel.leafletCounter == 0; }, 200), 0);
    Frame();  // the clock is read again
    EXPECT_LE(gGame.timeLeft, timeBefore - 5);
    EXPECT_GE(gGame.timeLeft, timeBefore - 6);
    EXPECT_EQ(lawyer->flee, 1);
    for (int i = 0; i < 30; ++i) Frame();
    EXPECT_GT(gPlayer.position, before) << "free to walk again";
    EXPECT_GT(std::fabs(lawyer->DistanceToPlayer(gPlayer.position)), 0.1f) << "the lawyer made off";
}

TEST_F(ScenarioTest, AChargingPolicemanKnocksThePlayerOut) {
    AddPieceAhead();
    NonPlayerCharacter* police = AddFigure(kPoliceMan, 1.8f, true);
    police->sawProbability = 100;
    police->sawRange = 0.5f;
    const i32 lives = gGame.lives;

    platform->SetKey(Key::Space, true);
    ASSERT_GT(FramesUntil([&] { return police->anim.job == 26; }, 200), 0) << "he charges";
    ASSERT_GT(FramesUntil([&] { return police->hidden == 1; }, 500), 0) << "and reaches him";
    EXPECT_EQ(gPlayer.hitByType, kPoliceMan);
    EXPECT_EQ(gPlayer.anim.job, 36) << "the fight cloud";
    EXPECT_EQ(gPlayer.anim.animationAsset, Animation(AII_PoliceFight).animationAsset);

    Frame();
    EXPECT_EQ(gGame.screenState, LifeLost);
    EXPECT_EQ(gGame.lives, lives - 1);
    ASSERT_GT(FramesUntil([&] { return gPlayer.anim.job == 37; }, 100), 0);
    for (int i = 0; i < 100; ++i) Frame();
    EXPECT_EQ(gPlayer.anim.job, 37) << "knocked out";
    EXPECT_EQ(police->hidden, 1);
}

TEST_F(ScenarioTest, AThreatenedFigureFleesOnlyWhenFacedAndInRange) {
    NonPlayerCharacter* front = AddFigure(kPoliceMan, 1.8f, true);
    NonPlayerCharacter* behind = AddFigure(kPoliceMan, 1.2f, false);
    NonPlayerCharacter* far = AddFigure(kPoliceMan, 2.2f, true);
    for (NonPlayerCharacter* c : {front, behind, far}) c->walkProbability = 0;

    platform->SetKey(Key::Up, true);
    ASSERT_GT(FramesUntil([&] { return gPlayer.anim.job == 19; }, 100), 0);
    for (int i = 0; i < 40; ++i) Frame();
    EXPECT_EQ(front->flee, 1);
    EXPECT_TRUE(front->anim.job == 24 || front->anim.job == 25) << "fleeing right, away";
    EXPECT_GT(front->position, 1.8f);
    EXPECT_EQ(behind->flee, 0) << "behind his back";
    EXPECT_EQ(far->flee, 0) << "out of range";
    EXPECT_FLOAT_EQ(behind->position, 1.2f);
}

TEST_F(ScenarioTest, ACanisterIsEmptiedIntoTheTank) {
    const i32 can = AddObject(1.5f, kCanister, "Kanister gelb");
    gObjects[can].sections[4] = 30.0f;
    gLevel.refillSpeed = 0.5f;
    gPlayer.gas = 0.5f;

    platform->SetKey(Key::Down, true);
    Frame();
    EXPECT_NE(platform->Pixel(400, 470), 0) << "the canister at the player's feet";
    ASSERT_GT(FramesUntil([&] { return gPlayer.anim.job == 34; }, 100), 0);
    // 30 units at 0.64 a frame.
    const int frames = FramesUntil([&] { return gObjects[can].stage == 4; }, 200);
    EXPECT_GE(frames, 46);
    EXPECT_LE(frames, 48);
    EXPECT_EQ(gObjects[can].sections[4], 0.0f);
    EXPECT_NEAR(gPlayer.gas, 0.8f, 0.01f) << "less what the kneeling burnt";
    EXPECT_FALSE(AnyObjectLeft(kCanister));

    // Nothing left to fill from: he gets up although the key is held.
    ASSERT_GT(FramesUntil([&] { return gPlayer.anim.job == 3 || gPlayer.anim.job == 21; }, 100), 0);
    EXPECT_EQ(gPlayer.busy, 0);
    EXPECT_EQ(platform->Pixel(400, 470), 0) << "an empty canister is gone";
}

// A busy street: two policemen, a removal man, a lawyer and the wife among
// pieces and a canister, the player walking, sawing, threatening and
// walking back. The trace of every frame is the same from the same seed.
class ReplayTest : public ScenarioTest {
protected:
    std::string Play(std::uint32_t seed) {
        ClearFigures();
        gObjectCount = 0;
        gGame = GameGlobals{};
        gGame.screenWidth = 800;
        gGame.screenState = Playing;
        gLevel = LevelState{};
        gPlayer = PlayerCharacter{};
        StartStreet();
        Random::Seed(seed);
        for (float p : {0.4f, 1.562f, 2.3f}) AddPieceAhead(p);
        AddObject(2.0f, kCanister, "Kanister gelb");
        struct Figure {
            i32 type;
            float position;
        };
        for (Figure f : {Figure{kPoliceMan, 1.9f}, Figure{kPoliceMan, 0.6f},
                         Figure{kRemovalMan, 2.2f}, Figure{kLawyer, 1.1f}, Figure{kWife, 0.0f}}) {
            NonPlayerCharacter* c = AddFigure(f.type, f.position, f.position > 1.5f);
            c->sawProbability = 20;
            c->sawRange = 0.4f;
            c->wrapProbability = f.type == kRemovalMan ? 30 : 0;
        }
        gGame.lifeCheat = true;  // keep the scene going whoever touches him

        std::ostringstream trace;
        auto hold = [&](Key k, int frames) {
            platform->SetKey(k, true);
            for (int i = 0; i < frames; ++i) {
                Frame();
                trace << gPlayer.position << ' ' << gPlayer.anim.job << ' ' << gPlayer.gas;
                for (i32 c = 0; c < gCharacterCount; ++c)
                    trace << " | " << gCharacters[c]->position << ' ' << gCharacters[c]->anim.job;
                if (i % 10 == 0) trace << " # " << platform->FrameHash();
                trace << '\n';
            }
            platform->SetKey(k, false);
        };
        hold(Key::Space, 250);
        hold(Key::Right, 60);
        hold(Key::Up, 80);
        hold(Key::Left, 120);
        hold(Key::Space, 100);
        return trace.str();
    }
};

TEST_F(ReplayTest, SameSeedAndInputsGiveTheSameGame) {
    const std::string first = Play(2024);
    const std::string second = Play(2024);
    EXPECT_EQ(first, second);
    EXPECT_NE(first, Play(7)) << "the figures do depend on the draws";
}

}  // namespace
}  // namespace actortest
