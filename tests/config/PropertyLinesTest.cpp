// The property lines (ANIMPROP, CHARPROP, OBJPROP): their checks, what they
// store, and which line wins across the four files of a level load.
#include <string>

#include "ConfigFixture.h"
#include "config/AssetNames.h"

using namespace configtest;

namespace {

ConfigFiles LevelFiles(const std::string& level, const std::string& animProps = "",
                       const std::string& objectProps = "", const std::string& charProps = "") {
    return {{"Level01.txt", level},
            {"AnimProps.txt", animProps},
            {"ObjectProps.txt", objectProps},
            {"CharProps.txt", charProps}};
}

constexpr ConfigSource kLevel1 = {"Config\\Level01.txt", 0, 1};

// Parses one level-file text alone and tells whether it was accepted.
struct LineCase {
    const char* text;
    bool ok;
};

}  // namespace

using PropertySource = SourceTest;
INSTANTIATE_TEST_SUITE_P(BothSources, PropertySource, ::testing::Bool(), SourceName);

// ---- ANIMPROP -------------------------------------------------------------------

TEST_P(PropertySource, AnimPropChangesTheRecord) {
    Install(LevelFiles("",
                       "#ANIMPROP SPEED AII_PlayerLeftStep1 0.75\n"
                       "#animprop repetitions aii_removalmanpreparenail 300\n"
                       "#ANIMPROP ANIMATION AII_PlayerLeftStep2 Walk2 1 -1\n"
                       "#ANIMPROP ANIMATION \"AII_WifeFight\" \"Staub wolke\" 12 1\n"
                       "#ANIMPROP SOUND AII_Lifes SOUND_Leben -12 1098\n"
                       "#ANIMPROP SOUND AII_Lifes other 1 0\n"
                       "#ANIMPROP SOUND AII_Extra1 SOUND_Extra 3 1005\n"));
    ASSERT_TRUE(LoadAnimProps());
    EXPECT_FLOAT_EQ(Animation(AII_PlayerLeftStep1).speed, 0.75f);
    EXPECT_EQ(Animation(AII_RemovalManPrepareNail).repetitions, 44) << "300 modulo 256";

    const AnimationRecord& step2 = Animation(AII_PlayerLeftStep2);
    EXPECT_EQ(step2.sequence, 0) << "the file counts sequences from 1";
    EXPECT_EQ(step2.frameStep, -1);
    EXPECT_STREQ(step2.animationAsset->name, "Walk2");
    EXPECT_EQ(step2.animationAsset->assigned, 1);
    EXPECT_EQ(step2.animationAsset->index, -1);
    EXPECT_STREQ(Animation(AII_PlayerLeftStep1).animationAsset->name, "Player_Walk")
        << "each record has its own picture reference";
    EXPECT_STREQ(Animation(AII_PlayerGE_LeftStep2).animationAsset->name, "Player_Walk");

    EXPECT_STREQ(Animation(AII_WifeFight).animationAsset->name, "Staub wolke");
    EXPECT_EQ(Animation(AII_WifeFight).sequence, 11);
    EXPECT_STREQ(Animation(AII_RemovalManFight).animationAsset->name, "wolke");

    const AnimationRecord& lifes = Animation(AII_Lifes);
    EXPECT_STREQ(lifes.soundAsset->name, "SOUND_Leben") << "the first SOUND line wins";
    EXPECT_EQ(lifes.soundSequence, -12) << "the sign is kept";
    EXPECT_EQ(lifes.soundItem, 1098);
    EXPECT_EQ(Animation(AII_Extra1).soundItem, 1005);
    EXPECT_EQ(Animation(AII_Extra1).soundSequence, 3);

    // Read again (as every level load does): SOUND stays, the rest is set anew.
    Install(LevelFiles("", "#ANIMPROP SOUND AII_Lifes again 2 2\n#ANIMPROP SPEED AII_Lifes 0.5\n"));
    ASSERT_TRUE(LoadAnimProps());
    EXPECT_STREQ(Animation(AII_Lifes).soundAsset->name, "SOUND_Leben");
    EXPECT_EQ(Animation(AII_Lifes).soundSequence, -12);
    EXPECT_FLOAT_EQ(Animation(AII_Lifes).speed, 0.5f);
}

TEST_P(PropertySource, AnimPropOnAGuiRecordRenamesTheSharedPictures) {
    Install(LevelFiles("", "#ANIMPROP ANIMATION AII_GUIButton GUI_neu 2 1\n"));
    ASSERT_TRUE(LoadAnimProps());
    EXPECT_STREQ(AssetNames::Gui().name, "GUI_neu");
    EXPECT_STREQ(Animation(AII_NoGas).animationAsset->name, "GUI_neu");
    EXPECT_EQ(Animation(AII_NoGas).sequence, 0) << "only the named record's fields change";
    EXPECT_EQ(Animation(AII_GUIButton).sequence, 1);
    EXPECT_STREQ(Animation(AII_GameWon).animationAsset->name, "");
}

TEST_P(PropertySource, AnimPropChecks) {
    const std::string id37 = "AII_PlayerGE_RightThreatenXXXXXXXXXX1";  // 37 characters
    const std::string id36 = id37.substr(0, 36);
    const LineCase cases[] = {
        {"#ANIMPROP ANIMATION AII_NoGas GUI 1 0\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas GUI 1 2\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas GUI 13 1\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas GUI 0 1\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas GUI 1\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas abcdefghijklmnopqrstuvwxyz 1 1\n", false},
        {"#ANIMPROP ANIMATION AII_NoGas abcdefghijklmnopqrstuvwxy 1 1\n", true},
        {"#ANIMPROP SOUND AII_NoGas snd 0 1\n", false},
        {"#ANIMPROP SOUND AII_NoGas snd 13 1\n", false},
        {"#ANIMPROP SOUND AII_NoGas snd -13 1\n", false},
        {"#ANIMPROP SOUND AII_NoGas snd 12 1099\n", false},
        {"#ANIMPROP SOUND AII_NoGas snd 12 -1\n", false},
        {"#ANIMPROP SOUND AII_NoGas snd -2147483648 1\n", false},
        {"#ANIMPROP SPEED AII_Unknown 1\n", false},
        {"#ANIMPROP SPEED AII_NoGas\n", false},
        {"#ANIMPROP SPEED\n", false},
        {"#ANIMPROP\n", false},
        {"#ANIMPROP FASTER AII_NoGas 1\n", false},
        {"#ANIMPROP REPETITIONS AII_NoGas -1\n", true},
    };
    for (const LineCase& c : cases) {
        Install(LevelFiles(c.text));
        ResetAnimationTable();
        configErrorLine = -1;
        EXPECT_EQ(ParseSettingsFile(kLevel1), c.ok) << c.text;
        EXPECT_EQ(configErrorLine, c.ok ? -1 : 1) << c.text;
    }
    EXPECT_EQ(Animation(AII_NoGas).repetitions, 255);

    // A 37-character identifier fails before it is looked up; 36 pass the
    // length check and fail only because no record has that name.
    for (const std::string& id : {id37, id36}) {
        Install(LevelFiles("#ANIMPROP SPEED " + id + " 1\n"));
        EXPECT_FALSE(ParseSettingsFile(kLevel1)) << id;
    }
    ResetAnimationTable();
    Install(LevelFiles("#ANIMPROP SOUND AII_NoGas snd 12 1099\n"));
    EXPECT_FALSE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(Animation(AII_NoGas).soundAsset->assigned, 0)
        << "a rejected SOUND line does not use up the record's one SOUND";
}

TEST_P(PropertySource, AnimPropReachesFiguresOnlyBeforeTheyAreCreated) {
    Install(
        LevelFiles("#ANIMPROP SPEED AII_LawyerLeftStep1 0.8\n"
                   "#CHARACTER 1 LAWYER 0\n"
                   "#ANIMPROP SPEED AII_LawyerLeftStep2 0.9\n"
                   "#ANIMPROP SPEED AII_LawyerFight 0.7\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_FLOAT_EQ(Figure(0).slots[kStepL1].speed, 0.8f);
    EXPECT_FLOAT_EQ(Figure(0).slots[kStepL2].speed, 0.5f) << "copied before that line";
    EXPECT_FLOAT_EQ(Animation(AII_LawyerLeftStep2).speed, 0.9f);
    EXPECT_FLOAT_EQ(Animation(AII_LawyerFight).speed, 0.7f);
}

// ---- CHARPROP -------------------------------------------------------------------

TEST_P(PropertySource, CharPropStoresEveryGroup) {
    Install(LevelFiles("#CHARACTER 1 POLICEMAN 0\n#CHARACTER 2 LAWYER 0\n", "", "",
                       "#CHARPROP WALKPROB POLICEMAN 11\n"
                       "#CHARPROP WRAPPROB POLICEMAN 12\n"
                       "#CHARPROP WRAPRANGE POLICEMAN 0.13\n"
                       "#CHARPROP WALKRANGE POLICEMAN 14 15\n"
                       "#CHARPROP FLEERANGE POLICEMAN 16 17\n"
                       "#CHARPROP IDLERANGE POLICEMAN 9 2\n"
                       "#CHARPROP SEARCHSTRENGTH POLICEMAN -100\n"
                       "#CHARPROP THREATENSENSITIVITY POLICEMAN 20 0.21\n"
                       "#CHARPROP SAWSENSITIVITY POLICEMAN 22 0.23\n"
                       "#CHARPROP COLLISIONRANGE POLICEMAN 0.24 -0.25 0.26\n"
                       "#CHARPROP WALKSPEED POLICEMAN 1 0.027\n"
                       "#CHARPROP WALKSPEED POLICEMAN 2 0.028\n"
                       "#CHARPROP WALKSPEED POLICEMAN 3 0.029\n"
                       "#CHARPROP ACTIONPROB POLICEMAN 30\n"
                       "#CHARPROP ACTIONRANGE POLICEMAN 0.31\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    const NonPlayerCharacter& p = Figure(0);
    EXPECT_EQ(p.walkProbability, 11);
    EXPECT_EQ(p.wrapProbability, 12);
    EXPECT_FLOAT_EQ(p.wrapRange, 0.13f);
    EXPECT_EQ(p.walkCyclesMin, 14);
    EXPECT_EQ(p.walkCyclesMax, 15);
    EXPECT_EQ(p.fleeCyclesMin, 16);
    EXPECT_EQ(p.fleeCyclesMax, 17);
    EXPECT_EQ(p.idleCyclesMin, 9) << "a maximum below the minimum is stored as read";
    EXPECT_EQ(p.idleCyclesMax, 2);
    EXPECT_EQ(p.searchStrength, -100);
    EXPECT_EQ(p.threatenProbability, 20);
    EXPECT_FLOAT_EQ(p.threatenRange, 0.21f);
    EXPECT_EQ(p.sawProbability, 22);
    EXPECT_FLOAT_EQ(p.sawRange, 0.23f);
    EXPECT_FLOAT_EQ(p.collisionRange, 0.24f);
    EXPECT_FLOAT_EQ(p.collisionOffsetLeft, -0.25f);
    EXPECT_FLOAT_EQ(p.collisionOffsetRight, 0.26f);
    EXPECT_FLOAT_EQ(p.walkSpeed, 0.027f);
    EXPECT_FLOAT_EQ(p.fleeSpeed, 0.028f);
    EXPECT_FLOAT_EQ(p.triggerSpeed, 0.029f);
    EXPECT_EQ(p.actionProbability, 30);
    EXPECT_FLOAT_EQ(p.actionRange, 0.31f);
    for (i32 g = 0; g < kCharPropGroupCount; ++g) EXPECT_EQ(p.setOnce[g], 1) << "group " << g;

    const NonPlayerCharacter& lawyer = Figure(1);
    EXPECT_EQ(lawyer.walkProbability, 50) << "other types are not touched";
    EXPECT_EQ(lawyer.actionProbability, 50);
    EXPECT_FLOAT_EQ(lawyer.walkSpeed, 0.001f);
    for (i32 g = 0; g < kCharPropGroupCount; ++g) EXPECT_EQ(lawyer.setOnce[g], 0) << "group " << g;
}

TEST_P(PropertySource, CharPropFirstLineWinsPerFigure) {
    Install(
        LevelFiles("#CHARPROP WALKPROB REMOVALMAN 11\n"
                   "#CHARACTER 1 REMOVALMAN 1\n"
                   "#CHARPROP WALKPROB removalman 22\n"
                   "#CHARACTER 2 REMOVALMAN 1\n"
                   "#CHARACTER 2 LAWYER 1\n",
                   "", "",
                   "#CHARPROP WALKPROB REMOVALMAN 33\n"
                   "#CHARPROP WALKPROB wIfE 44\n"
                   "#CHARPROP SEARCHSTRENGTH Wiff 45\n"
                   "#CHARPROP THREATENSENSITIVITY LAWYER 46 0.47\n"
                   "#CHARPROP THREATENSENSITIVITY LAWYER 1 1\n"
                   "#CHARPROP WALKSPEED LAWYER 1 0.01\n"
                   "#CHARPROP WALKSPEED LAWYER 2 0.02\n"
                   "#CHARPROP WALKSPEED LAWYER 1 0.05\n"
                   "#CHARPROP WALKPROB NOBODY 1\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    ASSERT_EQ(gCharacterCount, 4);
    EXPECT_EQ(Figure(0).walkProbability, 22) << "the level's line after the figure wins";
    EXPECT_EQ(Figure(1).walkProbability, 33) << "created after the level's line: CharProps";
    EXPECT_EQ(Figure(3).characterType, kWife);
    EXPECT_EQ(Figure(3).walkProbability, 44) << "the added wife takes CharProps";
    EXPECT_EQ(Figure(3).searchStrength, 45) << "any other name means the wife";
    EXPECT_EQ(Figure(2).threatenProbability, 46);
    EXPECT_FLOAT_EQ(Figure(2).threatenRange, 0.47f);
    EXPECT_FLOAT_EQ(Figure(2).walkSpeed, 0.01f);
    EXPECT_FLOAT_EQ(Figure(2).fleeSpeed, 0.02f) << "each walk speed has a flag of its own";
    EXPECT_EQ(Figure(2).walkProbability, 50);
}

TEST_P(PropertySource, CharPropChecks) {
    const LineCase cases[] = {
        {"#CHARPROP WALKSPEED WIFE 0 0.1\n", false},
        {"#CHARPROP WALKSPEED WIFE 4 0.1\n", false},
        {"#CHARPROP WALKSPEED WIFE 3 0.1\n", true},
        {"#CHARPROP WALKSPEED WIFE 3\n", false},
        {"#CHARPROP COLLISIONRANGE WIFE -0.01 0 0\n", false},
        {"#CHARPROP COLLISIONRANGE WIFE 0 -1 -1\n", true},
        {"#CHARPROP COLLISIONRANGE WIFE 0.1 0\n", false},
        {"#CHARPROP WALKRANGE WIFE 1\n", false},
        {"#CHARPROP THREATENSENSITIVITY WIFE 1\n", false},
        {"#CHARPROP WALKPROB abcdefghijklmnopqrstuvwxyz 1\n", false},
        {"#CHARPROP WALKPROB abcdefghijklmnopqrstuvwxy 1\n", true},
        {"#CHARPROP RUNFAST WIFE 1\n", false},
        {"#CHARPROP WALKPROB\n", false},
        {"#CHARPROP WALKPROB WIFE -5\n", true},
    };
    for (const LineCase& c : cases) {
        Install(LevelFiles(c.text));
        configErrorLine = -1;
        EXPECT_EQ(ParseSettingsFile(kLevel1), c.ok) << c.text;
        EXPECT_EQ(configErrorLine, c.ok ? -1 : 1) << c.text;
    }
}

// ---- OBJPROP --------------------------------------------------------------------

TEST_P(PropertySource, ObjPropChangesObjectsOfThatName) {
    Install(
        LevelFiles("#OBJECT 1 sofa\n"
                   "#OBJECT 2 Sofa\n"
                   "#OBJECT 3 sofas\n"
                   "#GAS 1\n"
                   "#OBJPROP SCORE sofa 50\n"
                   "#OBJPROP BONUS SOFA 2 60 3\n",
                   "",
                   "#OBJPROP SCORE Sofa 70\n"
                   "#OBJPROP BONUS sofa 1 10 1\n"
                   "#OBJPROP BONUS sofas 4 90 5\n"
                   "#OBJPROP SAWCYCLES sofa 10 20 30 40 50\n"
                   "#OBJPROP SOUND sofa  \"Saege laut\" 2 1 2 3 4 300\n"
                   "#OBJPROP MATSOUNDLOOP sofa Holz 12 1000\n"
                   "#OBJPROP LOCKWIDTH \"Kanister gelb\" 0.2\n"
                   "#OBJPROP SCORE nothing 1\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    for (i32 i = 0; i < 2; ++i) {
        const WorldObject& o = gObjects[i];
        EXPECT_EQ(o.maxPoints, 70) << "ObjectProps is read after the level file; object " << i;
        EXPECT_EQ(o.bonusKind, 2) << "BONUS is set once: the level file wins; object " << i;
        EXPECT_EQ(o.bonusProbability, 60);
        EXPECT_EQ(o.bonusAmount, 3);
        EXPECT_FLOAT_EQ(o.sections[0], 10.0f);
        EXPECT_FLOAT_EQ(o.sections[3], 40.0f);
        EXPECT_FLOAT_EQ(o.sections[4], 50.0f);
        EXPECT_FLOAT_EQ(o.sectionTotal, 100.0f);
        EXPECT_STREQ(o.cutSoundRef.name, "Saege laut");
        EXPECT_EQ(o.cutSoundRef.assigned, 1);
        EXPECT_EQ(o.cutSoundSequence, 1);
        EXPECT_EQ(o.cutSoundItems[0], 1);
        EXPECT_EQ(o.cutSoundItems[4], 44) << "each item is stored as its low byte";
        EXPECT_STREQ(o.loopSoundRef.name, "Holz");
        EXPECT_EQ(o.loopSoundSequence, 11);
        EXPECT_EQ(o.loopSoundItem, 1000 & 0xFF);
    }
    EXPECT_EQ(gObjects[2].maxPoints, 10) << "names are compared whole";
    EXPECT_EQ(gObjects[2].bonusKind, 4);
    EXPECT_FLOAT_EQ(gObjects[3].reach, 0.2f);
    EXPECT_FLOAT_EQ(gObjects[0].reach, 0.05f);
}

TEST_P(PropertySource, ObjPropChecks) {
    const LineCase cases[] = {
        {"#OBJPROP SOUND sofa snd 0 1 2 3 4 5\n", false},
        {"#OBJPROP SOUND sofa snd 13 1 2 3 4 5\n", false},
        {"#OBJPROP SOUND sofa snd 12 1 2 3 4\n", false},
        {"#OBJPROP SOUND sofa abcdefghijklmnopqrstuvwxyz 1 1 2 3 4 5\n", false},
        {"#OBJPROP SOUND sofa snd 12 1 2 3 4 5\n", true},
        {"#OBJPROP MATSOUNDLOOP sofa snd 13 1\n", false},
        {"#OBJPROP MATSOUNDLOOP sofa snd 1\n", false},
        {"#OBJPROP SAWCYCLES sofa 1 2 3 4\n", false},
        {"#OBJPROP BONUS sofa 1 2\n", false},
        {"#OBJPROP SCORE abcdefghijklmnopqrstuvwxyz 1\n", false},
        {"#OBJPROP SCORE sofa\n", false},
        {"#OBJPROP POINTS sofa 1\n", false},
        {"#OBJPROP LOCKWIDTH sofa -1\n", true},
    };
    for (const LineCase& c : cases) {
        ClearWorld();
        Install(LevelFiles(std::string("#OBJECT 1 sofa\n") + c.text));
        configErrorLine = -1;
        EXPECT_EQ(ParseSettingsFile(kLevel1), c.ok) << c.text;
        EXPECT_EQ(configErrorLine, c.ok ? -1 : 2) << c.text;
    }
    EXPECT_FLOAT_EQ(gObjects[0].reach, -1.0f) << "no limits beyond the checks";
}

TEST_P(PropertySource, NamesEndingTheLineAreReadSafely) {
    // A name with nothing after it: the value after it is missing, and the
    // scan must not run past the end of the line.
    Install(LevelFiles("#OBJECT 1 sofa\n#OBJPROP SCORE sofa"));
    configErrorLine = -1;
    EXPECT_FALSE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(configErrorLine, 2);
    ClearWorld();
    // Two separators before a quoted value after a name in a property line.
    Install(LevelFiles("#OBJECT 1 sofa\n#OBJPROP SOUND sofa  \"a b\" 1 1 2 3 4 5\n"));
    EXPECT_TRUE(ParseSettingsFile(kLevel1));
    EXPECT_STREQ(gObjects[0].cutSoundRef.name, "a b");
    // With one, the character after the name is the separator passed over
    // and the quote opens nothing: the asset is '"a' and the sequence "b" is 0.
    ClearWorld();
    Install(LevelFiles("#OBJECT 1 sofa\n#OBJPROP SOUND sofa \"a b\" 1 1 2 3 4 5\n"));
    EXPECT_FALSE(ParseSettingsFile(kLevel1));
    EXPECT_STREQ(gObjects[0].cutSoundRef.name, "");
}
