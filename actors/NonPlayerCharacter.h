// The wife, the removal men, the policemen and the lawyers: one class whose
// behaviour is tuned per type by CharProps and the level files.
#pragma once

#include "actors/Character.h"

// The CharProps value groups; each has a set-once flag per figure, so the
// first line that reaches a figure wins.
enum CharPropGroup : i32 {
    kGroupWalkRange, kGroupFleeRange, kGroupIdleRange, kGroupSearchStrength,
    kGroupThreatenProbability, kGroupSawProbability, kGroupThreatenRange, kGroupSawRange,
    kGroupWalkProb, kGroupWrapProb, kGroupWrapRange, kGroupCollisionRange,
    kGroupWalkSpeed1, kGroupWalkSpeed2, kGroupWalkSpeed3, kGroupActionProb, kGroupActionRange,
    kCharPropGroupCount  // 17
};

// Slot order of a figure's own sixteen animation records.
enum NpcSlot : i32 {
    kStepL1, kStepL2, kStepR1, kStepR2,
    kFleeL1, kFleeL2, kFleeR1, kFleeR2,
    kTriggerL1, kTriggerL2, kTriggerR1, kTriggerR2,
    kIdleL, kIdleR, kIdle2L, kIdle2R,
    kNpcSlotCount
};

class NonPlayerCharacter : public Character {
public:
    // Copies the type's sixteen records from the animation table (records read
    // later do not reach this figure).
    explicit NonPlayerCharacter(i32 type);

    bool Update(float dt, float scrollSpeed) override;
    void Draw(float viewLeft, float dt) override;
    void Reset() override;
    bool OnAnimationEvent(bool cycleEnded) override;
    bool MayPlaySound() override;

    void Decide(bool forced);
    i32 WalkOn();
    bool Threatened(bool forced);
    bool LeafletCheck();
    bool Engaged();

    // The property block's defaults of Reset (values, per-type values and the
    // set-once flags); Reset calls it before installing the idle animation.
    void ResetProperties();

    AnimationRecord slots[kNpcSlotCount];
    i32 idleCycles = 0;
    i32 walkCycles = 0;  // above 1000 selects the angry walk
    i32 nailTarget = -1;
    float walkSpeed = 0.001f;
    float fleeSpeed = 0.003f;
    float triggerSpeed = 0.002f;
    i32 threatenProbability = 100;
    i32 sawProbability = 0;  // 0 until CharProps sets it: figures ignore the saw
    float collisionRange = 0.05f;
    float collisionOffsetLeft = 0.0f;
    float collisionOffsetRight = 0.0f;
    float threatenRange = 0.5f;
    float wrapRange = 0.5f;
    float sawRange = 0.0f;  // 0 until CharProps sets it
    float actionRange = 0.2f;
    i32 walkProbability = 50;
    i32 wrapProbability = 0;
    i32 actionProbability = 0;
    i32 searchStrength = 50;
    i32 walkCyclesMin = 3, walkCyclesMax = 6;
    i32 fleeCyclesMin = 6, fleeCyclesMax = 10;
    i32 idleCyclesMin = 1, idleCyclesMax = 3;
    u8 flee = 0;
    u8 leafletPending = 0;
    u8 victory = 0;
    char debugText[1024] = {};
    u8 hidden = 0;
    u8 introduced = 0;
    u8 setOnce[kCharPropGroupCount] = {};
};

// The level's figures, in level order: at most 63.
inline constexpr i32 kMaxCharacters = 63;
extern NonPlayerCharacter* gCharacters[64];
extern i32 gCharacterCount;

// True when some removal man has chosen object `index` for nailing.
bool IsNailed(i32 index);
// A draw in [lo, hi]; a pair whose maximum is below its minimum gives the minimum.
i32 RandomInRange(i32 lo, i32 hi);
