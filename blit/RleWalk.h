// Walking the rows of a run-length picture, shared by every variant of the
// pixel loops. A variant includes this after choosing its instruction set and
// instantiates the walkers with its own pixel operation:
//
//   struct Op { static void Run(u16* target, const u16* source, i32 count); };
//
// which applies the operation to count pixels (source points at the run's
// pixel words; the shadow does not read them). Everything here sits in an
// unnamed namespace on purpose: each variant's file compiles its own copy with
// its own instruction set, and no copy may stand in for another at link time.
//
// The walkers over a picture's keyed form (PictureForms.h) take the variant's
// loops over its unpacked rows:
//
//   struct Keyed {
//       static constexpr i32 kLanes;  // pixels per vector step
//       // count pixels of the form over the frame (0x8000 keeps the frame's)
//       static void Span(u16* target, const u16* source, i32 count);
//       // count >= kLanes pixels of the form over a raw tile's (under)
//       static void OverSpan(u16* target, const u16* source, const u16* under, i32 count);
//   };
#pragma once

#include <cstddef>
#include <cstring>

#include "blit/BlitKernels.h"

namespace blit {
namespace {

// Jumps over one row: reads run words, and over the pixel words of opaque
// runs, until the run lengths add up to width.
inline const u16* SkipRow(const u16* words, i32 width) {
    for (i32 column = 0; column < width;) {
        const std::size_t word = *words++;
        if (word <= 0xFF) words += word;
        column += word & 0xFF;
    }
    return words;
}

template <class Op>
void DrawRuns(const RleJob& job) {
    const u16* words = job.source;
    for (i32 row = 0; row < job.skipTop; ++row) words = SkipRow(words, job.width);

    u16* target = job.target;
    const i32 width = job.width;
    if (job.skipLeft == 0 && job.visibleWidth == width) {
        // Not clipped at the sides: every run is drawn whole.
        for (i32 row = 0; row < job.rows; ++row, target += job.pitch) {
            u16* pixel = target;
            u16* const rowEnd = target + width;
            while (pixel < rowEnd) {
                // Each run word waits for the one before it; fetching the
                // words ahead keeps that wait at a first-level cache hit.
                __builtin_prefetch(words + 64);
                const std::size_t word = *words;
                if (word <= 0xFF) {
                    // The word is the length itself here; stepping by it
                    // straight away keeps the walk to the next run word short.
                    Op::Run(pixel, words + 1, static_cast<i32>(word));
                    words += word + 1;
                    pixel += word;
                } else {
                    words += 1;
                    pixel += word & 0xFF;
                }
            }
        }
        return;
    }

    // Clipped at one side or both: each opaque run is cut to the visible
    // columns [first, end), so a run straddling the left edge is entered at its
    // first visible pixel and one straddling the right edge stops there. The
    // rest of the row is walked over to find the next one.
    const i32 first = job.skipLeft;
    const i32 end = job.skipLeft + job.visibleWidth;
    for (i32 row = 0; row < job.rows; ++row, target += job.pitch) {
        i32 column = 0;
        while (column < width) {
            const u16 word = *words++;
            const i32 length = word & 0xFF;
            if (word <= 0xFF) {
                const i32 from = column > first ? column : first;
                const i32 to = column + length < end ? column + length : end;
                if (from < to) Op::Run(target + (from - first), words + (from - column), to - from);
                words += length;
            }
            column += length;
            if (column >= end) break;
        }
        while (column < width) {
            const u16 word = *words++;
            const i32 length = word & 0xFF;
            if (word <= 0xFF) words += length;
            column += length;
        }
    }
}

// A colour-keyed picture over its underlay, in one pass: opaque runs come
// from the picture, the visible columns of transparent runs from the
// underlay, so each pixel is written once, as though the underlay had been
// drawn first and the picture over it.
template <class Copy>
void DrawRunsOver(const RleJob& job) {
    const u16* words = job.source;
    for (i32 row = 0; row < job.skipTop; ++row) words = SkipRow(words, job.width);

    const i32 first = job.skipLeft;
    const i32 end = job.skipLeft + job.visibleWidth;
    const i32 width = job.width;
    const u16* under[2] = {job.under[0], job.under[1]};
    u16* target = job.target - first;  // indexed by the item's columns
    for (i32 row = 0; row < job.rows; ++row) {
        i32 column = 0;
        while (column < end) {
            __builtin_prefetch(words + 64);
            const std::size_t word = *words++;
            const i32 length = static_cast<i32>(word & 0xFF);
            const i32 from = column > first ? column : first;
            const i32 to = column + length < end ? column + length : end;
            if (word <= 0xFF) {
                if (from < to) Copy::Run(target + from, words + (from - column), to - from);
                words += word;
            } else if (from < to) {
                for (i32 k = 0; k < 2; ++k) {
                    const i32 a = from > job.underStart[k] ? from : job.underStart[k];
                    const i32 b = to < job.underEnd[k] ? to : job.underEnd[k];
                    if (a < b) Copy::Run(target + a, under[k] + (a - job.underStart[k]), b - a);
                }
            }
            column += length;
        }
        while (column < width) {
            const std::size_t word = *words++;
            if (word <= 0xFF) words += word;
            column += static_cast<i32>(word & 0xFF);
        }
        target += job.pitch;
        under[0] += job.underPitch[0];
        under[1] += job.underPitch[1];
    }
}

// The shadow of a raw picture: it has no transparent pixels, so the whole
// visible rectangle darkens.
template <class Op>
void DrawRect(const RleJob& job) {
    u16* target = job.target;
    for (i32 row = 0; row < job.rows; ++row, target += job.pitch) {
        Op::Run(target, nullptr, job.visibleWidth);
    }
}

// The keyed form's rows, each from the first to the end column of its span
// that the clip rectangle leaves.
template <class Keyed>
void DrawSpans(const RleJob& job) {
    const i32 first = job.skipLeft;
    const i32 end = job.skipLeft + job.visibleWidth;
    u16* target = job.target - first;  // indexed by the picture's columns
    const u16* source = job.form;
    const u16* span = job.spans;
    for (i32 row = 0; row < job.rows; ++row) {
        const i32 from = span[0] > first ? span[0] : first;
        const i32 to = span[1] < end ? span[1] : end;
        const i32 count = to - from;
        if (count > 0) Keyed::Span(target + from, source + from, count);
        target += job.pitch;
        source += job.formStride;
        span += 2;
    }
}

// The keyed form over the job's underlay, row by row: where a tile lies under
// the visible columns, the form and the tile make every pixel; elsewhere the
// form goes over the frame as in DrawSpans. Columns count from the picture's
// left edge.
template <class Keyed>
void KeyedOver(const RleJob& job) {
    const i32 first = job.skipLeft;
    const i32 end = job.skipLeft + job.visibleWidth;
    u16* target = job.target - first;
    const u16* source = job.form;
    const u16* under[2] = {job.under[0], job.under[1]};
    for (i32 row = 0; row < job.rows; ++row) {
        i32 column = first;
        for (i32 k = 0; k < 2; ++k) {
            const i32 from = job.underStart[k];
            const i32 to = job.underEnd[k];
            if (from >= to) continue;
            if (column < from) Keyed::Span(target + column, source + column, from - column);
            if (to - from >= Keyed::kLanes) {
                Keyed::OverSpan(target + from, source + from, under[k], to - from);
            } else {
                // A sliver of a tile: its pixels first, the form over them.
                std::memcpy(target + from, under[k], static_cast<std::size_t>(to - from) * 2);
                Keyed::Span(target + from, source + from, to - from);
            }
            column = to;
        }
        if (column < end) Keyed::Span(target + column, source + column, end - column);
        target += job.pitch;
        source += job.formStride;
        under[0] += job.underPitch[0];
        under[1] += job.underPitch[1];
    }
}

}  // namespace
}  // namespace blit
