// A small stand-in game for checking a host without the real game's data:
// it draws moving colour bars and a line of text, beeps now and then, shows
// and hides the cursor, and quits after a number of frames or on Escape.
#pragma once

#include "platform/HostLoop.h"

// The stand-in's entry points; it quits after `frames` frames (never when
// frames is negative).
GameEntryPoints SelfTestGame(long frames);

// Frames the stand-in has drawn since its GameInit.
long SelfTestFramesDrawn();

// What the window should show if the host presented exactly the row bands
// the stand-in reported (800 x 600, rows of 800 pixels): each frame also
// changes a pixel outside its band, which must not reach the window until a
// full frame is asked for.
const u16* SelfTestExpectedPicture();
