// The animated menu buttons (see MenuButton.h).
#include "ui/MenuButton.h"

#include <cstring>

#include "actors/AnimationTable.h"
#include "blit/Blitter.h"
#include "config/AssetNames.h"
#include "config/TextTable.h"
#include "game/AssetLibrary.h"
#include "game/GameGlobals.h"
#include "game/SoundCues.h"
#include "render/TextDraw.h"

namespace {

struct ButtonPlace {
    i32 column;
    i32 x, y;
};

// The nineteen buttons: kind and top-left position on the 800 x 600 screen.
constexpr ButtonPlace kPlaces[kButtonCount] = {
    {1, 513, 133}, {1, 563, 193}, {1, 613, 253}, {1, 578, 313}, {1, 518, 530},  // main menu
    {1, 90, 110},  {1, 90, 190},  {1, -1, 510},                                 // options
    {2, 10, 510},  {2, -1, 510},  {2, 532, 510},                                // help pages
    {1, 90, 106},  {1, 90, 182},  {1, 90, 258},  {1, 90, 334},  {1, 90, 410},   // start level
    {1, -1, 510},                                                               // start level back
    {1, -1, 190},  {1, -1, 270},                                                // pause
};

MenuButton buttons[kButtonCount + 1];

const PictureItem* ButtonPicture(const MenuButton& button) {
    if (!gLibrary) return nullptr;
    return gLibrary->GetPicture(&AssetNames::Gui(), button.column, button.frame);
}

void CopyLabel(char* field, std::size_t fieldSize, i32 textNumber) {
    const char* text = GetText(textNumber);
    std::size_t length = std::strlen(text);
    if (length >= 32 || length >= fieldSize) return;
    std::memcpy(field, text, length + 1);
}

struct ButtonTableInit {
    ButtonTableInit() { ResetButtons(); }
} buttonTableInit;

}  // namespace

MenuButton& Button(i32 n) {
    return buttons[n];
}

void ResetButtons() {
    for (i32 n = 1; n <= kButtonCount; ++n) {
        MenuButton& b = buttons[n];
        b = MenuButton{};
        b.column = kPlaces[n - 1].column;
        b.lastFrame = b.column == 1 ? 3 : 2;
        b.x = kPlaces[n - 1].x;
        b.y = kPlaces[n - 1].y;
    }
}

void SetButtonLabel(MenuButton& button, i32 textNumber) {
    CopyLabel(button.label, sizeof button.label, textNumber);
}

void SetButtonSubLabel(MenuButton& button, i32 textNumber) {
    CopyLabel(button.subLabel, sizeof button.subLabel, textNumber);
}

bool ButtonHitTest(MenuButton& button) {
    if (button.hidden) return false;
    const PictureItem* picture = ButtonPicture(button);
    i32 w = picture ? picture->width : 0;
    i32 h = picture ? picture->height : 0;
    i32 mx = 0, my = 0;
    gPlatform->GetMousePosition(&mx, &my);
    return button.x < mx && mx < button.x + w && button.y + 5 < my && my < button.y + h - 5;
}

bool UpdateButton(MenuButton& button, i32 elapsed) {
    if (button.hidden) return false;

    i32 mx = button.lastMouseX, my = button.lastMouseY;
    gPlatform->GetMousePosition(&mx, &my);
    bool moved = mx != button.lastMouseX || my != button.lastMouseY;
    button.lastMouseX = mx;
    button.lastMouseY = my;
    button.activated = false;

    bool result = false;
    if (ButtonHitTest(button)) {
        if (gPlatform->IsLeftButtonPressed() && !button.disabled) button.activated = true;
        if (moved || button.activated) {
            button.targetFrame = button.lastFrame;
            result = true;
        }
    }

    // The highlight moves one picture per step towards its target.
    i32 step = static_cast<i32>(Animation(AII_GUIButton).speed * 20.0f);
    button.frameTimer += elapsed;
    if (button.frameTimer > step) {
        button.frameTimer -= step;
        if (button.frame < button.targetFrame) {
            ++button.frame;
            if (button.frame == 1) PlayButtonSound(false);
        } else if (button.frame > button.targetFrame) {
            --button.frame;
        }
    }
    return result;
}

bool ButtonClicked(const MenuButton& button) {
    return button.activated && !button.hidden && !button.disabled;
}

void DrawButton(MenuButton& button) {
    if (button.hidden) return;
    const PictureItem* picture = ButtonPicture(button);
    i32 w = picture ? picture->width : 0;
    i32 h = picture ? picture->height : 0;
    if (button.x == -1) button.x = gGame.screenWidth / 2 - w / 2;
    if (picture) {
        BlitFrame(button.x + 5, button.y + 5, picture, true);
        BlitFrame(button.x, button.y, picture, false);
    }

    i32 tw = TextWidth(button.label, false);
    i32 tx = button.x + w / 2 - tw / 2;
    i32 ty = button.y + h / 2 - 16;
    bool plain = button.frame != 0;
    DrawText(tx + 2, ty + 2, button.label, 0, !plain, false, true);
    if (button.disabled) {
        DrawText(tx, ty, button.label, 0, true, false, false);
        DrawText(tx, ty, button.label, 0, false, false, true);
        if (button.frame == button.lastFrame) {
            i32 sw = TextWidth(button.subLabel, true);
            DrawText(button.x + w / 2 - sw / 2, button.y + h / 2 + 13, button.subLabel, 0, false,
                     true, false);
        }
    } else {
        DrawText(tx, ty, button.label, 0, !plain, false, false);
    }
}

void PlayButtonSound(bool click) {
    const AnimationRecord& record = Animation(click ? AII_GUIButtonShort : AII_GUIButton);
    if (!gLibrary || !record.soundAsset) return;
    i32 sequence = (record.soundSequence < 0 ? -record.soundSequence : record.soundSequence) - 1;
    if (!gLibrary->GetItem(record.soundAsset, sequence, record.soundItem)) return;
    PlaySound(record.soundAsset, sequence, record.soundItem, false, false);
}
