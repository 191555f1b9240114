// Inside the blitter: the clipped drawing job that BlitFrame hands to the pixel
// loops, and the table of loops each instruction-set variant provides.
#pragma once

#include "blit/PictureItem.h"

namespace blit {

// One clipped drawing of a run-length picture (or, for a shadowed raw picture,
// of its rectangle). Columns and rows count from the item's top-left corner.
struct RleJob {
    const u16* source;  // run word that opens the item's top row
    u16* target;        // frame-buffer pixel of the first drawn row's first visible column
    i32 pitch;          // frame-buffer row step in pixels
    i32 width;          // the item's width: the run lengths of every row add up to it
    i32 skipTop;        // rows above the clip rectangle, walked over
    i32 rows;           // rows drawn
    i32 skipLeft;       // columns left of the clip rectangle
    i32 visibleWidth;   // columns drawn
    // Drawing over an underlay (BlitFrameOver): where the item is
    // transparent, the pixels of up to two raw pictures are copied instead.
    // Underlay k covers the item's columns [underStart[k], underEnd[k]) and
    // under[k] points at its pixel for column underStart[k] in the first
    // drawn row; underPitch[k] is its row step in pixels. An empty range
    // covers nothing.
    // Raw pictures (copyRaw): the first visible pixel of the first drawn row,
    // which may lie at an odd byte, and the row step in bytes.
    const u8* raw;
    i32 rawPitchBytes;
    // From a picture's other form (PictureForms.h). Keyed: form and spans
    // at row skipTop of the form, formStride its row step in words. Blend:
    // form and spans the whole form's pairs and step columns, formRows at
    // row skipTop's first step.
    const u16* form;
    const u16* spans;
    const u32* formRows;
    i32 formStride;
    const u16* under[2];
    i32 underStart[2];
    i32 underEnd[2];
    i32 underPitch[2];
};

using RleRoutine = void (*)(const RleJob& job);

struct RleRoutines {
    RleRoutine copy;         // colour-keyed: opaque pixels copied
    RleRoutine shadow;       // each channel under an opaque pixel halved
    RleRoutine translucent;  // 4-4-4-4 pixels blended with 16 alpha levels
    RleRoutine shadowRect;   // shadow over the whole job rectangle; source unused
    RleRoutine copyOver;     // colour-keyed over the job's underlay
    RleRoutine copyRaw;      // raw picture copied; source unused, raw read
    // From a picture's other form (PictureForms.h); null when the variant
    // has none, and the picture's runs are drawn instead.
    RleRoutine copyKeyed;   // keyed form: pixels other than 0x8000 copied
    RleRoutine blendForm;   // blend form, not clipped at the sides: every step blended
    RleRoutine keyedOver;   // keyed form over the job's underlay
};

const RleRoutines& PortableRoutines();
// Building with BRETTSPALT_BLIT_PORTABLE_ONLY leaves out the vector variants.
// The browser build compiles the SSE2 loops to WebAssembly's 128-bit SIMD
// (Emscripten's -msimd128 -msse2); it has no AVX2.
#if (defined(__x86_64__) || defined(__i386__) || (defined(__EMSCRIPTEN__) && defined(__SSE2__))) && \
    !defined(BRETTSPALT_BLIT_PORTABLE_ONLY)
#define BRETTSPALT_BLIT_X86 1
const RleRoutines& Sse2Routines();
const RleRoutines& Avx2Routines();  // call only when the processor has AVX2
#endif

// The halving of every channel of a target pixel, rounding down: one shift,
// and a mask that drops the bit each channel hands to its lower neighbour.
inline constexpr u16 kShadowMask = 0x3DEF;

}  // namespace blit
