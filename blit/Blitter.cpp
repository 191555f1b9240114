// BlitFrame: placing and clipping a picture, choosing its pixel operation, and
// the opaque copy of raw pictures. The run-length loops live in one file per
// instruction set (BlitPortable, BlitSse2, BlitAvx2).
#include "blit/Blitter.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "blit/BlitKernels.h"
#include "blit/PictureForms.h"

namespace {

constexpr BlendTables MakeBlendTables() {
    BlendTables tables{};
    for (i32 c = 0; c < 4096; ++c) {
        tables.blue[c] = static_cast<u8>(2 * (c & 15));
        tables.green[c] = static_cast<u8>(2 * ((c >> 4) & 15));
        tables.red[c] = static_cast<u8>(2 * ((c >> 8) & 15));
    }
    for (i32 a = 0; a < 16; ++a) {
        tables.sourceWeight[a] = static_cast<u8>(a);
        tables.targetWeight[a] = static_cast<u8>(15 - a);
    }
    return tables;
}

constinit const BlendTables kBlendTables = MakeBlendTables();

bool ProcessorHasAvx2() {
#if defined(BRETTSPALT_BLIT_X86) && !defined(__EMSCRIPTEN__)
    __builtin_cpu_init();  // may run before the constructors that would do it
    return __builtin_cpu_supports("avx2");
#else
    return false;
#endif
}

const blit::RleRoutines& RoutinesFor(BlitInstructionSet set) {
#if defined(BRETTSPALT_BLIT_X86)
    if (set == BlitInstructionSet::Avx2) return blit::Avx2Routines();
    if (set == BlitInstructionSet::Sse2) return blit::Sse2Routines();
#endif
    (void)set;
    return blit::PortableRoutines();
}

BlitInstructionSet BestInstructionSet() {
    if (ProcessorHasAvx2()) return BlitInstructionSet::Avx2;
#if defined(BRETTSPALT_BLIT_X86)
    return BlitInstructionSet::Sse2;
#else
    return BlitInstructionSet::Portable;
#endif
}

// The blitter's state: read by every BlitFrame, set by the game each frame.
struct BlitterState {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
    u16* pixels = nullptr;
    i32 pitchBytes = 0;
    BlitInstructionSet instructionSet = BestInstructionSet();
    const blit::RleRoutines* routines = &RoutinesFor(instructionSet);
};

BlitterState state;

}  // namespace

const BlendTables& GetBlendTables() {
    return kBlendTables;
}

void SetBlitClip(i32 left, i32 top, i32 right, i32 bottom) {
    state.left = left;
    state.top = top;
    state.right = right;
    state.bottom = bottom;
}

void SetBlitTarget(u16* pixels, i32 pitchBytes) {
    state.pixels = pixels;
    state.pitchBytes = pitchBytes;
    blit::StartFormFrame();
}

namespace {

// Places item with its hotspot at (x, y) and clips it: the job without its
// source. False when nothing of it is visible or there is nothing to draw into.
bool PlaceJob(i32 x, i32 y, const PictureItem* item, blit::RleJob* job) {
    // 64-bit arithmetic, so that no position near the ends of the 32-bit range
    // can wrap around into the clip rectangle.
    using i64 = std::int64_t;
    const i64 left = state.left, top = state.top, right = state.right, bottom = state.bottom;
    if (state.pixels == nullptr || right - left <= 0 || bottom - top <= 0) return false;

    const i64 sx = i64{x} - item->hotX;
    const i64 sy = i64{y} - item->hotY;
    const i64 w = item->width;
    const i64 h = item->height;
    if (sx >= right || sx + w <= left || sy >= bottom || sy + h <= top) return false;

    const i64 skipLeft = sx < left ? left - sx : 0;
    const i64 visibleWidth = w - skipLeft - (sx + w > right ? sx + w - right : 0);
    const i64 skipTop = sy < top ? top - sy : 0;
    const i64 visibleHeight = h - skipTop - (sy + h > bottom ? sy + h - bottom : 0);

    const i64 pitch = state.pitchBytes / 2;
    job->source = nullptr;
    job->raw = nullptr;
    job->rawPitchBytes = 0;
    job->form = nullptr;
    job->spans = nullptr;
    job->formRows = nullptr;
    job->formStride = 0;
    job->target = state.pixels + (sy + skipTop) * pitch + (sx + skipLeft);
    job->pitch = static_cast<i32>(pitch);
    job->width = static_cast<i32>(w);
    job->skipTop = static_cast<i32>(skipTop);
    job->rows = static_cast<i32>(visibleHeight);
    job->skipLeft = static_cast<i32>(skipLeft);
    job->visibleWidth = static_cast<i32>(visibleWidth);
    for (i32 k = 0; k < 2; ++k) {
        job->under[k] = nullptr;
        job->underStart[k] = 0;
        job->underEnd[k] = 0;
        job->underPitch[k] = 0;
    }
    return true;
}

// The first pixel of row `row` of a raw picture, at column `column`. Raw
// pixel data may start at an odd byte (pixelSkip), hence the byte pointer.
const u8* RawPixel(const PictureItem* item, i32 row, i32 column) {
    return reinterpret_cast<const u8*>(item) + sizeof(PictureItem) + item->pixelSkip +
           (static_cast<std::size_t>(row) * item->width + static_cast<std::size_t>(column)) * 2;
}

// Points the job at the first drawn row of a keyed form.
void UseKeyedForm(const blit::PictureForm& form, blit::RleJob* job) {
    const std::size_t skipTop = static_cast<std::size_t>(job->skipTop);
    job->form = form.pixels.data() + skipTop * form.stride;
    job->spans = form.spans.data() + skipTop * 2;
    job->formStride = form.stride;
}

bool IsRunLength(const PictureItem* item) {
    return (item->format & (kPictureRunLength | kPictureTranslucent | kPictureShadow)) != 0;
}

}  // namespace

bool BlitFrame(i32 x, i32 y, const PictureItem* item, bool shadow) {
    blit::RleJob job;
    if (!PlaceJob(x, y, item, &job)) return false;

    const blit::RleRoutines& routines = *state.routines;
    const u8 format = item->format;
    if (!IsRunLength(item)) {
        if (shadow) {
            // Raw pixels are no run words: a shadowed raw picture darkens its
            // whole rectangle instead of walking them as runs.
            routines.shadowRect(job);
            return true;
        }
        job.raw = RawPixel(item, job.skipTop, job.skipLeft);
        job.rawPitchBytes = static_cast<i32>(item->width) * 2;
        routines.copyRaw(job);
        return true;
    }

    job.source = reinterpret_cast<const u16*>(item + 1);
    if (shadow || (format & kPictureShadow)) {
        routines.shadow(job);
        return true;
    }
    const bool translucent = (format & kPictureTranslucent) != 0;
    const blit::RleRoutine fromForm = translucent ? routines.blendForm : routines.copyKeyed;
    if (fromForm != nullptr) {
        const blit::PictureForm& form = blit::FormOf(item);
        if (form.kind == blit::FormKind::Keyed && form.alone) {
            UseKeyedForm(form, &job);
            fromForm(job);
            return true;
        }
        // Steps are drawn whole, so only a picture not cut at the sides.
        if (form.kind == blit::FormKind::Blend && job.skipLeft == 0 &&
            job.visibleWidth == job.width) {
            job.form = form.pixels.data();
            job.spans = form.spans.data();
            job.formRows = form.rows.data() + job.skipTop;
            fromForm(job);
            return true;
        }
    }
    if (translucent) {
        routines.translucent(job);
    } else {
        routines.copy(job);
    }
    return true;
}

bool CanBlitOver(i32 y, const PictureItem* item, const BlitUnderlay& under) {
    if ((item->format & (kPictureRunLength | kPictureTranslucent | kPictureShadow)) !=
        kPictureRunLength) {
        return false;
    }
    const std::int64_t top = std::int64_t{y} - item->hotY;
    for (const PictureItem* tile : under.tiles) {
        if (tile == nullptr) continue;
        if (IsRunLength(tile) || (tile->pixelSkip & 1) != 0 || tile->height != item->height ||
            std::int64_t{under.y} - tile->hotY != top) {
            return false;
        }
    }
    return true;
}

bool BlitFrameOver(i32 x, i32 y, const PictureItem* item, const BlitUnderlay& under) {
    if (!CanBlitOver(y, item, under)) return false;
    blit::RleJob job;
    if (!PlaceJob(x, y, item, &job)) return false;
    job.source = reinterpret_cast<const u16*>(item + 1);

    // The underlay's columns counted from the item's left edge; 64-bit, as in
    // the placing, then cut to the item's width.
    using i64 = std::int64_t;
    i64 start = i64{under.x} - (i64{x} - item->hotX);
    for (i32 k = 0; k < 2; ++k) {
        const PictureItem* tile = under.tiles[k];
        if (tile == nullptr) continue;
        const i64 tileStart = start - tile->hotX;
        start += tile->width;  // the next tile follows this one
        const i64 from = std::max<i64>(tileStart, job.skipLeft);
        const i64 to = std::min<i64>(tileStart + tile->width, job.skipLeft + job.visibleWidth);
        if (from >= to) continue;
        job.underStart[k] = static_cast<i32>(from);
        job.underEnd[k] = static_cast<i32>(to);
        job.underPitch[k] = tile->width;
        job.under[k] = reinterpret_cast<const u16*>(
            RawPixel(tile, job.skipTop, static_cast<i32>(from - tileStart)));
    }
    if (state.routines->keyedOver != nullptr) {
        const blit::PictureForm& form = blit::FormOf(item, true);
        if (form.kind == blit::FormKind::Keyed) {
            UseKeyedForm(form, &job);
            state.routines->keyedOver(job);
            return true;
        }
    }
    state.routines->copyOver(job);
    return true;
}

bool IsBlitInstructionSetAvailable(BlitInstructionSet set) {
    switch (set) {
        case BlitInstructionSet::Portable:
            return true;
        case BlitInstructionSet::Sse2:
#if defined(BRETTSPALT_BLIT_X86)
            return true;
#else
            return false;
#endif
        case BlitInstructionSet::Avx2:
            return ProcessorHasAvx2();
    }
    return false;
}

bool SelectBlitInstructionSet(BlitInstructionSet set) {
    if (!IsBlitInstructionSetAvailable(set)) return false;
    state.instructionSet = set;
    state.routines = &RoutinesFor(set);
    return true;
}

BlitInstructionSet ActiveBlitInstructionSet() {
    return state.instructionSet;
}

const char* BlitInstructionSetName(BlitInstructionSet set) {
    switch (set) {
        case BlitInstructionSet::Portable:
            return "portable";
        case BlitInstructionSet::Sse2:
            return "sse2";
        case BlitInstructionSet::Avx2:
            return "avx2";
    }
    return "unknown";
}
