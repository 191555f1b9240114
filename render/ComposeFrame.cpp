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
    DrawBackgroundLayers(middlePos, playfieldPos, gLevel.backgroundSet, kBackgroundY);

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

namespace {

// Where a layer scrolled to `position` stands: the left edge of its first
// tile (the screen shows two tiles side by side) and that tile's number.
struct LayerPlace {
    i32 x;
    i32 tile;
};

LayerPlace PlaceLayer(float position) {
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
    return {x, tile};
}

// The two tiles of a layer on screen; null where the library lacks one.
void LayerTiles(i32 sequence, i32 firstTile, const PictureItem* tiles[2]) {
    for (i32 i = 0; i < 2; ++i) {
        tiles[i] = gLibrary ? gLibrary->GetPicture(&AssetNames::Background(), sequence,
                                                   (firstTile + i) % 3)
                            : nullptr;
    }
}

}  // namespace

void DrawBackgroundLayer(float position, i32 sequence, i32 y) {
    const LayerPlace place = PlaceLayer(position);
    const PictureItem* tiles[2];
    LayerTiles(sequence, place.tile, tiles);
    for (i32 i = 0; i < 2; ++i) {
        if (tiles[i]) BlitFrame(place.x + i * gGame.screenWidth, y, tiles[i], false);
    }
}

void DrawBackgroundLayers(float middlePos, float playfieldPos, i32 set, i32 y) {
    const LayerPlace lower = PlaceLayer(middlePos);
    const LayerPlace upper = PlaceLayer(playfieldPos);
    const PictureItem* middle[2];
    const PictureItem* playfield[2];
    LayerTiles(2 * set + 1, lower.tile, middle);
    LayerTiles(2 * set, upper.tile, playfield);

    // The street's usual pictures: raw middle tiles under colour-keyed
    // playfield tiles, all one screen wide and alike in height and hotspot.
    // Both layers then cover the same rows and the playfield tiles every
    // column of the clip rectangle, so drawing each playfield tile over the middle tiles in one
    // pass gives the frame of drawing the layers in turn, writing each pixel
    // once. Any other pictures are drawn in turn.
    const i32 w = gGame.screenWidth;
    bool fused = w > 0 && upper.x <= frameClip.left && upper.x + 2 * w >= frameClip.right;
    const BlitUnderlay under{{middle[0], middle[1]}, lower.x, y};
    for (const PictureItem* tile : {middle[0], middle[1], playfield[0], playfield[1]}) {
        fused = fused && tile && tile->width == w && tile->hotX == 0;
    }
    for (i32 i = 0; i < 2 && fused; ++i) fused = CanBlitOver(y, playfield[i], under);
    if (!fused) {
        DrawBackgroundLayer(middlePos, 2 * set + 1, y);
        DrawBackgroundLayer(playfieldPos, 2 * set, y);
        return;
    }
    for (i32 i = 0; i < 2; ++i) BlitFrameOver(upper.x + i * w, y, playfield[i], under);
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
