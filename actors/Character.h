// What every figure on the playfield shares: position on the ring, the
// animation being played, and the six virtual operations the player and the
// non-player characters implement.
#pragma once

#include "actors/AnimationTable.h"

// Character types.
enum CharacterType : i32 { kPlayer = 1, kWife = 2, kRemovalMan = 3, kPoliceMan = 4, kLawyer = 5 };

class Character {
public:
    explicit Character(i32 type);

    // The six operations, in this order.
    virtual bool Update(float dt, float scrollSpeed) = 0;
    virtual void Draw(float viewLeft, float dt) = 0;
    virtual void Reset() = 0;
    virtual bool OnAnimationEvent(bool cycleEnded) = 0;
    virtual bool MayPlaySound() = 0;
    virtual i32 GetType() { return characterType; }
    virtual ~Character() = default;

    // Installs a copy of `record`; false (nothing changed) when its picture
    // sequence does not exist. framePosition is not touched.
    bool SetAnimation(const AnimationRecord& record, float speedOverride = -1.0f);
    void AdvanceAnimation(float dt);
    // position = p wrapped into [0, playfieldWidth).
    void SetPosition(float p);
    void StopAnimationSound();
    // Signed shortest distance from this figure to x across the ring.
    float DistanceToPlayer(float x) const;
    void HoldStepSpeed();
    // Draws the underlay (item 0 of sequence + 1) and the current frame at
    // (x, 504), the anchor line; the frame as a shadow when asked.
    void DrawFrames(i32 x, bool shadowFrame);
    // The common start of OnAnimationEvent: counts the cycle (one random draw
    // at each cycle end) and replays a repeating sound. True while the current
    // animation goes on (the caller then returns false).
    bool CountCycle(bool cycleEnded);

    float position = 0.0f;
    float framePosition = 0.0f;
    i32 frameCount = 0;
    float moveSpeed = 0.0f;
    float heldSpeed = 0.0f;
    u8 useHeldSpeed = 0;
    u8 walking = 0;
    u8 facingLeft = 0;
    u8 cycleCount = 0;
    i32 characterType;
    AnimationRecord anim{};
    // The random draw of the last cycle end (CountCycle); the player picks
    // his second idle with it.
    i32 cycleDraw = 0;
};
