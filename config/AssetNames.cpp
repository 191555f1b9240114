// The fixed asset references and their default names (see AssetNames.h).
#include "config/AssetNames.h"

#include <array>

namespace AssetNames {
namespace {

constexpr int kFixed = 6;
constexpr int kRecords = 140;
constexpr int kGuiShared = 5;
constexpr int kOwnPictures = kRecords - kGuiShared;       // 135
constexpr int kTotal = kFixed + kRecords + kOwnPictures;  // 281

// Records whose pictures come from the shared "GUI" reference.
bool SharesGui(int id) {
    return id == 129 || id == 130 || id == 131 || id == 133 || id == 134;
}

// The default picture name of animation record id (1..140).
const char* DefaultPictureName(int id) {
    if (id >= 28 && id <= 54) id -= 27;  // the second player set repeats the first
    if (id >= 1 && id <= 4) return "Player_Walk";
    if (id >= 5 && id <= 8) return "Player_Idle";
    if (id >= 9 && id <= 14) return (id % 2) ? "Player_Saegen" : "Player_Saegen_Flip";
    if (id >= 15 && id <= 20) return "Player_Drohen";
    if (id >= 21 && id <= 26) return "Player_loading";
    if (id == 27) return "Player_KO";

    // The four non-player types share a layout of 16 records: step (4),
    // trigger (4), flee (4), idle (2), second idle (2).
    struct Type {
        int first;
        const char* walk;
        const char* trigger;
        const char* flee;
        const char* idle;
        const char* idle2;
    };
    static const Type types[] = {
        {55, "exfrau_walk", "exfrau_walk", "exfrau_flee", "EXFRAU_idle", "EXFRAU_idle2"},
        {74, "moebelp_walk", "moebelp_walk", "moebelp_flee", "moebelp_idle", "moebelp_idle2"},
        {93, "wachmann_walk", "wachmann_anger", "wachmann_flee", "wachmann_idle", "wachmann_idle"},
        {110, "anwalt_walk", "anwalt_walk", "anwalt_flee", "anwalt_idle", "anwalt_idle"},
    };
    for (const Type& t : types) {
        const int k = id - t.first;
        if (k < 0 || k >= 16) continue;
        if (k < 4) return t.walk;
        if (k < 8) return t.trigger;
        if (k < 12) return t.flee;
        if (k < 14) return t.idle;
        return t.idle2;
    }
    if (id == 71 || id == 72) return "EXFRAU_victory";
    if (id == 90) return "moebelp_prepare";
    if (id == 91) return "moebelp_work";
    if (id == 126 || id == 127) return "anwalt_anger";
    if (id == 73 || id == 92 || id == 109 || id == 128) return "wolke";
    if (id >= 135 && id <= 140) return "moebel_wolke";
    return "";  // 132, AII_GameWon
}

struct Table {
    std::array<AssetRef, kTotal> refs;
    std::array<AssetRef*, kRecords + 1> pictures{};  // by record id

    Table() {
        const char* fixedNames[kFixed] = {"Config",         "SOUND_Music", "font_gr_normal",
                                          "font_kl_normal", "Background1", "GUI"};
        for (int i = 0; i < kFixed; ++i) refs[i].Init(fixedNames[i]);
        for (int id = 1; id <= kRecords; ++id) refs[kFixed + id - 1].Init("");
        int next = kFixed + kRecords;
        for (int id = 1; id <= kRecords; ++id) {
            if (SharesGui(id)) {
                pictures[id] = &refs[5];
                continue;
            }
            refs[next].Init(DefaultPictureName(id));
            pictures[id] = &refs[next++];
        }
    }
};

Table& TheTable() {
    static Table table;
    return table;
}

// Builds the set before main, so it exists before the game starts whatever
// else runs first.
const bool built = (TheTable(), true);

}  // namespace

AssetRef& Config() {
    return TheTable().refs[0];
}
AssetRef& Music() {
    return TheTable().refs[1];
}
AssetRef& FontLarge() {
    return TheTable().refs[2];
}
AssetRef& FontSmall() {
    return TheTable().refs[3];
}
AssetRef& Background() {
    return TheTable().refs[4];
}
AssetRef& Gui() {
    return TheTable().refs[5];
}

AssetRef* AnimationPicture(int id) {
    if (id < 1 || id > kRecords) return nullptr;
    return TheTable().pictures[id];
}

AssetRef* AnimationSound(int id) {
    if (id < 1 || id > kRecords) return nullptr;
    return &TheTable().refs[kFixed + id - 1];
}

int Count() {
    return kTotal;
}

AssetRef* At(int i) {
    if (i < 0 || i >= kTotal) return nullptr;
    return &TheTable().refs[i];
}

}  // namespace AssetNames
