// The entry points and the screen state machine: start-up and its failures,
// the first frames, the presentation band, the transitions between screens
// and the menu choices.
#include <fstream>

#include "tests/game/GameFixture.h"
#include "ui/HighScores.h"

namespace flowtest {
namespace {

constexpr u32 Band(u32 first, u32 rows) {
    return (rows << 16) | first;
}

class GameFlowTest : public GameFixture {};

TEST_F(GameFlowTest, InitFailsWithoutArchiveAndLeavesNothingBehind) {
    MakePlatform();
    EXPECT_FALSE(GameInit(platform.get()));
    EXPECT_EQ(gLibrary, nullptr);
    EXPECT_NE(std::string(GameInitError()).find("Data.lib was not found"), std::string::npos)
        << GameInitError();

    // A file that is no archive at all.
    dir.Write("Data.lib", std::string("this is not an archive"));
    EXPECT_FALSE(GameInit(platform.get()));
    EXPECT_EQ(gLibrary, nullptr);
    EXPECT_NE(std::string(GameInitError()).find("could not be read as a game archive"),
              std::string::npos)
        << GameInitError();
    EXPECT_EQ(platform->Files().UsedMapSlots(), 0) << "the archive must not stay mapped";
}

TEST_F(GameFlowTest, InitFailsOnBrokenTextFile) {
    world.brokenText = true;
    BuildWorld(world);
    MakePlatform();
    EXPECT_FALSE(GameInit(platform.get()));
    EXPECT_EQ(gLibrary, nullptr);
    EXPECT_NE(std::string(GameInitError()).find("Text.txt could not be read"), std::string::npos);
    ASSERT_FALSE(platform->Messages().empty()) << "the reader reports its parse error";
    EXPECT_EQ(platform->Messages().back().second, "Parse Error!");
    EXPECT_EQ(platform->Files().UsedMapSlots(), 0);
}

TEST_F(GameFlowTest, InitPreparesTheMainMenu) {
    StartGame();
    EXPECT_EQ(gGame.screenWidth, 800);
    EXPECT_EQ(gGame.screenRect.bottom, 600);
    std::ifstream lib(dir.File("Data.lib"), std::ios::binary | std::ios::ate);
    EXPECT_EQ(gGame.libraryBytes, static_cast<i32>(lib.tellg()));
    EXPECT_EQ(gGame.score, 0);
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(gGame.lives, 2);
    EXPECT_EQ(gGame.screenState, MainMenu);
    EXPECT_EQ(gGame.stateTimer, 5);
    EXPECT_EQ(gGame.currentMusic, 2);
    EXPECT_TRUE(platform->IsLooping(MusicWave(0))) << "the menu piece plays";
    EXPECT_TRUE(GameIsRunning());

    EXPECT_TRUE(GameShutdown());
    EXPECT_EQ(gLibrary, nullptr);
    EXPECT_EQ(platform->Files().UsedMapSlots(), 0);
}

TEST_F(GameFlowTest, FirstFrameTakesTheTimeOnly) {
    StartGame();
    platform->ShowMouseCursor(false);
    u32 band = Frame(40);
    EXPECT_EQ(band, Band(0, 600)) << "the main menu is shown whole";
    EXPECT_EQ(gGame.stateTimer, 5) << "the first call has an elapsed time of 0";
    EXPECT_FALSE(gGame.cursorShownOnce);
    EXPECT_FALSE(platform->CursorShown());

    Frame(3);  // 3 ms: the timer of 5 has not run out
    EXPECT_EQ(gGame.stateTimer, 2);
    EXPECT_FALSE(gGame.cursorShownOnce);
    Frame(3);
    EXPECT_TRUE(gGame.cursorShownOnce) << "the main menu ran for the first time";
    EXPECT_TRUE(platform->CursorShown());
    EXPECT_EQ(gGame.stateTimer, 1) << "the main menu runs every frame";
}

TEST_F(GameFlowTest, FrameRateCountsTheFramesOfEachSecond) {
    StartGame();
    Frame();        // opens the first window: one frame
    RunFrames(62);  // 992 ms
    EXPECT_EQ(gGame.fps, 0);
    Frame();  // 1008 ms: more than a second
    EXPECT_EQ(gGame.fps, 64);
    EXPECT_EQ(gGame.framesInWindow, 0);
    RunFrames(10, 101);
    EXPECT_EQ(gGame.fps, 10) << "ten frames of 101 ms";
}

TEST_F(GameFlowTest, LevelStartActsOnTheNextCallWithTime) {
    StartGame();
    Frame();
    SetScreenState(LevelStart, 1);
    EXPECT_EQ(Frame(0), 1u) << "a call without elapsed time finds LevelStart and shows nothing";
    EXPECT_EQ(gGame.screenState, LevelStart);

    u32 band = Frame(16);
    EXPECT_EQ(gGame.screenState, GetReady);
    EXPECT_EQ(gGame.stateTimer, 1500);
    EXPECT_EQ(band, Band(0, 600)) << "GetReady is drawn and shown whole at once";
    EXPECT_EQ(gGame.curtain, 2.0f) << "the level starts fully covered";
    EXPECT_EQ(gGame.curtainDirection, -1);
}

TEST_F(GameFlowTest, GetReadyOpensTheCoverAndStartsTheClock) {
    StartGame();
    Frame();
    SetScreenState(LevelStart, 1);
    Frame();
    ASSERT_EQ(gGame.screenState, GetReady);
    Frame(99);  // 1401 left
    EXPECT_EQ(gGame.curtain, 2.0f);
    Frame(2);  // 1399 left: the cover starts to open
    EXPECT_EQ(gGame.curtainDirection, -1);
    EXPECT_LT(gGame.curtain, 1.0f);
    EXPECT_GT(gGame.curtain, 0.9f);

    while (gGame.screenState == GetReady) Frame();
    EXPECT_EQ(gGame.screenState, Playing);
    EXPECT_EQ(gGame.stateTimer, 0);
    EXPECT_EQ(gGame.clockBudget, 60);
    EXPECT_EQ(gGame.clockStart, platform->Now());
}

TEST_F(GameFlowTest, PlayingShowsTheMiddleBandUnlessAskedForAll) {
    StartGame();
    StartFromMenu();
    EXPECT_EQ(Frame(16, false), Band(80, 440));
    gGame.curtain = 0.5f;
    EXPECT_EQ(Frame(16, true), Band(0, 600));
    EXPECT_EQ(gGame.curtain, 0.0f) << "a whole-screen present outside GetReady drops the cover";
}

TEST_F(GameFlowTest, LevelWonLeadsToTheNextLevelOrToTheWonGame) {
    StartGame();
    StartFromMenu();
    SetScreenState(LevelWon, 1);
    Frame();
    EXPECT_EQ(gGame.levelNumber, 2);
    EXPECT_EQ(gGame.screenState, LevelStart) << "level 2 exists";
    ASSERT_TRUE(RunUntilState(Playing));

    platform->ClearSoundLog();
    gGame.score = 5;  // below every place of the table
    SetScreenState(LevelWon, 1);
    Frame();
    EXPECT_EQ(gGame.levelNumber, 3);
    EXPECT_EQ(gGame.screenState, GameWon) << "there is no level 3";
    EXPECT_EQ(CuePlays(kCueGameWon), 1);

    // The ten lines stay until a key is pressed.
    RunFrames(100);
    EXPECT_EQ(gGame.screenState, GameWon);
    Tap(Key::Space);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
    EXPECT_EQ(gGame.currentMusic, 2);
    EXPECT_TRUE(platform->CursorShown());
}

TEST_F(GameFlowTest, WonGameWithAQualifyingScoreAsksForAName) {
    StartGame();
    StartFromMenu();
    gGame.levelNumber = 2;
    gGame.score = 95;
    SetScreenState(LevelWon, 1);
    Frame();
    ASSERT_EQ(gGame.screenState, GameWon);
    Tap(Key::Enter);
    Frame();
    EXPECT_EQ(gGame.screenState, HighScoreEntry);
    EXPECT_EQ(gGame.currentMusic, 0);
    EXPECT_FALSE(platform->CursorShown());
}

TEST_F(GameFlowTest, GameOverGoesToTheMenuOrToTheNameEntry) {
    StartGame();
    StartFromMenu();
    gGame.score = 3;
    SetScreenState(GameOver, 4000);
    RunFrames(240);
    EXPECT_EQ(gGame.screenState, GameOver) << "3840 ms of 4000";
    RunFrames(11);
    EXPECT_EQ(gGame.screenState, MainMenu);
    EXPECT_EQ(gGame.score, 0);
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(gGame.currentMusic, 2);

    StartFromMenu();
    gGame.score = 10;  // equal to the lowest entry: qualifies
    SetScreenState(GameOver, 1);
    Frame();
    EXPECT_EQ(gGame.screenState, HighScoreEntry);
    EXPECT_EQ(gGame.score, 10);
}

TEST_F(GameFlowTest, NameEntryStoresTheScoreAndShowsTheTable) {
    StartGame();
    StartFromMenu();
    gGame.score = 95;
    SetScreenState(GameOver, 1);
    Frame();
    ASSERT_EQ(gGame.screenState, HighScoreEntry);
    Frame();
    platform->SetCharKey('o', true);
    Frame();
    platform->SetCharKey('o', false);
    Frame();
    platform->SetCharKey('k', true);
    Frame();
    platform->SetCharKey('k', false);
    Tap(Key::Enter);
    Frame();
    EXPECT_EQ(gGame.screenState, HighScoreTable);
    EXPECT_EQ(HighScoreValue(1), 95) << "95 goes to the second place";
    EXPECT_EQ(std::string(HighScoreName(1)), std::string(TypedName()));
    EXPECT_EQ(gGame.score, 0);
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(dir.Read("HiScore.dat").size(), 164u) << "the table was saved";

    Tap(Key::Enter);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
}

TEST_F(GameFlowTest, FourthStartButtonStartsAtLevelThirtyOne) {
    for (int n = 3; n <= 31; ++n) world.levels[n] = kDefaultLevel;
    StartGame();
    gGame.score = 77;
    gGame.lives = 0;
    ASSERT_TRUE(RunUntilState(MainMenu));
    Frame();
    Frame();
    ClickButton(1);
    Frame();
    ASSERT_EQ(gGame.screenState, StartLevelSelect);
    Frame();
    ClickButton(15);
    Frame();
    EXPECT_EQ(gGame.screenState, LevelStart);
    EXPECT_EQ(gGame.levelNumber, 31);
    EXPECT_EQ(gGame.lives, 2);
    EXPECT_EQ(gGame.score, 0);
    EXPECT_EQ(gGame.currentMusic, 1);
    EXPECT_FALSE(platform->CursorShown());
    Frame();
    EXPECT_EQ(gGame.screenState, GetReady);
    EXPECT_EQ(gGame.levelNumber, 31);
}

TEST_F(GameFlowTest, OptionsSwitchSoundAndMusicForTheRun) {
    StartGame();
    Frame();
    Frame();
    ClickButton(4);
    Frame();
    ASSERT_EQ(gGame.screenState, Options);
    Frame();

    ClickButton(7);
    Frame();
    EXPECT_FALSE(gGame.musicOn);
    EXPECT_EQ(gGame.currentMusic, -1);
    EXPECT_FALSE(platform->IsLooping(MusicWave(0)));
    Frame();
    ClickButton(7);
    Frame();
    EXPECT_TRUE(gGame.musicOn);
    EXPECT_EQ(gGame.currentMusic, 2);
    EXPECT_TRUE(platform->IsLooping(MusicWave(0)));

    Frame();
    ClickButton(6);
    Frame();
    EXPECT_FALSE(gGame.soundEffectsOn);
    Frame();
    ClickButton(8);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
}

TEST_F(GameFlowTest, HelpPagesTurnAndReturn) {
    StartGame();
    Frame();
    Frame();
    ClickButton(2);
    Frame();
    ASSERT_EQ(gGame.screenState, HelpPages);
    Frame();
    // The small "next" button is centred at the bottom.
    Click(400, 510 + kSmallButtonH / 2);
    Frame();
    EXPECT_EQ(gGame.helpPage, 1);
    Frame();
    Click(10 + kSmallButtonW / 2, 510 + kSmallButtonH / 2);  // previous
    Frame();
    Frame();
    Click(10 + kSmallButtonW / 2, 510 + kSmallButtonH / 2);
    Frame();
    EXPECT_EQ(gGame.helpPage, 3) << "page -1 is brought round to the last page";
    Tap(Key::Escape);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
}

TEST_F(GameFlowTest, MenuQuitEndsTheRunAndHighScoresReturn) {
    StartGame();
    Frame();
    Frame();
    ClickButton(3);
    Frame();
    ASSERT_EQ(gGame.screenState, HighScoreTable);
    Frame();
    Tap(Key::Enter);
    Frame();
    ASSERT_EQ(gGame.screenState, MainMenu);
    EXPECT_TRUE(GameIsRunning());
    Frame();
    ClickButton(5);
    Frame();
    EXPECT_FALSE(GameIsRunning());
}

TEST_F(GameFlowTest, PauseMenuContinuesOrQuitsToTheMenu) {
    StartGame();
    StartFromMenu();
    Tap(Key::Escape);
    Frame();
    ASSERT_EQ(gGame.screenState, Paused);
    EXPECT_TRUE(platform->SoundIsPaused());
    EXPECT_TRUE(platform->CursorShown());
    Frame();
    ClickButton(19);
    Frame();
    EXPECT_EQ(gGame.screenState, Playing);
    EXPECT_FALSE(platform->SoundIsPaused());
    EXPECT_FALSE(platform->CursorShown());
    EXPECT_EQ(gGame.currentMusic, 1);

    Tap(Key::Escape);
    Frame();
    ASSERT_EQ(gGame.screenState, Paused);
    Frame();
    ClickButton(18);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
    EXPECT_FALSE(platform->SoundIsPaused());
    EXPECT_TRUE(platform->CursorShown());
    EXPECT_EQ(gGame.currentMusic, 2);
}

// What a desktop host adds: the remembered Options switches, and the pause
// it asks for when its window loses the focus (only a street is paused).
TEST_F(GameFlowTest, HostSwitchesAndHostPause) {
    GameSetSwitches(false, false);
    StartGame();
    bool effects = true, music = true;
    GameGetSwitches(&effects, &music);
    EXPECT_FALSE(effects);
    EXPECT_FALSE(music);
    EXPECT_FALSE(platform->IsLooping(MusicWave(0))) << "remembered: no music";
    gGame.musicOn = true;
    GameGetSwitches(&effects, &music);
    EXPECT_TRUE(music) << "the Options screen's choice is what the host keeps";

    GamePause();
    EXPECT_EQ(gGame.screenState, MainMenu) << "a menu is not paused";
    StartFromMenu();
    ASSERT_EQ(gGame.screenState, Playing);
    GamePause();
    EXPECT_EQ(gGame.screenState, Paused);
    EXPECT_TRUE(platform->SoundIsPaused());
    GamePause();
    EXPECT_EQ(gGame.screenState, Paused) << "a second focus loss changes nothing";
}

TEST_F(GameFlowTest, LostLifeReplaysTheLevelAfterFourSeconds) {
    StartGame();
    StartFromMenu();
    SetScreenState(LifeLost, 4000);
    RunFrames(200);
    EXPECT_EQ(gGame.screenState, LifeLost);
    EXPECT_NE(gGame.curtain, 0.0f) << "the cover closes in the last second (level 2 exists)";
    EXPECT_EQ(gGame.curtainDirection, 1);
    RunFrames(49);
    EXPECT_EQ(gGame.screenState, LifeLost) << "3984 ms of 4000";
    Frame();
    EXPECT_EQ(gGame.screenState, LevelStart);
    EXPECT_EQ(gGame.currentMusic, 1);
    Frame();
    EXPECT_EQ(gGame.screenState, GetReady);
    EXPECT_EQ(gGame.levelNumber, 1);
}

}  // namespace
}  // namespace flowtest
