// The fixed set of asset references the game starts with.
#include "config/AssetNames.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

std::string NameOf(const AssetRef* ref) {
    return ref ? std::string(ref->name) : "<null>";
}

TEST(AssetNames, TheSetIsBuiltBeforeTheGameStarts) {
    ASSERT_EQ(AssetNames::Count(), 281);
    std::set<const AssetRef*> distinct;
    for (int i = 0; i < AssetNames::Count(); ++i) {
        const AssetRef* ref = AssetNames::At(i);
        ASSERT_NE(ref, nullptr);
        distinct.insert(ref);
        EXPECT_EQ(ref->index, -1) << "reference " << i;
        EXPECT_EQ(ref->resolved, 0) << "reference " << i;
        EXPECT_EQ(ref->assigned, 0) << "reference " << i;
    }
    EXPECT_EQ(distinct.size(), 281u);
    EXPECT_EQ(AssetNames::At(-1), nullptr);
    EXPECT_EQ(AssetNames::At(281), nullptr);

    EXPECT_EQ(NameOf(&AssetNames::Config()), "Config");
    EXPECT_EQ(NameOf(&AssetNames::Music()), "SOUND_Music");
    EXPECT_EQ(NameOf(&AssetNames::FontLarge()), "font_gr_normal");
    EXPECT_EQ(NameOf(&AssetNames::FontSmall()), "font_kl_normal");
    EXPECT_EQ(NameOf(&AssetNames::Background()), "Background1");
    EXPECT_EQ(NameOf(&AssetNames::Gui()), "GUI");
}

TEST(AssetNames, AnimationRecordsHaveTheirDefaultPictures) {
    struct {
        int id;
        const char* name;
    } expected[] = {
        {1, "Player_Walk"},
        {4, "Player_Walk"},
        {5, "Player_Idle"},
        {8, "Player_Idle"},
        {9, "Player_Saegen"},
        {10, "Player_Saegen_Flip"},
        {13, "Player_Saegen"},
        {14, "Player_Saegen_Flip"},
        {15, "Player_Drohen"},
        {20, "Player_Drohen"},
        {21, "Player_loading"},
        {26, "Player_loading"},
        {27, "Player_KO"},
        {28, "Player_Walk"},
        {37, "Player_Saegen_Flip"},
        {54, "Player_KO"},
        {55, "exfrau_walk"},
        {62, "exfrau_walk"},
        {63, "exfrau_flee"},
        {67, "EXFRAU_idle"},
        {70, "EXFRAU_idle2"},
        {71, "EXFRAU_victory"},
        {72, "EXFRAU_victory"},
        {73, "wolke"},
        {74, "moebelp_walk"},
        {82, "moebelp_flee"},
        {86, "moebelp_idle"},
        {89, "moebelp_idle2"},
        {90, "moebelp_prepare"},
        {91, "moebelp_work"},
        {92, "wolke"},
        {93, "wachmann_walk"},
        {97, "wachmann_anger"},
        {100, "wachmann_anger"},
        {101, "wachmann_flee"},
        {105, "wachmann_idle"},
        {108, "wachmann_idle"},
        {109, "wolke"},
        {110, "anwalt_walk"},
        {117, "anwalt_walk"},
        {118, "anwalt_flee"},
        {124, "anwalt_idle"},
        {126, "anwalt_anger"},
        {127, "anwalt_anger"},
        {128, "wolke"},
        {129, "GUI"},
        {132, ""},
        {135, "moebel_wolke"},
        {140, "moebel_wolke"},
    };
    for (const auto& e : expected) {
        EXPECT_EQ(NameOf(AssetNames::AnimationPicture(e.id)), e.name) << "record " << e.id;
    }
    for (int id : {129, 130, 131, 133, 134}) {
        EXPECT_EQ(AssetNames::AnimationPicture(id), &AssetNames::Gui()) << "record " << id;
    }
    EXPECT_NE(AssetNames::AnimationPicture(132), &AssetNames::Gui()) << "AII_GameWon has its own";

    std::set<const AssetRef*> pictures, sounds;
    for (int id = 1; id <= 140; ++id) {
        pictures.insert(AssetNames::AnimationPicture(id));
        const AssetRef* sound = AssetNames::AnimationSound(id);
        ASSERT_NE(sound, nullptr);
        EXPECT_EQ(NameOf(sound), "") << "record " << id;
        sounds.insert(sound);
    }
    EXPECT_EQ(pictures.size(), 136u) << "135 of their own and the shared GUI";
    EXPECT_EQ(sounds.size(), 140u);
    for (int id : {0, 141, -1}) {
        EXPECT_EQ(AssetNames::AnimationPicture(id), nullptr) << "record " << id;
        EXPECT_EQ(AssetNames::AnimationSound(id), nullptr) << "record " << id;
    }
}

TEST(AssetNames, RenamingOneRecordLeavesItsTwinsAlone) {
    AssetRef* step = AssetNames::AnimationPicture(1);
    step->Assign("Player_Walk_Mod");
    EXPECT_EQ(NameOf(AssetNames::AnimationPicture(2)), "Player_Walk");
    EXPECT_EQ(NameOf(AssetNames::AnimationPicture(28)), "Player_Walk");
    EXPECT_EQ(step->assigned, 1);
    step->Init("Player_Walk");

    // The records that share "GUI" rename it for every button and screen.
    AssetNames::AnimationPicture(129)->Assign("GUI_Mod");
    EXPECT_EQ(NameOf(AssetNames::AnimationPicture(134)), "GUI_Mod");
    EXPECT_EQ(NameOf(&AssetNames::Gui()), "GUI_Mod");
    AssetNames::Gui().Init("GUI");

    AssetRef ref;
    ref.Init("a_name_that_is_much_longer_than_twenty_five");
    EXPECT_EQ(std::string(ref.name).size(), 25u) << "names are cut to 25 characters";
    ref.Assign(nullptr);
    EXPECT_EQ(NameOf(&ref), "");
}

}  // namespace
