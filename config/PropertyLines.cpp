// The property lines: ANIMPROP changes an animation record, CHARPROP the
// behaviour values of one character type, OBJPROP the values of the placed
// objects of one name. Accepted in every settings file.
#include <cstring>

#include "actors/AnimationTable.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/SettingsLines.h"

namespace {

// ---- ANIMPROP ---------------------------------------------------------------

// The identifier of an ANIMPROP line: at most 36 characters (checked first,
// before the values after it), looked up last.
bool ReadIdentifier(LineValues& values, char (&identifier)[kMaxIdentifierLength + 1]) {
    return values.Name(identifier, kMaxIdentifierLength, true);
}

bool AnimSpeed(LineValues& values) {
    char identifier[kMaxIdentifierLength + 1];
    float speed = 0.0f;
    if (!ReadIdentifier(values, identifier) || !values.Float(&speed)) return FailLine();
    const i32 id = FindAnimationId(identifier);
    if (id == 0) return FailLine();
    Animation(id).speed = speed;
    return true;
}

bool AnimRepetitions(LineValues& values) {
    char identifier[kMaxIdentifierLength + 1];
    i32 count = 0;
    if (!ReadIdentifier(values, identifier) || !values.Int(&count)) return FailLine();
    const i32 id = FindAnimationId(identifier);
    if (id == 0) return FailLine();
    // The count is a byte: 300 is stored as 44.
    AnimationRecord& record = Animation(id);
    record.repetitions = (record.repetitions & ~0xFF) | (count & 0xFF);
    return true;
}

bool AnimSound(LineValues& values) {
    char identifier[kMaxIdentifierLength + 1];
    char asset[kMaxNameLength + 1];
    i32 sequence = 0, item = 0;
    if (!ReadIdentifier(values, identifier) || !values.Name(asset, kMaxNameLength, true) ||
        !values.Int(&sequence)) {
        return FailLine();
    }
    // abs() of the most negative number is undefined; it is out of range anyway.
    if (sequence < -12 || sequence > 12 || sequence == 0) return FailLine();
    if (!values.Int(&item) || item < 0 || item > 1098) return FailLine();
    const i32 id = FindAnimationId(identifier);
    if (id == 0) return FailLine();
    // The first SOUND line for a record wins for the whole run.
    AnimationRecord& record = Animation(id);
    if (record.soundAsset == nullptr || record.soundAsset->assigned) return true;
    record.soundAsset->Assign(asset);
    record.soundSequence = sequence;  // the sign is kept: negative replays
    record.soundItem = item;
    return true;
}

bool AnimAnimation(LineValues& values) {
    char identifier[kMaxIdentifierLength + 1];
    char asset[kMaxNameLength + 1];
    i32 sequence = 0, step = 0;
    if (!ReadIdentifier(values, identifier) || !values.Name(asset, kMaxNameLength, true) ||
        !values.Int(&sequence) || sequence < 1 || sequence > 12) {
        return FailLine();
    }
    if (!values.Int(&step) || (step != 1 && step != -1)) return FailLine();
    const i32 id = FindAnimationId(identifier);
    if (id == 0) return FailLine();
    AnimationRecord& record = Animation(id);
    if (record.animationAsset != nullptr) record.animationAsset->Assign(asset);
    record.sequence = sequence - 1;  // the file counts sequences from 1
    record.frameStep = step;
    return true;
}

// ---- CHARPROP ---------------------------------------------------------------

// Type of a CHARPROP line's name: any name that is not one of the three men
// means the wife.
i32 CharPropType(const char* name) {
    const i32 length = static_cast<i32>(std::strlen(name));
    if (NameEquals(name, length, "REMOVALMAN")) return kRemovalMan;
    if (NameEquals(name, length, "POLICEMAN")) return kPoliceMan;
    if (NameEquals(name, length, "LAWYER")) return kLawyer;
    return kWife;
}

// Stores one value group into every figure of `type` whose flag for the group
// is still clear, then sets the flag: the first line that reaches a figure
// wins.
template <typename Apply>
void ApplyOnce(i32 type, CharPropGroup group, Apply apply) {
    for (i32 i = 0; i < gCharacterCount; ++i) {
        NonPlayerCharacter* figure = gCharacters[i];
        if (figure == nullptr || figure->characterType != type) continue;
        if (figure->setOnce[group]) continue;
        apply(*figure);
        figure->setOnce[group] = 1;
    }
}

bool CharValues(LineValues& values, const char* subKeyword, i32 type) {
    using NPC = NonPlayerCharacter;
    if (KeywordMatches(subKeyword, "WALKPROB")) {
        i32 v = 0;
        if (!values.Int(&v)) return FailLine();
        ApplyOnce(type, kGroupWalkProb, [&](NPC& c) { c.walkProbability = v; });
    } else if (KeywordMatches(subKeyword, "WRAPPROB")) {
        i32 v = 0;
        if (!values.Int(&v)) return FailLine();
        ApplyOnce(type, kGroupWrapProb, [&](NPC& c) { c.wrapProbability = v; });
    } else if (KeywordMatches(subKeyword, "WRAPRANGE")) {
        float v = 0.0f;
        if (!values.Float(&v)) return FailLine();
        ApplyOnce(type, kGroupWrapRange, [&](NPC& c) { c.wrapRange = v; });
    } else if (KeywordMatches(subKeyword, "WALKRANGE")) {
        // A pair whose maximum is below its minimum is stored as read; the
        // random count then uses the minimum.
        i32 lo = 0, hi = 0;
        if (!values.Int(&lo) || !values.Int(&hi)) return FailLine();
        ApplyOnce(type, kGroupWalkRange, [&](NPC& c) {
            c.walkCyclesMin = lo;
            c.walkCyclesMax = hi;
        });
    } else if (KeywordMatches(subKeyword, "FLEERANGE")) {
        i32 lo = 0, hi = 0;
        if (!values.Int(&lo) || !values.Int(&hi)) return FailLine();
        ApplyOnce(type, kGroupFleeRange, [&](NPC& c) {
            c.fleeCyclesMin = lo;
            c.fleeCyclesMax = hi;
        });
    } else if (KeywordMatches(subKeyword, "IDLERANGE")) {
        i32 lo = 0, hi = 0;
        if (!values.Int(&lo) || !values.Int(&hi)) return FailLine();
        ApplyOnce(type, kGroupIdleRange, [&](NPC& c) {
            c.idleCyclesMin = lo;
            c.idleCyclesMax = hi;
        });
    } else if (KeywordMatches(subKeyword, "SEARCHSTRENGTH")) {
        i32 v = 0;
        if (!values.Int(&v)) return FailLine();
        ApplyOnce(type, kGroupSearchStrength, [&](NPC& c) { c.searchStrength = v; });
    } else if (KeywordMatches(subKeyword, "THREATENSENSITIVITY")) {
        i32 probability = 0;
        float range = 0.0f;
        if (!values.Int(&probability) || !values.Float(&range)) return FailLine();
        ApplyOnce(type, kGroupThreatenProbability,
                  [&](NPC& c) { c.threatenProbability = probability; });
        ApplyOnce(type, kGroupThreatenRange, [&](NPC& c) { c.threatenRange = range; });
    } else if (KeywordMatches(subKeyword, "SAWSENSITIVITY")) {
        i32 probability = 0;
        float range = 0.0f;
        if (!values.Int(&probability) || !values.Float(&range)) return FailLine();
        ApplyOnce(type, kGroupSawProbability, [&](NPC& c) { c.sawProbability = probability; });
        ApplyOnce(type, kGroupSawRange, [&](NPC& c) { c.sawRange = range; });
    } else if (KeywordMatches(subKeyword, "COLLISIONRANGE")) {
        float range = 0.0f, left = 0.0f, right = 0.0f;
        if (!values.Float(&range) || range < 0.0f || !values.Float(&left) ||
            !values.Float(&right)) {
            return FailLine();
        }
        ApplyOnce(type, kGroupCollisionRange, [&](NPC& c) {
            c.collisionRange = range;
            c.collisionOffsetLeft = left;
            c.collisionOffsetRight = right;
        });
    } else if (KeywordMatches(subKeyword, "WALKSPEED")) {
        i32 n = 0;
        float speed = 0.0f;
        if (!values.Int(&n) || n < 1 || n > 3 || !values.Float(&speed)) return FailLine();
        if (n == 1) ApplyOnce(type, kGroupWalkSpeed1, [&](NPC& c) { c.walkSpeed = speed; });
        if (n == 2) ApplyOnce(type, kGroupWalkSpeed2, [&](NPC& c) { c.fleeSpeed = speed; });
        if (n == 3) ApplyOnce(type, kGroupWalkSpeed3, [&](NPC& c) { c.triggerSpeed = speed; });
    } else if (KeywordMatches(subKeyword, "ACTIONPROB")) {
        i32 v = 0;
        if (!values.Int(&v)) return FailLine();
        ApplyOnce(type, kGroupActionProb, [&](NPC& c) { c.actionProbability = v; });
    } else if (KeywordMatches(subKeyword, "ACTIONRANGE")) {
        float v = 0.0f;
        if (!values.Float(&v)) return FailLine();
        ApplyOnce(type, kGroupActionRange, [&](NPC& c) { c.actionRange = v; });
    } else {
        return FailLine();
    }
    return true;
}

// ---- OBJPROP ----------------------------------------------------------------

// Runs `apply` on every placed object of that name (whole name, any case).
template <typename Apply>
void ForObjectsNamed(const char* name, Apply apply) {
    const i32 length = static_cast<i32>(std::strlen(name));
    for (i32 i = 0; i < gObjectCount; ++i) {
        if (NameEquals(name, length, gObjects[i].name)) apply(gObjects[i]);
    }
}

bool ObjValues(LineValues& values, const char* subKeyword, const char* name) {
    if (KeywordMatches(subKeyword, "SCORE")) {
        i32 points = 0;
        if (!values.Int(&points)) return FailLine();
        ForObjectsNamed(name, [&](WorldObject& o) { o.maxPoints = points; });
    } else if (KeywordMatches(subKeyword, "SAWCYCLES")) {
        i32 work[5] = {};
        for (i32& w : work) {
            if (!values.Int(&w)) return FailLine();
        }
        ForObjectsNamed(name, [&](WorldObject& o) {
            for (i32 k = 0; k < 5; ++k) SetSection(o, k, static_cast<float>(work[k]));
        });
    } else if (KeywordMatches(subKeyword, "BONUS")) {
        i32 kind = 0, probability = 0, amount = 0;
        if (!values.Int(&kind) || !values.Int(&probability) || !values.Int(&amount)) {
            return FailLine();
        }
        // Set once per object: the level file's line wins over ObjectProps.
        ForObjectsNamed(name, [&](WorldObject& o) {
            if (o.bonusSet) return;
            o.bonusKind = kind;
            o.bonusProbability = probability;
            o.bonusAmount = amount;
            o.bonusSet = 1;
        });
    } else if (KeywordMatches(subKeyword, "SOUND")) {
        char asset[kMaxNameLength + 1];
        i32 sequence = 0;
        i32 items[5] = {};
        if (!values.Name(asset, kMaxNameLength, true) || !values.Int(&sequence) || sequence < 1 ||
            sequence > 12) {
            return FailLine();
        }
        for (i32& item : items) {
            if (!values.Int(&item)) return FailLine();
        }
        ForObjectsNamed(name, [&](WorldObject& o) {
            o.cutSoundRef.Assign(asset);
            o.cutSoundSequence = static_cast<u8>(sequence - 1);
            for (i32 k = 0; k < 5; ++k) o.cutSoundItems[k] = static_cast<u8>(items[k] & 0xFF);
        });
    } else if (KeywordMatches(subKeyword, "MATSOUNDLOOP")) {
        char asset[kMaxNameLength + 1];
        i32 sequence = 0, item = 0;
        if (!values.Name(asset, kMaxNameLength, true) || !values.Int(&sequence) || sequence < 1 ||
            sequence > 12 || !values.Int(&item)) {
            return FailLine();
        }
        ForObjectsNamed(name, [&](WorldObject& o) {
            o.loopSoundRef.Assign(asset);
            o.loopSoundSequence = static_cast<u8>(sequence - 1);
            o.loopSoundItem = static_cast<u8>(item & 0xFF);
        });
    } else if (KeywordMatches(subKeyword, "LOCKWIDTH")) {
        float reach = 0.0f;
        if (!values.Float(&reach)) return FailLine();
        ForObjectsNamed(name, [&](WorldObject& o) { o.reach = reach; });
    } else {
        return FailLine();
    }
    return true;
}

}  // namespace

bool HandleAnimProp(const char* keyword) {
    LineValues values(keyword);
    const char* sub = values.Word();
    if (sub == nullptr) return FailLine();
    // Tried in this order; the first that matches the start of the word wins.
    if (KeywordMatches(sub, "SPEED")) return AnimSpeed(values);
    if (KeywordMatches(sub, "REPETITIONS")) return AnimRepetitions(values);
    if (KeywordMatches(sub, "SOUND")) return AnimSound(values);
    if (KeywordMatches(sub, "ANIMATION")) return AnimAnimation(values);
    return FailLine();
}

bool HandleCharProp(const char* keyword) {
    LineValues values(keyword);
    const char* sub = values.Word();
    if (sub == nullptr) return FailLine();
    char name[kMaxNameLength + 1];
    if (!values.Name(name, kMaxNameLength, true)) return FailLine();
    return CharValues(values, sub, CharPropType(name));
}

bool HandleObjProp(const char* keyword) {
    LineValues values(keyword);
    const char* sub = values.Word();
    if (sub == nullptr) return FailLine();
    char name[kMaxNameLength + 1];
    if (!values.Name(name, kMaxNameLength, true)) return FailLine();
    return ObjValues(values, sub, name);
}
