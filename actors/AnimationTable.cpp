// The 140 animation records with their built-in defaults, and the AII_ names
// the AnimProps file uses for them.
#include "actors/AnimationTable.h"

#include "config/AssetNames.h"

namespace {

AnimationRecord table[kAnimationCount + 1];  // [0] unused: identifiers start at 1

const char* const kNames[kAnimationCount + 1] = {
    "",
    "AII_PlayerLeftStep1",
    "AII_PlayerLeftStep2",
    "AII_PlayerRightStep1",
    "AII_PlayerRightStep2",
    "AII_PlayerLeftIdle",
    "AII_PlayerRightIdle",
    "AII_PlayerLeftIdle2",
    "AII_PlayerRightIdle2",
    "AII_PlayerLeftSwingSaw",
    "AII_PlayerRightSwingSaw",
    "AII_PlayerLeftTurnSaw",
    "AII_PlayerRightTurnSaw",
    "AII_PlayerLeftSaw",
    "AII_PlayerRightSaw",
    "AII_PlayerLeftLift",
    "AII_PlayerRightLift",
    "AII_PlayerLeftLower",
    "AII_PlayerRightLower",
    "AII_PlayerLeftThreaten",
    "AII_PlayerRightThreaten",
    "AII_PlayerLeftKneeDown",
    "AII_PlayerRightKneeDown",
    "AII_PlayerLeftKneeUp",
    "AII_PlayerRightKneeUp",
    "AII_PlayerLeftFillUp",
    "AII_PlayerRightFillUp",
    "AII_PlayerKnockOut",
    "AII_PlayerGE_LeftStep1",
    "AII_PlayerGE_LeftStep2",
    "AII_PlayerGE_RightStep1",
    "AII_PlayerGE_RightStep2",
    "AII_PlayerGE_LeftIdle",
    "AII_PlayerGE_RightIdle",
    "AII_PlayerGE_LeftIdle2",
    "AII_PlayerGE_RightIdle2",
    "AII_PlayerGE_LeftSwingSaw",
    "AII_PlayerGE_RightSwingSaw",
    "AII_PlayerGE_LeftTurnSaw",
    "AII_PlayerGE_RightTurnSaw",
    "AII_PlayerGE_LeftSaw",
    "AII_PlayerGE_RightSaw",
    "AII_PlayerGE_LeftLift",
    "AII_PlayerGE_RightLift",
    "AII_PlayerGE_LeftLower",
    "AII_PlayerGE_RightLower",
    "AII_PlayerGE_LeftThreaten",
    "AII_PlayerGE_RightThreaten",
    "AII_PlayerGE_LeftKneeDown",
    "AII_PlayerGE_RightKneeDown",
    "AII_PlayerGE_LeftKneeUp",
    "AII_PlayerGE_RightKneeUp",
    "AII_PlayerGE_LeftFillUp",
    "AII_PlayerGE_RightFillUp",
    "AII_PlayerGE_KnockOut",
    "AII_WifeLeftStep1",
    "AII_WifeLeftStep2",
    "AII_WifeRightStep1",
    "AII_WifeRightStep2",
    "AII_WifeLeftTrigger1",
    "AII_WifeLeftTrigger2",
    "AII_WifeRightTrigger1",
    "AII_WifeRightTrigger2",
    "AII_WifeLeftFlee1",
    "AII_WifeLeftFlee2",
    "AII_WifeRightFlee1",
    "AII_WifeRightFlee2",
    "AII_WifeLeftIdle",
    "AII_WifeRightIdle",
    "AII_WifeLeftIdle2",
    "AII_WifeRightIdle2",
    "AII_WifeVictoryRaise",
    "AII_WifeVictoryWave",
    "AII_WifeFight",
    "AII_RemovalManLeftStep1",
    "AII_RemovalManLeftStep2",
    "AII_RemovalManRightStep1",
    "AII_RemovalManRightStep2",
    "AII_RemovalManLeftTrigger1",
    "AII_RemovalManLeftTrigger2",
    "AII_RemovalManRightTrigger1",
    "AII_RemovalManRightTrigger2",
    "AII_RemovalManLeftFlee1",
    "AII_RemovalManLeftFlee2",
    "AII_RemovalManRightFlee1",
    "AII_RemovalManRightFlee2",
    "AII_RemovalManLeftIdle",
    "AII_RemovalManRightIdle",
    "AII_RemovalManLeftIdle2",
    "AII_RemovalManRightIdle2",
    "AII_RemovalManPrepareNail",
    "AII_RemovalManNail",
    "AII_RemovalManFight",
    "AII_PoliceManLeftStep1",
    "AII_PoliceManLeftStep2",
    "AII_PoliceManRightStep1",
    "AII_PoliceManRightStep2",
    "AII_PoliceManLeftTrigger1",
    "AII_PoliceManLeftTrigger2",
    "AII_PoliceManRightTrigger1",
    "AII_PoliceManRightTrigger2",
    "AII_PoliceManLeftFlee1",
    "AII_PoliceManLeftFlee2",
    "AII_PoliceManRightFlee1",
    "AII_PoliceManRightFlee2",
    "AII_PoliceManLeftIdle",
    "AII_PoliceManRightIdle",
    "AII_PoliceManLeftIdle2",
    "AII_PoliceManRightIdle2",
    "AII_PoliceFight",
    "AII_LawyerLeftStep1",
    "AII_LawyerLeftStep2",
    "AII_LawyerRightStep1",
    "AII_LawyerRightStep2",
    "AII_LawyerLeftTrigger1",
    "AII_LawyerLeftTrigger2",
    "AII_LawyerRightTrigger1",
    "AII_LawyerRightTrigger2",
    "AII_LawyerLeftFlee1",
    "AII_LawyerLeftFlee2",
    "AII_LawyerRightFlee1",
    "AII_LawyerRightFlee2",
    "AII_LawyerLeftIdle",
    "AII_LawyerRightIdle",
    "AII_LawyerLeftIdle2",
    "AII_LawyerRightIdle2",
    "AII_LawyerLeftLeaflet",
    "AII_LawyerRightLeaflet",
    "AII_LawyerFight",
    "AII_GUIButton",
    "AII_GUIButtonShort",
    "AII_LevelWon",
    "AII_GameWon",
    "AII_CountDown",
    "AII_NoGas",
    "AII_FurnitureCloud",
    "AII_Extra1",
    "AII_Extra2",
    "AII_Extra3",
    "AII_Extra4",
    "AII_Lifes",
};

// The defaults of one record that differ from record to record.
struct Defaults {
    const char* picture;  // default picture name; null: shares the "GUI" reference
    i32 sequence;
    i32 frameStep;
    float speed;
    i32 job;
    i32 playFlags;
    i32 repetitions;
    i32 playMode;
};

// The player's records 1..27; records 28..54 (the set shown while the saw has
// no gas) repeat them field for field.
constexpr Defaults kPlayer[27] = {
    {"Player_Walk", 0, 1, 0.3f, 4, 2, 1, 3},      {"Player_Walk", 2, 1, 0.3f, 5, 2, 1, 3},
    {"Player_Walk", 4, 1, 0.3f, 6, 2, 1, 3},      {"Player_Walk", 6, 1, 0.3f, 7, 2, 1, 3},
    {"Player_Idle", 0, 1, 0.3f, 2, 2, 1, 3},      {"Player_Idle", 2, 1, 0.3f, 3, 2, 1, 3},
    {"Player_Idle", 0, 1, 0.3f, 20, 2, 1, 3},     {"Player_Idle", 2, 1, 0.3f, 21, 2, 1, 3},
    {"Player_Saegen", 0, 1, 0.3f, 8, 2, 1, 3},    {"Player_Saegen_Flip", 0, 1, 0.3f, 9, 2, 1, 3},
    {"Player_Saegen", 2, 1, 0.2f, 10, 0, 1, 3},   {"Player_Saegen_Flip", 2, 1, 0.2f, 11, 0, 1, 3},
    {"Player_Saegen", 4, 1, 0.3f, 12, 2, 1, 3},   {"Player_Saegen_Flip", 4, 1, 0.3f, 13, 2, 1, 3},
    {"Player_Drohen", 0, 1, 0.3f, 14, 0, 1, 3},   {"Player_Drohen", 2, 1, 0.3f, 15, 0, 1, 3},
    {"Player_Drohen", 0, -1, 0.3f, 16, 0, 1, 3},  {"Player_Drohen", 2, -1, 0.3f, 17, 0, 1, 3},
    {"Player_Drohen", 4, 1, 0.3f, 18, 2, 1, 3},   {"Player_Drohen", 6, 1, 0.3f, 19, 2, 1, 3},
    {"Player_loading", 0, 1, 0.3f, 30, 0, 1, 3},  {"Player_loading", 2, 1, 0.3f, 33, 0, 1, 3},
    {"Player_loading", 0, -1, 0.3f, 32, 0, 1, 3}, {"Player_loading", 2, -1, 0.3f, 35, 0, 1, 3},
    {"Player_loading", 4, 1, 0.3f, 31, 2, 1, 3},  {"Player_loading", 6, 1, 0.3f, 34, 2, 1, 3},
    {"Player_KO", 0, 1, 0.6f, 37, 0, 1, 1},
};

// The pictures of the four non-player types, in the order of their blocks:
// wife, removal man, policeman, lawyer.
struct NpcPictures {
    i32 firstId;
    const char* walk;
    const char* trigger;
    const char* flee;
    const char* idle;
    const char* idle2;
    float idleSpeed;
};
constexpr NpcPictures kNpcs[4] = {
    {AII_WifeLeftStep1, "exfrau_walk", "exfrau_walk", "exfrau_flee", "EXFRAU_idle", "EXFRAU_idle2",
     0.3f},
    {AII_RemovalManLeftStep1, "moebelp_walk", "moebelp_walk", "moebelp_flee", "moebelp_idle",
     "moebelp_idle2", 0.4f},
    {AII_PoliceManLeftStep1, "wachmann_walk", "wachmann_anger", "wachmann_flee", "wachmann_idle",
     "wachmann_idle", 0.4f},
    {AII_LawyerLeftStep1, "anwalt_walk", "anwalt_walk", "anwalt_flee", "anwalt_idle", "anwalt_idle",
     0.4f},
};

void Set(i32 id, const Defaults& d) {
    AssetRef* picture = AssetNames::AnimationPicture(id);
    AssetRef* sound = AssetNames::AnimationSound(id);
    // Each record owns its references (the five interface records share the
    // "GUI" one); a clean table gives them back their built-in names.
    if (picture != nullptr) picture->Init(d.picture != nullptr ? d.picture : "GUI");
    if (sound != nullptr) sound->Init("");
    AnimationRecord& r = table[id];
    r.soundSequence = 0;
    r.soundItem = 0;
    r.soundAsset = sound;
    r.frameStep = d.frameStep;
    r.sequence = d.sequence;
    r.animationAsset = picture;
    r.speed = d.speed;
    r.playMode = d.playMode;
    r.job = d.job;
    r.playFlags = d.playFlags;
    r.repetitions = d.repetitions;
}

// The sixteen walking, charging, fleeing and idle records and the fight of
// one non-player type.
void SetNpcBlock(const NpcPictures& n, i32 fightId) {
    static constexpr i32 kSequences[4] = {0, 2, 4, 6};
    for (i32 i = 0; i < 4; ++i) {
        Set(n.firstId + i, {n.walk, kSequences[i], 1, 0.5f, 4 + i, 1, 1, 3});
        Set(n.firstId + 4 + i, {n.trigger, kSequences[i], 1, 0.5f, 26 + i, 1, 1, 3});
        Set(n.firstId + 8 + i, {n.flee, kSequences[i], 1, 0.55f, 22 + i, 1, 1, 3});
    }
    for (i32 i = 0; i < 2; ++i) {
        Set(n.firstId + 12 + i, {n.idle, kSequences[i], 1, n.idleSpeed, 2 + i, 2, 1, 3});
        Set(n.firstId + 14 + i, {n.idle2, kSequences[i], 1, 0.3f, 20 + i, 2, 1, 3});
    }
    Set(fightId, {"wolke", 0, 1, 0.6f, 36, 0, 2, 3});
}

// Fills the table before the game starts.
const bool tableBuilt = (ResetAnimationTable(), true);

}  // namespace

AnimationRecord& Animation(i32 id) {
    if (id < 1 || id > kAnimationCount) return table[0];
    return table[id];
}

void ResetAnimationTable() {
    table[0] = AnimationRecord{};
    for (i32 i = 0; i < 27; ++i) {
        Set(AII_PlayerLeftStep1 + i, kPlayer[i]);
        Set(AII_PlayerGE_LeftStep1 + i, kPlayer[i]);
    }

    SetNpcBlock(kNpcs[0], AII_WifeFight);
    Set(AII_WifeVictoryRaise, {"EXFRAU_victory", 0, 1, 0.6f, 42, 0, 1, 3});
    Set(AII_WifeVictoryWave, {"EXFRAU_victory", 2, 1, 0.6f, 43, 0, 1, 3});

    SetNpcBlock(kNpcs[1], AII_RemovalManFight);
    Set(AII_RemovalManPrepareNail, {"moebelp_prepare", 0, 1, 0.6f, 38, 2, 16, 3});
    Set(AII_RemovalManNail, {"moebelp_work", 0, 1, 0.6f, 39, 0, 3, 3});

    SetNpcBlock(kNpcs[2], AII_PoliceFight);

    SetNpcBlock(kNpcs[3], AII_LawyerFight);
    Set(AII_LawyerLeftLeaflet, {"anwalt_anger", 0, 1, 0.3f, 40, 0, 3, 3});
    Set(AII_LawyerRightLeaflet, {"anwalt_anger", 2, 1, 0.3f, 41, 0, 3, 3});

    // Interface records: buttons, level-won and countdown pictures from "GUI"
    // (one shared reference), the game-won record with an unnamed picture,
    // and the bonus and life cues with the furniture dust cloud.
    Set(AII_GUIButton, {nullptr, 0, 2, 1.0f, 0, 0, 1, 3});
    Set(AII_GUIButtonShort, {nullptr, 0, 3, 1.0f, 0, 0, 1, 3});
    Set(AII_LevelWon, {nullptr, 0, 3, 1.0f, 0, 0, 1, 3});
    Set(AII_GameWon, {"", 0, 3, 1.0f, 0, 0, 1, 3});
    Set(AII_CountDown, {nullptr, 0, 3, 1.0f, 0, 0, 1, 3});
    Set(AII_NoGas, {nullptr, 0, 3, 1.0f, 0, 0, 1, 3});
    static constexpr i32 kCueRepetitions[6] = {1, 4, 30, 5, 30, 30};
    for (i32 i = 0; i < 6; ++i) {
        Set(AII_FurnitureCloud + i, {"moebel_wolke", 0, 3, 0.2f, 0, 0, kCueRepetitions[i], 3});
    }
}

i32 FindAnimationId(const char* name) {
    if (name == nullptr) return 0;
    for (i32 id = 1; id <= kAnimationCount; ++id) {
        const char* a = kNames[id];
        const char* b = name;
        while (*a != '\0' && *b != '\0') {
            char ca = *a, cb = *b;
            if (ca >= 'A' && ca <= 'Z') ca = static_cast<char>(ca - 'A' + 'a');
            if (cb >= 'A' && cb <= 'Z') cb = static_cast<char>(cb - 'A' + 'a');
            if (ca != cb) break;
            ++a, ++b;
        }
        if (*a == '\0' && *b == '\0') return id;
    }
    return 0;
}

const char* AnimationName(i32 id) {
    if (id < 1 || id > kAnimationCount) return "";
    return kNames[id];
}
