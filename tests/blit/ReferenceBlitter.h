// The blitter written the plain way, one pixel at a time straight from the
// drawing rules, to hold the fast blitter to: the same pictures drawn by both
// must leave the same bytes in the frame buffer.
#pragma once

#include "blit/PictureItem.h"

struct ReferenceBlitter {
    // Clip rectangle (right and bottom exclusive) and target, as the fast
    // blitter's SetBlitClip and SetBlitTarget hold them.
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
    u16* pixels = nullptr;
    i32 pitchBytes = 0;

    // Same contract as the fast BlitFrame.
    bool BlitFrame(i32 x, i32 y, const PictureItem* item, bool shadow) const;
};
