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

#include "blit/Blitter.h"

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

// Runs of up to 32 pixels, the common ones, take no branch on their length:
// two masked moves of sixteen pixels cover the pixel pairs (masked-off lanes
// are neither read nor written, so nothing beyond the run is touched), and a
// last single move covers the odd pixel. Masks work on 32-bit lanes, so on
// pairs of pixels.
struct ShortRun {
    __m256i low;   // pairs 0..7
    __m256i high;  // pairs 8..15
    explicit ShortRun(i32 count) {
        const __m256i lane = _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7);
        const i32 pairs = count >> 1;
        low = _mm256_cmpgt_epi32(_mm256_set1_epi32(pairs), lane);
        high = _mm256_cmpgt_epi32(_mm256_set1_epi32(pairs - 8), lane);
    }
    __m256i LoadLow(const u16* p) const {
        return _mm256_maskload_epi32(reinterpret_cast<const int*>(p), low);
    }
    __m256i LoadHigh(const u16* p) const {
        return _mm256_maskload_epi32(reinterpret_cast<const int*>(p + 16), high);
    }
    void StoreLow(u16* p, __m256i v) const {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p), low, v);
    }
    void StoreHigh(u16* p, __m256i v) const {
        _mm256_maskstore_epi32(reinterpret_cast<int*>(p + 16), high, v);
    }
};

struct CopyOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count <= 32) {
            if (count == 0) return;
            const ShortRun run(count);
            run.StoreLow(target, run.LoadLow(source));
            run.StoreHigh(target, run.LoadHigh(source));
            target[count - 1] = source[count - 1];
            return;
        }
        // Longer runs: moves of sixteen from the front and from the back that
        // meet or overlap in the middle; a loop only for the longest.
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
        if (count <= 128) {
            for (i32 k = 0; k < 4; ++k) {
                const __m256i front = Load16(source + 16 * k);
                const __m256i back = Load16(source + count - 16 * (k + 1));
                Store16(target + 16 * k, front);
                Store16(target + count - 16 * (k + 1), back);
            }
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
// the target before the other steps write it. (Masked moves, as in the copy,
// would be slower here: a masked load of the target waits for the masked
// stores of the run before it.)
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

struct TranslucentOp {
    static void Run(u16* target, const u16* source, i32 count) {
        if (count >= 16) {
            const __m256i last = Blend(Load16(source + count - 16), Load16(target + count - 16));
            for (i32 i = 0; i + 16 < count; i += 16) {
                Store16(target + i, Blend(Load16(source + i), Load16(target + i)));
            }
            Store16(target + count - 16, last);
        } else if (count >= 8) {
            const __m128i head = Blend(Load8(source), Load8(target));
            const __m128i tail = Blend(Load8(source + count - 8), Load8(target + count - 8));
            Store8(target, head);
            Store8(target + count - 8, tail);
        } else if (count >= 4) {
            const __m128i head = Blend(Load4(source), Load4(target));
            const __m128i tail = Blend(Load4(source + count - 4), Load4(target + count - 4));
            Store4(target, head);
            Store4(target + count - 4, tail);
        } else {
            for (i32 i = 0; i < count; ++i) {
                const __m128i one =
                    Blend(_mm_cvtsi32_si128(source[i]), _mm_cvtsi32_si128(target[i]));
                target[i] = static_cast<u16>(_mm_cvtsi128_si32(one));
            }
        }
    }
};

constexpr RleRoutines kRoutines = {
    DrawRuns<CopyOp>,
    DrawRuns<ShadowOp>,
    DrawRuns<TranslucentOp>,
    DrawRect<ShadowOp>,
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
