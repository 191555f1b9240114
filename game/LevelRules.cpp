// The rules of a running level: starting it, turning keys into the player's
// actions, scrolling, the level clock, score and extra lives, the four
// furniture bonuses, and the end of the level (won, or a life lost).
#include "game/LevelRules.h"

#include "actors/AnimationTable.h"
#include "actors/FarPosition.h"
#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "config/Settings.h"
#include "game/AssetLibrary.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "platform/Random.h"
#include "ui/Menus.h"

namespace {

constexpr float kWalkInput = 0.12f;  // scroll input of one held walk key per frame
constexpr float kSawReach = 0.062f;  // the saw works this far ahead of the player

bool CutThrough(const WorldObject& piece) {
    return piece.sections[0] + piece.sections[1] + piece.sections[2] + piece.sections[3] <= 0.0f;
}

// Bonus types 2 and 4 double the player's speed / the sawing power while
// their timers run.
float RunPowerUp(float& timer, float dt) {
    float factor = timer > 0.0f ? 2.0f : 1.0f;
    if (timer > 0.0f) {
        timer -= dt;
        if (timer < 0.0f) timer = 0.0f;
    }
    return factor;
}

// Time is up: the wife, who kept away so far, enters half a playfield away
// from the player and comes for him.
void TimeUp() {
    for (i32 i = 0; i < gCharacterCount; ++i) {
        NonPlayerCharacter* figure = gCharacters[i];
        if (!figure || figure->GetType() != kWife) continue;
        i32 width = gLevel.playfieldWidth;
        float position = static_cast<float>(width / 2) + gPlayer.position;
        if (position >= static_cast<float>(width)) position -= static_cast<float>(width);
        figure->SetPosition(position);
        figure->hidden = 0;
        figure->introduced = 1;
        break;
    }
    gGame.timeUpHandled = true;
}

void LoseLife() {
    i32 livesBefore = gGame.lives;
    gGame.lives -= 1;
    SetScreenState(livesBefore > 0 ? LifeLost : GameOver, 4000);
}

// A level is won once all furniture is sawn and every time and score bonus
// has been paid out, provided gas or a filled canister is left; a life is
// lost when the player is knocked out or neither saw nor canister has gas.
void LevelEndTest(bool hitNow) {
    bool furnitureLeft = AnyObjectLeft(kFurniture);
    bool gasLeft = gPlayer.gas > 0.0f;
    bool canisterLeft = AnyObjectLeft(kCanister);
    bool allSawn = !furnitureLeft && gLevel.bonusTimer[3] <= 0.0f && gLevel.bonusTimer[1] <= 0.0f;
    if (!(allSawn || hitNow || (!gasLeft && !canisterLeft))) return;
    if (gGame.screenState != Playing) return;

    if (hitNow) {
        LoseLife();
    } else if (gasLeft || canisterLeft) {
        AddScore(LevelTimeBonus());
        SetScreenState(LevelWon, 4000);
        SelectMusic(0);
        PlayCue(Animation(AII_LevelWon));
    } else {
        gLevel.outOfGas = true;
        LoseLife();
    }
}

}  // namespace

void OpenPauseMenu() {
    if (gGame.screenState != Playing) return;
    gPlatform->SoundPauseAll();
    gPlatform->ShowMouseCursor(true);
    SetScreenState(Paused, 1);
    SetupPauseMenu();
    SelectMusic(0);
}

namespace {

// Escape switches between play and the pause menu; true when it did.
bool HandleEscape() {
    if (!gPlatform->IsEscapePressed()) {
        gLevel.escapeLatch = false;
        return false;
    }
    if (gLevel.escapeLatch) return false;
    gLevel.escapeLatch = true;
    if (gGame.screenState == Playing) {
        OpenPauseMenu();
        return true;
    }
    if (gGame.screenState == Paused) {
        gPlatform->SoundResumeAll();
        gGame.screenState = Playing;
        gPlatform->ShowMouseCursor(false);
        SelectMusic(1);
        gGame.stateTimer = 1;
        return true;
    }
    return false;
}

void Saw(float dt) {
    float point = gLevel.playfieldPos + (gPlayer.facingLeft ? -kSawReach : kSawReach);
    i32 index = FindObject(point, kFurniture, 0.0f, false);
    if (index < 0 || index >= gObjectCount || gPlayer.gas <= 0.0f || IsNailed(index)) return;
    WorldObject& piece = gObjects[index];

    gPlayer.SetSawSound(&piece.loopSoundRef, piece.loopSoundSequence, piece.loopSoundItem);
    if (SawObject(index, dt, gPlayer.IsSawing())) return;

    // The first cut of a piece starts a streak; any other action breaks it.
    if (piece.fresh) {
        piece.fresh = 0;
        gLevel.streakObject = index;
        gLevel.streakUnbroken = true;
    }
    gPlayer.sawIntent = 1;
    gPlayer.busy = 1;
    gLevel.scrollSpeed = 0.0f;
    if (index != gLevel.streakObject) gLevel.streakUnbroken = false;

    if (CutThrough(piece)) {
        AwardBonus(gLevel.streakUnbroken, piece);
        gLevel.streakObject = -1;
        gLevel.streakUnbroken = false;
    }
}

void Refill(float dt) {
    gLevel.streakUnbroken = false;
    i32 index = FindObject(gLevel.playfieldPos, kCanister, 0.0f, false);
    if (index < 0 || index >= gObjectCount) return;
    gObjects[index].displayTimer = 200.0f;
    bool filling = gPlayer.anim.job == 31 || gPlayer.anim.job == 34;
    if (!RefillFromCanister(index, dt, filling)) {
        gPlayer.fillIntent = 1;
        gPlayer.busy = 1;
        gLevel.scrollSpeed = 0.0f;
    }
}

}  // namespace

void ClearLevel() {
    for (i32 i = 0; i < gCharacterCount; ++i) {
        delete gCharacters[i];
        gCharacters[i] = nullptr;
    }
    gCharacterCount = 0;
    gObjectCount = 0;
}

void StartLevel(i32 n) {
    gGame.stateTimer = 1500;
    if (!gLevel.libraryTouched) {
        if (gLibrary) gLibrary->Touch(gGame.libraryBytes / 4);
        gLevel.libraryTouched = true;
    }

    for (i32 t = 0; t < 5; ++t) {
        gLevel.bonusTimer[t] = 0.0f;
        gLevel.bonusPayout[t] = 0;
    }
    gLevel.outOfGas = false;
    gLevel.startGas = 100;
    gLevel.lawyerPenalty = 5;
    gLevel.playerSpeedFactor = 1.0f;
    gLevel.sawFactor = 1.0f;
    gLevel.leafletCounter = 0;
    gGame.timeUpHandled = false;
    gLevel.timeBonusPerSecond = 1;

    ClearLevel();
    gGame.levelNumber = n;
    if (!LoadLevelConfig(n)) {
        // An unreadable level file starts the game's first level instead.
        ClearLevel();
        gGame.levelNumber = 1;
        LoadLevelConfig(1);
    }

    gPlayer.hit = 0;
    gPlayer.facingLeft = 0;
    gPlayer.gas = static_cast<float>(gLevel.startGas) * 0.01f;
    gPlayer.Reset();
    gPlayer.busy = 0;

    gLevel.playfieldPos = static_cast<float>(gLevel.playfieldWidth) * 0.5f;
    gPlatform->ClearScreen();
    SelectMusic(1);
    gGame.clockBudget = gGame.timeLeft;
    gGame.clockStart = gPlatform->GetTimeMs();
    // The level appears from behind a black cover.
    gGame.curtain = 2.0f;
    gGame.curtainDirection = -1;
}

void LevelStep(float dt) {
    gLevel.playerSpeedFactor = RunPowerUp(gLevel.bonusTimer[2], dt);
    gLevel.sawFactor = RunPowerUp(gLevel.bonusTimer[4], dt);

    bool hitNow = gPlayer.hit && !gGame.lifeCheat;

    // Running out of time ends nothing by itself: it brings on the wife.
    if (UpdateLevelClock() && !gGame.timeUpHandled && gGame.screenState == Playing) TimeUp();

    float scrollInput = 0.0f;
    PlayerInputStep(scrollInput, dt);

    for (i32 i = 0; i < gObjectCount; ++i) {
        i32 points = gObjects[i].bankedPoints;
        gObjects[i].bankedPoints = 0;
        AddScore(points);
    }

    LevelEndTest(hitNow);

    float scrollDt = gLevel.bonusTimer[2] > 0.0f ? 2.0f * dt : dt;
    float position = UpdateScroll(scrollDt, scrollInput);
    gPlayer.SetPosition(position + 0.5f);  // the player stands mid-screen

    gPlayer.hit = 0;
    for (i32 i = 0; i < gCharacterCount; ++i) {
        if (gCharacters[i]) gCharacters[i]->Update(dt, gLevel.scrollSpeed);
    }
}

void PlayerInputStep(float& scrollInput, float dt) {
    gPlayer.walkIntent = 0;
    gPlayer.sawIntent = 0;
    gPlayer.threatenIntent = 0;
    gPlayer.fillIntent = 0;

    DebugKeysStep();

    bool left = gPlatform->IsLeftArrowPressed() && gGame.screenState == Playing;
    bool right = gPlatform->IsRightArrowPressed() && gGame.screenState == Playing;

    if (HandleEscape()) return;

    // A lawyer is handing the player a leaflet: he can do nothing else.
    if (gLevel.leafletCounter != 0) return;

    if (left && !right && !gPlayer.busy) {
        scrollInput -= kWalkInput;
        gPlayer.facingLeft = 1;
        gPlayer.walkIntent = 1;
    } else if (right && !left && !gPlayer.busy) {
        scrollInput += kWalkInput;
        gPlayer.facingLeft = 0;
        gPlayer.walkIntent = 1;
    }

    if (gPlatform->IsUpArrowPressed() && gGame.screenState == Playing && gPlayer.gas > 0.0f) {
        gPlayer.threatenIntent = 1;
        gPlayer.busy = 1;
        gLevel.scrollSpeed = 0.0f;
        gLevel.streakUnbroken = false;
        return;
    }
    // Space tries only the saw, even with no furniture in reach.
    if (gPlatform->IsSpacePressed() && gGame.screenState == Playing) {
        Saw(dt);
        return;
    }
    if (gPlatform->IsDownArrowPressed() && gGame.screenState == Playing) {
        Refill(dt);
        return;
    }
    gLevel.streakUnbroken = false;
}

float UpdateScroll(float dt, float scrollInput) {
    gLevel.scrollSpeed = (gLevel.scrollSpeed + scrollInput) * 0.92f;
    if (scrollInput == 0.0f) gLevel.scrollSpeed = gLevel.scrollSpeed * 0.2f;
    gLevel.middlePos += gLevel.scrollFactor[2] * gLevel.scrollSpeed * dt;
    gLevel.playfieldPos += gLevel.scrollFactor[1] * gLevel.scrollSpeed * dt;
    // A modded scroll factor of 1e30 throws the view far off the street; bring
    // it back so that every wrap of it ends.
    const float width = static_cast<float>(gLevel.playfieldWidth < 1 ? 1 : gLevel.playfieldWidth);
    gLevel.middlePos = NearRing(gLevel.middlePos, width);
    gLevel.playfieldPos = NearRing(gLevel.playfieldPos, width);
    return gLevel.playfieldPos;
}

bool UpdateLevelClock() {
    if (gGame.screenState != Playing) return false;
    u32 runMs = gPlatform->GetTimeMs() - gGame.clockStart;
    gGame.timeLeft = gGame.clockBudget - static_cast<i32>(runMs / 1000u);
    if (gGame.timeLeft < 0) {
        gGame.timeLeft = 0;
        return true;
    }
    // The countdown sounds once at each of the last six seconds, 5 to 0.
    if (gGame.timeLeft <= 5 && gGame.timeLeft != gLevel.lastCountdownBeep) {
        PlayCue(Animation(AII_CountDown));
        gLevel.lastCountdownBeep = gGame.timeLeft;
    }
    return false;
}

void ChangeTimeLeft(i32 seconds) {
    gGame.clockStart -= 1000u * static_cast<u32>(seconds);
    // A time gift never raises the time left above the clock's budget.
    u32 now = gPlatform->GetTimeMs();
    if (static_cast<i32>(gGame.clockStart - now) > 0) gGame.clockStart = now;
}

i32 LevelTimeBonus() {
    return SaturateToI32(static_cast<long long>(gLevel.timeBonusPerSecond) * gGame.timeLeft);
}

void AddScore(i32 points) {
    i32 old = gGame.score;
    // Modded points and bonuses can be as large as an integer goes; the score
    // stops at the largest (or smallest) one instead of wrapping round.
    gGame.score = SaturateToI32(static_cast<long long>(old) + points);
    for (i32 k = 1; k <= 3; ++k) {
        i32 threshold = gLevel.extraLifeScore[k];
        if (threshold != 0 && old < threshold && gGame.score >= threshold) {
            gGame.lives += 1;
            PlayCue(Animation(AII_Lifes));
        }
    }
}

void AwardBonus(bool streakUnbroken, const WorldObject& piece) {
    i32 type = piece.bonusKind;
    i32 chance = piece.bonusProbability;
    i32 value = piece.bonusAmount;
    // The score bonus is only for a piece sawn through in one go.
    if (type == 3 && !streakUnbroken) return;

    float displayTime = 100.0f;
    switch (type) {
        case 1:
            PlayCue(Animation(AII_Extra1));
            displayTime = static_cast<float>(30 * (Animation(AII_Extra1).repetitions & 0xFF));
            break;
        case 2:
            PlayCue(Animation(AII_Extra2));
            displayTime = 75.0f * static_cast<float>(value);
            break;
        case 3:
            PlayCue(Animation(AII_Extra3));
            displayTime = static_cast<float>(30 * (Animation(AII_Extra3).repetitions & 0xFF));
            break;
        case 4:
            PlayCue(Animation(AII_Extra4));
            displayTime = 75.0f * static_cast<float>(value);
            break;
        default:
            break;
    }
    // The cue has sounded either way; the chance decides whether it pays.
    i32 draw = Random::Next();
    if (draw % 100 >= chance) return;
    if (type != 0) AddBonus(type, displayTime, value);
}

void AddBonus(i32 type, float displayTime, i32 value) {
    // Only the four bonus types have timers; a piece configured with any
    // other kind grants nothing.
    if (type < 1 || type > 4) return;
    gLevel.bonusTimer[type] += displayTime;
    if (type == 1 || type == 3)
        gLevel.bonusPayout[type] =
            SaturateToI32(static_cast<long long>(gLevel.bonusPayout[type]) + value);
    else
        gLevel.bonusPayout[type] = 0;
}
