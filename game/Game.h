// The game's four entry points, called by the host (the SDL host or the
// headless runner) and nothing else.
#pragma once

#include "platform/PlatformServices.h"

// Loads everything the game needs and keeps the platform pointer for the whole
// run. False: nothing is left behind and the host ends the program;
// GameInitError() then says why in words a player understands.
bool GameInit(PlatformServices* platform);
const char* GameInitError();

// Deletes the figures, closes the library, frees the decoded sounds. True.
bool GameShutdown();

// False once the player chose to quit.
bool GameIsRunning();

// Runs one frame; returns the band of rows to present: bits 0-15 the first
// row, bits 16-31 the number of rows. fullPresent: the frame buffer was just
// (re)created, draw and report everything.
u32 GameFrame(bool fullPresent);

// For a host that remembers the Options screen's two switches between runs:
// set before GameInit (the game starts with them), read after the loop.
void GameSetSwitches(bool soundEffects, bool music);
void GameGetSwitches(bool* soundEffects, bool* music);

// For a host that pauses the game when its window loses the focus: opens the
// pause menu as Escape does, when a street is being played; otherwise nothing.
void GamePause();
