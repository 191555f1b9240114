// Level files: the level values, placing objects and figures, the order of a
// level's four files, the parse-error messages and which levels exist; read
// from disk and from the library alike.
#include <cmath>
#include <cstdlib>
#include <string>

#include "ConfigFixture.h"
#include "config/AssetNames.h"

using namespace configtest;

namespace {

// The four files of level n; the property files are empty unless given.
ConfigFiles LevelFiles(const std::string& level, i32 n = 1, const std::string& animProps = "",
                       const std::string& objectProps = "", const std::string& charProps = "") {
    char name[32];
    std::snprintf(name, sizeof name, "Level%02d.txt", n);
    return {{name, level},
            {"AnimProps.txt", animProps},
            {"ObjectProps.txt", objectProps},
            {"CharProps.txt", charProps}};
}

std::string Repeat(const std::string& line, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) out += line;
    return out;
}

}  // namespace

using LevelSource = SourceTest;
INSTANTIATE_TEST_SUITE_P(BothSources, LevelSource, ::testing::Bool(), SourceName);

TEST_P(LevelSource, LevelValuesAreStored) {
    Install(
        LevelFiles("#VIRTUALPLAYFIELDWIDTH 20\n"
                   "#TIME 90\n"
                   "#SCROLLSPEED 1 0.02\n"
                   "#SCROLLSPEED 2, 0.5\n"
                   "#SCROLLSPEED 3 0.25\n"
                   "#REFILLSPEED 2.5\n"
                   "#CONSUMPTION 0.1 0.2 0.3\n"
                   "#STARTGAS 60\n"
                   "#NEWLIFESCORE1 1000\n"
                   "#NEWLIFESCORE2 2000\n"
                   "#NEWLIFESCORE3 3000\n"
                   "#LAWYERMALUS 12\n"
                   "#BONUS 4\n"
                   "#SETGFX 1\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gLevel.playfieldWidth, 20);
    EXPECT_EQ(gGame.timeLeft, 90);
    EXPECT_FLOAT_EQ(gLevel.scrollFactor[1], 0.02f);
    EXPECT_FLOAT_EQ(gLevel.scrollFactor[2], 0.5f);
    EXPECT_FLOAT_EQ(gLevel.scrollFactor[3], 0.25f);
    EXPECT_FLOAT_EQ(gLevel.refillSpeed, 2.5f);
    EXPECT_FLOAT_EQ(gLevel.consumption[0], 0.1f);
    EXPECT_FLOAT_EQ(gLevel.consumption[1], 0.2f);
    EXPECT_FLOAT_EQ(gLevel.consumption[2], 0.3f);
    EXPECT_EQ(gLevel.startGas, 60);
    EXPECT_EQ(gLevel.extraLifeScore[1], 1000);
    EXPECT_EQ(gLevel.extraLifeScore[2], 2000);
    EXPECT_EQ(gLevel.extraLifeScore[3], 3000);
    EXPECT_EQ(gLevel.lawyerPenalty, 12);
    EXPECT_EQ(gLevel.timeBonusPerSecond, 4);
    EXPECT_EQ(gLevel.backgroundSet, 1);
    EXPECT_TRUE(Messages().empty());
}

TEST_P(LevelSource, LevelValueChecks) {
    struct Case {
        const char* line;
        bool ok;
    };
    const Case cases[] = {
        {"#SCROLLSPEED 0 0.5\n", false},
        {"#SCROLLSPEED 4 0.5\n", false},
        {"#SCROLLSPEED 1\n", false},
        {"#CONSUMPTION 0.1 0.2\n", false},
        {"#VIRTUALPLAYFIELDWIDTH 0\n", false},  // the ring must be at least one screen long
        {"#VIRTUALPLAYFIELDWIDTH -4\n", false},
        {"#VIRTUALPLAYFIELDWIDTH 1\n", true},
        {"#SETGFX 5\n", true},
        {"#SETGFX -1\n", true},
        {"#NOSUCHKEYWORD 1\n", false},
        {"#\n", false},
    };
    for (const Case& c : cases) {
        ClearWorld();
        gLevel = LevelState{};
        Install(LevelFiles(std::string("#TIME 5\n") + c.line + "#TIME 6\n"));
        configErrorLine = -1;
        EXPECT_EQ(ParseSettingsFile(ConfigSource{"Config\\Level01.txt", 0, 1}), c.ok) << c.line;
        EXPECT_EQ(configErrorLine, c.ok ? -1 : 2) << c.line;
        EXPECT_EQ(gGame.timeLeft, c.ok ? 6 : 5) << c.line;
    }
    EXPECT_EQ(gLevel.playfieldWidth, 3) << "a rejected width leaves the old one";

    Install(LevelFiles("#SETGFX 5\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gLevel.backgroundSet, 2);
    ClearWorld();
    Install(LevelFiles("#SETGFX -1\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gLevel.backgroundSet, 0);
}

TEST_P(LevelSource, ObjectsArePlacedInOrder) {
    Install(LevelFiles("#OBJECT 1.5 sofa\n"
                       "#GAS 2\n"
                       "#VAN 2.5\n"
                       "#OBJECT 7.25 \"Tisch alt\"\n"
                       "#OBJECT 0.5 abcdefghijklmnopqrstuvwxy\n"),
            {"Tisch alt"});
    ASSERT_TRUE(LoadLevelConfig(1));
    ASSERT_EQ(gObjectCount, 5);
    const WorldObject& sofa = gObjects[0];
    EXPECT_EQ(sofa.objectType, kFurniture);
    EXPECT_FLOAT_EQ(sofa.position, 1.5f);
    EXPECT_STREQ(sofa.name, "sofa");
    EXPECT_STREQ(sofa.picture.name, "sofa");
    EXPECT_EQ(sofa.active, 1) << "its picture exists";
    EXPECT_FLOAT_EQ(sofa.sections[4], 500000.0f);
    EXPECT_FLOAT_EQ(sofa.sectionTotal, 400.0f);
    EXPECT_EQ(sofa.maxPoints, 10);
    EXPECT_FLOAT_EQ(sofa.reach, 0.05f);
    EXPECT_EQ(sofa.fresh, 1);

    EXPECT_EQ(gObjects[1].objectType, kCanister);
    EXPECT_STREQ(gObjects[1].name, "Kanister gelb");
    EXPECT_FLOAT_EQ(gObjects[1].sections[4], 100.0f) << "a canister holds 100 gas";
    EXPECT_EQ(gObjects[1].active, 1);
    EXPECT_EQ(gObjects[2].objectType, kVan);
    EXPECT_STREQ(gObjects[2].name, "moebelwagen");
    EXPECT_STREQ(gObjects[3].name, "Tisch alt");
    EXPECT_FLOAT_EQ(gObjects[3].position, 7.25f) << "positions are stored unwrapped";
    EXPECT_EQ(gObjects[3].active, 1);
    EXPECT_EQ(gObjects[4].active, 0) << "no picture of that name";
    EXPECT_STREQ(gObjects[4].name, "abcdefghijklmnopqrstuvwxy");
}

TEST_P(LevelSource, ObjectLineChecks) {
    // 25 characters are the most an object name may have.
    Install(LevelFiles("#OBJECT 1 abcdefghijklmnopqrstuvwxyz\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 1);
    ClearWorld();
    Install(LevelFiles("#OBJECT 1\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    ClearWorld();

    // The table holds 128: the line that would place the 129th is at fault.
    Install(LevelFiles(Repeat("#OBJECT 1 sofa\n", 127) + "#GAS 1\n#VAN 2\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 129);
    EXPECT_EQ(gObjectCount, 128);
    ClearWorld();

    // RANDOMGAS: at least one, and the table must stay below 127.
    Install(LevelFiles(Repeat("#GAS 1\n", 120) + "#RANDOMGAS 6\n"));
    EXPECT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gObjectCount, 126);
    ClearWorld();
    Install(LevelFiles(Repeat("#GAS 1\n", 120) + "#RANDOMGAS 7\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 121);
    EXPECT_EQ(gObjectCount, 120);
    ClearWorld();
    Install(LevelFiles("#RANDOMGAS 0\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 1);
    ClearWorld();
    Install(LevelFiles("#RANDOMGAS 2147483647\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(gObjectCount, 0);
}

TEST_P(LevelSource, RandomGasLiesOnTheGrid) {
    Install(LevelFiles("#RANDOMGAS 40\n#VIRTUALPLAYFIELDWIDTH 7\n#RANDOMGAS 1\n"));
    Random::Seed(4711);
    // The same draws, made here: one per canister, in order.
    i32 expected[41];
    for (i32 i = 0; i < 40; ++i) expected[i] = Random::Next() % 30;
    expected[40] = Random::Next() % 70;
    Random::Seed(4711);
    ASSERT_TRUE(LoadLevelConfig(1));
    ASSERT_EQ(gObjectCount, 41);
    for (i32 i = 0; i < 41; ++i) {
        const WorldObject& o = gObjects[i];
        EXPECT_EQ(o.objectType, kCanister);
        EXPECT_STREQ(o.name, "Kanister gelb");
        EXPECT_EQ(static_cast<i32>(std::lround(o.position * 10.0f)), expected[i])
            << "canister " << i;
        EXPECT_GE(o.position, 0.0f);
        EXPECT_LT(o.position, i < 40 ? 3.0f : 7.0f);
    }
}

TEST_P(LevelSource, CharactersAreCreatedInLevelOrder) {
    Install(
        LevelFiles("#VIRTUALPLAYFIELDWIDTH 20\n"
                   "#CHARACTER -0.25 policeman 0\n"
                   "#CHARACTER 20 LAWYER 1\n"
                   "#VIRTUALPLAYFIELDWIDTH 3\n"
                   "#CHARACTER 4.5 RemovalMan 1\n"
                   "#CHARACTER 1 \"WIFE\" 0\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    ASSERT_EQ(gCharacterCount, 4) << "a level with a wife gets no second one";
    EXPECT_EQ(Figure(0).characterType, kPoliceMan);
    EXPECT_FLOAT_EQ(Figure(0).position, 19.75f) << "wrapped with the width in force then";
    EXPECT_EQ(Figure(0).facingLeft, 1);
    EXPECT_EQ(Figure(1).characterType, kLawyer);
    EXPECT_FLOAT_EQ(Figure(1).position, 0.0f);
    EXPECT_EQ(Figure(1).facingLeft, 0);
    EXPECT_EQ(Figure(1).actionProbability, 50);
    EXPECT_EQ(Figure(2).characterType, kRemovalMan);
    EXPECT_FLOAT_EQ(Figure(2).position, 1.5f);
    EXPECT_EQ(Figure(3).characterType, kWife);
    EXPECT_EQ(Figure(3).hidden, 1);
    EXPECT_EQ(Figure(3).facingLeft, 1);
}

TEST_P(LevelSource, EveryLevelHasAWife) {
    Install(LevelFiles("#CHARACTER 1 LAWYER 0\n"));
    ASSERT_TRUE(LoadLevelConfig(1));
    ASSERT_EQ(gCharacterCount, 2);
    EXPECT_EQ(Figure(1).characterType, kWife);
    EXPECT_FLOAT_EQ(Figure(1).position, 0.0f);
    EXPECT_EQ(Figure(1).facingLeft, 0);
    EXPECT_EQ(Figure(1).hidden, 1);

    // 63 figures fill the list: no room for her.
    ClearWorld();
    Install(LevelFiles(Repeat("#CHARACTER 1 POLICEMAN 0\n", 63)));
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gCharacterCount, 63);
}

TEST_P(LevelSource, CharacterLineChecks) {
    Install(LevelFiles("#CHARACTER 1 LAWYER 0\n#CHARACTER 1 CLOWN 0\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 2);
    EXPECT_EQ(gCharacterCount, 1) << "the lines before the error keep their effect";
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Parse Error!: Parse error in file Config\\Level01.txt, Line 2");
    ClearWorld();

    Install(LevelFiles("#CHARACTER 1 LAWYER\n"));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, 1);
    ClearWorld();

    // A 64th figure fails the load without a line and without a message.
    const size_t shown = Messages().size();
    Install(LevelFiles(Repeat("#CHARACTER 1 WIFE 0\n", 64)));
    EXPECT_FALSE(LoadLevelConfig(1));
    EXPECT_EQ(configErrorLine, -1);
    EXPECT_EQ(gCharacterCount, 63);
    EXPECT_EQ(Messages().size(), shown);
}

TEST_P(LevelSource, ParseErrorsNameTheFile) {
    struct Case {
        ConfigFiles files;
        i32 level;
        const char* message;
    };
    const Case cases[] = {
        {LevelFiles("#TIME 1\n\n#TIME\n", 5), 5,
         "Parse Error!: Parse error in file Config\\Level05.txt, Line 3"},
        {LevelFiles("", 1, "#ANIMPROP SPEED AII_NoGas 1\n#ANIMPROP SPEED AII_None 1\n"), 1,
         "Parse Error!: Parse error in file Config\\AnimProps.txt, Line 2"},
        {LevelFiles("", 1, "", "\n#OBJPROP NOPE sofa 1\n"), 1,
         "Parse Error!: Parse error in file Config\\ObjectProps.txt, Line 2"},
        {LevelFiles("", 1, "", "", "#CHARPROP WALKSPEED WIFE 4 0.1\n"), 1,
         "Parse Error!: Parse error in file Config\\CharProps.txt, Line 1"},
    };
    size_t shown = 0;
    for (const Case& c : cases) {
        ClearWorld();
        Install(c.files);
        EXPECT_FALSE(LoadLevelConfig(c.level)) << c.message;
        ASSERT_EQ(Messages().size(), ++shown) << c.message;
        EXPECT_EQ(Messages().back(), c.message);
    }

    // At game start AnimProps has its own message.
    Install(LevelFiles("", 1, "\n\n#ANIMPROP SPEED\n"));
    EXPECT_FALSE(LoadAnimProps());
    EXPECT_EQ(Messages().back(), "Parse Error!: Parse error in file AnimProps.txt, Line 3");

    // A missing file fails without a message.
    shown = Messages().size();
    ConfigFiles noCharProps = LevelFiles("#TIME 3\n");
    noCharProps.erase("CharProps.txt");
    if (FromLibrary()) noCharProps["CharProps.txt"] = "";  // an entry is never missing alone
    ClearWorld();
    Install(noCharProps);
    EXPECT_FALSE(LoadLevelConfig(FromLibrary() ? 2 : 1));
    EXPECT_EQ(Messages().size(), shown);
}

TEST_P(LevelSource, ValuesCarryOverBetweenLevels) {
    Install({{"Level01.txt", "#TIME 50\n#STARTGAS 70\n"},
             {"Level02.txt", "#VAN 1\n"},
             {"AnimProps.txt", ""},
             {"ObjectProps.txt", ""},
             {"CharProps.txt", "#TIME 99\n"}});
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gGame.timeLeft, 99) << "CharProps is read after the level file";
    gGame.timeLeft = 17;
    ClearWorld();
    Install({{"Level01.txt", "#TIME 50\n"},
             {"Level02.txt", "#VAN 1\n"},
             {"AnimProps.txt", ""},
             {"ObjectProps.txt", ""},
             {"CharProps.txt", ""}});
    ASSERT_TRUE(LoadLevelConfig(2));
    EXPECT_EQ(gGame.timeLeft, 17) << "a level without TIME keeps the time left";
    EXPECT_EQ(gLevel.startGas, 70) << "reset by the level start, not by the reader";
}

TEST_P(LevelSource, LevelFilesThatExist) {
    if (FromLibrary()) {
        Install({{"Level01.txt", "#TIME 1\n"}, {"Level02.txt", ""}, {"Level03.txt", "#TIME 3\n"}});
        EXPECT_TRUE(LevelFileExists(1));
        EXPECT_TRUE(LevelFileExists(2));
        EXPECT_TRUE(LevelFileExists(3));
        EXPECT_FALSE(LevelFileExists(4));
        EXPECT_FALSE(LevelFileExists(-1));
    } else {
        Install({{"Level07.txt", "#TIME 7\n"},
                 {"Level12.txt", "#TIME 12\n"},
                 {"Level100.txt", "#TIME 100\n"},
                 {"AnimProps.txt", ""},
                 {"ObjectProps.txt", ""},
                 {"CharProps.txt", ""}});
        const int openBefore = platform->Files().OpenDiskFileCount();  // the mapped library
        EXPECT_TRUE(LevelFileExists(7));
        EXPECT_TRUE(LevelFileExists(12));
        EXPECT_TRUE(LevelFileExists(100));
        EXPECT_FALSE(LevelFileExists(1));
        EXPECT_FALSE(LevelFileExists(10));
        for (i32 n : {7, 12, 100}) {
            ClearWorld();
            ASSERT_TRUE(LoadLevelConfig(n)) << n;
            EXPECT_EQ(gGame.timeLeft, n);
        }
        EXPECT_EQ(platform->Files().OpenDiskFileCount(), openBefore);
    }
}

TEST_F(ConfigFixture, DiskAndLibraryAreNotMixed) {
    // The library's entry is used only in library mode.
    Install({{"Level01.txt", "#TIME 11\n"},
             {"AnimProps.txt", ""},
             {"ObjectProps.txt", ""},
             {"CharProps.txt", ""}},
            true);
    WriteDiskFile("Level01.txt", "#TIME 22\n");
    ASSERT_TRUE(LoadLevelConfig(1)) << "the other files are in the library";
    EXPECT_EQ(gGame.timeLeft, 11);
    configFromLibrary = false;
    EXPECT_FALSE(LoadLevelConfig(1)) << "AnimProps.txt is not on disk";
    WriteDiskFile("AnimProps.txt", "");
    WriteDiskFile("ObjectProps.txt", "");
    WriteDiskFile("CharProps.txt", "");
    ClearWorld();
    ASSERT_TRUE(LoadLevelConfig(1));
    EXPECT_EQ(gGame.timeLeft, 22);
}

TEST_F(ConfigFixture, ShippedConfigurationParses) {
    // Our own content's Config folder, read from disk as a modder's would be.
    const char* source = std::getenv("BRETTSPALT_SOURCE_DIR");
    if (source == nullptr) GTEST_SKIP() << "BRETTSPALT_SOURCE_DIR is not set";
    const std::filesystem::path content = std::filesystem::path(source) / "content";
    if (!std::filesystem::exists(content / "config" / "Text.txt")) GTEST_SKIP() << "no content";
    platform = std::make_unique<ScriptedPlatform>(content.string(), dir.string());
    gPlatform = platform.get();
    ASSERT_TRUE(LoadTextTable());
    EXPECT_FALSE(configFromLibrary);
    ASSERT_TRUE(LoadAnimProps());
    i32 levels = 0;
    for (i32 n = 1; LevelFileExists(n); ++n) {
        ClearWorld();
        EXPECT_TRUE(LoadLevelConfig(n)) << "level " << n;
        EXPECT_GT(gObjectCount, 0) << "level " << n;
        ++levels;
    }
    EXPECT_GE(levels, 1);
    EXPECT_TRUE(Messages().empty()) << Messages().front();
}
