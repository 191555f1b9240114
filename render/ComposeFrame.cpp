// Composition of each frame: the menu screens, or the play scene (two
// scrolling background layers, objects, figures, player, canisters, bonus
// display and HUD) with the overlay of the state, all inside the level
// transition cover that closes toward the middle of the screen and opens
// again.
#include <algorithm>
#include <cmath>

#include "actors/NonPlayerCharacter.h"
#include "actors/PlayerCharacter.h"
#include "actors/WorldObject.h"
#include "blit/Blitter.h"
#include "config/AssetNames.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "render/Compose.h"

ScreenRect frameClip = {0, 0, 0, 0};

namespace {

constexpr i32 kBackgroundY = 80;
constexpr float kCurtainRate = 0.03f;  // a full opening or closing takes 33 1/3 units

bool IsActiveCanister(const WorldObject& object) {
    return object.active && object.objectType == kCanister;
}

void DrawPlayScene(float dt, float scrollSpeed, float middlePos, float playfieldPos) {
    i32 set = gLevel.backgroundSet;
    DrawBackgroundLayer(middlePos, 2 * set + 1, kBackgroundY);
    DrawBackgroundLayer(playfieldPos, 2 * set, kBackgroundY);

    for (i32 i = 0; i < gObjectCount; ++i) {
        WorldObject& object = gObjects[i];
        if (object.active && !IsActiveCanister(object)) DrawObject(object, playfieldPos, dt);
    }
    for (i32 i = 0; i < gCharacterCount; ++i) {
        if (gCharacters[i]) gCharacters[i]->Draw(playfieldPos, dt);
    }
    // The player's own step runs here, after the other figures are drawn.
    gPlayer.Update(dt, scrollSpeed);
    gPlayer.Draw(playfieldPos, dt);
    // Canisters stand in front of the player.
    for (i32 i = 0; i < gObjectCount; ++i) {
        if (IsActiveCanister(gObjects[i])) DrawObject(gObjects[i], playfieldPos, dt);
    }
    DrawBonusDisplay(dt);
    DrawHud();
}

void DrawStateOverlay(float dt) {
    switch (gGame.screenState) {
        case HighScoreEntry:
            DrawNameEntryPanel(dt);
            break;
        case Paused:
            DrawPausePanel();
            break;
        default:
            DrawStateTexts();
            break;
    }
}

// The clip rectangle handed to the blitter: never larger than the frame
// buffer, and an inverted rectangle (a fully held cover) becomes empty.
void ApplyClip(const ScreenRect& clip) {
    ScreenRect screen{0, 0, 0, 0};
    if (!gPlatform || !gPlatform->GetScreenRect(&screen) || !gPlatform->GetScreenPixels())
        screen = {0, 0, 0, 0};
    i32 left = std::max(clip.left, screen.left);
    i32 top = std::max(clip.top, screen.top);
    i32 right = std::min(clip.right, screen.right);
    i32 bottom = std::min(clip.bottom, screen.bottom);
    if (right < left) right = left;
    if (bottom < top) bottom = top;
    SetBlitClip(left, top, right, bottom);
}

}  // namespace

void DrawBackgroundLayer(float position, i32 sequence, i32 y) {
    float p = position;
    i32 width = gLevel.playfieldWidth;
    if (p < 0.0f && width > 0) {
        // Only the whole screens are reduced around the loop; the fraction
        // stays as it is.
        float ahead = -p;
        float whole = std::trunc(ahead);
        float fraction = ahead - whole;
        float reduced = std::fmod(whole, static_cast<float>(width));
        p = static_cast<float>(width) - (reduced + fraction);
    }
    float whole = std::trunc(p);
    i32 x = static_cast<i32>(-(p - whole) * static_cast<float>(gGame.screenWidth));
    i32 tile = static_cast<i32>(std::fmod(whole, 3.0f));
    if (tile < 0) tile += 3;
    for (i32 i = 0; i < 2; ++i) {
        if (gLibrary) {
            const PictureItem* picture =
                gLibrary->GetPicture(&AssetNames::Background(), sequence, tile);
            if (picture) BlitFrame(x, y, picture, false);
        }
        tile = (tile + 1) % 3;
        x += gGame.screenWidth;
    }
}

void SetCurtainClip() {
    float c = gGame.curtain;
    i32 w = gGame.screenWidth;
    gPlatform->ClearScreen();
    frameClip.left = static_cast<i32>(c * static_cast<float>(w / 2));
    frameClip.top = static_cast<i32>(c * 300.0f);
    frameClip.right = static_cast<i32>(static_cast<float>(w - 1) - c * static_cast<float>(w / 2));
    frameClip.bottom = static_cast<i32>(599.0f - c * 300.0f);
    ApplyClip(frameClip);
}

void ComposeFrame(float dt, float scrollSpeed, float middlePos, float playfieldPos) {
    if (gGame.curtain != 0.0f) {
        SetCurtainClip();
        if (gGame.curtain != 2.0f) {
            gGame.curtain += static_cast<float>(gGame.curtainDirection) * dt * kCurtainRate;
            if (gGame.curtain > 1.0f) gGame.curtain = 1.0f;
            if (gGame.curtain < 0.0f) gGame.curtain = 0.0f;
        }
    }

    switch (gGame.screenState) {
        case LevelStart:
            break;
        case MainMenu:
            DrawMainMenu(dt);
            break;
        case HighScoreTable:
            DrawHighScoreScreen();
            break;
        case Options:
            DrawOptionsScreen();
            break;
        case StartLevelSelect:
            DrawStartLevelScreen();
            break;
        case HelpPages:
            if (gGame.helpPage < 0) gGame.helpPage = 3;
            if (gGame.helpPage > 3) gGame.helpPage = 0;
            DrawHelpPage(gGame.helpPage);
            break;
        default:
            DrawPlayScene(dt, scrollSpeed, middlePos, playfieldPos);
            DrawStateOverlay(dt);
            break;
    }
}
