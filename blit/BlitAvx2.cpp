// The pixel loops with AVX2: sixteen pixels per step, for processors that have
// it (the blitter asks the processor at start-up). Only this file is compiled
// for AVX2, and only from the target pragma on: the library headers above it
// keep the plain instruction set, and everything below it is private to this
// file, so no AVX2 code can be reached on a processor without it.
#include "blit/BlitKernels.h"

#if defined(BRETTSPALT_BLIT_X86) && defined(__EMSCRIPTEN__)
namespace blit {
// Never chosen in the browser build (it has no AVX2).
const RleRoutines& Avx2Routines() {
    return Sse2Routines();
}
}  // namespace blit
#elif defined(BRETTSPALT_BLIT_X86)

#include <immintrin.h>

#include <cstddef>  // before the pragma: library headers keep the plain instruction set
#include <cstdint>
#include <cstring>

#include "blit/Blitter.h"
#include "blit/PictureForms.h"

#pragma GCC push_options
#pragma GCC target("avx2")

#include "blit/RleWalk.h"

namespace blit {
namespace {

inline __m256i Load16(const u16* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
inline void Store16(u16* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
inline __m128i Load8(const u16* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store8(u16* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}
inline __m128i Load4(const u16* p) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
inline void Store4(u16* p, __m128i v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
}

// Copies of fewer than sixteen pixels: two moves that may overlap. (Masked
// moves would take no branch on the length, but a masked store costs a dozen
// cycles or more on some processors, more than the branches.)
inline void CopyShort(u16* target, const u16* source, i32 count) {
    if (count >= 8) {
        const __m128i head = Load8(source);
        const __m128i tail = Load8(source + count - 8);
        Store8(target, head);
        Store8(target + count - 8, tail);
    } else if (count >= 4) {
        std::uint64_t head, tail;
        std::memcpy(&head, source, 8);
        std::memcpy(&tail, source + count - 4, 8);
        std::memcpy(target, &head, 8);
        std::memcpy(target + count - 4, &tail, 8);
    } else if (count >= 2) {
        u32 head, tail;
        std::memcpy(&head, source, 4);
        std::memcpy(&tail, source + count - 2, 4);
        std::memcpy(target, &head, 4);
        std::memcpy(target + count - 2, &tail, 4);
    } else if (count == 1) {
        *target = *source;
    }
}

// Runs of sixteen or more: moves of sixteen from the front and from the back
// that meet or overlap in the middle; a loop only for the longest.
struct CopyOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count < 16) return CopyShort(target, source, count);
        if (count <= 32) {
            const __m256i head = Load16(source);
            const __m256i tail = Load16(source + count - 16);
            Store16(target, head);
            Store16(target + count - 16, tail);
            return;
        }
        if (count <= 64) {
            const __m256i a = Load16(source);
            const __m256i b = Load16(source + 16);
            const __m256i c = Load16(source + count - 32);
            const __m256i d = Load16(source + count - 16);
            Store16(target, a);
            Store16(target + 16, b);
            Store16(target + count - 32, c);
            Store16(target + count - 16, d);
            return;
        }
        const __m256i last = Load16(source + count - 16);
        for (i32 i = 0; i < count - 16; i += 16) Store16(target + i, Load16(source + i));
        Store16(target + count - 16, last);
    }
};

inline __m256i Darken(__m256i v) {
    return _mm256_and_si256(_mm256_srli_epi16(v, 1), _mm256_set1_epi16(kShadowMask));
}
inline __m128i Darken(__m128i v) {
    return _mm_and_si128(_mm_srli_epi16(v, 1), _mm_set1_epi16(kShadowMask));
}

// As in the SSE2 loops, the last, overlapping step of a run is computed from
// the target before the other steps write it.
struct ShadowOp {
    static void Run(u16* target, const u16*, i32 count) {
        if (count >= 16) {
            const __m256i last = Darken(Load16(target + count - 16));
            for (i32 i = 0; i + 16 < count; i += 16)
                Store16(target + i, Darken(Load16(target + i)));
            Store16(target + count - 16, last);
        } else if (count >= 8) {
            const __m128i head = Darken(Load8(target));
            const __m128i tail = Darken(Load8(target + count - 8));
            Store8(target, head);
            Store8(target + count - 8, tail);
        } else if (count >= 4) {
            const __m128i head = Darken(Load4(target));
            const __m128i tail = Darken(Load4(target + count - 4));
            Store4(target, head);
            Store4(target + count - 4, tail);
        } else {
            for (i32 i = 0; i < count; ++i) {
                target[i] = static_cast<u16>((target[i] >> 1) & kShadowMask);
            }
        }
    }
};

// Sixteen translucent pixels s over target pixels d; see the SSE2 loops.
inline __m256i Blend(__m256i s, __m256i d) {
    const __m256i five = _mm256_set1_epi16(0x1F);
    const __m256i doubledNibble = _mm256_set1_epi16(0x1E);
    const __m256i alpha = _mm256_srli_epi16(s, 12);
    const __m256i rest = _mm256_sub_epi16(_mm256_set1_epi16(15), alpha);

    const __m256i sBlue = _mm256_and_si256(_mm256_slli_epi16(s, 1), doubledNibble);
    const __m256i sGreen = _mm256_and_si256(_mm256_srli_epi16(s, 3), doubledNibble);
    const __m256i sRed = _mm256_and_si256(_mm256_srli_epi16(s, 7), doubledNibble);
    const __m256i dBlue = _mm256_and_si256(d, five);
    const __m256i dGreen = _mm256_and_si256(_mm256_srli_epi16(d, 5), five);
    const __m256i dRed = _mm256_and_si256(_mm256_srli_epi16(d, 10), five);

    const __m256i blue = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(sBlue, alpha), _mm256_mullo_epi16(dBlue, rest)), 4);
    const __m256i green = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(sGreen, alpha), _mm256_mullo_epi16(dGreen, rest)), 4);
    const __m256i red = _mm256_srli_epi16(
        _mm256_add_epi16(_mm256_mullo_epi16(sRed, alpha), _mm256_mullo_epi16(dRed, rest)), 4);
    return _mm256_or_si256(
        blue, _mm256_or_si256(_mm256_slli_epi16(green, 5), _mm256_slli_epi16(red, 10)));
}

// Eight or fewer pixels go through the lower half of the wide blend.
inline __m128i Blend(__m128i s, __m128i d) {
    return _mm256_castsi256_si128(Blend(_mm256_castsi128_si256(s), _mm256_castsi128_si256(d)));
}

// A run of fewer than sixteen pixels takes one wide blend: its first and last
// eight (or four) pixels are loaded into the two halves, blended together and
// stored back, the overlap from the same results.
struct TranslucentOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count >= 16) {
            const __m256i last = Blend(Load16(source + count - 16), Load16(target + count - 16));
            for (i32 i = 0; i + 16 < count; i += 16) {
                Store16(target + i, Blend(Load16(source + i), Load16(target + i)));
            }
            Store16(target + count - 16, last);
        } else if (count >= 8) {
            const __m256i s = _mm256_set_m128i(Load8(source + count - 8), Load8(source));
            const __m256i d = _mm256_set_m128i(Load8(target + count - 8), Load8(target));
            const __m256i blended = Blend(s, d);
            Store8(target, _mm256_castsi256_si128(blended));
            Store8(target + count - 8, _mm256_extracti128_si256(blended, 1));
        } else if (count >= 4) {
            const __m128i s = _mm_unpacklo_epi64(Load4(source), Load4(source + count - 4));
            const __m128i d = _mm_unpacklo_epi64(Load4(target), Load4(target + count - 4));
            const __m128i blended = Blend(s, d);
            Store4(target, blended);
            Store4(target + count - 4, _mm_unpackhi_epi64(blended, blended));
        } else if (count > 0) {
            // One, two or three pixels: the first, the middle and the last
            // (the same pixel when fewer) in one blend.
            const i32 middle = count / 2;
            const __m128i s =
                _mm_setr_epi16(static_cast<short>(source[0]), static_cast<short>(source[middle]),
                               static_cast<short>(source[count - 1]), 0, 0, 0, 0, 0);
            const __m128i d =
                _mm_setr_epi16(static_cast<short>(target[0]), static_cast<short>(target[middle]),
                               static_cast<short>(target[count - 1]), 0, 0, 0, 0, 0);
            const __m128i blended = Blend(s, d);
            target[0] = static_cast<u16>(_mm_extract_epi16(blended, 0));
            target[middle] = static_cast<u16>(_mm_extract_epi16(blended, 1));
            target[count - 1] = static_cast<u16>(_mm_extract_epi16(blended, 2));
        }
    }
};

// Raw rows, which may start at an odd byte: rows of 32 bytes or more move
// in whole vectors, stored at aligned addresses between an unaligned first and
// last vector that overlap them; shorter rows in one small move.
void CopyRaw(const RleJob& job) {
    using Vector = __m256i;
    constexpr std::size_t kBytes = sizeof(Vector);
    const u8* source = job.raw;
    u8* target = reinterpret_cast<u8*>(job.target);
    const std::size_t bytes = static_cast<std::size_t>(job.visibleWidth) * 2;
    const std::size_t pitchBytes = static_cast<std::size_t>(job.pitch) * 2;
    if (bytes < kBytes) {
        for (i32 row = 0; row < job.rows; ++row, source += job.rawPitchBytes, target += pitchBytes)
            std::memcpy(target, source, bytes);
        return;
    }
    for (i32 row = 0; row < job.rows; ++row, source += job.rawPitchBytes, target += pitchBytes) {
        const Vector first = _mm256_loadu_si256(reinterpret_cast<const Vector*>(source));
        const Vector last = _mm256_loadu_si256(reinterpret_cast<const Vector*>(source + bytes - kBytes));
        // From the first aligned target address after the row's start.
        std::size_t i = kBytes - (reinterpret_cast<std::uintptr_t>(target) & (kBytes - 1));
        for (; i + kBytes <= bytes; i += kBytes) {
            _mm256_store_si256(reinterpret_cast<Vector*>(target + i),
                    _mm256_loadu_si256(reinterpret_cast<const Vector*>(source + i)));
        }
        _mm256_storeu_si256(reinterpret_cast<Vector*>(target), first);
        _mm256_storeu_si256(reinterpret_cast<Vector*>(target + bytes - kBytes), last);
    }
}

// ---- From a picture's other form --------------------------------------------

// Sixteen pixels of a keyed form over the target: 0x8000 keeps the target's
// pixel. Drawing the same pixels twice leaves the same frame, so a span's
// last step may overlap the one before it.
inline __m256i Keyed16(const u16* target, const u16* source) {
    const __m256i pixels = Load16(source);
    const __m256i clear = _mm256_srai_epi16(pixels, 15);
    return _mm256_blendv_epi8(pixels, Load16(target), clear);
}
inline __m128i Keyed8(const u16* target, const u16* source) {
    const __m128i pixels = Load8(source);
    const __m128i clear = _mm_srai_epi16(pixels, 15);
    return _mm_blendv_epi8(pixels, Load8(target), clear);
}
inline __m128i Keyed4(const u16* target, const u16* source) {
    const __m128i pixels = Load4(source);
    const __m128i clear = _mm_srai_epi16(pixels, 15);
    return _mm_blendv_epi8(pixels, Load4(target), clear);
}

// count pixels of a keyed form over the frame.
inline void KeyedSpan(u16* target, const u16* source, i32 count) {
    // The last step's target is read before the other steps write it: a
    // read of pixels just written, but not all by one store, would wait
    // for that store to reach the cache.
    if (count >= 32) {
        // Longer spans: the steps between the first and the last store
        // at aligned addresses, so that no store straddles two cache
        // lines; first and last are read before and stored after them.
        const __m256i head = Keyed16(target, source);
        const __m256i last = Keyed16(target + count - 16, source + count - 16);
        i32 i = 16 - static_cast<i32>((reinterpret_cast<std::uintptr_t>(target) >> 1) & 15);
        for (; i < count - 16; i += 16) {
            _mm256_store_si256(reinterpret_cast<__m256i*>(target + i),
                               Keyed16(target + i, source + i));
        }
        Store16(target, head);
        Store16(target + count - 16, last);
    } else if (count >= 16) {
        const __m256i last = Keyed16(target + count - 16, source + count - 16);
        Store16(target, Keyed16(target, source));
        Store16(target + count - 16, last);
    } else if (count >= 8) {
        const __m128i last = Keyed8(target + count - 8, source + count - 8);
        Store8(target, Keyed8(target, source));
        Store8(target + count - 8, last);
    } else if (count >= 4) {
        const __m128i last = Keyed4(target + count - 4, source + count - 4);
        Store4(target, Keyed4(target, source));
        Store4(target + count - 4, last);
    } else {
        for (i32 i = 0; i < count; ++i) {
            if ((source[i] & 0x8000) == 0) target[i] = source[i];
        }
    }
}

// Sixteen pixels of a keyed form over sixteen of a raw tile: no target to
// read, as every pixel comes from one or the other.
inline __m256i KeyedOver16(const u16* source, const u16* under) {
    const __m256i pixels = Load16(source);
    const __m256i clear = _mm256_srai_epi16(pixels, 15);
    if (_mm256_testz_si256(clear, clear)) return pixels;
    return _mm256_blendv_epi8(pixels, Load16(under), clear);
}

// count >= 16 pixels of the keyed form over the tile; overlapping steps
// write the same pixels again.
inline void KeyedOverSpan(u16* target, const u16* source, const u16* under, i32 count) {
    // As in KeyedSpan: aligned stores between the first and the last step.
    Store16(target, KeyedOver16(source, under));
    i32 i = 16 - static_cast<i32>((reinterpret_cast<std::uintptr_t>(target) >> 1) & 15);
    for (; i < count - 16; i += 16) {
        _mm256_store_si256(reinterpret_cast<__m256i*>(target + i),
                           KeyedOver16(source + i, under + i));
    }
    Store16(target + count - 16, KeyedOver16(source + count - 16, under + count - 16));
}

// The keyed form's loops of this instruction set, for DrawSpans and
// KeyedOver (RleWalk.h).
struct KeyedSteps {
    static constexpr i32 kLanes = 16;
    static void Span(u16* target, const u16* source, i32 count) {
        KeyedSpan(target, source, count);
    }
    static void OverSpan(u16* target, const u16* source, const u16* under, i32 count) {
        KeyedOverSpan(target, source, under, count);
    }
};

// Sixteen target pixels d blended by one step of a blend form: per channel
// one multiply-add of the step's pairs with the target channel and a constant,
// scaled so that as little as possible is left to move into place:
//   blue   (15 - a, n a) with (d, 2):       (15 - a) d + 2 n a, shifted down by four;
//   green  (15 - a, n a) with (2 d, 4):     twice that, its bits 5-9 already in place;
//   red    (n a, 15 - a) with (8, 4 d):     four times that, shifted up by four.
// Red's target channel is taken where it lies in the upper byte, times four.
// A clear pair (16, 0) (red's (0, 16)) gives d.
inline __m256i BlendStep(__m256i d, const u16* step) {
    const __m256i bluePairs = Load16(step);
    const __m256i b = _mm256_maddubs_epi16(
        bluePairs, _mm256_or_si256(_mm256_and_si256(d, _mm256_set1_epi16(0x001F)),
                                   _mm256_set1_epi16(0x0200)));
    const __m256i g = _mm256_maddubs_epi16(
        Load16(step + 16),
        _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(d, 4), _mm256_set1_epi16(0x003E)),
                        _mm256_set1_epi16(0x0400)));
    const __m256i r = _mm256_maddubs_epi16(
        Load16(step + 32), _mm256_or_si256(_mm256_and_si256(d, _mm256_set1_epi16(0x7C00)),
                                           _mm256_set1_epi16(0x0008)));
    const __m256i blended = _mm256_or_si256(
        _mm256_srli_epi16(b, 4),
        _mm256_or_si256(_mm256_and_si256(g, _mm256_set1_epi16(0x03E0)),
                        _mm256_and_si256(_mm256_slli_epi16(r, 4), _mm256_set1_epi16(0x7C00))));
    // A clear pixel comes out as d without its bit 15, which is no channel;
    // its upper byte is taken from d whole. Its weight 16 is the only one with
    // bit 4 set, which the shift moves to the top of the upper byte.
    return _mm256_blendv_epi8(blended, d, _mm256_slli_epi16(bluePairs, 11));
}

// Every step of every drawn row. Steps of a row do not overlap, but for the
// last, moved left to end at the picture's edge: as blending twice is not
// blending once, it is blended from the row as it was, before the others
// write it, and stored after them. (Reading it after them would also wait for
// their stores to reach the cache.)
void BlendSteps(const RleJob& job) {
    u16* target = job.target;
    const u16* columns = job.spans;
    const u16* pairs = job.form;
    const u32* rows = job.formRows;
    for (i32 row = 0; row < job.rows; ++row, target += job.pitch) {
        const u32 first = rows[row];
        if (rows[row + 1] == first) continue;  // nothing to draw in this row
        const u32 last = rows[row + 1] - 1;
        u16* lastPixel = target + columns[last];
        const __m256i lastBlend =
            BlendStep(Load16(lastPixel), pairs + std::size_t{last} * kBlendStepWords);
        for (u32 step = first; step < last; ++step) {
            u16* pixel = target + columns[step];
            Store16(pixel, BlendStep(Load16(pixel), pairs + std::size_t{step} * kBlendStepWords));
        }
        Store16(lastPixel, lastBlend);
    }
}

constexpr RleRoutines kRoutines = {
    DrawRuns<CopyOp>,
    DrawRuns<ShadowOp>,
    DrawRuns<TranslucentOp>,
    DrawRect<ShadowOp>,
    DrawRunsOver<CopyOp>,
    CopyRaw,
    DrawSpans<KeyedSteps>,
    BlendSteps,
    KeyedOver<KeyedSteps>,
};

}  // namespace
}  // namespace blit

#pragma GCC pop_options

namespace blit {
const RleRoutines& Avx2Routines() {
    return kRoutines;
}
}  // namespace blit

#endif
