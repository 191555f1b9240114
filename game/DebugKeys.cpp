// The testers' function keys: once the cheat code has been typed, F1-F3
// switch the frame-rate read-out, the life cheat and slow motion, F5-F7 jump
// between levels and F8 returns to the main menu. Each key acts once per
// press, however long it is held.
#include <cstdio>

#include "actors/PlayerCharacter.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"

namespace {

// The keys in the order they are tested; F4 has no use.
constexpr i32 kDebugKeys[] = {1, 2, 3, 5, 6, 7, 8};
constexpr i32 kDebugKeyCount = sizeof(kDebugKeys) / sizeof(kDebugKeys[0]);

struct DebugKeyState {
    bool latch[kDebugKeyCount] = {};
} keys;

void Act(i32 key) {
    switch (key) {
        case 1:
            gGame.showFps = !gGame.showFps;
            break;
        case 2:
            gGame.lifeCheat = !gGame.lifeCheat;
            break;
        case 3:
            gGame.slowMotion = !gGame.slowMotion;
            break;
        case 5:  // the current level again
            SetScreenState(LevelStart, 1);
            break;
        case 6:  // a new game from the first level
            gGame.score = 0;
            gGame.levelNumber = 1;
            gGame.lives = 2;
            SetScreenState(LevelStart, 1);
            break;
        case 7:  // the next level (a missing one falls back to the first)
            gGame.levelNumber += 1;
            SetScreenState(LevelStart, 1);
            break;
        case 8:
            StopLevelSounds();
            SetScreenState(MainMenu, 1);
            gPlatform->ShowMouseCursor(true);
            SelectMusic(2);
            break;
        default:
            break;
    }
}

}  // namespace

void ResetDebugKeyLatches() {
    keys = DebugKeyState{};
}

void DebugKeysStep() {
    if (!gPlatform->IsCheatCodeEntered()) return;
    for (i32 i = 0; i < kDebugKeyCount; ++i) {
        if (!gPlatform->IsFunctionKeyPressed(kDebugKeys[i])) {
            keys.latch[i] = false;
        } else if (!keys.latch[i]) {
            keys.latch[i] = true;
            Act(kDebugKeys[i]);
        }
    }
}

void DrawDebugReadouts() {
    if (gGame.showFps) {
        char text[96];
        std::snprintf(text, sizeof text, "Frames/sec: %d\nPosition: %0.2f/%0.2f", gGame.fps,
                      static_cast<double>(gPlayer.position),
                      static_cast<double>(gLevel.playfieldWidth));
        gPlatform->DrawScreenText(10, 126, text, false);
    }
    // With the read-out off nothing is drawn: its blank lines, drawn without
    // a background, would leave every pixel as it is.
    if (gGame.lifeCheat) gPlatform->DrawScreenText(106, 90, "* LifeCheat ON! [F2]", false);
    if (gGame.slowMotion) gPlatform->DrawScreenText(106, 106, "* SlowMotion ON! [F3]", false);
}
