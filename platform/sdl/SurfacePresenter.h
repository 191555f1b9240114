// Shows the frame buffer by drawing straight into the window's own surface:
// the changed rows are widened to 8 bits per channel, scaled to fit the
// window with nearest pixels and letterboxed, and only those rows of the
// window are updated. Used when no graphics card draws for us (a GL driver
// that emulates one on the processor costs far more for the same picture).
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/PlatformServices.h"

// Widens rows of 16-bit pixels (red 10-14, green 5-9, blue 0-4) to XRGB8888,
// each 5-bit channel v becoming v << 3 | v >> 2 so that white stays white.
void WidenRows(const u16* from, i32 fromPitchPixels, Uint32* to, i32 toPitchPixels, i32 width,
               i32 rows);

class SurfacePresenter {
public:
    // False when the window has no surface of 32-bit XRGB pixels to draw into.
    // smooth: the picture fills the window (still with nearest pixels);
    // otherwise the largest whole multiple of it that fits.
    bool Begin(SDL_Window* window, i32 pictureWidth, i32 pictureHeight, bool smooth);

    // Shows rows first .. first + rows - 1 of a picture of the size given to
    // Begin; everything (bars included) when all is set or the window's size
    // changed.
    void Present(const u16* pixels, i32 pitchPixels, i32 firstRow, i32 rows, bool all);

    // Whether the window shows exactly `expected` (rows of pitchPixels), scaled
    // as Present scales; the first difference is reported on standard error.
    bool Matches(const u16* expected, i32 pitchPixels);

private:
    bool Layout();

    SDL_Window* window = nullptr;
    i32 width = 0, height = 0;  // the picture
    bool smooth = false;
    SDL_Surface* surface = nullptr;
    i32 surfaceW = 0, surfaceH = 0;
    SDL_Rect viewport{};
    std::vector<i32> columnSource;  // picture column of each viewport column
    std::vector<i32> rowSource;     // picture row of each viewport row
    std::vector<Uint32> wideRow;    // one picture row widened
};
