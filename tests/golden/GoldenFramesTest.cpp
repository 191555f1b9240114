// Golden frames: every screen of the game, reached through the game's own
// entry points with keys and time, compared with the hash of a frame that was
// looked at and found right. When a hash no longer matches, the test writes
// the new frame as a PNG and prints its hash (see docs/testing.md).
#include <gtest/gtest-spi.h>

#include <cstdlib>
#include <filesystem>
#include <random>
#include <vector>

#include "blit/Blitter.h"
#include "tests/golden/GoldenWorld.h"

namespace golden {
namespace {

// ---- The comparison itself ----------------------------------------------------

GoldenTest* gCurrent = nullptr;  // for the failure checks below, which take no locals

TEST_F(GoldenTest, AChangedFrameIsReportedWithItsHashAndPicture) {
    StartGame();
    Frames(3);
    const std::string previousTmp = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "";
    ::setenv("TMPDIR", dir.Path().c_str(), 1);
    gCurrent = this;
    EXPECT_NONFATAL_FAILURE(gCurrent->ExpectFrame("deliberately-wrong", 1), "its hash is now 0x");
    EXPECT_NONFATAL_FAILURE(gCurrent->ExpectFrame("deliberately-wrong", 1), "frame written to");
    if (previousTmp.empty())
        ::unsetenv("TMPDIR");
    else
        ::setenv("TMPDIR", previousTmp.c_str(), 1);
    EXPECT_TRUE(std::filesystem::exists(dir.File("brettspalt-golden/deliberately-wrong.png")));
    // The matching hash passes without a word.
    gCurrent->ExpectFrame("unchanged", platform->FrameHash());
    gCurrent = nullptr;
}

// ---- Menu screens -------------------------------------------------------------

TEST_F(GoldenTest, MainMenuShowsTitleAndButtons) {
    StartGame();
    MainMenuSelecting(1);
    SettleButtons();
    // The title animation runs on by itself; wait for its first picture.
    bool titleAtStart = false;
    for (int i = 0; i < 40 && !titleAtStart; ++i) {
        Frame();
        titleAtStart = platform->Pixel(230, 35) == To555(TitleColour(0));
    }
    ASSERT_TRUE(titleAtStart) << "the title animation never showed its first picture";
    // Grid background, "TITLE 0" centred at the top, the five large buttons
    // at their places with shadows, "Start" fully highlighted.
    ExpectFrame("main-menu", 0xdb4730e6331635cdull);

    Press(Key::Down);
    Press(Key::Down);
    SettleButtons();
    for (int i = 0; i < 40; ++i) {
        if (platform->Pixel(230, 35) == To555(TitleColour(0))) break;
        Frame();
    }
    // The keyboard moved the highlight to "High scores" (button 3).
    ExpectFrame("main-menu-high-scores-selected", 0x007a44b9ee7bcf0aull);
}

TEST_F(GoldenTest, OptionsScreenShowsTheSwitches) {
    StartGame();
    MainMenuSelecting(4);
    Press(Key::Enter);
    ASSERT_EQ(gGame.screenState, Options);
    Press(Key::Down);
    Press(Key::Down);
    Press(Key::Up);  // the music switch
    Press(Key::Enter);
    ASSERT_FALSE(gGame.musicOn);
    SettleButtons();
    // Heading "Options" at (40, 30); "Sound on", "Music off" (highlighted)
    // and the centred "Back".
    ExpectFrame("options", 0xc69453e2f529c33full);
}

TEST_F(GoldenTest, StartLevelChoiceShowsHiddenAndMissingLevels) {
    StartGame();
    MainMenuSelecting(1);
    Press(Key::Enter);
    ASSERT_EQ(gGame.screenState, StartLevelSelect);
    for (int i = 0; i < 5; ++i) Press(Key::Up);
    for (int i = 0; i < 3; ++i) Press(Key::Down);
    SettleButtons();
    // Levels 1, 11 and 21 offered; level 31 hidden (text 60 lacks the 4);
    // level 41 has no file: drawn disabled, and highlighted it shows its
    // second line "not installed". "Back" centred at the bottom.
    ExpectFrame("start-level", 0xb5a2c9fdb8113d2aull);
}

TEST_F(GoldenTest, HighScoreTableShowsTheDefaults) {
    StartGame();
    MainMenuSelecting(3);
    Press(Key::Enter);
    ASSERT_EQ(gGame.screenState, HighScoreTable);
    SettleButtons();
    // Heading at (40, 30); ten shadowed rows "1." .. "10.", "Nobody", scores
    // $100 .. $10 right-aligned at x = 470; "Back" highlighted.
    ExpectFrame("high-scores", 0xe0848a5bb344ef79ull);
}

TEST_F(GoldenTest, HelpPagesLayOutTheirTexts) {
    StartGame();
    MainMenuSelecting(2);
    Press(Key::Enter);
    ASSERT_EQ(gGame.screenState, HelpPages);
    Press(Key::Left);
    Press(Key::Left);
    Press(Key::Right);  // "Next"
    SettleButtons();
    // Page texts in the small font from (30, 80), words wrapped before
    // x = 489, a new line after each asterisk; "Prev", "Next"
    // (highlighted) and "Back" small buttons at the bottom.
    const std::uint64_t kPages[4] = {
        0x614050e6a938583bull,  // page 1: the saw and the keys
        0x9e6400e5da6d471eull,  // page 2: removal men, lawyer and police, with an empty line
        0xaf3fee8e8a7a6992ull,  // page 3: gas
        0xb6b93199a3f2b4daull,  // page 4: bonuses
    };
    for (int page = 0; page < 4; ++page) {
        SCOPED_TRACE(page);
        ASSERT_EQ(gGame.helpPage, page);
        ExpectFrame(("help-page-" + std::to_string(page + 1)).c_str(), kPages[page]);
        Press(Key::Enter);
        SettleButtons();
    }
    // Past the last page the first one comes back.
    ExpectFrame("help-page-1-again", kPages[0]);
}

// ---- Level overlays and the play scene ------------------------------------------

TEST_F(GoldenTest, GetReadyOpensTheCoverOverTheLevelTitle) {
    StartGame();
    StartAt(12);
    for (int i = 0; i < 200 && gGame.screenState == GetReady &&
                    !(gGame.curtain > 0.0f && gGame.curtain <= 0.5f);
         ++i)
        Frame();
    ASSERT_EQ(gGame.screenState, GetReady);
    // The black cover half open: only the middle of the scene shows.
    ExpectFrame("get-ready-cover", 0x59fcbcbd5bf2fe95ull);

    // "Get ready!" blinks with bit 9 of the clock.
    for (int i = 0; i < 200 && gGame.screenState == GetReady &&
                    (gGame.curtain != 0.0f || !(platform->Now() & 512));
         ++i)
        Frame();
    ASSERT_EQ(gGame.screenState, GetReady);
    // The level still: background layers, sofas, canister, van, figures,
    // HUD; "Level 01" at y 180 and "Get ready!" at y 240.
    ExpectFrame("get-ready", 0x49f18c8f9ea15dcbull);
}

TEST_F(GoldenTest, PlaySceneWithHudAndPausePanelOverIt) {
    StartGame();
    StartAt(12);
    ASSERT_TRUE(RunUntilState(Playing));
    Hold(Key::Space);
    for (int i = 0; i < 200 && gObjects[0].stage < 4; ++i) Frame();
    Release(Key::Space);
    Frames(5);
    ASSERT_GE(gLevel.bonusTimer[1], 30.0f) << "the sofa's time bonus should be announced";
    // "Bonus!" at y 200 and the time bonus "01:30" centred at y 250; the
    // sofa's "$10" on its way to the score.
    ExpectFrame("time-bonus", 0x8f2e0d2716ecfb64ull);

    // The sofa's points fly to the score and the bonus to the clock before
    // they are paid.
    for (int i = 0; i < 300 && (gGame.score == 0 || gLevel.bonusTimer[1] > 0.0f); ++i) Frame();
    // A few steps to the right scroll both background layers, each at its
    // own speed, to a position between two whole pixels.
    Hold(Key::Right);
    Frames(12);
    Release(Key::Right);
    Frames(10);
    ASSERT_EQ(gGame.screenState, Playing);
    ASSERT_GT(gGame.score, 0) << "the first sofa should be sawn through and paid";
    // Both layers scrolled (the street's tile edge at x 332, the middle
    // layer's at 760); the first sofa in pieces behind the canister, which
    // stands in front of the player; lawyer, removal man, policeman, the
    // second sofa; the clock back at "02:05" (the bonus fills it up to the
    // level's time, no further), gas 95, "$10" and two life symbols.
    ExpectFrame("play", 0xbe0c4c7320b71d2full);

    Tap(Key::Escape);
    Frame();
    ASSERT_EQ(gGame.screenState, Paused);
    SettleButtons();
    // The pause panel over the frozen scene: "Paused" centred at y 132,
    // "To the menu" and "Continue" (highlighted).
    ExpectFrame("paused", 0xaf984be3c3afa7a4ull);
}

// The play scene draws its two background layers in one pass; at any scroll
// positions, street length and clip rectangle the frame must be the one of
// drawing the middle layer and then the street over it.
TEST_F(GoldenTest, BackgroundLayersInOnePassMatchDrawingThemInTurn) {
    StartGame();
    AssetRef& background = AssetNames::Background();
    for (int t = 0; t < 3; ++t) {
        const PictureItem* street = gLibrary->GetPicture(&background, 0, t);
        const PictureItem* middle = gLibrary->GetPicture(&background, 1, t);
        ASSERT_TRUE(street && middle);
        ASSERT_TRUE(CanBlitOver(80, street, {{middle, middle}, 0, 80})) << "tile " << t;
    }
    std::mt19937 random(20261208);
    auto between = [&random](int low, int high) {
        return low + static_cast<int>(random() % static_cast<unsigned>(high - low + 1));
    };
    const size_t pixels = static_cast<size_t>(platform->GetScreenPitch() / 2) * 600;
    for (int n = 0; n < 300; ++n) {
        gLevel.playfieldWidth = between(0, 9);
        // Positions in screens, negative ones too, with fractions of a pixel.
        const float middle = static_cast<float>(between(-40000, 40000)) / 1999.0f;
        const float street = static_cast<float>(between(-40000, 40000)) / 1999.0f;
        frameClip = {between(-20, 400), between(0, 300), between(400, 820), between(300, 620)};
        if (n % 4 == 0) frameClip = {0, 0, 800, 600};
        const int clipRight = std::min(frameClip.right, 800);
        const int clipBottom = std::min(frameClip.bottom, 600);
        auto draw = [&](bool inOnePass) {
            u16* screen = platform->GetScreenPixels();
            for (size_t i = 0; i < pixels; ++i) screen[i] = static_cast<u16>(i * 2654435761u >> 17);
            SetBlitTarget(screen, platform->GetScreenPitch());
            SetBlitClip(std::max(frameClip.left, 0), frameClip.top, clipRight, clipBottom);
            if (inOnePass) {
                DrawBackgroundLayers(middle, street, 0, 80);
            } else {
                DrawBackgroundLayer(middle, 1, 80);
                DrawBackgroundLayer(street, 0, 80);
            }
            return std::vector<u16>(screen, screen + pixels);
        };
        const std::vector<u16> inTurn = draw(false);
        ASSERT_TRUE(draw(true) == inTurn) << "middle " << middle << ", street " << street
                                          << ", street length " << gLevel.playfieldWidth;
    }
}

TEST_F(GoldenTest, LastLevelWonLeadsThroughTallyAndGameWonToNameEntry) {
    StartGame();
    StartAt(13);  // level 11: one sofa, three points a second
    ASSERT_TRUE(RunUntilState(Playing));
    Hold(Key::Space);
    ASSERT_TRUE(RunUntilState(LevelWon, 400));
    Release(Key::Space);
    Frames(5);
    // "Level complete", the time left, the bonus per second and the total.
    ExpectFrame("level-won", 0x5904acbaa23e4e04ull);

    ASSERT_TRUE(RunUntilState(GameWon));
    Frames(5);
    // Level 11 was the last: the ten lines of the game-won screen.
    ExpectFrame("game-won", 0x44bd7aeec780a6f4ull);

    Tap(Key::Enter);
    Frame();
    ASSERT_EQ(gGame.screenState, HighScoreEntry);
    for (unsigned char c : {'b', 'r', 'e', 't', 't'}) {
        TapChar(c);
        Frame();
        Frame();
    }
    // Panel with its shadow, prompt, the typed name and, just after a key,
    // the cursor right after the name.
    ExpectFrame("name-entry", 0xb6e7cb5b3c9cac1eull);

    Tap(Key::Enter);
    Frame();
    ASSERT_EQ(gGame.screenState, HighScoreTable);
    SettleButtons();
    // The new entry "brett" at the top.
    ExpectFrame("high-scores-after-entry", 0xab49a12f8ea57d66ull);
}

TEST_F(GoldenTest, LivesLostToAnEmptyTankEndTheGame) {
    StartGame();
    StartAt(14);  // level 21: almost no gas
    ASSERT_TRUE(RunUntilState(LifeLost));
    Frames(5);
    // "Life lost" at y 180 and "Out of gas!" at y 240; one life symbol left.
    ExpectFrame("life-lost", 0x5356f939f311307aull);

    // In its last second the screen closes toward the middle, because a file
    // for the next level (22) exists: black outside x 92..705; the first life
    // symbol is cut off.
    for (int i = 0; i < 400 && gGame.screenState == LifeLost && gGame.curtain < 0.25f; ++i) Frame();
    ASSERT_EQ(gGame.screenState, LifeLost);
    ExpectFrame("life-lost-cover-closing", 0x467dc5e410773142ull);

    ASSERT_TRUE(RunUntilState(GameOver));
    Frames(5);
    // "Game over" and "Out of gas!", no life symbols.
    ExpectFrame("game-over", 0x76a2c9c3c7dff9e2ull);
}

}  // namespace
}  // namespace golden
