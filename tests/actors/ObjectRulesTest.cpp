// Furniture, canisters and the van: searching, sawing in five sections, the
// nail lock, refilling, what is left, and drawing.
#include "ActorsFixture.h"

namespace actortest {
namespace {

using Kind = ScriptedPlatform::SoundEvent::Kind;

class ObjectRulesTest : public ActorsFixture {
protected:
    // A piece whose five cut sounds are items 1..5 of the fixture's sounds.
    i32 AddPiece(float position) {
        const i32 i = AddObject(position, kFurniture, kFurnitureName);
        WorldObject& o = gObjects[i];
        o.cutSoundRef.Assign(kSoundEntry);
        o.cutSoundSequence = 0;
        for (int k = 0; k < 5; ++k) o.cutSoundItems[k] = static_cast<u8>(k + 1);
        return i;
    }
    // Items of the cut sounds played so far, in order.
    std::vector<int> CutSoundsPlayed() {
        std::vector<int> items;
        for (const auto& e : Events(Kind::Play))
            for (int k = 0; k < 6; ++k)
                if (e.wave == SoundAddress(kSoundEntry, 0, k)) items.push_back(k);
        return items;
    }
};

TEST_F(ObjectRulesTest, FindObjectSearchesAroundThePointOnTheRing) {
    const i32 piece = AddPiece(1.5f);
    gObjects[piece].reach = 0.25f;
    EXPECT_EQ(FindObject(1.0f, kFurniture, 0.0f, false), piece);
    EXPECT_EQ(FindObject(1.25f, kFurniture, 0.0f, false), piece) << "the edge is included";
    EXPECT_EQ(FindObject(0.75f, kFurniture, 0.0f, false), piece);
    EXPECT_EQ(FindObject(1.2500001f, kFurniture, 0.0f, false), -1);
    EXPECT_EQ(FindObject(1.2f, kFurniture, 0.5f, false), piece) << "an explicit range";
    EXPECT_EQ(FindObject(1.0f, kCanister, 0.0f, false), -1) << "another type";

    const i32 seam = AddPiece(0.125f);
    gObjects[seam].reach = 0.25f;
    EXPECT_EQ(FindObject(2.5f, kFurniture, 0.0f, false), seam) << "across the seam";
    EXPECT_EQ(FindObject(-0.5f, kFurniture, 0.0f, false), seam) << "a negative point";

    gObjects[piece].lockTimer = 1.0f;
    EXPECT_EQ(FindObject(1.0f, kFurniture, 0.0f, true), -1) << "locked pieces skipped";
    EXPECT_EQ(FindObject(1.0f, kFurniture, 0.0f, false), piece);
    gObjects[piece].sections[3] = 0.0f;
    EXPECT_EQ(FindObject(1.0f, kFurniture, 0.0f, false), -1) << "cut through: gone";

    // A piece whose picture is missing is inactive and never found.
    const i32 ghost = AddObject(2.0f, kFurniture, "NoSuchPicture");
    EXPECT_FALSE(gObjects[ghost].active);
    EXPECT_EQ(FindObject(1.5f, kFurniture, 0.0f, false), -1);

    // Only placed objects are visited.
    SpawnObject(gObjects[gObjectCount], 1.9f, kFurniture, kFurnitureName);
    EXPECT_EQ(FindObject(1.4f, kFurniture, 0.0f, false), -1);
}

TEST_F(ObjectRulesTest, CanistersAreFoundWhileTheyHoldGas) {
    const i32 can = AddObject(0.5f, kCanister, "Kanister gelb");
    EXPECT_EQ(gObjects[can].sections[4], 100.0f);
    EXPECT_EQ(FindObject(0.0f, kCanister, 0.0f, false), can);
    EXPECT_TRUE(AnyObjectLeft(kCanister));
    gObjects[can].sections[4] = 0.5f;
    EXPECT_EQ(FindObject(0.0f, kCanister, 0.0f, false), can);
    EXPECT_FALSE(AnyObjectLeft(kCanister)) << "half a unit is no reason to go on";
    gObjects[can].sections[4] = 0.0f;
    EXPECT_EQ(FindObject(0.0f, kCanister, 0.0f, false), -1);
    EXPECT_FALSE(SawObject(can, 10.0f, true)) << "only furniture is sawn";
}

TEST_F(ObjectRulesTest, SawingThroughFiveSectionsWithSoundsAndPoints) {
    const i32 piece = AddPiece(1.5f);
    WorldObject& o = gObjects[piece];
    EXPECT_TRUE(AnyObjectLeft(kFurniture));

    std::vector<int> framesPerSection;
    std::vector<int> pointsAtSectionEnd;
    int frames = 0;
    int lastPoints = 0;
    while (o.stage < 4 && frames < 1000) {
        const int stage = o.stage;
        EXPECT_FALSE(SawObject(piece, kDt, true));
        ++frames;
        EXPECT_LE(o.pointsGiven - lastPoints, 1) << "points come one at a time";
        lastPoints = o.pointsGiven;
        if (o.stage != stage) {
            framesPerSection.push_back(frames);
            pointsAtSectionEnd.push_back(o.pointsGiven);
            frames = 0;
        }
    }
    // 100 / 1.28 = 78.1: the section must go below 0, so 79 frames; later
    // sections start with the overshoot and may need one frame less.
    ASSERT_EQ(framesPerSection.size(), 4u);
    EXPECT_EQ(framesPerSection[0], 79);
    for (int n : framesPerSection) EXPECT_GE(n, 78);
    EXPECT_EQ(pointsAtSectionEnd, (std::vector<int>{2, 5, 7, 10}));
    EXPECT_EQ(o.points, 10);
    EXPECT_EQ(o.pointsTimer, 40.0f);
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(o.cloud, 5.0f) << "the dust cloud's frame count";

    EXPECT_EQ(FindObject(1.0f, kFurniture, 0.0f, false), -1) << "cut through: unfindable";
    EXPECT_GT(o.sections[4], 0.0f);
    EXPECT_FALSE(AnyObjectLeft(kFurniture));
}

TEST_F(ObjectRulesTest, OvershootCarriesIntoTheNextSections) {
    const i32 piece = AddPiece(1.5f);
    WorldObject& o = gObjects[piece];
    for (int k = 0; k < 4; ++k) SetSection(o, k, 1.0f);
    EXPECT_EQ(o.sectionTotal, 4.0f);
    EXPECT_FALSE(SawObject(piece, 2.5f, true));
    EXPECT_EQ(o.stage, 2) << "two small sections in one frame";
    EXPECT_FLOAT_EQ(o.sections[2], 0.5f);
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{1, 2}));

    // When the fifth section goes too, the piece reports being cut through.
    SetSection(o, 4, 1.0f);
    gLevel.sawFactor = 2.0f;  // the type-4 bonus doubles the work
    EXPECT_TRUE(SawObject(piece, 2.0f, true));
    EXPECT_EQ(o.stage, 4);
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(o.pointsGiven, 10);
}

TEST_F(ObjectRulesTest, SwingingShakingAndMissingPicturesDoNoWork) {
    const i32 piece = AddPiece(1.5f);
    WorldObject& o = gObjects[piece];
    EXPECT_FALSE(SawObject(piece, 3.0f, false));
    EXPECT_EQ(o.sections[0], 100.0f) << "the swing does no work";
    EXPECT_EQ(o.sawTime, 3.0f);
    EXPECT_EQ(o.beingSawn, 0);

    SawObject(piece, 3.0f, true);  // sawTime 6 > 5: a shake
    EXPECT_EQ(o.sawTime, 0.0f);
    EXPECT_GE(o.jitterX, -1);
    EXPECT_LE(o.jitterX, 6);
    EXPECT_GE(o.jitterY, -1);
    EXPECT_LE(o.jitterY, 6);
    EXPECT_EQ(o.beingSawn, 1);

    // "wolke" has only sequences 0 and 1: found and drawn, but not sawn.
    const i32 odd = AddObject(2.5f, kFurniture, "wolke");
    ASSERT_TRUE(gObjects[odd].active);
    EXPECT_FALSE(SawObject(odd, 50.0f, true));
    EXPECT_EQ(gObjects[odd].sections[0], 100.0f);
}

TEST_F(ObjectRulesTest, NailLockTakes205UnitsOfSawing) {
    const i32 piece = AddPiece(1.5f);
    WorldObject& o = gObjects[piece];
    o.lockTimer = 4.1f;
    int units = 0;
    while (o.lockTimer > 0.0f && units < 1000) {
        SawObject(piece, 1.0f, true);
        ++units;
    }
    // 4.1 / 0.02 = 205; single-precision steps may need one more.
    EXPECT_GE(units, 205);
    EXPECT_LE(units, 206);
    EXPECT_EQ(o.sections[0], 100.0f) << "the lock is worn down first";
    EXPECT_EQ(CutSoundsPlayed(), (std::vector<int>{5})) << "the fifth sound breaks the nail";
    EXPECT_EQ(o.cloud, 5.0f);
    SawObject(piece, 1.0f, true);
    EXPECT_EQ(o.sections[0], 99.0f);
}

TEST_F(ObjectRulesTest, RefillMovesGasFromCanisterToTank) {
    const i32 can = AddObject(0.5f, kCanister, "Kanister gelb");
    WorldObject& c = gObjects[can];
    gLevel.refillSpeed = 100.0f;
    gPlayer.gas = 0.8f;
    EXPECT_FALSE(RefillFromCanister(can, 1.0f, true)) << "not kneeling at the canister";

    ASSERT_TRUE(gPlayer.SetAnimation(Animation(AII_PlayerRightFillUp)));
    c.sections[4] = 30.0f;
    EXPECT_FALSE(RefillFromCanister(can, 1.0f, false));
    EXPECT_TRUE(RefillFromCanister(can, 1.0f, true)) << "the tank is full";
    EXPECT_FLOAT_EQ(c.sections[4], 10.0f) << "at most what the tank takes";
    EXPECT_FLOAT_EQ(gPlayer.gas, 1.0f);
    EXPECT_EQ(c.displayTimer, 200.0f);

    gLevel.refillSpeed = 10.0f;
    gPlayer.gas = -0.3f;  // a tank below empty counts as empty
    c.sections[4] = 4.0f;
    EXPECT_FALSE(RefillFromCanister(can, 1.0f, true));
    EXPECT_EQ(c.sections[4], 0.0f);
    EXPECT_EQ(c.stage, 4) << "emptied";
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.04f);
    EXPECT_EQ(FindObject(0.0f, kCanister, 0.0f, false), -1);

    const i32 piece = AddPiece(1.5f);
    EXPECT_FALSE(RefillFromCanister(piece, 1.0f, true)) << "furniture holds no gas";
}

TEST_F(ObjectRulesTest, DrawingPiecesCloudsTextsAndTheNail) {
    const i32 piece = AddPiece(0.5f);  // view 0..1: x = 400
    WorldObject& o = gObjects[piece];
    o.lockTimer = 2.0f;
    o.jitterX = 3;
    DrawObject(o, 0.0f, 0.0f);
    EXPECT_NE(platform->Pixel(403, 470), 0) << "the piece, shaken 3 to the right";
    EXPECT_NE(platform->Pixel(403, 487), 0) << "the nail";
    EXPECT_EQ(o.jitterX, 0);

    platform->ClearScreen();
    o.lockTimer = 0.0f;
    DrawObject(o, 3.0f, 0.0f);  // the same view one lap on
    EXPECT_NE(platform->Pixel(400, 470), 0);
    EXPECT_EQ(platform->Pixel(400, 487), 0) << "no nail without a lock";

    // Points: "$5" is 16 pixels wide, shown centred at y 320, then flying to
    // the score at (750, 87) and banked.
    platform->ClearScreen();
    o.points = 5;
    o.pointsTimer = 40.0f;
    DrawObject(o, 0.0f, 0.0f);
    EXPECT_NE(platform->Pixel(392, 320), 0);
    EXPECT_EQ(platform->Pixel(391, 320), 0);
    platform->ClearScreen();
    o.pointsTimer = 0.5f;  // t = 0.05: x = 392 * 0.05 + 750 * 0.95 = 732, y = 98
    DrawObject(o, 0.0f, 0.0f);
    EXPECT_NE(platform->Pixel(732, 98), 0);
    EXPECT_EQ(platform->Pixel(731, 98), 0);
    EXPECT_EQ(o.bankedPoints, 0);
    DrawObject(o, 0.0f, kDt);
    EXPECT_EQ(o.bankedPoints, 5);
    EXPECT_EQ(o.points, 0);
    EXPECT_EQ(o.pointsTimer, 0.0f);

    // A timer that lands exactly on 0 banks too (2.56 = 2 x 1.28 exactly).
    o.points = 3;
    o.pointsTimer = 2.56f;
    DrawObject(o, 0.0f, kDt);
    DrawObject(o, 0.0f, kDt);
    EXPECT_EQ(o.pointsTimer, 0.0f);
    EXPECT_EQ(o.bankedPoints, 8) << "points must never be lost";

    // The dust cloud runs down at the cloud record's speed.
    o.cloud = 5.0f;
    DrawObject(o, 0.0f, 10.0f);
    EXPECT_FLOAT_EQ(o.cloud, 3.0f);
    DrawObject(o, 0.0f, 100.0f);
    EXPECT_EQ(o.cloud, 0.0f);

    // Cut pieces lie there while their fifth section lasts.
    o.stage = 4;
    o.sections[4] = 2.0f;
    platform->ClearScreen();
    DrawObject(o, 0.0f, kDt);
    EXPECT_NE(platform->Pixel(400, 470), 0);
    DrawObject(o, 0.0f, kDt);
    platform->ClearScreen();
    DrawObject(o, 0.0f, kDt);
    EXPECT_EQ(platform->Pixel(400, 470), 0) << "gone";
}

TEST_F(ObjectRulesTest, CanisterShowsItsGasWhileFilling) {
    const i32 can = AddObject(0.25f, kCanister, "Kanister gelb");  // x = 200
    WorldObject& c = gObjects[can];
    c.sections[4] = 42.7f;  // "42": 16 pixels wide
    c.displayTimer = 1.0f;
    DrawObject(c, 0.0f, kDt);
    EXPECT_NE(platform->Pixel(192, 320), 0);
    EXPECT_EQ(platform->Pixel(191, 320), 0);
    EXPECT_EQ(c.displayTimer, 0.0f) << "not below 0";
}

}  // namespace
}  // namespace actortest
