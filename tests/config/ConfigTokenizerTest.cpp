// The shared line reader: line breaks and line numbers, over-long lines,
// comments, quotes and their lingering state, keyword matching and the value
// conversions, read from disk and from the library alike.
#include <cmath>
#include <string>
#include <vector>

#include "ConfigFixture.h"

using namespace configtest;

namespace {

struct ReadLine {
    std::string text;
    i32 number;
};

// Every line of `source` as ReadConfigLine returns it, with its number.
std::vector<ReadLine> ReadAll(const ConfigSource& source) {
    std::vector<ReadLine> lines;
    ResetLineCounter();
    ConfigFile file;
    if (!OpenConfigFile(source, &file)) return lines;
    // The line breaks at the end of a file come back as one empty line.
    while (const char* line = ReadConfigLine(&file)) {
        if (*line != '\0') lines.push_back({line, ConfigLineNumber()});
    }
    CloseConfigFile(&file);
    return lines;
}

std::string Strip(std::string s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n')) s.pop_back();
    return s;
}

constexpr ConfigSource kLevel1 = {"Config\\Level01.txt", 0, 1};

}  // namespace

using TokenizerSource = SourceTest;
INSTANTIATE_TEST_SUITE_P(BothSources, TokenizerSource, ::testing::Bool(), SourceName);

TEST_P(TokenizerSource, CrLfAndLfGiveTheSameLinesAndNumbers) {
    const std::string lf = "first\n\n\nfourth\nfifth\n";
    std::string crlf;
    for (char c : lf) crlf += (c == '\n') ? std::string("\r\n") : std::string(1, c);
    Install({{"Level01.txt", lf}, {"Level02.txt", crlf}});
    const auto a = ReadAll(kLevel1);
    const auto b = ReadAll(ConfigSource{"Config\\Level02.txt", 0, 2});
    ASSERT_EQ(a.size(), 3u);
    ASSERT_EQ(b.size(), 3u);
    const i32 expected[3] = {1, 4, 5};
    const char* texts[3] = {"first", "fourth", "fifth"};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(Strip(a[i].text), texts[i]) << "LF line " << i;
        EXPECT_EQ(Strip(b[i].text), texts[i]) << "CR LF line " << i;
        EXPECT_EQ(a[i].number, expected[i]) << "LF line " << i;
        EXPECT_EQ(b[i].number, expected[i]) << "CR LF line " << i;
    }
    // The line keeps the one character that ended it.
    EXPECT_EQ(a[0].text, "first\n");
    EXPECT_EQ(b[0].text, "first\r");
}

TEST_P(TokenizerSource, ErrorLinesCountBlankLines) {
    // Three blank lines before the first keyword line: it is line 4.
    Install({{"Level01.txt", "\n\r\n\n#NOSUCHWORD 1\n"},
             {"Level02.txt", "#NOSUCHWORD 1\n#TIME 3\n"},
             {"Level03.txt", "! comment\n#TIME 3\n\n#TIME 4 ;\n#TIME\n"}});
    EXPECT_FALSE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(configErrorLine, 4);
    configErrorLine = -1;
    EXPECT_FALSE(ParseSettingsFile(ConfigSource{"Config\\Level02.txt", 0, 2}));
    EXPECT_EQ(configErrorLine, 1) << "an error on the first line is line 1";
    configErrorLine = -1;
    EXPECT_FALSE(ParseSettingsFile(ConfigSource{"Config\\Level03.txt", 0, 3}));
    EXPECT_EQ(configErrorLine, 5) << "TIME without its value";
    EXPECT_EQ(gGame.timeLeft, 4);
}

TEST_P(TokenizerSource, LastLineWithoutLineBreakIsReadExactly) {
    Install({{"Level01.txt", "#STARTGAS 50\n#TIME 100"}});
    EXPECT_TRUE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(gGame.timeLeft, 100);
    EXPECT_EQ(gLevel.startGas, 50);
    const auto lines = ReadAll(kLevel1);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "#TIME 100");
}

TEST_P(TokenizerSource, OverLongLinesComeInPiecesOf1022) {
    const std::string exact(1022, 'a');
    const std::string longer = std::string(1022, 'b') + "cccccccc";  // 1030
    Install({{"Level01.txt", exact + "\n" + longer + "\nend\n"}});
    const auto lines = ReadAll(kLevel1);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, exact) << "a 1022-character line is one line, its LF comes later";
    EXPECT_EQ(lines[0].number, 1);
    EXPECT_EQ(lines[1].text, std::string(1022, 'b'));
    EXPECT_EQ(lines[1].number, 2);
    EXPECT_EQ(lines[2].text, "cccccccc\n");
    EXPECT_EQ(lines[2].number, 2) << "the rest of a long line is on the same line";
    EXPECT_EQ(lines[3].text, "end\n");
    EXPECT_EQ(lines[3].number, 3);
}

TEST_P(TokenizerSource, CommentsAndTextBeforeTheKeyword) {
    Install({{"Level01.txt",
              "#TIME 5 ! the level's time\n"
              "! #STARTGAS 7\n"
              "whatever #LAWYERMALUS 9\n"
              "#BONUS 3 ; #STARTGAS 8\n"}});
    EXPECT_TRUE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(gGame.timeLeft, 5);
    EXPECT_EQ(gLevel.startGas, 100) << "a line that starts with ! is a comment";
    EXPECT_EQ(gLevel.lawyerPenalty, 9) << "text before # is ignored";
    EXPECT_EQ(gLevel.timeBonusPerSecond, 3);
}

TEST_P(TokenizerSource, UnbalancedQuoteHidesKeywordsUntilClosed) {
    Install({{"Level01.txt",
              "#NEWLIFESCORE1 1\n"
              "say \"hello\n"
              "#NEWLIFESCORE2 2\n"
              "and \" closed\n"
              "#NEWLIFESCORE3 3\n"}});
    EXPECT_TRUE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(gLevel.extraLifeScore[1], 1);
    EXPECT_EQ(gLevel.extraLifeScore[2], 0) << "inside the open quote the keyword is not seen";
    EXPECT_EQ(gLevel.extraLifeScore[3], 3);
}

TEST_P(TokenizerSource, KeywordsMatchByPrefixInAnyCase) {
    Install({{"Level01.txt", "#time 7\n#TiMeLimit 8\n#startgasoline 40\n"},
             {"Level02.txt", "#TIM 7\n"}});
    EXPECT_TRUE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(gGame.timeLeft, 8);
    EXPECT_EQ(gLevel.startGas, 40);
    EXPECT_FALSE(ParseSettingsFile(ConfigSource{"Config\\Level02.txt", 0, 2}))
        << "a word shorter than the keyword does not match";
}

TEST_F(ConfigFixture, QuotesInsideOneLine) {
    const char* line = "#TEXT 5 \"Hello, \\\"World\\\" !\" rest\n";
    const char* keyword = FindKeyword(line);
    ASSERT_NE(keyword, nullptr);
    EXPECT_EQ(TokenLength(keyword), 4);
    const char* number = SkipToToken(keyword + 4);
    ASSERT_NE(number, nullptr);
    EXPECT_EQ(*number, '5');
    const char* text = SkipToToken(number + TokenLength(number));
    ASSERT_NE(text, nullptr);
    const i32 length = TokenLength(text);
    EXPECT_EQ(std::string(text, length), "Hello, \\\"World\\\" !")
        << "separators and escaped quotes stay; the quotes go";
    // The closing quote was consumed by TokenLength: the quote state is closed
    // and the next token follows normally.
    const char* rest = SkipToToken(text + length + 1);
    ASSERT_NE(rest, nullptr);
    EXPECT_EQ(std::string(rest, TokenLength(rest)), "rest");

    // A quote right where the scan starts is an ordinary character.
    const char* glued = "\"word\" x";
    const char* token = SkipToToken(glued);
    EXPECT_EQ(token, glued);
    ResetTokenizer();

    // An empty quoted value has length 0.
    const char* empty = " \"\" next";
    token = SkipToToken(empty);
    ASSERT_NE(token, nullptr);
    EXPECT_EQ(TokenLength(token), 0);
    EXPECT_EQ(std::string(SkipToToken(token + 1), 4), "next");

    // No keyword: nothing, a comment first, or a # inside quotes.
    EXPECT_EQ(FindKeyword("no keyword\n"), nullptr);
    EXPECT_EQ(FindKeyword("!#TIME 5\n"), nullptr);
    const char* quotedHash = "x \"#TIME\" #BONUS 1";
    EXPECT_EQ(FindKeyword(quotedHash), quotedHash + 11);
}

TEST_F(ConfigFixture, ValuesEndAtSemicolonCommentAndLineBreak) {
    EXPECT_EQ(SkipToToken(" ; 5"), nullptr);
    EXPECT_EQ(SkipToToken(" ! 5"), nullptr);
    EXPECT_EQ(SkipToToken("  \r\n5"), nullptr);
    EXPECT_EQ(SkipToToken(""), nullptr);
    const char* commas = " ,\t, 7";
    EXPECT_EQ(SkipToToken(commas), commas + 5);
    EXPECT_EQ(TokenLength("abc;d"), 3);
    EXPECT_EQ(TokenLength("abc!d"), 3);
    EXPECT_EQ(TokenLength("abc,d"), 3);
    EXPECT_EQ(TokenLength("abc\td"), 3);
    EXPECT_EQ(TokenLength("abc\r"), 3);
    EXPECT_EQ(TokenLength("abc"), 3);
}

TEST_F(ConfigFixture, NumberConversions) {
    EXPECT_EQ(ConfigInt("12abc"), 12);
    EXPECT_EQ(ConfigInt("-3,4"), -3);
    EXPECT_EQ(ConfigInt("+8"), 8);
    EXPECT_EQ(ConfigInt("abc"), 0);
    EXPECT_EQ(ConfigInt("1.9"), 1);
    EXPECT_EQ(ConfigInt("99999999999"), 2147483647) << "saturates instead of overflowing";
    EXPECT_EQ(ConfigInt("-99999999999"), -2147483647 - 1);
    EXPECT_FLOAT_EQ(ConfigFloat("0.5x"), 0.5f);
    EXPECT_FLOAT_EQ(ConfigFloat("-2.25"), -2.25f);
    EXPECT_FLOAT_EQ(ConfigFloat("1e2"), 100.0f);
    EXPECT_FLOAT_EQ(ConfigFloat(".25"), 0.25f);
    EXPECT_FLOAT_EQ(ConfigFloat("3e"), 3.0f) << "an exponent without digits is not part of it";
    EXPECT_EQ(ConfigFloat("abc"), 0.0f);
    EXPECT_EQ(ConfigFloat("inf"), 0.0f) << "only decimal numbers";
    EXPECT_EQ(ConfigFloat("nan"), 0.0f);
    EXPECT_EQ(ConfigFloat("0x10"), 0.0f) << "hexadecimal is not read: the 0 before the x";
    EXPECT_FALSE(std::isinf(ConfigFloat("1e400")));
}

TEST_F(ConfigFixture, MissingFilesAndEntriesFailWithoutALine) {
    Install({}, false);
    const int openBefore = platform->Files().OpenDiskFileCount();  // the mapped library
    ConfigFile file;
    EXPECT_FALSE(OpenConfigFile(kLevel1, &file));
    EXPECT_FALSE(ParseSettingsFile(kLevel1));
    EXPECT_EQ(configErrorLine, -1);
    Install({{"Level01.txt", "#TIME 3\n"}}, true);
    const int openWithLibrary = platform->Files().OpenDiskFileCount();
    EXPECT_FALSE(ParseSettingsFile(ConfigSource{"Config\\Level02.txt", 0, 2}));
    EXPECT_EQ(configErrorLine, -1);
    EXPECT_TRUE(ParseSettingsFile(ConfigSource{"Config\\Level00.txt", 0, 0}))
        << "an empty entry is an empty file";
    EXPECT_EQ(platform->Files().UsedMemorySlots(), 0) << "every file is closed again";
    EXPECT_EQ(platform->Files().OpenDiskFileCount(), openWithLibrary);
    EXPECT_EQ(openBefore, openWithLibrary);
}
