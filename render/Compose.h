// Composition of each frame: the play scene with its two scrolling layers,
// figures, objects and head-up display, the menu screens, the overlays of the
// states between levels and the level transition overlay.
#pragma once

#include "platform/PlatformServices.h"

// The clip rectangle of this frame (GameFrame fills it from the screen
// rectangle; the transition overlay narrows it).
extern ScreenRect frameClip;

void ComposeFrame(float dt, float scrollSpeed, float middlePos, float playfieldPos);
// One background layer (sequence of Background) scrolled to position, its
// tiles' hotspots on row y.
void DrawBackgroundLayer(float position, i32 sequence, i32 y);
// Both layers of background set `set`: the middle layer, and the playfield
// layer over it, in one pass where their pictures allow.
void DrawBackgroundLayers(float middlePos, float playfieldPos, i32 set, i32 y);
void SetCurtainClip();

void DrawHud();
void DrawBonusDisplay(float dt);
void DrawStateTexts();

// Menu screens.
void DrawMainMenu(float dt);
void DrawOptionsScreen();
void DrawStartLevelScreen();
void DrawHighScoreScreen();
void DrawHelpPage(i32 page);
void DrawPausePanel();
void DrawNameEntryPanel(float dt);
// Name entry clears the cursor blink whenever it accepts a key.
void ResetNameCursor();
