// The level's object table and the placing of one object in it. The rules of
// sawing, refilling, searching and drawing objects live in ObjectRules.cpp.
#include "actors/WorldObject.h"

#include <cstring>

#include "actors/FarPosition.h"
#include "game/GameGlobals.h"

WorldObject gObjects[kMaxObjects];
i32 gObjectCount = 0;

void SpawnObject(WorldObject& object, float position, i32 type, const char* name) {
    // The chance of a bonus is kept from the record's previous use: only the
    // kind decides whether a piece carries one, and a new piece has none.
    const i32 keptProbability = object.bonusProbability;
    object = WorldObject{};
    object.bonusProbability = keptProbability;
    // A piece placed far off the street (or at an undefined place) is brought
    // onto it with the width in force now; the searches wrap it from there.
    const i32 width = gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth;
    object.position = NearRing(position, static_cast<float>(width));
    object.objectType = type;
    object.picture.Assign(name != nullptr ? name : "");
    object.cutSoundRef.Init("");
    object.loopSoundRef.Init("");
    if (name != nullptr) {
        std::strncpy(object.name, name, sizeof object.name - 1);
        object.name[sizeof object.name - 1] = '\0';
    }
    if (type == kCanister) object.sections[4] = 100.0f;
    object.active = (gLibrary != nullptr && gLibrary->GetItem(&object.picture, 0, 0) != nullptr);
}

void SetSection(WorldObject& object, i32 k, float value) {
    if (k < 0 || k > 4) return;
    object.sections[k] = value;
    object.sectionTotal =
        object.sections[0] + object.sections[1] + object.sections[2] + object.sections[3];
}
