// Inside the blitter: other forms of run-length pictures, built on first use
// and kept beside the library that owns the pictures.
//
// Walking runs costs a few cycles per run word, and most of that is the
// processor guessing wrong where each run ends. A picture of many short runs
// (a glyph), or one drawn over raw tiles, draws faster from a rectangle of
// pixels, sixteen at a time, with no branch on what lies under them:
//
//   keyed   the picture's pixels row after row, 0x8000 where it is clear (no
//           opaque pixel has bit 15 set; a picture that has one keeps its
//           runs), and per row the span of columns that hold anything to
//           draw, so that clear margins cost nothing;
//   blend   the translucent pixels in steps of sixteen columns: each row a
//           list of steps, found left to right from the next pixel not yet
//           covered (the last one of a row moved left to end at the edge: it
//           is blended from the row as it was, before the others), each step
//           its column and three planes of sixteen byte pairs (blue, green,
//           red). For a translucent pixel of alpha a and 4-bit channel n the
//           pair is (15 - a, n * a); for a clear pixel (16, 0). Red's pairs
//           are the other way round, (n * a, 15 - a) and (0, 16), to meet
//           the target's red where it lies, in the upper byte. One
//           multiply-add of the pair with the target channel d and 2,
//           (15 - a) d + 2 n a, is the blend before its division by 16, and a
//           clear pixel comes out as 16 d, unchanged. Steps skip clear
//           stretches of sixteen pixels or more.
//
// Only pictures in memory that its owner has promised to keep unchanged
// (BlitKeepPictures) get another form.
#pragma once

#include <vector>

#include "blit/PictureItem.h"

namespace blit {

enum class FormKind : u8 { Runs, Keyed, Blend };

// Words of one step of the blend form: three planes of sixteen pairs.
inline constexpr i32 kBlendStepWords = 48;

struct PictureForm {
    FormKind kind = FormKind::Runs;
    // Keyed: drawn alone (BlitFrame) from this form too, not only over tiles.
    bool alone = true;
    // Built knowing that the picture is drawn over tiles (BlitFrameOver).
    bool askedOver = false;
    i32 stride = 0;           // keyed: words from one row to the next
    std::vector<u16> pixels;  // keyed: the rows; blend: the steps' pairs
    std::vector<u16> spans;   // keyed: per row its first and end column;
                              // blend: per step its column
    std::vector<u32> rows;    // blend: per row its first step, then the count
};

// The form to draw item with (item is run-length): kind Runs when its own
// runs serve best, when it lies outside every kept range or forms are
// switched off, and while its form waits for a frame that has time to build
// it. overUnderlay: the picture is drawn over raw tiles (BlitFrameOver),
// where its unpacked rows serve whatever the length of its runs, since every
// pixel of the rows is written anyway; a keyed form built for that use alone
// has `alone` false.
const PictureForm& FormOf(const PictureItem* item, bool overUnderlay = false);

// A new frame begins (the game sets the blitter's target once per frame).
void StartFormFrame();

}  // namespace blit
