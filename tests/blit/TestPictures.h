// A small picture encoder for the blitter tests: builds picture items (the
// 12-byte header and the pixel data after it) in memory, raw or as rows of runs.
#pragma once

#include <cstring>
#include <vector>

#include "blit/PictureItem.h"

// One run of a row: opaque with its pixel words, or transparent with a length.
struct TestRun {
    bool opaque;
    i32 length;  // transparent runs; opaque runs use pixels.size()
    std::vector<u16> pixels;

    static TestRun Clear(i32 length) { return {false, length, {}}; }
    static TestRun Solid(std::vector<u16> pixels) {
        const i32 n = static_cast<i32>(pixels.size());
        return {true, n, std::move(pixels)};
    }
};

using TestRow = std::vector<TestRun>;

// A picture item owned by the test, in storage of exactly its size, so that
// a sanitizer build catches any read beyond its last pixel word. (The storage
// comes from operator new and is 16-byte aligned, as library items are at
// least 2-byte aligned.)
class TestPicture {
public:
    const PictureItem* Item() const { return reinterpret_cast<const PictureItem*>(storage.data()); }
    size_t Bytes() const { return storage.size(); }

    static TestPicture Build(u16 width, u16 height, i16 hotX, i16 hotY, u8 format, u8 pixelSkip,
                             const std::vector<u8>& data) {
        TestPicture picture;
        picture.storage.resize(12 + data.size());
        PictureItem header{width, height, hotX, hotY, format, pixelSkip, {0xAB, 0xCD}};
        std::memcpy(picture.storage.data(), &header, 12);
        if (!data.empty()) std::memcpy(picture.storage.data() + 12, data.data(), data.size());
        return picture;
    }

private:
    std::vector<u8> storage;
};

// Raw picture: rows of width pixels, top first, starting pixelSkip bytes after
// the header (the skipped bytes are filled with a pattern the blitter must not
// copy).
inline TestPicture EncodeRaw(u16 width, u16 height, i16 hotX, i16 hotY,
                             const std::vector<u16>& pixels, u8 pixelSkip = 0, u8 format = 0) {
    std::vector<u8> data(pixelSkip, 0x5A);
    const size_t start = data.size();
    data.resize(start + pixels.size() * 2);
    if (!pixels.empty()) std::memcpy(data.data() + start, pixels.data(), pixels.size() * 2);
    return TestPicture::Build(width, height, hotX, hotY, format, pixelSkip, data);
}

// Run-length picture: run words, opaque runs followed by their pixel words.
// The width is what the caller says; the rows are written as given.
inline TestPicture EncodeRuns(u16 width, i16 hotX, i16 hotY, u8 format,
                              const std::vector<TestRow>& rows) {
    std::vector<u8> data;
    auto put = [&data](u16 word) {
        data.push_back(static_cast<u8>(word & 0xFF));
        data.push_back(static_cast<u8>(word >> 8));
    };
    for (const TestRow& row : rows) {
        for (const TestRun& run : row) {
            if (run.opaque) {
                put(static_cast<u16>(run.pixels.size()));
                for (u16 p : run.pixels) put(p);
            } else {
                put(static_cast<u16>(0x100 | run.length));
            }
        }
    }
    return TestPicture::Build(width, static_cast<u16>(rows.size()), hotX, hotY, format, 0, data);
}

// A row from one value per column, transparent where the value is kClearCell;
// runs are as long as possible, at most 255 pixels.
inline constexpr i32 kClearCell = -1;
inline TestRow RowFromCells(const std::vector<i32>& cells) {
    TestRow row;
    for (size_t i = 0; i < cells.size();) {
        const bool opaque = cells[i] != kClearCell;
        size_t j = i;
        while (j < cells.size() && (cells[j] != kClearCell) == opaque && j - i < 255) ++j;
        if (opaque) {
            std::vector<u16> pixels;
            for (size_t k = i; k < j; ++k) pixels.push_back(static_cast<u16>(cells[k]));
            row.push_back(TestRun::Solid(std::move(pixels)));
        } else {
            row.push_back(TestRun::Clear(static_cast<i32>(j - i)));
        }
        i = j;
    }
    return row;
}
