// BlitFrame: placing and clipping a picture, choosing its pixel operation, and
// the opaque copy of raw pictures. The run-length loops live in one file per
// instruction set (BlitPortable, BlitSse2, BlitAvx2).
#include "blit/Blitter.h"

#include <cstring>

#include "blit/BlitKernels.h"

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
}

bool BlitFrame(i32 x, i32 y, const PictureItem* item, bool shadow) {
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
    u16* target = state.pixels + (sy + skipTop) * pitch + (sx + skipLeft);
    const u8 format = item->format;
    const bool runLength =
        (format & (kPictureRunLength | kPictureTranslucent | kPictureShadow)) != 0;

    blit::RleJob job;
    job.target = target;
    job.pitch = static_cast<i32>(pitch);
    job.width = static_cast<i32>(w);
    job.skipTop = static_cast<i32>(skipTop);
    job.rows = static_cast<i32>(visibleHeight);
    job.skipLeft = static_cast<i32>(skipLeft);
    job.visibleWidth = static_cast<i32>(visibleWidth);

    const blit::RleRoutines& routines = *state.routines;
    if (!runLength) {
        if (shadow) {
            // Raw pixels are no run words: a shadowed raw picture darkens its
            // whole rectangle instead of walking them as runs.
            job.source = nullptr;
            routines.shadowRect(job);
            return true;
        }
        // Opaque copy: one move per row. Raw pixel data may start at an odd
        // byte (pixelSkip), so it is moved as bytes.
        const u8* source = reinterpret_cast<const u8*>(item) + sizeof(PictureItem) +
                           item->pixelSkip + (skipTop * w + skipLeft) * 2;
        const size_t rowBytes = static_cast<size_t>(visibleWidth) * 2;
        for (i64 row = 0; row < visibleHeight; ++row) {
            std::memcpy(target, source, rowBytes);
            source += w * 2;
            target += pitch;
        }
        return true;
    }

    job.source = reinterpret_cast<const u16*>(item + 1);
    if (shadow || (format & kPictureShadow)) {
        routines.shadow(job);
    } else if (format & kPictureTranslucent) {
        routines.translucent(job);
    } else {
        routines.copy(job);
    }
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
