// The sprite blitter: every picture of the game reaches the frame buffer
// through BlitFrame, which places a picture item by its hotspot, clips it to
// the clip rectangle and writes it as an opaque copy, a colour-keyed copy of
// runs, a translucent 4-4-4-4 blend or a shadow that darkens what is there.
// It knows nothing of the game but the 16-bit pixel format (red in bits 10-14,
// green 5-9, blue 0-4, bit 15 zero) and the layout of a picture item.
//
// The blitter trusts its input: pictures come from the asset library, which
// has checked that their pixel data is well formed, and the target must hold
// the whole clip rectangle. There is one blitter state for the process.
#pragma once

#include <cstddef>

#include "blit/PictureItem.h"

// Channel values of every 12-bit colour of a translucent pixel, each doubled to
// 0..30 so that it lands on the 5-bit scale of the frame buffer, and the two
// weights of every alpha level. The weights add up to 15 while the blend
// divides by 16: an opaque white source gives 28, not 31, and a fully clear one
// still darkens a background of 31 to 29. That is how the game's translucent
// pictures have always looked, so it stays.
struct BlendTables {
    u8 blue[4096];
    u8 green[4096];
    u8 red[4096];
    u8 sourceWeight[16];  // a
    u8 targetWeight[16];  // 15 - a
};

// The tables, complete before the game starts (they are built at compile time)
// and never changed.
const BlendTables& GetBlendTables();

// Clip rectangle in target pixels; right and bottom exclusive. An empty
// rectangle makes every BlitFrame draw nothing.
void SetBlitClip(i32 left, i32 top, i32 right, i32 bottom);

// The frame buffer to draw into: its first pixel and its row pitch in bytes.
// The game sets it again every frame, since the host may re-create the buffer.
void SetBlitTarget(u16* pixels, i32 pitchBytes);

// Draws item with its hotspot at (x, y). shadow true darkens the target under
// the item's opaque pixels whatever the item's format (a raw picture, which has
// no transparent pixels, darkens its whole rectangle). False when nothing was
// drawn because the item lies wholly outside the clip rectangle, the rectangle
// is empty or no target has been set; true otherwise.
bool BlitFrame(i32 x, i32 y, const PictureItem* item, bool shadow);

// Raw pictures laid side by side, left to right, under a colour-keyed one: the
// first with its hotspot at (x, y), the second with its hotspot the first's
// width further right. A null entry draws nothing and takes no room.
struct BlitUnderlay {
    const PictureItem* tiles[2];
    i32 x;
    i32 y;
};

// Whether BlitFrameOver can draw item, with its hotspot on row y, over the
// underlay: item colour-keyed (run-length, neither translucent nor shadow),
// every tile raw, its pixel data at an even byte, as tall as the item and
// starting on the same row.
bool CanBlitOver(i32 y, const PictureItem* item, const BlitUnderlay& under);

// Draws item with its hotspot at (x, y) and, under its transparent pixels, the
// underlay, in one pass that writes each pixel once: within the item's
// rectangle the frame is the same as after drawing the underlay's tiles and
// then the item with BlitFrame. Outside the item's rectangle nothing is drawn,
// and where no tile lies under a transparent pixel the frame keeps its pixel.
// False when nothing was drawn: the pair does not fit (CanBlitOver) or the
// item is not visible, as for BlitFrame.
bool BlitFrameOver(i32 x, i32 y, const PictureItem* item, const BlitUnderlay& under);

// Pictures in memory that stays unchanged until BlitForgetPictures names it
// (the library's pictures): the blitter may keep other forms of them, built on
// first use, that draw faster than their runs. Call BlitForgetPictures with
// the range before its memory is freed or written; it forgets every kept
// range that overlaps it, and the forms of the pictures inside it.
void BlitKeepPictures(const void* begin, const void* end);
void BlitForgetPictures(const void* begin, const void* end);

// Which pictures get another form: none, those that draw faster from it (the
// default), or every one that can (for tests and benchmarks). Forms built
// under another choice are dropped.
enum class BlitPictureForms { Never, Chosen, Always };
void SetBlitPictureForms(BlitPictureForms choice);
// Bytes the other forms take now, and how many pictures have one.
struct BlitFormUse {
    std::size_t bytes;
    std::size_t pictures;
};
BlitFormUse BlitPictureFormUse();

// The pixel loops exist in several variants that give the same pixels. The
// fastest one the processor supports is chosen at start-up; benchmarks and
// tests may pick another.
enum class BlitInstructionSet { Portable, Sse2, Avx2 };

// Whether this build and this processor can run the variant.
bool IsBlitInstructionSetAvailable(BlitInstructionSet set);
// Switches to the variant; false (and no change) when it is not available.
bool SelectBlitInstructionSet(BlitInstructionSet set);
BlitInstructionSet ActiveBlitInstructionSet();
const char* BlitInstructionSetName(BlitInstructionSet set);
