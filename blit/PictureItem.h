// The layout of a picture item as the library stores it and the blitter reads
// it: a 12-byte header, then the pixel data. This and the 16-bit pixel format
// are all the blitter knows of the rest of the game.
//
// Pixels: red in bits 10-14, green 5-9, blue 0-4, bit 15 zero; translucent
// pictures hold 4-4-4-4 words (alpha in the top nibble). Raw pictures hold
// width x height pixels, row after row, starting pixelSkip bytes after the
// header. Run-length pictures hold, for each row, run words whose lengths add
// up to the width: a word at or below 0xFF is an opaque run of that many
// pixels and its pixel words follow; above it, a transparent run of
// (word AND 255) pixels.
#pragma once

#include <cstdint>

using u8 = std::uint8_t;
using u16 = std::uint16_t;
using i16 = std::int16_t;
using i32 = std::int32_t;
using u32 = std::uint32_t;

struct PictureItem {
    u16 width;
    u16 height;
    i16 hotX;
    i16 hotY;
    u8 format;     // bit 0 run-length, bit 3 translucent 4-4-4-4, bit 4 shadow
    u8 pixelSkip;  // raw pictures: pixel data begins this far after the header
    u8 unused[2];
};
static_assert(sizeof(PictureItem) == 12);

// Format bits of a picture item that the blitter reads; the others are ignored.
inline constexpr u8 kPictureRunLength = 0x01;
inline constexpr u8 kPictureTranslucent = 0x08;
inline constexpr u8 kPictureShadow = 0x10;

// A run word at or below this is an opaque run of that many pixels (the pixel
// words follow); above it, a transparent run of (word AND 255) pixels.
inline constexpr u16 kLastOpaqueRunWord = 0xFF;
