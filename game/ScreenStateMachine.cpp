// The screen state machine: each screen has a countdown; when it runs out the
// screen acts (start a level, begin play, leave a won level, ...). The menu
// screens run their buttons every frame and act on the button chosen.
#include "actors/AnimationTable.h"
#include "actors/PlayerCharacter.h"
#include "config/Settings.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "game/SoundCues.h"
#include "ui/HighScores.h"
#include "ui/Menus.h"

namespace {

// The waits poll the live key state, so the press that chose a button cannot
// act again on the screen that follows.
void WaitUntilEnterUp() {
    while (gPlatform->IsEnterPressed()) {
    }
}

void WaitUntilLeftButtonUp() {
    while (gPlatform->IsLeftButtonPressed()) {
    }
}

void WaitUntilEscapeEnterSpaceUp() {
    while (gPlatform->IsEscapePressed() || gPlatform->IsEnterPressed() ||
           gPlatform->IsSpacePressed()) {
    }
}

void ShowCursor(bool show) {
    gPlatform->ShowMouseCursor(show);
}

void NewGameScoreReset() {
    gGame.score = 0;
    gGame.levelNumber = 1;
}

void RunMainMenuScreen(i32 elapsed) {
    if (!gGame.cursorShownOnce) {
        gGame.cursorShownOnce = true;
        ShowCursor(true);
    }
    switch (RunMainMenu(elapsed)) {
        case 1:
            WaitUntilLeftButtonUp();
            SetScreenState(StartLevelSelect, 1);
            WaitUntilEnterUp();
            break;
        case 2:
            WaitUntilLeftButtonUp();
            SetScreenState(HelpPages, 1);
            WaitUntilEnterUp();
            break;
        case 3:
            SetScreenState(HighScoreTable, 1);
            WaitUntilEnterUp();
            break;
        case 4:
            WaitUntilLeftButtonUp();
            SetScreenState(Options, 1);
            WaitUntilEnterUp();
            break;
        case 5:
            gGame.quitRequested = true;
            break;
        default:
            break;
    }
}

void RunNameEntryScreen() {
    if (!RunNameEntry()) return;
    // The score qualified when the entry began; a rank of -1 can only mean
    // the table changed meanwhile, and then there is no place to write.
    i32 rank = HighScoreRank(gGame.score);
    if (rank >= 0) InsertHighScore(rank, gGame.score, TypedName(), true);
    SaveHighScores("HiScore.dat");
    NewGameScoreReset();
    ShowCursor(true);
    SetScreenState(HighScoreTable, 1);
    StopPlayerLoopSound();
    SelectMusic(2);
}

void RunHighScoreTableScreen(i32 elapsed) {
    if (RunHighScoreScreen(elapsed) != 8) return;
    SetScreenState(MainMenu, 1);
    ShowCursor(true);
    SelectMusic(2);
    WaitUntilEnterUp();
}

void RunOptions(i32 elapsed) {
    i32 choice = RunOptionsScreen(elapsed);
    switch (choice) {
        case 6:
            gGame.soundEffectsOn = !gGame.soundEffectsOn;
            RefreshOptionsButtons();
            SetOptionsHighlight(6);
            break;
        case 7:
            gGame.musicOn = !gGame.musicOn;
            SelectMusic(gGame.musicOn ? 2 : 0);
            RefreshOptionsButtons();
            SetOptionsHighlight(7);
            break;
        case 8:
            SetScreenState(MainMenu, 1);
            break;
        default:
            return;
    }
    WaitUntilEnterUp();
}

void RunStartLevelSelect(i32 elapsed) {
    static constexpr i32 kStartLevels[5] = {1, 11, 21, 31, 41};
    i32 choice = RunStartLevelScreen(elapsed);
    if (choice >= 12 && choice <= 16) {
        SetStartLevelHighlight(choice);
        gGame.score = 0;
        gGame.levelNumber = kStartLevels[choice - 12];
        gGame.lives = 2;
        SetScreenState(LevelStart, 1);
        ShowCursor(false);
        SelectMusic(1);
    } else if (choice == 17) {
        SetScreenState(MainMenu, 1);
    } else {
        return;
    }
    WaitUntilEnterUp();
}

void RunPaused(i32 elapsed) {
    i32 choice = RunPauseScreen(elapsed);
    if (choice == 18) {
        StopLevelSounds();
        ShowCursor(false);
        SetScreenState(MainMenu, 1);
        ShowCursor(true);
        SelectMusic(2);
    } else if (choice == 19) {
        gPlatform->SoundResumeAll();
        ShowCursor(false);
        SetScreenState(Playing, 1);
        SelectMusic(1);
    } else {
        return;
    }
    WaitUntilEnterUp();
}

void RunHelpPages(i32 elapsed) {
    switch (RunHelpPagesScreen(elapsed)) {
        case 9:
            gGame.helpPage -= 1;
            break;
        case 10:
            gGame.helpPage += 1;
            break;
        case 11:
            SetScreenState(MainMenu, 1);
            break;
        default:
            return;
    }
    WaitUntilEnterUp();
}

// The ten lines of the won game stay until the player presses Escape, Enter
// or Space; then the game returns to the menu, or to the name entry when the
// score has earned a place.
void RunGameWon() {
    if (!gPlatform->IsEscapePressed() && !gPlatform->IsEnterPressed() &&
        !gPlatform->IsSpacePressed())
        return;
    StopLevelSounds();
    ShowCursor(false);
    SetScreenState(MainMenu, 1);
    ShowCursor(true);
    SelectMusic(2);
    WaitUntilEscapeEnterSpaceUp();
    if (QualifiesForHighScore(gGame.score)) {
        SetScreenState(HighScoreEntry, 1);
        StopPlayerLoopSound();
        ShowCursor(false);
        SelectMusic(0);
    }
}

void ActOnState(i32 elapsed) {
    switch (gGame.screenState) {
        case LevelStart:
            StartLevel(gGame.levelNumber);  // sets the GetReady time
            gGame.screenState = GetReady;
            break;
        case GetReady:
            gGame.clockBudget = gGame.timeLeft;
            gGame.clockStart = gPlatform->GetTimeMs();
            SetScreenState(Playing, 0);
            break;
        case Playing:
            break;
        case LevelWon:
            gGame.levelNumber += 1;
            if (LevelFileExists(gGame.levelNumber)) {
                SetScreenState(LevelStart, 1);
            } else {
                PlayCue(Animation(AII_GameWon));
                SetScreenState(GameWon, 1);
            }
            break;
        case GameOver:
            StopLevelSounds();
            if (QualifiesForHighScore(gGame.score)) {
                SetScreenState(HighScoreEntry, 1);
            } else {
                NewGameScoreReset();
                SetScreenState(MainMenu, 1);
                ShowCursor(true);
                StopPlayerLoopSound();
                SelectMusic(2);
            }
            break;
        case MainMenu:
            gGame.stateTimer = 1;
            RunMainMenuScreen(elapsed);
            break;
        case HighScoreEntry:
            gGame.stateTimer = 1;
            RunNameEntryScreen();
            break;
        case HighScoreTable:
            gGame.stateTimer = 1;
            RunHighScoreTableScreen(elapsed);
            break;
        case Options:
            gGame.stateTimer = 1;
            RunOptions(elapsed);
            break;
        case StartLevelSelect:
            gGame.stateTimer = 1;
            RunStartLevelSelect(elapsed);
            break;
        case Paused:
            gGame.stateTimer = 1;
            RunPaused(elapsed);
            break;
        case HelpPages:
            gGame.stateTimer = 1;
            RunHelpPages(elapsed);
            break;
        case GameWon:
            gGame.stateTimer = 1;
            RunGameWon();
            break;
        case LifeLost:
            SetScreenState(LevelStart, 1);
            ShowCursor(false);
            SelectMusic(1);
            break;
        default:
            break;
    }
}

}  // namespace

void SetScreenState(i32 state, i32 timer) {
    gGame.screenState = state;
    gGame.stateTimer = timer;
}

void StopPlayerLoopSound() {
    gPlayer.StopAnimationSound();
}

void StopLevelSounds() {
    gPlatform->SoundResumeAll();
    StopPlayerLoopSound();
    // The saw's loops may have been asked to stop while the sound was paused,
    // which the sound device refuses; the resume above then restarted them.
    gPlatform->SoundStopAll();
    gGame.currentMusic = 0;  // stopped with the rest: the next choice starts it again
}

void ScreenStateStep(i32 elapsed) {
    if (gGame.stateTimer == 0) return;
    gGame.stateTimer -= elapsed;

    if (gGame.screenState == GetReady && gGame.curtain == 2.0f && gGame.stateTimer < 1400) {
        // The black cover starts to open.
        gGame.curtain = 1.0f;
        gGame.curtainDirection = -1;
    }
    // The cover closes toward the next level; the test looks at the next
    // level in both states, as it always has.
    if ((gGame.screenState == LevelWon || gGame.screenState == LifeLost) && gGame.curtain == 0.0f &&
        gGame.stateTimer < 1000 && LevelFileExists(gGame.levelNumber + 1)) {
        gGame.curtain = 0.000001f;
        gGame.curtainDirection = 1;
    }

    if (gGame.stateTimer > 0) return;
    gGame.stateTimer = 0;
    ActOnState(elapsed);
}
