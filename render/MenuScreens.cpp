// Drawing of the menu screens and of the two panels laid over the play scene
// (pause, name entry), from the "GUI" pictures and the text table. The
// buttons are drawn last, by the button widget.
#include <cstdio>
#include <string>

#include "blit/Blitter.h"
#include "config/AssetNames.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "render/Compose.h"
#include "render/TextDraw.h"
#include "ui/HighScores.h"
#include "ui/Menus.h"

namespace {

struct MenuScreenState {
    i32 titleFrame = 0;
    float titleTimer = 0.0f;
    float nameCursorTimer = 0.0f;
} menu;

void DrawGui(i32 sequence, i32 item, i32 x, i32 y, bool shadow = false) {
    if (!gLibrary) return;
    if (const PictureItem* p = gLibrary->GetPicture(&AssetNames::Gui(), sequence, item))
        BlitFrame(x, y, p, shadow);
}

// A shadowed text: first as a shadow two pixels right and down, then itself.
void DrawShadowedSmall(i32 x, i32 y, const char* text) {
    DrawText(x + 2, y + 2, text, 0, false, true, true);
    DrawText(x, y, text, 0, false, true, false);
}

void DrawHeading(i32 x, i32 y, i32 textNumber) {
    DrawText(x, y, GetText(textNumber), 0, false, false, false);
}

}  // namespace

void DrawMainMenu(float dt) {
    DrawGui(0, 0, 0, 0);
    menu.titleTimer -= dt;
    if (menu.titleTimer < 0.0f) {
        menu.titleTimer = 5.0f;
        menu.titleFrame += 1;
        if (gLibrary && menu.titleFrame >= gLibrary->GetItemCount(&AssetNames::Gui(), 3))
            menu.titleFrame = 0;
    }
    if (gLibrary) {
        if (const PictureItem* p = gLibrary->GetPicture(&AssetNames::Gui(), 3, menu.titleFrame))
            BlitFrame(gGame.screenWidth / 2 - p->width / 2, 0, p, false);
    }
    DrawMainMenuButtons();
}

void DrawOptionsScreen() {
    DrawGui(0, 1, 0, 0);
    DrawHeading(40, 30, 2);
    DrawOptionsButtons();
}

void DrawStartLevelScreen() {
    DrawGui(0, 1, 0, 0);
    DrawHeading(40, 30, 0);
    DrawStartLevelButtons();
}

void DrawHighScoreScreen() {
    DrawGui(0, 1, 0, 0);
    DrawHeading(40, 30, 3);
    char text[32];
    for (i32 i = 0; i < 10; ++i) {
        i32 y = 100 + 32 * i;
        std::snprintf(text, sizeof text, "%d.", i + 1);
        DrawShadowedSmall(40, y, text);
        DrawShadowedSmall(90, y, HighScoreName(i));
        std::snprintf(text, sizeof text, "$%d", HighScoreValue(i));
        DrawShadowedSmall(470 - TextWidth(text, true), y, text);
    }
    DrawHighScoreButtons();
}

void DrawHelpPage(i32 page) {
    DrawGui(0, 1, 0, 0);
    DrawHeading(30, 30, 1);

    // Words run up to and including the next space or asterisk; an asterisk
    // forces a line break and draws nothing (it is drawn as code 1).
    const std::string text = GetText(30 + page);
    i32 x = 30, y = 80;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of(" *", start);
        end = end == std::string::npos ? text.size() : end + 1;
        std::string word = text.substr(start, end - start);
        i32 w = TextWidth(word.c_str(), true);
        if (x + w > 489) {
            y += 20;
            x = 30;
        }
        bool breakAfter = word.back() == '*';
        for (char& c : word)
            if (c == '*') c = 1;
        DrawText(x, y, word.c_str(), 0, false, true, false);
        x += w;
        if (breakAfter) {
            y += 20;
            x = 30;
        }
        start = end;
    }
    DrawHelpPagesButtons();
}

void DrawPausePanel() {
    DrawCentredText(132, GetText(18));
    DrawPauseButtons();
}

void DrawNameEntryPanel(float dt) {
    i32 cx = gGame.screenWidth / 2;
    DrawCentredText(172, GetText(3));
    i32 pw = 0;
    if (gLibrary) {
        // The panel of its own when the library has one (a long name does not
        // fit the large button it used to share), otherwise the large button.
        const i32 sequence = gLibrary->HasSequence(&AssetNames::Gui(), 9) ? 9 : 1;
        if (const PictureItem* panel = gLibrary->GetPicture(&AssetNames::Gui(), sequence, 0)) {
            pw = panel->width;
            BlitFrame(cx - pw / 2 + 5, 245, panel, true);
            BlitFrame(cx - pw / 2, 240, panel, false);
        }
    }
    const char* prompt = GetText(8);
    DrawShadowedSmall(cx - TextWidth(prompt, true) / 2, 262, prompt);
    const char* name = TypedName();
    i32 nameX = cx - pw / 2 + 40;
    DrawShadowedSmall(nameX, 292, name);
    menu.nameCursorTimer += dt;
    if (static_cast<i32>(menu.nameCursorTimer) % 50 < 25)
        DrawShadowedSmall(nameX + TextWidth(name, true), 292, GetText(9));
}

void ResetNameCursor() {
    menu.nameCursorTimer = 0.0f;
}
