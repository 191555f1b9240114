// Every pixel is handled on its own: the item's rows are walked run by run
// from the top, and each pixel whose item column and row fall inside the clip
// rectangle gets the operation; the others are passed over.
#include "tests/blit/ReferenceBlitter.h"

#include <cstdint>
#include <cstring>

#include "blit/Blitter.h"

namespace {

u16 Shadow(u16 d) {
    return static_cast<u16>(((d & 0x1F) / 2) + (((d & 0x3E0) / 2) & 0x3E0) +
                            (((d & 0x7C00) / 2) & 0x7C00));
}

u16 Translucent(u16 s, u16 d) {
    const BlendTables& tables = GetBlendTables();
    const u32 a = s >> 12;
    const u32 c = s & 0xFFF;
    const u32 blue =
        (tables.blue[c] * tables.sourceWeight[a] + (d & 0x1F) * tables.targetWeight[a]) >> 4;
    const u32 green =
        (tables.green[c] * tables.sourceWeight[a] + ((d >> 5) & 0x1F) * tables.targetWeight[a]) >>
        4;
    const u32 red =
        (tables.red[c] * tables.sourceWeight[a] + ((d >> 10) & 0x1F) * tables.targetWeight[a]) >> 4;
    return static_cast<u16>(blue | (green << 5) | (red << 10));
}

}  // namespace

bool ReferenceBlitter::BlitFrame(i32 x, i32 y, const PictureItem* item, bool shadow) const {
    using i64 = std::int64_t;
    const i64 sx = i64{x} - item->hotX;
    const i64 sy = i64{y} - item->hotY;
    const i64 w = item->width;
    const i64 h = item->height;
    if (pixels == nullptr) return false;
    if (sx >= right || sx + w <= left || sy >= bottom || sy + h <= top) return false;
    if (i64{right} - left <= 0 || i64{bottom} - top <= 0) return false;

    const i64 pitch = pitchBytes / 2;
    auto visible = [&](i64 column, i64 row) {
        const i64 px = sx + column;
        const i64 py = sy + row;
        return px >= left && px < right && py >= top && py < bottom;
    };
    auto target = [&](i64 column, i64 row) -> u16& {
        return pixels[(sy + row) * pitch + sx + column];
    };

    const u8 format = item->format;
    const bool runLength =
        (format & (kPictureRunLength | kPictureTranslucent | kPictureShadow)) != 0;
    if (!runLength) {
        const u8* data = reinterpret_cast<const u8*>(item) + 12 + item->pixelSkip;
        for (i64 row = 0; row < h; ++row) {
            for (i64 column = 0; column < w; ++column) {
                if (!visible(column, row)) continue;
                u16 s;
                std::memcpy(&s, data + (row * w + column) * 2, 2);
                // Raw pictures are opaque everywhere, so their shadow covers
                // the whole rectangle.
                target(column, row) = shadow ? Shadow(target(column, row)) : s;
            }
        }
        return true;
    }

    enum class Operation { Copy, Shadow, Translucent };
    const Operation operation = (shadow || (format & kPictureShadow)) ? Operation::Shadow
                                : (format & kPictureTranslucent)      ? Operation::Translucent
                                                                      : Operation::Copy;
    const u16* words = reinterpret_cast<const u16*>(item + 1);
    for (i64 row = 0; row < h; ++row) {
        for (i64 column = 0; column < w;) {
            const u16 word = *words++;
            const bool opaque = word <= 255;
            const i64 length = word & 255;
            for (i64 i = 0; i < length; ++i, ++column) {
                if (!opaque || !visible(column, row)) continue;
                u16& d = target(column, row);
                switch (operation) {
                    case Operation::Copy:
                        d = words[i];
                        break;
                    case Operation::Shadow:
                        d = Shadow(d);
                        break;
                    case Operation::Translucent:
                        d = Translucent(words[i], d);
                        break;
                }
            }
            if (opaque) words += length;
        }
        if (sy + row + 1 >= bottom) break;  // the rows below are all clipped
    }
    return true;
}
