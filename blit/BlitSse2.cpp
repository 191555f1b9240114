// The pixel loops with SSE2, which every x86-64 processor has: eight pixels per
// step. A run of eight or more pixels ends with one step over its last eight
// pixels, overlapping the step before; for the shadow and the blend, which read
// the target, that last step is computed from the target before the other
// steps write it, so no pixel is darkened or blended twice.
#include "blit/BlitKernels.h"

#if defined(BRETTSPALT_BLIT_X86)

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

#include "blit/Blitter.h"
#include "blit/RleWalk.h"

namespace blit {
namespace {

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

// Copies of fewer than eight pixels: two moves that may overlap.
inline void CopyShort(u16* target, const u16* source, i32 count) {
    if (count >= 4) {
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

// Runs of eight or more: moves of eight from the front and from the back that
// meet or overlap in the middle; a loop only for runs longer than 32.
struct CopyOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count < 8) return CopyShort(target, source, count);
        if (count <= 16) {
            const __m128i head = Load8(source);
            const __m128i tail = Load8(source + count - 8);
            Store8(target, head);
            Store8(target + count - 8, tail);
            return;
        }
        if (count <= 32) {
            const __m128i a = Load8(source);
            const __m128i b = Load8(source + 8);
            const __m128i c = Load8(source + count - 16);
            const __m128i d = Load8(source + count - 8);
            Store8(target, a);
            Store8(target + 8, b);
            Store8(target + count - 16, c);
            Store8(target + count - 8, d);
            return;
        }
        const __m128i last = Load8(source + count - 8);
        for (i32 i = 0; i < count - 8; i += 8) Store8(target + i, Load8(source + i));
        Store8(target + count - 8, last);
    }
};

inline __m128i Darken(__m128i v) {
    return _mm_and_si128(_mm_srli_epi16(v, 1), _mm_set1_epi16(kShadowMask));
}

struct ShadowOp {
    static void Run(u16* target, const u16*, i32 count) {
        if (count >= 8) {
            const __m128i last = Darken(Load8(target + count - 8));
            for (i32 i = 0; i + 8 < count; i += 8) Store8(target + i, Darken(Load8(target + i)));
            Store8(target + count - 8, last);
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

// Eight translucent pixels s over eight target pixels d. The source channels
// come out of the 4-4-4-4 word doubled, as the blend tables hold them.
inline __m128i Blend(__m128i s, __m128i d) {
    const __m128i five = _mm_set1_epi16(0x1F);
    const __m128i doubledNibble = _mm_set1_epi16(0x1E);
    const __m128i alpha = _mm_srli_epi16(s, 12);
    const __m128i rest = _mm_sub_epi16(_mm_set1_epi16(15), alpha);

    const __m128i sBlue = _mm_and_si128(_mm_slli_epi16(s, 1), doubledNibble);
    const __m128i sGreen = _mm_and_si128(_mm_srli_epi16(s, 3), doubledNibble);
    const __m128i sRed = _mm_and_si128(_mm_srli_epi16(s, 7), doubledNibble);
    const __m128i dBlue = _mm_and_si128(d, five);
    const __m128i dGreen = _mm_and_si128(_mm_srli_epi16(d, 5), five);
    const __m128i dRed = _mm_and_si128(_mm_srli_epi16(d, 10), five);

    const __m128i blue = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(sBlue, alpha), _mm_mullo_epi16(dBlue, rest)), 4);
    const __m128i green = _mm_srli_epi16(
        _mm_add_epi16(_mm_mullo_epi16(sGreen, alpha), _mm_mullo_epi16(dGreen, rest)), 4);
    const __m128i red =
        _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(sRed, alpha), _mm_mullo_epi16(dRed, rest)), 4);
    return _mm_or_si128(blue, _mm_or_si128(_mm_slli_epi16(green, 5), _mm_slli_epi16(red, 10)));
}

inline u16 BlendOne(u16 s, u16 d) {
    return static_cast<u16>(_mm_cvtsi128_si32(Blend(_mm_cvtsi32_si128(s), _mm_cvtsi32_si128(d))));
}

struct TranslucentOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count >= 8) {
            const __m128i last = Blend(Load8(source + count - 8), Load8(target + count - 8));
            for (i32 i = 0; i + 8 < count; i += 8) {
                Store8(target + i, Blend(Load8(source + i), Load8(target + i)));
            }
            Store8(target + count - 8, last);
        } else if (count >= 4) {
            const __m128i head = Blend(Load4(source), Load4(target));
            const __m128i tail = Blend(Load4(source + count - 4), Load4(target + count - 4));
            Store4(target, head);
            Store4(target + count - 4, tail);
        } else {
            for (i32 i = 0; i < count; ++i) target[i] = BlendOne(source[i], target[i]);
        }
    }
};

// Raw rows, which may start at an odd byte: rows of 16 bytes or more move
// in whole vectors, stored at aligned addresses between an unaligned first and
// last vector that overlap them; shorter rows in one small move.
void CopyRaw(const RleJob& job) {
    using Vector = __m128i;
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
        const Vector first = _mm_loadu_si128(reinterpret_cast<const Vector*>(source));
        const Vector last = _mm_loadu_si128(reinterpret_cast<const Vector*>(source + bytes - kBytes));
        // From the first aligned target address after the row's start.
        std::size_t i = kBytes - (reinterpret_cast<std::uintptr_t>(target) & (kBytes - 1));
        for (; i + kBytes <= bytes; i += kBytes) {
            _mm_store_si128(reinterpret_cast<Vector*>(target + i),
                    _mm_loadu_si128(reinterpret_cast<const Vector*>(source + i)));
        }
        _mm_storeu_si128(reinterpret_cast<Vector*>(target), first);
        _mm_storeu_si128(reinterpret_cast<Vector*>(target + bytes - kBytes), last);
    }
}

// ---- From a picture's keyed form --------------------------------------------

// The pixels of a keyed form where clear is not set, the kept ones where it
// is (SSE2 has no byte blend: the mask picks with and, andnot and or).
inline __m128i Pick(__m128i clear, __m128i kept, __m128i pixels) {
    return _mm_or_si128(_mm_and_si128(clear, kept), _mm_andnot_si128(clear, pixels));
}

// Eight pixels of a keyed form over the target: 0x8000 keeps the target's
// pixel. Drawing the same pixels twice leaves the same frame, so a span's
// last step may overlap the one before it.
inline __m128i Keyed8(const u16* target, const u16* source) {
    const __m128i pixels = Load8(source);
    return Pick(_mm_srai_epi16(pixels, 15), Load8(target), pixels);
}
inline __m128i Keyed4(const u16* target, const u16* source) {
    const __m128i pixels = Load4(source);
    return Pick(_mm_srai_epi16(pixels, 15), Load4(target), pixels);
}

// count pixels of a keyed form over the frame. As in the AVX2 loops, the
// first and the last step read the target before the steps between them
// store, at aligned addresses, and are stored after them.
inline void KeyedSpan(u16* target, const u16* source, i32 count) {
    if (count >= 16) {
        const __m128i head = Keyed8(target, source);
        const __m128i last = Keyed8(target + count - 8, source + count - 8);
        i32 i = 8 - static_cast<i32>((reinterpret_cast<std::uintptr_t>(target) >> 1) & 7);
        for (; i < count - 8; i += 8) {
            _mm_store_si128(reinterpret_cast<__m128i*>(target + i), Keyed8(target + i, source + i));
        }
        Store8(target, head);
        Store8(target + count - 8, last);
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

// Eight pixels of a keyed form over eight of a raw tile: no target to read.
inline __m128i KeyedOver8(const u16* source, const u16* under) {
    const __m128i pixels = Load8(source);
    const __m128i clear = _mm_srai_epi16(pixels, 15);
    return Pick(clear, Load8(under), pixels);
}

// count >= 8 pixels of the keyed form over the tile; overlapping steps write
// the same pixels again.
inline void KeyedOverSpan(u16* target, const u16* source, const u16* under, i32 count) {
    Store8(target, KeyedOver8(source, under));
    i32 i = 8 - static_cast<i32>((reinterpret_cast<std::uintptr_t>(target) >> 1) & 7);
    for (; i < count - 8; i += 8) {
        _mm_store_si128(reinterpret_cast<__m128i*>(target + i), KeyedOver8(source + i, under + i));
    }
    Store8(target + count - 8, KeyedOver8(source + count - 8, under + count - 8));
}

struct KeyedSteps {
    static constexpr i32 kLanes = 8;
    static void Span(u16* target, const u16* source, i32 count) {
        KeyedSpan(target, source, count);
    }
    static void OverSpan(u16* target, const u16* source, const u16* under, i32 count) {
        KeyedOverSpan(target, source, under, count);
    }
};

constexpr RleRoutines kRoutines = {
    DrawRuns<CopyOp>,
    DrawRuns<ShadowOp>,
    DrawRuns<TranslucentOp>,
    DrawRect<ShadowOp>,
    DrawRunsOver<CopyOp>,
    CopyRaw,
    DrawSpans<KeyedSteps>,
    nullptr,  // no blend steps: they multiply byte pairs, which SSE2 cannot
    KeyedOver<KeyedSteps>,
};

}  // namespace

const RleRoutines& Sse2Routines() {
    return kRoutines;
}

}  // namespace blit

#endif
