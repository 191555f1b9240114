// The game's four entry points: start-up and shut-down, the quit test and the
// frame, which runs the screen state machine, the level step, the frame
// composition and the debug read-outs in that order and tells the host which
// rows of the frame buffer to show.
#include "game/Game.h"

#include <new>

#include "blit/Blitter.h"
#include "config/Settings.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameFlow.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "game/SoundCues.h"
#include "render/Compose.h"
#include "ui/HighScores.h"
#include "ui/Menus.h"

namespace {

const char* initError = "";

void DropLibrary() {
    if (!gLibrary) return;
    gLibrary->Close();
    delete gLibrary;
    gLibrary = nullptr;
}

bool FailInit(const char* why) {
    initError = why;
    DropLibrary();
    return false;
}

// The states whose screens are drawn whole; every other frame shows only the
// band between the top and bottom 80 rows.
bool PresentsWholeScreen(i32 state) {
    switch (state) {
        case GetReady:
        case MainMenu:
        case HighScoreTable:
        case Options:
        case StartLevelSelect:
        case HelpPages:
            return true;
        default:
            return false;
    }
}

u32 Band(i32 firstRow, i32 rows) {
    return (static_cast<u32>(rows) << 16) | (static_cast<u32>(firstRow) & 0xFFFFu);
}

}  // namespace

const char* GameInitError() {
    return initError;
}

bool GameInit(PlatformServices* platform) {
    initError = "";
    ClearSoundCache();
    gPlatform = platform;
    if (!platform) return FailInit("the game was started without a platform");

    DropLibrary();
    gLibrary = new (std::nothrow) AssetLibrary(platform);
    if (!gLibrary) return FailInit("there is not enough memory for the asset library");

    FileHandle file = platform->FileOpen("Data.lib", kFileRead, 0);
    if (file == kNoFile) return FailInit("Data.lib was not found");
    gGame.libraryBytes = static_cast<i32>(platform->FileGetSize(file, false));
    platform->FileClose(file, false);

    if (!gLibrary->Open("Data.lib"))
        return FailInit("Data.lib could not be read as a game archive");

    ScreenRect rect{0, 0, 0, 0};
    if (platform->GetScreenRect(&rect)) gGame.screenRect = rect;
    gGame.screenWidth = gGame.screenRect.right;

    gGame.score = 0;
    gGame.levelNumber = 1;
    gGame.lives = 2;

    if (!LoadTextTable()) return FailInit(
            "the configuration file Text.txt could not be read (when a Config folder beside "
            "Data.lib holds Text.txt, every configuration file is read from that folder)");
    if (!LoadAnimProps()) return FailInit(
            "the configuration file AnimProps.txt could not be read (when a Config folder beside "
            "Data.lib holds Text.txt, every configuration file is read from that folder: "
            "put AnimProps.txt, CharProps.txt, ObjectProps.txt and the level files there too)");

    // A missing or foreign high-score file keeps the default table.
    ResetHighScores();
    LoadHighScores("HiScore.dat");

    BuildMenuScreens();
    ResetDebugKeyLatches();
    SelectMusic(2);
    return true;
}

bool GameShutdown() {
    ClearLevel();
    DropLibrary();
    FreeSoundCache();
    return true;
}

bool GameIsRunning() {
    return !gGame.quitRequested;
}

u32 GameFrame(bool fullPresent) {
    PlatformServices* platform = gPlatform;
    if (!platform) return 1;

    u32 now = platform->GetTimeMs();
    if (gGame.fpsWindowStart == 0) gGame.fpsWindowStart = now;
    if (gGame.lastFrameTime == 0) gGame.lastFrameTime = now;
    gGame.framesInWindow += 1;
    if (now - gGame.fpsWindowStart > 1000) {
        gGame.fps = gGame.framesInWindow;
        gGame.fpsWindowStart = now;
        gGame.framesInWindow = 0;
    }

    u32 sinceLast = now - gGame.lastFrameTime;
    i32 elapsed = static_cast<i32>(sinceLast);
    ScreenStateStep(elapsed);

    float dt = static_cast<float>(sinceLast) * 0.08f;
    gGame.lastFrameTime = now;

    // Setting up a level: nothing is drawn and nothing is shown.
    if (gGame.screenState == LevelStart) return 1;

    if (gGame.slowMotion) dt = dt * 0.02f;

    ScreenRect screen{0, 0, 0, 0};
    u16* pixels = nullptr;
    i32 pitch = 0;
    if (platform->GetScreenRect(&screen)) {
        pixels = platform->GetScreenPixels();
        pitch = platform->GetScreenPitch();
    }
    // Without a frame buffer nothing may be drawn; the rules still run.
    if (!pixels) screen = {0, 0, 0, 0};
    frameClip = screen;
    SetBlitClip(frameClip.left, frameClip.top, frameClip.right, frameClip.bottom);
    SetBlitTarget(pixels, pitch);

    if (gGame.screenState == Paused) {
        // The level clock stands still while the game is paused.
        gGame.clockStart += static_cast<u32>(elapsed);
        dt = 0.0f;
    }

    LevelStep(dt);
    ComposeFrame(dt, gLevel.scrollSpeed, gLevel.middlePos, gLevel.playfieldPos);
    DrawDebugReadouts();

    i32 height = gGame.screenRect.bottom - gGame.screenRect.top;
    if (!fullPresent && !PresentsWholeScreen(gGame.screenState)) return Band(80, height - 160);
    if (gGame.screenState != GetReady) gGame.curtain = 0.0f;
    return Band(0, height);
}

void GameSetSwitches(bool soundEffects, bool music) {
    gGame.soundEffectsOn = soundEffects;
    gGame.musicOn = music;
}

void GameGetSwitches(bool* soundEffects, bool* music) {
    *soundEffects = gGame.soundEffectsOn;
    *music = gGame.musicOn;
}

void GamePause() {
    if (gPlatform != nullptr) OpenPauseMenu();
}
