// The rules of a running level: level start, keys, scrolling, the clock and
// its countdown, score and extra lives, the furniture bonuses and the end of
// the level.
#include <cmath>

#include "tests/game/GameFixture.h"

namespace flowtest {
namespace {

class LevelRulesTest : public GameFixture {
protected:
    void Play() {
        StartGame();
        StartFromMenu();
    }
    NonPlayerCharacter* Wife() {
        for (int i = 0; i < gCharacterCount; ++i)
            if (gCharacters[i]->GetType() == kWife) return gCharacters[i];
        return nullptr;
    }
};

TEST_F(LevelRulesTest, StartLevelSetsUpTheLevelAndFallsBackToTheFirst) {
    world.levels[1] = std::string(kDefaultLevel) + "#STARTGAS 50\n#BONUS 3\n#LAWYERMALUS 9\n";
    StartGame();
    gLevel.bonusTimer[1] = 5.0f;
    gLevel.bonusPayout[3] = 7;
    gLevel.outOfGas = true;
    gGame.timeUpHandled = true;
    gLevel.middlePos = 0.75f;

    StartLevel(7);  // there is no level 7
    EXPECT_EQ(gGame.levelNumber, 1);
    EXPECT_EQ(gGame.stateTimer, 1500);
    EXPECT_EQ(FindObjectNamed("Sofa"), 0) << "level 1 was loaded instead";
    EXPECT_EQ(gLevel.bonusTimer[1], 0.0f);
    EXPECT_EQ(gLevel.bonusPayout[3], 0);
    EXPECT_FALSE(gLevel.outOfGas);
    EXPECT_FALSE(gGame.timeUpHandled);
    EXPECT_FLOAT_EQ(gPlayer.gas, 0.5f) << "STARTGAS 50";
    EXPECT_EQ(gLevel.timeBonusPerSecond, 3);
    EXPECT_EQ(gLevel.lawyerPenalty, 9);
    EXPECT_EQ(gLevel.playfieldPos, 1.5f);
    EXPECT_EQ(gLevel.middlePos, 0.75f) << "the middle layer keeps its place";
    EXPECT_EQ(gGame.clockBudget, 60);
    EXPECT_EQ(gGame.clockStart, platform->Now());
    EXPECT_EQ(gGame.curtain, 2.0f);
    EXPECT_EQ(gGame.curtainDirection, -1);
    EXPECT_TRUE(gLevel.libraryTouched);
    ASSERT_NE(Wife(), nullptr) << "every level has a wife";

    // The next start resets what the level file set.
    world.levels[2] = kDefaultLevel;
    StartLevel(2);
    EXPECT_EQ(gGame.levelNumber, 2);
    EXPECT_EQ(gLevel.timeBonusPerSecond, 1);
    EXPECT_EQ(gLevel.lawyerPenalty, 5);
    EXPECT_FLOAT_EQ(gPlayer.gas, 1.0f);
}

TEST_F(LevelRulesTest, ExtraLivesAtEachThresholdOnce) {
    Play();
    gLevel.extraLifeScore[1] = 1000;
    gLevel.extraLifeScore[2] = 2000;
    gLevel.extraLifeScore[3] = 0;
    gGame.score = 900;
    gGame.lives = 2;
    platform->ClearSoundLog();
    AddScore(1500);
    EXPECT_EQ(gGame.score, 2400);
    EXPECT_EQ(gGame.lives, 4) << "both thresholds passed at once";
    EXPECT_EQ(CuePlays(kCueLifes), 2);

    gGame.score = 0;
    gGame.lives = 0;
    AddScore(1000);
    EXPECT_EQ(gGame.lives, 1) << "reaching the threshold exactly counts";
    AddScore(500);
    AddScore(1);
    EXPECT_EQ(gGame.lives, 1) << "passing it again later grants nothing";
}

TEST_F(LevelRulesTest, CountdownSoundsSixTimesAndTheWifeEnters) {
    world.levels[1] = "#VIRTUALPLAYFIELDWIDTH 3\n#TIME 8\n#OBJECT 2.1 Sofa\n#GAS 2.0\n";
    Play();
    NonPlayerCharacter* wife = Wife();
    ASSERT_NE(wife, nullptr);
    platform->ClearSoundLog();
    while (!gGame.timeUpHandled && gGame.screenState == Playing && platform->Now() < 200000)
        Frame();
    ASSERT_TRUE(gGame.timeUpHandled);
    EXPECT_EQ(CuePlays(kCueCountDown), 6) << "at 5, 4, 3, 2, 1 and 0 seconds left";
    EXPECT_EQ(gGame.timeLeft, 0);
    EXPECT_EQ(wife->hidden, 0);
    EXPECT_EQ(wife->introduced, 1);
    // Half the playfield (3 / 2 = 1 screen) from the player at 2.0: 3.0,
    // which wraps to 0. She may have taken a step since.
    float away = std::fabs(wife->position - std::fmod(gPlayer.position + 1.0f, 3.0f));
    EXPECT_LT(std::fmin(away, 3.0f - away), 0.05f) << "wife at " << wife->position;
    EXPECT_EQ(gGame.screenState, Playing) << "running out of time ends nothing by itself";

    RunFrames(60);
    EXPECT_EQ(CuePlays(kCueCountDown), 6);
    EXPECT_EQ(gGame.timeLeft, 0);
}

TEST_F(LevelRulesTest, BonusRules) {
    Play();
    WorldObject piece;
    piece.bonusKind = 3;
    piece.bonusProbability = 100;
    piece.bonusAmount = 50;
    platform->ClearSoundLog();
    u32 state = Random::State();
    AwardBonus(false, piece);
    EXPECT_EQ(CuePlays(kCueExtra3), 0) << "a score bonus needs an unbroken sawing";
    EXPECT_EQ(gLevel.bonusTimer[3], 0.0f);
    EXPECT_EQ(Random::State(), state) << "no draw either";

    AwardBonus(true, piece);
    EXPECT_EQ(CuePlays(kCueExtra3), 1);
    EXPECT_EQ(gLevel.bonusTimer[3], 30.0f * (Animation(AII_Extra3).repetitions & 0xFF));
    EXPECT_EQ(gLevel.bonusPayout[3], 50);
    EXPECT_NE(Random::State(), state);

    // Chance 0: the cue sounds, nothing is granted.
    piece.bonusKind = 1;
    piece.bonusProbability = 0;
    piece.bonusAmount = 90;
    AwardBonus(false, piece);
    EXPECT_EQ(CuePlays(kCueExtra1), 1);
    EXPECT_EQ(gLevel.bonusTimer[1], 0.0f);
    EXPECT_EQ(gLevel.bonusPayout[1], 0);

    piece.bonusProbability = 100;
    AwardBonus(false, piece);
    AwardBonus(false, piece);
    EXPECT_EQ(gLevel.bonusTimer[1], 2 * 30.0f * (Animation(AII_Extra1).repetitions & 0xFF));
    EXPECT_EQ(gLevel.bonusPayout[1], 180) << "time bonuses add up";

    piece.bonusKind = 2;
    piece.bonusAmount = 4;
    gLevel.bonusPayout[2] = 3;
    AwardBonus(false, piece);
    EXPECT_EQ(gLevel.bonusTimer[2], 300.0f) << "75 units per point of value";
    EXPECT_EQ(gLevel.bonusPayout[2], 0);

    // A kind the game does not know: no cue, no timer, no harm.
    piece.bonusKind = 9;
    state = Random::State();
    AwardBonus(true, piece);
    EXPECT_NE(Random::State(), state) << "the draw is made for every kind";
    for (int t = 0; t < 5; ++t) EXPECT_GE(gLevel.bonusPayout[t], 0);
}

TEST_F(LevelRulesTest, PowerUpTimersRunDownInTheLevelStep) {
    Play();
    AddBonus(2, 10.0f, 0);
    AddBonus(4, 5.0f, 0);
    LevelStep(4.0f);
    EXPECT_EQ(gLevel.playerSpeedFactor, 2.0f);
    EXPECT_EQ(gLevel.sawFactor, 2.0f);
    EXPECT_EQ(gLevel.bonusTimer[2], 6.0f);
    EXPECT_EQ(gLevel.bonusTimer[4], 1.0f);
    LevelStep(4.0f);
    EXPECT_EQ(gLevel.sawFactor, 2.0f) << "the factor is taken before the timer runs down";
    EXPECT_EQ(gLevel.bonusTimer[4], 0.0f) << "never below 0";
    LevelStep(4.0f);
    EXPECT_EQ(gLevel.sawFactor, 1.0f);
    EXPECT_EQ(gLevel.playerSpeedFactor, 2.0f);
    LevelStep(4.0f);
    EXPECT_EQ(gLevel.playerSpeedFactor, 1.0f);
}

TEST_F(LevelRulesTest, ScrollingFollowsTheWalkKeys) {
    for (int i = 0; i < 300; ++i) UpdateScroll(1.0f, 0.12f);
    EXPECT_NEAR(gLevel.scrollSpeed, 1.38f, 0.001f) << "0.12 * 0.92 / 0.08";
    float before = gLevel.playfieldPos;
    float middle = gLevel.middlePos;
    float speed = gLevel.scrollSpeed;
    float pos = UpdateScroll(2.0f, 0.0f);
    EXPECT_NEAR(gLevel.scrollSpeed, speed * 0.184f, 1e-5f);
    EXPECT_NEAR(pos - before, 0.01f * gLevel.scrollSpeed * 2.0f, 1e-5f);
    EXPECT_NEAR(gLevel.middlePos - middle, 0.006f * gLevel.scrollSpeed * 2.0f, 1e-5f);
}

TEST_F(LevelRulesTest, WalkKeysMoveThePlayerButNotBothTogether) {
    Play();
    float start = gLevel.playfieldPos;
    gPlayer.facingLeft = 1;
    Hold(Key::Left);
    Hold(Key::Right);
    RunFrames(10);
    EXPECT_EQ(gLevel.playfieldPos, start);
    EXPECT_EQ(gPlayer.facingLeft, 1) << "both keys: no walk, facing unchanged";
    EXPECT_EQ(gPlayer.walkIntent, 0);

    Release(Key::Left);
    RunFrames(10);
    EXPECT_GT(gLevel.playfieldPos, start);
    EXPECT_EQ(gPlayer.facingLeft, 0);
    EXPECT_NEAR(gPlayer.position, std::fmod(gLevel.playfieldPos + 0.5f, 3.0f), 1e-4f)
        << "the player stands in the middle of the view";
    Release(Key::Right);
    Hold(Key::Left);
    RunFrames(40);
    EXPECT_EQ(gPlayer.facingLeft, 1);
    EXPECT_LT(gLevel.playfieldPos, start);
}

TEST_F(LevelRulesTest, KnockOutsCostALifeUnlessTheCheatIsOn) {
    Play();
    gGame.lives = 1;
    gGame.lifeCheat = true;
    gPlayer.hit = 1;
    Frame();
    EXPECT_EQ(gGame.screenState, Playing) << "the life cheat ignores the knock-out";
    EXPECT_EQ(gGame.lives, 1);

    gGame.lifeCheat = false;
    gPlayer.hit = 1;
    Frame();
    EXPECT_EQ(gGame.screenState, LifeLost);
    EXPECT_EQ(gGame.stateTimer, 4000);
    EXPECT_EQ(gGame.lives, 0);
    EXPECT_FALSE(gLevel.outOfGas);

    ASSERT_TRUE(RunUntilState(Playing));
    gPlayer.hit = 1;
    Frame();
    EXPECT_EQ(gGame.screenState, GameOver);
    EXPECT_EQ(gGame.lives, -1);
}

TEST_F(LevelRulesTest, NoGasAndNoCanisterLosesALifeEvenWithTheLastPieceSawn) {
    world.levels[1] = "#TIME 60\n#OBJECT 2.1 Sofa\n";
    Play();
    int sofa = FindObjectNamed("Sofa");
    ASSERT_GE(sofa, 0);
    for (int k = 0; k < 4; ++k) gObjects[sofa].sections[k] = 0.0f;
    gObjects[sofa].stage = 4;
    gPlayer.gas = 0.0f;
    Frame();
    EXPECT_EQ(gGame.screenState, LifeLost);
    EXPECT_TRUE(gLevel.outOfGas);
    EXPECT_EQ(gGame.lives, 1);
}

TEST_F(LevelRulesTest, AFilledCanisterStillWinsWithAnEmptySaw) {
    Play();
    int sofa = FindObjectNamed("Sofa");
    ASSERT_GE(sofa, 0);
    for (int k = 0; k < 4; ++k) gObjects[sofa].sections[k] = 0.0f;
    gObjects[sofa].stage = 4;
    gPlayer.gas = 0.0f;
    int score = gGame.score;
    platform->ClearSoundLog();
    Frame();
    EXPECT_EQ(gGame.screenState, LevelWon);
    EXPECT_EQ(gGame.stateTimer, 4000);
    EXPECT_EQ(gGame.score, score + gGame.timeLeft) << "one point per second left";
    EXPECT_EQ(CuePlays(kCueLevelWon), 1);
    EXPECT_EQ(gGame.currentMusic, 0);
}

TEST_F(LevelRulesTest, TimeGiftsNeverRaiseTheClockAboveItsBudget) {
    Play();
    gGame.clockBudget = 200;
    gGame.clockStart = platform->Now() - 100000;  // 100 s gone
    Frame();
    EXPECT_EQ(gGame.timeLeft, 100);
    ChangeTimeLeft(-90);
    Frame();
    EXPECT_EQ(gGame.timeLeft, 190);
    ChangeTimeLeft(-90);
    Frame();
    EXPECT_EQ(gGame.timeLeft, 200);
    EXPECT_EQ(gGame.clockStart, platform->Now() - 16) << "moved to the moment of the gift";
    ChangeTimeLeft(5);  // a lawyer's leaflet
    Frame();
    EXPECT_EQ(gGame.timeLeft, 195);
}

TEST_F(LevelRulesTest, EscapePausesOncePerPressAndTheClockStandsStill) {
    Play();
    RunFrames(70);
    int left = gGame.timeLeft;
    Hold(Key::Escape);
    RunFrames(5);
    EXPECT_EQ(gGame.screenState, Paused) << "holding Escape pauses once";
    RunFrames(1000);  // 16 seconds
    Release(Key::Escape);
    Frame();
    EXPECT_EQ(gGame.screenState, Paused);
    Tap(Key::Escape);
    Frame();
    EXPECT_EQ(gGame.screenState, Playing);
    Frame();
    EXPECT_EQ(gGame.timeLeft, left) << "no time was lost while paused";
}

TEST_F(LevelRulesTest, ActionKeys) {
    Play();
    // Threatening needs gas.
    gPlayer.gas = 0.0f;
    Hold(Key::Up);
    Frame();
    EXPECT_EQ(gPlayer.threatenIntent, 0);
    gPlayer.gas = 0.5f;
    Frame();
    EXPECT_EQ(gPlayer.threatenIntent, 1);
    Release(Key::Up);
    RunFrames(100);

    // Refilling at the canister under the player.
    int canister = FindObjectNamed("Kanister gelb");
    ASSERT_GE(canister, 0);
    Hold(Key::Down);
    Frame();
    EXPECT_EQ(gPlayer.fillIntent, 1);
    EXPECT_GT(gObjects[canister].displayTimer, 190.0f) << "shown for 200 units from now";
    RunFrames(400);
    EXPECT_GT(gPlayer.gas, 0.99f) << "the tank was filled";
    EXPECT_LT(gObjects[canister].sections[4], 100.0f) << "from the canister";
    Release(Key::Down);
    RunFrames(100);

    // Space and Down together: only the saw is tried.
    int sofa = FindObjectNamed("Sofa");
    ASSERT_GE(sofa, 0);
    gPlayer.gas = 0.0f;
    Hold(Key::Space);
    Hold(Key::Down);
    Frame();
    EXPECT_EQ(gPlayer.sawIntent, 0) << "no sawing without gas";
    EXPECT_EQ(gPlayer.fillIntent, 0) << "Down is not looked at while Space is down";
    Release(Key::Down);
    gPlayer.gas = 1.0f;
    Frame();
    EXPECT_EQ(gPlayer.sawIntent, 1);
    EXPECT_EQ(gLevel.scrollSpeed, 0.0f);
}

}  // namespace
}  // namespace flowtest

namespace flowtest {
namespace {

// Values a modded level file may hold that no float or integer step can
// carry: the level starts, plays and ends as any other, and every place
// stays on the street.
TEST_F(LevelRulesTest, FarOffPlacesAndOutOfRangeNumbersPlayNormally) {
    world.levels[1] =
        "#VIRTUALPLAYFIELDWIDTH 3\n#TIME -2147483648\n#BONUS 2147483647\n"
        "#OBJECT 100000000 Sofa\n#OBJECT -1e30 Sofa\n#VAN 1e30\n#GAS 3e38\n#GAS 2.0\n"
        "#SCROLLSPEED 1 1e30\n#SCROLLSPEED 2 1e39\n"
        "#CHARPROP WALKSPEED WIFE 4 1e38\n#CHARPROP WALKSPEED WIFE 6 1e38\n"
        "#ANIMPROP SPEED AII_PlayerLeftStep1 1e38\n";
    Play();
    EXPECT_EQ(gGame.clockBudget, -999999) << "TIME saturates";
    Hold(Key::Left);
    RunFrames(40);  // hung here before: the wraps never ended
    Release(Key::Left);
    Hold(Key::Right);
    RunFrames(40);
    Release(Key::Right);
    for (float p : {gLevel.playfieldPos, gLevel.middlePos, gPlayer.position}) {
        EXPECT_TRUE(std::isfinite(p) && std::fabs(p) < 1048576.0f) << p;
    }
    for (int i = 0; i < gObjectCount; ++i) {
        EXPECT_LT(std::fabs(gObjects[i].position), 3.0f) << "object " << i;
    }
    // Below zero from the start: the time is up at once, not after the clock
    // wrapped round to two billion seconds.
    EXPECT_TRUE(gGame.timeUpHandled);
    EXPECT_LE(gGame.timeLeft, 0);

    gGame.timeLeft = 999999;
    gGame.score = 5;
    EXPECT_EQ(LevelTimeBonus(), 2147483647);
    AddScore(LevelTimeBonus());
    EXPECT_EQ(gGame.score, 2147483647) << "the score stops at the largest integer";
    AddScore(-2147483647);
    AddScore(-2147483647);
    EXPECT_EQ(gGame.score, -2147483647);
}

}  // namespace
}  // namespace flowtest
