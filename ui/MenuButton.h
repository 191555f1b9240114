// The animated menu button: its record, the nineteen buttons of the game, and
// the operations that update, hit-test, draw and sound them.
#pragma once

#include "platform/PlatformServices.h"

struct MenuButton {
    i32 column;      // "GUI" sequence of its pictures: 1 large, 2 small
    i32 lastFrame;   // item of the fully highlighted picture: 3 large, 2 small
    i32 frameTimer;  // ms towards the next highlight step
    i32 x, y;        // top-left; x -1 = centred, fixed at the first draw
    i32 lastMouseX, lastMouseY;
    i32 frame;        // item shown now (0 = not highlighted)
    i32 targetFrame;  // 0 or lastFrame
    bool activated;   // the left button was down over it at the last update
    bool hidden;
    bool disabled;
    char label[32];
    char subLabel[33];  // shown only on a highlighted disabled button
};

inline constexpr i32 kButtonCount = 19;

// Button n (1..19).
MenuButton& Button(i32 n);
// Restores the nineteen buttons to their start values (start-up; tests).
void ResetButtons();

// Copies text n of the text table into the label (or the second line) only
// when it is shorter than 32 characters; otherwise the field keeps its text.
void SetButtonLabel(MenuButton& button, i32 textNumber);
void SetButtonSubLabel(MenuButton& button, i32 textNumber);

bool ButtonHitTest(MenuButton& button);
// True when the pointer has just come to point at the button (it moved onto
// it or clicked it); also steps the highlight animation.
bool UpdateButton(MenuButton& button, i32 elapsed);
// Activated, shown and enabled after its update.
bool ButtonClicked(const MenuButton& button);
void DrawButton(MenuButton& button);
// false: the hover sound, true: the click sound.
void PlayButtonSound(bool click);
