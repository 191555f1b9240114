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
void AwardBonus(bool streakUnbroken, const WorldObject& piece);
void AddBonus(i32 type, float displayTime, i32 value);
