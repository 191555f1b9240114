// The things placed on the street: furniture to saw apart (type 1), gas
// canisters (type 2) and the removal van (type 3), and the level's table of
// them.
#pragma once

#include "game/AssetLibrary.h"

enum ObjectType : i32 { kFurniture = 1, kCanister = 2, kVan = 3 };

struct WorldObject {
    i32 points = 0;           // earned, shown above the object, not yet banked
    float pointsTimer = 0.0f;
    i32 bankedPoints = 0;     // collected into the score by the level step
    float lockTimer = 0.0f;   // nail lock: while > 0 the saw only wears it down
    float reach = 0.05f;      // LOCKWIDTH
    float cloud = 0.0f;       // dust cloud frames still to show
    float displayTimer = 0.0f;
    i32 objectType = 0;
    float position = 0.0f;
    i32 pointsGiven = 0;
    i32 maxPoints = 10;       // SCORE
    float sectionTotal = 400.0f;
    float sections[5] = {100.0f, 100.0f, 100.0f, 100.0f, 500000.0f};
    i32 stage = 0;
    AssetRef picture{};
    i32 bonusAmount = 0;
    i32 bonusProbability = 0;  // kept from the record's previous use
    i32 bonusKind = 0;
    i32 jitterX = 0;
    i32 jitterY = 0;
    float sawTime = 0.0f;
    u8 beingSawn = 0;
    u8 active = 0;
    u8 bonusSet = 0;  // the first BONUS line for the object wins
    u8 fresh = 1;     // no saw has touched it yet
    char name[26] = {};
    AssetRef cutSoundRef{};
    u8 cutSoundSequence = 0;
    u8 cutSoundItems[5] = {};
    AssetRef loopSoundRef{};
    u8 loopSoundSequence = 0;
    u8 loopSoundItem = 0;
};

inline constexpr i32 kMaxObjects = 128;
extern WorldObject gObjects[kMaxObjects];
extern i32 gObjectCount;

// Resets record `index` to the placing defaults, names it and places it;
// active when item 0 of sequence 0 of its picture exists.
void SpawnObject(WorldObject& object, float position, i32 type, const char* name);
void SetSection(WorldObject& object, i32 k, float value);

// Index of the first object of `type` within range of view-relative point x
// (range 0: the object's own reach), or -1.
i32 FindObject(float x, i32 type, float range, bool skipLocked);
bool SawObject(i32 index, float dt, bool sawing);
void UpdateScore(WorldObject& object);
bool RefillFromCanister(i32 index, float dt, bool filling);
bool AnyObjectLeft(i32 type);
void DrawObject(WorldObject& object, float viewLeft, float dt);
