// Text in the game's two bitmap fonts ("font_gr_normal" large,
// "font_kl_normal" small): measuring and drawing.
#pragma once

#include "platform/PlatformServices.h"

i32 TextWidth(const char* text, bool small);
// Draws text with its first glyph's hotspot at (x, y). fixedAdvance 0 advances
// by each glyph's width - 1.
void DrawText(i32 x, i32 y, const char* text, i32 fixedAdvance, bool secondStyle, bool small,
              bool shadow);
// Large font, plain style, centred on half the screen width.
void DrawCentredText(i32 y, const char* text);
