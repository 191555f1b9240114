// The data side of the non-player characters: the level's list of figures,
// a figure's own copies of its type's animation records, and the property
// block that CharProps tunes, with its defaults. The behaviour is in
// NonPlayerCharacter.cpp.
#include "actors/NonPlayerCharacter.h"

NonPlayerCharacter* gCharacters[64] = {};
i32 gCharacterCount = 0;

namespace {

// First of the type's sixteen records: step L1, L2, R1, R2, trigger L1..R2,
// flee L1..R2, idle L, R, second idle L, R. Every type that is not a removal
// man, a policeman or a lawyer walks as the wife.
i32 FirstRecordOf(i32 type) {
    switch (type) {
        case kRemovalMan:
            return AII_RemovalManLeftStep1;
        case kPoliceMan:
            return AII_PoliceManLeftStep1;
        case kLawyer:
            return AII_LawyerLeftStep1;
        default:
            return AII_WifeLeftStep1;
    }
}

}  // namespace

NonPlayerCharacter::NonPlayerCharacter(i32 type) : Character(type) {
    // The table's order (step, trigger, flee) becomes the slot order (step,
    // flee, trigger). Lines read later do not reach these copies.
    const i32 first = FirstRecordOf(type);
    for (i32 i = 0; i < 4; ++i) {
        slots[kStepL1 + i] = Animation(first + i);
        slots[kTriggerL1 + i] = Animation(first + 4 + i);
        slots[kFleeL1 + i] = Animation(first + 8 + i);
    }
    slots[kIdleL] = Animation(first + 12);
    slots[kIdleR] = Animation(first + 13);
    slots[kIdle2L] = Animation(first + 14);
    slots[kIdle2R] = Animation(first + 15);
}

void NonPlayerCharacter::ResetProperties() {
    idleCycles = 0;
    walkCycles = 0;
    nailTarget = -1;
    walkSpeed = 0.001f;
    fleeSpeed = 0.003f;
    triggerSpeed = 0.002f;
    threatenProbability = 100;
    // No built-in value for the saw reaction: 0 keeps a figure from charging
    // at the saw until CharProps says otherwise.
    sawProbability = 0;
    collisionRange = 0.05f;
    collisionOffsetLeft = 0.0f;
    collisionOffsetRight = 0.0f;
    threatenRange = 0.5f;
    wrapRange = 0.5f;
    sawRange = 0.0f;
    actionRange = 0.2f;
    walkProbability = 50;
    wrapProbability = 0;
    actionProbability = (characterType == kLawyer) ? 50 : 0;
    searchStrength = 50;
    walkCyclesMin = 3;
    walkCyclesMax = 6;
    fleeCyclesMin = 6;
    fleeCyclesMax = 10;
    idleCyclesMin = 1;
    idleCyclesMax = 3;
    flee = 0;
    leafletPending = 0;
    victory = 0;
    hidden = (characterType == kWife) ? 1 : 0;  // the wife waits until the time is up
    introduced = 0;
    for (u8& flag : setOnce) flag = 0;
}
