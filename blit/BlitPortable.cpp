// The pixel loops in plain C++, for processors without the vector variants.
// Word-at-a-time where that is exact (copies and shadow), one pixel at a time
// through the blend tables for the translucent blend.
#include <cstring>

#include "blit/Blitter.h"
#include "blit/RleWalk.h"

namespace blit {
namespace {

struct CopyOp {
    static void Run(u16* target, const u16* source, i32 count) {
        std::memcpy(target, source, static_cast<size_t>(count) * 2);
    }
};

struct ShadowOp {
    static void Run(u16* target, const u16*, i32 count) {
        // Four pixels per 64-bit word: the bit a pixel shifts into its right
        // neighbour's bit 15 is cleared by the mask like the other carries.
        constexpr std::uint64_t kMask4 = 0x3DEF3DEF3DEF3DEFull;
        i32 i = 0;
        for (; i + 4 <= count; i += 4) {
            std::uint64_t four;
            std::memcpy(&four, target + i, 8);
            four = (four >> 1) & kMask4;
            std::memcpy(target + i, &four, 8);
        }
        for (; i < count; ++i) target[i] = static_cast<u16>((target[i] >> 1) & kShadowMask);
    }
};

struct TranslucentOp {
    static void Run(u16* target, const u16* source, i32 count) {
        const BlendTables& tables = GetBlendTables();
        for (i32 i = 0; i < count; ++i) {
            const u32 s = source[i];
            const u32 d = target[i];
            const u32 colour = s & 0xFFF;
            const u32 sw = tables.sourceWeight[s >> 12];
            const u32 tw = tables.targetWeight[s >> 12];
            const u32 blue = (tables.blue[colour] * sw + (d & 0x1F) * tw) >> 4;
            const u32 green = (tables.green[colour] * sw + ((d >> 5) & 0x1F) * tw) >> 4;
            const u32 red = (tables.red[colour] * sw + ((d >> 10) & 0x1F) * tw) >> 4;
            target[i] = static_cast<u16>(blue | (green << 5) | (red << 10));
        }
    }
};

// Raw rows: one move each, as bytes (the pixels may start at an odd byte).
void CopyRaw(const RleJob& job) {
    const u8* source = job.raw;
    u16* target = job.target;
    const std::size_t bytes = static_cast<std::size_t>(job.visibleWidth) * 2;
    for (i32 row = 0; row < job.rows; ++row, source += job.rawPitchBytes, target += job.pitch) {
        std::memcpy(target, source, bytes);
    }
}

constexpr RleRoutines kRoutines = {
    DrawRuns<CopyOp>,
    DrawRuns<ShadowOp>,
    DrawRuns<TranslucentOp>,
    DrawRect<ShadowOp>,
    DrawRunsOver<CopyOp>,
    CopyRaw,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

const RleRoutines& PortableRoutines() {
    return kRoutines;
}

}  // namespace blit
