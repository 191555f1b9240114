// The menu buttons and the six button screens. Each Run...Screen is called
// once per frame with the elapsed milliseconds and returns the number of the
// button chosen in this frame, or 0.
#pragma once

#include "platform/PlatformServices.h"

void BuildMenuScreens();
void SetupMainMenu();
void RefreshOptionsButtons();
void SetupPauseMenu();
void SetupHelpPages();
void SetupStartLevelScreen();

i32 RunMainMenu(i32 elapsed);
i32 RunOptionsScreen(i32 elapsed);
i32 RunStartLevelScreen(i32 elapsed);
i32 RunHelpPagesScreen(i32 elapsed);
i32 RunPauseScreen(i32 elapsed);
i32 RunHighScoreScreen(i32 elapsed);

// Highlight one button of the options (6..8) / start-level (12..17) screen.
void SetOptionsHighlight(i32 button);
void SetStartLevelHighlight(i32 button);

// Draws the buttons of one screen (used by the menu screen drawing).
void DrawMainMenuButtons();
void DrawOptionsButtons();
void DrawStartLevelButtons();
void DrawPauseButtons();
void DrawHelpPagesButtons();
void DrawHighScoreButtons();
