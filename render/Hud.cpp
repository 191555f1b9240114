// The head-up display of the play screen (clock, score, gas, lives, running
// power-ups), the display of time and score bonuses, which also pays them
// out, and the texts laid over the play scene between levels.
#include <cstdio>
#include <cstring>
#include <string>

#include "actors/AnimationTable.h"
#include "actors/PlayerCharacter.h"
#include "blit/Blitter.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "game/LevelRules.h"
#include "render/Compose.h"
#include "render/TextDraw.h"

namespace {

constexpr i32 kHudY = 87;          // the top line of the HUD texts
constexpr i32 kDigitAdvance = 18;  // clock and gas digits stand in fixed cells
constexpr char kGasSymbol = 127;   // the fonts' petrol can

const char* Text(i32 n) {
    const char* text = GetText(n);
    return text ? text : "";
}

// The first picture of the animation an animation record names.
const PictureItem* RecordPicture(i32 id) {
    const AnimationRecord& record = Animation(id);
    if (!gLibrary || !record.animationAsset) return nullptr;
    return gLibrary->GetPicture(record.animationAsset, record.sequence, 0);
}

void DrawClock() {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", gGame.timeLeft / 60);
    DrawText(10, kHudY, text, kDigitAdvance, false, false, false);
    DrawText(46, kHudY, ":", 0, false, false, false);
    std::snprintf(text, sizeof text, "%02d", gGame.timeLeft % 60);
    DrawText(62, kHudY, text, kDigitAdvance, false, false, false);
}

void DrawScore() {
    char text[24];
    std::snprintf(text, sizeof text, "$%d", gGame.score);
    DrawText(gGame.screenWidth - TextWidth(text, false) - 10, kHudY, text, 0, false, false, false);
}

// The gas gauge in percent; 0.9 is added so that the last drop still shows 1.
// An empty tank is shown in the second style.
void DrawGas() {
    float percent = gPlayer.gas * 100.0f + 0.9f;
    i32 gas = 0;
    if (percent >= 100.0f)
        gas = 100;
    else if (percent > 0.0f)
        gas = static_cast<i32>(percent);
    char text[24];
    std::snprintf(text, sizeof text, "%c  %d", kGasSymbol, gas);
    i32 length = static_cast<i32>(std::strlen(text));
    i32 x = gGame.screenWidth / 2 - (length / 2) * kDigitAdvance;
    DrawText(x, kHudY, text, kDigitAdvance, gas == 0, false, false);
}

void DrawLives() {
    const PictureItem* life = RecordPicture(AII_Lifes);
    if (!life) return;
    for (i32 i = 0; i < gGame.lives; ++i) BlitFrame(70 + i * life->width, 460, life, false);
}

// One bonus (type 1 time, type 3 score): announced in the middle of the
// screen, then flying to the clock or the score in its last 30 units, and
// paid when its time is up.
void DrawOneBonus(i32 type, float dt) {
    float& timer = gLevel.bonusTimer[type];
    if (timer == 0.0f) return;
    i32& payout = gLevel.bonusPayout[type];

    char text[32];
    if (type == 1)
        std::snprintf(text, sizeof text, "%02d:%02d", payout / 60, payout % 60);
    else
        std::snprintf(text, sizeof text, "$%d", payout);
    i32 x0 = gGame.screenWidth / 2 - TextWidth(text, false) / 2;

    i32 x = x0;
    i32 y = 250;
    if (timer >= 30.0f) {
        DrawCentredText(200, Text(61));
    } else {
        float f = (timer + 1.0f) / 30.0f;
        if (f < 0.0f) f = 0.0f;
        if (f > 1.0f) f = 1.0f;
        float target = type == 1 ? 10.0f : 750.0f;  // the clock / the score
        x = static_cast<i32>(static_cast<float>(x0) * f + target * (1.0f - f));
        y = static_cast<i32>(250.0f * f + static_cast<float>(kHudY) * (1.0f - f));
    }
    DrawText(x, y, text, 0, false, false, false);

    // Paid when the time is up. A timer that lands exactly on 0 pays too: it
    // would never be shown again, and the bonus would be lost.
    timer -= dt;
    if (timer <= 0.0f) {
        timer = 0.0f;
        if (type == 1)
            ChangeTimeLeft(-payout);
        else
            AddScore(payout);
        payout = 0;
    }
}

}  // namespace

void DrawHud() {
    DrawClock();
    DrawScore();
    DrawGas();
    DrawLives();
    if (gLevel.bonusTimer[2] > 0.0f) {
        if (const PictureItem* p = RecordPicture(AII_Extra2)) BlitFrame(70, 90, p, false);
    }
    if (gLevel.bonusTimer[4] > 0.0f) {
        if (const PictureItem* p = RecordPicture(AII_Extra4)) BlitFrame(730, 90, p, false);
    }
}

void DrawBonusDisplay(float dt) {
    DrawOneBonus(1, dt);
    DrawOneBonus(3, dt);
}

void DrawStateTexts() {
    switch (gGame.screenState) {
        case GetReady: {
            char title[160];
            std::snprintf(title, sizeof title, "%s %02d", Text(10), gGame.levelNumber);
            DrawCentredText(180, title);
            // "Get ready" blinks with a period of 1024 ms.
            if (gPlatform->GetTimeMs() & 512u) DrawCentredText(240, Text(11));
            break;
        }
        case LevelWon: {
            DrawCentredText(180, Text(13));
            DrawCentredText(280, FormatText(Text(23), gGame.timeLeft).c_str());
            DrawCentredText(360, FormatText(Text(24), gLevel.timeBonusPerSecond).c_str());
            DrawCentredText(
                440, FormatText(Text(25), LevelTimeBonus()).c_str());
            break;
        }
        case GameOver:
            if (gLevel.outOfGas) DrawCentredText(240, Text(29));
            DrawCentredText(180, Text(12));
            break;
        case LifeLost:
            if (gLevel.outOfGas) DrawCentredText(240, Text(29));
            DrawCentredText(180, Text(62));
            break;
        case GameWon: {
            static constexpr i32 kLineY[10] = {180, 220, 250, 280, 310, 340, 370, 400, 430, 460};
            for (i32 i = 0; i < 10; ++i) DrawCentredText(kLineY[i], Text(40 + i));
            break;
        }
        default:
            break;
    }
}
