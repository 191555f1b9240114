// The host's fixed font for the debug read-outs (DrawScreenText): 8 x 16
// cells, printable ASCII 32-126, drawn in white. Plain C++ so that every host
// draws the same text into its frame buffer.
#pragma once

#include "platform/PlatformServices.h"

namespace ScreenFont {

inline constexpr i32 kCellWidth = 8;
inline constexpr i32 kCellHeight = 16;
inline constexpr u16 kTextColour = 0x7FFF;

// Draws text with the top-left of its first cell at (x, y) into a frame
// buffer of width x height pixels and pitchBytes bytes per row. CR and LF
// start a new line at x (CR LF counts as one break); characters outside
// 32-126 draw as a blank cell. opaque fills every cell black first. Anything
// outside the buffer is clipped. Does nothing for a null buffer or text.
void DrawText(u16* pixels, i32 pitchBytes, i32 width, i32 height, i32 x, i32 y, const char* text,
              bool opaque);

// One row of a glyph: bit 7 is the leftmost pixel. Zero for characters
// outside 32-126.
u8 GlyphRow(unsigned char c, i32 row);

}  // namespace ScreenFont
