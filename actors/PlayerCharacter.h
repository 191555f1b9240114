// The player: walks the ring, saws furniture, threatens figures with the
// running saw, refills at canisters, and is knocked out when a figure reaches
// him. There is exactly one, alive for the whole run.
#pragma once

#include "actors/Character.h"

class PlayerCharacter : public Character {
public:
    PlayerCharacter();

    bool Update(float dt, float scrollSpeed) override;
    void Draw(float viewLeft, float dt) override;
    void Reset() override;
    bool OnAnimationEvent(bool cycleEnded) override;
    bool MayPlaySound() override { return true; }

    bool IsSawing() const { return anim.job == 12 || anim.job == 13; }
    void ConsumeGas(float dt);
    // Saw reach: -0.062 when facing left, +0.062 otherwise.
    float SawReach() const { return facingLeft ? -0.062f : 0.062f; }
    // The looping material sound of the piece being sawn.
    void SetSawSound(AssetRef* ref, i32 sequence, i32 item);

    float messageTimer = 0.0f;
    i32 messageValue = 0;
    float gas = 1.0f;
    float lastScrollSpeed = 0.0f;
    u8 walkIntent = 0;
    u8 sawIntent = 0;
    u8 threatenIntent = 0;
    u8 fillIntent = 0;
    u8 busy = 0;
    i32 hitByType = 0;
    u8 hit = 0;
    u8 idle2Pick = 0;

    // The saw sound: none at start.
    AssetRef* sawSoundRef = nullptr;
    i32 sawSoundSequence = 0;
    i32 sawSoundItem = 0;
};

extern PlayerCharacter gPlayer;
