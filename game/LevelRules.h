// The rules of a running level: start, input, scrolling, clock, score, bonuses
// and the level end.
#pragma once

#include "platform/PlatformServices.h"

struct WorldObject;

void StartLevel(i32 n);
void ClearLevel();
void LevelStep(float dt);
void PlayerInputStep(float& scrollInput, float dt);
float UpdateScroll(float dt, float scrollInput);
bool UpdateLevelClock();
void ChangeTimeLeft(i32 seconds);
void AddScore(i32 points);
// Seconds left times the bonus per second, as far as an integer goes.
i32 LevelTimeBonus();

// Sums of values from modded files stop at +-2147483647 instead of wrapping
// round (symmetric, so that every result can be negated).
inline i32 SaturateToI32(long long v) {
    constexpr long long kLimit = 2147483647;
    return static_cast<i32>(v > kLimit ? kLimit : (v < -kLimit ? -kLimit : v));
}
void AwardBonus(bool streakUnbroken, const WorldObject& piece);
void AddBonus(i32 type, float displayTime, i32 value);
