// Animation playback shared by every figure: installing, advancing and ending
// animations, handing their sounds over, drawing at the anchor line and
// measuring distances on the ring-shaped street.
#include "actors/Character.h"

#include <cmath>
#include <cstdlib>

#include "actors/FarPosition.h"
#include "blit/Blitter.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "platform/Random.h"

namespace {

// The anchor line: every figure stands on it; pictures carry their hotspot.
constexpr i32 kAnchorY = 504;

// The street's length; a level never has less than one screen.
i32 RingWidth() {
    return gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth;
}

// A sound an animation record names: the sequence (0..11) and the item with
// the loop mark (1000) taken off. Records without a sound give sequence -1.
struct RecordSound {
    AssetRef* ref;
    i32 sequence;
    i32 item;
    bool looping;
};

RecordSound SoundOf(const AnimationRecord& record) {
    RecordSound s{record.soundAsset, std::abs(record.soundSequence) - 1, record.soundItem,
                  record.soundItem >= 1000};
    if (s.item >= 1000) s.item -= 1000;
    return s;
}

// The library item a record's sound names, or null when there is none.
const void* SoundItemOf(const RecordSound& s) {
    if (gLibrary == nullptr || s.ref == nullptr || s.sequence < 0 || s.item < 0) return nullptr;
    return gLibrary->GetItem(s.ref, s.sequence, s.item);
}

}  // namespace

Character::Character(i32 type) : characterType(type) {}

bool Character::SetAnimation(const AnimationRecord& record, float speedOverride) {
    if (gLibrary == nullptr || record.animationAsset == nullptr ||
        !gLibrary->HasSequence(record.animationAsset, record.sequence)) {
        return false;
    }
    const RecordSound oldSound = SoundOf(anim);
    const i32 oldJob = anim.job;

    anim = record;
    if (speedOverride != -1.0f) anim.speed = speedOverride;
    frameCount = gLibrary->GetItemCount(anim.animationAsset, anim.sequence);

    const RecordSound newSound = SoundOf(anim);
    const void* oldItem = SoundItemOf(oldSound);
    const void* newItem = SoundItemOf(newSound);

    // A looping sound ends with its animation; a one-shot sound is left to finish.
    if (oldItem != nullptr && oldItem != newItem && oldSound.looping) {
        StopLoopedSound(oldSound.ref, oldSound.sequence, oldSound.item, true);
    }
    if (newItem != nullptr && (newItem != oldItem || anim.soundSequence < 0) && MayPlaySound()) {
        PlaySound(newSound.ref, newSound.sequence, newSound.item, newSound.looping, false);
    }
    if (anim.job != oldJob) cycleCount = 0;
    return true;
}

void Character::AdvanceAnimation(float dt) {
    float factor = 1.0f;
    if (anim.playFlags == 1) factor = std::fabs(useHeldSpeed ? heldSpeed : moveSpeed);
    float step = static_cast<float>(anim.frameStep) * anim.speed;
    if (characterType == kPlayer) step *= gLevel.playerSpeedFactor;
    framePosition += step * factor * dt;
    if (!std::isfinite(framePosition)) framePosition = 0.0f;

    bool cycleEnded = false;
    const i32 last = frameCount - 1;
    if (last <= 0) {
        // A sequence of one listed item (or none) is a cycle of no length: any
        // movement completes it, and the frame stays the first.
        if (framePosition != 0.0f) {
            framePosition = 0.0f;
            useHeldSpeed = 0;
            heldSpeed = 0.0f;
            cycleEnded = anim.playMode == 3;
        }
    } else {
        const float lastF = static_cast<float>(last);
        const float wrap = static_cast<float>(static_cast<long long>(last) * anim.frameStep);
        while (framePosition > lastF || framePosition < 0.0f) {
            // A modded speed or frame step can throw the position so far that
            // one cycle more or less no longer changes the float.
            if (std::fabs(framePosition) >= kFarPosition) {
                framePosition = std::fmod(framePosition, lastF);
            }
            // One cycle is `last` frame units long. A wrap that would lead
            // further away (a step against the animation's direction) goes
            // back by one cycle instead, so the loop always ends.
            if (framePosition > lastF) {
                framePosition -= wrap > 0.0f ? wrap : lastF;
            } else {
                framePosition -= wrap < 0.0f ? wrap : -lastF;
            }
            useHeldSpeed = 0;
            heldSpeed = 0.0f;
            if (anim.playMode == 3) cycleEnded = true;
        }
    }

    if (cycleEnded || (anim.playFlags & 2) != 0) {
        if (OnAnimationEvent(cycleEnded)) {
            framePosition -= std::trunc(framePosition);
            if (anim.frameStep < 0)
                framePosition = static_cast<float>(frameCount - 1) - framePosition;
        }
    }

    // The event may have installed another animation: clamp to its frames.
    const float newLast = static_cast<float>(frameCount - 1);
    if (framePosition > newLast) framePosition = newLast;
    if (framePosition < 0.0f) framePosition = 0.0f;
}

void Character::SetPosition(float p) {
    const float w = static_cast<float>(RingWidth());
    if (!std::isfinite(p)) p = 0.0f;
    // Far outside the ring (a level line such as "#CHARACTER 1e30 ..."), adding
    // or subtracting the width no longer changes a float and the wrap below
    // would never end: bring such values near the ring first. Positions the
    // game produces itself never come near this bound.
    position = NearRing(p, w);
    while (position < 0.0f) position += w;
    while (position >= w) position -= w;
}

void Character::StopAnimationSound() {
    const RecordSound s = SoundOf(anim);
    if (s.ref == nullptr || s.sequence < 0 || s.item < 0) return;
    StopLoopedSound(s.ref, s.sequence, s.item, true);
}

float Character::DistanceToPlayer(float x) const {
    const i32 width = RingWidth();
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(width / 2);
    const float d = x - position;
    if (d > h) return d - w;
    if (d < -h) return d + w;
    return d;
}

void Character::HoldStepSpeed() {
    useHeldSpeed = 1;
    if (heldSpeed == 0.0f) {
        heldSpeed = moveSpeed;
        if (heldSpeed < 0.5f) heldSpeed = 0.5f;
    }
}

void Character::DrawFrames(i32 x, bool shadowFrame) {
    if (gLibrary == nullptr || anim.animationAsset == nullptr) return;
    if (const PictureItem* underlay =
            gLibrary->GetPicture(anim.animationAsset, anim.sequence + 1, 0)) {
        BlitFrame(x, kAnchorY, underlay, false);
    }
    const i32 frame = static_cast<i32>(framePosition);
    if (const PictureItem* picture =
            gLibrary->GetPicture(anim.animationAsset, anim.sequence, frame)) {
        BlitFrame(x, kAnchorY, picture, shadowFrame);
    }
}

bool Character::CountCycle(bool cycleEnded) {
    if (!cycleEnded) return false;
    cycleDraw = Random::Next();
    cycleCount = static_cast<u8>(cycleCount + 1);
    if (cycleCount >= static_cast<u8>(anim.repetitions)) return false;

    // A repeating sound (negative sequence) sounds again with every cycle.
    // Kept as the game always did it: the item must exist under its stored
    // number, so a looping sound (1000 and up) is not restarted here.
    const RecordSound s = SoundOf(anim);
    if (s.ref != nullptr && anim.soundSequence < 0 && gLibrary != nullptr && anim.soundItem >= 0 &&
        gLibrary->GetItem(s.ref, s.sequence, anim.soundItem) != nullptr && MayPlaySound()) {
        PlaySound(s.ref, s.sequence, s.item, s.looping, false);
    }
    return true;
}
