// Text measuring and drawing in the two bitmap fonts, the head-up display,
// the bonus display with its payout, and the texts between levels. The test
// fonts give each glyph a width of its own (see GameFixture.h), so where a
// glyph ends tells which character was drawn.
#include "blit/Blitter.h"
#include "config/TextTable.h"
#include "render/Compose.h"
#include "render/TextDraw.h"
#include "tests/game/GameFixture.h"

namespace flowtest {
namespace {

class TextAndHudTest : public GameFixture {
protected:
    void SetUp() override {
        GameFixture::SetUp();
        StartGame();
        Blank();
    }
    // A black frame buffer that the blitter draws into whole.
    void Blank() {
        platform->ClearScreen();
        SetBlitTarget(platform->GetScreenPixels(), platform->GetScreenPitch());
        SetBlitClip(0, 0, 800, 600);
    }
    bool Lit(int x, int y) { return platform->Pixel(x, y) != 0; }
    // The first and last lit column of a row between x0 and x1 (-1: none).
    int FirstLit(int y, int x0 = 0, int x1 = 800) {
        for (int x = x0; x < x1; ++x)
            if (Lit(x, y)) return x;
        return -1;
    }
    int LastLit(int y, int x0 = 0, int x1 = 800) {
        for (int x = x1 - 1; x >= x0; --x)
            if (Lit(x, y)) return x;
        return -1;
    }
    static int Large(const std::string& s) {
        int w = 0;
        for (unsigned char c : s) w += c == ' ' ? 16 : HasGlyph(c) ? LargeGlyphWidth(c) - 1 : 0;
        return w;
    }
};

TEST_F(TextAndHudTest, TextWidthCountsGlyphsAndSpacesOnly) {
    EXPECT_EQ(TextWidth("AB", false), (LargeGlyphWidth('A') - 1) + (LargeGlyphWidth('B') - 1));
    EXPECT_EQ(TextWidth("AB", true), (SmallGlyphWidth('A') - 1) + (SmallGlyphWidth('B') - 1));
    EXPECT_EQ(TextWidth("   ", false), 48) << "16 per space in the large font";
    EXPECT_EQ(TextWidth("   ", true), 24) << "8 per space in the small font";
    EXPECT_EQ(TextWidth("\x01"
                        "A\x1f\xff",
                        false),
              LargeGlyphWidth('A') - 1)
        << "control codes and 255 take no room";
    EXPECT_EQ(TextWidth("\xc8", false), 0) << "a 1 x 1 placeholder glyph counts as absent";
    EXPECT_EQ(TextWidth("", false), 0);
}

TEST_F(TextAndHudTest, DrawTextAdvancesByGlyphOrFixedCell) {
    DrawText(100, 50, "ABC", 0, false, false, false);
    std::uint64_t plain = platform->FrameHash();
    EXPECT_EQ(FirstLit(55), 100) << "the first glyph's hotspot is at x";
    EXPECT_EQ(LastLit(55), 100 + Large("ABC")) << "each glyph advances by its width - 1";

    Blank();
    DrawText(100, 50,
             "A\x01"
             "B\xff\x1b"
             "C",
             0, false, false, false);
    EXPECT_EQ(platform->FrameHash(), plain) << "codes below 32 and 255 neither draw nor advance";

    Blank();
    std::uint64_t blank = platform->FrameHash();
    DrawText(100, 50, "     ", 0, false, false, false);
    EXPECT_EQ(platform->FrameHash(), blank) << "spaces draw nothing";

    Blank();
    DrawText(100, 50, "AB", 18, false, false, false);
    EXPECT_TRUE(Lit(118, 55)) << "second glyph in the next 18-pixel cell";
    EXPECT_FALSE(Lit(100 + LargeGlyphWidth('A'), 55));
    DrawText(100, 200, "A", 0, true, false, false);
    EXPECT_EQ(platform->Pixel(100, 205), To555(kSecondGlyph)) << "the second style";
    EXPECT_EQ(platform->Pixel(100, 55), To555(kPlainGlyph));

    Blank();
    DrawCentredText(300, "AB");
    EXPECT_EQ(FirstLit(305), 400 - Large("AB") / 2);
}

TEST_F(TextAndHudTest, HudClockScoreAndGas) {
    gGame.timeLeft = 125;
    gGame.score = 1234;
    gGame.lives = 0;
    gPlayer.gas = 0.004f;
    DrawHud();
    // 02 : 05 in 18-pixel cells from x = 10 and x = 62.
    EXPECT_EQ(LastLit(95, 28, 46), 28 + LargeGlyphWidth('2') - 1) << "minutes 02";
    EXPECT_EQ(LastLit(95, 80, 100), 80 + LargeGlyphWidth('5') - 1) << "seconds 05";
    EXPECT_EQ(FirstLit(95, 40, 60), 46) << "the colon";
    // The score ends 10 pixels from the right edge.
    EXPECT_EQ(LastLit(95, 700, 800), 790);
    EXPECT_EQ(FirstLit(95, 600, 800), 790 - Large("$1234"));
    // Gas 0.004 shows 1: symbol, two spaces, "1", centred on 4 characters.
    int x = 400 - 2 * 18;
    EXPECT_EQ(FirstLit(95, 300, 500), x);
    EXPECT_EQ(LastLit(95, 300, 500), x + 18 + 32 + LargeGlyphWidth('1') - 1);
    EXPECT_EQ(platform->Pixel(x, 95), To555(kPlainGlyph));
    EXPECT_FALSE(Lit(70, 465)) << "no lives, no symbols";

    Blank();
    gGame.timeLeft = 126;
    gPlayer.gas = 0.0f;
    gGame.lives = -1;
    DrawHud();
    EXPECT_EQ(LastLit(95, 80, 100), 80 + LargeGlyphWidth('6') - 1) << "seconds 06";
    EXPECT_EQ(platform->Pixel(x, 95), To555(kSecondGlyph)) << "an empty tank in the second style";
    EXPECT_FALSE(Lit(70, 465)) << "lives -1 draws nothing";

    Blank();
    gPlayer.gas = 1.0f;
    gGame.lives = 2;
    DrawHud();
    x = 400 - 3 * 18;  // "x  100": six characters
    EXPECT_EQ(FirstLit(95, 300, 500), x);
    EXPECT_EQ(LastLit(95, 300, 500), x + 18 + 32 + 36 + LargeGlyphWidth('0') - 1);
    EXPECT_TRUE(Lit(70, 465));
    EXPECT_TRUE(Lit(70 + 2 * kLifeW - 1, 465));
    EXPECT_FALSE(Lit(70 + 2 * kLifeW, 465)) << "two life symbols side by side";
}

TEST_F(TextAndHudTest, HudShowsTheRunningPowerUps) {
    const std::uint16_t symbol = To555(0xFFE0E000u);
    DrawHud();
    EXPECT_NE(platform->Pixel(735, 100), symbol);
    EXPECT_NE(platform->Pixel(72, 104), symbol);
    gLevel.bonusTimer[2] = 5.0f;
    gLevel.bonusTimer[4] = 5.0f;
    DrawHud();
    EXPECT_EQ(platform->Pixel(72, 104), symbol) << "double speed at (70, 90)";
    EXPECT_EQ(platform->Pixel(735, 100), symbol) << "double sawing at (730, 90)";
}

TEST_F(TextAndHudTest, TimeBonusIsShownThenFliesToTheClockAndIsPaid) {
    gLevel.bonusTimer[1] = 100.0f;
    gLevel.bonusPayout[1] = 90;
    int x0 = 400 - Large("01:30") / 2;
    DrawBonusDisplay(10.0f);
    EXPECT_EQ(FirstLit(255, 200, 600), x0) << "01:30 in the middle";
    EXPECT_EQ(LastLit(255, 200, 600), x0 + Large("01:30"));
    EXPECT_EQ(FirstLit(205, 0, 800), 400 - Large("T61") / 2) << "text 61 above it";
    EXPECT_EQ(gLevel.bonusTimer[1], 90.0f);

    Blank();
    gLevel.bonusTimer[1] = 14.0f;  // f = 15 / 30 = 0.5
    DrawBonusDisplay(1.0f);
    int x = static_cast<int>(static_cast<float>(x0) * 0.5f + 10.0f * 0.5f);
    EXPECT_EQ(FirstLit(172, 0, 800), x) << "half way to the clock";
    EXPECT_FALSE(Lit(x, 255));
    EXPECT_EQ(FirstLit(205, 0, 800), -1) << "no heading while flying";

    gGame.clockBudget = 200;
    gGame.clockStart = platform->Now() - 150000;  // 50 s left
    gLevel.bonusTimer[1] = 0.5f;
    DrawBonusDisplay(1.0f);
    EXPECT_EQ(gLevel.bonusTimer[1], 0.0f);
    EXPECT_EQ(gLevel.bonusPayout[1], 0);
    EXPECT_EQ(gGame.clockStart, platform->Now() - 60000) << "90 seconds added";
}

TEST_F(TextAndHudTest, ScoreBonusIsPaidIntoTheScore) {
    gGame.score = 100;
    gLevel.bonusTimer[3] = 40.0f;
    gLevel.bonusPayout[3] = 250;
    DrawBonusDisplay(5.0f);
    EXPECT_EQ(FirstLit(255, 200, 600), 400 - Large("$250") / 2);
    for (int i = 0; i < 6; ++i) DrawBonusDisplay(5.0f);
    EXPECT_EQ(gGame.score, 100) << "5 units are left";
    // The timer lands exactly on 0: the points are paid all the same (a timer
    // of 0 is never shown again, so they would be lost otherwise).
    DrawBonusDisplay(5.0f);
    EXPECT_EQ(gGame.score, 350);
    EXPECT_EQ(gLevel.bonusPayout[3], 0);
    EXPECT_EQ(gLevel.bonusTimer[3], 0.0f);
    Blank();
    DrawBonusDisplay(5.0f);
    EXPECT_EQ(FirstLit(255, 0, 800), -1) << "nothing shown once paid";
}

TEST_F(TextAndHudTest, StateTexts) {
    gGame.screenState = GetReady;
    gGame.levelNumber = 7;
    platform->SetTime(0x10000 | 512);
    DrawStateTexts();
    EXPECT_EQ(FirstLit(185, 0, 800), 400 - Large("Level 07") / 2);
    EXPECT_EQ(FirstLit(245, 0, 800), 400 - Large("T11") / 2) << "blinking line on";
    Blank();
    platform->SetTime(0x10000);
    DrawStateTexts();
    EXPECT_EQ(FirstLit(245, 0, 800), -1) << "blinking line off";

    // The tally: texts used as formats with one number each.
    Blank();
    gGame.screenState = LevelWon;
    gGame.timeLeft = 42;
    gLevel.timeBonusPerSecond = 3;
    DrawStateTexts();
    std::uint64_t tally = platform->FrameHash();
    Blank();
    DrawCentredText(180, "T13");
    DrawCentredText(280, "Time 42");
    DrawCentredText(360, "Bonus 3");
    DrawCentredText(440, "Total 126");
    EXPECT_EQ(platform->FrameHash(), tally);

    Blank();
    gGame.screenState = LifeLost;
    gLevel.outOfGas = false;
    DrawStateTexts();
    EXPECT_EQ(FirstLit(185, 0, 800), 400 - Large("T62") / 2);
    EXPECT_EQ(FirstLit(245, 0, 800), -1);
    gLevel.outOfGas = true;
    gGame.screenState = GameOver;
    Blank();
    DrawStateTexts();
    EXPECT_EQ(FirstLit(185, 0, 800), 400 - Large("T12") / 2);
    EXPECT_EQ(FirstLit(245, 0, 800), 400 - Large("T29") / 2) << "out of gas";

    Blank();
    gGame.screenState = GameWon;
    DrawStateTexts();
    const int lines[10] = {180, 220, 250, 280, 310, 340, 370, 400, 430, 460};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(FirstLit(lines[i] + 5, 0, 800), 400 - Large("T4" + std::to_string(i)) / 2)
            << "line " << i;
}

TEST_F(TextAndHudTest, FormatsFromTheTextFileAreUsedSafely) {
    world.texts[23] = "%s%s%n %d";
    world.texts[25] = "100%% %d";
    GameShutdown();
    ResetGameState();
    StartGame();
    Blank();
    gGame.screenState = LevelWon;
    gGame.timeLeft = 5;
    DrawStateTexts();  // must neither crash nor read arguments that are not there
    std::uint64_t drawn = platform->FrameHash();
    Blank();
    DrawCentredText(180, "T13");
    DrawCentredText(280, FormatText("%s%s%n %d", 5).c_str());
    DrawCentredText(360, "Bonus 1");
    DrawCentredText(440, "100% 5");
    EXPECT_EQ(platform->FrameHash(), drawn);
}

}  // namespace
}  // namespace flowtest
