// What happens to the things on the street: finding them, sawing furniture
// section by section (with its sounds, shaking, dust and points), the nail
// lock, refilling the saw from a canister, and drawing them.
#include <climits>
#include <cmath>
#include <cstdio>

#include "actors/AnimationTable.h"
#include "actors/FarPosition.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "blit/Blitter.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "platform/Random.h"
#include "render/TextDraw.h"

namespace {

// The picture pair of stage s is sequences 2s (the object) and 2s + 1 (its
// underlay); sequence 10 is the nail.
constexpr i32 kStageSequences = 10;
constexpr i32 kNailSequence = 10;
constexpr i32 kObjectY = 480;
constexpr i32 kCloudY = 460;
constexpr i32 kNailY = 490;
constexpr i32 kTextY = 320;
// Earned points fly to the score display during their last 30 time units.
constexpr i32 kScoreX = 750;
constexpr i32 kScoreY = 87;
constexpr float kFlyRate = 0.033333335f;  // 1/30
constexpr float kPointsShowTime = 40.0f;
constexpr float kGasShowTime = 200.0f;

i32 PlacedCount() {
    if (gObjectCount < 0) return 0;
    return gObjectCount < kMaxObjects ? gObjectCount : kMaxObjects;
}

i32 RingWidth() {
    return gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth;
}

// Signed distance from a to b along the shorter way round the ring.
float RingOffset(float a, float b) {
    const float w = static_cast<float>(RingWidth());
    const float h = static_cast<float>(RingWidth() / 2);
    float d = b - a;
    if (!std::isfinite(d)) return d;
    d = NearRing(d, w);
    while (d > h) d -= w;
    while (d < -h) d += w;
    return d;
}

AssetRef* CloudRef() {
    return Animation(AII_FurnitureCloud).animationAsset;
}

i32 CloudFrames() {
    AssetRef* ref = CloudRef();
    return (gLibrary != nullptr && ref != nullptr) ? gLibrary->GetItemCount(ref, 0) : 0;
}

float SumOfSections(const WorldObject& o) {
    return o.sections[0] + o.sections[1] + o.sections[2] + o.sections[3];
}

void PlayCutSound(WorldObject& o, i32 which) {
    PlaySound(&o.cutSoundRef, o.cutSoundSequence, o.cutSoundItems[which], false, false);
}

bool HasAllStages(WorldObject& o) {
    if (gLibrary == nullptr) return false;
    for (i32 s = 0; s < kStageSequences; ++s) {
        if (!gLibrary->HasSequence(&o.picture, s)) return false;
    }
    return true;
}

void Blit(WorldObject& o, i32 sequence, i32 x, i32 y) {
    if (const PictureItem* p = gLibrary->GetPicture(&o.picture, sequence, 0)) {
        BlitFrame(x, y, p, false);
    }
}

// A text of the large font centred on x.
i32 CentredX(const char* text, i32 x) {
    return x - TextWidth(text, false) / 2;
}

}  // namespace

i32 FindObject(float x, i32 type, float range, bool skipLocked) {
    const float w = static_cast<float>(RingWidth());
    if (!std::isfinite(x)) return -1;
    x = NearRing(x, w);
    while (x < 0.0f) x += w;
    const float point = x + 0.5f;
    for (i32 i = 0; i < PlacedCount(); ++i) {
        const WorldObject& o = gObjects[i];
        if (skipLocked && o.lockTimer > 0.0f) continue;
        // A piece whose fourth section is cut lies in pieces: nothing to find.
        if (!(o.sections[3] > 0.0f)) continue;
        const i32 kind = o.active ? o.objectType : 0;
        if (kind != type) continue;
        const float r = range == 0.0f ? o.reach : range;
        if (!(std::fabs(RingOffset(o.position, point)) <= r)) continue;
        if (type == kCanister && !(o.sections[4] > 0.0f)) continue;
        return i;
    }
    return -1;
}

void UpdateScore(WorldObject& o) {
    if (o.sectionTotal == 0.0f) return;
    const float share =
        (1.0f - SumOfSections(o) / o.sectionTotal) * static_cast<float>(o.maxPoints);
    i32 p = o.maxPoints;
    if (share < static_cast<float>(o.maxPoints)) {
        p = share > static_cast<float>(INT_MIN) ? static_cast<i32>(share) : INT_MIN;
    }
    if (p > o.pointsGiven) {
        o.points += p - o.pointsGiven;
        o.pointsGiven = p;
        o.pointsTimer = kPointsShowTime;
    }
}

bool SawObject(i32 index, float dt, bool sawing) {
    if (index < 0 || index >= PlacedCount()) return false;
    WorldObject& o = gObjects[index];
    if (o.objectType != kFurniture) return false;
    o.sawTime += dt;
    o.beingSawn = sawing;
    // Swinging the saw up does no work yet.
    if (!sawing) return false;

    if (o.sawTime > 5.0f) {
        o.sawTime = 0.0f;
        o.jitterX = (Random::Next() & 7) - 1;
        o.jitterY = (Random::Next() & 7) - 1;
    }
    if (!HasAllStages(o)) return false;

    if (o.lockTimer > 0.0f) {
        // A nail must be sawn away first.
        o.lockTimer -= dt * 0.02f;
        if (o.lockTimer < 0.0f) {
            o.lockTimer = 0.0f;
            PlayCutSound(o, 4);
            o.cloud = static_cast<float>(CloudFrames());
        }
        return false;
    }

    o.sections[o.stage] -= gLevel.sawFactor * dt;
    // What is left over after a section is through goes into the next one, so
    // small sections may fall several at once, each with its own sound.
    while (o.sections[o.stage] < 0.0f) {
        const float carry = -o.sections[o.stage];
        o.sections[o.stage] = 0.0f;
        o.stage += 1;
        if (o.stage >= 1 && o.stage <= 5) {
            PlayCutSound(o, o.stage - 1);
            o.cloud = static_cast<float>(CloudFrames());
        }
        if (o.stage > 4) {
            o.stage = 4;
            UpdateScore(o);
            return true;
        }
        o.sections[o.stage] -= carry;
    }
    UpdateScore(o);
    return false;
}

bool RefillFromCanister(i32 index, float dt, bool filling) {
    const i32 job = gPlayer.anim.job;
    if (job != 31 && job != 34) return false;
    if (index < 0 || index >= PlacedCount()) return false;
    WorldObject& can = gObjects[index];
    if (can.objectType != kCanister || !filling) return false;

    float tank = gPlayer.gas * 100.0f;  // percent; a tank below empty counts as empty
    if (tank < 0.0f) tank = 0.0f;
    float amount = gLevel.refillSpeed * dt;
    if (amount > 100.0f - tank) amount = 100.0f - tank;
    if (amount <= can.sections[4]) {
        can.sections[4] -= amount;
    } else {
        amount = can.sections[4];
        can.sections[4] = 0.0f;
        can.stage = 4;  // emptied
    }
    tank += amount;
    if (tank > 100.0f) tank = 100.0f;
    gPlayer.gas = tank * 0.01f;
    can.displayTimer = kGasShowTime;
    return tank >= 100.0f;
}

bool AnyObjectLeft(i32 type) {
    for (i32 i = 0; i < PlacedCount(); ++i) {
        const WorldObject& o = gObjects[i];
        if (!o.active || o.objectType != type) continue;
        if (type == kFurniture && SumOfSections(o) > 0.0f) return true;
        // Half a unit of gas still finds the canister but is no reason to go on.
        if (type == kCanister && static_cast<i32>(o.sections[4]) > 0) return true;
    }
    return false;
}

void DrawObject(WorldObject& o, float viewLeft, float dt) {
    if (!o.active || gLibrary == nullptr) return;
    // The view's centre wrapped onto the ring the way the player's position
    // is, so that objects and figures are placed alike.
    const float w = static_cast<float>(RingWidth());
    float centre = std::isfinite(viewLeft) ? viewLeft + 0.5f : 0.5f;
    centre = NearRing(centre, w);
    while (centre < 0.0f) centre += w;
    while (centre >= w) centre -= w;
    const float offset = 0.5f - RingOffset(o.position, centre);
    const i32 x = static_cast<i32>(offset * static_cast<float>(gGame.screenWidth));

    // Cut pieces lie on the street for as long as their fifth section lasts.
    if (o.stage == 4) {
        if (o.sections[4] <= 0.0f) return;
        o.sections[4] -= dt;
    }
    const i32 stage = o.stage < 0 ? 0 : (o.stage > 4 ? 4 : o.stage);
    Blit(o, 2 * stage + 1, x + o.jitterX, kObjectY + o.jitterY);
    Blit(o, 2 * stage, x + o.jitterX, kObjectY + o.jitterY);

    if (o.cloud != 0.0f) {
        AssetRef* cloud = CloudRef();
        if (cloud != nullptr) {
            const i32 count = gLibrary->GetItemCount(cloud, 0);
            const i32 frame = static_cast<i32>(static_cast<float>(count) - o.cloud);
            if (const PictureItem* p = gLibrary->GetPicture(cloud, 0, frame)) {
                BlitFrame(x, kCloudY, p, false);
            }
        }
        o.cloud -= Animation(AII_FurnitureCloud).speed * dt;
        if (o.cloud < 0.0f) o.cloud = 0.0f;
    }

    char text[32];
    if (o.displayTimer != 0.0f) {
        std::snprintf(text, sizeof text, "%d", static_cast<i32>(o.sections[4]));
        DrawText(CentredX(text, x), kTextY, text, 0, false, false, false);
        o.displayTimer -= dt;
        if (o.displayTimer < 0.0f) o.displayTimer = 0.0f;
    }

    if (o.pointsTimer != 0.0f) {
        std::snprintf(text, sizeof text, "$%d", o.points);
        const i32 x0 = CentredX(text, x);
        float t = (o.pointsTimer + 1.0f) * kFlyRate;
        if (t < 0.0f) t = 0.0f;
        if (t > 1.0f) t = 1.0f;
        const i32 tx =
            static_cast<i32>(static_cast<float>(x0) * t + static_cast<float>(kScoreX) * (1.0f - t));
        const i32 ty = static_cast<i32>(static_cast<float>(kScoreY) * (1.0f - t) +
                                        static_cast<float>(kTextY) * t);
        DrawText(tx, ty, text, 0, false, false, false);
        o.pointsTimer -= dt;
        // Points are banked once the text has arrived (also when the timer
        // lands exactly on 0, or they would never reach the score).
        if (o.pointsTimer <= 0.0f) {
            o.pointsTimer = 0.0f;
            o.bankedPoints += o.points;
            o.points = 0;
        }
    }

    if (o.lockTimer != 0.0f) Blit(o, kNailSequence, x + o.jitterX, kNailY + o.jitterY);

    o.jitterX = 0;
    o.jitterY = 0;
    o.beingSawn = 0;
}
