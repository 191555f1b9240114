// The text table (Text.txt) and the safe formatting of texts that carry a
// number.
#include <string>

#include "ConfigFixture.h"

using namespace configtest;

namespace {

// The table is global and filled once per run in the game; every test here
// starts by reading a file that sets the texts it looks at.
bool LoadTexts() {
    configErrorLine = -1;
    return ParseTextFile("Config\\Text.txt");
}

}  // namespace

using TextSource = SourceTest;
INSTANTIATE_TEST_SUITE_P(BothSources, TextSource, ::testing::Bool(), SourceName);

TEST_P(TextSource, ReadsQuotedAndPlainTexts) {
    Install({{"Text.txt",
              "! the texts of the game\n"
              "#TEXT 0 \"New game, or not\"\n"
              "#text 1 Plain words\n"
              "#TEXT 2,\"With \\\"quotes\\\"\"\n"
              "#TEXT 3 one;two\n"
              "#TEXT 4 three!four\n"
              "#TEXT 5 five,six\n"
              "#TEXT 63 first\n"
              "#TEXT 63 \"second, later\"\n"
              "#TEXT 10 \"Level\"\n"}});
    ASSERT_TRUE(LoadTexts());
    EXPECT_STREQ(GetText(0), "New game, or not");
    EXPECT_STREQ(GetText(1), "Plain") << "an unquoted text stops at the first space";
    EXPECT_STREQ(GetText(2), "With \\\"quotes\\\"") << "a backslash before a quote stays";
    EXPECT_STREQ(GetText(3), "one");
    EXPECT_STREQ(GetText(4), "three");
    EXPECT_STREQ(GetText(5), "five");
    EXPECT_STREQ(GetText(63), "second, later") << "the last line for a number wins";
    EXPECT_STREQ(GetText(10), "Level");
    EXPECT_STREQ(GetText(64), "") << "out of range";
    EXPECT_STREQ(GetText(-1), "");
}

TEST_P(TextSource, ParseErrorsStopAtTheLine) {
    struct Case {
        const char* line;
        const char* why;
    };
    const Case cases[] = {
        {"#TEXT 64 \"too high\"\n", "number 64"},
        {"#TEXT -1 \"too low\"\n", "number -1"},
        {"#TEXT 7\n", "no text after the number"},
        {"#TEXT\n", "no number"},
        {"#TIME 5\n", "a level keyword"},
        {"#TEXTURE 5 x\n", "TEXT matches by prefix, so this is a text"},
    };
    for (const Case& c : cases) {
        Install({{"Text.txt", std::string("#TEXT 20 \"kept\"\n\n") + c.line + "#TEXT 21 never\n"}});
        ResetTokenizer();
        configFromLibrary = FromLibrary();
        const bool ok = LoadTexts();
        if (std::string(c.line).rfind("#TEXTURE", 0) == 0) {
            EXPECT_TRUE(ok) << c.why;
            continue;
        }
        EXPECT_FALSE(ok) << c.why;
        EXPECT_EQ(configErrorLine, 3) << c.why;
        EXPECT_STREQ(GetText(20), "kept") << c.why;
    }
}

TEST_F(ConfigFixture, LoadTextTableDecidesTheSourceAndReportsErrors) {
    // No Text.txt on disk: everything comes from the library.
    Install({{"Text.txt", "#TEXT 30 library\n"}}, true);
    configFromLibrary = false;
    EXPECT_TRUE(LoadTextTable());
    EXPECT_TRUE(configFromLibrary);
    EXPECT_STREQ(GetText(30), "library");

    // A Text.txt on disk wins, and with it every file comes from disk.
    const int openBefore = platform->Files().OpenDiskFileCount();  // the mapped library
    WriteDiskFile("Text.txt", "#TEXT 30 disk\n\n#TEXT 99 x\n");
    EXPECT_FALSE(LoadTextTable());
    EXPECT_FALSE(configFromLibrary);
    EXPECT_STREQ(GetText(30), "disk");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0], "Parse Error!: Parse error in file Text.txt, Line 3");
    EXPECT_EQ(platform->Files().OpenDiskFileCount(), openBefore);

    // No file anywhere: failure without a message.
    Install({}, false);
    std::filesystem::remove(dir / "Config" / "Text.txt");
    EXPECT_FALSE(LoadTextTable());
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(ConfigFixture, FormatTextFillsInOneNumberOnly) {
    EXPECT_EQ(FormatText("%d seconds", 42), "42 seconds");
    EXPECT_EQ(FormatText("Level %02d", 7), "Level 07");
    EXPECT_EQ(FormatText("%i|%5d", -3), "-3|%5d") << "only the first number is filled in";
    EXPECT_EQ(FormatText("%-4d|", 5), "5   |");
    EXPECT_EQ(FormatText("%+d", 5), "+5");
    EXPECT_EQ(FormatText("%u", 9), "9");
    EXPECT_EQ(FormatText("100%% of %d", 3), "100% of 3");
    EXPECT_EQ(FormatText("%s and %n %x %d", 1), "%s and %n %x 1")
        << "anything but a number conversion is shown as it stands";
    EXPECT_EQ(FormatText("%.3d", 5), "005");
    EXPECT_EQ(FormatText("%99999999999d", 5), "%99999999999d") << "absurd widths are not used";
    EXPECT_EQ(FormatText("%1024d", 5).size(), 1024u);
    EXPECT_EQ(FormatText("100%", 5), "100%");
    EXPECT_EQ(FormatText("no number", 5), "no number");
    EXPECT_EQ(FormatText("", 5), "");
    EXPECT_EQ(FormatText(nullptr, 5), "");
    EXPECT_EQ(FormatText("%ld", 5), "%ld") << "length modifiers are not read";
}
