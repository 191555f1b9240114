// The testers' function keys: dead until the cheat code is typed, then each
// acts once per press; the read-outs they switch on.
#include "tests/game/GameFixture.h"

namespace flowtest {
namespace {

class DebugKeysTest : public GameFixture {
protected:
    void Play() {
        StartGame();
        StartFromMenu();
    }
    void EnterCode() { platform->TypeText("hello74qv19"); }

    // Whether the host's white debug text shows anywhere in the rectangle.
    bool WhiteTextIn(int left, int top, int right, int bottom) {
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                if (platform->Pixel(x, y) == 0x7FFF) return true;
        return false;
    }
};

TEST_F(DebugKeysTest, FunctionKeysDoNothingBeforeTheCode) {
    Play();
    for (Key k : {Key::F1, Key::F2, Key::F3, Key::F5, Key::F6, Key::F7, Key::F8}) {
        Tap(k);
        Frame();
    }
    EXPECT_FALSE(gGame.showFps);
    EXPECT_FALSE(gGame.lifeCheat);
    EXPECT_FALSE(gGame.slowMotion);
    EXPECT_EQ(gGame.screenState, Playing);
    EXPECT_EQ(gGame.levelNumber, 1);
}

TEST_F(DebugKeysTest, SwitchesAndTheirReadOuts) {
    Play();
    EnterCode();
    Frame();
    EXPECT_FALSE(WhiteTextIn(10, 126, 300, 160));

    Tap(Key::F1);
    Frame();
    EXPECT_TRUE(gGame.showFps);
    EXPECT_TRUE(WhiteTextIn(10, 126, 300, 160)) << "frame rate and position";
    Frame();  // F1 up: the next press acts again
    Hold(Key::F1);
    RunFrames(21);
    EXPECT_FALSE(gGame.showFps) << "one toggle per press, however long it is held";
    Release(Key::F1);
    Frame();
    EXPECT_FALSE(WhiteTextIn(10, 126, 300, 160)) << "the blank read-out leaves the frame alone";

    Tap(Key::F2);
    Frame();
    EXPECT_TRUE(gGame.lifeCheat);
    EXPECT_TRUE(WhiteTextIn(106, 90, 300, 104)) << "the life cheat notice";
    Tap(Key::F3);
    Frame();
    EXPECT_TRUE(gGame.slowMotion);
    EXPECT_TRUE(WhiteTextIn(106, 106, 300, 120)) << "the slow-motion notice";
    // Two keys in one frame both act.
    Frame();
    Tap(Key::F2);
    Tap(Key::F3);
    Frame();
    EXPECT_FALSE(gGame.lifeCheat);
    EXPECT_FALSE(gGame.slowMotion);
}

TEST_F(DebugKeysTest, SlowMotionSlowsMovementButNotTheClock) {
    Play();
    EnterCode();
    Hold(Key::Right);
    RunFrames(30);
    float start = gLevel.playfieldPos;
    int clock = gGame.timeLeft;
    RunFrames(125);  // 2 s
    float normal = gLevel.playfieldPos - start;
    EXPECT_EQ(gGame.timeLeft, clock - 2);

    Tap(Key::F3);
    Frame();
    ASSERT_TRUE(gGame.slowMotion);
    start = gLevel.playfieldPos;
    clock = gGame.timeLeft;
    RunFrames(125);
    float slow = gLevel.playfieldPos - start;
    EXPECT_NEAR(slow / normal, 0.02f, 0.002f) << "movement at 2 % speed";
    EXPECT_EQ(gGame.timeLeft, clock - 2) << "the level clock follows the platform clock";
}

TEST_F(DebugKeysTest, LevelJumpsAndTheWayBackToTheMenu) {
    Play();
    EnterCode();
    gGame.score = 40;
    gGame.lives = 1;

    Hold(Key::F7);
    RunFrames(100);
    Release(Key::F7);
    EXPECT_EQ(gGame.levelNumber, 2) << "holding F7 skips exactly one level";
    EXPECT_EQ(gGame.screenState, Playing);
    Frame();

    Tap(Key::F7);  // there is no level 3: the first level starts
    Frame();
    EXPECT_EQ(gGame.screenState, LevelStart);
    Frame();
    EXPECT_EQ(gGame.levelNumber, 1);
    ASSERT_TRUE(RunUntilState(Playing));

    RunFrames(50);
    int sofa = FindObjectNamed("Sofa");
    gObjects[sofa].sections[0] = 3.0f;
    Tap(Key::F5);  // the level again, from its start
    Frame();
    Frame();
    EXPECT_EQ(gGame.screenState, GetReady);
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(gObjects[FindObjectNamed("Sofa")].sections[0], 10.0f);
    EXPECT_EQ(gGame.score, 40);

    Tap(Key::F6);  // a new game
    Frame();
    EXPECT_EQ(gGame.score, 0);
    EXPECT_EQ(gGame.lives, 2);
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(gGame.screenState, LevelStart);
    ASSERT_TRUE(RunUntilState(Playing));

    Tap(Key::F8);
    Frame();
    EXPECT_EQ(gGame.screenState, MainMenu);
    EXPECT_EQ(gGame.currentMusic, 2);
    EXPECT_TRUE(platform->CursorShown());
    EXPECT_TRUE(platform->IsLooping(MusicWave(0)));

    // The keys work in the menus too.
    Tap(Key::F6);
    Frame();
    EXPECT_EQ(gGame.screenState, LevelStart);
}

}  // namespace
}  // namespace flowtest
