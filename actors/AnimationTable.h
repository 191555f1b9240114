// The 140 animation records: which pictures and sounds each animation of the
// game uses, how fast it plays and which job a figure does while it plays.
// Filled with the built-in defaults at start-up; the AnimProps file and the
// level files change them (ANIMPROP lines).
#pragma once

#include "game/AssetLibrary.h"

// Animation identifiers 1..140, in the order the configuration files know them.
enum AnimId : i32 {
    AII_PlayerLeftStep1 = 1, AII_PlayerLeftStep2, AII_PlayerRightStep1, AII_PlayerRightStep2,
    AII_PlayerLeftIdle, AII_PlayerRightIdle, AII_PlayerLeftIdle2, AII_PlayerRightIdle2,
    AII_PlayerLeftSwingSaw, AII_PlayerRightSwingSaw, AII_PlayerLeftTurnSaw, AII_PlayerRightTurnSaw,
    AII_PlayerLeftSaw, AII_PlayerRightSaw, AII_PlayerLeftLift, AII_PlayerRightLift,
    AII_PlayerLeftLower, AII_PlayerRightLower, AII_PlayerLeftThreaten, AII_PlayerRightThreaten,
    AII_PlayerLeftKneeDown, AII_PlayerRightKneeDown, AII_PlayerLeftKneeUp, AII_PlayerRightKneeUp,
    AII_PlayerLeftFillUp, AII_PlayerRightFillUp, AII_PlayerKnockOut,
    AII_PlayerGE_LeftStep1, AII_PlayerGE_LeftStep2, AII_PlayerGE_RightStep1,
    AII_PlayerGE_RightStep2, AII_PlayerGE_LeftIdle, AII_PlayerGE_RightIdle,
    AII_PlayerGE_LeftIdle2, AII_PlayerGE_RightIdle2, AII_PlayerGE_LeftSwingSaw,
    AII_PlayerGE_RightSwingSaw, AII_PlayerGE_LeftTurnSaw, AII_PlayerGE_RightTurnSaw,
    AII_PlayerGE_LeftSaw, AII_PlayerGE_RightSaw, AII_PlayerGE_LeftLift, AII_PlayerGE_RightLift,
    AII_PlayerGE_LeftLower, AII_PlayerGE_RightLower, AII_PlayerGE_LeftThreaten,
    AII_PlayerGE_RightThreaten, AII_PlayerGE_LeftKneeDown, AII_PlayerGE_RightKneeDown,
    AII_PlayerGE_LeftKneeUp, AII_PlayerGE_RightKneeUp, AII_PlayerGE_LeftFillUp,
    AII_PlayerGE_RightFillUp, AII_PlayerGE_KnockOut,
    AII_WifeLeftStep1, AII_WifeLeftStep2, AII_WifeRightStep1, AII_WifeRightStep2,
    AII_WifeLeftTrigger1, AII_WifeLeftTrigger2, AII_WifeRightTrigger1, AII_WifeRightTrigger2,
    AII_WifeLeftFlee1, AII_WifeLeftFlee2, AII_WifeRightFlee1, AII_WifeRightFlee2,
    AII_WifeLeftIdle, AII_WifeRightIdle, AII_WifeLeftIdle2, AII_WifeRightIdle2,
    AII_WifeVictoryRaise, AII_WifeVictoryWave, AII_WifeFight,
    AII_RemovalManLeftStep1, AII_RemovalManLeftStep2, AII_RemovalManRightStep1,
    AII_RemovalManRightStep2, AII_RemovalManLeftTrigger1, AII_RemovalManLeftTrigger2,
    AII_RemovalManRightTrigger1, AII_RemovalManRightTrigger2, AII_RemovalManLeftFlee1,
    AII_RemovalManLeftFlee2, AII_RemovalManRightFlee1, AII_RemovalManRightFlee2,
    AII_RemovalManLeftIdle, AII_RemovalManRightIdle, AII_RemovalManLeftIdle2,
    AII_RemovalManRightIdle2, AII_RemovalManPrepareNail, AII_RemovalManNail,
    AII_RemovalManFight,
    AII_PoliceManLeftStep1, AII_PoliceManLeftStep2, AII_PoliceManRightStep1,
    AII_PoliceManRightStep2, AII_PoliceManLeftTrigger1, AII_PoliceManLeftTrigger2,
    AII_PoliceManRightTrigger1, AII_PoliceManRightTrigger2, AII_PoliceManLeftFlee1,
    AII_PoliceManLeftFlee2, AII_PoliceManRightFlee1, AII_PoliceManRightFlee2,
    AII_PoliceManLeftIdle, AII_PoliceManRightIdle, AII_PoliceManLeftIdle2,
    AII_PoliceManRightIdle2, AII_PoliceFight,
    AII_LawyerLeftStep1, AII_LawyerLeftStep2, AII_LawyerRightStep1, AII_LawyerRightStep2,
    AII_LawyerLeftTrigger1, AII_LawyerLeftTrigger2, AII_LawyerRightTrigger1,
    AII_LawyerRightTrigger2, AII_LawyerLeftFlee1, AII_LawyerLeftFlee2, AII_LawyerRightFlee1,
    AII_LawyerRightFlee2, AII_LawyerLeftIdle, AII_LawyerRightIdle, AII_LawyerLeftIdle2,
    AII_LawyerRightIdle2, AII_LawyerLeftLeaflet, AII_LawyerRightLeaflet, AII_LawyerFight,
    AII_GUIButton, AII_GUIButtonShort, AII_LevelWon, AII_GameWon, AII_CountDown, AII_NoGas,
    AII_FurnitureCloud, AII_Extra1, AII_Extra2, AII_Extra3, AII_Extra4, AII_Lifes,
};
inline constexpr i32 kAnimationCount = 140;

// One animation record: eleven 32-bit fields in this order.
struct AnimationRecord {
    i32 soundSequence;  // 0 no sound; else sequence abs(value)-1; negative: replay at every repetition
    i32 soundItem;      // item 0..1098; 1000 or more: the sound loops, item = value - 1000
    AssetRef* soundAsset;
    i32 frameStep;      // +1 forward, -1 backward
    i32 sequence;       // 0..11 of animationAsset
    AssetRef* animationAsset;
    float speed;        // frames per dt unit
    i32 playMode;       // 3: loops, cycle ends raise the event; 1: loops silently
    i32 job;
    i32 playFlags;      // 1: scaled by the figure's speed; bit 1: event at every step
    i32 repetitions;    // cycles before the event may change the animation (low byte only)
};

// Record `id` (1..140) of the global table.
AnimationRecord& Animation(i32 id);
// Restores every record to its built-in default (done once at start-up; tests
// call it to start from a clean table).
void ResetAnimationTable();
// Identifier of an AII_ name (case-insensitive, whole name), 0 when unknown.
i32 FindAnimationId(const char* name);
// The AII_ name of an identifier, or "" when out of range.
const char* AnimationName(i32 id);
