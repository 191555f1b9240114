// Whole games played frame by frame through the entry points: from the menu
// to a won level and the next one, a knock-out and the replayed level, the
// last life and the name entry, the won game, and a scripted game replayed
// twice with the same result.
#include "tests/game/GameFixture.h"
#include "ui/HighScores.h"

namespace flowtest {
namespace {

class ScenarioTest : public GameFixture {
protected:
    // Holds Space until the level ends or `limit` frames have passed.
    void SawUntilTheLevelEnds(int limit = 3000) {
        Hold(Key::Space);
        for (int i = 0; i < limit && gGame.screenState == Playing; ++i) Frame();
        Release(Key::Space);
    }
};

TEST_F(ScenarioTest, SawEveryPieceWinAndGoOn) {
    StartGame();
    StartFromMenu();
    int sofa = FindObjectNamed("Sofa");
    ASSERT_GE(sofa, 0);
    SawUntilTheLevelEnds();
    ASSERT_EQ(gGame.screenState, LevelWon);
    EXPECT_LE(SectionsLeft(gObjects[sofa]), 0.0f);
    int timeLeft = gGame.timeLeft;
    EXPECT_GT(timeLeft, 50);
    EXPECT_EQ(gGame.lives, 2);

    // The tally stays four seconds, the cover closes, the next level opens.
    RunFrames(240);
    EXPECT_EQ(gGame.score, 10 + timeLeft) << "the sofa's points and a point per second left";
    EXPECT_EQ(gGame.screenState, LevelWon);
    EXPECT_EQ(gGame.curtainDirection, 1);
    EXPECT_EQ(gGame.curtain, 1.0f) << "fully closed before the next level";
    ASSERT_TRUE(RunUntilState(GetReady, 60));
    EXPECT_EQ(gGame.levelNumber, 2);
    int score = gGame.score;
    ASSERT_TRUE(RunUntilState(Playing));
    EXPECT_EQ(gGame.score, score);
    EXPECT_EQ(gGame.timeLeft, 60);
    EXPECT_GT(SectionsLeft(gObjects[FindObjectNamed("Sofa")]), 0.0f) << "a fresh sofa";
}

TEST_F(ScenarioTest, AKnockOutReplaysTheLevel) {
    StartGame();
    StartFromMenu();
    Hold(Key::Space);
    RunFrames(12);  // some work on the sofa
    Release(Key::Space);
    RunFrames(100);
    gPlayer.hit = 1;  // a figure reaches the player
    Frame();
    ASSERT_EQ(gGame.screenState, LifeLost);
    EXPECT_EQ(gGame.lives, 1);
    ASSERT_TRUE(RunUntilState(GetReady, 300));
    EXPECT_EQ(gGame.levelNumber, 1) << "the same level again";
    EXPECT_EQ(gObjects[FindObjectNamed("Sofa")].sections[0], 10.0f);
    ASSERT_TRUE(RunUntilState(Playing));
    EXPECT_EQ(gGame.timeLeft, 60);
    EXPECT_EQ(gGame.lives, 1);
}

TEST_F(ScenarioTest, TheLastLifeEndsInTheNameEntry) {
    StartGame();
    StartFromMenu();
    gGame.lives = 0;
    gGame.score = 50;
    gPlayer.hit = 1;
    Frame();
    ASSERT_EQ(gGame.screenState, GameOver);
    EXPECT_EQ(gGame.lives, -1);
    ASSERT_TRUE(RunUntilState(HighScoreEntry, 300));
    for (char c : std::string("ann")) {
        platform->SetCharKey(c, true);
        Frame();
        platform->SetCharKey(c, false);
        Frame();
    }
    Tap(Key::Enter);
    Frame();
    ASSERT_EQ(gGame.screenState, HighScoreTable);
    EXPECT_EQ(HighScoreValue(5), 50) << "50 is placed above the stored 50";
    EXPECT_EQ(std::string(HighScoreName(5)), std::string(TypedName()));
    EXPECT_NE(std::string(TypedName()).find("ann"), std::string::npos);
    EXPECT_EQ(gGame.currentMusic, 2);
    Tap(Key::Escape);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
}

TEST_F(ScenarioTest, WinningTheLastLevelWinsTheGame) {
    StartGame();
    StartFromMenu();
    SawUntilTheLevelEnds();
    ASSERT_EQ(gGame.screenState, LevelWon);
    ASSERT_TRUE(RunUntilState(Playing, 400));
    ASSERT_EQ(gGame.levelNumber, 2);
    platform->ClearSoundLog();
    SawUntilTheLevelEnds();
    ASSERT_EQ(gGame.screenState, LevelWon);
    RunFrames(200);
    EXPECT_EQ(gGame.curtain, 0.0f) << "no next level: the cover stays open";
    ASSERT_TRUE(RunUntilState(GameWon, 60));
    EXPECT_EQ(CuePlays(kCueGameWon), 1);
    std::uint64_t hash = platform->FrameHash();
    RunFrames(50);
    EXPECT_EQ(gGame.screenState, GameWon) << "the lines stay until a key is pressed";
    EXPECT_EQ(platform->FrameHash(), hash) << "a still picture";
    Tap(Key::Enter);
    Frame();
    EXPECT_EQ(gGame.screenState, HighScoreEntry) << "two levels' worth of points qualify";
}

// A short game with every kind of input; what it leaves behind.
struct Outcome {
    i32 score, state, level, lives;
    float position;
    std::uint64_t hash;
    u32 random;
};

class ReplayTest : public ScenarioTest {
protected:
    Outcome PlayScript() {
        ResetGameState();
        MakePlatform();
        EXPECT_TRUE(GameInit(platform.get()));
        StartFromMenu();
        Hold(Key::Right);
        RunFrames(40);
        Release(Key::Right);
        Hold(Key::Left);
        RunFrames(57);
        Release(Key::Left);
        RunFrames(30, 13);
        Hold(Key::Space);
        RunFrames(20, 17);
        Release(Key::Space);
        Tap(Key::Escape);
        RunFrames(30);
        Tap(Key::Escape);
        Hold(Key::Right);
        RunFrames(25);
        Release(Key::Right);
        RunFrames(70);
        Outcome o{gGame.score,         gGame.screenState,     gGame.levelNumber, gGame.lives,
                  gLevel.playfieldPos, platform->FrameHash(), Random::State()};
        GameShutdown();
        return o;
    }
};

TEST_F(ReplayTest, AScriptedGameReplaysExactly) {
    world.levels[1] =
        std::string(kDefaultLevel) + "#CHARACTER 0.5 POLICEMAN 1\n#CHARACTER 1.0 REMOVALMAN 0\n";
    BuildWorld(world);
    Outcome a = PlayScript();
    Outcome b = PlayScript();
    EXPECT_EQ(a.score, b.score);
    EXPECT_EQ(a.state, b.state);
    EXPECT_EQ(a.level, b.level);
    EXPECT_EQ(a.lives, b.lives);
    EXPECT_EQ(a.position, b.position);
    EXPECT_EQ(a.hash, b.hash) << "the same frame buffer";
    EXPECT_EQ(a.random, b.random) << "the same random draws";
}

}  // namespace
}  // namespace flowtest
