// The six button screens: main menu, options, start-level choice, help pages,
// pause menu and high-score table, each run once per frame.
#include "ui/Menus.h"

#include <cstring>

#include "config/Settings.h"
#include "config/TextTable.h"
#include "game/GameGlobals.h"
#include "ui/MenuButton.h"

namespace {

// Each screen keeps its selection for the whole run, so it reopens where it
// was left.
struct ScreenSelections {
    i32 mainMenu = 1;
    i32 options = 8;
    i32 startLevel = 12;
    i32 helpPages = 11;
    i32 highScores = 8;
    i32 pause = 19;
    bool mainMenuArrowLatch = false;
} selection;

void Highlight(i32 first, i32 last, i32 chosen) {
    for (i32 n = first; n <= last; ++n) Button(n).targetFrame = 0;
    if (chosen >= first && chosen <= last) Button(chosen).targetFrame = Button(chosen).lastFrame;
}

// Polls the live key state until the key is up.
template <typename Query>
void WaitUntilUp(Query query) {
    while ((gPlatform->*query)()) {
    }
}

void WaitForMouseButton() {
    WaitUntilUp(&PlatformServices::IsLeftButtonPressed);
}

bool AnyClicked(std::initializer_list<i32> numbers) {
    for (i32 n : numbers)
        if (ButtonClicked(Button(n))) return true;
    return false;
}

i32 Finish(i32 chosen) {
    if (chosen != 0) PlayButtonSound(true);
    return chosen;
}

}  // namespace

void SetupMainMenu() {
    SetButtonLabel(Button(1), 0);
    SetButtonLabel(Button(2), 1);
    SetButtonLabel(Button(4), 2);
    SetButtonLabel(Button(3), 3);
    SetButtonLabel(Button(5), 5);
    Button(1).targetFrame = Button(1).lastFrame;
}

void RefreshOptionsButtons() {
    SetButtonLabel(Button(6), gGame.soundEffectsOn ? 14 : 15);
    SetButtonLabel(Button(7), gGame.musicOn ? 16 : 17);
    SetButtonLabel(Button(8), 6);
}

void SetupPauseMenu() {
    SetButtonLabel(Button(18), 19);
    SetButtonLabel(Button(19), 20);
    selection.pause = 19;
}

void SetupHelpPages() {
    SetButtonLabel(Button(10), 21);
    SetButtonLabel(Button(9), 22);
    SetButtonLabel(Button(11), 6);
    Button(11).targetFrame = Button(11).lastFrame;
}

void SetupStartLevelScreen() {
    static constexpr i32 kLevels[5] = {1, 11, 21, 31, 41};
    const char* offered = GetText(60);
    for (i32 k = 0; k < 5; ++k) {
        MenuButton& b = Button(12 + k);
        SetButtonLabel(b, 50 + k);
        SetButtonSubLabel(b, 55 + k);
        b.hidden = std::strchr(offered, '1' + k) == nullptr;
        b.disabled = !LevelFileExists(kLevels[k]);
    }
    SetButtonLabel(Button(17), 6);
    Button(12).targetFrame = Button(12).lastFrame;
}

void BuildMenuScreens() {
    SetupMainMenu();
    RefreshOptionsButtons();
    SetupPauseMenu();
    SetupHelpPages();
    SetupStartLevelScreen();
    SetButtonLabel(Button(8), 6);
}

void SetOptionsHighlight(i32 button) {
    Highlight(6, 8, button);
}
void SetStartLevelHighlight(i32 button) {
    Highlight(12, 17, button);
}

i32 RunMainMenu(i32 elapsed) {
    if (selection.mainMenuArrowLatch) {
        if (gPlatform->IsDownArrowPressed() || gPlatform->IsUpArrowPressed()) return 0;
        selection.mainMenuArrowLatch = false;
    }
    for (i32 n : {1, 2, 4, 3, 5})
        if (UpdateButton(Button(n), elapsed)) selection.mainMenu = n;

    if (gPlatform->IsDownArrowPressed()) {
        selection.mainMenuArrowLatch = true;
        if (selection.mainMenu < 5) ++selection.mainMenu;
    } else if (gPlatform->IsUpArrowPressed()) {
        selection.mainMenuArrowLatch = true;
        if (selection.mainMenu > 1) --selection.mainMenu;
    }
    Highlight(1, 5, selection.mainMenu);

    if (gPlatform->IsEscapePressed()) return 5;
    if (!gPlatform->IsEnterPressed() && !AnyClicked({1, 2, 3, 4, 5})) return 0;
    return Finish(selection.mainMenu);
}

i32 RunOptionsScreen(i32 elapsed) {
    for (i32 n : {6, 7, 8}) {
        if (UpdateButton(Button(n), elapsed)) {
            selection.options = n;
            if (n != 8) WaitForMouseButton();
        }
    }
    if (gPlatform->IsDownArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsDownArrowPressed);
        if (selection.options < 8) ++selection.options;
    } else if (gPlatform->IsUpArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsUpArrowPressed);
        if (selection.options > 6) --selection.options;
    }
    Highlight(6, 8, selection.options);

    if (gPlatform->IsEscapePressed()) {
        WaitUntilUp(&PlatformServices::IsEscapePressed);
        return 8;
    }
    if (!gPlatform->IsEnterPressed() && !AnyClicked({6, 7, 8})) return 0;
    return Finish(selection.options);
}

i32 RunStartLevelScreen(i32 elapsed) {
    for (i32 n = 12; n <= 17; ++n) {
        if (UpdateButton(Button(n), elapsed)) {
            selection.startLevel = n;
            if (n != 17) WaitForMouseButton();
        }
    }
    if (gPlatform->IsDownArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsDownArrowPressed);
        i32 n = selection.startLevel;
        while (n < 17) {
            ++n;
            if (!Button(n).hidden) break;
        }
        selection.startLevel = n;
    } else if (gPlatform->IsUpArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsUpArrowPressed);
        // Step back over hidden buttons; with no visible one above, stay.
        for (i32 n = selection.startLevel - 1; n >= 12; --n) {
            if (!Button(n).hidden) {
                selection.startLevel = n;
                break;
            }
        }
    }
    Highlight(12, 17, selection.startLevel);

    if (gPlatform->IsEscapePressed()) {
        WaitUntilUp(&PlatformServices::IsEscapePressed);
        return 17;
    }
    bool enter = gPlatform->IsEnterPressed() && !Button(selection.startLevel).disabled;
    if (!enter && !AnyClicked({12, 13, 14, 15, 16, 17})) return 0;
    return Finish(selection.startLevel);
}

i32 RunHelpPagesScreen(i32 elapsed) {
    for (i32 n : {10, 9, 11}) {
        if (UpdateButton(Button(n), elapsed)) {
            selection.helpPages = n;
            WaitForMouseButton();
        }
    }
    if (gPlatform->IsRightArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsRightArrowPressed);
        if (selection.helpPages < 11) ++selection.helpPages;
    } else if (gPlatform->IsLeftArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsLeftArrowPressed);
        if (selection.helpPages > 9) --selection.helpPages;
    }
    Highlight(9, 11, selection.helpPages);

    if (gPlatform->IsEscapePressed()) {
        WaitUntilUp(&PlatformServices::IsEscapePressed);
        return 11;
    }
    if (!gPlatform->IsEnterPressed() && !AnyClicked({9, 10, 11})) return 0;
    return Finish(selection.helpPages);
}

i32 RunPauseScreen(i32 elapsed) {
    for (i32 n : {18, 19}) {
        if (UpdateButton(Button(n), elapsed)) {
            selection.pause = n;
            WaitForMouseButton();
        }
    }
    if (gPlatform->IsDownArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsDownArrowPressed);
        if (selection.pause < 19) ++selection.pause;
    } else if (gPlatform->IsUpArrowPressed()) {
        WaitUntilUp(&PlatformServices::IsUpArrowPressed);
        if (selection.pause > 18) --selection.pause;
    }
    Highlight(18, 19, selection.pause);

    if (!gPlatform->IsEnterPressed() && !AnyClicked({18, 19})) return 0;
    return Finish(selection.pause);
}

i32 RunHighScoreScreen(i32 elapsed) {
    MenuButton& back = Button(8);
    back.targetFrame = back.lastFrame;
    if (UpdateButton(back, elapsed)) selection.highScores = 8;
    bool enter = gPlatform->IsEnterPressed();
    bool escape = gPlatform->IsEscapePressed();
    if (!enter && !escape && !ButtonClicked(back)) return 0;
    while (gPlatform->IsEnterPressed() || gPlatform->IsEscapePressed()) {
    }
    return Finish(selection.highScores);
}

void DrawMainMenuButtons() {
    for (i32 n : {1, 2, 4, 3, 5}) DrawButton(Button(n));
}
void DrawOptionsButtons() {
    for (i32 n : {6, 7, 8}) DrawButton(Button(n));
}
void DrawStartLevelButtons() {
    for (i32 n = 12; n <= 17; ++n) DrawButton(Button(n));
}
void DrawPauseButtons() {
    for (i32 n : {18, 19}) DrawButton(Button(n));
}
void DrawHelpPagesButtons() {
    for (i32 n : {9, 10, 11}) DrawButton(Button(n));
}
void DrawHighScoreButtons() {
    DrawButton(Button(8));
}
