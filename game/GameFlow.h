// Pieces of the game flow that the entry points, the level rules and the debug
// keys share: the screen state machine, the debug keys and their read-outs,
// and the small actions several screens repeat.
#pragma once

#include "platform/PlatformServices.h"

// One step of the screen state machine with the milliseconds since the
// previous frame.
void ScreenStateStep(i32 elapsed);

// Changes the screen; the state and its timer always change together.
void SetScreenState(i32 state, i32 timer);

// Stops the looping sound of the player's current animation (leaving play).
void StopPlayerLoopSound();
// Leaving a street for the menu: lifts the game's sound pause (the menu must
// not stay silent) and stops every sound of the street, the saw's motor and
// the material loop included, whatever animation the player is in by then.
void StopLevelSounds();

// Opens the pause menu as Escape does, when a street is being played.
void OpenPauseMenu();

// The function keys that work once the cheat code has been typed (read at the
// start of the level input) and the read-outs drawn at the end of each frame.
void DebugKeysStep();
void DrawDebugReadouts();
// Forgets which function keys were held (a new run starts with none).
void ResetDebugKeyLatches();
